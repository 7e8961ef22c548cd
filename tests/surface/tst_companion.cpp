// The .QRE companion file: key order and rounding on write, defaults and the
// older plain-text form on read, and a failed write keeping the old file.
#include "surface/CompanionFile.h"

#include "platform/AtomicFile.h"
#include "platform/Errors.h"

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
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestCompanion : public QObject {
    Q_OBJECT
private slots:
    void writesKeysInOrder();
    void lengthsRoundHalfToEven_data();
    void lengthsRoundHalfToEven();
    void roundTripOfEveryValue();
    void missingLayoutSectionGivesDefaults();
    void badNumbersGiveDefaults();
    void olderPlainTextFile_data();
    void olderPlainTextFile();
    void missingFile();
    void companionPathReplacesExtension_data();
    void companionPathReplacesExtension();
    void failedWriteKeepsOldFile();
    void nonLatinBackgroundSurvives();

private:
    QTemporaryDir dir;
};

void TestCompanion::writesKeysInOrder()
{
    const QString path = dir.filePath(QStringLiteral("order.QRE"));
    // An older file with other content is replaced, not merged.
    writeBytes(path, "[Layout]\r\nAcross=9\r\n[Extra]\r\nKey=1\r\n");
    CompanionLayout l;
    l.height = 2047;
    l.width = 3543;
    l.topMargin = 728;
    l.leftMargin = 591;
    l.hPitch = 3543;
    l.vPitch = 2047;
    l.predefLayout = 10;
    l.paperSize = 9;
    l.across = 2;
    l.down = 5;
    l.useMM = true;
    l.usePortrait = false;
    WriteCompanionFile(path, QStringLiteral("/home/u/bg/SUNSET.BMP"), l);
    QString text = QString::fromLatin1(readBytes(path));
    text.remove(QLatin1Char('\r'));
    QCOMPARE(text,
             QStringLiteral("[Ini Data]\nISINI=1\nVersion=2\n\n"
                            "[Background]\nFile=/home/u/bg/SUNSET.BMP\n\n"
                            "[Layout]\nHeight=2047\nWidth=3543\nTopMargin=728\nLeftMargin=591\n"
                            "HPitch=3543\nVPitch=2047\nPredefLayout=10\nPapersize=9\nAcross=2\nDown=5\n"
                            "UseMM=1\nUsePortrait=0\n"));
}

void TestCompanion::lengthsRoundHalfToEven_data()
{
    QTest::addColumn<float>("inches");
    QTest::addColumn<int>("stored");
    QTest::newRow("3.5") << 3.5f << 3500;
    QTest::newRow("single 3.543") << 3.543f << 3543;    // 3542.9998...
    QTest::newRow("single 2.047") << 2.047f << 2047;
    QTest::newRow("62.5 to even") << 0.0625f << 62;
    QTest::newRow("187.5 to even") << 0.1875f << 188;
    QTest::newRow("2062.5 to even") << 2.0625f << 2062;
    QTest::newRow("1.77") << 1.77f << 1770;
}

void TestCompanion::lengthsRoundHalfToEven()
{
    QFETCH(float, inches);
    QFETCH(int, stored);
    QCOMPARE(InchesToThousandths(inches), stored);
    // Read back as the single nearest to stored × 0.001.
    QCOMPARE(ThousandthsToInches(stored), ToSingle(stored * 0.001L));
    QCOMPARE(InchesToThousandths(ThousandthsToInches(stored)), stored);
}

void TestCompanion::roundTripOfEveryValue()
{
    const QString path = dir.filePath(QStringLiteral("trip.QRE"));
    CompanionLayout l;
    l.height = 1770;
    l.width = 3480;
    l.topMargin = 830;
    l.leftMargin = 490;
    l.hPitch = 3880;
    l.vPitch = 2040;
    l.predefLayout = 19;
    l.paperSize = 9;
    l.across = 3;
    l.down = 7;
    l.useMM = true;
    l.usePortrait = true;
    WriteCompanionFile(path, QString(), l);
    CompanionData d = ReadCompanionFile(path);
    QVERIFY(d.exists);
    QVERIFY(d.isIni);
    QCOMPARE(d.background, QString());
    QVERIFY(d.layout == l);
}

void TestCompanion::missingLayoutSectionGivesDefaults()
{
    const QString path = dir.filePath(QStringLiteral("nolayout.QRE"));
    writeBytes(path, "[Ini Data]\r\nISINI=1\r\n[Background]\r\nFile=C:\\ART\\A.BMP\r\n");
    CompanionData d = ReadCompanionFile(path);
    QVERIFY(d.isIni);
    QCOMPARE(d.background, QStringLiteral("C:\\ART\\A.BMP"));
    QCOMPARE(ThousandthsToInches(d.layout.width), 3.5f);
    QCOMPARE(ThousandthsToInches(d.layout.height), 2.0f);
    QCOMPARE(d.layout.across, 2);
    QCOMPARE(d.layout.down, 5);
    QCOMPARE(ThousandthsToInches(d.layout.topMargin), 0.5f);
    QCOMPARE(ThousandthsToInches(d.layout.leftMargin), 0.75f);
    QCOMPARE(d.layout.hPitch, 3500);
    QCOMPARE(d.layout.vPitch, 2000);
    QCOMPARE(d.layout.paperSize, 1);
    QCOMPARE(d.layout.predefLayout, 0);
    QVERIFY(!d.layout.useMM);
    QVERIFY(!d.layout.usePortrait);
}

