// The RTF reader and writer: what common writers produce reads with its text
// and formatting, our own output reads back the same, and malformed input
// neither crashes nor hangs.
#include "richtext/RtfDocument.h"
#include "richtext/RtfReader.h"
#include "richtext/RtfWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

using namespace bv;

namespace {

QString describeChar(const QTextCharFormat& f)
{
    QStringList parts;
    const QStringList families = f.fontFamilies().toStringList();
    parts << (families.isEmpty() ? QStringLiteral("?") : families.first());
    parts << QString::number(f.fontPointSize());
    if (f.fontWeight() >= QFont::DemiBold)
        parts << "b";
    if (f.fontItalic())
        parts << "i";
    if (f.fontUnderline())
        parts << "u";
    if (f.fontStrikeOut())
        parts << "s";
    if (f.fontCapitalization() == QFont::AllUppercase)
        parts << "caps";
    if (f.fontCapitalization() == QFont::SmallCaps)
        parts << "scaps";
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        parts << "fg" + f.foreground().color().name();
    if (f.hasProperty(QTextFormat::BackgroundBrush))
        parts << "bg" + f.background().color().name();
    return parts.join(' ');
}

QString describeBlock(const QTextBlockFormat& f)
{
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    const char* align = (a & Qt::AlignJustify) ? "j" : (a & Qt::AlignHCenter) ? "c" : (a & Qt::AlignRight) ? "r" : "l";
    return QStringLiteral("%1 li%2 ri%3 fi%4 sb%5 sa%6")
        .arg(QLatin1String(align))
        .arg(qRound(f.leftMargin() * 15))
        .arg(qRound(f.rightMargin() * 15))
        .arg(qRound(f.textIndent() * 15))
        .arg(qRound(f.topMargin() * 15))
        .arg(qRound(f.bottomMargin() * 15));
}

// Every block's format and every run's text and format, one line each.
QStringList signature(const QTextDocument& doc)
{
    QStringList out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        out << "[" + describeBlock(b.blockFormat()) + "]";
        for (auto it = b.begin(); !it.atEnd(); ++it)
            out << it.fragment().text() + " | " + describeChar(it.fragment().charFormat());
    }
    return out;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot open %s", qPrintable(path));
    return f.readAll();
}

QString rtfDir()
{
    return QStringLiteral(BRISVALE_TEST_DATA "/rtf");
}

} // namespace

class TestRtf : public QObject {
    Q_OBJECT
private slots:
    void outsideFilesReadTheirText_data();
    void outsideFilesReadTheirText();
    void outsideFilesSurviveWriteAndRead_data();
    void outsideFilesSurviveWriteAndRead();
    void readsConstructs_data();
    void readsConstructs();
    void formattingAtPosition_data();
    void formattingAtPosition();
    void writerRoundTripsEveryFeature();
    void malformedInputEndsQuickly_data();
    void malformedInputEndsQuickly();
    void documentKeepsBytesUntilChanged();
    void otherProgramsRtfAsTheyReadIt_data();
    void otherProgramsRtfAsTheyReadIt();
};

void TestRtf::outsideFilesReadTheirText_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("absent");
    const QStringList common = { "Anna Kowalski", "Caf\u00e9 cr\u00e8me", "Z\u00fcrich", "\u20ac25",
        "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac", "\u0420\u0443\u0441\u0441\u043a\u0438\u0439",
        "\u65e5\u672c\u8a9e" };
    // Style sheet names, font names and document information are no text.
    const QStringList absent = { "Normal;", "Heading", "Times New Roman", "Liberation", "panose", "Symbol" };
    QTest::newRow("pandoc markdown") << "pandoc-sample.rtf" << common << absent;
    QTest::newRow("pandoc html") << "pandoc-html.rtf" << (common + QStringList { "{braces} and \\backslash" })
                                 << absent;
    QTest::newRow("LibreOffice from odt") << "libreoffice-odt.rtf" << (common + QStringList { "{braces}" }) << absent;
    QTest::newRow("LibreOffice from docx") << "libreoffice-docx.rtf" << (common + QStringList { "{braces}" })
                                           << absent;
}

