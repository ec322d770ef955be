#include "MainDisp.h"

#include "ChangeRecord.h"
#include "Clock.h"

#include "ChangeRecordWindow.h"
#include "ChartPage.h"
#include "Controls.h"
#include "DataFolder.h"
#include "FileMessages.h"
#include "InstallLayout.h"
#include "LinkHealth.h"
#include "SettingsMemory.h"
#include "LinkRequests.h"
#include "LoggingPage.h"
#include "MonitorComm.h"
#include "OpeningScreen.h"
#include "PageTabs.h"
#include "PassOver.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Prompter.h"
#include "Publisher.h"
#include "PublishingStart.h"
#include "STDComm.h"
#include "SettingEditor.h"
#include "SubDisp_About.h"
#include "SubDisp_AllSaveLoad.h"
#include "SubDisp_Block.h"
#include "SubDisp_BlockSaveLoad.h"
#include "SubDisp_Broker.h"
#include "SubDisp_Chname.h"
#include "SubDisp_CommStatus.h"
#include "SubDisp_Factoryadj.h"
#include "SubDisp_History.h"
#include "SubDisp_SaveLoad.h"
#include "SubDisp_comm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QToolBar>
#include <QVBoxLayout>
#include <exception>

using namespace PLM_INC;

MainDisp::MainDisp(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainDisp"));
    setWindowTitle(QStringLiteral("PLM-870 Monitoring software"));
    m_comm = new MonitorComm(this);
    m_comm->setView(this);
    connect(m_comm, &MonitorComm::quitRequested, this, &MainDisp::endProgram);
    // The port's own message (CTS not asserted) comes from timer-driven work: one box at a time.
    m_comm->setMessageHandler([](const QString &text) { PLM_INC::prompter().message(text, QStringLiteral("port")); });
    linkHealth = new LinkHealth(*m_comm, this);
    publisher = new Publisher(*m_comm, *linkHealth, this);
    connect(m_comm, &MonitorComm::settingChanged, this, [this](PLM_INC::SettingChange change) {
        change.user = changeRecord.user();
        changeRecord.append(change);
    });
    changeRecord.setWrittenHandler([this](const PLM_INC::RecordedChange &line) { publisher->publishChange(line); });

    buildFrame();
    buildMenus();
    buildStatusBar();
    m_nameLists = std::make_unique<NameLists>(static_cast<TwoBlockControls &>(*this), static_cast<OneBlockControls &>(*this),
                                              static_cast<OneChannelControls &>(*this), static_cast<SettingControls &>(*this),
                                              *loggingPage, *chartPage, m_nameListPeers, m_selectors, chartPen);

    subDispComm = new SubDisp_comm(this);
    connect(subDispComm, &SubDisp_comm::okPressed, this, [this] { m_comm->commDialogOk(); });
    connect(subDispComm, &SubDisp_comm::shutDownPressed, this, &MainDisp::endProgram);
    subDispHistory = new SubDisp_History(this);
    changeRecordWindow = new ChangeRecordWindow(QString(), this);
    subDispCommStatus = new SubDisp_CommStatus(*linkHealth, this);
    subDispBroker = new SubDisp_Broker(this);
    connect(subDispBroker, &SubDisp_Broker::applied, this, &MainDisp::startPublishing);

    subDispBlock = new SubDisp_Block(*this);
    subDispChname = new SubDisp_Chname(*this);
    settingEditor = new SettingEditor(*this, *settingPage, m_settingDialogs, [this] { SelectDispItem(); }, this);
    setToolbar3Visible(false); // shown by the version window's access code
    buildFileWindows();
    setStatusPanel(2, QStringLiteral("Logging standby"));
    setStatusPanel(3, QStringLiteral("Chart standby"));
}

void MainDisp::recordProgramLine(PLM_INC::ChangeOrigin origin)
{
    changeRecord.append(PLM_INC::ProgramLine(origin, PLM_INC::clock().now(), changeRecord.user()));
}

void MainDisp::loadSettingsMemory()
{
    settingsMemory = std::make_unique<PLM_INC::SettingsMemory>(changeRecord.folder());
    QString why;
    if (!settingsMemory->load(&why))
        showWriteProblem(why);
}

