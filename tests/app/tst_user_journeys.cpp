// Whole journeys a new user takes, each in one test, with clicks and keys
// only: personal information, a card from a standing template, then a
// blank one; a picture clicked in the browser and a word-wrapped text,
// exported as a PDF sheet and compared with the screen.
#include "MainScreenKit.h"
#include "app/PersonalInformation.h"
#include "app/SelectPreviewTemplate.h"
#include "app/FontListBox.h"
#include "objects/BaseLabel.h"
#include "objects/MultiLineLabel.h"
#include "printing/PrintTestKit.h"
#include "support/UserInput.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

using namespace bv;
using namespace bv::test;

namespace {

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { pdf, QStringLiteral("-") });
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

QStringList captionsOn(const TGBusinessCardPanel32& panel)
{
    QStringList out;
    for (TGGraphicControl* o : panel.Objects())
        if (auto* label = qobject_cast<TGBaseLabel*>(o))
            out << label->DisplayedCaption();
    return out;
}

} // namespace

class TestUserJourneys : public QObject {
    Q_OBJECT
private slots:
    void personalInformationIntoAStandingTemplateThenBlank();
    void pictureAndWrappedTextExportedAsPdf();

private:
    ProgramHome home;
};

void TestUserJourneys::personalInformationIntoAStandingTemplateThenBlank()
{
    ScriptedInteraction ui;
    ui.allowMessages();
    auto w = startMainScreen();
    TGBusinessCardPanel32& panel = *cardPanel(*w);
    QVERIFY(panel.width() > panel.height());

    // Edit > Personal Information: a name and a company typed in.
    ui.answerDialog([&](QDialog& d) {
        auto& info = static_cast<TPersonalInformation&>(d);
        return workDialog(d, [&] {
            typeInto(*info.pPersonalName, QStringLiteral("Dana Whitlock"));
            typeInto(*info.pPersonalCompany, QStringLiteral("Whitlock Joinery"));
            clickButton(*info.OkButton);
        });
    });
    action(*w, "PersonalInformation1")->trigger();

    // File > New - Select From Templates: the standing teal card, in a font
    // clicked in the list.
    ui.answerDialog([&](QDialog& d) {
        auto& chooser = static_cast<TSelectPreviewTemplate&>(d);
        return workDialog(d, [&] {
            clickRowNamed(*chooser.FileListBox1, QStringLiteral("VerticalTeal.QRDT"));
            clickRowNamed(*chooser.FontListBox1, QStringLiteral("DejaVu Serif"));
            clickButton(*chooser.OkButton);
        });
    });
    action(*w, "NewFromTemplate1")->trigger();
    QVERIFY(panel.height() > panel.width());
    const QStringList captions = captionsOn(panel);
    QVERIFY2(captions.contains(QStringLiteral("Dana Whitlock")), qPrintable(captions.join(" | ")));
    QVERIFY(captions.contains(QStringLiteral("Whitlock Joinery")));

    // File > New - Blank: an empty card lying in the default layout.
    ui.answerSaveChanges(SaveAnswer::DontSave);
    action(*w, "New1")->trigger();
    QVERIFY(ui.allUsed());
    QCOMPARE(panel.ObjectCount(), 0);
    QVERIFY2(panel.width() > panel.height(), qPrintable(QStringLiteral("%1 x %2").arg(panel.width()).arg(panel.height())));
}

void TestUserJourneys::pictureAndWrappedTextExportedAsPdf()
{
    if (!havePdftoppm())
        QSKIP("pdftoppm is not installed");
    QTemporaryDir dir;
    QImage logo(60, 40, QImage::Format_RGB32);
    logo.fill(QColor(220, 0, 0));
    QVERIFY(logo.save(dir.filePath(QStringLiteral("logo.bmp"))));
    const QString words = QStringLiteral("Fine joinery and cabinet making since nineteen hundred and ninety");

    ScriptedInteraction ui;
    auto w = startMainScreen();
    TGBusinessCardPanel32& panel = *cardPanel(*w);

    // The picture tool, a click on the card, the picture clicked in the browser.
    ui.answerDialog([&](QDialog& d) {
        return workDialog(d, [&] {
            typeInto(*d.findChild<QLineEdit*>(QStringLiteral("PathEdit")), dir.path(), true);
            clickRowNamed(*d.findChild<QListWidget*>(QStringLiteral("FileListBox1")), QStringLiteral("logo.bmp"));
            clickButton(*d.findChild<QPushButton*>(QStringLiteral("OKButton")));
        });
    });
    clickButton(*child<QToolButton>(*w, "DrawImageButton"));
    dragOn(panel, QPoint(12, 12), QPoint(12, 12));
    QCOMPARE(panel.ObjectCount(), 1);

    // The multi-line tool dragged beside it, a sentence typed: it wraps.
    ui.answerDialog([&](QDialog& d) {
        return workDialog(d, [&] {
            typeInto(*d.findChild<QWidget*>(QStringLiteral("Memo")), words);
            clickButton(*d.findChild<QPushButton*>(QStringLiteral("OKButton")));
        });
    });
    clickButton(*child<QToolButton>(*w, "DrawMLTextButton"));
    dragOn(panel, QPoint(100, 20), QPoint(300, 40));
    QCOMPARE(panel.ObjectCount(), 2);
    auto* text = qobject_cast<TGMultiLineLabel*>(panel.Objects().last());
    QVERIFY(text && text->WordWrap());
    QVERIFY(text->Left() + text->Width() <= panel.width());

    // File > Export Sheet as PDF: the file is there when the message says so.
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    ui.answerSaveFile(pdf);
    ui.expectInfo();
    action(*w, "mnuExportSheetPdf")->trigger();
    QVERIFY(ui.allUsed());
    QCOMPARE(ui.messages(), QStringList { QStringLiteral("Saved as ") + pdf });
    QVERIFY(QFileInfo::exists(pdf));

    // Paper and screen agree: the picture's red where the screen has it (the
    // first card sits 0.75 inch from the left and 0.5 inch from the top of
    // the sheet), and every word of the text.
    const QImage screen = panel.RenderToBitmap();
    const QList<QImage> pages = rasterizePdf(pdf, 300);
    QVERIFY(!pages.isEmpty());
    for (const QPoint at : { QPoint(20, 20), QPoint(60, 40), QPoint(80, 60), QPoint(200, 120) }) {
        const QPoint onPaper(qRound((0.75 + at.x() / 96.0) * 300), qRound((0.5 + at.y() / 96.0) * 300));
        const QColor s = screen.pixelColor(at);
        const QColor p = pages.first().pixelColor(onPaper);
        QVERIFY2(std::abs(s.red() - p.red()) < 40 && std::abs(s.green() - p.green()) < 40
                && std::abs(s.blue() - p.blue()) < 40,
            qPrintable(QStringLiteral("at %1,%2: screen %3, paper %4")
                           .arg(at.x()).arg(at.y()).arg(s.name(), p.name())));
    }
    QVERIFY(pdfText(pdf).contains(QStringLiteral("cabinet making")));
}

QTEST_MAIN(TestUserJourneys)
#include "tst_user_journeys.moc"
