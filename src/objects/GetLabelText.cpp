#include "objects/GetLabelText.h"

#include "objects/DialogButtons.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "surface/BusinessCardPanel.h"
#include "widgets/WhatsThis.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv {

namespace {
constexpr int HelpContextText = 40004;
}

TGetLabelText::TGetLabelText(QWidget* parent) : TGetLabelText(parent, false) {}

TGetLabelText::TGetLabelText(QWidget* parent, bool personalList) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Text"));
    setObjectName(personalList ? QStringLiteral("GetBCLabelText") : QStringLiteral("GetLabelText"));

    auto* top = new QVBoxLayout(this);
    EnterLabel = new QLabel(QStringLiteral("Enter Text"), this);
    LabelText = new QLineEdit(this);
    LabelText->setObjectName(QStringLiteral("LabelText"));
    LabelText->setMinimumWidth(320);
    LabelText->setWhatsThis(QStringLiteral("Type the text of the label here."));
    EnterLabel->setBuddy(LabelText);
    top->addWidget(EnterLabel);
    top->addWidget(LabelText);

    if (personalList) {
        auto* orLabel = new QLabel(QStringLiteral("or select personal information"), this);
        personalCombo = new QComboBox(this);
        personalCombo->setObjectName(QStringLiteral("PersonalInfoCombo"));
        personalCombo->setEditable(false);
        personalCombo->setWhatsThis(
            QStringLiteral("Pick one of your stored personal information entries to use as the text."));
        orLabel->setBuddy(personalCombo);
        top->addSpacing(6);
        top->addWidget(orLabel);
        top->addWidget(personalCombo);
    }

    auto* row = new QHBoxLayout;
    top->addSpacing(8);
    top->addLayout(row);
    const DialogButtons b = AddDialogButtons(*this, *row, HelpContextText, QStringLiteral("OKButton"),
        QStringLiteral("CancelButton"), QStringLiteral("HelpButton"));
    OKButton = b.ok;
    CancelButton = b.cancel;
    HelpButton = b.help;
    MouseHelpButton = b.mouseHelp;
    connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });
    top->setSizeConstraint(QLayout::SetFixedSize);

    InstallWhatsThisMenus(this);
    LabelText->setFocus();
    PlaceDialog(*this);
}

void TGetLabelText::reject()
{
    done(mrCancel);
}

TGetBCLabelText::TGetBCLabelText(QWidget* parent) : TGetLabelText(parent, true)
{
    PersonalInfoCombo = personalCombo;
    // Choosing an entry puts it into the edit box.
    connect(PersonalInfoCombo, &QComboBox::activated, this,
        [this](int index) { LabelText->setText(PersonalInfoCombo->itemText(index)); });
}

void TGetBCLabelText::FillPersonalInfo(const TPersonalInfo& info)
{
    PersonalInfoCombo->clear();
    for (const QString* value : { &info.Name, &info.Company, &info.Title, &info.Address1, &info.Address2,
             &info.Address3, &info.Phone1, &info.Phone2, &info.Email, &info.Fax })
        if (!value->isEmpty())
            PersonalInfoCombo->addItem(*value);
    PersonalInfoCombo->setCurrentIndex(-1);
    PersonalInfoCombo->setEnabled(PersonalInfoCombo->count() > 0);
}

} // namespace bv
