#include "richtext/RtfReader.h"

#include "platform/SymbolFonts.h"

#include "richtext/RtfFormat.h"

#include <QHash>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace bv {

namespace {

constexpr std::array<char16_t, 32> cp1252High = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
    0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

QString decode1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        *d++ = (b >= 0x80 && b < 0xA0) ? QChar(cp1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

} // namespace

QString RtfDefaultFontFamily()
{
    return QStringLiteral("Arial");
}

int Windows1252Byte(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    for (std::size_t i = 0; i < cp1252High.size(); ++i)
        if (cp1252High[i] == ch && !(ch >= 0x80 && ch < 0xA0))
            return int(0x80 + i);
    return -1;
}

int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 0;
    }
}

QString DecodeCodePage(const QByteArray& bytes, int codePage)
{
    if (codePage == 0 || codePage == 1252)
        return decode1252(bytes);
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    // Converters are costly to make; one per code page is kept.
    static thread_local std::map<int, std::unique_ptr<QStringDecoder>> decoders;
    auto it = decoders.find(codePage);
    if (it == decoders.end()) {
        // The DOS code pages of \\pc and \\pca go by their IBM names.
        const QByteArray name = codePage == 10000 ? QByteArray("macintosh")
            : codePage == 437 || codePage == 850  ? "IBM" + QByteArray::number(codePage)
                                                  : "windows-" + QByteArray::number(codePage);
        auto decoder = std::make_unique<QStringDecoder>(name.constData(), QStringConverter::Flag::Stateless);
        if (!decoder->isValid() && codePage >= 874 && codePage <= 950)
            decoder = std::make_unique<QStringDecoder>(("cp" + QByteArray::number(codePage)).constData(),
                QStringConverter::Flag::Stateless);
        it = decoders.emplace(codePage, decoder->isValid() ? std::move(decoder) : nullptr).first;
    }
    if (!it->second)
        return decode1252(bytes);
    it->second->resetState();
    return it->second->decode(bytes);
}

namespace {

// StyleSheet: between the entries of \\stylesheet; StyleEntry: one entry,
// whose formatting words build the style; Shape: a shape's instructions,
// where only the shape's text (\\shptxt) is read.
enum class Dest { Text, FontTable, ColourTable, Skip, StyleSheet, StyleEntry, Shape };

struct CharState {
    int font = -1; // -1: the default font (\deff)
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int vertical = 0; // 1 superscript, -1 subscript
    bool caps = false;
    bool smallCaps = false;
    int fore = -1;    // colour table index; -1 automatic
    int back = -1;
    bool operator==(const CharState&) const = default;
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0;
    int ri = 0;
    int fi = 0;
    int sb = 0;
    int sa = 0;
};

struct Group {
    CharState c;
    ParaState pa;
    int uc = 1;
    Dest dest = Dest::Text;
};

struct FontEntry {
    QString name;
    int codePage = 0;
};

struct Style {
    CharState c;
    ParaState pa;
};

class Parser {
public:
    Parser(QByteArrayView data, QTextDocument& doc) : p(data.data()), end(data.data() + data.size()), doc(doc), cursor(&doc) {}

    RtfReadResult parse();

private:
    // --- scanning ---------------------------------------------------------------
    void skipGroupBody(); // after the '{' of a skipped group: up to its '}'
    void skipRestOfGroup(); // the current group, then back to its parent
    void controlWord();
    void controlSymbol(char c);
    void applyWord(const QByteArray& word, bool hasParam, int param);
    bool destinationWord(const QByteArray& word);
    void pushGroup();
    void popGroup();

    // --- text -------------------------------------------------------------------
    void literalByte(char c);
    void flushBytes();
    void appendText(const QString& text);
    void appendChar(char16_t ch) { appendText(QString(QChar(ch))); }
    void flushRun();
    void ensureBlock();
    void endParagraph();
    QTextCharFormat charFormat(const CharState& c) const;
    QTextBlockFormat blockFormat(const ParaState& pa) const;
    int currentCodePage() const;
    bool countFallback(); // true while the \uN fallback is being skipped

    // --- tables -------------------------------------------------------------------
    void fontTableText(const QString& text);
    void finishFontEntry();
    void colourTableSemicolon();

