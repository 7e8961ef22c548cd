#pragma once
// The card panel of the main window: the base panel plus the drawing tools
// (PanelState and object creation), bitmap rendering for exports, the change
// of all text fonts and the personal information used by templates.
#include "surface/BasePanel.h"
#include "surface/ObjectKinds.h"
#include "surface/PersonalInfo.h"

#include <memory>

namespace bv {

// The tools of the palette; a kind registered later (ObjectKinds.h) may take
// a number after these.
enum TLPanelState : int {
    psPointing,
    psLabel,
    psSymbolLabel,
    psMultiLineLabel,
    psRectangle,
    psEllipse,
    psRoundRectangle,
    psLine,
    psImage,
    psSuperShape,
    psRichLabel,
    psSuperText,
    psCircleText,
    psBarcode
};

class TMergeTable;

class TGBusinessCardPanel32 : public TGBasePanel {
    Q_OBJECT
public:
    explicit TGBusinessCardPanel32(QWidget* parent = nullptr);

    TLPanelState PanelState() const { return panelState; }
    void SetPanelState(TLPanelState value);

    // True when a registered tool makes objects for this state.
    static bool HasCreator(TLPanelState state);

    void CreateObjectInRect(const TRect& r) override;
    // Moves an object the tools made so that it lies on the card, making it
    // no larger than the card first.
    void KeepInCard(TGGraphicControl& object) const { Model().KeepInCard(object); }
    // The drag that made the last band: where the button went down and
    // where it came up (equal for a click).
    QPoint BandStart() const { return QPoint(RubberBandRect().Left, RubberBandRect().Top); }
    QPoint BandEnd() const { return QPoint(RubberBandRect().Right, RubberBandRect().Bottom); }
    // The model's card picture, templates, personal information and merge.
    QImage RenderToBitmap() { return Model().RenderToBitmap(); }
    bool HasEffectObjects() const { return Model().HasEffectObjects(); }
    void SetAllFontNames(const QString& name) { Model().SetAllFontNames(name); }
    QString ImportTemplate(const QString& path) { return Model().ImportTemplate(path); }
    void ExportTemplate(const QString& path, const QString& backgroundPath)
    {
        Model().ExportTemplate(path, backgroundPath);
    }
    const TPersonalInfo& PersonalInfo() const { return Model().PersonalInfo(); }
    void SetPersonalInfo(const TPersonalInfo& value) { Model().SetPersonalInfo(value); }
    const TMergeTable* MergeTable() const { return Model().MergeTable(); }
    const std::shared_ptr<const TMergeTable>& SharedMergeTable() const { return Model().SharedMergeTable(); }
    void SetMergeTable(std::shared_ptr<const TMergeTable> table) { Model().SetMergeTable(std::move(table)); }
    int MergeRecord() const { return Model().MergeRecord(); }
    void SetMergeRecord(int record, bool repaint = true) { Model().SetMergeRecord(record, repaint); }

private:
    TLPanelState panelState = psPointing;
};

} // namespace bv
