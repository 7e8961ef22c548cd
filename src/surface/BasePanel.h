#pragma once
// The card being edited: a white panel sized like the card that owns the
// design objects in a z-ordered list (first = bottom), paints the background
// art, outline and dot grid under them, zooms, carries the commands that act
// on the selection and routes every mouse and key event to the objects, the
// selection frame and its own rubber band.
#include "platform/Metafile.h"
#include "platform/Numeric.h"
#include "surface/Drawing.h"
#include "surface/NameRegistry.h"

#include <QImage>
#include <QRegion>
#include <QList>
#include <QWidget>
#include <memory>
#include <optional>

class QMenu;
class QAction;

namespace bv {

class TGGraphicControl;
class TGHandle;
class TPageEngine;

enum TLabelShapeType { lsRectangle, lsRoundRect, lsEllipse };
enum TGridSize { gs4x4, gs8x8 };

// Actions of SelectionClipboard / ObjectClipboard.
constexpr int caCut = 0;
constexpr int caCopy = 1;
constexpr int caPaste = 2;
constexpr int caDelete = 3;

// Cursor numbers of the design surface (see Cursors.h for their shapes).
constexpr int crDefault = 0;
constexpr int crHandGrab = 6;
constexpr int crSizeNESW = -6;
constexpr int crSizeNS = -7;
constexpr int crSizeNWSE = -8;
constexpr int crSizeWE = -9;
constexpr int crHandPoint = -10;
constexpr int crDrag = -12;
constexpr int crNoDrop = -13;

class TGBasePanel : public QWidget, public NameRegistry {
    Q_OBJECT
public:
    explicit TGBasePanel(QWidget* parent = nullptr);
    ~TGBasePanel() override;

    // --- children ---------------------------------------------------------------
    // Design objects in z-order, bottom first. The selection frame is not one.
    const QList<TGGraphicControl*>& Objects() const { return objects; }
    int ObjectCount() const { return static_cast<int>(objects.size()); }
    TGGraphicControl* FindObject(const QString& name) const;
    // Topmost visible object whose rectangle holds (x, y), or nullptr.
    TGGraphicControl* ObjectAt(int x, int y) const;
    void BringObjectToFront(TGGraphicControl* object);
    void SendObjectToBack(TGGraphicControl* object);
    // Used by TGGraphicControl::SetParent and its destructor only; an object
    // is in the list of the panel that is its Parent() and of no other.
    void InsertObject(TGGraphicControl* object);
    void RemoveObject(TGGraphicControl* object);

    TGHandle& Handle() { return *handle; }
    const TGHandle& Handle() const { return *handle; }

    // --- owner and names ---------------------------------------------------------
    // The registry that answers whether a component name is taken: the main
    // window once it sets itself; until then the panel, which knows its objects.
    NameRegistry& Owner() const { return owner ? *owner : const_cast<TGBasePanel&>(*this); }
    void SetOwner(NameRegistry* registry) { owner = registry; }
    bool IsNameTaken(const QString& name) const override;
    // prefix + the lowest n in 1..1000 whose name is free; empty when none.
    QString UniqueName(const QString& prefix) const;

    // --- published state -----------------------------------------------------
    Single Zoom() const { return zoom; }
    void SetZoom(Single x);
    bool Pointing() const { return pointing; }
    void SetPointing(bool value) { pointing = value; }
    bool Printing() const { return printing; }
    void SetPrinting(bool value) { printing = value; }
    bool DrawOutline() const { return drawOutline; }
    void SetDrawOutline(bool value);
    TLabelShapeType Shape() const { return shape; }
    void SetShape(TLabelShapeType value);
    TGridSize GridSize() const { return gridSize; }
    void SetGridSize(TGridSize value);
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
    // Draws the background art (bitmap or metafile) over (0, 0, w, h).
    void DrawBackgroundArt(QPainter& p, int w, int h) const;
    bool PreviewMode() const { return previewMode; }
    void SetPreviewMode(bool value) { previewMode = value; }
    bool SuppressPainting() const { return suppressPainting; }
    void SetSuppressPainting(bool value) { suppressPainting = value; }
    // Portrait card: the background art is turned a quarter turn on loading.
    bool Rotated() const { return rotated; }
    void SetRotated(bool value) { rotated = value; }
    // Default font for new text and initial font of the "Font" command.
    const TFont& PanelFont() const { return panelFont; }
    void SetPanelFont(const TFont& value) { panelFont = value; }
    const QString& ClipboardPath() const { return clipboardPath; }
    const QString& TempFilePath() const { return tempFilePath; }
    // The clipboard and temporary files live in the program folder, shared by
    // every panel of every process. The program's own card panel deletes them
    // when it goes (true, the default); a panel made for work without a user
    // (the batch tool, samples) is set to false so that it leaves the running
    // program's clipboard alone.
    bool DeletesTemporaryFiles() const { return deletesTemporaryFiles; }
    void SetDeletesTemporaryFiles(bool value) { deletesTemporaryFiles = value; }
    bool Zooming() const { return zooming; }

