#include "surface/BusinessCardPanel.h"
#include "platform/SafeFile.h"

#include "platform/AtomicFile.h"
#include "platform/MergeSource.h"
#include "platform/ProfileFile.h"
#include "surface/GraphicControl.h"
#include "surface/TemplateFile.h"

#include <QPainter>
#include <algorithm>

namespace bv {

TGBusinessCardPanel32::TGBusinessCardPanel32(QWidget* parent) : TGBasePanel(parent)
{
    // The values the main window's form gives its card panel.
    resize(343, 191);
    SetShape(lsRectangle);
    SetDrawOutline(true);
    SetZoom(1.0f);
}

void TGBusinessCardPanel32::SetMergeTable(std::shared_ptr<const TMergeTable> table)
{
    mergeTable = std::move(table);
    SetMergeRecord(-1);
}

void TGBusinessCardPanel32::SetMergeRecord(int record, bool repaint)
{
    if (!mergeTable || record < 0 || record >= mergeTable->RecordCount())
        record = -1;
    if (record == mergeRecord)
        return;
    mergeRecord = record;
    if (repaint)
        RepaintCard();
}

void TGBusinessCardPanel32::SetPersonalInfo(const TPersonalInfo& value)
{
    if (value == personalInfo)
        return;
    personalInfo = value;
    // A copy: an object may change the design while it follows.
    const QList<TGGraphicControl*> objects = Objects();
    for (TGGraphicControl* o : objects)
        o->PersonalInfoChanged(personalInfo);
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

void TGBusinessCardPanel32::KeepInCard(TGGraphicControl& object) const
{
    const int w = std::min(object.Width(), std::max(1, width()));
    const int h = std::min(object.Height(), std::max(1, height()));
    const int l = std::clamp(object.Left(), 0, std::max(0, width() - w));
    const int t = std::clamp(object.Top(), 0, std::max(0, height() - h));
    if (l != object.Left() || t != object.Top() || w != object.Width() || h != object.Height())
        object.SetBounds(l, t, w, h);
}

QImage TGBusinessCardPanel32::RenderToBitmap()
{
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawBackgroundArt(p, width(), height());
    const QList<TGGraphicControl*> snapshot = Objects();
    for (TGGraphicControl* o : snapshot) {
        if (!o->Visible())
            continue;
        p.save();
        p.setClipRect(QRect(o->Left(), o->Top(), o->Width(), o->Height()));
        try {
            o->PaintAt(p, o->Left(), o->Top());
        } catch (const std::exception&) {
            // One object that cannot paint must not stop the card from painting.
        }
        p.restore();
    }
    return image;
}

QString TGBusinessCardPanel32::ImportTemplate(const QString& path)
{
    // A template that cannot be read fails here with its reason, rather than
    // reading as an empty template that starts an empty design.
    return ReadTemplate(*this, ProfileText(ReadOutsideFileOrThrow(path, MaxProfileFileBytes)));
}

void TGBusinessCardPanel32::ExportTemplate(const QString& path, const QString& backgroundPath)
{
    WriteFileAtomically(path, TemplateText(*this, backgroundPath).Bytes());
}

} // namespace bv
