// Picture files that are not files: a named pipe or /dev/zero under a .wmf,
// .ico or .png name (a background, clip art, the picture browser's preview)
// is refused by the reader before a byte is read, instead of blocking for
// ever or reading without end.
#include "pictures/Metafile.h"
#include "pictures/Picture.h"
#include "platform/Errors.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace bv;

class TestPictureFiles : public QObject {
    Q_OBJECT
private slots:
    void readersRefuseSpecialFiles_data();
    void readersRefuseSpecialFiles();

private:
    QTemporaryDir dir;
};

void TestPictureFiles::readersRefuseSpecialFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fifo");
    QTest::addColumn<bool>("metafileReader");
    for (bool fifo : {true, false}) {
        const char* kind = fifo ? "pipe" : "/dev/zero";
        QTest::newRow(qPrintable(QStringLiteral("metafile reader, %1").arg(kind))) << "m.wmf" << fifo << true;
        for (const char* name : {"p.wmf", "p.ico", "p.png", "p.bmp"})
            QTest::newRow(qPrintable(QStringLiteral("picture %1, %2").arg(QLatin1String(name), QLatin1String(kind))))
                << QString::fromLatin1(name) << fifo << false;
    }
}

void TestPictureFiles::readersRefuseSpecialFiles()
{
    QFETCH(QString, name);
    QFETCH(bool, fifo);
    QFETCH(bool, metafileReader);
    const QString path = dir.filePath(name);
    QFile::remove(path);
    if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    if (metafileReader)
        QVERIFY_THROWS_EXCEPTION(Exception, Metafile::FromFile(path));
    else
        QVERIFY_THROWS_EXCEPTION(Exception, TPicture::LoadFromFile(path));
    QFile::remove(path);
}

QTEST_GUILESS_MAIN(TestPictureFiles)
#include "tst_picture_files.moc"
