// Sheets through the real printer path: the Print and outline commands into
// (also crop marks and bleed asked for in the Print dialog, at 300 dpi)
// a PDF file, the same through a CUPS queue that writes PDF files (cups-pdf),
// and `brisvale-batch sheet`. Each PDF is read back with pdftoppm at 100 dpi
// and the cards are looked for where the layout puts them, within a pixel.
// The CUPS test skips when no cups-pdf queue is set up (scripts/cups-setup.sh
// makes one).
#include "PrintTestKit.h"

#include "app/DesignClasses.h"
#include "document/CardDocument.h"
#include "document/Settings.h"
#include "objects/PLabel.h"
#include "pageengine/PagePrinter.h"
#include "platform/Dib.h"
#include "platform/ProfileFile.h"
#include "printing/PreviewForm.h"
#include "printing/PrintCardsDialog.h"
#include "printing/PrintCommands.h"
#include "support/ScriptedInteraction.h"
#include "surface/CompanionFile.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLocale>
#include <QDirIterator>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

Q_DECLARE_METATYPE(bv::TCardLayout)

using namespace bv;
using namespace bv::test;

namespace {

// The blue box printed for every card: (0.25, 0.5) inch on the card, 1 inch
// wide and 0.5 high (0.5 wide and 1 high on a turned card).
QRect expectedBox(const TImposition& sheet, int row, int column, double pageHeight)
{
    const QPointF o = sheet.Origin(row, column, pageHeight);
    const double w = sheet.Rotated ? 0.5 : 1.0;
    const double h = sheet.Rotated ? 1.0 : 0.5;
    const double x = o.x() + 0.25;
    const double y = o.y() + 0.5;
    return QRect(QPoint(qRound(x * 100), qRound(y * 100)), QPoint(qRound((x + w) * 100) - 1, qRound((y + h) * 100) - 1));
}

// Checks that the box lies where expected (edges within one pixel) by
// walking out from its centre.
QString boxMismatch(const QImage& page, const QRect& want)
{
    const QPoint c = want.center();
    if (!isBlue(page.pixel(c)))
        return QStringLiteral("no box at %1,%2").arg(c.x()).arg(c.y());
    const int l = firstX(page, c.y(), want.left() - 5, c.x(), isBlue);
    const int r = lastX(page, c.y(), c.x(), want.right() + 6, isBlue);
    const int t = firstY(page, c.x(), want.top() - 5, c.y(), isBlue);
    const int b = lastY(page, c.x(), c.y(), want.bottom() + 6, isBlue);
    if (std::abs(l - want.left()) > 1 || std::abs(r - want.right()) > 1 || std::abs(t - want.top()) > 1
        || std::abs(b - want.bottom()) > 1)
        return QStringLiteral("box (%1,%2)-(%3,%4), expected (%5,%6)-(%7,%8)")
            .arg(l).arg(t).arg(r).arg(b).arg(want.left()).arg(want.top()).arg(want.right()).arg(want.bottom());
    return {};
}

// A text label on the card (Liberation Sans through "Arial") below the box.
TGPLabel* addPhoneLabel(TGBasePanel& panel, int angle)
{
    auto* label = new TGPLabel;
    label->SetParent(&panel);
    TFont f;
    f.Name = QStringLiteral("Arial");
    f.Height = -13;
    label->SetFont(f);
    label->SetCaption(QStringLiteral("Phone 555 0100"));
    if (angle == 0)
        label->SetBounds(20, 110, 250, 20);
    else
        label->SetBounds(130, 20, 20, 250);
    label->SetAngle(angle);
    label->Loaded();
    return label;
}

// The ink of the panel's labels as the screen draws them, in card pixels.
QRect screenTextInk(TGBasePanel& panel, const QSize& card)
{
    QImage img(card, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    for (TGGraphicControl* o : panel.Objects())
        if (o->inherits("bv::TGBaseLabel"))
            o->PaintAt(p, o->Left(), o->Top());
    p.end();
    QRect ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 160)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// Compares the dark (not blue) ink around where the screen's text ink falls
// on a 100-dpi page for a card at `origin` inches: within a pixel.
QString textMismatch(const QImage& page, const QPointF& origin, const QRect& screen)
{
    auto at100 = [](double inches) { return inches * 100; };
    const QRectF want(QPointF(at100(origin.x() + screen.left() / kPpi), at100(origin.y() + screen.top() / kPpi)),
                      QPointF(at100(origin.x() + (screen.right() + 1) / kPpi),
                              at100(origin.y() + (screen.bottom() + 1) / kPpi)));
    const QRect area = want.toAlignedRect().adjusted(-15, -15, 15, 15).intersected(page.rect());
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = page.pixel(x, y);
            if (qGray(c) < 160 && !isBlue(c))
                ink |= QRect(x, y, 1, 1);
        }
    const QRectF got(ink.left(), ink.top(), ink.width(), ink.height());
    if (ink.isEmpty() || std::abs(got.left() - want.left()) > 1.5 || std::abs(got.top() - want.top()) > 1.5
        || std::abs(got.right() - want.right()) > 1.5 || std::abs(got.bottom() - want.bottom()) > 1.5)
        return QStringLiteral("text ink (%1,%2)-(%3,%4), expected (%5,%6)-(%7,%8)")
            .arg(got.left()).arg(got.top()).arg(got.right()).arg(got.bottom())
            .arg(want.left()).arg(want.top()).arg(want.right()).arg(want.bottom());
    return {};
}

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

// Checks every position of the sheet: a box where selected, paper elsewhere.
void checkCards(const QImage& page, const TImposition& sheet, const TCardSelection& selected)
{
    const double pageHeight = sheet.Rotated ? 8.5 : 11.0;
    QCOMPARE(page.size(), sheet.Rotated ? QSize(1100, 850) : QSize(850, 1100));
    for (int row = 0; row < sheet.Down; ++row) {
        for (int column = 0; column < sheet.Across; ++column) {
            const QRect want = expectedBox(sheet, row, column, pageHeight);
            if (selected[row * sheet.Across + column]) {
                const QString problem = boxMismatch(page, want);
                QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("card %1: ").arg(row * sheet.Across + column + 1)
                                                       + problem));
            } else {
                QVERIFY2(!isInk(page.pixel(want.center())),
                         qPrintable(QStringLiteral("card %1 printed").arg(row * sheet.Across + column + 1)));
            }
        }
    }
}

