#include "richtext/RtfWriter.h"

#include "platform/Numeric.h"
#include "richtext/RtfFormat.h"

#include <QColor>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <vector>

namespace bv {

namespace {

int toTwips(qreal pixels)
{
    return int(Round(static_cast<Extended>(pixels) * RtfTwipsPerPixel));
}

QString familyOf(const QTextCharFormat& f, const QTextDocument& doc)
{
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        return families.first();
    const QString family = doc.defaultFont().family();
    return family.isEmpty() ? RtfDefaultFontFamily() : family;
}

double pointSizeOf(const QTextCharFormat& f, const QTextDocument& doc)
{
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        return f.fontPointSize();
    if (f.hasProperty(QTextFormat::FontPixelSize) && f.intProperty(QTextFormat::FontPixelSize) > 0)
        return f.intProperty(QTextFormat::FontPixelSize) * 72.0 / RtfDocumentDpi;
    const QFont d = doc.defaultFont();
    if (d.pointSizeF() > 0)
        return d.pointSizeF();
    if (d.pixelSize() > 0)
        return d.pixelSize() * 72.0 / RtfDocumentDpi;
    return RtfDefaultPointSize;
}

class Tables {
public:
    int font(const QString& family)
    {
        int i = int(fonts.indexOf(family));
        if (i < 0) {
            fonts.append(family);
            i = int(fonts.size()) - 1;
        }
        return i;
    }
    // Index in the colour table; entry 0 is "automatic".
    int colour(const QColor& c)
    {
        const QRgb rgb = c.rgb() & 0xFFFFFF;
        for (std::size_t i = 0; i < colours.size(); ++i)
            if (colours[i] == rgb)
                return int(i) + 1;
        colours.push_back(rgb);
        return int(colours.size());
    }
    QStringList fonts;
    std::vector<QRgb> colours;
};

void appendText(QByteArray& out, const QString& text)
{
    for (qsizetype k = 0; k < text.size(); ++k) {
        const char16_t ch = text[k].unicode();
        switch (ch) {
        case u'\\': out += "\\\\"; continue;
        case u'{': out += "\\{"; continue;
        case u'}': out += "\\}"; continue;
        case u'\t': out += "\\tab "; continue;
        case 0x2028: out += "\\line "; continue;
        case u'\n':
        case u'\r': out += "\\line "; continue;
        case 0x00A0: out += "\\~"; continue;
        default: break;
        }
        if (ch >= 0x20 && ch < 0x80) {
            out += char(ch);
            continue;
        }
        const int b = Windows1252Byte(ch);
        if (b >= 0x80) {
            static const char hex[] = "0123456789abcdef";
            out += "\\'";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else if (ch < 0x20) {
            // Other control characters have no place in the text.
        } else {
            // Signed 16-bit, then the one-character fallback (\uc1).
            out += "\\u";
            out += QByteArray::number(int(ch) >= 0x8000 ? int(ch) - 0x10000 : int(ch));
            out += '?';
        }
    }
}

} // namespace

QByteArray RtfWriter::Write(const QTextDocument& document)
{
    Tables tables;
    tables.font(familyOf(QTextCharFormat(), document));
    QByteArray body;
    body.reserve(document.characterCount() * 2 + 256);

    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat bf = block.blockFormat();
        body += "\\pard";
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignJustify)
            body += "\\qj";
        else if (a & Qt::AlignHCenter)
            body += "\\qc";
        else if (a & (Qt::AlignRight | Qt::AlignTrailing) && !(a & Qt::AlignLeft))
            body += "\\qr";
        auto twips = [&](const char* word, qreal pixels) {
            const int t = toTwips(pixels);
            if (t != 0) {
                body += word;
                body += QByteArray::number(t);
            }
        };
        twips("\\li", bf.leftMargin());
        twips("\\ri", bf.rightMargin());
        twips("\\fi", bf.textIndent());
        twips("\\sb", bf.topMargin());
        twips("\\sa", bf.bottomMargin());

        auto formatWords = [&](const QTextCharFormat& f) {
            QByteArray w = "\\plain\\f";
            w += QByteArray::number(tables.font(familyOf(f, document)));
            w += "\\fs";
            w += QByteArray::number(int(Round(static_cast<Extended>(pointSizeOf(f, document)) * 2)));
            if (f.fontWeight() >= QFont::DemiBold)
                w += "\\b";
            if (f.fontItalic())
                w += "\\i";
            if (f.fontUnderline())
                w += "\\ul";
            if (f.fontStrikeOut())
                w += "\\strike";
            if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
                w += "\\super";
            else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
                w += "\\sub";
            if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush) {
                w += "\\cf";
                w += QByteArray::number(tables.colour(f.foreground().color()));
            }
            if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush) {
                w += "\\highlight";
                w += QByteArray::number(tables.colour(f.background().color()));
            }
            w += ' ';
            return w;
        };

        bool any = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            QString text = fragment.text();
            // Objects (images) in the text have no RTF here.
            text.remove(QChar::ObjectReplacementCharacter);
            if (text.isEmpty())
                continue;
            body += formatWords(fragment.charFormat());
            appendText(body, text);
            any = true;
        }
        if (!any)
            body += formatWords(block.charFormat());
        body += "\\par\r\n";
    }

    QByteArray out;
    out.reserve(body.size() + 256);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (int i = 0; i < tables.fonts.size(); ++i) {
        out += "{\\f";
        out += QByteArray::number(i);
        out += "\\fnil\\fcharset0 ";
        appendText(out, tables.fonts[i]);
        out += ";}";
    }
    out += "}\r\n";
    if (!tables.colours.empty()) {
        out += "{\\colortbl ;";
        for (QRgb c : tables.colours) {
            out += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) + "\\blue"
                + QByteArray::number(qBlue(c)) + ';';
        }
        out += "}\r\n";
    }
    out += "\\viewkind4\\uc1\r\n";
    out += body;
    out += "}\r\n";
    return out;
}

} // namespace bv
