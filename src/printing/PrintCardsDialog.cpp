#include "printing/PrintCardsDialog.h"

#include "document/AppServices.h"
#include "objects/DialogButtons.h"
#include "pageengine/PagePrinter.h"
#include "platform/DialogHooks.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/MergeSource.h"
#include "platform/Numeric.h"
#include "widgets/WhatsThis.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace bv {

namespace {
// One fifth of real size, in screen pixels, cut toward zero.
int fifth(Extended inches, int ppi)
{
    return static_cast<int>(Trunc(inches * 0.2L * ppi));
}

// A rectangle drawn the way a canvas draws one: the pen on the outermost
// pixels of [left, right) × [top, bottom), filled inside.
void canvasRectangle(QPainter& p, const QRect& r, const QColor& fill)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.fillRect(r, fill);
    p.drawRect(QRect(r.left(), r.top(), r.width() - 1, r.height() - 1));
}
} // namespace

// ---- Sketch ------------------------------------------------------------------------

TSheetSketch::TSheetSketch(TSelectSpecificLabels& d, QWidget* parent) : QWidget(parent), dialog(d)
{
    setObjectName(QStringLiteral("PaintBox1"));
    setCursor(Qt::PointingHandCursor);
}

void TSheetSketch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 0));
    canvasRectangle(p, dialog.SheetRect(), Qt::white);
    const int count = std::min<int>(dialog.positions(), static_cast<int>(dialog.rects.size()));
    for (int i = 0; i < count; ++i)
        canvasRectangle(p, dialog.rects[i], dialog.Selected[i] ? QColor(255, 0, 0) : QColor(Qt::white));
}

void TSheetSketch::mousePressEvent(QMouseEvent* event)
{
    dialog.PaintBoxMouseDown(event->position().toPoint());
}

// ---- Dialog --------------------------------------------------------------------------

