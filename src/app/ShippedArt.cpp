#include "app/ShippedArt.h"

#include "platform/Environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bv {

void InstallShippedFiles(const QString& folder)
{
    const QString target = ProgramFolder() + folder + QLatin1Char('/');
    QDir().mkpath(target);
    const QString source = QStringLiteral(":/") + folder + QLatin1Char('/');
    for (const QString& name : QDir(source).entryList(QDir::Files, QDir::Name)) {
        const QString path = target + name;
        if (QFileInfo::exists(path))
            continue;
        // A copy from the resources is read-only; the user's folder is not.
        if (QFile::copy(source + name, path))
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
}

void InstallShippedArt()
{
    InstallShippedFiles(QStringLiteral("bg"));
    InstallShippedFiles(QStringLiteral("qrdt"));
}

} // namespace bv
