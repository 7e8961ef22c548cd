#include "platform/SafeFile.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {

QString describe(const QString& path, const QString& why)
{
    return QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), why);
}

SafeReadResult fail(SafeReadStatus status, const QString& path, const QString& why)
{
    SafeReadResult r;
    r.status = status;
    r.error = describe(path, why);
    return r;
}

QString sizeText(std::int64_t bytes)
{
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

} // namespace

namespace {
SafeReadResult readOutside(const QString& path, std::int64_t maxBytes, bool read);
} // namespace

bool IsRegularFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

SafeReadResult CheckOutsideFile(const QString& path, std::int64_t maxBytes)
{
    return readOutside(path, maxBytes, false);
}

SafeReadResult ReadOutsideFile(const QString& path, std::int64_t maxBytes)
{
    return readOutside(path, maxBytes, true);
}

namespace {
SafeReadResult readOutside(const QString& path, std::int64_t maxBytes, bool read)
{
    if (path.isEmpty())
        return fail(SafeReadStatus::Missing, path, QStringLiteral("No file name."));
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a named pipe without a writer returns at
    // once; the type is then checked on what was opened, not on the name.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT || e == ENOTDIR)
            return fail(SafeReadStatus::Missing, path, QStringLiteral("The file does not exist."));
        return fail(SafeReadStatus::Unreadable, path, QString::fromLocal8Bit(std::strerror(e)));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(SafeReadStatus::Unreadable, path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(st.st_mode))
        return fail(SafeReadStatus::NotRegular, path, QStringLiteral("It is not a regular file."));
    if (st.st_size > maxBytes)
        return fail(SafeReadStatus::TooLarge, path,
            QStringLiteral("The file is too large (%1; at most %2).").arg(sizeText(st.st_size), sizeText(maxBytes)));
    if (!read) {
        SafeReadResult checked;
        checked.status = SafeReadStatus::Ok;
        return checked;
    }
    // Back to blocking reads for an ordinary file.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    SafeReadResult r;
    r.data.resize(static_cast<qsizetype>(st.st_size));
    std::int64_t got = 0;
    // A file that grows while it is read is read up to the cap plus one
    // byte, which is enough to refuse it.
    for (;;) {
        if (got == r.data.size() && got == st.st_size) {
            // The size the file had: the usual end. One more byte says
            // whether it grew, without growing the buffer for it.
            char probe = 0;
            const ssize_t more = ::read(fd, &probe, 1);
            if (more < 0 && errno == EINTR)
                continue;
            if (more < 0)
                return fail(SafeReadStatus::Unreadable, path, QString::fromLocal8Bit(std::strerror(errno)));
            if (more == 0)
                break;
            r.data.append(probe);
            ++got;
            continue;
        }
        if (got == r.data.size()) {
            if (got > maxBytes)
                return fail(SafeReadStatus::TooLarge, path, QStringLiteral("The file is too large."));
            r.data.resize(static_cast<qsizetype>(std::min<std::int64_t>(got + 65536, maxBytes + 1)));
            if (got == r.data.size())
                return fail(SafeReadStatus::TooLarge, path, QStringLiteral("The file is too large."));
        }
        const ssize_t n = ::read(fd, r.data.data() + got, static_cast<size_t>(r.data.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(SafeReadStatus::Unreadable, path, QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (n == 0)
            break;
        got += n;
    }
    if (got > maxBytes)
        return fail(SafeReadStatus::TooLarge, path, QStringLiteral("The file is too large."));
    r.data.truncate(static_cast<qsizetype>(got));
    r.status = SafeReadStatus::Ok;
    return r;
}
} // namespace

QByteArray ReadOutsideFileOrThrow(const QString& path, std::int64_t maxBytes)
{
    SafeReadResult r = ReadOutsideFile(path, maxBytes);
    if (!r.ok())
        throw EFOpenError(r.error);
    return std::move(r.data);
}

} // namespace bv
