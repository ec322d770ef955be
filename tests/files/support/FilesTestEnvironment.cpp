#include "FilesTestEnvironment.h"

#include "DataFolder.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <QDir>
#include <QFile>
#include <QSettings>

void FilePrompter::message(const QString &text, const QString &)
{
    messages << text;
}

PLM_INC::Answer FilePrompter::question(const QString &text, PLM_INC::QuestionIcon icon)
{
    questions << text;
    questionIcons << icon;
    return answers.isEmpty() ? answer : answers.takeFirst();
}

QString FilePrompter::openFileName(const QString &, const QString &folder, const QString &filter, const QString &suffix)
{
    dialogFolders << folder;
    dialogFilters << filter;
    dialogSuffixes << suffix;
    return openNames.isEmpty() ? QString() : openNames.takeFirst();
}

QString FilePrompter::saveFileName(const QString &, const QString &folder, const QString &filter, const QString &suffix)
{
    dialogFolders << folder;
    dialogFilters << filter;
    dialogSuffixes << suffix;
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
}

FilesTestEnvironment::FilesTestEnvironment()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path() + QStringLiteral("/config"));
    Prefs::reopen();
    qputenv("PLM870_HOME", QFile::encodeName(home()));
    PLM_INC::ForgetDataFolder();
    QDir().mkpath(setdata());
    PLM_INC::ResetImage();
    PLM_INC::FillItemCodeTable();
    PLM_INC::setPrompter(&prompter);
}

FilesTestEnvironment::~FilesTestEnvironment()
{
    PLM_INC::setPrompter(nullptr);
    Prefs::reopen();
    qunsetenv("PLM870_HOME");
    PLM_INC::ForgetDataFolder();
}

bool WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
