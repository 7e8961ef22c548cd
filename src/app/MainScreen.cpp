#include "app/MainScreen.h"
#include "app/MergeRecordPicker.h"

#include "app/AboutBox.h"
#include "app/CardGuides.h"
#include "app/ChangeFontAll.h"
#include "app/DesignClasses.h"
#include "app/DocumentCommands.h"
#include "app/HelpBrowser.h"
#include "app/LoadBackGround.h"
#include "app/PersonalInformation.h"
#include "app/QuickTips.h"
#include "app/RecentFiles.h"
#include "app/SelectPreviewTemplate.h"
#include "app/ShippedArt.h"
#include "app/ToolIcons.h"
#include "app/UndoHistory.h"
#include "document/AppServices.h"
#include "document/CardDocument.h"
#include "document/Settings.h"
#include "effects/SuperShapeProperties.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "printing/PrintCommands.h"
#include "printing/PrintShopDialog.h"
#include "richtext/RichBaseLabel.h"
#include "surface/BusinessCardPanel.h"
#include "surface/CommandGuard.h"
#include "surface/CompanionFile.h"
#include "surface/Handle.h"
#include "sysinfo/ConfigInfo.h"
#include "widgets/AssistantOru.h"
#include "widgets/WhatsThis.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <optional>

namespace bv {

namespace {

// Tool buttons of the palette: flat squares that show their down state.
QToolButton* makeButton(QWidget* parent, const char* name, const QString& icon, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(ToolIcon(icon));
    b->setIconSize(QSize(22, 22));
    b->setFixedSize(30, 30);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolTip(hint);
    b->setWhatsThis(hint);
    return b;
}

QString hintText(const char* text)
{
    // Hints break lines where the captions have a carriage return.
    return QString::fromLatin1(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

const char* const TMainScreen::BonusArtworkUrl = "https://brisvale.example.org/bonus-artwork";
const char* const TMainScreen::WebsiteUrl = "https://brisvale.example.org/";

// --- zoom spinner ------------------------------------------------------------------------

TZoomSpinner::TZoomSpinner(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ZoomSpinner"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    UpButton = new QToolButton(this);
    UpButton->setObjectName(QStringLiteral("ZoomUpButton"));
    UpButton->setArrowType(Qt::UpArrow);
    DownButton = new QToolButton(this);
    DownButton->setObjectName(QStringLiteral("ZoomDownButton"));
    DownButton->setArrowType(Qt::DownArrow);
    for (QToolButton* b : { UpButton, DownButton }) {
        b->setFixedSize(20, 14);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(false);
        layout->addWidget(b);
    }
    connect(UpButton, &QToolButton::clicked, this, &TZoomSpinner::UpClick);
    connect(DownButton, &QToolButton::clicked, this, &TZoomSpinner::DownClick);
}

// --- creation ------------------------------------------------------------------------------

TMainScreen::TMainScreen(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainScreen"));
    setWindowTitle(QStringLiteral("Brisvale"));
    setWindowIcon(ProgramIcon());
    setFont(QFont(QStringLiteral("Arial"), 8));
    SetMainForm(this);
    RegisterDesignClasses();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* topBar = new QWidget(central);
    topBar->setObjectName(QStringLiteral("ToolPalette"));
    buildToolPalette(topBar);
    column->addWidget(topBar);

    ScrollBox1 = new QScrollArea(central);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFocusPolicy(Qt::NoFocus);
    ScrollBox1->setWidgetResizable(true);
    ScrollBox1->setFrameShape(QFrame::StyledPanel);
    cardHolder = new QWidget;
    cardHolder->setObjectName(QStringLiteral("CardHolder"));
    QPalette face = cardHolder->palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    cardHolder->setPalette(face);
    cardHolder->setAutoFillBackground(true);
    ScrollBox1->viewport()->setPalette(face);
    ScrollBox1->viewport()->setAutoFillBackground(true);
    BusinessCardPanel = new TGBusinessCardPanel32(cardHolder);
    BusinessCardPanel->setObjectName(QStringLiteral("BusinessCardPanel"));
    BusinessCardPanel->move(10, 7);
    BusinessCardPanel->SetOwner(this);
    cardGuides = new TCardGuides(*BusinessCardPanel, cardHolder, QPoint(10, 7));
    PrintCommands = std::make_unique<TPrintCommands>(BusinessCardPanel->Model(), this);
    PrintCommands->Preferences = &Preferences;
    PrintCommands->SavePreferences = [this] { TSettings().SavePreferences(Preferences); };
    document = new TDocumentCommands(BusinessCardPanel->Model(), BusinessCardPanel, *PrintCommands, this);
    PrintCommands->Layout = [this] { return document->CardLayout(); };
    PrintCommands->BackgroundFile = [this] { return document->BackgroundFile(); };
    PrintCommands->DesignFile = [this] { return document->CurrentFileName(); };
    // The record picker joins the tool palette once the card and its print
    // commands exist.
    if (auto* palette = qobject_cast<QHBoxLayout*>(topBar->layout()))
        palette->insertWidget(palette->count() - 1, new TMergeRecordPicker(BusinessCardPanel->Model(), *PrintCommands, topBar));
    connect(document, &TDocumentCommands::ChangesMadeChanged, this, &TMainScreen::showChangesMade);
    connect(document, &TDocumentCommands::ButtonsChanged, this, &TMainScreen::Setbuttons);
    connect(document, &TDocumentCommands::UndoStateChanged, this, &TMainScreen::updateUndoActions);
    connect(document, &TDocumentCommands::CardResized, this, &TMainScreen::updateScrollExtent);
    connect(cardGuides, &TCardGuides::Placed, this, &TMainScreen::updateScrollExtent);
    connect(document, &TDocumentCommands::CloseRequested, this, &TMainScreen::close);
    ScrollBox1->setWidget(cardHolder);
    column->addWidget(ScrollBox1, 1);

    auto* bottomBar = new QWidget(central);
    bottomBar->setObjectName(QStringLiteral("ButtonBar"));
    buildBottomBar(bottomBar);
    column->addWidget(bottomBar);
    setCentralWidget(central);

    buildMenus();
    InstallWhatsThisMenus(central);
    // Every rich text object paints through this hidden control, which the
    // design is given.
    CreateMasterRichText(BusinessCardPanel->Model(), this);
    connect(&document->UndoHistory(), &TUndoHistory::HistoryChanged, this, [this] { updateUndoActions(); });

    connect(BusinessCardPanel, &TGBasePanel::DroppedObjectEvent, this, &TMainScreen::DroppedObject);
    BusinessCardPanel->installEventFilter(this);
    cardHolder->installEventFilter(this);
    ScrollBox1->viewport()->installEventFilter(this);
    qApp->installEventFilter(this);

    // The designed client area, 622 × 404 at 96 pixels per inch, below the
    // menu; on a screen with room for it the first size shows the card at
    // 150 % without scrolling (a saved size and place win at activation).
    resize(622, 404 + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size();
        if (room.width() >= 1100 && room.height() >= 760)
            resize(900, 620 + menuBar()->sizeHint().height());
    }

    FormCreate();
}

TMainScreen::~TMainScreen()
{
    qApp->removeEventFilter(this);
    // The panel and its objects are freed after this window's own members;
    // what they report on the way out must not reach the window.
    if (BusinessCardPanel) {
        BusinessCardPanel->removeEventFilter(this);
        disconnect(BusinessCardPanel, nullptr, this, nullptr);
        disconnect(BusinessCardPanel, nullptr, document, nullptr);
    }
    // The document commands go first, while the panel they work on is whole.
    delete document;
    document = nullptr;
    if (MainForm() == this)
        SetMainForm(nullptr);
}

void TMainScreen::buildToolPalette(QWidget* bar)
{
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(1);
    ToolGroup = new QButtonGroup(this);
    ToolGroup->setObjectName(QStringLiteral("ToolGroup"));
    ToolGroup->setExclusive(true);

    Pointerbutton = addTool(bar, "Pointerbutton", QStringLiteral("pointer"), hintText("Selection tool"), psPointing);
    row->addWidget(Pointerbutton);
    row->addSpacing(6);
    // One button per registered tool (ObjectKinds.h), a gap between groups.
    std::optional<int> group;
    for (const TObjectTool& t : RegisteredTools()) {
        if (group && *group != t.group)
            row->addSpacing(6);
        group = t.group;
        QToolButton* button = addTool(bar, t.button, QString(), t.hint, t.state);
        button->setIcon(t.drawIcon ? DrawnIcon(t.drawIcon) : ToolIcon(t.iconName));
        button->setEnabled(bool(t.create));
        row->addWidget(button);
    }
    Pointerbutton->setChecked(true);
    connect(ToolGroup, &QButtonGroup::idClicked, this,
        [this](int id) { BusinessCardPanel->SetPanelState(static_cast<TLPanelState>(id)); });

    row->addSpacing(16);
    QToolButton* AssistButton = makeButton(bar, "AssistButton", QStringLiteral("tips"), QStringLiteral("Quick Tips"));
    connect(AssistButton, &QToolButton::clicked, this, &TMainScreen::AssistButtonClick);
    row->addWidget(AssistButton);
    row->addSpacing(6);
    QToolButton* ShowGrid = makeButton(bar, "ShowGrid", QStringLiteral("grid"), QStringLiteral("Show grid"));
    ShowGrid->setCheckable(true);
    connect(ShowGrid, &QToolButton::clicked, this, [this](bool on) { BusinessCardPanel->SetShowGrid(on); });
    row->addWidget(ShowGrid);
    QToolButton* SnapToGrid = makeButton(bar, "SnapToGrid", QStringLiteral("snap"), QStringLiteral("Snap to Grid"));
    SnapToGrid->setCheckable(true);
    connect(SnapToGrid, &QToolButton::clicked, this, [this](bool on) { BusinessCardPanel->SetSnapToGrid(on); });
    row->addWidget(SnapToGrid);
    row->addSpacing(6);
    QToolButton* SetBackgroundArtButton = makeButton(bar, "SetBackgroundArtButton", QStringLiteral("background"),
        QStringLiteral("Set or change background art"));
    connect(SetBackgroundArtButton, &QToolButton::clicked, this, &TMainScreen::mnuSetorChangeBackgroundArtClick);
    row->addWidget(SetBackgroundArtButton);
    row->addStretch(1);
}

QToolButton* TMainScreen::addTool(QWidget* bar, const char* name, const QString& icon, const QString& hint, int state)
{
    QToolButton* b = makeButton(bar, name, icon, hint);
    b->setCheckable(true);
    ToolGroup->addButton(b, state);
    return b;
}

void TMainScreen::buildBottomBar(QWidget* bar)
{
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 4, 8, 5);
    row->setSpacing(6);

    auto* ZoomSpinner = new TZoomSpinner(bar);
    ZoomSpinner->setToolTip(hintText("Press plus (+) or minus (-) to \rincrease or decrease the zoom percentage"));
    connect(ZoomSpinner, &TZoomSpinner::UpClick, this, &TMainScreen::ZoomIn);
    connect(ZoomSpinner, &TZoomSpinner::DownClick, this, &TMainScreen::ZoomOut);
    row->addWidget(ZoomSpinner);

    auto* zoomBox = new QVBoxLayout;
    zoomBox->setSpacing(0);
    auto* ZoomLabel = new QLabel(QStringLiteral("Zoom:"), bar);
    ZoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
    ZoomCaption = new QLabel(QStringLiteral("100%"), bar);
    ZoomCaption->setObjectName(QStringLiteral("ZoomCaption"));
    ZoomCaption->setMinimumWidth(ZoomCaption->fontMetrics().horizontalAdvance(QStringLiteral("150%")) + 4);
    zoomBox->addWidget(ZoomLabel);
    zoomBox->addWidget(ZoomCaption);
    row->addLayout(zoomBox);
    row->addSpacing(10);

    auto button = [bar](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setMinimumWidth(75);
        return b;
    };
    Savebutton = button("Savebutton", QStringLiteral("Save As"));
    Savebutton->setWhatsThis(QStringLiteral("Save the changes to the card design."));
    Cancelbutton = button("Cancelbutton", QStringLiteral("Cancel"));
    Cancelbutton->setWhatsThis(QStringLiteral("Throw away all changes since the design was last saved."));
    connect(Savebutton, &QPushButton::clicked, document, &TDocumentCommands::SavebuttonClick);
    connect(Cancelbutton, &QPushButton::clicked, document, &TDocumentCommands::CancelbuttonClick);
    row->addWidget(Savebutton);
    row->addWidget(Cancelbutton);
    row->addStretch(1);
    // The card stock product of the layout, when one was chosen by its part
    // number.
    auto* StockStatus = new QLabel(bar);
    StockStatus->setObjectName(QStringLiteral("StockStatus"));
    StockStatus->setWhatsThis(QStringLiteral("The card stock the sheets are laid out for."));
    auto showStock = [this, StockStatus] {
        const QString stock = document->CardLayout().Stock;
        StockStatus->setText(stock.isEmpty() ? QString() : QStringLiteral("Card stock: %1").arg(stock));
    };
    connect(document, &TDocumentCommands::CardResized, StockStatus, showStock);
    connect(document, &TDocumentCommands::ButtonsChanged, StockStatus, showStock);
    row->addWidget(StockStatus);
    row->addSpacing(10);

    PrintButton = button("PrintButton", QStringLiteral("&Print"));
    PrintButton->setWhatsThis(QStringLiteral("Print sheets of this card on the printer."));
    Previewbutton = button("Previewbutton", QStringLiteral("Pre&view"));
    Previewbutton->setWhatsThis(QStringLiteral("Show how a printed sheet of this card will look."));
    QPushButton* Helpbutton = button("Helpbutton", QStringLiteral("&Help"));
    Helpbutton->setWhatsThis(QStringLiteral("Open the help on designing a card."));
    connect(PrintButton, &QPushButton::clicked, this, [this] { PrintCommands->mnuPrintClick(); });
    connect(Previewbutton, &QPushButton::clicked, this, [this] { PrintCommands->mnuPreviewClick(); });
    connect(Helpbutton, &QPushButton::clicked, this, &TMainScreen::HelpbuttonClick);
    row->addWidget(PrintButton);
    row->addWidget(Previewbutton);
    row->addWidget(Helpbutton);

    QToolButton* MouseHelpButton = CreateWhatsThisButton(bar);
    MouseHelpButton->setObjectName(QStringLiteral("MouseHelpButton"));
    MouseHelpButton->setIcon(ToolIcon(QStringLiteral("whatsthis")));
    MouseHelpButton->setIconSize(QSize(22, 22));
    MouseHelpButton->setFocusPolicy(Qt::NoFocus);
    row->addWidget(MouseHelpButton);

    ZoomSpinner->setWhatsThis(QStringLiteral("Make the card larger or smaller on the screen (100% to 150%)."));
    Savebutton->setVisible(false);
    Cancelbutton->setVisible(false);
}

void TMainScreen::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& caption, auto slot) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    TDocumentCommands* doc = document;
    TPrintCommands* print = PrintCommands.get();

    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    item(File1, "New1", QStringLiteral("&New - Blank"), [doc] { doc->New1Click(); })->setShortcut(QKeySequence::New);
    item(File1, "NewFromTemplate1", QStringLiteral("New - Select From Templates"), [this] { NewFromTemplate1Click(); });
    item(File1, "Open1", QStringLiteral("&Open"), [doc] { doc->Open1Click(); })->setShortcut(QKeySequence::Open);
    item(File1, "Delete1", QStringLiteral("&Delete"), [doc] { doc->Delete1Click(); });
    File1->addSeparator();
    mnuSave = item(File1, "mnuSave", QStringLiteral("Save"), [doc] { doc->mnuSaveClick(); });
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    item(File1, "mnuSaveAs", QStringLiteral("Save &As..."), [doc] { doc->mnuSaveAsClick(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    item(File1, "mnuSaveAsBitmap", QStringLiteral("Save As Bitmap"), [doc] { doc->mnuSaveAsBitmapClick(); });
    item(File1, "mnuSaveAsJPG", QStringLiteral("Save As JPG"), [doc] { doc->mnuSaveAsJPGClick(); });
    item(File1, "mnuExportPng", QStringLiteral("E&xport as PNG..."), [doc] { doc->mnuExportPngClick(); });
    item(File1, "mnuExportSheetPdf", QStringLiteral("Export S&heet as PDF..."), [doc] { doc->mnuExportSheetPdfClick(); });
    item(File1, "mnuExportPrintShop", QStringLiteral("Export for Print Sho&p..."), [this, doc] {
        doc->mnuExportPrintShopClick();
        // The guides show the bleed the export last used.
        const int bleed = TSettings().LoadPrintShop().BleedHundredthsMm;
        if (bleed >= 0)
            cardGuides->SetBleedInches(bleed / 2540.0);
    });
    File1->addSeparator();
    QAction* mnuPrint = item(File1, "mnuPrint", QStringLiteral("&Print"), [print] { print->mnuPrintClick(); });
    mnuPrint->setShortcut(QKeySequence::Print);
    printActions = {
        mnuPrint,
        item(File1, "mnuPreview", QStringLiteral("Pre&view"), [print] { print->mnuPreviewClick(); }),
        item(File1, "mnuPreviewSheet", QStringLiteral("Preview S&heet"), [print] { print->mnuPreviewSheetClick(); }),
    };
    File1->addSeparator();
    printActions << item(File1, "mnuPrinterSetup", QStringLiteral("Printer S&etup"), [print] { print->mnuPrinterSetupClick(); })
                 << item(File1, "mnuPrinterFineTuning", QStringLiteral("Printer Fine &Tuning"),
                        [print] { print->mnuPrinterFineTuningClick(); })
                 << item(File1, "mnuPrintOutlineTestPage", QStringLiteral("Print O&utline Test Page"),
                        [print] { print->mnuPrintOutlineTestPageClick(); });
    WriteIni = item(File1, "WriteIni", QStringLiteral("--------Write Ini------"), [this] { WriteIniClick(); });
    WriteIni->setVisible(false);
    File1->addSeparator();
    item(File1, "Exit1", QStringLiteral("E&xit"), [doc] { doc->Exit1Click(); })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* Edit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    mnuUndo = item(Edit1, "mnuUndo", QStringLiteral("&Undo"), [doc] { doc->mnuUndoClick(); });
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = item(Edit1, "mnuRedo", QStringLiteral("&Redo"), [doc] { doc->mnuRedoClick(); });
    mnuRedo->setShortcuts({ QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    Edit1->addSeparator();
    // The selection's commands of the objects' context menu, with the keys
    // every program gives them.
    auto clipboard = [this](int action) {
        return [this, action] { RunCommand([&] { BusinessCardPanel->SelectionClipboard(action); }); };
    };
    selectionActions = {
        item(Edit1, "mnuCut", QStringLiteral("Cu&t"), clipboard(caCut)),
        item(Edit1, "mnuCopy", QStringLiteral("&Copy"), clipboard(caCopy)),
    };
    mnuPaste = item(Edit1, "mnuPaste", QStringLiteral("&Paste"), clipboard(caPaste));
    selectionActions << item(Edit1, "mnuDelete", QStringLiteral("&Delete"), clipboard(caDelete))
                     << item(Edit1, "mnuClone", QStringLiteral("Clo&ne"), [this] {
                            RunCommand([&] {
                                const QList<TGGraphicControl*> chosen = BusinessCardPanel->Handle().Selection();
                                for (TGGraphicControl* o : chosen)
                                    o->Clone();
                            });
                        });
    selectionActions[0]->setShortcut(QKeySequence::Cut);
    selectionActions[1]->setShortcut(QKeySequence::Copy);
    mnuPaste->setShortcut(QKeySequence::Paste);
    selectionActions[2]->setShortcut(QKeySequence::Delete);
    selectionActions[3]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    item(Edit1, "mnuSelectAll", QStringLiteral("Select &All"), [doc] { doc->mnuSelectAllClick(); })
        ->setShortcut(QKeySequence::SelectAll);
    connect(Edit1, &QMenu::aboutToShow, this, [this] {
        nameUndoSteps();
        updateEditActions(true);
    });
    // The keys work whenever the menu is closed; what they find to do is
    // the commands' own affair.
    connect(Edit1, &QMenu::aboutToHide, this, [this] { updateEditActions(false); });
    Edit1->addSeparator();
    mnuDefaultFont = item(Edit1, "mnuDefaultFont", QStringLiteral("&Default Font - "), [this] { mnuDefaultFontClick(); });
    item(Edit1, "Changeallfontsto1", QStringLiteral("Change all fonts to..."), [this] { Changeallfontsto1Click(); });
    item(Edit1, "PersonalInformation1", QStringLiteral("&Personal Information"), [this] { PersonalInformation1Click(); });
    item(Edit1, "mnuSetorChangeBackgroundArt", QStringLiteral("&Set or Change Background Art"),
        [this] { mnuSetorChangeBackgroundArtClick(); });
    Edit1->addSeparator();
    item(Edit1, "SaveCurrentLayoutasDefault1", QStringLiteral("Save Current Layout as Default"),
        [doc] { doc->SaveCurrentLayoutasDefault1Click(); });
    item(Edit1, "ChangeCardLayout1", QStringLiteral("Change Business Card Layout"),
        [doc] { doc->ChangeCardLayout1Click(); });

    buildInsertMenu();

    // Zoom keys every desktop program has; the keypad's and the main
    // keyboard's plus and minus (without Ctrl) work on key release as well.
    QMenu* View1 = menuBar()->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    item(View1, "mnuZoomIn", QStringLiteral("Zoom &In"), [this] { ZoomIn(); })
        ->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal) });
    item(View1, "mnuZoomOut", QStringLiteral("Zoom &Out"), [this] { ZoomOut(); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    View1->addSeparator();
    {
        // Bleed and safe zone around and on the card, as last left.
        const TPrintShopPreferences shop = TSettings().LoadPrintShop();
        cardGuides->SetBleedInches(shop.BleedHundredthsMm >= 0 ? shop.BleedHundredthsMm / 2540.0
                                                               : DefaultBleedMm(PrefersMillimetres(false)) / 25.4);
        cardGuides->SetShown(shop.ShowGuides);
        QAction* guides = item(View1, "mnuGuides", QStringLiteral("Bleed and Safe Zone &Guides"), [this](bool on) {
            cardGuides->SetShown(on);
            TPrintShopPreferences kept = TSettings().LoadPrintShop();
            kept.ShowGuides = on;
            try {
                TSettings().SavePrintShop(kept);
            } catch (const std::exception&) {
                // Shown now; not remembered.
            }
        });
        guides->setCheckable(true);
        guides->setChecked(shop.ShowGuides);
    }

    QMenu* Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    item(Help1, "Contents1", QStringLiteral("&Contents"), [this] { Contents1Click(); })
        ->setShortcut(QKeySequence::HelpContents);
    item(Help1, "About1", QStringLiteral("&About"), [this] { About1Click(); });
    item(Help1, "ConfigurationInformation1", QStringLiteral("Configuration Information"),
        [this] { ConfigurationInformation1Click(); });
    item(Help1, "TechnicalSupport1", QStringLiteral("Technical Support"), [] { ShowHelpTopic(1041); });
    item(Help1, "FrequentlyAskedQuestions1", QStringLiteral("Frequently Asked Questions"), [] { ShowHelpTopic(911); });
    Help1->addSeparator();
    item(Help1, "VisitBonusArtwork1", QStringLiteral("Visit the Bonus Artwork Web Page"),
        [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(BonusArtworkUrl))); });
    item(Help1, "VisitWebsite1", QStringLiteral("Visit Our Internet Website"),
        [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(WebsiteUrl))); });
}

void TMainScreen::buildInsertMenu()
{
    // The tools as menu entries, for the keyboard: an entry makes the object
    // in the middle of the card, as a band dragged there would.
    QMenu* Insert1 = menuBar()->addMenu(QStringLiteral("&Insert"));
    Insert1->setObjectName(QStringLiteral("Insert1"));
    for (const TObjectTool& t : RegisteredTools()) {
        if (t.menuCaption.isEmpty() || !t.create)
            continue;
        QAction* action = Insert1->addAction(t.menuCaption);
        action->setObjectName(QStringLiteral("mnuInsert") + QString::fromLatin1(t.button));
        const int state = t.state;
        connect(action, &QAction::triggered, this, [this, state] { InsertObjectOfTool(state); });
    }
}

void TMainScreen::InsertObjectOfTool(int state)
{
    TGBusinessCardPanel32& panel = *BusinessCardPanel;
    const int w = std::max(50, panel.width() / 3);
    const int h = std::max(15, panel.height() / 4);
    const TRect r = TRect::FromBounds((panel.width() - w) / 2, (panel.height() - h) / 2, w, h);
    RunCommand([&] {
        panel.Handle().ClearSelection();
        panel.SetPanelState(static_cast<TLPanelState>(state));
        panel.CreateObjectInRect(r);
        DroppedObject(r);
    });
}

void TMainScreen::FormCreate()
{
    printerAvailable = false;
    document->SetLoading(true);

    const TSettings settings;
    Preferences = settings.LoadPreferences();
    BusinessCardPanel->SetPanelFont(PanelFontFromDefault(Preferences.DefaultFont, BusinessCardPanel->PanelFont()));
    document->SetCardLayout(settings.LoadLayoutPreferences(document->CardLayout()));
    PersonalInfo = settings.LoadPersonalInfo();

    // The card starts in the stored default orientation, as New - Blank
    // gives it, rather than always lying.
    document->SetCardSizeFromInches();
    document->SetCardOrientation(document->CardLayout().Portrait);

    SetDefaultFontCaption();
    SetPanelPersonalInfo();
    SetChangesMade(false);

    RecentFiles = new TRecentFiles(File1, MaxRecentFiles, this);
    RecentFiles->setObjectName(QStringLiteral("RecentFiles"));
    connect(RecentFiles, &TRecentFiles::FileChosen, document, &TDocumentCommands::ReopenRecentFile, Qt::QueuedConnection);
    document->SetRecentFiles(RecentFiles);
    RecentFiles->SetFiles(settings.LoadRecentFiles());

    const QDir home(ProgramFolder());
    for (const char* folder : { "bmbrush", "saved", "bg", "qrdt" })
        home.mkpath(QString::fromLatin1(folder)); // a failure leaves the folder missing, nothing more
    BrushFolder(); // puts any missing shipped texture into bmbrush
    InstallShippedArt(); // and any missing background picture and template

    WriteIni->setVisible(QFileInfo::exists(ProgramFolder() + QStringLiteral("IAmDeveloping.dat")));
    Setbuttons();
    updateScrollExtent();
}

// --- activation -----------------------------------------------------------------------------

void TMainScreen::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!activated && !activationQueued) {
        activationQueued = true;
        QMetaObject::invokeMethod(this, [this] { FormActivate(); }, Qt::QueuedConnection);
    }
}

