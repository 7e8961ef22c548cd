#pragma once
// The page engine: draws pages in inches measured from the physical top-left
// corner of the sheet, and either puts them on a device (TCanvasPageEngine,
// TPagePrinter) or records them for a faithful replay (TPageRecorder,
// TPagePlayer). Design objects print themselves through this interface from
// their PrintTo(TPageEngine& report, double left, double top).
//
// Coordinates. A coordinate x in the engine's units becomes physical inches
//     p = (x + MarginLeft) * unitInches * (ScaleX / 100)
// (unitInches is UnitsFactor for inches, UnitsFactor / 25.4 for millimetres,
// UnitsFactor / 2.54 for centimetres) and then the device column
//     Round((p * z - OffsetLeft) * ResolutionX)
// plus the device's own origin; rows likewise with MarginTop, ScaleY,
// OffsetTop and ResolutionY. z is 1 on a printer or canvas and the zoom of a
// replay. Round is half to even (platform/Numeric.h).
//
// Device-pixel arguments (Polygon, FillDeviceRect, PushPolygonRegion,
// StretchGraphic) are in the coordinates of this engine's device as
// InchRectToDevice gives them, without the device origin.
//
// Figures follow the usual raster conventions: a box (x1, y1, x2, y2) covers
// device columns left .. right - 1 and rows top .. bottom - 1; the outline
// is centred on the outermost pixels of the box; a line leaves out its last
// pixel. Everything is drawn without anti-aliasing (text keeps its own
// smoothing), so edges land on whole device pixels.
//
// Pens, brushes and styles take the ordinals the design file stores
// (psSolid = 0 ..., pmBlack = 0 ..., bsSolid = 0 ...); callers pass their own
// enumerations of that order. PageStyle below names them for code that has
// none.
#include "platform/Colors.h"
#include "platform/Dib.h"
#include "platform/Errors.h"
#include "pictures/Metafile.h"

#include <QFont>
#include <QList>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;
class QPainter;
class QPicture;

namespace bv {

namespace PageStyle {
enum PenStyle : int { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum PenMode : int {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum BrushStyle : int { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
} // namespace PageStyle

enum TPageUnits : int { unInches = 0, unMillimeters = 1, unCentimeters = 2 };
enum TPageOrientation : int { poPortrait = 0, poLandscape = 1 };
// Background behind text: opaque (the default, filled with the text
// background colour, white) or transparent.
enum TTextBKMode : int { tbOpaque = 0, tbTransparent = 1 };

// Paper codes of the card layout.
constexpr int PaperLetter = 1;
constexpr int PaperA4 = 9;

// The printer cannot start or continue a job.
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

// A device rectangle: Left/Top inclusive, Right/Bottom exclusive.
struct TDeviceRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TDeviceRect&) const = default;
};

// What the engine knows about its device. Page sizes are the paper's, in
// inches, as oriented.
struct TDeviceFacts {
    double ResolutionX = 600;
    double ResolutionY = 600;
    double OffsetLeft = 0;
    double OffsetTop = 0;
    double OffsetBottom = 0;
    double PageWidth = 8.5;
    double PageHeight = 11;
    bool operator==(const TDeviceFacts&) const = default;
};

class TPageEngine {
public:
    using TNotifyEvent = std::function<void(TPageEngine&)>;

    TPageEngine();
    virtual ~TPageEngine();
    TPageEngine(const TPageEngine&) = delete;
    TPageEngine& operator=(const TPageEngine&) = delete;

    // ---- Properties -------------------------------------------------------
    int Units() const { return units; }
    void SetUnits(int value) { units = value; }
    double UnitsFactor() const { return unitsFactor; }
    void SetUnitsFactor(double value) { unitsFactor = value; }
    double MarginLeft() const { return marginLeft; }
    void SetMarginLeft(double value) { marginLeft = value; }
    double MarginTop() const { return marginTop; }
    void SetMarginTop(double value) { marginTop = value; }
    double ScaleX() const { return scaleX; }
    void SetScaleX(double percent) { scaleX = percent; }
    double ScaleY() const { return scaleY; }
    void SetScaleY(double percent) { scaleY = percent; }
    int Copies() const { return copies; }
    virtual void SetCopies(int value) { copies = value < 1 ? 1 : value; }
    // Copies of one page the device makes by itself (a print queue's driver);
    // 1 for a device that holds what was drawn and no more.
    virtual int DriverCopies() const { return 1; }
    int Orientation() const { return orientation; }
    virtual void SetOrientation(int value);
    QString Title() const { return title; }
    void SetTitle(const QString& value) { title = value; }
    int TextBKMode() const { return textBkMode; }
    void SetTextBKMode(int mode);
    int FirstPage() const { return firstPage; }
    void SetFirstPage(int value) { firstPage = value; }
    int LastPage() const { return lastPage; }
    void SetLastPage(int value) { lastPage = value; }

