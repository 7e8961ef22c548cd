// The single-instance socket under requests from a hostile or careless
// local process: lines without an end, thousands of requests while a
// message box is open, files that are not there, another user listening
// under the name first, and starts on another display or program folder.
#include "MainScreenKit.h"

#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace bv;

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void aLineWithoutItsEndIsCutOff();
    void requestsArriveInBatchesThatDoNotNest();
    void missingFilesAreReportedTogether();
    void nameFollowsDisplayAndProgramFolder_data();
    void nameFollowsDisplayAndProgramFolder();
    void runtimeFolderRule_data();
    void runtimeFolderRule();
    void anotherUserHoldingTheName();

private:
    QString uniqueName(const char* what) const
    {
        return QStringLiteral("brisvale-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(QLatin1String(what));
    }
};

void TestSingleInstance::aLineWithoutItsEndIsCutOff()
{
    TSingleInstance first(uniqueName("line"));
    QVERIFY(!first.AnotherIsRunning());
    QLocalSocket client;
    client.connectToServer(first.Name());
    QVERIFY(client.waitForConnected(2000));
    // Far longer than any path, and no line end: the server closes the
    // connection instead of buffering it.
    const QByteArray flood(256 * 1024, 'x');
    client.write("open /" + flood);
    client.flush();
    QTRY_VERIFY_WITH_TIMEOUT(client.state() == QLocalSocket::UnconnectedState, 10000);
}

void TestSingleInstance::requestsArriveInBatchesThatDoNotNest()
{
    TSingleInstance first(uniqueName("nest"));
    QVERIFY(!first.AnotherIsRunning());
    int depth = 0;
    int deepest = 0;
    int files = 0;
    int batches = 0;
    QLocalSocket client;
    first.onOpen = [&](const QStringList& paths) {
        ++batches;
        files += int(paths.size());
        deepest = std::max(deepest, ++depth);
        // A message box: its own event loop runs while more requests come.
        if (batches == 1) {
            for (int i = 0; i < 2000; ++i)
                client.write("open /missing/" + QByteArray::number(i) + ".QRD\n");
            client.flush();
            QTest::qWait(300);
        }
        --depth;
    };
    client.connectToServer(first.Name());
    QVERIFY(client.waitForConnected(2000));
    client.write("open /missing/first.QRD\n");
    client.flush();
    QTRY_VERIFY_WITH_TIMEOUT(batches >= 2, 10000);
    QTest::qWait(100);
    QCOMPARE(deepest, 1);
    // The queue holds a bounded number of files; the rest are dropped.
    QVERIFY(files >= 2);
    QVERIFY(files <= 1 + 2 * TSingleInstance::MaxQueuedFiles);
}

void TestSingleInstance::missingFilesAreReportedTogether()
{
    test::ProgramHome home;
    test::ScriptedInteraction ui;
    auto w = test::startMainScreen();
    const QStringList missing{home.path(QStringLiteral("gone1.QRD")), home.path(QStringLiteral("gone2.QRD"))};
    ui.expectInfo();
    // A device named as a design is said to be one, not "no longer exists".
    w->OpenFromOutside(QStringList{missing[0], QStringLiteral("/dev/zero"), missing[1]});
    QCOMPARE(ui.messages().size(), 1);
    const QString message = ui.messages().first();
    QVERIFY(message.contains(missing[0] + QStringLiteral(" no longer exists")));
    QVERIFY(message.contains(missing[1] + QStringLiteral(" no longer exists")));
    QVERIFY(message.contains(QStringLiteral("\"/dev/zero\". It is not a regular file.")));
}

void TestSingleInstance::nameFollowsDisplayAndProgramFolder_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<bool>("same");
    QTest::newRow("same display, same folder") << QByteArray(":0") << QByteArray("/tmp/a") << true;
    QTest::newRow("another display") << QByteArray(":1") << QByteArray("/tmp/a") << false;
    QTest::newRow("another program folder") << QByteArray(":0") << QByteArray("/tmp/b") << false;
}

