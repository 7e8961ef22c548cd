// Mail merge: one card per record of a CSV or vCard file. The oracle is the
// PDF's own text as pdftotext reads it inside each card's box, the boxes
// computed by hand from the default layout (2 across, 5 down, left margin
// 0.75 inch, top 0.5, pitch 3.5 × 2 inches), and the names written by hand
// into the test files under tests/data/merge.
#include "PrintTestKit.h"

#include "app/DesignClasses.h"
#include "document/CardDocument.h"
#include "objects/Barcode.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "objects/MultiLineLabel.h"
#include "pageengine/PagePrinter.h"
#include "pageengine/PdfJob.h"
#include "pictures/Picture.h"
#include "platform/Dib.h"
#include "printing/PrintCardsDialog.h"
#include "printing/PrintCommands.h"
#include "support/ScriptedInteraction.h"
#include "support/ZxingDecode.h"
#include "surface/MergeFields.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {

const QString kData = QStringLiteral(BRISVALE_TEST_DATA "/merge/");

// Card n (from 1) of the default layout: its box in inches.
QRectF cardBox(int n)
{
    const int row = (n - 1) / 2;
    const int column = (n - 1) % 2;
    return QRectF(0.75 + 3.5 * column, 0.5 + 2.0 * row, 3.5, 2.0);
}

// The text pdftotext finds inside card n of page 1 (72 pixels per inch).
QString cardText(const QString& pdf, int n, int page = 1)
{
    const QRectF box = cardBox(n);
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
        { QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
            QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-x"), QString::number(qRound(box.x() * 72)),
            QStringLiteral("-y"), QString::number(qRound(box.y() * 72)), QStringLiteral("-W"),
            QString::number(qRound(box.width() * 72)), QStringLiteral("-H"), QString::number(qRound(box.height() * 72)),
            pdf, QStringLiteral("-") });
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

int pdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), { pdf });
    p.waitForFinished(20000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const qsizetype at = info.indexOf(QLatin1String("Pages:"));
    return at < 0 ? -1 : info.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
}

// The design: a name label (`nameText`), a multi-line title block and a
// multi-line fax line that most records leave empty.
void addMergeDesign(TGBusinessCardPanel32& panel, const QString& nameText)
{
    TFont f;
    f.Name = QStringLiteral("Arial");
    f.Height = -13;
    auto* name = new TGBusinessCardLabel;
    name->SetParent(&panel);
    name->SetFont(f);
    name->SetCaption(nameText);
    name->SetBounds(20, 20, 280, 22);
    name->Loaded();
    auto* title = new TGMultiLineLabel;
    title->SetParent(&panel);
    title->SetFont(f);
    title->SetItems({ QStringLiteral("{Title}"), QStringLiteral("Tel {Phone1}") });
    title->SetBounds(20, 60, 280, 40);
    title->Loaded();
    auto* fax = new TGMultiLineLabel;
    fax->SetParent(&panel);
    fax->SetFont(f);
    fax->SetItems({ QStringLiteral("{Fax}") });
    fax->SetBounds(20, 120, 280, 20);
    fax->Loaded();
    for (TGGraphicControl* o : panel.Objects())
        panel.AttachObject(o);
}

// The merge chosen as a user chooses it in the Print dialog: "file..." by
// the keyboard (the file comes from the script), then the record range and
// copies typed into their boxes.
void chooseMergeItem(TSelectSpecificLabels& d, int row)
{
    QTest::mouseClick(d.MergeCombo, Qt::LeftButton); // opens the list
    QAbstractItemView* list = d.MergeCombo->view();
    QVERIFY(list->isVisible());
    // The list takes no click in the double-click time after it opens.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect item = list->visualRect(list->model()->index(row, 0)).intersected(list->viewport()->rect());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
}

void chooseMergeFile(TSelectSpecificLabels& d)
{
    chooseMergeItem(d, 1); // "file..."
}

void typeInto(QSpinBox* box, int value)
{
    QTest::mouseDClick(box, Qt::LeftButton);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QString::number(value));
    QTest::keyClick(box, Qt::Key_Tab);
}

QString runBatch(const QStringList& args, int& exitCode, QString* out = nullptr)
{
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(batch, QStringList { QStringLiteral("sheet") } + args);
    p.waitForFinished(120000);
    exitCode = p.exitCode();
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    return QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
}

} // namespace

