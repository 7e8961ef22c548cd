// The background art dialog and the main window's command around it: which
// pictures are listed, what each button answers, the preselection, what the
// answer does to the design, the preview of a rotated card and a picture
// that cannot be read.
#include "MainScreenKit.h"
#include "document/CardDocument.h"
#include "app/LoadBackGround.h"
#include "platform/Dib.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {

// A white bitmap with its top left quarter red, as the metafile below.
QByteArray markedBitmap(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter(&img).fillRect(0, 0, w / 2, h / 2, QColor(255, 0, 0));
    return Dib::FromImage(img).Bytes();
}

// A placeable metafile of 3.5 × 2 inches holding one filled rectangle over
// its top left quarter.
QByteArray cardMetafile()
{
    QByteArray body;
    auto rec = [&](int fn, std::initializer_list<int> params) {
        const std::uint32_t words = std::uint32_t(3 + params.size());
        body.append(reinterpret_cast<const char*>(&words), 4);
        const std::uint16_t f = std::uint16_t(fn);
        body.append(reinterpret_cast<const char*>(&f), 2);
        for (int p : params) {
            const std::uint16_t v = std::uint16_t(p);
            body.append(reinterpret_cast<const char*>(&v), 2);
        }
    };
    rec(0x020B, {0, 0});
    rec(0x020C, {2000, 3500});
    rec(0x02FC, {0, 0x00FF, 0, 0}); // solid red brush
    rec(0x012D, {0});
    rec(0x041B, {1000, 1750, 0, 0});
    rec(0x0000, {});
    QByteArray header(18, '\0');
    header[0] = 1;
    header[2] = 9;
    header[5] = 3;
    const std::uint32_t size = std::uint32_t((18 + body.size()) / 2);
    memcpy(header.data() + 6, &size, 4);
    header[10] = 1;
    header[12] = 6;
    return Metafile::PlaceableHeader(0, 0, 3500, 2000, 1000) + header + body;
}

QStringList listed(const TLoadBackGround& d)
{
    QStringList names;
    for (int i = 0; i < d.FileListBox1->count(); ++i)
        names << d.FileListBox1->item(i)->text();
    return names;
}

} // namespace

class TestLoadBackground : public QObject {
    Q_OBJECT
private slots:
    void init();
    void listsPicturesWhateverTheirCase();
    void buttons_data();
    void buttons();
    void preview_data();
    void preview();
    void unreadablePicture();
    void command_data();
    void command();
    void pictureAtResolution_data();
    void pictureAtResolution();

private:
    std::unique_ptr<ProgramHome> home;
    QString bg;
};

void TestLoadBackground::init()
{
    home.reset(); // the previous test's printers go before the next ones come
    home = std::make_unique<ProgramHome>();
    bg = ProgramFolder() + QStringLiteral("bg/");
    writeFile(bg + QStringLiteral("Card.bmp"), markedBitmap(504, 288));
    writeFile(bg + QStringLiteral("Frame.WMF"), cardMetafile());
}

void TestLoadBackground::listsPicturesWhateverTheirCase()
{
    writeFile(bg + QStringLiteral("photo.JPG"), "x");
    writeFile(bg + QStringLiteral("notes.bmp.txt"), "x");
    writeFile(bg + QStringLiteral("Old.Wmf"), cardMetafile());
    TLoadBackGround d;
    d.SetDirectory(bg);
    QCOMPARE(listed(d), (QStringList {QStringLiteral("Card.bmp"), QStringLiteral("Frame.WMF"), QStringLiteral("Old.Wmf")}));
    QVERIFY(d.FileName().isEmpty());
}

void TestLoadBackground::buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("selectFirst");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("beeps");
    QTest::newRow("ok with a picture") << "OkButton" << true << mrOk << 0;
    QTest::newRow("ok without a picture only beeps") << "OkButton" << false << -1 << 1;
    QTest::newRow("none") << "NoneButton" << false << mrNoBackground << 0;
    QTest::newRow("none with a picture") << "NoneButton" << true << mrNoBackground << 0;
    QTest::newRow("cancel") << "CancelButton" << true << mrCancel << 0;
    QTest::newRow("escape") << "" << true << mrCancel << 0;
}

