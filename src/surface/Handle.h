#pragma once
// The selection frame: holds the selected objects in the order they were
// added, lies 2 pixels outside their bounding box above every object, turns
// drags into moves and resizes (with grid snapping), nudges with the arrow
// keys and pops up the context menus. It is a plain object of the design
// model: the selection is the model's; gestures come from the panel that
// shows the model, which hit-tests the frame before the objects while it is
// visible and enabled.
#include "platform/Colors.h"
#include "surface/Drawing.h"

#include <QList>
#include <cstdint>

class QMenu;

namespace bv {

class TDesignModel;
class TGBasePanel;
class TGGraphicControl;

class TGHandle {
public:
    explicit TGHandle(TDesignModel& model);

    // The panel that shows the design and sends the frame its gestures;
    // nullptr without one (gestures then do nothing).
    TGBasePanel* View() const { return view; }
    void SetView(TGBasePanel* value) { view = value; }

    // --- frame bounds (panel coordinates) -----------------------------------------
    int Left() const { return left; }
    int Top() const { return top; }
    int Width() const { return width; }
    int Height() const { return height; }
    TRect BoundsRect() const { return TRect::FromBounds(left, top, width, height); }
    TBounds Bounds() const { return { left, top, width, height }; }
    // Moves and resizes the selection: every unlocked selected object moves and
    // grows by the same amounts as the frame; then the frame takes the bounds.
    void SetBounds(int l, int t, int w, int h);
    // Places the frame without touching the objects.
    void FitBounds(int l, int t, int w, int h);
    bool Visible() const { return visible; }
    void SetVisible(bool value);
    bool Enabled() const { return enabled; }
    void SetEnabled(bool value) { enabled = value; }

    // --- published properties ------------------------------------------------------
    bool Locked() const { return locked; }
    void SetLocked(bool value) { locked = value; }
    TColor Color() const { return color; }
    void SetColor(TColor value) { color = value; }
    TColor SecondaryColor() const { return secondaryColor; }
    void SetSecondaryColor(TColor value) { secondaryColor = value; }
    int GridX() const { return gridX; }
    int GridY() const { return gridY; }
    void SetGridX(int value);
    void SetGridY(int value);
    bool SnapToGrid() const { return gridX > 1 || gridY > 1; }
    void SetSnapToGrid(bool value);
    QMenu* Menu() const { return menu; }
    void SetMenu(QMenu* value) { menu = value; }

    // --- selection ---------------------------------------------------------------------
    void AddToSelection(TGGraphicControl* object);
    void RemoveFromSelection(TGGraphicControl* object);
    void ClearSelection();
    int SelectionCount() const { return static_cast<int>(selection.size()); }
    TGGraphicControl* Selected(int i) const;
    int IndexOf(const TGGraphicControl* object) const;
    bool HasSelection() const { return !selection.isEmpty(); }
    const QList<TGGraphicControl*>& Selection() const { return selection; }
    bool HitSelected(int x, int y) const;
    TGGraphicControl* SelectedAt(int x, int y) const;
    void BringSelectionToFront();
    void SendSelectionToBack();
    void Refit();

    // --- mouse and keys (positions in the frame's own coordinates) ---------------------
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Double-click on the frame: marks it and runs the panel's handler.
    void DblClick();
    // The next mouse move cancels any drag the double-click's press started.
    void MarkDoubleClicked() { doubleClicked = true; }
    void MouseLeave();
    // Arrow keys nudge; every key then goes to the panel's shortcut keys.
    void KeyDown(int key, Qt::KeyboardModifiers shift);
    void KeyUp(int key, Qt::KeyboardModifiers shift);

    // The squares of every selected object, on the panel's canvas.
    void Paint();

    // --- state, for the panel and for inspection ---------------------------------------
    int Zone() const { return zone; }
    bool Dragging() const { return dragging; }
    bool Nudging() const { return nudging; }
    const TRect& NudgeRect() const { return nudgeRect; }
    // Frame bounds (left, top, width, height) of the outline shown while
    // dragging; all zero when none is shown.
    const TBounds& DragFrame() const { return dragFrame; }
    std::int64_t PressTime() const { return pressTime; }

    int SnapX(int v) const { return gridX * (v / gridX); }
    int SnapY(int v) const { return gridY * (v / gridY); }
    // New frame bounds for the pointer at (x, y) in the current zone.
    TBounds NewBounds(int x, int y) const;

private:
    void showDragOutline(bool wanted, int x, int y);
    void clampToPanel(int& x, int& y) const;
    void refitFromScratch();

    TDesignModel& model;
    TGBasePanel* view = nullptr;
    QMenu* menu = nullptr;
    std::int64_t pressTime = 0;
    int originX = 0;
    int originY = 0;
    int zone = 0;
    bool dragging = false;
    bool nudging = false;
    TRect nudgeRect;
    TBounds dragFrame;
    bool locked = false;
    TColor color = clBlack;
    TColor secondaryColor = 8421504;
    int gridX = 1;
    int gridY = 1;
    int storedGridX = 8;
    int storedGridY = 8;
    QList<TGGraphicControl*> selection;
    bool doubleClicked = false;

    int left = 0;
    int top = 0;
    int width = 24;
    int height = 24;
    bool visible = true;
    bool enabled = false;
};

} // namespace bv
