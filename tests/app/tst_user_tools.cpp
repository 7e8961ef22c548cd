// The drawing tools used as a user uses them: the tool's button, then a
// drag on the card in each direction or a click, then the object's dialog
// worked with keys and clicks. The object must lie where the drag went and,
// once its dialog closes, show all of its content on the card.
#include "MainScreenKit.h"
#include "effects/CircleText.h"
#include "effects/SuperShape.h"
#include "effects/SuperText.h"
#include "objects/Image.h"
#include "objects/LineShape.h"
#include "objects/MultiLineLabel.h"
#include "objects/PLabel.h"
#include "richtext/RichBaseLabel.h"
#include "support/UserInput.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

using namespace bv;
using namespace bv::test;

namespace {

void chooseTool(TMainScreen& w, const char* button)
{
    clickButton(*child<QToolButton>(w, button));
}

template <typename T = QWidget>
T* named(QDialog& d, const char* name)
{
    T* found = d.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no %s", qPrintable(d.windowTitle()), name);
    return found;
}

// Ink on the card's picture inside a rectangle: pixels clearly not white.
int inkIn(const QImage& card, const QRect& r)
{
    int ink = 0;
    const QRect inside = r.intersected(card.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (qGray(card.pixel(x, y)) < 200)
                ++ink;
    return ink;
}

QRect boundsOf(const TGGraphicControl& o)
{
    return QRect(o.Left(), o.Top(), o.Width(), o.Height());
}

} // namespace

class TestUserTools : public QObject {
    Q_OBJECT
private slots:
    void shapeToolsTakeTheBand_data();
    void shapeToolsTakeTheBand();
    void lineToolFollowsTheDrag_data();
    void lineToolFollowsTheDrag();
    void newObjectsShowTheirContent_data();
    void newObjectsShowTheirContent();
    void ctrlZoomKeysStepOnce_data();
    void ctrlZoomKeysStepOnce();

private:
    ProgramHome home;
};

// Whichever way the band is dragged, the object fills it; a click gives the
// smallest band, 50 x 15.
void TestUserTools::shapeToolsTakeTheBand_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<int>("shape");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("expected");
    const struct {
        const char* button;
        TShapeType shape;
    } tools[] = { { "DrawRectanglebutton", stRectangle }, { "DrawEllipseButton", stEllipse },
        { "DrawRoundrectbutton", stRoundRect } };
    const struct {
        const char* name;
        QPoint from, to;
    } drags[] = {
        { "right and down", { 40, 30 }, { 140, 90 } },
        { "left and up", { 140, 90 }, { 40, 30 } },
        { "right and up", { 40, 90 }, { 140, 30 } },
        { "left and down", { 140, 30 }, { 40, 90 } },
    };
    for (const auto& t : tools) {
        for (const auto& d : drags)
            QTest::addRow("%s, %s", t.button, d.name)
                << t.button << int(t.shape) << d.from << d.to << QRect(40, 30, 100, 60);
        QTest::addRow("%s, click", t.button) << t.button << int(t.shape) << QPoint(60, 40) << QPoint(60, 40)
                                             << QRect(60, 40, 50, 15);
    }
}

void TestUserTools::shapeToolsTakeTheBand()
{
    QFETCH(QString, tool);
    QFETCH(int, shape);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, expected);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    chooseTool(*w, qPrintable(tool));
    dragOn(*cardPanel(*w), from, to);
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    auto* made = qobject_cast<TBCShapes*>(cardPanel(*w)->Objects().first());
    QVERIFY(made);
    QCOMPARE(int(made->Shape()), shape);
    QCOMPARE(boundsOf(*made), expected);
    // The window is back on the selection tool.
    QVERIFY(child<QToolButton>(*w, "Pointerbutton")->isChecked());
}

