#pragma once
// The card being edited: a white widget sized like the card that shows the
// design (TDesignModel: objects, selection, zoom, card size and settings,
// commands; the panel makes one and is its view),
// paints the background art, outline and dot grid under the objects and
// routes every mouse and key event to the objects, the selection frame and
// its own rubber band. The design's published names stay callable here and
// go to the model.
#include "surface/DesignModel.h"
#include "surface/DesignView.h"

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

class TGBasePanel : public QWidget, public NameRegistry, public TDesignView {
    Q_OBJECT
public:
    explicit TGBasePanel(QWidget* parent = nullptr);
    ~TGBasePanel() override;

    // The design this panel shows.
    TDesignModel& Model() { return *model; }
    const TDesignModel& Model() const { return *model; }

    // --- children (the model's) ---------------------------------------------------
    const QList<TGGraphicControl*>& Objects() const { return model->Objects(); }
    int ObjectCount() const { return model->ObjectCount(); }
    TGGraphicControl* FindObject(const QString& name) const { return model->FindObject(name); }
    TGGraphicControl* ObjectAt(int x, int y) const { return model->ObjectAt(x, y); }
    void BringObjectToFront(TGGraphicControl* object) { model->BringObjectToFront(object); }
    void SendObjectToBack(TGGraphicControl* object) { model->SendObjectToBack(object); }
    // The card's size is the model's: resizing the panel resizes the card,
    // and the panel follows the model's size.
    void resize(int w, int h) { model->SetCardSize(QSize(w, h)); }
    void resize(const QSize& size) { model->SetCardSize(size); }
    // The view's side of an object leaving the design.
    void ForgetObject(TGGraphicControl* object) override;

    TGHandle& Handle() { return model->Frame(); }
    const TGHandle& Handle() const { return model->Frame(); }

    // --- owner and names ---------------------------------------------------------
    NameRegistry& Owner() const { return model->Owner(); }
    void SetOwner(NameRegistry* registry) { model->SetOwner(registry); }
    bool IsNameTaken(const QString& name) const override { return model->IsNameTaken(name); }
    QString UniqueName(const QString& prefix) const { return model->UniqueName(prefix); }

    // --- published state -----------------------------------------------------
    Single Zoom() const { return model->Zoom(); }
    void SetZoom(Single x) { model->SetZoom(x); }
    bool Zooming() const { return model->Zooming(); }
    bool DrawOutline() const { return model->DrawOutline(); }
    void SetDrawOutline(bool value) { model->SetDrawOutline(value); }
    TLabelShapeType Shape() const { return model->Shape(); }
    void SetShape(TLabelShapeType value) { model->SetShape(value); }
    // The corner radius of the card stock's cards in inches (0: the outline
    // follows Shape); the outline shows it.
    double CornerRadiusInches() const { return model->CornerRadiusInches(); }
    void SetCornerRadiusInches(double value) { model->SetCornerRadiusInches(value); }
    TGridSize GridSize() const { return model->GridSize(); }
    void SetGridSize(TGridSize value) { model->SetGridSize(value); }
    bool ShowGrid() const { return model->ShowGrid(); }
    void SetShowGrid(bool value) { model->SetShowGrid(value); }
    bool SnapToGrid() const { return model->SnapToGrid(); }
    void SetSnapToGrid(bool value) { model->SetSnapToGrid(value); }
    const QImage& Picture() const { return model->Picture(); }
    void SetPicture(const QImage& value) { model->SetPicture(value); }
    const QImage& ColorPicture() const { return model->ColorPicture(); }
    void SetColorPicture(const QImage& value) { model->SetColorPicture(value); }
    const Metafile& ColorMetafile() const { return model->ColorMetafile(); }
    void DrawBackgroundArt(QPainter& p, int w, int h) const { model->DrawBackgroundArt(p, w, h); }
    bool Rotated() const { return model->Rotated(); }
    void SetRotated(bool value) { model->SetRotated(value); }
    const TFont& PanelFont() const { return model->PanelFont(); }
    void SetPanelFont(const TFont& value) { model->SetPanelFont(value); }
    const QString& ClipboardPath() const { return model->ClipboardPath(); }
    const QString& TempFilePath() const { return model->TempFilePath(); }
    bool DeletesTemporaryFiles() const { return model->DeletesTemporaryFiles(); }
    void SetDeletesTemporaryFiles(bool value) { model->SetDeletesTemporaryFiles(value); }

