#pragma once
// The recently used files list of the File menu: at most a fixed number of
// full paths, most recent first. Adding a listed path (letter case ignored)
// moves it to the top. After every change the menu's entries are rebuilt at
// its end: a separator, then "&1 path", "&2 path", ...
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;

namespace bv {

class TRecentFiles : public QObject {
    Q_OBJECT
public:
    TRecentFiles(QMenu* menu, int maximum, QObject* parent = nullptr);

    const QStringList& Files() const { return files; }
    int Maximum() const { return maximum; }
    bool IsEmpty() const { return files.isEmpty(); }

    // Replaces the whole list (cut to the maximum).
    void SetFiles(const QStringList& list);
    void Add(const QString& path);
    void Remove(const QString& path);

    // The entries now on the menu, in order (for tests and the window).
    const QList<QAction*>& Actions() const { return actions; }

signals:
    // An entry was chosen; the window decides what happens.
    void FileChosen(const QString& path);

private:
    void rebuild();

    QMenu* menu;
    int maximum;
    QStringList files;
    QAction* separator = nullptr;
    QList<QAction*> actions;
};

} // namespace bv