class TestMerge : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void recordsFillTheCardsInOrder_data();
    void recordsFillTheCardsInOrder();
    void printDialogMergeControls();
    void batchCopiesAndRecordRange();
    void refusedInputPrintsNothing_data();
    void refusedInputPrintsNothing();
    void panelShowsTheChosenRecord();
    void qrCodeCarriesEachRecordsCard();
    void longMergeIsWrittenInParts();

private:
    QTemporaryDir home;
    bool haveBatch = false;
};

void TestMerge::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    RegisterDesignClasses();
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) reads the cards back");
    haveBatch = QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch")).isExecutable();
}

void TestMerge::recordsFillTheCardsInOrder_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("nameText");
    QTest::addColumn<QStringList>("second"); // more text card 2 must show
    // A label written with a field, and a label as a shipped template leaves
    // it (its personal-information placeholder) that must merge unchanged.
    QTest::newRow("CSV, {Name}") << "csv/three.csv" << "{Name}" << QStringList { "Sales, North", "Tel 555-0102" };
    QTest::newRow("vCard, template placeholder")
        << "vcard/three.vcf" << "Your Own Name" << QStringList { "Tel +1-555-0102" };
}

void TestMerge::recordsFillTheCardsInOrder()
{
    QFETCH(QString, file);
    QFETCH(QString, nameText);
    QFETCH(QStringList, second);
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    addMergeDesign(panel, nameText);
    TPreferences preferences;
    preferences.ShowBottomMarginWarning = false;
    TPrintCommands printing(panel);
    printing.Preferences = &preferences;
    const QString pdf = home.filePath(QStringLiteral("merge-%1.pdf").arg(QTest::currentDataTag()[0]));
    auto printer = std::make_unique<TPagePrinter>();
    printer->SetOutputFileName(pdf);
    printing.SetMainPagePrinter(std::move(printer));
    ui.answerOpenFile(kData + file);
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        d.FormActivate();
        chooseMergeFile(d);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    ui.answerDialog(runStatusWindow);
    printing.mnuPrintClick();
    QVERIFY(ui.allUsed());
    QVERIFY2(printing.LastOutcome().Error.isEmpty(), qPrintable(printing.LastOutcome().Error));
    QCOMPARE(pdfPages(pdf), 1);
    const QStringList names = { "Ada Okafor", "Ben Lindqvist", "Cara Mbeki" };
    for (int n = 1; n <= 3; ++n) {
        const QString text = cardText(pdf, n);
        QVERIFY2(text.startsWith(names[n - 1]), qPrintable(QStringLiteral("card %1: %2").arg(n).arg(text)));
        for (int other = 0; other < 3; ++other)
            QVERIFY(other == n - 1 || !text.contains(names[other]));
        // An empty fax prints nothing, not the "<blank>" of the screen.
        QVERIFY2(!text.contains(QLatin1String("blank")), qPrintable(text));
    }
    for (const QString& s : second)
        QVERIFY2(cardText(pdf, 2).contains(s), qPrintable(cardText(pdf, 2)));
    QCOMPARE(cardText(pdf, 4), QString()); // three records: card 4 stays white
    // The card shows its fields again after the job.
    QCOMPARE(panel.MergeRecord(), -1);
}

