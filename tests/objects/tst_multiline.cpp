// Multi-line text: the alignment arithmetic as drawn, the "<blank>"
// placeholder, word wrapping (zoomed font, re-wrapping on resize, the break
// rules), fitting to the text, the menu commands, the editor and its
// 254-character limit, and the multi-line tool.
// Fonts: "Liberation Sans"; expected widths come from QFontMetrics of it.
#include "objects/MultiLineLabel.h"
#include "objects/MultiLineTextEditor.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>

using namespace bv;

namespace {

TFont sansFont(int points = 10)
{
    TFont f;
    f.Name = QStringLiteral("Liberation Sans");
    f.SetSize(points);
    f.Color = clBlack;
    return f;
}

TGMultiLineLabel* newLabel(TGBasePanel& panel, const QStringList& items, int width = 190, int height = 80)
{
    auto* l = new TGMultiLineLabel;
    l->SetParent(&panel);
    l->SetFont(sansFont());
    l->SetItems(items);
    l->SetBounds(10, 10, width, height);
    l->Loaded();
    panel.AttachObject(l);
    return l;
}

QImage render(TGMultiLineBaseLabel& label)
{
    QImage image(label.Width(), label.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    label.DrawTo(p);
    return image;
}

// Rows of the image holding any ink.
QList<int> inkRows(const QImage& image)
{
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                rows << y;
                break;
            }
    return rows;
}

} // namespace

class TestMultiLine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void alignmentArithmetic_data();
    void alignmentArithmetic();
    void placeholder_data();
    void placeholder();
    void wrapRules_data();
    void wrapRules();
    void rewrapsOnResizeAtZoom();
    void fitToText_data();
    void fitToText();
    void menuCommands();
    void editorLimit_data();
    void editorLimit();
    void editorRoundTrip();
    void toolCreatesAndFits();
    void changeAllFontsRewraps();
};

void TestMultiLine::alignmentArithmetic_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("objectWidth");
    QTest::addColumn<int>("lineWidth");
    QTest::addColumn<int>("x");
    QTest::newRow("centre 40 in 190") << int(taCenter) << 190 << 40 << 76;
    QTest::newRow("right 40 in 190") << int(taRightJustify) << 190 << 40 << 149;
    QTest::newRow("left") << int(taLeftJustify) << 190 << 40 << 0;
    // Halvings truncate: 191 / 2 = 95, 41 / 2 = 20.
    QTest::newRow("centre odd widths") << int(taCenter) << 191 << 41 << 76;
}

void TestMultiLine::alignmentArithmetic()
{
    QFETCH(int, alignment);
    QFETCH(int, objectWidth);
    QFETCH(int, lineWidth);
    QFETCH(int, x);
    TGBusinessCardPanel32 panel;
    auto* label = newLabel(panel, { QStringLiteral("Ab|d") }, objectWidth, 40);
    label->SetAlignment(TAlignment(alignment));
    QCOMPARE(label->LineX(lineWidth), x);

    // What is drawn is the line at that place: the same text drawn by hand
    // at the expected x gives the same pixels.
    const QFont font = label->DrawFont();
    const QFontMetrics fm(font);
    const int tw = fm.horizontalAdvance(QStringLiteral("Ab|d"));
    int expectedX = 0;
    if (alignment == taCenter)
        expectedX = objectWidth / 2 - tw / 2 + 1;
    else if (alignment == taRightJustify)
        expectedX = objectWidth - tw - 1;
    QImage reference(objectWidth, 40, QImage::Format_RGB32);
    reference.fill(Qt::white);
    {
        QPainter p(&reference);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QPoint(expectedX, fm.ascent()), QStringLiteral("Ab|d"));
    }
    QCOMPARE(render(*label), reference);
}

void TestMultiLine::placeholder_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("drawn");
    QTest::newRow("no lines") << QStringList() << QStringList { "<blank>" };
    QTest::newRow("three blanks") << QStringList { "   " } << QStringList { "   ", "<blank>" };
    QTest::newRow("one empty line") << QStringList { "" } << QStringList { "", "<blank>" };
    QTest::newRow("two empty lines") << QStringList { "", "" } << QStringList { "", "" };
    QTest::newRow("text") << QStringList { "Main St" } << QStringList { "Main St" };
}

void TestMultiLine::placeholder()
{
    QFETCH(QStringList, items);
    QFETCH(QStringList, drawn);
    TGBusinessCardPanel32 panel;
    auto* label = newLabel(panel, items);
    QCOMPARE(label->DrawnLines(), drawn);
    // The placeholder is drawn in the second band, in the object's own colour.
    if (drawn.size() == 2 && drawn[1] == QLatin1String("<blank>")) {
        TFont f = label->Font();
        f.Color = clRed;
        label->SetFont(f);
        const QImage image = render(*label);
        const QList<int> rows = inkRows(image);
        QVERIFY(!rows.isEmpty());
        const int h = label->LineHeight();
        QVERIFY2(rows.first() >= h && rows.last() < 2 * h, "ink only in the second line's band");
        bool red = false;
        for (int y : rows)
            for (int x = 0; x < image.width(); ++x)
                red = red || image.pixel(x, y) == qRgb(255, 0, 0);
        QVERIFY(red);
    }
}

