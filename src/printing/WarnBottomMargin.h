#pragma once
// The "ALERT" shown before printing when the printer cannot print close
// enough to the bottom of the sheet for the last row of cards.
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace bv {

class TWarnBottomMargin : public QDialog {
    Q_OBJECT
public:
    explicit TWarnBottomMargin(QWidget* parent = nullptr);

    // The printer's unprintable bottom margin in inches: the first label
    // gets " b inches", the second " (b - 0.5) inches", 3 decimals.
    void SetBottomMargin(double inches);
    bool DontShowAgain() const;

    // "Continue" ends with mrOk, "Cancel Printing" with mrCancel.
    void reject() override;

    QLabel* MarginLabel = nullptr;
    QLabel* CutOffLabel = nullptr;
    QCheckBox* DontShowCheck = nullptr;
    QPushButton* ContinueButton = nullptr;
    QPushButton* CancelPrintingButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;
};

} // namespace bv
