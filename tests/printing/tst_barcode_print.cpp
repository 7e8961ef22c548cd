// Barcodes read back by an independent decoder (ZXing) from what the program
// draws: the screen at 96 pixels per inch, the card picture at 300 dpi, and
// every card of a sheet printed to PDF and rasterised at 300 dpi by
// pdftoppm. The decoded text must equal the data; the expected texts are
// written here (published check digits for EAN-13 and UPC-A).
#include "PrintTestKit.h"

#include "app/DesignClasses.h"
#include "document/CardDocument.h"
#include "objects/Barcode.h"
#include "printing/PrintCommands.h"
#include "support/ScriptedInteraction.h"
#include "support/ZxingDecode.h"
#include "surface/TemplateFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

Q_DECLARE_METATYPE(bv::TBarcodeSymbology)

namespace {

// A vCard 3.0 as RFC 2426 writes it: escaped comma and semicolon, a
// line break in the address, letters beyond ASCII in UTF-8.
const char* const HandVCard = "BEGIN:VCARD\r\n"
                              "VERSION:3.0\r\n"
                              "N:\xc3\x85ngstr\xc3\xb6m;Zo\xc3\xab;;;\r\n"
                              "FN:Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m\r\n"
                              "ORG:Soci\xc3\xa9t\xc3\xa9 G\xc3\xa9n\xc3\xa9rale\\, Paris\\; Lyon\r\n"
                              "ADR;TYPE=WORK:;;12 Rue de la Paix\\n75002 Paris;;;;\r\n"
                              "TEL;TYPE=WORK,VOICE:+33 1 23 45 67 89\r\n"
                              "EMAIL;TYPE=INTERNET:zoe@example.fr\r\n"
                              "END:VCARD\r\n";

TGBarcode* addCode(TGBasePanel& panel, TBarcodeSymbology symbology, const QString& data)
{
    auto* code = new TGBarcode;
    code->SetParent(&panel);
    code->SetSymbology(symbology);
    code->SetData(data);
    if (IsLinearSymbology(symbology) || symbology == bsPDF417)
        code->SetBounds(18, 40, 300, 110);
    else
        code->SetBounds(90, 16, 160, 160);
    TFont f = code->Font();
    f.Name = QStringLiteral("Liberation Sans");
    code->SetFont(f);
    code->Loaded();
    return code;
}

QString decodedOnce(const QImage& image)
{
    const QStringList found = DecodeBarcodes(image);
    return found.isEmpty() ? QStringLiteral("<no code read>") : found.first();
}

} // namespace

class TestBarcodePrint : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void decodesOnScreenInPictureAndOnTheSheet_data();
    void decodesOnScreenInPictureAndOnTheSheet();
    void shippedTemplatesCarryTheUsersVCard_data();
    void shippedTemplatesCarryTheUsersVCard();

private:
    QTemporaryDir home;
};

void TestBarcodePrint::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    RegisterDesignClasses();
}

void TestBarcodePrint::decodesOnScreenInPictureAndOnTheSheet_data()
{
    QTest::addColumn<TBarcodeSymbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("decoded");
    const QString vcard = QString::fromUtf8(HandVCard);
    QTest::newRow("QR Code, vCard") << bsQRCode << vcard << vcard;
    QTest::newRow("Micro QR") << bsMicroQR << QStringLiteral("MICRO 42") << QStringLiteral("MICRO 42");
    QTest::newRow("Data Matrix") << bsDataMatrix << QStringLiteral("Brisvale Data Matrix")
                                 << QStringLiteral("Brisvale Data Matrix");
    QTest::newRow("Aztec, accents") << bsAztec << QString::fromUtf8("Aztec \u00e4\u00f6\u00fc \u20ac")
                                    << QString::fromUtf8("Aztec \u00e4\u00f6\u00fc \u20ac");
    QTest::newRow("PDF417") << bsPDF417 << QStringLiteral("PDF417 stacked") << QStringLiteral("PDF417 stacked");
    QTest::newRow("Code 128") << bsCode128 << QStringLiteral("Brisvale-128") << QStringLiteral("Brisvale-128");
    QTest::newRow("Code 39") << bsCode39 << QStringLiteral("CODE39 TEST") << QStringLiteral("CODE39 TEST");
    QTest::newRow("EAN-13, check digit added") << bsEAN13 << QStringLiteral("400638133393")
                                               << QStringLiteral("4006381333931");
    QTest::newRow("UPC-A, check digit added") << bsUPCA << QStringLiteral("03600029145")
                                              << QStringLiteral("036000291452");
    QTest::newRow("ITF") << bsITF << QStringLiteral("10012345678902") << QStringLiteral("10012345678902");
}

