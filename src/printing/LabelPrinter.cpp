#include "printing/LabelPrinter.h"

#include "document/AppServices.h"
#include "pageengine/PageEngine.h"
#include "platform/Interaction.h"
#include "printing/SheetJob.h"
#include "printing/CardSource.h"
#include "surface/BusinessCardPanel.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
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

} // namespace

TLabelPrinter::TLabelPrinter(TSheetJob& job, QWidget* parent) : QDialog(parent), job(job)
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
    // The job and its engine outlive this window: they must not keep our
    // label or handlers.
    if (job.Engine && job.Engine->StatusLabel() == RStatusLabel)
        job.Engine->SetStatusLabel(nullptr);
    job.OnCard = nullptr;
    job.OnIdle = nullptr;
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

void TLabelPrinter::FormActivate()
{
    activated = true;
    if (job.Running() || finished)
        return;
    setWindowTitle(job.PrintingMode ? QStringLiteral("Print Status ") : QStringLiteral("Preview Status"));
    if (job.Engine)
        job.Engine->SetStatusLabel(RStatusLabel);
    job.OnCard = [this](int index) {
        QString text = QStringLiteral("Card ") + QString::number(index + 1);
        // A merge counts its records as well.
        if (job.Cards)
            text += QLatin1Char('\n') + job.Cards->Describe(job.CurrentCard() + 1);
        Extralabel->setText(text);
    };
    job.OnIdle = processPendingMessages;
    job.Run();
    processPendingMessages();
    finishStatus();
}

void TLabelPrinter::finishStatus()
{
    finished = true;
    Extralabel->clear();
    if (job.Cards && job.CurrentCard() >= 0)
        Extralabel->setText(QStringLiteral("%1 card(s), up to %2")
                                .arg(job.CurrentCard() + 1)
                                .arg(job.Cards->Describe(job.CurrentCard())));
    CancelButton->setText(QStringLiteral("OK"));
    CancelButton->setDefault(true);
    CancelButton->setFocus();
    TPageEngine* engine = job.Engine;
    if (!engine) {
        RStatusLabel->setText(job.ErrorMessage());
        return;
    }
    const bool printing = job.PrintingMode;
    QString format;
    if (job.Failed()) {
        // An error is not a finished job: say so instead of the success text.
        format = (printing ? QStringLiteral("\rBusiness Card Printing Failed!\r\r")
                           : QStringLiteral("\rBusiness Card Preview Failed!\r\r"))
            + job.ErrorMessage();
    } else if (engine->Aborted()) {
        format = printing ? QStringLiteral("\rBusiness Card Print Canceled!")
                          : QStringLiteral("\rBusiness Card Preview Canceled!");
    } else {
        const bool complex = job.Design && job.Design->HasEffectObjects();
        if (printing)
            format = complex ? QStringLiteral("Print job completed and sent to printer!\r\rNote: this design contains "
                                              "complex shapes or text.\rPlease be patient while the printer produces "
                                              "its\routput...")
                             : QStringLiteral("Print job completed and sent to printer!");
        else if (job.WholeSheet)
            // The sheet preview shows every card: no note about a single one.
            format = complex ? QStringLiteral("Business Card preview ready to view!\r\r** This design contains "
                                              "complex shapes or text.\rPlease be patient while the previewer "
                                              "prepares\rthe viewing page")
                             : QStringLiteral("\rBusiness Card preview ready!");
        else
            format = complex ? QStringLiteral("Business Card preview ready to view!\r\rNote: To save time, only a "
                                              "single card is previewed\r\r** This design contains complex shapes or "
                                              "text.\rPlease be patient while the previewer prepares\rthe viewing page")
                             : QStringLiteral("\rBusiness Card preview ready!\r\rNote: To save time, only a single "
                                              "card is previewed");
    }
    engine->SetStatusFormat(format);
    engine->RefreshStatus();
}

void TLabelPrinter::CancelButtonClick()
{
    if (finished) {
        done(mrOk);
        return;
    }
    if (!job.Running() || !job.Engine)
        return;
    if (!job.PrintingMode) {
        job.Cancel();
        job.Engine->SetStatusFormat(QStringLiteral("\rCancelling...!"));
        job.Engine->RefreshStatus();
        processPendingMessages();
        return;
    }
    // Cancelling aborts the spooled document on the printer, so it is asked
    // first; the walk stops too, as nothing more could reach the paper.
    if (AskYesNo(QStringLiteral("Cancel Business Card Printing?"), QStringLiteral("Confirm")))
        job.Cancel();
}

void TLabelPrinter::reject()
{
    if (finished) {
        done(mrOk);
        return;
    }
    CancelButtonClick();
}

} // namespace bv
