#include "printing/LabelPrinter.h"

#include "document/AppServices.h"
#include "pageengine/PageEngine.h"
#include "pageengine/PagePrinter.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "platform/Metafile.h"
#include "platform/Numeric.h"
#include "surface/BusinessCardPanel.h"

#include <QCoreApplication>
#include <algorithm>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace bv {

namespace {

// Lets queued window messages run, so that a Cancel or Stop click is seen.
void processPendingMessages()
{
    QCoreApplication::processEvents();
}

// Restores the panel's Printing flag when the card walk ends, also on error.
class PrintingFlag {
public:
    explicit PrintingFlag(TGBusinessCardPanel32* p) : panel(p)
    {
        if (panel)
            panel->SetPrinting(true);
    }
    ~PrintingFlag()
    {
        if (panel)
            panel->SetPrinting(false);
    }
    PrintingFlag(const PrintingFlag&) = delete;
    PrintingFlag& operator=(const PrintingFlag&) = delete;

private:
    TGBusinessCardPanel32* panel;
};

} // namespace

TLabelPrinter::TLabelPrinter(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LabelPrinter"));
    setWindowTitle(QStringLiteral("Print Status Screen"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    RStatusLabel = new QLabel(this);
    RStatusLabel->setObjectName(QStringLiteral("RStatusLabel"));
    RStatusLabel->setAlignment(Qt::AlignCenter);
    RStatusLabel->setWordWrap(true);
    RStatusLabel->setMinimumSize(340, 110);
    QFont bold = RStatusLabel->font();
    bold.setBold(true);
    RStatusLabel->setFont(bold);

    Extralabel = new QLabel(this);
    Extralabel->setObjectName(QStringLiteral("Extralabel"));
    Extralabel->setAlignment(Qt::AlignCenter);
    Extralabel->setMinimumHeight(Extralabel->fontMetrics().height() + 4);

    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setMinimumWidth(90);
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 12);
    column->addWidget(RStatusLabel, 1);
    column->addWidget(Extralabel);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(CancelButton);
    row->addStretch(1);
    column->addLayout(row);
}

TLabelPrinter::~TLabelPrinter()
{
    // The engine outlives this window: it must not keep our label or handlers.
    if (Engine) {
        if (Engine->StatusLabel() == RStatusLabel)
            Engine->SetStatusLabel(nullptr);
        Engine->OnBeforePrint = nullptr;
        Engine->OnPrint = nullptr;
    }
}

void TLabelPrinter::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (activated)
        return;
    activated = true;
    // Runs once the window is on screen, from the modal loop.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

int TLabelPrinter::driverCopies() const
{
    if (DriverCopies)
        return DriverCopies();
    if (auto* printer = dynamic_cast<TPagePrinter*>(Engine)) {
        // A file (PDF output, or "print to file" chosen in the print dialog)
        // holds what was drawn and no more, whatever the queue could do.
        if (!printer->OutputFileName().isEmpty())
            return 1;
        return printer->MaxCopies();
    }
    return 1;
}

void TLabelPrinter::FormActivate()
{
    activated = true;
    if (running || finished)
        return;
    setWindowTitle(PrintingMode ? QStringLiteral("Print Status ") : QStringLiteral("Preview Status"));
    if (!Engine) {
        errorMessage = QStringLiteral("No print engine");
        finishStatus();
        return;
    }
    Engine->SetStatusLabel(RStatusLabel);
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
    if (errorMessage.isEmpty())
        AfterPrintLabels(*Engine);
    processPendingMessages();
    finishStatus();
}

void TLabelPrinter::finishStatus()
{
    finished = true;
    Extralabel->clear();
    CancelButton->setText(QStringLiteral("OK"));
    CancelButton->setDefault(true);
    CancelButton->setFocus();
    if (!Engine) {
        RStatusLabel->setText(errorMessage);
        return;
    }
    QString format;
    if (!errorMessage.isEmpty()) {
        // An error is not a finished job: say so instead of the success text.
        format = (PrintingMode ? QStringLiteral("\rBusiness Card Printing Failed!\r\r")
                               : QStringLiteral("\rBusiness Card Preview Failed!\r\r"))
            + errorMessage;
    } else if (Engine->Aborted()) {
        format = PrintingMode ? QStringLiteral("\rBusiness Card Print Canceled!")
                              : QStringLiteral("\rBusiness Card Preview Canceled!");
    } else {
        const bool complex = Panel && Panel->HasEffectObjects();
        if (PrintingMode)
            format = complex ? QStringLiteral("Print job completed and sent to printer!\r\rNote: this design contains "
                                              "complex shapes or text.\rPlease be patient while the printer produces "
                                              "its\routput...")
                             : QStringLiteral("Print job completed and sent to printer!");
        else
            format = complex ? QStringLiteral("Business Card preview ready to view!\r\rNote: To save time, only a "
                                              "single card is previewed\r\r** This design contains complex shapes or "
                                              "text.\rPlease be patient while the previewer prepares\rthe viewing page")
                             : QStringLiteral("\rBusiness Card preview ready!\r\rNote: To save time, only a single "
                                              "card is previewed");
    }
    Engine->SetStatusFormat(format);
    Engine->RefreshStatus();
}

void TLabelPrinter::CancelButtonClick()
{
    if (finished) {
        done(mrOk);
        return;
    }
    if (!running || !Engine)
        return;
    if (!PrintingMode) {
        CancelRequested = true;
        Engine->Abort();
        Engine->SetStatusFormat(QStringLiteral("\rCancelling...!"));
        Engine->RefreshStatus();
        processPendingMessages();
        return;
    }
    if (AskYesNo(QStringLiteral("Cancel Business Card Printing?"), QStringLiteral("Confirm"))) {
        // Aborting the engine aborts the spooled document on the printer.
        // The walk stops too: nothing more could reach the paper.
        Engine->Abort();
        CancelRequested = true;
    }
}

void TLabelPrinter::reject()
{
    if (finished) {
        done(mrOk);
        return;
    }
    CancelButtonClick();
}

void TLabelPrinter::BeforePrintLabels(TPageEngine& engine)
{
    if (Sheet.Rotated)
        engine.SetOrientation(poLandscape);
    if (PrintingMode && Sheets > 1 && driverCopies() > 1) {
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

void TLabelPrinter::PrintLabels(TPageEngine& engine)
{
    PrintingFlag flag(Panel);
    engine.SetMarginLeft(0);
    engine.SetMarginTop(0);
    const int across = std::clamp(Sheet.Across, 0, MaxSheetAcross);
    const int down = std::clamp(Sheet.Down, 0, MaxSheetDown);
    for (;;) {
        for (int row = 0; row < down; ++row) {
            for (int column = 0; column < across; ++column) {
                if (CancelRequested || engine.Aborted())
                    return;
                const int index = TImposition::PositionIndex(row, column, across);
                if (!Selected[index])
                    continue;
                const QPointF origin = Sheet.Origin(row, column, engine.PageHeight());
                const double x = origin.x();
                const double y = origin.y();
                Extralabel->setText(QStringLiteral("Card ") + QString::number(index + 1));
                processPendingMessages();
                if (CancelRequested || engine.Aborted())
                    return;
                const QRectF box = Sheet.CardBox(origin);
                if (OutlineTest) {
                    engine.Rectangle(box.left(), box.top(), box.right(), box.bottom());
                } else {
                    PrintBackGround(x, y);
                    if (!PrintingMode && !WholeSheet) {
                        engine.SetBrush(clBlack, PageStyle::bsClear);
                        engine.SetPen(0xC0C0C0, PageStyle::psSolid, -1, PageStyle::pmCopy);
                        engine.Rectangle(box.left(), box.top(), box.right(), box.bottom());
                    }
                    if (Panel)
                        Panel->PrintObjects(engine, x, y);
                }
                drawn.append(index);
                processPendingMessages();
            }
        }
        if (engine.CurrentPage() >= Sheets || CancelRequested || engine.Aborted())
            return;
        engine.NewPage();
    }
}

void TLabelPrinter::AfterPrintLabels(TPageEngine& engine)
{
    Q_UNUSED(engine);
}

void TLabelPrinter::LoadBackGround()
{
    backgroundKind = bkNone;
    backgroundBitmap = Dib();
    backgroundMetafile = Metafile();
    if (BackgroundFile.isEmpty())
        return;
    const QString upper = BackgroundFile.toUpper();
    if (upper.contains(QStringLiteral(".BMP")) && QFileInfo::exists(BackgroundFile)) {
        try {
            Dib bitmap = Dib::FromFile(BackgroundFile);
            // Turned the same way the panel turns its on-screen background.
            if (Sheet.Rotated)
                bitmap = bitmap.QuarterTurn();
            backgroundBitmap = bitmap;
            backgroundKind = bkBitmap;
        } catch (const Exception&) {
            backgroundKind = bkNone;
        }
        return;
    }
    if (upper.contains(QStringLiteral(".WMF"))) {
        try {
            Metafile metafile = Metafile::FromFile(BackgroundFile);
            if (Sheet.Rotated) {
                // Laid at its own size on a card-sized bitmap and turned as
                // the panel turns its on-screen background.
                const int ppi = ScreenPpi();
                QImage b(static_cast<int>(Trunc(3.5L * ppi)), 2 * ppi, QImage::Format_RGB32);
                b.fill(Qt::white);
                {
                    QPainter p(&b);
                    p.setRenderHint(QPainter::Antialiasing);
                    metafile.Play(p, QRectF(0, 0, metafile.Width(), metafile.Height()));
                }
                backgroundBitmap = Dib::FromImage(b).QuarterTurn();
                backgroundKind = bkBitmap;
            } else {
                backgroundMetafile = metafile;
                backgroundKind = bkMetafile;
            }
        } catch (const Exception&) {
            backgroundKind = bkNone;
        }
    }
}

void TLabelPrinter::PrintBackGround(double x, double y)
{
    if (!Engine)
        return;
    try {
        // The background art is always 3.5 × 2 inches, whatever the card size.
        if (backgroundKind == bkBitmap) {
            if (Sheet.Rotated)
                Engine->StretchBitmap(x, y, x + 2.0, y + 3.5, backgroundBitmap);
            else
                Engine->StretchBitmap(x, y, x + 3.5, y + 2.0, backgroundBitmap);
        } else if (backgroundKind == bkMetafile) {
            Engine->StretchMetafile(Engine->InchRectToDevice(x, y, x + 3.5, y + 2.0), backgroundMetafile);
        }
    } catch (const Exception&) {
        // A background that cannot be drawn is left out.
    }
}

} // namespace bv
