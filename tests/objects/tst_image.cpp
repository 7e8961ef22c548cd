// The clip-art picture object: designs holding each kind of picture open and
// save back byte for byte (hand-assembled design files), the AutoSize and
// Stretch rules at zoom and with the resolution a picture file gives,
// mirroring of bitmaps and drawings, the empty object, the browser's choices
// and the clip-art tool, and printing compared with the screen at 300 dpi,
// directly and through a recorded page. 96 ppi.
#include "objects/Image.h"
#include "objects/ImageBrowser.h"
#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PagePlayer.h"
#include "pageengine/PageRecorder.h"
#include "platform/Jpeg.h"
#include "pictures/SvgDrawing.h"
#include "support/PictureKit.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/Handle.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {
const QString data = QStringLiteral(BRISVALE_TEST_DATA "/pictures/");

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeBytes(const QString& path, const QByteArray& b)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(b);
}

// A bitmap file: top-left red, top-right green, bottom-left blue, bottom-right
// yellow quarters.
QImage quarters(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, y < h / 2 ? (x < w / 2 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                         : (x < w / 2 ? qRgb(0, 0, 255) : qRgb(255, 255, 0)));
    return img;
}
// The same quarters as an SVG drawing, 40 × 40 px.
QByteArray quartersSvg()
{
    return "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='40' viewBox='0 0 4 4'>"
           "<rect x='0' y='0' width='2' height='2' fill='#ff0000'/><rect x='2' y='0' width='2' height='2' fill='#00ff00'/>"
           "<rect x='0' y='2' width='2' height='2' fill='#0000ff'/><rect x='2' y='2' width='2' height='2' fill='#ffff00'/></svg>";
}
QByteArray bmpFile(const QImage& img)
{
    const QByteArray packed = packedDib24(img);
    return "BM" + le32(14 + packed.size()) + le32(0) + le32(54) + packed;
}

// Stream pieces, written out by hand.
QByteArray shortStr(const QByteArray& s)
{
    return char(s.size()) + s;
}
QByteArray intProp(const char* name, int v)
{
    if (v >= -128 && v <= 127)
        return shortStr(name) + '\x02' + char(v);
    return shortStr(name) + '\x03' + le16(v);
}
QByteArray boolProp(const char* name, bool v)
{
    return shortStr(name) + (v ? '\x09' : '\x08');
}
// One TGImage record as the writer lays it out.
QByteArray imageRecord(const QByteArray& name, int l, int t, int w, int h, bool autoSize, bool border,
    const QByteArray& payload, bool stretch, bool reverse, bool flip)
{
    QByteArray r = "TPF0" + shortStr("TGImage") + shortStr(name);
    r += intProp("Left", l) + intProp("Top", t) + intProp("Width", w) + intProp("Height", h);
    r += boolProp("Locked", false) + boolProp("Unselectable", false);
    if (autoSize)
        r += boolProp("AutoSize", true);
    r += shortStr("BorderStyle") + '\x07' + shortStr(border ? "bsSingle" : "bsNone");
    if (!payload.isEmpty())
        r += shortStr("Picture.Data") + '\x0a' + le32(payload.size()) + payload;
    if (!stretch)
        r += boolProp("Stretch", false);
    r += boolProp("Reverse", reverse) + boolProp("Flip", flip);
    return r + '\0' + '\0';
}
QByteArray payload(const char* graphicClass, const QByteArray& bytes, bool sized)
{
    return shortStr(graphicClass) + (sized ? le32(bytes.size()) : QByteArray()) + bytes;
}

TGImage* addImage(TGBasePanel& panel, int l, int t, int w, int h, const TPicture& picture)
{
    auto* image = new TGImage;
    image->SetParent(&panel);
    image->SetBounds(l, t, w, h);
    image->Loaded();
    panel.AttachObject(image);
    image->SetPicture(picture);
    return image;
}

