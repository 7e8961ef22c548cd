// The "Text 3D Effects" dialog, driven through its lists with the keyboard:
// it opens on the label's values, every choice goes to the live sample only,
// "Ok" hands the sample's values to the label and reports a change, Cancel
// leaves the label untouched. Fonts: "Liberation Sans".
#include "objects/BusinessCardLabel.h"
#include "objects/ColorCombo.h"
#include "objects/Font3DEffects.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace bv;

namespace {

// Picks entry `index` of a list as the user would: Home, then Down.
void choose(QComboBox* combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

QAction* menuItem(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

struct Fixture {
    TGBusinessCardPanel32 panel;
    TGBusinessCardLabel* label = new TGBusinessCardLabel;
    Fixture()
    {
        label->SetParent(&panel);
        TFont f;
        f.Name = QStringLiteral("Liberation Sans");
        f.SetSize(14);
        f.Color = clNavy;
        label->SetFont(f);
        label->SetDirectionShadow(sdDown);
        label->SetDepthShadow(2);
        label->SetDirectionHighlight(hdUp);
        label->SetDepthHighlight(1);
        label->SetcolorShadow(clGray);
        label->SetcolorHighlight(clYellow);
        label->Loaded();
    }
};

} // namespace

class TestFont3DEffects : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }

    void opensOnTheLabelsValues();
    void okHandsSampleValuesToLabel();
    void cancelLeavesLabelUntouched();
    void depthAboveTenKeptUnlessChosen();
    void sampleRedrawsAtOnceAndIgnoresZoom();
    void okWithoutChangeStillReportsChange();
    void otherColourThroughColourDialog();
};

void TestFont3DEffects::opensOnTheLabelsValues()
{
    Fixture fx;
    TGFont3DEffects dialog;
    dialog.SetTarget(fx.label);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Text 3D Effects"));
    QCOMPARE(dialog.size(), QSize(467, 338));
    QCOMPARE(dialog.ShadowDirection->currentIndex(), int(sdDown));
    QCOMPARE(dialog.ShadowDirection->currentText(), QStringLiteral("Down"));
    QCOMPARE(dialog.ShadowDepth->currentIndex(), 2);
    QCOMPARE(dialog.HighlightDirection->currentText(), QStringLiteral("Up"));
    QCOMPARE(dialog.HighLightDepth->currentIndex(), 1);
    QCOMPARE(dialog.ShadowColorCombo->Color(), clGray);
    QCOMPARE(dialog.HighLightColorCombo->Color(), clYellow);
    QCOMPARE(dialog.FontColorCombo->Color(), clNavy);
    QCOMPARE(dialog.ShadowDepth->count(), 11);
    QCOMPARE(dialog.HighlightDirection->itemText(4), QStringLiteral("Upper Left"));
    QCOMPARE(dialog.ShadowColorCombo->maxVisibleItems(), 18);

    TGPLabel* sample = dialog.Sample();
    QCOMPARE(sample->Caption(), QStringLiteral("Text"));
    QCOMPARE(sample->Font(), fx.label->Font());
    QCOMPARE(sample->DirectionShadow(), sdDown);
    QCOMPARE(sample->DepthShadow(), 2);
    QCOMPARE(sample->DirectionHighlight(), hdUp);
    QCOMPARE(sample->DepthHighlight(), 1);
    QCOMPARE(sample->colorShadow(), clGray);
    QCOMPARE(sample->colorHighlight(), clYellow);
    QCOMPARE(sample->Width(), dialog.Panel4->width());
}

void TestFont3DEffects::okHandsSampleValuesToLabel()
{
    test::ScriptedInteraction ui;
    Fixture fx;
    QSignalSpy changed(&fx.panel, &TGBasePanel::LabelChangedEvent);
    ui.answerDialog([](QDialog& d) -> int {
        auto& dialog = static_cast<TGFont3DEffects&>(d);
        dialog.show();
        choose(dialog.ShadowDirection, 4); // "Lower Left"
        choose(dialog.ShadowDepth, 7);
        choose(dialog.HighlightDirection, 2); // "Left"
        choose(dialog.HighLightDepth, 3);
        choose(dialog.ShadowColorCombo, 9); // Red
        choose(dialog.HighLightColorCombo, 12); // Blue
        choose(dialog.FontColorCombo, 2); // Green
        [&] {
            // Only the sample has changed so far.
            QCOMPARE(dialog.Sample()->DirectionShadow(), sdDownLeft);
            QCOMPARE(dialog.Sample()->Font().Color, clGreen);
            QCOMPARE(dialog.Target()->DirectionShadow(), sdDown);
            QCOMPARE(dialog.Target()->Font().Color, clNavy);
        }();
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        return dialog.result();
    });
    menuItem(fx.label->ContextMenu(), "3D Effects")->trigger();
    QVERIFY(ui.allUsed());
    TGBusinessCardLabel& l = *fx.label;
    QCOMPARE(l.DirectionShadow(), sdDownLeft);
    QCOMPARE(l.DepthShadow(), 7);
    QCOMPARE(l.ShadowOffset(), QPoint(-7, 7));
    QCOMPARE(l.DirectionHighlight(), hdLeft);
    QCOMPARE(l.DepthHighlight(), 3);
    QCOMPARE(l.HighlightOffset(), QPoint(-3, 0));
    QCOMPARE(l.colorShadow(), clRed);
    QCOMPARE(l.colorHighlight(), clBlue);
    QCOMPARE(l.Font().Color, clGreen);
    QCOMPARE(l.Font().Name, QStringLiteral("Liberation Sans"));
    QCOMPARE(l.Font().Height, -MulDiv(14, 96, 72));
    QVERIFY(changed.count() >= 1);
}