TSelectSpecificLabels::TSelectSpecificLabels(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SelectSpecificLabels"));
    setWindowTitle(QStringLiteral("Print Cards"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    Ppi = ScreenPpi();

    // Sketch of the sheet.
    auto* sketchBox = new QGroupBox(QStringLiteral(" Select Cards To Print"), this);
    sketchBox->setObjectName(QStringLiteral("SketchPanel"));
    PaintBox1 = new TSheetSketch(*this);
    PaintBox1->setWhatsThis(QStringLiteral("A sketch of the sheet. Click on a card to select it for printing "
                                           "(red) or to leave it out (white)."));
    auto* scroll = sketchScroller = new QScrollArea(sketchBox);
    scroll->setObjectName(QStringLiteral("SketchScroller"));
    scroll->setWidget(PaintBox1);
    scroll->setWidgetResizable(false);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAlignment(Qt::AlignCenter);
    auto* note = new QLabel(QStringLiteral("Click on individual cards to select or unselect them for printing. "
                                           "(red=selected)"),
                            sketchBox);
    note->setObjectName(QStringLiteral("NoteLabel"));
    note->setWordWrap(true);
    AllButton = new QPushButton(QStringLiteral("&All"), sketchBox);
    AllButton->setObjectName(QStringLiteral("AllButton"));
    AllButton->setAutoDefault(false);
    AllButton->setWhatsThis(QStringLiteral("Selects every card of the sheet for printing."));
    NoneButton = new QPushButton(QStringLiteral("&None"), sketchBox);
    NoneButton->setObjectName(QStringLiteral("NoneButton"));
    NoneButton->setAutoDefault(false);
    NoneButton->setWhatsThis(QStringLiteral("Clears the selection, so that you can pick single cards."));
    // The card stock product the layout was chosen as, when there is one.
    auto* stock = new QLabel(sketchBox);
    stock->setObjectName(QStringLiteral("StockLabel"));
    stock->setVisible(false);
    auto* sketchColumn = new QVBoxLayout(sketchBox);
    sketchColumn->addWidget(stock);
    sketchColumn->addWidget(scroll, 1);
    sketchColumn->addWidget(note);
    auto* allNone = new QHBoxLayout;
    allNone->addStretch(1);
    allNone->addWidget(AllButton);
    allNone->addWidget(NoneButton);
    allNone->addStretch(1);
    sketchColumn->addLayout(allNone);

    // Printer.
    auto* printerBox = new QGroupBox(QStringLiteral("Printer"), this);
    printerBox->setObjectName(QStringLiteral("PrinterPanel"));
    PrinterLabel = new QLabel(printerBox);
    PrinterLabel->setObjectName(QStringLiteral("PrinterLabel"));
    PrinterLabel->setWordWrap(true);
    PrinterLabel->setWhatsThis(QStringLiteral("The printer the cards are printed on."));
    PrintSetupButton = new QPushButton(QStringLiteral("Print &Setup"), printerBox);
    PrintSetupButton->setObjectName(QStringLiteral("PrintSetupButton"));
    PrintSetupButton->setAutoDefault(false);
    PrintSetupButton->setWhatsThis(QStringLiteral("Opens the printer setup, where paper and orientation are "
                                                  "chosen."));
    auto* printerColumn = new QVBoxLayout(printerBox);
    printerColumn->addWidget(PrinterLabel);
    printerColumn->addWidget(PrintSetupButton, 0, Qt::AlignLeft);

    // Pages.
    auto* pagesBox = new QGroupBox(QStringLiteral("Pages"), this);
    pagesBox->setObjectName(QStringLiteral("PagesPanel"));
    pages = new QSpinBox(pagesBox);
    pages->setObjectName(QStringLiteral("pages"));
    pages->setRange(1, 99);
    pages->setValue(1);
    pages->setWhatsThis(QStringLiteral("How many sheets of cards to print (1 to 99)."));
    auto* pagesLabel = new QLabel(QStringLiteral("Number of &pages:"), pagesBox);
    pagesLabel->setBuddy(pages);
    auto* pagesRow = new QHBoxLayout(pagesBox);
    pagesRow->addWidget(pagesLabel);
    pagesRow->addWidget(pages);
    pagesRow->addStretch(1);

    // Cutting.
    auto* cuttingBox = new QGroupBox(QStringLiteral("Cutting"), this);
    cuttingBox->setObjectName(QStringLiteral("CuttingPanel"));
    CropMarksCheck = new QCheckBox(QStringLiteral("Crop &marks"), cuttingBox);
    CropMarksCheck->setObjectName(QStringLiteral("CropMarksCheck"));
    CropMarksCheck->setWhatsThis(QStringLiteral("Short lines in the sheet's margin in line with every edge of the "
                                                "cards, to cut along with a ruler or a guillotine."));
    BleedCheck = new QCheckBox(QStringLiteral("&Bleed beyond each card"), cuttingBox);
    BleedCheck->setObjectName(QStringLiteral("BleedCheck"));
    BleedCheck->setWhatsThis(QStringLiteral("The background runs on beyond each card's edge (as far as the gap "
                                            "to the next card allows), so a cut a little off the line leaves no "
                                            "white edge."));
    auto* cuttingColumn = new QVBoxLayout(cuttingBox);
    cuttingColumn->addWidget(CropMarksCheck);
    cuttingColumn->addWidget(BleedCheck);
    BothSidesCheck = new QCheckBox(QStringLiteral("Print both sides"), cuttingBox);
    BothSidesCheck->setObjectName(QStringLiteral("BothSidesCheck"));
    LongEdgeRadio = new QRadioButton(QStringLiteral("Flip on long edge"), cuttingBox);
    LongEdgeRadio->setObjectName(QStringLiteral("LongEdgeRadio"));
    LongEdgeRadio->setChecked(true);
    ShortEdgeRadio = new QRadioButton(QStringLiteral("Flip on short edge"), cuttingBox);
    ShortEdgeRadio->setObjectName(QStringLiteral("ShortEdgeRadio"));
    cuttingColumn->addWidget(BothSidesCheck);
    cuttingColumn->addWidget(LongEdgeRadio);
    cuttingColumn->addWidget(ShortEdgeRadio);
    auto sides = [this] {
        LongEdgeRadio->setEnabled(BothSidesCheck->isChecked());
        ShortEdgeRadio->setEnabled(BothSidesCheck->isChecked());
    };
    connect(BothSidesCheck, &QCheckBox::toggled, this, sides);
    sides();
    SetBackFile(QString());

    // Merge.
    auto* mergeBox = new QGroupBox(QStringLiteral("Merge"), this);
    mergeBox->setObjectName(QStringLiteral("MergePanel"));
    MergeCombo = new QComboBox(mergeBox);
    MergeCombo->setObjectName(QStringLiteral("MergeCombo"));
    MergeCombo->addItems({ QStringLiteral("none"), QStringLiteral("file...") });
    MergeCombo->setWhatsThis(QStringLiteral("Prints one card per record of a contact list: a spreadsheet saved as "
                                            "CSV or an address book exported as vCard. Texts of the design that "
                                            "hold {Field} take each record's value."));
    auto* mergeLabel = new QLabel(QStringLiteral("&Merge:"), mergeBox);
    mergeLabel->setBuddy(MergeCombo);
    MergeRecordsLabel = new QLabel(mergeBox);
    MergeRecordsLabel->setObjectName(QStringLiteral("MergeRecordsLabel"));
    auto spin = [mergeBox](const char* name, int high) {
        auto* box = new QSpinBox(mergeBox);
        box->setObjectName(QLatin1String(name));
        box->setRange(1, high);
        return box;
    };
    MergeFirst = spin("MergeFirst", 1);
    MergeLast = spin("MergeLast", 1);
    MergeCopies = spin("MergeCopies", 99);
    MergeFirst->setWhatsThis(QStringLiteral("The first record to print."));
    MergeLast->setWhatsThis(QStringLiteral("The last record to print."));
    MergeCopies->setWhatsThis(QStringLiteral("How many cards each record gets, side by side."));
    MergeSheetsLabel = new QLabel(mergeBox);
    MergeSheetsLabel->setObjectName(QStringLiteral("MergeSheetsLabel"));
    auto* mergeGrid = new QGridLayout(mergeBox);
    mergeGrid->addWidget(mergeLabel, 0, 0);
    mergeGrid->addWidget(MergeCombo, 0, 1);
    mergeGrid->addWidget(MergeRecordsLabel, 1, 0, 1, 2);
    auto addRow = [&](int row, const QString& caption, QSpinBox* box) {
        auto* label = new QLabel(caption, mergeBox);
        label->setBuddy(box);
        mergeGrid->addWidget(label, row, 0);
        mergeGrid->addWidget(box, row, 1);
    };
    addRow(2, QStringLiteral("&First record:"), MergeFirst);
    addRow(3, QStringLiteral("&Last record:"), MergeLast);
    addRow(4, QStringLiteral("&Copies per record:"), MergeCopies);
    mergeGrid->addWidget(MergeSheetsLabel, 5, 0, 1, 2);

    auto* right = new QVBoxLayout;
    right->addWidget(printerBox);
    right->addWidget(pagesBox);
    right->addWidget(cuttingBox);
    right->addWidget(mergeBox);
    right->addStretch(1);

    auto* body = new QHBoxLayout;
    body->addWidget(sketchBox, 1);
    body->addLayout(right);

    auto* buttons = new QHBoxLayout;
    const DialogButtons b = AddDialogButtons(*this, *buttons, 2020, QStringLiteral("OkButton"),
                                             QStringLiteral("CancelButton"), QStringLiteral("HelpButton"));
    OkButton = b.ok;
    CancelButton = b.cancel;
    HelpButton = b.help;
    MouseHelpButton = b.mouseHelp;
    HelpButton->disconnect();
    connect(HelpButton, &QPushButton::clicked, this, [] { RequestHelpTopic(2020); });

    auto* column = new QVBoxLayout(this);
    column->addLayout(body, 1);
    column->addLayout(buttons);

    connect(AllButton, &QPushButton::clicked, this, [this] { AllButtonClick(); });
    connect(NoneButton, &QPushButton::clicked, this, [this] { NoneButtonClick(); });
    connect(PrintSetupButton, &QPushButton::clicked, this, [this] { PrintSetupClick(); });
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(MergeCombo, &QComboBox::activated, this, [this](int item) { mergeChosen(item); });
    connect(MergeFirst, &QSpinBox::valueChanged, this, [this](int v) {
        if (MergeLast->value() < v)
            MergeLast->setValue(v);
        showMerge();
    });
    connect(MergeLast, &QSpinBox::valueChanged, this, [this](int v) {
        if (MergeFirst->value() > v)
            MergeFirst->setValue(v);
        showMerge();
    });
    connect(MergeCopies, &QSpinBox::valueChanged, this, [this] { showMerge(); });
    showMerge();
    InstallWhatsThisMenus(this);
}

void TSelectSpecificLabels::SetSheet(const TCardLayout& layout, const TCardSelection& selection)
{
    Layout = layout;
    Selected = selection;
    if (auto* stock = findChild<QLabel*>(QStringLiteral("StockLabel"))) {
        // A sheet other than Letter and A4 is named, so the right paper goes in.
        QString text = layout.Stock.isEmpty() ? QString() : QStringLiteral("Card stock: %1").arg(layout.Stock);
        if (!layout.Paper.isEmpty())
            text += (text.isEmpty() ? QStringLiteral("Paper: %1") : QStringLiteral(" on %1"))
                        .arg(LayoutPaperCaption(layout));
        stock->setText(text);
        stock->setVisible(!text.isEmpty());
    }
    const QSizeF sheet = LayoutPaperInches(layout);
    SheetWidth = sheet.width();
    SheetHeight = sheet.height();
    // Sized now so that the dialog is laid out for the sketch before it shows.
    layoutSketch();
}

int TSelectSpecificLabels::positions() const
{
    return std::clamp(Layout.Across, 0, MaxSheetAcross) * std::clamp(Layout.Down, 0, MaxSheetDown);
}

void TSelectSpecificLabels::showEvent(QShowEvent* event)
{
    if (!activated)
        FormActivate();
    QDialog::showEvent(event);
}

void TSelectSpecificLabels::FormActivate()
{
    activated = true;
    layoutSketch();
    showPrinterName();
}

void TSelectSpecificLabels::layoutSketch()
{
    const int across = std::clamp(Layout.Across, 0, MaxSheetAcross);
    const int down = std::clamp(Layout.Down, 0, MaxSheetDown);
    rects = QVector<QRect>(across * down);
    const int left0 = fifth(Layout.LeftMargin, Ppi);
    const int top0 = fifth(Layout.TopMargin, Ppi);
    const int hstep = fifth(Layout.HPitch, Ppi);
    const int vstep = fifth(Layout.VPitch, Ppi);
    const int w = fifth(Layout.Width, Ppi);
    const int h = fifth(Layout.Height, Ppi);
    QRect extent = SheetRect();
    for (int r = 0; r < down; ++r) {
        for (int c = 0; c < across; ++c) {
            const int left = left0 + c * hstep + 10;
            const int top = top0 + r * vstep + 10;
            const QRect rect(QPoint(left, top), QPoint(left + w - 1, top + h - 1));
            rects[c + r * across] = rect;
            extent = extent.united(rect);
        }
    }
    PaintBox1->setFixedSize(extent.right() + 11, extent.bottom() + 11);
    sketchScroller->setMinimumSize(std::min(PaintBox1->width() + 4, 440), std::min(PaintBox1->height() + 4, 520));
    PaintBox1->update();
}

QRect TSelectSpecificLabels::PositionRect(int index) const
{
    return index >= 0 && index < rects.size() ? rects[index] : QRect();
}

QRect TSelectSpecificLabels::SheetRect() const
{
    return QRect(QPoint(10, 10), QPoint(fifth(SheetWidth, Ppi) + 10 - 1, fifth(SheetHeight, Ppi) + 10 - 1));
}

void TSelectSpecificLabels::PaintBoxMouseDown(const QPoint& p)
{
    const int across = std::clamp(Layout.Across, 0, MaxSheetAcross);
    const int down = std::clamp(Layout.Down, 0, MaxSheetDown);
    for (int r = 0; r < down; ++r) {
        for (int c = 0; c < across; ++c) {
            const int index = c + r * across;
            if (index < rects.size() && rects[index].contains(p)) {
                Selected[index] = !Selected[index];
                PaintBox1->update(rects[index]);
                showMerge();
                break;
            }
        }
    }
}

void TSelectSpecificLabels::AllButtonClick()
{
    for (int i = 0; i < positions(); ++i)
        Selected[i] = true;
    showMerge();
    PaintBox1->update();
}

void TSelectSpecificLabels::NoneButtonClick()
{
    for (int i = 0; i < positions(); ++i)
        Selected[i] = false;
    showMerge();
    PaintBox1->update();
}

void TSelectSpecificLabels::showPrinterName()
{
    QString name;
    if (Printer) {
        name = Printer->PrinterName();
        if (name.isEmpty() && !Printer->OutputFileName().isEmpty())
            name = QStringLiteral("PDF file ") + QFileInfo(Printer->OutputFileName()).fileName();
    }
    PrinterLabel->setText(name);
}

void TSelectSpecificLabels::PrintSetupClick()
{
    if (!Printer)
        return;
    Printer->PrinterSetupDialog(this);
    showPrinterName();
}

void TSelectSpecificLabels::SetMerge(const TMergeChoice& choice)
{
    mergeTable = choice.Table;
    while (MergeCombo->count() > 2)
        MergeCombo->removeItem(2);
    if (mergeTable) {
        MergeCombo->addItem(QFileInfo(mergeTable->FileName).fileName());
        MergeCombo->setCurrentIndex(2);
        const int count = std::max(1, mergeTable->RecordCount());
        MergeFirst->setRange(1, count);
        MergeLast->setRange(1, count);
        MergeLast->setValue(choice.LastRecord());
        MergeFirst->setValue(choice.FirstRecord());
        MergeCopies->setValue(std::clamp(choice.Copies, 1, 99));
    } else {
        MergeCombo->setCurrentIndex(0);
    }
    showMerge();
}

TMergeChoice TSelectSpecificLabels::Merge() const
{
    TMergeChoice choice;
    choice.Table = mergeTable;
    if (mergeTable) {
        choice.First = MergeFirst->value();
        choice.Last = MergeLast->value();
        choice.Copies = MergeCopies->value();
    }
    return choice;
}

void TSelectSpecificLabels::mergeChosen(int item)
{
    if (item == 0) {
        SetMerge(TMergeChoice());
        return;
    }
    if (item != 1)
        return; // the file already chosen
    FileChoice files;
    files.title = QStringLiteral("Merge File");
    files.filter = QStringLiteral("Contact lists (*.csv *.txt *.tsv *.vcf);;All files (*)");
    const QString path = Interaction::Current().ChooseOpenFile(files);
    TMergeChoice choice;
    choice.Table = mergeTable;
    choice.First = MergeFirst->value();
    choice.Last = MergeLast->value();
    choice.Copies = MergeCopies->value();
    if (!path.isEmpty()) {
        try {
            auto table = std::make_shared<TMergeTable>(ReadMergeFile(path));
            choice = TMergeChoice();
            choice.Table = std::move(table);
            choice.Copies = MergeCopies->value();
        } catch (const Exception& e) {
            // The file is refused as a whole; the merge stays as it was.
            Interaction::Current().ShowError(e.message(), QStringLiteral("Merge"));
        }
    }
    SetMerge(choice);
}

void TSelectSpecificLabels::showMerge()
{
    const bool on = mergeTable != nullptr;
    for (QWidget* w : { static_cast<QWidget*>(MergeFirst), static_cast<QWidget*>(MergeLast),
             static_cast<QWidget*>(MergeCopies) })
        w->setEnabled(on);
    // The records decide the number of sheets.
    pages->setEnabled(!on);
    if (!on) {
        MergeRecordsLabel->setText(QString());
        MergeSheetsLabel->setText(QString());
        return;
    }
    const int records = mergeTable->RecordCount();
    MergeRecordsLabel->setText(records == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(records));
    const TMergeChoice choice = Merge();
    int perSheet = 0;
    for (int i = 0; i < positions(); ++i)
        perSheet += Selected[i] ? 1 : 0;
    const int cards = choice.Cards();
    const int sheets = perSheet > 0 ? (cards + perSheet - 1) / perSheet : 0;
    MergeSheetsLabel->setText(QStringLiteral("%1 card(s) on %2 sheet(s)").arg(cards).arg(sheets));
}

void TSelectSpecificLabels::OkButtonClick()
{
    if (mergeTable && CheckMerge) {
        const QString missing = CheckMerge(*mergeTable);
        if (!missing.isEmpty()) {
            Interaction::Current().ShowError(missing, QStringLiteral("Merge"));
            return;
        }
    }
    bool any = false;
    for (int i = 0; i < positions() && !any; ++i)
        any = Selected[i];
    if (Printer) {
        Printer->SetOrientation(poPortrait);
        Printer->SetCopies(pages->value());
    }
    if (!any) {
        ShowInfo(QStringLiteral("You must select at least one card to print"));
        return;
    }
    done(mrOk);
}

void TSelectSpecificLabels::SetBackFile(const QString& path)
{
    const bool has = !path.isEmpty();
    for (QWidget* w : { static_cast<QWidget*>(BothSidesCheck), static_cast<QWidget*>(LongEdgeRadio),
             static_cast<QWidget*>(ShortEdgeRadio) }) {
        w->setVisible(has);
        if (w == BothSidesCheck)
            w->setEnabled(has);
    }
    if (!has)
        BothSidesCheck->setChecked(false);
    BothSidesCheck->setWhatsThis(has ? QStringLiteral("Prints the back of the card, %1, on the other side of each "
                                                      "sheet, behind each card's front.")
                                           .arg(QFileInfo(path).fileName())
                                     : QString());
}

void TSelectSpecificLabels::reject()
{
    done(mrCancel);
}

} // namespace bv
