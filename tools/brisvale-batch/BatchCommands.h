#pragma once
// Commands of brisvale-batch that work on design files.
#include <QString>
#include <QTextStream>

namespace bv {
class TDesignModel;
}

namespace bv::batch {

// Readies a design the tool works on without a window: the card as the
// program's card starts (343 × 191 pixels, rectangular), the running
// program's clipboard left alone, and the rich text master it draws rich
// text with.
void PrepareDesign(TDesignModel& design);

// Prints every record of a design file (object name, class, stored
// properties). A file that cannot be read or is malformed: a message on
// `err` and 1; else 0.
int Dump(const QString& path, QTextStream& out, QTextStream& err);

// Opens design `in` into a design at zoom 1.0 as the program opens a
// design, and saves it to `out` (the design file only, no companion). Errors
// as for Dump.
int Resave(const QString& in, const QString& out, QTextStream& err);

// True, with a message on `err`, when `output` is the design file itself or
// its companion file (the same file by any path): an output written there
// would destroy the design it was made from.
bool RefusesOverwritingDesign(const QString& design, const QString& output, QTextStream& err);
// True, with a message on `err`, when `output` is `input` by any path (the
// same file through another spelling or link, or, for a file not yet there,
// the same path). `what` names the input in the message.
bool RefusesOverwriting(const QString& input, const QString& output, const char* what, QTextStream& err);
// The background picture a design's companion names, when that is a file
// (the output of render and sheet must not replace it either).
bool RefusesOverwritingBackground(const QString& background, const QString& output, QTextStream& err);


} // namespace bv::batch
