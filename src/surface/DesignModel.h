#pragma once
// The design on the card, apart from the widget that shows it: the design
// objects in z-order (first = bottom), the selection, the zoom factor with
// the card's size at zoom 1.0, the card's own settings (shape, outline, grid,
// background art, default font), the object clipboard and every command that
// acts on the objects or the selection. The panel widget (TGBasePanel) paints
// what this holds and turns mouse and key events into calls on it; undo
// snapshots it.
//
// The objects are the model's (their Parent()); the card's size in pixels at
// the current zoom is the model's too, and the panel takes it. A model needs
// no widget: the batch tool, print jobs and tests build, edit, read, write
// and print designs with none. A view that shows the model sets itself
// (SetView) to be asked for painting.
#include "pictures/Metafile.h"
#include "platform/Numeric.h"
#include "surface/Drawing.h"
#include "surface/NameRegistry.h"
#include "surface/PersonalInfo.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <map>
#include <memory>
#include <typeindex>

class QPainter;

namespace bv {

class TDesignView;
class TGGraphicControl;
class TGHandle;
class TMergeTable;
class TPageEngine;
class ProfileText;

enum TLabelShapeType { lsRectangle, lsRoundRect, lsEllipse };
enum TGridSize { gs4x4, gs8x8 };

// Actions of SelectionClipboard / ObjectClipboard.
constexpr int caCut = 0;
constexpr int caCopy = 1;
constexpr int caPaste = 2;
constexpr int caDelete = 3;

class TDesignModel : public QObject, public NameRegistry {
    Q_OBJECT
public:
    TDesignModel();
    ~TDesignModel() override;

    // --- the view ----------------------------------------------------------------
    // What shows the design, or nullptr. The view sets itself and clears
    // itself before it goes.
    TDesignView* View() const { return view; }
    void SetView(TDesignView* value) { view = value; }
    // Requests to the view (nothing without one).
    void RepaintCard();
    void RepaintCard(const QRect& r);
    void RepaintCardNow(const QRect& r);
    // An object moved or resized: the selection frame fits it again (from
    // the view's event loop when there is a view, else at once).
    void RequestRefit();

    // --- services ------------------------------------------------------------------
    // Things the program gives the design's objects, found by type (the rich
    // text master that lays out and draws rich text). Not owned; nullptr
    // when not given.
    template <class T>
    void SetService(T* service)
    {
        services[std::type_index(typeid(T))] = service;
    }
    template <class T>
    T* Service() const
    {
        const auto it = services.find(std::type_index(typeid(T)));
        return it == services.end() ? nullptr : static_cast<T*>(it->second);
    }

    // --- card size -----------------------------------------------------------------
    // The card in pixels at the current zoom. Setting it (the card layout, a
    // zoom step) resizes the view.
    QSize CardSize() const { return cardSize; }
    int CardWidth() const { return cardSize.width(); }
    int CardHeight() const { return cardSize.height(); }
    void SetCardSize(QSize size);
    // Moves an object the tools made so that it lies on the card, making it
    // no larger than the card first.
    void KeepInCard(TGGraphicControl& object) const;

    // --- objects -----------------------------------------------------------------
    // Design objects in z-order, bottom first. The selection frame is not one.
    const QList<TGGraphicControl*>& Objects() const { return objects; }
    int ObjectCount() const { return static_cast<int>(objects.size()); }
    TGGraphicControl* FindObject(const QString& name) const;
    // Topmost visible object whose rectangle holds (x, y), or nullptr.
    TGGraphicControl* ObjectAt(int x, int y) const;
    void BringObjectToFront(TGGraphicControl* object);
    void SendObjectToBack(TGGraphicControl* object);
    // An object that names the model as its parent joins the top of the
    // z-order; one that leaves is taken out of the list and the selection.
    void InsertObject(TGGraphicControl* object);
    void RemoveObject(TGGraphicControl* object);
    // Puts the design's objects in this z-order (bottom first); `order`
    // holds exactly the design's objects.
    void SetObjectOrder(const QList<TGGraphicControl*>& order);
    // Frees an object that one of its own menu commands may still be running
    // for: it leaves the design at once and is deleted from the event loop.
    void FreeObjectLater(TGGraphicControl* object);

