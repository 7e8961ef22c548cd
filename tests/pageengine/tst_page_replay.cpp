// Recording pages and replaying them: at 100 % on the recording device the
// replay is the direct drawing pixel for pixel; at other zooms the geometry
// scales; damaged recordings are refused. Text uses "DejaVu Sans" and
// "Liberation Sans" (fonts-dejavu-core, fonts-liberation2).
#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PagePlayer.h"
#include "pageengine/PageRecorder.h"
#include "pageengine/PageStreamFormat.h"

#include <QBuffer>
#include <QPainter>
#include <QPicture>
#include <QRandomGenerator>
#include <QtTest>

using namespace bv;
using namespace bv::PageStyle;

namespace {

TColor rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

const TDeviceFacts Device300{300, 300, 0.25, 0.2, 0.3, 8.5, 11};

Dib checker()
{
    QImage img(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            img.setPixel(x, y, ((x / 2 + y / 2) % 2) ? qRgb(0, 120, 0) : qRgb(250, 220, 0));
    return Dib::FromImage(img);
}

QPicture logo()
{
    QPicture pic;
    QPainter p(&pic);
    p.setPen(QPen(Qt::darkBlue, 3));
    p.setBrush(Qt::cyan);
    p.drawEllipse(5, 5, 90, 40);
    p.setFont(QFont(QStringLiteral("Liberation Sans"), 14));
    p.drawText(20, 32, QStringLiteral("Logo"));
    p.end();
    pic.setBoundingRect(QRect(0, 0, 100, 50));
    return pic;
}

// A page with every kind of call the design objects make.
void firstPage(TPageEngine& e, const Dib& bmp, const QPicture& pic)
{
    e.SetPen(clBlack, psSolid, -1);
    e.SetBrush(clSilver, bsSolid);
    e.Rectangle(0.5, 0.5, 4.0, 2.5);
    e.SetPen(clRed, psSolid, -3);
    e.SetBrush(clYellow, bsSolid);
    e.Ellipse(0.7, 0.7, 1.9, 1.6);
    e.SetPen(clNavy, psDash, 1);
    e.SetBrush(clAqua, bsDiagCross);
    e.RoundRect(2.0, 0.7, 3.8, 1.6, 0.3, 0.2);
    e.SetPen(clGreen, psSolid, -2);
    e.MoveTo(0.6, 2.4);
    e.LineTo(3.9, 1.8);
    e.LineTo(3.9, 2.4);
    e.SetBrush(clFuchsia, bsSolid);
    e.SetPen(clBlack, psSolid, 1);
    const TDeviceRect area = e.InchRectToDevice(1.0, 3.0, 2.0, 4.0);
    const QPoint star[] = {{area.Left + 150, area.Top}, {area.Left + 240, area.Bottom},
                           {area.Left, area.Top + 110}, {area.Right, area.Top + 110}, {area.Left + 60, area.Bottom}};
    e.Polygon(star, 5);
    e.PushPolygonRegion(star, 5);
    e.SelectTopRegion();
    e.SetBrush(clBlue, bsSolid);
    e.FillDeviceRect(area.Left, area.Top + 150, area.Right, area.Bottom);
    e.ClearClip();
    e.PopRegion();
    e.PushEllipseRegion(2.5, 3.0, 4.0, 4.0);
    e.SelectTopRegion();
    e.StretchBitmap(2.5, 3.0, 4.0, 4.0, bmp);
    e.ClearClip();
    e.PopRegion();
    e.SetBrush(clWhite, bsSolid, &bmp);
    e.Rectangle(4.2, 0.5, 5.0, 1.3);
    e.StretchGraphic(e.InchRectToDevice(4.2, 1.5, 5.4, 2.1), pic);
    e.SetFont(QStringLiteral("DejaVu Sans"), 18);
    e.SetFontColor(clMaroon);
    e.GotoXY(0.6, 4.6);
    e.PrintText(QStringLiteral("Opaque\ttext"));
    e.SetTextBKMode(tbTransparent);
    e.SetBold(true);
    e.SetItalic(true);
    e.SetUnderline(true);
    e.GotoXY(0.6, 5.0);
    e.PrintText(QStringLiteral("Bold italic"));
    e.SetUnderline(false);
    e.SetFont(QStringLiteral("Liberation Sans"), 40);
    e.BeginPath();
    e.GotoXY(0.6, 5.8);
    e.PrintText(QStringLiteral("Path"));
    e.EndPath();
    e.ClipToPath();
    const TDeviceRect text = e.InchRectToDevice(0.5, 5.0, 3.0, 6.0);
    for (int i = 0; i < 8; ++i) {
        e.SetBrush(rgb(i * 30, 0, 255 - i * 30), bsSolid);
        e.FillDeviceRect(text.Left, text.Top + i * 40, text.Right, text.Top + i * 40 + 40);
    }
    e.ClearClip();
    e.SetBrush(clWhite, bsClear);
    e.SetPen(clRed, psSolid, -1);
    e.BeginPath();
    e.GotoXY(3.0, 5.8);
    e.PrintText(QStringLiteral("Out"));
    e.EndPath();
    e.StrokePath();
}

// Uses the pen, brush and font left by the first page.
void secondPage(TPageEngine& e)
{
    e.Rectangle(1.0, 1.0, 2.0, 2.0);
    e.GotoXY(1.0, 3.0);
    e.PrintText(QStringLiteral("Page two"));
}

void job(TPageEngine& e, const Dib& bmp, const QPicture& pic)
{
    firstPage(e, bmp, pic);
    e.NewPage();
    secondPage(e);
}

QImage blankPage(const TDeviceFacts& f)
{
    QImage img(int(f.PageWidth * f.ResolutionX), int(f.PageHeight * f.ResolutionY), QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// The job drawn directly, one image per page.
QList<QImage> drawDirect(const TDeviceFacts& f, const Dib& bmp, const QPicture& pic)
{
    QList<QImage> pages{blankPage(f)};
    auto painter = std::make_unique<QPainter>(&pages.last());
    TCanvasPageEngine e(painter.get(), f);
    e.OnDevicePage = [&](TCanvasPageEngine& engine) {
        painter->end();
        pages.append(blankPage(f));
        painter = std::make_unique<QPainter>(&pages.last());
        engine.SetPainter(painter.get());
    };
    e.OnPrint = [&](TPageEngine& engine) { job(engine, bmp, pic); };
    e.Execute();
    painter->end();
    return pages;
}

QByteArray record(const TDeviceFacts& f, const std::function<void(TPageEngine&)>& draw)
{
    QBuffer stream;
    TPageRecorder r;
    r.SetDeviceFacts(f);
    r.SetStream(&stream);
    r.OnPrint = draw;
    r.Execute();
    return stream.data();
}

QImage play(const QByteArray& recording, int page, const TDeviceFacts& f)
{
    TPagePlayer player;
    player.Load(recording);
    player.SetDeviceFacts(f);
    QImage img = blankPage(f);
    QPainter p(&img);
    player.PlayPage(page, &p);
    p.end();
    return img;
}

int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

} // namespace

Q_DECLARE_METATYPE(bv::TDeviceFacts)

class TestPageReplay : public QObject {
    Q_OBJECT
private slots:
    void replayAtFullSizeEqualsDirectDrawing_data();
    void replayAtFullSizeEqualsDirectDrawing();
    void zoomScalesInchesAndDevicePixels();
    void recordingKeepsOneCopyOfEachPicture();
    void abortedRecordingEndsCleanly();
    void damagedRecordingsAreRefused_data();
    void damagedRecordingsAreRefused();
    void corruptedRecordingsNeverCrash();
};

void TestPageReplay::replayAtFullSizeEqualsDirectDrawing_data()
{
    QTest::addColumn<TDeviceFacts>("device");
    QTest::newRow("300 dpi with offsets") << Device300;
    QTest::newRow("96 dpi, none") << TDeviceFacts{96, 96, 0, 0, 0, 8.5, 11};
    QTest::newRow("200 x 100 dpi") << TDeviceFacts{200, 100, 0.1, 0.1, 0.1, 8.5, 11};
}

void TestPageReplay::replayAtFullSizeEqualsDirectDrawing()
{
    QFETCH(TDeviceFacts, device);
    const Dib bmp = checker();
    const QPicture pic = logo();
    const QList<QImage> direct = drawDirect(device, bmp, pic);
    QCOMPARE(direct.size(), 2);
    const QByteArray rec = record(device, [&](TPageEngine& e) { job(e, bmp, pic); });
    TPagePlayer player;
    player.Load(rec);
    QCOMPARE(player.PageCount(), 2);
    QCOMPARE(player.RecordedDevice(), device);
    for (int page = 1; page <= 2; ++page) {
        const QImage replayed = play(rec, page, device);
        QCOMPARE(differingPixels(replayed, direct[page - 1]), 0);
        // The page is not blank (the comparison would pass for nothing).
        QVERIFY(differingPixels(replayed, blankPage(device)) > 2000);
    }
    QCOMPARE(differingPixels(play(rec, 3, device), blankPage(device)), 0);
}

void TestPageReplay::zoomScalesInchesAndDevicePixels()
{
    // Recorded on a 600 dpi device with a quarter-inch offset; replayed on
    // a 100 ppi screen at 50 %: the inch rectangle and the device-pixel
    // rectangle (both 1..2 inches) land at 50..100 pixels.
    const TDeviceFacts printer{600, 600, 0.25, 0.25, 0.25, 8.5, 11};
    const QByteArray rec = record(printer, [](TPageEngine& e) {
        e.SetPen(clBlack, psClear, 1);
        e.SetBrush(clRed, bsSolid);
        e.Rectangle(1.0, 1.0, 2.0, 2.0);
        e.SetBrush(clBlue, bsSolid);
        const TDeviceRect r = e.InchRectToDevice(3.0, 1.0, 4.0, 2.0);
        QCOMPARE(r, (TDeviceRect{1650, 450, 2250, 1050}));
        e.FillDeviceRect(r);
        e.SetPen(clBlack, psSolid, -4); // 0.04 inch: 2 pixels at 100 ppi and 50 %
        e.MoveTo(1.0, 3.0);
        e.LineTo(4.0, 3.0);
    });
    TPagePlayer player;
    player.Load(rec);
    player.SetZoomFactor(50);
    const QImage page = player.RenderPage(1, 100);
    QCOMPARE(page.size(), QSize(425, 550));
    auto bounds = [&](QRgb colour) {
        QRect r;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (page.pixel(x, y) == colour)
                    r |= QRect(x, y, 1, 1);
        return r;
    };
    QCOMPARE(bounds(0xFFFF0000), QRect(50, 50, 50, 50));
    QCOMPARE(bounds(0xFF0000FF), QRect(150, 50, 50, 50));
    int thick = 0;
    for (int y = 140; y < 160; ++y)
        thick += page.pixel(100, y) == 0xFF000000;
    QCOMPARE(thick, 2);
}

void TestPageReplay::recordingKeepsOneCopyOfEachPicture()
{
    // A texture tiled 100 times is stored once.
    QImage big(200, 200, QImage::Format_RGB32);
    big.fill(Qt::green);
    const Dib tile = Dib::FromImage(big);
    const QPicture pic = logo();
    const QByteArray rec = record(Device300, [&](TPageEngine& e) {
        for (int i = 0; i < 100; ++i) {
            e.StretchBitmap(i * 0.05, 0, i * 0.05 + 0.05, 0.05, tile);
            e.StretchGraphic(TDeviceRect{i, i, i + 10, i + 10}, pic);
        }
    });
    QVERIFY(rec.size() > tile.Bytes().size());
    QVERIFY(rec.size() < tile.Bytes().size() + 20000);
    TPagePlayer player;
    player.Load(rec);
    QVERIFY(!player.RenderPage(1, 50).isNull());
}

void TestPageReplay::abortedRecordingEndsCleanly()
{
    TPageRecorder r;
    QBuffer stream;
    r.SetStream(&stream);
    r.OnPrint = [](TPageEngine& e) {
        e.Rectangle(1, 1, 2, 2);
        e.NewPage();
        e.Abort();
        e.Rectangle(1, 1, 2, 2);
        e.NewPage();
    };
    r.Execute();
    QVERIFY(r.Aborted());
    QCOMPARE(r.CurrentPage(), 3);
    TPagePlayer player;
    player.Load(stream.data());
    QCOMPARE(player.PageCount(), 2); // the page under way when it stopped
}

void TestPageReplay::damagedRecordingsAreRefused_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray good = record(Device300, [](TPageEngine& e) {
        e.Rectangle(1, 1, 2, 2);
        e.StretchBitmap(1, 1, 2, 2, checker());
    });
    auto patched = [&](int at, QByteArray bytes) {
        QByteArray b = good;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("magic") << patched(0, "XXXX");
    QTest::newRow("version") << patched(4, QByteArray("\x02\0\0\0", 4));
    QTest::newRow("zero resolution") << patched(8, QByteArray(8, '\0'));
    QTest::newRow("page count") << patched(64, QByteArray("\x05\0\0\0", 4));
    QTest::newRow("record count") << patched(68, QByteArray("\x09\0\0\0", 4));
    QTest::newRow("truncated") << good.left(good.size() - 3);
    QTest::newRow("trailing byte") << good + QByteArray(1, '\x01');
    // First record: op at 72, length at 73.
    QTest::newRow("record longer than data") << patched(73, QByteArray("\xFF\xFF\xFF\x7F", 4));
    QTest::newRow("unknown op") << patched(72, QByteArray(1, '\x63'));
}

void TestPageReplay::damagedRecordingsAreRefused()
{
    QFETCH(QByteArray, data);
    TPagePlayer player;
    QVERIFY_THROWS_EXCEPTION(EReadError, player.Load(data));
    QVERIFY(!player.IsLoaded());
    QCOMPARE(player.PageCount(), 0);
}

void TestPageReplay::corruptedRecordingsNeverCrash()
{
    const Dib bmp = checker();
    const QPicture pic = logo();
    const QByteArray good = record(TDeviceFacts{50, 50, 0, 0, 0, 8.5, 11}, [&](TPageEngine& e) { job(e, bmp, pic); });
    QRandomGenerator rng(99);
    int loaded = 0;
    for (int i = 0; i < 300; ++i) {
        QByteArray bad = good;
        for (int k = 0; k < 2; ++k)
            bad[pagestream::HeaderSize + rng.bounded(int(bad.size()) - pagestream::HeaderSize)] = char(rng.bounded(256));
        TPagePlayer player;
        try {
            player.Load(bad);
            ++loaded;
            player.RenderPage(1, 20);
            player.RenderPage(2, 20);
        } catch (const EReadError&) {
        }
    }
    QVERIFY(loaded > 0);
}

QTEST_MAIN(TestPageReplay)
#include "tst_page_replay.moc"