void TestCompanion::badNumbersGiveDefaults()
{
    const QString path = dir.filePath(QStringLiteral("bad.QRE"));
    writeBytes(path, "[Ini Data]\nISINI=7\n[Layout]\nHeight=tall\nAcross=3\nUseMM=2\nUsePortrait=abc\n");
    CompanionData d = ReadCompanionFile(path);
    QVERIFY(d.isIni); // any value other than 0 is true
    QCOMPARE(d.layout.height, 2000);
    QCOMPARE(d.layout.across, 3);
    QVERIFY(d.layout.useMM);
    QVERIFY(!d.layout.usePortrait);
}

void TestCompanion::olderPlainTextFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("background");
    QTest::newRow("single line") << QByteArray("C:\\ART\\SUNSET.BMP") << QStringLiteral("C:\\ART\\SUNSET.BMP");
    QTest::newRow("crlf, two lines") << QByteArray("C:\\ART\\SUNSET.BMP\r\nsecond\r\n") << QStringLiteral("C:\\ART\\SUNSET.BMP");
    QTest::newRow("ISINI=0") << QByteArray("[Ini Data]\nISINI=0\n") << QStringLiteral("[Ini Data]");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("cp1252") << QByteArray("C:\\ART\\CAF\xc9.BMP\r\n") << QString::fromUtf8("C:\\ART\\CAF\u00c9.BMP");
}

void TestCompanion::olderPlainTextFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, background);
    const QString path = dir.filePath(QStringLiteral("old.QRE"));
    writeBytes(path, content);
    CompanionData d = ReadCompanionFile(path);
    QVERIFY(d.exists);
    QVERIFY(!d.isIni);
    QCOMPARE(d.background, background);
}

void TestCompanion::missingFile()
{
    CompanionData d = ReadCompanionFile(dir.filePath(QStringLiteral("none.QRE")));
    QVERIFY(!d.exists);
    QVERIFY(!d.isIni);
    QVERIFY(d.background.isEmpty());
}

void TestCompanion::companionPathReplacesExtension_data()
{
    QTest::addColumn<QString>("design");
    QTest::addColumn<QString>("companion");
    QTest::newRow("upper") << QStringLiteral("/a/b/BC0001.QRD") << QStringLiteral("/a/b/BC0001.QRE");
    QTest::newRow("lower") << QStringLiteral("/a/card.qrd") << QStringLiteral("/a/card.QRE");
    QTest::newRow("dots in folder") << QStringLiteral("/a.b/card") << QStringLiteral("/a.b/card.QRE");
    QTest::newRow("two dots") << QStringLiteral("/a/my.card.QRD") << QStringLiteral("/a/my.card.QRE");
}

void TestCompanion::companionPathReplacesExtension()
{
    QFETCH(QString, design);
    QFETCH(QString, companion);
    QCOMPARE(CompanionPath(design), companion);
}

void TestCompanion::failedWriteKeepsOldFile()
{
    // A folder that does not exist: the failure is raised.
    QVERIFY_THROWS_EXCEPTION(EWriteError, WriteCompanionFile(dir.filePath(QStringLiteral("no/such/x.QRE")),
                                                             QString(), CompanionLayout()));
    // A full disk at the rename: the old file stays as it was, and its
    // permissions with it.
    const QString path = dir.filePath(QStringLiteral("keep.QRE"));
    writeBytes(path, "old content\n");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, mode));
    int commits = 0;
    bool full = true;
    AtomicFile::SetFailureHook([&](const QString& target) {
        ++commits;
        return full && target.endsWith(QStringLiteral("keep.QRE"));
    });
    QVERIFY_THROWS_EXCEPTION(EWriteError, WriteCompanionFile(path, QStringLiteral("bg.bmp"), CompanionLayout()));
    QCOMPARE(readBytes(path), QByteArray("old content\n"));
    // With room on the disk the file is replaced by one write, not one per
    // key, and keeps its permissions.
    full = false;
    commits = 0;
    WriteCompanionFile(path, QStringLiteral("bg.bmp"), CompanionLayout());
    AtomicFile::SetFailureHook({});
    QCOMPARE(commits, 1);
    QCOMPARE(ReadCompanionFile(path).background, QStringLiteral("bg.bmp"));
    QCOMPARE(QFile::permissions(path) & 0x7077, mode);
}

void TestCompanion::nonLatinBackgroundSurvives()
{
    const QString path = dir.filePath(QStringLiteral("utf.QRE"));
    const QString bg = QString::fromUtf8("/home/\u0418\u0432\u0430\u043d/bg/\u6771\u4eac.bmp");
    WriteCompanionFile(path, bg, CompanionLayout());
    QCOMPARE(ReadCompanionFile(path).background, bg);
}

QTEST_GUILESS_MAIN(TestCompanion)
#include "tst_companion.moc"