void TestBarcodePrint::decodesOnScreenInPictureAndOnTheSheet()
{
    QFETCH(TBarcodeSymbology, symbology);
    QFETCH(QString, data);
    QFETCH(QString, decoded);
    TGBusinessCardPanel32 panel;
    panel.resize(336, 192);
    addCode(panel, symbology, data);

    // The screen at 96 pixels per inch: the panel as it paints itself.
    const QImage screen = panel.grab().toImage();
    if (qEnvironmentVariableIsSet("BARCODE_DEBUG"))
        screen.save(QStringLiteral("/tmp/x/screen-%1.png").arg(int(symbology)));
    QCOMPARE(decodedOnce(screen), decoded);
    // The card picture at 300 dpi.
    const QImage picture = RenderCardPictureAtDpi(panel.Model(), 300, false);
    QCOMPARE(picture.width(), 1050);
    if (qEnvironmentVariableIsSet("BARCODE_DEBUG"))
        picture.save(QStringLiteral("/tmp/x/picture-%1.png").arg(int(symbology)));
    QCOMPARE(decodedOnce(picture), decoded);

    // A sheet into a PDF, rasterised at 300 dpi: every card reads.
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) is needed to read the sheet back");
    ScriptedInteraction ui;
    TPrintCommands printing(panel.Model());
    printing.Unattended = true;
    const QString pdf = home.filePath(QStringLiteral("sheet-%1.pdf").arg(int(symbology)));
    QVERIFY(printing.ExportSheetPdf(pdf));
    const QList<QImage> pages = rasterizePdf(pdf, 300);
    QCOMPARE(pages.size(), 1);
    const TImposition sheet = printing.CurrentImposition();
    for (int row = 0; row < sheet.Down; ++row)
        for (int column = 0; column < sheet.Across; ++column) {
            const QRectF box = sheet.CardBox(sheet.Origin(row, column, 11.0));
            const QRect card(qRound(box.left() * 300), qRound(box.top() * 300), qRound(box.width() * 300),
                qRound(box.height() * 300));
            QCOMPARE(decodedOnce(pages[0].copy(card)), decoded);
        }
}

void TestBarcodePrint::shippedTemplatesCarryTheUsersVCard_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("ContactCode") << QStringLiteral("ContactCode.QRDT");
    QTest::newRow("CodeBand") << QStringLiteral("CodeBand.QRDT");
    QTest::newRow("VerticalCode") << QStringLiteral("VerticalCode.QRDT");
}

void TestBarcodePrint::shippedTemplatesCarryTheUsersVCard()
{
    // The shipped template with the user's details: its code reads as the
    // vCard of those details, at the size the template gives it, at 300 dpi.
    QFETCH(QString, name);
    QFile f(QStringLiteral(":/qrdt/") + name);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(name));
    const QString path = home.filePath(name);
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(f.readAll());
    }
    TGBusinessCardPanel32 panel;
    TPersonalInfo me;
    me.Name = QString::fromUtf8("Zo\u00eb \u00c5ngstr\u00f6m");
    me.Company = QStringLiteral("Fabrikam, Inc.");
    me.Phone1 = QStringLiteral("+44 20 7946 0000");
    me.Email = QStringLiteral("zoe@example.com");
    panel.SetPersonalInfo(me);
    panel.ImportTemplate(path);
    panel.resize(panel.Rotated() ? QSize(192, 336) : QSize(336, 192));
    const QString expected = QString::fromUtf8("BEGIN:VCARD\r\n"
                                               "VERSION:3.0\r\n"
                                               "N:\xc3\x85ngstr\xc3\xb6m;Zo\xc3\xab;;;\r\n"
                                               "FN:Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m\r\n"
                                               "ORG:Fabrikam\\, Inc.\r\n"
                                               "TEL;TYPE=WORK,VOICE:+44 20 7946 0000\r\n"
                                               "EMAIL;TYPE=INTERNET:zoe@example.com\r\n"
                                               "END:VCARD\r\n");
    QCOMPARE(decodedOnce(RenderCardPictureAtDpi(panel.Model(), 300, false)), expected);
}

QTEST_MAIN(TestBarcodePrint)
#include "tst_barcode_print.moc"
