// The background pictures and card templates the program ships: they reach
// the program folder without overwriting the user's own files, and every
// picture reads through the program's own bitmap and metafile readers into a
// card-sized picture with something on it.
#include "MainScreenKit.h"
#include "app/LoadBackGround.h"
#include "app/ShippedArt.h"

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

} // namespace

class TestShippedArt : public QObject {
    Q_OBJECT
private slots:
    void installKeepsTheUsersFiles();
    void backgrounds_data();
    void backgrounds();
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
    w->CardLayout.Portrait = rotated;
    w->SetCardOrientation(rotated);
    w->BusinessCardPanel->LoadBackground(path);
    const QImage card = w->BusinessCardPanel->grab().toImage();
    QVERIFY2(inkShare(card.copy(4, 4, card.width() - 8, card.height() - 8)) > 0.01, qPrintable(name));
}

QTEST_MAIN(TestShippedArt)
#include "tst_shippedart.moc"
