// The rich text object: the tool and its editor, the page it lays its text
// out on at a zoom, drawing through the shared master, transparency, the
// double-click and designs that keep their rich text bytes.
// Fonts: "Liberation Sans" (the documents name it; Arial maps to it too).
#include "richtext/GraphicPanel.h"
#include "richtext/RichBaseLabel.h"
#include "richtext/RichTextControl.h"
#include "richtext/RichTextLabelEditor.h"
#include "richtext/RichTextToolBar.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/Handle.h"
#include "surface/ObjectFiler.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QFile>
#include <QFrame>
#include <QGraphicsTextItem>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace bv;

namespace {

// A form with the master control and a card panel, as the main window has.
struct Form {
    QWidget window;
    TGBusinessCardPanel32* panel = new TGBusinessCardPanel32(&window);
    TRichTextControl* master = CreateMasterRichText(panel->Model(), &window);
    Form()
    {
        window.resize(500, 300);
        panel->setGeometry(0, 0, 480, 280);
    }
};

QByteArray rtfOf(const QString& body)
{
    return ("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Liberation Sans;}}"
            "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\fs24 "
        + body + "}")
        .toLatin1();
}

TGPRichBaseLabel* addRich(TGBusinessCardPanel32& panel, int l, int t, int w, int h, const QByteArray& rtf)
{
    auto* o = new TGPRichBaseLabel;
    o->SetParent(&panel);
    o->AssignZoom(panel.Zoom());
    o->SetBounds(l, t, w, h);
    o->RtfStorage().RtfText().SetData(rtf);
    o->Loaded();
    panel.AttachObject(o);
    return o;
}

QImage drawn(TGPRichBaseLabel& o, QColor under = Qt::green, int pad = 0)
{
    QImage image(o.Width() + 2 * pad, o.Height() + 2 * pad, QImage::Format_RGB32);
    image.fill(under);
    QPainter p(&image);
    p.translate(pad, pad);
    o.DrawTo(p);
    return image;
}

// Bounding box of pixels that differ from `background`.
QRect inkBox(const QImage& image, QColor background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background.rgb())
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestRichLabel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterRichTextClasses(); }
    void toolCreatesFramedObjectAndEditsIt();
    void pageAndEditorAtZoom();
    void pageScalesWithZoomAndStaysInside_data();
    void pageScalesWithZoomAndStaysInside();
    void objectsDrawAloneThroughSharedMaster();
    void doubleClickOpensEditor();
    void transparency_data();
    void transparency();
    void designKeepsRichTextBytes();
    void missingMasterFailsTheRead();
    void toolbarFormatsSelection();
    void graphicPanelPaintsBevelAndCaption();
};

