// Profile (INI) files: what existing QRD.INI, .QRE and .QRDT files rely on.
#include "platform/Errors.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;

namespace {
void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}
} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void integers_data();
    void integers();
    void booleansReadAsIntegers_data();
    void booleansReadAsIntegers();
    void namesIgnoreCaseAndFirstMatchWins();
    void stringValues_data();
    void stringValues();
    void missingFileGivesDefaultsAndIsNotCreated();
    void writeKeepsUnrelatedLinesExactly();
    void writeAddsKeysAndSections();
    void lineEndsOfTheFileAreKept();
    void lineBreaksInValuesCannotForgeKeys();
    void sectionListing();
    void eraseAndDelete();
    void outsideEditIsSeenAtOnce();
    void encodingOnRead_data();
    void encodingOnRead();
    void encodingOnWrite();
    void windows1252CoversEveryByte();
    void writeThroughALinkKeepsTheLink();
    void refusedWriteRaisesWithFullPath_data();
    void refusedWriteRaisesWithFullPath();

private:
    QTemporaryDir dir;
    QString ini;
};

void TestProfileFile::init()
{
    QVERIFY(dir.isValid());
    ini = dir.filePath(QStringLiteral("test.ini"));
    QFile::remove(ini);
}

void TestProfileFile::integers_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    // default for every row is 10
    QTest::newRow("decimal") << QByteArray("12") << 12;
    QTest::newRow("hex 0x0C") << QByteArray("0x0C") << 12;
    QTest::newRow("hex upper X") << QByteArray("0X1f") << 31;
    QTest::newRow("hex all bits is -1") << QByteArray("0xFFFFFFFF") << -1;
    QTest::newRow("hex too long") << QByteArray("0x100000000") << 10;
    QTest::newRow("bare 0x") << QByteArray("0x") << 10;
    QTest::newRow("hex with junk") << QByteArray("0x1G") << 10;
    QTest::newRow("letters") << QByteArray("abc") << 10;
    QTest::newRow("trailing junk") << QByteArray("12abc") << 10;
    QTest::newRow("negative") << QByteArray("-8") << -8;
    QTest::newRow("plus sign") << QByteArray("+8") << 8;
    QTest::newRow("sign only") << QByteArray("-") << 10;
    QTest::newRow("blanks around") << QByteArray("  7  ") << 7;
    QTest::newRow("empty") << QByteArray("") << 10;
    QTest::newRow("fraction") << QByteArray("1.5") << 10;
    QTest::newRow("int max") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("int min") << QByteArray("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("overflow") << QByteArray("2147483648") << 10;
    QTest::newRow("huge") << QByteArray("99999999999999999999") << 10;
}

void TestProfileFile::integers()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    writeBytes(ini, "[Default Font]\r\nSize=" + value + "\r\n");
    ProfileFile f(ini);
    QCOMPARE(f.ReadInteger(QStringLiteral("Default Font"), QStringLiteral("Size"), 10), expected);
}

void TestProfileFile::booleansReadAsIntegers_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");
    QTest::newRow("2 is true") << QByteArray("[S]\nB=2\n") << false << true;
    QTest::newRow("-1 is true") << QByteArray("[S]\nB=-1\n") << false << true;
    QTest::newRow("0 is false") << QByteArray("[S]\nB=0\n") << true << false;
    QTest::newRow("0x0 is false") << QByteArray("[S]\nB=0x0\n") << true << false;
    QTest::newRow("text gives default true") << QByteArray("[S]\nB=yes\n") << true << true;
    QTest::newRow("text gives default false") << QByteArray("[S]\nB=true\n") << false << false;
    QTest::newRow("missing gives default") << QByteArray("[S]\n") << true << true;
}

void TestProfileFile::booleansReadAsIntegers()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);
    writeBytes(ini, file);
    ProfileFile f(ini);
    QCOMPARE(f.ReadBool(QStringLiteral("S"), QStringLiteral("B"), defaultValue), expected);
    // Written back as 0 or 1 whatever was read.
    f.WriteBool(QStringLiteral("S"), QStringLiteral("B"), expected);
    QCOMPARE(f.ReadString(QStringLiteral("S"), QStringLiteral("B")), expected ? QStringLiteral("1") : QStringLiteral("0"));
}

