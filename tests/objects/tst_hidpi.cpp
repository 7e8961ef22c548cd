// On a screen with two device pixels per panel pixel the card is painted at
// the device's resolution: text and shapes have detail a doubled 1x picture
// cannot have, and the stored geometry does not change. Fonts: "Liberation
// Sans" through "Arial".
#include "objects/BusinessCardLabel.h"
#include "objects/Shapes.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <QPixmap>
#include <QTest>

using namespace bv;

class TestHiDpi : public QObject {
    Q_OBJECT
private slots:
    void panelPaintsAtTheDevicesResolution();
};

void TestHiDpi::panelPaintsAtTheDevicesResolution()
{
    TGBusinessCardPanel32 panel;
    panel.resize(336, 192);
    auto* label = new TGBusinessCardLabel;
    label->SetParent(&panel);
    TFont f;
    f.Name = QStringLiteral("Arial");
    f.Height = -16;
    label->SetFont(f);
    label->SetCaption(QStringLiteral("Sharp letters"));
    label->SetBounds(20, 20, 200, 30);
    label->Loaded();
    panel.AttachAll();
    label->CalcTextLayout(); // the label takes its laid-out height first
    const TRect stored = label->BoundsRect();
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QCOMPARE(panel.devicePixelRatioF(), 2.0);

    const QImage shot = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.size(), QSize(672, 384));
    // Within the text, count 2 × 2 blocks whose pixels differ: a picture
    // painted at 1x and doubled has none.
    int detailed = 0;
    for (int y = 40; y < 100; y += 2)
        for (int x = 40; x < 440; x += 2) {
            const QRgb a = shot.pixel(x, y);
            detailed += a != shot.pixel(x + 1, y) || a != shot.pixel(x, y + 1) || a != shot.pixel(x + 1, y + 1);
        }
    QVERIFY2(detailed > 50, qPrintable(QString::number(detailed)));
    QCOMPARE(label->BoundsRect(), stored);
}

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    qputenv("BRISVALE_PPI", "96");
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
