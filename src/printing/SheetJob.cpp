#include "printing/SheetJob.h"

#include "pageengine/PageEngine.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "pictures/Metafile.h"
#include "platform/Numeric.h"
#include "printing/CardSource.h"
#include "surface/DesignModel.h"

#include <QFileInfo>
#include <QPainter>
#include <algorithm>

namespace bv {

namespace {

// Restores the design's Printing flag when the card walk ends, also on error.
class PrintingFlag {
public:
    explicit PrintingFlag(TDesignModel* p) : design(p)
    {
        if (design)
            design->SetPrinting(true);
    }
    ~PrintingFlag()
    {
        if (design)
            design->SetPrinting(false);
    }
    PrintingFlag(const PrintingFlag&) = delete;
    PrintingFlag& operator=(const PrintingFlag&) = delete;

private:
    TDesignModel* design;
};

// Crop marks: up to a quarter inch long, ending 1/16 inch before the cards
// (or their bleed); a mark the margin has less than 1/16 inch room for is
// left out.
constexpr double MarkGap = 1.0 / 16;
constexpr double MarkLength = 0.25;
constexpr double ShortestMark = 1.0 / 16;
constexpr double Same = 1e-6;

QList<double> distinct(QList<double> v)
{
    std::sort(v.begin(), v.end());
    QList<double> out;
    for (double x : v)
        if (out.isEmpty() || x - out.last() > Same)
            out.append(x);
    return out;
}

} // namespace

TSheetJob::~TSheetJob()
{
    detach();
}

void TSheetJob::detach()
{
    if (!Engine)
        return;
    Engine->OnBeforePrint = nullptr;
    Engine->OnPrint = nullptr;
}

void TSheetJob::idle()
{
    if (OnIdle)
        OnIdle();
}

int TSheetJob::driverCopies() const
{
    if (DriverCopies)
        return DriverCopies();
    return Engine ? Engine->DriverCopies() : 1;
}

bool TSheetJob::Aborted() const
{
    return Engine && Engine->Aborted();
}

void TSheetJob::Run()
{
    if (running || finished)
        return;
    if (!Engine) {
        errorMessage = QStringLiteral("No print engine");
        finished = true;
        return;
    }
    LoadBackGround();
    Engine->OnBeforePrint = [this](TPageEngine& e) { BeforePrintLabels(e); };
    Engine->OnPrint = [this](TPageEngine& e) { PrintLabels(e); };
    running = true;
    try {
        Engine->Execute();
    } catch (const std::exception&) {
        errorMessage = DescribeCurrentException();
    }
    running = false;
    detach();
    if (errorMessage.isEmpty())
        AfterPrintLabels(*Engine);
    finished = true;
}

void TSheetJob::Cancel()
{
    cancelRequested = true;
    if (Engine)
        Engine->Abort();
}

void TSheetJob::BeforePrintLabels(TPageEngine& engine)
{
    if (Sheet.Rotated)
        engine.SetOrientation(poLandscape);
    if (PrintingMode && !Cards && BackPages == bpNone && Sheets > 1 && driverCopies() > 1) {
        // The driver makes the copies: one sheet is composed.
        engine.SetCopies(Sheets);
        Sheets = 1;
    }
    engine.SetStatusFormat(PrintingMode ? QStringLiteral("Printing Page %p\r%0\r%1")
                                        : QStringLiteral("Preparing Preview Page %p\r%0\r%1"));
    engine.StatusText().clear();
    engine.StatusText().append(QString());
    engine.StatusText().append(QString());
    if (!PrintingMode && !WholeSheet) {
        // To save time a preview shows one card: the first one, or for a
        // turned card the one in the page's top-left corner. A layout too
        // small to have position 1 shows position 0.
        Selected.fill(false);
        const int one = (Sheet.Rotated && Sheet.Positions() > 1) ? 1 : 0;
        Selected[one] = true;
    }
}

void TSheetJob::PrintLabels(TPageEngine& engine)
{
    PrintingFlag flag(Design);
    // The design shows what it showed before once the cards are drawn.
    struct CardsDone {
        TCardSource* cards;
        ~CardsDone()
        {
            if (cards)
                cards->Done();
        }
    } cardsDone { Cards };
    const int cardCount = Cards ? Cards->CardCount() : 0;
    engine.SetMarginLeft(0);
    engine.SetMarginTop(0);
    const int across = std::clamp(Sheet.Across, 0, MaxSheetAcross);
    const int down = std::clamp(Sheet.Down, 0, MaxSheetDown);
    // The one-card preview shows a card, not a sheet: no marks.
    const bool marks = CropMarks && (PrintingMode || WholeSheet);
    const bool fronts = BackPages != bpBacksOnly;
    const bool backs = BackPages != bpNone && BackDesign && PrintingMode && !OutlineTest;
    int sheet = 0;
    for (;;) {
        const int cardsBefore = currentCard;
        if (marks && fronts) {
            engine.SetPen(clBlack, PageStyle::psSolid, -1, PageStyle::pmCopy);
            for (const QLineF& line : CropMarkLines(engine.PageWidth(), engine.PageHeight())) {
                engine.MoveTo(line.x1(), line.y1());
                engine.LineTo(line.x2(), line.y2());
            }
        }
        // The positions this sheet's fronts take, in order; the back page
        // puts a back behind each of them.
        QList<int> onPage;
        bool lastCard = false;
        for (int row = 0; row < down && !lastCard; ++row) {
            for (int column = 0; column < across; ++column) {
                if (cancelRequested || engine.Aborted())
                    return;
                const int index = TImposition::PositionIndex(row, column, across);
                if (!Selected[index])
                    continue;
                if (Cards && currentCard + 1 >= cardCount) {
                    lastCard = true; // every card is on paper
                    break;
                }
                const QPointF origin = Sheet.Origin(row, column, engine.PageHeight());
                if (OnCard)
                    OnCard(index);
                idle();
                if (cancelRequested || engine.Aborted())
                    return;
                const QRectF box = Sheet.CardBox(origin);
                if (Cards && !fronts)
                    ++currentCard; // its front went through the printer before
                else if (Cards)
                    Cards->Show(++currentCard);
                if (!fronts) {
                    // Only the front's place on the sheet is needed.
                } else if (OutlineTest) {
                    engine.Rectangle(box.left(), box.top(), box.right(), box.bottom());
                } else {
                    // The card is one block clipped to its box: what
                    // overhangs the card's edge stays off its neighbours,
                    // and a PDF draws each distinct card once per job.
                    const bool outline = !PrintingMode && !WholeSheet;
                    QString key = Cards ? QStringLiteral("record %1").arg(Cards->CardKey(currentCard))
                        : CardKey       ? CardKey(index)
                                        : QStringLiteral("card");
                    // With a bleed the block reaches beyond the card, as far
                    // as this position allows.
                    const QRectF block = BleedBox(row, column, engine.PageWidth(), engine.PageHeight());
                    const double inX = box.left() - block.left();
                    const double inY = box.top() - block.top();
                    if (block != box)
                        key += QStringLiteral(" bleed %1 %2 %3 %4")
                                   .arg(inX, 0, 'f', 4)
                                   .arg(inY, 0, 'f', 4)
                                   .arg(block.width(), 0, 'f', 4)
                                   .arg(block.height(), 0, 'f', 4);
                    engine.PlaceBlock(key, block.left(), block.top(),
                        block.right(), block.bottom(), [&](TPageEngine& e, double left, double top) {
                            const double x = left + inX;
                            const double y = top + inY;
                            PrintBackGround(e, x, y, block != box ? Bleed : 0);
                            if (outline) {
                                e.SetBrush(clBlack, PageStyle::bsClear);
                                e.SetPen(0xC0C0C0, PageStyle::psSolid, -1, PageStyle::pmCopy);
                                e.Rectangle(x, y, x + box.width(), y + box.height());
                            }
                            if (Design)
                                Design->PrintObjects(e, x, y);
                        });
                }
                onPage.append(index);
                drawn.append(index);
                idle();
            }
        }
        if (cancelRequested || engine.Aborted())
            return;
        if (backs && !onPage.isEmpty()) {
            if (fronts)
                engine.NewPage();
            drawBacks(engine, onPage);
            if (cancelRequested || engine.Aborted())
                return;
        }
        ++sheet;
        // With cards: until the last is drawn (a sheet without a chosen
        // position would never draw it).
        // The one-card preview shows the first card only.
        if (lastCard
            || (Cards ? (currentCard + 1 >= cardCount || currentCard == cardsBefore || (!PrintingMode && !WholeSheet))
                      : sheet >= Sheets))
            return;
        engine.NewPage();
    }
}

QRectF TSheetJob::BackBox(const QRectF& front, double pageWidth, double pageHeight) const
{
    // Turned about the page's long side or short side, whichever is which
    // on this page (a landscape page has its long side across the top).
    const bool longSideUpright = pageHeight >= pageWidth;
    if (FlipLongEdge == longSideUpright)
        return QRectF(pageWidth - front.right(), front.top(), front.width(), front.height());
    return QRectF(front.left(), pageHeight - front.bottom(), front.width(), front.height());
}

void TSheetJob::drawBacks(TPageEngine& engine, const QList<int>& positions)
{
    PrintingFlag flag(BackDesign);
    const int across = std::clamp(Sheet.Across, 0, MaxSheetAcross);
    const double pw = engine.PageWidth();
    const double ph = engine.PageHeight();
    if (CropMarks) {
        // The front's marks, seen through the sheet.
        engine.SetPen(clBlack, PageStyle::psSolid, -1, PageStyle::pmCopy);
        for (const QLineF& line : CropMarkLines(pw, ph)) {
            const QRectF a = BackBox(QRectF(line.p1(), QSizeF(0, 0)), pw, ph);
            const QRectF b = BackBox(QRectF(line.p2(), QSizeF(0, 0)), pw, ph);
            engine.MoveTo(a.left(), a.top());
            engine.LineTo(b.left(), b.top());
        }
    }
    for (int index : positions) {
        if (cancelRequested || engine.Aborted())
            return;
        idle();
        const int row = across > 0 ? index / across : 0;
        const int column = across > 0 ? index % across : 0;
        const QRectF box = BackBox(Sheet.CardBox(Sheet.Origin(row, column, ph)), pw, ph);
        const QRectF block = BackBox(BleedBox(row, column, pw, ph), pw, ph);
        const double inX = box.left() - block.left();
        const double inY = box.top() - block.top();
        QString key = QStringLiteral("back");
        if (block != box)
            key += QStringLiteral(" bleed %1 %2 %3 %4")
                       .arg(inX, 0, 'f', 4)
                       .arg(inY, 0, 'f', 4)
                       .arg(block.width(), 0, 'f', 4)
                       .arg(block.height(), 0, 'f', 4);
        engine.PlaceBlock(key, block.left(), block.top(), block.right(), block.bottom(),
            [&](TPageEngine& e, double left, double top) {
                const double x = left + inX;
                const double y = top + inY;
                printArt(e, x, y, block != box ? Bleed : 0, backKind, backBitmap, backMetafile);
                BackDesign->PrintObjects(e, x, y);
            });
    }
}

QRectF TSheetJob::BleedBox(int row, int column, double pageWidth, double pageHeight) const
{
    const QRectF card = Sheet.CardBox(Sheet.Origin(row, column, pageHeight));
    if (Bleed <= 0)
        return card;
    // Each side: the bleed, half the gap to a card beside it, the page edge.
    double left = std::min(Bleed, card.left());
    double top = std::min(Bleed, card.top());
    double right = std::min(Bleed, pageWidth - card.right());
    double bottom = std::min(Bleed, pageHeight - card.bottom());
    const int across = std::clamp(Sheet.Across, 0, MaxSheetAcross);
    const int down = std::clamp(Sheet.Down, 0, MaxSheetDown);
    for (int r = 0; r < down; ++r) {
        for (int c = 0; c < across; ++c) {
            if (r == row && c == column)
                continue;
            const QRectF o = Sheet.CardBox(Sheet.Origin(r, c, pageHeight));
            const bool besideY = o.top() < card.bottom() - Same && o.bottom() > card.top() + Same;
            const bool besideX = o.left() < card.right() - Same && o.right() > card.left() + Same;
            if (besideY && o.right() <= card.left() + Same)
                left = std::min(left, (card.left() - o.right()) / 2);
            if (besideY && o.left() >= card.right() - Same)
                right = std::min(right, (o.left() - card.right()) / 2);
            if (besideX && o.bottom() <= card.top() + Same)
                top = std::min(top, (card.top() - o.bottom()) / 2);
            if (besideX && o.top() >= card.bottom() - Same)
                bottom = std::min(bottom, (o.top() - card.bottom()) / 2);
        }
    }
    return card.adjusted(-std::max(0.0, left), -std::max(0.0, top), std::max(0.0, right), std::max(0.0, bottom));
}

QList<QLineF> TSheetJob::CropMarkLines(double pageWidth, double pageHeight) const
{
    const int across = std::clamp(Sheet.Across, 0, MaxSheetAcross);
    const int down = std::clamp(Sheet.Down, 0, MaxSheetDown);
    QList<double> xs, ys;
    QRectF grid;
    for (int r = 0; r < down; ++r) {
        for (int c = 0; c < across; ++c) {
            const QRectF card = Sheet.CardBox(Sheet.Origin(r, c, pageHeight));
            xs << card.left() << card.right();
            ys << card.top() << card.bottom();
            grid = grid.isNull() ? card : grid.united(card);
        }
    }
    QList<QLineF> marks;
    if (grid.isNull())
        return marks;
    // Outside the bleed as well, so no mark lands in printed art.
    const double gap = MarkGap + std::max(0.0, Bleed);
    auto add = [&](bool vertical, double at, double from, double to) {
        from = std::max(from, 0.0);
        to = std::min(to, vertical ? pageHeight : pageWidth);
        if (to - from < ShortestMark)
            return;
        marks << (vertical ? QLineF(at, from, at, to) : QLineF(from, at, to, at));
    };
    for (double x : distinct(xs)) {
        add(true, x, grid.top() - gap - MarkLength, grid.top() - gap);
        add(true, x, grid.bottom() + gap, grid.bottom() + gap + MarkLength);
    }
    for (double y : distinct(ys)) {
        add(false, y, grid.left() - gap - MarkLength, grid.left() - gap);
        add(false, y, grid.right() + gap, grid.right() + gap + MarkLength);
    }
    return marks;
}

void TSheetJob::AfterPrintLabels(TPageEngine& engine)
{
    Q_UNUSED(engine);
}

void TSheetJob::LoadBackGround()
{
    loadArt(BackgroundFile, Sheet.Rotated, backgroundKind, backgroundBitmap, backgroundMetafile);
    backKind = bkNone;
    backBitmap = Dib();
    backMetafile = Metafile();
    if (BackPages != bpNone && BackDesign)
        loadArt(BackBackgroundFile, Sheet.Rotated, backKind, backBitmap, backMetafile);
}

void TSheetJob::loadArt(const QString& file, bool rotated, TBackgroundKind& kind, Dib& bitmap, Metafile& metafile)
{
    kind = bkNone;
    bitmap = Dib();
    metafile = Metafile();
    if (file.isEmpty())
        return;
    const QString upper = file.toUpper();
    if (upper.contains(QStringLiteral(".BMP")) && QFileInfo::exists(file)) {
        try {
            Dib art = Dib::FromFile(file);
            // Turned the same way the panel turns its on-screen background.
            if (rotated)
                art = art.QuarterTurn();
            bitmap = art;
            kind = bkBitmap;
        } catch (const Exception&) {
            kind = bkNone;
        }
        return;
    }
    if (upper.contains(QStringLiteral(".WMF"))) {
        try {
            Metafile art = Metafile::FromFile(file);
            if (rotated) {
                // Laid at its own size on a card-sized bitmap and turned as
                // the panel turns its on-screen background.
                const int ppi = ScreenPpi();
                QImage b(static_cast<int>(Trunc(3.5L * ppi)), 2 * ppi, QImage::Format_RGB32);
                b.fill(Qt::white);
                {
                    QPainter p(&b);
                    p.setRenderHint(QPainter::Antialiasing);
                    art.Play(p, QRectF(0, 0, art.Width(), art.Height()));
                }
                bitmap = Dib::FromImage(b).QuarterTurn();
                kind = bkBitmap;
            } else {
                metafile = art;
                kind = bkMetafile;
            }
        } catch (const Exception&) {
            kind = bkNone;
        }
    }
}

void TSheetJob::PrintBackGround(double x, double y)
{
    if (Engine)
        PrintBackGround(*Engine, x, y);
}

void TSheetJob::PrintBackGround(TPageEngine& engine, double x, double y, double bleed)
{
    printArt(engine, x, y, bleed, backgroundKind, backgroundBitmap, backgroundMetafile);
}

void TSheetJob::printArt(TPageEngine& engine, double x, double y, double bleed, TBackgroundKind kind,
    const Dib& bitmap, const Metafile& metafile)
{
    try {
        // The background art is always 3.5 × 2 inches, whatever the card size.
        const double w = Sheet.Rotated ? 2.0 : 3.5;
        const double h = Sheet.Rotated ? 3.5 : 2.0;
        const double scale = bleed > 0 ? std::max((w + 2 * bleed) / w, (h + 2 * bleed) / h) : 1.0;
        const double x1 = x + w / 2 - w * scale / 2;
        const double y1 = y + h / 2 - h * scale / 2;
        const double x2 = x1 + w * scale;
        const double y2 = y1 + h * scale;
        if (kind == bkBitmap)
            engine.StretchBitmap(x1, y1, x2, y2, bitmap);
        else if (kind == bkMetafile)
            engine.StretchMetafile(engine.InchRectToDevice(x1, y1, x2, y2), metafile);
    } catch (const Exception&) {
        // A background that cannot be drawn is left out.
    }
}

} // namespace bv
