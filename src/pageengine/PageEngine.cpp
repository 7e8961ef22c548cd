#include "pageengine/PageEngine.h"

#include "pageengine/PagePictureReplay.h"
#include "platform/Numeric.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPicture>
#include <cmath>

namespace bv {

TPageEngine::TPageEngine() = default;
TPageEngine::~TPageEngine() = default;

double TPageEngine::unitInches() const
{
    switch (units) {
    case unMillimeters: return unitsFactor / 25.4;
    case unCentimeters: return unitsFactor / 2.54;
    default: return unitsFactor;
    }
}

double TPageEngine::PhysicalX(double x) const
{
    return (x + marginLeft) * unitInches() * (scaleX / 100.0);
}

double TPageEngine::PhysicalY(double y) const
{
    return (y + marginTop) * unitInches() * (scaleY / 100.0);
}

int TPageEngine::ToDevice(double inches, double z, double offset, double resolution)
{
    Extended v = (static_cast<Extended>(inches) * z - offset) * resolution;
    // No sheet needs more; it keeps absurd input from overflowing the pixel grid.
    constexpr Extended limit = 1.0e9;
    if (!(v > -limit))
        v = -limit;
    else if (v > limit)
        v = limit;
    return static_cast<int>(Round(v));
}

int TPageEngine::XToDevice(double x) const
{
    return ToDevice(PhysicalX(x), 1.0, facts.OffsetLeft, facts.ResolutionX);
}

int TPageEngine::YToDevice(double y) const
{
    return ToDevice(PhysicalY(y), 1.0, facts.OffsetTop, facts.ResolutionY);
}

TDeviceRect TPageEngine::InchRectToDevice(double x1, double y1, double x2, double y2) const
{
    return TDeviceRect{XToDevice(x1), YToDevice(y1), XToDevice(x2), YToDevice(y2)};
}

int TPageEngine::PenDeviceWidth(int width, double scaleX, double resolutionX, double z)
{
    if (width > 0)
        return width;
    if (width == 0)
        return 1;
    const auto w = static_cast<int>(Round(static_cast<Extended>(-width) / 100.0 * resolutionX * scaleX / 100.0 * z));
    return w < 1 ? 1 : w;
}

QFont TPageEngine::DeviceFont(const FontSpec& spec, double resolutionY, double z)
{
    QFont f(spec.name);
    const Extended size = static_cast<Extended>(spec.size) / 72.0 * resolutionY * z;
    const auto px = (size > 0 && size < 100000) ? Round(size) : (size >= 100000 ? 100000 : 1);
    f.setPixelSize(px < 1 ? 1 : static_cast<int>(px));
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    f.setUnderline(spec.underline);
    // Outlines and advances must not depend on the device's pixel grid or on
    // what the font engine has cached: printing and replay draw the same.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void TPageEngine::recomputePageSize()
{
    const bool sheet = !paperSheet.isEmpty();
    const double w = sheet ? paperSheet.width() : paper == PaperA4 ? 210.0 / 25.4 : 8.5;
    const double h = sheet ? paperSheet.height() : paper == PaperA4 ? 297.0 / 25.4 : 11.0;
    facts.PageWidth = orientation == poLandscape ? h : w;
    facts.PageHeight = orientation == poLandscape ? w : h;
}

void TPageEngine::SetPaper(int code)
{
    paper = code == PaperA4 ? PaperA4 : PaperLetter;
    paperSheet = QSizeF();
    paperMedia.clear();
    recomputePageSize();
}

void TPageEngine::SetPaperSheet(int code, const QSizeF& inches, const QString& media)
{
    paper = code == PaperA4 ? PaperA4 : PaperLetter;
    paperSheet = inches.isValid() && !inches.isEmpty() ? inches : QSizeF();
    paperMedia = paperSheet.isEmpty() ? QString() : media;
    recomputePageSize();
}

void TPageEngine::SetOrientation(int value)
{
    value = value == poLandscape ? poLandscape : poPortrait;
    if (value == orientation)
        return;
    orientation = value;
    // The sheet turns: width and height swap, whatever paper it is.
    std::swap(facts.PageWidth, facts.PageHeight);
}

void TPageEngine::SetTextBKMode(int mode)
{
    textBkMode = mode == tbTransparent ? tbTransparent : tbOpaque;
    DoSetTextBKMode(textBkMode);
}

// ---- Job control -----------------------------------------------------------

void TPageEngine::RefreshStatus()
{
    QString s = statusFormat;
    s.replace(QLatin1String("%p"), QString::number(currentPage));
    s.replace(QLatin1String("%0"), statusText.size() > 0 ? statusText[0] : QString());
    s.replace(QLatin1String("%1"), statusText.size() > 1 ? statusText[1] : QString());
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lastStatus = s;
    if (statusLabel)
        statusLabel->setText(s);
}

void TPageEngine::Execute()
{
    if (running)
        throw EPrinter(QStringLiteral("Printing in progress"));
    running = true;
    aborted = false;
    currentPage = 1;
    cursorX = cursorY = penX = penY = 0;
    regionCount = 0;
    pathOpen = false;
    textBkMode = tbOpaque;
    font = FontSpec();
    bool documentOpen = false;
    try {
        DoStartJob();
        if (OnBeforePrint)
            OnBeforePrint(*this);
        if (!aborted) {
            DoBeginDocument();
            documentOpen = true;
            if (statusLabel && !statusFormat.isEmpty())
                RefreshStatus();
            if (OnPrintHeader && !aborted)
                OnPrintHeader(*this);
            if (OnPrint)
                OnPrint(*this);
            if (OnPrintFooter && !aborted)
                OnPrintFooter(*this);
            if (OnAfterPrint && !aborted)
                OnAfterPrint(*this);
            documentOpen = false;
            DoEndDocument();
        }
    } catch (...) {
        running = false;
        if (documentOpen) {
            try {
                DoEndDocument();
            } catch (const Exception&) {
                // The first failure is the one reported.
            }
        }
        throw;
    }
    running = false;
}

void TPageEngine::NewPage()
{
    if (OnPrintFooter && !aborted)
        OnPrintFooter(*this);
    ++currentPage;
    cursorX = cursorY = 0;
    if (aborted)
        return;
    DoNewPage();
    if (statusLabel && !statusFormat.isEmpty())
        RefreshStatus();
    if (OnNewPage && !aborted)
        OnNewPage(*this);
    if (OnPrintHeader && !aborted)
        OnPrintHeader(*this);
}

void TPageEngine::Abort()
{
    if (aborted)
        return;
    aborted = true;
    DoAbort();
}

// ---- Drawing state ---------------------------------------------------------

void TPageEngine::SetPen(TColor color, int style, int width, int mode)
{
    PenSpec pen;
    pen.color = color;
    pen.style = style;
    pen.mode = mode;
    if (width < 0) {
        pen.inInches = true;
        pen.width = -width / 100.0 * (scaleX / 100.0);
    } else {
        pen.width = width == 0 ? 1 : width;
    }
    DoSetPen(pen);
}

void TPageEngine::SetBrush(TColor color, int style, const Dib* bitmap)
{
    BrushSpec brush;
    brush.color = color;
    brush.style = style;
    if (bitmap)
        brush.bitmap = *bitmap;
    DoSetBrush(brush);
}

void TPageEngine::SetFont(const QString& name, double size)
{
    font.name = name;
    font.size = size * (scaleY / 100.0);
    DoSetFont(font);
}

void TPageEngine::SetBold(bool on)
{
    font.bold = on;
    DoSetFont(font);
}

void TPageEngine::SetItalic(bool on)
{
    font.italic = on;
    DoSetFont(font);
}

void TPageEngine::SetUnderline(bool on)
{
    font.underline = on;
    DoSetFont(font);
}

void TPageEngine::SetFontColor(TColor color)
{
    font.color = color;
    DoSetFont(font);
}

// ---- Text ------------------------------------------------------------------

void TPageEngine::GotoXY(double x, double y)
{
    cursorX = x;
    cursorY = y;
}

double TPageEngine::LineHeight() const
{
    const QFontMetricsF fm(DeviceFont(font, facts.ResolutionY, 1.0));
    const double inches = fm.lineSpacing() / facts.ResolutionY;
    return inches / (unitInches() * (scaleY / 100.0));
}

double TPageEngine::TextWidth(const QString& text) const
{
    const QFontMetricsF fm(DeviceFont(font, facts.ResolutionY, 1.0));
    // The font is sized for the vertical resolution and stretched to the
    // horizontal one on the device, so its advances are in vertical pixels.
    const double inches = fm.horizontalAdvance(text) / facts.ResolutionY;
    return inches / (unitInches() * (scaleX / 100.0));
}

void TPageEngine::NewLine()
{
    cursorX = 0;
    cursorY += LineHeight();
}

void TPageEngine::PrintText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            // Next tab column strictly right of the cursor.
            double next = -1;
            for (double column : tabs)
                if (column > cursorX + 1e-9) {
                    next = column;
                    break;
                }
            if (next < 0) {
                const double step = 0.5 / unitInches();
                next = (std::floor(cursorX / step + 1e-9) + 1) * step;
            }
            cursorX = next;
        }
        const QString& part = parts[i];
        if (part.isEmpty())
            continue;
        if (!aborted)
            DoText(PhysicalX(cursorX), PhysicalY(cursorY), part);
        cursorX += TextWidth(part);
    }
}

