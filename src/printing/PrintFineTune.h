#pragma once
// The "Printer Fine-Tuning" dialog: four small corrections of the sheet
// geometry in 1/32 inch (top margin, left margin, vertical and horizontal
// spacing), each from -8 to +8, changed with up/down arrow buttons.
#include "document/Settings.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QToolButton;

namespace bv {

class TPrintFineTune : public QDialog {
    Q_OBJECT
public:
    explicit TPrintFineTune(QWidget* parent = nullptr);

    // The dialog works on a copy; the caller reads it back after "Ok".
    void SetNudges(const TPrinterNudges& nudges);
    TPrinterNudges Nudges() const;

    // The text of a value label: "Decrease by n/32\"", "None",
    // "Increase by n/32\"".
    static QString NudgeText(int value);

    enum Which { TopMargin, LeftMargin, VerticalSpacing, HorizontalSpacing };
    // The spin button's down arrow adds one (not beyond 8), the up arrow
    // takes one away (not below -8).
    void SpinDownClick(Which which);
    void SpinUpClick(Which which);
    void DefaultButtonClick();
    void RefreshLabels();
    void reject() override;

    // Per nudge: the value label and the two arrows.
    QLabel* ValueLabel[4] = {};
    QToolButton* UpButton[4] = {};
    QToolButton* DownButton[4] = {};
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* DefaultButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int values[4] = {0, 0, 0, 0};
};

} // namespace bv
