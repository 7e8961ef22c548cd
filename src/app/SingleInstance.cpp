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

bool TSingleInstance::AnotherIsRunning()
{
    {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(connectTimeoutMs)) {
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
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (line == activateRequest && onActivate)
                onActivate();
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
