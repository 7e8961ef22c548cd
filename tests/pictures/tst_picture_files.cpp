// A metafile that is not a file: a named pipe or /dev/zero under a .wmf
// name (a background, clip art, the picture browser's preview) is refused
// before a byte is read, instead of blocking for ever or reading without end.
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
    QTest::addColumn<bool>("fifo");
    QTest::newRow("named pipe") << true;
    QTest::newRow("link to /dev/zero") << false;
}

void TestPictureFiles::readersRefuseSpecialFiles()
{
    QFETCH(bool, fifo);
    const QString path = dir.filePath(QStringLiteral("art.wmf"));
    QFile::remove(path);
    if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    QVERIFY_THROWS_EXCEPTION(Exception, Metafile::FromFile(path));
    // The picture loader (the browser's preview) takes the same way.
    QVERIFY_THROWS_EXCEPTION(Exception, TPicture::LoadFromFile(path));
}

QTEST_GUILESS_MAIN(TestPictureFiles)
#include "tst_picture_files.moc"
