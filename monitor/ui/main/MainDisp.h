// The main window: the frame of the seven pages, the menu bar, the status bar with its progress
// bar and the two communication notices. It owns the link driver (MonitorComm, whose link lives
// on the line thread), shows what the driver reports through LinkView and routes the page
// refresh to the page in front.
//
// Each page is a class of its own, reached through one member. The controls of pages 0 to 4
// are filled in by their pages into the control structs this window is made of, so they are
// reached here by their control names (window.tb1_BName[0], window.Setdata_Para[3]), as the
// dialogs and tests have always reached them. Selector handlers run when the operator picks an
// entry (QComboBox::activated) and when code sets a list index through setListIndex().
#pragma once

#include "ChangeRecord.h"

#include "FourBlockPage.h"
#include "LinkView.h"
#include "NameLists.h"
#include "OneBlockPage.h"
#include "OneChannelPage.h"
#include "OpeningScreen.h"
#include "SelectorHandlers.h"
#include "SettingDialogs.h"
#include "SettingPage.h"
#include "TwoBlockPage.h"
#include "WindowHost.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

namespace PLM_INC {
class SettingsMemory;
}
class QAction;
class QComboBox;
class QLabel;
class QProgressBar;
class QTabWidget;
class ChangeRecordWindow;
class ChartPage;
class LinkHealth;
class LoggingPage;
class MonitorComm;
class Publisher;
class SettingEditor;
class SubDisp_About;
class SubDisp_AllSaveLoad;
class SubDisp_Block;
class SubDisp_BlockSaveLoad;
class SubDisp_Broker;
class SubDisp_Chname;
class SubDisp_comm;
class SubDisp_CommStatus;
class SubDisp_Factoryadj;
class SubDisp_History;
class SubDisp_SaveLoad;

