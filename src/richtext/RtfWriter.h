#pragma once
// Writes a QTextDocument as RTF that RtfReader (and word processors) read
// back with the same text and formatting: a Windows-1252 header with font
// and colour tables, one \pard ... \par per paragraph with its alignment,
// indents and spacing, and each run of text after \plain with its full
// character formatting. Characters outside Windows-1252 are written as \uN
// with a '?' fallback.
#include <QByteArray>

class QTextDocument;

namespace bv {

class RtfWriter {
public:
    static QByteArray Write(const QTextDocument& document);
};

} // namespace bv
