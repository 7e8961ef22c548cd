#pragma once
// The "Barcode Properties" dialog: symbology, what the code carries (typed
// text, a contact card from the personal information, a web address, a
// Wi-Fi network), error correction, quiet zone, text under the bars, keep
// square, colours and font, with a sample drawn as it will print. It works
// on a copy of the barcode; Ok leaves the result in Sample().
#include "objects/BarcodePayload.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace bv {

class TGBarcode;
class TColorCombo;

class TBarcodeProperties : public QDialog {
    Q_OBJECT
public:
    TBarcodeProperties(const TGBarcode& code, const TPersonalInfo& info, QWidget* parent = nullptr);
    ~TBarcodeProperties() override;

    const TGBarcode& Sample() const { return *sample; }

private:
    void fromSample();
    void toSample();
    void updateSample();

    std::unique_ptr<TGBarcode> sample;
    TPersonalInfo personal;
    bool filling = false;

    QComboBox* SymbologyCombo = nullptr;
    QComboBox* ContentCombo = nullptr;
    QPlainTextEdit* DataEdit = nullptr;
    QWidget* WifiBox = nullptr;
    QLineEdit* WifiSsid = nullptr;
    QLineEdit* WifiPassword = nullptr;
    QComboBox* WifiSecurity = nullptr;
    QCheckBox* WifiHidden = nullptr;
    QComboBox* ErrorLevelCombo = nullptr;
    QCheckBox* QuietZoneCheck = nullptr;
    QCheckBox* ShowTextCheck = nullptr;
    QCheckBox* KeepSquareCheck = nullptr;
    QCheckBox* TransparentCheck = nullptr;
    TColorCombo* BarColor = nullptr;
    TColorCombo* BackgroundColor = nullptr;
    QPushButton* FontButton = nullptr;
    QLabel* SampleView = nullptr;
    QLabel* StatusText = nullptr;
};

} // namespace bv