void TestMultiLine::wrapRules_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("wrapped");
    QTest::newRow("fits") << QStringList { "one two" } << 190 << QStringList { "one two" };
    QTest::newRow("empty line kept") << QStringList { "one", "", "two" } << 190 << QStringList { "one", "", "two" };
    // "aaaa bbbb" is wider than 40 pixels at 10 points; the blank at the
    // break belongs to no line.
    QTest::newRow("break between words") << QStringList { "aaaa bbbb" } << 40 << QStringList { "aaaa", "bbbb" };
    QTest::newRow("blanks typed at the end stay") << QStringList { "aaaa bbbb  " } << 40
                                                  << QStringList { "aaaa", "bbbb  " };
}

void TestMultiLine::wrapRules()
{
    QFETCH(QStringList, items);
    QFETCH(int, width);
    QFETCH(QStringList, wrapped);
    TGBusinessCardPanel32 panel;
    auto* label = newLabel(panel, items, width);
    label->SetWordWrap(true);
    QCOMPARE(label->WrappedLines(), wrapped);
}

void TestMultiLine::rewrapsOnResizeAtZoom()
{
    TGBusinessCardPanel32 panel;
    const QString text = QStringLiteral("Unit 4, Riverside Business Park, Long Lane, Brisvale");
    auto* label = newLabel(panel, { text }, 190, 60);
    label->SetWordWrap(true);
    panel.SetZoom(1.5f);
    // 10 points at zoom 1.5 is 15 points: 20 pixels at 96 pixels per inch.
    QCOMPARE(label->DrawFont().pixelSize(), 20);
    const int wide = label->WrappedLines().size();
    const int height = label->Height();
    label->SetBounds(label->Left(), label->Top(), label->Width() / 2, label->Height());
    const QStringList narrow = label->WrappedLines();
    QVERIFY(narrow.size() > wide);
    QCOMPARE(label->Height(), height);
    const QFontMetrics fm(label->DrawFont());
    for (const QString& line : narrow)
        QVERIFY2(fm.horizontalAdvance(line) <= label->Width(), qPrintable(line));
    // The words are all there, in order.
    QCOMPARE(narrow.join(' ').simplified(), text);
    // A word wider than the object is broken rather than running out of it.
    label->SetItems({ QStringLiteral("Supercalifragilistic") });
    label->SetBounds(label->Left(), label->Top(), 40, label->Height());
    QVERIFY(label->WrappedLines().size() > 1);
    QCOMPARE(label->WrappedLines().join(QString()), QStringLiteral("Supercalifragilistic"));
}

void TestMultiLine::fitToText_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<int>("lines");
    QTest::newRow("no lines") << QStringList() << false << 0;
    QTest::newRow("three lines") << QStringList { "a", "b", "c" } << false << 3;
    QTest::newRow("wrapped") << QStringList { "aaaa bbbb cccc" } << true << 3;
}

void TestMultiLine::fitToText()
{
    QFETCH(QStringList, items);
    QFETCH(bool, wrap);
    QFETCH(int, lines);
    TGBusinessCardPanel32 panel;
    auto* label = newLabel(panel, items, wrap ? 40 : 190, 33);
    label->SetWordWrap(wrap);
    label->FitToText();
    QCOMPARE(label->Height(), lines * QFontMetrics(label->DrawFont()).height());
    QCOMPARE(label->Width(), wrap ? 40 : 190);
    // The width only grows.
    label->SetItems({ QStringLiteral("A line much wider than the object is, surely") });
    label->SetWordWrap(false);
    label->FitToText();
    QCOMPARE(label->Width(),
        QFontMetrics(label->DrawFont()).horizontalAdvance(QStringLiteral("A line much wider than the object is, surely")));
}

void TestMultiLine::menuCommands()
{
    TGBusinessCardPanel32 panel;
    auto* label = newLabel(panel, { QStringLiteral("x") });
    QVERIFY(label->WordWrapItem() && !label->WordWrapItem()->isChecked());
    label->WordWrapItem()->trigger();
    QVERIFY(label->WordWrap());
    QVERIFY(label->WordWrapItem()->isChecked());
    label->AlignmentItem(taRightJustify)->trigger();
    QCOMPARE(label->Alignment(), taRightJustify);
    emit label->ContextMenu()->aboutToShow();
    QVERIFY(label->AlignmentItem(taRightJustify)->isChecked());
    QVERIFY(!label->AlignmentItem(taLeftJustify)->isChecked());

    // Font: the chosen font, then re-wrapping at it; Cancel keeps the font.
    test::ScriptedInteraction ui;
    QFont chosen(QStringLiteral("Liberation Serif"));
    chosen.setPointSize(14);
    ui.answerFont(chosen);
    label->EditFont();
    QCOMPARE(label->Font().Name, QStringLiteral("Liberation Serif"));
    QCOMPARE(label->Font().Size(), 14);
    ui.answerFont(std::nullopt);
    label->EditFont();
    QCOMPARE(label->Font().Size(), 14);
    QVERIFY(ui.allUsed());
}

