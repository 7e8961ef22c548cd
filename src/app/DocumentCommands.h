#pragma once
// The document commands of the main window: New, Open, Delete, Save, Save
// As, the Save and Cancel buttons, reopening recent files, the picture and
// sheet exports, Exit, undo and redo, Select All and the card layout
// commands, with the document state they work on (current file, unsaved
// changes, background picture, card layout). The window keeps the widgets;
// it calls these from its menu entries and buttons and shows what the
// signals report.
//
//     TDocumentCommands document(panel.Model(), &panel, printing, window);
//     document.SetRecentFiles(recentFiles);
//     connect(&document, &TDocumentCommands::ChangesMadeChanged, window, [..](bool changed) { ... });
//     connect(saveAction, &QAction::triggered, &document, &TDocumentCommands::mnuSaveClick);
#include "document/CardLayout.h"

#include <QObject>
#include <QString>

class QWidget;

namespace bv {

class TGBasePanel;
class TDesignModel;
class TPrintCommands;
class TRecentFiles;
class TUndoHistory;

class TDocumentCommands : public QObject {
    Q_OBJECT
public:
    // `owner` parents the dialogs the commands open.
    // `view` shows the design (nullptr: none; the commands then work on the
    // design alone).
    TDocumentCommands(TDesignModel& design, TGBasePanel* view, TPrintCommands& printing, QWidget* owner);
    ~TDocumentCommands() override;

    // The recent files list of the File menu (owned by the window).
    void SetRecentFiles(TRecentFiles* files) { recentFiles = files; }
    TUndoHistory& UndoHistory() { return *history; }

    // --- document state -----------------------------------------------------------------
    const QString& CurrentFileName() const { return fileName; }
    void SetCurrentFileName(const QString& path) { fileName = path; }
    bool ChangesMade() const { return changesMade; }
    // Marks the design changed or unchanged and reports it (ChangesMadeChanged);
    // unchanged also marks the undo history's saved state.
    void SetChangesMade(bool flag);
    // While true, change notifications from the panel are ignored: from
    // creation to the end of the first activation, and during open, new and
    // each zoom step.
    bool Loading() const { return loading; }
    void SetLoading(bool flag) { loading = flag; }
    const QString& BackgroundFile() const { return backgroundFile; }
    void SetBackgroundFile(const QString& path) { backgroundFile = path; }
    const TCardLayout& CardLayout() const { return layout; }
    void SetCardLayout(const TCardLayout& value) { layout = value; }

    // A change reported by the panel: marks the design changed and records
    // an undo step, unless loading or restoring.
    void LabelChanged(TGBasePanel* sender);
    // Around building a design from a template after New: what is built in
    // between is one undo step.
    void StartTemplateStep();
    void EndTemplateStep();

    // Asks "Save changes?" (Save, Don't Save, Cancel) when the design
    // changed. False when the command that asked must not go on: the user
    // chose Cancel (or pressed Escape), or chose to save and the save was
    // cancelled or failed (the design stays, still marked changed).
    bool CheckSaveNeeded();

    // --- File menu and buttons ----------------------------------------------------------
    void New1Click();
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
    // File > Export as PNG: the card at 300 or 600 dpi (the save dialog's
    // filter chooses); File > Export Sheet as PDF: one sheet into a PDF.
    bool mnuExportPngClick();
    bool mnuExportSheetPdfClick();
    // The card as a print shop wants it (trim plus 1/8 inch bleed on every
    // side, crop marks, TrimBox and BleedBox), one card per page.
    bool mnuExportPrintShopClick();
    void ReopenRecentFile(const QString& path);
    // A design handed over from outside (command line, file manager): the
    // save question, then Open; a file that is not there is reported.
    void OpenFromOutside(const QString& path);
    // Several at once (requests that arrived together): the files that
    // cannot be opened are reported in one message, then each of the others
    // is opened in turn.
    void OpenFromOutside(const QStringList& paths);
    // The save question, then CloseRequested.
    void Exit1Click();
    // The name Save As proposes for an unnamed design ("BC0001.QRD", ...);
    // empty when every numbered name is taken.
    static QString FirstFreeDesignName(const QString& folder);

    // --- Edit menu ----------------------------------------------------------------------
    void mnuUndoClick();
    void mnuRedoClick();
    void mnuSelectAllClick();
    void SaveCurrentLayoutasDefault1Click();
    void ChangeCardLayout1Click();
    // Card size and orientation from the layout (CardResized follows).
    void SetCardSizeFromInches();
    void SetCardOrientation(bool rotated);

signals:
    // The unsaved-changes mark was set or cleared.
    void ChangesMadeChanged(bool changed);
    // The file name or the changes mark changed at the end of a command:
    // title, Save entry and print buttons are due for a refresh.
    void ButtonsChanged();
    // The undo history changed under a command (reset, undo, redo).
    void UndoStateChanged();
    // The card's size on screen changed.
    void CardResized();
    // Exit passed the save question: the window closes.
    void CloseRequested();

private:
    void storeRecentFiles();
    bool exportCard(bool jpeg);

    // Paints the view again, when there is one.
    void repaintView();

    TDesignModel& design;
    TGBasePanel* view;
    TPrintCommands& printing;
    QWidget* owner;
    TRecentFiles* recentFiles = nullptr;
    TUndoHistory* history = nullptr;

    QString fileName;
    bool changesMade = false;
    bool loading = true;
    QString backgroundFile;
    TCardLayout layout;
    QString saveDialogName = QStringLiteral("BC1.QRD");
};

} // namespace bv
