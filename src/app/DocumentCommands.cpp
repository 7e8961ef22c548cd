#include "app/DocumentCommands.h"
#include "platform/SafeFile.h"

#include "app/EditCardLayout.h"
#include "app/RecentFiles.h"
#include "app/UndoHistory.h"
#include "document/AppServices.h"
#include "document/CardDocument.h"
#include "document/Settings.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "printing/PrintCommands.h"
#include "printing/PrintShopDialog.h"
#include "printing/PrintShopPdf.h"
#include "richtext/RichBaseLabel.h"
#include "surface/BusinessCardPanel.h"
#include "surface/CompanionFile.h"
#include "surface/Handle.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

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

// Runs a save and reports a failure naming the file; true when written.
template <typename F>
bool reportSaveFailure(const QString& path, F&& save)
{
    QString reason;
    try {
        save();
        return true;
    } catch (const std::exception&) {
        reason = DescribeCurrentException();
    }
    QString message = QStringLiteral("Unable to save ") + path;
    if (!reason.isEmpty())
        message += QLatin1Char('\n') + reason;
    Interaction::Current().ShowError(message);
    return false;
}

} // namespace

TDocumentCommands::TDocumentCommands(TDesignModel& design, TGBasePanel* view, TPrintCommands& printing, QWidget* owner)
    : QObject(owner), design(design), view(view), printing(printing), owner(owner)
{
    setObjectName(QStringLiteral("DocumentCommands"));
    history = new TUndoHistory(design, this);
    // The card's own state is part of every snapshot: background art,
    // layout and orientation are undone like the objects.
    history->SetCardState(
        [this] {
            TCardState s;
            s.backgroundFile = backgroundFile;
            s.layout = layout;
            s.rotated = this->design.Rotated();
            s.picture = this->design.ColorPicture();
            s.metafile = this->design.ColorMetafile();
            return s;
        },
        [this](const TCardState& s) {
            backgroundFile = s.backgroundFile;
            layout = s.layout;
            this->design.SetRotated(s.rotated);
            this->design.SetBackgroundArt(s.picture, s.metafile);
            SetCardSizeFromInches();
        });
    connect(history, &TUndoHistory::StateRestored, this, [this] { this->repaintView(); });
    // The changed mark is the difference between the document and the
    // state last saved, whatever way the history reached it.
    connect(history, &TUndoHistory::HistoryChanged, this, [this] {
        const bool changed = !history->AtSavedState();
        if (changed != changesMade) {
            changesMade = changed;
            emit ChangesMadeChanged(changed);
        }
    });
}

TDocumentCommands::~TDocumentCommands() = default;

// --- change tracking ------------------------------------------------------------------------

void TDocumentCommands::SetChangesMade(bool flag)
{
    if (!history->Restoring()) {
        if (flag) {
            // A change of the document: a step once the gesture is over.
            if (!loading)
                history->NoteChange();
        } else {
            // What is on screen is now what is on disk (a save, or the end
            // of New and Open, which then start a new history).
            history->MarkSaved();
        }
    }
    changesMade = flag;
    emit ChangesMadeChanged(flag);
}

void TDocumentCommands::repaintView()
{
    if (view)
        view->update();
}

void TDocumentCommands::LabelChanged(TGBasePanel*)
{
    if (loading || history->Restoring())
        return;
    SetChangesMade(true);
    emit UndoStateChanged();
}

void TDocumentCommands::StartTemplateStep()
{
    history->CommitPending();
    loading = true;
}

void TDocumentCommands::EndTemplateStep()
{
    // The new objects fit themselves to their text from the event loop: part
    // of the same step.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    loading = false;
    // The whole template is one step from the blank card New left.
    history->NoteChange(QStringLiteral("Template"));
    history->CommitPending();
    changesMade = !history->AtSavedState();
    emit ChangesMadeChanged(changesMade);
    emit UndoStateChanged();
}

