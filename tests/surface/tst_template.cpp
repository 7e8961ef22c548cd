// Card templates with the real design objects: what a template's sections
// give on the card (personal information, placeholders, defaults, the logo
// placeholder), what a design writes back, geometry at any zoom, failing
// colour texts, and the batch tool's template command.
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "platform/Errors.h"
#include "platform/ProfileFile.h"
#include "surface/BusinessCardPanel.h"
#include "surface/TemplateFile.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;

namespace {
QString writeText(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    f.write(text);
    return path;
}

template <class T>
QList<T*> objectsOf(const TGBasePanel& panel)
{
    QList<T*> out;
    for (TGGraphicControl* o : panel.Objects())
        if (auto* t = dynamic_cast<T*>(o))
            out << t;
    return out;
}

TGBusinessCardLabel* addLabel(TGBusinessCardPanel32& panel, const QString& caption, TRect r, int points)
{
    auto* l = new TGBusinessCardLabel;
    l->SetParent(&panel);
    l->Loaded();
    panel.AddObject(l, r);
    l->SetCaption(caption);
    TFont f = l->Font();
    f.SetSize(points);
    l->SetFont(f);
    return l;
}
} // namespace

class TestTemplate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void textSectionCaptionAndFont_data();
    void textSectionCaptionAndFont();
    void sectionsReadAndSkipped_data();
    void sectionsReadAndSkipped();
    void logoIsHalfInchPlaceholderWithInk();
    void colourTexts_data();
    void colourTexts();
    void badColourFailsKeepingEarlierObjects();
    void exportMatchesCaptionsToSections();
    void exportImportKeepsGeometryAtZoom_data();
    void exportImportKeepsGeometryAtZoom();
    void batchTemplateMakesDesignThatOpens();

private:
    QTemporaryDir dir;
};

void TestTemplate::initTestCase()
{
    qputenv("BRISVALE_HOME", dir.path().toLocal8Bit());
    qputenv("BRISVALE_PPI", "96");
    RegisterShapeClasses();
    RegisterLabelClasses();
    RegisterImageClasses();
}

void TestTemplate::textSectionCaptionAndFont_data()
{
    QTest::addColumn<QByteArray>("sections");
    QTest::addColumn<QString>("personalName");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("style"); // B, I, U present

    const QByteArray name = "[Name]\nWidth=120\n";
    QTest::newRow("user's name wins over the template") << name + "Caption=Template Name\n" << "Jane Roe"
                                                        << "Jane Roe" << "";
    QTest::newRow("no name, no caption") << name << "" << "<blank>" << "";
    QTest::newRow("blank name, blank caption") << name + "Caption=\"   \"\n" << "  " << "<Name>" << "";
    QTest::newRow("label has no placeholder") << QByteArray("[Label1]\nWidth=120\nCaption=\"  \"\n") << "Jane Roe"
                                              << "" << "";
    QTest::newRow("style order does not matter") << name + "Font Style=[fsItalic,fsBold]\n" << "" << "<blank>"
                                                 << "BI";
    QTest::newRow("empty style set") << name + "Font Style=[]\n" << "" << "<blank>" << "";
    QTest::newRow("underline alone") << name + "Font Style=[fsUnderline]\n" << "" << "<blank>" << "U";
}

void TestTemplate::textSectionCaptionAndFont()
{
    QFETCH(QByteArray, sections);
    QFETCH(QString, personalName);
    QFETCH(QString, caption);
    QFETCH(QString, style);

    TGBusinessCardPanel32 panel;
    TPersonalInfo info;
    info.Name = personalName;
    panel.SetPersonalInfo(info);
    ReadTemplate(panel.Model(), ProfileText(sections));
    const auto labels = objectsOf<TGBusinessCardLabel>(panel);
    QCOMPARE(labels.size(), 1);
    const TGBusinessCardLabel* l = labels[0];
    QCOMPARE(l->Caption(), caption);
    QCOMPARE(l->Font().Name, QStringLiteral("Arial"));
    QCOMPARE(l->Font().Size(), 10);
    QCOMPARE(l->Font().Color, clBlack);
    QCOMPARE(l->Font().Bold, style.contains('B'));
    QCOMPARE(l->Font().Italic, style.contains('I'));
    QCOMPARE(l->Font().Underline, style.contains('U'));
    QVERIFY(l->Transparent());
    QCOMPARE(l->StoredBounds(), TRect::FromBounds(0, 0, 120, 15));
}

