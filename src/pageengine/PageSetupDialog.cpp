#include "pageengine/PageSetupDialog.h"

#include "pageengine/PageEngine.h"
#include "platform/Interaction.h"
#include "platform/Printers.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace bv {

namespace {

// A broken print system answers nothing rather than stopping the dialog.
QStringList printerNames()
{
    try {
        return PrinterList::Current().PrinterNames();
    } catch (const std::runtime_error&) {
        return {};
    }
}

QString defaultPrinterName()
{
    try {
        return PrinterList::Current().DefaultPrinterName();
    } catch (const std::runtime_error&) {
        return {};
    }
}

PrinterDetails detailsOf(const QString& name)
{
    try {
        return PrinterList::Current().Details(name);
    } catch (const std::runtime_error&) {
        return {};
    }
}

bool sameSheet(const QPageSize& a, const QPageSize& b)
{
    if (a.id() != QPageSize::Custom || b.id() != QPageSize::Custom)
        return a.id() == b.id();
    return a.isEquivalentTo(b);
}

// A sheet with a large "A" on it, standing or lying, as the orientation
// buttons choose.
QPixmap orientationPicture(bool landscape)
{
    const QSize page = landscape ? QSize(44, 34) : QSize(34, 44);
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QRect sheet(QPoint((48 - page.width()) / 2, (48 - page.height()) / 2), page);
    p.fillRect(sheet.translated(2, 2), QColor(128, 128, 128));
    p.fillRect(sheet, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(sheet.adjusted(0, 0, -1, -1));
    QFont font = p.font();
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.drawText(sheet, Qt::AlignCenter, QStringLiteral("A"));
    return pixmap;
}

} // namespace

TPageSetupDialog::TPageSetupDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrinterSetupDialog"));
    setWindowTitle(QStringLiteral("Printer Setup"));

    // Printer.
    auto* printerBox = new QGroupBox(QStringLiteral("Printer"), this);
    printerBox->setObjectName(QStringLiteral("PrinterGroup"));
    PrinterCombo = new QComboBox(printerBox);
    PrinterCombo->setObjectName(QStringLiteral("PrinterCombo"));
    PrinterCombo->setMinimumWidth(260);
    PrinterCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    PrinterCombo->setWhatsThis(QStringLiteral("The printer the cards are printed on."));
    PropertiesButton = new QPushButton(QStringLiteral("&Properties..."), printerBox);
    PropertiesButton->setObjectName(QStringLiteral("PropertiesButton"));
    PropertiesButton->setAutoDefault(false);
    PropertiesButton->setWhatsThis(QStringLiteral("Opens the page settings of the chosen printer."));
    StatusLabel = new QLabel(printerBox);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    TypeLabel = new QLabel(printerBox);
    TypeLabel->setObjectName(QStringLiteral("TypeLabel"));
    WhereLabel = new QLabel(printerBox);
    WhereLabel->setObjectName(QStringLiteral("WhereLabel"));
    for (QLabel* l : {StatusLabel, TypeLabel, WhereLabel})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* nameCaption = new QLabel(QStringLiteral("&Name:"), printerBox);
    nameCaption->setObjectName(QStringLiteral("NameCaption"));
    nameCaption->setBuddy(PrinterCombo);
    auto* statusCaption = new QLabel(QStringLiteral("Status:"), printerBox);
    statusCaption->setObjectName(QStringLiteral("StatusCaption"));
    auto* typeCaption = new QLabel(QStringLiteral("Type:"), printerBox);
    typeCaption->setObjectName(QStringLiteral("TypeCaption"));
    auto* whereCaption = new QLabel(QStringLiteral("Where:"), printerBox);
    whereCaption->setObjectName(QStringLiteral("WhereCaption"));

    auto* printerGrid = new QGridLayout(printerBox);
    printerGrid->addWidget(nameCaption, 0, 0);
    printerGrid->addWidget(PrinterCombo, 0, 1);
    printerGrid->addWidget(PropertiesButton, 0, 2);
    printerGrid->addWidget(statusCaption, 1, 0);
    printerGrid->addWidget(StatusLabel, 1, 1, 1, 2);
    printerGrid->addWidget(typeCaption, 2, 0);
    printerGrid->addWidget(TypeLabel, 2, 1, 1, 2);
    printerGrid->addWidget(whereCaption, 3, 0);
    printerGrid->addWidget(WhereLabel, 3, 1, 1, 2);
    printerGrid->setColumnStretch(1, 1);

