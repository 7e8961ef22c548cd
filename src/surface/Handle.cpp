#include "surface/Handle.h"

#include "platform/Clock.h"
#include "surface/BasePanel.h"
#include "surface/DesignModel.h"
#include "surface/GraphicControl.h"

#include <QMenu>
#include <algorithm>
#include <cstdlib>

namespace bv {

TGHandle::TGHandle(TDesignModel& owner) : model(owner) {}

// --- bounds -------------------------------------------------------------------------

void TGHandle::FitBounds(int l, int t, int w, int h)
{
    if (l == left && t == top && w == width && h == height)
        return;
    model.RepaintCard(QRect(left - 1, top - 1, width + 2, height + 2));
    left = l;
    top = t;
    width = w;
    height = h;
    model.RepaintCard(QRect(left - 1, top - 1, width + 2, height + 2));
}

void TGHandle::SetBounds(int nl, int nt, int nw, int nh)
{
    const int l = left;
    const int t = top;
    const int w = width;
    const int h = height;
    const QList<TGGraphicControl*> chosen = selection;
    for (TGGraphicControl* o : chosen) {
        if (o->Locked())
            continue;
        // A frame shrunk to its 5-pixel minimum must not leave an object
        // without area: it could never be picked again and would be purged
        // as a stray object at the next save.
        o->SetBounds(nl + o->Left() - l, nt + o->Top() - t, std::max(1, nw + o->Width() - w),
            std::max(1, nh + o->Height() - h));
    }
    FitBounds(nl, nt, nw, nh);
}

void TGHandle::SetVisible(bool value)
{
    if (visible == value)
        return;
    visible = value;
    model.RepaintCard();
}

// A new step is remembered for snapping; it only takes effect at once while
// snapping is on, so changing the grid size never switches snapping on behind
// the "Snap to Grid" setting's back.
void TGHandle::SetGridX(int value)
{
    value = std::clamp(value, 1, 32);
    if (value == storedGridX)
        return;
    storedGridX = value;
    if (SnapToGrid())
        gridX = value;
    model.RepaintCard();
}

void TGHandle::SetGridY(int value)
{
    value = std::clamp(value, 1, 32);
    if (value == storedGridY)
        return;
    storedGridY = value;
    if (SnapToGrid())
        gridY = value;
    model.RepaintCard();
}

void TGHandle::SetSnapToGrid(bool value)
{
    if (value) {
        gridX = storedGridX;
        gridY = storedGridY;
    } else {
        gridX = 1;
        gridY = 1;
    }
}

// --- selection -------------------------------------------------------------------

void TGHandle::AddToSelection(TGGraphicControl* object)
{
    if (object && object->Unselectable())
        return;
    pressTime = GetTickCount();
    if (!object || selection.contains(object))
        return;
    if (view)
        view->SetScreenCursor(crHandGrab);
    if (!selection.isEmpty()) {
        const int l = std::min(left, object->Left() - 2);
        const int t = std::min(top, object->Top() - 2);
        const int r = std::max(left + width - 3, object->Left() + object->Width());
        const int b = std::max(top + height - 3, object->Top() + object->Height());
        FitBounds(l, t, r - l + 3, b - t + 3);
    } else {
        dragFrame = {};
        enabled = true;
        SetVisible(true);
        FitBounds(object->Left() - 2, object->Top() - 2, object->Width() + 5, object->Height() + 5);
    }
    selection.append(object);
    zone = 0;
    if (view) {
        view->CaptureToFrame();
        // The frame takes the keyboard so that arrow keys nudge the selection.
        if (view->isVisible())
            view->setFocus(Qt::OtherFocusReason);
    }
    model.RepaintCard();
}

void TGHandle::refitFromScratch()
{
    if (selection.isEmpty())
        return;
    TGGraphicControl* first = selection.first();
    int l = first->Left() - 2;
    int t = first->Top() - 2;
    int w = first->Width() + 3;
    int h = first->Height() + 3;
    for (TGGraphicControl* o : selection) {
        const int nl = std::min(l, o->Left() - 2);
        const int nt = std::min(t, o->Top() - 2);
        const int r = std::max(l + w - 3, o->Left() + o->Width());
        const int b = std::max(t + h - 3, o->Top() + o->Height());
        l = nl;
        t = nt;
        w = r - l + 3;
        h = b - t + 3;
    }
    FitBounds(l, t, w, h);
}

void TGHandle::RemoveFromSelection(TGGraphicControl* object)
{
    selection.removeAll(object);
    if (selection.isEmpty()) {
        locked = false;
        enabled = false;
        SetVisible(false);
        dragFrame = {};
    } else {
        refitFromScratch();
    }
    model.RepaintCard();
}

void TGHandle::ClearSelection()
{
    selection.clear();
    locked = false;
    SetVisible(false);
    FitBounds(left, top, 24, 24);
    enabled = false;
    dragFrame = {};
    model.RepaintCard();
}

TGGraphicControl* TGHandle::Selected(int i) const
{
    if (i < 0 || i >= selection.size())
        return nullptr;
    return selection[i];
}

int TGHandle::IndexOf(const TGGraphicControl* object) const
{
    for (int i = 0; i < selection.size(); ++i)
        if (selection[i] == object)
            return i;
    return -1;
}

bool TGHandle::HitSelected(int x, int y) const
{
    return SelectedAt(x, y) != nullptr;
}

TGGraphicControl* TGHandle::SelectedAt(int x, int y) const
{
    for (TGGraphicControl* o : selection) {
        const TRect r(o->Left() - 2, o->Top() - 2, o->Left() + o->Width() + 2, o->Top() + o->Height() + 2);
        if (r.Contains(x, y))
            return o;
    }
    return nullptr;
}

void TGHandle::BringSelectionToFront()
{
    if (selection.isEmpty() || locked)
        return;
    for (TGGraphicControl* o : selection)
        model.BringObjectToFront(o);
}

void TGHandle::SendSelectionToBack()
{
    if (selection.isEmpty() || locked)
        return;
    for (TGGraphicControl* o : selection)
        model.SendObjectToBack(o);
}

void TGHandle::Refit()
{
    if (selection.isEmpty())
        return;
    int l = selection.first()->Left();
    int t = selection.first()->Top();
    int r = l + selection.first()->Width();
    int b = t + selection.first()->Height();
    for (TGGraphicControl* o : selection) {
        l = std::min(l, o->Left());
        t = std::min(t, o->Top());
        r = std::max(r, o->Left() + o->Width());
        b = std::max(b, o->Top() + o->Height());
    }
    FitBounds(l - 2, t - 2, r - l + 6, b - t + 6);
    model.RepaintCard();
}

// --- dragging ---------------------------------------------------------------------

TBounds TGHandle::NewBounds(int x, int y) const
{
    const int L = left;
    const int T = top;
    const int W = width;
    const int H = height;
    TBounds b { L, T, W, H };
    switch (zone) {
    case 0:
        b.Left = SnapX(x + L - originX);
        b.Top = SnapY(y + T - originY);
        break;
    case 1:
        b.Left = SnapX(x + L - originX);
        b.Top = SnapY(y + T - originY);
        b.Width = W + L - b.Left;
        b.Height = H + T - b.Top;
        break;
    case 2:
        b.Top = SnapY(y + T - originY);
        b.Width = SnapX(x + W - originX) - 1;
        b.Height = H + T - b.Top;
        break;
    case 3:
        b.Left = SnapX(x + L - originX);
        b.Width = W + L - b.Left;
        b.Height = SnapY(y + H - originY) - 1;
        break;
    case 4:
        b.Width = SnapX(x + W - originX) - 1;
        b.Height = SnapY(y + H - originY) - 1;
        break;
    case 5:
        b.Top = SnapY(y + T - originY);
        b.Height = H + T - b.Top;
        break;
    case 6:
        b.Left = SnapX(x + L - originX);
        b.Width = W + L - b.Left;
        break;
    case 7:
        b.Height = SnapY(y + H - originY) - 1;
        break;
    case 8:
        b.Width = SnapX(x + W - originX) - 1;
        break;
    default:
        break;
    }
    if (b.Width < 5)
        b.Width = 5;
    if (b.Height < 5)
        b.Height = 5;
    return b;
}

void TGHandle::showDragOutline(bool wanted, int x, int y)
{
    if (!view)
        return;
    if (!dragFrame.IsZero())
        view->SetOutline(TGBasePanel::Outline::Drag, std::nullopt);
    dragFrame = {};
    if (!wanted)
        return;
    const TBounds b = NewBounds(x, y);
    view->SetOutline(TGBasePanel::Outline::Drag,
        TRect(b.Left + 2, b.Top + 2, b.Left + b.Width - 3, b.Top + b.Height - 3));
    dragFrame = b;
}

void TGHandle::clampToPanel(int& x, int& y) const
{
    x = std::clamp(x, -left, model.CardWidth() - left);
    y = std::clamp(y, -top, model.CardHeight() - top);
}

namespace {
// Zone under (x, y) of a w × h frame and its cursor; later tests override.
int zoneAt(int x, int y, int w, int h, int& cursor)
{
    int z = 0;
    const double hw = w * 0.5;
    const double hh = h * 0.5;
    auto near = [](double a, double b, double d) { return std::abs(a - b) < d; };
    if (near(x, 0, 8) && near(y, 0, 8)) { z = 1; cursor = crSizeNWSE; }
    if (near(x, w, 8) && near(y, h, 8)) { z = 4; cursor = crSizeNWSE; }
    if (near(x, w, 8) && near(y, 0, 8)) { z = 2; cursor = crSizeNESW; }
    if (near(x, 0, 8) && near(y, h, 8)) { z = 3; cursor = crSizeNESW; }
    if (near(x, hw, 6) && near(y, 0, 8)) { z = 5; cursor = crSizeNS; }
    if (near(x, hw, 6) && near(y, h, 8)) { z = 7; cursor = crSizeNS; }
    if (near(y, hh, 6) && near(x, 0, 8)) { z = 6; cursor = crSizeWE; }
    if (near(y, hh, 6) && near(x, w, 8)) { z = 8; cursor = crSizeWE; }
    return z;
}
} // namespace

void TGHandle::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    // Gestures come from the view that shows the design.
    if (!view)
        return;
    pressTime = GetTickCount();
    if (view->Pointing() && button == Qt::LeftButton
        && (HitSelected(x + left, y + top) || !selection.isEmpty())) {
        if (!locked) {
            originX = x;
            originY = y;
            dragging = true;
        }
        view->HandleMouseDown(button, shift, x, y);
        return;
    }
    if (button == Qt::RightButton) {
        if (HitSelected(x + left, y + top) && selection.size() == 1)
            view->PopupMenu(selection.first()->ContextMenu());
        else
            view->PopupMenu(menu);
        return;
    }
    view->SetScreenCursor(crDefault);
    view->PassPressBelowFrame(button, shift, x + left, y + top);
}

