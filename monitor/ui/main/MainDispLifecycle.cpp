// Start-up preferences (regRead), the main loop's start and the closing sequence.
#include "MainDisp.h"
#include "LoggingPage.h"
#include "MonitorComm.h"
#include "OpeningScreen.h"
#include "PLM_INC.h"
#include "PassOver.h"
#include "Preferences.h"
#include "Prompter.h"
#include "SubDisp_Block.h"
#include "SubDisp_History.h"
#include "ChangeRecordWindow.h"
#include "SubDisp_comm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <exception>

using namespace PLM_INC;

// A stored list index that is not a number, or names no entry of the list, gives way to the
// key's default, so one bad value never keeps the rest of the preferences from loading.
void MainDisp::restoreListIndex(QComboBox *list, const QString &key)
{
    int index = Prefs::getInt(key);
    if (index < 0 || index >= list->count())
        index = Prefs::defaultFor(key).toInt();
    setListIndex(list, index);
}

void MainDisp::regRead()
{
    PassOver([this] { subDispBlock->loadNames(); });
    PassOver([this] {
        for (int i = 3; i >= 0; --i)
            Frame_Block[size_t(i)]->setTitle(subDispBlock->DvtoN[size_t(i)]->text());
    });
    PassOver([this] {
        for (int n = 0; n < 80; ++n) {
            const QString name = Prefs::channelName(GroupIndex * 80 + n);
            Label1[size_t(n)]->setText(name);
            Para_Text[size_t(n)]->setAccessibleName(QStringLiteral("Value ") + name);
        }
    });
    PassOver([this] { subDispComm->setSelection(Prefs::get(QStringLiteral("Port")), Prefs::get(QStringLiteral("Speed"))); });
    PassOver([this] { loggingPage->restoreChoices(); });
    PassOver([this] {
        SetNameLists(2);
    });
    PassOver([this] {
        restoreListIndex(tb1_BName[0], QStringLiteral("tab1name0"));
        restoreListIndex(tb1_BName[1], QStringLiteral("tab1name1"));
        restoreListIndex(tb2_BName, QStringLiteral("tab2name"));
        restoreListIndex(tb3_CHName, QStringLiteral("tab3name"));
        setListIndex(tb4_BName, 0);
        restoreListIndex(Combo1, QStringLiteral("tab0block"));
        restoreListIndex(tb1_Block_P[0], QStringLiteral("tab1block0"));
        restoreListIndex(tb1_Block_P[1], QStringLiteral("tab1block1"));
        restoreListIndex(tb2_Block_P[0], QStringLiteral("tab2block0"));
        restoreListIndex(tb2_Block_P[1], QStringLiteral("tab2block1"));
        restoreListIndex(tb2_Block_P[2], QStringLiteral("tab2block2"));
    });
    if (afterRegRead)
        afterRegRead();
}

void MainDisp::communicate()
{
    m_comm->communicate();
}

bool MainDisp::Form_Unload()
{
    if (m_quit)
        return true;
    // The logging choices are kept whatever the answer.
    loggingPage->saveChoices();
    Prefs::sync();
    if (prompter().question(QStringLiteral("Do you want to close the program?")) != Answer::Yes)
        return false;
    endProgram();
    return true;
}

void MainDisp::mnuEnd_Click()
{
    Form_Unload();
}

void MainDisp::endProgram()
{
    if (m_quit)
        return;
    m_quit = true;
    m_comm->timer4().stop();
    m_comm->closePort();
    Prefs::sync();
    subDispComm->hide();
    subDispHistory->hide();
    changeRecordWindow->hide();
    if (m_openingScreen)
        m_openingScreen->close();
    hide();
    emit programEnded();
}
