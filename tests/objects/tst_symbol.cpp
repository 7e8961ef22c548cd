// Symbols and the symbol font map: the map's correspondences, the default
// symbol drawn as a real glyph, the size that follows the glyph, the symbol
// selector (column table, font button, choosing, cancelling), the menu, fonts
// set for many objects leaving symbols alone, and byte-for-byte round trips
// of designs holding symbols and multi-line text.
// Fonts: "Symbola" (fonts-symbola) draws the Windows symbol fonts;
// "Liberation Sans" for the other text.
#include "objects/BusinessCardLabel.h"
#include "objects/GetSymbol.h"
#include "objects/MultiLineLabel.h"
#include "objects/SymbolLabel.h"
#include "platform/SymbolFonts.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectFiler.h"
#include "surface/ObjectStream.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <limits>

using namespace bv;

namespace {

TGSymbolLabel* newSymbol(TGBasePanel& panel)
{
    auto* s = new TGSymbolLabel;
    s->SetParent(&panel);
    s->Loaded();
    panel.AttachObject(s);
    return s;
}

QImage render(TGBaseLabel& label)
{
    label.CalcTextLayout();
    QImage image(label.Width(), label.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    label.DrawTo(p);
    return image;
}

int inkCount(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

QByteArray streamOf(const QList<TGGraphicControl*>& objects)
{
    QList<const TGGraphicControl*> list;
    for (auto* o : objects)
        list << o;
    return TGLabelObjectFiler::WriteStream(list);
}

QStringList menuCaptions(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class TestSymbol : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("BRISVALE_PPI", "96");
        RegisterMultiLineClasses();
        RegisterSymbolClasses();
        RegisterLabelClasses();
    }
    void symbolMap_data();
    void symbolMap();
    void defaultSymbolIsARealGlyph();
    void sizeFollowsGlyph_data();
    void sizeFollowsGlyph();
    void heightsBeyondTheDrawableEndTheirFit_data();
    void heightsBeyondTheDrawableEndTheirFit();
    void columnTable_data();
    void columnTable();
    void fontButtonCaption_data();
    void fontButtonCaption();
    void gridCells_data();
    void gridCells();
    void selectorOnDefaultSymbol();
    void selectorChoosesAndCancels_data();
    void selectorChoosesAndCancels();
    void menuWithoutTextItems();
    void toolCreatesFromTheSelector();
    void fontsForManyObjectsLeaveSymbols();
    void roundTripByteForByte();
};

void TestSymbol::symbolMap_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("code");
    QTest::addColumn<uint>("unicode");
    QTest::newRow("telephone") << "Wingdings" << 0x28 << 0x260Eu;
    QTest::newRow("envelope") << "WingDings" << 0x2A << 0x2709u;
    QTest::newRow("pointing hand") << "WINGDINGS" << 0x46 << 0x261Eu;
    QTest::newRow("yin yang, the default") << "WingDings" << 0x5B << 0x262Fu;
    QTest::newRow("circled ten, code above 127") << "Wingdings" << 0x8A << 0x2469u;
    QTest::newRow("Wingdings 0xFF shows nothing") << "Wingdings" << 0xFF << 0u;
    QTest::newRow("webdings spider") << "Webdings" << 0x21 << 0x1F577u;
    QTest::newRow("wingdings 2 ballot box") << "Wingdings 2" << 0x54 << 0x2612u;
    QTest::newRow("wingdings 3 up triangle") << "Wingdings 3" << 0x70 << 0x25B2u;
    QTest::newRow("symbol alpha") << "Symbol" << 0x61 << 0x3B1u;
    QTest::newRow("symbol sum") << "Symbol" << 0xE5 << 0x2211u;
    QTest::newRow("symbol euro in the 0xA0 slot") << "Symbol" << 0xA0 << 0x20ACu;
    QTest::newRow("control codes") << "Wingdings" << 0x1F << 0u;
    QTest::newRow("other fonts are not mapped") << "Liberation Sans" << 0x41 << 0u;
}

void TestSymbol::symbolMap()
{
    QFETCH(QString, font);
    QFETCH(int, code);
    QFETCH(uint, unicode);
    QCOMPARE(uint(SymbolFonts::ToUnicode(font, code)), unicode);
    if (unicode != 0) {
        // The display font has the picture, and the stored character (its
        // Windows-1252 byte) comes out as it.
        QVERIFY(SymbolFonts::HasGlyph(font, unicode));
        const char32_t u = unicode;
        QCOMPARE(SymbolFonts::DisplayText(font, QString(SymbolFonts::CharOfCode(code))), QString::fromUcs4(&u, 1));
        QCOMPARE(SymbolFonts::CodeOf(SymbolFonts::CharOfCode(code)), code);
    }
}

void TestSymbol::defaultSymbolIsARealGlyph()
{
    TGBusinessCardPanel32 panel;
    auto* symbol = newSymbol(panel);
    QCOMPARE(symbol->Font().Name, QStringLiteral("WingDings"));
    QCOMPARE(symbol->Caption(), QStringLiteral("["));
    QCOMPARE(QFontInfo(symbol->DrawFont()).family(), QStringLiteral("Symbola"));
    const QImage image = render(*symbol);
    QVERIFY(inkCount(image) > 100);

    // The same pixels as the yin yang of Symbola drawn by hand, and not the
    // box a font draws for a character it lacks.
    auto drawn = [&](const QString& text) {
        QImage ref(image.size(), QImage::Format_RGB32);
        ref.fill(Qt::white);
        QPainter p(&ref);
        p.setFont(symbol->DrawFont());
        p.setPen(Qt::black);
        p.setClipRect(symbol->TextRect().ToQRect());
        p.drawText(QPoint(symbol->TextOrigin().x(), symbol->TextOrigin().y() + QFontMetrics(symbol->DrawFont()).ascent()), text);
        return ref;
    };
    QCOMPARE(image, drawn(QString::fromUcs4(U"\U0000262F", 1)));
    QVERIFY(image != drawn(QString::fromUcs4(U"\U0010FFFD", 1)));
}

void TestSymbol::sizeFollowsGlyph_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("follows");
    QTest::newRow("24 points snaps back") << 24 << true;
    QTest::newRow("10 points snaps back") << 10 << true;
    QTest::newRow("9 points keeps the dragged size") << 9 << false;
}

