#include "platform/ProfileFile.h"

#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <array>

namespace bv {

namespace {

// Characters of Windows-1252 bytes 0x80..0x9F. The five bytes the code page
// leaves undefined map to the C1 control of the same value, as the system
// conversion does, so such bytes survive a read and a write unchanged.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// One file's lines, without their line ends.
struct Document {
    QStringList lines;
    bool crlf = true;
};

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(QLatin1Char(';'));
}

// Section name of a header line, or nothing for other lines.
std::optional<QString> headerName(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    int close = t.indexOf(QLatin1Char(']'));
    return (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
}

// Key name of an entry line (text before the first '='), or nothing for
// blank lines, comments, headers and lines without '='.
std::optional<QString> keyName(const QString& line)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || isComment(t) || t.startsWith(QLatin1Char('[')))
        return std::nullopt;
    int eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    return t.left(eq).trimmed();
}

QString entryValue(const QString& line)
{
    QString v = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (v.size() >= 2) {
        QChar first = v.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && v.back() == first)
            v = v.mid(1, v.size() - 2);
    }
    return v;
}

bool sameName(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// Half-open line range [first, end) of the entries of the first section
// with this name; first is the header line. Nothing when missing.
struct Range {
    int header;
    int end;
};

std::optional<Range> findSection(const Document& doc, const QString& section)
{
    for (int i = 0; i < doc.lines.size(); ++i) {
        auto name = headerName(doc.lines[i]);
        if (!name || !sameName(*name, section))
            continue;
        int end = i + 1;
        while (end < doc.lines.size() && !headerName(doc.lines[end]))
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

int findKey(const Document& doc, const Range& range, const QString& key)
{
    for (int i = range.header + 1; i < range.end; ++i) {
        auto name = keyName(doc.lines[i]);
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

Document parse(const QByteArray& bytes)
{
    Document doc;
    const QString text = DecodeProfileText(bytes);
    doc.crlf = bytes.isEmpty() || bytes.contains("\r\n") || !bytes.contains('\n');
    doc.lines = text.split(QLatin1Char('\n'));
    for (QString& line : doc.lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!doc.lines.isEmpty() && doc.lines.back().isEmpty())
        doc.lines.removeLast(); // the final line end
    return doc;
}

// Reads the file; a missing or unreadable file reads as empty. A profile
// being staged in memory reads its bytes instead.
Document load(const QString& path, const QByteArray* staged)
{
    if (staged)
        return parse(*staged);
    const SafeReadResult r = ReadOutsideFile(path, MaxProfileFileBytes);
    if (!r.ok())
        return {};
    return parse(r.data);
}

[[noreturn]] void refuseWrite(const QString& path)
{
    throw EWriteError(QStringLiteral("Unable to write to %1").arg(path));
}

// Reads the file for a change. A file that exists but cannot be read is
// refused rather than replaced by the few lines this write would leave.
Document loadForWrite(const QString& path, const QByteArray* staged)
{
    if (staged)
        return parse(*staged);
    QFileInfo info(path);
    if (!info.exists())
        return {};
    const SafeReadResult r = ReadOutsideFile(path, MaxProfileFileBytes);
    if (!r.ok())
        refuseWrite(path);
    return parse(r.data);
}

QByteArray encode(const Document& doc)
{
    const QString eol = doc.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString& line : doc.lines) {
        text += line;
        text += eol;
    }
    return EncodeProfileText(text);
}

void storeBytes(const QString& path, const QByteArray& bytes)
{
    QFileInfo info(path);
    if (info.isDir())
        refuseWrite(path);
    // Written beside the file and renamed over it, so a failure half-way
    // never leaves a cut file. A folder that takes no new files refuses the
    // write: rewriting the file in place could leave it cut on a full disk.
    // Not synced to disk, as settings are written often; a settings file is
    // complete on its own, so it does not wait for a larger output written
    // at the same time.
    AtomicFile file(info.absoluteFilePath());
    file.SetSync(false);
    file.SetJoinsBatch(false);
    file.Write(bytes);
    file.Commit();
}

// Held around every read-modify-write of a file on disk: another process
// changing the same file at the same time waits, so neither change is lost
// and no record mixes the two.
struct WriteLock {
    std::optional<FolderLock> lock;
    WriteLock(const QString& path, const QByteArray* staged)
    {
        if (!staged)
            lock.emplace(QFileInfo(path).absolutePath(), FolderLock::Exclusive);
    }
};

// Writes the document to the file, or to the staged bytes of a profile
// kept in memory.
void store(const QString& path, QByteArray* staged, const Document& doc)
{
    if (staged)
        *staged = encode(doc);
    else
        storeBytes(path, encode(doc));
}

// A line break inside a name or value would split it into lines of its own
// (and could forge other keys), so it becomes a blank.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// Puts key=value into the document as a write to the file does: the first
// matching key of the first matching section is replaced, a new key goes
// after the section's last entry, a new section at the end after one blank.
void setEntry(Document& doc, const QString& section, const QString& key, const QString& value)
{
    const QString line = oneLine(key).trimmed() + QLatin1Char('=') + oneLine(value);
    if (auto range = findSection(doc, section)) {
        int at = findKey(doc, *range, key);
        if (at >= 0) {
            doc.lines[at] = line;
        } else {
            // After the section's last non-blank line, so blank separator
            // lines stay in front of the next section.
            int insert = range->end;
            while (insert > range->header + 1 && doc.lines[insert - 1].trimmed().isEmpty())
                --insert;
            doc.lines.insert(insert, line);
        }
    } else {
        if (!doc.lines.isEmpty() && !doc.lines.back().trimmed().isEmpty())
            doc.lines.append(QString());
        doc.lines.append(QLatin1Char('[') + oneLine(section).trimmed() + QLatin1Char(']'));
        doc.lines.append(line);
    }
}

QString foldName(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

} // namespace

QString DecodeWindows1252(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b < 0xA0)
            out += QChar(cp1252High[b - 0x80]);
        else
            out += QChar(static_cast<char16_t>(b));
    }
    return out;
}

std::optional<QByteArray> EncodeWindows1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        bool found = false;
        for (std::size_t i = 0; i < cp1252High.size(); ++i) {
            if (cp1252High[i] == u) {
                out += static_cast<char>(0x80 + i);
                found = true;
                break;
            }
        }
        if (!found)
            return std::nullopt;
    }
    return out;
}