    // --- operations ---------------------------------------------------------------
    void SignalChanged();
    void AttachObject(TGGraphicControl* object);
    void AttachAll();
    // Adds a newly created object at r (at least 10 × 15), named "Special"+n.
    void AddObject(TGGraphicControl* object, const TRect& r);
    void SaveToFile(const QString& path);
    void LoadFromFile(const QString& path);
    void ClearAll();
    void ClearBackground();
    void LoadBackground(const QString& path);
    virtual void PurgeStrayObjects();
    virtual void PrintObjects(TPageEngine& report, double left, double top);
    void SelectionClipboard(int action);
    void ObjectClipboard(TGGraphicControl* object, int action);
    virtual void AfterLoad() {}
    virtual void CreateObjectInRect(const TRect& r) { Q_UNUSED(r); }

    // Frees an object that one of its own menu commands may still be running
    // for: it leaves the panel at once and is deleted from the event loop.
    void FreeObjectLater(TGGraphicControl* object);

    // --- context-menu commands -----------------------------------------------------
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
    QMenu* ContextMenu() const { return contextMenu.get(); }
    // Recomputes which items of the context menu are enabled.
    void UpdateMenuEnabling();
    // Shows a menu at the mouse cursor (not modal).
    virtual void PopupMenu(QMenu* menu);

