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

#include <sys/stat.h>

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
    void unreadableInputsAreReported_data();
    void unreadableInputsAreReported();
    void templateBackgroundStaysInTheBgFolder_data();
    void templateBackgroundStaysInTheBgFolder();

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
    QVERIFY(QFile::copy(QStringLiteral(BRISVALE_TEST_DATA "/templates/classic.qrdt"), dir.filePath("classic.qrdt")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("x")));
    // A template bigger than any settings-sized file may be (4 MB).
    QFile huge(dir.filePath(QStringLiteral("huge.qrdt")));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(5) << 20));
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
    QVERIFY_THROWS_EXCEPTION(EWriteError, WriteDesign(panel.Model(), path, QString(), TCardLayout()));
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
    TPrintCommands printing(panel.Model());
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
    // Outputs over inputs, by any spelling of the path.
    QTest::newRow("resave onto its companion") << QStringList{"resave", "card.QRD", "card.QRE"} << "card.QRE"
                                               << plain << plain << 1 << "refusing to overwrite the design file";
    QTest::newRow("resave onto itself, another spelling") << QStringList{"resave", "card.QRD", "./x/../card.QRD"}
                                                          << "card.QRD" << plain << plain << 1 << "refusing";
    const QByteArray withArt = "[Ini Data]\r\nISINI=1\r\n[Background]\r\nFile=" + dir.filePath("art.png").toUtf8()
        + "\r\n";
    QTest::newRow("render onto its background") << QStringList{"render", "card.QRD", "./art.png"} << "art.png"
                                                << plain << withArt << 1
                                                << "refusing to overwrite the background picture";
    const QByteArray withPdfArt = "[Ini Data]\r\nISINI=1\r\n[Background]\r\nFile=" + dir.filePath("art.pdf").toUtf8()
        + "\r\n";
    QTest::newRow("sheet onto its background") << QStringList{"sheet", "card.QRD", "x/../art.pdf"} << "art.pdf"
                                               << plain << withPdfArt << 1 << "refusing to overwrite the background";
    QTest::newRow("template onto its own companion") << QStringList{"template", "classic.qrdt", "new.QRE"} << "new.QRE"
                                                     << plain << plain << 1 << "refusing";
    // A template that cannot be read writes nothing and says why.
    QTest::newRow("template far too large") << QStringList{"template", "huge.qrdt", "new.QRD"} << "new.QRD" << plain
                                            << plain << 1 << "too large";
    // Read-only targets (mode 0444, also for root) are left alone.
    QTest::newRow("render over a read-only file") << QStringList{"render", "card.QRD", "ro.png"} << "ro.png"
                                                  << plain << plain << 1 << "read-only";
    QTest::newRow("resave over a read-only file") << QStringList{"resave", "card.QRD", "ro.QRD"} << "ro.QRD"
                                                  << plain << plain << 1 << "read-only";
    QTest::newRow("template over a read-only file") << QStringList{"template", "classic.qrdt", "ro.QRD"} << "ro.QRD"
                                                    << plain << plain << 1 << "read-only";
    // A full disk says so.
    QTest::newRow("PNG on a full disk says the disk is full")
        << QStringList{"render", "card.QRD", "out.png"} << "out.png" << QByteArray(".png") << plain << 1
        << "The disk is full.";
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
    QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner);
    if (!QFile::exists(out) || !output.startsWith(QLatin1String("card")))
        writeBytes(out, "previous");
    if (output.startsWith(QLatin1String("ro.")))
        QVERIFY(QFile::setPermissions(out, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
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

void TestHostileApp::unreadableInputsAreReported_data()
{
    QTest::addColumn<QString>("companionKind");
    QTest::addColumn<QString>("message");
    // The card is still rendered; what could not be read is named.
    QTest::newRow("companion far too large") << "large" << "The file is too large";
    QTest::newRow("companion is a named pipe") << "fifo" << "It is not a regular file.";
    QTest::newRow("background is a device") << "device background" << "\"/dev/zero\". It is not a regular file.";
}

void TestHostileApp::unreadableInputsAreReported()
{
    QFETCH(QString, companionKind);
    QFETCH(QString, message);
    const QString companion = dir.filePath(QStringLiteral("card.QRE"));
    QFile::remove(companion);
    if (companionKind == QLatin1String("large")) {
        QFile f(companion);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(5) << 20));
    } else if (companionKind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(companion).constData(), 0600), 0);
    } else {
        writeBytes(companion, "[Ini Data]\r\nISINI=1\r\n[Background]\r\nFile=/dev/zero\r\n");
    }
    const Run r = batch({QStringLiteral("render"), QStringLiteral("card.QRD"), QStringLiteral("seen.png")});
    QFile::remove(companion);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("seen.png"))));
}

void TestHostileApp::templateBackgroundStaysInTheBgFolder_data()
{
    QTest::addColumn<QByteArray>("named");
    // secret.bmp lies in the program folder, one level above bg: a template
    // reaching it through a path must get bg/secret.bmp instead, which is
    // not there, so the card has no background.
    QTest::newRow("parent folder") << QByteArray("../secret.bmp");
    QTest::newRow("Windows separators") << QByteArray("..\\..\\x\\..\\secret.bmp");
    QTest::newRow("absolute path") << dir.filePath(QStringLiteral("secret.bmp")).toUtf8();
    QTest::newRow("down and back up") << QByteArray("sub/../../secret.bmp");
}

void TestHostileApp::templateBackgroundStaysInTheBgFolder()
{
    QFETCH(QByteArray, named);
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bg/sub")));
    writeBytes(dir.filePath(QStringLiteral("secret.bmp")), "not for the card");
    QByteArray tmpl = readBytes(dir.filePath(QStringLiteral("classic.qrdt")));
    tmpl.replace("Background File=Marble.BMP", "Background File=" + named);
    writeBytes(dir.filePath(QStringLiteral("reaching.qrdt")), tmpl);
    QFile::remove(dir.filePath(QStringLiteral("reached.QRD")));
    const Run r = batch({QStringLiteral("template"), QStringLiteral("reaching.qrdt"), QStringLiteral("reached.QRD")});
    QCOMPARE(r.exitCode, 0);
    const QByteArray companion = readBytes(dir.filePath(QStringLiteral("reached.QRE")));
    QVERIFY2(companion.contains("File=" + QDir(dir.path()).filePath(QStringLiteral("bg/secret.bmp")).toUtf8() + "\r\n"),
        companion.constData());
}

QTEST_MAIN(TestHostileApp)
#include "tst_hostile_app.moc"
