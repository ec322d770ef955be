#include "FileChoice.h"

#include "DataFolder.h"
#include "FileMessages.h"
#include "Prompter.h"

#include <QDir>
#include <QFileInfo>

namespace PLM_INC {

namespace {

const QString kFilter = QStringLiteral("*.dat(data file) (*.dat)");

} // namespace

QString SettingFileFolder()
{
    const QString folder = DataSubFolder(QStringLiteral("Setdata"));
    QDir().mkpath(folder);
    return folder;
}

QString ChooseSaveFile()
{
    QString name = prompter().saveFileName(QStringLiteral("Save As"), SettingFileFolder(), kFilter);
    if (name.isEmpty())
        return QString();
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".dat");
    if (QFileInfo::exists(name) && prompter().question(QString::fromLatin1(FileMessages::kOverwrite)) != Answer::Yes) {
        prompter().message(QString::fromLatin1(FileMessages::kNewFileName));
        return QString();
    }
    return name;
}

QString ChooseOpenFile()
{
    return prompter().openFileName(QStringLiteral("Open"), SettingFileFolder(), kFilter);
}

} // namespace PLM_INC
