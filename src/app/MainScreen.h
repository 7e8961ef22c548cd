#pragma once
// The program's main window: the card panel in a scroll box, the tool
// palette above it, the zoom and command buttons below, the File, Edit and
// Help menus, and the document state around the panel (current file,
// unsaved changes, card layout, background picture, print selection).
#include "document/CardLayout.h"
#include "document/Settings.h"
#include "printing/Imposition.h"
#include "surface/NameRegistry.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QToolButton;
class QButtonGroup;

namespace bv {

class TGBusinessCardPanel32;
class TGBasePanel;
class TPrintCommands;
class TRecentFiles;
class TAssistantOru;
class TUndoHistory;
struct TRect;

// Up and down arrows that step the zoom factor.
class TZoomSpinner : public QWidget {
    Q_OBJECT
public:
    explicit TZoomSpinner(QWidget* parent = nullptr);
    QToolButton* UpButton = nullptr;
    QToolButton* DownButton = nullptr;
signals:
    void UpClick();
    void DownClick();
};

class TMainScreen : public QMainWindow, public NameRegistry {
    Q_OBJECT
public:
    explicit TMainScreen(QWidget* parent = nullptr);
    ~TMainScreen() override;

    // --- document state -------------------------------------------------------------
    QString CurrentFileName;
    bool ChangesMade = false;
    // While true, change notifications from the panel are ignored: from
    // creation to the end of the first activation, and during open, new and
    // each zoom step.
    bool Loading = true;
    QString BackgroundFile;
    TCardLayout CardLayout;
    // Card positions chosen for printing, row × across + column (every
    // position of the largest layout).
    TCardSelection SelectedCards {};
    // Printer nudges, bottom-margin warning and default font (QRD.INI).
    TPreferences Preferences;
    TPersonalInfo PersonalInfo;
    bool PrinterAvailable = false;
    // Print mode of the next job: preview instead of printing; outline test page.
    bool PrintPreview = false;
    bool PrintOutlineTestPage = false;

    TGBusinessCardPanel32* BusinessCardPanel = nullptr;

    // --- start-up and activation -------------------------------------------------------
    // The first activation's work (placement, card size, reopening the most
    // recent design, change tracking, printer check). Runs once; the first
    // showing of the window queues it.
    void FormActivate();
    bool FirstActivationDone() const { return activated; }

    // --- change tracking ----------------------------------------------------------------
    void SetChangesMade(bool flag);
    void Setbuttons();
    // Asks "Save changes?" (Save, Don't Save, Cancel) when the design
    // changed. False when the command that asked must not go on: the user
    // chose Cancel (or pressed Escape), or chose to save and the save was
    // cancelled or failed (the design stays, still marked changed).
    bool CheckSaveNeeded();

    // --- document commands --------------------------------------------------------------
    void New1Click();
    void NewFromTemplate1Click();
    void Open1Click();
    // Opens a design file pair; false when it could not be read (the
    // failure has been shown and the design left empty and unnamed).
    bool OpenBCFile(const QString& path);
    void Delete1Click();
    // Save to the current file; false when nothing was written.
    bool mnuSaveClick();
    // Save under a chosen name; false when cancelled or not written.
    bool mnuSaveAsClick();
    // Writes the design file pair; raises on failure.
    void SaveBCFile(const QString& path);
    void SavebuttonClick();
    void CancelbuttonClick();
    void mnuSaveAsBitmapClick();
    void mnuSaveAsJPGClick();
    // Asks for the border, renders and writes the card picture; false when
    // the file could not be written (the failure has been shown).
    bool SaveCardToBitmap(const QString& path, bool jpeg);
    void ReopenRecentFile(const QString& path);
    // A design handed over from outside (command line, file manager): the
    // save question, then Open; a file that is not there is reported.
    void OpenFromOutside(const QString& path);
    void Exit1Click();
    // The name Save As proposes for an unnamed design ("BC0001.QRD", ...);
    // empty when every numbered name is taken.
    static QString FirstFreeDesignName(const QString& folder);

    // --- Edit menu ----------------------------------------------------------------------
    // Undo and redo of the design (app/UndoHistory.h).
    TUndoHistory* UndoHistory = nullptr;
    void mnuUndoClick();
    void mnuRedoClick();
    void mnuSelectAllClick();
    void mnuDefaultFontClick();
    void SetDefaultFontCaption();
    void Changeallfontsto1Click();
    void PersonalInformation1Click();
    void SetPanelPersonalInfo();
    void mnuSetorChangeBackgroundArtClick();
    void SaveCurrentLayoutasDefault1Click();
    void ChangeCardLayout1Click();
    void SetCardSizeFromInches();
    void SetCardOrientation(bool rotated);

    // --- Help menu and buttons ----------------------------------------------------------
    void Contents1Click();
    void About1Click();
    void ConfigurationInformation1Click();
    void HelpbuttonClick();
    void AssistButtonClick();
    void WriteIniClick();

    // --- zoom ---------------------------------------------------------------------------
    void ZoomIn();
    void ZoomOut();

