#include "FileChoice.h"

#include "DataFolder.h"
#include "FileMessages.h"
#include "Prompter.h"

#include <QDir>
#include <QFileInfo>

namespace PLM_INC {

namespace {

const QString kFilter = QStringLiteral("*.dat(data file) (*.dat)");
const QString kSuffix = QStringLiteral("dat");

// The dialogs' default extension, also where a dialog gives back a name as it was typed.
QString withDefaultSuffix(const QString &name)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return name + QLatin1Char('.') + kSuffix;
}

} // namespace

QString SettingFileFolder()
{
    const QString folder = DataSubFolder(QStringLiteral("Setdata"));
    QDir().mkpath(folder);
    return folder;
}

QString ChooseSaveFile()
{
    const QString name =
        withDefaultSuffix(prompter().saveFileName(QStringLiteral("Save As"), SettingFileFolder(), kFilter, kSuffix));
    if (name.isEmpty())
        return QString();
    if (QFileInfo::exists(name)
        && prompter().question(QString::fromLatin1(FileMessages::kOverwrite), QuestionIcon::Question) != Answer::Yes) {
        prompter().message(QString::fromLatin1(FileMessages::kNewFileName));
        return QString();
    }
    return name;
}

QString ChooseOpenFile()
{
    return withDefaultSuffix(prompter().openFileName(QStringLiteral("Open"), SettingFileFolder(), kFilter, kSuffix));
}

} // namespace PLM_INC