    // Status shown while a job runs: StatusFormat with "%p" the current page,
    // "%0" and "%1" lines 0 and 1 of StatusText; a carriage return breaks
    // lines.
    QLabel* StatusLabel() const { return statusLabel; }
    void SetStatusLabel(QLabel* label) { statusLabel = label; }
    QString StatusFormat() const { return statusFormat; }
    void SetStatusFormat(const QString& format) { statusFormat = format; }
    QStringList& StatusText() { return statusText; }
    void RefreshStatus();
    // The text RefreshStatus last produced.
    QString StatusString() const { return lastStatus; }

    // Run by Execute: OnBeforePrint, then OnPrint.
    TNotifyEvent OnBeforePrint;
    TNotifyEvent OnPrint;
    // Optional page hooks (none are needed by the print job, which clears
    // them): OnPrintHeader when a page starts, OnPrintFooter when it ends,
    // OnNewPage after NewPage started the next page (before its header),
    // OnAfterPrint after OnPrint, before the document ends. None runs once
    // the job is aborted.
    TNotifyEvent OnPrintHeader;
    TNotifyEvent OnPrintFooter;
    TNotifyEvent OnNewPage;
    TNotifyEvent OnAfterPrint;

    // ---- Device -----------------------------------------------------------
    double ResolutionX() const { return facts.ResolutionX; }
    double ResolutionY() const { return facts.ResolutionY; }
    double OffsetLeft() const { return facts.OffsetLeft; }
    double OffsetTop() const { return facts.OffsetTop; }
    double OffsetBottom() const { return facts.OffsetBottom; }
    double PageWidth() const { return facts.PageWidth; }
    double PageHeight() const { return facts.PageHeight; }
    const TDeviceFacts& DeviceFacts() const { return facts; }
    // Replaces the device facts (canvas and recorder; a printer reads its own).
    virtual void SetDeviceFacts(const TDeviceFacts& value) { facts = value; }
    // Paper code 1 Letter, 9 A4 (others are taken as Letter); the page size
    // follows, as oriented.
    virtual void SetPaper(int code);
    int Paper() const { return paper; }
    // A sheet of any size (inches, upright): Paper() names the code of the
    // nearer common sheet, the page size follows the sheet as oriented, and
    // `media` names it for a print queue (a self-describing media name such
    // as "iso_b4_250x353mm"). SetPaper returns to the code's own sheet.
    virtual void SetPaperSheet(int code, const QSizeF& inches, const QString& media);
    // The sheet set by SetPaperSheet (empty size: the paper code's).
    QSizeF PaperSheet() const { return paperSheet; }
    QString PaperMedia() const { return paperMedia; }

    // ---- Job control ------------------------------------------------------
    // Runs one job synchronously: OnBeforePrint, then the document starts,
    // OnPrint, the document ends. Returns when finished or aborted; an
    // exception from a handler ends the document and propagates.
    virtual void Execute();
    // Ends the current page and starts the next; CurrentPage rises by one
    // (also after Abort, so a handler's page loop still ends).
    void NewPage();
    // No further output reaches the device; Aborted becomes true.
    void Abort();
    bool Aborted() const { return aborted; }
    int CurrentPage() const { return currentPage; }
    bool Printing() const { return running; }

    // ---- Drawing state ----------------------------------------------------
    // width > 0: device pixels; width < 0: -width hundredths of an inch,
    // Round(w / 100 * ResolutionX * ScaleX / 100 * z) pixels, at least 1;
    // width 0: one pixel.
    void SetPen(TColor color, int style, int width, int mode = PageStyle::pmCopy);
    void SetBrush(TColor color, int style, const Dib* bitmap = nullptr);
    void SetFont(const QString& name, double size);
    void SetBold(bool on);
    void SetItalic(bool on);
    void SetUnderline(bool on);
    void SetFontColor(TColor color);
    QString FontName() const { return font.name; }
    double FontSize() const { return font.size; }

    // Text cursor; y is the baseline.
    void GotoXY(double x, double y);
    double CursorX() const { return cursorX; }
    double CursorY() const { return cursorY; }
    // Height of one text line of the current font, in units.
    double LineHeight() const;
    // Advance of a text in the current font, in units (tabs not expanded).
    double TextWidth(const QString& text) const;
    // Tab columns in units from the left margin; empty: every half inch.
    void SetTabs(const QList<double>& columns) { tabs = columns; }
    // Back to the left margin, one line down.
    void NewLine();
    // Draws the text at the cursor and moves the cursor past it; a tab moves
    // to the next column.
    void PrintText(const QString& text);

