#include "printing/PrintShopPdf.h"

#include "pageengine/PagePrinter.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "printing/SheetJob.h"
#include "surface/DesignModel.h"

#include <QFileInfo>
#include <algorithm>

namespace bv {

namespace {
// Crop marks: a quarter inch long, starting 1/16 inch outside the bleed.
constexpr double MarkGap = 1.0 / 16;
constexpr double MarkLength = 0.25;
} // namespace

TPrintShopPage TPrintShopPage::For(const QSizeF& card, const TPrintShopOptions& options)
{
    TPrintShopPage p;
    p.Bleed = std::clamp(options.BleedMm, 0.0, MaxBleedMm) / 25.4;
    p.Margin = options.CropMarks ? MarkGap + MarkLength + MarkGap : 0;
    p.BleedBox = QRectF(p.Margin, p.Margin, card.width() + 2 * p.Bleed, card.height() + 2 * p.Bleed);
    p.Trim = p.BleedBox.adjusted(p.Bleed, p.Bleed, -p.Bleed, -p.Bleed);
    p.Page = QSizeF(p.BleedBox.width() + 2 * p.Margin, p.BleedBox.height() + 2 * p.Margin);
    return p;
}

void WritePrintShopPdf(TDesignModel& design, const TCardLayout& layout, const QString& backgroundFile,
    const QString& path, const TPrintShopOptions& options, const TPrintShopBack& back)
{
    const bool rotated = design.Rotated();
    const QSizeF card = rotated ? QSizeF(layout.Height, layout.Width) : QSizeF(layout.Width, layout.Height);
    const TPrintShopPage page = TPrintShopPage::For(card, options);

    // The background art as the sheet job prepares it.
    TSheetJob art;
    art.BackgroundFile = backgroundFile;
    art.Sheet.Rotated = rotated;
    art.LoadBackGround();
    TSheetJob backArt;
    backArt.BackgroundFile = back.BackgroundFile;
    backArt.Sheet.Rotated = rotated;
    backArt.LoadBackGround();

    AtomicFile out(QFileInfo(path).absoluteFilePath());
    TPagePrinter printer(out.TempPath());
    printer.SetPageSize(QPageSize(page.Page, QPageSize::Inch, QStringLiteral("Card with bleed"),
        QPageSize::ExactMatch));
    printer.SetOrientation(poPortrait);
    printer.SetPageBoxes(page.Trim, page.BleedBox);
    printer.ResetDevice();
    const Single zoom = design.Zoom();
    design.SetZoom(1.0f);
    const Single backZoom = back.Design ? back.Design->Zoom() : 1.0f;
    if (back.Design)
        back.Design->SetZoom(1.0f);
    // One side of the card on the current page.
    auto side = [&](TPageEngine& e, TDesignModel& card, TSheetJob& sideArt, const QString& key) {
        e.SetMarginLeft(0);
        e.SetMarginTop(0);
        if (options.CropMarks) {
            // At every cut line, outside the bleed, at each corner.
            e.SetPen(clBlack, PageStyle::psSolid, 4, PageStyle::pmCopy);
            const QRectF t = page.Trim;
            const double out1 = page.Margin - MarkGap;
            const double out2 = out1 - MarkLength;
            const double right1 = page.BleedBox.right() + MarkGap;
            const double bottom1 = page.BleedBox.bottom() + MarkGap;
            for (double y : {t.top(), t.bottom()}) {
                e.MoveTo(out2, y);
                e.LineTo(out1, y);
                e.MoveTo(right1, y);
                e.LineTo(right1 + MarkLength, y);
            }
            for (double x : {t.left(), t.right()}) {
                e.MoveTo(x, out2);
                e.LineTo(x, out1);
                e.MoveTo(x, bottom1);
                e.LineTo(x, bottom1 + MarkLength);
            }
        }
        const QRectF b = page.BleedBox;
        e.PlaceBlock(key, b.left(), b.top(), b.right(), b.bottom(),
            [&](TPageEngine& engine, double left, double top) {
                const double x = left + page.Bleed;
                const double y = top + page.Bleed;
                sideArt.PrintBackGround(engine, x, y, page.Bleed);
                card.SetPrinting(true);
                try {
                    card.PrintObjects(engine, x, y);
                } catch (...) {
                    card.SetPrinting(false);
                    throw;
                }
                card.SetPrinting(false);
            });
    };
    printer.OnPrint = [&](TPageEngine& e) {
        side(e, design, art, QStringLiteral("card"));
        if (back.Design) {
            e.NewPage();
            side(e, *back.Design, backArt, QStringLiteral("back"));
        }
    };
    auto restore = [&] {
        design.SetZoom(zoom);
        if (back.Design)
            back.Design->SetZoom(backZoom);
    };
    try {
        printer.Execute();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    if (!EndsWithPdfTrailer(out.TempPath()))
        throw EWriteError(AtomicFile::FailureMessage(out.Target()));
    out.Commit();
}

} // namespace bv