// The line tool draws the line the drag went along: mostly across a
// horizontal line, mostly down (or a click) a vertical one, otherwise a
// sloping one rising or falling as dragged. The oracle is the card's
// picture: ink a quarter of the way along the drag, none off the line.
void TestUserTools::lineToolFollowsTheDrag_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("style");
    QTest::newRow("right") << QPoint(20, 50) << QPoint(220, 56) << int(stHorizontal);
    QTest::newRow("left") << QPoint(220, 50) << QPoint(20, 44) << int(stHorizontal);
    QTest::newRow("down") << QPoint(60, 20) << QPoint(66, 150) << int(stVertical);
    QTest::newRow("up") << QPoint(60, 150) << QPoint(54, 20) << int(stVertical);
    QTest::newRow("right and down") << QPoint(20, 20) << QPoint(140, 110) << int(stAngleSlopingDown);
    QTest::newRow("left and up") << QPoint(140, 110) << QPoint(20, 20) << int(stAngleSlopingDown);
    QTest::newRow("right and up") << QPoint(20, 110) << QPoint(140, 20) << int(stAngleSlopingUp);
    QTest::newRow("left and down") << QPoint(140, 20) << QPoint(20, 110) << int(stAngleSlopingUp);
    QTest::newRow("click") << QPoint(70, 60) << QPoint(70, 60) << int(stVertical);
}

void TestUserTools::lineToolFollowsTheDrag()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, style);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    chooseTool(*w, "DrawLinebutton");
    dragOn(*cardPanel(*w), from, to);
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    auto* line = qobject_cast<TGLineShape*>(cardPanel(*w)->Objects().first());
    QVERIFY(line);
    QCOMPARE(int(line->LineStyle()), style);
    const QImage card = cardPanel(*w)->RenderToBitmap();
    // A straight line lies where the drag started; a sloping one joins the
    // band's corners the drag went between.
    QPoint along;
    QPoint off;
    if (style == stHorizontal) {
        along = QPoint((3 * std::min(from.x(), to.x()) + std::max(from.x(), to.x())) / 4, from.y());
        off = along + QPoint(0, 8);
    } else if (style == stVertical) {
        const int length = from == to ? 15 : std::abs(to.y() - from.y());
        along = QPoint(from.x(), std::min(from.y(), to.y()) + length / 4);
        off = along + QPoint(8, 0);
    } else {
        along = from + (to - from) / 4;
        // The other diagonal of the band at the same height.
        off = QPoint(from.x() + to.x() - along.x(), along.y());
    }
    QVERIFY2(inkIn(card, QRect(along - QPoint(1, 1), QSize(3, 3))) > 0, "no line along the drag");
    QCOMPARE(inkIn(card, QRect(off - QPoint(1, 1), QSize(3, 3))), 0);
}

// After its dialog or editor closes, an object made with a tool shows all
// of its content, and lies on the card.
void TestUserTools::newObjectsShowTheirContent_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("SuperText, click") << "supertext" << QPoint(20, 20) << QPoint(20, 20);
    QTest::newRow("SuperText, click near the right edge") << "supertext" << QPoint(320, 170) << QPoint(320, 170);
    QTest::newRow("rich text, click") << "richtext" << QPoint(20, 20) << QPoint(20, 20);
    QTest::newRow("multi-line text, long lines") << "multiline" << QPoint(20, 20) << QPoint(180, 40);
    QTest::newRow("CircleText, click") << "circletext" << QPoint(40, 30) << QPoint(40, 30);
    QTest::newRow("picture, click") << "picture" << QPoint(30, 30) << QPoint(30, 30);
    QTest::newRow("picture, flat band") << "picture" << QPoint(30, 30) << QPoint(230, 60);
    QTest::newRow("star, click") << "supershape" << QPoint(50, 50) << QPoint(50, 50);
    QTest::newRow("text, click") << "text" << QPoint(20, 20) << QPoint(20, 20);
}