void TGHandle::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y)
{
    if (!view)
        return;
    if (doubleClicked) {
        dragging = false;
        doubleClicked = false;
    }
    if (!view->Pointing()) {
        view->SetScreenCursor(crDrag);
        view->TranslateMouseMove(nullptr, shift, x, y);
        return;
    }
    if ((buttons & Qt::LeftButton) && !dragging && !locked) {
        if (pressTime > 0 && GetTickCount() - pressTime > 10) {
            originX = x;
            originY = y;
            dragging = true;
        }
        view->TranslateMouseMove(nullptr, shift, x, y);
        return;
    }
    if (!(buttons & Qt::LeftButton))
        view->ReleaseFrameCapture();
    int cursor = dragging ? view->ScreenCursor() : crHandGrab;
    int z = 0;
    if (selection.size() == 1) {
        int zc = cursor;
        z = zoneAt(x, y, width, height, zc);
        if (z != 0)
            cursor = zc;
    }
    if (locked)
        cursor = crNoDrop;
    if (dragging) {
        clampToPanel(x, y);
        showDragOutline(true, x, y);
    } else {
        zone = z;
    }
    view->SetScreenCursor(cursor);
    view->TranslateMouseMove(nullptr, shift, x, y);
}

void TGHandle::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (!view)
        return;
    if (dragging && GetTickCount() - pressTime < 150) {
        // A quick click never moves anything.
        originX = x;
        originY = y;
    }
    pressTime = 0;
    if (!dragging || button != Qt::LeftButton) {
        view->PassReleaseBelowFrame(button, shift, x + left, y + top);
    } else {
        clampToPanel(x, y);
        if (x != originX || y != originY) {
            model.RepaintCard();
            const TBounds b = NewBounds(x, y);
            SetBounds(b.Left, b.Top, b.Width, b.Height);
        }
        showDragOutline(false, x, y);
        dragging = false;
        view->SetScreenCursor(crDefault);
        view->ReleaseFrameCapture();
        view->TranslateMouseUp(nullptr, button, shift, x, y);
    }
    model.RepaintCard();
}

