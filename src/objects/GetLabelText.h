#pragma once
// The two "Text" prompts of the text labels: a one-line edit, and the same
// with a list of the stored personal-information values to pick from.
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace bv {

struct TPersonalInfo;

class TGetLabelText : public QDialog {
    Q_OBJECT
public:
    explicit TGetLabelText(QWidget* parent = nullptr);

    void reject() override;

    QLabel* EnterLabel = nullptr;
    QLineEdit* LabelText = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

protected:
    // Builds the common part; `personalList` adds the personal-information
    // list below the edit box.
    TGetLabelText(QWidget* parent, bool personalList);
    QComboBox* personalCombo = nullptr;
};

class TGetBCLabelText : public TGetLabelText {
    Q_OBJECT
public:
    explicit TGetBCLabelText(QWidget* parent = nullptr);

    // Clears the list and adds every non-empty value, in the order Name,
    // Company, Title, Address 1-3, Phone 1-2, E-mail, Fax; the list is
    // enabled only when it holds an entry.
    void FillPersonalInfo(const TPersonalInfo& info);

    QComboBox* PersonalInfoCombo = nullptr;
};

} // namespace bv
