#include "app/AboutBox.h"

#include "app/ToolIcons.h"
#include "document/AppServices.h"
#include "platform/Interaction.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv {

QString ProgramVersion()
{
    return QStringLiteral("3.3f");
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Brisvale"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(ProgramIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    ProductName = new QLabel(QStringLiteral("Brisvale"), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    ProductName->setFont(big);

    auto* description = new QLabel(QStringLiteral("Business card designer"), this);
    description->setObjectName(QStringLiteral("Comments"));

    // The build's own word size, as the program was compiled.
    PlatformLabel = new QLabel(QStringLiteral("%1-bit version").arg(QT_POINTER_SIZE * 8), this);
    PlatformLabel->setObjectName(QStringLiteral("PlatformLabel"));
    VersionLabel = new QLabel(QStringLiteral("Version ") + ProgramVersion(), this);
    VersionLabel->setObjectName(QStringLiteral("VersionLabel"));

    OkButton = new QPushButton(QStringLiteral("Ok"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    text->addWidget(ProductName);
    text->addWidget(description);
    text->addSpacing(8);
    text->addWidget(PlatformLabel);
    text->addWidget(VersionLabel);
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::reject()
{
    done(mrCancel);
}

void ShowAboutBox(QWidget* parent)
{
    TAboutBox box(parent);
    box.adjustSize();
    CentreForm(box);
    Interaction::Current().RunModal(box);
}

} // namespace bv
