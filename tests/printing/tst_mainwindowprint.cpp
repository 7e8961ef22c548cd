// The print commands as the main window offers them: the Print button from
// the card on the panel to a PDF sheet, Preview with the zoom put back, and
// the fine-tuning entry saving the nudges the next sheet uses.
#include "PrintTestKit.h"
#include "app/MainScreenKit.h"

#include "pageengine/PagePrinter.h"
#include "printing/PreviewForm.h"
#include "printing/PrintCardsDialog.h"
#include "printing/PrintCommands.h"
#include "printing/PrintFineTune.h"

#include <QAction>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

using namespace bv;
using namespace bv::test;

class TestMainWindowPrint : public QObject {
    Q_OBJECT
private slots:
    void init() { home = std::make_unique<ProgramHome>(); }
    void cleanup() { home.reset(); }

    void printButtonPrintsTheChosenCards();
    void previewButtonShowsOneCardAndKeepsTheZoom();
    void fineTuningEntrySavesNudgesForTheNextSheet();

private:
    std::unique_ptr<ProgramHome> home;
};

void TestMainWindowPrint::printButtonPrintsTheChosenCards()
{
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) is needed to read the sheet back");
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QVERIFY(w->PrinterAvailable());
    QVERIFY(w->Printing().MainPagePrinter());
    const QString pdf = home->path(QStringLiteral("window.pdf"));
    w->Printing().MainPagePrinter()->SetOutputFileName(pdf);
    addRectangle(*w, 24, 48, 96, 48, 0x00FF0000);
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        d.FormActivate();
        QTest::mouseClick(d.NoneButton, Qt::LeftButton);
        QTest::mouseClick(d.PaintBox1, Qt::LeftButton, Qt::NoModifier, d.PositionRect(3).center());
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    ui.answerDialog(runStatusWindow);
    QTest::mouseClick(child<QPushButton>(*w, "PrintButton"), Qt::LeftButton);
    QVERIFY(ui.allUsed());
    // The window keeps the choice for the next job.
    QVERIFY(w->Printing().SelectedCards[3]);
    QVERIFY(!w->Printing().SelectedCards[0]);
    const QList<QImage> pages = rasterizePdf(pdf, 100);
    QCOMPARE(pages.size(), 1);
    // Card 3 at (4.25, 2.5): the rectangle from (4.5, 3.0) to (5.5, 3.5).
    const QImage& page = pages[0];
    QVERIFY(std::abs(firstX(page, 325, 400, 600, isInk) - 450) <= 1);
    QVERIFY(std::abs(lastX(page, 325, 400, 600, isInk) - 549) <= 1);
    QVERIFY(std::abs(firstY(page, 500, 250, 400, isInk) - 300) <= 1);
    QVERIFY(std::abs(lastY(page, 500, 250, 400, isInk) - 349) <= 1);
    QVERIFY(isBlue(page.pixel(500, 325)));
    // Card 0 was not chosen.
    QVERIFY(!isInk(page.pixel(150, 125)));
}

void TestMainWindowPrint::previewButtonShowsOneCardAndKeepsTheZoom()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 24, 48, 96, 48, 0x00FF0000);
    w->ZoomIn();
    const Single zoom = cardPanel(*w)->Zoom();
    QVERIFY(zoom > 1.0f);
    QImage shown;
    ui.answerDialog(runStatusWindow);
    ui.answerDialog([&](QDialog& dialog) {
        auto& preview = static_cast<TPreviewForm&>(dialog);
        preview.FormActivate();
        shown = preview.PagePreview1.PageImage();
        QTest::mouseClick(preview.CloseButton, Qt::LeftButton);
        return preview.result();
    });
    QTest::mouseClick(child<QPushButton>(*w, "Previewbutton"), Qt::LeftButton);
    QVERIFY(ui.allUsed());
    QVERIFY(!w->Printing().PrintMode);
    QCOMPARE(cardPanel(*w)->Zoom(), zoom);
    // The rectangle of card 0 at true size, 96 ppi: (96, 96) to (191, 143).
    QVERIFY(!shown.isNull());
    QVERIFY(isBlue(shown.pixel(140, 120)));
    QVERIFY(std::abs(firstX(shown, 120, 80, 140, isInk) - 96) <= 1);
    QVERIFY(std::abs(lastY(shown, 140, 100, 200, isInk) - 143) <= 1);
    // Card 1 is not previewed.
    QVERIFY(!isInk(shown.pixel(140 + 336, 120)));
}

void TestMainWindowPrint::fineTuningEntrySavesNudgesForTheNextSheet()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TPrintFineTune&>(dialog);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(d.DownButton[TPrintFineTune::VerticalSpacing], Qt::LeftButton);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    action(*w, "mnuPrinterFineTuning")->trigger();
    QVERIFY(ui.allUsed());
    QCOMPARE(w->Printing().Preferences->Nudges.VerticalSpacing, 3);
    QCOMPARE(TSettings().LoadPreferences().Nudges.VerticalSpacing, 3);
    QCOMPARE(w->Printing().CurrentImposition().VPitch, 2.0 + 3 / 32.0);
}

QTEST_MAIN(TestMainWindowPrint)
#include "tst_mainwindowprint.moc"
