#include "app/EditCardLayout.h"
#include "platform/LayoutLimits.h"

#include "app/HelpBrowser.h"
#include "document/AppServices.h"
#include "document/CardStockLibrary.h"
#include "platform/Interaction.h"
#include "widgets/NumericEdit.h"
#include "widgets/WhatsThis.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace bv {

namespace {

constexpr double mmPerInch = 25.4;
constexpr double inchPerMm = 0.03937007874015748;
// Largest length the edits take: nothing on a sheet of card stock comes
// near it.
constexpr double maxInches = layoutlimits::MaxLength / 1000.0;

// The little card beside an orientation button: lying or standing.
// Rounded when the card stock has rounded corners: `radius` is the corner
// radius as a share of the card's shorter side.
class CardSketch final : public QWidget {
public:
    CardSketch(int w, int h, QWidget* parent)
        : QWidget(parent), card(w, h)
    {
        setFixedSize(w + 2, h + 2);
    }
    void SetRadius(double shareOfShortSide)
    {
        radius = shareOfShortSide;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, radius > 0);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1));
        p.setBrush(Qt::white);
        const QRectF box(0.5, 0.5, card.width(), card.height());
        // At least a few pixels, or a small radius would not show at this size.
        const double r = radius > 0 ? std::max(3.0, radius * std::min(card.width(), card.height())) : 0.0;
        if (r > 0)
            p.drawRoundedRect(box, r, r);
        else
            p.drawRect(box);
    }

private:
    QSize card;
    double radius = 0;
};

// Item data of a product row: its index in the library.
constexpr int StockIndexRole = Qt::UserRole + 1;

double roundTo3(double v)
{
    return QString::number(v, 'f', 3).toDouble();
}

} // namespace