void TestTemplate::sectionsReadAndSkipped_data()
{
    QTest::addColumn<QByteArray>("sections");
    // Class names bottom to top.
    QTest::addColumn<QStringList>("classes");

    QTest::newRow("numbers beyond fifteen are not sections")
        << QByteArray("[Label16]\nWidth=50\n[Shape16]\nWidth=50\n[Line16]\nWidth=50\n") << QStringList();
    QTest::newRow("a gap in the numbers is read past")
        << QByteArray("[Shape1]\nWidth=30\n[Shape3]\nWidth=40\n[Line2]\nWidth=10\n")
        << QStringList { "TBCShapes", "TBCShapes", "TGLineShape" };
    QTest::newRow("zero or unreadable width skips")
        << QByteArray("[Shape1]\nWidth=0\n[Line1]\nWidth=abc\n[Email]\nHeight=20\n") << QStringList();
    QTest::newRow("z-order: shapes, lines, texts, logo whatever the file order")
        << QByteArray("[Logo]\nWidth=5\n[Label1]\nWidth=50\n[Fax]\nWidth=50\n[Line1]\nWidth=9\n[Shape1]\nWidth=9\n")
        << QStringList { "TBCShapes", "TGLineShape", "TGBusinessCardLabel", "TGBusinessCardLabel", "TGImage" };
}

void TestTemplate::sectionsReadAndSkipped()
{
    QFETCH(QByteArray, sections);
    QFETCH(QStringList, classes);
    TGBusinessCardPanel32 panel;
    ReadTemplate(panel.Model(), ProfileText(sections));
    QStringList got;
    for (const TGGraphicControl* o : panel.Objects())
        got << o->ClassName();
    QCOMPARE(got, classes);
    // The fax text comes before the free labels.
    if (classes.size() == 5)
        QCOMPARE(dynamic_cast<TGBusinessCardLabel*>(panel.Objects()[2])->Caption(), QStringLiteral("<blank>"));
}

void TestTemplate::logoIsHalfInchPlaceholderWithInk()
{
    TGBusinessCardPanel32 panel;
    panel.SetZoom(1.5f);
    ReadTemplate(panel.Model(), ProfileText("[Logo]\nLeft=10\nTop=10\nWidth=200\nHeight=100\n"));
    const auto images = objectsOf<TGImage>(panel);
    QCOMPARE(images.size(), 1);
    QCOMPARE(images[0]->StoredBounds(), TRect::FromBounds(10, 10, 48, 48));
    QCOMPARE(images[0]->BoundsRect(), TRect::FromBounds(15, 15, 72, 72));
    const TPicture& picture = images[0]->Picture();
    QVERIFY(picture.IsBitmap());
    const QImage image = picture.Bitmap().Image();
    QCOMPARE(image.size(), QSize(48, 48));
    // White outside and inside the ellipse, black outline at the middle of
    // the left edge, and the words: dark pixels in both text bands.
    QCOMPARE(QColor(image.pixel(0, 0)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(0, 24)), QColor(Qt::black));
    auto inkRows = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 6; x < 42; ++x)
                n += qGray(image.pixel(x, y)) < 128;
        return n;
    };
    QVERIFY(inkRows(10, 22) > 15);
    QVERIFY(inkRows(25, 37) > 15);
}