    // Paper.
    auto* paperBox = new QGroupBox(QStringLiteral("Paper"), this);
    paperBox->setObjectName(QStringLiteral("PaperGroup"));
    PaperSizeCombo = new QComboBox(paperBox);
    PaperSizeCombo->setObjectName(QStringLiteral("PaperSizeCombo"));
    PaperSizeCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    PaperSizeCombo->setMinimumContentsLength(18);
    PaperSizeCombo->setWhatsThis(QStringLiteral("The size of the sheets in the printer."));
    auto* sizeCaption = new QLabel(QStringLiteral("Si&ze:"), paperBox);
    sizeCaption->setObjectName(QStringLiteral("SizeCaption"));
    sizeCaption->setBuddy(PaperSizeCombo);
    auto* paperRow = new QHBoxLayout(paperBox);
    paperRow->addWidget(sizeCaption);
    paperRow->addWidget(PaperSizeCombo, 1);

    // Orientation.
    auto* orientationBox = new QGroupBox(QStringLiteral("Orientation"), this);
    orientationBox->setObjectName(QStringLiteral("OrientationGroup"));
    OrientationPicture = new QLabel(orientationBox);
    OrientationPicture->setObjectName(QStringLiteral("OrientationPicture"));
    OrientationPicture->setFixedSize(48, 48);
    PortraitButton = new QRadioButton(QStringLiteral("P&ortrait"), orientationBox);
    PortraitButton->setObjectName(QStringLiteral("PortraitButton"));
    LandscapeButton = new QRadioButton(QStringLiteral("&Landscape"), orientationBox);
    LandscapeButton->setObjectName(QStringLiteral("LandscapeButton"));
    PortraitButton->setChecked(true);
    auto* radios = new QVBoxLayout;
    radios->addWidget(PortraitButton);
    radios->addWidget(LandscapeButton);
    auto* orientationRow = new QHBoxLayout(orientationBox);
    orientationRow->addWidget(OrientationPicture);
    orientationRow->addLayout(radios, 1);

    auto* lower = new QHBoxLayout;
    lower->addWidget(paperBox, 3);
    lower->addWidget(orientationBox, 2);

    // Buttons.
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    auto* column = new QVBoxLayout(this);
    column->addWidget(printerBox);
    column->addLayout(lower);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(PrinterCombo, &QComboBox::currentIndexChanged, this, [this] { PrinterComboChange(); });
    connect(PropertiesButton, &QPushButton::clicked, this, [this] { PropertiesButtonClick(); });
    connect(PortraitButton, &QRadioButton::toggled, this, [this] { OrientationClick(); });
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });

    SetSettings(defaultPrinterName(), QString(), QPageSize(QPageSize::Letter), poPortrait);
}

void TPageSetupDialog::SetSettings(const QString& printerName, const QString& file, const QPageSize& size,
                                   int orientation)
{
    outputFile = file;
    defaultName = defaultPrinterName();
    {
        const QSignalBlocker block(PrinterCombo);
        fillPrinters(printerName);
    }
    fillPaperSizes(size.isValid() ? size : QPageSize(QPageSize::Letter));
    selectPaperSize(size.isValid() ? size : QPageSize(QPageSize::Letter));
    (orientation == poLandscape ? LandscapeButton : PortraitButton)->setChecked(true);
    OrientationClick();
    showDetails();
}

void TPageSetupDialog::fillPrinters(const QString& printerName)
{
    PrinterCombo->clear();
    if (!outputFile.isEmpty())
        PrinterCombo->addItem(QStringLiteral("PDF file ") + QFileInfo(outputFile).fileName(), QString());
    const QStringList names = printerNames();
    for (const QString& name : names)
        PrinterCombo->addItem(name, name);
    int index = -1;
    if (outputFile.isEmpty()) {
        index = PrinterCombo->findData(printerName);
        if (index < 0 && !defaultName.isEmpty())
            index = PrinterCombo->findData(defaultName);
    }
    if (index < 0 && PrinterCombo->count() > 0)
        index = 0;
    PrinterCombo->setCurrentIndex(index);
    PropertiesButton->setEnabled(PrinterCombo->count() > 0);
}