class MainDisp : public QMainWindow,
                 public LinkView,
                 public WindowHost,
                 public FourBlockControls,
                 public TwoBlockControls,
                 public OneBlockControls,
                 public OneChannelControls,
                 public SettingControls {
    Q_OBJECT
public:
    // The program's start or end, as a line of the change record: a run whose end is missing
    // shows as a start without one.
    void recordProgramLine(PLM_INC::ChangeOrigin origin);
    // The settings memory beside the change record: loaded before the start-up read, so that it
    // can tell the changes made at the units while the program was stopped; kept to the end.
    void loadSettingsMemory();
    void keepSettingsMemory();
    // The load handler: creates the link driver and its PLMCom (which fills ItemCodeTable and
    // sets PollBlock and PollItem to 0), builds the pages and puts "Logging standby" and
    // "Chart standby" into status panels 2 and 3. The window stays hidden.
    explicit MainDisp(QWidget *parent = nullptr);
    ~MainDisp() override;

    MonitorComm &comm() { return *m_comm; }

    // --- start-up and end ---
    void regRead();
    void communicate();
    void setOpeningScreen(OpeningScreen *screen) { m_openingScreen = screen; }
    // The closing sequence; true when the operator confirmed and the program ends.
    bool Form_Unload();
    void mnuEnd_Click();
    // Ends the program at once, without a question: quit flag, port closed, programEnded().
    void endProgram();
    bool quitFlag() const { return m_quit; }
    bool started() const { return m_started; }

    // --- the pages ---
    FourBlockPage *fourBlockPage = nullptr;
    TwoBlockPage *twoBlockPage = nullptr;
    OneBlockPage *oneBlockPage = nullptr;
    OneChannelPage *oneChannelPage = nullptr;
    SettingPage *settingPage = nullptr;
    // The setting page's item toolbars, change buttons and dialogs, and its output buttons.
    SettingEditor *settingEditor = nullptr;
    // Page 5 "Chart" and page 6 "Data logging", each with its own controls.
    ChartPage *chartPage = nullptr;
    LoggingPage *loggingPage = nullptr;

    // --- selectors ---
    // The window came to the front: the fields of pages 0 to 2 follow the image again.
    void Form_Activate();
    void Toolbar1_ButtonClick(int index);
    void Combo1_Click();
    void tb1_BName_Click(int Index);
    void tb4_BName_Click();
    // Sets a selector's list index from code and runs its handler, as picking it would.
    void setListIndex(QComboBox *list, int index);

    // --- menus ---
    void mnuNormal_Click();
    void mnuMin_Click();
    void mnuMax_Click();
    void mnuHelp_Click();
    void mnuHistory_Click();
    // The "Block name" and "Channel name" menu entries.
    void mnuDevno_Click();
    void mnuCHname_Click();
    // Opens the small window of a function that comes in a later version.
    void showLaterVersionNotice(const QString &function);
    QAction *menuAction(const QString &objectName) const;

    // Resume hooks of the link start-up; the chart and logging pages are resumed through them.
    std::function<void()> resumeChart;
    std::function<void()> resumeLogging;
    // The page refresh after every poll step: values, lamps and notes of the page in front.
    void SelectDispItem();
    // Refills the block and channel name lists (mode 0 blocks, 1 channels, 2 both) and the row
    // labels; the lists keep their selections.
    void SetNameLists(int mode) override;
    // Name lists and captions of the windows built later (chart setup, setting files, factory
    // adjustment): each window puts its controls here when it is built, SetNameLists fills them.
    NameListPeers &nameListPeers() override { return m_nameListPeers; }
    // The pen of each chart legend. The chart page's settings are installed here; until then
    // (or when emptied) the stored pens are shown.
    using ChartPen = ::ChartPen;
    std::function<ChartPen(int pen)> chartPen;
    // Runs at the end of regRead: the windows that come later restore their own choices.
    std::function<void()> afterRegRead;

    // --- WindowHost ---
    QWidget *hostWindow() override { return this; }
    void showGroupBlockNames() override;
    void showGroupChannelNames() override;
    void startLoadTransfer(bool allBlocks, int block, PLM_INC::ChangeOrigin origin) override;

    // --- LinkView (setStatusPanel also for WindowHost) ---
    void setStatusPanel(int panel, const QString &text) override;
    void setReadingNoticeVisible(bool visible) override;
    void setCommErrorNoticeVisible(bool visible) override;
    void setStartupProgress(int count) override;
    void startupFinished() override;
    void resetSettingEditor() override;
    void setPortDialogSelection(const QString &port, const QString &speed) override;
    void showPortDialog(const QString &port, const QString &speed) override;
    void setPortProblem(const QString &text) override;
    void setTransferProgress(int value, bool visible) override;
    void transferFinished(bool allBlocks) override;
    void setWaitingWrites(int count, const QString &blocks) override;
    void showWriteProblem(const QString &text) override;
    void refreshDisplay() override;

    // Status bar panel 1..4 text.
    QString statusPanelText(int panel) const;

    // --- window frame ---
    QTabWidget *SSTab1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Text_readmsg = nullptr;
    QLabel *Text_readmsg2 = nullptr;
    std::array<QLabel *, 4> StatusBar1_Panel{}; // panels 1..4 at 0..3

    // --- the windows it opens ---
    SubDisp_comm *subDispComm = nullptr;
    SubDisp_History *subDispHistory = nullptr;
    // The record of setting changes (User menu), read each time it opens.
    ChangeRecordWindow *changeRecordWindow = nullptr;
    // Where every setting change the link driver reports is written.
    PLM_INC::ChangeRecord changeRecord;
    std::unique_ptr<PLM_INC::SettingsMemory> settingsMemory;
    SubDisp_Block *subDispBlock = nullptr;
    SubDisp_Chname *subDispChname = nullptr;
    // The link health of every block (fed by the link driver) and its window under Disp.
    LinkHealth *linkHealth = nullptr;
    SubDisp_CommStatus *subDispCommStatus = nullptr;
    // Publishing to the broker the preferences name (none by default), and its dialog.
    Publisher *publisher = nullptr;
    SubDisp_Broker *subDispBroker = nullptr;
    void startPublishing();
    // Toolbar3 (loop break 2 items) appears only with the version window's access code.
    void setToolbar3Visible(bool visible);
    SubDisp_SaveLoad *subDispSaveLoad = nullptr;
    SubDisp_BlockSaveLoad *subDispBlockSaveLoad = nullptr;
    SubDisp_AllSaveLoad *subDispAllSaveLoad = nullptr;
    SubDisp_Factoryadj *subDispFactoryadj = nullptr;
    SubDisp_About *subDispAbout = nullptr;

signals:
    // The program ends now (the application quits when it gets this).
    void programEnded();
    // The start-up read is done and the window is shown.
    void linkStarted();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildFrame();
    void buildMenus();
    void buildStatusBar();
    void placeProgressBar();
    void restoreListIndex(QComboBox *list, const QString &key);

    void showPanel4();
    // The setting file, factory adjustment and version windows, and the file windows' buttons
    // while a load transfer runs: a transfer started from any of the three file windows
    // disables their buttons (all but Return) until its second phase has run.
    void buildFileWindows();
    void setFileTransferRunning(bool running);

    MonitorComm *m_comm = nullptr;
    QPointer<OpeningScreen> m_openingScreen;
    NameListPeers m_nameListPeers;
    SelectorHandlers m_selectors;
    SettingDialogs m_settingDialogs{this};
    std::unique_ptr<NameLists> m_nameLists;
    QString m_panel4Text;    // what the transfers put into panel 4
    int m_waitingWrites = 0; // shown in panel 4 over it while the controller cannot be reached
    QString m_waitingBlocks; // the blocks they wait for, "" when the whole line is down
    bool m_quit = false;
    bool m_started = false;
};
