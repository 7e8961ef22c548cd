#include "platform/AtomicFile.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace bv {

namespace {

AtomicFile::FailureHook& failureHook()
{
    static AtomicFile::FailureHook hook;
    return hook;
}

AtomicBatch::RenameHook& renameHook()
{
    static AtomicBatch::RenameHook hook;
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

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// Permissions for the new file: those of the file it replaces (never its
// set-user-ID, set-group-ID or sticky bits: a copy of a privileged program
// rewritten by us must not become one), else the usual ones for a new file
// under the process's umask.
mode_t permissionsFor(const QString& target)
{
    struct stat st {};
    if (::stat(encoded(target).constData(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 0777;
    return 0666 & ~processUmask();
}

// Syncs a folder, so that a rename in it is on the disk.
void syncFolder(const QString& folder)
{
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

bool renameOver(const QString& temp, const QString& target)
{
    if (renameHook())
        renameHook()(temp, target);
    return ::rename(encoded(temp).constData(), encoded(target).constData()) == 0;
}

} // namespace

bool MayFollowLink(uid_t linkOwner, uid_t folderOwner, mode_t folderMode, uid_t follower)
{
    const bool shared = (folderMode & S_ISVTX) && (folderMode & S_IWOTH);
    return !shared || linkOwner == follower || linkOwner == folderOwner;
}

bool IsReadOnlyTarget(const QString& path)
{
    struct stat st {};
    const QByteArray name = encoded(path);
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & 0222) == 0 || ::access(name.constData(), W_OK) != 0;
}

AtomicFile::AtomicFile(const QString& target) : target(target) {}

AtomicFile::~AtomicFile()
{
    if (!committed)
        Discard();
}

QString AtomicFile::FailureMessage(const QString& target, int error)
{
    QString message = QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(target));
    if (error == ENOSPC || error == EDQUOT)
        message += QStringLiteral(". The disk is full.");
    return message;
}

void AtomicFile::SetFailureHook(FailureHook hook)
{
    failureHook() = std::move(hook);
}

void AtomicFile::fail(int error)
{
    Discard();
    throw EWriteError(FailureMessage(target, error));
}

void AtomicFile::refuse(const QString& why)
{
    Discard();
    throw EWriteError(FailureMessage(target) + QStringLiteral(". ") + why);
}

void AtomicFile::open()
{
    if (fd >= 0 || !temp.isEmpty())
        return;
    QFileInfo info(target);
    destination = info.absoluteFilePath();
    // Writing through a link writes the file it names, unless the link is
    // another user's in a shared sticky folder: then it may point anywhere
    // that user chose, and following it would replace that file with ours.
    struct stat link {};
    if (::lstat(encoded(destination).constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        struct stat folder {};
        if (::stat(encoded(info.absolutePath()).constData(), &folder) == 0
            && !MayFollowLink(link.st_uid, folder.st_uid, folder.st_mode, ::geteuid()))
            refuse(QStringLiteral("It is a link owned by another user in a shared folder."));
        if (info.exists())
            destination = info.canonicalFilePath();
    }
    const QFileInfo dest(destination);
    if (dest.isDir())
        fail();
    if (IsReadOnlyTarget(destination))
        refuse(QStringLiteral("The file is read-only."));
    QByteArray name = encoded(dest.absolutePath() + QStringLiteral("/.") + dest.fileName() + QStringLiteral(".XXXXXX"));
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        fail(errno);
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
        fd = ::open(encoded(temp).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0)
            fail(errno);
    }
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : ENOSPC);
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
        fd = ::open(encoded(temp).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            fail(errno);
    }
    int error = 0;
    struct stat st {};
    bool good = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (good && sync && ::fsync(fd) != 0) {
        error = errno;
        good = false;
    }
    if (good && ::fchmod(fd, permissionsFor(destination)) != 0)
        good = false;
    const int closed = ::close(fd);
    if (closed != 0 && !error)
        error = errno;
    fd = -1;
    // An injected failure stands for a full disk.
    if (!good || closed != 0)
        fail(error);
    if (injectedFailure(target))
        fail(ENOSPC);
    if (currentBatch && joinsBatch) {
        currentBatch->pending.push_back({temp, target, destination});
        temp.clear();
        committed = true;
        return;
    }
    if (!renameOver(temp, destination))
        fail(errno);
    temp.clear();
    committed = true;
    if (sync)
        syncFolder(folderOf(destination));
}

void AtomicFile::Discard()
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (!temp.isEmpty()) {
        ::unlink(encoded(temp).constData());
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
    if (currentBatch == this)
        currentBatch = outer;
    for (const Pending& p : pending)
        ::unlink(encoded(p.temp).constData());
}

void AtomicBatch::SetRenameHook(RenameHook hook)
{
    renameHook() = std::move(hook);
}

void AtomicBatch::StageLast(const QString& target, const QString& waitingName)
{
    staged.emplace_back(target, waitingName);
}

QString AtomicBatch::PendingTemp(const QString& target) const
{
    for (const Pending& p : pending)
        if (p.target == target)
            return p.temp;
    return {};
}

void AtomicBatch::Commit()
{
    currentBatch = outer;
    std::vector<Pending> todo;
    todo.swap(pending);
    // Staged members go to their waiting names first and come last.
    std::vector<Pending> first;
    std::vector<Pending> last;
    std::vector<Pending> middle;
    for (const Pending& p : todo) {
        auto s = std::find_if(staged.begin(), staged.end(), [&](const auto& e) { return e.first == p.target; });
        if (s == staged.end()) {
            middle.push_back(p);
        } else {
            first.push_back({p.temp, p.target, s->second});
            last.push_back({s->second, p.target, p.destination});
        }
    }
    std::vector<Pending> steps = first;
    steps.insert(steps.end(), middle.begin(), middle.end());
    steps.insert(steps.end(), last.begin(), last.end());
    std::vector<QString> folders;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (!renameOver(steps[i].temp, steps[i].destination)) {
            const int error = errno;
            // Before the others are in place nothing of the batch is kept
            // (temporary files and members waiting go); after that, a member
            // still waiting stays for readers to find.
            if (i < first.size() + middle.size())
                for (std::size_t k = i; k < steps.size(); ++k)
                    ::unlink(encoded(steps[k].temp).constData());
            throw EWriteError(AtomicFile::FailureMessage(steps[i].target, error));
        }
        const QString folder = folderOf(steps[i].destination);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    for (const QString& folder : folders)
        syncFolder(folder);
}

bool IsSameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    if (::stat(encoded(a).constData(), &sa) != 0 || ::stat(encoded(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// --- folder locks -----------------------------------------------------------------

namespace {

struct HeldLock {
    int fd = -1;
    int shared = 0;
    int exclusive = 0;
};

std::mutex& lockMutex()
{
    static std::mutex m;
    return m;
}

std::map<std::pair<std::uint64_t, std::uint64_t>, HeldLock>& heldLocks()
{
    static std::map<std::pair<std::uint64_t, std::uint64_t>, HeldLock> held;
    return held;
}

// flock with a bound on the wait: a few seconds, then not at all.
bool lockWithin(int fd, int operation)
{
    using namespace std::chrono;
    const auto giveUp = steady_clock::now() + seconds(5);
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(milliseconds(2));
    }
}

} // namespace

FolderLock::FolderLock(const QString& folder, Mode mode) : mode(mode)
{
    const QByteArray name = encoded(folder.isEmpty() ? QStringLiteral(".") : folder);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    key[0] = static_cast<std::uint64_t>(st.st_dev);
    key[1] = static_cast<std::uint64_t>(st.st_ino);
    const std::lock_guard<std::mutex> guard(lockMutex());
    HeldLock& h = heldLocks()[{key[0], key[1]}];
    if (h.fd < 0) {
        h.fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (h.fd < 0 || !lockWithin(h.fd, mode == Exclusive ? LOCK_EX : LOCK_SH)) {
            if (h.fd >= 0)
                ::close(h.fd);
            heldLocks().erase({key[0], key[1]});
            return;
        }
    } else if (mode == Exclusive && h.exclusive == 0 && !lockWithin(h.fd, LOCK_EX)) {
        return; // this process reads there; it stays a shared lock
    }
    (mode == Exclusive ? h.exclusive : h.shared)++;
    held = true;
}

FolderLock::~FolderLock()
{
    if (!held)
        return;
    const std::lock_guard<std::mutex> guard(lockMutex());
    auto it = heldLocks().find({key[0], key[1]});
    if (it == heldLocks().end())
        return;
    HeldLock& h = it->second;
    (mode == Exclusive ? h.exclusive : h.shared)--;
    if (h.exclusive == 0 && h.shared == 0) {
        ::close(h.fd); // closing the last descriptor releases the lock
        heldLocks().erase(it);
    } else if (h.exclusive == 0 && mode == Exclusive) {
        ::flock(h.fd, LOCK_SH);
    }
}

} // namespace bv
