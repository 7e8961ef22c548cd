// The barcode object: the contact texts it carries (vCard 3.0, MECARD, Wi-Fi)
// against texts written here by hand from RFC 2426 and the MECARD and Wi-Fi
// conventions; data that cannot be encoded shows a message; the design file
// keeps it byte for byte; the properties dialog driven as a user drives it.
#include "objects/Barcode.h"
#include "objects/BarcodePayload.h"
#include "objects/BarcodeProperties.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectStream.h"
#include "support/ScriptedInteraction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

Q_DECLARE_METATYPE(bv::TPersonalInfo)
Q_DECLARE_METATYPE(bv::TBarcodeSymbology)

namespace {

TPersonalInfo person(const QString& name, const QString& company, const QString& title, const QString& a1,
    const QString& a2, const QString& phone1, const QString& email, const QString& fax)
{
    TPersonalInfo p;
    p.Name = name;
    p.Company = company;
    p.Title = title;
    p.Address1 = a1;
    p.Address2 = a2;
    p.Phone1 = phone1;
    p.Email = email;
    p.Fax = fax;
    return p;
}

QImage drawn(TGBarcode& code)
{
    QImage image(code.Width() + 40, code.Height() + 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.translate(20, 20);
    code.DrawTo(p);
    return image;
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Keys the user presses to move a combo box to `row`: Home, then Down.
void chooseRow(QComboBox* combo, int row)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < row; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

} // namespace

class TestBarcode : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void vcardFollowsRfc2426_data();
    void vcardFollowsRfc2426();
    void otherPayloads_data();
    void otherPayloads();
    void unencodableDataShowsTheMessage_data();
    void unencodableDataShowsTheMessage();
    void designFileRoundTripsByteForByte();
    void followsThePersonalInformation();
    void propertiesDialogAsTheUserDrivesIt_data();
    void propertiesDialogAsTheUserDrivesIt();

private:
    QTemporaryDir dir;
};

void TestBarcode::initTestCase()
{
    qputenv("BRISVALE_HOME", dir.path().toLocal8Bit());
    qputenv("BRISVALE_PPI", "96");
    RegisterBarcodeClasses();
}

void TestBarcode::vcardFollowsRfc2426_data()
{
    QTest::addColumn<TPersonalInfo>("info");
    QTest::addColumn<QByteArray>("expected");

    // Comma, semicolon, backslash and line break escaped in text values;
    // the three address lines go into the street part, one per line.
    QTest::newRow("escaping")
        << person("Anna Maria O'Neil", "Smith, Jones; Partners", "Head of R\\D", "1 Main St, Suite 5", "Springfield",
               "+1 555 0100", "anna@example.com", "+1 555 0199")
        << QByteArray("BEGIN:VCARD\r\n"
                      "VERSION:3.0\r\n"
                      "N:O'Neil;Anna;Maria;;\r\n"
                      "FN:Anna Maria O'Neil\r\n"
                      "ORG:Smith\\, Jones\\; Partners\r\n"
                      "TITLE:Head of R\\\\D\r\n"
                      "ADR;TYPE=WORK:;;1 Main St\\, Suite 5\\nSpringfield;;;;\r\n"
                      "TEL;TYPE=WORK,VOICE:+1 555 0100\r\n"
                      "TEL;TYPE=WORK,FAX:+1 555 0199\r\n"
                      "EMAIL;TYPE=INTERNET:anna@example.com\r\n"
                      "END:VCARD\r\n");

    // Folding at 75 octets of UTF-8: "ORG:" and 70 letters are 74 octets, so
    // the two-octet e-acute starts the continuation line; "TITLE:" and 68
    // letters are 74, so the escape "\," moves whole; an e-mail line of
    // exactly 75 octets stays one line.
    const QString seventyA(70, QLatin1Char('A'));
    const QString sixtyEightB(68, QLatin1Char('b'));
    const QString mail = QString(43, QLatin1Char('x')) + QStringLiteral("@example.com");
    QTest::newRow("unicode and folding")
        << person(QString::fromUtf8("Zo\u00eb \u00c5ngstr\u00f6m"), seventyA + QString::fromUtf8("\u00e9 Ltd"),
               sixtyEightB + QStringLiteral(", c"), QString(), QString(), QString(), mail, QString())
        << QByteArray("BEGIN:VCARD\r\n"
                      "VERSION:3.0\r\n"
                      "N:\xc3\x85ngstr\xc3\xb6m;Zo\xc3\xab;;;\r\n"
                      "FN:Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m\r\n"
                      "ORG:" + seventyA.toLatin1() + "\r\n"
                      " \xc3\xa9 Ltd\r\n"
                      "TITLE:" + sixtyEightB.toLatin1() + "\r\n"
                      " \\, c\r\n"
                      "EMAIL;TYPE=INTERNET:" + mail.toLatin1() + "\r\n"
                      "END:VCARD\r\n");
}

void TestBarcode::vcardFollowsRfc2426()
{
    QFETCH(TPersonalInfo, info);
    QFETCH(QByteArray, expected);
    const QByteArray got = VCardFromPersonalInfo(info).toUtf8();
    QCOMPARE(got, expected);
    for (const QByteArray& line : got.split('\n'))
        QVERIFY2(line.size() <= 76, line.constData()); // 75 octets and the CR
}

void TestBarcode::otherPayloads_data()
{
    QTest::addColumn<QString>("got");
    QTest::addColumn<QString>("expected");
    QTest::newRow("MECARD escapes ; : , and backslash")
        << MeCardFromPersonalInfo(person("Jane Doe", "ACME; Inc", "CEO", QString(), QString(), "555",
               "j@x.org", QString()))
        << QStringLiteral("MECARD:N:Doe,Jane;ORG:ACME\\; Inc;TEL:555;EMAIL:j@x.org;NOTE:CEO;;");
    QTest::newRow("Wi-Fi escapes ; , : \" and backslash")
        << WifiPayload({ QStringLiteral("My;Net"), QStringLiteral("p:a\"ss\\"), QStringLiteral("WPA"), false })
        << QStringLiteral("WIFI:T:WPA;S:My\\;Net;P:p\\:a\\\"ss\\\\;;");
    QTest::newRow("open hidden Wi-Fi has no password")
        << WifiPayload({ QStringLiteral("Cafe"), QStringLiteral("ignored"), QStringLiteral("nopass"), true })
        << QStringLiteral("WIFI:T:nopass;S:Cafe;H:true;;");
    const TWifiNetwork tricky { QStringLiteral("a,b:c;d"), QStringLiteral("x\\;y"), QStringLiteral("WEP"), true };
    const auto parsed = ParseWifiPayload(WifiPayload(tricky));
    QTest::newRow("Wi-Fi text read back") << (parsed ? parsed->Ssid + QLatin1Char('|') + parsed->Password + QLatin1Char('|') + parsed->Security : QString())
                                          << QStringLiteral("a,b:c;d|x\\;y|WEP");
    QTest::newRow("address without scheme") << UrlPayload(QStringLiteral(" www.example.com/card "))
                                            << QStringLiteral("https://www.example.com/card");
    QTest::newRow("address with scheme") << UrlPayload(QStringLiteral("mailto:me@example.com"))
                                         << QStringLiteral("mailto:me@example.com");
    QTest::newRow("host with port") << UrlPayload(QStringLiteral("localhost:8080/x"))
                                    << QStringLiteral("https://localhost:8080/x");
}

void TestBarcode::otherPayloads()
{
    QFETCH(QString, got);
    QFETCH(QString, expected);
    QCOMPARE(got, expected);
}

void TestBarcode::unencodableDataShowsTheMessage_data()
{
    QTest::addColumn<TBarcodeSymbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("says");
    QTest::newRow("letters in EAN-13") << bsEAN13 << QStringLiteral("40063813339A") << QStringLiteral("12 digits");
    QTest::newRow("EAN-13 too short") << bsEAN13 << QStringLiteral("123456") << QStringLiteral("12 digits");
    QTest::newRow("UPC-A too long") << bsUPCA << QStringLiteral("1234567890123") << QStringLiteral("11 digits");
    QTest::newRow("ITF letters") << bsITF << QStringLiteral("12AB") << QStringLiteral("digits only");
    // A QR Code holds at most 2,953 bytes; 3,000 letters of two octets are
    // far beyond it.
    QTest::newRow("QR Code too long") << bsQRCode << QString(3000, QChar(0x00e9)) << QStringLiteral("QR Code");
    QTest::newRow("Micro QR too long") << bsMicroQR << QString(60, QLatin1Char('x')) << QStringLiteral("Micro QR");
    QTest::newRow("empty") << bsCode128 << QString() << QStringLiteral("No data");
}

void TestBarcode::unencodableDataShowsTheMessage()
{
    QFETCH(TBarcodeSymbology, symbology);
    QFETCH(QString, data);
    QFETCH(QString, says);
    TGBarcode code;
    code.SetBounds(0, 0, 200, 100);
    code.SetSymbology(symbology);
    code.SetData(data);
    QVERIFY2(code.ErrorMessage().contains(says), qPrintable(code.ErrorMessage()));
    // The message is drawn in the object: red frame and ink, never a blank.
    const QImage image = drawn(code);
    int red = 0;
    int dark = 0;
    for (int y = 20; y < 120; ++y)
        for (int x = 20; x < 220; ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
            dark += qGray(c.rgb()) < 128;
        }
    QVERIFY2(red > 300, qPrintable(QString::number(red)));
    QVERIFY2(dark > 100, qPrintable(QString::number(dark)));
}

void TestBarcode::designFileRoundTripsByteForByte()
{
    TGBusinessCardPanel32 panel;
    auto* plain = new TGBarcode;
    plain->SetParent(&panel);
    plain->SetName(QStringLiteral("Component0"));
    plain->SetBounds(10, 12, 96, 96);
    plain->SetData(QStringLiteral("https://example.com"));
    plain->Loaded();
    auto* every = new TGBarcode;
    every->SetParent(&panel);
    every->SetName(QStringLiteral("Component1"));
    every->SetBounds(120, 30, 200, 80);
    every->SetSymbology(bsCode128);
    every->SetContent(bcVCard);
    // Longer than 255 characters: the long string form, UTF-8 beyond Latin-1.
    every->SetData(VCardFromPersonalInfo(person(QString::fromUtf8("\u0418\u0432\u0430\u043d Petrov"),
        QString(200, QLatin1Char('C')), QStringLiteral("Eng"), QString(), QString(), QString(), QString(), QString())));
    every->SetErrorLevel(ecH);
    every->SetQuietZone(false);
    every->SetShowText(false);
    every->SetKeepSquare(false);
    every->SetTransparent(true);
    every->SetColor(clNavy);
    every->SetBackColor(0x00123456);
    TFont f = every->Font();
    f.Name = QStringLiteral("Liberation Serif");
    f.Height = -15;
    f.Bold = true;
    every->SetFont(f);
    every->Loaded();

    const QString first = dir.filePath(QStringLiteral("codes1.qrd"));
    const QString second = dir.filePath(QStringLiteral("codes2.qrd"));
    panel.SaveToFile(first);
    const QByteArray bytes = readBytes(first);
    // Its own properties in the fixed order, defaults left out.
    const QString dump = DumpObjectStream(bytes);
    const QStringList wanted = { "Symbology = bsCode128", "Content = bcVCard", "Data = ", "ErrorLevel = ecH",
        "QuietZone = False", "ShowText = False", "KeepSquare = False", "Transparent = True", "Color = clNavy",
        "BackColor = ", "Font.Color", "Font.Height = -15", "Font.Name = 'Liberation Serif'" };
    const qsizetype second0 = dump.indexOf(QStringLiteral("object Component1"));
    QVERIFY(second0 > 0);
    qsizetype at = second0;
    for (const QString& w : wanted) {
        const qsizetype next = dump.indexOf(w, at);
        QVERIFY2(next > at, qPrintable(w + QStringLiteral(" in\n") + dump));
        at = next;
    }
    const QString firstObject = dump.left(second0);
    for (const char* absent : { "Symbology", "Content", "ErrorLevel", "QuietZone", "Transparent", "BackColor" })
        QVERIFY2(!firstObject.contains(QLatin1String(absent)), absent);

    TGBusinessCardPanel32 other;
    other.LoadFromFile(first);
    QCOMPARE(other.ObjectCount(), 2);
    auto* read = qobject_cast<TGBarcode*>(other.Objects()[1]);
    QVERIFY(read);
    QCOMPARE(read->Data(), every->Data());
    other.SaveToFile(second);
    QCOMPARE(readBytes(second).toHex(' '), bytes.toHex(' '));
}

void TestBarcode::followsThePersonalInformation()
{
    TGBusinessCardPanel32 panel;
    panel.SetPersonalInfo(person("Old Name", QString(), QString(), QString(), QString(), QString(), QString(), QString()));
    auto add = [&](TBarcodeContent content, const QString& data) {
        auto* code = new TGBarcode;
        code->SetParent(&panel);
        code->SetContent(content);
        code->SetData(data);
        code->Loaded();
        return code;
    };
    auto* vcard = add(bcVCard, VCardFromPersonalInfo(panel.PersonalInfo()));
    auto* mecard = add(bcMeCard, QStringLiteral("MECARD:N:Name,Old;;"));
    auto* typed = add(bcText, QStringLiteral("typed by hand"));
    panel.SetPersonalInfo(person("Ada Lovelace", QString(), QString(), QString(), QString(), QString(), QString(), QString()));
    QCOMPARE(vcard->Data(), QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lovelace;Ada;;;\r\nFN:Ada Lovelace\r\nEND:VCARD\r\n"));
    QCOMPARE(mecard->Data(), QStringLiteral("MECARD:N:Lovelace,Ada;;"));
    QCOMPARE(typed->Data(), QStringLiteral("typed by hand"));
}

void TestBarcode::propertiesDialogAsTheUserDrivesIt_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<TBarcodeSymbology>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("quietZone");
    QTest::newRow("typed text in Code 128, quiet zone off") << QStringLiteral("code128 text quiet ok") << bsCode128
                                                            << QStringLiteral("Hello 42") << false;
    QTest::newRow("vCard from my details") << QStringLiteral("vcard ok") << bsQRCode
                                           << QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe;Jane;;;\r\nFN:Jane Doe\r\n"
                                                             "TEL;TYPE=WORK,VOICE:555 0100\r\nEND:VCARD\r\n")
                                           << true;
    QTest::newRow("Wi-Fi network") << QStringLiteral("wifi ok") << bsQRCode
                                    << QStringLiteral("WIFI:T:WPA;S:Home\\;Net;P:se\\:cret;;")
                                    << true;
    QTest::newRow("cancel keeps everything") << QStringLiteral("code128 text quiet cancel") << bsQRCode
                                             << QStringLiteral("unchanged") << true;
}

