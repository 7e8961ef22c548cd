// QRD.INI: what each operation reads and writes, defaults, and the file
// quirks existing preference files rely on.
#include "document/Settings.h"
#include "platform/Environment.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace bv;

namespace {
void writeIni(const QByteArray& bytes)
{
    QFile f(IniPath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readIni()
{
    QFile f(IniPath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void missingFileGivesDefaults();
    void defaultFontSize_data();
    void defaultFontSize();
    void booleanTwoIsTrueAndWrittenBackAsOne();
    void preferencesWrittenInOrder();
    void nudgesStayWithinLimits();
    void layoutStoredInThousandths_data();
    void layoutStoredInThousandths();
    void layoutWrittenInOrderAndReadBack();
    void sheetByMediaNameKeptBesideThePaperCode_data();
    void sheetByMediaNameKeptBesideThePaperCode();
    void portraitDefaultIsTheCurrentValue();
    void personalInformationRoundTrip();
    void recentFilesIgnoreKeyNames();
    void recentFilesStoreReplacesTheSection();
    void refusedWriteNamesTheFile();
    void eachSaveIsOneWholeWrite_data();
    void eachSaveIsOneWholeWrite();

private:
    QTemporaryDir home;
};

void TestSettings::initTestCase()
{
    QVERIFY(home.isValid());
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
}

void TestSettings::init()
{
    QDir(home.path()).removeRecursively();
    QDir().mkpath(home.path());
    QCOMPARE(IniPath(), home.path() + QStringLiteral("/QRD.INI"));
}

void TestSettings::missingFileGivesDefaults()
{
    TSettings s;
    QCOMPARE(s.LoadPreferences(), TPreferences());
    const TPreferences p = s.LoadPreferences();
    QCOMPARE(p.DefaultFont.Name, QStringLiteral("Arial"));
    QCOMPARE(p.DefaultFont.Size, 10);
    QVERIFY(p.ShowBottomMarginWarning);
    QCOMPARE(s.LoadLayoutPreferences(TCardLayout()), TCardLayout());
    QCOMPARE(s.LoadPersonalInfo(), TPersonalInfo());
    QVERIFY(s.LoadRecentFiles().isEmpty());
    QVERIFY(!QFile::exists(IniPath())); // reading never creates the file
}

void TestSettings::defaultFontSize_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("size");
    QTest::newRow("0x0C") << QByteArray("0x0C") << 12;
    QTest::newRow("abc") << QByteArray("abc") << 10;
    QTest::newRow("14") << QByteArray("14") << 14;
}

void TestSettings::defaultFontSize()
{
    QFETCH(QByteArray, value);
    QFETCH(int, size);
    writeIni("[Default Font]\r\nName=Times New Roman\r\nSize=" + value + "\r\n");
    const TPreferences p = TSettings().LoadPreferences();
    QCOMPARE(p.DefaultFont.Size, size);
    QCOMPARE(p.DefaultFont.Name, QStringLiteral("Times New Roman"));
}

void TestSettings::booleanTwoIsTrueAndWrittenBackAsOne()
{
    writeIni("[Default Font]\r\nBold=2\r\nItalic=0\r\n[Printer]\r\nShowBottomMarginWarning=0\r\n");
    TSettings s;
    TPreferences p = s.LoadPreferences();
    QVERIFY(p.DefaultFont.Bold);
    QVERIFY(!p.DefaultFont.Italic);
    QVERIFY(!p.ShowBottomMarginWarning);
    s.SavePreferences(p);
    const QByteArray after = readIni();
    QVERIFY2(after.contains("Bold=1\r\n"), after.constData());
    QVERIFY(!after.contains("Bold=2"));
    QCOMPARE(s.LoadPreferences(), p);
}

void TestSettings::preferencesWrittenInOrder()
{
    TPreferences p;
    p.ShowBottomMarginWarning = false;
    p.DefaultFont = {QStringLiteral("Times New Roman"), 12, true, false, true};
    p.Nudges = {2, -3, 8, -8};
    TSettings().SavePreferences(p);
    // New file: the warning flag opens [Printer], the font section follows,
    // and the nudges join [Printer] after the flag.
    QCOMPARE(readIni(), QByteArray("[Printer]\r\nShowBottomMarginWarning=0\r\nTopMarginNudge=2\r\nLeftMarginNudge=-3\r\n"
                                   "VerticalSpacing=8\r\nHorizontalSpacing=-8\r\n\r\n"
                                   "[Default Font]\r\nName=Times New Roman\r\nSize=12\r\nBold=1\r\nItalic=0\r\nUnderline=1\r\n"));
    QCOMPARE(TSettings().LoadPreferences(), p);
}

void TestSettings::nudgesStayWithinLimits()
{
    writeIni("[Printer]\r\nTopMarginNudge=40\r\nLeftMarginNudge=-9\r\nVerticalSpacing=-8\r\nHorizontalSpacing=x\r\n");
    const TPrinterNudges n = TSettings().LoadPreferences().Nudges;
    QCOMPARE(n.TopMargin, 8);
    QCOMPARE(n.LeftMargin, -8);
    QCOMPARE(n.VerticalSpacing, -8);
    QCOMPARE(n.HorizontalSpacing, 0);
}

void TestSettings::layoutStoredInThousandths_data()
{
    QTest::addColumn<float>("inches");
    QTest::addColumn<int>("stored");
    QTest::newRow("3.543") << 3.543f << 3543;
    QTest::newRow("2.047") << 2.047f << 2047;
    QTest::newRow("0.846") << 0.846f << 846;
    QTest::newRow("half a thousandth rounds to even, down") << 2.0625f << 2062;
    QTest::newRow("0.0015 as a single lies above the half") << 0.0015f << 2;
    QTest::newRow("1/3") << (1.0f / 3.0f) << 333;
}

void TestSettings::layoutStoredInThousandths()
{
    QFETCH(float, inches);
    QFETCH(int, stored);
    QCOMPARE(LayoutLengthToStored(inches), stored);
    // A margin: it may be as small as these (a card's width could not).
    TCardLayout l;
    l.TopMargin = inches;
    TSettings().SaveLayoutPreferences(l);
    QVERIFY(readIni().contains("TopMargin=" + QByteArray::number(stored) + "\r\n"));
    // Read back as thousandths × 0.001 in single precision.
    QCOMPARE(TSettings().LoadLayoutPreferences(TCardLayout()).TopMargin, ToSingle(stored * 0.001L));
}

void TestSettings::layoutWrittenInOrderAndReadBack()
{
    TCardLayout l;
    ApplyPredefinedLayout(l, 19); // Formtec LS-3510
    l.PredefLayout = 19;
    l.Across = 3;
    l.UseMM = true;
    l.Portrait = true;
    TSettings().SaveLayoutPreferences(l);
    QCOMPARE(readIni(), QByteArray("[Layout]\r\nHeight=1770\r\nWidth=3480\r\nTopMargin=830\r\nLeftMargin=490\r\n"
                                   "HPitch=3880\r\nVPitch=2040\r\nPredefLayout=19\r\nPapersize=9\r\n"
                                   "Across=3\r\nDown=5\r\nUseMM=1\r\nPortrait=1\r\n"));
    const TCardLayout back = TSettings().LoadLayoutPreferences(TCardLayout());
    QCOMPARE(back, l); // the table's singles survive the thousandths
}

void TestSettings::sheetByMediaNameKeptBesideThePaperCode_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("read");   // the Paper read back
    QTest::addColumn<QSizeF>("inches"); // the sheet printed on
    QTest::newRow("ISO B4") << "iso_b4_250x353mm" << "iso_b4_250x353mm" << QSizeF(250 / 25.4, 353 / 25.4);
    QTest::newRow("custom, inches") << "custom_4x6in_4x6in" << "custom_4x6in_4x6in" << QSizeF(4, 6);
    // Names without a usable size: the paper code's sheet (A4) instead.
    QTest::newRow("no size in the name") << "iso_b4" << "" << QSizeF(8.268, 11.69);
    QTest::newRow("no sheet") << "custom_0x0mm_0x0mm" << "" << QSizeF(8.268, 11.69);
    QTest::newRow("beyond 99 inches") << "custom_3000x100in_3000x100in" << "" << QSizeF(8.268, 11.69);
}

void TestSettings::sheetByMediaNameKeptBesideThePaperCode()
{
    QFETCH(QString, stored);
    QFETCH(QString, read);
    QFETCH(QSizeF, inches);
    TCardLayout l;
    l.Papersize = PaperA4;
    l.Paper = stored;
    TSettings().SaveLayoutPreferences(l);
    // Older readers find the paper code where it always was.
    QVERIFY(readIni().contains("Papersize=9\r\n"));
    QVERIFY(readIni().endsWith(QStringLiteral("Paper=%1\r\n").arg(stored).toLatin1()));
    const TCardLayout back = TSettings().LoadLayoutPreferences(TCardLayout());
    QCOMPARE(back.Paper, read);
    QCOMPARE(back.Papersize, int(PaperA4));
    const QSizeF sheet = LayoutPaperInches(back);
    QVERIFY(std::abs(sheet.width() - inches.width()) < 1e-3 && std::abs(sheet.height() - inches.height()) < 1e-3);
}

void TestSettings::portraitDefaultIsTheCurrentValue()
{
    TSettings s;
    TCardLayout rotated;
    rotated.Portrait = true;
    writeIni("[Layout]\r\nAcross=1\r\n");
    QVERIFY(s.LoadLayoutPreferences(rotated).Portrait);
    QVERIFY(!s.LoadLayoutPreferences(TCardLayout()).Portrait);
    QCOMPARE(s.LoadLayoutPreferences(TCardLayout()).Across, 1);
    writeIni("[Layout]\r\nPortrait=1\r\n");
    QVERIFY(s.LoadLayoutPreferences(TCardLayout()).Portrait);
    writeIni("[Layout]\r\nPortrait=0\r\n");
    QVERIFY(!s.LoadLayoutPreferences(rotated).Portrait);
}

void TestSettings::personalInformationRoundTrip()
{
    writeIni("; mine\r\n[Other]\r\nx=1\r\n");
    TPersonalInfo info;
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        info.Field(i) = QStringLiteral("v%1 \u00E9").arg(i);
    info.Address3.clear();
    TSettings().SavePersonalInfo(info);
    QCOMPARE(TSettings().LoadPersonalInfo(), info);
    const QByteArray bytes = readIni();
    QVERIFY(bytes.startsWith("; mine\r\n[Other]\r\nx=1\r\n"));
    QVERIFY(bytes.contains("[Personal]\r\nName=v0 \xE9\r\nCompany=v1 \xE9\r\nTitle=v2 \xE9\r\nAddress1=v3 \xE9\r\n"
                           "Address2=v4 \xE9\r\nAddress3=\r\nPhone1=v6 \xE9\r\nPhone2=v7 \xE9\r\nEmail=v8 \xE9\r\nFax=v9 \xE9\r\n"));
}

void TestSettings::recentFilesIgnoreKeyNames()
{
    writeIni("[MRU]\r\nA=x.qrd\r\nB=y.qrd\r\n");
    QCOMPARE(TSettings().LoadRecentFiles(), (QStringList{"x.qrd", "y.qrd"}));
    // Duplicate keys, empty values and lines without '=' in between.
    writeIni("[MRU]\r\nF1=/a/one.qrd\r\nF1=/a/two=2.qrd\r\nF2=\r\nnonsense\r\nZ=/a/three.qrd\r\n"
             "F3=4\r\nF4=5\r\nF5=6\r\n[Next]\r\nF6=no\r\n");
    QCOMPARE(TSettings().LoadRecentFiles(), (QStringList{"/a/one.qrd", "/a/two=2.qrd", "/a/three.qrd", "4", "5"}));
}

void TestSettings::recentFilesStoreReplacesTheSection()
{
    writeIni("[MRU]\r\nA=old.qrd\r\nB=older.qrd\r\n[Printer]\r\nTopMarginNudge=1\r\n");
    TSettings s;
    s.StoreRecentFiles({"/d/1.qrd", "/d/2.qrd", "/d/3.qrd", "/d/4.qrd", "/d/5.qrd", "/d/6.qrd"});
    QCOMPARE(readIni(), QByteArray("[Printer]\r\nTopMarginNudge=1\r\n\r\n[MRU]\r\nF0=/d/1.qrd\r\nF1=/d/2.qrd\r\n"
                                   "F2=/d/3.qrd\r\nF3=/d/4.qrd\r\nF4=/d/5.qrd\r\n"));
    s.StoreRecentFiles({});
    QVERIFY(s.LoadRecentFiles().isEmpty());
    QCOMPARE(s.LoadPreferences().Nudges.TopMargin, 1);
}

void TestSettings::refusedWriteNamesTheFile()
{
    // Tests run as root, so permissions do not stop a write; a folder where
    // the file should be does.
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("QRD.INI")));
    const QString expected = QStringLiteral("Unable to write to ") + home.path() + QStringLiteral("/QRD.INI");
    TSettings s;
    auto refused = [&](auto&& write) {
        try {
            write();
        } catch (const EWriteError& e) {
            return e.message() == expected;
        }
        return false;
    };
    QVERIFY(refused([&] { s.SavePreferences(TPreferences()); }));
    QVERIFY(refused([&] { s.SaveLayoutPreferences(TCardLayout()); }));
    QVERIFY(refused([&] { s.SavePersonalInfo(TPersonalInfo()); }));
    QVERIFY(refused([&] { s.StoreRecentFiles({"a.qrd"}); }));
    // Reading still gives the defaults.
    QCOMPARE(s.LoadPreferences(), TPreferences());
}

