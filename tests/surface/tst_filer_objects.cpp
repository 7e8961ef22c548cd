// Design files with the real design objects: what a saved card holds, that
// open and save at any zoom keep the stored geometry, byte-exact round trips,
// the clipboard file with its paste guard, and the brisvale-batch commands.
#include "objects/BusinessCardLabel.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "platform/Clock.h"
#include "surface/BusinessCardPanel.h"
#include "surface/Handle.h"
#include "surface/ObjectFiler.h"
#include "surface/ObjectStream.h"
#include "../support/TestClock.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;

namespace {
QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList propertyNames(const StreamRecord& r)
{
    QStringList names;
    for (const auto& p : r.properties)
        names << p.name;
    return names;
}

TBCShapes* addShape(TGBasePanel& panel, const QString& name, TRect r)
{
    auto* s = new TBCShapes;
    s->SetParent(&panel);
    s->SetName(name);
    s->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    s->Loaded();
    panel.AttachObject(s);
    return s;
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}
} // namespace

class TestFilerObjects : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void toolMadeRectangleIsSavedAndReadBack();
    void emptyCardIsTwoBytes();
    void zoomKeepsStoredGeometryAcrossOpenAndSave_data();
    void zoomKeepsStoredGeometryAcrossOpenAndSave();
    void everyObjectKindRoundTripsByteForByte();
    void sampleDesignRoundTripsByteForByte();
    void textBeyondWindows1252Survives();
    void clipboardPastesWithGuardAndOffset();
    void clipboardAtZoomKeepsOnScreenSize();
    void cutDeletesAndPasteRestores();
    void batchDumpAndResave();

private:
    QTemporaryDir dir;
    QString data = QStringLiteral(BRISVALE_TEST_DATA) + QStringLiteral("/designs/");
};

void TestFilerObjects::initTestCase()
{
    qputenv("BRISVALE_HOME", dir.path().toLocal8Bit());
    qputenv("BRISVALE_PPI", "96");
    RegisterShapeClasses();
    RegisterLabelClasses();
}

void TestFilerObjects::toolMadeRectangleIsSavedAndReadBack()
{
    TGBusinessCardPanel32 panel;
    panel.show();
    panel.SetPanelState(psRectangle);
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(40, 30));
    QTest::mouseMove(&panel, QPoint(90, 60));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(90, 60));
    settle();
    QCOMPARE(panel.ObjectCount(), 1);
    QCOMPARE(panel.Objects()[0]->Name(), QStringLiteral("Special1"));

    const QString path = dir.filePath(QStringLiteral("rect.qrd"));
    panel.SaveToFile(path);
    const auto records = ReadObjectStream(readBytes(path));
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records[0].className, QStringLiteral("TBCShapes"));
    QCOMPARE(records[0].name, QStringLiteral("Special1"));
    // The always-stored properties, nothing at its default.
    QCOMPARE(propertyNames(records[0]),
             (QStringList{"Left", "Top", "Width", "Height", "Locked", "Unselectable", "Transparent"}));
    const TRect bounds = panel.Objects()[0]->BoundsRect();

    panel.ClearAll();
    panel.LoadFromFile(path);
    QCOMPARE(panel.ObjectCount(), 1);
    auto* shape = dynamic_cast<TBCShapes*>(panel.Objects()[0]);
    QVERIFY(shape);
    QCOMPARE(shape->Name(), QStringLiteral("Component0"));
    QCOMPARE(shape->BoundsRect(), bounds);
    QVERIFY(shape->Attached());
}

void TestFilerObjects::emptyCardIsTwoBytes()
{
    TGBusinessCardPanel32 panel;
    const QString path = dir.filePath(QStringLiteral("empty.qrd"));
    panel.SaveToFile(path);
    QCOMPARE(readBytes(path), QByteArray("\x01\x00", 2));
    panel.LoadFromFile(path);
    QCOMPARE(panel.ObjectCount(), 0);
}

void TestFilerObjects::zoomKeepsStoredGeometryAcrossOpenAndSave_data()
{
    QTest::addColumn<float>("zoom");
    // The zoom steps of the program, and a larger factor.
    QTest::newRow("1.1") << 1.1f;
    QTest::newRow("1.2") << 1.2f;
    QTest::newRow("1.3") << 1.3f;
    QTest::newRow("1.4") << 1.4f;
    QTest::newRow("1.5") << 1.5f;
    QTest::newRow("2.6") << 2.6f;
}