void TestSymbol::sizeFollowsGlyph()
{
    QFETCH(int, points);
    QFETCH(bool, follows);
    TGBusinessCardPanel32 panel;
    auto* symbol = newSymbol(panel);
    TFont f = symbol->Font();
    f.SetSize(points);
    symbol->SetFont(f);
    symbol->SetBounds(30, 40, 200, 150);
    const QFontMetrics fm(symbol->DrawFont());
    const QString glyph = QString::fromUcs4(U"\U0000262F", 1);
    const int w = int(1.1 * fm.horizontalAdvance(glyph)) + symbol->TextOrigin().x();
    const int h = int(1.1 * fm.height()) + symbol->TextOrigin().y();
    if (follows) {
        QCOMPARE(symbol->BoundsRect(), TRect::FromBounds(30, 40, w, h));
        // A bigger font gives a bigger symbol.
        f.SetSize(points * 2);
        symbol->SetFont(f);
        symbol->SetBounds(30, 40, 1, 1);
        QVERIFY(symbol->Width() > w && symbol->Height() > h);
    } else {
        QCOMPARE(symbol->BoundsRect(), TRect::FromBounds(30, 40, 200, 150));
    }
}

void TestSymbol::heightsBeyondTheDrawableEndTheirFit_data()
{
    QTest::addColumn<int>("height");
    QTest::newRow("Font.Height -65537") << -65537;
    QTest::newRow("Font.Height -2^24") << -(1 << 24);
    QTest::newRow("Font.Height -2^31") << std::numeric_limits<int>::min();
}

// Fitting the symbol to its glyph and the label's own minimum size each set
// the bounds; with a font beyond the drawable size they must still settle
// (the design once overflowed the stack). Text is drawn at most 32,767
// pixels high, so any larger height fits as that one does.
void TestSymbol::heightsBeyondTheDrawableEndTheirFit()
{
    QFETCH(int, height);
    TGBusinessCardPanel32 panel;
    panel.resize(336, 192);
    auto fitted = [&](int h) {
        auto* symbol = newSymbol(panel);
        TFont f = symbol->Font();
        f.Height = h;
        symbol->SetFont(f);
        symbol->SetBounds(30, 40, 10, 10);
        (void)panel.RenderToBitmap();
        symbol->SetBounds(30, 40, 12, 12);
        return symbol;
    };
    auto* extreme = fitted(height);
    auto* largest = fitted(-32767);
    QCOMPARE(extreme->BoundsRect(), largest->BoundsRect());
    // At another zoom the fit ends too.
    panel.SetZoom(0.5f);
    (void)panel.RenderToBitmap();
    extreme->SetBounds(10, 10, 5, 5);
    QVERIFY(extreme->Width() > 5);
}

