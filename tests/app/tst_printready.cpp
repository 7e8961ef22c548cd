// Getting a card ready for a print shop from the main window: the export's
// options dialog worked with the keyboard and the mouse, read back from the
// written PDF's boxes with poppler's pdfinfo; the bleed and safe-zone guides
// on screen, found by their pixels where 1/8 inch at 96 pixels per inch
// (12 pixels at 100 %) puts them.
#include "MainScreenKit.h"

#include "app/CardGuides.h"
#include "printing/PrintShopDialog.h"
#include "surface/CompanionFile.h"

#include <QCheckBox>
#include <QPushButton>
#include <QDoubleSpinBox>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace bv;
using namespace bv::test;

namespace {

// A box of `pdfinfo -box` (points from the page's lower-left corner).
QRectF pdfBox(const QString& info, const QString& name)
{
    const QRegularExpressionMatch m =
        QRegularExpression(name + QStringLiteral(":\\s+([-0-9.]+)\\s+([-0-9.]+)\\s+([-0-9.]+)\\s+([-0-9.]+)"))
            .match(info);
    if (!m.hasMatch())
        return {};
    return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
        QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
}

bool tinted(QRgb c)
{
    return qRed(c) > 230 && qGreen(c) > 180 && qGreen(c) < 235 && std::abs(qGreen(c) - qBlue(c)) < 10;
}

bool blueLine(QRgb c)
{
    return qBlue(c) > 150 && qRed(c) < 80;
}

} // namespace

class TestPrintReady : public QObject {
    Q_OBJECT
private slots:
    void init() { home = std::make_unique<ProgramHome>(); }
    void cleanup()
    {
        home.reset();
        QLocale::setDefault(QLocale::c());
    }
    void exportDialogGivesTheBoxes_data();
    void exportDialogGivesTheBoxes();
    void exportOffersTheBackBesideTheDesign();
    void guidesShowWhenOnAndNotWhenOff();

private:
    std::unique_ptr<ProgramHome> home;
};

void TestPrintReady::exportDialogGivesTheBoxes_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed"); // into the bleed edit; empty: left as offered
    QTest::addColumn<bool>("clickMarks");
    // Bleed on each side and the crop-mark margin outside it, in points.
    QTest::addColumn<double>("bleed");
    QTest::addColumn<double>("margin");
    // 1/8 inch = 9 pt; marks take 3/8 inch = 27 pt.
    QTest::newRow("inches: Enter takes 1/8 inch and marks") << "en_US" << "" << false << 9.0 << 27.0;
    // 5 mm = 14.173 pt; the click takes the marks off.
    QTest::newRow("millimetres: 5 typed, marks clicked off") << "de_DE" << "5" << true << 14.1732 << 0.0;
    // 0.2 inch = 14.4 pt.
    QTest::newRow("inches: 0.2 typed") << "en_US" << "0.2" << false << 14.4 << 27.0;
}

void TestPrintReady::exportDialogGivesTheBoxes()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is needed to read the boxes back");
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(bool, clickMarks);
    QFETCH(double, bleed);
    QFETCH(double, margin);
    QLocale::setDefault(QLocale(locale));
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 0, 0, 336, 192);
    const QString pdf = home->path(QStringLiteral("shop.pdf"));
    ui.answerDialog([&](QDialog& dialog) {
        auto& d = static_cast<TPrintShopDialog&>(dialog);
        d.show();
        QApplication::setActiveWindow(&d);
        if (!QTest::qWaitForWindowExposed(&d))
            return int(mrCancel);
        d.BleedEdit->setFocus(Qt::TabFocusReason);
        if (!typed.isEmpty()) {
            QTest::keyClick(d.BleedEdit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(d.BleedEdit, typed);
        }
        if (clickMarks)
            QTest::mouseClick(d.CropMarksBox, Qt::LeftButton, {}, QPoint(8, d.CropMarksBox->height() / 2));
        QTest::keyClick(d.BleedEdit, Qt::Key_Return);
        return d.result();
    });
    ui.answerSaveFile(pdf);
    ui.expectInfo();
    QVERIFY(w->Document().mnuExportPrintShopClick());
    QVERIFY(ui.allUsed());

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { QStringLiteral("-box"), pdf });
    QVERIFY(info.waitForFinished(10000));
    const QString out = QString::fromLatin1(info.readAllStandardOutput());
    const QRectF media = pdfBox(out, QStringLiteral("MediaBox"));
    const QRectF bleedBox = pdfBox(out, QStringLiteral("BleedBox"));
    const QRectF trim = pdfBox(out, QStringLiteral("TrimBox"));
    QVERIFY2(!trim.isEmpty() && !bleedBox.isEmpty(), qPrintable(out));
    // The card is 3.5 x 2 inches: 252 x 144 pt.
    QVERIFY2(std::abs(trim.width() - 252) < 0.02 && std::abs(trim.height() - 144) < 0.02, qPrintable(out));
    QVERIFY2(std::abs(bleedBox.width() - (252 + 2 * bleed)) < 0.02, qPrintable(out));
    QVERIFY2(std::abs(bleedBox.height() - (144 + 2 * bleed)) < 0.02, qPrintable(out));
    QVERIFY2(std::abs(trim.left() - bleedBox.left() - bleed) < 0.02, qPrintable(out));
    QVERIFY2(std::abs(bleedBox.left() - margin) < 0.02, qPrintable(out));
    // The page holds the bleed box, to the point's hundredth.
    QVERIFY2(std::abs(media.width() - (252 + 2 * bleed + 2 * margin)) < 0.02, qPrintable(out));
    QVERIFY2(std::abs(media.height() - (144 + 2 * bleed + 2 * margin)) < 0.02, qPrintable(out));
}

