#include "platform/Colors.h"

#include <QHash>
#include <algorithm>
#include <QStringList>

#include <QApplication>
#include <QPalette>
#include <array>

namespace bv {

namespace {
struct NamedColor {
    TColor value;
    const char* name;
};

const std::array<NamedColor, 42> namedColors = {{
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"}, {clNone, "clNone"},
}};

QPalette currentPalette()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        return QApplication::palette();
    return QPalette();
}

QColor systemColor(int index)
{
    const QPalette pal = currentPalette();
    switch (index) {
    case 0x00: return pal.color(QPalette::Button);           // scroll bar
    case 0x01: return pal.color(QPalette::Window);           // desktop
    case 0x02: return pal.color(QPalette::Highlight);        // active caption
    case 0x03: return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 0x04: return pal.color(QPalette::Window);           // menu
    case 0x05: return pal.color(QPalette::Base);             // window
    case 0x06: return pal.color(QPalette::Shadow);           // window frame
    case 0x07: return pal.color(QPalette::WindowText);       // menu text
    case 0x08: return pal.color(QPalette::Text);             // window text
    case 0x09: return pal.color(QPalette::HighlightedText);  // caption text
    case 0x0A: return pal.color(QPalette::Button);
    case 0x0B: return pal.color(QPalette::Button);
    case 0x0C: return pal.color(QPalette::Dark);             // app workspace
    case 0x0D: return pal.color(QPalette::Highlight);
    case 0x0E: return pal.color(QPalette::HighlightedText);
    case 0x0F: return pal.color(QPalette::Button);
    case 0x10: return pal.color(QPalette::Dark);
    case 0x11: return pal.color(QPalette::Disabled, QPalette::Text);
    case 0x12: return pal.color(QPalette::ButtonText);
    case 0x13: return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 0x14: return pal.color(QPalette::Light);
    case 0x15: return pal.color(QPalette::Shadow);
    case 0x16: return pal.color(QPalette::Midlight);
    case 0x17: return pal.color(QPalette::ToolTipText);
    case 0x18: return pal.color(QPalette::ToolTipBase);
    default: return pal.color(QPalette::Window);
    }
}
} // namespace

std::optional<QString> ColorToIdent(TColor color)
{
    for (const auto& c : namedColors)
        if (c.value == color)
            return QString::fromLatin1(c.name);
    return std::nullopt;
}

std::optional<TColor> IdentToColor(const QString& name)
{
    for (const auto& c : namedColors)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    return std::nullopt;
}

QColor ToQColor(TColor color)
{
    if (color == clNone)
        return QColor(Qt::transparent);
    auto u = static_cast<std::uint32_t>(color);
    if (u & 0x80000000u)
        return systemColor(static_cast<int>(u & 0xFF));
    return QColor(static_cast<int>(u & 0xFF), static_cast<int>((u >> 8) & 0xFF), static_cast<int>((u >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color)
{
    QColor rgb = color.toRgb();
    return static_cast<TColor>(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}

QString ColorDisplayName(TColor color)
{
    const std::optional<QString> ident = ColorToIdent(color);
    if (!ident || !ident->startsWith(QLatin1String("cl"))) {
        const QColor c = ToQColor(color);
        return QStringLiteral("#%1%2%3")
            .arg(c.red(), 2, 16, QLatin1Char('0'))
            .arg(c.green(), 2, 16, QLatin1Char('0'))
            .arg(c.blue(), 2, 16, QLatin1Char('0'))
            .toUpper();
    }
    // "clBtnFace" -> words "Btn", "Face" -> "Button face".
    static const QHash<QString, QString> spelledOut = {
        { QStringLiteral("Btn"), QStringLiteral("Button") }, { QStringLiteral("Hilight"), QStringLiteral("Highlight") },
        { QStringLiteral("Info"), QStringLiteral("Tooltip") }, { QStringLiteral("Bk"), QStringLiteral("Background") },
        { QStringLiteral("Dk"), QStringLiteral("Dark") }, { QStringLiteral("3D"), QStringLiteral("3-D") },
    };
    const QString body = ident->mid(2);
    QStringList words;
    QString word;
    for (const QChar ch : body) {
        const bool digitsSoFar = !word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
        if (ch.isUpper() && !word.isEmpty() && !digitsSoFar) {
            words.append(word);
            word.clear();
        }
        word += ch;
    }
    if (!word.isEmpty())
        words.append(word);
    QString text;
    for (int i = 0; i < words.size(); ++i) {
        QString w = spelledOut.value(words[i], words[i]);
        if (i > 0 && w != QLatin1String("3-D"))
            w = w.toLower();
        text += (i > 0 ? QStringLiteral(" ") : QString()) + w;
    }
    return text;
}

} // namespace bv