void TGHandle::DblClick()
{
    if (!view)
        return;
    doubleClicked = true;
    view->SelectionDblClick(nullptr);
}

void TGHandle::MouseLeave()
{
    if (!view)
        return;
    if (!dragging)
        view->SetScreenCursor(view->Pointing() ? crDefault : crDrag);
}

// --- keys -------------------------------------------------------------------------

void TGHandle::KeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (!view)
        return;
    if (nudging)
        view->SetOutline(TGBasePanel::Outline::Nudge, std::nullopt);
    if (key >= 37 && key <= 40) {
        if (!nudging) {
            nudging = true;
            nudgeRect = TRect(left + 2, top + 2, left + width - 3, top + height - 3);
        }
        TRect& n = nudgeRect;
        const int w = n.Right - n.Left + 1;
        const int h = n.Bottom - n.Top + 1;
        const bool resize = (shift & Qt::ShiftModifier) && selection.size() == 1;
        auto move = [&n](int dx, int dy) {
            n.Left += dx;
            n.Right += dx;
            n.Top += dy;
            n.Bottom += dy;
        };
        switch (key) {
        case 37:
            if (resize) {
                if (w > 10)
                    n.Right -= 1;
            } else if (n.Left > 0) {
                move(-1, 0);
            }
            break;
        case 38:
            if (resize) {
                if (h > 10)
                    n.Bottom -= 1;
            } else if (n.Top > 0) {
                move(0, -1);
            }
            break;
        case 39:
            if (w + n.Left <= model.CardWidth()) {
                if (resize)
                    n.Right += 1;
                else
                    move(1, 0);
            }
            break;
        case 40:
            if (h + n.Top <= model.CardHeight()) {
                if (resize)
                    n.Bottom += 1;
                else
                    move(0, 1);
            }
            break;
        default:
            break;
        }
    }
    view->PanelKeyDown(key, shift);
    if (nudging)
        view->SetOutline(TGBasePanel::Outline::Nudge, nudgeRect);
}

void TGHandle::KeyUp(int key, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(key);
    Q_UNUSED(shift);
    if (!nudging || !view)
        return;
    view->SetOutline(TGBasePanel::Outline::Nudge, std::nullopt);
    nudging = false;
    const TRect n = nudgeRect;
    SetBounds(n.Left - 2, n.Top - 2, n.Right - n.Left + 5, n.Bottom - n.Top + 5);
    model.RepaintCard();
}

void TGHandle::Paint()
{
    for (TGGraphicControl* o : selection)
        o->DrawSelectionSquares();
}

} // namespace bv
