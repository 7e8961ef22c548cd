#pragma once
// The "Text 3D Effects" dialog: shadow and highlight direction, depth and
// colour, and the font colour of a text label, tried out on a live sample
// label first and given to the label only on "Ok".
#include <QDialog>
#include <QFrame>
#include <memory>

class QComboBox;
class QPushButton;
class QToolButton;

namespace bv {

class TColorCombo;
class TGBaseLabel;
class TGPLabel;

// The framed panel that shows the sample label.
class TSamplePanel : public QFrame {
    Q_OBJECT
public:
    explicit TSamplePanel(QWidget* parent = nullptr);
    void SetSample(TGPLabel* label) { sample = label; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TGPLabel* sample = nullptr;
};

class TGFont3DEffects : public QDialog {
    Q_OBJECT
public:
    explicit TGFont3DEffects(QWidget* parent = nullptr);
    ~TGFont3DEffects() override;

    // The label being edited; the controls and the sample take its values.
    void SetTarget(TGBaseLabel* label);
    TGBaseLabel* Target() const { return target; }
    TGPLabel* Sample() const { return sample.get(); }

    // "Ok": the target takes the sample's font and its six effect values.
    void OKButtonClick();
    void reject() override;

    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    TSamplePanel* Panel4 = nullptr;
    QFrame* Panel5 = nullptr;
    QComboBox* ShadowDirection = nullptr;
    TColorCombo* ShadowColorCombo = nullptr;
    QComboBox* ShadowDepth = nullptr;
    QComboBox* HighlightDirection = nullptr;
    TColorCombo* HighLightColorCombo = nullptr;
    QComboBox* HighLightDepth = nullptr;
    TColorCombo* FontColorCombo = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

private:
    void sampleChanged();

    TGBaseLabel* target = nullptr;
    std::unique_ptr<TGPLabel> sample;
};

} // namespace bv
