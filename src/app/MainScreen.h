#pragma once
// The program's main window: the card panel in a scroll box, the tool
// palette above it, the zoom and command buttons below, the File, Edit and
// Help menus. The document commands and their state, and the print
// commands, are objects of their own beside it.
#include "document/CardLayout.h"
#include "document/Settings.h"
#include "surface/NameRegistry.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QToolButton;
class QButtonGroup;

namespace bv {

class TCardGuides;
class TDocumentCommands;
class TGBusinessCardPanel32;
class TGBasePanel;
class TPrintCommands;
class TRecentFiles;
class TAssistantOru;
struct TRect;

// Up and down arrows that step the zoom factor.
class TZoomSpinner : public QWidget {
    Q_OBJECT
public:
    explicit TZoomSpinner(QWidget* parent = nullptr);
signals:
    void UpClick();
    void DownClick();

private:
    QToolButton* UpButton = nullptr;
    QToolButton* DownButton = nullptr;
};

// The window holds the widgets and the program-wide settings; the document
// commands and their state are in TDocumentCommands (app/DocumentCommands.h),
// the print commands in TPrintCommands (printing/PrintCommands.h). Tests and
// other code find the widgets by their object names.
class TMainScreen : public QMainWindow, public NameRegistry {
    Q_OBJECT
public:
    explicit TMainScreen(QWidget* parent = nullptr);
    ~TMainScreen() override;

    // --- start-up and activation -------------------------------------------------------
    // The first activation's work (placement, card size, reopening the most
    // recent design, change tracking, printer check). Runs once; the first
    // showing of the window queues it.
    void FormActivate();
    bool FirstActivationDone() const { return activated; }

    // The document commands and state (file, changes, layout, background).
    TDocumentCommands& Document() { return *document; }
    // The print commands, the main page printer and the print selection.
    TPrintCommands& Printing() { return *PrintCommands; }
    // A usable printer was found at the first activation.
    bool PrinterAvailable() const { return printerAvailable; }

    // A design handed over from outside (command line, file manager).
    void OpenFromOutside(const QString& path);
    void OpenFromOutside(const QStringList& paths);

    // --- Edit menu ----------------------------------------------------------------------
    void mnuDefaultFontClick();
    void NewFromTemplate1Click();
    void Changeallfontsto1Click();
    void PersonalInformation1Click();
    void mnuSetorChangeBackgroundArtClick();
    void WriteIniClick();

    // --- Help menu and buttons ----------------------------------------------------------
    void Contents1Click();
    void About1Click();
    void ConfigurationInformation1Click();
    void HelpbuttonClick();
    void AssistButtonClick();

    // --- zoom ---------------------------------------------------------------------------
    void ZoomIn();
    void ZoomOut();

    // --- NameRegistry -------------------------------------------------------------------
    bool IsNameTaken(const QString& name) const override;

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
    void DroppedObject(const TRect& r);
    // The Insert menu: one entry per registered tool that has a caption.
    void buildInsertMenu();
    // An Insert menu entry: the tool's object in the middle of the card.
    void InsertObjectOfTool(int state);
    // The document's state on the widgets: Save and Cancel buttons, the
    // Save entry and the changed mark (ChangesMadeChanged).
    void showChangesMade(bool changed);
    // Title, Save entry and print commands from the file name and printer.
    void Setbuttons();
    void SetChangesMade(bool flag);
    bool CheckSaveNeeded();
    void SetDefaultFontCaption();
    void SetPanelPersonalInfo();
    // Undo/Redo captions and enabling from the history.
    void updateUndoActions();
    // The Undo and Redo entries named after their steps (the Edit menu opening).
    void nameUndoSteps();
    // Cut, Copy, Delete and Clone need a selection, Paste the clipboard
    // file; only while the menu shows (the keys reach the commands always).
    void updateEditActions(bool menuShown);
    void updateScrollExtent();
    // The zoom step: selection cleared, Loading during the change, caption.
    void stepZoom(Single factor);
    void scrollCard(int action);
    bool windowOwns(QObject* object) const;

    TGBusinessCardPanel32* BusinessCardPanel = nullptr;
    std::unique_ptr<TPrintCommands> PrintCommands;
    TDocumentCommands* document = nullptr;
    // Printer nudges, bottom-margin warning and default font (QRD.INI).
    TPreferences Preferences;
    TPersonalInfo PersonalInfo;
    bool printerAvailable = false;

    // --- widgets and actions (named as their objectName) -----------------------------
    QScrollArea* ScrollBox1 = nullptr;
    QWidget* cardHolder = nullptr;
    TCardGuides* cardGuides = nullptr;
    QButtonGroup* ToolGroup = nullptr;
    QToolButton* Pointerbutton = nullptr;
    TAssistantOru* AssistantOru1 = nullptr; // the quick tips, made at the first use
    QLabel* ZoomCaption = nullptr;
    QPushButton* Savebutton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* Previewbutton = nullptr;
    QMenu* File1 = nullptr;
    QAction* mnuSave = nullptr;
    QAction* WriteIni = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;
    QAction* mnuDefaultFont = nullptr;
    QList<QAction*> selectionActions; // Cut, Copy, Delete, Clone
    QAction* mnuPaste = nullptr;
    // Entries enabled only with a printer.
    QList<QAction*> printActions;
    TRecentFiles* RecentFiles = nullptr;

    bool activated = false;
    bool activationQueued = false;
    bool trackingChanges = false;
    // Plus, minus and equals keys pressed without Ctrl and not yet released:
    // only their release zooms (a press with Ctrl was the menu's shortcut).
    QList<int> plainZoomKeys;
};

} // namespace bv
