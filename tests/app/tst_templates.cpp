// Starting a design from a template through the main window, the template
// chooser's sample and keyboard rule, writing a template, and the font list
// with "Change all fonts to...".
#include "MainScreenKit.h"

#include "app/ChangeFontAll.h"
#include "app/FontListBox.h"
#include "app/SelectPreviewTemplate.h"
#include "objects/BusinessCardLabel.h"
#include "objects/MultiLineLabel.h"
#include "objects/SymbolLabel.h"
#include "surface/GraphicControl.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace bv;
using namespace bv::test;

namespace {
const QByteArray sampleTemplate = "[Name]\nWidth=150\nCaption=Your Own Name\nFont Name=DejaVu Sans\n"
                                  "[Shape1]\nWidth=60\nHeight=30\n[Card Data]\nPortrait Mode=1\n"
                                  "Background File=  Stars.BMP \n";

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT
private slots:
    void newFromTemplate_data();
    void newFromTemplate();
    void holdingAKeyDefersTheSample();
    void writeIniWritesTemplateThatReadsBack();
    void fontRowsFallBackToAllFonts_data();
    void fontRowsFallBackToAllFonts();
    void changeAllFontsTouchesOnlyTextObjects();
};

void TestTemplates::newFromTemplate_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("templateText");
    QTest::addColumn<int>("objects");
    QTest::addColumn<QString>("background"); // file name of BackgroundFile, or empty
    QTest::addColumn<bool>("portrait");
    QTest::newRow("ok") << mrOk << sampleTemplate << 2 << "Stars.BMP" << true;
    QTest::newRow("blank background entry") << mrOk << QByteArray("[Label1]\nWidth=50\n[Card Data]\nBackground File= \n")
                                            << 1 << "" << false;
    QTest::newRow("cancel keeps the design as it was") << mrCancel << sampleTemplate << 1 << ""
                                                                  << false;
}

void TestTemplates::newFromTemplate()
{
    QFETCH(int, answer);
    QFETCH(QByteArray, templateText);
    QFETCH(int, objects);
    QFETCH(QString, background);
    QFETCH(bool, portrait);
    ProgramHome home;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    writeFile(home.path(QStringLiteral("qrdt/a.qrdt")), templateText);
    addRectangle(*w, 10, 10, 40, 20);
    w->Document().SetChangesMade(false);

    QString fontChosen;
    int sampleObjects = -1;
    ui.answerDialog([&](QDialog& dialog) {
        auto& chooser = dynamic_cast<TSelectPreviewTemplate&>(dialog);
        chooser.FontListBox1->setCurrentRow(chooser.FontListBox1->count() - 1);
        chooser.FontListBox1Click();
        fontChosen = chooser.SelectedFont;
        sampleObjects = chooser.BusinessCardPanel->ObjectCount();
        return answer;
    });
    action(*w, "NewFromTemplate1")->trigger();
    QCOMPARE(sampleObjects, QString::fromLatin1(templateText).count(QLatin1String("Width=")));
    QCOMPARE(cardPanel(*w)->ObjectCount(), objects);
    // The changed mark tells whether the card differs from the saved one:
    // a cancelled chooser changed nothing.
    QCOMPARE(w->Document().ChangesMade(), answer == mrOk);
    QCOMPARE(child<QPushButton>(*w, "Cancelbutton")->isVisibleTo(w.get()), answer == mrOk);
    QCOMPARE(QFileInfo(w->Document().BackgroundFile()).fileName(), background);
    if (!background.isEmpty())
        QCOMPARE(w->Document().BackgroundFile(), home.path(QStringLiteral("bg/Stars.BMP")));
    QCOMPARE(w->Document().CardLayout().Portrait, portrait);
    if (answer == mrOk) {
        const auto* label = dynamic_cast<TGBusinessCardLabel*>(cardPanel(*w)->Objects().last());
        QVERIFY(label);
        QCOMPARE(label->Font().Name, fontChosen);
        // A portrait card is higher than wide.
        QCOMPARE(cardPanel(*w)->height() > cardPanel(*w)->width(), portrait);
    }
}