void TestSymbol::columnTable_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("columns");
    const std::pair<int, int> rows[] = { { 5, 1 }, { 6, 14 }, { 10, 14 }, { 11, 10 }, { 20, 10 }, { 21, 8 },
        { 30, 8 }, { 31, 6 }, { 40, 6 }, { 41, 4 }, { 50, 4 }, { 51, 3 }, { 60, 3 }, { 61, 2 }, { 72, 2 },
        { 73, 1 } };
    for (auto [points, columns] : rows)
        QTest::addRow("%d points", points) << points << columns;
}

void TestSymbol::columnTable()
{
    QFETCH(int, points);
    QFETCH(int, columns);
    QCOMPARE(SymbolColumnsFor(points), columns);
}

void TestSymbol::fontButtonCaption_data()
{
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QString>("caption");
    QTest::newRow("plain") << false << false << "Webdings, 20pt ";
    QTest::newRow("bold") << true << false << "Webdings, 20pt Bold ";
    QTest::newRow("italic") << false << true << "Webdings, 20pt Italic ";
    QTest::newRow("bold italic shows italic") << true << true << "Webdings, 20pt Italic ";
}

void TestSymbol::fontButtonCaption()
{
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(QString, caption);
    TFont f;
    f.Name = QStringLiteral("Webdings");
    f.Height = -27;
    f.Bold = bold;
    f.Italic = italic;
    QCOMPARE(SymbolFontButtonCaption(f), caption);
}

void TestSymbol::gridCells_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("code");
    QTest::addColumn<uint>("shown");
    QTest::newRow("mapped telephone") << "Wingdings" << 0x28 << 0x260Eu;
    QTest::newRow("unmapped code is empty") << "Wingdings" << 0xFF << 0u;
    QTest::newRow("space is empty") << "Wingdings" << 0x20 << 0u;
    QTest::newRow("installed font as it is") << "Liberation Sans" << 0x41 << uint('A');
    QTest::newRow("code without a glyph is empty") << "Liberation Sans" << 0x81 << 0u;
}

void TestSymbol::gridCells()
{
    QFETCH(QString, font);
    QFETCH(int, code);
    QFETCH(uint, shown);
    TSymbolListBox list;
    QCOMPARE(list.count(), 224);
    TFont f = list.ListFont();
    f.Name = font;
    list.SetListFont(f);
    QCOMPARE(uint(list.ShownCharacter(code - 32)), shown);
}

void TestSymbol::selectorOnDefaultSymbol()
{
    TGBusinessCardPanel32 panel;
    auto* symbol = newSymbol(panel);
    test::ScriptedInteraction ui;
    ui.answerDialog([](QDialog& d) -> int {
        auto* dialog = qobject_cast<TGetSymbol*>(&d);
        [&] {
            QVERIFY(dialog);
            QCOMPARE(d.windowTitle(), QStringLiteral("Symbol Selector"));
            QCOMPARE(dialog->SelectedIndex(), 59);
            QCOMPARE(dialog->SelectedFont().Name, QStringLiteral("WingDings"));
            QCOMPARE(dialog->SelectedFont().Size(), 24);
            d.show();
            // The list keeps its own 27 pixels (20 points): 10 columns.
            QCOMPARE(dialog->SymbolList->Columns(), 10);
            QCOMPARE(dialog->Fontbutton->text(), QStringLiteral("WingDings, 20pt "));
            QVERIFY(dialog->FontNameCombo->currentText().compare("Wingdings", Qt::CaseInsensitive) == 0);
            if (qEnvironmentVariableIsSet("BRISVALE_SHOTS"))
                d.grab().save(QStringLiteral("symbol-selector.png"));
        }();
        return mrCancel;
    });
    symbol->ChooseSymbol();
    QVERIFY(ui.allUsed());
}

void TestSymbol::selectorChoosesAndCancels_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<bool>("changeFont");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("points");
    QTest::newRow("item 0 is the space") << 0 << false << mrOk << " " << 24;
    QTest::newRow("item 8 is the telephone") << 8 << false << mrOk << "(" << 24;
    QTest::newRow("new font then OK") << 8 << true << mrOk << "(" << 36;
    QTest::newRow("new font then Cancel") << 8 << true << mrCancel << "[" << 24;
}

