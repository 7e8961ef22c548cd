#pragma once
// The options of File > Export for Print Shop: the bleed around the card
// (0 to 6 mm, shown in millimetres or inches as the user works) and crop
// marks. OK writes the file; Cancel leaves everything as it was.
#include "printing/PrintShopPdf.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace bv {

// The bleed offered first: 1/8 inch for someone working in inches, 3 mm
// for someone working in millimetres.
double DefaultBleedMm(bool metric);
// Millimetres when the layout is kept in millimetres or the locale measures
// in metric units.
bool PrefersMillimetres(bool layoutInMillimetres);

class TPrintShopDialog : public QDialog {
    Q_OBJECT
public:
    // `metric`: the bleed is shown and typed in millimetres, else inches.
    explicit TPrintShopDialog(bool metric, QWidget* parent = nullptr);

    void SetOptions(const TPrintShopOptions& options);
    TPrintShopOptions Options() const;

    QDoubleSpinBox* BleedEdit = nullptr;
    QCheckBox* CropMarksBox = nullptr;
    // The card's back as page 2, offered when the design has one.
    QCheckBox* BackBox = nullptr;
    QLabel* SizeLabel = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // The card's trim size in inches, for the page size shown.
    void SetCardSize(const QSizeF& inches);
    // The back design's file name (empty: no back, nothing offered).
    void SetBackFile(const QString& name);
    bool WithBack() const;
    void reject() override;

private:
    void showPageSize();

    bool metric;
    QSizeF card{3.5, 2.0};
};

} // namespace bv
