#include "surface/BusinessCardPanel.h"
#include "surface/GraphicControl.h"

namespace bv {

TGBusinessCardPanel32::TGBusinessCardPanel32(QWidget* parent) : TGBasePanel(parent)
{
    // The values the main window's form gives its card panel.
    resize(343, 191);
    SetShape(lsRectangle);
    SetDrawOutline(true);
    SetZoom(1.0f);
}

void TGBusinessCardPanel32::SetPanelState(TLPanelState value)
{
    if (value == panelState)
        return;
    panelState = value;
    SetPointing(value == psPointing);
    SetScreenCursor(value == psPointing ? crDefault : crDrag);
}

bool TGBusinessCardPanel32::HasCreator(TLPanelState state)
{
    const TObjectTool* tool = FindTool(state);
    return tool && tool->create;
}

void TGBusinessCardPanel32::CreateObjectInRect(const TRect& band)
{
    TRect r = band;
    if (r.Right - r.Left < 25)
        r.Right = r.Left + 50;
    if (r.Bottom - r.Top < 15)
        r.Bottom = r.Top + 15;
    if (panelState == psPointing)
        return;
    const TObjectTool* tool = FindTool(panelState);
    if (!tool || !tool->create)
        return;
    // The registry may change while the tool's dialog runs; the creator is
    // called from a copy.
    const ObjectCreator create = tool->create;
    create(*this, r);
}

} // namespace bv