    const char* p;
    const char* end;
    QTextDocument& doc;
    QTextCursor cursor;
    RtfReadResult result;

    std::vector<Group> stack;
    Group cur;
    int ucSkip = 0;

    QByteArray pendingBytes;
    QString run;
    CharState runState;
    bool blockOpen = true;

    QHash<int, FontEntry> fonts;
    QHash<int, Style> styles;
    int styleNumber = 0;
    int fontNumber = -1;
    int fontCharset = -1;
    QString fontName;
    bool fontEntryOpen = false;
    int defaultFont = 0;
    int ansiCodePage = 1252;

    std::vector<std::optional<QColor>> colours;
    int red = -1;
    int green = -1;
    int blue = -1;
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

RtfReadResult Parser::parse()
{
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    doc.setDefaultFont([] {
        QFont f(RtfDefaultFontFamily());
        f.setPointSizeF(RtfDefaultPointSize);
        return f;
    }());
    cursor = QTextCursor(&doc);
    cursor.beginEditBlock();

    const QByteArrayView all(p, end - p);
    if (!all.startsWith("{\\rtf")) {
        // Not RTF: the bytes are the text.
        QString text = decode1252(all.toByteArray());
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text.removeIf([](QChar ch) { return ch.unicode() < 0x20 && ch != u'\t' && ch != u'\n'; });
        cursor.insertText(text);
        cursor.endEditBlock();
        doc.setUndoRedoEnabled(undo);
        doc.setModified(false);
        return result;
    }
    result.wasRtf = true;
    cur.c.halfPoints = 24;

    while (p < end) {
        const char c = *p++;
        switch (c) {
        case '{':
            flushBytes();
            if (cur.dest == Dest::Skip || int(stack.size()) >= RtfReader::MaxGroupDepth) {
                skipGroupBody();
                break;
            }
            pushGroup();
            break;
        case '}':
            flushBytes();
            if (stack.size() == 1) {
                // The document's closing brace: what follows is not part of it.
                p = end;
                break;
            }
            popGroup();
            break;
        case '\\':
            if (p >= end)
                break;
            if (isLetter(*p))
                controlWord();
            else
                controlSymbol(*p++);
            break;
        case '\r':
        case '\n':
            break;
        case '\0':
            break;
        default:
            if (countFallback())
                break;
            literalByte(c);
            break;
        }
    }
    flushBytes();
    if (cur.dest == Dest::FontTable)
        finishFontEntry();
    flushRun();
    if (blockOpen) {
        cursor.setBlockFormat(blockFormat(cur.pa));
    }
    cursor.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    doc.setModified(false);
    return result;
}

void Parser::pushGroup()
{
    stack.push_back(cur);
    ucSkip = 0;
    if (cur.dest == Dest::StyleSheet) {
        cur.dest = Dest::StyleEntry;
        cur.c = CharState();
        cur.pa = ParaState();
        styleNumber = 0;
    }
}

void Parser::popGroup()
{
    ucSkip = 0;
    if (stack.empty())
        return;
    if (cur.dest == Dest::FontTable && stack.back().dest != Dest::FontTable)
        finishFontEntry();
    else if (cur.dest == Dest::FontTable && fontEntryOpen && !fontName.isEmpty())
        finishFontEntry();
    if (cur.dest == Dest::StyleEntry && stack.back().dest == Dest::StyleSheet && styles.size() < 4096)
        styles.insert(styleNumber, Style { cur.c, cur.pa });
    cur = stack.back();
    stack.pop_back();
}

void Parser::skipGroupBody()
{
    // Counts braces up to the one that closes the group; escaped braces and
    // \bin data do not count.
    ucSkip = 0;
    int depth = 1;
    while (p < end) {
        const char c = *p++;
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return;
        } else if (c == '\\' && p < end) {
            if (p + 3 <= end && p[0] == 'b' && p[1] == 'i' && p[2] == 'n') {
                const char* q = p + 3;
                long long n = 0;
                int digits = 0;
                while (q < end && *q >= '0' && *q <= '9') {
                    if (digits < 12)
                        n = n * 10 + (*q - '0');
                    ++digits;
                    ++q;
                }
                if (q < end && *q == ' ')
                    ++q;
                p = q;
                if (digits > 0)
                    p += std::min<long long>(n, end - p);
            } else {
                ++p; // the escaped character or the first letter of a word
            }
        }
    }
}

void Parser::skipRestOfGroup()
{
    // The rest of the group is skipped here rather than token by token; in
    // the document's own group that is the rest of the document.
    skipGroupBody();
    if (stack.size() <= 1) {
        p = end;
        return;
    }
    cur = stack.back();
    stack.pop_back();
}

bool Parser::countFallback()
{
    if (ucSkip > 0) {
        --ucSkip;
        return true;
    }
    return false;
}

void Parser::controlWord()
{
    const char* start = p;
    while (p < end && isLetter(*p))
        ++p;
    const QByteArray word(start, std::min<qsizetype>(p - start, 32));
    bool hasParam = false;
    bool negative = false;
    long long value = 0;
    if (p < end && *p == '-' && p + 1 < end && p[1] >= '0' && p[1] <= '9') {
        negative = true;
        ++p;
    }
    int digits = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        if (digits < 10)
            value = value * 10 + (*p - '0');
        ++digits;
        ++p;
    }
    hasParam = digits > 0;
    if (p < end && *p == ' ')
        ++p;
    value = std::clamp<long long>(negative ? -value : value, -2147483647LL, 2147483647LL);
    const int param = int(value);