// Checks the outline of each selected card (one-pixel lines) on an outline
// test page.
void checkOutlines(const QImage& page, const TImposition& sheet, const TCardSelection& selected)
{
    const double pageHeight = sheet.Rotated ? 8.5 : 11.0;
    for (int row = 0; row < sheet.Down; ++row) {
        for (int column = 0; column < sheet.Across; ++column) {
            if (!selected[row * sheet.Across + column])
                continue;
            const QRectF box = sheet.CardBox(sheet.Origin(row, column, pageHeight));
            const int l = qRound(box.left() * 100);
            const int t = qRound(box.top() * 100);
            const int r = qRound(box.right() * 100);
            const int b = qRound(box.bottom() * 100);
            const int midY = (t + b) / 2;
            const int midX = (l + r) / 2;
            const int foundL = firstX(page, midY, l - 3, midX, isInk);
            const int foundR = lastX(page, midY, midX, r + 3, isInk);
            const int foundT = firstY(page, midX, t - 3, midY, isInk);
            const int foundB = lastY(page, midX, midY, b + 3, isInk);
            QVERIFY2(std::abs(foundL - l) <= 1 && std::abs(foundR - r) <= 1 && std::abs(foundT - t) <= 1
                         && std::abs(foundB - b) <= 1,
                     qPrintable(QStringLiteral("outline (%1,%2)-(%3,%4), expected (%5,%6)-(%7,%8)")
                                    .arg(foundL).arg(foundT).arg(foundR).arg(foundB).arg(l).arg(t).arg(r).arg(b)));
            QVERIFY(!isInk(page.pixel(midX, midY)));
        }
    }
}

TCardSelection only(std::initializer_list<int> positions)
{
    TCardSelection s;
    s.fill(false);
    for (int p : positions)
        s[p] = true;
    return s;
}

// The "Print Cards" dialog as a user answers it: the given cards, `sheets`.
ScriptedInteraction::DialogHandler chooseCards(QList<int> cards, int sheets)
{
    return [cards, sheets](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        d.FormActivate();
        QTest::mouseClick(d.NoneButton, Qt::LeftButton);
        for (int c : cards)
            QTest::mouseClick(d.PaintBox1, Qt::LeftButton, Qt::NoModifier, d.PositionRect(c).center());
        d.pages->setValue(sheets);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    };
}

// A cups-pdf queue and the folder its files land in.
struct CupsPdfQueue {
    QString name;
    QStringList folders;
};

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

std::optional<CupsPdfQueue> findCupsPdfQueue()
{
    if (QStandardPaths::findExecutable(QStringLiteral("lpstat")).isEmpty())
        return std::nullopt;
    const QString devices = run(QStringLiteral("lpstat"), {QStringLiteral("-v")});
    CupsPdfQueue queue;
    const QStringList known = QPrinterInfo::availablePrinterNames();
    const QString preferred = QPrinterInfo::defaultPrinterName();
    for (const QString& line : devices.split(QLatin1Char('\n'))) {
        // "device for NAME: cups-pdf:/"
        const int colon = line.indexOf(QStringLiteral(": cups-pdf:"));
        if (colon < 0 || !line.startsWith(QStringLiteral("device for ")))
            continue;
        const QString name = line.mid(11, colon - 11);
        if (!known.contains(name))
            continue;
        if (queue.name.isEmpty() || name == preferred)
            queue.name = name;
    }
    if (queue.name.isEmpty())
        return std::nullopt;
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromLocal8Bit(conf.readAll()).split(QLatin1Char('\n'))) {
            const QString t = line.trimmed();
            if (t.startsWith(QStringLiteral("Out ")))
                out = t.mid(4).trimmed();
        }
    }
    // cups-pdf writes into the home folder the user database gives the
    // job's owner, whatever HOME says.
    QString user = qEnvironmentVariable("USER", QStringLiteral("root"));
    QString userHome = QDir::homePath();
    if (const passwd* pw = getpwuid(getuid())) {
        user = QString::fromLocal8Bit(pw->pw_name);
        userHome = QString::fromLocal8Bit(pw->pw_dir);
    }
    QString outHome = out;
    out.replace(QStringLiteral("${HOME}"), userHome).replace(QStringLiteral("${USER}"), user);
    outHome.replace(QStringLiteral("${HOME}"), QDir::homePath()).replace(QStringLiteral("${USER}"), user);
    queue.folders = {out, outHome, userHome + QStringLiteral("/PDF"), QStringLiteral("/var/spool/cups-pdf/ANONYMOUS"),
                     QStringLiteral("/var/spool/cups-pdf/") + user};
    queue.folders.removeDuplicates();
    return queue;
}

