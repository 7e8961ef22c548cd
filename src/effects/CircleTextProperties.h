#pragma once
// The CircleText properties dialog: every control acts at once on a sample
// CircleText shown in a white scroll area; "Ok" hands the sample back to the
// object being edited.
#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSlider;
class QTimer;
class QToolButton;

namespace bv {

class TColorCombo;
class TEffectSample;
class TEffectStylePanel;
class TGPCircleText;
class TUpDownButtons;

class TCircleTextProperties : public QDialog {
    Q_OBJECT
public:
    explicit TCircleTextProperties(QWidget* parent = nullptr);
    ~TCircleTextProperties() override;

    TGPCircleText* Sample() const { return sample.get(); }
    // Puts the sample's values into the controls (done when the dialog
    // shows; callers that load the sample later call it themselves).
    void ShowSampleValues();
    // A text edit seen by the 200 ms refresh that has not yet repainted.
    bool TextChangedPending() const { return textChanged; }
    // One tick of the refresh timer.
    void RefreshTick();

    void OKButtonClick();
    void reject() override;

    QScrollArea* SampleBox = nullptr;
    TEffectSample* SampleView = nullptr;
    QLineEdit* CaptionText = nullptr;
    QSlider* DegreesTrackBar = nullptr;
    QLabel* DegreesLabel = nullptr;
    QSlider* StartAngleTrackBar = nullptr;
    QLabel* StartAngleLabel = nullptr;
    QCheckBox* AngledCheckBox = nullptr;
    QCheckBox* MirroredCheckBox = nullptr;
    TColorCombo* FontColorButton = nullptr;
    QPushButton* Fontbutton = nullptr;
    TUpDownButtons* RapidChangeFontSize = nullptr;
    TEffectStylePanel* StylePanel = nullptr;
    QPushButton* ZoomInButton = nullptr;
    QPushButton* ZoomOutButton = nullptr;
    QLabel* ZoomLabel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;
    QTimer* RefreshTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void sampleChanged();
    void showZoom();

    std::unique_ptr<TGPCircleText> sample;
    bool textChanged = false;
};

} // namespace bv