void TestRtf::outsideFilesReadTheirText()
{
    QFETCH(QString, file);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, absent);
    QTextDocument doc;
    const RtfReadResult r = RtfReader::Read(readFile(rtfDir() + "/" + file), doc);
    QVERIFY(r.wasRtf);
    const QString text = doc.toPlainText();
    for (const QString& e : expected)
        QVERIFY2(text.contains(e), qPrintable(e + " missing from: " + text));
    for (const QString& a : absent)
        QVERIFY2(!text.contains(a), qPrintable(a + " leaked into: " + text));
}

void TestRtf::outsideFilesSurviveWriteAndRead_data()
{
    QTest::addColumn<QString>("file");
    const QStringList files = QDir(rtfDir()).entryList({ "*.rtf" }, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 4);
    for (const QString& f : files)
        QTest::newRow(qPrintable(f)) << f;
}

void TestRtf::outsideFilesSurviveWriteAndRead()
{
    QFETCH(QString, file);
    QTextDocument first;
    RtfReader::Read(readFile(rtfDir() + "/" + file), first);
    QVERIFY(!first.isEmpty());
    const QByteArray written = RtfWriter::Write(first);
    QVERIFY(written.startsWith("{\\rtf1"));
    QTextDocument second;
    RtfReader::Read(written, second);
    QCOMPARE(signature(second), signature(first));
    // Our output is plain 7-bit text.
    for (char c : written)
        QVERIFY(static_cast<unsigned char>(c) < 0x80);
}

void TestRtf::readsConstructs_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("code page escapes") << QByteArray("{\\rtf1\\ansi caf\\'e9 \\'80 \\'93q\\'94}") << "caf\u00e9 \u20ac \u201cq\u201d";
    QTest::newRow("ansicpg 1251") << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}") << "\u041f\u0440\u0438";
    QTest::newRow("font charset beats header")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}\\f1 \\'b9\\f0 \\'b9}")
        << "\u0105\u00b9";
    QTest::newRow("shift-jis pairs")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 \\'93\\'fa\\'96\\'7b}") << "\u65e5\u672c";
    QTest::newRow("unicode with fallback") << QByteArray("{\\rtf1 a\\u8364?b\\uc2\\u8364\\'80\\'80c\\uc0\\u946 d}")
                                           << "a\u20acb\u20acc\u03b2d";
    QTest::newRow("negative unicode") << QByteArray("{\\rtf1 \\u-3913?}") << "\uf0b7";
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << "\U0001F600";
    QTest::newRow("fallback ends at group") << QByteArray("{\\rtf1\\uc3 {\\u946 x}yz}") << "\u03b2yz";
    QTest::newRow("escapes and specials")
        << QByteArray("{\\rtf1 \\{a\\}\\\\\\~b\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}")
        << "{a}\\\u00a0b\u2014\u2013\u2022\u2018\u2019\u201c\u201d";
    QTest::newRow("line and tab") << QByteArray("{\\rtf1 a\\line b\\tab c}") << "a\u2028b\tc";
    QTest::newRow("paragraphs") << QByteArray("{\\rtf1 one\\par two\\par\\par}") << "one\ntwo\n";
    QTest::newRow("trailing par makes no block") << QByteArray("{\\rtf1 one\\par}") << "one";
    QTest::newRow("unknown destinations skipped")
        << QByteArray("{\\rtf1 a{\\*\\generator Foo 1.0;}{\\*\\unknownword {nested {deeper}} text}b}") << "ab";
    QTest::newRow("known destinations skipped")
        << QByteArray("{\\rtf1{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}{\\header H\\par}x"
                      "{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt link}}}")
        << "xlink";
    QTest::newRow("picture skipped with binary") << QByteArray("{\\rtf1 a{\\pict\\pngblip\\bin4 }}{x}b}")
                                                 << "ab";
    QTest::newRow("picture hex skipped") << QByteArray("{\\rtf1 a{\\*\\shppict{\\pict\\wmetafile8 0123abcd}}"
                                                       "{\\nonshppict{\\pict 00ff}}b}")
                                         << "ab";
    QTest::newRow("binary in text skipped") << QByteArray("{\\rtf1 a\\bin3 {{{b}") << "ab";
    QTest::newRow("ignorable destination at top level") << QByteArray("{\\rtf1 a\\*\\x b}c{d}") << "a";
    QTest::newRow("text after closing brace ignored") << QByteArray("{\\rtf1 a}b{c}") << "a";
    QTest::newRow("raw 8-bit bytes") << QByteArray("{\\rtf1 caf\xe9}") << "caf\u00e9";
    QTest::newRow("not rtf is plain text") << QByteArray("plain\r\ncaf\xe9") << "plain\ncaf\u00e9";
    QTest::newRow("truncated") << QByteArray("{\\rtf1{\\b bold\\'e") << "bold";
    QTest::newRow("control word at end") << QByteArray("{\\rtf1 a\\") << "a";
    QTest::newRow("huge numbers clamped") << QByteArray("{\\rtf1\\fs99999999999999\\uc99999999999 a\\bin99999999999")
                                          << "a";
}