QMap<QString, QDateTime> pdfFiles(const QStringList& folders)
{
    QMap<QString, QDateTime> files;
    for (const QString& folder : folders) {
        QDirIterator it(folder, {QStringLiteral("*.pdf")}, QDir::Files);
        while (it.hasNext()) {
            const QString f = it.next();
            files.insert(QFileInfo(f).canonicalFilePath(), QFileInfo(f).lastModified());
        }
    }
    return files;
}

// True when the file is a whole PDF: it ends with the end-of-file marker.
bool completePdf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 16)
        return false;
    f.seek(std::max<qint64>(0, f.size() - 1024));
    return f.read(1024).contains("%%EOF");
}

// Waits (a minute at most) for cups-pdf to write a new file; empty if none.
QString waitForNewPdf(const QStringList& folders, const QMap<QString, QDateTime>& before)
{
    for (int i = 0; i < 600; ++i) {
        const QMap<QString, QDateTime> now = pdfFiles(folders);
        for (auto it = now.begin(); it != now.end(); ++it) {
            if (before.contains(it.key()) && before.value(it.key()) == it.value())
                continue;
            if (completePdf(it.key()))
                return it.key();
        }
        QTest::qWait(100);
    }
    return {};
}

} // namespace

class TestSheetPdf : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void printCommandWritesTheSheet_data();
    void printCommandWritesTheSheet();
    void sheetsWithoutDriverCopiesArePages();
    void outlineTestPageFromThePrintDialog();
    void printOnACupsQueue_data();
    void printOnACupsQueue();
    void batchSheetPrintsLikeThePrintCommand();
    void batchSheetTextMatchesTheCardPicture_data();
    void batchSheetTextMatchesTheCardPicture();
    void batchSheetRefusesBadInput_data();
    void batchSheetRefusesBadInput();
    void sheetPreviewShowsThePagesThatPrint();
    void outlineTestPageOnTheCardsPaper();
    void printQualityPictureMatchesTheCardPicture();
    void cropMarksAndBleedOnAPrintedSheet_data();
    void cropMarksAndBleedOnAPrintedSheet();

private:
    std::unique_ptr<TPagePrinter> pdfPrinter(const QString& name)
    {
        auto printer = std::make_unique<TPagePrinter>();
        printer->SetOutputFileName(home.filePath(name));
        return printer;
    }
    QTemporaryDir home;
};

void TestSheetPdf::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    QVERIFY(home.isValid());
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) is needed to read the sheets back");
}

void TestSheetPdf::printCommandWritesTheSheet_data()
{
    QTest::addColumn<bool>("rotated");
    QTest::addColumn<int>("topNudge");
    QTest::addColumn<int>("leftNudge");
    QTest::addColumn<QList<int>>("cards");
    QTest::newRow("default layout, every card") << false << 0 << 0 << QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    QTest::newRow("nudged, three cards") << false << 8 << -4 << QList<int>({0, 3, 8});
    QTest::newRow("rotated, every card") << true << 0 << 0 << QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    QTest::newRow("rotated and nudged, two cards") << true << 3 << 2 << QList<int>({1, 6});
}

