#pragma once
// A list of records to print one card each: the rows of a spreadsheet export
// (CSV) or the contacts of an address-book export (vCard). Each record holds
// a value per field name; names are matched ignoring letter case. The file is
// read whole, through the outside-file reader with its size cap, and a file
// that cannot be read as a whole raises EMergeSourceError naming the line,
// so nothing is printed from half a file.
#include "platform/Errors.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace bv {

// A merge file that cannot be used; the message names the file's line.
class EMergeSourceError : public Exception {
public:
    explicit EMergeSourceError(const QString& message) : Exception(message) {}
};

// The largest merge file read (a contact list of a few hundred thousand rows).
constexpr std::int64_t MaxMergeFileBytes = std::int64_t(64) << 20;

struct TMergeRecord {
    // One value per field of the table, in the table's field order.
    QStringList Values;
    // The file's line the record starts on (1 is the first line).
    int Line = 0;
};

class TMergeTable {
public:
    enum TKind { mkCsv, mkVCard };

    TKind Kind = mkCsv;
    // The file the records came from (empty for bytes read in memory).
    QString FileName;

    const QStringList& Fields() const { return fields; }
    int RecordCount() const { return static_cast<int>(records.size()); }
    const TMergeRecord& Record(int index) const { return records.at(index); }

    // The field's column, or -1. Letter case is ignored.
    int FieldIndex(const QString& name) const;
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }
    // The record's value of the field; empty when the record or the file
    // has no such value.
    QString Value(int record, const QString& name) const;

    // Adds a field (when new) and answers its column.
    int AddField(const QString& name);
    // Appends a record; its values are padded to the fields.
    void AddRecord(TMergeRecord record);

private:
    QStringList fields;
    QHash<QString, int> index; // lower-case name -> column
    QList<TMergeRecord> records;
};

// Reads a merge file: a vCard file (it begins with BEGIN:VCARD) or else a CSV
// file. Raises EFOpenError when the file cannot be read and
// EMergeSourceError when it is neither or is malformed.
TMergeTable ReadMergeFile(const QString& path);
// The same for bytes in memory; `name` is used in messages.
TMergeTable ReadMergeBytes(const QByteArray& bytes, const QString& name);

} // namespace bv