    // ---- Figures and pictures ---------------------------------------------
    void Rectangle(double x1, double y1, double x2, double y2);
    void Ellipse(double x1, double y1, double x2, double y2);
    void RoundRect(double x1, double y1, double x2, double y2, double cornerWidth, double cornerHeight);
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Polygon(const QPolygon& devicePoints);
    void Polygon(const QPoint* devicePoints, int count);
    void FillDeviceRect(const TDeviceRect& rect);
    void FillDeviceRect(int left, int top, int right, int bottom) { FillDeviceRect(TDeviceRect{left, top, right, bottom}); }
    void StretchBitmap(double x1, double y1, double x2, double y2, const Dib& bitmap);
    // An image is printed as the 24-bit bitmap of its colours (alpha dropped).
    void StretchBitmap(double x1, double y1, double x2, double y2, const QImage& image)
    {
        StretchBitmap(x1, y1, x2, y2, Dib::FromImage(image));
    }
    // The picture's boundingRect() is the source area (set it with
    // QPicture::setBoundingRect to the size it was drawn at).
    void StretchGraphic(const TDeviceRect& rect, const QPicture& graphic);
    // A Windows metafile played as vectors into the device rectangle.
    void StretchMetafile(const TDeviceRect& rect, const Metafile& metafile);
    // An object's own drawing: `draw` paints an object of `size` pixels with
    // its top-left corner at (0, 0), and the engine maps that area onto
    // `rect`. A device engine runs the drawing directly on its painter under
    // that transform, so text is laid out at the device's resolution and
    // stays text; a recorder keeps the drawing as a picture.
    using ObjectDrawing = std::function<void(QPainter&)>;
    void DrawObject(const TDeviceRect& rect, const QSize& size, const ObjectDrawing& draw);

    // ---- Blocks and bands -------------------------------------------------
    // A drawing placed whole and clipped to its box (x1, y1)-(x2, y2), in
    // units: a card on a sheet. `draw` draws it with the box's top-left corner
    // at (left, top). `key` names what it draws: every placement with the same
    // key must draw the same thing, so an engine that can keep a drawing (a
    // PDF, as a form XObject) draws each key once per job and only places it
    // at the other boxes. Other engines draw it at every box, clipped.
    using BlockDrawing = std::function<void(TPageEngine&, double left, double top)>;
    void PlaceBlock(const QString& key, double x1, double y1, double x2, double y2, const BlockDrawing& draw);
    // Placed inside a block (a PDF draws the block on a page of its own).
    bool InBlock() const { return blockDepth > 0; }

    // Fills the device rectangle `area` with bands of the colours in order,
    // from the top, or from the left when `across`: band i of n covers
    // MulDiv(i, side, n) up to MulDiv(i + 1, side, n) of the area's side.
    // The selected clip applies; the brush is left in the last colour. A PDF
    // writes it as one shading.
    void FillBands(const TDeviceRect& area, bool across, const QList<TColor>& colours);

    // ---- Clipping ---------------------------------------------------------
    void PushRectRegion(double x1, double y1, double x2, double y2);
    void PushEllipseRegion(double x1, double y1, double x2, double y2);
    void PushRoundRectRegion(double x1, double y1, double x2, double y2, double cornerWidth, double cornerHeight);
    // Polygon region (winding fill) in device pixels.
    void PushPolygonRegion(const QPoint* devicePoints, int count);
    void PushPolygonRegion(const QPolygon& devicePoints) { PushPolygonRegion(devicePoints.constData(), int(devicePoints.size())); }
    void SelectTopRegion();
    void ClearClip();
    void PopRegion();
    int RegionCount() const { return regionCount; }

    // Text drawn between BeginPath and EndPath makes a path instead of ink;
    // ClipToPath replaces the clip by its inside, StrokePath outlines it with
    // the current pen. Either consumes the path.
    void BeginPath();
    void EndPath();
    void ClipToPath();
    void StrokePath();

    // ---- Conversion -------------------------------------------------------
    TDeviceRect InchRectToDevice(double x1, double y1, double x2, double y2) const;
    int XToDevice(double x) const;
    int YToDevice(double y) const;
    // Physical inches from the sheet's corner of a coordinate in units.
    double PhysicalX(double x) const;
    double PhysicalY(double y) const;

    // Pen width in device pixels for a width given to SetPen, at zoom z.
    static int PenDeviceWidth(int width, double scaleX, double resolutionX, double z = 1.0);

protected:
    // What the engine hands its device, in physical inches (already with
    // margins, units and scale) or device pixels.
    struct PenSpec {
        TColor color = clBlack;
        int style = PageStyle::psSolid;
        int mode = PageStyle::pmCopy;
        bool inInches = false; // width in inches (scaled), else device pixels
        double width = 1;
    };
    struct BrushSpec {
        TColor color = clWhite;
        int style = PageStyle::bsSolid;
        Dib bitmap;
    };
    struct FontSpec {
        QString name = QStringLiteral("Arial");
        double size = 10;   // points, scaled by ScaleY
        bool bold = false;
        bool italic = false;
        bool underline = false;
        TColor color = clBlack;
    };
    enum FigureKind : int { fkRectangle = 0, fkEllipse = 1, fkRoundRect = 2 };

