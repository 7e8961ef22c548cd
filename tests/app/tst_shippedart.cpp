// The background pictures and card templates the program ships: they reach
// the program folder without overwriting the user's own files; every
// picture reads through the program's own bitmap and metafile readers into a
// card-sized picture with something on it; every template makes a card that
// holds short and long personal information.
#include "MainScreenKit.h"
#include "document/CardDocument.h"
#include "app/LoadBackGround.h"
#include "app/ShippedArt.h"
#include "objects/BusinessCardLabel.h"

#include <QDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {

QStringList shipped(const QString& folder)
{
    return QDir(QStringLiteral(":/") + folder).entryList(QDir::Files, QDir::Name);
}

// Share of pixels that differ from the picture's most common colour by more
// than a faint tint.
double inkShare(const QImage& img)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ++counts[img.pixel(x, y) | 0xFF000000];
    QRgb ground = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            ground = it.key();
        }
    int ink = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (std::abs(qRed(p) - qRed(ground)) + std::abs(qGreen(p) - qGreen(ground))
                    + std::abs(qBlue(p) - qBlue(ground)) > 12)
                ++ink;
        }
    return double(ink) / (img.width() * img.height());
}

// Personal information as a small business and as a long-winded one.
TPersonalInfo personalData(bool longData)
{
    TPersonalInfo info;
    const QStringList values = longData
        ? QStringList {QStringLiteral("Alexandra Whitfield-Brennan"), QStringLiteral("Whitfield Architecture Studio"),
              QStringLiteral("Chartered Architect, RIBA"), QStringLiteral("Unit 14, The Old Granary"),
              QStringLiteral("1450 Riverside Business Park"), QStringLiteral("Harrogate HG1 4RT"),
              QStringLiteral("Tel +44 1423 555 0198"), QStringLiteral("Mob +44 7700 900 123"),
              QStringLiteral("alexandra@whitfield-studio.co.uk"), QStringLiteral("Fax +44 1423 555 0199")}
        : QStringList {QStringLiteral("Jo Li"), QStringLiteral("Acme"), QStringLiteral("Owner"),
              QStringLiteral("1 Main St"), QString(), QStringLiteral("Leeds"), QStringLiteral("555 0101"), QString(),
              QStringLiteral("jo@acme.co"), QString()};
    for (int i = 0; i < TPersonalInfo::Count; ++i)
        info.Field(i) = values[i];
    return info;
}

} // namespace

class TestShippedArt : public QObject {
    Q_OBJECT
private slots:
    void installKeepsTheUsersFiles();
    void backgrounds_data();
    void backgrounds();
    void templates_data();
    void templates();
};

void TestShippedArt::installKeepsTheUsersFiles()
{
    ProgramHome home;
    QVERIFY(shipped(QStringLiteral("bg")).size() >= 12);
    QVERIFY(shipped(QStringLiteral("qrdt")).size() >= 16);
    const QString mine = ProgramFolder() + QStringLiteral("bg/") + shipped(QStringLiteral("bg")).first();
    writeFile(mine, "the user's own picture");
    InstallShippedArt();
    for (const QString& folder : {QStringLiteral("bg"), QStringLiteral("qrdt")})
        for (const QString& name : shipped(folder)) {
            const QFileInfo copy(ProgramFolder() + folder + QLatin1Char('/') + name);
            QVERIFY2(copy.isFile() && copy.isWritable(), qPrintable(copy.filePath()));
        }
    QFile kept(mine);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("the user's own picture"));
}

void TestShippedArt::backgrounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rotated");
    for (const QString& name : shipped(QStringLiteral("bg"))) {
        QTest::newRow(qPrintable(name)) << name << false;
        QTest::newRow(qPrintable(name + QStringLiteral(" standing"))) << name << true;
    }
}