bool TMainScreen::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && BusinessCardPanel)
        BusinessCardPanel->update();
    return QMainWindow::event(event);
}

void TMainScreen::FormActivate()
{
    BusinessCardPanel->update();
    if (activated)
        return;
    activated = true;

    RestoreWindowPlacement(*this, QStringLiteral("TMainScreen"));
    show();
    QCoreApplication::processEvents();

    BusinessCardPanel->SetShape(lsRectangle);
    // Sized through the layout so a rotated start-up card keeps standing.
    document->SetCardSizeFromInches();
    BusinessCardPanel->show();
    BusinessCardPanel->setFocus();
    unsetCursor();

    if (!RecentFiles->IsEmpty() && QFileInfo::exists(RecentFiles->Files().constFirst())
        && QFileInfo(RecentFiles->Files().constFirst()).isFile())
        document->OpenBCFile(RecentFiles->Files().constFirst());

    SetChangesMade(false);
    if (!trackingChanges) {
        connect(BusinessCardPanel, &TGBasePanel::LabelChangedEvent, document, &TDocumentCommands::LabelChanged);
        trackingChanges = true;
    }
    SetChangesMade(false);
    document->SetLoading(false);

    if (PrinterReady(true)) {
        PrintCommands->CreateMainPagePrinter();
        printerAvailable = true;
    }
    Setbuttons();
}

