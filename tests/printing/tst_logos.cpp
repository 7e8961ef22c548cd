// Logos as people have them: a PNG with a clear background over coloured
// background art lets the art show through on the screen, in a 300-dpi card
// picture and on a PDF sheet (rasterised by pdftoppm); an SVG logo reaches a
// PDF as paths, its words as outlines (pdfimages lists no image, qpdf shows
// the path operators) and is sharp at 600 dpi; a 2,000-pixel logo one inch wide reaches
// the PDF with all its pixels (pdfimages). 96 ppi; the SVG's text names
// "Liberation Sans".
#include "PrintTestKit.h"

#include "document/CardDocument.h"
#include "objects/Image.h"
#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PagePrinter.h"
#include "platform/Dib.h"
#include "printing/SheetJob.h"
#include "surface/BusinessCardPanel.h"

#include <QBuffer>
#include <QImageReader>
#include <QRegularExpression>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {

const QRgb Art = qRgb(0, 128, 128);   // the background art's teal
const QRgb Red = qRgb(220, 0, 0);

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A 60 × 60 logo: clear everywhere but a red square in its right half
// (columns 30 to 59, rows 15 to 44).
QByteArray clearLogoPng()
{
    QImage logo(60, 60, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);
    for (int y = 15; y < 45; ++y)
        for (int x = 30; x < 60; ++x)
            logo.setPixel(x, y, Red | 0xFF000000u);
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    logo.save(&b, "PNG");
    return b.data();
}

// An SVG logo one inch by half an inch: a black square on the left half
// and a word.
QByteArray svgLogo()
{
    return "<svg xmlns='http://www.w3.org/2000/svg' width='1in' height='0.5in' viewBox='0 0 100 50'>"
           "<rect x='0' y='0' width='50' height='50' fill='#000'/>"
           "<text x='55' y='30' font-family='Liberation Sans' font-size='14' fill='#000'>Logo</text></svg>";
}

TGImage* addLogo(TGBasePanel& panel, const TPicture& picture, int l, int t, int w, int h)
{
    auto* image = new TGImage;
    image->SetParent(&panel);
    image->SetBounds(l, t, w, h);
    image->Loaded();
    panel.AttachObject(image);
    image->SetPicture(picture);
    return image;
}

TPicture pictureFromFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    f.close();
    return TPicture::LoadFromFile(path);
}

// The card printed once on a PDF sheet through the sheet job, with the art
// file as its background.
void printSheet(TGBusinessCardPanel32& panel, const QString& pdf, const QString& art)
{
    TPagePrinter printer;
    printer.SetOutputFileName(pdf);
    printer.SetPaper(PaperLetter);
    TSheetJob job;
    job.Design = &panel.Model();
    job.Engine = &printer;
    job.Sheet = TImposition::FromLayout(TCardLayout(), {}, false);
    job.Selected.fill(false);
    job.Selected[0] = true;
    job.BackgroundFile = art;
    job.Run();
    QVERIFY2(job.ErrorMessage().isEmpty(), qPrintable(job.ErrorMessage()));
}

// The first card on a page: the bounding box of the art's colour.
QRect artBox(const QImage& page)
{
    QRect box;
    for (int y = 0; y < page.height(); y += 2)
        for (int x = 0; x < page.width(); x += 2)
            if (qAbs(qGreen(page.pixel(x, y)) - 128) < 12 && qRed(page.pixel(x, y)) < 20)
                box |= QRect(x, y, 2, 2);
    return box;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 16 && qAbs(qGreen(a) - qGreen(b)) < 16 && qAbs(qBlue(a) - qBlue(b)) < 16;
}

// Pixels between clear black and clear white along a row crossing one edge.
int blurredPixels(const QImage& img, int y, int from, int to)
{
    int grey = 0;
    for (int x = from; x < to; ++x)
        grey += qGray(img.pixel(x, y)) > 40 && qGray(img.pixel(x, y)) < 215;
    return grey;
}

} // namespace

class TestLogos : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void clearLogoShowsTheArtThrough_data();
    void clearLogoShowsTheArtThrough();
    void svgLogoPrintsAsVectors();
    void largeLogoKeepsItsPixels();

private:
    QTemporaryDir dir;
    QString artFile;
};

void TestLogos::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    // A letter page at 600 dpi is beyond Qt's default 128 MB for reading.
    QImageReader::setAllocationLimit(512);
    qputenv("BRISVALE_HOME", dir.path().toLocal8Bit());
    QImage art(336, 192, QImage::Format_RGB32);
    art.fill(Art);
    artFile = dir.filePath(QStringLiteral("art.bmp"));
    Dib::SaveToFile(art, artFile);
}

void TestLogos::clearLogoShowsTheArtThrough_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("screen") << "screen";
    QTest::newRow("300-dpi card picture") << "picture";
    QTest::newRow("PDF sheet") << "pdf";
}