void TestShippedArt::backgrounds()
{
    QFETCH(QString, name);
    QFETCH(bool, rotated);
    ProgramHome home;
    InstallShippedArt();
    const QString path = BackgroundFolder() + name;
    const QImage picture = LoadBackgroundPreview(path, rotated);
    // Card-sized: 3.5 by 2 inches at 96 pixels per inch or finer.
    const QSize lying = rotated ? picture.size().transposed() : picture.size();
    QVERIFY2(lying.width() >= 336 && lying.height() >= 192, qPrintable(name));
    QVERIFY2(std::abs(lying.width() * 2.0 / lying.height() - 3.5) < 0.05, qPrintable(name));
    // Something drawn, but not a flood of one colour over the whole card.
    const double ink = inkShare(picture);
    QVERIFY2(ink > 0.01 && ink < 0.98, qPrintable(QStringLiteral("%1: %2").arg(name).arg(ink)));

    // The card shows it too, as the panel loads it.
    auto w = startMainScreen();
    {
        TCardLayout layout = w->Document().CardLayout();
        layout.Portrait = rotated;
        w->Document().SetCardLayout(layout);
        w->Document().SetCardOrientation(rotated);
    }
    cardPanel(*w)->LoadBackground(path);
    const QImage card = cardPanel(*w)->grab().toImage();
    QVERIFY2(inkShare(card.copy(4, 4, card.width() - 8, card.height() - 8)) > 0.01, qPrintable(name));
}

void TestShippedArt::templates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("longData");
    for (const QString& name : shipped(QStringLiteral("qrdt"))) {
        QTest::newRow(qPrintable(name + QStringLiteral(" short"))) << name << false;
        QTest::newRow(qPrintable(name + QStringLiteral(" long"))) << name << true;
    }
}

// Every template builds a card whose objects lie on it, whose texts show
// the user's whole name, address and numbers (in the template's fonts and in
// the wider of the two fonts the chooser offers first), whose background is
// one of the shipped pictures, and which prints something.
void TestShippedArt::templates()
{
    QFETCH(QString, name);
    QFETCH(bool, longData);
    ProgramHome home;
    auto w = startMainScreen();
    TGBusinessCardPanel32& panel = *cardPanel(*w);
    const TPersonalInfo info = personalData(longData);
    panel.SetPersonalInfo(info);
    const QString background = panel.ImportTemplate(ProgramFolder() + QStringLiteral("qrdt/") + name);
    QVERIFY(background.isEmpty() || shipped(QStringLiteral("bg")).contains(background));
    {
        TCardLayout layout = w->Document().CardLayout();
        layout.Portrait = panel.Rotated();
        w->Document().SetCardLayout(layout);
        w->Document().SetCardOrientation(panel.Rotated());
    }
    QVERIFY(panel.ObjectCount() >= 6);

    int texts = 0;
    QStringList shown;
    for (const QString& font : {QString(), QStringLiteral("Arial")}) {
        if (!font.isEmpty())
            panel.SetAllFontNames(font);
        for (TGGraphicControl* o : panel.Objects()) {
            const QString what = QStringLiteral("%1 %2 in %3").arg(name, o->Name(), font);
            QVERIFY2(o->Left() >= 0 && o->Top() >= 0 && o->Left() + o->Width() <= panel.width()
                         && o->Top() + o->Height() <= panel.height(),
                qPrintable(what + QStringLiteral(" lies outside the card")));
            auto* label = dynamic_cast<TGBusinessCardLabel*>(o);
            if (!label)
                continue;
            label->CalcTextLayout();
            const int needed = QFontMetrics(label->DrawFont()).horizontalAdvance(label->Caption() + QLatin1Char(' '));
            QVERIFY2(needed <= label->Width(),
                qPrintable(QStringLiteral("%1: \"%2\" needs %3 pixels, has %4")
                               .arg(what, label->Caption()).arg(needed).arg(label->Width())));
            if (font.isEmpty()) {
                ++texts;
                shown << label->Caption();
            }
        }
    }
    QVERIFY(texts >= 6);
    // The user's name and phone number are on every card.
    QVERIFY2(shown.contains(info.Name), qPrintable(shown.join(QLatin1Char('|'))));
    QVERIFY2(shown.contains(info.Phone1), qPrintable(shown.join(QLatin1Char('|'))));

    if (!background.isEmpty())
        panel.LoadBackground(BackgroundFolder() + background);
    const QImage card = RenderCardPictureAtDpi(panel.Model(), 192, false);
    QVERIFY(inkShare(card) > 0.005);
}

QTEST_MAIN(TestShippedArt)
#include "tst_shippedart.moc"
