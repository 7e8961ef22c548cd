#include "platform/MergeSource.h"

#include "platform/CsvReader.h"
#include "platform/SafeFile.h"
#include "platform/VCardReader.h"

#include <QFileInfo>

namespace bv {

int TMergeTable::FieldIndex(const QString& name) const
{
    return index.value(name.toLower(), -1);
}

QString TMergeTable::Value(int record, const QString& name) const
{
    const int column = FieldIndex(name);
    if (column < 0 || record < 0 || record >= records.size())
        return QString();
    const QStringList& values = records[record].Values;
    return column < values.size() ? values[column] : QString();
}

int TMergeTable::AddField(const QString& name)
{
    const QString key = name.toLower();
    const auto found = index.constFind(key);
    if (found != index.constEnd())
        return found.value();
    const int column = static_cast<int>(fields.size());
    fields << name;
    index.insert(key, column);
    return column;
}

void TMergeTable::AddRecord(TMergeRecord record)
{
    while (record.Values.size() < fields.size())
        record.Values << QString();
    records << std::move(record);
}

namespace {

// True when the bytes, after a byte-order mark and blank lines, start a vCard.
bool looksLikeVCard(const QByteArray& bytes)
{
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.mid(i, 11).compare("BEGIN:VCARD", Qt::CaseInsensitive) == 0;
}

// Text files hold no NUL bytes and few control characters; pictures,
// spreadsheets in their own formats and archives do.
bool looksLikeText(const QByteArray& bytes)
{
    const qsizetype n = std::min<qsizetype>(bytes.size(), 4096);
    int control = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == 0)
            return false;
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f')
            ++control;
    }
    return control * 50 <= n;
}

} // namespace

TMergeTable ReadMergeBytes(const QByteArray& bytes, const QString& name)
{
    const QString shown = name.isEmpty() ? QStringLiteral("The merge file") : name;
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (looksLikeVCard(bytes))
        return ReadVCards(bytes, shown);
    if (suffix == QLatin1String("vcf") || suffix == QLatin1String("vcard"))
        throw EMergeSourceError(QStringLiteral("%1, line 1: a vCard file starts with BEGIN:VCARD").arg(shown));
    if (!looksLikeText(bytes))
        throw EMergeSourceError(QStringLiteral("%1 is not a CSV or vCard file").arg(shown));
    return ReadCsv(bytes, shown);
}

TMergeTable ReadMergeFile(const QString& path)
{
    const QByteArray bytes = ReadOutsideFileOrThrow(path, MaxMergeFileBytes);
    TMergeTable table = ReadMergeBytes(bytes, QFileInfo(path).fileName());
    table.FileName = path;
    return table;
}

} // namespace bv
