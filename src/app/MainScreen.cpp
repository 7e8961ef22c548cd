#include "app/MainScreen.h"

#include "app/AboutBox.h"
#include "app/AppServices.h"
#include "app/CardDocument.h"
#include "app/DesignClasses.h"
#include "app/EditCardLayout.h"
#include "app/QuickTips.h"
#include "app/RecentFiles.h"
#include "app/UndoHistory.h"
#include "app/ToolIcons.h"
#include "effects/SuperShapeProperties.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "printing/PrintCommands.h"
#include "richtext/RichBaseLabel.h"
#include "surface/BusinessCardPanel.h"
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
#include <QFile>
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

namespace bv {

namespace {

const QString designFilter = QStringLiteral("QRD File (*.qrd *.QRD)");
const QString unableToOpen = QStringLiteral("Unable to open %1. Possibly corrupted, possibly not a QRD file");

QString savedFolder()
{
    return ProgramFolder() + QStringLiteral("saved/");
}

bool hasDesignExtension(const QString& path)
{
    return QFileInfo(path).suffix().toUpper() == QLatin1String("QRD");
}

// The open dialog of Open and Delete: a design file from the saved folder, or
// empty when the user cancelled or chose a file of another kind (told so).
QString chooseDesignFile(const QString& title)
{
    FileChoice choice;
    choice.title = title;
    choice.filter = designFilter;
    choice.folder = savedFolder();
    const QString path = Interaction::Current().ChooseOpenFile(choice);
    if (path.isEmpty())
        return {};
    if (!hasDesignExtension(path)) {
        ShowInfo(QStringLiteral("Must be a QRD (Brisvale) file"));
        return {};
    }
    return path;
}

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
    PrintCommands = std::make_unique<TPrintCommands>(*BusinessCardPanel, this);
    PrintCommands->Layout = [this] { return CardLayout; };
    PrintCommands->BackgroundFile = [this] { return BackgroundFile; };
    PrintCommands->Preferences = &Preferences;
    PrintCommands->SavePreferences = [this] { TSettings().SavePreferences(Preferences); };
    ScrollBox1->setWidget(cardHolder);
    column->addWidget(ScrollBox1, 1);

    auto* bottomBar = new QWidget(central);
    bottomBar->setObjectName(QStringLiteral("ButtonBar"));
    buildBottomBar(bottomBar);
    column->addWidget(bottomBar);
    setCentralWidget(central);

    buildMenus();
    InstallWhatsThisMenus(central);
    // Every rich text object paints through this hidden control.
    CreateMasterRichText(this);
    UndoHistory = new TUndoHistory(BusinessCardPanel->Model(), this);
    connect(UndoHistory, &TUndoHistory::HistoryChanged, this, [this] { updateUndoActions(); });
    connect(UndoHistory, &TUndoHistory::StateRestored, this, [this](bool atSaved) {
        SetChangesMade(!atSaved);
        BusinessCardPanel->update();
    });

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
    }
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
    struct Tool {
        QToolButton** button;
        const char* name;
        const char* icon;
        const char* hint;
        TLPanelState state;
    };
    const Tool tools[] = {
        { &DrawLabelButton, "DrawLabelButton", "label", "Text tool", psLabel },
        { &DrawMLTextButton, "DrawMLTextButton", "mltext", "Multi-line text tool", psMultiLineLabel },
        { &DrawSymbolButton, "DrawSymbolButton", "symbol", "Symbol tool", psSymbolLabel },
        { &DrawRectanglebutton, "DrawRectanglebutton", "rectangle", "Rectangle tool", psRectangle },
        { &DrawEllipseButton, "DrawEllipseButton", "ellipse", "Ellipse tool", psEllipse },
        { &DrawRoundrectbutton, "DrawRoundrectbutton", "roundrect", "Round Rectangle tool", psRoundRectangle },
        { &DrawLinebutton, "DrawLinebutton", "line", "Line Tool", psLine },
        { &DrawImageButton, "DrawImageButton", "image", "Clip Art Tool", psImage },
        { &DrawSupershape, "DrawSupershape", "supershape", "Supershape tool \rMulti-purpose shapes and surfaces",
            psSuperShape },
        { &DrawRichText, "DrawRichText", "richtext", "Rich Text tool \rMixed fonts, colors and styles", psRichLabel },
        { &DrawSuperTextButton, "DrawSuperTextButton", "supertext",
            "SuperText tool \rSpecial Effects Text - fill with gradients or bitmaps", psSuperText },
        { &DrawCircleTextbutton, "DrawCircleTextbutton", "circletext",
            "CircleText Tool \rCircular or semi-circular text using any font", psCircleText },
    };
    for (const Tool& t : tools) {
        *t.button = addTool(bar, t.name, QString::fromLatin1(t.icon), hintText(t.hint), t.state);
        // A kind of object the program cannot make yet keeps its button
        // visible but unusable.
        (*t.button)->setEnabled(TGBusinessCardPanel32::HasCreator(t.state));
        row->addWidget(*t.button);
        if (t.state == psSymbolLabel || t.state == psLine || t.state == psImage)
            row->addSpacing(6);
    }
    Pointerbutton->setChecked(true);
    connect(ToolGroup, &QButtonGroup::idClicked, this,
        [this](int id) { BusinessCardPanel->SetPanelState(static_cast<TLPanelState>(id)); });

