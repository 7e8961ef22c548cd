#include "objects/Font3DEffects.h"

#include "objects/ColorCombo.h"
#include "objects/DialogButtons.h"
#include "objects/PLabel.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "widgets/WhatsThis.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace bv {

namespace {
constexpr int HelpContext3D = 40008;

QFrame* groupPanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    return panel;
}

QComboBox* listCombo(QWidget* parent, const char* name, const QStringList& items, const QString& help)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(false);
    combo->addItems(items);
    combo->setMaxVisibleItems(items.size());
    combo->setWhatsThis(help);
    return combo;
}

QStringList depthItems()
{
    QStringList items;
    for (int i = 0; i <= 10; ++i)
        items << QString::number(i);
    return items;
}

// A caption of a group; long ones wrap onto two lines so that the lists keep
// room for their entries.
QLabel* caption(const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setWordWrap(true);
    label->setFixedWidth(72);
    return label;
}

// An index of a list, or no selection for a value the list does not hold.
int entryFor(int value, const QComboBox* combo)
{
    return value >= 0 && value < combo->count() ? value : -1;
}
} // namespace

TSamplePanel::TSamplePanel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void TSamplePanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!sample)
        return;
    QPainter p(this);
    const QRect inner = contentsRect();
    p.setClipRect(inner);
    sample->PaintAt(p, inner.left(), inner.top());
}