void TestUserTools::newObjectsShowTheirContent()
{
    QFETCH(QString, kind);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    const QString words = QStringLiteral("Brisvale Printing Works");
    const QString longLine = QStringLiteral("Cards printed while you wait, on linen or parchment stock, "
                                            "delivered to your door the next morning");
    QTemporaryDir pictures;
    QImage wide(40, 20, QImage::Format_RGB32);
    wide.fill(QColor(0, 0, 160));
    QVERIFY(wide.save(pictures.filePath(QStringLiteral("wide.bmp"))));

    ScriptedInteraction ui;
    auto w = startMainScreen();
    TGBusinessCardPanel32& panel = *cardPanel(*w);
    const char* tool = "";
    if (kind == "supertext") {
        tool = "DrawSuperTextButton";
        ui.answerDialog([&](QDialog& d) {
            return workDialog(d, [&] {
                typeInto(*named(d, "CaptionText"), words);
                clickButton(*named<QPushButton>(d, "OKButton"));
            });
        });
    } else if (kind == "circletext") {
        tool = "DrawCircleTextbutton";
        ui.answerDialog([&](QDialog& d) {
            return workDialog(d, [&] {
                typeInto(*named(d, "CaptionText"), words);
                clickButton(*named<QPushButton>(d, "OKButton"));
            });
        });
    } else if (kind == "richtext") {
        tool = "DrawRichText";
        ui.answerDialog([&](QDialog& d) {
            return workDialog(d, [&] {
                auto* editor = named<QAbstractScrollArea>(d, "RichText1");
                QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
                QTest::keyClicks(editor, words);
                clickButton(*named<QPushButton>(d, "OKButton"));
            });
        });
    } else if (kind == "multiline") {
        tool = "DrawMLTextButton";
        ui.answerDialog([&](QDialog& d) {
            return workDialog(d, [&] {
                typeInto(*named(d, "Memo"), longLine);
                clickButton(*named<QPushButton>(d, "OKButton"));
            });
        });
    } else if (kind == "picture") {
        tool = "DrawImageButton";
        ui.answerDialog([&](QDialog& d) {
            return workDialog(d, [&] {
                typeInto(*named(d, "PathEdit"), pictures.path(), true);
                clickRowNamed(*named<QListWidget>(d, "FileListBox1"), QStringLiteral("wide.bmp"));
                clickButton(*named<QPushButton>(d, "OKButton"));
            });
        });
    } else if (kind == "supershape") {
        tool = "DrawSupershape";
        ui.answerDialog(
            [&](QDialog& d) { return workDialog(d, [&] { clickButton(*named<QPushButton>(d, "OKButton")); }); });
    } else if (kind == "text") {
        tool = "DrawLabelButton";
        ui.answerDialog([&](QDialog& d) {
            return workDialog(d, [&] {
                typeInto(*named(d, "LabelText"), words);
                clickButton(*named<QPushButton>(d, "OKButton"));
            });
        });
    }
    chooseTool(*w, tool);
    dragOn(panel, from, to);
    QVERIFY(ui.allUsed());
    QCOMPARE(panel.ObjectCount(), 1);
    TGGraphicControl& made = *panel.Objects().first();
    const QRect bounds = boundsOf(made);
    // On the card.
    QVERIFY2(QRect(QPoint(0, 0), panel.size()).contains(bounds),
        qPrintable(QStringLiteral("%1,%2 %3x%4 on a card of %5x%6")
                       .arg(bounds.x()).arg(bounds.y()).arg(bounds.width()).arg(bounds.height())
                       .arg(panel.width()).arg(panel.height())));
    const QImage card = panel.RenderToBitmap();
    QVERIFY2(inkIn(card, bounds) > 20, "nothing shows");

    if (kind == "supertext" || kind == "text") {
        // The whole line in the object's own font (Qt's measure of it).
        QFont f = kind == "text" ? static_cast<TGPLabel&>(made).Font().ToQFont()
                                 : static_cast<TGSuperText&>(made).Font().ToQFont();
        QVERIFY2(bounds.width() >= QFontMetrics(f).horizontalAdvance(words),
            qPrintable(QString::number(bounds.width())));
        QVERIFY(bounds.height() >= QFontMetrics(f).height());
    } else if (kind == "richtext") {
        auto& rich = static_cast<TGPRichBaseLabel&>(made);
        const QFont f = rich.RTFText().Document().defaultFont();
        QVERIFY2(bounds.width() >= QFontMetrics(f).horizontalAdvance(words),
            qPrintable(QString::number(bounds.width())));
        QVERIFY(bounds.height() >= QFontMetrics(f).height());
    } else if (kind == "multiline") {
        auto& text = static_cast<TGMultiLineLabel&>(made);
        // Wrapped at the width dragged, two lines or more, all shown.
        QVERIFY(text.WordWrap());
        QCOMPARE(bounds.left(), from.x());
        QCOMPARE(bounds.width(), to.x() - from.x());
        const QFontMetrics fm(text.Font().ToQFont());
        const int lines = (fm.horizontalAdvance(longLine) + bounds.width() - 1) / bounds.width();
        QVERIFY2(bounds.height() >= lines * fm.height(), qPrintable(QString::number(bounds.height())));
    } else if (kind == "circletext") {
        // A square whose circle is long enough for the words bent round it.
        const QFontMetrics fm(static_cast<TGPCircleText&>(made).Font().ToQFont());
        QCOMPARE(bounds.width(), bounds.height());
        QVERIFY2(M_PI * bounds.width() >= fm.horizontalAdvance(words), qPrintable(QString::number(bounds.width())));
    } else if (kind == "picture") {
        // The picture's shape: its own size after a click, else the largest
        // of its shape inside the band.
        const QSize expected = from == to ? QSize(40, 20) : QSize(60, 30);
        QCOMPARE(bounds, QRect(from, expected));
    } else if (kind == "supershape") {
        QVERIFY2(std::min(bounds.width(), bounds.height()) >= 30, qPrintable(QString::number(bounds.height())));
    }
}