void TestSheetPdf::printCommandWritesTheSheet()
{
    QFETCH(bool, rotated);
    QFETCH(int, topNudge);
    QFETCH(int, leftNudge);
    QFETCH(QList<int>, cards);
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    panel.SetRotated(rotated);
    if (rotated)
        addPrintBox(panel, 24, 48, 48, 96);
    else
        addPrintBox(panel, 24, 48, 96, 48);
    addPhoneLabel(panel, rotated ? 90 : 0);
    const QRect textInk = screenTextInk(panel, QSize(400, 400));
    TCardLayout layout;
    layout.Portrait = rotated;
    TPreferences preferences;
    preferences.Nudges.TopMargin = topNudge;
    preferences.Nudges.LeftMargin = leftNudge;
    preferences.ShowBottomMarginWarning = false;
    TPrintCommands printing(panel.Model());
    printing.Layout = [&] { return layout; };
    printing.Preferences = &preferences;
    const QString file = QStringLiteral("print-%1.pdf").arg(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
    printing.SetMainPagePrinter(pdfPrinter(file));
    ui.answerDialog(chooseCards(cards, 1));
    ui.answerDialog(runStatusWindow);
    printing.mnuPrintClick();
    QVERIFY(ui.allUsed());
    QVERIFY(printing.LastOutcome().Error.isEmpty());
    const QList<QImage> pages = rasterizePdf(home.filePath(file), 100);
    QCOMPARE(pages.size(), 1);
    TCardSelection selected;
    selected.fill(false);
    for (int c : cards)
        selected[c] = true;
    checkCards(pages[0], printing.CurrentImposition(), selected);
    const TImposition& sheet = printing.CurrentImposition();
    const int first = cards.first();
    const QString problem =
        textMismatch(pages[0], sheet.Origin(first / sheet.Across, first % sheet.Across, rotated ? 8.5 : 11.0), textInk);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(pdfText(home.filePath(file)).contains(QStringLiteral("Phone 555 0100")));
}

void TestSheetPdf::sheetsWithoutDriverCopiesArePages()
{
    // A PDF file makes no copies by itself: three sheets are three pages.
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 24, 48, 96, 48);
    TPrintCommands printing(panel.Model());
    printing.SetMainPagePrinter(pdfPrinter(QStringLiteral("three.pdf")));
    QCOMPARE(printing.MainPagePrinter()->DriverCopies(), 1);
    ui.answerDialog(chooseCards({2}, 3));
    ui.answerDialog(runStatusWindow);
    printing.mnuPrintClick();
    QVERIFY(ui.allUsed());
    QCOMPARE(printing.MainPagePrinter()->Copies(), 1);
    const QList<QImage> pages = rasterizePdf(home.filePath(QStringLiteral("three.pdf")), 100);
    QCOMPARE(pages.size(), 3);
    for (const QImage& page : pages)
        checkCards(page, printing.CurrentImposition(), only({2}));
}

void TestSheetPdf::outlineTestPageFromThePrintDialog()
{
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    PrintBox* box = addPrintBox(panel, 24, 48, 96, 48);
    TPrintCommands printing(panel.Model());
    printing.SelectedCards = only({0, 5, 9});
    printing.SetMainPagePrinter(pdfPrinter(QStringLiteral("outline.pdf")));
    ui.answerDialog([](QDialog& dialog) {
        // The print dialog: two copies, confirmed.
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (!print)
            return int(mrCancel);
        print->printer()->setCopyCount(2);
        return int(mrOk);
    });
    ui.answerDialog(runStatusWindow);
    printing.mnuPrintOutlineTestPageClick();
    QVERIFY(ui.allUsed());
    QCOMPARE(box->prints, 0);
    // Two sheets into a file are two pages: a file makes no copies.
    QCOMPARE(printing.LastOutcome().Copies, 1);
    const QList<QImage> pages = rasterizePdf(home.filePath(QStringLiteral("outline.pdf")), 100);
    QCOMPARE(pages.size(), 2);
    checkOutlines(pages[0], printing.CurrentImposition(), only({0, 5, 9}));
    // Card 2 was not chosen: no outline where it would be.
    QVERIFY(!isInk(pages[0].pixel(600, 50)));
    QCOMPARE(pages[1], pages[0]);
}

void TestSheetPdf::printOnACupsQueue_data()
{
    QTest::addColumn<bool>("rotated");
    QTest::newRow("default layout") << false;
    QTest::newRow("rotated layout") << true;
}