TGFont3DEffects::TGFont3DEffects(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Font3DEffects"));
    setWindowTitle(QStringLiteral("Text 3D Effects"));
    setFixedSize(467, 338);

    sample = std::make_unique<TGPLabel>();
    sample->SetName(QStringLiteral("Sample"));
    sample->SetCaption(QStringLiteral("Text"));

    // Shadow.
    Panel1 = groupPanel(this, "Panel1");
    Panel1->setGeometry(8, 8, 222, 128);
    ShadowDirection = listCombo(Panel1, "ShadowDirection",
        { "None", "Right", "Left", "Lower Right", "Lower Left", "Down" },
        QStringLiteral("The direction in which the shadow falls behind the text."));
    ShadowColorCombo = new TColorCombo(Panel1);
    ShadowColorCombo->setObjectName(QStringLiteral("ShadowColorCombo"));
    ShadowColorCombo->setWhatsThis(QStringLiteral("The colour of the shadow."));
    ShadowDepth = listCombo(Panel1, "ShadowDepth", depthItems(),
        QStringLiteral("How far, in pixels, the shadow lies from the text; 0 shows no shadow."));
    {
        auto* grid = new QGridLayout(Panel1);
        grid->addWidget(caption("Shadow Direction", Panel1), 0, 0);
        grid->addWidget(ShadowDirection, 0, 1);
        grid->addWidget(caption("Shadow Color", Panel1), 1, 0);
        grid->addWidget(ShadowColorCombo, 1, 1);
        grid->addWidget(caption("Shadow Depth", Panel1), 2, 0);
        grid->addWidget(ShadowDepth, 2, 1);
    }

    // Highlight.
    Panel2 = groupPanel(this, "Panel2");
    Panel2->setGeometry(237, 8, 222, 128);
    HighlightDirection = listCombo(Panel2, "HighlightDirection",
        { "None", "Right", "Left", "Upper Right", "Upper Left", "Up" },
        QStringLiteral("The direction in which the highlight lies off the text."));
    HighLightColorCombo = new TColorCombo(Panel2);
    HighLightColorCombo->setObjectName(QStringLiteral("HighLightColorCombo"));
    HighLightColorCombo->setWhatsThis(QStringLiteral("The colour of the highlight."));
    HighLightDepth = listCombo(Panel2, "HighLightDepth", depthItems(),
        QStringLiteral("How far, in pixels, the highlight lies from the text; 0 shows no highlight."));
    {
        auto* grid = new QGridLayout(Panel2);
        grid->addWidget(caption("Highlight Direction", Panel2), 0, 0);
        grid->addWidget(HighlightDirection, 0, 1);
        grid->addWidget(caption("Highlight Color", Panel2), 1, 0);
        grid->addWidget(HighLightColorCombo, 1, 1);
        grid->addWidget(caption("Highlight Depth", Panel2), 2, 0);
        grid->addWidget(HighLightDepth, 2, 1);
    }

    // Font colour.
    Panel3 = groupPanel(this, "Panel3");
    Panel3->setGeometry(8, 142, 451, 42);
    FontColorCombo = new TColorCombo(Panel3);
    FontColorCombo->setObjectName(QStringLiteral("FontColorCombo"));
    FontColorCombo->setWhatsThis(QStringLiteral("The colour of the text itself."));
    {
        auto* row = new QHBoxLayout(Panel3);
        row->addWidget(new QLabel(QStringLiteral("Font Color"), Panel3));
        row->addWidget(FontColorCombo);
        row->addStretch();
    }

    // Sample.
    Panel4 = new TSamplePanel(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setGeometry(15, 192, 437, 85);
    Panel4->setWhatsThis(QStringLiteral("A sample of the text with the effects chosen."));
    Panel4->SetSample(sample.get());

    // Buttons.
    Panel5 = groupPanel(this, "Panel5");
    Panel5->setGeometry(8, 286, 451, 44);
    {
        auto* row = new QHBoxLayout(Panel5);
        row->setContentsMargins(6, 4, 6, 4);
        const DialogButtons b = AddDialogButtons(*this, *row, HelpContext3D, QStringLiteral("OKButton"),
            QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
        OKButton = b.ok;
        Cancelbutton = b.cancel;
        Helpbutton = b.help;
        MouseHelpButton = b.mouseHelp;
    }
    connect(OKButton, &QPushButton::clicked, this, &TGFont3DEffects::OKButtonClick);

    // Every choice goes to the sample first.
    connect(ShadowDirection, &QComboBox::activated, this, [this](int i) {
        sample->SetDirectionShadow(TShadowDirection(i));
        sampleChanged();
    });
    connect(ShadowDepth, &QComboBox::activated, this, [this](int i) {
        sample->SetDepthShadow(i);
        sampleChanged();
    });
    connect(HighlightDirection, &QComboBox::activated, this, [this](int i) {
        sample->SetDirectionHighlight(THighlightDirection(i));
        sampleChanged();
    });
    connect(HighLightDepth, &QComboBox::activated, this, [this](int i) {
        sample->SetDepthHighlight(i);
        sampleChanged();
    });
    connect(ShadowColorCombo, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetcolorShadow(c);
        sampleChanged();
    });
    connect(HighLightColorCombo, &TColorCombo::ColorChosen, this, [this](TColor c) {
        sample->SetcolorHighlight(c);
        sampleChanged();
    });
    connect(FontColorCombo, &TColorCombo::ColorChosen, this, [this](TColor c) {
        TFont f = sample->Font();
        f.Color = c;
        sample->SetFont(f);
        sampleChanged();
    });

    InstallWhatsThisMenus(this);
    PlaceDialog(*this);
}

TGFont3DEffects::~TGFont3DEffects() = default;

void TGFont3DEffects::SetTarget(TGBaseLabel* label)
{
    target = label;
    if (!target)
        return;
    // 1. The sample shows the target's own text (a label without one shows
    // "Text") in its font, with its effects, at the panel's size.
    if (!target->DisplayedCaption().isEmpty())
        sample->SetCaption(target->DisplayedCaption());
    sample->SetFont(target->Font());
    sample->SetDepthHighlight(target->DepthHighlight());
    sample->SetDepthShadow(target->DepthShadow());
    sample->SetDirectionHighlight(target->DirectionHighlight());
    sample->SetDirectionShadow(target->DirectionShadow());
    sample->SetcolorHighlight(target->colorHighlight());
    sample->SetcolorShadow(target->colorShadow());
    sample->SetBounds(0, 0, Panel4->width(), Panel4->height());
    sample->SetLayoutDirty();
    // 2. The colours.
    HighLightColorCombo->SetColor(target->colorHighlight());
    ShadowColorCombo->SetColor(target->colorShadow());
    FontColorCombo->SetColor(target->Font().Color);
    // 3. The lists; a value a list does not hold selects nothing.
    ShadowDirection->setCurrentIndex(entryFor(target->DirectionShadow(), ShadowDirection));
    ShadowDepth->setCurrentIndex(entryFor(target->DepthShadow(), ShadowDepth));
    HighlightDirection->setCurrentIndex(entryFor(target->DirectionHighlight(), HighlightDirection));
    HighLightDepth->setCurrentIndex(entryFor(target->DepthHighlight(), HighLightDepth));
    Panel4->update();
}

void TGFont3DEffects::sampleChanged()
{
    Panel4->update();
}

void TGFont3DEffects::OKButtonClick()
{
    if (target) {
        target->SetFont(sample->Font());
        target->SetLayoutDirty();
        target->SetDepthHighlight(sample->DepthHighlight());
        target->SetDepthShadow(sample->DepthShadow());
        target->SetDirectionHighlight(sample->DirectionHighlight());
        target->SetDirectionShadow(sample->DirectionShadow());
        target->SetcolorHighlight(sample->colorHighlight());
        target->SetcolorShadow(sample->colorShadow());
        target->Invalidate();
    }
    done(mrOk);
}

void TGFont3DEffects::reject()
{
    done(mrCancel);
}

} // namespace bv
