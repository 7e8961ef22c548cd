// The print-shop PDF: the page boxes (read back with qpdf), the background
// art reaching the bleed box and no further, and crop marks on the cut lines
// outside the bleed (a page rasterised with pdftoppm at 300 dpi). Expected
// positions are worked out by hand: a 3.5 × 2 inch card, a bleed of b mm is
// b / 25.4 inch, and crop marks take 3/8 inch (a 1/16 inch gap, a 1/4 inch
// mark, a 1/16 inch edge) outside the bleed. The batch tool's --back puts the
// design NAME.back.QRD beside the front on page 2.
#include "PrintTestKit.h"

#include "pageengine/PagePrinter.h"
#include "printing/PrintShopPdf.h"
#include "surface/CompanionFile.h"

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {

QList<double> box(QPDFObjectHandle page, const char* name)
{
    QList<double> values;
    QPDFObjectHandle b = page.getKey(name);
    for (int i = 0; b.isArray() && i < b.getArrayNItems(); ++i)
        values << b.getArrayItem(i).getNumericValue();
    return values;
}

bool near(const QList<double>& a, const QList<double>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (std::abs(a[i] - b[i]) > 0.01)
            return false;
    return true;
}

QString text(const QList<double>& v)
{
    QStringList s;
    for (double d : v)
        s << QString::number(d, 'f', 3);
    return s.join(' ');
}

} // namespace

class TestPrintShop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pageBoxes_data();
    void pageBoxes();
    void bleedAndCropMarksOnThePage();
    void batchBackIsPageTwo();

private:
    QString writeCard(double bleedMm, bool marks, const QString& background = {});
    QTemporaryDir home;
};

void TestPrintShop::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    QVERIFY(home.isValid());
}

QString TestPrintShop::writeCard(double bleedMm, bool marks, const QString& background)
{
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 20, 20, 100, 50);
    const QString pdf = home.filePath(QStringLiteral("card-%1-%2.pdf").arg(bleedMm).arg(marks));
    TPrintShopOptions options;
    options.BleedMm = bleedMm;
    options.CropMarks = marks;
    WritePrintShopPdf(panel.Model(), TCardLayout(), background, pdf, options);
    return pdf;
}

void TestPrintShop::pageBoxes_data()
{
    // PDF points (1/72 inch) from the page's lower-left corner.
    QTest::addColumn<double>("bleedMm");
    QTest::addColumn<bool>("marks");
    QTest::addColumn<QList<double>>("media");
    QTest::addColumn<QList<double>>("bleed");
    QTest::addColumn<QList<double>>("trim");
    // 3 mm = 8.504 pt; marks 27 pt.
    QTest::newRow("3 mm bleed, crop marks") << 3.0 << true << QList<double>{0, 0, 323.008, 215.008}
                                            << QList<double>{27, 27, 296.008, 188.008}
                                            << QList<double>{35.504, 35.504, 287.504, 179.504};
    QTest::newRow("no bleed, no marks") << 0.0 << false << QList<double>{0, 0, 252, 144}
                                        << QList<double>{0, 0, 252, 144} << QList<double>{0, 0, 252, 144};
    // 6 mm = 17.008 pt.
    QTest::newRow("6 mm bleed, no marks") << 6.0 << false << QList<double>{0, 0, 286.016, 178.016}
                                          << QList<double>{0, 0, 286.016, 178.016}
                                          << QList<double>{17.008, 17.008, 269.008, 161.008};
}

void TestPrintShop::pageBoxes()
{
    QFETCH(double, bleedMm);
    QFETCH(bool, marks);
    QFETCH(QList<double>, media);
    QFETCH(QList<double>, bleed);
    QFETCH(QList<double>, trim);
    QPDF pdf;
    pdf.processFile(writeCard(bleedMm, marks).toLocal8Bit().constData());
    const std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    QCOMPARE(int(pages.size()), 1);
    // Page sizes are whole points in the writer; the boxes are exact.
    const QList<double> mediaBox = box(pages[0], "/MediaBox");
    QVERIFY2(mediaBox.size() == 4 && std::abs(mediaBox[2] - media[2]) < 1 && std::abs(mediaBox[3] - media[3]) < 1,
        qPrintable(text(mediaBox)));
    const double lift = mediaBox.value(3) - media[3]; // boxes measured from the page's top
    auto lifted = [lift](QList<double> v) {
        v[1] += lift;
        v[3] += lift;
        return v;
    };
    QVERIFY2(near(box(pages[0], "/BleedBox"), lifted(bleed)), qPrintable(text(box(pages[0], "/BleedBox"))));
    QVERIFY2(near(box(pages[0], "/TrimBox"), lifted(trim)), qPrintable(text(box(pages[0], "/TrimBox"))));
}