void TestSheetPdf::printOnACupsQueue()
{
    QFETCH(bool, rotated);
    const std::optional<CupsPdfQueue> queue = findCupsPdfQueue();
    if (!queue) {
        // CI sets the queue up; there a missing queue is a broken set-up, not a reason to skip.
        if (qEnvironmentVariableIsSet("BRISVALE_REQUIRE_CUPS"))
            QFAIL("BRISVALE_REQUIRE_CUPS is set but no CUPS queue writes PDF files");
        QSKIP("no CUPS queue writing PDF files (cups-pdf); scripts/cups-setup.sh sets one up");
    }
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    panel.SetRotated(rotated);
    if (rotated)
        addPrintBox(panel, 24, 48, 48, 96);
    else
        addPrintBox(panel, 24, 48, 96, 48);
    addPhoneLabel(panel, rotated ? 90 : 0);
    const QRect textInk = screenTextInk(panel, QSize(400, 400));
    TCardLayout layout;
    layout.Portrait = rotated;
    TPrintCommands printing(panel.Model());
    printing.Layout = [&] { return layout; };
    auto printer = std::make_unique<TPagePrinter>();
    QVERIFY(printer->SetPrinterName(queue->name));
    printing.SetMainPagePrinter(std::move(printer));
    printing.PrinterBottomMargin = [] { return 0.0; };
    const QMap<QString, QDateTime> before = pdfFiles(queue->folders);
    const QList<int> cards = {0, 3, 4, 9};
    ui.answerDialog(chooseCards(cards, 1));
    ui.answerDialog(runStatusWindow);
    printing.mnuPrintClick();
    QVERIFY(ui.allUsed());
    QVERIFY2(printing.LastOutcome().Error.isEmpty(), qPrintable(printing.LastOutcome().Error));
    const QString written = waitForNewPdf(queue->folders, before);
    QVERIFY2(!written.isEmpty(), qPrintable(QStringLiteral("no PDF from queue %1 in %2")
                                                .arg(queue->name, queue->folders.join(QStringLiteral(", ")))));
    const QString copy = home.filePath(QStringLiteral("cups-%1.pdf").arg(rotated ? 1 : 0));
    QFile::remove(copy);
    QVERIFY(QFile::copy(written, copy));
    QList<QImage> pages = rasterizePdf(copy, 100);
    QCOMPARE(pages.size(), 1);
    if (rotated && pages[0].width() < pages[0].height()) {
        // CUPS puts the landscape page on the portrait paper turned a
        // quarter anticlockwise; turn it back to compare.
        pages[0] = pages[0].transformed(QTransform().rotate(90));
    }
    TCardSelection selected;
    selected.fill(false);
    for (int c : cards)
        selected[c] = true;
    checkCards(pages[0], printing.CurrentImposition(), selected);
    const QString problem = textMismatch(pages[0], printing.CurrentImposition().Origin(0, 0, rotated ? 8.5 : 11.0), textInk);
    // (The queue's filters may re-encode the letters, so the text itself is
    // checked in the PDFs the program writes, not in what cups-pdf makes.)
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestSheetPdf::batchSheetPrintsLikeThePrintCommand()
{
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch");
    if (!QFileInfo(batch).isExecutable())
        QSKIP("brisvale-batch is not built");
    // A design with a companion file: 3 across on A4, rotated; nudges in
    // QRD.INI.
    QTemporaryDir work;
    const QString design = work.filePath(QStringLiteral("card.qrd"));
    QVERIFY(QFile::copy(QStringLiteral(BRISVALE_TEST_DATA "/designs/empty.qrd"), design));
    CompanionLayout stored;
    stored.across = 3;
    stored.down = 3;
    stored.height = 2000;
    stored.width = 2500;
    stored.hPitch = 2600;
    stored.vPitch = 2100;
    stored.topMargin = 400;
    stored.leftMargin = 300;
    stored.paperSize = PaperA4;
    stored.usePortrait = true;
    WriteCompanionFile(CompanionPath(design), QString(), stored);
    QTemporaryDir batchHome;
    TPreferences preferences;
    preferences.Nudges = TPrinterNudges{4, -2, 0, 1};
    TSettings(batchHome.filePath(QStringLiteral("QRD.INI"))).SavePreferences(preferences);

    const QString out = work.filePath(QStringLiteral("sheet.pdf"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRISVALE_HOME"), batchHome.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(batch, {QStringLiteral("sheet"), design, out, QStringLiteral("--outline"), QStringLiteral("--sheets"),
                    QStringLiteral("2"), QStringLiteral("--positions"), QStringLiteral("1,5-6,9")});
    QVERIFY(p.waitForFinished(120000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QCOMPARE(QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed(),
             QStringLiteral("8 card(s) on 2 sheet(s) to ") + QDir::toNativeSeparators(out));
    const QList<QImage> pages = rasterizePdf(out, 100);
    QCOMPARE(pages.size(), 2);
    // A4 landscape at 100 dpi (11.69 inches wide).
    QVERIFY(std::abs(pages[0].width() - 1169) <= 1);
    QCOMPARE(pages[0].height(), 827);
    TCardLayout layout;
    layout.Across = 3;
    layout.Down = 3;
    layout.Height = 2.0f;
    layout.Width = 2.5f;
    layout.HPitch = 2.6f;
    layout.VPitch = 2.1f;
    layout.TopMargin = 0.4f;
    layout.LeftMargin = 0.3f;
    TImposition sheet = TImposition::FromLayout(layout, preferences.Nudges, true);
    // The turned A4 page is 8.268 inches high.
    for (int index : {0, 4, 5, 8}) {
        const int row = index / 3;
        const int column = index % 3;
        const QRectF box = sheet.CardBox(sheet.Origin(row, column, 210.0 / 25.4));
        const int l = qRound(box.left() * 100);
        const int t = qRound(box.top() * 100);
        const int r = qRound(box.right() * 100);
        const int b = qRound(box.bottom() * 100);
        const int midY = (t + b) / 2;
        const int midX = (l + r) / 2;
        QVERIFY2(std::abs(firstX(pages[0], midY, l - 3, midX, isInk) - l) <= 1, qPrintable(QString::number(index)));
        QVERIFY2(std::abs(lastX(pages[0], midY, midX, r + 3, isInk) - r) <= 1, qPrintable(QString::number(index)));
        QVERIFY2(std::abs(firstY(pages[0], midX, t - 3, midY, isInk) - t) <= 1, qPrintable(QString::number(index)));
        QVERIFY2(std::abs(lastY(pages[0], midX, midY, b + 3, isInk) - b) <= 1, qPrintable(QString::number(index)));
    }
    QCOMPARE(pages[1], pages[0]);
}

void TestSheetPdf::batchSheetTextMatchesTheCardPicture_data()
{
    QTest::addColumn<int>("angle");
    QTest::newRow("level") << 0;
    QTest::newRow("turned a quarter") << 90;
    QTest::newRow("upside down") << 180;
    QTest::newRow("turned three quarters") << 270;
}

void TestSheetPdf::batchSheetTextMatchesTheCardPicture()
{
    // A design with one line of text: the card picture of `render` and card 1
    // of the `sheet` PDF show the same ink, and the PDF holds the text.
    QFETCH(int, angle);
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch");
    if (!QFileInfo(batch).isExecutable())
        QSKIP("brisvale-batch is not built");
    QTemporaryDir work;
    const QString design = work.filePath(QStringLiteral("card.QRD"));
    {
        TGBusinessCardPanel32 panel;
        addPhoneLabel(panel, angle);
        WriteDesign(panel.Model(), design, QString(), TCardLayout());
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("BRISVALE_PPI"), QStringLiteral("96"));
    p.setProcessEnvironment(env);
    const QString picture = work.filePath(QStringLiteral("card.bmp"));
    const QString sheetPdf = work.filePath(QStringLiteral("sheet.pdf"));
    for (const QStringList& args : {QStringList{QStringLiteral("render"), design, picture},
                                    QStringList{QStringLiteral("sheet"), design, sheetPdf}}) {
        p.start(batch, args);
        QVERIFY(p.waitForFinished(120000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    }
    const QImage card = Dib::FromFile(picture).Image().convertToFormat(QImage::Format_RGB32);
    QRect screen;
    for (int y = 0; y < card.height(); ++y)
        for (int x = 0; x < card.width(); ++x)
            if (qGray(card.pixel(x, y)) < 160)
                screen |= QRect(x, y, 1, 1);
    QVERIFY(!screen.isEmpty());
    const QList<QImage> pages = rasterizePdf(sheetPdf, 100);
    QVERIFY(!pages.isEmpty());
    const QString problem = textMismatch(pages[0], QPointF(0.75, 0.5), screen);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(pdfText(sheetPdf).contains(QStringLiteral("Phone 555 0100")));
}

void TestSheetPdf::batchSheetRefusesBadInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString design = QStringLiteral(BRISVALE_TEST_DATA "/designs/empty.qrd");
    QTest::newRow("no output") << QStringList({design}) << "sheet needs DESIGN.QRD and OUT.pdf";
    QTest::newRow("missing design") << QStringList({QStringLiteral("/nonexistent/x.qrd"), QStringLiteral("x.pdf")})
                                    << "no such design file";
    QTest::newRow("card 11 of 10") << QStringList({design, QStringLiteral("x.pdf"), QStringLiteral("--positions"),
                                                   QStringLiteral("2,11")})
                                   << "--positions must name cards from 1 to 10";
    QTest::newRow("sheets 0") << QStringList({design, QStringLiteral("x.pdf"), QStringLiteral("--sheets"),
                                              QStringLiteral("0")})
                              << "--sheets takes a number from 1 to 99";
    QTest::newRow("unknown queue") << QStringList({design, QStringLiteral("--printer"),
                                                   QStringLiteral("No_Such_Queue_Here")})
                                   << "no print queue named No_Such_Queue_Here";
    QTest::newRow("unwritable PDF") << QStringList({design, QStringLiteral("/nonexistent/dir/x.pdf")})
                                    << "Unable to start printing";
}

void TestSheetPdf::batchSheetRefusesBadInput()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch");
    if (!QFileInfo(batch).isExecutable())
        QSKIP("brisvale-batch is not built");
    QTemporaryDir batchHome;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRISVALE_HOME"), batchHome.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(batchHome.path());
    p.start(batch, QStringList({QStringLiteral("sheet")}) + args);
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
}

void TestSheetPdf::sheetPreviewShowsThePagesThatPrint()
{
    // Preview Sheet with cards 1, 4 and 7 on two sheets: the preview's pages
    // are the pages its Print button then prints, card for card.
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 24, 48, 96, 48);
    addPhoneLabel(panel, 0);
    const QRect textInk = screenTextInk(panel, QSize(400, 400));
    TPrintCommands printing(panel.Model());
    const QString file = QStringLiteral("preview-sheet.pdf");
    printing.SetMainPagePrinter(pdfPrinter(file));
    const QList<int> cards = {0, 3, 6};
    QList<QImage> previewed;
    ui.answerDialog(chooseCards(cards, 2));
    ui.answerDialog(runStatusWindow);
    ui.answerDialog([&](QDialog& dialog) {
        auto& preview = static_cast<TPreviewForm&>(dialog);
        preview.FormActivate();
        if (!preview.PrintSheetButton->isVisibleTo(&preview))
            return int(mrCancel);
        for (int page = 1; page <= preview.PagePreview1.PageCount(); ++page)
            previewed.append(preview.PagePreview1.RenderPage(page, 100).convertToFormat(QImage::Format_RGB32));
        QTest::mouseClick(preview.PrintSheetButton, Qt::LeftButton);
        return int(mrOk);
    });
    ui.answerDialog(runStatusWindow);
    printing.mnuPreviewSheetClick();
    QVERIFY(ui.allUsed());
    QVERIFY2(printing.LastOutcome().Error.isEmpty(), qPrintable(printing.LastOutcome().Error));
    const QList<QImage> printed = rasterizePdf(home.filePath(file), 100);
    QCOMPARE(previewed.size(), 2);
    QCOMPARE(printed.size(), 2);
    const TImposition sheet = printing.CurrentImposition();
    for (int page = 0; page < 2; ++page) {
        for (const QImage& image : {previewed[page], printed[page]}) {
            checkCards(image, sheet, only({0, 3, 6}));
            for (int c : cards) {
                const QString problem = textMismatch(image, sheet.Origin(c / sheet.Across, c % sheet.Across, 11.0), textInk);
                QVERIFY2(problem.isEmpty(), qPrintable(problem));
            }
        }
    }
}

void TestSheetPdf::outlineTestPageOnTheCardsPaper()
{
    // An A4 layout: the outline test page comes out on A4, as the cards do.
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    TPrintCommands printing(panel.Model());
    TCardLayout layout;
    layout.Papersize = PaperA4;
    printing.Layout = [&] { return layout; };
    printing.SetMainPagePrinter(pdfPrinter(QStringLiteral("outline-a4.pdf")));
    ui.answerDialog([](QDialog&) { return int(mrOk); });
    ui.answerDialog(runStatusWindow);
    printing.mnuPrintOutlineTestPageClick();
    QVERIFY(ui.allUsed());
    const QList<QImage> pages = rasterizePdf(home.filePath(QStringLiteral("outline-a4.pdf")), 100);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].size(), QSize(827, 1170)); // 8.27 × 11.69 in
}