QImage paintAlone(TGImage& image)
{
    QImage img(image.Width(), image.Height(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    image.PaintAt(p, 0, 0);
    return img;
}

constexpr double Dpi = 300;
QImage printAt300(TGBasePanel& panel, bool recorded)
{
    QImage sheet(1200, 900, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    const TDeviceFacts facts{ Dpi, Dpi, 0, 0, 0, 8.5, 11 };
    if (!recorded) {
        QPainter painter(&sheet);
        TCanvasPageEngine engine(&painter, facts);
        engine.OnPrint = [&panel](TPageEngine& e) { panel.PrintObjects(e, 0.5, 0.5); };
        engine.Execute();
        return sheet;
    }
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    TPageRecorder recorder;
    recorder.SetDeviceFacts(facts);
    recorder.SetStream(&stream);
    recorder.OnPrint = [&panel](TPageEngine& e) { panel.PrintObjects(e, 0.5, 0.5); };
    recorder.Execute();
    TPagePlayer player;
    player.Load(stream.data());
    player.SetDeviceFacts(facts);
    QPainter painter(&sheet);
    player.PlayPage(1, &painter);
    return sheet;
}

int colourDiff(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)) });
}
} // namespace

class TestImage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void designsWithPicturesRoundTripByteForByte_data();
    void designsWithPicturesRoundTripByteForByte();
    void autoSizeAndStretchAtZoom();
    void autoSizeTakesTheFilesResolution_data();
    void autoSizeTakesTheFilesResolution();
    void mirroringOfBitmapsAndDrawings_data();
    void mirroringOfBitmapsAndDrawings();
    void emptyObjectShowsBoxAndPrintsNothing();
    void printedLikeTheScreen_data();
    void printedLikeTheScreen();
    void browserChoices_data();
    void browserChoices();
    void clipArtToolKeepsOnlyObjectsWithPictures();

private:
    QTemporaryDir dir;
};

void TestImage::initTestCase()
{
    qputenv("BRISVALE_HOME", dir.path().toLocal8Bit());
    qputenv("BRISVALE_PPI", "96");
    RegisterImageClasses();
}

void TestImage::designsWithPicturesRoundTripByteForByte_data()
{
    QTest::addColumn<QByteArray>("design");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("pictureSize");
    QTest::addColumn<bool>("drawing");

    const QByteArray bmp = bmpFile(quarters(6, 4));
    const QByteArray wmf = readBytes(data + "clipart.wmf");
    const QByteArray emf = readBytes(data + "clipart.emf");
    QTest::newRow("bitmap") << ("\x01" + imageRecord("Component0", 10, 20, 60, 40, false, false, payload("TBitmap", bmp, true), true, false, true) + '\0')
                            << int(TPicture::gkBitmap) << QSize(6, 4) << false;
    // A bitmap made from an icon when it was loaded: stored as a bitmap.
    const QByteArray iconMade = TPicture::IconToBitmap(Icon::FromBytes(icon4bit())).Bytes();
    QTest::newRow("icon-made bitmap") << ("\x01" + imageRecord("Component0", 0, 0, 32, 32, true, true, payload("TBitmap", iconMade, true), false, true, false) + '\0')
                                      << int(TPicture::gkBitmap) << QSize(32, 32) << false;
    QTest::newRow("placeable metafile") << ("\x01" + imageRecord("Component0", 5, 5, 300, 200, false, true, payload("TMetafile", wmf, true), true, false, false) + '\0')
                                        << int(TPicture::gkMetafile) << QSize(300, 200) << false;
    QTest::newRow("enhanced metafile") << ("\x01" + imageRecord("Component0", 5, 5, 150, 100, false, false, payload("TMetafile", emf, true), true, false, false) + '\0')
                                       << int(TPicture::gkMetafile) << QSize(302, 200) << false;
    QTest::newRow("icon") << ("\x01" + imageRecord("Component0", 1, 2, 64, 64, false, false, payload("TIcon", icon4bit(), false), true, false, false) + '\0')
                          << int(TPicture::gkIcon) << QSize(32, 32) << false;
    QTest::newRow("empty bitmap") << ("\x01" + imageRecord("Component0", 1, 2, 64, 64, false, false, payload("TBitmap", QByteArray(), true), true, false, false) + '\0')
                                  << int(TPicture::gkBitmap) << QSize(0, 0) << false;
    // A graphic the program cannot decode is kept as it was stored.
    QTest::newRow("unknown graphic") << ("\x01" + imageRecord("Component0", 1, 2, 64, 64, false, false, payload("TJPEGImage", "\xff\xd8 not really", false), true, false, false) + '\0')
                                     << int(TPicture::gkNone) << QSize(0, 0) << false;
    // An SVG drawing inside the metafile that carries it; a bitmap with
    // transparency in its fourth bytes.
    const QByteArray carrier = SvgDrawing::FromBytes(quartersSvg()).CarrierMetafile();
    QTest::newRow("SVG drawing") << ("\x01" + imageRecord("Component0", 4, 4, 80, 80, false, false, payload("TMetafile", carrier, true), true, true, true) + '\0')
                                 << int(TPicture::gkMetafile) << QSize(40, 40) << true;
    QImage clear(6, 4, QImage::Format_ARGB32);
    clear.fill(qRgba(255, 0, 0, 100));
    const QByteArray clearBmp = Dib::FromImageKeepingAlpha(clear).Bytes();
    QTest::newRow("transparent bitmap") << ("\x01" + imageRecord("Component0", 4, 4, 60, 40, false, false, payload("TBitmap", clearBmp, true), true, false, false) + '\0')
                                        << int(TPicture::gkBitmap) << QSize(6, 4) << false;
    QTest::newRow("no picture") << ("\x01" + imageRecord("Component0", 1, 2, 105, 105, false, false, QByteArray(), true, false, false) + '\0')
                                << int(TPicture::gkNone) << QSize(0, 0) << false;
}