void TestSymbol::selectorChoosesAndCancels()
{
    QFETCH(int, item);
    QFETCH(bool, changeFont);
    QFETCH(int, result);
    QFETCH(QString, caption);
    QFETCH(int, points);
    TGBusinessCardPanel32 panel;
    auto* symbol = newSymbol(panel);
    const QSize before(symbol->Width(), symbol->Height());
    test::ScriptedInteraction ui;
    if (changeFont) {
        // The font dialog knows no Wingdings: it offers the family standing
        // in for it. A new size keeps the symbol's own font name.
        QFont stand(QFontInfo(QFont(QStringLiteral("WingDings"))).family());
        stand.setPointSize(36);
        ui.answerFont(stand);
    }
    ui.answerDialog([&](QDialog& d) -> int {
        auto* dialog = qobject_cast<TGetSymbol*>(&d);
        d.show();
        dialog->SymbolList->setCurrentRow(item);
        if (changeFont) {
            QTest::mouseClick(dialog->Fontbutton, Qt::LeftButton);
            [&] { QCOMPARE(dialog->Fontbutton->text(), QStringLiteral("WingDings, 20pt ")); }();
        }
        return result;
    });
    symbol->ChooseSymbol();
    QCOMPARE(symbol->Caption(), caption);
    QCOMPARE(symbol->Font().Name, QStringLiteral("WingDings"));
    QCOMPARE(symbol->Font().Size(), points);
    if (points == 36)
        QVERIFY(symbol->Width() > before.width() && symbol->Height() > before.height());
    QVERIFY(ui.allUsed());
}

void TestSymbol::menuWithoutTextItems()
{
    TGBusinessCardPanel32 panel;
    auto* symbol = newSymbol(panel);
    const QStringList captions = menuCaptions(symbol->ContextMenu());
    const QStringList tail = captions.mid(captions.indexOf("Center Horizontally") + 1);
    QCOMPARE(tail, (QStringList { "-", "3D Effects", "Transparent", "Background Color", "Border", "-", "Symbol Selector" }));
    // The removed items are only unlisted: setting check marks still works.
    emit symbol->ContextMenu()->aboutToShow();
    symbol->SetBorderStyle(bsSingle);
    symbol->UpdateMenuChecks();
    QVERIFY(symbol->BorderItem()->isChecked());
}

void TestSymbol::toolCreatesFromTheSelector()
{
    TGBusinessCardPanel32 panel;
    panel.resize(400, 300);
    panel.SetPanelState(psSymbolLabel);
    test::ScriptedInteraction ui;
    ui.answerDialog([](QDialog& d) {
        qobject_cast<TGetSymbol*>(&d)->SetSelectedIndex(0x2A - 32);
        return mrOk;
    });
    panel.CreateObjectInRect(TRect(40, 50, 240, 150));
    QCOMPARE(panel.Objects().size(), 1);
    auto* symbol = qobject_cast<TGSymbolLabel*>(panel.Objects().first());
    QVERIFY(symbol);
    QCOMPARE(symbol->Caption(), QStringLiteral("*"));
    QCOMPARE(symbol->DisplayedCaption(), QString(QChar(0x2709)));
    // Placed where dragged, sized by its glyph rather than by the drag.
    QCOMPARE(QPoint(symbol->Left(), symbol->Top()), QPoint(40, 50));
    const QFontMetrics fm(symbol->DrawFont());
    QCOMPARE(symbol->Width(), int(1.1 * fm.horizontalAdvance(QChar(0x2709))) + symbol->TextOrigin().x());
    QVERIFY(ui.allUsed());
}

void TestSymbol::fontsForManyObjectsLeaveSymbols()
{
    TGBusinessCardPanel32 panel;
    auto* symbol = newSymbol(panel);
    auto* text = new TGMultiLineLabel;
    text->SetParent(&panel);
    text->Loaded();
    panel.AttachObject(text);
    panel.SetAllFontNames(QStringLiteral("Liberation Serif"));
    QCOMPARE(text->Font().Name, QStringLiteral("Liberation Serif"));
    QCOMPARE(symbol->Font().Name, QStringLiteral("WingDings"));
    TFont other;
    other.Name = QStringLiteral("Liberation Sans");
    other.SetSize(8);
    symbol->ApplyFont(other);
    QCOMPARE(symbol->Font().Name, QStringLiteral("WingDings"));
    QCOMPARE(symbol->Font().Size(), 24);
    text->ApplyFont(other);
    QCOMPARE(text->Font(), other);
}

