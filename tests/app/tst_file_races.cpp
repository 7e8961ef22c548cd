// Files that several processes write, and writers that die half-way: a
// design pair saved by two processes at once, or by one killed at each step
// of its save, and QRD.INI updated by two copies of the program at once.
// Whatever happens, the files on disk afterwards hold one whole save. The
// writers are forked children; the races run a fixed number of rounds and
// nothing waits on the clock.
#include "app/DesignClasses.h"
#include "document/AppServices.h"
#include "document/CardDocument.h"
#include "platform/AtomicFile.h"
#include "platform/Environment.h"
#include "platform/ProfileFile.h"
#include "surface/BusinessCardPanel.h"
#include "surface/CompanionFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/wait.h>
#include <unistd.h>

using namespace bv;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs `work` in a forked child and returns its pid. The child leaves with
// _exit, never through the test's own exit handlers.
pid_t spawn(const std::function<void()>& work)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            work();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A folder in memory when there is one: the races write thousands of synced
// files.
QString scratchRoot()
{
    return QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

} // namespace

class TestFileRaces : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void designPairKilledAtEachStep_data();
    void designPairKilledAtEachStep();
    void twoWritersOfOneDesignPair();
    void twoCopiesSavingWindowPlacement();

private:
    // The save a writer makes: its own objects, background and layout.
    struct Save {
        TGBusinessCardPanel32 panel;
        QString background;
        TCardLayout layout;
        QByteArray designBytes;
    };
    void makeSave(Save& save, const QString& caption, const QString& background, int across);
    // Which save the pair on disk is (0 or 1), -1 for a mix.
    int whichSave(const QString& path);

    QTemporaryDir dir{scratchRoot() + QStringLiteral("/brisvale-races-XXXXXX")};
    Save saves[2];
};

void TestFileRaces::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", QFile::encodeName(dir.path()));
    RegisterDesignClasses();
    makeSave(saves[0], QStringLiteral("first"), QStringLiteral("/art/first.bmp"), 2);
    makeSave(saves[1], QStringLiteral("second"), QStringLiteral("/art/second.bmp"), 3);
    QVERIFY(saves[0].designBytes != saves[1].designBytes);
}

void TestFileRaces::makeSave(Save& save, const QString& caption, const QString& background, int across)
{
    save.panel.SetDeletesTemporaryFiles(false);
    save.panel.resize(336, 192);
    const QString scratch = dir.filePath(caption + QStringLiteral(".QRD"));
    QFile shapes(QStringLiteral(BRISVALE_TEST_DATA "/designs/shapes.qrd"));
    QVERIFY(shapes.copy(scratch));
    save.panel.LoadFromFile(scratch);
    // Objects that differ between the two saves.
    for (int i = 0; i < across; ++i)
        save.panel.LoadFromFile(scratch);
    save.background = background;
    save.layout.Across = across;
    WriteDesign(save.panel.Model(), scratch, save.background, save.layout);
    save.designBytes = readBytes(scratch);
}

int TestFileRaces::whichSave(const QString& path)
{
    TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    TCardLayout layout;
    QString background;
    ReadDesign(panel.Model(), path, layout, background);
    const QByteArray design = readBytes(path);
    for (int k = 0; k < 2; ++k)
        if (design == saves[k].designBytes)
            return background == saves[k].background && layout.Across == saves[k].layout.Across ? k : -1;
    return -1;
}

void TestFileRaces::designPairKilledAtEachStep_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("expected");
    // A save of the pair renames three times: the companion to its waiting
    // name, the design into place (the moment of the save), the companion
    // into place.
    QTest::newRow("killed before the first rename") << 0 << 0;
    QTest::newRow("killed before the design's rename") << 1 << 0;
    QTest::newRow("killed before the companion takes its name") << 2 << 1;
    QTest::newRow("not killed") << 99 << 1;
}

void TestFileRaces::designPairKilledAtEachStep()
{
    QFETCH(int, step);
    QFETCH(int, expected);
    const QString path = dir.filePath(QStringLiteral("killed.QRD"));
    WriteDesign(saves[0].panel.Model(), path, saves[0].background, saves[0].layout);
    QCOMPARE(whichSave(path), 0);
    const pid_t child = spawn([&] {
        int renames = 0;
        AtomicBatch::SetRenameHook([&](const QString&, const QString&) {
            if (renames++ == step)
                ::_exit(0); // as a kill at this point would leave the files
        });
        WriteDesign(saves[1].panel.Model(), path, saves[1].background, saves[1].layout);
    });
    QCOMPARE(waitFor(child), 0);
    QCOMPARE(whichSave(path), expected);
    // The next save puts everything in order.
    WriteDesign(saves[0].panel.Model(), path, saves[0].background, saves[0].layout);
    QCOMPARE(whichSave(path), 0);
}

void TestFileRaces::twoWritersOfOneDesignPair()
{
    const QString path = dir.filePath(QStringLiteral("raced.QRD"));
    QRandomGenerator rng(25);
    int seen[2] = {0, 0};
    for (int round = 0; round < 200; ++round) {
        // Which writer starts first varies from round to round.
        const int first = int(rng.bounded(2));
        pid_t pids[2];
        for (int k = 0; k < 2; ++k) {
            Save& s = saves[(first + k) % 2];
            pids[k] = spawn([&] { WriteDesign(s.panel.Model(), path, s.background, s.layout); });
        }
        QCOMPARE(waitFor(pids[0]), 0);
        QCOMPARE(waitFor(pids[1]), 0);
        const int which = whichSave(path);
        QVERIFY2(which >= 0, qPrintable(QStringLiteral("round %1 left a mixed pair").arg(round)));
        ++seen[which];
    }
    QVERIFY(seen[0] + seen[1] == 200);
}

void TestFileRaces::twoCopiesSavingWindowPlacement()
{
    // Two windows of two copies of the program save their positions at
    // once: each record is whole (all five keys of one window), and a
    // record saved by one copy is never lost to the other's update.
    QWidget a;
    QWidget b;
    a.setGeometry(11, 12, 613, 414);
    b.setGeometry(21, 22, 723, 524);
    QRandomGenerator rng(33);
    for (int round = 0; round < 150; ++round) {
        QFile::remove(IniPath());
        const bool sameRecord = rng.bounded(2) == 0;
        const pid_t pa = spawn([&] { SaveWindowPlacement(a, QStringLiteral("TRaceForm")); });
        const pid_t pb = spawn([&] { SaveWindowPlacement(b, sameRecord ? QStringLiteral("TRaceForm") : QStringLiteral("TOtherForm")); });
        QCOMPARE(waitFor(pa), 0);
        QCOMPARE(waitFor(pb), 0);
        const ProfileFile ini(IniPath());
        const QStringList sections = ini.ReadSections();
        QCOMPARE(sections.size(), sameRecord ? 1 : 2);
        for (const QString& section : sections) {
            const int left = ini.ReadInteger(section, QStringLiteral("Left"), -1);
            const QWidget& w = left == a.geometry().left() ? a : b;
            QCOMPARE(ini.ReadInteger(section, QStringLiteral("Top"), -1), w.geometry().top());
            QCOMPARE(ini.ReadInteger(section, QStringLiteral("Right"), -1), w.geometry().left() + w.geometry().width());
            QCOMPARE(ini.ReadInteger(section, QStringLiteral("Bottom"), -1), w.geometry().top() + w.geometry().height());
        }
    }
}

QTEST_MAIN(TestFileRaces)
#include "tst_file_races.moc"