TEditCardLayout::TEditCardLayout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("EditCardLayout"));
    setWindowTitle(QStringLiteral("Business Card Layout"));
    setModal(true);

    auto* predefLabel = new QLabel(QStringLiteral("Predefined Layouts"), this);
    PredefinedLayouts = new QComboBox(this);
    PredefinedLayouts->setObjectName(QStringLiteral("PredefinedLayouts"));
    for (const TPredefinedLayout& p : PredefinedLayoutTable())
        PredefinedLayouts->addItem(QString::fromLatin1(p.Name));
    PredefinedLayouts->setMaxVisibleItems(PredefinedLayoutCount);
    PredefinedLayouts->setWhatsThis(QStringLiteral(
        "Choose the brand and number of your card stock to fill in every value of the layout. "
        "The orientation and the units stay as they are."));
    predefLabel->setBuddy(PredefinedLayouts);

    Inchesbutton = new QRadioButton(QStringLiteral("Use &Inches"), this);
    Inchesbutton->setObjectName(QStringLiteral("Inchesbutton"));
    Inchesbutton->setChecked(true);
    Inchesbutton->setWhatsThis(QStringLiteral("Show and enter the lengths in inches."));
    MMButton = new QRadioButton(QStringLiteral("Use &Millimeters"), this);
    MMButton->setObjectName(QStringLiteral("MMButton"));
    MMButton->setWhatsThis(QStringLiteral("Show and enter the lengths in millimetres."));
    auto* units = new QButtonGroup(this);
    units->addButton(Inchesbutton);
    units->addButton(MMButton);

    struct EditField {
        NumericEdit** edit;
        const char* name;
        const char* caption;
        const char* help;
    };
    const EditField fields[] = {
        {&eCardwidth, "eCardwidth", "Card Width", "Width of one card."},
        {&eCardHeight, "eCardHeight", "Card Height", "Height of one card."},
        {&eHorizPitch, "eHorizPitch", "Horizontal Pitch",
         "Distance from the left edge of one card to the left edge of the next card in the row. "
         "With two or more cards across it must be at least the card width."},
        {&eVertPitch, "eVertPitch", "Vertical Pitch",
         "Distance from the top edge of one row of cards to the top edge of the next row. "
         "With two or more rows it must be at least the card height."},
        {&eleftmarg, "eleftmarg", "Left Margin", "Distance from the left edge of the sheet to the first column of cards."},
        {&etopmarg, "etopmarg", "Top Margin", "Distance from the top edge of the sheet to the first row of cards."},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    int i = 0;
    for (const EditField& s : fields) {
        auto* edit = new NumericEdit(this);
        edit->setObjectName(QString::fromLatin1(s.name));
        edit->setWhatsThis(QString::fromLatin1(s.help));
        edit->setFixedWidth(80);
        useInchSettings(edit);
        auto* label = new QLabel(QString::fromLatin1(s.caption), this);
        label->setBuddy(edit);
        grid->addWidget(label, i / 2, (i % 2) * 3);
        grid->addWidget(edit, i / 2, (i % 2) * 3 + 1);
        *s.edit = edit;
        connect(edit, &NumericEdit::ValueRefused, this, [this] { valueRefused = true; });
        ++i;
    }
    grid->setColumnMinimumWidth(2, 16);

    enbracross = new QSpinBox(this);
    enbracross->setObjectName(QStringLiteral("enbracross"));
    enbracross->setRange(layoutlimits::MinAcross, layoutlimits::MaxAcross);
    enbracross->setFixedWidth(80);
    enbracross->setWhatsThis(QStringLiteral("Number of cards in each row of the sheet (1 to 10)."));
    enbrdown = new QSpinBox(this);
    enbrdown->setObjectName(QStringLiteral("enbrdown"));
    enbrdown->setRange(layoutlimits::MinDown, layoutlimits::MaxDown);
    enbrdown->setFixedWidth(80);
    enbrdown->setWhatsThis(QStringLiteral("Number of rows of cards on the sheet (1 to 30)."));
    auto* acrossLabel = new QLabel(QStringLiteral("# across"), this);
    acrossLabel->setBuddy(enbracross);
    auto* downLabel = new QLabel(QStringLiteral("# down"), this);
    downLabel->setBuddy(enbrdown);
    grid->addWidget(acrossLabel, 3, 0);
    grid->addWidget(enbracross, 3, 1);
    grid->addWidget(downLabel, 3, 3);
    grid->addWidget(enbrdown, 3, 4);

    auto* paperLabel = new QLabel(QStringLiteral("Paper size"), this);
    epapersize = new QComboBox(this);
    epapersize->setObjectName(QStringLiteral("epapersize"));
    epapersize->addItem(QStringLiteral("Letter (8.5 x 11\")"));
    epapersize->addItem(QStringLiteral("A4 (210 x 297mm)"));
    epapersize->addItem(QString());
    epapersize->setWhatsThis(QStringLiteral("The paper size of the card stock sheet the printer is asked to use."));
    paperLabel->setBuddy(epapersize);
    grid->addWidget(paperLabel, 4, 0);
    grid->addWidget(epapersize, 4, 1, 1, 4);

    auto* orientation = new QGroupBox(QStringLiteral("Orientation"), this);
    orientation->setObjectName(QStringLiteral("Orientation"));
    eLandscape = new QRadioButton(QStringLiteral("Normal"), orientation);
    eLandscape->setObjectName(QStringLiteral("eLandscape"));
    eLandscape->setChecked(true);
    eLandscape->setWhatsThis(QStringLiteral("Design the card lying on its long side."));
    ePortrait = new QRadioButton(QStringLiteral("Rotated"), orientation);
    ePortrait->setObjectName(QStringLiteral("ePortrait"));
    ePortrait->setWhatsThis(QStringLiteral("Design the card standing on its short side; it is printed turned a quarter turn."));
    auto* orientationLayout = new QGridLayout(orientation);
    orientationLayout->addWidget(eLandscape, 0, 0);
    sketches << new CardSketch(35, 20, orientation);
    orientationLayout->addWidget(sketches.last(), 0, 1, Qt::AlignCenter);
    orientationLayout->addWidget(ePortrait, 1, 0);
    sketches << new CardSketch(20, 35, orientation);
    orientationLayout->addWidget(sketches.last(), 1, 1, Qt::AlignCenter);

    // Card stock from the label-template library.
    auto* stockBox = new QGroupBox(QStringLiteral("Card stock by part number"), this);
    stockBox->setObjectName(QStringLiteral("StockBox"));
    StockSearch = new QLineEdit(stockBox);
    StockSearch->setObjectName(QStringLiteral("StockSearch"));
    StockSearch->setPlaceholderText(QStringLiteral("Brand, part number or description, e.g. 8371"));
    StockSearch->setClearButtonEnabled(true);
    StockSearch->setWhatsThis(QStringLiteral(
        "Type the brand or part number printed on your pack of card stock; the list shows what matches."));
    StockList = new QTreeWidget(stockBox);
    StockList->setObjectName(QStringLiteral("StockList"));
    StockList->setColumnCount(2);
    StockList->setHeaderLabels({ QStringLiteral("Product"), QStringLiteral("Layout") });
    StockList->setRootIsDecorated(true);
    StockList->setUniformRowHeights(true);
    StockList->setMinimumHeight(220);
    StockList->header()->setStretchLastSection(false);
    StockList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    StockList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    StockList->setTextElideMode(Qt::ElideRight);
    StockList->setWhatsThis(QStringLiteral(
        "Card stock from the label templates installed on this computer. Click a product to fill in its "
        "layout; products whose labels are not one regular grid of rectangles are listed with a note and "
        "cannot be chosen."));
    StockInfo = new QLabel(stockBox);
    StockInfo->setObjectName(QStringLiteral("StockInfo"));
    StockInfo->setWordWrap(true);
    auto* stockColumn = new QVBoxLayout(stockBox);
    stockColumn->addWidget(StockSearch);
    stockColumn->addWidget(StockList, 1);
    stockColumn->addWidget(StockInfo);
    stockBox->setMinimumWidth(420);

    OkButton = new QPushButton(QStringLiteral("Ok"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    OkButton->setWhatsThis(QStringLiteral("Click to accept the layout and return to the previous screen."));
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setWhatsThis(QStringLiteral("Click to cancel and return to the previous screen."));
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    HelpButton->setWhatsThis(QStringLiteral("Click to bring up the help page of this screen."));
    HelpButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);
    // A click on a button does not take the focus: Ok commits the edit being
    // typed in itself, and Cancel or Help must not first judge a half-typed
    // value.
    for (QPushButton* b : {OkButton, CancelButton, HelpButton})
        b->setFocusPolicy(Qt::TabFocus);
    MouseHelpButton = CreateWhatsThisButton(this);

    auto* unitsRow = new QHBoxLayout;
    unitsRow->addWidget(Inchesbutton);
    unitsRow->addWidget(MMButton);
    unitsRow->addStretch();

    auto* left = new QVBoxLayout;
    left->addLayout(unitsRow);
    left->addLayout(grid);
    left->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(orientation);
    right->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addLayout(left);
    middle->addSpacing(12);
    middle->addLayout(right);
    middle->addSpacing(12);
    middle->addWidget(stockBox);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MouseHelpButton);
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);

    auto* top = new QVBoxLayout(this);
    top->addWidget(predefLabel);
    top->addWidget(PredefinedLayouts);
    top->addSpacing(6);
    top->addLayout(middle);
    top->addSpacing(6);
    top->addLayout(buttons);
    top->setSizeConstraint(QLayout::SetFixedSize);

    connect(PredefinedLayouts, &QComboBox::currentIndexChanged, this, [this] { PredefinedLayoutsChange(); });
    // Choosing the entry that is already selected applies it too: the list
    // opens on the last layout chosen, whose values may since have been
    // edited.
    connect(PredefinedLayouts, &QComboBox::activated, this, [this] { PredefinedLayoutsChange(); });
    connect(MMButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on && activated)
            switchToMillimetres();
    });
    connect(Inchesbutton, &QRadioButton::toggled, this, [this](bool on) {
        if (on && activated)
            switchToInches();
    });
    // Automatic pitch: a card larger than its pitch pushes the pitch along.
    connect(eCardwidth, &NumericEdit::Exited, this, [this] {
        if (eCardwidth->Value() > eHorizPitch->Value())
            eHorizPitch->SetValue(eCardwidth->Value());
    });
    connect(eCardHeight, &NumericEdit::Exited, this, [this] {
        if (eCardHeight->Value() > eVertPitch->Value())
            eVertPitch->SetValue(eCardHeight->Value());
    });
    connect(StockSearch, &QLineEdit::textChanged, this, [this] { fillStockList(); });
    connect(StockList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { StockChosen(item); });
    connect(StockList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { StockChosen(item); });
    connect(OkButton, &QPushButton::clicked, this, &TEditCardLayout::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TEditCardLayout::reject);
    connect(HelpButton, &QPushButton::clicked, this, [] { ShowHelpTopic(3101); });

    InstallWhatsThisMenus(this);
    SetCardStockLibrary(&TCardStockLibrary::Installed());
    adjustSize();
}