void TestTemplate::colourTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour");
    QTest::addColumn<QString>("written");
    QTest::newRow("name") << "clRed" << int(clRed) << "clRed";
    QTest::newRow("name in other case") << "CLNAVY" << int(clNavy) << "clNavy";
    QTest::newRow("decimal of a named colour") << "255" << int(clRed) << "clRed";
    QTest::newRow("dollar hex") << "$00123456" << 0x123456 << "$00123456";
    QTest::newRow("system colour") << "$80000005" << int(clWindow) << "clWindow";
    QTest::newRow("negative decimal") << "-16777211" << int(0xFF000005) << "$ff000005";
}

void TestTemplate::colourTexts()
{
    QFETCH(QString, text);
    QFETCH(int, colour);
    QFETCH(QString, written);
    QCOMPARE(TemplateTextToColor(text), colour);
    QCOMPARE(TemplateColorText(colour), written);
}

void TestTemplate::badColourFailsKeepingEarlierObjects()
{
    TGBusinessCardPanel32 panel;
    const QByteArray text = "[Shape1]\nWidth=30\n[Line1]\nWidth=30\nPen Color=dark red\n[Name]\nWidth=50\n";
    try {
        ReadTemplate(panel.Model(), ProfileText(text));
        QFAIL("a bad colour must fail the import");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("'dark red' is not a valid integer value"));
    }
    // The shape and the line made before the failing key stay; painting is on.
    QCOMPARE(panel.ObjectCount(), 2);
    QVERIFY(!panel.SuppressPainting());
    for (const QString& bad : { QStringLiteral(""), QStringLiteral("$"), QStringLiteral("$1ffffffff"),
             QStringLiteral("2147483648"), QStringLiteral("12x") })
        QVERIFY_THROWS_EXCEPTION(EConvertError, TemplateTextToColor(bad));
}

void TestTemplate::exportMatchesCaptionsToSections()
{
    TGBusinessCardPanel32 panel;
    // Bottom to top: "name" (lower, so written last and winning), a free
    // text, "Your Own Name", another free text.
    addLabel(panel, QStringLiteral("name"), TRect::FromBounds(5, 6, 100, 20), 14);
    addLabel(panel, QStringLiteral("Hello"), TRect::FromBounds(5, 40, 100, 20), 10);
    addLabel(panel, QStringLiteral("  Your Own Name "), TRect::FromBounds(50, 60, 90, 20), 8);
    addLabel(panel, QStringLiteral("World"), TRect::FromBounds(5, 80, 100, 20), 10);
    auto* round = new TBCShapes;
    round->SetParent(&panel);
    round->Loaded();
    panel.AddObject(round, TRect::FromBounds(0, 0, 60, 30));
    round->SetShape(stRoundRect);
    round->SetRoundPerc(40);

    const ProfileText ini = TemplateText(panel.Model(), QStringLiteral("/somewhere/bg/Marble.BMP"));
    QCOMPARE(ini.ReadString("Name", "Caption"), QStringLiteral("name"));
    QCOMPARE(ini.ReadInteger("Name", "Font Size", 0), 14);
    QCOMPARE(ini.ReadInteger("Name", "Top", 0), 6);
    // Free texts are numbered from the top of the z-order down.
    QCOMPARE(ini.ReadString("Label1", "Caption"), QStringLiteral("World"));
    QCOMPARE(ini.ReadString("Label2", "Caption"), QStringLiteral("Hello"));
    QVERIFY(ini.ReadString("Label3", "Caption").isNull());
    QCOMPARE(ini.ReadString("Shape1", "Type"), QStringLiteral("stRoundRect"));
    QCOMPARE(ini.ReadInteger("Shape1", "Round Percent", 0), 40);
    QCOMPARE(ini.ReadString("Card Data", "Background File"), QStringLiteral("Marble.BMP"));

    // Reading it back: the round percentage is not read.
    TGBusinessCardPanel32 again;
    ReadTemplate(again.Model(), ini);
    const auto shapes = objectsOf<TBCShapes>(again);
    QCOMPARE(shapes.size(), 1);
    QCOMPARE(shapes[0]->Shape(), stRoundRect);
    QCOMPARE(shapes[0]->RoundPerc(), TBCShapes().RoundPerc());
}

