#pragma once
// "Select A Font - All text items will be changed to this font": the font
// list with four samples of the chosen font; the caller gives the chosen
// name to every text object of the design.
#include <QDialog>

class QLabel;
class QPushButton;
class QToolButton;

namespace bv {

class TFontListBoxx;

class TChangeFontAll : public QDialog {
    Q_OBJECT
public:
    explicit TChangeFontAll(QWidget* parent = nullptr);

    // The selected row's font; empty when the list has none.
    QString SelectedFont() const;
    // A click on a font: the samples show it.
    void FontListBox1Click();
    void reject() override;

    TFontListBoxx* FontListBox1 = nullptr;
    QLabel* Sample = nullptr;
    QLabel* SampleBold = nullptr;
    QLabel* SampleItalic = nullptr;
    QLabel* SampleBoldItalic = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;
};

} // namespace bv
