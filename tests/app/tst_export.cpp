// Exporting the card as a picture: "Save As Bitmap", "Save As JPG" and the
// batch tool's render command, which must write the same picture.
#include "MainScreenKit.h"

#include "document/CardDocument.h"
#include "platform/Dib.h"
#include "platform/Jpeg.h"

#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>

using namespace bv;
using namespace bv::test;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool near(QRgb a, QColor b, int tolerance)
{
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance
        && std::abs(qBlue(a) - b.blue()) <= tolerance;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void init() { home = std::make_unique<ProgramHome>(); }
    void cleanup() { home.reset(); }

    void bitmapHoldsCardInPixels_data();
    void bitmapHoldsCardInPixels();
    void jpegIsQualityHundredPicture();
    void dialogProposesNameFromDesign_data();
    void dialogProposesNameFromDesign();
    void zoomedCardExportsAtTrueSizeAndZoomReturns();
    void exportNeverClearsChanges();
    void failedExportNamesThePath();
    void rotatedCardExportsStanding();
    void batchRenderWritesTheSamePicture_data();
    void batchRenderWritesTheSamePicture();
    void batchRenderFailsCleanly();

private:
    std::unique_ptr<ProgramHome> home;
};

void TestExport::bitmapHoldsCardInPixels_data()
{
    QTest::addColumn<bool>("border");
    QTest::newRow("with border") << true;
    QTest::newRow("without border") << false;
}

void TestExport::bitmapHoldsCardInPixels()
{
    QFETCH(bool, border);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 40, 30, 60, 50, 0x0000FF); // red (0x00BBGGRR)
    addRectangle(*w, 200, 100, 30, 20, 0xFF0000); // blue
    cardPanel(*w)->SetShowGrid(true); // the grid is not part of the picture

    const QString path = home->path(QStringLiteral("card.bmp"));
    ui.answerSaveFile(path);
    ui.answerYesNo(border);
    ui.expectInfo();
    w->Document().mnuSaveAsBitmapClick();
    QCOMPARE(ui.log().at(1).text, QStringLiteral("Would you like to draw a border around the card?"));
    QCOMPARE(ui.log().at(1).caption, QStringLiteral("Save"));
    QCOMPARE(ui.messages().constLast(), QStringLiteral("Saved as ") + path);

    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.startsWith("BM"));
    const Dib dib = Dib::FromBytes(bytes);
    QCOMPARE(dib.BitCount(), 24);
    QCOMPARE(dib.Compression(), 0);
    const QImage image = dib.Image();
    QCOMPARE(image.size(), QSize(336, 192));

    const QColor edge = border ? QColor(Qt::black) : QColor(Qt::white);
    for (const QPoint& p : { QPoint(0, 0), QPoint(335, 0), QPoint(0, 191), QPoint(335, 191), QPoint(150, 0), QPoint(0, 100) })
        QVERIFY2(near(image.pixel(p), edge, 0), qPrintable(QStringLiteral("edge %1,%2").arg(p.x()).arg(p.y())));
    QVERIFY(near(image.pixel(1, 1), Qt::white, 0));
    QVERIFY(near(image.pixel(334, 190), Qt::white, 0));
    // Inside the shapes: their fill; the grid dots (2, 2) are not drawn.
    QVERIFY(near(image.pixel(70, 55), QColor(255, 0, 0), 0));
    QVERIFY(near(image.pixel(215, 110), QColor(0, 0, 255), 0));
    QVERIFY(near(image.pixel(2, 2), Qt::white, 0));
    QVERIFY(near(image.pixel(120, 60), Qt::white, 0));
}

void TestExport::jpegIsQualityHundredPicture()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 40, 30, 60, 50, 0x0000FF);
    const QString path = home->path(QStringLiteral("card.jpg"));
    ui.answerSaveFile(path);
    ui.answerYesNo(true);
    ui.expectInfo();
    w->Document().mnuSaveAsJPGClick();
    QCOMPARE(ui.lastFileChoice.title, QStringLiteral("Save Card As JPG"));
    const QByteArray bytes = readAll(path);
    QVERIFY(bytes.startsWith("\xff\xd8\xff"));
    QImage image;
    QVERIFY(image.loadFromData(bytes, "JPG"));
    QCOMPARE(image.size(), QSize(336, 192));
    // Quality 100 keeps flat colours within a few levels.
    QVERIFY(near(image.pixel(70, 55), QColor(255, 0, 0), 6));
    QVERIFY(near(image.pixel(150, 120), Qt::white, 6));
    QVERIFY(near(image.pixel(0, 100), Qt::black, 40));
    // The same picture through the encoder gives the same file.
    const QImage picture = RenderCardPicture(cardPanel(*w)->Model(), true);
    QCOMPARE(Jpeg::Encode(picture, 100), bytes);
}

