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
    void KeepInCard(TGGraphicControl& object) const;
    // The drag that made the last band: where the button went down and
    // where it came up (equal for a click).
    QPoint BandStart() const { return QPoint(RubberBandRect().Left, RubberBandRect().Top); }
    QPoint BandEnd() const { return QPoint(RubberBandRect().Right, RubberBandRect().Bottom); }
    // Background art and every object at their current size, without grid,
    // outline or selection marks; the caller owns the image.
    QImage RenderToBitmap();
    bool HasEffectObjects() const { return Model().HasEffectObjects(); }
    void SetAllFontNames(const QString& name) { Model().SetAllFontNames(name); }

    // Builds the card template at `path` into the panel (a missing file
    // gives nothing) and returns its background picture's file name; sets the
    // rotated flag. A bad colour text raises EConvertError.
    QString ImportTemplate(const QString& path);
    // Writes the design as a card template, replacing the file at once.
    void ExportTemplate(const QString& path, const QString& backgroundPath);

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

private:
    TLPanelState panelState = psPointing;
    TPersonalInfo personalInfo;
    std::shared_ptr<const TMergeTable> mergeTable;
    int mergeRecord = -1;
};

} // namespace bv