bool TDocumentCommands::CheckSaveNeeded()
{
    if (!changesMade)
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
    if (!fileName.isEmpty()) {
        try {
            SaveBCFile(fileName);
        } catch (const std::exception&) {
            Interaction::Current().ShowError(QStringLiteral("Unable to save %1\n%2")
                    .arg(QDir::toNativeSeparators(fileName), DescribeCurrentException()));
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

// --- File menu ------------------------------------------------------------------------------

void TDocumentCommands::New1Click()
{
    if (!CheckSaveNeeded())
        return;
    loading = true;
    design.ClearAll();
    design.ClearBackground();
    backgroundFile.clear();
    repaintView();
    // The stored default layout, its orientation included: a standing card
    // made from a template does not make the next blank card stand.
    layout = TSettings().LoadLayoutPreferences(TCardLayout());
    SetCardSizeFromInches();
    design.SetRotated(layout.Portrait);
    SetCardOrientation(design.Rotated());
    fileName.clear();
    SetChangesMade(false);
    loading = false;
    emit ButtonsChanged();
    history->Reset();
}

void TDocumentCommands::Open1Click()
{
    if (!CheckSaveNeeded())
        return;
    const QString path = chooseDesignFile(QStringLiteral("Open Business Card"));
    if (!path.isEmpty())
        OpenBCFile(path);
}

bool TDocumentCommands::OpenBCFile(const QString& path)
{
    loading = true;
    design.ClearAll();
    TGHandle& frame = design.Frame();
    frame.FitBounds(design.CardWidth() + 1, frame.Top(), frame.Width(), frame.Height());
    backgroundFile.clear();
    design.ClearBackground();
    design.SetRotated(false);

    bool opened = true;
    QStringList readWarnings;
    try {
        if (view)
            view->hide();
        ReadDesign(design, path, layout, backgroundFile, &readWarnings);
        if (view)
            view->show();
        fileName = path;
        recentFiles->Add(path);
        storeRecentFiles();
    } catch (const std::exception&) {
        // Whatever the file holds, a design that cannot be read is reported
        // the same way (a damaged file may also run out of memory).
        opened = false;
        design.ClearAll();
        if (view)
            view->show();
        // The name of the design that was open before no longer describes
        // what is on screen; a later Save must not overwrite that file with
        // an empty design.
        fileName.clear();
        ShowInfo(unableToOpen.arg(path));
    }
    emit CardResized();
    if (!readWarnings.isEmpty())
        ShowInfo(readWarnings.join(QLatin1Char('\n')));

    // Objects fit themselves to their content when they are first painted
    // (a label to its font). When that first paint comes is up to the window
    // system: at start-up the window may be exposed only after change
    // tracking is on, and the fit then counted as an edit. Painting the card
    // once here, while loading, makes those fits part of opening whatever
    // the window system does later.
    if (view)
        view->RenderScreen();
    else
        design.RenderToBitmap();
    SetChangesMade(false);
    QCoreApplication::processEvents();
    loading = false;
    emit ButtonsChanged();
    SetChangesMade(false);
    history->Reset();
    emit UndoStateChanged();
    return opened;
}

void TDocumentCommands::storeRecentFiles()
{
    try {
        TSettings().StoreRecentFiles(recentFiles->Files());
    } catch (const EWriteError&) {
        // The list stays in the menu for this run; an unwritable QRD.INI
        // must not spoil the open or save that just succeeded.
    }
}

void TDocumentCommands::ReopenRecentFile(const QString& path)
{
    if (!CheckSaveNeeded())
        return;
    recentFiles->Remove(path);
    if (QFileInfo::exists(path))
        OpenBCFile(path);
    else
        ShowInfo(path + QStringLiteral(" no longer exists"));
}

void TDocumentCommands::OpenFromOutside(const QString& path)
{
    OpenFromOutside(QStringList{path});
}

void TDocumentCommands::OpenFromOutside(const QStringList& paths)
{
    QStringList problems;
    QStringList designs;
    for (const QString& path : paths) {
        if (!QFileInfo::exists(path)) {
            problems.append(path + QStringLiteral(" no longer exists"));
            continue;
        }
        // There, but a device, a pipe or a folder: said as it is.
        const SafeReadResult check = CheckOutsideFile(path, MaxDesignFileBytes);
        if (!check.ok())
            problems.append(check.error);
        else
            designs.append(path);
    }
    if (!problems.isEmpty())
        ShowInfo(problems.join(QLatin1Char('\n')));
    for (const QString& path : designs) {
        if (!CheckSaveNeeded())
            return;
        OpenBCFile(path);
    }
}

void TDocumentCommands::Delete1Click()
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

void TDocumentCommands::SaveBCFile(const QString& path)
{
    WriteDesign(design, path, backgroundFile, layout);
}

bool TDocumentCommands::mnuSaveClick()
{
    design.PurgeStrayObjects();
    if (fileName.isEmpty()) {
        Interaction::Current().Beep();
        return false;
    }
    if (!reportSaveFailure(fileName, [&] { SaveBCFile(fileName); }))
        return false;
    SetChangesMade(false);
    return true;
}

QString TDocumentCommands::FirstFreeDesignName(const QString& folder)
{
    for (int n = 10001; n <= 99999; ++n) {
        const QString name = QStringLiteral("BC") + QString::number(n).mid(1, 4) + QStringLiteral(".QRD");
        if (!QFileInfo::exists(folder + name))
            return name;
    }
    return QString();
}

bool TDocumentCommands::mnuSaveAsClick()
{
    design.PurgeStrayObjects();
    FileChoice choice;
    choice.title = QStringLiteral("Save Business Card As");
    choice.filter = designFilter;
    choice.defaultSuffix = QStringLiteral("QRD");
    choice.confirmOverwrite = true;
    choice.folder = savedFolder();
    if (!fileName.isEmpty()) {
        saveDialogName = QFileInfo(fileName).fileName();
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
        const QString previous = fileName;
        fileName = path;
        if (reportSaveFailure(path, [&] { SaveBCFile(path); })) {
            SetChangesMade(false);
            recentFiles->Add(path);
            storeRecentFiles();
            saved = true;
        } else {
            // Nothing was written under the new name: the design keeps the
            // name it had.
            fileName = previous;
        }
    }
    emit ButtonsChanged();
    return saved;
}

void TDocumentCommands::SavebuttonClick()
{
    if (fileName.isEmpty())
        mnuSaveAsClick();
    else
        mnuSaveClick();
}

void TDocumentCommands::CancelbuttonClick()
{
    if (!AskYesNo(QStringLiteral("Cancel all changes?"), QStringLiteral("CANCEL")))
        return;
    design.ClearAll();
    backgroundFile.clear();
    design.ClearBackground();
    if (!fileName.isEmpty())
        OpenBCFile(fileName);
    SetChangesMade(false);
    history->Reset();
    emit UndoStateChanged();
    repaintView();
}

void TDocumentCommands::Exit1Click()
{
    if (!CheckSaveNeeded())
        return;
    changesMade = false;
    emit CloseRequested();
}

// --- picture and sheet exports --------------------------------------------------------------

void TDocumentCommands::mnuSaveAsBitmapClick()
{
    exportCard(false);
}

void TDocumentCommands::mnuSaveAsJPGClick()
{
    exportCard(true);
}

bool TDocumentCommands::exportCard(bool jpeg)
{
    // The picture is the card at its true size.
    const Single zoom = design.Zoom();
    design.SetZoom(1.0f);
    // Rescaling rounds at every step, so after zooming the panel can come
    // back a pixel larger than the card; the picture has the card's size.
    if (zoom != 1.0f)
        SetCardSizeFromInches();
    if (jpeg)
        QCoreApplication::processEvents();

    FileChoice choice;
    choice.folder = ProgramFolder();
    const QString extension = jpeg ? QStringLiteral(".JPG") : QStringLiteral(".BMP");
    if (fileName.isEmpty())
        choice.fileName = ProgramFolder() + (jpeg ? QStringLiteral("BusinessCard.JPG") : QStringLiteral("BusinessCard.Bmp"));
    else
        choice.fileName = QFileInfo(fileName).completeBaseName() + extension;
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
    design.SetZoom(zoom);
    emit CardResized();
    return written;
}

bool TDocumentCommands::SaveCardToBitmap(const QString& path, bool jpeg)
{
    const bool border = AskYesNo(QStringLiteral("Would you like to draw a border around the card?"), QStringLiteral("Save"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (view)
        view->repaint();
    QString reason;
    bool written = false;
    try {
        const QImage picture = RenderCardPicture(design, border);
        WriteCardPicture(picture, path, jpeg ? PictureFormat::Jpeg : PictureFormat::Bitmap);
        written = true;
    } catch (const std::exception&) {
        reason = DescribeCurrentException();
    }
    repaintView();
    QApplication::restoreOverrideCursor();
    QCoreApplication::processEvents();
    emit ButtonsChanged();
    if (!written) {
        QString message = QStringLiteral("Unable to save the card as ") + path;
        if (!reason.isEmpty())
            message += QLatin1Char('\n') + reason;
        Interaction::Current().ShowError(message);
    }
    return written;
}

bool TDocumentCommands::mnuExportPngClick()
{
    const QString at300 = QStringLiteral("PNG picture at 300 dpi (*.png *.PNG)");
    const QString at600 = QStringLiteral("PNG picture at 600 dpi (*.png *.PNG)");
    QString chosen = at300;
    FileChoice choice;
    choice.title = QStringLiteral("Export Card as PNG");
    choice.filter = at300 + QStringLiteral(";;") + at600;
    choice.folder = ProgramFolder();
    choice.fileName = (fileName.isEmpty() ? QStringLiteral("BusinessCard") : QFileInfo(fileName).completeBaseName())
                      + QStringLiteral(".png");
    choice.defaultSuffix = QStringLiteral("png");
    choice.selectedFilter = &chosen;
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (path.isEmpty())
        return false;
    const double dpi = chosen == at600 ? 600 : 300;
    const Single zoom = design.Zoom();
    design.SetZoom(1.0f);
    if (zoom != 1.0f)
        SetCardSizeFromInches();
    QString reason;
    bool written = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        WriteCardPicture(RenderCardPictureAtDpi(design, dpi, false), path, PictureFormat::Png);
        written = true;
    } catch (const std::exception&) {
        reason = DescribeCurrentException();
    }
    QApplication::restoreOverrideCursor();
    design.SetZoom(zoom);
    emit CardResized();
    if (written)
        ShowInfo(QStringLiteral("Saved as ") + path);
    else
        Interaction::Current().ShowError(QStringLiteral("Unable to save the card as ") + path
                                         + (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
    return written;
}

bool TDocumentCommands::mnuExportSheetPdfClick()
{
    FileChoice choice;
    choice.title = QStringLiteral("Export Sheet as PDF");
    choice.filter = QStringLiteral("PDF File (*.pdf *.PDF)");
    choice.folder = ProgramFolder();
    choice.fileName = (fileName.isEmpty() ? QStringLiteral("Sheet") : QFileInfo(fileName).completeBaseName())
                      + QStringLiteral(".pdf");
    choice.defaultSuffix = QStringLiteral("pdf");
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (path.isEmpty())
        return false;
    const bool written = printing.ExportSheetPdf(path);
    if (written)
        ShowInfo(QStringLiteral("Saved as ") + path);
    if (!written) {
        const QString reason = printing.LastOutcome().Error;
        if (!printing.LastOutcome().Aborted)
            Interaction::Current().ShowError(QStringLiteral("Unable to export the sheet as ") + path
                                             + (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
    }
    return written;
}

bool TDocumentCommands::mnuExportPrintShopClick()
{
    FileChoice choice;
    choice.title = QStringLiteral("Export for Print Shop");
    choice.filter = QStringLiteral("PDF File (*.pdf *.PDF)");
    choice.folder = ProgramFolder();
    choice.fileName = (fileName.isEmpty() ? QStringLiteral("Card") : QFileInfo(fileName).completeBaseName())
                      + QStringLiteral(" print shop.pdf");
    choice.defaultSuffix = QStringLiteral("pdf");
    // Bleed and crop marks first, as last chosen; then where the file goes.
    const TSettings settings;
    TPrintShopPreferences kept = settings.LoadPrintShop();
    const bool metric = PrefersMillimetres(layout.UseMM);
    TPrintShopDialog dialog(metric, owner);
    dialog.SetOptions(TPrintShopOptions{
        kept.BleedHundredthsMm < 0 ? DefaultBleedMm(metric) : kept.BleedHundredthsMm / 100.0, kept.CropMarks });
    dialog.SetCardSize(design.Rotated() ? QSizeF(layout.Height, layout.Width) : QSizeF(layout.Width, layout.Height));
    const QString backPath = fileName.isEmpty() ? QString() : BackDesignPath(fileName);
    if (!backPath.isEmpty() && QFileInfo(backPath).isFile())
        dialog.SetBackFile(QFileInfo(backPath).fileName());
    CentreForm(dialog);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    const TPrintShopOptions options = dialog.Options();
    const QString path = Interaction::Current().ChooseSaveFile(choice);
    if (path.isEmpty())
        return false;
    kept.BleedHundredthsMm = int(std::lround(options.BleedMm * 100));
    kept.CropMarks = options.CropMarks;
    try {
        settings.SavePrintShop(kept);
    } catch (const std::exception&) {
        // The choice is not remembered; the export goes on.
    }
    try {
        // The back, read into a card of its own as the batch tool reads one.
        std::unique_ptr<TDesignModel> back;
        TPrintShopBack backSide;
        if (dialog.WithBack()) {
            back = std::make_unique<TDesignModel>();
            back->SetDeletesTemporaryFiles(false);
            CreateMasterRichText(*back);
            ApplyProgramSettings(*back, settings.LoadPreferences().DefaultFont, settings.LoadPersonalInfo());
            TCardLayout backLayout = layout;
            ReadDesign(*back, backPath, backLayout, backSide.BackgroundFile);
            backSide.Design = back.get();
        }
        WritePrintShopPdf(design, layout, backgroundFile, path, options, backSide);
    } catch (const std::exception&) {
        Interaction::Current().ShowError(QStringLiteral("Unable to export the card as ") + path + QLatin1Char('\n')
                                         + DescribeCurrentException());
        return false;
    }
    ShowInfo(QStringLiteral("Saved as ") + path);
    return true;
}

// --- Edit menu ------------------------------------------------------------------------------

void TDocumentCommands::mnuUndoClick()
{
    design.Frame().ClearSelection();
    loading = true;
    try {
        history->Undo();
    } catch (...) {
        loading = false;
        throw;
    }
    loading = false;
    emit UndoStateChanged();
}

void TDocumentCommands::mnuRedoClick()
{
    loading = true;
    try {
        history->Redo();
    } catch (...) {
        loading = false;
        throw;
    }
    loading = false;
    emit UndoStateChanged();
}

void TDocumentCommands::mnuSelectAllClick()
{
    design.SelectAll();
}

void TDocumentCommands::SaveCurrentLayoutasDefault1Click()
{
    if (!AskYesNo(QStringLiteral("Save the current card layout as your default layout?"), QStringLiteral("Card Layout")))
        return;
    try {
        TSettings().SaveLayoutPreferences(layout);
    } catch (const Exception& e) {
        Interaction::Current().ShowError(e.message());
    }
}

void TDocumentCommands::ChangeCardLayout1Click()
{
    if (!EditCardLayout(layout, owner))
        return;
    design.SetRotated(layout.Portrait);
    SetCardSizeFromInches();
    SetCardOrientation(design.Rotated());
    SetChangesMade(true);
}

void TDocumentCommands::SetCardSizeFromInches()
{
    bv::SetCardSizeFromInches(design, layout);
    emit CardResized();
}

void TDocumentCommands::SetCardOrientation(bool rotated)
{
    bv::SetCardOrientation(design, layout, rotated, backgroundFile);
    emit CardResized();
}

} // namespace bv