void TestRtf::readsConstructs()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QTextDocument doc;
    RtfReader::Read(rtf, doc);
    // Raw text keeps line separators and no-break spaces.
    QCOMPARE(doc.toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')), text);
}

void TestRtf::formattingAtPosition_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("probe"); // the text whose format is checked
    QTest::addColumn<QString>("format");
    const QByteArray head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
                            "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255\\blue0;}";
    QTest::newRow("default") << head + "x}" << "x" << "Arial 12";
    QTest::newRow("bold italic") << head + "\\b\\i x}" << "x" << "Arial 12 b i";
    QTest::newRow("b0 ends bold") << head + "\\b a\\b0 x}" << "x" << "Arial 12";
    QTest::newRow("group restores") << head + "{\\b\\ul a}x}" << "x" << "Arial 12";
    QTest::newRow("ulnone") << head + "\\ul a\\ulnone x}" << "x" << "Arial 12";
    QTest::newRow("ul kinds") << head + "\\uldb x}" << "x" << "Arial 12 u";
    QTest::newRow("ulc is no underline") << head + "\\ulc2 x}" << "x" << "Arial 12";
    QTest::newRow("strike size font") << head + "\\strike\\fs36\\f1 x}" << "x" << "Times New Roman 18 s";
    QTest::newRow("colours") << head + "\\cf1\\highlight3 x}" << "x" << "Arial 12 fg#ff0000 bg#ffff00";
    QTest::newRow("cb background") << head + "\\cb2 x}" << "x" << "Arial 12 bg#0000ff";
    QTest::newRow("cf0 automatic") << head + "\\cf1 a\\cf0 x}" << "x" << "Arial 12";
    QTest::newRow("colour out of table") << head + "\\cf40 x}" << "x" << "Arial 12";
    QTest::newRow("plain resets") << head + "\\b\\i\\fs40\\f1\\cf1 a\\plain x}" << "x" << "Arial 12";
    QTest::newRow("deff") << QByteArray("{\\rtf1\\deff1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}x}") << "x" << "Courier New 12";
    QTest::newRow("font entries without groups")
        << QByteArray("{\\rtf1{\\fonttbl\\f0\\fnil Arial;\\f1\\fnil Verdana;}\\f1 x}") << "x" << "Verdana 12";
    QTest::newRow("font name in unicode escapes")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fnil \\u77?\\u121? Font;}}\\f0 x}") << "x" << "My Font 12";
    QTest::newRow("caps") << head + "\\caps x}" << "x" << "Arial 12 caps";
    QTest::newRow("small caps") << head + "\\scaps x}" << "x" << "Arial 12 scaps";
    QTest::newRow("caps off") << head + "\\caps a\\caps0 x}" << "x" << "Arial 12";
    // A paragraph style's formatting, given only in the style sheet.
    QTest::newRow("style sheet applied")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\stylesheet{\\s0 Normal;}"
                      "{\\s3\\b\\f1\\fs40 Big;}}\\pard\\s3 x\\par}")
        << "x" << "Courier New 20 b";
    QTest::newRow("style then direct words") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\stylesheet"
                                                          "{\\s3\\b\\fs40 Big;}}\\pard\\s3\\i x\\par}")
                                            << "x" << "Arial 20 b i";
    QTest::newRow("font name with alternative")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\froman Liberation Serif{\\*\\falt Times New Roman};}}\\f0 x}") << "x"
        << "Liberation Serif 12";
    // Paragraph formats: probe "#" means the block of the last paragraph.
    QTest::newRow("alignments") << head + "\\qc a\\par\\pard\\qr b\\par\\qj c\\par\\ql x}" << "#" << "l li0 ri0 fi0 sb0 sa0";
    QTest::newRow("centre") << head + "\\qc x\\par}" << "#" << "c li0 ri0 fi0 sb0 sa0";
    QTest::newRow("right") << head + "\\qr x}" << "#" << "r li0 ri0 fi0 sb0 sa0";
    QTest::newRow("justify") << head + "\\qj x}" << "#" << "j li0 ri0 fi0 sb0 sa0";
    QTest::newRow("indents and spacing") << head + "\\li720\\ri360\\fi-180\\sb120\\sa240 x\\par}" << "#"
                                         << "l li720 ri360 fi-180 sb120 sa240";
    QTest::newRow("pard resets") << head + "\\qc\\li720 a\\par\\pard x\\par}" << "#" << "l li0 ri0 fi0 sb0 sa0";
    QTest::newRow("format at par applies") << head + "x\\qc\\par}" << "#" << "c li0 ri0 fi0 sb0 sa0";
}