void TestImage::designsWithPicturesRoundTripByteForByte()
{
    QFETCH(QByteArray, design);
    QFETCH(int, kind);
    QFETCH(QSize, pictureSize);
    QFETCH(bool, drawing);
    const QString in = dir.filePath("in.qrd");
    const QString out = dir.filePath("out.qrd");
    writeBytes(in, design);
    TGBusinessCardPanel32 panel;
    panel.LoadFromFile(in);
    QCOMPARE(panel.ObjectCount(), 1);
    auto* image = qobject_cast<TGImage*>(panel.Objects()[0]);
    QVERIFY(image);
    QCOMPARE(int(image->Picture().GraphicKind()), kind);
    QCOMPARE(QSize(image->Picture().Width(), image->Picture().Height()), pictureSize);
    QCOMPARE(image->Picture().IsSvg(), drawing);
    if (drawing)
        QCOMPARE(image->Picture().Svg().Bytes(), quartersSvg());
    // Shown: something other than the card's white lands in the object.
    const QImage shown = panel.RenderToBitmap();
    if (kind != TPicture::gkNone && pictureSize.width() > 0) {
        bool drawn = false;
        for (int y = image->Top() + 2; y < image->Top() + image->Height() - 2 && !drawn; ++y)
            for (int x = image->Left() + 2; x < image->Left() + image->Width() - 2 && !drawn; ++x)
                drawn = (shown.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
        QVERIFY(drawn);
    }
    panel.SaveToFile(out);
    QCOMPARE(readBytes(out).toHex(), design.toHex());
}

void TestImage::autoSizeAndStretchAtZoom()
{
    TGBusinessCardPanel32 panel;
    auto* image = addImage(panel, 10, 10, 105, 105, TPicture::FromBitmap(Dib::FromImage(quarters(300, 200))));
    panel.SetZoom(1.5f);
    image->UpdateMenuChecks();
    image->AutoSizeItem()->trigger();
    QVERIFY(image->AutoSize() && !image->Stretch());
    QCOMPARE(QSize(image->Width(), image->Height()), QSize(450, 300));
    // Every resize snaps back while AutoSize is on.
    image->SetBounds(image->Left(), image->Top(), 80, 90);
    QCOMPARE(QSize(image->Width(), image->Height()), QSize(450, 300));
    // Stretch to Fit on: no change of size; off: no re-fit until the bounds change.
    image->StretchItem()->trigger();
    QVERIFY(image->Stretch() && !image->AutoSize());
    image->SetBounds(image->Left(), image->Top(), 100, 60);
    QCOMPARE(QSize(image->Width(), image->Height()), QSize(100, 60));
    image->StretchItem()->trigger();
    QVERIFY(image->AutoSize());
    QCOMPARE(QSize(image->Width(), image->Height()), QSize(100, 60));
    image->SetBounds(image->Left() + 1, image->Top(), 100, 60);
    QCOMPARE(QSize(image->Width(), image->Height()), QSize(450, 300));
}

// AutoSize gives a picture the size its file's resolution says: 600 × 300
// pixels at 300 dpi are 2 × 1 inches, 192 × 96 screen pixels at 96 ppi. The
// files are written by Qt's own writers (PNG pHYs, JPEG JFIF density, BMP
// pixels per metre); WebP holds none.
void TestImage::autoSizeTakesTheFilesResolution_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QSize>("size");
    QTest::newRow("PNG") << "png" << QSize(192, 96);
    QTest::newRow("JPEG") << "jpg" << QSize(192, 96);
    QTest::newRow("BMP") << "bmp" << QSize(192, 96);
    QTest::newRow("WebP, no resolution") << "webp" << QSize(600, 300);
}