    // --- selection handlers (frame and objects) --------------------------------------
    virtual void ObjectMouseDown(TGGraphicControl* object, Qt::MouseButton button,
        Qt::KeyboardModifiers shift, int x, int y);
    // The frame's press event: shift-click toggling.
    void HandleMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Double-click on an object (sender) or on the frame (sender nullptr).
    void SelectionDblClick(TGGraphicControl* sender);
    // The panel's own press, move and release (rubber band), panel coordinates.
    void PanelMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void PanelMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void PanelMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Move and release translators for objects and the frame (positions in the
    // sender's coordinates; sender nullptr is the frame).
    void TranslateMouseMove(TGGraphicControl* sender, Qt::KeyboardModifiers shift, int x, int y);
    void TranslateMouseUp(TGGraphicControl* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
        int x, int y);
    void SelectInRect(const TRect& r, bool shift);
    // The frame passes a press or release on to what lies below it (panel
    // coordinates): the object under the point, else the card.
    void PassPressBelowFrame(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void PassReleaseBelowFrame(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Position of the mouse cursor as last seen by the panel.
    QPoint LastMousePos() const { return lastMousePos; }
    // The panel's shortcut keys; true when the key was used.
    bool PanelKeyDown(int key, Qt::KeyboardModifiers shift);
    bool RubberBandActive() const { return bandActive; }
    const TRect& RubberBandRect() const { return bandRect; }

    // --- refit request -------------------------------------------------------------
    // Posts the refit request; it is handled from the event loop.
    void PostRefitRequest();
    int PendingRefitRequests() const { return pendingRefits; }

    // --- cursor and painting support -----------------------------------------------
    int ScreenCursor() const { return screenCursor; }
    void SetScreenCursor(int number);
    // The panel's canvas while it paints (untranslated), else nullptr.
    QPainter* PanelCanvas() const { return panelCanvas; }
    // XOR-style rubber outlines, painted over everything; nullopt removes.
    enum class Outline { Drag, Nudge, Band };
    void SetOutline(Outline kind, std::optional<TRect> r);
    std::optional<TRect> CurrentOutline(Outline kind) const { return outlines[static_cast<int>(kind)]; }
    // Paints the whole card as the screen shows it into an image.
    QImage RenderScreen();
    // Asks for the card (or a part of it) to be painted again. Everything
    // that changes what the card shows goes through these, so that steps
    // that only move a rubber outline can reuse the painted card.
    void RepaintCard();
    void RepaintCard(const QRect& r);
    // Mouse capture inside the panel (the frame's capture and the implicit
    // capture of the control that was pressed).
    void CaptureToFrame();
    void ReleaseFrameCapture();
    bool FrameHasCapture() const { return capture == CaptureTarget::Frame; }
    // True while the frame holds the keyboard focus.
    bool FrameFocused() const;

signals:
    // The design changed (silent while zooming).
    void LabelChangedEvent(bv::TGBasePanel* sender);
    // A drawing tool created an object in r.
    void DroppedObjectEvent(const bv::TRect& r);
    // Double-click on the empty panel.
    void DblClick(bv::TGBasePanel* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // Paints background, grid, objects and selection squares onto `painter`
    // (the panel's offscreen image); the rubber outlines go over it later.
    void PaintCard(QPainter& painter);
    void BuildContextMenu();

private:
    enum class CaptureTarget { None, Frame, Object, Panel };
    enum class HoverTarget { Panel, Frame, Object };
    void HandleRefitRequest();
    // Objects just read from a file hold stored (zoom 1.0) geometry: they
    // take the panel's zoom from it.
    void adoptReadObjects(const QList<TGGraphicControl*>& read);
    void handleMousePressEvent(QMouseEvent* event);
    void handleMouseMoveEvent(QMouseEvent* event);
    void handleMouseReleaseEvent(QMouseEvent* event);
    void handleMouseDoubleClickEvent(QMouseEvent* event);
    void handleKeyPressEvent(QKeyEvent* event);
    void handleKeyReleaseEvent(QKeyEvent* event);
    void dispatchPress(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, QPoint p,
        bool skipFrame);
    void dispatchRelease(Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint p, bool skipFrame);
    bool frameTakesMouseAt(QPoint p) const;
    QPainterPath clipPath() const;
    void paintGrid(QPainter& painter);
    void paintOutlines(QImage& image);
    void updateOutline(const TRect& r);

    QList<TGGraphicControl*> objects;
    std::unique_ptr<TGHandle> handle;
    NameRegistry* owner = nullptr;

    Single zoom = 1.0f;
    bool pointing = true;
    QImage picture;
    QImage colorPicture;
    Metafile colorMetafile;
    std::unique_ptr<QMenu> contextMenu;
    QList<QAction*> menuItems;
    TLabelShapeType shape = lsRoundRect;
    bool bandActive = false;
    TGridSize gridSize = gs4x4;
    bool showGrid = false;
    bool snapToGrid = false;
    bool printing = false;
    std::int64_t lastPasteTime = 0;
    bool drawOutline = true;
    bool zooming = false;
    // The card's size at zoom 1.0, and the size the last zoom step gave.
    QSize unzoomedSize;
    QSize zoomedSize;
    bool deletesTemporaryFiles = true;
    QString clipboardPath;
    QString tempFilePath;
    TRect bandRect;
    bool previewMode = false;
    bool suppressPainting = false;
    bool rotated = false;
    TFont panelFont;

    int pendingRefits = 0;
    int screenCursor = crDefault;
    QPainter* panelCanvas = nullptr;
    std::optional<TRect> outlines[3];
    QImage backing;
    QImage cardCache;
    bool cardDirty = true;
    QRegion outlineRegion;
    CaptureTarget capture = CaptureTarget::None;
    TGGraphicControl* captureObject = nullptr;
    HoverTarget hover = HoverTarget::Panel;
    TGGraphicControl* hoverObject = nullptr;
    QPoint lastMousePos;
    bool pressPending = false; // a press arrived and its release has not
};

} // namespace bv