void TestProfileFile::namesIgnoreCaseAndFirstMatchWins()
{
    writeBytes(ini, "[printer]\nTOPMARGINNUDGE=3\ntopmarginnudge=5\n[PRINTER]\nLeftMarginNudge=7\n");
    ProfileFile f(ini);
    QCOMPARE(f.ReadInteger(QStringLiteral("Printer"), QStringLiteral("TopMarginNudge"), 0), 3);
    // Only the first section of a name is consulted.
    QCOMPARE(f.ReadInteger(QStringLiteral("Printer"), QStringLiteral("LeftMarginNudge"), -1), -1);
    // A write replaces the first matching key in place, in the first section.
    f.WriteInteger(QStringLiteral("PRINTER"), QStringLiteral("TopMarginNudge"), 4);
    QCOMPARE(readBytes(ini), QByteArray("[printer]\nTopMarginNudge=4\ntopmarginnudge=5\n[PRINTER]\nLeftMarginNudge=7\n"));
}

void TestProfileFile::stringValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QByteArray("Name=Arial") << QStringLiteral("Arial");
    QTest::newRow("blanks trimmed") << QByteArray("  Name =  Times New Roman  ") << QStringLiteral("Times New Roman");
    QTest::newRow("double quotes stripped") << QByteArray("Name=\" spaced \"") << QStringLiteral(" spaced ");
    QTest::newRow("single quotes stripped") << QByteArray("Name='x'") << QStringLiteral("x");
    QTest::newRow("unmatched quote kept") << QByteArray("Name=\"x") << QStringLiteral("\"x");
    QTest::newRow("second equals belongs to value") << QByteArray("Name=a=b") << QStringLiteral("a=b");
    QTest::newRow("empty value is not the default") << QByteArray("Name=") << QString();
    QTest::newRow("cut at 1023") << QByteArray("Name=" + QByteArray(1500, 'x')) << QString(1023, QLatin1Char('x'));
    QTest::newRow("1023 kept whole") << QByteArray("Name=" + QByteArray(1023, 'y')) << QString(1023, QLatin1Char('y'));
}

void TestProfileFile::stringValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    writeBytes(ini, "; comment\r\n[Default Font]\r\n" + line + "\r\n");
    ProfileFile f(ini);
    const QString got = f.ReadString(QStringLiteral("default font"), QStringLiteral("name"), QStringLiteral("DEFAULT"));
    QCOMPARE(got, expected);
    QCOMPARE(got.isNull(), false);
}