void TestSettings::eachSaveIsOneWholeWrite_data()
{
    QTest::addColumn<std::function<void(const TSettings&)>>("save");
    TPreferences prefs;
    prefs.Nudges.TopMargin = 3;
    prefs.DefaultFont.Name = QStringLiteral("Liberation Serif");
    TCardLayout layout;
    layout.Across = 3;
    TPersonalInfo info;
    info.Field(0) = QStringLiteral("Ada");
    QTest::newRow("preferences") << std::function<void(const TSettings&)>([=](const TSettings& s) { s.SavePreferences(prefs); });
    QTest::newRow("layout") << std::function<void(const TSettings&)>([=](const TSettings& s) { s.SaveLayoutPreferences(layout); });
    QTest::newRow("personal") << std::function<void(const TSettings&)>([=](const TSettings& s) { s.SavePersonalInfo(info); });
    QTest::newRow("recent files") << std::function<void(const TSettings&)>([](const TSettings& s) { s.StoreRecentFiles({"/d/1.qrd", "/d/2.qrd"}); });
}

void TestSettings::eachSaveIsOneWholeWrite()
{
    QFETCH(std::function<void(const TSettings&)>, save);
    const QByteArray before("[MRU]\r\nF0=/old.qrd\r\n\r\n[Printer]\r\nTopMarginNudge=1\r\n");
    writeIni(before);
    TSettings s;
    int commits = 0;
    bool full = true;
    AtomicFile::SetFailureHook([&](const QString& target) {
        ++commits;
        return full && target.endsWith(QStringLiteral("QRD.INI"));
    });
    // A full disk: the save fails as a whole and QRD.INI keeps every byte.
    QVERIFY_THROWS_EXCEPTION(EWriteError, save(s));
    QCOMPARE(readIni(), before);
    // Otherwise all of its keys arrive with one write of the file.
    full = false;
    commits = 0;
    save(s);
    AtomicFile::SetFailureHook({});
    QCOMPARE(commits, 1);
    QVERIFY(readIni() != before);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