void TestFont3DEffects::cancelLeavesLabelUntouched()
{
    test::ScriptedInteraction ui;
    Fixture fx;
    QSignalSpy changed(&fx.panel, &TGBasePanel::LabelChangedEvent);
    ui.answerDialog([](QDialog& d) -> int {
        auto& dialog = static_cast<TGFont3DEffects&>(d);
        dialog.show();
        choose(dialog.ShadowDepth, 9);
        choose(dialog.FontColorCombo, 9);
        QTest::mouseClick(dialog.Cancelbutton, Qt::LeftButton);
        return dialog.result();
    });
    fx.label->Edit3DEffects();
    QCOMPARE(fx.label->DepthShadow(), 2);
    QCOMPARE(fx.label->Font().Color, clNavy);
    QCOMPARE(changed.count(), 0);

    // Escape is Cancel too.
    ui.answerDialog([](QDialog& d) -> int {
        auto& dialog = static_cast<TGFont3DEffects&>(d);
        dialog.show();
        choose(dialog.HighLightDepth, 5);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        return dialog.result();
    });
    fx.label->Edit3DEffects();
    QCOMPARE(fx.label->DepthHighlight(), 1);
}

void TestFont3DEffects::depthAboveTenKeptUnlessChosen()
{
    test::ScriptedInteraction ui;
    Fixture fx;
    fx.label->SetDepthShadow(12);
    fx.label->SetDepthHighlight(15);
    ui.answerDialog([](QDialog& d) -> int {
        auto& dialog = static_cast<TGFont3DEffects&>(d);
        [&] {
            QCOMPARE(dialog.ShadowDepth->currentIndex(), -1);
            QCOMPARE(dialog.HighLightDepth->currentIndex(), -1);
        }();
        dialog.show();
        choose(dialog.HighLightDepth, 4);
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        return dialog.result();
    });
    fx.label->Edit3DEffects();
    QCOMPARE(fx.label->DepthShadow(), 12);
    QCOMPARE(fx.label->DepthHighlight(), 4);
}

void TestFont3DEffects::sampleRedrawsAtOnceAndIgnoresZoom()
{
    Fixture fx;
    fx.label->SetZoom(1.5f);
    TGFont3DEffects dialog;
    dialog.SetTarget(fx.label);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // The sample measures with the stored size, the card with the zoomed one.
    QCOMPARE(dialog.Sample()->DrawFont().pixelSize(), MulDiv(14, 96, 72));
    QCOMPARE(fx.label->DrawFont().pixelSize(), MulDiv(21, 96, 72));

    const QImage before = dialog.Panel4->grab().toImage();
    choose(dialog.ShadowDepth, 6);
    choose(dialog.ShadowColorCombo, 9); // Red
    const QImage after = dialog.Panel4->grab().toImage();
    QVERIFY(before != after);
    int red = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            const QColor c = after.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    QVERIFY(red > 10);
    // "None" hides the copy whatever its depth.
    choose(dialog.ShadowDirection, 0);
    const QImage none = dialog.Panel4->grab().toImage();
    int redLeft = 0;
    for (int y = 0; y < none.height(); ++y)
        for (int x = 0; x < none.width(); ++x) {
            const QColor c = none.pixelColor(x, y);
            redLeft += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
    QCOMPARE(redLeft, 0);
    if (qEnvironmentVariableIsSet("BRISVALE_SHOTS"))
        dialog.grab().save(QStringLiteral("/tmp/font3d.png"));
}

void TestFont3DEffects::okWithoutChangeStillReportsChange()
{
    test::ScriptedInteraction ui;
    Fixture fx;
    const TFont font = fx.label->Font();
    QSignalSpy changed(&fx.panel, &TGBasePanel::LabelChangedEvent);
    ui.answerDialog([](QDialog& d) -> int {
        auto& dialog = static_cast<TGFont3DEffects&>(d);
        dialog.show();
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        return dialog.result();
    });
    fx.label->Edit3DEffects();
    QCOMPARE(fx.label->Font(), font);
    QCOMPARE(fx.label->DepthShadow(), 2);
    QCOMPARE(fx.label->DirectionHighlight(), hdUp);
    QCOMPARE(changed.count(), 1);
}

void TestFont3DEffects::otherColourThroughColourDialog()
{
    test::ScriptedInteraction ui;
    Fixture fx;
    ui.answerColour(QColor(0x12, 0x34, 0x56));
    ui.answerColour(std::nullopt);
    ui.answerDialog([](QDialog& d) -> int {
        auto& dialog = static_cast<TGFont3DEffects&>(d);
        dialog.show();
        // "Other...", the last entry, opens the colour dialog.
        dialog.HighLightColorCombo->setFocus();
        QTest::keyClick(dialog.HighLightColorCombo, Qt::Key_End);
        [&] { QCOMPARE(dialog.HighLightColorCombo->Color(), TColor(0x563412)); }();
        dialog.ShadowColorCombo->setFocus();
        QTest::keyClick(dialog.ShadowColorCombo, Qt::Key_End); // cancelled: stays grey
        [&] { QCOMPARE(dialog.ShadowColorCombo->Color(), clGray); }();
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        return dialog.result();
    });
    fx.label->Edit3DEffects();
    QCOMPARE(fx.label->colorHighlight(), TColor(0x563412));
    QCOMPARE(fx.label->colorShadow(), clGray);
    QVERIFY(ui.allUsed());
}

QTEST_MAIN(TestFont3DEffects)
#include "tst_font3d.moc"