QString TPageSetupDialog::PrinterName() const
{
    return PrinterCombo->currentIndex() < 0 ? QString() : PrinterCombo->currentData().toString();
}

void TPageSetupDialog::fillPaperSizes(const QPageSize& keep)
{
    const QSignalBlocker block(PaperSizeCombo);
    sizes = {QPageSize(QPageSize::Letter), QPageSize(QPageSize::A4)};
    PaperSizeCombo->clear();
    PaperSizeCombo->addItem(QStringLiteral("Letter"));
    PaperSizeCombo->addItem(QStringLiteral("A4"));
    const QString name = PrinterName();
    if (!name.isEmpty()) {
        for (const QPageSize& size : detailsOf(name).PageSizes) {
            if (!size.isValid())
                continue;
            bool known = false;
            for (const QPageSize& have : sizes)
                known = known || sameSheet(have, size);
            if (known)
                continue;
            sizes.append(size);
            PaperSizeCombo->addItem(size.name());
        }
    }
    int index = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        if (sameSheet(sizes[i], keep)) {
            index = i;
            break;
        }
    }
    PaperSizeCombo->setCurrentIndex(index);
}

void TPageSetupDialog::selectPaperSize(const QPageSize& size)
{
    if (!size.isValid())
        return;
    for (int i = 0; i < sizes.size(); ++i) {
        if (sameSheet(sizes[i], size)) {
            PaperSizeCombo->setCurrentIndex(i);
            return;
        }
    }
    // A sheet set earlier (or by the printer's own settings) that this
    // printer does not list stays what it is.
    sizes.append(size);
    PaperSizeCombo->addItem(size.name());
    PaperSizeCombo->setCurrentIndex(static_cast<int>(sizes.size()) - 1);
}

QPageSize TPageSetupDialog::PageSize() const
{
    const int index = PaperSizeCombo->currentIndex();
    return index >= 0 && index < sizes.size() ? sizes[index] : QPageSize(QPageSize::Letter);
}

int TPageSetupDialog::Orientation() const
{
    return LandscapeButton->isChecked() ? poLandscape : poPortrait;
}

void TPageSetupDialog::showDetails()
{
    const QString name = PrinterName();
    if (name.isEmpty()) {
        const bool file = PrinterCombo->currentIndex() >= 0;
        StatusLabel->setText(file ? QStringLiteral("Ready") : QString());
        TypeLabel->setText(file ? QStringLiteral("PDF file") : QString());
        WhereLabel->setText(file ? outputFile : QString());
        return;
    }
    const PrinterDetails details = detailsOf(name);
    QString status = details.Status;
    if (name == defaultName)
        status = status.isEmpty() ? QStringLiteral("Default printer") : QStringLiteral("Default printer; ") + status;
    StatusLabel->setText(status);
    TypeLabel->setText(details.Description);
    WhereLabel->setText(details.Location);
}

void TPageSetupDialog::PrinterComboChange()
{
    // The sheet stays when the new printer takes it; else Letter.
    fillPaperSizes(PageSize());
    showDetails();
}

void TPageSetupDialog::PropertiesButtonClick()
{
    QPrinter printer(QPrinter::HighResolution);
    const QString name = PrinterName();
    if (!name.isEmpty()) {
        printer.setPrinterName(name);
    } else if (!outputFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(outputFile);
    }
    printer.setPageSize(PageSize());
    printer.setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPageSetupDialog dialog(&printer, this);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return;
    const QPageLayout layout = printer.pageLayout();
    selectPaperSize(layout.pageSize());
    (layout.orientation() == QPageLayout::Landscape ? LandscapeButton : PortraitButton)->setChecked(true);
    OrientationClick();
}

void TPageSetupDialog::OrientationClick()
{
    OrientationPicture->setPixmap(orientationPicture(LandscapeButton->isChecked()));
}

void TPageSetupDialog::OkButtonClick()
{
    done(mrOk);
}

void TPageSetupDialog::reject()
{
    done(mrCancel);
}

} // namespace bv