void TestBarcode::propertiesDialogAsTheUserDrivesIt()
{
    QFETCH(QString, steps);
    QFETCH(TBarcodeSymbology, symbology);
    QFETCH(QString, data);
    QFETCH(bool, quietZone);
    TGBusinessCardPanel32 panel;
    TPersonalInfo me;
    me.Name = QStringLiteral("Jane Doe");
    me.Phone1 = QStringLiteral("555 0100");
    panel.SetPersonalInfo(me);
    auto* code = new TGBarcode;
    code->SetParent(&panel);
    code->SetData(QStringLiteral("unchanged"));
    code->Loaded();

    ScriptedInteraction ui;
    ui.answerDialog([&](QDialog& d) {
        d.show();
        const QStringList words = steps.split(QLatin1Char(' '));
        for (const QString& step : words) {
            if (step == QLatin1String("code128"))
                chooseRow(d.findChild<QComboBox*>("SymbologyCombo"), 5);
            else if (step == QLatin1String("text")) {
                auto* edit = d.findChild<QPlainTextEdit*>("DataEdit");
                edit->setFocus();
                QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(edit, QStringLiteral("Hello 42"));
            } else if (step == QLatin1String("quiet")) {
                auto* box = d.findChild<QCheckBox*>("QuietZoneCheck");
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
            } else if (step == QLatin1String("vcard"))
                chooseRow(d.findChild<QComboBox*>("ContentCombo"), 1);
            else if (step == QLatin1String("wifi")) {
                chooseRow(d.findChild<QComboBox*>("ContentCombo"), 4);
                QTest::keyClicks(d.findChild<QLineEdit*>("WifiSsid"), QStringLiteral("Home;Net"));
                QTest::keyClicks(d.findChild<QLineEdit*>("WifiPassword"), QStringLiteral("se:cret"));
            } else if (step == QLatin1String("ok")) {
                QTest::mouseClick(d.findChild<QPushButton*>("OkButton"), Qt::LeftButton);
            } else if (step == QLatin1String("cancel"))
                QTest::mouseClick(d.findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
        }
        return d.result();
    });
    code->EditProperties();
    QVERIFY(ui.allUsed());
    QCOMPARE(code->Symbology(), symbology);
    QCOMPARE(code->Data(), data);
    QCOMPARE(code->QuietZone(), quietZone);
}

QTEST_MAIN(TestBarcode)
#include "tst_barcode.moc"
