#include "app/SingleInstance.h"

#include "platform/Environment.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <utility>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bv {

namespace {
const QByteArray activateRequest = QByteArrayLiteral("activate\n");
// Followed by a path in UTF-8 and a line end.
const QByteArray openRequest = QByteArrayLiteral("open ");
constexpr int connectTimeoutMs = 1000;

// The user id of the process at the other end of a connected local socket;
// -1 when it cannot be told.
long long peerUid(const QLocalSocket& socket)
{
    const qintptr fd = socket.socketDescriptor();
    if (fd < 0)
        return -1;
    struct ucred cred {};
    socklen_t len = sizeof cred;
    if (::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return -1;
    return static_cast<long long>(cred.uid);
}

bool peerIsThisUser(const QLocalSocket& socket)
{
    return peerUid(socket) == static_cast<long long>(::getuid());
}

// Removes a socket left by a copy that crashed, when it is this user's.
void removeStaleSocket(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid())
        ::unlink(QFile::encodeName(path).constData());
}
} // namespace

TSingleInstance::TSingleInstance(const QString& name, QObject* parent) : QObject(parent), name(name)
{
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::RuntimeFolderUsable(uid_t owner, mode_t mode, uid_t user)
{
    return S_ISDIR(mode) && owner == user && (mode & 077) == 0;
}

QString TSingleInstance::DefaultName()
{
    QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (exe.isEmpty())
        exe = QStringLiteral("brisvale");
    const uid_t uid = ::getuid();
    QString folder = QDir::tempPath();
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (!runtime.isEmpty() && runtime.startsWith('/') && ::stat(runtime.constData(), &st) == 0
        && RuntimeFolderUsable(st.st_uid, st.st_mode, uid))
        folder = QFile::decodeName(runtime);
    QByteArray display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    const QByteArray key = QCryptographicHash::hash(display + '\n' + ProgramFolder().toUtf8(),
        QCryptographicHash::Sha1).toHex().left(16);
    return QDir(folder).filePath(exe + QLatin1Char('-') + QString::number(static_cast<qulonglong>(uid))
        + QLatin1Char('-') + QString::fromLatin1(key));
}

bool TSingleInstance::AnotherIsRunning(const QStringList& files)
{
    {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(connectTimeoutMs)) {
            // Someone else listening under this name gets nothing, and this
            // copy starts on its own without answering later starts.
            if (!peerIsThisUser(socket)) {
                socket.abort();
                return false;
            }
            for (const QString& file : files) {
                const QByteArray line = openRequest + file.toUtf8() + '\n';
                if (!file.contains(QLatin1Char('\n')) && line.size() <= MaxRequestBytes)
                    socket.write(line);
            }
            socket.write(activateRequest);
            socket.waitForBytesWritten(connectTimeoutMs);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(connectTimeoutMs);
            return true;
        }
    }
    // Nobody answers: a socket file left by a copy that crashed is stale.
    auto* listener = new QLocalServer(this);
    listener->setSocketOptions(QLocalServer::UserAccessOption);
    listener->setMaxPendingConnections(MaxConnections);
    if (!listener->listen(name)) {
        if (name.startsWith(QLatin1Char('/')))
            removeStaleSocket(name);
        else
            QLocalServer::removeServer(name);
        if (!listener->listen(name)) {
            delete listener;
            return false;
        }
    }
    server = listener;
    connect(server, &QLocalServer::newConnection, this, &TSingleInstance::acceptConnections);
    return false;
}

void TSingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const int open = static_cast<int>(findChildren<QLocalSocket*>().size());
        if (!peerIsThisUser(*socket) || open >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setParent(this);
        socket->setReadBufferSize(MaxRequestBytes + 1);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        readFrom(socket);
    }
}

void TSingleInstance::readFrom(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(MaxRequestBytes + 1);
        if (!line.endsWith('\n')) {
            socket->abort(); // longer than any request
            return;
        }
        if (line == activateRequest) {
            activateQueued = true;
        } else if (line.startsWith(openRequest)) {
            if (queued.size() < MaxQueuedFiles)
                queued.append(QString::fromUtf8(line.mid(openRequest.size()).chopped(1)));
        }
    }
    // A line without its end that has grown past any request's length.
    if (socket->bytesAvailable() > MaxRequestBytes) {
        socket->abort();
        return;
    }
    scheduleDelivery();
}

void TSingleInstance::scheduleDelivery()
{
    if ((queued.isEmpty() && !activateQueued) || deliveryScheduled || delivering)
        return;
    deliveryScheduled = true;
    QMetaObject::invokeMethod(this, [this] { deliver(); }, Qt::QueuedConnection);
}

void TSingleInstance::deliver()
{
    deliveryScheduled = false;
    if (delivering)
        return;
    delivering = true;
    // Requests that arrive while a batch is handled (a message box runs its
    // own event loop) wait for the next round of this loop.
    while (!queued.isEmpty() || activateQueued) {
        const QStringList files = std::exchange(queued, {});
        const bool activate = std::exchange(activateQueued, false);
        if (!files.isEmpty() && onOpen)
            onOpen(files);
        if (activate && onActivate)
            onActivate();
    }
    delivering = false;
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
