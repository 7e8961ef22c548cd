// SVG drawings: their size from the units of the root element (worked by
// hand at 96 ppi: 1 in = 96 px = 25.4 mm = 72 pt), the enhanced metafile that
// carries them in a design (record types from the published EMF record
// table: EMR_HEADER 1, EMR_EOF 14, EMR_SETSTRETCHBLTMODE 21, EMR_GDICOMMENT
// 70, EMR_STRETCHDIBITS 81) giving back the exact bytes, plain and
// gzip-compressed, and input that must be refused.
#include "platform/Errors.h"
#include "pictures/Metafile.h"
#include "pictures/SvgDrawing.h"

#include <QPainter>
#include <QTest>
#include <QtEndian>
#include <zlib.h>

using namespace bv;

namespace {

QByteArray gzip(const QByteArray& in)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(in.size()))) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    z.avail_in = uInt(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

QByteArray svg(const QByteArray& rootAttributes, const QByteArray& body = "<rect width='10' height='10' fill='#c00'/>")
{
    return "<?xml version='1.0'?>\n<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
        + rootAttributes + ">" + body + "</svg>\n";
}

std::uint32_t u32(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

} // namespace

class TestSvgDrawing : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void sizeFromItsUnits_data();
    void sizeFromItsUnits();
    void carrierMetafileKeepsTheBytes_data();
    void carrierMetafileKeepsTheBytes();
    void refusesWhatIsNoDrawing_data();
    void refusesWhatIsNoDrawing();
};

void TestSvgDrawing::sizeFromItsUnits_data()
{
    QTest::addColumn<QByteArray>("attributes");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("inches") << QByteArray("width='2in' height='1in'") << QSize(192, 96);
    QTest::newRow("millimetres") << QByteArray("width='50.8mm' height='25.4mm'") << QSize(192, 96);
    QTest::newRow("points") << QByteArray("width='144pt' height='72pt'") << QSize(192, 96);
    QTest::newRow("no unit is px") << QByteArray("width='300' height='150'") << QSize(300, 150);
    QTest::newRow("view box only") << QByteArray("viewBox='0 0 120 60'") << QSize(120, 60);
    // 3 cm = 113.39 px; the height follows the view box's 2:1.
    QTest::newRow("width and view box") << QByteArray("width='3cm' viewBox='0 0 200 100'") << QSize(113, 57);
    QTest::newRow("percentages use the view box") << QByteArray("width='100%' height='100%' viewBox='0 0 80 40'")
                                                   << QSize(80, 40);
}

void TestSvgDrawing::sizeFromItsUnits()
{
    QFETCH(QByteArray, attributes);
    QFETCH(QSize, pixels);
    const SvgDrawing d = SvgDrawing::FromBytes(svg(attributes));
    QCOMPARE(QSize(d.Width(), d.Height()), pixels);
    // The carrier's frame keeps the same size for a metafile reader.
    const Metafile m = Metafile::FromBytes(d.CarrierMetafile());
    QVERIFY(std::abs(m.Width() - pixels.width()) <= 1 && std::abs(m.Height() - pixels.height()) <= 1);
}

void TestSvgDrawing::carrierMetafileKeepsTheBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray plain = svg("width='1in' height='0.5in' viewBox='0 0 20 10'",
        "<rect x='0' y='0' width='10' height='10' fill='#0000ff'/><text x='11' y='8' font-size='6'>Hi</text>");
    QTest::newRow("plain") << plain;
    QTest::newRow("compressed") << gzip(plain);
    // Lengths not a multiple of four are padded in the record, not in the bytes.
    QTest::newRow("odd length") << (plain + "  \n");
}

void TestSvgDrawing::carrierMetafileKeepsTheBytes()
{
    QFETCH(QByteArray, bytes);
    const SvgDrawing d = SvgDrawing::FromBytes(bytes);
    QCOMPARE(d.Bytes(), bytes);
    const QByteArray emf = d.CarrierMetafile();
    QCOMPARE(SvgDrawing::CarriedBytes(emf), bytes);

    // Walked by hand: header size and totals, then the records in order.
    QCOMPARE(u32(emf, 0), 1u);
    QCOMPARE(u32(emf, 40), 0x464D4520u);
    QCOMPARE(qsizetype(u32(emf, 48)), emf.size());
    QList<std::uint32_t> types;
    for (qsizetype at = 0; at < emf.size(); at += u32(emf, at + 4)) {
        QVERIFY(u32(emf, at + 4) % 4 == 0 && u32(emf, at + 4) >= 8);
        types << u32(emf, at);
    }
    QCOMPARE(types, (QList<std::uint32_t>{ 1, 70, 21, 81, 14 }));
    QCOMPARE(u32(emf, 52), std::uint32_t(types.size()));

    // The metafile's own picture, as a reader that skips the comment plays
    // it: the blue square on the left half, white under the rest.
    const Metafile m = Metafile::FromBytes(emf);
    QImage seen(200, 100, QImage::Format_RGB32);
    seen.fill(Qt::gray);
    {
        QPainter p(&seen);
        m.Play(p, QRectF(0, 0, 200, 100));
    }
    QCOMPARE(seen.pixel(50, 50), qRgb(0, 0, 255));
    QCOMPARE(seen.pixel(150, 95), qRgb(255, 255, 255));
}

void TestSvgDrawing::refusesWhatIsNoDrawing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not XML") << QByteArray("GIF89a not a drawing");
    QTest::newRow("another root") << QByteArray("<html><body/></html>");
    QTest::newRow("broken XML") << QByteArray("<svg xmlns='http://www.w3.org/2000/svg'><rect></svg>");
    QTest::newRow("picture from a file")
        << svg("width='10' height='10'", "<image width='10' height='10' xlink:href='/etc/hostname.png'/>");
    QTest::newRow("compressed stream cut short") << gzip(svg("width='10' height='10'")).left(30);
    // 80 MiB of blanks inflate beyond the limit.
    QTest::newRow("compressed bomb") << gzip(svg("width='10' height='10'") + QByteArray(80 << 20, ' '));
    QTest::newRow("no size") << svg("width='0' height='0'");
}

void TestSvgDrawing::refusesWhatIsNoDrawing()
{
    QFETCH(QByteArray, bytes);
    QVERIFY_THROWS_EXCEPTION(EConvertError, SvgDrawing::FromBytes(bytes));
    // A metafile that carries such bytes is no drawing either.
    QVERIFY(SvgDrawing::CarriedBytes(bytes).isEmpty());
}

QTEST_MAIN(TestSvgDrawing)
#include "tst_svgdrawing.moc"
