#include "effects/CircleTextProperties.h"

#include "effects/CircleText.h"
#include "effects/EffectStyle.h"
#include "effects/EffectText.h"
#include "objects/ColorCombo.h"
#include "objects/DialogButtons.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "widgets/WhatsThis.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace bv {

namespace {
constexpr int HelpContextCircleText = 40017;

QString degreesText(int position)
{
    return QStringLiteral("%1 degrees").arg(position * 90);
}

QSlider* quarterSlider(QWidget* parent, const char* name)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setRange(1, 4);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    return slider;
}
} // namespace

TCircleTextProperties::TCircleTextProperties(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CircleTextProperties"));
    setWindowTitle(QStringLiteral("CircleText Properties"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(582, 483);

    sample = std::make_unique<TGPCircleText>();
    sample->SetName(QStringLiteral("Sample"));
    sample->SetBounds(0, 0, 100, 100);

    auto* outer = new QVBoxLayout(this);
    SampleBox = new QScrollArea(this);
    SampleBox->setObjectName(QStringLiteral("SampleBox"));
    SampleBox->setBackgroundRole(QPalette::Base);
    {
        QPalette pal = SampleBox->palette();
        pal.setColor(QPalette::Base, Qt::white);
        pal.setColor(QPalette::Window, Qt::white);
        SampleBox->setPalette(pal);
    }
    SampleView = new TEffectSample;
    SampleView->setObjectName(QStringLiteral("SampleView"));
    SampleView->SetSample(sample.get());
    SampleBox->setWidget(SampleView);
    SampleBox->setWidgetResizable(false);
    outer->addWidget(SampleBox, 1);

    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    grid->addWidget(new QLabel(QStringLiteral("Text"), this), 0, 0);
    CaptionText = new QLineEdit(this);
    CaptionText->setObjectName(QStringLiteral("CaptionText"));
    CaptionText->setWhatsThis(QStringLiteral("Enter the text here"));
    grid->addWidget(CaptionText, 0, 1, 1, 4);

    grid->addWidget(new QLabel(QStringLiteral("Degrees"), this), 1, 0);
    DegreesTrackBar = quarterSlider(this, "DegreesTrackBar");
    DegreesTrackBar->setWhatsThis(QStringLiteral("Click here to set the number of degrees in the circle, i.e.:\n"
                                                 "90 degrees = 1/4 circle\n180 degrees = 1/2 circle\n"
                                                 "270 degrees = 3/4 circle\n360 degrees = full circle"));
    grid->addWidget(DegreesTrackBar, 1, 1);
    DegreesLabel = new QLabel(this);
    DegreesLabel->setObjectName(QStringLiteral("DegreesLabel"));
    grid->addWidget(DegreesLabel, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Starting Angle"), this), 2, 0);
    StartAngleTrackBar = quarterSlider(this, "StartAngleTrackBar");
    StartAngleTrackBar->setWhatsThis(QStringLiteral("Click here to set the starting angle i.e. where the text "
                                                    "begins printing:\n90 degrees\n180 degrees\n270 degrees\n"
                                                    "360 degrees"));
    grid->addWidget(StartAngleTrackBar, 2, 1);
    StartAngleLabel = new QLabel(this);
    StartAngleLabel->setObjectName(QStringLiteral("StartAngleLabel"));
    grid->addWidget(StartAngleLabel, 2, 2);

    AngledCheckBox = new QCheckBox(QStringLiteral("Angled Characters"), this);
    AngledCheckBox->setObjectName(QStringLiteral("AngledCheckBox"));
    AngledCheckBox->setWhatsThis(QStringLiteral("Check here if you want the letters of the text to be drawn at an "
                                                "angle matching their position on the circle. Otherwise, "
                                                "characters will be drawn normally."));
    grid->addWidget(AngledCheckBox, 1, 3);
    MirroredCheckBox = new QCheckBox(QStringLiteral("Mirrored"), this);
    MirroredCheckBox->setObjectName(QStringLiteral("MirroredCheckBox"));
    MirroredCheckBox->setWhatsThis(QStringLiteral("Check here to mirror the text"));
    grid->addWidget(MirroredCheckBox, 2, 3);

    grid->addWidget(new QLabel(QStringLiteral("Font Color"), this), 3, 0);
    FontColorButton = new TColorCombo(this);
    FontColorButton->setObjectName(QStringLiteral("FontColorButton"));
    FontColorButton->setWhatsThis(QStringLiteral("Click here to set the font color"));
    grid->addWidget(FontColorButton, 3, 1);
    Fontbutton = new QPushButton(QStringLiteral("Select Font"), this);
    Fontbutton->setObjectName(QStringLiteral("Fontbutton"));
    Fontbutton->setAutoDefault(false);
    Fontbutton->setWhatsThis(QStringLiteral("Click here to change the font"));
    grid->addWidget(Fontbutton, 3, 2);
    RapidChangeFontSize = new TUpDownButtons(this);
    RapidChangeFontSize->setObjectName(QStringLiteral("RapidChangeFontSize"));
    RapidChangeFontSize->setWhatsThis(
        QStringLiteral("Click the up or down arrow to increase or decrease the font size by 5 points"));
    grid->addWidget(RapidChangeFontSize, 3, 3, Qt::AlignLeft);

    auto* zoomRow = new QHBoxLayout;
    ZoomOutButton = new QPushButton(QStringLiteral("-"), this);
    ZoomOutButton->setObjectName(QStringLiteral("ZoomOutButton"));
    ZoomOutButton->setWhatsThis(QStringLiteral("Click here to zoom out"));
    ZoomInButton = new QPushButton(QStringLiteral("+"), this);
    ZoomInButton->setObjectName(QStringLiteral("ZoomInButton"));
    ZoomInButton->setWhatsThis(QStringLiteral("Click here to zoom in"));
    ZoomLabel = new QLabel(this);
    ZoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
    for (QPushButton* b : { ZoomOutButton, ZoomInButton }) {
        b->setAutoDefault(false);
        b->setFixedWidth(28);
    }
    zoomRow->addWidget(ZoomOutButton);
    zoomRow->addWidget(ZoomInButton);
    zoomRow->addWidget(ZoomLabel);
    grid->addLayout(zoomRow, 3, 4);

    StylePanel = new TEffectStylePanel(this);
    grid->addWidget(StylePanel, 4, 0, 1, 5);

    auto* buttons = new QHBoxLayout;
    outer->addLayout(buttons);
    const DialogButtons b = AddDialogButtons(*this, *buttons, HelpContextCircleText, QStringLiteral("OKButton"),
        QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
    OKButton = b.ok;
    Cancelbutton = b.cancel;
    Helpbutton = b.help;
    MouseHelpButton = b.mouseHelp;
    OKButton->setWhatsThis(QStringLiteral("Click to accept and return to the previous screen"));
    Cancelbutton->setWhatsThis(QStringLiteral("Click to cancel and return to the previous screen"));
    Helpbutton->setWhatsThis(QStringLiteral("Click to bring up Windows Help for the program"));
    connect(OKButton, &QPushButton::clicked, this, &TCircleTextProperties::OKButtonClick);

    connect(CaptionText, &QLineEdit::textEdited, this, [this](const QString& text) {
        sample->SetCaption(text);
        textChanged = true;
    });
    connect(DegreesTrackBar, &QSlider::valueChanged, this, [this](int position) {
        sample->SetDegrees(TDegrees(position - 1));
        DegreesLabel->setText(degreesText(position));
        sampleChanged();
    });
    connect(StartAngleTrackBar, &QSlider::valueChanged, this, [this](int position) {
        sample->SetStartingVector(TDegrees(position - 1));
        StartAngleLabel->setText(degreesText(position));
        sampleChanged();
    });
    connect(AngledCheckBox, &QCheckBox::toggled, this, [this](bool on) {
        sample->SetDrawLettersAngled(on);
        sampleChanged();
    });
    connect(MirroredCheckBox, &QCheckBox::toggled, this, [this](bool on) {
        sample->SetMirror(on);
        sampleChanged();
    });
    connect(FontColorButton, &TColorCombo::ColorChosen, this, [this](TColor c) {
        TFont f = sample->Font();
        f.Color = c;
        sample->SetFont(f);
        sampleChanged();
    });
    connect(Fontbutton, &QPushButton::clicked, this, [this] {
        const std::optional<TFont> chosen = ChooseEffectFont(sample->Font());
        if (!chosen)
            return;
        sample->ApplyFont(*chosen);
        sampleChanged();
    });
    connect(RapidChangeFontSize, &TUpDownButtons::Stepped, this, [this](bool up) {
        TFont f = sample->Font();
        const int size = SteppedFontSize(f.Size(), up);
        if (size == f.Size())
            return;
        f.SetSize(size);
        sample->SetFont(f);
        sampleChanged();
    });
    connect(StylePanel, &TEffectStylePanel::StyleChanged, this, [this](const TEffectStyle& style) {
        sample->SetStyle(style);
        sampleChanged();
    });
    connect(ZoomInButton, &QPushButton::clicked, this, [this] {
        if (sample->Zoom() < 1.0f)
            sample->SetZoom(sample->Zoom() + 0.1f);
        showZoom();
        sampleChanged();
    });
    connect(ZoomOutButton, &QPushButton::clicked, this, [this] {
        if (sample->Zoom() > 0.5f)
            sample->SetZoom(sample->Zoom() - 0.1f);
        showZoom();
        sampleChanged();
    });

    // Typing repaints the sample at most once a tick.
    RefreshTimer = new QTimer(this);
    RefreshTimer->setInterval(200);
    connect(RefreshTimer, &QTimer::timeout, this, &TCircleTextProperties::RefreshTick);
    RefreshTimer->start();

    showZoom();
    InstallWhatsThisMenus(this);
    CaptionText->setFocus();
    PlaceDialog(*this);
}

TCircleTextProperties::~TCircleTextProperties() = default;

void TCircleTextProperties::ShowSampleValues()
{
    const QSignalBlocker b1(DegreesTrackBar);
    const QSignalBlocker b2(StartAngleTrackBar);
    const QSignalBlocker b3(AngledCheckBox);
    const QSignalBlocker b4(MirroredCheckBox);
    DegreesTrackBar->setValue(int(sample->Degrees()) + 1);
    DegreesLabel->setText(degreesText(DegreesTrackBar->value()));
    StartAngleTrackBar->setValue(int(sample->StartingVector()) + 1);
    StartAngleLabel->setText(degreesText(StartAngleTrackBar->value()));
    AngledCheckBox->setChecked(sample->DrawLettersAngled());
    MirroredCheckBox->setChecked(sample->Mirror());
    FontColorButton->SetColor(sample->Font().Color);
    StylePanel->SetStyle(sample->Style());
    CaptionText->setText(sample->Caption());
    showZoom();
    sampleChanged();
}

void TCircleTextProperties::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ShowSampleValues();
    CaptionText->setFocus();
}

void TCircleTextProperties::RefreshTick()
{
    RefreshTimer->stop();
    if (textChanged)
        sampleChanged();
    textChanged = false;
    RefreshTimer->start();
}

void TCircleTextProperties::sampleChanged()
{
    SampleView->Refresh();
}

void TCircleTextProperties::showZoom()
{
    ZoomLabel->setText(QStringLiteral("%1%").arg(Round(static_cast<Extended>(sample->Zoom()) * 100)));
}

void TCircleTextProperties::OKButtonClick()
{
    if (CaptionText->text().isEmpty()) {
        Interaction::Current().ShowInfo(QStringLiteral("Please enter some text"), QStringLiteral("Information"));
        CaptionText->setFocus();
        return;
    }
    done(mrOk);
}

void TCircleTextProperties::reject()
{
    done(mrCancel);
}

} // namespace bv