void TestMerge::printDialogMergeControls()
{
    ScriptedInteraction ui;
    TSelectSpecificLabels d;
    d.SetSheet(TCardLayout(), AllCardsSelected());
    QString missing;
    d.CheckMerge = [&missing](const TMergeTable&) { return missing; };
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    ui.answerOpenFile(kData + QStringLiteral("csv/three.csv"));
    chooseMergeFile(d);
    QCOMPARE(d.MergeRecordsLabel->text(), QStringLiteral("3 records"));
    QVERIFY(!d.pages->isEnabled()); // the records decide the sheets
    QCOMPARE(d.MergeSheetsLabel->text(), QStringLiteral("3 card(s) on 1 sheet(s)"));
    typeInto(d.MergeFirst, 2);
    typeInto(d.MergeCopies, 4);
    // Two positions per sheet: 2 records × 4 copies on 4 sheets.
    QTest::mouseClick(d.NoneButton, Qt::LeftButton);
    QTest::mouseClick(d.PaintBox1, Qt::LeftButton, Qt::NoModifier, d.PositionRect(0).center());
    QTest::mouseClick(d.PaintBox1, Qt::LeftButton, Qt::NoModifier, d.PositionRect(3).center());
    QCOMPARE(d.MergeSheetsLabel->text(), QStringLiteral("8 card(s) on 4 sheet(s)"));
    // A last record before the first pulls the first along.
    typeInto(d.MergeLast, 1);
    QCOMPARE(d.MergeFirst->value(), 1);
    typeInto(d.MergeLast, 3);
    // A field the file lacks: "Ok" names it and the dialog stays open.
    missing = QStringLiteral("three.csv, line 1: the first line does not name the field {Cell}");
    ui.expectError();
    QTest::mouseClick(d.OkButton, Qt::LeftButton);
    QVERIFY(d.isVisible());
    QCOMPARE(ui.messages().last(), missing);
    missing.clear();
    QTest::mouseClick(d.OkButton, Qt::LeftButton);
    QCOMPARE(d.result(), int(mrOk));
    const TMergeChoice merge = d.Merge();
    QVERIFY(merge.Active());
    QCOMPARE(merge.FirstRecord(), 1);
    QCOMPARE(merge.LastRecord(), 3);
    QCOMPARE(merge.Copies, 4);
    // "none" ends the merge.
    chooseMergeItem(d, 0); // "none"
    QVERIFY(!d.Merge().Active());
    QVERIFY(d.pages->isEnabled());
}

void TestMerge::batchCopiesAndRecordRange()
{
    if (!haveBatch)
        QSKIP("brisvale-batch is not built");
    QTemporaryDir work;
    TGBusinessCardPanel32 panel;
    addMergeDesign(panel, QStringLiteral("{Name}"));
    const QString design = work.filePath(QStringLiteral("team.qrd"));
    WriteDesign(panel, design, QString(), TCardLayout());
    const QString pdf = work.filePath(QStringLiteral("team.pdf"));
    int code = 0;
    QString out;
    const QString err = runBatch({ design, pdf, QStringLiteral("--merge"), kData + QStringLiteral("csv/three.csv"),
                                     QStringLiteral("--copies"), QStringLiteral("2"), QStringLiteral("--records"),
                                     QStringLiteral("2-3") },
        code, &out);
    QVERIFY2(code == 0, qPrintable(err));
    QCOMPARE(out, QStringLiteral("4 card(s) on 1 sheet(s) from 2 record(s) to ") + QDir::toNativeSeparators(pdf));
    const QStringList expected = { "Ben Lindqvist", "Ben Lindqvist", "Cara Mbeki", "Cara Mbeki", "" };
    for (int n = 1; n <= 5; ++n)
        QVERIFY2(cardText(pdf, n).startsWith(expected[n - 1]) && (n < 5 || cardText(pdf, n).isEmpty()),
            qPrintable(QStringLiteral("card %1: %2").arg(n).arg(cardText(pdf, n))));
}

void TestMerge::refusedInputPrintsNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("design"); // the name label's text
    QTest::addColumn<QString>("message");
    QTest::newRow("a field the file lacks") << QByteArray("Name,Title\nAda,Lead\n") << "list.csv"
                                            << "{Name} {Cell}"
                                            << "list.csv, line 1: the first line does not name the field {Cell}";
    QTest::newRow("more fields than the header")
        << QByteArray("Name,Title\nAda,Lead\nBen,Sales,extra\n") << "list.csv" << "{Name}"
        << "list.csv, line 3: 3 fields, but the first line names 2";
    QTest::newRow("broken quote") << QByteArray("Name,Title\n\"Ada\" Okafor,Lead\n") << "list.csv" << "{Name}"
                                  << "list.csv, line 2: a quoted field is followed by other text";
    QTest::newRow("neither CSV nor vCard") << QByteArray("GIF89a\x01\0\x01\0\0\0\0", 13) << "logo.gif" << "{Name}"
                                           << "logo.gif is not a CSV or vCard file";
}