void TestFilerObjects::zoomKeepsStoredGeometryAcrossOpenAndSave()
{
    QFETCH(float, zoom);
    const QString original = data + QStringLiteral("shapes.qrd");
    const QByteArray before = readBytes(original);
    TGBusinessCardPanel32 panel;
    panel.SetZoom(zoom);
    panel.LoadFromFile(original);
    QCOMPARE(panel.ObjectCount(), 3);
    // On screen the objects are at the panel's zoom.
    QCOMPARE(panel.Objects()[0]->Zoom(), zoom);
    QCOMPARE(panel.Objects()[0]->Left(), int(Round(20 * static_cast<Extended>(ToSingle(zoom)))));
    const QString saved = dir.filePath(QStringLiteral("zoomed.qrd"));
    panel.SaveToFile(saved);
    QCOMPARE(panel.Zoom(), zoom);
    QCOMPARE(readBytes(saved).toHex(' '), before.toHex(' '));
}

void TestFilerObjects::everyObjectKindRoundTripsByteForByte()
{
    TGBusinessCardPanel32 panel;
    auto* rect = addShape(panel, QStringLiteral("Component0"), TRect(5, 6, 105, 56));
    rect->SetTag(12);
    rect->SetHint(QStringLiteral("Corner 'box'"));
    rect->SetLocked(true);
    TPen pen = rect->Pen();
    pen.Color = 0x00123456;
    pen.Width = 12;
    pen.Style = psDash;
    pen.Mode = pmXor;
    rect->SetPen(pen);
    auto* round = addShape(panel, QStringLiteral("Component1"), TRect(0, 0, 343, 191));
    round->SetShape(stRoundSquare);
    round->SetRoundPerc(80);
    TBrush brush = round->Brush();
    brush.Color = clBtnFace;
    brush.Style = bsDiagCross;
    round->SetBrush(brush);
    auto* ellipse = addShape(panel, QStringLiteral("Component2"), TRect(-20, 150, 39980, 170));
    ellipse->SetShape(stCircle);
    ellipse->SetTransparent(true);
    ellipse->SetUnselectable(true);
    auto* plain = new TGLabelShapes;
    plain->SetParent(&panel);
    plain->SetName(QStringLiteral("Component3"));
    plain->SetBounds(1, 2, 3, 4);
    plain->SetCursor(-21);
    int n = 4;
    for (TLineStyle style : {stHorizontal, stVertical, stAngleSlopingUp, stAngleSlopingDown}) {
        auto* line = new TGLineShape;
        line->SetParent(&panel);
        line->SetName(QStringLiteral("Component%1").arg(n));
        line->SetBounds(10 * n, 20, 50, 60);
        line->SetLineStyle(style);
        TPen lp = line->Pen();
        lp.Color = n % 2 ? clRed : 0x80000008;
        lp.Width = n;
        line->SetPen(lp);
        ++n;
    }

    auto* label = new TGBusinessCardLabel;
    label->SetParent(&panel);
    label->SetName(QStringLiteral("Component8"));
    label->SetBounds(20, 30, 150, 24);
    label->SetCaption(QString::fromUtf8("Ivan \u0418\u0432\u0430\u043d 'Q'"));
    TFont font = label->Font();
    font.Name = QStringLiteral("Times New Roman");
    font.Height = -19;
    font.Color = clNavy;
    font.Bold = true;
    font.Italic = true;
    label->SetFont(font);
    label->SetAlignment(taCenter);
    label->SetTransparent(false);
    label->SetBackColor(0x00EEDDCC);
    label->SetDepthShadow(3);
    label->Loaded();
    auto* plabel = new TGPLabel;
    plabel->SetParent(&panel);
    plabel->SetName(QStringLiteral("Component9"));
    plabel->SetBounds(5, 100, 80, 40);
    plabel->SetCaption(QString(300, QLatin1Char('L')));
    plabel->SetAngle(90);
    plabel->Loaded();

    const QString first = dir.filePath(QStringLiteral("kinds1.qrd"));
    const QString second = dir.filePath(QStringLiteral("kinds2.qrd"));
    panel.SaveToFile(first);
    const QByteArray bytes = readBytes(first);
    // Spot checks of the encodings in the real tables.
    QVERIFY(bytes.contains(QByteArray("\x09Pen.Color\x04\x56\x34\x12\x00", 15)));
    QVERIFY(bytes.contains(QByteArray("\x09Pen.Color\x07\x05" "clRed")));
    QVERIFY(bytes.contains(QByteArray("\x09Pen.Color\x07\x0c" "clWindowText")));
    QVERIFY(bytes.contains(QByteArray("\x0b" "Brush.Color\x07\x09" "clBtnFace")));
    QVERIFY(bytes.contains(QByteArray("\x06" "Cursor\x07\x0b" "crHandPoint")));
    QVERIFY(bytes.contains(QByteArray("\x05Width\x04\x40\x9c\x00\x00", 11)));

    TGBusinessCardPanel32 other;
    other.LoadFromFile(first);
    QCOMPARE(other.ObjectCount(), 10);
    QCOMPARE(other.Objects()[3]->ClassName(), QStringLiteral("TGLabelShapes"));
    QCOMPARE(other.Objects()[8]->ClassName(), QStringLiteral("TGBusinessCardLabel"));
    QCOMPARE(static_cast<TGBaseLabel*>(other.Objects()[8])->Caption(), label->Caption());
    QCOMPARE(static_cast<TGBaseLabel*>(other.Objects()[9])->Caption(), plabel->Caption());
    other.SaveToFile(second);
    QCOMPARE(readBytes(second).toHex(' '), bytes.toHex(' '));
}

