#include "InstallLayout.h"

#include "ProgramBuildInfo.h"

#include <QDir>
#include <QFileInfo>

namespace PLM_INC {

namespace {
const QString kHelpContents = QStringLiteral("help/PLM_MONITOR_US.html");
} // namespace

QString InstalledShareFolder(const QString &programFolder)
{
    if (programFolder.isEmpty())
        return QString();
    const QFileInfo share(QDir(programFolder).filePath(QStringLiteral(PLM870_SHARE_FROM_BINDIR)));
    return share.isDir() ? QDir::cleanPath(share.absoluteFilePath()) : QString();
}

QString HelpContentsPage(const QString &programFolder)
{
    if (programFolder.isEmpty())
        return QString();
    const QFileInfo beside(QDir(programFolder).filePath(kHelpContents));
    if (beside.isFile())
        return QDir::cleanPath(beside.absoluteFilePath());
    const QString share = InstalledShareFolder(programFolder);
    if (share.isEmpty())
        return QString();
    const QFileInfo installed(QDir(share).filePath(kHelpContents));
    return installed.isFile() ? installed.absoluteFilePath() : QString();
}

} // namespace PLM_INC