// ---- Figures ---------------------------------------------------------------

void TPageEngine::Rectangle(double x1, double y1, double x2, double y2)
{
    if (!aborted)
        DoFigure(fkRectangle, PhysicalX(x1), PhysicalY(y1), PhysicalX(x2), PhysicalY(y2), 0, 0);
}

void TPageEngine::Ellipse(double x1, double y1, double x2, double y2)
{
    if (!aborted)
        DoFigure(fkEllipse, PhysicalX(x1), PhysicalY(y1), PhysicalX(x2), PhysicalY(y2), 0, 0);
}

void TPageEngine::RoundRect(double x1, double y1, double x2, double y2, double cw, double ch)
{
    if (!aborted)
        DoFigure(fkRoundRect, PhysicalX(x1), PhysicalY(y1), PhysicalX(x2), PhysicalY(y2),
                 cw * unitInches() * (scaleX / 100.0), ch * unitInches() * (scaleY / 100.0));
}

void TPageEngine::MoveTo(double x, double y)
{
    penX = x;
    penY = y;
}

void TPageEngine::LineTo(double x, double y)
{
    if (!aborted)
        DoLine(PhysicalX(penX), PhysicalY(penY), PhysicalX(x), PhysicalY(y));
    penX = x;
    penY = y;
}

