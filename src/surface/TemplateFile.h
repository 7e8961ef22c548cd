#pragma once
// Card templates (.QRDT): a few kinds of object in fixed, named INI sections,
// whose text objects are matched to the user's personal information. The
// card design reads a template into itself and writes its design as one.
//
// Geometry in a template is pixels at zoom 1.0. Reading and writing use the
// objects' stored (zoom 1.0) geometry, so neither depends on the zoom the
// design happens to show.
#include "platform/Colors.h"
#include "surface/Drawing.h"

#include <QImage>
#include <QString>

namespace bv {

class ProfileText;
class TDesignModel;

// Builds the template's objects on the design (shapes at the bottom, then
// lines, texts and the logo on top), sets the design's rotated flag from the
// card data and returns the background picture's file name. Painting is
// suppressed while it runs and enabled again afterwards, also when a colour
// text fails with EConvertError (the objects made before it stay).
QString ReadTemplate(TDesignModel& design, const ProfileText& text);
// The design as a template text.
ProfileText TemplateText(const TDesignModel& design, const QString& backgroundPath);

// Colour texts: a name of the colour table, else "$" + eight hexadecimal
// digits. Reading takes a name, a decimal number or "$"/"0x" hexadecimal;
// anything else raises EConvertError.
QString TemplateColorText(TColor color);
TColor TemplateTextToColor(const QString& text);

// "[fsBold,fsItalic,fsUnderline]" with the members present, "[]" for none;
// reading looks for each member's name anywhere in the text.
QString TemplateFontStyleText(const TFont& font);
void ApplyTemplateFontStyle(TFont& font, const QString& text);

// The logo placeholder picture: an ellipse over the whole square with "YOUR"
// and "LOGO" written in it.
QImage TemplateLogoImage(int side);

} // namespace bv
