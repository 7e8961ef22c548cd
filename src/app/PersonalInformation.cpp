#include "app/PersonalInformation.h"

#include "document/AppServices.h"
#include "document/Settings.h"
#include "objects/DialogButtons.h"
#include "platform/Interaction.h"
#include "widgets/WhatsThis.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv {

TPersonalInformation::TPersonalInformation(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("PersonalInformation"));
    setWindowTitle(QStringLiteral("Personal Information"));
    setModal(true);
    setFont(QFont(QStringLiteral("Arial"), 9));

    struct Field {
        QLineEdit** edit;
        const char* name;
        const char* caption;
        const char* help;
    };
    const Field fields[] = {
        {&pPersonalName, "pPersonalName", "Name", "Your name as it should appear on your cards."},
        {&pPersonalCompany, "pPersonalCompany", "Company", "The name of your business."},
        {&pPersonalTitle, "pPersonalTitle", "Title", "Your title or qualifications."},
        {&pPersonalAddress1, "pPersonalAddress1", "Address 1", "The first line of your address."},
        {&pPersonalAddress2, "pPersonalAddress2", "Address 2", "The second line of your address."},
        {&pPersonalAddress3, "pPersonalAddress3", "Address 3", "The third line of your address."},
        {&pPersonalPhone1, "pPersonalPhone1", "Phone 1", "Your main phone number."},
        {&pPersonalPhone2, "pPersonalPhone2", "Phone 2", "A second phone number, such as a mobile."},
        {&pPersonalEmail, "pPersonalEmail", "E-mail", "Your e-mail address."},
        {&pPersonalFax, "pPersonalFax", "Fax", "Your fax number."},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    int row = 0;
    for (const Field& f : fields) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(f.name));
        edit->setMinimumWidth(300);
        edit->setWhatsThis(QString::fromLatin1(f.help)
            + QStringLiteral(" New designs made from a template show it in place of the template's text."));
        auto* label = new QLabel(QString::fromLatin1(f.caption), this);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        *f.edit = edit;
        ++row;
    }

    auto* buttons = new QHBoxLayout;
    const DialogButtons b = AddDialogButtons(*this, *buttons, 2102, QStringLiteral("OkButton"),
        QStringLiteral("CancelButton"), QStringLiteral("HelpButton"));
    OkButton = b.ok;
    CancelButton = b.cancel;
    HelpButton = b.help;
    MouseHelpButton = b.mouseHelp;
    connect(OkButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    InstallWhatsThisMenus(this);
}

std::array<QLineEdit*, TPersonalInfo::Count> TPersonalInformation::edits() const
{
    return {pPersonalName, pPersonalCompany, pPersonalTitle, pPersonalAddress1, pPersonalAddress2,
            pPersonalAddress3, pPersonalPhone1, pPersonalPhone2, pPersonalEmail, pPersonalFax};
}

void TPersonalInformation::SetInfo(const TPersonalInfo& info)
{
    const auto all = edits();
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        all[static_cast<std::size_t>(i)]->setText(info.Field(i));
}

TPersonalInfo TPersonalInformation::Info() const
{
    TPersonalInfo info;
    const auto all = edits();
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        info.Field(i) = all[static_cast<std::size_t>(i)]->text();
    return info;
}

void TPersonalInformation::reject()
{
    done(mrCancel);
}

bool EditPersonalInformation(TPersonalInfo& info, QWidget* parent)
{
    TPersonalInformation dialog(parent ? parent : MainForm());
    const TSettings settings;
    info = settings.LoadPersonalInfo();
    dialog.SetInfo(info);
    CentreForm(dialog);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    info = dialog.Info();
    settings.SavePersonalInfo(info);
    return true;
}

} // namespace bv