void TestExport::dialogProposesNameFromDesign_data()
{
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<QString>("design");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("bitmap unnamed") << false << QString() << QStringLiteral("<home>BusinessCard.Bmp");
    QTest::newRow("jpeg unnamed") << true << QString() << QStringLiteral("<home>BusinessCard.JPG");
    QTest::newRow("bitmap named") << false << QStringLiteral("Smith.QRD") << QStringLiteral("Smith.BMP");
    QTest::newRow("jpeg named") << true << QStringLiteral("Smith.QRD") << QStringLiteral("Smith.JPG");
}

void TestExport::dialogProposesNameFromDesign()
{
    QFETCH(bool, jpeg);
    QFETCH(QString, design);
    QFETCH(QString, proposed);
    proposed.replace(QStringLiteral("<home>"), ProgramFolder());
    ScriptedInteraction ui;
    auto w = startMainScreen();
    if (!design.isEmpty())
        w->Document().SetCurrentFileName(home->saved(design));
    ui.answerSaveFile(QString());
    jpeg ? w->Document().mnuSaveAsJPGClick() : w->Document().mnuSaveAsBitmapClick();
    QCOMPARE(ui.lastFileChoice.fileName, proposed);
    QCOMPARE(QDir(ui.lastFileChoice.folder), QDir(ProgramFolder()));
    QCOMPARE(ui.lastFileChoice.title, jpeg ? QStringLiteral("Save Card As JPG") : QStringLiteral("Save Card As Bitmap"));
    QCOMPARE(ui.lastFileChoice.defaultSuffix, jpeg ? QStringLiteral("JPG") : QStringLiteral("BMP"));
    QVERIFY(ui.lastFileChoice.confirmOverwrite);
    // Cancelling asks nothing more.
    QCOMPARE(ui.log().size(), 1);
}

void TestExport::zoomedCardExportsAtTrueSizeAndZoomReturns()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 40, 30, 60, 50);
    w->ZoomIn();
    w->ZoomIn();
    w->ZoomIn();
    const Single zoom = cardPanel(*w)->Zoom();
    const QSize zoomedSize = cardPanel(*w)->size();
    const QString path = home->path(QStringLiteral("zoomed.bmp"));
    ui.answerSaveFile(path);
    ui.answerYesNo(false);
    ui.expectInfo();
    w->Document().mnuSaveAsBitmapClick();
    const QImage image = Dib::FromFile(path).Image();
    QCOMPARE(image.size(), QSize(336, 192));
    QVERIFY(near(image.pixel(41, 31), QColor(255, 0, 0), 0));
    QVERIFY(near(image.pixel(105, 55), Qt::white, 0));
    QCOMPARE(cardPanel(*w)->Zoom(), zoom);
    QVERIFY(std::abs(cardPanel(*w)->width() - zoomedSize.width()) <= 1);
    QVERIFY(std::abs(cardPanel(*w)->height() - zoomedSize.height()) <= 1);
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("130%"));

    // Cancelling the dialog also returns to the zoom in force.
    ui.answerSaveFile(QString());
    w->Document().mnuSaveAsJPGClick();
    QCOMPARE(cardPanel(*w)->Zoom(), zoom);
}

void TestExport::exportNeverClearsChanges()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 40, 30, 60, 50);
    QVERIFY(w->Document().ChangesMade());
    ui.answerSaveFile(home->path(QStringLiteral("changed.bmp")));
    ui.answerYesNo(false);
    ui.expectInfo();
    w->Document().mnuSaveAsBitmapClick();
    QVERIFY(w->Document().ChangesMade());
    QVERIFY(!child<QPushButton>(*w, "Savebutton")->isHidden());
    QVERIFY(!child<QPushButton>(*w, "Cancelbutton")->isHidden());
    // The design still asks to be saved.
    ui.answerYesNo(false);
    w->Document().New1Click();
    QCOMPARE(ui.log().constLast().text, QStringLiteral("Save changes?"));
}