void TestPrintReady::exportOffersTheBackBesideTheDesign()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is needed to count the pages");
    ScriptedInteraction ui;
    auto w = startMainScreen();
    const QString front = home->path(QStringLiteral("card.QRD"));
    const QString back = home->path(QStringLiteral("card.back.QRD"));
    QVERIFY(QFile::copy(QStringLiteral(BRISVALE_TEST_DATA "/designs/empty.qrd"), back));
    WriteCompanionFile(CompanionPath(back), QString(), CompanionLayout());
    w->Document().SetCurrentFileName(front);
    const QString pdf = home->path(QStringLiteral("both.pdf"));
    QString offered;
    ui.answerDialog([&](QDialog& dialog) {
        auto& d = static_cast<TPrintShopDialog&>(dialog);
        d.show();
        offered = d.BackBox->isVisible() && d.BackBox->isChecked() ? d.BackBox->text() : QString();
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    ui.answerSaveFile(pdf);
    ui.expectInfo();
    QVERIFY(w->Document().mnuExportPrintShopClick());
    QVERIFY2(offered.contains(QStringLiteral("card.back.QRD")), qPrintable(offered));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { pdf });
    QVERIFY(info.waitForFinished(10000));
    QVERIFY(QString::fromLatin1(info.readAllStandardOutput()).contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b"))));
}

void TestPrintReady::guidesShowWhenOnAndNotWhenOff()
{
    QLocale::setDefault(QLocale(QStringLiteral("en_US"))); // inches: a 1/8 inch bleed at first
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QWidget* holder = child(*w, "CardHolder");
    TGBusinessCardPanel32* panel = cardPanel(*w);
    QAction* guides = action(*w, "mnuGuides");
    QVERIFY(!guides->isChecked());
    auto look = [&] {
        QCoreApplication::processEvents();
        return holder->grab().toImage();
    };
    // Off: nothing around the card, nothing on it.
    QImage off = look();
    QCOMPARE(panel->pos(), QPoint(10, 7));
    QVERIFY(!tinted(off.pixel(5, 60)));
    QVERIFY(!blueLine(off.pixel(10 + 12, 7 + 60)));

    guides->trigger();
    // On at 100 %: the card moves in by the 12-pixel bleed, which is tinted
    // around it; the safe line lies 12 pixels inside the card's edge.
    QImage on = look();
    QCOMPARE(panel->pos(), QPoint(22, 19));
    for (const QPoint& p : { QPoint(16, 80), QPoint(100, 12), QPoint(22 + 336 + 6, 80), QPoint(100, 19 + 192 + 6) })
        QVERIFY2(tinted(on.pixel(p)), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    QVERIFY(!tinted(on.pixel(22 + 336 + 13, 80))); // beyond the bleed
    auto lineAt = [&](const QImage& img, int x, int y0, int y1) {
        int hits = 0;
        for (int y = y0; y < y1; ++y)
            hits += blueLine(img.pixel(x, y));
        return hits;
    };
    QVERIFY(lineAt(on, 22 + 12, 19 + 40, 19 + 150) > 20); // dashed: not every pixel
    QCOMPARE(lineAt(on, 22 + 20, 19 + 40, 19 + 150), 0);
    // The card's own picture, which printing uses, has no guides.
    QCOMPARE(lineAt(panel->RenderScreen(), 12, 40, 150), 0);

    // At 150 % both are half as far again: 18 pixels.
    for (int i = 0; i < 5; ++i)
        w->ZoomIn();
    QVERIFY(std::abs(panel->Zoom() - 1.5f) < 0.01f);
    const QImage zoomed = look();
    QCOMPARE(panel->pos(), QPoint(28, 25));
    QVERIFY(tinted(zoomed.pixel(12, 100)));
    QVERIFY(lineAt(zoomed, 28 + 18, 25 + 60, 25 + 220) > 40);
    QCOMPARE(lineAt(zoomed, 28 + 12, 25 + 60, 25 + 220), 0);

    // Remembered for the next start.
    w.reset();
    w = startMainScreen();
    QVERIFY(action(*w, "mnuGuides")->isChecked());
    action(*w, "mnuGuides")->trigger();
    holder = child(*w, "CardHolder");
    const QImage offAgain = look();
    QCOMPARE(cardPanel(*w)->pos(), QPoint(10, 7));
    QVERIFY(!tinted(offAgain.pixel(5, 60)));
    QCOMPARE(lineAt(offAgain, 10 + 12, 7 + 40, 7 + 150), 0);
}

QTEST_MAIN(TestPrintReady)
#include "tst_printready.moc"
