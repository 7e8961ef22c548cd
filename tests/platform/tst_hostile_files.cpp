// Files from outside that are hostile or just unlucky: bitmaps whose headers
// lie, paths that name a pipe or a device, and outputs whose disk fills up
// half-way.
#include "platform/AtomicFile.h"
#include "platform/Dib.h"
#include "platform/Errors.h"
#include "platform/Icon.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace bv;

namespace {

QByteArray le16(int v) { return QByteArray(1, char(v & 0xFF)) + QByteArray(1, char((v >> 8) & 0xFF)); }
QByteArray le32(qint64 v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

// A bitmap file whose info header is `headerSize` bytes (the basic 40 bytes
// padded with zeros), then the colour table and the pixel data.
QByteArray bitmapFile(int headerSize, int w, int h, int bits, int compression, int clrUsed,
                      const QByteArray& table, const QByteArray& pixels)
{
    QByteArray info = le32(headerSize) + le32(w) + le32(h) + le16(1) + le16(bits) + le32(compression)
        + le32(pixels.size()) + le32(2835) + le32(2835) + le32(clrUsed) + le32(0);
    info.append(QByteArray(headerSize - 40, '\0'));
    const qint64 off = 14 + info.size() + table.size();
    return "BM" + le32(off + pixels.size()) + le32(0) + le32(off) + info + table + pixels;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { AtomicFile::SetFailureHook({}); }

    void bitmapHeadersThatLieAreRefused_data();
    void bitmapHeadersThatLieAreRefused();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void failedWriteKeepsThePreviousFile_data();
    void failedWriteKeepsThePreviousFile();
    void pairIsReplacedOnlyWhenBothAreWritten();
    void newFilesFollowTheUmaskWhichStaysPut();
    void pictureReadersRefuseSpecialFiles_data();
    void pictureReadersRefuseSpecialFiles();
    void targetsThatAreNotReplaced_data();
    void targetsThatAreNotReplaced();
    void privilegeBitsAreNotCarried();
    void linkFollowingRule_data();
    void linkFollowingRule();

private:
    QTemporaryDir dir;
};

void TestHostileFiles::bitmapHeadersThatLieAreRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    // Bit fields with an info header longer than 40 bytes but too short to
    // hold the three masks: the masks would be read past the data.
    for (int size : {41, 44, 48, 51})
        QTest::newRow(qPrintable(QStringLiteral("bit fields, %1-byte header").arg(size)))
            << bitmapFile(size, 1, 1, 32, 3, 0, {}, le32(0x00FFFFFF));
    // 62 bytes of RLE claiming 65535 x 512 pixels.
    QTest::newRow("RLE claims 33 Mpixels")
        << bitmapFile(40, 65535, 512, 8, 1, 1, le32(0), QByteArray("\x00\x01", 2) + QByteArray(2, '\0'));
}

void TestHostileFiles::bitmapHeadersThatLieAreRefused()
{
    QFETCH(QByteArray, file);
    QVERIFY_THROWS_EXCEPTION(EConvertError, Dib::FromBytes(file));
}

void TestHostileFiles::onlyRegularFilesAreRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::newRow("named pipe") << "fifo" << int(SafeReadStatus::NotRegular);
    QTest::newRow("link to /dev/zero") << "zero-link" << int(SafeReadStatus::NotRegular);
    QTest::newRow("/dev/zero") << "zero" << int(SafeReadStatus::NotRegular);
    QTest::newRow("folder") << "folder" << int(SafeReadStatus::NotRegular);
    QTest::newRow("above the cap") << "large" << int(SafeReadStatus::TooLarge);
    QTest::newRow("missing") << "missing" << int(SafeReadStatus::Missing);
}

void TestHostileFiles::onlyRegularFilesAreRead()
{
    QFETCH(QString, kind);
    QFETCH(int, status);
    QString path = dir.filePath(kind);
    QFile::remove(path);
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == QLatin1String("zero-link"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    else if (kind == QLatin1String("zero"))
        path = QStringLiteral("/dev/zero");
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkpath(kind));
    else if (kind == QLatin1String("large"))
        put(path, QByteArray(4097, 'x'));
    QElapsedTimer clock;
    clock.start();
    const SafeReadResult r = ReadOutsideFile(path, 4096);
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(int(r.status), status);
    QVERIFY(r.data.isEmpty());
    QVERIFY(r.error.contains(QDir::toNativeSeparators(path)));
    // The readers built on it fail the same way.
    if (r.status != SafeReadStatus::TooLarge)
        QVERIFY_THROWS_EXCEPTION(EFOpenError, Dib::FromFile(path));
}