void TestRtf::formattingAtPosition()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, probe);
    QFETCH(QString, format);
    QTextDocument doc;
    RtfReader::Read(rtf, doc);
    if (probe == "#") {
        QCOMPARE(describeBlock(doc.lastBlock().blockFormat()), format);
        return;
    }
    const int at = doc.toPlainText().lastIndexOf(probe);
    QVERIFY(at >= 0);
    QTextCursor c(&doc);
    c.setPosition(at + 1);
    QCOMPARE(describeChar(c.charFormat()), format);
}

void TestRtf::writerRoundTripsEveryFeature()
{
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}{\\f2 a{b}\\\\c;}}"
                           "{\\colortbl;\\red1\\green2\\blue3;\\red200\\green100\\blue50;}"
                           "\\qc\\li100\\ri200\\fi-50\\sb20\\sa40 \\b B\\b0\\i I\\i0\\ul U\\ulnone\\strike S\\strike0 "
                           "\\f1\\fs15 small\\f2 odd\\f0\\cf1\\highlight2 col\\super up\\nosupersub\\sub down\\par"
                           "\\pard\\qj\\plain {\\}\\\\\\tab\\line caf\\'e9 \\u8364? \\u26085? \\u-10179?\\u-8704?\\par"
                           "\\par}";
    QTextDocument first;
    RtfReader::Read(rtf, first);
    const QByteArray written = RtfWriter::Write(first);
    QTextDocument second;
    RtfReader::Read(written, second);
    QCOMPARE(second.toPlainText(), first.toPlainText());
    QCOMPARE(signature(second), signature(first));
    QCOMPARE(first.blockCount(), 3);
    // A second write is the same as the first.
    QCOMPARE(RtfWriter::Write(second), written);
}

void TestRtf::malformedInputEndsQuickly_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::newRow("deep nesting") << "{\\rtf1 " + QByteArray(200000, '{') + "x" + QByteArray(200000, '}');
    QTest::newRow("deep unclosed") << "{\\rtf1 " + QByteArray(300000, '{');
    QTest::newRow("many closings") << "{\\rtf1 a" + QByteArray(300000, '}');
    QTest::newRow("long control word") << "{\\rtf1 \\" + QByteArray(500000, 'a') + " x}";
    QTest::newRow("long number") << "{\\rtf1 \\fs" + QByteArray(500000, '9') + " x}";
    QTest::newRow("many fonts") << "{\\rtf1{\\fonttbl" + QByteArray("{\\f1 A;}").repeated(50000) + "}x}";
    QTest::newRow("many colours") << "{\\rtf1{\\colortbl" + QByteArray("\\red1;").repeated(100000) + "}x}";
    QTest::newRow("many unicode skips") << "{\\rtf1\\uc16" + QByteArray("\\u1").repeated(100000) + "}";
    QTest::newRow("many paragraphs") << "{\\rtf1 " + QByteArray("\\par").repeated(20000) + "}";
    QTest::newRow("bin past end") << QByteArray("{\\rtf1{\\pict\\bin2147483647 ab");
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b\\\0c}", 14);
}

