#include "surface/BusinessCardPanel.h"

#include "platform/AtomicFile.h"
#include "platform/MergeSource.h"
#include "platform/ProfileFile.h"
#include "surface/GraphicControl.h"
#include "surface/TemplateFile.h"

#include <QPainter>
#include <algorithm>
#include <map>

namespace bv {

namespace {
std::map<TLPanelState, ObjectCreator>& creators()
{
    static std::map<TLPanelState, ObjectCreator> map;
    return map;
}
} // namespace

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

void TGBusinessCardPanel32::RegisterCreator(TLPanelState state, ObjectCreator creator)
{
    creators()[state] = std::move(creator);
}

bool TGBusinessCardPanel32::HasCreator(TLPanelState state)
{
    return creators().count(state) != 0;
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
    auto it = creators().find(panelState);
    if (it == creators().end() || !it->second)
        return;
    it->second(*this, r);
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
    return ReadTemplate(*this, ProfileText::FromFile(path));
}

void TGBusinessCardPanel32::ExportTemplate(const QString& path, const QString& backgroundPath)
{
    WriteFileAtomically(path, TemplateText(*this, backgroundPath).Bytes());
}

} // namespace bv