void TestExport::failedExportNamesThePath()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 40, 30, 60, 50);
    const QString path = home->path(QStringLiteral("no/such/folder/card.bmp"));
    ui.answerSaveFile(path);
    ui.answerYesNo(false);
    ui.expectError();
    w->Document().mnuSaveAsBitmapClick();
    QVERIFY(ui.allUsed());
    QCOMPARE(ui.log().constLast().kind, QStringLiteral("ShowError"));
    QVERIFY(ui.log().constLast().text.contains(path));
    for (const QString& m : ui.messages())
        QVERIFY(!m.startsWith(QStringLiteral("Saved as")));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(w->Document().ChangesMade());
}

void TestExport::rotatedCardExportsStanding()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    TCardLayout layout = w->Document().CardLayout();
    layout.Portrait = true;
    w->Document().SetCardLayout(layout);
    cardPanel(*w)->SetRotated(true);
    w->Document().SetCardOrientation(true);
    QCOMPARE(cardPanel(*w)->size(), QSize(192, 336));
    addRectangle(*w, 20, 250, 50, 40);
    const QString path = home->path(QStringLiteral("standing.bmp"));
    ui.answerSaveFile(path);
    ui.answerYesNo(true);
    ui.expectInfo();
    w->Document().mnuSaveAsBitmapClick();
    const QImage image = Dib::FromFile(path).Image();
    QCOMPARE(image.size(), QSize(192, 336));
    QVERIFY(near(image.pixel(191, 335), Qt::black, 0));
    QVERIFY(near(image.pixel(40, 270), QColor(255, 0, 0), 0));
}

void TestExport::batchRenderWritesTheSamePicture_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("border");
    QTest::newRow("bmp border") << "bmp" << true;
    QTest::newRow("jpg plain") << "jpg" << false;
    QTest::newRow("png border") << "png" << true;
}

void TestExport::batchRenderWritesTheSamePicture()
{
    QFETCH(QString, extension);
    QFETCH(bool, border);
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch");
    if (!QFileInfo(batch).isExecutable())
        QSKIP("brisvale-batch is not built");

    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 40, 30, 60, 50, 0x00FF00);
    addRectangle(*w, 100, 60, 20, 90, 0x808000);
    // A rotated layout comes from the companion file.
    TCardLayout layout = w->Document().CardLayout();
    layout.Portrait = true;
    w->Document().SetCardLayout(layout);
    cardPanel(*w)->SetRotated(true);
    w->Document().SetCardOrientation(true);
    const QString design = home->saved(QStringLiteral("Batch.QRD"));
    ui.answerSaveFile(design);
    QVERIFY(w->Document().mnuSaveAsClick());

    const QString fromWindow = home->path(QStringLiteral("window.") + extension);
    const QString fromBatch = home->path(QStringLiteral("batch.") + extension);
    if (extension == QLatin1String("png")) {
        WriteCardPicture(RenderCardPicture(cardPanel(*w)->Model(), border), fromWindow, PictureFormat::Png);
    } else {
        ui.answerSaveFile(fromWindow);
        ui.answerYesNo(border);
        ui.expectInfo();
        extension == QLatin1String("jpg") ? w->Document().mnuSaveAsJPGClick() : w->Document().mnuSaveAsBitmapClick();
    }

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    QStringList args = { QStringLiteral("render"), design, fromBatch };
    if (border)
        args << QStringLiteral("--border");
    process.start(batch, args);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(readAll(fromBatch), readAll(fromWindow));
    QImage image(fromBatch);
    QCOMPARE(image.size(), QSize(192, 336));
}

void TestExport::batchRenderFailsCleanly()
{
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch");
    if (!QFileInfo(batch).isExecutable())
        QSKIP("brisvale-batch is not built");
    const QString garbage = home->saved(QStringLiteral("Garbage.QRD"));
    writeFile(garbage, "not a design at all");
    const QString out = home->path(QStringLiteral("out.bmp"));
    const QList<QStringList> cases = {
        { QStringLiteral("render"), home->saved(QStringLiteral("Missing.QRD")), out },
        { QStringLiteral("render"), garbage, out },
        { QStringLiteral("render"), garbage },
    };
    for (const QStringList& args : cases) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(batch, args);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(!process.readAllStandardError().isEmpty());
        QVERIFY(!QFileInfo::exists(out));
    }
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
