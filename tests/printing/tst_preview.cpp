// The preview window: caption after the first page, zoom buttons and their
// limits, clicks that zoom, page width and whole page, Up/Down scrolling and
// the saved placement.
#include "pageengine/PageRecorder.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/ProfileFile.h"
#include "printing/PreviewForm.h"

#include <QBuffer>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace bv;

namespace {

// A recorded job of `pages` Letter pages, each with a black 1-inch square
// at (1, 1).
QByteArray recordSheet(int pages)
{
    TPageRecorder recorder;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    recorder.SetStream(&buffer);
    recorder.OnPrint = [pages](TPageEngine& e) {
        for (int p = 1; p <= pages; ++p) {
            e.SetBrush(clBlack, PageStyle::bsSolid);
            e.Rectangle(1, 1, 2, 2);
            if (p < pages)
                e.NewPage();
        }
    };
    recorder.Execute();
    return recorder.Recording();
}

struct ShownPreview {
    explicit ShownPreview(int pages = 1)
    {
        form.SetRecording(recordSheet(pages));
        form.show();
        exposed = QTest::qWaitForWindowExposed(&form);
    }
    QWidget* page() const
    {
        const QList<QWidget*> controls = form.PagePreview1.PictureControls();
        return controls.isEmpty() ? nullptr : controls.last();
    }
    TPreviewForm form;
    bool exposed = false;
};

} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void captionNamesThePageOnceDrawn_data();
    void captionNamesThePageOnceDrawn();
    void zoomButtonsStayWithinTenAndTwoHundred();
    void pageIsDrawnAtTheZoom();
    void clicksZoom_data();
    void clicksZoom();
    void pageWidthAndWholePageFitTheScrollBox();
    void upAndDownKeysScrollWithinTheRange();
    void placementIsSavedAndRestored();

private:
    QTemporaryDir home;
};

void TestPreview::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    QVERIFY(home.isValid());
}

void TestPreview::captionNamesThePageOnceDrawn_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("caption");
    QTest::newRow("one page") << 1 << "Preview Page 1 of 1";
    QTest::newRow("three pages") << 3 << "Preview Page 1 of 3";
}

