#pragma once
// Keeps a second copy of the program from running: the first copy listens on
// a local socket named after the executable (and the user); a second start
// finds it there, asks it to bring its window to the front and ends.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QLocalServer;
class QWidget;

namespace bv {

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // `name`: the server name; DefaultName() for the program.
    explicit TSingleInstance(const QString& name, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // The executable's file name and the user id, so two users on one
    // machine each have their own copy.
    static QString DefaultName();

    // True when another copy already runs: it has been asked to come to the
    // front (and to open `files`, absolute paths) and this copy should end.
    // Otherwise this copy now answers later starts (and runs `onActivate`
    // and `onOpen` when one arrives).
    bool AnotherIsRunning(const QStringList& files = {});

    // Run when a later start asks this copy to come forward.
    std::function<void()> onActivate;
    // Run for each design file a later start was given (a file manager's
    // "open with").
    std::function<void(const QString&)> onOpen;

    const QString& Name() const { return name; }

private:
    void readRequest();

    QString name;
    QLocalServer* server = nullptr;
};

// Brings a main window to the front: restored when minimised, else raised
// and activated.
void BringWindowToFront(QWidget& window);

} // namespace bv
