#pragma once
// Keeps a second copy of the program from running: the first copy listens on
// a local socket; a second start finds it there, asks it to bring its window
// to the front (and to open the files it was given) and ends.
//
// The socket is the user's own: it lives in the user's runtime folder
// (XDG_RUNTIME_DIR, when it is the user's and closed to others), and both
// ends check that the other side runs as the same user, so another local
// user who listens under the name first neither receives the files nor stops
// the program from starting (it then starts on its own). The name is keyed
// on the display and the program folder: a start on another display or with
// another BRISVALE_HOME is a copy of its own.
//
// What a later start sends is held to limits: a request line of at most
// MaxRequestBytes (a longer one closes the connection), at most
// MaxQueuedFiles files waiting, a few connections at a time. Requests are
// handed on in one batch from the event loop, never from inside the handling
// of an earlier batch, so message boxes do not nest however many arrive.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace bv {

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxRequestBytes = 16 * 1024;
    static constexpr int MaxQueuedFiles = 64;
    static constexpr int MaxConnections = 8;

    // `name`: the server name or socket path; DefaultName() for the program.
    explicit TSingleInstance(const QString& name, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // The socket path: in the runtime folder when it is usable (else the
    // temporary folder), named after the executable, the user, and a key of
    // the display and the program folder.
    static QString DefaultName();
    // Whether a runtime folder may hold the socket: a folder of this user
    // that nobody else may enter.
    static bool RuntimeFolderUsable(uid_t owner, mode_t mode, uid_t user);

    // True when another copy of this user already runs: it has been asked
    // to come to the front (and to open `files`, absolute paths) and this
    // copy should end. Otherwise this copy now answers later starts (unless
    // someone else holds the name) and runs `onActivate` and `onOpen` when
    // one arrives.
    bool AnotherIsRunning(const QStringList& files = {});
    // Whether this copy answers later starts.
    bool Listening() const { return server != nullptr; }

    // Run when a later start asks this copy to come forward.
    std::function<void()> onActivate;
    // Run with the design files later starts were given (a file manager's
    // "open with"), as many as arrived together.
    std::function<void(const QStringList&)> onOpen;

    const QString& Name() const { return name; }

private:
    void acceptConnections();
    void readFrom(QLocalSocket* socket);
    void scheduleDelivery();
    void deliver();

    QString name;
    QLocalServer* server = nullptr;
    QStringList queued;
    bool activateQueued = false;
    bool deliveryScheduled = false;
    bool delivering = false;
};

// Brings a main window to the front: restored when minimised, else raised
// and activated.
void BringWindowToFront(QWidget& window);

} // namespace bv