void TestLoadBackground::buttons()
{
    QFETCH(QString, button);
    QFETCH(bool, selectFirst);
    QFETCH(int, result);
    QFETCH(int, beeps);
    ScriptedInteraction ui;
    TLoadBackGround d;
    d.SetDirectory(bg);
    d.show();
    if (selectFirst)
        d.FileListBox1->setCurrentRow(0);
    d.setResult(-1);
    if (button.isEmpty())
        QTest::keyClick(&d, Qt::Key_Escape);
    else
        QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(d.result(), result);
    QCOMPARE(d.isVisible(), result == -1);
    QCOMPARE(ui.beeps(), beeps);
}

void TestLoadBackground::preview_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("red"); // where the picture's top left corner shows
    QTest::newRow("bitmap lying") << "Card.bmp" << false << QSize(504, 288) << QPoint(4, 4);
    QTest::newRow("bitmap standing keeps its size, turned") << "Card.bmp" << true << QSize(288, 504) << QPoint(283, 4);
    QTest::newRow("metafile lying") << "Frame.WMF" << false << QSize(336, 192) << QPoint(4, 4);
    QTest::newRow("metafile standing on a card-sized bitmap") << "Frame.WMF" << true << QSize(192, 336)
                                                              << QPoint(187, 4);
}

void TestLoadBackground::preview()
{
    QFETCH(QString, file);
    QFETCH(bool, portrait);
    QFETCH(QSize, size);
    QFETCH(QPoint, red);
    ScriptedInteraction ui;
    TLoadBackGround d;
    d.SetDirectory(bg);
    d.SetPortrait(portrait);
    QVERIFY(d.SetFileName(bg + file));
    QCOMPARE(d.PreviewPicture().size(), size);
    QCOMPARE(qRed(d.PreviewPicture().pixel(red)), 255);
    QCOMPARE(qGreen(d.PreviewPicture().pixel(red)), 0);
    // The opposite corner stays white (a turn the wrong way puts red there).
    const QPoint opposite(size.width() - 1 - red.x(), size.height() - 5);
    QCOMPARE(d.PreviewPicture().pixel(opposite), qRgb(255, 255, 0xFF));
    // The whole picture is shown, within the preview's 370 × 374 pixels.
    const QPixmap shown = d.Image1->pixmap();
    QVERIFY(shown.width() <= 370 && shown.height() <= 374);
    QVERIFY(shown.width() == size.width() || shown.height() == 374 || shown.width() == 370);
}

void TestLoadBackground::unreadablePicture()
{
    ScriptedInteraction ui;
    writeFile(bg + QStringLiteral("Broken.BMP"), "BM not really a bitmap");
    TLoadBackGround d;
    d.SetDirectory(bg);
    d.show();
    QVERIFY(d.SetFileName(bg + QStringLiteral("Card.bmp")));
    QVERIFY(!d.Image1->pixmap().isNull());
    ui.expectError();
    QVERIFY(d.SetFileName(bg + QStringLiteral("Broken.BMP")));
    QCOMPARE(ui.messages(), QStringList {QStringLiteral("Error loading file!")});
    QVERIFY(d.Image1->pixmap().isNull());
    QVERIFY(d.PreviewPicture().isNull());
    QVERIFY(d.isVisible());
}