void TestHostileFiles::failedWriteKeepsThePreviousFile_data()
{
    QTest::addColumn<bool>("injected");
    QTest::newRow("disk full") << true;
    QTest::newRow("written") << false;
}

void TestHostileFiles::failedWriteKeepsThePreviousFile()
{
    QFETCH(bool, injected);
    const QString path = dir.filePath(QStringLiteral("out.bmp"));
    put(path, "previous");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    AtomicFile::SetFailureHook([&](const QString& target) { return injected && target.endsWith("out.bmp"); });
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    bool raised = false;
    try {
        Dib::SaveToFile(picture, path);
    } catch (const EWriteError& e) {
        raised = true;
        QCOMPARE(e.message(), QStringLiteral("Unable to write to ") + path + QStringLiteral(". The disk is full."));
    }
    QCOMPARE(raised, injected);
    QCOMPARE(contents(path) == "previous", injected);
    if (!injected)
        QCOMPARE(Dib::FromFile(path).Width(), 4);
    // The replaced file keeps its permissions; no temporary file is left.
    QCOMPARE(QFile::permissions(path) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("out")).size(), 1);
}

void TestHostileFiles::pairIsReplacedOnlyWhenBothAreWritten()
{
    const QString a = dir.filePath(QStringLiteral("pair.QRD"));
    const QString b = dir.filePath(QStringLiteral("pair.QRE"));
    put(a, "old design");
    put(b, "old companion");
    // The second file fails: the first must not be replaced either.
    AtomicFile::SetFailureHook([](const QString& target) { return target.endsWith(".QRE"); });
    {
        AtomicBatch pair;
        WriteFileAtomically(a, "new design");
        QVERIFY_THROWS_EXCEPTION(EWriteError, WriteFileAtomically(b, "new companion"));
    }
    QCOMPARE(contents(a), QByteArray("old design"));
    QCOMPARE(contents(b), QByteArray("old companion"));
    AtomicFile::SetFailureHook({});
    {
        AtomicBatch pair;
        WriteFileAtomically(a, "new design");
        WriteFileAtomically(b, "new companion");
        QCOMPARE(contents(a), QByteArray("old design")); // not before the batch commits
        pair.Commit();
    }
    QCOMPARE(contents(a), QByteArray("new design"));
    QCOMPARE(contents(b), QByteArray("new companion"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("pair")).size(), 2);
}

// A new file gets the permissions the umask leaves; finding them must not
// set the umask even for a moment, or a file another thread creates in that
// moment is made readable and writable by everyone.
void TestHostileFiles::newFilesFollowTheUmaskWhichStaysPut()
{
    QTemporaryDir dir;
    const mode_t before = ::umask(027);
    WriteFileAtomically(dir.filePath(QStringLiteral("new.txt")), "x");
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(dir.filePath(QStringLiteral("new.txt"))).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0640);

    std::atomic<bool> stop = false;
    std::atomic<int> wideOpen = 0;
    std::thread watcher([&] {
        const QByteArray probe = QFile::encodeName(dir.filePath(QStringLiteral("probe")));
        while (!stop) {
            const int fd = ::open(probe.constData(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0666);
            struct stat ps {};
            if (fd >= 0 && ::fstat(fd, &ps) == 0 && (ps.st_mode & 077) == 066)
                ++wideOpen;
            if (fd >= 0)
                ::close(fd);
            ::unlink(probe.constData());
        }
    });
    for (int i = 0; i < 300; ++i)
        WriteFileAtomically(dir.filePath(QStringLiteral("n%1.txt").arg(i)), "x");
    stop = true;
    watcher.join();
    ::umask(before);
    QCOMPARE(int(wideOpen), 0);
}

