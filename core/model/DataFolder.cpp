#include "DataFolder.h"

#include "InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace PLM_INC {

namespace {
QString &cached()
{
    static QString folder;
    return folder;
}

QString findDataFolder()
{
    const QString home = qEnvironmentVariable("PLM870_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return QDir(home).absolutePath();
    }
    const QString programFolder = QCoreApplication::applicationDirPath();
    // An installed program's folder is the system's, even where this user may write there.
    if (!programFolder.isEmpty() && QFileInfo(programFolder).isWritable()
        && InstalledShareFolder(programFolder).isEmpty())
        return programFolder;
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                            + QStringLiteral("/TOBREL LUMIRAS/PLM-870 Monitor_us");
    QDir().mkpath(perUser);
    return perUser;
}
} // namespace

QString DataFolder()
{
    if (cached().isEmpty())
        cached() = findDataFolder();
    return cached();
}

QString DataSubFolder(const QString &name)
{
    return DataFolder() + QLatin1Char('/') + name;
}

void ForgetDataFolder()
{
    cached().clear();
}

} // namespace PLM_INC
