#pragma once
// TGPRichBaseLabel: a block of formatted text on the card. The object keeps
// its document in its RTF storage and paints it through the main window's
// hidden master rich text control, which lays the text out on a page exactly
// as large as the object (at zoom 1) and paints that page at the panel's
// zoom. Double-clicking it opens the rich text editor.
#include "objects/BaseLabel.h"
#include "platform/Errors.h"
#include "richtext/RichTextControl.h"
#include "richtext/RtfDocument.h"
#include "surface/GraphicControl.h"

#include <QPointer>

class QAction;
class QTextDocument;
class QWidget;

namespace bv {

// Raised when a rich text object is created or read where no form carries
// the master rich text control.
class ENoMasterRich : public Exception {
public:
    ENoMasterRich() : Exception(QStringLiteral("No master rich text object found")) {}
};

class TGPRichBaseLabel : public TGGraphicControl {
    Q_OBJECT
public:
    TGPRichBaseLabel();
    ~TGPRichBaseLabel() override;

    static const PropertyTable& ClassProperties();
    const PropertyTable& properties() const override { return ClassProperties(); }

    // --- published properties ------------------------------------------------------
    const TRtfDocument& RTFText() const;
    // Copies the document in, repaints and reports the change.
    void SetRTFText(const TRtfDocument& value);
    TBorderStyle BorderStyle() const { return borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool Transparent() const { return transparent; }
    void SetTransparent(bool value);
    TColor BGColor() const { return bgColor; }
    void SetBGColor(TColor value);

    // --- run-time state ----------------------------------------------------------------
    TRtfStorage& RtfStorage() { return *storage; }
    TRichTextControl* Master() const { return master; }
    // The rich text master the design was given, or nullptr.
    static TRichTextControl* MasterOf(const TDesignModel* design);

    // --- virtual operations --------------------------------------------------------------
    // After the base step: finds the master (ENoMasterRich when there is
    // none) and makes a double-click open the editor.
    void Loaded() override;
    void Paint() override;
    void UpdateMenuChecks() override;
    // Draws the object into any painter with its top-left corner at (0, 0);
    // printing runs this same drawing on the page device, so the text stays
    // text at the device's resolution.
    void DrawTo(QPainter& canvas) override;
    QStringList MergeTexts() const override;
    // The editor; on OK the edited document becomes RTFText.
    void EditRichText();
    // Sizes the object to its text at the zoom, as the tool leaves a new
    // one: as wide as its longest line, or `mostWidth` with the text wrapped
    // at that width, and as high as the lines (at most `mostHeight`).
    void FitToText(int mostWidth, int mostHeight);

    // The object's page in twips (its unzoomed size) as drawing and the
    // editor use it.
    int PageWidthTwips() const;
    int PageHeightTwips() const;

    QAction* TransparentItem();
    QAction* BorderItem();

protected:
    void BuildContextMenu(QMenu& menu) override;

private:
    void fillMergeFields(QTextDocument& document) const;

    std::unique_ptr<TRtfStorage> storage;
    QPointer<TRichTextControl> master;
    TBorderStyle borderStyle = bsSingle;
    bool transparent = true;
    TColor bgColor = clWhite;
    QAction* transparentItem = nullptr;
    QAction* borderItem = nullptr;
    bool masterSought = false;
};

// Registers TGPRichBaseLabel with the stream class registry and the rich
// text tool with the card panel. Safe to call more than once.
void RegisterRichTextClasses();

// The hidden master control that lays out and draws rich text: 53 × 44
// pixels, zoom 100, never shown. `owner` (a window) owns it; without one the
// design does. The design is given it as its rich text service.
TRichTextControl* CreateMasterRichText(TDesignModel& design, QWidget* owner = nullptr);

} // namespace bv