    // --- printing --------------------------------------------------------------------------
    // The print commands and the main page printer (printing/PrintCommands.h).
    std::unique_ptr<TPrintCommands> PrintCommands;
    virtual void mnuPrintClick();
    virtual void mnuPreviewClick();
    void mnuPreviewSheetClick();
    // File > Export as PNG: the card at 300 or 600 dpi (the save dialog's
    // filter chooses); File > Export Sheet as PDF: one sheet into a PDF.
    bool mnuExportPngClick();
    bool mnuExportSheetPdfClick();
    virtual void mnuPrinterSetupClick();
    virtual void mnuPrinterFineTuningClick();
    virtual void mnuPrintOutlineTestPageClick();
    virtual void DoPrint();
    // Run at the first activation when a usable printer was found.
    virtual void CreateMainPagePrinter();
    // Runs a print command with the window's selection and print mode.
    void runPrintCommand(const std::function<void()>& command);

    // --- NameRegistry -------------------------------------------------------------------
    bool IsNameTaken(const QString& name) const override;

    // --- widgets and actions (named as their objectName) -----------------------------
    QScrollArea* ScrollBox1 = nullptr;
    QButtonGroup* ToolGroup = nullptr;
    QToolButton* Pointerbutton = nullptr;
    QToolButton* DrawLabelButton = nullptr;
    QToolButton* DrawMLTextButton = nullptr;
    QToolButton* DrawSymbolButton = nullptr;
    QToolButton* DrawRectanglebutton = nullptr;
    QToolButton* DrawEllipseButton = nullptr;
    QToolButton* DrawRoundrectbutton = nullptr;
    QToolButton* DrawLinebutton = nullptr;
    QToolButton* DrawImageButton = nullptr;
    QToolButton* DrawSupershape = nullptr;
    QToolButton* DrawRichText = nullptr;
    QToolButton* DrawSuperTextButton = nullptr;
    QToolButton* DrawCircleTextbutton = nullptr;
    QToolButton* AssistButton = nullptr;
    TAssistantOru* AssistantOru1 = nullptr; // the quick tips, made at the first use
    QToolButton* ShowGrid = nullptr;
    QToolButton* SnapToGrid = nullptr;
    QToolButton* SetBackgroundArtButton = nullptr;
    TZoomSpinner* ZoomSpinner = nullptr;
    QLabel* ZoomLabel = nullptr;
    QLabel* ZoomCaption = nullptr;
    QPushButton* Savebutton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* Previewbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* New1 = nullptr;
    QAction* NewFromTemplate1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuSaveAsBitmap = nullptr;
    QAction* mnuSaveAsJPG = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuPreview = nullptr;
    QAction* mnuPreviewSheet = nullptr;
    QAction* mnuExportPng = nullptr;
    QAction* mnuExportSheetPdf = nullptr;
    QAction* mnuPrinterSetup = nullptr;
    QAction* mnuPrinterFineTuning = nullptr;
    QAction* mnuPrintOutlineTestPage = nullptr;
    QAction* WriteIni = nullptr;
    QAction* Exit1 = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;
    QAction* mnuSelectAll = nullptr;
    QMenu* View1 = nullptr;
    QAction* mnuZoomIn = nullptr;
    QAction* mnuZoomOut = nullptr;
    QAction* mnuDefaultFont = nullptr;
    QAction* Changeallfontsto1 = nullptr;
    QAction* PersonalInformation1 = nullptr;
    QAction* mnuSetorChangeBackgroundArt = nullptr;
    QAction* SaveCurrentLayoutasDefault1 = nullptr;
    QAction* ChangeCardLayout1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* About1 = nullptr;
    QAction* ConfigurationInformation1 = nullptr;
    QAction* TechnicalSupport1 = nullptr;
    QAction* FrequentlyAskedQuestions1 = nullptr;
    QAction* VisitBonusArtwork1 = nullptr;
    QAction* VisitWebsite1 = nullptr;

    TRecentFiles* RecentFiles = nullptr;

    // The addresses the two web entries open.
    static const char* const BonusArtworkUrl;
    static const char* const WebsiteUrl;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildMenus();
    void buildToolPalette(QWidget* bar);
    void buildBottomBar(QWidget* bar);
    QToolButton* addTool(QWidget* bar, const char* name, const QString& icon, const QString& hint, int state);
    void LabelChanged(TGBasePanel* sender);
    void DroppedObject(const TRect& r);
    void ShowNotAvailable(const QString& feature);
    void storeRecentFiles();
    // Undo/Redo captions and enabling from the history.
    void updateUndoActions();
    void updateScrollExtent();
    // The zoom step: selection cleared, Loading during the change, caption.
    void stepZoom(Single factor);
    bool exportCard(bool jpeg);
    void scrollCard(int action);
    bool windowOwns(QObject* object) const;

    QWidget* cardHolder = nullptr;
    QString saveDialogName = QStringLiteral("BC1.QRD");
    bool activated = false;
    bool activationQueued = false;
    bool trackingChanges = false;
    bool closing = false;
};

} // namespace bv
