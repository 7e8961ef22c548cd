// Layout values and outputs under unlucky conditions, in the program and in
// brisvale-batch: settings and companion files with layout values far outside
// the dialog's limits, a disk that fills up while a design pair, a picture or
// a PDF sheet is written (injected through the write helper's test hook), and
// an output named like the design it comes from.
#include "app/DesignClasses.h"
#include "document/CardDocument.h"
#include "document/Settings.h"
#include "platform/AtomicFile.h"
#include "printing/PrintCommands.h"
#include "support/ScriptedInteraction.h"
#include "platform/Errors.h"
#include "surface/BusinessCardPanel.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class TestHostileApp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { AtomicFile::SetFailureHook({}); }

    void settingsLayoutIsHeldToTheDialogLimits();
    void designPairOnAFullDisk_data();
    void designPairOnAFullDisk();
    void batchOutputs_data();
    void batchOutputs();
    void sheetPdfExportOnAFullDisk_data();
    void sheetPdfExportOnAFullDisk();

private:
    Run batch(const QStringList& args, const QByteArray& failWrites = {});
    QTemporaryDir dir;
    QString design;
};

void TestHostileApp::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", QFile::encodeName(dir.path()));
    RegisterDesignClasses();
    design = dir.filePath(QStringLiteral("card.QRD"));
    QVERIFY(QFile::copy(QStringLiteral(BRISVALE_TEST_DATA "/designs/shapes.qrd"), design));
}

Run TestHostileApp::batch(const QStringList& args, const QByteArray& failWrites)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("BRISVALE_HOME"), dir.path());
    if (!failWrites.isEmpty())
        env.insert(QStringLiteral("BRISVALE_FAIL_WRITES"), QString::fromLatin1(failWrites));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(BRISVALE_BATCH), args);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestHostileApp::settingsLayoutIsHeldToTheDialogLimits()
{
    const QString ini = dir.filePath(QStringLiteral("limits.ini"));
    writeBytes(ini, "[Layout]\r\nAcross=1000000\r\nDown=0\r\nWidth=2000000000\r\nHeight=-7\r\n"
                    "HPitch=-2147483648\r\nVPitch=300000\r\nTopMargin=1000\r\n");
    const TCardLayout l = TSettings(ini).LoadLayoutPreferences(TCardLayout());
    QCOMPARE(l.Across, 10);
    QCOMPARE(l.Down, 1);
    QCOMPARE(l.Width, 99.0f);
    QCOMPARE(l.Height, 0.3f);
    QCOMPARE(l.HPitch, 0.0f);
    QCOMPARE(l.VPitch, 99.0f);
    QCOMPARE(l.TopMargin, 1.0f);
    QCOMPARE(l.Positions(), 10);
}

void TestHostileApp::designPairOnAFullDisk_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("failing");
    QTest::newRow("new design, .QRD fails") << false << QStringLiteral(".QRD");
    QTest::newRow("new design, .QRE fails") << false << QStringLiteral(".QRE");
    QTest::newRow("saved design, .QRE fails") << true << QStringLiteral(".QRE");
}

void TestHostileApp::designPairOnAFullDisk()
{
    QFETCH(bool, existing);
    QFETCH(QString, failing);
    const QString path = dir.filePath(QStringLiteral("pair.QRD"));
    const QString companion = dir.filePath(QStringLiteral("pair.QRE"));
    QFile::remove(path);
    QFile::remove(companion);
    if (existing) {
        writeBytes(path, "old design");
        writeBytes(companion, "old companion");
    }
    TGBusinessCardPanel32 panel;
    AtomicFile::SetFailureHook([&](const QString& target) { return target.endsWith(failing); });
    QVERIFY_THROWS_EXCEPTION(EWriteError, WriteDesign(panel, path, QString(), TCardLayout()));
    // Both files as they were: neither without the other.
    QCOMPARE(QFile::exists(path), existing);
    QCOMPARE(QFile::exists(companion), existing);
    if (existing) {
        QCOMPARE(readBytes(path), QByteArray("old design"));
        QCOMPARE(readBytes(companion), QByteArray("old companion"));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral("pair")).size(),
             existing ? 2 : 0);
}