void TestSheetPdf::printQualityPictureMatchesTheCardPicture()
{
    // The 600-dpi card picture has the ink of the screen's card picture,
    // scaled, within a screen pixel: text, a box and a line.
    TGBusinessCardPanel32 panel;
    panel.resize(336, 192);
    addPhoneLabel(panel, 0);
    addPhoneLabel(panel, 90);
    addPrintBox(panel, 24, 48, 96, 48);
    const QImage screen = RenderCardPicture(panel.Model(), true);
    const QImage fine = RenderCardPictureAtDpi(panel.Model(), 600, true);
    QCOMPARE(fine.size(), QSize(2100, 1200));
    QCOMPARE(fine.dotsPerMeterX(), 23622);
    auto inkIn = [](const QImage& img, const QRect& area) {
        QRect ink;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(img.pixel(x, y)) < 160)
                    ink |= QRect(x, y, 1, 1);
        return ink;
    };
    const double k = 600.0 / kPpi;
    // Inside the border: each label's area.
    for (const QRect area : {QRect(10, 100, 300, 40), QRect(120, 10, 40, 270).intersected(QRect(0, 0, 336, 192))}) {
        const QRect a = inkIn(screen, area);
        const QRect scaledArea(QPoint(int(area.left() * k), int(area.top() * k)),
                               QPoint(int((area.right() + 1) * k) - 1, int((area.bottom() + 1) * k) - 1));
        const QRect b = inkIn(fine, scaledArea);
        QVERIFY(!a.isEmpty() && !b.isEmpty());
        QVERIFY2(std::abs(b.left() / k - a.left()) <= 1 && std::abs(b.top() / k - a.top()) <= 1
                     && std::abs((b.right() + 1) / k - (a.right() + 1)) <= 1
                     && std::abs((b.bottom() + 1) / k - (a.bottom() + 1)) <= 1,
                 qPrintable(QStringLiteral("screen (%1,%2)-(%3,%4), 600 dpi (%5,%6)-(%7,%8)")
                                .arg(a.left()).arg(a.top()).arg(a.right()).arg(a.bottom())
                                .arg(b.left() / k).arg(b.top() / k).arg(b.right() / k).arg(b.bottom() / k)));
    }
}