// Ctrl with =, + or - zooms one step of 10 %, also when Ctrl is let go
// before the other key.
void TestUserTools::ctrlZoomKeysStepOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ctrlFirst");
    QTest::addColumn<QString>("expected");
    QTest::newRow("= with Ctrl let go first") << int(Qt::Key_Equal) << true << "110%";
    QTest::newRow("+ with Ctrl let go first") << int(Qt::Key_Plus) << true << "110%";
    QTest::newRow("- with Ctrl let go first") << int(Qt::Key_Minus) << true << "110%";
    QTest::newRow("= with Ctrl let go last") << int(Qt::Key_Equal) << false << "110%";
    QTest::newRow("- with Ctrl let go last") << int(Qt::Key_Minus) << false << "110%";
}

void TestUserTools::ctrlZoomKeysStepOnce()
{
    QFETCH(int, key);
    QFETCH(bool, ctrlFirst);
    QFETCH(QString, expected);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QWidget* panel = cardPanel(*w);
    auto* caption = child<QLabel>(*w, "ZoomCaption");
    if (key == Qt::Key_Minus) {
        clickButton(*child<QToolButton>(*w, "ZoomUpButton"));
        clickButton(*child<QToolButton>(*w, "ZoomUpButton"));
        QCOMPARE(caption->text(), QStringLiteral("120%"));
    }
    panel->setFocus();
    QTest::keyPress(panel, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyPress(panel, Qt::Key(key), Qt::ControlModifier);
    if (ctrlFirst) {
        QTest::keyRelease(panel, Qt::Key_Control, Qt::NoModifier);
        QTest::keyRelease(panel, Qt::Key(key), Qt::NoModifier);
    } else {
        QTest::keyRelease(panel, Qt::Key(key), Qt::ControlModifier);
        QTest::keyRelease(panel, Qt::Key_Control, Qt::NoModifier);
    }
    QCOMPARE(caption->text(), expected);
}

QTEST_MAIN(TestUserTools)
#include "tst_user_tools.moc"
