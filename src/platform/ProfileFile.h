#pragma once
// Private-profile (INI) text files: QRD.INI, the .QRE companion of a design
// and the .QRDT templates. The semantics follow the classic desktop profile
// API, because existing files and the code that reads them rely on them:
//
// - section and key names compare without regard to case; the first matching
//   section (and the first matching key inside it) is the one used;
// - a value is the text after the first '=', with surrounding blanks removed
//   and one pair of matching surrounding quotes (" or ') stripped;
// - string reads return at most 1023 characters;
// - integers are decimal, optionally signed; a value beginning with 0x/0X and
//   longer than two characters is hexadecimal; anything else gives the default;
// - Booleans are read as integers (true when not 0) and written as 0 or 1;
// - a missing file, section or key gives the default: reading never fails;
// - writing keeps every unrelated line (other sections, other keys, comments
//   and blank lines); a write the system refuses raises EWriteError
//   "Unable to write to <full path>", and nothing before it is undone.
//
// Nothing is cached: every call reads (and a write rewrites) the file, so an
// outside edit is seen by the next call. Update() groups several writes into
// one; InMemory() builds a file's bytes without touching the disk.
//
// Encoding: a file whose bytes are valid UTF-8 is read as UTF-8 (a leading
// byte-order mark is skipped), any other file as Windows-1252. A file is
// written in Windows-1252 when every character fits that code page, else in
// UTF-8. Existing CR LF or LF line ends are kept; new files get CR LF.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace bv {

class ProfileFile {
public:
    // Longest string a read returns.
    static constexpr int MaxStringLength = 1023;

    // The file need not exist; a relative path is made absolute at once so
    // messages name the full path.
    explicit ProfileFile(const QString& path);

    // A profile kept in memory, starting from these bytes (none: a new
    // file): reads and writes work on it and no file is touched; Bytes() is
    // the file as written. For a file built whole and written once.
    static ProfileFile InMemory(const QByteArray& bytes = QByteArray());
    // The bytes of a profile kept in memory (empty for a file on disk).
    QByteArray Bytes() const;

    // Makes several changes with one write of the file: `edits` works on a
    // copy in memory, which then replaces the file in one step. A refused
    // write raises EWriteError and leaves the file as it was.
    void Update(const std::function<void(ProfileFile& ini)>& edits);

    // Full path of the file (empty for a profile kept in memory).
    const QString& FileName() const { return path; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // Key names of a section, in file order (empty when it is missing).
    QStringList ReadSection(const QString& section) const;
    // Every entry line of a section as it stands in the file ("key=value",
    // blanks around the line removed), in file order; comment and blank
    // lines are left out. Key names are not interpreted, so duplicate or odd
    // keys all appear.
    QStringList ReadSectionValues(const QString& section) const;
    // Section names, in file order.
    QStringList ReadSections() const;

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;

    // Removes the section header and all its lines. Nothing happens when the
    // section is missing; a refused write raises EWriteError.
    void EraseSection(const QString& section);
    // Removes the key's line. Nothing happens when it is missing; a refused
    // write raises EWriteError.
    void DeleteKey(const QString& section, const QString& key);

    // Integer parsing of profile values (exposed for readers of values that
    // came from elsewhere): the rules above; nothing when not a number.
    static std::optional<int> ParseInteger(const QString& text);

private:
    QString path;
    // The file's bytes while it is kept in memory.
    std::shared_ptr<QByteArray> staged;
};

// A profile text held in memory: read once (a template is read key by key,
// dozens of keys, and its bytes may come from anywhere) or built and then
// written in one piece. Reads and writes follow the same rules as
// ProfileFile; a missing or unreadable file reads as empty.
class ProfileText {
public:
    ProfileText();
    explicit ProfileText(const QByteArray& bytes);
    static ProfileText FromFile(const QString& path);
    ~ProfileText();
    ProfileText(ProfileText&&) noexcept;
    ProfileText& operator=(ProfileText&&) noexcept;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // The text as a file holds it (CR LF line ends for a new text).
    QByteArray Bytes() const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

// Windows-1252 conversion. Decoding maps every byte (the five bytes the code
// page leaves undefined map to the control characters of the same value).
QString DecodeWindows1252(const QByteArray& bytes);
// Encoding fails (nothing) when a character has no Windows-1252 byte.
std::optional<QByteArray> EncodeWindows1252(const QString& text);

// The profile file encoding rules for a whole file's bytes.
QString DecodeProfileText(const QByteArray& bytes);
QByteArray EncodeProfileText(const QString& text);

} // namespace bv