void TestRtf::malformedInputEndsQuickly()
{
    QFETCH(QByteArray, rtf);
    QElapsedTimer timer;
    timer.start();
    QTextDocument doc;
    RtfReader::Read(rtf, doc);
    // Linear work: well under a few seconds even in a debug build.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    // What was read writes and reads back.
    QTextDocument again;
    RtfReader::Read(RtfWriter::Write(doc), again);
    QCOMPARE(again.toPlainText(), doc.toPlainText());
}

void TestRtf::documentKeepsBytesUntilChanged()
{
    // Bytes that our writer would never produce come back as they were read,
    // until the text changes.
    const QByteArray odd = "{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Arial;}}  Hello\\par }\r\n";
    TRtfDocument doc;
    doc.SetData(odd);
    QCOMPARE(doc.Data(), odd);
    TRtfDocument copy;
    copy.Assign(doc);
    QCOMPARE(copy.Data(), odd);
    QCOMPARE(copy.PlainText(), QStringLiteral("  Hello"));
    copy.SetPlainText("Changed");
    QVERIFY(copy.Data() != odd);
    QVERIFY(copy.Data().startsWith("{\\rtf1"));
    QTextDocument check;
    RtfReader::Read(copy.Data(), check);
    QCOMPARE(check.toPlainText(), QStringLiteral("Changed"));
    // An empty document stores nothing.
    TRtfDocument empty;
    QVERIFY(empty.Data().isEmpty());
}

// RTF written by other programs (tests/data/conformance, made by
// make-conformance.sh there) against those programs' own plain text of it:
// LibreOffice Writer's text export, pandoc's plain output, Python's code
// page tables. Every line they give is in what the reader reads.
void TestRtf::otherProgramsRtfAsTheyReadIt_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("LibreOffice Writer") << "writer.rtf" << "writer-lo.txt";
    QTest::newRow("pandoc") << "pandoc.rtf" << "pandoc-plain.txt";
    QTest::newRow("code page 437") << "dos437.rtf" << "dos437.txt";
    QTest::newRow("code page 850") << "dos850.rtf" << "dos850.txt";
}

void TestRtf::otherProgramsRtfAsTheyReadIt()
{
    QFETCH(QString, rtf);
    QFETCH(QString, text);
    const QString dir = QStringLiteral(BRISVALE_TEST_DATA "/conformance/");
    QTextDocument doc;
    RtfReader::Read(readFile(dir + rtf), doc);
    const QString ours = doc.toPlainText();
    for (QString line : QString::fromUtf8(readFile(dir + text)).split('\n')) {
        // LibreOffice's text export leaves the Wingdings code as it is
        // (U+F028); the reader shows its picture instead, so that character
        // is not compared.
        line.remove(QChar(0xF028));
        for (const QString& part : line.split("  ", Qt::SkipEmptyParts))
            QVERIFY2(ours.contains(part.trimmed()), qPrintable("missing: " + part + "\nread: " + ours));
    }
    if (rtf != "writer.rtf")
        return;
    // What LibreOffice's own text export drops: the text box's words; and
    // the formatting it wrote: the style sheet's bold title, capitals, small
    // capitals, and the telephone of Wingdings code 0x28.
    QVERIFY2(ours.contains("Boxed words"), qPrintable(ours));
    auto formatOf = [&](const QString& probe) {
        QTextCursor c(&doc);
        c.setPosition(ours.indexOf(probe) + 1);
        return c.charFormat();
    };
    QVERIFY(formatOf("Harbour").fontWeight() >= QFont::Bold);
    QCOMPARE(formatOf("open").fontCapitalization(), QFont::AllUppercase);
    QCOMPARE(formatOf("late").fontCapitalization(), QFont::SmallCaps);
    const int call = ours.indexOf("Call ");
    QVERIFY(call >= 0);
    const QChar symbol = ours.at(call + 5);
    QVERIFY2(symbol != QChar('(') && symbol.unicode() != 0xF028, qPrintable(QString::number(symbol.unicode(), 16)));
}

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