void TestProfileFile::missingFileGivesDefaultsAndIsNotCreated()
{
    ProfileFile f(ini);
    QCOMPARE(f.ReadString(QStringLiteral("Personal"), QStringLiteral("Name"), QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(f.ReadInteger(QStringLiteral("Layout"), QStringLiteral("Height"), 2000), 2000);
    QCOMPARE(f.ReadBool(QStringLiteral("Layout"), QStringLiteral("UseMM"), true), true);
    QVERIFY(f.ReadSection(QStringLiteral("MRU")).isEmpty());
    QVERIFY(!f.SectionExists(QStringLiteral("MRU")));
    f.EraseSection(QStringLiteral("MRU"));
    f.DeleteKey(QStringLiteral("MRU"), QStringLiteral("F0"));
    QVERIFY(!QFile::exists(ini));
    // The default is cut like a value from the file.
    QCOMPARE(f.ReadString(QStringLiteral("a"), QStringLiteral("b"), QString(2000, QLatin1Char('z'))).size(), 1023);
}

void TestProfileFile::writeKeepsUnrelatedLinesExactly()
{
    const QByteArray before =
        "; preferences\r\n"
        "[Printer]\r\n"
        "TopMarginNudge=2\r\n"
        "; keep me\r\n"
        "junk line without equals\r\n"
        "\r\n"
        "[Other]\r\n"
        "x = 1\r\n";
    writeBytes(ini, before);
    ProfileFile f(ini);
    f.WriteInteger(QStringLiteral("printer"), QStringLiteral("topmarginnudge"), -3);
    QCOMPARE(readBytes(ini), QByteArray(before).replace("TopMarginNudge=2", "topmarginnudge=-3"));
}

void TestProfileFile::writeAddsKeysAndSections()
{
    writeBytes(ini, "[Printer]\r\nA=1\r\n\r\n[Other]\r\nx=1\r\n");
    ProfileFile f(ini);
    f.WriteString(QStringLiteral("Printer"), QStringLiteral("B"), QStringLiteral("2"));
    f.WriteString(QStringLiteral("Layout"), QStringLiteral("Height"), QStringLiteral("2000"));
    f.WriteString(QStringLiteral("Layout"), QStringLiteral("Width"), QStringLiteral("3500"));
    QCOMPARE(readBytes(ini), QByteArray("[Printer]\r\nA=1\r\nB=2\r\n\r\n[Other]\r\nx=1\r\n"
                                        "\r\n[Layout]\r\nHeight=2000\r\nWidth=3500\r\n"));

    // A new file starts with the section.
    QFile::remove(ini);
    f.WriteInteger(QStringLiteral("MRU"), QStringLiteral("F0"), 5);
    QCOMPARE(readBytes(ini), QByteArray("[MRU]\r\nF0=5\r\n"));
}

void TestProfileFile::lineEndsOfTheFileAreKept()
{
    writeBytes(ini, "[A]\nk=1\n");
    ProfileFile f(ini);
    f.WriteString(QStringLiteral("A"), QStringLiteral("j"), QStringLiteral("2"));
    QCOMPARE(readBytes(ini), QByteArray("[A]\nk=1\nj=2\n"));
    // A last line without a line end is read too.
    writeBytes(ini, "[A]\r\nk=last");
    QCOMPARE(f.ReadString(QStringLiteral("A"), QStringLiteral("k")), QStringLiteral("last"));
}

void TestProfileFile::lineBreaksInValuesCannotForgeKeys()
{
    ProfileFile f(ini);
    f.WriteString(QStringLiteral("Personal"), QStringLiteral("Name"), QStringLiteral("Ann\r\n[Printer]\nTopMarginNudge=8"));
    QVERIFY(!f.SectionExists(QStringLiteral("Printer")));
    QCOMPARE(f.ReadSection(QStringLiteral("Personal")), QStringList{QStringLiteral("Name")});
    QCOMPARE(f.ReadString(QStringLiteral("Personal"), QStringLiteral("Name")), QStringLiteral("Ann  [Printer] TopMarginNudge=8"));
}

void TestProfileFile::sectionListing()
{
    writeBytes(ini, "[MRU]\r\nB=y.qrd\r\n; c\r\nA=x.qrd\r\nA=dup.qrd\r\nodd\r\n\r\n[Layout]\r\nHeight=1\r\n");
    ProfileFile f(ini);
    QCOMPARE(f.ReadSection(QStringLiteral("mru")), (QStringList{"B", "A", "A"}));
    QCOMPARE(f.ReadSectionValues(QStringLiteral("MRU")),
             (QStringList{"B=y.qrd", "A=x.qrd", "A=dup.qrd", "odd"}));
    QCOMPARE(f.ReadSections(), (QStringList{"MRU", "Layout"}));
    QVERIFY(f.SectionExists(QStringLiteral("layout")));
    QVERIFY(f.ValueExists(QStringLiteral("Layout"), QStringLiteral("HEIGHT")));
    QVERIFY(!f.ValueExists(QStringLiteral("Layout"), QStringLiteral("Width")));
}

void TestProfileFile::eraseAndDelete()
{
    writeBytes(ini, "[Keep]\r\na=1\r\n[MRU]\r\nF0=x\r\nF1=y\r\n[keep2]\r\nb=2\r\n[mru]\r\nF9=z\r\n");
    ProfileFile f(ini);
    f.DeleteKey(QStringLiteral("keep"), QStringLiteral("A"));
    f.DeleteKey(QStringLiteral("keep"), QStringLiteral("nothing"));
    f.EraseSection(QStringLiteral("Mru"));
    QCOMPARE(readBytes(ini), QByteArray("[Keep]\r\n[keep2]\r\nb=2\r\n"));
    f.WriteString(QStringLiteral("MRU"), QStringLiteral("F0"), QStringLiteral("new"));
    QCOMPARE(f.ReadSectionValues(QStringLiteral("MRU")), QStringList{QStringLiteral("F0=new")});
}

void TestProfileFile::outsideEditIsSeenAtOnce()
{
    ProfileFile f(ini);
    f.WriteInteger(QStringLiteral("Layout"), QStringLiteral("Across"), 2);
    QCOMPARE(f.ReadInteger(QStringLiteral("Layout"), QStringLiteral("Across"), 0), 2);
    writeBytes(ini, "[Layout]\r\nAcross=3\r\n");
    QCOMPARE(f.ReadInteger(QStringLiteral("Layout"), QStringLiteral("Across"), 0), 3);
    // A second object on the same file sees the first one's writes.
    ProfileFile g(ini);
    f.WriteInteger(QStringLiteral("Layout"), QStringLiteral("Down"), 4);
    QCOMPARE(g.ReadInteger(QStringLiteral("Layout"), QStringLiteral("Down"), 0), 4);
}

void TestProfileFile::encodingOnRead_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("windows-1252 e acute") << QByteArray("Caf\xE9") << QStringLiteral("Caf\u00E9");
    QTest::newRow("windows-1252 euro and quotes") << QByteArray("\x80 \x93x\x94") << QStringLiteral("\u20AC \u201Cx\u201D");
    QTest::newRow("utf-8 e acute") << QByteArray("Caf\xC3\xA9") << QStringLiteral("Caf\u00E9");
    QTest::newRow("utf-8 beyond 1252") << QByteArray("\xCE\xA9 \xE2\x82\xAC") << QStringLiteral("\u03A9 \u20AC");
    QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBFx") << QStringLiteral("x");
    QTest::newRow("truncated utf-8 is 1252") << QByteArray("\xC3") << QStringLiteral("\u00C3");
}

void TestProfileFile::encodingOnRead()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, expected);
    QByteArray file = "[P]\r\nName=" + value + "\r\n";
    if (value.startsWith("\xEF\xBB\xBF"))
        file = value.left(3) + "[P]\r\nName=" + value.mid(3) + "\r\n";
    writeBytes(ini, file);
    QCOMPARE(ProfileFile(ini).ReadString(QStringLiteral("P"), QStringLiteral("Name")), expected);
}