    // --- selection ---------------------------------------------------------------
    // The selection frame holds the selected objects in the order they were
    // chosen and turns gestures on them into moves and resizes.
    TGHandle& Frame() { return *frame; }
    const TGHandle& Frame() const { return *frame; }
    const QList<TGGraphicControl*>& Selection() const;
    bool HasSelection() const;

    // --- names -------------------------------------------------------------------
    // The registry that answers whether a component name is taken: the main
    // window once it sets itself; until then the model, which knows its objects.
    NameRegistry& Owner() const { return owner ? *owner : const_cast<TDesignModel&>(*this); }
    void SetOwner(NameRegistry* registry) { owner = registry; }
    bool IsNameTaken(const QString& name) const override;
    // prefix + the lowest n in 1..1000 whose name is free; empty when none.
    QString UniqueName(const QString& prefix) const;

    // --- zoom ----------------------------------------------------------------------
    Single Zoom() const { return zoom; }
    // Rescales the card and every object from their zoom-1.0 geometry.
    void SetZoom(Single x);
    bool Zooming() const { return zooming; }

    // --- card settings --------------------------------------------------------------
    // The corner radius of the card stock's cards in inches (0: the outline
    // follows Shape).
    double CornerRadiusInches() const { return cornerRadiusInches; }
    void SetCornerRadiusInches(double value);
    bool DrawOutline() const { return drawOutline; }
    void SetDrawOutline(bool value);
    TLabelShapeType Shape() const { return shape; }
    void SetShape(TLabelShapeType value);
    TGridSize GridSize() const { return gridSize; }
    void SetGridSize(TGridSize value);
    int GridStep() const { return gridSize == gs4x4 ? 4 : 8; }
    bool ShowGrid() const { return showGrid; }
    void SetShowGrid(bool value);
    bool SnapToGrid() const { return snapToGrid; }
    void SetSnapToGrid(bool value);
    const QImage& Picture() const { return picture; }
    void SetPicture(const QImage& value);
    // The background art; a null image when none.
    const QImage& ColorPicture() const { return colorPicture; }
    void SetColorPicture(const QImage& value);
    // A metafile background, played as vectors over the card (empty when the
    // background is a bitmap or none).
    const Metafile& ColorMetafile() const { return colorMetafile; }
    bool HasBackgroundArt() const { return !colorPicture.isNull() || !colorMetafile.IsEmpty(); }
    // Draws the background art (bitmap or metafile) over (0, 0, w, h).
    void DrawBackgroundArt(QPainter& p, int w, int h) const;
    void ClearBackground();
    void LoadBackground(const QString& path);
    // Puts back background art taken from ColorPicture and ColorMetafile
    // (undo), without reading the file again.
    void SetBackgroundArt(const QImage& bitmap, const Metafile& metafile);
    // Portrait card: the background art is turned a quarter turn on loading.
    bool Rotated() const { return rotated; }
    void SetRotated(bool value) { rotated = value; }
    // Default font for new text and initial font of the "Font" command.
    const TFont& PanelFont() const { return panelFont; }
    void SetPanelFont(const TFont& value) { panelFont = value; }

    // --- personal information and merge ----------------------------------------------
    const TPersonalInfo& PersonalInfo() const { return personalInfo; }
    // Takes the user's personal information; the objects built from it
    // follow a change.
    void SetPersonalInfo(const TPersonalInfo& value);
    // Merge: the records the design's fields are filled from (none: the
    // card shows its texts as typed), and the record the card shows, -1 for
    // the fields as typed. A print job shows each record in turn.
    const TMergeTable* MergeTable() const { return mergeTable.get(); }
    const std::shared_ptr<const TMergeTable>& SharedMergeTable() const { return mergeTable; }
    void SetMergeTable(std::shared_ptr<const TMergeTable> table);
    int MergeRecord() const { return mergeRecord; }
    // Shows a record (or -1); `repaint` false while a job draws cards.
    void SetMergeRecord(int record, bool repaint = true);

    // --- drawing state -----------------------------------------------------------------
    // A print job is drawing the objects (their changes are not edits).
    bool Printing() const { return printing; }
    void SetPrinting(bool value) { printing = value; }
    // A preview job is drawing the objects.
    bool PreviewMode() const { return previewMode; }
    void SetPreviewMode(bool value) { previewMode = value; }
    // Objects skip painting while a template is being built.
    bool SuppressPainting() const { return suppressPainting; }
    void SetSuppressPainting(bool value) { suppressPainting = value; }
    // Background art and every visible object at their current size,
    // without grid, outline or selection marks.
    QImage RenderToBitmap();