void TestTemplate::exportImportKeepsGeometryAtZoom_data()
{
    QTest::addColumn<float>("zoom");
    QTest::newRow("1.3") << 1.3f;
    QTest::newRow("0.7") << 0.7f;
}

void TestTemplate::exportImportKeepsGeometryAtZoom()
{
    QFETCH(float, zoom);
    TGBusinessCardPanel32 panel;
    addLabel(panel, QStringLiteral("Company"), TRect::FromBounds(13, 27, 101, 23), 12);
    auto* line = new TGLineShape;
    line->SetParent(&panel);
    line->Loaded();
    panel.AddObject(line, TRect::FromBounds(7, 91, 211, 15));
    ReadTemplate(panel.Model(), ProfileText("[Logo]\nLeft=33\nTop=17\nWidth=1\n"));
    QMap<QString, TRect> stored;
    for (const TGGraphicControl* o : panel.Objects())
        stored[o->ClassName()] = o->StoredBounds();

    panel.SetZoom(zoom);
    const QString path = dir.filePath(QStringLiteral("zoom.qrdt"));
    panel.ExportTemplate(path, QString());
    TGBusinessCardPanel32 again;
    again.SetZoom(zoom);
    QCOMPARE(again.ImportTemplate(path), QString());
    QCOMPARE(again.ObjectCount(), 3);
    for (const TGGraphicControl* o : again.Objects()) {
        const TRect r = stored.value(o->ClassName());
        QCOMPARE(o->StoredBounds(), r);
        QCOMPARE(o->Left(), int(Round(Extended(r.Left) * zoom)));
        QCOMPARE(o->Width(), int(Round(Extended(r.Width()) * zoom)));
    }
}

void TestTemplate::batchTemplateMakesDesignThatOpens()
{
    QTemporaryDir home;
    writeText(home, QStringLiteral("QRD.INI"), "[Personal]\nName=Jane Roe\nCompany=Roe & Co\n");
    const QString tpl = writeText(home, QStringLiteral("t.qrdt"),
        "[Name]\nWidth=120\nCaption=Your Own Name\n[Company]\nTop=20\nWidth=120\n[Label1]\nWidth=80\n"
        "Caption=Since 1999\nFont Name=DejaVu Sans\n[Shape1]\nWidth=100\nHeight=40\n"
        "[Card Data]\nPortrait Mode=1\nBackground File=Stars.BMP\n");
    const QString out = home.filePath(QStringLiteral("card.QRD"));
    QProcess batch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRISVALE_HOME"), home.path());
    env.insert(QStringLiteral("BRISVALE_PPI"), QStringLiteral("96"));
    batch.setProcessEnvironment(env);
    batch.start(QStringLiteral(BRISVALE_BATCH), { "template", tpl, out, "--font", "Liberation Serif" });
    QVERIFY(batch.waitForFinished(60000));
    QVERIFY2(batch.exitCode() == 0, batch.readAllStandardError().constData());

    TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    panel.LoadFromFile(out);
    const auto labels = objectsOf<TGBusinessCardLabel>(panel);
    QCOMPARE(labels.size(), 3);
    QCOMPARE(labels[0]->Caption(), QStringLiteral("Jane Roe"));
    QCOMPARE(labels[1]->Caption(), QStringLiteral("Roe & Co"));
    for (const TGBusinessCardLabel* l : labels)
        QCOMPARE(l->Font().Name, QStringLiteral("Liberation Serif"));
    QCOMPARE(objectsOf<TBCShapes>(panel).size(), 1);
    // The companion names the template's background and the portrait card.
    const ProfileFile companion(home.filePath(QStringLiteral("card.QRE")));
    QVERIFY(companion.ReadString("Background", "File").endsWith(QStringLiteral("/bg/Stars.BMP")));
    QVERIFY(companion.ReadBool("Layout", "UsePortrait", false));
}

QTEST_MAIN(TestTemplate)
#include "tst_template.moc"
