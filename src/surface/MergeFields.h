#pragma once
// Merge fields in the design's texts. Any text of any kind may hold
// "{Field}"; when the card is drawn for a record of a merge file, each field
// is replaced by the record's value ("{{" and "}}" stand for the braces
// themselves). The personal-information texts need no braces: a text label
// showing a personal-information placeholder of a template ("Your Own
// Name", "<Name>") or the user's own value (the name the template filled
// in) stands for that field, so every design made from a template merges as
// it stands. The personal-information field names (Name, Company, Title,
// Address1-3, Phone1-2, Email, Fax) find the matching column of a
// spreadsheet or property of a contact; "{vCard}" is the record as a vCard.
#include "platform/MergeSource.h"
#include "surface/PersonalInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace bv {

class TGGraphicControl;

// The field names written in `text` ("{Name} {N.Family}" -> Name, N.Family).
QStringList MergeFieldsIn(const QString& text);

// `text` with every field replaced by the record's value.
QString FillMergeFields(const QString& text, const TMergeTable& table, int record);

// A field's value in a record: the column of that name, else for a
// personal-information name the first matching column with a value, else
// for "vCard" the record as a vCard 3.0 text.
QString MergeFieldValue(const TMergeTable& table, int record, const QString& field);

// True when the table can answer the field (it has the column, or the name
// is one the table answers for every record, such as a personal-information
// name, "vCard", or a standard contact property of a vCard file).
bool MergeFieldKnown(const TMergeTable& table, const QString& field);

// The personal-information field a whole label text stands for (0..9 in the
// order of TPersonalInfo), or -1.
int PersonalFieldOfText(const QString& text, const TPersonalInfo& own);

// The fields the design's objects use (each name once, in the order met).
QStringList MergeFieldsUsed(const QList<TGGraphicControl*>& objects);
// An error message when the design uses a field the table cannot answer
// (naming the file's header line), else empty.
QString CheckMergeFields(const QList<TGGraphicControl*>& objects, const TMergeTable& table);

// The text an object shows for the record its card is drawn with (see
// TGBusinessCardPanel32::MergeRecord); the text as typed when no record is
// shown. `emptied` (when given) tells whether the merge left nothing of a
// text that had something.
QString MergedText(const TGGraphicControl& object, const QString& text, bool* emptied = nullptr);
// True while the object's card shows a record rather than the placeholders.
bool ShowsMergeRecord(const TGGraphicControl& object);
// True while the object is drawn for paper (a print or its preview).
bool DrawnForPaper(const TGGraphicControl& object);

// The personal-information fields of the record the object's card shows
// (empty when none is shown): what a contact card of the record holds.
TPersonalInfo MergeRecordPersonalInfo(const TGGraphicControl& object);

// A short caption of a record for pickers: its name, else its first value.
QString MergeRecordCaption(const TMergeTable& table, int record);

} // namespace bv