void TestImage::autoSizeTakesTheFilesResolution()
{
    QFETCH(QString, format);
    QFETCH(QSize, size);
    QImage img = quarters(600, 300);
    img.setDotsPerMeterX(11811); // 300 dpi
    img.setDotsPerMeterY(11811);
    const QString path = dir.filePath("logo." + format);
    QVERIFY(img.save(path));
    TGBusinessCardPanel32 panel;
    auto* image = addImage(panel, 10, 10, 50, 50, TPicture::LoadFromFile(path));
    image->SetAutoSize(true);
    QCOMPARE(QSize(image->Width(), image->Height()), size);
}

void TestImage::mirroringOfBitmapsAndDrawings_data()
{
    QTest::addColumn<int>("source"); // 0 bitmap, 1 metafile, 2 SVG
    QTest::addColumn<bool>("flip");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<QColor>("topLeft");
    QTest::newRow("bitmap") << 0 << false << false << QColor(255, 0, 0);
    QTest::newRow("bitmap flipped") << 0 << true << false << QColor(0, 0, 255);
    QTest::newRow("bitmap reversed") << 0 << false << true << QColor(0, 255, 0);
    QTest::newRow("bitmap both") << 0 << true << true << QColor(255, 255, 0);
    // The metafile's top right is its red ellipse.
    QTest::newRow("metafile reversed") << 1 << false << true << QColor(0xE0, 0x34, 0x24);
    QTest::newRow("SVG") << 2 << false << false << QColor(255, 0, 0);
    QTest::newRow("SVG flipped") << 2 << true << false << QColor(0, 0, 255);
    QTest::newRow("SVG reversed") << 2 << false << true << QColor(0, 255, 0);
    QTest::newRow("SVG both") << 2 << true << true << QColor(255, 255, 0);
}

void TestImage::mirroringOfBitmapsAndDrawings()
{
    QFETCH(int, source);
    QFETCH(bool, flip);
    QFETCH(bool, reverse);
    QFETCH(QColor, topLeft);
    TGBusinessCardPanel32 panel;
    const TPicture picture = source == 1 ? TPicture::FromMetafile(Metafile::FromFile(data + "clipart.wmf"))
        : source == 2                    ? TPicture::FromSvg(SvgDrawing::FromBytes(quartersSvg()))
                                         : TPicture::FromBitmap(Dib::FromImage(quarters(4, 4)));
    auto* image = addImage(panel, 0, 0, 60, 40, picture);
    image->SetFlip(flip);
    image->SetReverse(reverse);
    image->UpdateMenuChecks();
    QVERIFY(image->FlipItem()->isEnabled());
    QVERIFY(image->ReverseItem()->isEnabled());
    const QImage shown = paintAlone(*image);
    QVERIFY2(colourDiff(shown.pixel(8, 8), topLeft.rgb()) < 40, qPrintable(QString::number(shown.pixel(8, 8), 16)));
    // Printed at 300 dpi, the same corner.
    const QImage sheet = printAt300(panel, false);
    const QRgb printed = sheet.pixel(int((0.5 + 8.5 / 96) * Dpi), int((0.5 + 8.5 / 96) * Dpi));
    QVERIFY2(colourDiff(printed, topLeft.rgb()) < 40, qPrintable(QString::number(printed, 16)));
}

