#include "ProgramEntry.h"

#include "AlarmHistory.h"
#include "ChartPage.h"
#include "Clock.h"
#include "DataFolder.h"
#include "LoggingPage.h"
#include "MainDisp.h"
#include "OpeningScreen.h"
#include "PLM_INC.h"
#include "PassOver.h"
#include "Preferences.h"

#include "ProgramBuildInfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <exception>

ProgramEntry::ProgramEntry() = default;

ProgramEntry::~ProgramEntry()
{
    m_openingScreen.reset();
    m_mainDisp.reset();
}

// The first touch of the main window loads it: the link driver and PLMCom are created here,
// before any folder exists.
void ProgramEntry::loadChartSettings()
{
    // Window managers and Wayland match every window to the menu entry by this name; the icon
    // is the installed one of the same name.
    QGuiApplication::setDesktopFileName(QStringLiteral(PLM870_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(PLM870_APP_ID)));
    m_mainDisp = std::make_unique<MainDisp>();
    MainDisp &w = *m_mainDisp;
    w.chartPage->LoadChartSettings();
    w.loggingPage->loadContinueChoice();
    if (onMainWindowLoaded)
        onMainWindowLoaded(w);
}

void ProgramEntry::makeDataFolders(const QStringList &names)
{
    for (const QString &name : names) {
        const QString path = PLM_INC::DataSubFolder(name);
        if (!QDir(path).exists())
            QDir().mkpath(path);
    }
}

void ProgramEntry::end()
{
    m_mainDisp->keepSettingsMemory();
    m_mainDisp->recordProgramLine(PLM_INC::ChangeOrigin::ProgramEnded);
}

void ProgramEntry::start()
{
    loadChartSettings();
    PLM_INC::GroupIndex = 0;
    PLM_INC::SelectedItem = 0;
    PLM_INC::HistoryRow = 1;
    PLM_INC::PassOver([] { QDir::setCurrent(PLM_INC::DataFolder()); });
    PLM_INC::PassOver([this] { makeDataFolders({QStringLiteral("logging"), QStringLiteral("hystory"), QStringLiteral("changes")}); });
    m_mainDisp->recordProgramLine(PLM_INC::ChangeOrigin::ProgramStarted);
    PLM_INC::PassOver([this] { m_historyFile = CreateHistoryFile(PLM_INC::DataSubFolder(QStringLiteral("hystory")), PLM_INC::clock().now()); });
    PLM_INC::PassOver([this] { makeDataFolders({QStringLiteral("Setdata")}); });
    m_openingScreen = std::make_unique<OpeningScreen>();
    m_mainDisp->setOpeningScreen(m_openingScreen.get());
    m_openingScreen->showNow();
    PLM_INC::PassOver([this] { m_mainDisp->regRead(); });
    PLM_INC::PassOver([this] { m_mainDisp->startPublishing(); });
    PLM_INC::PassOver([this] { m_mainDisp->loadSettingsMemory(); });
    PLM_INC::PassOver([this] { m_mainDisp->communicate(); });
}