    row->addSpacing(16);
    AssistButton = makeButton(bar, "AssistButton", QStringLiteral("tips"), QStringLiteral("Quick Tips"));
    connect(AssistButton, &QToolButton::clicked, this, &TMainScreen::AssistButtonClick);
    row->addWidget(AssistButton);
    row->addSpacing(6);
    ShowGrid = makeButton(bar, "ShowGrid", QStringLiteral("grid"), QStringLiteral("Show grid"));
    ShowGrid->setCheckable(true);
    connect(ShowGrid, &QToolButton::clicked, this, [this] { BusinessCardPanel->SetShowGrid(ShowGrid->isChecked()); });
    row->addWidget(ShowGrid);
    SnapToGrid = makeButton(bar, "SnapToGrid", QStringLiteral("snap"), QStringLiteral("Snap to Grid"));
    SnapToGrid->setCheckable(true);
    connect(SnapToGrid, &QToolButton::clicked, this,
        [this] { BusinessCardPanel->SetSnapToGrid(SnapToGrid->isChecked()); });
    row->addWidget(SnapToGrid);
    row->addSpacing(6);
    SetBackgroundArtButton = makeButton(bar, "SetBackgroundArtButton", QStringLiteral("background"),
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

    ZoomSpinner = new TZoomSpinner(bar);
    ZoomSpinner->setToolTip(hintText("Press plus (+) or minus (-) to \rincrease or decrease the zoom percentage"));
    connect(ZoomSpinner, &TZoomSpinner::UpClick, this, &TMainScreen::ZoomIn);
    connect(ZoomSpinner, &TZoomSpinner::DownClick, this, &TMainScreen::ZoomOut);
    row->addWidget(ZoomSpinner);

    auto* zoomBox = new QVBoxLayout;
    zoomBox->setSpacing(0);
    ZoomLabel = new QLabel(QStringLiteral("Zoom:"), bar);
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
    connect(Savebutton, &QPushButton::clicked, this, &TMainScreen::SavebuttonClick);
    connect(Cancelbutton, &QPushButton::clicked, this, &TMainScreen::CancelbuttonClick);
    row->addWidget(Savebutton);
    row->addWidget(Cancelbutton);
    row->addStretch(1);

    PrintButton = button("PrintButton", QStringLiteral("&Print"));
    PrintButton->setWhatsThis(QStringLiteral("Print sheets of this card on the printer."));
    Previewbutton = button("Previewbutton", QStringLiteral("Pre&view"));
    Previewbutton->setWhatsThis(QStringLiteral("Show how a printed sheet of this card will look."));
    Helpbutton = button("Helpbutton", QStringLiteral("&Help"));
    Helpbutton->setWhatsThis(QStringLiteral("Open the help on designing a card."));
    connect(PrintButton, &QPushButton::clicked, this, [this] { mnuPrintClick(); });
    connect(Previewbutton, &QPushButton::clicked, this, [this] { mnuPreviewClick(); });
    connect(Helpbutton, &QPushButton::clicked, this, &TMainScreen::HelpbuttonClick);
    row->addWidget(PrintButton);
    row->addWidget(Previewbutton);
    row->addWidget(Helpbutton);

    MouseHelpButton = CreateWhatsThisButton(bar);
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
    auto item = [this](QMenu* menu, QAction*& action, const char* name, const QString& caption, auto slot) {
        action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
    };

    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    item(File1, New1, "New1", QStringLiteral("&New - Blank"), [this] { New1Click(); });
    New1->setShortcut(QKeySequence::New);
    item(File1, NewFromTemplate1, "NewFromTemplate1", QStringLiteral("New - Select From Templates"),
        [this] { NewFromTemplate1Click(); });
    item(File1, Open1, "Open1", QStringLiteral("&Open"), [this] { Open1Click(); });
    Open1->setShortcut(QKeySequence::Open);
    item(File1, Delete1, "Delete1", QStringLiteral("&Delete"), [this] { Delete1Click(); });
    File1->addSeparator();
    item(File1, mnuSave, "mnuSave", QStringLiteral("Save"), [this] { mnuSaveClick(); });
    mnuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    item(File1, mnuSaveAs, "mnuSaveAs", QStringLiteral("Save &As..."), [this] { mnuSaveAsClick(); });
    mnuSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    item(File1, mnuSaveAsBitmap, "mnuSaveAsBitmap", QStringLiteral("Save As Bitmap"), [this] { mnuSaveAsBitmapClick(); });
    item(File1, mnuSaveAsJPG, "mnuSaveAsJPG", QStringLiteral("Save As JPG"), [this] { mnuSaveAsJPGClick(); });
    item(File1, mnuExportPng, "mnuExportPng", QStringLiteral("E&xport as PNG..."), [this] { mnuExportPngClick(); });
    item(File1, mnuExportSheetPdf, "mnuExportSheetPdf", QStringLiteral("Export S&heet as PDF..."),
        [this] { mnuExportSheetPdfClick(); });
    File1->addSeparator();
    item(File1, mnuPrint, "mnuPrint", QStringLiteral("&Print"), [this] { mnuPrintClick(); });
    mnuPrint->setShortcut(QKeySequence::Print);
    item(File1, mnuPreview, "mnuPreview", QStringLiteral("Pre&view"), [this] { mnuPreviewClick(); });
    item(File1, mnuPreviewSheet, "mnuPreviewSheet", QStringLiteral("Preview S&heet"), [this] { mnuPreviewSheetClick(); });
    File1->addSeparator();
    item(File1, mnuPrinterSetup, "mnuPrinterSetup", QStringLiteral("Printer S&etup"), [this] { mnuPrinterSetupClick(); });
    item(File1, mnuPrinterFineTuning, "mnuPrinterFineTuning", QStringLiteral("Printer Fine &Tuning"),
        [this] { mnuPrinterFineTuningClick(); });
    item(File1, mnuPrintOutlineTestPage, "mnuPrintOutlineTestPage", QStringLiteral("Print O&utline Test Page"),
        [this] { mnuPrintOutlineTestPageClick(); });
    item(File1, WriteIni, "WriteIni", QStringLiteral("--------Write Ini------"), [this] { WriteIniClick(); });
    WriteIni->setVisible(false);
    File1->addSeparator();
    item(File1, Exit1, "Exit1", QStringLiteral("E&xit"), [this] { Exit1Click(); });
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    Edit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    item(Edit1, mnuUndo, "mnuUndo", QStringLiteral("&Undo"), [this] { mnuUndoClick(); });
    mnuUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    item(Edit1, mnuRedo, "mnuRedo", QStringLiteral("&Redo"), [this] { mnuRedoClick(); });
    mnuRedo->setShortcuts({ QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    item(Edit1, mnuSelectAll, "mnuSelectAll", QStringLiteral("Select &All"), [this] { mnuSelectAllClick(); });
    mnuSelectAll->setShortcut(QKeySequence::SelectAll);
    connect(Edit1, &QMenu::aboutToShow, this, [this] { updateUndoActions(); });
    Edit1->addSeparator();
    item(Edit1, mnuDefaultFont, "mnuDefaultFont", QStringLiteral("&Default Font - "), [this] { mnuDefaultFontClick(); });
    item(Edit1, Changeallfontsto1, "Changeallfontsto1", QStringLiteral("Change all fonts to..."),
        [this] { Changeallfontsto1Click(); });
    item(Edit1, PersonalInformation1, "PersonalInformation1", QStringLiteral("&Personal Information"),
        [this] { PersonalInformation1Click(); });
    item(Edit1, mnuSetorChangeBackgroundArt, "mnuSetorChangeBackgroundArt",
        QStringLiteral("&Set or Change Background Art"), [this] { mnuSetorChangeBackgroundArtClick(); });
    Edit1->addSeparator();
    item(Edit1, SaveCurrentLayoutasDefault1, "SaveCurrentLayoutasDefault1", QStringLiteral("Save Current Layout as Default"),
        [this] { SaveCurrentLayoutasDefault1Click(); });
    item(Edit1, ChangeCardLayout1, "ChangeCardLayout1", QStringLiteral("Change Business Card Layout"),
        [this] { ChangeCardLayout1Click(); });

    // Zoom keys every desktop program has; the keypad's and the main
    // keyboard's plus and minus (without Ctrl) work on key release as well.
    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    item(View1, mnuZoomIn, "mnuZoomIn", QStringLiteral("Zoom &In"), [this] { ZoomIn(); });
    mnuZoomIn->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal) });
    item(View1, mnuZoomOut, "mnuZoomOut", QStringLiteral("Zoom &Out"), [this] { ZoomOut(); });
    mnuZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    item(Help1, Contents1, "Contents1", QStringLiteral("&Contents"), [this] { Contents1Click(); });
    Contents1->setShortcut(QKeySequence::HelpContents);
    item(Help1, About1, "About1", QStringLiteral("&About"), [this] { About1Click(); });
    item(Help1, ConfigurationInformation1, "ConfigurationInformation1", QStringLiteral("Configuration Information"),
        [this] { ConfigurationInformation1Click(); });
    item(Help1, TechnicalSupport1, "TechnicalSupport1", QStringLiteral("Technical Support"),
        [] { ShowHelpTopic(1041); });
    item(Help1, FrequentlyAskedQuestions1, "FrequentlyAskedQuestions1", QStringLiteral("Frequently Asked Questions"),
        [] { ShowHelpTopic(911); });
    Help1->addSeparator();
    item(Help1, VisitBonusArtwork1, "VisitBonusArtwork1", QStringLiteral("Visit the Bonus Artwork Web Page"),
        [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(BonusArtworkUrl))); });
    item(Help1, VisitWebsite1, "VisitWebsite1", QStringLiteral("Visit Our Internet Website"),
        [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(WebsiteUrl))); });
}

