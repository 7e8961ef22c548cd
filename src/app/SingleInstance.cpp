#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <unistd.h>

namespace bv {

namespace {
const QByteArray activateRequest = QByteArrayLiteral("activate\n");
// Followed by a path in UTF-8 and a line end.
const QByteArray openRequest = QByteArrayLiteral("open ");
constexpr int connectTimeoutMs = 1000;
} // namespace

TSingleInstance::TSingleInstance(const QString& name, QObject* parent) : QObject(parent), name(name)
{
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::DefaultName()
{
    QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (exe.isEmpty())
        exe = QStringLiteral("brisvale");
    return exe + QLatin1Char('-') + QString::number(static_cast<qulonglong>(::getuid()));
}

bool TSingleInstance::AnotherIsRunning(const QStringList& files)
{
    {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(connectTimeoutMs)) {
            for (const QString& file : files)
                if (!file.contains(QLatin1Char('\n')))
                    socket.write(openRequest + file.toUtf8() + '\n');
            socket.write(activateRequest);
            socket.waitForBytesWritten(connectTimeoutMs);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(connectTimeoutMs);
            return true;
        }
    }
    // Nobody answers: a socket file left by a copy that crashed is stale.
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        QLocalServer::removeServer(name);
        server->listen(name);
    }
    connect(server, &QLocalServer::newConnection, this, &TSingleInstance::readRequest);
    return false;
}

void TSingleInstance::readRequest()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto handle = [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(64 * 1024);
                if (line == activateRequest && onActivate)
                    onActivate();
                else if (line.startsWith(openRequest) && line.endsWith('\n') && onOpen)
                    onOpen(QString::fromUtf8(line.mid(openRequest.size()).chopped(1)));
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, handle);
        handle();
    }
}

void BringWindowToFront(QWidget& window)
{
    if (window.isMinimized())
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace bv