void TestRichLabel::toolCreatesFramedObjectAndEditsIt()
{
    test::ScriptedInteraction ui;
    Form form;
    form.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    form.panel->SetPanelState(psRichLabel);
    QSignalSpy changed(form.panel, &TGBasePanel::LabelChangedEvent);
    ui.answerDialog([](QDialog& d) -> int {
        [&] {
            QCOMPARE(d.windowTitle(), QStringLiteral("Rich Text Editor"));
            auto* editor = qobject_cast<TRichTextLabelEditor*>(&d);
            QVERIFY(editor);
            d.show();
            QTest::qWait(20);
            QVERIFY(editor->PagePanel->isVisible());
            QVERIFY(editor->RichText1->TextItem()->hasFocus());
            // The editing control takes tab characters.
            QTest::keyClicks(editor->RichText1, "Hello\tcard");
        }();
        QTest::mouseClick(d.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        return d.result();
    });
    QTest::mousePress(form.panel, Qt::LeftButton, {}, QPoint(20, 30));
    QTest::mouseMove(form.panel, QPoint(220, 80));
    QTest::mouseRelease(form.panel, Qt::LeftButton, {}, QPoint(220, 80));
    QVERIFY(ui.allUsed());
    QCOMPARE(form.panel->ObjectCount(), 1);
    auto* o = qobject_cast<TGPRichBaseLabel*>(form.panel->Objects().first());
    QVERIFY(o);
    QCOMPARE(form.panel->PanelState(), psPointing);
    QCOMPARE(o->RTFText().PlainText(), QStringLiteral("Hello\tcard"));
    QVERIFY(o->RTFText().Data().startsWith("{\\rtf1"));
    QVERIFY(changed.count() >= 1);
    // New rich text objects are framed.
    QCOMPARE(o->BorderStyle(), bsSingle);
    const QImage image = drawn(*o);
    QCOMPARE(QColor(image.pixel(0, 0)).rgb(), QColor(Qt::black).rgb());
    QCOMPARE(QColor(image.pixel(o->Width() - 1, o->Height() / 2)), QColor(Qt::black));
    QCOMPARE(QColor(image.pixel(o->Width() / 2, o->Height() - 1)), QColor(Qt::black));
}

void TestRichLabel::pageAndEditorAtZoom()
{
    test::ScriptedInteraction ui;
    Form form;
    form.panel->SetZoom(1.5f);
    const QByteArray rtf = rtfOf("Zoomed text");
    TGPRichBaseLabel* o = addRich(*form.panel, 10, 10, 200, 100, rtf);
    QCOMPARE(o->PageWidthTwips(), 2000);
    QCOMPARE(o->PageHeightTwips(), 1000);
    drawn(*o);
    QCOMPARE(form.master->Zooming(), 150);
    QCOMPARE(form.master->PageWidth(), 2000);
    QCOMPARE(form.master->PageHeight(), 1000);

    QList<int> zooms;
    QList<QSize> sizes;
    ui.answerDialog([&](QDialog& d) -> int {
        auto& editor = static_cast<TRichTextLabelEditor&>(d);
        d.show();
        editor.FormActivate();
        zooms << editor.RichText1->Zooming();
        sizes << editor.PagePanel->size();
        [&] { QCOMPARE(editor.RichText1->PageWidth(), 2000); }();
        QTest::mouseClick(editor.ZoomPlusButton, Qt::LeftButton);
        zooms << editor.RichText1->Zooming();
        sizes << editor.PagePanel->size();
        for (int k = 0; k < 11; ++k) {
            QTest::mouseClick(editor.ZoomMinusButton, Qt::LeftButton);
            zooms << editor.RichText1->Zooming();
            sizes << editor.PagePanel->size();
        }
        QTest::mouseClick(editor.OKButton, Qt::LeftButton);
        return d.result();
    });
    o->EditRichText();
    QCOMPARE(zooms, QList<int>({ 150, 150, 140, 130, 120, 110, 100, 90, 80, 70, 60, 50, 50 }));
    QCOMPARE(sizes.first(), QSize(201, 101));
    for (int k = 0; k < zooms.size(); ++k)
        QCOMPARE(sizes[k], QSize(int(Round(Extended(zooms[k]) * 201 / 150)), int(Round(Extended(zooms[k]) * 101 / 150))));
    // Zooming is no edit: the document keeps the bytes it was read from.
    QCOMPARE(o->RTFText().Data(), rtf);
}

void TestRichLabel::pageScalesWithZoomAndStaysInside_data()
{
    QTest::addColumn<float>("zoom");
    QTest::newRow("100 %") << 1.0f;
    QTest::newRow("150 %") << 1.5f;
    QTest::newRow("200 %") << 2.0f;
}

void TestRichLabel::pageScalesWithZoomAndStaysInside()
{
    QFETCH(float, zoom);
    Form form;
    // Text that wraps and overflows a 120 x 40 page.
    const QByteArray rtf = rtfOf("\\fs28 WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW WWWW");
    TGPRichBaseLabel* base = addRich(*form.panel, 0, 0, 120, 40, rtf);
    base->SetBorderStyle(bsNone);
    const QRect inkAt1 = inkBox(drawn(*base, Qt::white), Qt::white);
    QVERIFY(inkAt1.width() > 60);

    form.panel->SetZoom(zoom);
    const int pad = 30;
    const QImage image = drawn(*base, Qt::white, pad);
    const QRect ink = inkBox(image, Qt::white);
    // Nothing outside the object's area.
    QVERIFY2(QRect(pad, pad, base->Width(), base->Height()).contains(ink),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    // The same lines, scaled: the text wraps at the page width at every zoom.
    QVERIFY(qAbs(ink.width() - inkAt1.width() * zoom) <= 2 + zoom);
    QVERIFY(qAbs((ink.left() - pad) - inkAt1.left() * zoom) <= 2);
}

void TestRichLabel::objectsDrawAloneThroughSharedMaster()
{
    Form form;
    TGPRichBaseLabel* a = addRich(*form.panel, 0, 0, 150, 40, rtfOf("\\cf1 Left red"));
    TGPRichBaseLabel* b = addRich(*form.panel, 0, 50, 100, 60, rtfOf("\\qc\\cf2\\fs40 Centre blue text"));
    b->SetTransparent(false);
    b->SetBGColor(clYellow);
    const QImage aAlone = drawn(*a);
    const QImage bAlone = drawn(*b);
    // Drawn one after the other, each looks as it does alone.
    for (int round = 0; round < 2; ++round) {
        QCOMPARE(drawn(*b), bAlone);
        QCOMPARE(drawn(*a), aAlone);
    }
    QVERIFY(aAlone != drawn(*b).copy(0, 0, 150, 40));
    // The panel paints both the same way.
    form.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    const QImage card = form.panel->RenderScreen();
    QCOMPARE(card.copy(0, 50, 100, 60).convertToFormat(QImage::Format_RGB32), bAlone);
}

void TestRichLabel::doubleClickOpensEditor()
{
    test::ScriptedInteraction ui;
    Form form;
    form.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form.window));
    addRich(*form.panel, 20, 20, 120, 40, rtfOf("Double"));
    ui.answerDialog([](QDialog& d) -> int {
        [&] { QCOMPARE(d.windowTitle(), QStringLiteral("Rich Text Editor")); }();
        return mrCancel;
    });
    QTest::mouseMove(form.panel, QPoint(40, 30));
    QTest::mouseClick(form.panel, Qt::LeftButton, {}, QPoint(40, 30));
    QTest::mouseDClick(form.panel, Qt::LeftButton, {}, QPoint(40, 30));
    QVERIFY(ui.allUsed());
    QVERIFY(!QApplication::activePopupWidget());
}