void TMainScreen::FormCreate()
{
    PrinterAvailable = false;
    Loading = true;
    SelectedCards.fill(true);

    const TSettings settings;
    Preferences = settings.LoadPreferences();
    BusinessCardPanel->SetPanelFont(PanelFontFromDefault(Preferences.DefaultFont, BusinessCardPanel->PanelFont()));
    CardLayout = settings.LoadLayoutPreferences(CardLayout);
    PersonalInfo = settings.LoadPersonalInfo();

    // The card starts in the stored default orientation, as New - Blank
    // gives it, rather than always lying.
    SetCardSizeFromInches();
    SetCardOrientation(CardLayout.Portrait);

    SetDefaultFontCaption();
    SetPanelPersonalInfo();
    SetChangesMade(false);

    RecentFiles = new TRecentFiles(File1, MaxRecentFiles, this);
    RecentFiles->setObjectName(QStringLiteral("RecentFiles"));
    connect(RecentFiles, &TRecentFiles::FileChosen, this, &TMainScreen::ReopenRecentFile, Qt::QueuedConnection);
    RecentFiles->SetFiles(settings.LoadRecentFiles());

    const QDir home(ProgramFolder());
    for (const char* folder : { "bmbrush", "saved", "bg", "qrdt" })
        home.mkpath(QString::fromLatin1(folder)); // a failure leaves the folder missing, nothing more
    BrushFolder(); // puts any missing shipped texture into bmbrush

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
    SetCardSizeFromInches();
    BusinessCardPanel->show();
    BusinessCardPanel->setFocus();
    unsetCursor();

    if (!RecentFiles->IsEmpty() && QFileInfo::exists(RecentFiles->Files().constFirst())
        && QFileInfo(RecentFiles->Files().constFirst()).isFile())
        OpenBCFile(RecentFiles->Files().constFirst());

    SetChangesMade(false);
    if (!trackingChanges) {
        connect(BusinessCardPanel, &TGBasePanel::LabelChangedEvent, this, &TMainScreen::LabelChanged);
        trackingChanges = true;
    }
    SetChangesMade(false);
    Loading = false;

    if (PrinterReady(true)) {
        CreateMainPagePrinter();
        PrinterAvailable = true;
    }
    Setbuttons();
}