    if (word == "bin") {
        // Binary data: never text.
        flushBytes();
        if (hasParam && param > 0)
            p += std::min<long long>(param, end - p);
        return;
    }
    if (ucSkip > 0 && word != "par") {
        --ucSkip;
        return;
    }
    flushBytes();
    applyWord(word, hasParam, param);
}

void Parser::controlSymbol(char c)
{
    switch (c) {
    case '\'': {
        // One byte in the current code page; a fallback byte of \uN counts
        // as one character.
        int hi = p < end ? hexValue(*p) : -1;
        int lo = p + 1 < end ? hexValue(p[1]) : -1;
        if (hi >= 0 && lo >= 0)
            p += 2;
        else if (hi >= 0)
            p += 1;
        if (countFallback())
            return;
        if (hi < 0 || lo < 0)
            return; // an incomplete escape stands for nothing
        const char byte = char(hi * 16 + lo);
        if (cur.dest == Dest::Text || cur.dest == Dest::FontTable)
            pendingBytes.append(byte);
        return;
    }
    case '*': {
        // An optional destination: a shape's instructions hold its text;
        // others this reader does not know, so they are skipped.
        flushBytes();
        if (end - p >= 8 && QByteArrayView(p, 8) == QByteArrayView("\\shpinst"))
            return;
        cur.dest = Dest::Skip;
        skipRestOfGroup();
        return;
    }
    case '\r':
    case '\n':
        if (countFallback())
            return;
        flushBytes();
        if (cur.dest == Dest::Text)
            endParagraph();
        return;
    default:
        break;
    }
    if (countFallback())
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        literalByte(c);
        return;
    case '~':
        flushBytes();
        appendChar(0x00A0);
        return;
    case '_':
        flushBytes();
        appendChar(0x2011);
        return;
    case '-':
        flushBytes();
        appendChar(0x00AD);
        return;
    case '\t':
        flushBytes();
        appendChar(u'\t');
        return;
    default:
        return; // \| \: and unknown symbols
    }
}