void TestPrintShop::bleedAndCropMarksOnThePage()
{
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    // Solid red art.
    QImage art(70, 40, QImage::Format_RGB32);
    art.fill(qRgb(255, 0, 0));
    const QString bmp = home.filePath(QStringLiteral("red.bmp"));
    Dib::SaveToFile(art, bmp);
    const QList<QImage> pages = rasterizePdf(writeCard(3.0, true, bmp), 300);
    QCOMPARE(pages.size(), 1);
    const QImage& page = pages.first();
    // 300 dpi: marks 112.5 px, bleed box 112.5 .. 112.5 + 1120.9 across
    // (3.5 in + 2 × 3 mm) and 112.5 .. 112.5 + 670.9 down; trim 35.4 px in.
    const double m = 112.5, bx = 1120.87, by = 670.87, trim = 35.43;
    auto red = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
    auto white = [](QRgb c) { return qGray(c) > 245; };
    const int midX = int(m + bx / 2);
    const int midY = int(m + by / 2);
    // The art reaches the bleed box on every side, and stops there.
    QVERIFY(red(page.pixel(int(m + 2), midY)));
    QVERIFY(red(page.pixel(int(m + bx - 3), midY)));
    QVERIFY(red(page.pixel(midX, int(m + 2))));
    QVERIFY(red(page.pixel(midX, int(m + by - 3))));
    QVERIFY(white(page.pixel(int(m - 3), midY)));
    QVERIFY(white(page.pixel(int(m + bx + 3), midY)));
    QVERIFY(white(page.pixel(midX, int(m - 3))));
    QVERIFY(white(page.pixel(midX, int(m + by + 3))));
    // Crop marks: on the cut lines, in the margin beyond a 1/16 inch gap.
    const int cutTop = int(m + trim + 0.5);
    const int cutLeft = int(m + trim + 0.5);
    const int cutRight = int(m + bx - trim + 0.5);
    auto inkNear = [&](int x, int y, bool horizontal) {
        for (int d = -2; d <= 2; ++d)
            if (isInk(horizontal ? page.pixel(x, y + d) : page.pixel(x + d, y)))
                return true;
        return false;
    };
    QVERIFY2(inkNear(40, cutTop, true), "no mark left of the top cut line");
    QVERIFY2(inkNear(int(m + bx + 60), cutTop, true), "no mark right of the top cut line");
    QVERIFY2(inkNear(cutLeft, 40, false), "no mark above the left cut line");
    QVERIFY2(inkNear(cutRight, int(m + by + 60), false), "no mark below the right cut line");
    // The gap between the marks and the bleed stays clear.
    QVERIFY(!inkNear(int(m - 8), cutTop, true));
    QVERIFY(!inkNear(cutLeft, int(m - 8), false));
}

void TestPrintShop::batchBackIsPageTwo()
{
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch");
    if (!QFileInfo(batch).isExecutable())
        QSKIP("brisvale-batch is not built");
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    // Front and back: empty designs on red and on blue background art.
    QTemporaryDir work;
    auto design = [&](const QString& name, QRgb colour) {
        QImage art(70, 40, QImage::Format_RGB32);
        art.fill(colour);
        const QString bmp = work.filePath(name + QStringLiteral(".bmp"));
        Dib::SaveToFile(art, bmp);
        const QString path = work.filePath(name + QStringLiteral(".QRD"));
        QFile::copy(QStringLiteral(BRISVALE_TEST_DATA "/designs/empty.qrd"), path);
        WriteCompanionFile(CompanionPath(path), bmp, CompanionLayout());
        return path;
    };
    const QString front = design(QStringLiteral("card"), qRgb(255, 0, 0));
    const QString out = work.filePath(QStringLiteral("shop.pdf"));
    auto run = [&](QProcess& p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("BRISVALE_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(batch, { QStringLiteral("pdf"), front, out, QStringLiteral("--back") });
        return p.waitForFinished(60000);
    };
    // No back beside the front: refused, naming the file looked for.
    QProcess missing;
    QVERIFY(run(missing));
    QCOMPARE(missing.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(missing.readAllStandardError()).contains(QStringLiteral("card.back.QRD")));
    QVERIFY(!QFile::exists(out));

    design(QStringLiteral("card.back"), qRgb(0, 0, 255));
    QProcess p;
    QVERIFY(run(p));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    const QList<QImage> pages = rasterizePdf(out, 72);
    QCOMPARE(pages.size(), 2);
    // 3.5 x 2 inches plus a 1/8 inch bleed: 270 x 162 points, each page.
    for (const QImage& page : pages)
        QVERIFY(std::abs(page.width() - 270) <= 1 && std::abs(page.height() - 162) <= 1);
    const QRgb one = pages[0].pixel(135, 81);
    const QRgb two = pages[1].pixel(135, 81);
    QVERIFY(qRed(one) > 200 && qBlue(one) < 60);
    QVERIFY(qBlue(two) > 200 && qRed(two) < 60);
}

QTEST_MAIN(TestPrintShop)
#include "tst_printshop.moc"
