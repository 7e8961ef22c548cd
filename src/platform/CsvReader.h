#pragma once
// Comma-separated values as spreadsheets export them (RFC 4180): the first
// line names the fields; fields may be quoted, a quote inside a quoted field
// is doubled, and a quoted field may hold the separator and line breaks. The
// separator is whichever of comma, semicolon and tab the header line holds
// most often (outside quotes; a tie goes to tab, then semicolon). Text is UTF-8 (with or without byte-order
// mark) when it is valid UTF-8, else Windows-1252.
#include "platform/MergeSource.h"

namespace bv {

// `name` is used in messages ("contacts.csv, line 4: ...").
TMergeTable ReadCsv(const QByteArray& bytes, const QString& name);

// The separator the header line of `text` uses.
QChar DetectCsvSeparator(const QString& text);

} // namespace bv