bool Parser::destinationWord(const QByteArray& w)
{
    static const QByteArrayList skipped = { "info", "pict", "objdata", "objclass", "objname",
        "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "footnote",
        "annotation", "atnid", "atnauthor", "xe", "tc", "txe", "filetbl", "revtbl", "listtable",
        "listoverridetable", "rsidtbl", "latentstyles", "themedata", "colorschememapping", "datastore",
        "fldinst", "nonshppict", "pn", "pntxta", "pntxtb", "private", "pgdsctbl", "buptim", "creatim",
        "printim", "revtim", "author", "title", "subject", "operator", "keywords", "comment", "doccomm",
        "generator", "userprops", "docvar", "mmathPr", "xmlnstbl", "template", "ftnsep", "ftnsepc", "ftncn",
        "aftnsep", "aftnsepc", "aftncn", "shprslt", "sp", "sn", "sv", "do", "bkmkstart",
        "bkmkend", "company", "manager", "category", "hlinkbase", "listpicture", "fontemb", "fontfile",
        "panose", "falt", "mhtmltag", "htmltag", "xmlopen", "xmlclose", "wgrffmtfilter", "protusertbl",
        "passwordhash", "defchp", "defpap", "pgptbl", "ud" };
    if (w == "fonttbl") {
        cur.dest = Dest::FontTable;
        fontEntryOpen = false;
        return true;
    }
    if (w == "stylesheet") {
        cur.dest = Dest::StyleSheet;
        return true;
    }
    if (w == "shpinst") {
        cur.dest = Dest::Shape;
        return true;
    }
    if (w == "shptxt" && cur.dest == Dest::Shape) {
        // The text of a shape or text box is text of the document.
        cur.dest = Dest::Text;
        return true;
    }
    if (w == "colortbl") {
        cur.dest = Dest::ColourTable;
        red = green = blue = -1;
        return true;
    }
    if (w == "pict")
        ++result.picturesSkipped;
    if (skipped.contains(w)) {
        skipRestOfGroup();
        return true;
    }
    return false;
}

void Parser::applyWord(const QByteArray& w, bool hasParam, int param)
{
    if (destinationWord(w))
        return;
    const bool on = !hasParam || param != 0;

    if (cur.dest == Dest::FontTable) {
        if (w == "f") {
            if (fontEntryOpen && !fontName.isEmpty())
                finishFontEntry();
            fontEntryOpen = true;
            fontNumber = param;
            fontCharset = -1;
            fontName.clear();
        } else if (w == "fcharset") {
            fontCharset = param;
        } else if (w == "cpg" && hasParam) {
            fontCharset = -param - 2; // a code page given directly
        } else if (w == "u") {
            fontName += QChar(char16_t(param < 0 ? param + 65536 : param));
            ucSkip = cur.uc;
        }
        return;
    }
    if (cur.dest == Dest::ColourTable) {
        if (w == "red")
            red = std::clamp(param, 0, 255);
        else if (w == "green")
            green = std::clamp(param, 0, 255);
        else if (w == "blue")
            blue = std::clamp(param, 0, 255);
        return;
    }
    if (cur.dest == Dest::StyleEntry && (w == "s" || w == "cs" || w == "ds" || w == "ts")) {
        styleNumber = hasParam ? param : 0;
        return;
    }
    if (cur.dest != Dest::Text && cur.dest != Dest::StyleEntry)
        return;

    CharState& c = cur.c;
    ParaState& pa = cur.pa;
    // Header.
    if (w == "ansicpg") {
        if (hasParam && param > 0)
            ansiCodePage = param;
    } else if (w == "mac") {
        ansiCodePage = 10000;
    } else if (w == "pc") {
        ansiCodePage = 437;
    } else if (w == "pca") {
        ansiCodePage = 850;
    } else if (w == "s" && cur.dest == Dest::Text) {
        // A paragraph style: its formatting, then the words after it.
        if (auto it = styles.constFind(hasParam ? param : 0); it != styles.constEnd()) {
            c = it->c;
            pa = it->pa;
        }
    } else if (w == "deff") {
        defaultFont = param;
    } else if (w == "uc") {
        cur.uc = std::clamp(param, 0, 16);
    } else if (w == "u") {
        appendChar(char16_t(param < 0 ? param + 65536 : param));
        ucSkip = cur.uc;
    }
    // Characters.
    else if (w == "par" || w == "page" || w == "sect" || w == "row") {
        endParagraph();
    } else if (w == "line") {
        appendChar(0x2028);
    } else if (w == "tab" || w == "cell" || w == "nestcell") {
        appendChar(u'\t');
    } else if (w == "emdash") {
        appendChar(0x2014);
    } else if (w == "endash") {
        appendChar(0x2013);
    } else if (w == "bullet") {
        appendChar(0x2022);
    } else if (w == "lquote") {
        appendChar(0x2018);
    } else if (w == "rquote") {
        appendChar(0x2019);
    } else if (w == "ldblquote") {
        appendChar(0x201C);
    } else if (w == "rdblquote") {
        appendChar(0x201D);
    } else if (w == "emspace") {
        appendChar(0x2003);
    } else if (w == "enspace") {
        appendChar(0x2002);
    } else if (w == "qmspace") {
        appendChar(0x2005);
    } else if (w == "zwj") {
        appendChar(0x200D);
    } else if (w == "zwnj") {
        appendChar(0x200C);
    }
    // Character formatting.
    else if (w == "plain") {
        const CharState fresh;
        c = fresh;
    } else if (w == "b") {
        c.bold = on;
    } else if (w == "i") {
        c.italic = on;
    } else if (w == "ulnone") {
        c.underline = false;
    } else if (w == "ulc") {
        // underline colour only
    } else if (w.startsWith("ul") && w != "ulc") {
        c.underline = on;
    } else if (w == "strike" || w == "striked") {
        c.strike = on;
    } else if (w == "super") {
        c.vertical = 1;
    } else if (w == "sub") {
        c.vertical = -1;
    } else if (w == "nosupersub") {
        c.vertical = 0;
    } else if (w == "caps") {
        c.caps = on;
    } else if (w == "scaps") {
        c.smallCaps = on;
    } else if (w == "fs") {
        c.halfPoints = hasParam ? std::clamp(param, 2, 3276) : 24;
    } else if (w == "f") {
        c.font = hasParam ? param : -1;
    } else if (w == "cf") {
        c.fore = hasParam ? param : -1;
    } else if (w == "highlight" || w == "cb" || w == "chcbpat") {
        c.back = hasParam ? param : -1;
    }
    // Paragraph formatting.
    else if (w == "pard") {
        const ParaState fresh;
        pa = fresh;
    } else if (w == "ql") {
        pa.align = Qt::AlignLeft;
    } else if (w == "qc") {
        pa.align = Qt::AlignHCenter;
    } else if (w == "qr") {
        pa.align = Qt::AlignRight;
    } else if (w == "qj") {
        pa.align = Qt::AlignJustify;
    } else if (w == "li") {
        pa.li = std::clamp(param, -31680, 31680);
    } else if (w == "ri") {
        pa.ri = std::clamp(param, -31680, 31680);
    } else if (w == "fi") {
        pa.fi = std::clamp(param, -31680, 31680);
    } else if (w == "sb") {
        pa.sb = std::clamp(param, 0, 31680);
    } else if (w == "sa") {
        pa.sa = std::clamp(param, 0, 31680);
    }
}

