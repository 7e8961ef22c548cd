#pragma once
// What the RTF reader and writer agree on about the document model.
//
// A rich text document is a QTextDocument laid out in "document pixels" at a
// fixed DocumentDpi, independent of the screen: font sizes are points,
// paragraph indents and spacing are document pixels (one twip is
// 1/1440 inch, so a document pixel is 15 twips). The rich text control maps
// document pixels onto the screen's pixels per inch and its zoom when it
// paints, so a document reads, lays out and writes the same on every screen.
#include <QByteArray>
#include <QString>

namespace bv {

constexpr double RtfDocumentDpi = 96.0;
constexpr double RtfTwipsPerPixel = 1440.0 / RtfDocumentDpi;

// The font of text that names none: Arial 13 pixels at the document's
// resolution.
QString RtfDefaultFontFamily();
constexpr double RtfDefaultPointSize = 9.75;

// Single-byte and multi-byte code pages of the RTF header (\ansicpg) and of
// font character sets (\fcharset). Windows-1252 is built in; others are
// decoded through Qt's converters when available, else as Windows-1252.
QString DecodeCodePage(const QByteArray& bytes, int codePage);
// The Windows-1252 byte of a character, or -1.
int Windows1252Byte(char16_t ch);
// The code page of an RTF \fcharset value, 0 when the charset names none.
int CodePageOfCharset(int charset);

} // namespace bv