void TestImage::emptyObjectShowsBoxAndPrintsNothing()
{
    TGBusinessCardPanel32 panel;
    auto* image = addImage(panel, 10, 10, 30, 20, TPicture());
    const QImage shown = paintAlone(*image);
    QCOMPARE(shown.pixel(0, 0) & 0xFFFFFF, QRgb(0));
    QCOMPARE(shown.pixel(29, 19) & 0xFFFFFF, QRgb(0));
    QCOMPARE(shown.pixel(15, 10) & 0xFFFFFF, QRgb(0xFFFFFF));
    image->SetBorderStyle(bsSingle);
    const QImage sheet = printAt300(panel, false);
    for (int y = 0; y < sheet.height(); y += 3)
        for (int x = 0; x < sheet.width(); x += 3)
            QCOMPARE(sheet.pixel(x, y) & 0xFFFFFF, QRgb(0xFFFFFF));
}

void TestImage::printedLikeTheScreen_data()
{
    QTest::addColumn<bool>("metafile");
    QTest::addColumn<bool>("flip");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<bool>("border");
    QTest::addColumn<bool>("recorded");
    QTest::newRow("bitmap") << false << false << false << false << false;
    QTest::newRow("bitmap flipped, reversed, framed") << false << true << true << true << false;
    QTest::newRow("bitmap recorded") << false << false << true << false << true;
    QTest::newRow("metafile") << true << false << false << false << false;
    QTest::newRow("metafile framed, recorded") << true << true << false << true << true;
}

void TestImage::printedLikeTheScreen()
{
    QFETCH(bool, metafile);
    QFETCH(bool, flip);
    QFETCH(bool, reverse);
    QFETCH(bool, border);
    QFETCH(bool, recorded);
    TGBusinessCardPanel32 panel;
    const TPicture picture = metafile ? TPicture::FromMetafile(Metafile::FromFile(data + "clipart.wmf"))
                                      : TPicture::FromBitmap(Dib::FromImage(quarters(8, 8)));
    auto* image = addImage(panel, 12, 24, 150, 100, picture);
    image->SetFlip(flip);
    image->SetReverse(reverse);
    image->SetBorderStyle(border ? bsSingle : bsNone);
    const QImage screen = paintAlone(*image);
    const QImage sheet = printAt300(panel, recorded);
    // Each screen pixel's centre on the sheet, away from colour edges.
    int compared = 0, differing = 0;
    for (int y = 1; y < image->Height() - 1; ++y)
        for (int x = 1; x < image->Width() - 1; ++x) {
            const QRgb s = screen.pixel(x, y);
            if (s != screen.pixel(x - 1, y) || s != screen.pixel(x + 1, y) || s != screen.pixel(x, y - 1)
                || s != screen.pixel(x, y + 1))
                continue;
            const int dx = int((0.5 + (12 + x + 0.5) / 96.0) * Dpi);
            const int dy = int((0.5 + (24 + y + 0.5) / 96.0) * Dpi);
            ++compared;
            differing += colourDiff(s, sheet.pixel(dx, dy)) > 40;
        }
    QVERIFY(compared > 5000);
    QVERIFY2(differing <= compared / 200, qPrintable(QStringLiteral("%1 of %2").arg(differing).arg(compared)));
    if (border) {
        // The frame's top-left corner is black on paper as on the screen,
        // within a device pixel.
        const int dx = int(Round((0.5 + 12 / 96.0) * Dpi)), dy = int(Round((0.5 + 24 / 96.0) * Dpi));
        bool black = false;
        for (int d = 0; d <= 1; ++d)
            black = black || (sheet.pixel(dx + d, dy + d) & 0xFFFFFF) == 0;
        QVERIFY(black);
    }
}

void TestImage::browserChoices_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("stretch");
    QTest::addColumn<bool>("autoSize");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("error");
    QTest::newRow("jpeg becomes a bitmap, both boxes off") << "photo.jpg" << false << false << int(TPicture::gkBitmap) << false;
    QTest::newRow("icon becomes a bitmap") << "mark.ico" << true << false << int(TPicture::gkBitmap) << false;
    QTest::newRow("png keeps its transparency") << "logo.png" << false << true << int(TPicture::gkBitmap) << false;
    QTest::newRow("SVG drawing") << "drawing.svg" << true << false << int(TPicture::gkMetafile) << false;
    QTest::newRow("metafile") << "clipart.wmf" << true << false << int(TPicture::gkMetafile) << false;
    QTest::newRow("damaged bitmap") << "broken.bmp" << true << false << int(TPicture::gkNone) << true;
}

