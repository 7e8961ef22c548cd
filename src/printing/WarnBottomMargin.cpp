#include "printing/WarnBottomMargin.h"

#include "document/AppServices.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "widgets/WhatsThis.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace bv {

namespace {
const QString marginText = QStringLiteral(
    "Business Cards need to print to within 0.5 inches of the bottom, but the current printer has a bottom "
    "margin setting of :");
const QString cutOffText = QStringLiteral(
    "This could result in the bottom of the last two business cards being cut off by approximately:");

QLabel* wrapped(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

// Fixed notation, 3 decimals.
QString inches(double value)
{
    return QString::number(value, 'f', 3);
}
} // namespace

TWarnBottomMargin::TWarnBottomMargin(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("WarnBottomMargin"));
    setWindowTitle(QStringLiteral("ALERT"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    MarginLabel = wrapped(marginText, QStringLiteral("MarginLabel"), this);
    CutOffLabel = wrapped(cutOffText, QStringLiteral("CutOffLabel"), this);
    auto* advice = wrapped(QStringLiteral("If your printer driver supports it, you could change the bottom margin "
                                          "to 0.5 inches. Otherwise, you should design your cards so that the "
                                          "bottom portion of the cards is not used."),
                           QStringLiteral("AdviceLabel"), this);
    auto* note = wrapped(QStringLiteral("(Note: some printers, including some of the HP Deskjet series, cannot "
                                        "print beyond a 0.66 inch bottom margin)"),
                         QStringLiteral("NoteLabel"), this);
    DontShowCheck = new QCheckBox(QStringLiteral("Don't show this warning again"), this);
    DontShowCheck->setObjectName(QStringLiteral("DontShowCheck"));
    DontShowCheck->setWhatsThis(QStringLiteral("Check this to print without this warning from now on."));

    ContinueButton = new QPushButton(QStringLiteral("Continue"), this);
    ContinueButton->setObjectName(QStringLiteral("ContinueButton"));
    ContinueButton->setDefault(true);
    ContinueButton->setWhatsThis(QStringLiteral("Prints the cards as they are."));
    CancelPrintingButton = new QPushButton(QStringLiteral("Cancel Printing"), this);
    CancelPrintingButton->setObjectName(QStringLiteral("CancelPrintingButton"));
    CancelPrintingButton->setAutoDefault(false);
    CancelPrintingButton->setWhatsThis(QStringLiteral("Returns to the design without printing."));
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    HelpButton->setAutoDefault(false);
    HelpButton->setWhatsThis(QStringLiteral("Click to bring up the help page of this screen."));
    MouseHelpButton = CreateWhatsThisButton(this);

    auto* text = new QVBoxLayout;
    text->addWidget(MarginLabel);
    text->addWidget(CutOffLabel);
    text->addWidget(advice);
    text->addWidget(note);
    text->addWidget(DontShowCheck);
    auto* body = new QHBoxLayout;
    body->addWidget(icon, 0, Qt::AlignTop);
    body->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MouseHelpButton);
    buttons->addStretch(1);
    buttons->addWidget(ContinueButton);
    buttons->addWidget(CancelPrintingButton);
    buttons->addWidget(HelpButton);
    auto* column = new QVBoxLayout(this);
    column->addLayout(body, 1);
    column->addLayout(buttons);
    setMinimumWidth(440);

    connect(ContinueButton, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(CancelPrintingButton, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(HelpButton, &QPushButton::clicked, this, [] { RequestHelpTopic(2105); });
    InstallWhatsThisMenus(this);
}

void TWarnBottomMargin::SetBottomMargin(double bottom)
{
    MarginLabel->setText(marginText + QStringLiteral(" ") + inches(bottom) + QStringLiteral(" inches"));
    CutOffLabel->setText(cutOffText + QStringLiteral(" ") + inches(bottom - 0.5) + QStringLiteral(" inches"));
}

bool TWarnBottomMargin::DontShowAgain() const
{
    return DontShowCheck->isChecked();
}

void TWarnBottomMargin::reject()
{
    done(mrCancel);
}

} // namespace bv
