#include "platform/AtomicFile.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {

AtomicFile::FailureHook& failureHook()
{
    static AtomicFile::FailureHook hook;
    return hook;
}

thread_local AtomicBatch* currentBatch = nullptr;

bool injectedFailure(const QString& target)
{
    if (failureHook() && failureHook()(target))
        return true;
    const QByteArray suffix = qgetenv("BRISVALE_FAIL_WRITES");
    return !suffix.isEmpty() && QFileInfo(target).fileName().endsWith(QString::fromLocal8Bit(suffix));
}

// The process's umask, read without setting it: umask() can only be read by
// changing it, and a file another thread creates in between would get the
// wrong permissions. Linux tells it in /proc/self/status; where it does not,
// the usual 022 is assumed.
mode_t processUmask()
{
    QByteArray text;
    const int in = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (in >= 0) {
        char chunk[4096];
        ssize_t n = 0;
        while (text.size() < 65536 && ((n = ::read(in, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)))
            if (n > 0)
                text.append(chunk, n);
        ::close(in);
    }
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith("Umask:"))
            continue;
        bool ok = false;
        const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
        if (ok)
            return static_cast<mode_t>(mask & 0777);
    }
    return 022;
}

// Permissions for the new file: those of the file it replaces, else the
// usual ones for a new file under the process's umask.
mode_t permissionsFor(const QString& target)
{
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    return 0666 & ~processUmask();
}

bool renameOver(const QString& temp, const QString& target)
{
    return ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) == 0;
}

} // namespace

AtomicFile::AtomicFile(const QString& target) : target(target) {}

AtomicFile::~AtomicFile()
{
    if (!committed)
        Discard();
}

QString AtomicFile::FailureMessage(const QString& target)
{
    return QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(target));
}

void AtomicFile::SetFailureHook(FailureHook hook)
{
    failureHook() = std::move(hook);
}

void AtomicFile::fail()
{
    Discard();
    throw EWriteError(FailureMessage(target));
}

void AtomicFile::open()
{
    if (fd >= 0 || !temp.isEmpty())
        return;
    QFileInfo info(target);
    // Writing through a link writes the file it names.
    if (info.isSymLink() && info.exists())
        info = QFileInfo(info.canonicalFilePath());
    if (info.isDir())
        fail();
    QByteArray name = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                                        + QStringLiteral(".XXXXXX"));
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        fail();
    temp = QFile::decodeName(name);
}

QString AtomicFile::TempPath()
{
    open();
    // The outside writer opens the file by name (and may replace it), so
    // nothing of ours stays attached to it.
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    return temp;
}

void AtomicFile::Write(const QByteArray& bytes)
{
    open();
    if (fd < 0) { // the temporary file was closed for an outside writer
        fd = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0)
            fail();
    }
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail();
        p += n;
        left -= n;
    }
}

void AtomicFile::Commit()
{
    open();
    if (fd < 0) {
        // Written by someone else under TempPath(): it must be there and be
        // a regular file, and it is flushed like our own.
        fd = ::open(QFile::encodeName(temp).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            fail();
    }
    struct stat st {};
    const bool good = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (!sync || ::fsync(fd) == 0)
        && ::fchmod(fd, permissionsFor(target)) == 0;
    const int closed = ::close(fd);
    fd = -1;
    if (!good || closed != 0 || injectedFailure(target))
        fail();
    QString destination = target;
    const QFileInfo info(target);
    if (info.isSymLink() && info.exists())
        destination = info.canonicalFilePath();
    if (currentBatch && joinsBatch) {
        currentBatch->pending.push_back({temp, destination});
        temp.clear();
        committed = true;
        return;
    }
    if (!renameOver(temp, destination))
        fail();
    temp.clear();
    committed = true;
}

void AtomicFile::Discard()
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (!temp.isEmpty()) {
        ::unlink(QFile::encodeName(temp).constData());
        temp.clear();
    }
}

void WriteFileAtomically(const QString& target, const QByteArray& bytes)
{
    AtomicFile file(target);
    file.Write(bytes);
    file.Commit();
}

AtomicBatch::AtomicBatch() : outer(currentBatch)
{
    currentBatch = this;
}

AtomicBatch::~AtomicBatch()
{
    currentBatch = outer;
    for (const Pending& p : pending)
        ::unlink(QFile::encodeName(p.temp).constData());
}

void AtomicBatch::Commit()
{
    currentBatch = outer;
    std::vector<Pending> todo;
    todo.swap(pending);
    for (std::size_t i = 0; i < todo.size(); ++i) {
        if (!renameOver(todo[i].temp, todo[i].target)) {
            for (std::size_t k = i; k < todo.size(); ++k)
                ::unlink(QFile::encodeName(todo[k].temp).constData());
            throw EWriteError(AtomicFile::FailureMessage(todo[i].target));
        }
    }
}

bool IsSameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace bv