    // --- card templates ----------------------------------------------------------------
    // Builds the card template at `path` into the design (a missing file
    // gives nothing) and returns its background picture's file name; sets the
    // rotated flag. A bad colour text raises EConvertError.
    QString ImportTemplate(const QString& path);
    // Writes the design as a card template, replacing the file at once.
    void ExportTemplate(const QString& path, const QString& backgroundPath) const;

    // --- clipboard and temporary files -------------------------------------------------
    const QString& ClipboardPath() const { return clipboardPath; }
    const QString& TempFilePath() const { return tempFilePath; }
    // The clipboard and temporary files live in the program folder, shared by
    // every design of every process. The program's own card deletes them when
    // it goes (true, the default); a design made for work without a user (the
    // batch tool, samples) is set to false so that it leaves the running
    // program's clipboard alone.
    bool DeletesTemporaryFiles() const { return deletesTemporaryFiles; }
    void SetDeletesTemporaryFiles(bool value) { deletesTemporaryFiles = value; }
    void SelectionClipboard(int action);
    void ObjectClipboard(TGGraphicControl* object, int action);

    // --- operations ---------------------------------------------------------------------
    // Reports a design change (silent while zooming).
    void SignalChanged();
    void AttachObject(TGGraphicControl* object);
    void AttachAll();
    // Adds a newly created object at r (at least 10 × 15), named "Special"+n.
    void AddObject(TGGraphicControl* object, const TRect& r);
    void SaveToFile(const QString& path);
    void LoadFromFile(const QString& path);
    void ClearAll();
    // Deletes what lies off the card or has no area.
    void PurgeStrayObjects();
    void PrintObjects(TPageEngine& report, double left, double top);
    // True when an object needs the print job's slow path.
    bool HasEffectObjects() const;
    // Gives every object that follows the card's text font the font name.
    void SetAllFontNames(const QString& name);

    // --- commands on the selection -------------------------------------------------------
    void BringSelectionToFrontCommand();
    void SendSelectionToBackCommand();
    void AlignLeft();
    void AlignRight();
    void AlignTops();
    void AlignBottoms();
    void CenterSelectionVertically();
    void CenterSelectionHorizontally();
    void LockAll();
    void UnlockAll();
    void MarkAllSelectable();
    void MarkAllUnselectable();
    void SelectAll();
    void ChooseFontForSelection();
    // Selects what r touches; with shift, toggles it in the selection.
    void SelectInRect(const TRect& r, bool shift);

signals:
    // The design changed (silent while zooming).
    void Changed();
    // The card's pixel size changed (a zoom step, the card layout).
    void CardResizeRequested(QSize size);

private:
    // Objects just read from a file hold stored (zoom 1.0) geometry: they
    // take the current zoom from it.
    void adoptReadObjects(const QList<TGGraphicControl*>& read);
    void repaint() { RepaintCard(); }
    // Lines the selection up on one side (the four Align commands).
    void alignSelection(Qt::Edge edge);

    TDesignView* view = nullptr;
    std::map<std::type_index, void*> services;
    QSize cardSize;
    QList<TGGraphicControl*> objects;
    std::unique_ptr<TGHandle> frame;
    NameRegistry* owner = nullptr;

    Single zoom = 1.0f;
    bool zooming = false;
    // The card's size at zoom 1.0, and the size the last zoom step gave.
    QSize unzoomedSize;
    QSize zoomedSize;

    QImage picture;
    QImage colorPicture;
    Metafile colorMetafile;
    TLabelShapeType shape = lsRoundRect;
    TGridSize gridSize = gs4x4;
    bool showGrid = false;
    bool snapToGrid = false;
    bool drawOutline = true;
    double cornerRadiusInches = 0;
    bool rotated = false;
    TFont panelFont;
    TPersonalInfo personalInfo;
    std::shared_ptr<const TMergeTable> mergeTable;
    int mergeRecord = -1;
    bool printing = false;
    bool previewMode = false;
    bool suppressPainting = false;

    std::int64_t lastPasteTime = 0;
    bool deletesTemporaryFiles = true;
    QString clipboardPath;
    QString tempFilePath;
};

} // namespace bv