void TPageEngine::Polygon(const QPolygon& points)
{
    if (!aborted && points.size() >= 2)
        DoPolygon(points);
}

void TPageEngine::Polygon(const QPoint* points, int count)
{
    if (points && count > 0)
        Polygon(QPolygon(QList<QPoint>(points, points + count)));
}

void TPageEngine::FillDeviceRect(const TDeviceRect& rect)
{
    if (!aborted)
        DoFillDeviceRect(rect);
}

void TPageEngine::StretchBitmap(double x1, double y1, double x2, double y2, const Dib& bitmap)
{
    if (!aborted && !bitmap.IsEmpty())
        DoStretchBitmap(PhysicalX(x1), PhysicalY(y1), PhysicalX(x2), PhysicalY(y2), bitmap);
}

void TPageEngine::StretchGraphic(const TDeviceRect& rect, const QPicture& graphic)
{
    if (!aborted && !graphic.isNull())
        DoStretchGraphic(rect, graphic);
}

void TPageEngine::StretchMetafile(const TDeviceRect& rect, const Metafile& metafile)
{
    if (!aborted && !metafile.IsEmpty())
        DoStretchMetafile(rect, metafile);
}

void TPageEngine::DrawObject(const TDeviceRect& rect, const QSize& size, const ObjectDrawing& draw)
{
    if (!aborted && draw && size.width() > 0 && size.height() > 0)
        DoDrawObject(rect, size, draw);
}