QString DecodeProfileText(const QByteArray& bytes)
{
    QByteArray body = bytes;
    const bool bom = body.startsWith("\xEF\xBB\xBF");
    if (bom)
        body.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(bytes);
}

QByteArray EncodeProfileText(const QString& text)
{
    if (auto bytes = EncodeWindows1252(text)) {
        // Code-page bytes that happen to form valid UTF-8 ("\u00C3\u00A9")
        // would read back as other characters; UTF-8 reads back exactly.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString asUtf8 = utf8.decode(*bytes);
        if (utf8.hasError() || asUtf8 == text)
            return *bytes;
    }
    return text.toUtf8();
}

ProfileFile::ProfileFile(const QString& path)
    : path(QFileInfo(path).absoluteFilePath())
{
}

ProfileFile ProfileFile::InMemory(const QByteArray& bytes)
{
    ProfileFile ini(QString{});
    ini.path.clear();
    ini.staged = std::make_shared<QByteArray>(bytes);
    return ini;
}

QByteArray ProfileFile::Bytes() const
{
    return staged ? *staged : QByteArray();
}

void ProfileFile::Update(const std::function<void(ProfileFile& ini)>& edits)
{
    if (staged) {
        edits(*this);
        return;
    }
    const WriteLock lock(path, nullptr);
    const QByteArray before = encode(loadForWrite(path, nullptr));
    ProfileFile copy = InMemory(before);
    edits(copy);
    // Edits that change nothing (erasing a missing section) write nothing,
    // as the single writes would not have.
    if (*copy.staged != before)
        storeBytes(path, *copy.staged);
}

QString ProfileFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Document doc = load(path, staged.get());
    QString value = defaultValue;
    if (auto range = findSection(doc, section)) {
        int line = findKey(doc, *range, key);
        if (line >= 0)
            value = entryValue(doc.lines[line]);
    }
    if (value.size() > MaxStringLength)
        value.truncate(MaxStringLength);
    return value;
}

std::optional<int> ProfileFile::ParseInteger(const QString& text)
{
    const QString s = text.trimmed();
    if (s.size() > 2 && s[0] == QLatin1Char('0') && (s[1] == QLatin1Char('x') || s[1] == QLatin1Char('X'))) {
        // Hexadecimal: up to 32 bits, taken as a signed value (0xFFFFFFFF is -1).
        std::uint64_t v = 0;
        for (int i = 2; i < s.size(); ++i) {
            const char16_t c = s[i].unicode();
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return std::nullopt;
            v = v * 16 + static_cast<std::uint64_t>(d);
            if (v > 0xFFFFFFFFu)
                return std::nullopt;
        }
        return static_cast<int>(static_cast<std::uint32_t>(v));
    }
    int i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
        negative = s[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= s.size())
        return std::nullopt;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v > 2147483647LL)
        return std::nullopt;
    return static_cast<int>(v);
}

int ProfileFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    // Read as text with no default: an absent key and an unusable value both
    // end in the default.
    const QString text = ReadString(section, key, QString());
    return ParseInteger(text).value_or(defaultValue);
}

bool ProfileFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void ProfileFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const WriteLock lock(path, staged.get());
    Document doc = loadForWrite(path, staged.get());
    setEntry(doc, section, key, value);
    store(path, staged.get(), doc);
}

void ProfileFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void ProfileFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList ProfileFile::ReadSection(const QString& section) const
{
    const Document doc = load(path, staged.get());
    QStringList keys;
    if (auto range = findSection(doc, section)) {
        for (int i = range->header + 1; i < range->end; ++i)
            if (auto name = keyName(doc.lines[i]))
                keys << *name;
    }
    return keys;
}

QStringList ProfileFile::ReadSectionValues(const QString& section) const
{
    const Document doc = load(path, staged.get());
    QStringList out;
    if (auto range = findSection(doc, section)) {
        for (int i = range->header + 1; i < range->end; ++i) {
            const QString t = doc.lines[i].trimmed();
            if (!t.isEmpty() && !isComment(t))
                out << t;
        }
    }
    return out;
}

QStringList ProfileFile::ReadSections() const
{
    const Document doc = load(path, staged.get());
    QStringList out;
    for (const QString& line : doc.lines)
        if (auto name = headerName(line))
            out << *name;
    return out;
}

bool ProfileFile::SectionExists(const QString& section) const
{
    return findSection(load(path, staged.get()), section).has_value();
}

bool ProfileFile::ValueExists(const QString& section, const QString& key) const
{
    const Document doc = load(path, staged.get());
    auto range = findSection(doc, section);
    return range && findKey(doc, *range, key) >= 0;
}

void ProfileFile::EraseSection(const QString& section)
{
    if (!staged && !QFileInfo::exists(path))
        return;
    const WriteLock lock(path, staged.get());
    Document doc = loadForWrite(path, staged.get());
    auto range = findSection(doc, section);
    if (!range)
        return;
    // Every section of that name goes, as the system call removes them all.
    while (range) {
        doc.lines.remove(range->header, range->end - range->header);
        range = findSection(doc, section);
    }
    store(path, staged.get(), doc);
}

void ProfileFile::DeleteKey(const QString& section, const QString& key)
{
    if (!staged && !QFileInfo::exists(path))
        return;
    const WriteLock lock(path, staged.get());
    Document doc = loadForWrite(path, staged.get());
    auto range = findSection(doc, section);
    if (!range)
        return;
    int at = findKey(doc, *range, key);
    if (at < 0)
        return;
    doc.lines.remove(at);
    store(path, staged.get(), doc);
}

// --- ProfileText ----------------------------------------------------------------

struct ProfileText::Data {
    Document doc;
    // First matching section's first matching key -> its value, built on the
    // first read after a change, so reading many keys of a large text does
    // not search it line by line for each.
    mutable std::optional<QHash<QString, QHash<QString, QString>>> index;
};

ProfileText::ProfileText() : d(std::make_unique<Data>()) {}

ProfileText::ProfileText(const QByteArray& bytes) : d(std::make_unique<Data>())
{
    d->doc = parse(bytes);
}

ProfileText::~ProfileText() = default;
ProfileText::ProfileText(ProfileText&&) noexcept = default;
ProfileText& ProfileText::operator=(ProfileText&&) noexcept = default;

ProfileText ProfileText::FromFile(const QString& path)
{
    const SafeReadResult r = ReadOutsideFile(path, MaxProfileFileBytes);
    return r.ok() ? ProfileText(r.data) : ProfileText();
}

QString ProfileText::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    if (!d->index) {
        QHash<QString, QHash<QString, QString>> index;
        QHash<QString, QString>* current = nullptr;
        for (const QString& line : d->doc.lines) {
            if (auto name = headerName(line)) {
                const QString folded = foldName(*name);
                // Later sections of the same name are not read.
                current = index.contains(folded) ? nullptr : &index[folded];
                continue;
            }
            if (!current)
                continue;
            if (auto name = keyName(line)) {
                const QString folded = foldName(*name);
                if (!current->contains(folded))
                    current->insert(folded, entryValue(line));
            }
        }
        d->index = std::move(index);
    }
    QString value = defaultValue;
    auto s = d->index->constFind(foldName(section));
    if (s != d->index->constEnd()) {
        auto k = s->constFind(foldName(key));
        if (k != s->constEnd())
            value = *k;
    }
    if (value.size() > ProfileFile::MaxStringLength)
        value.truncate(ProfileFile::MaxStringLength);
    return value;
}

int ProfileText::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    return ProfileFile::ParseInteger(ReadString(section, key, QString())).value_or(defaultValue);
}

bool ProfileText::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void ProfileText::WriteString(const QString& section, const QString& key, const QString& value)
{
    setEntry(d->doc, section, key, value);
    d->index.reset();
}

void ProfileText::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void ProfileText::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QByteArray ProfileText::Bytes() const
{
    const QString eol = d->doc.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString& line : d->doc.lines) {
        text += line;
        text += eol;
    }
    return EncodeProfileText(text);
}

} // namespace bv