void TestMerge::refusedInputPrintsNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QString, design);
    QFETCH(QString, message);
    if (!haveBatch)
        QSKIP("brisvale-batch is not built");
    QTemporaryDir work;
    TGBusinessCardPanel32 panel;
    addMergeDesign(panel, design);
    const QString designFile = work.filePath(QStringLiteral("team.qrd"));
    WriteDesign(panel, designFile, QString(), TCardLayout());
    const QString list = work.filePath(name);
    QFile f(list);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    // The PDF of an earlier run stays as it was.
    const QString pdf = work.filePath(QStringLiteral("team.pdf"));
    QFile old(pdf);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier sheets");
    old.close();
    int code = 0;
    const QString err = runBatch({ designFile, pdf, QStringLiteral("--merge"), list }, code);
    QCOMPARE(code, 1);
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("earlier sheets"));
    QCOMPARE(QDir(work.path()).entryList(QDir::Files).size(), 4); // no partial file beside it
}

// The panel shows a chosen record: the label's record value, an emptied
// text as "<blank>" (so it can still be found), and back to the fields. A
// label keeps the size it was designed with whatever the record: a turned
// label, whose length follows its text, must not shrink to a short value.
void TestMerge::panelShowsTheChosenRecord()
{
    TGBusinessCardPanel32 panel;
    addMergeDesign(panel, QStringLiteral("{Name}"));
    auto* name = static_cast<TGBaseLabel*>(panel.Objects()[0]);
    auto* fax = static_cast<TGMultiLineLabel*>(panel.Objects()[2]);
    auto* turned = new TGBusinessCardLabel;
    turned->SetParent(&panel);
    turned->SetCaption(QStringLiteral("{Name}"));
    turned->SetBounds(300, 0, 30, 190);
    turned->SetAngle(90);
    turned->Loaded();
    auto table = std::make_shared<TMergeTable>();
    table->AddField(QStringLiteral("Name"));
    for (const char* n : { "Al", "Bartholomew Featherstonehaugh", "Cy" }) {
        TMergeRecord r;
        r.Values << QString::fromLatin1(n);
        table->AddRecord(r);
    }
    panel.SetMergeTable(table);
    QImage canvas(400, 300, QImage::Format_RGB32);
    QPainter p(&canvas);
    turned->PaintAt(p, 0, 0);
    const int designedLength = turned->Height();
    QCOMPARE(name->ShownCaption(), QStringLiteral("{Name}"));
    for (int record : { 0, 1, 2, 0 }) {
        panel.SetMergeRecord(record);
        turned->PaintAt(p, 0, 0);
        QCOMPARE(turned->Height(), designedLength);
    }
    panel.SetMergeRecord(1);
    QCOMPARE(name->ShownCaption(), QStringLiteral("Bartholomew Featherstonehaugh"));
    QCOMPARE(fax->DrawnLines(), QStringList({ QString(), QStringLiteral("<blank>") }));
    panel.SetMergeRecord(-1);
    QCOMPARE(name->ShownCaption(), QStringLiteral("{Name}"));
}

// A QR code of the contact card (the barcode's vCard content) prints each
// record's own card; ZXing reads it back from the PDF drawn at 200 dpi.
void TestMerge::qrCodeCarriesEachRecordsCard()
{
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    addMergeDesign(panel, QStringLiteral("{FN}"));
    auto* code = new TGBarcode;
    code->SetParent(&panel);
    code->SetContent(bcVCard);
    code->SetBounds(190, 30, 130, 130);
    code->Loaded();
    panel.AttachObject(code);
    TPrintCommands printing(panel);
    printing.Unattended = true;
    const QString pdf = home.filePath(QStringLiteral("qr.pdf"));
    auto printer = std::make_unique<TPagePrinter>();
    printer->SetOutputFileName(pdf);
    printing.SetMainPagePrinter(std::move(printer));
    printing.Merge.Table = std::make_shared<TMergeTable>(ReadMergeFile(kData + QStringLiteral("vcard/three.vcf")));
    const TPrintOutcome outcome = printing.DoPrint();
    QVERIFY2(outcome.Error.isEmpty(), qPrintable(outcome.Error));
    const QList<QImage> pages = rasterizePdf(pdf, 200);
    QCOMPARE(pages.size(), 1);
    // Each card's name, phone and e-mail as three.vcf gives them.
    const QStringList expected[] = {
        { "FN:Ada Okafor", "+1-555-0101", "ada@example.com", "ORG:Brisvale Works" },
        { "FN:Ben Lindqvist", "+1-555-0102" },
        { "FN:Cara Mbeki", "+1-555-0103", "TITLE:Head of Design" },
    };
    for (int n = 1; n <= 3; ++n) {
        const QRectF box = cardBox(n);
        const QImage card = pages[0].copy(QRectF(box.topLeft() * 200, box.size() * 200).toRect());
        const QStringList found = DecodeBarcodes(card);
        QCOMPARE(found.size(), 1);
        for (const QString& part : expected[n - 1])
            QVERIFY2(found.first().contains(part), qPrintable(QStringLiteral("card %1: %2").arg(n).arg(found.first())));
        QVERIFY(found.first().startsWith(QLatin1String("BEGIN:VCARD")));
    }
    QVERIFY(DecodeBarcodes(pages[0].copy(QRectF(cardBox(4).topLeft() * 200, cardBox(4).size() * 200).toRect())).isEmpty());
}

