#pragma once
// Writing every output of the program (designs and their companion files,
// the clipboard file, settings, exported pictures, printed PDF sheets) so
// that a failure never leaves a cut or empty file where a good one was.
//
// The bytes go to a temporary file in the target's folder; every write, the
// flush to disk and the close are checked; the temporary file then takes the
// permissions of the file it replaces and is renamed over it in one step. On
// any failure the temporary file is removed, the old file stays as it was and
// EWriteError "Unable to write to <path>" is raised.
//
// Writers that only take a file name (Qt's PDF printer, image writers) write
// TempPath() themselves; Commit() then checks what they left there.
//
// An AtomicBatch groups several outputs that belong together (a design and
// its companion file): each is written and checked in full first, and only
// when all succeeded are they renamed, one after the other.
//
// What is never done to a target: a file with no write permission (mode
// 0444) is refused as an editor refuses it, also for the root user; the new
// file never carries set-user-ID or set-group-ID bits; a symbolic link owned
// by another user in a shared sticky folder (such as /tmp) is not followed,
// as the kernel's protected_symlinks rule would not. After a rename the
// folder itself is synced, so the new name survives a power cut.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <sys/types.h>
#include <vector>

namespace bv {

class AtomicFile {
public:
    explicit AtomicFile(const QString& target);
    ~AtomicFile(); // an uncommitted temporary file is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const QString& Target() const { return target; }
    // The temporary file beside the target (created on the first call).
    QString TempPath();
    // Appends bytes to the temporary file. Raises EWriteError.
    void Write(const QByteArray& bytes);
    // Checks and renames the temporary file over the target (inside an
    // AtomicBatch the rename waits for the batch). Raises EWriteError.
    void Commit();
    // Removes the temporary file; the target is untouched.
    void Discard();
    // Whether Commit forces the bytes to disk first (default on; files
    // written key by key, such as settings, leave it off to stay cheap).
    void SetSync(bool on) { sync = on; }
    // Whether Commit joins the AtomicBatch in force (default on). Off for
    // steps of a larger write whose own result is what joins.
    void SetJoinsBatch(bool on) { joinsBatch = on; }

    // The message of a failed write of `target`; with the error number of
    // the failure, what went wrong (a full disk says so).
    static QString FailureMessage(const QString& target, int error = 0);

    // Test hook: called with the target of every commit; true makes that
    // write fail as on a full disk. The environment variable
    // BRISVALE_FAIL_WRITES does the same for targets whose file name ends
    // with its value (for tests that run the programs).
    using FailureHook = std::function<bool(const QString& target)>;
    static void SetFailureHook(FailureHook hook);

private:
    void open();
    [[noreturn]] void fail(int error = 0);
    [[noreturn]] void refuse(const QString& why);

    QString target;
    QString destination; // the target, or the file its link names
    QString temp;
    int fd = -1;
    bool committed = false;
    bool sync = true;
    bool joinsBatch = true;
};

// Writes the bytes to the target through AtomicFile. Raises EWriteError.
void WriteFileAtomically(const QString& target, const QByteArray& bytes);

class AtomicBatch {
public:
    AtomicBatch();
    ~AtomicBatch(); // without Commit every pending temporary file is removed
    AtomicBatch(const AtomicBatch&) = delete;
    AtomicBatch& operator=(const AtomicBatch&) = delete;
    // The member for `target` waits under `waitingName` (a fixed name beside
    // it) while the others are renamed, and takes its place last: a reader
    // that finds the waiting file knows the batch was cut short there.
    void StageLast(const QString& target, const QString& waitingName);
    // The checked temporary file of a member (empty when none is pending).
    QString PendingTemp(const QString& target) const;
    // Renames every checked temporary file over its target (staged members
    // first to their waiting names, and over their targets at the end), then
    // syncs the folders. Raises EWriteError when a rename fails.
    void Commit();

    // Test hook: called before each rename of a commit with its two paths.
    // A test that stops the process there sees what a kill would leave.
    using RenameHook = std::function<void(const QString& from, const QString& to)>;
    static void SetRenameHook(RenameHook hook);

private:
    friend class AtomicFile;
    struct Pending {
        QString temp;
        QString target;      // the path as the writer named it
        QString destination; // where the rename goes
    };
    std::vector<Pending> pending;
    std::vector<std::pair<QString, QString>> staged; // target, waiting name
    AtomicBatch* outer = nullptr;
};

// A lock on a folder shared by every process that writes (exclusive) or
// reads (shared) files there that belong together: a design and its
// companion file, QRD.INI. Taken with flock() on the folder itself, so no
// lock file is left behind; a process that holds it already (another object
// of this kind on the same folder) takes it again without waiting. A lock
// held by someone else longer than a few seconds is given up on: the work
// then goes ahead unlocked rather than hanging the program.
class FolderLock {
public:
    enum Mode { Shared, Exclusive };
    FolderLock(const QString& folder, Mode mode);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return held; }

private:
    std::uint64_t key[2] = {0, 0};
    Mode mode;
    bool held = false;
};

// Whether a symbolic link may be followed: not when it lies in a sticky
// folder that everyone may write to and is owned neither by the follower
// nor by the folder's owner (the kernel's protected_symlinks rule).
bool MayFollowLink(uid_t linkOwner, uid_t folderOwner, mode_t folderMode, uid_t follower);

// Whether a target may be replaced: not when the file's mode gives no write
// permission to anyone, nor when this process may not write it.
bool IsReadOnlyTarget(const QString& path);

// True when both paths name the same file (also through links or different
// spellings of the path); false when either does not exist.
bool IsSameFile(const QString& a, const QString& b);

} // namespace bv