void TestLogos::clearLogoShowsTheArtThrough()
{
    QFETCH(QString, where);
    TGBusinessCardPanel32 panel;
    panel.LoadBackground(artFile);
    // The logo at (48, 48), drawn at twice its size: 120 × 120.
    addLogo(panel, pictureFromFile(dir.path(), QStringLiteral("logo.png"), clearLogoPng()), 48, 48, 120, 120);

    QImage card;
    double scale = 1; // card pixels per screen pixel
    if (where == QLatin1String("screen")) {
        card = panel.RenderToBitmap();
    } else if (where == QLatin1String("picture")) {
        card = RenderCardPictureAtDpi(panel.Model(), 300, false);
        scale = 300 / kPpi;
    } else {
        if (!havePdftoppm())
            QSKIP("pdftoppm (poppler-utils) not installed");
        const QString pdf = dir.filePath(QStringLiteral("clear.pdf"));
        printSheet(panel, pdf, artFile);
        const QList<QImage> pages = rasterizePdf(pdf, 300);
        QCOMPARE(pages.size(), 1);
        const QRect box = artBox(pages.first());
        QVERIFY(box.width() > 900);
        card = pages.first().copy(box);
        scale = 300 / kPpi;
    }
    auto at = [&](double x, double y) { return card.pixel(int(x * scale), int(y * scale)); };
    // The logo's clear left half and its clear rows above and below the
    // square: the art, never white or black.
    for (double x = 52; x < 104; x += 6)
        for (double y = 52; y < 164; y += 6)
            QVERIFY2(near(at(x, y), Art), qPrintable(QStringLiteral("clear part at %1,%2 is %3")
                                                         .arg(x).arg(y).arg(at(x, y), 0, 16)));
    for (double x = 112; x < 164; x += 10)
        QVERIFY(near(at(x, 56), Art) && near(at(x, 160), Art));
    // The square: red.
    QVERIFY2(near(at(140, 108), Red), qPrintable(QString::number(at(140, 108), 16)));
}

void TestLogos::svgLogoPrintsAsVectors()
{
    if (!havePdftoppm())
        QSKIP("poppler-utils not installed");
    TGBusinessCardPanel32 panel;
    addLogo(panel, pictureFromFile(dir.path(), QStringLiteral("logo.svg"), svgLogo()), 48, 48, 96, 48);
    const QString pdf = dir.filePath(QStringLiteral("vector.pdf"));
    printSheet(panel, pdf, QString());

    // No image in the file: the square and the word are paths. qpdf writes
    // the content streams uncompressed; count the path operators of the
    // PDF reference (m moveto, l lineto, c curveto, re rectangle, f fill).
    const QStringList images = run(QStringLiteral("pdfimages"), { QStringLiteral("-list"), pdf })
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(images.size(), 2); // the two heading lines only
    const QString plain = dir.filePath(QStringLiteral("vector.qdf"));
    run(QStringLiteral("qpdf"), { QStringLiteral("--qdf"), QStringLiteral("--object-streams=disable"), pdf, plain });
    QFile f(plain);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString content = QString::fromLatin1(f.readAll());
    QVERIFY(!content.contains(QLatin1String("/Subtype /Image")));
    auto count = [&](const char* op) {
        return content.count(QRegularExpression(QStringLiteral("[ \n]%1\n").arg(QLatin1String(op))));
    };
    // The letters' curves and the fills.
    QVERIFY2(count("c") >= 20 && count("m") >= 4 && count("f") + count("f\\*") >= 1,
             qPrintable(QStringLiteral("c %1, m %2, f %3").arg(count("c")).arg(count("m")).arg(count("f"))));

    // At 600 dpi the square's right edge (half an inch from the logo's
    // left) goes from black to white within two pixels.
    const QList<QImage> pages = rasterizePdf(pdf, 600);
    QCOMPARE(pages.size(), 1);
    const QImage& page = pages.first();
    QRect ink;
    for (int y = 0; y < page.height(); y += 4)
        for (int x = 0; x < page.width(); x += 4)
            if (qGray(page.pixel(x, y)) < 40)
                ink |= QRect(x, y, 1, 1);
    QVERIFY(ink.isValid());
    // A row through the square below the word (which starts at 0.55 inch).
    const int y = ink.top() + 270;
    const int edge = lastX(page, y, ink.left(), ink.left() + 320, [](QRgb c) { return qGray(c) < 40; });
    QVERIFY2(std::abs(edge - ink.left() - 300) <= 4, qPrintable(QString::number(edge - ink.left())));
    QVERIFY2(blurredPixels(page, y, edge - 6, edge + 7) <= 2,
             qPrintable(QString::number(blurredPixels(page, y, edge - 6, edge + 7))));
}

void TestLogos::largeLogoKeepsItsPixels()
{
    // 2,000 × 2,000 pixels of 10-pixel stripes, placed one inch wide: more
    // stripes than a screen inch has pixels.
    QImage big(2000, 2000, QImage::Format_RGB32);
    for (int x = 0; x < 2000; ++x)
        for (int y = 0; y < 2000; ++y)
            big.setPixel(x, y, (x / 10) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    TGBusinessCardPanel32 panel;
    addLogo(panel, TPicture::FromBitmap(Dib::FromImage(big)), 48, 48, 96, 96);

    // A 600-dpi card picture shows every stripe: 200 over the inch, each 3
    // pixels wide.
    const QImage card = RenderCardPictureAtDpi(panel.Model(), 600, false);
    int changes = 0;
    for (int x = 301; x < 899; ++x)
        changes += (qGray(card.pixel(x, 600)) < 128) != (qGray(card.pixel(x - 1, 600)) < 128);
    QVERIFY2(changes >= 195 && changes <= 201, qPrintable(QString::number(changes)));

    const QString pdf = dir.filePath(QStringLiteral("big.pdf"));
    printSheet(panel, pdf, QString());
    const QString listing = run(QStringLiteral("pdfimages"), { QStringLiteral("-list"), pdf });
    // page num type width height ...: the image keeps 2000 × 2000.
    bool found = false;
    for (const QString& line : listing.split(QLatin1Char('\n'))) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() > 4 && f[2] == QLatin1String("image") && f[3] == QLatin1String("2000") && f[4] == QLatin1String("2000"))
            found = true;
    }
    QVERIFY2(found, qPrintable(listing));
}

QTEST_MAIN(TestLogos)
#include "tst_logos.moc"
