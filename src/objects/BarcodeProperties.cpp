#include "objects/BarcodeProperties.h"

#include "objects/Barcode.h"
#include "objects/ColorCombo.h"
#include "objects/DialogButtons.h"
#include "platform/Interaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bv {

namespace {
constexpr int HelpContextBarcode = 40020;
constexpr int SampleSide = 180;

const QStringList& securityValues()
{
    static const QStringList values = { "WPA", "WEP", "nopass" };
    return values;
}
} // namespace

TBarcodeProperties::TBarcodeProperties(const TGBarcode& code, const TPersonalInfo& info, QWidget* parent)
    : QDialog(parent), sample(std::make_unique<TGBarcode>()), personal(info)
{
    setObjectName(QStringLiteral("BarcodeProperties"));
    setWindowTitle(QStringLiteral("Barcode Properties"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    sample->TakeSettingsFrom(code);
    sample->SetBounds(0, 0, SampleSide, SampleSide);

    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    outer->addLayout(top);
    auto* form = new QFormLayout;
    top->addLayout(form, 1);

    SymbologyCombo = new QComboBox(this);
    SymbologyCombo->setObjectName(QStringLiteral("SymbologyCombo"));
    SymbologyCombo->addItems(BarcodeSymbologyCaptions());
    SymbologyCombo->setWhatsThis(QStringLiteral("The kind of code. QR Code is what phone cameras read best."));
    form->addRow(QStringLiteral("Symbology"), SymbologyCombo);

    ContentCombo = new QComboBox(this);
    ContentCombo->setObjectName(QStringLiteral("ContentCombo"));
    ContentCombo->addItems({ QStringLiteral("Text"), QStringLiteral("vCard from my details"),
        QStringLiteral("MECARD from my details"), QStringLiteral("Web address (URL)"), QStringLiteral("Wi-Fi") });
    ContentCombo->setWhatsThis(QStringLiteral(
        "What the code carries. The contact cards are built from your Personal Information and follow it when "
        "it changes."));
    form->addRow(QStringLiteral("Content"), ContentCombo);

    DataEdit = new QPlainTextEdit(this);
    DataEdit->setObjectName(QStringLiteral("DataEdit"));
    DataEdit->setTabChangesFocus(true);
    DataEdit->setMinimumHeight(90);
    form->addRow(QStringLiteral("Data"), DataEdit);

    WifiBox = new QWidget(this);
    WifiBox->setObjectName(QStringLiteral("WifiBox"));
    auto* wifi = new QFormLayout(WifiBox);
    wifi->setContentsMargins(0, 0, 0, 0);
    WifiSsid = new QLineEdit(WifiBox);
    WifiSsid->setObjectName(QStringLiteral("WifiSsid"));
    wifi->addRow(QStringLiteral("Network name"), WifiSsid);
    WifiPassword = new QLineEdit(WifiBox);
    WifiPassword->setObjectName(QStringLiteral("WifiPassword"));
    wifi->addRow(QStringLiteral("Password"), WifiPassword);
    WifiSecurity = new QComboBox(WifiBox);
    WifiSecurity->setObjectName(QStringLiteral("WifiSecurity"));
    WifiSecurity->addItems({ QStringLiteral("WPA/WPA2"), QStringLiteral("WEP"), QStringLiteral("None") });
    wifi->addRow(QStringLiteral("Security"), WifiSecurity);
    WifiHidden = new QCheckBox(QStringLiteral("Hidden network"), WifiBox);
    WifiHidden->setObjectName(QStringLiteral("WifiHidden"));
    wifi->addRow(QString(), WifiHidden);
    form->addRow(WifiBox);

    ErrorLevelCombo = new QComboBox(this);
    ErrorLevelCombo->setObjectName(QStringLiteral("ErrorLevelCombo"));
    ErrorLevelCombo->addItems({ QStringLiteral("L (7%)"), QStringLiteral("M (15%)"), QStringLiteral("Q (25%)"),
        QStringLiteral("H (30%)") });
    ErrorLevelCombo->setWhatsThis(QStringLiteral("How much of a QR Code may be damaged and still read."));
    form->addRow(QStringLiteral("Error correction"), ErrorLevelCombo);

    auto* flags = new QGridLayout;
    QuietZoneCheck = new QCheckBox(QStringLiteral("Quiet zone"), this);
    QuietZoneCheck->setObjectName(QStringLiteral("QuietZoneCheck"));
    ShowTextCheck = new QCheckBox(QStringLiteral("Text under the bars"), this);
    ShowTextCheck->setObjectName(QStringLiteral("ShowTextCheck"));
    KeepSquareCheck = new QCheckBox(QStringLiteral("Keep square"), this);
    KeepSquareCheck->setObjectName(QStringLiteral("KeepSquareCheck"));
    TransparentCheck = new QCheckBox(QStringLiteral("Transparent background"), this);
    TransparentCheck->setObjectName(QStringLiteral("TransparentCheck"));
    flags->addWidget(QuietZoneCheck, 0, 0);
    flags->addWidget(ShowTextCheck, 0, 1);
    flags->addWidget(KeepSquareCheck, 1, 0);
    flags->addWidget(TransparentCheck, 1, 1);
    form->addRow(flags);

    auto* colours = new QHBoxLayout;
    BarColor = new TColorCombo(this);
    BarColor->setObjectName(QStringLiteral("BarColor"));
    BackgroundColor = new TColorCombo(this);
    BackgroundColor->setObjectName(QStringLiteral("BackgroundColor"));
    colours->addWidget(new QLabel(QStringLiteral("Bars"), this));
    colours->addWidget(BarColor);
    colours->addWidget(new QLabel(QStringLiteral("Background"), this));
    colours->addWidget(BackgroundColor);
    FontButton = new QPushButton(QStringLiteral("Font..."), this);
    FontButton->setObjectName(QStringLiteral("FontButton"));
    FontButton->setAutoDefault(false);
    colours->addWidget(FontButton);
    form->addRow(QStringLiteral("Colours"), colours);

    auto* right = new QVBoxLayout;
    top->addLayout(right);
    SampleView = new QLabel(this);
    SampleView->setObjectName(QStringLiteral("SampleView"));
    SampleView->setFixedSize(SampleSide + 8, SampleSide + 8);
    SampleView->setAlignment(Qt::AlignCenter);
    right->addWidget(SampleView);
    StatusText = new QLabel(this);
    StatusText->setObjectName(QStringLiteral("StatusText"));
    StatusText->setWordWrap(true);
    StatusText->setFixedWidth(SampleSide + 8);
    right->addWidget(StatusText);
    right->addStretch();

    auto* buttons = new QHBoxLayout;
    outer->addLayout(buttons);
    const DialogButtons b = AddDialogButtons(*this, *buttons, HelpContextBarcode, QStringLiteral("OkButton"),
        QStringLiteral("CancelButton"), QStringLiteral("HelpButton"));
    connect(b.ok, &QPushButton::clicked, this, [this] {
        toSample();
        done(mrOk);
    });

    fromSample();
    auto refresh = [this] {
        if (!filling) {
            toSample();
            fromSample();
        }
    };
    connect(SymbologyCombo, &QComboBox::currentIndexChanged, this, refresh);
    connect(ContentCombo, &QComboBox::currentIndexChanged, this, [this] {
        if (filling)
            return;
        const auto content = TBarcodeContent(ContentCombo->currentIndex());
        sample->SetContent(content);
        // A contact card is built at once; a Wi-Fi code starts from what the
        // fields hold; other kinds keep the text.
        if (content == bcVCard || content == bcMeCard)
            sample->SetData(BarcodeDataFor(content, personal, sample->Data()));
        else if (content == bcWifi)
            sample->SetData(WifiPayload({ WifiSsid->text(), WifiPassword->text(),
                securityValues().value(WifiSecurity->currentIndex()), WifiHidden->isChecked() }));
        fromSample();
    });
    connect(DataEdit, &QPlainTextEdit::textChanged, this, refresh);
    for (QLineEdit* e : { WifiSsid, WifiPassword })
        connect(e, &QLineEdit::textChanged, this, refresh);
    connect(WifiSecurity, &QComboBox::currentIndexChanged, this, refresh);
    connect(ErrorLevelCombo, &QComboBox::currentIndexChanged, this, refresh);
    for (QCheckBox* c : { WifiHidden, QuietZoneCheck, ShowTextCheck, KeepSquareCheck, TransparentCheck })
        connect(c, &QCheckBox::toggled, this, refresh);
    connect(BarColor, &TColorCombo::ColorChosen, this, refresh);
    connect(BackgroundColor, &TColorCombo::ColorChosen, this, refresh);
    connect(FontButton, &QPushButton::clicked, this, [this] {
        if (const auto chosen = Interaction::Current().ChooseFont(sample->Font().ToQFont(), QStringLiteral("Font"))) {
            sample->SetFont(TFont::FromQFont(*chosen, sample->Font()));
            updateSample();
        }
    });
}

TBarcodeProperties::~TBarcodeProperties() = default;

void TBarcodeProperties::fromSample()
{
    filling = true;
    const TBarcodeContent content = sample->Content();
    SymbologyCombo->setCurrentIndex(int(sample->Symbology()));
    ContentCombo->setCurrentIndex(int(content));
    if (DataEdit->toPlainText() != sample->Data()) {
        const int cursor = DataEdit->textCursor().position();
        DataEdit->setPlainText(sample->Data());
        QTextCursor c = DataEdit->textCursor();
        c.setPosition(std::min(cursor, int(sample->Data().size())));
        DataEdit->setTextCursor(c);
    }
    // The contact cards are made from the personal information, not typed.
    DataEdit->setReadOnly(content == bcVCard || content == bcMeCard || content == bcWifi);
    WifiBox->setVisible(content == bcWifi);
    if (content == bcWifi) {
        if (const auto network = ParseWifiPayload(sample->Data())) {
            if (WifiSsid->text() != network->Ssid)
                WifiSsid->setText(network->Ssid);
            if (WifiPassword->text() != network->Password)
                WifiPassword->setText(network->Password);
            WifiSecurity->setCurrentIndex(std::max<int>(0, securityValues().indexOf(network->Security)));
            WifiHidden->setChecked(network->Hidden);
        }
    }
    const TBarcodeSymbology s = sample->Symbology();
    ErrorLevelCombo->setCurrentIndex(int(sample->ErrorLevel()));
    ErrorLevelCombo->setEnabled(s == bsQRCode || s == bsMicroQR);
    QuietZoneCheck->setChecked(sample->QuietZone());
    ShowTextCheck->setChecked(sample->ShowText());
    ShowTextCheck->setEnabled(IsLinearSymbology(s));
    KeepSquareCheck->setChecked(sample->KeepSquare());
    TransparentCheck->setChecked(sample->Transparent());
    BarColor->SetColor(sample->Color());
    BackgroundColor->SetColor(sample->BackColor());
    BackgroundColor->setEnabled(!sample->Transparent());
    filling = false;
    updateSample();
}

void TBarcodeProperties::toSample()
{
    const auto content = TBarcodeContent(ContentCombo->currentIndex());
    sample->SetSymbology(TBarcodeSymbology(SymbologyCombo->currentIndex()));
    sample->SetContent(content);
    if (content == bcWifi)
        sample->SetData(WifiPayload({ WifiSsid->text(), WifiPassword->text(),
            securityValues().value(WifiSecurity->currentIndex()), WifiHidden->isChecked() }));
    else if (content == bcVCard || content == bcMeCard)
        sample->SetData(BarcodeDataFor(content, personal, sample->Data()));
    else
        sample->SetData(DataEdit->toPlainText().left(MaxBarcodeData));
    sample->SetErrorLevel(TBarcodeErrorLevel(ErrorLevelCombo->currentIndex()));
    sample->SetQuietZone(QuietZoneCheck->isChecked());
    sample->SetShowText(ShowTextCheck->isChecked());
    sample->SetKeepSquare(KeepSquareCheck->isChecked());
    sample->SetTransparent(TransparentCheck->isChecked());
    sample->SetColor(BarColor->Color());
    sample->SetBackColor(BackgroundColor->Color());
}

void TBarcodeProperties::updateSample()
{
    QImage image(SampleSide, SampleSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        sample->DrawTo(p);
    }
    SampleView->setPixmap(QPixmap::fromImage(image));
    const QString error = sample->ErrorMessage();
    StatusText->setText(error.isEmpty()
            ? QStringLiteral("%1 characters encoded.").arg(sample->Data().size())
            : error);
}

} // namespace bv