void TestHostileFiles::pictureReadersRefuseSpecialFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fifo");
    using Reader = void (*)(const QString&);
    QTest::addColumn<quintptr>("reader");
    const Reader icon = [](const QString& p) { (void)Icon::FromFile(p); };
    // A named pipe with no writer would block an ordinary open for ever, and
    // /dev/zero never ends: both are refused before a byte is read (the
    // bitmap reader above, the metafile reader in its own test).
    for (bool fifo : {true, false}) {
        const char* kind = fifo ? "pipe" : "/dev/zero";
        QTest::newRow(qPrintable(QStringLiteral("icon reader, %1").arg(kind))) << "i.ico" << fifo << quintptr(icon);
    }
}

void TestHostileFiles::pictureReadersRefuseSpecialFiles()
{
    QFETCH(QString, name);
    QFETCH(bool, fifo);
    QFETCH(quintptr, reader);
    const QString path = dir.filePath(name);
    QFile::remove(path);
    if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    QVERIFY_THROWS_EXCEPTION(Exception, reinterpret_cast<void (*)(const QString&)>(reader)(path));
    QFile::remove(path);
}

void TestHostileFiles::targetsThatAreNotReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("read-only file (mode 0444)") << "read-only" << "The file is read-only.";
    QTest::newRow("another user's link in a sticky folder") << "foreign link"
                                                            << "It is a link owned by another user";
}

// The target stays as it was and the write is refused with its reason.
void TestHostileFiles::targetsThatAreNotReplaced()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString victim = dir.filePath(QStringLiteral("victim.txt"));
    put(victim, "victim");
    QString target = victim;
    if (kind == QLatin1String("read-only")) {
        QVERIFY(QFile::setPermissions(victim, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    } else {
        // A shared folder like /tmp (sticky, everyone may write), holding a
        // link that another user (uid 4242) made to a file of ours. Giving
        // the link to that user needs the root user CI runs as.
        if (::geteuid() != 0)
            QSKIP("giving a link to another user needs root");
        const QString shared = dir.filePath(QStringLiteral("shared"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("shared")));
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        target = shared + QStringLiteral("/out.txt");
        QFile::remove(target);
        QVERIFY(QFile::link(victim, target));
        QCOMPARE(::lchown(QFile::encodeName(target).constData(), 4242, 4242), 0);
    }
    try {
        WriteFileAtomically(target, "replaced");
        QFAIL("the write was not refused");
    } catch (const EWriteError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QCOMPARE(contents(victim), QByteArray("victim"));
    QFile::setPermissions(victim, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(QDir(QFileInfo(target).absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(".txt.").size(), 0);
}

// A file we replace may have been a privileged program: the new file never
// runs with its owner's or group's rights.
void TestHostileFiles::privilegeBitsAreNotCarried()
{
    const QString path = dir.filePath(QStringLiteral("tool"));
    put(path, "old");
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 06755), 0);
    WriteFileAtomically(path, "new");
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0755);
}

void TestHostileFiles::linkFollowingRule_data()
{
    QTest::addColumn<uint>("linkOwner");
    QTest::addColumn<uint>("folderOwner");
    QTest::addColumn<uint>("folderMode");
    QTest::addColumn<uint>("follower");
    QTest::addColumn<bool>("follows");
    // The kernel's protected_symlinks rule: in a sticky folder everyone may
    // write to, a link is followed only by its owner or when the folder's
    // owner made it.
    QTest::newRow("/tmp, another user's link") << 1001u << 0u << 01777u << 1000u << false;
    QTest::newRow("/tmp, our own link") << 1000u << 0u << 01777u << 1000u << true;
    QTest::newRow("/tmp, the folder owner's link") << 0u << 0u << 01777u << 1000u << true;
    QTest::newRow("/tmp, root following another's link") << 1001u << 0u << 01777u << 0u << false;
    QTest::newRow("sticky, not writable by all") << 1001u << 0u << 01775u << 1000u << true;
    QTest::newRow("writable by all, not sticky") << 1001u << 0u << 0777u << 1000u << true;
    QTest::newRow("our own folder") << 1001u << 1000u << 0755u << 1000u << true;
}

void TestHostileFiles::linkFollowingRule()
{
    QFETCH(uint, linkOwner);
    QFETCH(uint, folderOwner);
    QFETCH(uint, folderMode);
    QFETCH(uint, follower);
    QFETCH(bool, follows);
    QCOMPARE(MayFollowLink(linkOwner, folderOwner, S_IFDIR | folderMode, follower), follows);
}

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
