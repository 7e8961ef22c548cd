#pragma once
// Reads RTF into a QTextDocument: font and colour tables, character
// formatting (bold, italic, underline, strike-through, size, font, colour,
// highlight), paragraph formatting (alignment, indents, spacing), code pages
// with \'hh escapes, \uN with its \ucN fallback, and the special characters.
// Destinations it does not show (style sheets, document information, headers,
// footnotes, field instructions, anything marked \*) are skipped, and so are
// embedded pictures and object data: a picture in the text is dropped.
//
// Any byte sequence is accepted: nesting deeper than MaxGroupDepth is skipped
// as a whole, numbers are clamped, counts (\bin) never reach past the end,
// and the work is linear in the input's length.
#include <QByteArrayView>

class QTextDocument;

namespace bv {

struct RtfReadResult {
    // The bytes began with "{\rtf"; otherwise they were taken as plain
    // Windows-1252 text.
    bool wasRtf = false;
    // Pictures dropped from the text.
    int picturesSkipped = 0;
};

class RtfReader {
public:
    static constexpr int MaxGroupDepth = 256;
    // Font and colour table entries beyond these are ignored.
    static constexpr int MaxFonts = 4096;
    static constexpr int MaxColours = 4096;

    // Replaces the document's whole content with the RTF's text and
    // formatting. The document's modified flag is cleared.
    static RtfReadResult Read(QByteArrayView rtf, QTextDocument& document);
};

} // namespace bv