void TEditCardLayout::SetCardStockLibrary(const TCardStockLibrary* library)
{
    stockLibrary = library;
    fillStockList();
    showStock();
}

const TCardStock* TEditCardLayout::stockOf(const QTreeWidgetItem* item) const
{
    if (!item || !stockLibrary)
        return nullptr;
    const QVariant index = item->data(0, StockIndexRole);
    if (!index.isValid())
        return nullptr;
    const int i = index.toInt();
    return i >= 0 && i < stockLibrary->Products().size() ? &stockLibrary->Products()[i] : nullptr;
}

void TEditCardLayout::fillStockList()
{
    StockList->clear();
    if (!stockLibrary || stockLibrary->IsEmpty()) {
        StockSearch->setEnabled(false);
        StockList->setEnabled(false);
        return;
    }
    StockSearch->setEnabled(true);
    StockList->setEnabled(true);
    const QList<const TCardStock*> found = stockLibrary->Search(StockSearch->text());
    const TCardStock* first = stockLibrary->Products().constData();
    QTreeWidgetItem* brand = nullptr;
    for (const TCardStock* s : found) {
        if (!brand || brand->text(0) != s->Brand) {
            brand = new QTreeWidgetItem(StockList, { s->Brand });
            brand->setFlags(Qt::ItemIsEnabled);
            QFont bold = brand->font(0);
            bold.setBold(true);
            brand->setFont(0, bold);
        }
        // "8371 = 5371  Business Cards": an equivalent names its base.
        QString caption = s->Part;
        if (!s->EquivalentOf.isEmpty())
            caption += QStringLiteral(" = ") + s->EquivalentOf;
        if (!s->Description.isEmpty())
            caption += QStringLiteral("  ") + s->Description;
        QString detail = s->Choosable()
            ? QStringLiteral("%1 x %2, %3, %4 x %5 in")
                  .arg(s->Across)
                  .arg(s->Down)
                  .arg(s->PaperId)
                  .arg(s->Width, 0, 'g', 4)
                  .arg(s->Height, 0, 'g', 4)
            : s->Note;
        auto* row = new QTreeWidgetItem(brand, { caption, detail });
        row->setData(0, StockIndexRole, int(s - first));
        if (!s->EquivalentOf.isEmpty() || !s->Equivalents.isEmpty())
            row->setToolTip(0, s->Equivalents.isEmpty()
                    ? QStringLiteral("Same product as %1 %2").arg(s->Brand, s->EquivalentOf)
                    : QStringLiteral("Also sold as %1").arg(s->Equivalents.join(QStringLiteral(", "))));
        if (!s->Choosable()) {
            // Listed, so that the user learns why it is not offered, but
            // not choosable.
            row->setFlags(Qt::NoItemFlags);
            row->setToolTip(1, s->Note);
        }
    }
    StockList->expandAll();
}