void TestRichLabel::transparency_data()
{
    QTest::addColumn<bool>("transparent");
    QTest::newRow("transparent") << true;
    QTest::newRow("opaque") << false;
}

void TestRichLabel::transparency()
{
    QFETCH(bool, transparent);
    test::ScriptedInteraction ui;
    Form form;
    TGPRichBaseLabel* o = addRich(*form.panel, 0, 0, 120, 40, rtfOf("x"));
    o->SetBGColor(clAqua);
    o->SetTransparent(transparent);
    const QImage image = drawn(*o, Qt::green);
    // Between the letters: the card (green) or the object's own colour.
    const QColor expected = transparent ? QColor(Qt::green) : ToQColor(clAqua);
    QCOMPARE(QColor(image.pixel(100, 20)), expected);
    QColor page;
    ui.answerDialog([&](QDialog& d) -> int {
        auto& editor = static_cast<TRichTextLabelEditor&>(d);
        page = editor.PagePanel->palette().color(QPalette::Window);
        return mrCancel;
    });
    o->EditRichText();
    QCOMPARE(page, transparent ? QColor(Qt::white) : ToQColor(clAqua));
    QCOMPARE(o->RTFText().PlainText(), QStringLiteral("x"));
    // The menu's check marks follow the properties.
    o->UpdateMenuChecks();
    QCOMPARE(o->TransparentItem()->isChecked(), transparent);
    QVERIFY(o->BorderItem()->isChecked());
}

