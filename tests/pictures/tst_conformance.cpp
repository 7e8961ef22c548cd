// Pictures made by other programs, compared with those programs' own
// rendering (tests/data/conformance, made by make-conformance.sh there):
// LibreOffice's WMF and EMF of a drawing and EMF+ pictures written from the
// published record layouts against LibreOffice's drawing of them, photos tagged with each EXIF orientation against jpegtran's turning
// of the pixels, a grey photo against libjpeg's own decoding; and an icon
// with several sizes drawn at each.
#include "pictures/Metafile.h"
#include "pictures/Picture.h"
#include "support/PictureKit.h"

#include <QBuffer>
#include <QPainter>
#include <QtTest>

using namespace bv;
using namespace bv::test;

namespace {
const QString data = QStringLiteral(BRISVALE_TEST_DATA "/conformance/");

int channelDiff(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)) });
}

// The image cut to its ink (pixels not white).
QImage trimmed(const QImage& img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (channelDiff(img.pixel(x, y), qRgb(255, 255, 255)) > 24)
                box |= QRect(x, y, 1, 1);
    return img.copy(box);
}

// Pixels of `a` with no pixel of like colour within `reach` in `b`.
int misplaced(const QImage& a, const QImage& b, int reach, int tolerance)
{
    int bad = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            bool found = false;
            for (int dy = -reach; dy <= reach && !found; ++dy)
                for (int dx = -reach; dx <= reach && !found; ++dx) {
                    const int u = x + dx, v = y + dy;
                    found = u >= 0 && v >= 0 && u < b.width() && v < b.height()
                        && channelDiff(a.pixel(x, y), b.pixel(u, v)) <= tolerance;
                }
            bad += !found;
        }
    return bad;
}
} // namespace

class TestConformance : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void metafilesAsLibreOfficeDrawsThem_data();
    void metafilesAsLibreOfficeDrawsThem();
    void photosTurnedAsTheirOrientationSays_data();
    void photosTurnedAsTheirOrientationSays();
    void greyPhotoKeepsItsGreys();
    void iconDrawnWithTheEntryFittingItsSize_data();
    void iconDrawnWithTheEntryFittingItsSize();
};

void TestConformance::metafilesAsLibreOfficeDrawsThem_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("reference");
    QTest::newRow("classic") << "shapes.wmf" << "shapes-wmf-lo.png";
    QTest::newRow("enhanced") << "shapes.emf" << "shapes-emf-lo.png";
    // EMF+ only: a translucent fill over an opaque one, a path with a curve,
    // a dashed pen, a string (DejaVu Sans).
    QTest::newRow("EMF+") << "emfplus-shapes.emf" << "emfplus-shapes-lo.png";
    // Dual: the EMF+ box and the classic box after GetDC, not the classic
    // fallback box drawn elsewhere.
    QTest::newRow("EMF+ dual") << "emfplus-dual.emf" << "emfplus-dual-lo.png";
    // Millimetre page units, a clip rectangle undone by restoring the saved
    // state, a translated and rotated world.
    QTest::newRow("EMF+ transforms and clip") << "emfplus-transformed.emf" << "emfplus-transformed-lo.png";
}

// Both drawings at 96 pixels per inch, cut to their ink and laid onto each
// other: every pixel must
// have one of like colour (within 60 of 255 per channel) within two pixels
// in the other drawing, but for 3 % of them (the edges of antialiased text
// and curves, drawn by different rasterisers). A white box behind the text,
// a lost shape or a wrong fill is far more.
void TestConformance::metafilesAsLibreOfficeDrawsThem()
{
    QFETCH(QString, file);
    QFETCH(QString, reference);
    const Metafile m = Metafile::FromFile(data + file);
    QImage ref = QImage(data + reference).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!ref.isNull());
    QImage ours(m.Width(), m.Height(), QImage::Format_RGB32);
    ours.fill(Qt::white);
    {
        QPainter p(&ours);
        p.setRenderHint(QPainter::Antialiasing);
        m.Play(p, QRectF(0, 0, m.Width(), m.Height()));
    }
    ours = trimmed(ours);
    QVERIFY2(std::abs(ours.width() - ref.width()) <= 3 && std::abs(ours.height() - ref.height()) <= 3,
        qPrintable(QStringLiteral("ink %1 x %2, LibreOffice's %3 x %4")
                       .arg(ours.width()).arg(ours.height()).arg(ref.width()).arg(ref.height())));
    // The two programs round the picture's size differently by a pixel or
    // two; the ink boxes are laid onto each other.
    ours = ours.scaled(ref.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int both = misplaced(ours, ref, 2, 60) + misplaced(ref, ours, 2, 60);
    const int allowed = ref.width() * ref.height() * 3 / 100;
    if (both > allowed)
        ours.save(QDir::tempPath() + "/conformance-" + file + ".png");
    QVERIFY2(both <= allowed, qPrintable(QStringLiteral("%1 pixels differ (%2 allowed)").arg(both).arg(allowed)));
}