void TestSymbol::roundTripByteForByte()
{
    // Objects made without a panel keep whatever size they are given; the
    // symbols' stored sizes are not their glyphs' sizes here.
    QList<TGGraphicControl*> objects;
    auto* text = new TGMultiLineLabel;
    text->SetName(QStringLiteral("Component0"));
    text->SetBounds(8, 9, 190, 60);
    text->SetItems({ QStringLiteral("Unit 4, Riverside"), QString(), QStringLiteral("   "), QStringLiteral("Straße & Co. ✓") });
    text->SetAlignment(taCenter);
    text->SetWordWrap(true);
    text->SetAutoSize(true);
    TFont tf = text->Font();
    tf.Name = QStringLiteral("Liberation Serif");
    tf.Italic = true;
    tf.Color = clNavy;
    text->SetFont(tf);
    objects << text;
    auto* blank = new TGMultiLineLabel;
    blank->SetName(QStringLiteral("Component1"));
    objects << blank;
    const std::pair<const char*, int> symbols[] = { { "WingDings", 0x28 }, { "Symbol", 0xE5 }, { "Wingdings", 0x80 },
        { "Webdings", 0xFF } };
    int n = 2;
    for (auto [font, code] : symbols) {
        auto* s = new TGSymbolLabel;
        s->SetName(QStringLiteral("Component%1").arg(n));
        s->SetBounds(20 * n, 10, 77, 66);
        TFont f = s->Font();
        f.Name = QString::fromLatin1(font);
        s->SetFont(f);
        s->SetCaption(QString(SymbolFonts::CharOfCode(code)));
        s->SetDepthShadow(2);
        objects << s;
        ++n;
    }
    const QByteArray first = streamOf(objects);
    qDeleteAll(objects);
    // The stored sample is these bytes (a seed of the stream fuzzer too):
    // what the property tables write stays what they wrote before.
    QFile stored(QStringLiteral(BRISVALE_TEST_DATA "/designs/multiline-symbols.qrd"));
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), first);

    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    const QList<TGGraphicControl*> read = filer.ReadStream(first, target, target);
    QCOMPARE(read.size(), 6);
    auto* t = qobject_cast<TGMultiLineLabel*>(read[0]);
    QVERIFY(t);
    QCOMPARE(t->Items().size(), 4);
    QVERIFY(t->WordWrap() && t->AutoSize());
    QVERIFY(!t->WrappedLines().isEmpty());
    QVERIFY(qobject_cast<TGMultiLineLabel*>(read[1])->Items().isEmpty());
    auto* s = qobject_cast<TGSymbolLabel*>(read[2]);
    QVERIFY(s);
    QCOMPARE(s->Font().Name, QStringLiteral("WingDings"));
    QCOMPARE(SymbolFonts::CodeOf(s->Caption().at(0)), 0x28);
    QCOMPARE(s->BoundsRect(), TRect::FromBounds(40, 10, 77, 66));
    QCOMPARE(SymbolFonts::CodeOf(qobject_cast<TGSymbolLabel*>(read[4])->Caption().at(0)), 0x80);
    QCOMPARE(streamOf(read), first);

    // Shown on the card, a symbol fits the glyph drawn here; its font name
    // and character stay as stored, and the multi-line text is untouched.
    target.resize(400, 200);
    const QImage card = target.RenderScreen();
    if (qEnvironmentVariableIsSet("BRISVALE_SHOTS"))
        card.save(QStringLiteral("symbol-card.png"));
    const QByteArray shown = streamOf(read);
    QCOMPARE(shown.left(shown.indexOf("TGSymbolLabel")), first.left(first.indexOf("TGSymbolLabel")));
    QCOMPARE(s->Font().Name, QStringLiteral("WingDings"));
    QCOMPARE(SymbolFonts::CodeOf(s->Caption().at(0)), 0x28);
    QVERIFY(s->BoundsRect() != TRect::FromBounds(40, 10, 77, 66));
}

QTEST_MAIN(TestSymbol)
#include "tst_symbol.moc"
