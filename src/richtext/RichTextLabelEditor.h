#pragma once
// TRichTextLabelEditor: the "Rich Text Editor" dialog, a small word
// processor for one rich text object: the formatting toolbar, a page the
// size of the object (PagePanel) holding the editing control RichText1, and
// zoom buttons that step the zoom by 10 between 50 and 100 percent and
// resize the page with it.
#include "platform/Colors.h"

#include <QDialog>

class QFrame;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace bv {

class TGraphicPanel;
class TRichTextControl;
class TRichTextToolBar;

class TRichTextLabelEditor : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 40013;

    explicit TRichTextLabelEditor(QWidget* parent = nullptr);
    ~TRichTextLabelEditor() override;

    TRichTextToolBar* RichToolBar1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QFrame* PagePanel = nullptr;
    TRichTextControl* RichText1 = nullptr;
    QToolButton* ZoomPlusButton = nullptr;
    QToolButton* ZoomMinusButton = nullptr;
    TGraphicPanel* ZoomCaption = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

    // The page behind the text (white unless the object is opaque).
    void SetPageColor(TColor color);
    // Resizes PagePanel (the object's size on screen plus one).
    void SetPageSize(int width, int height);

    // Shows the page, formats the text, focuses it with the caret at the
    // start and remembers the page size and zoom the zoom steps scale from.
    // Runs once, when the dialog is first shown.
    void FormActivate();
    void ZoomPlusButtonClick();
    void ZoomMinusButtonClick();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void resizePage(int width, int height);

    bool activated = false;
    int w0 = 0;
    int h0 = 0;
    int z0 = 100;
};

} // namespace bv
