#pragma once
// The texts a barcode carries when it is more than typed text: a contact
// card built from the user's personal information (vCard 3.0 or MECARD), a
// web address, or the settings of a Wi-Fi network. Pure text functions: the
// barcode object and the templates build their data through them.
#include "surface/PersonalInfo.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace bv {

// vCard 3.0 (RFC 2426): BEGIN/VERSION/N/FN, then ORG, TITLE, ADR, TEL, EMAIL
// for the fields that are filled. Text values are escaped (backslash, comma,
// semicolon, line break), lines end in CR LF and are folded so that no line
// is longer than 75 octets of UTF-8 (a continuation line starts with one
// space; a character or an escape is never split).
QString VCardFromPersonalInfo(const TPersonalInfo& info);

// One content line folded as above, each physical line followed by CR LF.
QByteArray FoldContentLine(const QString& line);

// Text value escaping of RFC 2426 (section 4): \\ \, \; and \n.
QString EscapeVCardText(const QString& text);

// MECARD:N:family,given;ORG:...;TEL:...;EMAIL:...;ADR:...;NOTE:title;; with
// backslash, semicolon, colon and comma escaped.
QString MeCardFromPersonalInfo(const TPersonalInfo& info);

// A web address as typed, with "https://" put in front when it names no
// scheme.
QString UrlPayload(const QString& address);

struct TWifiNetwork {
    QString Ssid;
    QString Password;
    // "WPA", "WEP" or "nopass".
    QString Security = QStringLiteral("WPA");
    bool Hidden = false;
    bool operator==(const TWifiNetwork&) const = default;
};

// WIFI:T:<security>;S:<ssid>;P:<password>;[H:true;]; with backslash,
// semicolon, comma, colon and double quote escaped.
QString WifiPayload(const TWifiNetwork& network);
// The network of a Wi-Fi text written by WifiPayload (or by another program
// in the same form); nothing when the text is not one.
std::optional<TWifiNetwork> ParseWifiPayload(const QString& text);

} // namespace bv