void TestProfileFile::encodingOnWrite()
{
    ProfileFile f(ini);
    f.WriteString(QStringLiteral("P"), QStringLiteral("Name"), QStringLiteral("Caf\u00E9 \u20AC"));
    QCOMPARE(readBytes(ini), QByteArray("[P]\r\nName=Caf\xE9 \x80\r\n"));
    // One character outside the code page turns the whole file into UTF-8,
    // and the earlier text still reads back the same.
    f.WriteString(QStringLiteral("P"), QStringLiteral("Company"), QStringLiteral("\u03A9mega"));
    QCOMPARE(readBytes(ini), QByteArray("[P]\r\nName=Caf\xC3\xA9 \xE2\x82\xAC\r\nCompany=\xCE\xA9mega\r\n"));
    QCOMPARE(f.ReadString(QStringLiteral("P"), QStringLiteral("Name")), QStringLiteral("Caf\u00E9 \u20AC"));
    // Once it fits again, the file goes back to the code page.
    f.DeleteKey(QStringLiteral("P"), QStringLiteral("Company"));
    QCOMPARE(readBytes(ini), QByteArray("[P]\r\nName=Caf\xE9 \x80\r\n"));
    // Text whose code-page bytes would look like UTF-8 is written as UTF-8,
    // so it does not come back as other characters.
    const QString lookalike = QStringLiteral("\u00C3\u00A9");
    f.WriteString(QStringLiteral("P"), QStringLiteral("Name"), lookalike);
    QCOMPARE(f.ReadString(QStringLiteral("P"), QStringLiteral("Name")), lookalike);
}

void TestProfileFile::windows1252CoversEveryByte()
{
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const QString text = DecodeWindows1252(all);
    QCOMPARE(text.size(), all.size());
    QCOMPARE(EncodeWindows1252(text).value_or(QByteArray()), all);
    QVERIFY(!EncodeWindows1252(QStringLiteral("\u0080")).has_value()); // C1 control that 1252 maps elsewhere
    QVERIFY(!EncodeWindows1252(QStringLiteral("\u4E2D")).has_value());
}

void TestProfileFile::writeThroughALinkKeepsTheLink()
{
    const QString target = dir.filePath(QStringLiteral("real.ini"));
    const QString link = dir.filePath(QStringLiteral("link.ini"));
    QFile::remove(target);
    QFile::remove(link);
    writeBytes(target, "[A]\r\nk=1\r\n");
    QVERIFY(QFile::link(target, link));
    ProfileFile f(link);
    f.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readBytes(target), QByteArray("[A]\r\nk=2\r\n"));
    // No temporary files are left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 2);
}

void TestProfileFile::refusedWriteRaisesWithFullPath_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("path is a folder") << QStringLiteral("folder.ini");
    QTest::newRow("folder does not exist") << QStringLiteral("missing/QRD.INI");
}

void TestProfileFile::refusedWriteRaisesWithFullPath()
{
    QFETCH(QString, relative);
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder.ini")));
    const QString path = dir.filePath(relative);
    ProfileFile f(path);
    const QString expected = QStringLiteral("Unable to write to ") + QFileInfo(path).absoluteFilePath();
    for (int op = 0; op < 2; ++op) {
        try {
            if (op == 0)
                f.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
            else
                f.WriteBool(QStringLiteral("S"), QStringLiteral("K"), true);
            QFAIL("write was not refused");
        } catch (const EWriteError& e) {
            QCOMPARE(e.message(), expected);
        }
    }
    // Reading the same place still just gives defaults.
    QCOMPARE(f.ReadInteger(QStringLiteral("S"), QStringLiteral("K"), 42), 42);
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
