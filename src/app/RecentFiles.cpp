#include "app/RecentFiles.h"

#include <QAction>
#include <QMenu>

namespace bv {

TRecentFiles::TRecentFiles(QMenu* menu, int maximum, QObject* parent)
    : QObject(parent), menu(menu), maximum(maximum)
{
}

void TRecentFiles::SetFiles(const QStringList& list)
{
    files.clear();
    for (const QString& path : list) {
        if (files.size() >= maximum)
            break;
        if (!path.isEmpty() && !files.contains(path, Qt::CaseInsensitive))
            files.append(path);
    }
    rebuild();
}

void TRecentFiles::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    for (int i = 0; i < files.size(); ++i) {
        if (files[i].compare(path, Qt::CaseInsensitive) == 0) {
            files.removeAt(i);
            break;
        }
    }
    files.prepend(path);
    while (files.size() > maximum)
        files.removeLast();
    rebuild();
}

void TRecentFiles::Remove(const QString& path)
{
    for (int i = 0; i < files.size(); ++i) {
        if (files[i].compare(path, Qt::CaseInsensitive) == 0) {
            files.removeAt(i);
            break;
        }
    }
    rebuild();
}

void TRecentFiles::rebuild()
{
    if (!menu)
        return;
    for (QAction* a : actions) {
        menu->removeAction(a);
        a->deleteLater();
    }
    actions.clear();
    if (separator) {
        menu->removeAction(separator);
        separator->deleteLater();
        separator = nullptr;
    }
    if (files.isEmpty())
        return;
    separator = menu->addSeparator();
    separator->setObjectName(QStringLiteral("RecentFilesSeparator"));
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        // An ampersand in a path must show as itself, not as a mnemonic.
        QString shown = path;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        a->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        a->setData(path);
        connect(a, &QAction::triggered, this, [this, path] { emit FileChosen(path); });
        actions.append(a);
    }
}

} // namespace bv