void TPageEngine::DoDrawObject(const TDeviceRect& rect, const QSize& size, const ObjectDrawing& draw)
{
    // Recorded at the device's scale, so that a replay on the same device is
    // drawn as a direct drawing would be; letters are kept as outlines, which
    // a replay puts exactly where they were drawn.
    const int w = std::abs(rect.Width());
    const int h = std::abs(rect.Height());
    if (w == 0 || h == 0)
        return;
    QPicture picture;
    {
        QPainter p(&picture);
        p.scale(double(w) / size.width(), double(h) / size.height());
        DrawWithTextAsOutlines(p, draw);
    }
    // The drawing may not reach every edge; the picture covers the object.
    picture.setBoundingRect(QRect(0, 0, w, h));
    DoStretchGraphic(rect, picture);
}

// ---- Blocks and bands ------------------------------------------------------

void TPageEngine::PlaceBlock(const QString& key, double x1, double y1, double x2, double y2, const BlockDrawing& draw)
{
    if (aborted || !draw)
        return;
    ++blockDepth;
    try {
        DoPlaceBlock(key, PhysicalX(x1), PhysicalY(y1), PhysicalX(x2), PhysicalY(y2), x1, y1, draw);
    } catch (...) {
        --blockDepth;
        throw;
    }
    --blockDepth;
}

void TPageEngine::DoPlaceBlock(const QString& key, double x1, double y1, double x2, double y2, double left,
    double top, const BlockDrawing& draw)
{
    Q_UNUSED(key);
    DoBeginBlockClip(x1, y1, x2, y2);
    try {
        draw(*this, left, top);
    } catch (...) {
        DoEndBlockClip();
        throw;
    }
    DoEndBlockClip();
}

void TPageEngine::FillBands(const TDeviceRect& area, bool across, const QList<TColor>& colours)
{
    if (aborted || colours.isEmpty())
        return;
    if (!DoFillBands(area, across, colours)) {
        const int n = int(colours.size());
        const int side = across ? area.Width() : area.Height();
        for (int i = 0; i < n; ++i) {
            const int from = MulDiv(i, side, n);
            const int to = MulDiv(i + 1, side, n);
            if (to <= from)
                continue;
            SetBrush(colours[i], PageStyle::bsSolid);
            if (across)
                DoFillDeviceRect(TDeviceRect{area.Left + from, area.Top, area.Left + to, area.Bottom});
            else
                DoFillDeviceRect(TDeviceRect{area.Left, area.Top + from, area.Right, area.Top + to});
        }
    }
    SetBrush(colours.last(), PageStyle::bsSolid);
}

// ---- Clipping --------------------------------------------------------------

void TPageEngine::PushRectRegion(double x1, double y1, double x2, double y2)
{
    ++regionCount;
    DoPushRegion(fkRectangle, PhysicalX(x1), PhysicalY(y1), PhysicalX(x2), PhysicalY(y2), 0, 0);
}

void TPageEngine::PushEllipseRegion(double x1, double y1, double x2, double y2)
{
    ++regionCount;
    DoPushRegion(fkEllipse, PhysicalX(x1), PhysicalY(y1), PhysicalX(x2), PhysicalY(y2), 0, 0);
}

void TPageEngine::PushRoundRectRegion(double x1, double y1, double x2, double y2, double cw, double ch)
{
    ++regionCount;
    DoPushRegion(fkRoundRect, PhysicalX(x1), PhysicalY(y1), PhysicalX(x2), PhysicalY(y2),
                 cw * unitInches() * (scaleX / 100.0), ch * unitInches() * (scaleY / 100.0));
}

void TPageEngine::PushPolygonRegion(const QPoint* points, int count)
{
    ++regionCount;
    QPolygon poly;
    if (points && count > 0)
        poly = QPolygon(QList<QPoint>(points, points + count));
    DoPushPolygonRegion(poly);
}

void TPageEngine::SelectTopRegion()
{
    if (regionCount > 0)
        DoSelectTopRegion();
}

void TPageEngine::ClearClip()
{
    DoClearClip();
}

void TPageEngine::PopRegion()
{
    if (regionCount == 0)
        return;
    --regionCount;
    DoPopRegion();
}

void TPageEngine::BeginPath()
{
    pathOpen = true;
    DoBeginPath();
}

void TPageEngine::EndPath()
{
    if (!pathOpen)
        return;
    pathOpen = false;
    DoEndPath();
}

void TPageEngine::ClipToPath()
{
    DoClipToPath();
}

void TPageEngine::StrokePath()
{
    if (!aborted)
        DoStrokePath();
}

} // namespace bv