// The command: preselection, the dialog's size for the orientation, and
// what each answer does to the background and the changed state.
void TestLoadBackground::command_data()
{
    QTest::addColumn<QString>("before");       // BackgroundFile before; "@" stands for the bg folder
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<QString>("preselected");  // file the dialog opens with, "@" as above
    QTest::addColumn<QString>("answer");       // button pressed
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("hasBackground");
    QTest::newRow("ok takes the picture") << "" << false << "" << "Frame.WMF" << "@Frame.WMF" << true << true;
    QTest::newRow("ok on a standing card") << "" << true << "" << "Card.bmp" << "@Card.bmp" << true << true;
    QTest::newRow("existing file is preselected") << "@Card.bmp" << false << "@Card.bmp" << "OkButton"
                                                  << "@Card.bmp" << true << true;
    QTest::newRow("missing file: same name in bg") << "/gone/FRAME.wmf" << false << "@Frame.WMF" << "OkButton"
                                                   << "@Frame.WMF" << true << true;
    QTest::newRow("windows path: same name in bg") << "C:\\ART\\card.BMP" << false << "@Card.bmp" << "OkButton"
                                                   << "@Card.bmp" << true << true;
    QTest::newRow("none without background still changes") << "" << false << "" << "NoneButton" << "" << true
                                                           << false;
    QTest::newRow("none removes the background") << "@Card.bmp" << true << "@Card.bmp" << "NoneButton" << ""
                                                 << true << false;
    QTest::newRow("cancel changes nothing") << "@Card.bmp" << false << "@Card.bmp" << "CancelButton"
                                            << "@Card.bmp" << false << true;
}

void TestLoadBackground::command()
{
    QFETCH(QString, before);
    QFETCH(bool, portrait);
    QFETCH(QString, preselected);
    QFETCH(QString, answer);
    QFETCH(QString, after);
    QFETCH(bool, changed);
    QFETCH(bool, hasBackground);
    before.replace(QLatin1Char('@'), bg);
    preselected.replace(QLatin1Char('@'), bg);
    after.replace(QLatin1Char('@'), bg);

    ScriptedInteraction ui;
    auto w = startMainScreen();
    TDocumentCommands& doc = w->Document();
    TCardLayout layout = doc.CardLayout();
    layout.Portrait = portrait;
    doc.SetCardLayout(layout);
    doc.SetCardOrientation(portrait);
    doc.SetBackgroundFile(before);
    if (QFileInfo::exists(before))
        cardPanel(*w)->LoadBackground(before);
    doc.SetChangesMade(false);

    QSize dialogSize;
    QString opened;
    ui.answerDialog([&](QDialog& dialog) {
        auto& d = static_cast<TLoadBackGround&>(dialog);
        dialogSize = d.size();
        opened = d.FileName();
        d.show();
        if (answer.contains(QLatin1Char('.'))) {
            d.SetFileName(bg + answer);
            answer = QStringLiteral("OkButton");
        }
        QTest::mouseClick(d.findChild<QPushButton*>(answer), Qt::LeftButton);
        return d.result();
    });
    w->mnuSetorChangeBackgroundArtClick();
    QVERIFY(ui.allUsed());
    QCOMPARE(opened, preselected);
    QCOMPARE(dialogSize, portrait ? QSize(TLoadBackGround::DesignedWidth - 100, TLoadBackGround::DesignedHeight)
                                  : QSize(TLoadBackGround::DesignedWidth, TLoadBackGround::DesignedHeight - 100));
    QCOMPARE(doc.BackgroundFile(), after);
    QCOMPARE(doc.ChangesMade(), changed);
    // The card shows the picture: something not white at its top left.
    const QImage card = cardPanel(*w)->grab().toImage();
    QCOMPARE(card.pixelColor(portrait ? card.width() - 4 : 3, 3) != QColor(Qt::white), hasBackground);
}

// A card picture drawn at a printer's resolution carries the background,
// whichever kind of picture it is.
void TestLoadBackground::pictureAtResolution_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("bitmap") << "Card.bmp";
    QTest::newRow("metafile") << "Frame.WMF";
}

void TestLoadBackground::pictureAtResolution()
{
    QFETCH(QString, file);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    cardPanel(*w)->LoadBackground(bg + file);
    const QImage picture = RenderCardPictureAtDpi(cardPanel(*w)->Model(), 192, false);
    QCOMPARE(picture.size(), QSize(672, 384));
    QCOMPARE(picture.pixelColor(10, 10), QColor(255, 0, 0));
    QCOMPARE(picture.pixelColor(660, 370), QColor(Qt::white));
}

QTEST_MAIN(TestLoadBackground)
#include "tst_loadbackground.moc"