void TEditCardLayout::showStock()
{
    if (!stockLibrary || stockLibrary->IsEmpty()) {
        StockInfo->setText(QStringLiteral(
            "No label-template library is installed. The predefined layouts above are offered; more card stock "
            "by brand and part number comes with the glabels-data package (label templates)."));
        return;
    }
    StockInfo->setText(Layout.Stock.isEmpty() ? QStringLiteral("%1 products. Click one to use its layout.")
                                                    .arg(stockLibrary->Products().size())
                                              : QStringLiteral("Chosen: %1").arg(Layout.Stock));
    const double shortSide = std::min(Layout.Width, Layout.Height);
    for (QWidget* w : sketches)
        static_cast<CardSketch*>(w)->SetRadius(shortSide > 0 ? Layout.CornerRadius / shortSide : 0);
}

void TEditCardLayout::StockChosen(QTreeWidgetItem* item)
{
    const TCardStock* stock = stockOf(item);
    if (!stock || !stock->Choosable())
        return;
    TCardLayout chosen = Layout;
    if (!ApplyCardStock(chosen, *stock))
        return;
    chosen.PredefLayout = -1;
    Layout = chosen;
    stockLayout = chosen;
    filling = true;
    PredefinedLayouts->setCurrentIndex(-1);
    filling = false;
    fillControls(true);
    showStock();
}

