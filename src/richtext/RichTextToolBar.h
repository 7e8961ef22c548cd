#pragma once
// TRichTextToolBar: the formatting toolbar of a rich text control: font
// name, size and colour lists, Normal, Bold, Italic, Underline, the four
// paragraph alignments and Copy, Cut, Paste. It acts on the control it is
// bound to and shows the formatting at that control's caret.
#include <QPointer>
#include <QToolBar>

class QAction;
class QComboBox;
class QFontComboBox;

namespace bv {

class TColorCombo;
class TRichTextControl;

class TRichTextToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit TRichTextToolBar(QWidget* parent = nullptr);

    // Binds the toolbar to a control (nullptr unbinds).
    void UpdateObject(TRichTextControl* control);
    TRichTextControl* Object() const { return target; }

    QFontComboBox* FontNameList = nullptr;
    QComboBox* FontSizeList = nullptr;
    TColorCombo* FontColorList = nullptr;
    QAction* NormalButton = nullptr;
    QAction* BoldButton = nullptr;
    QAction* ItalicButton = nullptr;
    QAction* UnderlineButton = nullptr;
    QAction* LeftButton = nullptr;
    QAction* RightButton = nullptr;
    QAction* JustifyButton = nullptr;
    QAction* CenterButton = nullptr;
    QAction* CopyButton = nullptr;
    QAction* CutButton = nullptr;
    QAction* PasteButton = nullptr;

    // The hint of each icon, by icon number; the toolbar shows some of them.
    static const QStringList& Hints();

private:
    void showCurrentFormat();
    QAction* addIcon(const char* name, int hintIndex, bool checkable);

    QPointer<TRichTextControl> target;
    bool updating = false;
};

// The sizes the size list offers, from 6 points.
const QList<int>& RichTextFontSizes();

} // namespace bv