// Points on the sheet, inches.
using Spots = QList<QPointF>;

void TestSheetPdf::cropMarksAndBleedOnAPrintedSheet_data()
{
    QTest::addColumn<TCardLayout>("layout");
    QTest::addColumn<bool>("bleed");
    QTest::addColumn<Spots>("marks");  // black ink (a mark's line)
    QTest::addColumn<Spots>("clear");  // no black ink
    QTest::addColumn<Spots>("red");    // the background
    QTest::addColumn<Spots>("white");  // no background
    // The default layout: 2 x 5 touching 3.5 x 2 inch cards from (0.75, 0.5).
    // Cuts at x 0.75, 4.25, 7.75 and y 0.5, 2.5, ... 10.5. Marks end 1/16 inch
    // before the cards and are at most 1/4 inch long: above the grid from
    // y 0.1875 to 0.4375, left of it from x 0.4375 to 0.6875, right of it
    // from 7.8125 to 8.0625, below it from 10.5625 to 10.8125.
    QTest::newRow("touching cards, marks")
        << TCardLayout() << false
        << Spots{ { 0.75, 0.3 }, { 4.25, 0.3 }, { 7.75, 0.3 }, { 0.55, 2.5 }, { 7.95, 6.5 }, { 4.25, 10.7 } }
        << Spots{ { 6.0, 0.3 }, { 0.75, 0.47 }, { 0.72, 2.5 }, { 2.0, 1.5 }, { 4.25, 1.5 } }
        << Spots{ { 0.8, 1.0 }, { 4.2, 1.0 } } << Spots{ { 0.7, 1.0 }, { 2.0, 0.45 } };
    // 2 x 2 cards from (0.5, 1.0), 0.2 inch apart across, touching down;
    // a 1/8 inch bleed. Cuts at x 0.5, 4.0, 4.2, 7.7 and y 1.0, 3.0, 5.0.
    // The marks keep 1/16 inch outside the bleed: above from y 0.5625 to
    // 0.8125, left from x 0.0625 to 0.3125, right from 7.8875 to 8.1375.
    // The background reaches 1/8 inch beyond the outer edges (x 0.375 and
    // 7.825, y 0.875 and 5.125); the two columns share the 0.2 inch gap.
    TCardLayout gapped;
    gapped.Across = 2;
    gapped.Down = 2;
    gapped.LeftMargin = 0.5f;
    gapped.TopMargin = 1.0f;
    gapped.HPitch = 3.7f;
    gapped.VPitch = 2.0f;
    QTest::newRow("cards apart, marks and bleed")
        << gapped << true
        << Spots{ { 0.5, 0.7 }, { 4.0, 0.7 }, { 4.2, 0.7 }, { 7.7, 0.7 }, { 0.2, 3.0 }, { 8.0, 1.0 }, { 4.2, 5.3 } }
        << Spots{ { 4.1, 0.7 }, { 0.5, 0.84 }, { 0.34, 3.0 }, { 2.0, 0.7 } }
        << Spots{ { 0.4, 2.0 }, { 2.0, 0.9 }, { 4.05, 2.0 }, { 4.15, 2.0 }, { 2.0, 5.1 }, { 7.8, 2.0 } }
        << Spots{ { 0.35, 2.0 }, { 2.0, 0.85 }, { 2.0, 5.15 }, { 7.85, 2.0 } };
}

