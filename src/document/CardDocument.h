#pragma once
// The document work on a card design that both the main window and the
// batch tool do: sizing and turning the card from the layout record, reading
// and writing a design file pair (.QRD objects and .QRE companion), and the
// card picture exports. One implementation, so a picture written by
// brisvale-batch is the one "Save As Bitmap" / "Save As JPG" would write.
#include "document/CardLayout.h"
#include "document/Settings.h"
#include "surface/CompanionFile.h"
#include "surface/Drawing.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace bv {

class TDesignModel;

// Sizes the card from the layout: Round(ppi × height) by Round(ppi × width),
// the two swapped when the card is turned. The size is set at zoom 1 and
// the zoom factor that was in force is put back afterwards.
void SetCardSizeFromInches(TDesignModel& design, const TCardLayout& layout);
// Sets the design's rotated flag, sizes the card and loads the background
// picture again (turned a quarter turn when rotated).
void SetCardOrientation(TDesignModel& design, const TCardLayout& layout, bool rotated,
    const QString& backgroundFile);

// The default font of QRD.INI as the design's font for new text objects, and
// back (the colour and the rest of `base` are kept).
TFont PanelFontFromDefault(const TDefaultFont& font, const TFont& base);
TDefaultFont DefaultFontFromPanel(const TFont& font);
// Gives a design the program's settings that affect how a design looks: the
// default font and the personal information.
void ApplyProgramSettings(TDesignModel& design, const TDefaultFont& font, const TPersonalInfo& info);

// Layout record and its stored companion form.
TCardLayout LayoutFromCompanion(const CompanionLayout& stored);
CompanionLayout CompanionFromLayout(const TCardLayout& layout);

// The background picture a design names: the file itself when it exists,
// else the picture of the same name (any letter case) in the program
// folder's "bg", else the name as stored.
QString FindBackgroundFile(const QString& stored);

// Reads the design file pair into the design (which the caller has cleared):
// the objects of `path`, then the companion file. A companion in the INI form
// replaces `backgroundFile` and `layout` and gives the orientation; the older
// plain-text form gives only the background picture; without a companion
// both stay and the card is shown in Normal orientation. Ends by loading the
// background (found by FindBackgroundFile, which `backgroundFile` becomes)
// and sizing and turning the card. Failures of the object stream are raised;
// a companion that is there but cannot be read, and a background that is no
// picture file (a device, a pipe), are told in `warnings`. The pair is read
// as one save (see WriteDesignPair).
void ReadDesign(TDesignModel& design, const QString& path, TCardLayout& layout, QString& backgroundFile,
    QStringList* warnings = nullptr);

// The back of a two-sided card: a design pair of its own beside the front,
// NAME.back.QRD with NAME.back.QRE, so that the front stays exactly the file
// older readers know.
QString BackDesignPath(const QString& frontPath);

// Writes the objects to `path` and the companion file beside it as one save
// (WriteDesignPair). Raises on failure (EWriteError and the filer's errors).
void WriteDesign(TDesignModel& design, const QString& path, const QString& backgroundFile,
    const TCardLayout& layout);

// The card as a picture at the design's current size (callers set zoom 1):
// background and objects on white, with a one-pixel black border around the
// edge when asked.
QImage RenderCardPicture(TDesignModel& design, bool border);
// The card as a print-quality picture at dpi pixels per inch (callers set
// zoom 1): the background stretched over the card and the objects drawn
// through the page engine as on paper, so text is laid out at that
// resolution. The picture records its resolution.
QImage RenderCardPictureAtDpi(TDesignModel& design, double dpi, bool border);

enum class PictureFormat { Bitmap, Jpeg, Png };
// By the file's extension: .jpg/.jpeg JPEG, .png PNG, anything else a
// Windows bitmap.
PictureFormat PictureFormatForPath(const QString& path);
// Writes the picture: a 24-bit Windows bitmap, JPEG at quality 100 or PNG.
// Raises EWriteError (or EConvertError) when the file cannot be written.
void WriteCardPicture(const QImage& picture, const QString& path, PictureFormat format);

} // namespace bv