void TestImage::browserChoices()
{
    QFETCH(QString, file);
    QFETCH(bool, stretch);
    QFETCH(bool, autoSize);
    QFETCH(int, kind);
    QFETCH(bool, error);
    QTemporaryDir folder;
    Jpeg::SaveToFile(quarters(40, 30), folder.filePath("photo.jpg"));
    writeBytes(folder.filePath("mark.ico"), icon4bit());
    QImage png(20, 10, QImage::Format_ARGB32);
    png.fill(Qt::transparent);
    png.save(folder.filePath("logo.png"));
    QFile::copy(data + "clipart.wmf", folder.filePath("clipart.wmf"));
    writeBytes(folder.filePath("broken.bmp"), "BM nothing");
    writeBytes(folder.filePath("drawing.svg"), quartersSvg());
    writeBytes(folder.filePath("notes.txt"), "not listed");

    ScriptedInteraction script;
    if (error)
        script.expectError();
    QStringList listed;
    script.answerDialog([&](QDialog& d) {
        auto& browser = static_cast<TGImageBrowser&>(d);
        browser.SetFolder(folder.path());
        for (int i = 0; i < browser.FileListBox1->count(); ++i)
            listed << browser.FileListBox1->item(i)->text();
        browser.CBStretch->setChecked(stretch);
        browser.CBStretchClick();
        browser.CBAutoSize->setChecked(autoSize);
        browser.CBAutoSizeClick();
        browser.SelectFile(file);
        return mrOk;
    });
    TGBusinessCardPanel32 panel;
    auto* image = addImage(panel, 5, 5, 50, 50, TPicture());
    const QString cwd = QDir::currentPath();
    image->LoadImageFromDisk();
    QCOMPARE(QDir::currentPath(), cwd);
    QVERIFY(!listed.contains("notes.txt"));
    QCOMPARE(listed.size(), 6);
    QCOMPARE(int(image->Picture().GraphicKind()), kind);
    if (kind == TPicture::gkNone)
        return;
    QCOMPARE(image->Stretch(), stretch);
    QCOMPARE(image->AutoSize(), autoSize);
    image->UpdateMenuChecks();
    QCOMPARE(image->FlipItem()->isEnabled(), true);
    if (file == "logo.png") { // clear pixels stay clear; stored over white
        QCOMPARE(qAlpha(image->Picture().Bitmap().ImageWithAlpha().pixel(3, 3)), 0);
        QCOMPARE(image->Picture().Bitmap().Image().pixel(3, 3) & 0xFFFFFF, QRgb(0xFFFFFF));
    }
    if (file == "drawing.svg") // the drawing's bytes as they were in the file
        QCOMPARE(image->Picture().Svg().Bytes(), quartersSvg());
    // A bitmap made at loading is stored as a bitmap.
    if (kind == TPicture::gkBitmap)
        QVERIFY(image->PictureData().startsWith("\x07TBitmap"));
}

void TestImage::clipArtToolKeepsOnlyObjectsWithPictures()
{
    QTemporaryDir folder;
    writeBytes(folder.filePath("a.bmp"), bmpFile(quarters(6, 6)));
    TGBusinessCardPanel32 panel;
    panel.SetPanelState(psImage);
    ScriptedInteraction script;
    script.answerDialog([](QDialog&) { return mrCancel; });
    panel.CreateObjectInRect(TRect(10, 10, 100, 80));
    QCOMPARE(panel.ObjectCount(), 0);
    QCOMPARE(panel.PanelState(), psPointing);

    panel.SetPanelState(psImage);
    script.answerDialog([&](QDialog& d) {
        auto& browser = static_cast<TGImageBrowser&>(d);
        browser.SetFolder(folder.path());
        browser.SelectFile("a.bmp");
        return mrOk;
    });
    panel.CreateObjectInRect(TRect(10, 10, 100, 80));
    QCOMPARE(panel.ObjectCount(), 1);
    QVERIFY(qobject_cast<TGImage*>(panel.Objects()[0])->Picture().IsBitmap());
}

QTEST_MAIN(TestImage)
#include "tst_image.moc"