void MainDisp::keepSettingsMemory()
{
    if (settingsMemory)
        settingsMemory->keep();
}

MainDisp::~MainDisp()
{
    m_comm->setView(nullptr);
}

void MainDisp::buildFrame()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("MainDisp_central"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 2);
    layout->setSpacing(2);

    SSTab1 = new PageTabs(central);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setAccessibleName(QStringLiteral("Display pages"));
    // Each page fills in its own controls struct, one of those this window is made of.
    fourBlockPage = new FourBlockPage(*this, m_selectors, *linkHealth, this);
    SSTab1->addTab(fourBlockPage->build(), QStringLiteral("4-Block Disp"));
    twoBlockPage = new TwoBlockPage(*this, m_selectors, *linkHealth, this);
    SSTab1->addTab(twoBlockPage->build(), QStringLiteral("2-Block Disp"));
    oneBlockPage = new OneBlockPage(*this, m_selectors, *linkHealth, this);
    SSTab1->addTab(oneBlockPage->build(), QStringLiteral("1 Block Disp"));
    oneChannelPage = new OneChannelPage(*this, m_selectors, *linkHealth, m_settingDialogs, this);
    SSTab1->addTab(oneChannelPage->build(), QStringLiteral("1 Channel Disp"));
    settingPage = new SettingPage(*this, m_selectors, this);
    SSTab1->addTab(settingPage->build(), QStringLiteral("Setting Disp"));
    // The link start-up resumes the chart and the logging, and the pen legends show the chart's
    // pens, through these hooks.
    chartPage = new ChartPage(*this);
    resumeChart = [this] { chartPage->resume(); };
    chartPen = [this](int pen) {
        const ChartSettings &settings = chartPage->sampling().settings;
        return ChartPen{settings.ChartPenChannel.at(size_t(pen)), settings.ChartPenItem.at(size_t(pen))};
    };
    SSTab1->addTab(chartPage, QStringLiteral("Chart"));
    loggingPage = new LoggingPage(*this);
    resumeLogging = [this] { loggingPage->resume(); };
    SSTab1->addTab(loggingPage, QStringLiteral("Data logging"));
    layout->addWidget(SSTab1, 1);

    // The two communication notices sit under the pages, hidden until the link driver shows them.
    auto *notices = new QHBoxLayout;
    Text_readmsg = Controls::caption(central, QStringLiteral("Text_readmsg"),
                                     QStringLiteral("The monitoring software is reading data from PLM-870.\n"
                                                    "Please wait for a moment."));
    Text_readmsg->setStyleSheet(QStringLiteral("QLabel { background: #ffffc0; color: black; border: 1px solid #808080; padding: 2px 6px; }"));
    Text_readmsg2 = Controls::caption(central, QStringLiteral("Text_readmsg2"), QStringLiteral("Communication error"));
    Text_readmsg2->setStyleSheet(QStringLiteral("QLabel { background: #ff4040; color: white; font-weight: bold; padding: 2px 6px; }"));
    Text_readmsg->hide();
    Text_readmsg2->hide();
    notices->addWidget(Text_readmsg);
    notices->addWidget(Text_readmsg2);
    notices->addStretch(1);
    layout->addLayout(notices);
    setCentralWidget(central);
}

void MainDisp::buildStatusBar()
{
    auto *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    const int widths[4] = {60, 150, 150, 220};
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(Controls::indexed(QStringLiteral("StatusBar1_Panel"), i + 1));
        panel->setAccessibleName(QStringLiteral("Status panel %1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setMinimumWidth(widths[i]);
        panel->setContentsMargins(4, 0, 4, 0);
        bar->addWidget(panel, i == 3 ? 1 : 0);
        StatusBar1_Panel[size_t(i)] = panel;
    }
    // Panel 1 changes twice a poll ("" and "OK"): at a fixed size and filling its own
    // background, a change repaints the panel alone, never the status bar and the window under
    // it, and never lays them out again.
    QLabel *panel1 = StatusBar1_Panel[0];
    panel1->setText(QStringLiteral("NG"));
    panel1->setFixedSize(qMax(widths[0], panel1->sizeHint().width()), panel1->sizeHint().height());
    panel1->clear();
    panel1->setAutoFillBackground(true);
    ProgressBar1 = new QProgressBar(bar);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("Transfer progress"));
    ProgressBar1->setRange(0, 150);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedWidth(200);
    bar->addPermanentWidget(ProgressBar1);
    // Shown only while something runs: an empty bar reads as a stalled one.
    ProgressBar1->hide();
}

