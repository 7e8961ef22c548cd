#include "platform/Environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

namespace bv {

namespace {
QString withSlash(QString path)
{
    path = QDir::cleanPath(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}
} // namespace

QString ProgramFolder()
{
    const QByteArray home = qgetenv("BRISVALE_HOME");
    QString folder;
    if (!home.isEmpty()) {
        folder = withSlash(QString::fromLocal8Bit(home));
    } else {
        QString exeDir;
        if (QCoreApplication::instance())
            exeDir = QCoreApplication::applicationDirPath();
        QFileInfo info(exeDir);
        if (!exeDir.isEmpty() && info.isDir() && info.isWritable()) {
            folder = withSlash(exeDir);
        } else {
            QString data = qEnvironmentVariable("XDG_DATA_HOME");
            if (data.isEmpty())
                data = QDir::homePath() + QStringLiteral("/.local/share");
            folder = withSlash(data + QStringLiteral("/brisvale"));
        }
    }
    QDir().mkpath(folder);
    return folder;
}

int ScreenPpi()
{
    bool ok = false;
    int forced = qEnvironmentVariableIntValue("BRISVALE_PPI", &ok);
    if (ok && forced > 0)
        return forced;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            int dpi = static_cast<int>(screen->logicalDotsPerInch() + 0.5);
            if (dpi > 0)
                return dpi;
        }
    }
    return 96;
}

QString IniPath()
{
    return ProgramFolder() + IniFileName();
}

} // namespace bv
