#include "printing/PrintFineTune.h"

#include "document/AppServices.h"
#include "objects/DialogButtons.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "widgets/WhatsThis.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace bv {

namespace {
struct NudgePanel {
    const char* name;
    const char* title;
    QString explanation;
};

const NudgePanel& panelInfo(int i)
{
    static const NudgePanel panels[4] = {
        {"TopMargin", "Top Margin nudge",
         QStringLiteral("Increase or decrease to adjust where vertical printing starts. ")},
        {"LeftMargin", "Left Margin nudge",
         QStringLiteral("Increase or decrease to adjust where horizontal printing starts. ")},
        {"VerticalSpacing", "Vertical Spacing",
         QStringLiteral("Increase or decrease to adjust vertical spacing between cards.( You may need to adjust "
                        "this if printing \"creeps\" between the top and bottom cards.)")},
        {"HorizontalSpacing", "Horizontal Spacing",
         QStringLiteral("Increase or decrease to adjust horizontal spacing between cards ")},
    };
    return panels[i];
}
} // namespace

TPrintFineTune::TPrintFineTune(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrintFineTune"));
    setWindowTitle(QStringLiteral("Printer Fine-Tuning"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    for (int i = 0; i < 4; ++i) {
        const NudgePanel& info = panelInfo(i);
        const QString name = QString::fromLatin1(info.name);
        auto* frame = new QFrame(this);
        frame->setObjectName(name + QStringLiteral("Panel"));
        frame->setFrameShape(QFrame::StyledPanel);
        auto* title = new QLabel(QString::fromLatin1(info.title), frame);
        title->setObjectName(name + QStringLiteral("Title"));
        // The highlighted title of each panel.
        title->setAutoFillBackground(true);
        QPalette pal = title->palette();
        pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
        pal.setColor(QPalette::WindowText, pal.color(QPalette::HighlightedText));
        title->setPalette(pal);
        title->setContentsMargins(4, 2, 4, 2);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);

        ValueLabel[i] = new QLabel(frame);
        ValueLabel[i]->setObjectName(name + QStringLiteral("Label"));
        ValueLabel[i]->setMinimumWidth(ValueLabel[i]->fontMetrics().horizontalAdvance(
                                           QStringLiteral("Increase by 8/32\"")) + 8);
        UpButton[i] = new QToolButton(frame);
        UpButton[i]->setObjectName(name + QStringLiteral("Up"));
        UpButton[i]->setArrowType(Qt::UpArrow);
        UpButton[i]->setAutoRepeat(true);
        DownButton[i] = new QToolButton(frame);
        DownButton[i]->setObjectName(name + QStringLiteral("Down"));
        DownButton[i]->setArrowType(Qt::DownArrow);
        DownButton[i]->setAutoRepeat(true);
        const QString whatsThis = info.explanation.trimmed();
        ValueLabel[i]->setWhatsThis(whatsThis);
        UpButton[i]->setWhatsThis(whatsThis);
        DownButton[i]->setWhatsThis(whatsThis);
        auto* explanation = new QLabel(info.explanation, frame);
        explanation->setObjectName(name + QStringLiteral("Explanation"));
        explanation->setWordWrap(true);

        auto* arrows = new QVBoxLayout;
        arrows->setSpacing(0);
        arrows->addWidget(UpButton[i]);
        arrows->addWidget(DownButton[i]);
        auto* valueRow = new QHBoxLayout;
        valueRow->addWidget(ValueLabel[i]);
        valueRow->addLayout(arrows);
        valueRow->addStretch(1);
        auto* column = new QVBoxLayout(frame);
        column->addWidget(title);
        column->addLayout(valueRow);
        column->addWidget(explanation, 1);
        frame->setMinimumWidth(230);
        grid->addWidget(frame, i / 2, i % 2);

        const Which which = static_cast<Which>(i);
        connect(UpButton[i], &QToolButton::clicked, this, [this, which] { SpinUpClick(which); });
        connect(DownButton[i], &QToolButton::clicked, this, [this, which] { SpinDownClick(which); });
    }

    auto* buttons = new QHBoxLayout;
    const DialogButtons b = AddDialogButtons(*this, *buttons, 2103, QStringLiteral("OkButton"),
                                             QStringLiteral("CancelButton"), QStringLiteral("HelpButton"));
    OkButton = b.ok;
    CancelButton = b.cancel;
    HelpButton = b.help;
    MouseHelpButton = b.mouseHelp;
    HelpButton->disconnect();
    connect(HelpButton, &QPushButton::clicked, this, [] { RequestHelpTopic(2103); });
    DefaultButton = new QPushButton(QStringLiteral("Default"), this);
    DefaultButton->setObjectName(QStringLiteral("DefaultButton"));
    DefaultButton->setAutoDefault(false);
    DefaultButton->setWhatsThis(QStringLiteral("Sets all four corrections back to none."));
    buttons->insertWidget(buttons->indexOf(OkButton), DefaultButton);
    connect(DefaultButton, &QPushButton::clicked, this, [this] { DefaultButtonClick(); });
    connect(OkButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    InstallWhatsThisMenus(this);
    RefreshLabels();
}

void TPrintFineTune::SetNudges(const TPrinterNudges& nudges)
{
    values[TopMargin] = nudges.TopMargin;
    values[LeftMargin] = nudges.LeftMargin;
    values[VerticalSpacing] = nudges.VerticalSpacing;
    values[HorizontalSpacing] = nudges.HorizontalSpacing;
    RefreshLabels();
}

TPrinterNudges TPrintFineTune::Nudges() const
{
    TPrinterNudges n;
    n.TopMargin = values[TopMargin];
    n.LeftMargin = values[LeftMargin];
    n.VerticalSpacing = values[VerticalSpacing];
    n.HorizontalSpacing = values[HorizontalSpacing];
    return n;
}

QString TPrintFineTune::NudgeText(int value)
{
    if (value < 0)
        return QStringLiteral("Decrease by ") + QString::number(-value) + QStringLiteral("/32\"");
    if (value == 0)
        return QStringLiteral("None");
    return QStringLiteral("Increase by ") + QString::number(value) + QStringLiteral("/32\"");
}

void TPrintFineTune::SpinDownClick(Which which)
{
    if (values[which] < MaxNudge)
        ++values[which];
    RefreshLabels();
}

void TPrintFineTune::SpinUpClick(Which which)
{
    if (values[which] > MinNudge)
        --values[which];
    RefreshLabels();
}

void TPrintFineTune::DefaultButtonClick()
{
    for (int& v : values)
        v = 0;
    RefreshLabels();
}

void TPrintFineTune::RefreshLabels()
{
    for (int i = 0; i < 4; ++i)
        ValueLabel[i]->setText(NudgeText(values[i]));
}

void TPrintFineTune::showEvent(QShowEvent* event)
{
    RefreshLabels();
    QDialog::showEvent(event);
}

void TPrintFineTune::reject()
{
    done(mrCancel);
}

} // namespace bv