// --- change tracking ------------------------------------------------------------------------

void TMainScreen::updateUndoActions()
{
    if (!document || !mnuUndo)
        return;
    const TUndoHistory& history = document->UndoHistory();
    mnuUndo->setEnabled(history.CanUndo());
    mnuRedo->setEnabled(history.CanRedo());
}

void TMainScreen::nameUndoSteps()
{
    // Naming a step compares its two snapshots: done only when the menu
    // that shows the names opens, not after every gesture.
    updateUndoActions();
    const TUndoHistory& history = document->UndoHistory();
    const QString undo = history.UndoName();
    const QString redo = history.RedoName();
    mnuUndo->setText(undo.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo ") + undo);
    mnuRedo->setText(redo.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo ") + redo);
}

void TMainScreen::updateEditActions(bool menuShown)
{
    const bool selected = BusinessCardPanel->Handle().HasSelection();
    for (QAction* a : selectionActions)
        a->setEnabled(!menuShown || selected);
    mnuPaste->setEnabled(!menuShown || QFile::exists(BusinessCardPanel->ClipboardPath()));
}

void TMainScreen::SetChangesMade(bool flag)
{
    document->SetChangesMade(flag);
}

bool TMainScreen::CheckSaveNeeded()
{
    return document->CheckSaveNeeded();
}

void TMainScreen::showChangesMade(bool changed)
{
    setWindowModified(changed);
    Cancelbutton->setVisible(changed);
    const bool named = !document->CurrentFileName().isEmpty();
    Savebutton->setText(named ? QStringLiteral("Save") : QStringLiteral("Save As"));
    mnuSave->setEnabled(named);
    Savebutton->setVisible(changed);
}

void TMainScreen::Setbuttons()
{
    const QString& fileName = document->CurrentFileName();
    mnuSave->setEnabled(!fileName.isEmpty());
    // "card.QRD — Brisvale" with the changed mark the desktop shows.
    setWindowTitle(fileName.isEmpty() ? QStringLiteral("Untitled[*] — Brisvale")
                                      : QFileInfo(fileName).fileName() + QStringLiteral("[*] — Brisvale"));
    setWindowModified(document->ChangesMade());
    for (QWidget* w : { static_cast<QWidget*>(PrintButton), static_cast<QWidget*>(Previewbutton) })
        w->setEnabled(printerAvailable);
    for (QAction* a : printActions)
        a->setEnabled(printerAvailable);
}

// --- document commands ----------------------------------------------------------------------

void TMainScreen::NewFromTemplate1Click()
{
    if (!CheckSaveNeeded())
        return;
    TSelectPreviewTemplate dialog(this);
    CentreForm(dialog);
    dialog.CardWidth = document->CardLayout().Width;
    dialog.CardHeight = document->CardLayout().Height;
    if (Interaction::Current().RunModal(dialog) == mrOk) {
        const QString font = dialog.SelectedFont;
        const QString file = dialog.SelectedFile;
        document->New1Click();
        document->StartTemplateStep();
        RunCommand([&] {
            TCardLayout layout = document->CardLayout();
            document->SetBackgroundFile(StartDesignFromTemplate(BusinessCardPanel->Model(), file, font, layout));
            document->SetCardLayout(layout);
        });
        document->SetCardOrientation(document->CardLayout().Portrait);
        document->EndTemplateStep();
    }
    document->SetLoading(false);
}

void TMainScreen::OpenFromOutside(const QString& path)
{
    document->OpenFromOutside(path);
}

void TMainScreen::OpenFromOutside(const QStringList& paths)
{
    document->OpenFromOutside(paths);
}

void TMainScreen::closeEvent(QCloseEvent* event)
{
    if (!CheckSaveNeeded()) {
        event->ignore();
        return;
    }
    try {
        SaveWindowPlacement(*this, QStringLiteral("TMainScreen"));
    } catch (const EWriteError&) {
        // An unwritable QRD.INI only loses the window position.
    }
    hide();
    event->accept();
}

// --- Edit menu ------------------------------------------------------------------------------

void TMainScreen::mnuDefaultFontClick()
{
    const TFont current = BusinessCardPanel->PanelFont();
    if (const std::optional<QFont> chosen = Interaction::Current().ChooseFont(current.ToQFont(), QStringLiteral("Font")))
        BusinessCardPanel->SetPanelFont(TFont::FromQFont(*chosen, current));
    SetDefaultFontCaption();
    Preferences.DefaultFont = DefaultFontFromPanel(BusinessCardPanel->PanelFont());
    try {
        TSettings().SavePreferences(Preferences);
    } catch (const Exception& e) {
        Interaction::Current().ShowError(e.message());
    }
    ShowInfo(QStringLiteral("Note: the default font is used for NEW objects only.\n"
                            "To change the font of an existing object, click it\n"
                            "with the RIGHT MOUSE BUTTON and select FONT"));
}

void TMainScreen::SetDefaultFontCaption()
{
    const TFont& f = BusinessCardPanel->PanelFont();
    QString caption = QStringLiteral("Default Font: ") + f.Name + QStringLiteral(", ") + QString::number(f.Size())
        + QStringLiteral(" pt ");
    if (f.Bold)
        caption += QStringLiteral(", bold");
    if (f.Italic)
        caption += QStringLiteral(", italic");
    if (f.Underline)
        caption += QStringLiteral(", underline");
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    mnuDefaultFont->setText(caption);
}

void TMainScreen::Changeallfontsto1Click()
{
    TChangeFontAll dialog(this);
    CentreForm(dialog);
    if (Interaction::Current().RunModal(dialog) == mrOk && !dialog.SelectedFont().isEmpty())
        BusinessCardPanel->SetAllFontNames(dialog.SelectedFont());
}

void TMainScreen::PersonalInformation1Click()
{
    try {
        if (!EditPersonalInformation(PersonalInfo, this))
            return;
    } catch (const Exception& e) {
        Interaction::Current().ShowError(e.message());
    }
    SetPanelPersonalInfo();
}

void TMainScreen::SetPanelPersonalInfo()
{
    BusinessCardPanel->SetPersonalInfo(PersonalInfo);
}

void TMainScreen::mnuSetorChangeBackgroundArtClick()
{
    QString background = document->BackgroundFile();
    const int result = ChooseBackgroundArt(background, document->CardLayout().Portrait, this);
    if (result == mrOk || result == mrNoBackground)
        document->SetBackgroundFile(background);
    if (result == mrOk)
        BusinessCardPanel->LoadBackground(background);
    else if (result == mrNoBackground)
        BusinessCardPanel->ClearBackground();
    else
        return;
    BusinessCardPanel->update();
    SetChangesMade(true);
}

// --- Help menu and buttons ------------------------------------------------------------------

void TMainScreen::Contents1Click()
{
    ShowHelpContents();
}

void TMainScreen::About1Click()
{
    ShowAboutBox(this);
}

void TMainScreen::ConfigurationInformation1Click()
{
    ShowConfigurationInfo(this);
}

void TMainScreen::HelpbuttonClick()
{
    ShowHelpTopic(2016);
}

void TMainScreen::AssistButtonClick()
{
    if (!AssistantOru1) {
        AssistantOru1 = new TAssistantOru(this);
        LoadQuickTips(*AssistantOru1);
    }
    AssistantOru1->Show(this);
}

void TMainScreen::WriteIniClick()
{
    const QString current = document->CurrentFileName();
    const QString background = document->BackgroundFile();
    FileChoice choice;
    choice.title = QStringLiteral("Save As Template");
    choice.filter = QStringLiteral("QRDT File (*.QRDT *.qrdt)");
    choice.folder = ProgramFolder() + QStringLiteral("qrdt/");
    choice.fileName = current.trimmed().isEmpty() ? QStringLiteral("Template.QRDT")
                                                  : QFileInfo(current).completeBaseName() + QStringLiteral(".QRDT");
    choice.defaultSuffix = QStringLiteral("QRDT");
    choice.confirmOverwrite = false;
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (path.isEmpty())
        return;
    RunCommand([&] {
        BusinessCardPanel->ExportTemplate(path, background.trimmed().isEmpty() ? QString() : background);
        ShowInfo(QStringLiteral("Saved as ") + path);
    });
}

// --- zoom ---------------------------------------------------------------------------------

void TMainScreen::ZoomIn()
{
    const Single factor = BusinessCardPanel->Zoom();
    if (factor > 1.5f)
        return;
    stepZoom(ToSingle(static_cast<Extended>(factor) + 0.1L));
}

void TMainScreen::ZoomOut()
{
    const Single factor = BusinessCardPanel->Zoom();
    if (static_cast<Extended>(factor) < 1.1L)
        return;
    stepZoom(ToSingle(static_cast<Extended>(factor) - 0.1L));
}

void TMainScreen::stepZoom(Single factor)
{
    BusinessCardPanel->Handle().ClearSelection();
    document->SetLoading(true);
    BusinessCardPanel->SetZoom(factor);
    ZoomCaption->setText(QString::number(Round(static_cast<Extended>(factor) * 100)) + QStringLiteral("%"));
    document->SetLoading(false);
    updateScrollExtent();
    BusinessCardPanel->update();
}

// --- keys, mouse and the scroll box ---------------------------------------------------------

bool TMainScreen::windowOwns(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->window() == this;
}

void TMainScreen::scrollCard(int action)
{
    ScrollBox1->verticalScrollBar()->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
}

bool TMainScreen::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (!windowOwns(watched))
            break;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Plus || key->key() == Qt::Key_Minus || key->key() == Qt::Key_Equal)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            && !plainZoomKeys.contains(key->key()))
            plainZoomKeys.append(key->key());
        switch (key->key()) {
        case Qt::Key_PageUp:
            scrollCard(QAbstractSlider::SliderSingleStepSub);
            return true;
        case Qt::Key_PageDown:
            scrollCard(QAbstractSlider::SliderSingleStepAdd);
            return true;
        case Qt::Key_Home:
            scrollCard(QAbstractSlider::SliderToMinimum);
            return true;
        case Qt::Key_End:
            scrollCard(QAbstractSlider::SliderToMaximum);
            return true;
        default:
            break;
        }
        // Keys typed while the card area itself has no focus still reach
        // the panel's key handling.
        QWidget* focus = QApplication::focusWidget();
        const bool cardAreaFocus = !focus || focus == this || focus == ScrollBox1 || focus == cardHolder
            || focus == ScrollBox1->viewport();
        if (watched != BusinessCardPanel && cardAreaFocus && !(key->modifiers() & Qt::AltModifier)
            && key->key() != Qt::Key_Alt) {
            static bool forwarding = false;
            if (!forwarding) {
                forwarding = true;
                QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                    static_cast<ushort>(key->count()));
                QCoreApplication::sendEvent(BusinessCardPanel, &copy);
                forwarding = false;
                return true;
            }
        }
        break;
    }
    case QEvent::KeyRelease: {
        if (!windowOwns(watched))
            break;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat())
            break;
        // The keypad's plus and minus, and the main keyboard's without Ctrl
        // (with Ctrl they are the menu's shortcuts). Ctrl let go before the
        // key leaves a release without Ctrl after the shortcut has zoomed:
        // only a key pressed without Ctrl zooms on its release.
        const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
        if (!plainZoomKeys.removeOne(key->key()) || mods != Qt::NoModifier)
            break;
        if (!(key->modifiers() & Qt::KeypadModifier) && key->key() == Qt::Key_Equal) {
            ZoomIn();
            return true;
        }
        if (key->key() == Qt::Key_Plus) {
            ZoomIn();
            return true;
        }
        if (key->key() == Qt::Key_Minus) {
            ZoomOut();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
        // A click beside the card clears the selection.
        if (watched == cardHolder || (ScrollBox1 && watched == ScrollBox1->viewport())) {
            BusinessCardPanel->Handle().ClearSelection();
            BusinessCardPanel->update();
        }
        break;
    case QEvent::Resize:
        if (watched == BusinessCardPanel)
            updateScrollExtent();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainScreen::updateScrollExtent()
{
    if (!cardHolder || !BusinessCardPanel)
        return;
    QRect card = BusinessCardPanel->geometry();
    if (cardGuides && cardGuides->Shown())
        card |= cardGuides->BleedRect();
    cardHolder->setMinimumSize(card.right() + 1 + 10, card.bottom() + 1 + 7);
}

void TMainScreen::DroppedObject(const TRect&)
{
    BusinessCardPanel->SetPanelState(psPointing);
    Pointerbutton->setChecked(true);
}

bool TMainScreen::IsNameTaken(const QString& name) const
{
    return !name.isEmpty() && BusinessCardPanel && BusinessCardPanel->FindObject(name) != nullptr;
}

} // namespace bv