void TestSingleInstance::nameFollowsDisplayAndProgramFolder()
{
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, home);
    QFETCH(bool, same);
    const QByteArray oldDisplay = qgetenv("DISPLAY");
    const QByteArray oldHome = qgetenv("BRISVALE_HOME");
    QTemporaryDir runtime;
    QCOMPARE(::chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("DISPLAY", ":0");
    qputenv("BRISVALE_HOME", "/tmp/a");
    const QString reference = TSingleInstance::DefaultName();
    qputenv("DISPLAY", display);
    qputenv("BRISVALE_HOME", home);
    const QString name = TSingleInstance::DefaultName();
    QCOMPARE(name == reference, same);
    // In the user's own runtime folder; elsewhere when that folder is open
    // to others.
    QVERIFY(name.startsWith(runtime.path() + QLatin1Char('/')));
    QCOMPARE(::chmod(QFile::encodeName(runtime.path()).constData(), 0777), 0);
    QVERIFY(!TSingleInstance::DefaultName().startsWith(runtime.path()));
    qputenv("DISPLAY", oldDisplay);
    qputenv("BRISVALE_HOME", oldHome);
}

void TestSingleInstance::runtimeFolderRule_data()
{
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("usable");
    QTest::newRow("ours, 0700") << 1000u << uint(S_IFDIR | 0700) << true;
    QTest::newRow("ours, 0750") << 1000u << uint(S_IFDIR | 0750) << false;
    QTest::newRow("ours, 0777") << 1000u << uint(S_IFDIR | 0777) << false;
    QTest::newRow("another user's, 0700") << 1001u << uint(S_IFDIR | 0700) << false;
    QTest::newRow("a file, not a folder") << 1000u << uint(S_IFREG | 0700) << false;
}

void TestSingleInstance::runtimeFolderRule()
{
    QFETCH(uint, owner);
    QFETCH(uint, mode);
    QFETCH(bool, usable);
    QCOMPARE(TSingleInstance::RuntimeFolderUsable(owner, mode, 1000), usable);
}

// Another user (uid 4242, a forked child that gave up root) listens first
// under the name: this start gets no answer it trusts, hands over nothing,
// and starts on its own.
void TestSingleInstance::anotherUserHoldingTheName()
{
    if (::geteuid() != 0)
        QSKIP("becoming another user needs root");
    QTemporaryDir shared;
    QCOMPARE(::chmod(QFile::encodeName(shared.path()).constData(), 0777), 0);
    const QByteArray path = QFile::encodeName(shared.path() + QStringLiteral("/brisvale-1000-key"));
    int report[2];
    QCOMPARE(::pipe(report), 0);
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setresgid(4242, 4242, 4242) != 0 || ::setresuid(4242, 4242, 4242) != 0)
            ::_exit(3);
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.constData(), sizeof addr.sun_path - 1);
        if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 4) != 0)
            ::_exit(4);
        (void)!::write(ready[1], "r", 1);
        long received = 0;
        pollfd p{s, POLLIN, 0};
        if (::poll(&p, 1, 5000) == 1) {
            const int c = ::accept(s, nullptr, nullptr);
            char buffer[4096];
            pollfd q{c, POLLIN, 0};
            while (::poll(&q, 1, 1000) == 1) {
                const ssize_t n = ::read(c, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                received += n;
            }
        }
        (void)!::write(report[1], &received, sizeof received);
        ::_exit(0);
    }
    char r = 0;
    QCOMPARE(::read(ready[0], &r, 1), ssize_t(1));
    TSingleInstance instance(QFile::decodeName(path));
    QVERIFY(!instance.AnotherIsRunning({QStringLiteral("/home/victim/secret.QRD")}));
    long received = -1;
    QCOMPARE(::read(report[0], &received, sizeof received), ssize_t(sizeof received));
    QCOMPARE(received, 0L);
    int status = 0;
    ::waitpid(child, &status, 0);
    QCOMPARE(WEXITSTATUS(status), 0);
}

QTEST_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
