#include "objects/BarcodePayload.h"

#include <QStringList>

namespace bv {

namespace {

// Backslash before each of `special` (and before the backslash itself).
QString escapeWith(const QString& text, const QString& special)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || special.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString normalisedLineBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Given, additional and family names of a full name: the last word is the
// family name, the first the given name, the words between additional.
struct NameParts {
    QString family, given, additional;
};

NameParts splitName(const QString& name)
{
    const QStringList words = name.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    NameParts parts;
    if (words.isEmpty())
        return parts;
    if (words.size() == 1) {
        parts.given = words.first();
        return parts;
    }
    parts.family = words.last();
    parts.given = words.first();
    parts.additional = words.mid(1, words.size() - 2).join(QLatin1Char(' '));
    return parts;
}

QStringList addressLines(const TPersonalInfo& info)
{
    QStringList lines;
    for (const QString* line : { &info.Address1, &info.Address2, &info.Address3 })
        if (!line->trimmed().isEmpty())
            lines << line->trimmed();
    return lines;
}

} // namespace

QString EscapeVCardText(const QString& text)
{
    QString out = escapeWith(normalisedLineBreaks(text), QStringLiteral(",;"));
    out.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return out;
}

QByteArray FoldContentLine(const QString& line)
{
    // Units that may not be split: one character (all its UTF-8 octets, a
    // surrogate pair included) or a backslash escape with its character.
    QByteArray out;
    int lineOctets = 0;
    const int limit = 75;
    for (int i = 0; i < line.size();) {
        int n = 1;
        if (line.at(i).isHighSurrogate() && i + 1 < line.size())
            n = 2;
        else if (line.at(i) == QLatin1Char('\\') && i + 1 < line.size())
            n = line.at(i + 1).isHighSurrogate() && i + 2 < line.size() ? 3 : 2;
        const QByteArray unit = line.mid(i, n).toUtf8();
        if (lineOctets + unit.size() > limit) {
            out += "\r\n ";
            lineOctets = 1;
        }
        out += unit;
        lineOctets += static_cast<int>(unit.size());
        i += n;
    }
    out += "\r\n";
    return out;
}

QString VCardFromPersonalInfo(const TPersonalInfo& info)
{
    QStringList lines;
    lines << QStringLiteral("BEGIN:VCARD") << QStringLiteral("VERSION:3.0");
    const NameParts name = splitName(info.Name);
    lines << QStringLiteral("N:%1;%2;%3;;").arg(EscapeVCardText(name.family), EscapeVCardText(name.given),
                 EscapeVCardText(name.additional));
    // FN is required; a card without a name is still a card of its company.
    const QString full = info.Name.trimmed().isEmpty() ? info.Company.trimmed() : info.Name.trimmed();
    lines << QStringLiteral("FN:") + EscapeVCardText(full);
    if (!info.Company.trimmed().isEmpty())
        lines << QStringLiteral("ORG:") + EscapeVCardText(info.Company.trimmed());
    if (!info.Title.trimmed().isEmpty())
        lines << QStringLiteral("TITLE:") + EscapeVCardText(info.Title.trimmed());
    const QStringList address = addressLines(info);
    if (!address.isEmpty())
        // The address lines are free text: they go into the street part,
        // one line each, rather than being guessed into town and postcode.
        lines << QStringLiteral("ADR;TYPE=WORK:;;%1;;;;").arg(EscapeVCardText(address.join(QLatin1Char('\n'))));
    if (!info.Phone1.trimmed().isEmpty())
        lines << QStringLiteral("TEL;TYPE=WORK,VOICE:") + EscapeVCardText(info.Phone1.trimmed());
    if (!info.Phone2.trimmed().isEmpty())
        lines << QStringLiteral("TEL;TYPE=VOICE:") + EscapeVCardText(info.Phone2.trimmed());
    if (!info.Fax.trimmed().isEmpty())
        lines << QStringLiteral("TEL;TYPE=WORK,FAX:") + EscapeVCardText(info.Fax.trimmed());
    if (!info.Email.trimmed().isEmpty())
        lines << QStringLiteral("EMAIL;TYPE=INTERNET:") + EscapeVCardText(info.Email.trimmed());
    lines << QStringLiteral("END:VCARD");
    QByteArray text;
    for (const QString& line : lines)
        text += FoldContentLine(line);
    return QString::fromUtf8(text);
}

QString MeCardFromPersonalInfo(const TPersonalInfo& info)
{
    const QString special = QStringLiteral(";:,");
    auto field = [&](const char* key, const QString& value) {
        const QString v = normalisedLineBreaks(value.trimmed()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        return v.isEmpty() ? QString() : QLatin1String(key) + QLatin1Char(':') + escapeWith(v, special) + QLatin1Char(';');
    };
    const NameParts name = splitName(info.Name);
    QString text = QStringLiteral("MECARD:");
    // N is "family,given": the comma between them is the separator, each
    // part escaped on its own.
    QString n = escapeWith(name.family, special);
    QString given = name.additional.isEmpty() ? name.given : name.given + QLatin1Char(' ') + name.additional;
    if (!given.isEmpty())
        n += (n.isEmpty() ? QString() : QStringLiteral(",")) + escapeWith(given, special);
    text += QStringLiteral("N:") + n + QLatin1Char(';');
    text += field("ORG", info.Company);
    text += field("TEL", info.Phone1);
    text += field("TEL", info.Phone2);
    text += field("EMAIL", info.Email);
    text += field("ADR", addressLines(info).join(QStringLiteral(", ")));
    text += field("NOTE", info.Title);
    return text + QLatin1Char(';');
}

QString UrlPayload(const QString& address)
{
    const QString a = address.trimmed();
    if (a.isEmpty())
        return a;
    const int colon = a.indexOf(QLatin1Char(':'));
    bool hasScheme = colon > 0;
    for (int i = 0; hasScheme && i < colon; ++i) {
        const QChar c = a.at(i);
        hasScheme = (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('+') || c == QLatin1Char('-')
            || c == QLatin1Char('.');
    }
    // "host:8080/x" names a port, not a scheme.
    if (hasScheme && colon + 1 < a.size() && a.at(colon + 1).isDigit())
        hasScheme = false;
    return hasScheme ? a : QStringLiteral("https://") + a;
}

QString WifiPayload(const TWifiNetwork& network)
{
    const QString special = QStringLiteral(";,:\"");
    QString text = QStringLiteral("WIFI:T:") + escapeWith(network.Security, special) + QLatin1Char(';');
    text += QStringLiteral("S:") + escapeWith(network.Ssid, special) + QLatin1Char(';');
    if (network.Security != QLatin1String("nopass"))
        text += QStringLiteral("P:") + escapeWith(network.Password, special) + QLatin1Char(';');
    if (network.Hidden)
        text += QStringLiteral("H:true;");
    return text + QLatin1Char(';');
}

std::optional<TWifiNetwork> ParseWifiPayload(const QString& text)
{
    if (!text.startsWith(QLatin1String("WIFI:")))
        return std::nullopt;
    TWifiNetwork network;
    network.Security = QStringLiteral("nopass");
    bool sawSsid = false;
    QString field;
    auto take = [&](const QString& f) {
        const auto colon = f.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return;
        const QString key = f.left(colon);
        const QString value = f.mid(colon + 1);
        if (key == QLatin1String("T"))
            network.Security = value.isEmpty() ? QStringLiteral("nopass") : value;
        else if (key == QLatin1String("S")) {
            network.Ssid = value;
            sawSsid = true;
        } else if (key == QLatin1String("P"))
            network.Password = value;
        else if (key == QLatin1String("H"))
            network.Hidden = value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    };
    // Split on unescaped semicolons, dropping the escapes as we go; keys
    // are single letters, so the first colon of a field ends its key even
    // when the value holds an escaped one.
    for (int i = 5; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            field += text.at(++i);
            continue;
        }
        if (c == QLatin1Char(';')) {
            if (!field.isEmpty())
                take(field);
            field.clear();
            continue;
        }
        field += c;
    }
    if (!field.isEmpty())
        take(field);
    if (!sawSsid)
        return std::nullopt;
    return network;
}

} // namespace bv
