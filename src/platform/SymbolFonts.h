#pragma once
// Symbol fonts of designs made on Windows. A design names "WingDings",
// "Webdings", "Wingdings 2", "Wingdings 3" or "Symbol" and stores one byte
// code per character; Linux machines have none of these fonts. The design
// keeps the font name and the codes exactly as read; only drawing goes
// through this map: each code becomes the Unicode character of the same
// picture (the telephone, the envelope, the pointing hand), drawn with a font
// that has those characters (Symbola, from Debian's fonts-symbola).
//
// Fonts not in the map (any installed font, including installed symbol fonts)
// are drawn as they are.
#include <QFont>
#include <QString>
#include <QStringList>

namespace bv::SymbolFonts {

// The mapped Windows symbol fonts by name, in the order a font list shows them.
const QStringList& MappedFontNames();
// What a symbol font list offers: the installed fonts whose writing system
// is Symbol and the mapped fonts, sorted by name.
QStringList SelectableFamilies();
// True when `fontName` is one of the mapped fonts (letter case and blanks at
// the ends ignored: "WingDings" and "Wingdings" are the same font).
bool IsMapped(const QString& fontName);
// The Unicode character that code `code` (0..255) of a mapped font shows, or
// 0 when the font is not mapped or the code shows nothing there.
char32_t ToUnicode(const QString& fontName, int code);
// The family that draws a font: the display family for mapped fonts, the
// name itself for every other font.
QString DisplayFont(const QString& fontName);
// The family mapped fonts are drawn with.
QString DisplayFamily();
// The text to draw for stored byte codes: each code mapped for a mapped font
// (unmapped codes are left out, so they show nothing); for other fonts the
// codes as Windows-1252 characters, that is the stored text itself.
QString DisplayText(const QString& fontName, const QString& storedText);
// `font` with its family replaced by the display family when the family is
// mapped; every other attribute kept.
QFont DisplayQFont(const QFont& font);
// True when the display font has a glyph for `ch` (so drawing it shows the
// picture, not a box).
bool HasGlyph(const QString& fontName, char32_t ch);
// The byte code of a stored character (Windows-1252), -1 when it has none.
int CodeOf(QChar c);
// The stored character of a byte code (Windows-1252).
QChar CharOfCode(int code);

} // namespace bv::SymbolFonts