// --- change tracking ------------------------------------------------------------------------

void TMainScreen::LabelChanged(TGBasePanel*)
{
    if (Loading || (UndoHistory && UndoHistory->Restoring()))
        return;
    SetChangesMade(true);
    if (UndoHistory) {
        UndoHistory->NoteChange();
        updateUndoActions();
    }
}

void TMainScreen::updateUndoActions()
{
    if (!UndoHistory || !mnuUndo)
        return;
    const QString undo = UndoHistory->UndoName();
    const QString redo = UndoHistory->RedoName();
    mnuUndo->setEnabled(UndoHistory->CanUndo());
    mnuUndo->setText(undo.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo ") + undo);
    mnuRedo->setEnabled(UndoHistory->CanRedo());
    mnuRedo->setText(redo.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo ") + redo);
}

void TMainScreen::mnuUndoClick()
{
    BusinessCardPanel->Handle().ClearSelection();
    Loading = true;
    try {
        UndoHistory->Undo();
    } catch (...) {
        Loading = false;
        throw;
    }
    Loading = false;
    updateUndoActions();
}

void TMainScreen::mnuRedoClick()
{
    Loading = true;
    try {
        UndoHistory->Redo();
    } catch (...) {
        Loading = false;
        throw;
    }
    Loading = false;
    updateUndoActions();
}

void TMainScreen::mnuSelectAllClick()
{
    BusinessCardPanel->SelectAll();
}

void TMainScreen::SetChangesMade(bool flag)
{
    ChangesMade = flag;
    setWindowModified(flag);
    // What is on screen is now what is on disk (a save, or the end of New
    // and Open, which then start a new history).
    if (!flag && UndoHistory && !UndoHistory->Restoring())
        UndoHistory->MarkSaved();
    Cancelbutton->setVisible(flag);
    Savebutton->setText(CurrentFileName.isEmpty() ? QStringLiteral("Save As") : QStringLiteral("Save"));
    mnuSave->setEnabled(!CurrentFileName.isEmpty());
    Savebutton->setVisible(flag);
}

void TMainScreen::Setbuttons()
{
    mnuSave->setEnabled(!CurrentFileName.isEmpty());
    // "card.QRD — Brisvale" with the changed mark the desktop shows.
    setWindowTitle(CurrentFileName.isEmpty() ? QStringLiteral("Untitled[*] — Brisvale")
                                             : QFileInfo(CurrentFileName).fileName() + QStringLiteral("[*] — Brisvale"));
    setWindowModified(ChangesMade);
    for (QWidget* w : { static_cast<QWidget*>(PrintButton), static_cast<QWidget*>(Previewbutton) })
        w->setEnabled(PrinterAvailable);
    for (QAction* a : { mnuPrint, mnuPreview, mnuPreviewSheet, mnuPrinterSetup, mnuPrinterFineTuning, mnuPrintOutlineTestPage })
        a->setEnabled(PrinterAvailable);
}

bool TMainScreen::CheckSaveNeeded()
{
    if (!ChangesMade)
        return true;
    // Cancel (also Escape or closing the question) abandons the command and
    // keeps the design with its changes; only Don't Save discards them.
    switch (Interaction::Current().AskSaveChanges(QStringLiteral("Save changes?"), QStringLiteral("Save"))) {
    case SaveAnswer::Cancel:
        return false;
    case SaveAnswer::DontSave:
        SetChangesMade(false);
        return true;
    case SaveAnswer::Save:
        break;
    }
    if (!CurrentFileName.isEmpty()) {
        try {
            SaveBCFile(CurrentFileName);
        } catch (const Exception& e) {
            Interaction::Current().ShowError(
                QStringLiteral("Unable to save %1\n%2").arg(QDir::toNativeSeparators(CurrentFileName), e.message()));
            return false;
        } catch (const std::exception& e) {
            Interaction::Current().ShowError(QStringLiteral("Unable to save %1\n%2")
                    .arg(QDir::toNativeSeparators(CurrentFileName), QString::fromLocal8Bit(e.what())));
            return false;
        }
        SetChangesMade(false);
        return true;
    }
    // Unnamed: the design is kept only when Save As really wrote it.
    if (!mnuSaveAsClick())
        return false;
    SetChangesMade(false);
    return true;
}

// --- document commands ----------------------------------------------------------------------

void TMainScreen::New1Click()
{
    if (!CheckSaveNeeded())
        return;
    Loading = true;
    BusinessCardPanel->ClearAll();
    BusinessCardPanel->ClearBackground();
    BackgroundFile.clear();
    BusinessCardPanel->update();
    CardLayout = TSettings().LoadLayoutPreferences(CardLayout);
    SetCardSizeFromInches();
    BusinessCardPanel->SetRotated(CardLayout.Portrait);
    SetCardOrientation(BusinessCardPanel->Rotated());
    CurrentFileName.clear();
    SetChangesMade(false);
    Loading = false;
    Setbuttons();
    UndoHistory->Reset();
}

void TMainScreen::NewFromTemplate1Click()
{
    ShowNotAvailable(QStringLiteral("Starting a card from a template"));
}

void TMainScreen::Open1Click()
{
    if (!CheckSaveNeeded())
        return;
    const QString path = chooseDesignFile(QStringLiteral("Open Business Card"));
    if (!path.isEmpty())
        OpenBCFile(path);
}

bool TMainScreen::OpenBCFile(const QString& path)
{
    Loading = true;
    BusinessCardPanel->ClearAll();
    TGHandle& frame = BusinessCardPanel->Handle();
    frame.FitBounds(BusinessCardPanel->width() + 1, frame.Top(), frame.Width(), frame.Height());
    BackgroundFile.clear();
    BusinessCardPanel->ClearBackground();
    BusinessCardPanel->SetRotated(false);

    bool opened = true;
    try {
        BusinessCardPanel->hide();
        ReadDesign(*BusinessCardPanel, path, CardLayout, BackgroundFile);
        BusinessCardPanel->show();
        CurrentFileName = path;
        RecentFiles->Add(path);
        storeRecentFiles();
    } catch (...) {
        opened = false;
        BusinessCardPanel->ClearAll();
        BusinessCardPanel->show();
        // The name of the design that was open before no longer describes
        // what is on screen; a later Save must not overwrite that file with
        // an empty design.
        CurrentFileName.clear();
        ShowInfo(unableToOpen.arg(path));
    }
    updateScrollExtent();

    // Objects fit themselves to their content when they are first painted
    // (a label to its font). When that first paint comes is up to the window
    // system: at start-up the window may be exposed only after change
    // tracking is on, and the fit then counted as an edit. Painting the card
    // once here, while loading, makes those fits part of opening whatever
    // the window system does later.
    BusinessCardPanel->RenderScreen();
    SetChangesMade(false);
    QCoreApplication::processEvents();
    Loading = false;
    Setbuttons();
    SetChangesMade(false);
    UndoHistory->Reset();
    updateUndoActions();
    return opened;
}

void TMainScreen::storeRecentFiles()
{
    try {
        TSettings().StoreRecentFiles(RecentFiles->Files());
    } catch (...) {
        // The list stays in the menu for this run; an unwritable QRD.INI
        // must not spoil the open or save that just succeeded.
    }
}

void TMainScreen::ReopenRecentFile(const QString& path)
{
    if (!CheckSaveNeeded())
        return;
    RecentFiles->Remove(path);
    if (QFileInfo::exists(path))
        OpenBCFile(path);
    else
        ShowInfo(path + QStringLiteral(" no longer exists"));
}

void TMainScreen::OpenFromOutside(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        ShowInfo(path + QStringLiteral(" no longer exists"));
        return;
    }
    if (!CheckSaveNeeded())
        return;
    OpenBCFile(path);
}

void TMainScreen::Delete1Click()
{
    const QString path = chooseDesignFile(QStringLiteral("Delete Business Card"));
    if (path.isEmpty())
        return;
    if (!AskYesNo(QStringLiteral("Delete ") + path + QStringLiteral("?"), QStringLiteral("CONFIRM")))
        return;
    bool removed = QFile::remove(path);
    const QString companion = CompanionPath(path);
    if (QFileInfo::exists(companion))
        removed = QFile::remove(companion) && removed;
    if (!removed)
        Interaction::Current().ShowError(QStringLiteral("Unable to delete %1").arg(path));
}

void TMainScreen::SaveBCFile(const QString& path)
{
    WriteDesign(*BusinessCardPanel, path, BackgroundFile, CardLayout);
}

namespace {
// Runs a save and reports a failure naming the file; true when written.
template <typename F>
bool reportSaveFailure(const QString& path, F&& save)
{
    QString reason;
    try {
        save();
        return true;
    } catch (const Exception& e) {
        reason = e.message();
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    QString message = QStringLiteral("Unable to save ") + path;
    if (!reason.isEmpty())
        message += QLatin1Char('\n') + reason;
    Interaction::Current().ShowError(message);
    return false;
}
} // namespace

bool TMainScreen::mnuSaveClick()
{
    BusinessCardPanel->PurgeStrayObjects();
    if (CurrentFileName.isEmpty()) {
        Interaction::Current().Beep();
        return false;
    }
    if (!reportSaveFailure(CurrentFileName, [&] { SaveBCFile(CurrentFileName); }))
        return false;
    SetChangesMade(false);
    return true;
}

QString TMainScreen::FirstFreeDesignName(const QString& folder)
{
    for (int n = 10001; n <= 99999; ++n) {
        const QString name = QStringLiteral("BC") + QString::number(n).mid(1, 4) + QStringLiteral(".QRD");
        if (!QFileInfo::exists(folder + name))
            return name;
    }
    return QString();
}

bool TMainScreen::mnuSaveAsClick()
{
    BusinessCardPanel->PurgeStrayObjects();
    FileChoice choice;
    choice.title = QStringLiteral("Save Business Card As");
    choice.filter = designFilter;
    choice.defaultSuffix = QStringLiteral("QRD");
    choice.confirmOverwrite = true;
    choice.folder = savedFolder();
    if (!CurrentFileName.isEmpty()) {
        saveDialogName = QFileInfo(CurrentFileName).fileName();
    } else {
        const QString free = FirstFreeDesignName(choice.folder);
        if (!free.isEmpty())
            saveDialogName = free;
    }
    choice.fileName = saveDialogName;

    bool saved = false;
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (!path.isEmpty()) {
        saveDialogName = QFileInfo(path).fileName();
        const QString previous = CurrentFileName;
        CurrentFileName = path;
        if (reportSaveFailure(path, [&] { SaveBCFile(path); })) {
            SetChangesMade(false);
            RecentFiles->Add(path);
            storeRecentFiles();
            saved = true;
        } else {
            // Nothing was written under the new name: the design keeps the
            // name it had.
            CurrentFileName = previous;
        }
    }
    Setbuttons();
    return saved;
}

void TMainScreen::SavebuttonClick()
{
    if (CurrentFileName.isEmpty())
        mnuSaveAsClick();
    else
        mnuSaveClick();
}

void TMainScreen::CancelbuttonClick()
{
    if (!AskYesNo(QStringLiteral("Cancel all changes?"), QStringLiteral("CANCEL")))
        return;
    BusinessCardPanel->ClearAll();
    BackgroundFile.clear();
    BusinessCardPanel->ClearBackground();
    if (!CurrentFileName.isEmpty())
        OpenBCFile(CurrentFileName);
    SetChangesMade(false);
    UndoHistory->Reset();
    updateUndoActions();
    BusinessCardPanel->update();
}

void TMainScreen::mnuSaveAsBitmapClick()
{
    exportCard(false);
}

void TMainScreen::mnuSaveAsJPGClick()
{
    exportCard(true);
}

bool TMainScreen::exportCard(bool jpeg)
{
    // The picture is the card at its true size.
    const Single zoom = BusinessCardPanel->Zoom();
    BusinessCardPanel->SetZoom(1.0f);
    // Rescaling rounds at every step, so after zooming the panel can come
    // back a pixel larger than the card; the picture has the card's size.
    if (zoom != 1.0f)
        SetCardSizeFromInches();
    if (jpeg)
        QCoreApplication::processEvents();

    FileChoice choice;
    choice.folder = ProgramFolder();
    const QString extension = jpeg ? QStringLiteral(".JPG") : QStringLiteral(".BMP");
    if (CurrentFileName.isEmpty())
        choice.fileName = ProgramFolder() + (jpeg ? QStringLiteral("BusinessCard.JPG") : QStringLiteral("BusinessCard.Bmp"));
    else
        choice.fileName = QFileInfo(CurrentFileName).completeBaseName() + extension;
    choice.title = jpeg ? QStringLiteral("Save Card As JPG") : QStringLiteral("Save Card As Bitmap");
    choice.filter = jpeg ? QStringLiteral("JPG File (*.JPG *.jpg)") : QStringLiteral("Bitmap File (*.BMP *.bmp)");
    choice.defaultSuffix = jpeg ? QStringLiteral("JPG") : QStringLiteral("BMP");
    choice.confirmOverwrite = true;

    bool written = false;
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (!path.isEmpty() && SaveCardToBitmap(path, jpeg)) {
        written = true;
        ShowInfo(QStringLiteral("Saved as ") + path);
    }
    BusinessCardPanel->SetZoom(zoom);
    updateScrollExtent();
    return written;
}

bool TMainScreen::SaveCardToBitmap(const QString& path, bool jpeg)
{
    const bool border = AskYesNo(QStringLiteral("Would you like to draw a border around the card?"), QStringLiteral("Save"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BusinessCardPanel->repaint();
    QString reason;
    bool written = false;
    try {
        const QImage picture = RenderCardPicture(*BusinessCardPanel, border);
        WriteCardPicture(picture, path, jpeg ? PictureFormat::Jpeg : PictureFormat::Bitmap);
        written = true;
    } catch (const Exception& e) {
        reason = e.message();
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    BusinessCardPanel->update();
    QApplication::restoreOverrideCursor();
    QCoreApplication::processEvents();
    Setbuttons();
    if (!written) {
        QString message = QStringLiteral("Unable to save the card as ") + path;
        if (!reason.isEmpty())
            message += QLatin1Char('\n') + reason;
        Interaction::Current().ShowError(message);
    }
    return written;
}

void TMainScreen::Exit1Click()
{
    if (!CheckSaveNeeded())
        return;
    ChangesMade = false;
    close();
}

void TMainScreen::closeEvent(QCloseEvent* event)
{
    if (!CheckSaveNeeded()) {
        event->ignore();
        return;
    }
    try {
        SaveWindowPlacement(*this, QStringLiteral("TMainScreen"));
    } catch (...) {
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
    ShowNotAvailable(QStringLiteral("Changing all fonts"));
}

void TMainScreen::PersonalInformation1Click()
{
    ShowNotAvailable(QStringLiteral("Editing the personal information"));
}

void TMainScreen::SetPanelPersonalInfo()
{
    BusinessCardPanel->SetPersonalInfo(PersonalInfo);
}

void TMainScreen::mnuSetorChangeBackgroundArtClick()
{
    ShowNotAvailable(QStringLiteral("Background art"));
}

void TMainScreen::SaveCurrentLayoutasDefault1Click()
{
    if (!AskYesNo(QStringLiteral("Save the current card layout as your default layout?"), QStringLiteral("Card Layout")))
        return;
    try {
        TSettings().SaveLayoutPreferences(CardLayout);
    } catch (const Exception& e) {
        Interaction::Current().ShowError(e.message());
    }
}

void TMainScreen::ChangeCardLayout1Click()
{
    if (!EditCardLayout(CardLayout, this))
        return;
    BusinessCardPanel->SetRotated(CardLayout.Portrait);
    SetCardSizeFromInches();
    SetCardOrientation(BusinessCardPanel->Rotated());
    SetChangesMade(true);
}

void TMainScreen::SetCardSizeFromInches()
{
    bv::SetCardSizeFromInches(*BusinessCardPanel, CardLayout);
    updateScrollExtent();
}

void TMainScreen::SetCardOrientation(bool rotated)
{
    bv::SetCardOrientation(*BusinessCardPanel, CardLayout, rotated, BackgroundFile);
    updateScrollExtent();
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
    ShowNotAvailable(QStringLiteral("Writing the design as a template"));
}

void TMainScreen::ShowNotAvailable(const QString& feature)
{
    ShowInfo(feature + QStringLiteral(" is not available in this version of Brisvale yet."));
}

// --- printing -------------------------------------------------------------------------------
// The job and its dialogs live in printing/; the window hands over its
// selection and takes back what the command left.

void TMainScreen::mnuPrintClick()
{
    runPrintCommand([this] { PrintCommands->mnuPrintClick(); });
}

void TMainScreen::mnuPreviewClick()
{
    runPrintCommand([this] { PrintCommands->mnuPreviewClick(); });
}

void TMainScreen::mnuPreviewSheetClick()
{
    runPrintCommand([this] { PrintCommands->mnuPreviewSheetClick(); });
}

bool TMainScreen::mnuExportSheetPdfClick()
{
    FileChoice choice;
    choice.title = QStringLiteral("Export Sheet as PDF");
    choice.filter = QStringLiteral("PDF File (*.pdf *.PDF)");
    choice.folder = ProgramFolder();
    choice.fileName = (CurrentFileName.isEmpty() ? QStringLiteral("Sheet") : QFileInfo(CurrentFileName).completeBaseName())
                      + QStringLiteral(".pdf");
    choice.defaultSuffix = QStringLiteral("pdf");
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (path.isEmpty())
        return false;
    bool written = false;
    runPrintCommand([&] { written = PrintCommands->ExportSheetPdf(path); });
    if (!written) {
        const QString reason = PrintCommands->LastOutcome().Error;
        if (!PrintCommands->LastOutcome().Aborted)
            Interaction::Current().ShowError(QStringLiteral("Unable to export the sheet as ") + path
                                             + (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
    }
    return written;
}

bool TMainScreen::mnuExportPngClick()
{
    const QString at300 = QStringLiteral("PNG picture at 300 dpi (*.png *.PNG)");
    const QString at600 = QStringLiteral("PNG picture at 600 dpi (*.png *.PNG)");
    QString chosen = at300;
    FileChoice choice;
    choice.title = QStringLiteral("Export Card as PNG");
    choice.filter = at300 + QStringLiteral(";;") + at600;
    choice.folder = ProgramFolder();
    choice.fileName = (CurrentFileName.isEmpty() ? QStringLiteral("BusinessCard")
                                                 : QFileInfo(CurrentFileName).completeBaseName())
                      + QStringLiteral(".png");
    choice.defaultSuffix = QStringLiteral("png");
    choice.selectedFilter = &chosen;
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (path.isEmpty())
        return false;
    const double dpi = chosen == at600 ? 600 : 300;
    const Single zoom = BusinessCardPanel->Zoom();
    BusinessCardPanel->SetZoom(1.0f);
    if (zoom != 1.0f)
        SetCardSizeFromInches();
    QString reason;
    bool written = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        WriteCardPicture(RenderCardPictureAtDpi(*BusinessCardPanel, dpi, false), path, PictureFormat::Png);
        written = true;
    } catch (const Exception& e) {
        reason = e.message();
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    }
    QApplication::restoreOverrideCursor();
    BusinessCardPanel->SetZoom(zoom);
    updateScrollExtent();
    if (written)
        ShowInfo(QStringLiteral("Saved as ") + path);
    else
        Interaction::Current().ShowError(QStringLiteral("Unable to save the card as ") + path
                                         + (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
    return written;
}

void TMainScreen::mnuPrinterSetupClick()
{
    runPrintCommand([this] { PrintCommands->mnuPrinterSetupClick(); });
}

void TMainScreen::mnuPrinterFineTuningClick()
{
    runPrintCommand([this] { PrintCommands->mnuPrinterFineTuningClick(); });
}

void TMainScreen::mnuPrintOutlineTestPageClick()
{
    runPrintCommand([this] { PrintCommands->mnuPrintOutlineTestPageClick(); });
}

void TMainScreen::DoPrint()
{
    runPrintCommand([this] {
        PrintCommands->PrintMode = !PrintPreview;
        PrintCommands->OutlineTest = PrintOutlineTestPage;
        PrintCommands->DoPrint();
    });
}

void TMainScreen::runPrintCommand(const std::function<void()>& command)
{
    PrintCommands->SelectedCards = SelectedCards;
    command();
    SelectedCards = PrintCommands->SelectedCards;
    PrintPreview = !PrintCommands->PrintMode;
    PrintOutlineTestPage = PrintCommands->OutlineTest;
}

void TMainScreen::CreateMainPagePrinter()
{
    PrintCommands->CreateMainPagePrinter();
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
    Loading = true;
    BusinessCardPanel->SetZoom(factor);
    ZoomCaption->setText(QString::number(Round(static_cast<Extended>(factor) * 100)) + QStringLiteral("%"));
    Loading = false;
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
        // (with Ctrl they are the menu's shortcuts).
        const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
        if (mods != Qt::NoModifier)
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
    const QRect card = BusinessCardPanel->geometry();
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