void TEditCardLayout::SetLayout(const TCardLayout& layout)
{
    Layout = layout;
    if (layout.UseMM)
        MMButton->setChecked(true);
    else
        Inchesbutton->setChecked(true);
}

QList<NumericEdit*> TEditCardLayout::lengthEdits() const
{
    return {eCardHeight, eCardwidth, etopmarg, eleftmarg, eHorizPitch, eVertPitch};
}

QList<Single> TEditCardLayout::lengths() const
{
    return {Layout.Height, Layout.Width, Layout.TopMargin, Layout.LeftMargin, Layout.HPitch, Layout.VPitch};
}

void TEditCardLayout::useInchSettings(NumericEdit* edit)
{
    edit->SetDisplayFormat(QStringLiteral("#0.0##"));
    edit->SetDecimals(3);
    edit->SetDigits(6);
    edit->SetRange(0, maxInches);
}

void TEditCardLayout::useMillimetreSettings(NumericEdit* edit)
{
    edit->SetDecimals(2);
    edit->SetRange(0, maxInches * mmPerInch);
}

void TEditCardLayout::fillControls(bool keepOrientation)
{
    filling = true;
    const bool mm = MMButton->isChecked();
    const QList<NumericEdit*> edits = lengthEdits();
    const QList<Single> values = lengths();
    for (int i = 0; i < edits.size(); ++i) {
        // The edit shows inches; millimetre mode then converts what it shows.
        NumericEdit* edit = edits[i];
        edit->Clear();
        useInchSettings(edit);
        edit->SetValue(values[i]);
        if (mm) {
            const double inches = edit->Value();
            edit->Clear();
            useMillimetreSettings(edit);
            edit->SetValue(inches * mmPerInch);
        }
    }
    enbracross->setValue(Layout.Across);
    enbrdown->setValue(Layout.Down);
    if (!keepOrientation) {
        if (Layout.Portrait)
            ePortrait->setChecked(true);
        else
            eLandscape->setChecked(true);
    }
    // A sheet of a card stock product other than Letter and A4 is the third
    // entry, named by its size.
    epapersize->setItemText(2, Layout.Paper.isEmpty() ? QString() : LayoutPaperCaption(Layout));
    if (!Layout.Paper.isEmpty())
        epapersize->setCurrentIndex(2);
    else if (Layout.Papersize == PaperLetter)
        epapersize->setCurrentIndex(0);
    else if (Layout.Papersize == PaperA4)
        epapersize->setCurrentIndex(1);
    else
        epapersize->setCurrentIndex(-1);
    filling = false;
}

void TEditCardLayout::FormActivate()
{
    if (activated)
        return;
    filling = true;
    const int index = Layout.PredefLayout;
    PredefinedLayouts->setCurrentIndex(index >= 0 && index < PredefinedLayoutCount ? index : -1);
    filling = false;
    fillControls(false);
    if (!Layout.Stock.isEmpty())
        stockLayout = Layout;
    showStock();
    activated = true;
}

void TEditCardLayout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TEditCardLayout::PredefinedLayoutsChange()
{
    if (!activated || filling)
        return;
    if (!ApplyPredefinedLayout(Layout, PredefinedLayouts->currentIndex()))
        return;
    Layout.Stock.clear();
    Layout.CornerRadius = 0;
    stockLayout.reset();
    showStock();
    // The orientation on screen is the user's choice, which a predefined
    // layout never changes.
    fillControls(true);
}

void TEditCardLayout::switchToMillimetres()
{
    for (NumericEdit* edit : lengthEdits()) {
        const double inches = edit->Value();
        edit->Clear();
        useMillimetreSettings(edit);
        edit->SetValue(inches * mmPerInch);
    }
}

void TEditCardLayout::switchToInches()
{
    for (NumericEdit* edit : lengthEdits()) {
        const double inches = edit->Value() * inchPerMm;
        edit->Clear();
        useInchSettings(edit);
        edit->SetValue(inches);
    }
}