int Parser::currentCodePage() const
{
    const int number = cur.c.font >= 0 ? cur.c.font : defaultFont;
    auto it = fonts.constFind(number);
    if (it != fonts.constEnd() && it->codePage != 0)
        return it->codePage;
    return ansiCodePage;
}

void Parser::literalByte(char c)
{
    if (cur.dest == Dest::Text) {
        pendingBytes.append(c);
    } else if (cur.dest == Dest::FontTable) {
        if (c == ';') {
            flushBytes();
            finishFontEntry();
        } else {
            pendingBytes.append(c);
        }
    } else if (cur.dest == Dest::ColourTable) {
        if (c == ';')
            colourTableSemicolon();
    }
}

void Parser::flushBytes()
{
    if (pendingBytes.isEmpty())
        return;
    const QByteArray bytes = pendingBytes;
    pendingBytes.clear();
    if (cur.dest == Dest::FontTable) {
        int cp = ansiCodePage;
        if (fontCharset <= -2)
            cp = -fontCharset - 2;
        else if (int fromCharset = CodePageOfCharset(fontCharset))
            cp = fromCharset;
        fontTableText(DecodeCodePage(bytes, cp));
        return;
    }
    appendText(DecodeCodePage(bytes, currentCodePage()));
}

void Parser::fontTableText(const QString& text)
{
    if (!fontEntryOpen) {
        fontEntryOpen = true;
        fontNumber = -1;
        fontCharset = -1;
        fontName.clear();
    }
    if (fontName.size() < 256)
        fontName += text;
}

