// The design surface fed unlucky paths and values: a background that is a
// named pipe or a link to /dev/zero, /dev/zero opened as a design, and a
// companion file whose layout values are far outside what the layout dialog
// accepts.
#include "platform/Errors.h"
#include "surface/BusinessCardPanel.h"
#include "surface/CompanionFile.h"
#include "surface/ObjectFiler.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace bv;

Q_DECLARE_METATYPE(bv::CompanionLayout)

class TestHostileSurface : public QObject {
    Q_OBJECT
private slots:
    void backgroundThatNeverEndsIsSkipped_data();
    void backgroundThatNeverEndsIsSkipped();
    void deviceAsDesignFailsClearly();
    void companionLayoutIsHeldToTheDialogLimits_data();
    void companionLayoutIsHeldToTheDialogLimits();

private:
    QTemporaryDir dir;
};

void TestHostileSurface::backgroundThatNeverEndsIsSkipped_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("named pipe") << QStringLiteral("pipe.bmp");
    QTest::newRow("link to /dev/zero, bitmap") << QStringLiteral("zero.bmp");
    QTest::newRow("link to /dev/zero, other picture") << QStringLiteral("zero.png");
}

void TestHostileSurface::backgroundThatNeverEndsIsSkipped()
{
    QFETCH(QString, name);
    const QString path = dir.filePath(name);
    if (name.startsWith(QLatin1String("pipe")))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    TGBusinessCardPanel32 panel;
    panel.resize(336, 192);
    QElapsedTimer clock;
    clock.start();
    panel.LoadBackground(path);
    QVERIFY(clock.elapsed() < 1000);
    QVERIFY(panel.ColorPicture().isNull());
    QVERIFY(!panel.RenderToBitmap().isNull());
}

void TestHostileSurface::deviceAsDesignFailsClearly()
{
    TGBusinessCardPanel32 panel;
    TGLabelObjectFiler filer;
    QElapsedTimer clock;
    clock.start();
    try {
        filer.ReadInto(panel.Owner(), panel, QStringLiteral("/dev/zero"));
        QFAIL("/dev/zero was read as a design");
    } catch (const EFOpenError& e) {
        QVERIFY(e.message().contains(QStringLiteral("/dev/zero")));
        QVERIFY(e.message().contains(QStringLiteral("not a regular file")));
    }
    QVERIFY(clock.elapsed() < 1000);
}

void TestHostileSurface::companionLayoutIsHeldToTheDialogLimits_data()
{
    QTest::addColumn<QByteArray>("layout");
    QTest::addColumn<CompanionLayout>("expected");
    CompanionLayout huge;
    huge.across = 10;
    huge.down = 30;
    huge.width = 99000;
    huge.height = 99000;
    huge.hPitch = huge.vPitch = huge.topMargin = huge.leftMargin = 99000;
    QTest::newRow("a million across and down, 2e9 wide")
        << QByteArray("Across=1000000\r\nDown=1000000\r\nWidth=2000000000\r\nHeight=300000\r\n"
                      "HPitch=2147483647\r\nVPitch=99001\r\nTopMargin=5000000\r\nLeftMargin=99999\r\n")
        << huge;
    CompanionLayout tiny;
    tiny.across = 1;
    tiny.down = 1;
    tiny.width = 500;
    tiny.height = 300;
    tiny.hPitch = tiny.vPitch = tiny.topMargin = tiny.leftMargin = 0;
    QTest::newRow("nothing across, negative lengths")
        << QByteArray("Across=0\r\nDown=-5\r\nWidth=0\r\nHeight=-2147483648\r\n"
                      "HPitch=-1\r\nVPitch=-3500\r\nTopMargin=-1\r\nLeftMargin=-2147483648\r\n")
        << tiny;
    CompanionLayout ordinary;
    ordinary.across = 3;
    ordinary.width = 3543;
    QTest::newRow("ordinary values stay") << QByteArray("Across=3\r\nWidth=3543\r\n") << ordinary;
}

void TestHostileSurface::companionLayoutIsHeldToTheDialogLimits()
{
    QFETCH(QByteArray, layout);
    QFETCH(CompanionLayout, expected);
    const QString path = dir.filePath(QStringLiteral("card.QRE"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Ini Data]\r\nISINI=1\r\n[Layout]\r\n" + layout);
    f.close();
    const CompanionData data = ReadCompanionFile(path);
    QVERIFY(data.isIni);
    QCOMPARE(data.layout, expected);
}

QTEST_MAIN(TestHostileSurface)
#include "tst_hostile_surface.moc"