void TestPreview::captionNamesThePageOnceDrawn()
{
    QFETCH(int, pages);
    QFETCH(QString, caption);
    TPreviewForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Preview Business Cards"));
    QVERIFY(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    form.SetRecording(recordSheet(pages));
    form.show();
    QCOMPARE(form.windowTitle(), caption);
    QCOMPARE(form.PagePreview1.Zoom(), 100);
    QCOMPARE(form.ScrollBox1->viewport()->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(form.CloseButton->text(), QStringLiteral("Ok"));
}

void TestPreview::zoomButtonsStayWithinTenAndTwoHundred()
{
    ShownPreview p;
    for (int i = 0; i < 12; ++i)
        QTest::mouseClick(p.form.sbZoomOut, Qt::LeftButton);
    QCOMPARE(p.form.PagePreview1.Zoom(), 10);
    QTest::mouseClick(p.form.sbZoomOut, Qt::LeftButton);
    QCOMPARE(p.form.PagePreview1.Zoom(), 10);
    for (int i = 0; i < 20; ++i)
        QTest::mouseClick(p.form.sbZoomIn, Qt::LeftButton);
    QCOMPARE(p.form.PagePreview1.Zoom(), 200);
    QTest::mouseClick(p.form.sbZoomIn, Qt::LeftButton);
    QCOMPARE(p.form.PagePreview1.Zoom(), 200);
    p.form.PagePreview1.SetZoom(5);
    QCOMPARE(p.form.PagePreview1.Zoom(), 10);
    p.form.PagePreview1.SetZoom(450);
    QCOMPARE(p.form.PagePreview1.Zoom(), 200);
}

void TestPreview::pageIsDrawnAtTheZoom()
{
    ShownPreview p;
    // 100 %: Letter at 96 ppi, the square from (96, 96) to (191, 191).
    QCOMPARE(p.page()->size(), QSize(816, 1056));
    QImage img = p.page()->grab().toImage();
    QCOMPARE(QColor(img.pixel(96, 96)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(191, 191)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(95, 150)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(192, 150)), QColor(Qt::white));
    QTest::mouseClick(p.form.sbZoomOut, Qt::LeftButton);
    QTest::mouseClick(p.form.sbZoomOut, Qt::LeftButton);
    // 80 %: 6.8 × 8.8 inches at 96 ppi, the square from 76.8 to 153.6.
    QCOMPARE(p.page()->size(), QSize(653, 845));
    img = p.page()->grab().toImage();
    QCOMPARE(QColor(img.pixel(78, 78)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(74, 100)), QColor(Qt::white));
    // The page lies on the ground with a margin and a shadow.
    QVERIFY(p.page()->x() > 0);
    QCOMPARE(p.form.PagePreview1.PictureControls().first()->width(),
             p.page()->width() + 2 * p.page()->x() + p.form.PagePreview1.ShadowDepth);
}

void TestPreview::clicksZoom_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("onPage");
    QTest::addColumn<int>("zoom");
    QTest::newRow("left on the page") << int(Qt::LeftButton) << true << 110;
    QTest::newRow("right on the page") << int(Qt::RightButton) << true << 90;
    QTest::newRow("middle on the page") << int(Qt::MiddleButton) << true << 90;
    QTest::newRow("left beside the page") << int(Qt::LeftButton) << false << 30;
    QTest::newRow("right beside the page") << int(Qt::RightButton) << false << 10;
}

void TestPreview::clicksZoom()
{
    QFETCH(int, button);
    QFETCH(bool, onPage);
    QFETCH(int, zoom);
    ShownPreview p;
    if (onPage) {
        QTest::mouseClick(p.page(), Qt::MouseButton(button), Qt::NoModifier, QPoint(150, 150));
    } else {
        // At 20 % the page leaves room around it in the scroll box.
        p.form.PagePreview1.SetZoom(20);
        QWidget* viewport = p.form.ScrollBox1->viewport();
        QTest::mouseClick(viewport, Qt::MouseButton(button), Qt::NoModifier, QPoint(3, 3));
    }
    QCOMPARE(p.form.PagePreview1.Zoom(), zoom);
}

void TestPreview::pageWidthAndWholePageFitTheScrollBox()
{
    ShownPreview p;
    const QSize room = p.form.ScrollBox1->viewport()->size();
    QTest::mouseClick(p.form.sbZoomPage, Qt::LeftButton);
    QWidget* ground = p.form.PagePreview1.PictureControls().first();
    QVERIFY2(ground->width() <= room.width() && ground->height() <= room.height(),
             qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(ground->width()).arg(ground->height())
                            .arg(room.width()).arg(room.height())));
    const int whole = p.form.PagePreview1.Zoom();
    QTest::mouseClick(p.form.sbZoomPageWidth, Qt::LeftButton);
    const int width = p.form.PagePreview1.Zoom();
    QVERIFY(width >= whole);
    // The width fills the box: one percent more would not fit any more.
    const int viewportWidth = p.form.ScrollBox1->viewport()->width();
    ground = p.form.PagePreview1.PictureControls().first();
    QVERIFY(ground->width() <= viewportWidth);
    QVERIFY(ground->width() + ground->width() / width + 2 > viewportWidth);
}

void TestPreview::upAndDownKeysScrollWithinTheRange()
{
    ShownPreview p;
    p.form.PagePreview1.SetZoom(200);
    QScrollBar* bar = p.form.ScrollBox1->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(0);
    QTest::keyClick(&p.form, Qt::Key_Up);
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(&p.form, Qt::Key_Down);
    QCOMPARE(bar->value(), bar->singleStep());
    bar->setValue(bar->maximum() - 1);
    QTest::keyClick(&p.form, Qt::Key_Down);
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(&p.form, Qt::Key_Down);
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(&p.form, Qt::Key_Up);
    QCOMPARE(bar->value(), bar->maximum() - bar->singleStep());
    // Other keys leave the position alone.
    const int before = bar->value();
    QTest::keyClick(&p.form, Qt::Key_Left);
    QTest::keyClick(&p.form, Qt::Key_A);
    QCOMPARE(bar->value(), before);
}

void TestPreview::placementIsSavedAndRestored()
{
    QRect placed;
    {
        ShownPreview p;
        p.form.setGeometry(QRect(40, 50, 500, 400));
        placed = p.form.geometry();
        QTest::mouseClick(p.form.CloseButton, Qt::LeftButton);
        QCOMPARE(p.form.result(), int(mrOk));
        QVERIFY(!p.form.PagePreview1.Active());
    }
    const ProfileFile ini(IniPath());
    QCOMPARE(ini.ReadInteger(QStringLiteral("TPreviewForm_Placement"), QStringLiteral("Left"), -1), placed.left());
    QCOMPARE(ini.ReadInteger(QStringLiteral("TPreviewForm_Placement"), QStringLiteral("Right"), -1),
             placed.left() + placed.width());
    ShownPreview again;
    QCOMPARE(again.form.geometry().size(), placed.size());
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