void Parser::finishFontEntry()
{
    if (!fontEntryOpen)
        return;
    fontEntryOpen = false;
    if (fontNumber < 0 || fonts.size() >= RtfReader::MaxFonts)
        return;
    FontEntry e;
    e.name = fontName.trimmed();
    if (fontCharset <= -2)
        e.codePage = -fontCharset - 2;
    else
        e.codePage = CodePageOfCharset(fontCharset);
    fonts.insert(fontNumber, e);
    fontName.clear();
}

void Parser::colourTableSemicolon()
{
    if (int(colours.size()) < RtfReader::MaxColours) {
        if (red < 0 && green < 0 && blue < 0)
            colours.push_back(std::nullopt);
        else
            colours.push_back(QColor(std::max(red, 0), std::max(green, 0), std::max(blue, 0)));
    }
    red = green = blue = -1;
}

void Parser::appendText(const QString& given)
{
    if (cur.dest != Dest::Text || given.isEmpty())
        return;
    // Control characters other than the tab have no place in the text.
    QString text = given;
    text.removeIf([](QChar ch) { return ch.unicode() < 0x20 && ch.unicode() != u'\t'; });
    if (text.isEmpty())
        return;
    ensureBlock();
    if (!run.isEmpty() && !(runState == cur.c))
        flushRun();
    if (run.isEmpty())
        runState = cur.c;
    run += text;
}

QTextCharFormat Parser::charFormat(const CharState& c) const
{
    QTextCharFormat f;
    const int number = c.font >= 0 ? c.font : defaultFont;
    auto it = fonts.constFind(number);
    QString family = it != fonts.constEnd() && !it->name.isEmpty() ? it->name : RtfDefaultFontFamily();
    f.setFontFamilies(QStringList { family });
    f.setFontPointSize(c.halfPoints / 2.0);
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strike);
    if (c.caps)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (c.smallCaps)
        f.setFontCapitalization(QFont::SmallCaps);
    if (SymbolFonts::IsMapped(family))
        f.setFontFamilies(QStringList { SymbolFonts::DisplayFamily() });
    if (c.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (c.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    auto colour = [this](int index) -> std::optional<QColor> {
        if (index < 0 || index >= int(colours.size()))
            return std::nullopt;
        return colours[std::size_t(index)];
    };
    if (auto fore = colour(c.fore))
        f.setForeground(*fore);
    if (auto back = colour(c.back))
        f.setBackground(*back);
    return f;
}

QTextBlockFormat Parser::blockFormat(const ParaState& pa) const
{
    QTextBlockFormat f;
    f.setAlignment(pa.align);
    f.setLeftMargin(pa.li / RtfTwipsPerPixel);
    f.setRightMargin(pa.ri / RtfTwipsPerPixel);
    f.setTextIndent(pa.fi / RtfTwipsPerPixel);
    f.setTopMargin(pa.sb / RtfTwipsPerPixel);
    f.setBottomMargin(pa.sa / RtfTwipsPerPixel);
    return f;
}

void Parser::flushRun()
{
    if (run.isEmpty())
        return;
    // Text in a Windows symbol font shows its codes' pictures.
    const int number = runState.font >= 0 ? runState.font : defaultFont;
    if (auto it = fonts.constFind(number); it != fonts.constEnd() && SymbolFonts::IsMapped(it->name)) {
        QString shown;
        for (const QChar ch : run) {
            const char16_t u = ch.unicode();
            const int code = u >= 0xF000 && u <= 0xF0FF ? u - 0xF000 : u < 0x100 ? u : SymbolFonts::CodeOf(ch);
            const char32_t pictured = code < 0 ? 0 : SymbolFonts::ToUnicode(it->name, code);
            shown += pictured ? QString::fromUcs4(&pictured, 1) : QString(ch);
        }
        run = shown;
    }
    cursor.insertText(run, charFormat(runState));
    run.clear();
}

void Parser::ensureBlock()
{
    if (blockOpen)
        return;
    cursor.insertBlock();
    blockOpen = true;
}

void Parser::endParagraph()
{
    ensureBlock();
    flushRun();
    cursor.setBlockFormat(blockFormat(cur.pa));
    cursor.setBlockCharFormat(charFormat(cur.c));
    blockOpen = false;
}

} // namespace

RtfReadResult RtfReader::Read(QByteArrayView rtf, QTextDocument& document)
{
    Parser parser(rtf, document);
    return parser.parse();
}

} // namespace bv