void TestConformance::photosTurnedAsTheirOrientationSays_data()
{
    QTest::addColumn<int>("orientation");
    for (int n = 1; n <= 8; ++n)
        QTest::addRow("orientation %d", n) << n;
}

// The tagged photo as a picture against the photo whose pixels jpegtran
// turned: same size, same colours (within the 256-colour quantisation).
void TestConformance::photosTurnedAsTheirOrientationSays()
{
    QFETCH(int, orientation);
    const QImage tagged = TPicture::LoadFromFile(data + QString("orient-%1.jpg").arg(orientation))
                              .Bitmap().Image().convertToFormat(QImage::Format_RGB32);
    const QImage seen = TPicture::LoadFromFile(data + QString("orient-%1-seen.jpg").arg(orientation))
                            .Bitmap().Image().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(tagged.size(), seen.size());
    int bad = 0;
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x)
            bad += channelDiff(tagged.pixel(x, y), seen.pixel(x, y)) > 40;
    QVERIFY2(bad <= seen.width() * seen.height() / 50, qPrintable(QStringLiteral("%1 pixels differ").arg(bad)));
}

void TestConformance::greyPhotoKeepsItsGreys()
{
    const QImage picture = TPicture::LoadFromFile(data + "grey.jpg").Bitmap().Image();
    QImage djpeg(data + "grey-djpeg.pgm");
    QVERIFY(!djpeg.isNull());
    QCOMPARE(picture.size(), djpeg.size());
    for (int y = 0; y < djpeg.height(); ++y)
        for (int x = 0; x < djpeg.width(); ++x)
            QCOMPARE(qGray(picture.pixel(x, y)), qGray(djpeg.pixel(x, y)));
}

namespace {
QByteArray png(int side, QRgb colour)
{
    QImage img(side, side, QImage::Format_ARGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    return bytes;
}
// An icon file of PNG images of the given sides, each its own colour.
QByteArray icon(const QList<QPair<int, QRgb>>& images)
{
    QByteArray dir = le16(0) + le16(1) + le16(images.size());
    QByteArray body;
    const int start = 6 + 16 * images.size();
    for (const auto& [side, colour] : images) {
        const QByteArray p = png(side, colour);
        dir += QByteArray(1, char(side & 0xFF)) + QByteArray(1, char(side & 0xFF)) + QByteArray(2, '\0') + le16(1)
            + le16(32) + le32(p.size()) + le32(start + body.size());
        body += p;
    }
    return dir + body;
}
} // namespace

void TestConformance::iconDrawnWithTheEntryFittingItsSize_data()
{
    QTest::addColumn<int>("drawn");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("small") << 16 << QColor(Qt::red);
    QTest::newRow("its own size") << 32 << QColor(Qt::red);
    QTest::newRow("between") << 100 << QColor(Qt::green);
    QTest::newRow("large") << 256 << QColor(Qt::blue);
    QTest::newRow("larger than any") << 400 << QColor(Qt::blue);
}

void TestConformance::iconDrawnWithTheEntryFittingItsSize()
{
    QFETCH(int, drawn);
    QFETCH(QColor, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("sizes.ico");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(icon({ { 32, qRgb(255, 0, 0) }, { 256, qRgb(0, 0, 255) }, { 128, qRgb(0, 255, 0) } }));
    f.close();
    const TPicture picture = TPicture::LoadFromFile(path);
    QCOMPARE(picture.Width(), 32); // the picture's own size stays the standard one
    QImage img(drawn, drawn, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    picture.Draw(p, QRectF(0, 0, drawn, drawn));
    p.end();
    QCOMPARE(QColor(img.pixel(drawn / 2, drawn / 2)), expected);
}

QTEST_MAIN(TestConformance)
#include "tst_conformance.moc"