void TestTemplates::holdingAKeyDefersTheSample()
{
    ProgramHome home;
    ScriptedInteraction ui;
    for (const char* name : { "a.qrdt", "b.qrdt", "c.qrdt" })
        writeFile(home.path(QStringLiteral("qrdt/") + QLatin1String(name)), sampleTemplate);
    TSelectPreviewTemplate chooser;
    chooser.show();
    QTRY_COMPARE(chooser.Refreshes(), 1);
    QCOMPARE(chooser.BusinessCardPanel->ObjectCount(), 2);
    chooser.FileListBox1->setFocus();
    // Down held: two auto-repeated presses move the selection, no refresh.
    QTest::sendKeyEvent(QTest::Press, chooser.FileListBox1, Qt::Key_Down, QString(), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Press, chooser.FileListBox1, Qt::Key_Down, QString(), Qt::NoModifier);
    QCoreApplication::processEvents();
    QCOMPARE(chooser.FileListBox1->currentRow(), 2);
    QVERIFY(chooser.TemplateKeyHeld());
    chooser.FileListBox1Click();
    QCOMPARE(chooser.Refreshes(), 1);
    // Released: one refresh, of the template now selected.
    QTest::sendKeyEvent(QTest::Release, chooser.FileListBox1, Qt::Key_Down, QString(), Qt::NoModifier);
    QTRY_COMPARE(chooser.Refreshes(), 2);
    QVERIFY(!chooser.TemplateKeyHeld());
    QVERIFY(chooser.SelectedFile.endsWith(QStringLiteral("c.qrdt")));
    QCOMPARE(chooser.BusinessCardPanel->ObjectCount(), 2);
}

void TestTemplates::writeIniWritesTemplateThatReadsBack()
{
    ProgramHome home;
    ScriptedInteraction ui;
    writeFile(home.path(QStringLiteral("IAmDeveloping.dat")), "");
    auto w = startMainScreen();
    QVERIFY(action(*w, "WriteIni")->isVisible());
    addRectangle(*w, 12, 14, 40, 20);
    w->Document().SetBackgroundFile(home.path(QStringLiteral("bg/Marble.bmp")));
    const QString path = home.path(QStringLiteral("qrdt/Template.QRDT"));
    ui.answerSaveFile(path);
    ui.expectInfo();
    action(*w, "WriteIni")->trigger();
    QCOMPARE(ui.messages().last(), QStringLiteral("Saved as ") + path);
    const ProfileFile written(path);
    QCOMPARE(written.ReadInteger(QStringLiteral("Shape1"), QStringLiteral("Left"), 0), 12);
    QCOMPARE(written.ReadString(QStringLiteral("Card Data"), QStringLiteral("Background File")),
        QStringLiteral("Marble.bmp"));
}

void TestTemplates::fontRowsFallBackToAllFonts_data()
{
    QTest::addColumn<QStringList>("outline");
    QTest::addColumn<QStringList>("rows");
    const QString longName(40, QLatin1Char('x'));
    QTest::newRow("outline fonts only, sorted") << QStringList { "zeta", "Alpha" } << QStringList { "Alpha", "zeta" };
    QTest::newRow("no outline font: every font")
        << QStringList() << QStringList { "Alpha", "Fixed", "longer than a face name is", "zeta" };
}

void TestTemplates::fontRowsFallBackToAllFonts()
{
    QFETCH(QStringList, outline);
    QFETCH(QStringList, rows);
    const QStringList all { "zeta", "Fixed", "Alpha", "longer than a face name is allowed to be" };
    QStringList expected = rows;
    for (QString& r : expected)
        if (r.startsWith(QLatin1String("longer")))
            r = all[3].left(31);
    QCOMPARE(TFontListBoxx::RowsFor(all, [&](const QString& f) { return outline.contains(f); }), expected);
}

void TestTemplates::changeAllFontsTouchesOnlyTextObjects()
{
    ProgramHome home;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    auto* label = new TGBusinessCardLabel;
    cardPanel(*w)->AddObject(label, TRect { 5, 5, 100, 25 });
    auto* lines = new TGMultiLineLabel;
    cardPanel(*w)->AddObject(lines, TRect { 5, 30, 100, 80 });
    auto* symbol = new TGSymbolLabel;
    cardPanel(*w)->AddObject(symbol, TRect { 120, 5, 150, 40 });
    const QString symbolFont = symbol->Font().Name;

    QString chosen;
    ui.answerDialog([&](QDialog& dialog) {
        auto& d = dynamic_cast<TChangeFontAll&>(dialog);
        // Filled and the first row selected on creation.
        if (d.FontListBox1->count() == 0 || d.FontListBox1->currentRow() != 0)
            return mrCancel;
        d.FontListBox1->setCurrentRow(d.FontListBox1->count() - 1);
        chosen = d.SelectedFont();
        if (d.SampleBoldItalic->font().family() != chosen)
            return mrCancel;
        return mrOk;
    });
    action(*w, "Changeallfontsto1")->trigger();
    QVERIFY(!chosen.isEmpty());
    QCOMPARE(label->Font().Name, chosen);
    QCOMPARE(lines->Font().Name, chosen);
    QCOMPARE(symbol->Font().Name, symbolFont);
    QVERIFY(w->Document().ChangesMade());
}

QTEST_MAIN(TestTemplates)
#include "tst_templates.moc"