void TestFilerObjects::sampleDesignRoundTripsByteForByte()
{
    for (const char* name : {"empty.qrd", "shapes.qrd", "kinds.qrd"}) {
        const QString path = data + QLatin1String(name);
        TGBusinessCardPanel32 panel;
        panel.LoadFromFile(path);
        const QString out = dir.filePath(QStringLiteral("sample.qrd"));
        panel.SaveToFile(out);
        QCOMPARE(readBytes(out).toHex(' '), readBytes(path).toHex(' '));
    }
}

void TestFilerObjects::textBeyondWindows1252Survives()
{
    TGBusinessCardPanel32 panel;
    auto* s = addShape(panel, QStringLiteral("Component0"), TRect(1, 1, 20, 20));
    const QString hint = QString::fromUtf8("\u041e\u041e\u041e \u00e9t\u00e9 \u6771\u4eac");
    s->SetHint(hint);
    const QString path = dir.filePath(QStringLiteral("utf8.qrd"));
    panel.SaveToFile(path);
    const QByteArray utf8 = hint.toUtf8();
    QByteArray entry = QByteArray("\x04Hint\x14", 6);
    entry += char(utf8.size());
    entry += QByteArray(3, 0);
    entry += utf8;
    QVERIFY(readBytes(path).contains(entry));
    panel.ClearAll();
    panel.LoadFromFile(path);
    QCOMPARE(panel.Objects()[0]->Hint(), hint);
}

void TestFilerObjects::clipboardPastesWithGuardAndOffset()
{
    test::TestClock clock;
    auto panel = std::make_unique<TGBusinessCardPanel32>();
    panel->show();
    auto* a = addShape(*panel, QStringLiteral("Special1"), TRect(10, 20, 40, 50));
    auto* b = addShape(*panel, QStringLiteral("Special2"), TRect(100, 30, 130, 60));
    panel->Handle().AddToSelection(b);
    panel->Handle().AddToSelection(a);
    QTest::keyClick(panel.get(), Qt::Key_C, Qt::ControlModifier);
    const QString clip = panel->ClipboardPath();
    QVERIFY(QFile::exists(clip));
    // Selection order is kept in the clipboard file.
    const auto records = ReadObjectStream(readBytes(clip));
    QCOMPARE(records.size(), size_t(2));
    QCOMPARE(records[0].name, QStringLiteral("Special2"));

    QTest::keyClick(panel.get(), Qt::Key_V, Qt::ControlModifier);
    settle();
    QCOMPARE(panel->ObjectCount(), 4);
    QCOMPARE(panel->Objects()[2]->BoundsRect(), TRect(115, 45, 145, 75));
    QCOMPARE(panel->Objects()[3]->BoundsRect(), TRect(25, 35, 55, 65));
    QCOMPARE(panel->Objects()[2]->Name(), QStringLiteral("Component0"));
    QCOMPARE(panel->Objects()[3]->Name(), QStringLiteral("Component1"));
    // Pasted objects are not selected.
    QCOMPARE(panel->Handle().SelectionCount(), 2);

    clock.advance(500);
    QTest::keyClick(panel.get(), Qt::Key_V, Qt::ControlModifier);
    settle();
    QCOMPARE(panel->ObjectCount(), 4);

    clock.advance(1000);
    QTest::keyClick(panel.get(), Qt::Key_V, Qt::ControlModifier);
    settle();
    QCOMPARE(panel->ObjectCount(), 6);
    // The second copy lies on the first: both are offset from the stored positions.
    QCOMPARE(panel->Objects()[4]->BoundsRect(), panel->Objects()[2]->BoundsRect());
    QCOMPARE(panel->Objects()[5]->BoundsRect(), panel->Objects()[3]->BoundsRect());

    // The panel removes its clipboard file when it goes.
    panel.reset();
    QVERIFY(!QFile::exists(clip));
}