void TestMultiLine::editorLimit_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("length");
    QTest::newRow("254th accepted") << 253 << QStringLiteral("x") << 254;
    QTest::newRow("255th refused") << 254 << QStringLiteral("x") << 254;
    QTest::newRow("line break refused") << 254 << QStringLiteral("\n") << 254;
    QTest::newRow("paste cut to the room left") << 250 << QStringLiteral("0123456789") << 254;
}

void TestMultiLine::editorLimit()
{
    QFETCH(int, start);
    QFETCH(QString, typed);
    QFETCH(int, length);
    test::ScriptedInteraction ui;
    TMultiLineTextEditor editor;
    editor.Memo->SetText(QString(start, QLatin1Char('a')));
    editor.show();
    editor.Memo->moveCursor(QTextCursor::End);
    if (typed == QLatin1String("\n"))
        QTest::keyClick(editor.Memo, Qt::Key_Return);
    else if (typed.size() == 1)
        QTest::keyClicks(editor.Memo, typed);
    else
        editor.Memo->insertPlainText(typed);
    QCOMPARE(editor.Memo->toPlainText().size(), length);
    QVERIFY(editor.Memo->toPlainText().startsWith(QString(start, QLatin1Char('a'))));
    QCOMPARE(ui.beeps() > 0, start + typed.size() > 254);
}

void TestMultiLine::editorRoundTrip()
{
    TGBusinessCardPanel32 panel;
    panel.SetZoom(1.5f);
    auto* label = newLabel(panel, { QStringLiteral("First"), QStringLiteral("Second") });
    test::ScriptedInteraction ui;
    ui.answerDialog([](QDialog& d) -> int {
        auto* memo = d.findChild<TLimitedMemo*>("Memo");
        [&] {
            QVERIFY(memo);
            QCOMPARE(d.windowTitle(), QStringLiteral("Multi-line Text Editor"));
            QCOMPARE(memo->toPlainText(), QStringLiteral("First\nSecond"));
            // The memo shows the font unzoomed.
            QCOMPARE(memo->font().pixelSize(), 13);
        }();
        d.show();
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, "Third");
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::mouseClick(d.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        return d.result();
    });
    label->EditText();
    // A line break at the very end adds no empty line.
    QCOMPARE(label->Items(), (QStringList { "First", "Second", "Third" }));
    ui.answerDialog([](QDialog& d) -> int {
        d.show();
        d.findChild<TLimitedMemo*>("Memo")->clear();
        QTest::keyClick(&d, Qt::Key_Escape);
        return d.result();
    });
    label->EditText();
    QCOMPARE(label->Items().size(), 3);
    QVERIFY(ui.allUsed());
}

void TestMultiLine::toolCreatesAndFits()
{
    RegisterMultiLineClasses();
    TGBusinessCardPanel32 panel;
    panel.resize(400, 300);
    panel.SetPanelFont(sansFont(12));
    panel.SetPanelState(psMultiLineLabel);
    test::ScriptedInteraction ui;
    // An editor closed with OK on an empty memo leaves no lines: height 0.
    ui.answerDialog([](QDialog& d) { return d.findChild<TLimitedMemo*>("Memo")->toPlainText().isEmpty() ? mrOk : mrCancel; });
    panel.CreateObjectInRect(TRect(20, 20, 220, 60));
    QCOMPARE(panel.Objects().size(), 1);
    auto* label = qobject_cast<TGMultiLineLabel*>(panel.Objects().first());
    QVERIFY(label);
    QCOMPARE(label->Font().Size(), 12);
    QCOMPARE(label->Height(), 0);
    QCOMPARE(label->Width(), 200);
}

void TestMultiLine::changeAllFontsRewraps()
{
    TGBusinessCardPanel32 panel;
    auto* label = newLabel(panel, { QStringLiteral("iiii iiii iiii iiii") }, 60);
    label->SetWordWrap(true);
    const int narrowFontLines = label->WrappedLines().size();
    panel.SetAllFontNames(QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(label->Font().Name, QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(label->Font().Size(), 10);
    // The monospaced "i" is much wider: the same text takes more lines.
    QVERIFY(label->WrappedLines().size() > narrowFontLines);
}

QTEST_MAIN(TestMultiLine)
#include "tst_multiline.moc"