    // Called at the start of Execute, before OnBeforePrint: reset drawing state.
    virtual void DoStartJob() = 0;
    virtual void DoBeginDocument() = 0;
    virtual void DoEndDocument() = 0;
    virtual void DoNewPage() = 0;
    virtual void DoAbort() {}

    virtual void DoSetPen(const PenSpec& pen) = 0;
    virtual void DoSetBrush(const BrushSpec& brush) = 0;
    virtual void DoSetFont(const FontSpec& font) = 0;
    virtual void DoSetTextBKMode(int mode) = 0;
    virtual void DoFigure(int kind, double x1, double y1, double x2, double y2, double cw, double ch) = 0;
    virtual void DoLine(double x1, double y1, double x2, double y2) = 0;
    virtual void DoPolygon(const QPolygon& points) = 0;
    virtual void DoFillDeviceRect(const TDeviceRect& rect) = 0;
    virtual void DoText(double x, double y, const QString& text) = 0;
    virtual void DoStretchBitmap(double x1, double y1, double x2, double y2, const Dib& bitmap) = 0;
    virtual void DoStretchGraphic(const TDeviceRect& rect, const QPicture& graphic) = 0;
    // Engines without a device of their own draw nothing.
    virtual void DoStretchMetafile(const TDeviceRect& rect, const Metafile& metafile)
    {
        Q_UNUSED(rect);
        Q_UNUSED(metafile);
    }
    // Default: record the drawing as a picture and stretch it.
    virtual void DoDrawObject(const TDeviceRect& rect, const QSize& size, const ObjectDrawing& draw);
    // The block's box (physical inches) clips everything drawn until the
    // block ends, whatever the drawing does with its own clip regions.
    virtual void DoBeginBlockClip(double x1, double y1, double x2, double y2)
    {
        Q_UNUSED(x1);
        Q_UNUSED(y1);
        Q_UNUSED(x2);
        Q_UNUSED(y2);
    }
    virtual void DoEndBlockClip() {}
    // Default: the box as a block clip around the drawing at its corner.
    // Coordinates in physical inches; `draw` takes units.
    virtual void DoPlaceBlock(const QString& key, double x1, double y1, double x2, double y2, double left,
        double top, const BlockDrawing& draw);
    // Default: one brush fill per band. False from an engine that drew
    // nothing and wants the default.
    virtual bool DoFillBands(const TDeviceRect& area, bool across, const QList<TColor>& colours)
    {
        Q_UNUSED(area);
        Q_UNUSED(across);
        Q_UNUSED(colours);
        return false;
    }
    virtual void DoPushRegion(int kind, double x1, double y1, double x2, double y2, double cw, double ch) = 0;
    virtual void DoPushPolygonRegion(const QPolygon& points) = 0;
    virtual void DoSelectTopRegion() = 0;
    virtual void DoClearClip() = 0;
    virtual void DoPopRegion() = 0;
    virtual void DoBeginPath() = 0;
    virtual void DoEndPath() = 0;
    virtual void DoClipToPath() = 0;
    virtual void DoStrokePath() = 0;

    // The font at the pixel size it has on this device at zoom z.
    static QFont DeviceFont(const FontSpec& font, double resolutionY, double z);
    // Physical inches to device pixels at zoom z (no device origin).
    static int ToDevice(double inches, double z, double offset, double resolution);

    TDeviceFacts facts;
    int paper = PaperLetter;
    QSizeF paperSheet;
    QString paperMedia;
    FontSpec font;

private:
    double unitInches() const;
    void recomputePageSize();

    int units = unInches;
    double unitsFactor = 1.0;
    double marginLeft = 0;
    double marginTop = 0;
    double scaleX = 100;
    double scaleY = 100;
    int copies = 1;
    int orientation = poPortrait;
    QString title;
    int textBkMode = tbOpaque;
    int firstPage = 1;
    int lastPage = 9999;
    QLabel* statusLabel = nullptr;
    QString statusFormat;
    QStringList statusText;
    QString lastStatus;

    bool running = false;
    bool aborted = false;
    int currentPage = 0;
    double cursorX = 0;
    double cursorY = 0;
    double penX = 0;
    double penY = 0;
    QList<double> tabs;
    int regionCount = 0;
    bool pathOpen = false;
    int blockDepth = 0;
};

} // namespace bv