void TestFilerObjects::clipboardAtZoomKeepsOnScreenSize()
{
    test::TestClock clock;
    TGBusinessCardPanel32 panel;
    panel.SetZoom(1.3f);
    auto* s = addShape(panel, QStringLiteral("Special1"), TRect(13, 26, 52, 91));
    panel.Handle().AddToSelection(s);
    panel.SelectionClipboard(caCopy);
    panel.SelectionClipboard(caPaste);
    settle();
    QCOMPARE(panel.ObjectCount(), 2);
    TGGraphicControl* copy = panel.Objects()[1];
    QCOMPARE(copy->Width(), s->Width());
    QCOMPARE(copy->Height(), s->Height());
    // The clipboard holds card geometry: the paste lands 15 card pixels on.
    QCOMPARE(copy->StoredLeft(), s->StoredLeft() + 15);
    QCOMPARE(copy->StoredTop(), s->StoredTop() + 15);
    QCOMPARE(copy->Zoom(), 1.3f);
}

void TestFilerObjects::cutDeletesAndPasteRestores()
{
    test::TestClock clock;
    TGBusinessCardPanel32 panel;
    auto* s = addShape(panel, QStringLiteral("Special1"), TRect(10, 10, 30, 30));
    s->SetRoundPerc(60);
    panel.Handle().AddToSelection(s);
    panel.SelectionClipboard(caCut);
    settle();
    QCOMPARE(panel.ObjectCount(), 0);
    panel.SelectionClipboard(caPaste);
    settle();
    QCOMPARE(panel.ObjectCount(), 1);
    auto* back = dynamic_cast<TBCShapes*>(panel.Objects()[0]);
    QVERIFY(back);
    QCOMPARE(back->RoundPerc(), 60);
    QCOMPARE(back->Left(), 25);
}

void TestFilerObjects::batchDumpAndResave()
{
    const QString tool = QStringLiteral(BRISVALE_BATCH);
    QProcess p;
    p.start(tool, {QStringLiteral("dump"), data + QStringLiteral("shapes.qrd")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(out.startsWith(QStringLiteral("object Component0: TBCShapes\n  Left = 20\n")), qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("\n  Hint = 'It''s a hint'\n")));
    QVERIFY(out.contains(QStringLiteral("\n  Cursor = crHandPoint\n")));
    QVERIFY(out.endsWith(QStringLiteral("  Shape = stEllipse\nend\n")));

    const QString resaved = dir.filePath(QStringLiteral("resaved.qrd"));
    p.start(tool, {QStringLiteral("resave"), data + QStringLiteral("shapes.qrd"), resaved});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(readBytes(resaved), readBytes(data + QStringLiteral("shapes.qrd")));

    // Malformed input: a message on stderr, exit code 1, no output.
    const QString broken = dir.filePath(QStringLiteral("broken.qrd"));
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(readBytes(data + QStringLiteral("shapes.qrd")).left(60));
    f.close();
    for (const QString& command : {QStringLiteral("dump"), QStringLiteral("resave")}) {
        QStringList args{command, broken};
        if (command == QLatin1String("resave"))
            args << dir.filePath(QStringLiteral("never.qrd"));
        p.start(tool, args);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(p.readAllStandardError().contains("Stream read error"));
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("never.qrd"))));
}

QTEST_MAIN(TestFilerObjects)
#include "tst_filer_objects.moc"