void TestRichLabel::designKeepsRichTextBytes()
{
    Form form;
    QFile file(QStringLiteral(BRISVALE_TEST_DATA "/rtf/libreoffice-odt.rtf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray outside = file.readAll();
    TGPRichBaseLabel* o = addRich(*form.panel, 5, 6, 150, 60, outside);
    o->SetName(QStringLiteral("Component0"));
    o->SetBorderStyle(bsNone);
    const QByteArray stream = TGLabelObjectFiler::WriteStream({ o });
    // Properties in their order, the text data as its bytes.
    const int data = int(stream.indexOf("RTFText.Data"));
    QVERIFY(data > 0);
    QVERIFY(data < stream.indexOf("BorderStyle"));
    QVERIFY(stream.indexOf("BorderStyle") < stream.indexOf("Transparent"));
    QVERIFY(stream.indexOf("Transparent") < stream.indexOf("BGColor"));
    QCOMPARE(stream.mid(data + 12, 1), QByteArray("\x0A"));
    QVERIFY(stream.contains(outside));

    TGLabelObjectFiler filer;
    TGBusinessCardPanel32* other = new TGBusinessCardPanel32(&form.window);
    other->Model().SetService<TRichTextControl>(form.master);
    const QList<TGGraphicControl*> read = filer.ReadStream(stream, *other, *other);
    QCOMPARE(read.size(), 1);
    QList<const TGGraphicControl*> list { read.first() };
    QCOMPARE(TGLabelObjectFiler::WriteStream(list), stream);
    auto* copy = qobject_cast<TGPRichBaseLabel*>(read.first());
    QCOMPARE(copy->BorderStyle(), bsNone);
    QVERIFY(copy->OnEditRequest);

    // Edited text is written by our writer and reads back.
    TRtfDocument edited = copy->RTFText();
    edited.SetPlainText(QStringLiteral("Edited \u20ac"));
    copy->SetRTFText(edited);
    const QByteArray again = TGLabelObjectFiler::WriteStream(list);
    QVERIFY(!again.contains(outside));
    const QList<TGGraphicControl*> reread = filer.ReadStream(again, *other, *other);
    QCOMPARE(qobject_cast<TGPRichBaseLabel*>(reread.first())->RTFText().PlainText(), QStringLiteral("Edited \u20ac"));
    // An empty document writes no data entry.
    TGPRichBaseLabel* empty = addRich(*form.panel, 0, 0, 50, 20, QByteArray());
    QVERIFY(!TGLabelObjectFiler::WriteStream({ empty }).contains("RTFText"));
}

void TestRichLabel::missingMasterFailsTheRead()
{
    Form form;
    TGPRichBaseLabel* o = addRich(*form.panel, 5, 6, 150, 60, rtfOf("x"));
    const QByteArray stream = TGLabelObjectFiler::WriteStream({ o });
    TGBusinessCardPanel32 lonely; // on no form with a master
    // On the form that holds a master, but its design was not given one: the
    // master is a service of the design, never found by its name.
    auto* sibling = new TGBusinessCardPanel32(&form.window);
    TGLabelObjectFiler filer;
    for (TGBusinessCardPanel32* panel : { &lonely, sibling }) {
        try {
            filer.ReadStream(stream, *panel, *panel);
            QFAIL("read without a master");
        } catch (const Exception& e) {
            QCOMPARE(e.message(), QStringLiteral("No master rich text object found"));
        }
    }
}

void TestRichLabel::toolbarFormatsSelection()
{
    TRichTextLabelEditor editor;
    TRtfDocument doc;
    doc.SetData(rtfOf("one two"));
    editor.RichText1->SetRtfText(doc);
    QTextCursor c(&editor.RichText1->Document());
    c.setPosition(4);
    c.setPosition(7, QTextCursor::KeepAnchor);
    editor.RichText1->SetTextCursor(c);
    editor.RichToolBar1->BoldButton->trigger();
    editor.RichToolBar1->CenterButton->trigger();
    editor.RichToolBar1->FontSizeList->setCurrentText("20");
    emit editor.RichToolBar1->FontSizeList->textActivated("20");
    const TRtfDocument out = editor.RichText1->RtfText();
    QTextCursor probe(const_cast<QTextDocument*>(&out.Document()));
    probe.setPosition(6);
    QVERIFY(probe.charFormat().fontWeight() >= QFont::Bold);
    QCOMPARE(probe.charFormat().fontPointSize(), 20.0);
    probe.setPosition(2);
    QVERIFY(probe.charFormat().fontWeight() < QFont::Bold);
    QVERIFY(probe.blockFormat().alignment() & Qt::AlignHCenter);
    // A formatted document is no longer the bytes read.
    QVERIFY(out.SourceBytes().isEmpty());
    QCOMPARE(TRichTextToolBar::Hints().mid(0, 11),
        QStringList({ "Normal", "Bold", "Italic", "Under", "Left", "Right", "Justified", "Center", "Copy", "Cut",
            "Paste" }));
}

void TestRichLabel::graphicPanelPaintsBevelAndCaption()
{
    TGraphicPanel panel;
    panel.resize(40, 20);
    panel.SetColor(clBtnFace);
    panel.SetBorderStyle(bsSingle);
    QImage image = panel.grab().toImage();
    QCOMPARE(QColor(image.pixel(0, 0)).rgb(), QColor(Qt::black).rgb());
    QCOMPARE(QColor(image.pixel(1, 1)).rgb(), ToQColor(clBtnHighlight).rgb());
    QCOMPARE(QColor(image.pixel(38, 18)).rgb(), ToQColor(clBtnShadow).rgb());
    QCOMPARE(QColor(image.pixel(20, 10)).rgb(), ToQColor(clBtnFace).rgb());
    panel.SetBevelOuter(bvLowered);
    panel.SetCaption(QStringLiteral("W"));
    image = panel.grab().toImage();
    QCOMPARE(QColor(image.pixel(1, 1)).rgb(), ToQColor(clBtnShadow).rgb());
    QVERIFY(inkBox(image.copy(2, 2, 36, 16), ToQColor(clBtnFace)).isValid());
}

QTEST_MAIN(TestRichLabel)
#include "tst_richlabel.moc"
