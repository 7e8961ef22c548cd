#pragma once
// The "Personal Information" dialog: the user's own card data (name,
// company, title, three address lines, two phone numbers, e-mail, fax), kept
// in QRD.INI and put into the placeholders of the card templates.
#include "surface/PersonalInfo.h"

#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace bv {

class TPersonalInformation : public QDialog {
    Q_OBJECT
public:
    explicit TPersonalInformation(QWidget* parent = nullptr);

    // Puts the record into the ten edits; Info() reads them back.
    void SetInfo(const TPersonalInfo& info);
    TPersonalInfo Info() const;

    void reject() override;

    QLineEdit* pPersonalName = nullptr;
    QLineEdit* pPersonalCompany = nullptr;
    QLineEdit* pPersonalTitle = nullptr;
    QLineEdit* pPersonalAddress1 = nullptr;
    QLineEdit* pPersonalAddress2 = nullptr;
    QLineEdit* pPersonalAddress3 = nullptr;
    QLineEdit* pPersonalPhone1 = nullptr;
    QLineEdit* pPersonalPhone2 = nullptr;
    QLineEdit* pPersonalEmail = nullptr;
    QLineEdit* pPersonalFax = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

private:
    // The edits in the record's field order.
    std::array<QLineEdit*, TPersonalInfo::Count> edits() const;
};

// Reads [Personal] of the settings file into `info`, shows the dialog with
// it and, on "Ok", takes the edits into `info` and writes all ten keys.
// Answers true after "Ok". A refused write raises EWriteError after `info`
// has taken the new values.
bool EditPersonalInformation(TPersonalInfo& info, QWidget* parent = nullptr);

} // namespace bv