void TEditCardLayout::OkButtonClick()
{
    // Moving the focus makes the control being edited commit its value (and
    // the width and height edits raise their pitch).
    valueRefused = false;
    QWidget* editing = focusWidget();
    enbrdown->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    // Without an active window no focus change is delivered: finish the
    // editing by hand. Committing twice does nothing more.
    if (auto* edit = qobject_cast<NumericEdit*>(editing))
        edit->Exit();
    if (valueRefused)
        return; // the refused value's message was shown; let the user fix it
    enbracross->interpretText();
    enbrdown->interpretText();

    Layout.Down = enbrdown->value();
    Layout.Across = enbracross->value();
    Layout.PredefLayout = PredefinedLayouts->currentIndex();
    Layout.Portrait = ePortrait->isChecked();

    const bool mm = MMButton->isChecked();
    auto take = [mm](const NumericEdit* edit) {
        return ToSingle(mm ? roundTo3(edit->Value() * inchPerMm) : edit->Value());
    };
    Layout.Height = take(eCardHeight);
    Layout.Width = take(eCardwidth);
    Layout.TopMargin = take(etopmarg);
    Layout.LeftMargin = take(eleftmarg);
    Layout.HPitch = take(eHorizPitch);
    Layout.VPitch = take(eVertPitch);

    if (epapersize->currentIndex() == 0) {
        Layout.Papersize = PaperLetter;
        Layout.Paper.clear();
    } else if (epapersize->currentIndex() == 1) {
        Layout.Papersize = PaperA4;
        Layout.Paper.clear();
    }
    // Values edited after choosing a product are no longer that product.
    if (!Layout.Stock.isEmpty()) {
        const TCardLayout* product = stockLayout ? &*stockLayout : nullptr;
        const bool same = product ? Layout.Width == product->Width && Layout.Height == product->Height
                && Layout.Across == product->Across && Layout.Down == product->Down
                && Layout.LeftMargin == product->LeftMargin && Layout.TopMargin == product->TopMargin
                && Layout.HPitch == product->HPitch && Layout.VPitch == product->VPitch
                && Layout.Papersize == product->Papersize && Layout.Paper == product->Paper
                                  : true;
        if (!same) {
            Layout.Stock.clear();
            Layout.CornerRadius = 0;
        }
    }

    if (ValidCard())
        done(mrOk);
}

bool TEditCardLayout::ValidCard()
{
    // Single-precision values against the exact limits: 0.3 and 0.5 pass.
    if (static_cast<Extended>(Layout.Height) < 0.3L) {
        ShowInfo(QStringLiteral("Card Height must be at least .3 inches (or 7mm)"));
        return false;
    }
    if (static_cast<Extended>(Layout.Width) < 0.5L) {
        ShowInfo(QStringLiteral("Card Width must be at least .5 inch (or 13mm)"));
        return false;
    }
    if (Layout.Across >= 2 && Layout.HPitch < Layout.Width) {
        ShowInfo(QStringLiteral("Horizontal Pitch must be at least = Card Width"));
        return false;
    }
    if (Layout.Down >= 2 && Layout.VPitch < Layout.Height) {
        ShowInfo(QStringLiteral("Vertical Pitch must be at least = Card Height"));
        return false;
    }
    return true;
}

void TEditCardLayout::reject()
{
    done(mrCancel);
}

bool EditCardLayout(TCardLayout& layout, QWidget* parent)
{
    TEditCardLayout dialog(parent ? parent : MainForm());
    CentreForm(dialog);
    dialog.SetLayout(layout);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    const TCardLayout& edited = dialog.Layout;
    layout.PredefLayout = edited.PredefLayout;
    layout.Papersize = edited.Papersize;
    layout.Paper = edited.Paper;
    layout.Height = edited.Height;
    layout.Width = edited.Width;
    layout.TopMargin = edited.TopMargin;
    layout.LeftMargin = edited.LeftMargin;
    layout.HPitch = edited.HPitch;
    layout.VPitch = edited.VPitch;
    layout.Across = edited.Across;
    layout.Down = edited.Down;
    layout.UseMM = dialog.MMButton->isChecked();
    layout.Portrait = edited.Portrait;
    layout.Stock = edited.Stock;
    layout.CornerRadius = edited.CornerRadius;
    return true;
}

} // namespace bv