    // --- view state -------------------------------------------------------------
    // The pointer tool is active (else a drawing tool: a band creates).
    bool Pointing() const { return pointing; }
    void SetPointing(bool value) { pointing = value; }
    // The model's drawing state.
    bool Printing() const { return model->Printing(); }
    void SetPrinting(bool value) { model->SetPrinting(value); }
    bool PreviewMode() const { return model->PreviewMode(); }
    void SetPreviewMode(bool value) { model->SetPreviewMode(value); }
    bool SuppressPainting() const { return model->SuppressPainting(); }
    void SetSuppressPainting(bool value) { model->SetSuppressPainting(value); }

    // --- operations (the model's) ---------------------------------------------------
    void SignalChanged() { model->SignalChanged(); }
    void AttachObject(TGGraphicControl* object) { model->AttachObject(object); }
    void AttachAll() { model->AttachAll(); }
    void AddObject(TGGraphicControl* object, const TRect& r) { model->AddObject(object, r); }
    void SaveToFile(const QString& path) { model->SaveToFile(path); }
    void LoadFromFile(const QString& path) { model->LoadFromFile(path); }
    void ClearAll() { model->ClearAll(); }
    void ClearBackground() { model->ClearBackground(); }
    void LoadBackground(const QString& path) { model->LoadBackground(path); }
    void PurgeStrayObjects() { model->PurgeStrayObjects(); }
    void PrintObjects(TPageEngine& report, double left, double top) { model->PrintObjects(report, left, top); }
    void SelectionClipboard(int action) { model->SelectionClipboard(action); }
    void ObjectClipboard(TGGraphicControl* object, int action) { model->ObjectClipboard(object, action); }
    virtual void CreateObjectInRect(const TRect& r) { Q_UNUSED(r); }
    void FreeObjectLater(TGGraphicControl* object) { model->FreeObjectLater(object); }

    // --- context-menu commands (the model's) -------------------------------------------
    void BringSelectionToFrontCommand() { model->BringSelectionToFrontCommand(); }
    void SendSelectionToBackCommand() { model->SendSelectionToBackCommand(); }
    void AlignLeft() { model->AlignLeft(); }
    void AlignRight() { model->AlignRight(); }
    void AlignTops() { model->AlignTops(); }
    void AlignBottoms() { model->AlignBottoms(); }
    void CenterSelectionVertically() { model->CenterSelectionVertically(); }
    void CenterSelectionHorizontally() { model->CenterSelectionHorizontally(); }
    void LockAll() { model->LockAll(); }
    void UnlockAll() { model->UnlockAll(); }
    void MarkAllSelectable() { model->MarkAllSelectable(); }
    void MarkAllUnselectable() { model->MarkAllUnselectable(); }
    void SelectAll() { model->SelectAll(); }
    void ChooseFontForSelection() { model->ChooseFontForSelection(); }
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
    void SelectInRect(const TRect& r, bool shift) { model->SelectInRect(r, shift); }
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
    void PostRefitRequest() override;
    int PendingRefitRequests() const { return pendingRefits; }

    // --- cursor and painting support -----------------------------------------------
    int ScreenCursor() const { return screenCursor; }
    void SetScreenCursor(int number);
    // The panel's canvas while it paints (untranslated), else nullptr.
    QPainter* PanelCanvas() const override { return panelCanvas; }
    // XOR-style rubber outlines, painted over everything; nullopt removes.
    enum class Outline { Drag, Nudge, Band };
    void SetOutline(Outline kind, std::optional<TRect> r);
    std::optional<TRect> CurrentOutline(Outline kind) const { return outlines[static_cast<int>(kind)]; }
    // Paints the whole card as the screen shows it into an image.
    QImage RenderScreen();
    // Asks for the card (or a part of it) to be painted again. Everything
    // that changes what the card shows goes through these, so that steps
    // that only move a rubber outline can reuse the painted card.
    void RepaintCard() override;
    void RepaintCard(const QRect& r) override;
    void RepaintCardNow(const QRect& r) override;
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

    std::unique_ptr<TDesignModel> model;
    bool pointing = true;
    std::unique_ptr<QMenu> contextMenu;
    QList<QAction*> menuItems;
    bool bandActive = false;
    TRect bandRect;

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