void MainDisp::buildMenus()
{
    auto addAction = [this](QMenu *menu, const QString &name, const QString &text, auto handler) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainDisp_menu"));

    QMenu *file = bar->addMenu(QStringLiteral("File(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addAction(file, QStringLiteral("mnuEnd"), QStringLiteral("End(&E)"), [this] { mnuEnd_Click(); });

    QMenu *setting = bar->addMenu(QStringLiteral("Setting(&S)"));
    setting->setObjectName(QStringLiteral("mnuSetting"));
    addAction(setting, QStringLiteral("mnuDevno"), QStringLiteral("Block name(&B)"),
              [this] { mnuDevno_Click(); });
    addAction(setting, QStringLiteral("mnuCHname"), QStringLiteral("Channel name(&C)"),
              [this] { mnuCHname_Click(); });
    setting->addSeparator();
    addAction(setting, QStringLiteral("mnuBroker"), QStringLiteral("Broker(&M)..."), [this] { subDispBroker->openWindow(); });

    QMenu *disp = bar->addMenu(QStringLiteral("Disp(&D)"));
    disp->setObjectName(QStringLiteral("mnuDisp"));
    addAction(disp, QStringLiteral("mnuNormal"), QStringLiteral("Normal view(&W)"), [this] { mnuNormal_Click(); });
    disp->addSeparator();
    addAction(disp, QStringLiteral("mnuMin"), QStringLiteral("Min.(&N)"), [this] { mnuMin_Click(); });
    addAction(disp, QStringLiteral("mnuMax"), QStringLiteral("Full screen(&X)"), [this] { mnuMax_Click(); });
    disp->addSeparator();
    addAction(disp, QStringLiteral("mnuCommStatus"), QStringLiteral("Communication status(&C)"),
              [this] { subDispCommStatus->openWindow(); });

    QMenu *user = bar->addMenu(QStringLiteral("User(&U)"));
    user->setObjectName(QStringLiteral("mnuUser"));
    QMenu *saveLoad = user->addMenu(QStringLiteral("Setting value Save / Load(&G)"));
    saveLoad->setObjectName(QStringLiteral("mnuSaveLoad"));
    addAction(saveLoad, QStringLiteral("mnuSave_CH"), QStringLiteral("Channel(&C)"),
              [this] { subDispSaveLoad->mnuSave_CH_Click(); });
    addAction(saveLoad, QStringLiteral("mnuSave_BLK"), QStringLiteral("Block(&B)"),
              [this] { subDispBlockSaveLoad->mnuSave_BLK_Click(); });
    addAction(saveLoad, QStringLiteral("mnuSave_ALL"), QStringLiteral("All channels(&A)"),
              [this] { subDispAllSaveLoad->mnuSave_ALL_Click(); });
    addAction(user, QStringLiteral("mnuFactory"), QStringLiteral("Factory adjusted value(&K)"),
              [this] { subDispFactoryadj->mnuFactory_Click(); });
    user->addSeparator();
    addAction(user, QStringLiteral("mnuHistory"), QStringLiteral("Alarm history(&A)"), [this] { mnuHistory_Click(); });
    addAction(user, QStringLiteral("mnuChangeRecord"), QStringLiteral("Change record(&R)"),
              [this] { changeRecordWindow->openWindow(); });

    QMenu *help = bar->addMenu(QStringLiteral("Help(&H)"));
    help->setObjectName(QStringLiteral("mnuHelpTop"));
    addAction(help, QStringLiteral("mnuHelp"), QStringLiteral("Help(&M)"), [this] { mnuHelp_Click(); });
    help->addSeparator();
    addAction(help, QStringLiteral("numabout"), QStringLiteral("Version information(&V)"),
              [this] { subDispAbout->numabout_Click(); });
}

QAction *MainDisp::menuAction(const QString &objectName) const
{
    return menuBar()->findChild<QAction *>(objectName);
}

void MainDisp::showLaterVersionNotice(const QString &function)
{
    auto *box = new QDialog(this);
    box->setObjectName(QStringLiteral("LaterVersionNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(function);
    auto *layout = new QVBoxLayout(box);
    auto *text = Controls::caption(box, QStringLiteral("LaterVersionNotice_text"),
                                   QStringLiteral("\"%1\" comes in a later version of this software.").arg(function));
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, box);
    connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::close);
    layout->addWidget(buttons);
    box->show(); // not modal: polling goes on
}

// --- window size menus ---

void MainDisp::mnuNormal_Click()
{
    showNormal();
    placeProgressBar();
}

void MainDisp::mnuMin_Click()
{
    showMinimized();
    placeProgressBar();
}

void MainDisp::mnuMax_Click()
{
    showMaximized();
    placeProgressBar();
}

void MainDisp::placeProgressBar()
{
    // The progress bar is a permanent widget of the status bar, so the status bar's layout keeps
    // it just below the bar's top edge whatever the window size; only a fresh layout is needed.
    statusBar()->updateGeometry();
}

void MainDisp::mnuHelp_Click()
{
    // The contents page of the help, next to the program or in its installed tree.
    const QString page = PLM_INC::HelpContentsPage(QCoreApplication::applicationDirPath());
    if (!page.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        return;
    PLM_INC::prompter().message(QStringLiteral("The help file PLM_MONITOR_US cannot be opened."));
}

void MainDisp::mnuHistory_Click()
{
    subDispHistory->openFromBuffer();
}

// --- LinkView ---

void MainDisp::setStatusPanel(int panel, const QString &text)
{
    if (panel == 4) {
        m_panel4Text = text;
        showPanel4();
    } else if (panel == 1) {
        StatusBar1_Panel[0]->setText(text);
    } else if (panel >= 2 && panel <= 3) {
        StatusBar1_Panel[size_t(panel - 1)]->setText(text);
    }
}

void MainDisp::setWaitingWrites(int count, const QString &blocks)
{
    m_waitingWrites = count;
    m_waitingBlocks = blocks;
    showPanel4();
}

void MainDisp::showWriteProblem(const QString &text)
{
    PLM_INC::prompter().message(text, QStringLiteral("write"));
}

void MainDisp::showPanel4()
{
    if (m_waitingWrites <= 0) {
        StatusBar1_Panel[3]->setText(m_panel4Text);
        return;
    }
    QString text = QStringLiteral("Waiting for the controller: %1 setting write(s) to send").arg(m_waitingWrites);
    if (!m_waitingBlocks.isEmpty())
        text += (m_waitingBlocks.contains(QLatin1Char(',')) ? QStringLiteral(" (blocks %1)") : QStringLiteral(" (block %1)"))
                    .arg(m_waitingBlocks);
    StatusBar1_Panel[3]->setText(text);
}

QString MainDisp::statusPanelText(int panel) const
{
    if (panel >= 1 && panel <= 4)
        return StatusBar1_Panel[size_t(panel - 1)]->text();
    return QString();
}

void MainDisp::setReadingNoticeVisible(bool visible)
{
    Text_readmsg->setVisible(visible);
}

void MainDisp::setCommErrorNoticeVisible(bool visible)
{
    Text_readmsg2->setVisible(visible);
}

void MainDisp::setStartupProgress(int count)
{
    if (m_openingScreen)
        m_openingScreen->setProgress(count);
}

void MainDisp::startupFinished()
{
    if (m_openingScreen)
        m_openingScreen->close();
    show();
    m_started = true;
    Form_Activate();
    if (resumeChart)
        resumeChart();
    if (resumeLogging)
        resumeLogging();
    emit linkStarted();
}

void MainDisp::resetSettingEditor()
{
    settingEditor->reset();
}

void MainDisp::setPortDialogSelection(const QString &port, const QString &speed)
{
    subDispComm->setSelection(port, speed);
}

void MainDisp::showPortDialog(const QString &port, const QString &speed)
{
    subDispComm->setSelection(port, speed);
    subDispComm->show();
    subDispComm->raise();
}

void MainDisp::setPortProblem(const QString &text)
{
    subDispComm->setProblem(text);
}

void MainDisp::setTransferProgress(int value, bool visible)
{
    ProgressBar1->setValue(qBound(ProgressBar1->minimum(), value, ProgressBar1->maximum()));
    ProgressBar1->setVisible(visible);
    ProgressBar1->repaint();
}

void MainDisp::transferFinished(bool)
{
    // Whichever window started the transfer, its second phase makes every file window usable.
    setFileTransferRunning(false);
}

void MainDisp::refreshDisplay()
{
    SelectDispItem();
}


// --- selectors ---

void MainDisp::setListIndex(QComboBox *list, int index)
{
    m_selectors.setListIndex(list, index);
}

void MainDisp::Form_Activate()
{
    fourBlockPage->Combo1_Click();
    twoBlockPage->tb1_BName_Click(0);
    twoBlockPage->tb1_BName_Click(1);
    oneBlockPage->tb2_BName_Click();
}

void MainDisp::Toolbar1_ButtonClick(int index)
{
    fourBlockPage->Toolbar1_ButtonClick(index);
}

void MainDisp::Combo1_Click()
{
    fourBlockPage->Combo1_Click();
}

void MainDisp::tb1_BName_Click(int Index)
{
    twoBlockPage->tb1_BName_Click(Index);
}

void MainDisp::tb4_BName_Click()
{
    settingPage->tb4_BName_Click();
}

void MainDisp::showGroupBlockNames()
{
    fourBlockPage->showGroupBlockNames();
}

void MainDisp::showGroupChannelNames()
{
    fourBlockPage->showGroupChannelNames();
}

void MainDisp::SelectDispItem()
{
    if (!SSTab1)
        return;
    switch (SSTab1->currentIndex()) {
    case 0:
        fourBlockPage->refresh();
        break;
    case 1:
        twoBlockPage->refresh();
        break;
    case 2:
        oneBlockPage->refresh();
        break;
    case 3:
        oneChannelPage->refresh();
        break;
    case 4:
        settingPage->refresh();
        break;
    default:
        break; // the chart and logging pages draw themselves
    }
}

void MainDisp::SetNameLists(int mode)
{
    m_nameLists->refill(mode);
}

void MainDisp::mnuDevno_Click()
{
    subDispBlock->loadNames();
    subDispBlock->show();
    subDispBlock->raise();
}

void MainDisp::mnuCHname_Click()
{
    subDispChname->loadNames();
    subDispChname->show();
    subDispChname->raise();
}

// --- start-up and end ---

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
    PassOver([this] { fourBlockPage->showGroupChannelNames(); });
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

void MainDisp::startPublishing()
{
    StartPublishing(*publisher);
}

// --- the setting file windows ---

void MainDisp::buildFileWindows()
{
    subDispSaveLoad = new SubDisp_SaveLoad(*this);
    subDispBlockSaveLoad = new SubDisp_BlockSaveLoad(*this);
    subDispAllSaveLoad = new SubDisp_AllSaveLoad(*this);
    subDispFactoryadj = new SubDisp_Factoryadj(*this);
    subDispAbout = new SubDisp_About(this);
    subDispAbout->showToolbar3 = [this](bool visible) { setToolbar3Visible(visible); };
}

void MainDisp::startLoadTransfer(bool allBlocks, int block, PLM_INC::ChangeOrigin origin)
{
    setFileTransferRunning(true);
    setTransferProgress(0, true);
    setStatusPanel(4, QString::fromLatin1(FileMessages::kDataChanging));
    // The request takes the values the window has just put into the image with it.
    PLM_INC::PendingRequests.push(allBlocks ? PLM_INC::AllSendRequest() : PLM_INC::BlockSendRequest(block, origin));
}

void MainDisp::setFileTransferRunning(bool running)
{
    if (subDispSaveLoad)
        subDispSaveLoad->setTransferRunning(running);
    if (subDispBlockSaveLoad)
        subDispBlockSaveLoad->setTransferRunning(running);
    if (subDispAllSaveLoad)
        subDispAllSaveLoad->setTransferRunning(running);
}

// --- window events ---

void MainDisp::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_started && !m_quit)
        Form_Activate();
}

void MainDisp::closeEvent(QCloseEvent *event)
{
    if (m_quit || Form_Unload())
        event->accept();
    else
        event->ignore();
}

void MainDisp::setToolbar3Visible(bool visible)
{
    Toolbar3->setVisible(visible);
}
