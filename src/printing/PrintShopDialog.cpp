#include "printing/PrintShopDialog.h"

#include "platform/Interaction.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace bv {

namespace {
constexpr double MmPerInch = 25.4;
} // namespace

double DefaultBleedMm(bool metric)
{
    return metric ? 3.0 : MmPerInch / 8;
}

bool PrefersMillimetres(bool layoutInMillimetres)
{
    return layoutInMillimetres || QLocale().measurementSystem() == QLocale::MetricSystem;
}

TPrintShopDialog::TPrintShopDialog(bool metricUnits, QWidget* parent) : QDialog(parent), metric(metricUnits)
{
    setObjectName(QStringLiteral("PrintShopDialog"));
    setWindowTitle(QStringLiteral("Export for Print Shop"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* note = new QLabel(QStringLiteral("One card per page at its trim size plus the bleed, with the trim and "
                                           "bleed boxes a print shop reads. Art that touches the card's edge "
                                           "runs on into the bleed."),
        this);
    note->setWordWrap(true);

    BleedEdit = new QDoubleSpinBox(this);
    BleedEdit->setObjectName(QStringLiteral("BleedEdit"));
    if (metric) {
        BleedEdit->setDecimals(2);
        BleedEdit->setRange(0, MaxBleedMm);
        BleedEdit->setSingleStep(0.5);
        BleedEdit->setSuffix(QStringLiteral(" mm"));
    } else {
        BleedEdit->setDecimals(3);
        // 6 mm is 0.236 inch.
        BleedEdit->setRange(0, std::floor(MaxBleedMm / MmPerInch * 1000) / 1000);
        BleedEdit->setSingleStep(1.0 / 32);
        BleedEdit->setSuffix(QStringLiteral(" in"));
    }
    BleedEdit->setWhatsThis(QStringLiteral("How far the card's background runs on beyond the cut on every side "
                                           "(0 to 6 mm). Print shops usually ask for 1/8 inch or 3 mm."));
    CropMarksBox = new QCheckBox(QStringLiteral("&Crop marks"), this);
    CropMarksBox->setObjectName(QStringLiteral("CropMarksBox"));
    CropMarksBox->setWhatsThis(QStringLiteral("Short lines outside the bleed at each corner, on the cut lines."));
    BackBox = new QCheckBox(this);
    BackBox->setObjectName(QStringLiteral("BackBox"));
    BackBox->setWhatsThis(QStringLiteral("The back of the card, designed as its own file beside this one "
                                         "(NAME.back.QRD), as the second page."));
    BackBox->hide();
    SizeLabel = new QLabel(this);
    SizeLabel->setObjectName(QStringLiteral("SizeLabel"));

    auto* form = new QFormLayout;
    auto* bleedLabel = new QLabel(QStringLiteral("&Bleed:"), this);
    bleedLabel->setBuddy(BleedEdit);
    form->addRow(bleedLabel, BleedEdit);
    form->addRow(QString(), CropMarksBox);
    form->addRow(QString(), BackBox);
    form->addRow(QStringLiteral("Page:"), SizeLabel);

    OkButton = new QPushButton(QStringLiteral("&Export..."), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    auto* column = new QVBoxLayout(this);
    column->addWidget(note);
    column->addLayout(form);
    column->addLayout(buttons);

    connect(OkButton, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(BleedEdit, &QDoubleSpinBox::valueChanged, this, [this] { showPageSize(); });
    connect(CropMarksBox, &QCheckBox::toggled, this, [this] { showPageSize(); });
    SetOptions(TPrintShopOptions{ DefaultBleedMm(metric), true });
}

void TPrintShopDialog::reject()
{
    done(mrCancel);
}

void TPrintShopDialog::SetOptions(const TPrintShopOptions& options)
{
    const double mm = std::clamp(options.BleedMm, 0.0, MaxBleedMm);
    BleedEdit->setValue(metric ? mm : mm / MmPerInch);
    CropMarksBox->setChecked(options.CropMarks);
    showPageSize();
}

TPrintShopOptions TPrintShopDialog::Options() const
{
    TPrintShopOptions o;
    // Inches as typed, to the thousandth the edit shows; never beyond 6 mm.
    o.BleedMm = std::clamp(metric ? BleedEdit->value() : BleedEdit->value() * MmPerInch, 0.0, MaxBleedMm);
    o.CropMarks = CropMarksBox->isChecked();
    return o;
}

void TPrintShopDialog::SetBackFile(const QString& name)
{
    BackBox->setText(QStringLiteral("Bac&k (%1) as page 2").arg(name));
    BackBox->setChecked(!name.isEmpty());
    BackBox->setVisible(!name.isEmpty());
}

bool TPrintShopDialog::WithBack() const
{
    return !BackBox->isHidden() && BackBox->isChecked();
}

void TPrintShopDialog::SetCardSize(const QSizeF& inches)
{
    card = inches;
    showPageSize();
}

void TPrintShopDialog::showPageSize()
{
    const TPrintShopPage page = TPrintShopPage::For(card, Options());
    const double f = metric ? MmPerInch : 1.0;
    SizeLabel->setText(QStringLiteral("%1 x %2 %3 (bleed box %4 x %5)")
                           .arg(page.Page.width() * f, 0, 'f', metric ? 1 : 3)
                           .arg(page.Page.height() * f, 0, 'f', metric ? 1 : 3)
                           .arg(metric ? QStringLiteral("mm") : QStringLiteral("in"))
                           .arg(page.BleedBox.width() * f, 0, 'f', metric ? 1 : 3)
                           .arg(page.BleedBox.height() * f, 0, 'f', metric ? 1 : 3));
}

} // namespace bv