void TestHostileApp::sheetPdfExportOnAFullDisk_data()
{
    QTest::addColumn<bool>("full");
    QTest::newRow("disk full: the old file stays") << true;
    QTest::newRow("written whole") << false;
}

// The Export Sheet as PDF command writes beside the target and replaces it
// only with a whole file.
void TestHostileApp::sheetPdfExportOnAFullDisk()
{
    QFETCH(bool, full);
    const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    writeBytes(path, "old sheet");
    test::ScriptedInteraction ui;
    ui.allowMessages();
    TGBusinessCardPanel32 panel;
    TPrintCommands printing(panel);
    printing.Unattended = true;
    AtomicFile::SetFailureHook([&](const QString& target) { return full && target.endsWith(QStringLiteral(".pdf")); });
    if (full) {
        QVERIFY_THROWS_EXCEPTION(EWriteError, printing.ExportSheetPdf(path));
        QCOMPARE(readBytes(path), QByteArray("old sheet"));
    } else {
        QVERIFY(printing.ExportSheetPdf(path));
        QVERIFY(readBytes(path).startsWith("%PDF"));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral("sheet")).size(), 1);
}

void TestHostileApp::batchOutputs_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QByteArray>("failWrites");
    QTest::addColumn<QByteArray>("companion");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QByteArray plain;
    QTest::newRow("render onto its design") << QStringList{"render", "card.QRD", "card.QRD"} << "card.QRD"
                                            << plain << plain << 1 << "refusing to overwrite the design file";
    QTest::newRow("render onto its companion") << QStringList{"render", "card.QRD", "./card.QRE"}
                                               << "card.QRE" << plain << plain << 1 << "refusing";
    QTest::newRow("sheet onto its design") << QStringList{"sheet", "card.QRD", "card.QRD"} << "card.QRD" << plain
                                           << plain << 1 << "refusing";
    QTest::newRow("PNG on a full disk") << QStringList{"render", "card.QRD", "out.png"} << "out.png" << QByteArray(".png")
                                        << plain << 1 << "Unable to write to";
    QTest::newRow("PDF on a full disk") << QStringList{"sheet", "card.QRD", "out.pdf"} << "out.pdf" << QByteArray(".pdf")
                                        << plain << 1 << "Unable to write to";
    QTest::newRow("PNG written") << QStringList{"render", "card.QRD", "out.png"} << "out.png" << plain << plain << 0
                                 << "";
    const QByteArray none("[Ini Data]\r\nISINI=1\r\n[Layout]\r\nAcross=0\r\nDown=5\r\n");
    QTest::newRow("nothing across prints a column") << QStringList{"sheet", "card.QRD", "out.pdf"} << "out.pdf"
                                                    << plain << none << 0 << "5 card(s) on 1 sheet(s)";
    const QByteArray million("[Ini Data]\r\nISINI=1\r\n[Layout]\r\nAcross=1000000\r\nDown=1000000\r\n");
    QTest::newRow("a million across") << QStringList{"sheet", "card.QRD", "out.pdf", "--positions", "400"}
                                      << "out.pdf" << plain << million << 1 << "must name cards from 1 to 300\n";
}

void TestHostileApp::batchOutputs()
{
    QFETCH(QStringList, args);
    QFETCH(QString, output);
    QFETCH(QByteArray, failWrites);
    QFETCH(QByteArray, companion);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QString companionPath = dir.filePath(QStringLiteral("card.QRE"));
    writeBytes(companionPath, companion.isEmpty() ? QByteArray("[Ini Data]\r\nISINI=1\r\n") : companion);
    const QString out = dir.filePath(output);
    if (!QFile::exists(out) || !output.startsWith(QLatin1String("card")))
        writeBytes(out, "previous");
    const QByteArray before = readBytes(out);
    const Run r = batch(args, failWrites);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2((exitCode ? r.err : r.out).contains(message), qPrintable(r.out + r.err));
    QVERIFY(!r.out.startsWith(QStringLiteral("0 card(s)")));
    if (exitCode)
        QCOMPARE(readBytes(out), before); // the previous file is kept
    else
        QVERIFY(readBytes(out) != before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".out.")).size(), 0);
}

QTEST_MAIN(TestHostileApp)
#include "tst_hostile_app.moc"
