#include "objects/DialogButtons.h"

#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "widgets/WhatsThis.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>
#include <QToolButton>

namespace bv {

DialogButtons AddDialogButtons(QDialog& dialog, QBoxLayout& row, int helpContext, const QString& okName,
    const QString& cancelName, const QString& helpName)
{
    DialogButtons b;
    b.ok = new QPushButton(QStringLiteral("Ok"), &dialog);
    b.ok->setObjectName(okName);
    b.ok->setDefault(true);
    b.ok->setWhatsThis(QStringLiteral("Click to accept the changes and return to the previous screen."));
    b.cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    b.cancel->setObjectName(cancelName);
    b.cancel->setAutoDefault(false);
    b.cancel->setWhatsThis(QStringLiteral("Click to cancel and return to the previous screen."));
    b.help = new QPushButton(QStringLiteral("Help"), &dialog);
    b.help->setObjectName(helpName);
    b.help->setAutoDefault(false);
    b.help->setWhatsThis(QStringLiteral("Click to bring up the help page of this screen."));
    b.mouseHelp = CreateWhatsThisButton(&dialog);

    row.addWidget(b.mouseHelp);
    row.addStretch();
    row.addWidget(b.ok);
    row.addWidget(b.cancel);
    row.addWidget(b.help);

    QObject::connect(b.cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(mrCancel); });
    QObject::connect(b.help, &QPushButton::clicked, &dialog, [helpContext] { RequestHelpTopic(helpContext); });
    return b;
}

} // namespace bv
