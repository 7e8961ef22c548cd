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
#include <QByteArray>
#include <QString>
#include <functional>
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

    // The message of a failed write of `target`.
    static QString FailureMessage(const QString& target);

    // Test hook: called with the target of every commit; true makes that
    // write fail as on a full disk. The environment variable
    // BRISVALE_FAIL_WRITES does the same for targets whose file name ends
    // with its value (for tests that run the programs).
    using FailureHook = std::function<bool(const QString& target)>;
    static void SetFailureHook(FailureHook hook);

private:
    void open();
    [[noreturn]] void fail();

    QString target;
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
    // Renames every checked temporary file over its target. Raises
    // EWriteError when a rename fails.
    void Commit();

private:
    friend class AtomicFile;
    struct Pending {
        QString temp;
        QString target;
    };
    std::vector<Pending> pending;
    AtomicBatch* outer = nullptr;
};

// True when both paths name the same file (also through links or different
// spellings of the path); false when either does not exist.
bool IsSameFile(const QString& a, const QString& b);

} // namespace bv
