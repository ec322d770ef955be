#include "UiTestEnvironment.h"

#include "AlarmHistory.h"
#include "DataFolder.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <QSettings>

void UiPrompter::message(const QString &text, const QString &)
{
    messages << text;
}

PLM_INC::Answer UiPrompter::question(const QString &text, PLM_INC::QuestionIcon)
{
    questions << text;
    return answer;
}

UiTestEnvironment::UiTestEnvironment()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path() + QStringLiteral("/config"));
    Prefs::reopen();
    qputenv("PLM870_HOME", home().toLocal8Bit());
    PLM_INC::ForgetDataFolder();
    PLM_INC::ResetImage();
    PLM_INC::FillItemCodeTable();
    PLM_INC::setClock(&clock);
    PLM_INC::setPrompter(&prompter);
    setHistoryListener({});
}

UiTestEnvironment::~UiTestEnvironment()
{
    setHistoryListener({});
    PLM_INC::setClock(nullptr);
    PLM_INC::setPrompter(nullptr);
    Prefs::reopen();
    PLM_INC::ForgetDataFolder();
}

QString UiTestEnvironment::preferencesFile() const
{
    return Prefs::storePath();
}

void UiTestEnvironment::store(const QString &key, const QString &value)
{
    Prefs::set(key, value);
    Prefs::sync();
}