// A long merge is joined and written out a part at a time. With four cards
// a part, a part ends with each sheet of ten: 23 records make three parts.
// Every record's name is on its own card, the logo every card shows is one image object in the
// file (pdfimages lists each showing with the object it draws), and qpdf
// finds the file sound.
void TestMerge::longMergeIsWrittenInParts()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfimages")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
        QSKIP("pdfimages and qpdf read the file back");
    QTemporaryDir work;
    const QString csv = work.filePath(QStringLiteral("team.csv"));
    {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Name,Title,Phone1\r\n");
        for (int i = 1; i <= 23; ++i)
            f.write(QStringLiteral("Member %1,Grade %2,555-01%1\r\n").arg(i).arg(i % 4).toUtf8());
    }
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    addMergeDesign(panel, QStringLiteral("{Name}"));
    QImage logo(24, 24, QImage::Format_RGB32);
    logo.fill(QColor(200, 30, 60));
    auto* image = new TGImage;
    image->SetParent(&panel);
    image->SetPicture(TPicture::FromBitmap(Dib::FromImage(logo)));
    image->SetBounds(300, 150, 30, 30);
    image->Loaded();
    panel.AttachObject(image);
    TPrintCommands printing(panel);
    printing.Unattended = true;
    const QString pdf = work.filePath(QStringLiteral("team.pdf"));
    auto printer = std::make_unique<TPagePrinter>();
    printer->SetOutputFileName(pdf);
    printing.SetMainPagePrinter(std::move(printer));
    printing.Merge.Table = std::make_shared<TMergeTable>(ReadMergeFile(csv));
    TPdfJob::SetBlocksPerPart(4);
    const TPrintOutcome outcome = printing.DoPrint();
    TPdfJob::SetBlocksPerPart(250);
    QVERIFY2(outcome.Error.isEmpty(), qPrintable(outcome.Error));
    QCOMPARE(pdfPages(pdf), 3);
    for (int i = 1; i <= 23; ++i) {
        const QString text = cardText(pdf, (i - 1) % 10 + 1, (i - 1) / 10 + 1);
        QVERIFY2(text.startsWith(QStringLiteral("Member %1 Grade %2").arg(i).arg(i % 4)),
            qPrintable(QStringLiteral("record %1: %2").arg(i).arg(text)));
    }
    QCOMPARE(cardText(pdf, 4, 3), QString());

    QProcess list;
    list.start(QStringLiteral("pdfimages"), { QStringLiteral("-list"), pdf });
    QVERIFY(list.waitForFinished(20000));
    QSet<QString> objects;
    int shown = 0;
    for (const QString& line : QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList cells = line.simplified().split(QLatin1Char(' '));
        if (cells.size() > 11 && cells[2] == QLatin1String("image")) {
            ++shown;
            objects.insert(cells[10]);
        }
    }
    QCOMPARE(shown, 23);
    QCOMPARE(objects.size(), 1);
    QProcess check;
    check.start(QStringLiteral("qpdf"), { QStringLiteral("--check"), pdf });
    QVERIFY(check.waitForFinished(20000));
    QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
}

QTEST_MAIN(TestMerge)
#include "tst_merge.moc"