void TestSheetPdf::cropMarksAndBleedOnAPrintedSheet()
{
    QFETCH(TCardLayout, layout);
    QFETCH(bool, bleed);
    QFETCH(Spots, marks);
    QFETCH(Spots, clear);
    QFETCH(Spots, red);
    QFETCH(Spots, white);
    QLocale::setDefault(QLocale(QStringLiteral("en_US"))); // a 1/8 inch bleed
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    QImage art(70, 40, QImage::Format_RGB32);
    art.fill(qRgb(255, 0, 0));
    const QString bmp = home.filePath(QStringLiteral("red.bmp"));
    Dib::SaveToFile(art, bmp);
    TPreferences preferences;
    preferences.ShowBottomMarginWarning = false;
    TPrintCommands printing(panel.Model());
    printing.Layout = [&] { return layout; };
    printing.BackgroundFile = [&] { return bmp; };
    printing.Preferences = &preferences;
    const QString file = QStringLiteral("marks-%1.pdf").arg(bleed ? 2 : 1);
    printing.SetMainPagePrinter(pdfPrinter(file));
    ui.answerDialog([bleed](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        d.FormActivate();
        QTest::mouseClick(d.CropMarksCheck, Qt::LeftButton, {}, QPoint(8, d.CropMarksCheck->height() / 2));
        if (bleed)
            QTest::mouseClick(d.BleedCheck, Qt::LeftButton, {}, QPoint(8, d.BleedCheck->height() / 2));
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    ui.answerDialog(runStatusWindow);
    printing.mnuPrintClick();
    QVERIFY(ui.allUsed());
    QLocale::setDefault(QLocale::c());
    const QList<QImage> pages = rasterizePdf(home.filePath(file), 300);
    QCOMPARE(pages.size(), 1);
    const QImage& page = pages[0];
    auto at = [](const QPointF& p) { return QPoint(int(p.x() * 300 + 0.5), int(p.y() * 300 + 0.5)); };
    auto dark = [](QRgb c) { return qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128; };
    // Within 2 pixels (1/150 inch) of the spot, either way.
    auto darkNear = [&](const QPointF& spot) {
        const QPoint p = at(spot);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (dark(page.pixel(p.x() + dx, p.y() + dy)))
                    return true;
        return false;
    };
    auto where = [](const QPointF& p) { return qPrintable(QStringLiteral("(%1, %2) in").arg(p.x()).arg(p.y())); };
    for (const QPointF& p : marks)
        QVERIFY2(darkNear(p), where(p));
    for (const QPointF& p : clear)
        QVERIFY2(!darkNear(p), where(p));
    for (const QPointF& p : red) {
        const QRgb c = page.pixel(at(p));
        QVERIFY2(qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60, where(p));
    }
    for (const QPointF& p : white)
        QVERIFY2(qGray(page.pixel(at(p))) > 245, where(p));
}

QTEST_MAIN(TestSheetPdf)
#include "tst_sheetpdf.moc"
