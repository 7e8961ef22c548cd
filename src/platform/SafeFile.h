#pragma once
// Reading files that come from outside the program (designs, companion
// files, settings, backgrounds, pictures, recorded pages). Only a regular file
// is read (a named pipe, a device such as /dev/zero or a folder is refused,
// also through a symbolic link), never blocking on open, and its size is
// checked against a cap before any byte is read, so a small mistake in a
// path cannot hang the program or exhaust its memory.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace bv {

// Caps on what each kind of file may weigh.
constexpr std::int64_t MaxDesignFileBytes = std::int64_t(256) << 20;   // .QRD, clipboard file
constexpr std::int64_t MaxProfileFileBytes = std::int64_t(4) << 20;    // QRD.INI, .QRE, templates
constexpr std::int64_t MaxPictureFileBytes = std::int64_t(300) << 20;  // bitmaps, JPEG, backgrounds
constexpr std::int64_t MaxRecordingFileBytes = std::int64_t(1) << 30;  // recorded pages

enum class SafeReadStatus {
    Ok,
    Missing,      // no such file
    NotRegular,   // a folder, pipe, socket or device
    TooLarge,     // above the cap
    Unreadable,   // could not be opened or read
};

struct SafeReadResult {
    SafeReadStatus status = SafeReadStatus::Missing;
    QByteArray data;
    QString error; // the user's message for anything but Ok
    bool ok() const { return status == SafeReadStatus::Ok; }
};

// Reads the whole file when it is a regular file of at most maxBytes.
// Never throws; the message names the path and the reason.
SafeReadResult ReadOutsideFile(const QString& path, std::int64_t maxBytes);

// The checks of ReadOutsideFile without reading: whether the file could be
// read, and the message when it could not (data stays empty).
SafeReadResult CheckOutsideFile(const QString& path, std::int64_t maxBytes);

// As ReadOutsideFile, raising EFOpenError with the message on any failure.
QByteArray ReadOutsideFileOrThrow(const QString& path, std::int64_t maxBytes);

// True when the path names a regular file (after following links).
bool IsRegularFile(const QString& path);

} // namespace bv
