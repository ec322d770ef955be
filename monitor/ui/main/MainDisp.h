// The main window: seven pages, the menu bar, the status bar with its progress bar and the two
// communication notices. It owns the link driver (MonitorComm, whose link lives on the line
// thread) and shows what the driver reports through LinkView.
//
// Control arrays are public and indexed like the original control index, so the page refresh
// and the dialogs write into them directly. Selector handlers run when the operator picks an
// entry (QComboBox::activated) and when code sets a list index through setListIndex().
#pragma once

#include "ChangeRecord.h"

#include "ValueField.h"
#include "LinkView.h"
#include "WindowHost.h"
#include "OpeningScreen.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <map>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolBar;
class QWidget;
class Lamp;
class MonitorComm;
class MV_BerGraph;
class SubDisp_comm;
class SubDisp_History;
class ChangeRecordWindow;
class SubDisp_Block;
class SubDisp_Chname;
class SubDisp_CommStatus;
class LinkHealth;
class Publisher;
class SubDisp_Broker;
class SettingEditor;
class SubDisp_SaveLoad;
class SubDisp_BlockSaveLoad;
class SubDisp_AllSaveLoad;
class SubDisp_Factoryadj;
class SubDisp_About;
class ChartPage;
class LoggingPage;
class QAbstractButton;

namespace tobrel {
class STDComm;
}

class MainDisp : public QMainWindow, public LinkView, public WindowHost {
    Q_OBJECT
public:
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

    // --- selector handlers ---
    void Form_Activate();
    void Toolbar1_ButtonClick(int index);
    void Combo1_Click();
    void tb1_BName_Click(int Index);
    void tb1_Block_P_Click(int Index);
    void tb2_BName_Click();
    void tb2_Block_P_Click(int Index);
    void tb3_CHName_Click();
    void tb4_BName_Click();
    // Sets a selector's list index from code and runs its handler, as picking it would.
    void setListIndex(QComboBox *list, int index);

    // --- menus ---
    void mnuNormal_Click();
    void mnuMin_Click();
    void mnuMax_Click();
    void mnuHelp_Click();
    void mnuHistory_Click();
    // Opens the small window of a function that comes in a later version.
    void showLaterVersionNotice(const QString &function);
    QAction *menuAction(const QString &objectName) const;

    // Resume hooks of the link start-up; the chart and logging fill them in.
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
    // Channel 0..319 and data kind 0..3 (none, PV, SV, MV) of chart pen 0..3, for the pen
    // legends. The chart settings install their own; until then the stored pens are shown.
    struct ChartPen {
        int channel;
        int item;
    };
    std::function<ChartPen(int pen)> chartPen;
    static ChartPen storedChartPen(int pen);
    // WindowHost
    QWidget *hostWindow() override { return this; }
    void showGroupBlockNames() override;
    void showGroupChannelNames() override;
    void startLoadTransfer(bool allBlocks, int block, PLM_INC::ChangeOrigin origin) override;
    // The "Block name" and "Channel name" menu entries.
    void mnuDevno_Click();
    void mnuCHname_Click();
    // Runs at the end of regRead: the windows that come later restore their own choices.
    std::function<void()> afterRegRead;

    // --- LinkView ---
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
    SubDisp_comm *subDispComm = nullptr;
    SubDisp_History *subDispHistory = nullptr;
    // The record of setting changes (User menu), read each time it opens.
    ChangeRecordWindow *changeRecordWindow = nullptr;
    // Where every setting change the link driver reports is written.
    PLM_INC::ChangeRecord changeRecord;
    SubDisp_Block *subDispBlock = nullptr;
    SubDisp_Chname *subDispChname = nullptr;
    // The link health of every block (fed by the link driver) and its window under Disp.
    LinkHealth *linkHealth = nullptr;
    SubDisp_CommStatus *subDispCommStatus = nullptr;
    bool blockStale(int channel) const; // the block of this channel stopped answering
    // Publishing to the broker the preferences name (none by default), and its dialog.
    Publisher *publisher = nullptr;
    SubDisp_Broker *subDispBroker = nullptr;
    void startPublishing();
    // The setting page's item toolbars, change buttons and dialogs, and the output buttons.
    SettingEditor *settingEditor = nullptr;
    // Toolbar3 (loop break 2 items) appears only with the version window's access code.
    void setToolbar3Visible(bool visible);
    SubDisp_SaveLoad *subDispSaveLoad = nullptr;
    SubDisp_BlockSaveLoad *subDispBlockSaveLoad = nullptr;
    SubDisp_AllSaveLoad *subDispAllSaveLoad = nullptr;
    SubDisp_Factoryadj *subDispFactoryadj = nullptr;
    SubDisp_About *subDispAbout = nullptr;

    // --- page 0 "4-Block Disp" ---
    QComboBox *Combo1 = nullptr;
    QToolBar *Toolbar1 = nullptr;
    std::array<QAction *, 5> Toolbar1_Button{}; // buttons 1..4
    std::array<QGroupBox *, 4> Frame_Block{};
    std::array<QLabel *, 80> Label1{};
    std::array<ValueField *, 80> Para_Text{};

    // --- page 1 "2-Block Disp" (row k = 20 * half + channel) ---
    std::array<QGroupBox *, 4> Frame_Block1{}; // 0 and 1 on page 1, 3 on page 2; 2 unused
    std::array<QComboBox *, 2> tb1_BName{};
    std::array<QComboBox *, 2> tb1_Block_P{};
    std::array<QLabel *, 40> tb1_label{};
    std::array<ValueField *, 40> tb1_PV{};
    std::array<ValueField *, 40> tb1_Para{};
    std::array<QLabel *, 20> Tab1_Label_CF1{}; // unit labels of half 0, by channel
    std::array<QLabel *, 20> Tab1_Label_CF2{}; // unit labels of half 1, by channel
    std::array<QPushButton *, 40> Comm_OUT{};
    std::array<Lamp *, 40> tb1_staA1{};
    std::array<Lamp *, 40> tb1_staA2{};
    std::array<Lamp *, 40> tb1_staA3{};
    QGroupBox *Frame_A3select = nullptr; // "A3 select"
    QRadioButton *Option1 = nullptr;     // "HB"
    QRadioButton *Option2 = nullptr;     // "LP"
    QRadioButton *Option3 = nullptr;     // "SB"
    QLabel *tb1UnitLabel(int k) const { return k < 20 ? Tab1_Label_CF1[size_t(k)] : Tab1_Label_CF2[size_t(k - 20)]; }

    // --- page 2 "1 Block Disp" ---
    QComboBox *tb2_BName = nullptr;
    std::array<QComboBox *, 3> tb2_Block_P{};
    std::array<QLabel *, 20> tb2_label{};
    std::array<ValueField *, 20> tb2_PV{};
    std::array<ValueField *, 20> tb2_SV{};
    std::array<ValueField *, 20> tb2_Para1{};
    std::array<ValueField *, 20> tb2_Para2{};
    std::array<ValueField *, 20> tb2_Para3{};
    std::array<QLabel *, 20> Tab2_Label_CF{};
    std::array<QPushButton *, 20> tb2_OUT{};
    std::array<Lamp *, 20> tb2_staCONT{};
    std::array<Lamp *, 20> tb2_staA1{};
    std::array<Lamp *, 20> tb2_staA2{};
    std::array<Lamp *, 20> tb2_staHB{};
    std::array<Lamp *, 20> tb2_staLP{};
    std::array<Lamp *, 20> tb2_staSB{};
    std::array<Lamp *, 20> tb2_staAT{};

    // --- page 3 "1 Channel Disp" ---
    QComboBox *tb3_CHName = nullptr;
    std::array<QGroupBox *, 9> Frame{}; // Frame1..Frame8 at 1..8
    std::array<QLabel *, 2> Label14{};
    std::array<QLabel *, 11> Label_CF{};
    QLabel *Label11 = nullptr;
    ValueField *Text_PV = nullptr;
    ValueField *Text_SV = nullptr;
    Lamp *Lamp_up = nullptr;
    Lamp *Lamp_down = nullptr;
    std::array<ValueField *, 2> Text_MV{};
    MV_BerGraph *MV_BerGraph1 = nullptr;
    MV_BerGraph *MV_BerGraph2 = nullptr;
    QLabel *Text_HLIM = nullptr;
    QLabel *Text_LLIM = nullptr;
    QLabel *Label_HEETCOOL = nullptr;
    QLabel *Label_OUTOFF = nullptr;
    std::array<Lamp *, 2> Lamp_CONT{};
    Lamp *Lamp_AT = nullptr;
    QLabel *Label58 = nullptr;
    QLabel *Label59 = nullptr;
    QLabel *Text_A1 = nullptr;
    QLabel *Text_A1HYS = nullptr;
    QLabel *Text_A1ACT = nullptr;
    Lamp *Lamp_A1 = nullptr;
    QLabel *Text_A2 = nullptr;
    QLabel *Text_A2HYS = nullptr;
    QLabel *Text_A2ACT = nullptr;
    Lamp *Lamp_A2 = nullptr;
    QLabel *Text_MHB = nullptr;
    QLabel *Text_SHB = nullptr;
    Lamp *Lamp_HB = nullptr;
    QLabel *Text_LPTIM = nullptr;
    QLabel *Text_LPHYS = nullptr;
    Lamp *Lamp_LP = nullptr;
    QLabel *Text_P = nullptr;
    QLabel *Text_I = nullptr;
    QLabel *Text_D = nullptr;
    QLabel *Text_ARW = nullptr;
    QLabel *Text_CYC = nullptr;
    QLabel *Text_PD = nullptr;
    QLabel *Text_HYS = nullptr;
    QLabel *Text_FILT = nullptr;
    QLabel *Text_SO = nullptr;
    std::array<QLabel *, 5> Cool{};
    QPushButton *Command_1channe_sv = nullptr;
    QPushButton *tb3_OUTOFF = nullptr;

    // --- page 4 "Setting Disp" ---
    QToolBar *Toolbar2 = nullptr;
    QToolBar *Toolbar3 = nullptr;
    QToolBar *Toolbar4 = nullptr;
    std::array<QAction *, 25> Toolbar2_Button{}; // buttons 1..24
    std::array<QAction *, 3> Toolbar3_Button{};  // buttons 1..2
    std::array<QAction *, 10> Toolbar4_Button{}; // buttons 1..9
    QComboBox *tb4_BName = nullptr;
    QGroupBox *Frame_main = nullptr;
    std::array<QWidget *, 3> Frame_sub1{}; // rows 0..9: 0 numeric entry, 1 selection, 2 control/AT
    std::array<QWidget *, 3> Frame_sub2{}; // rows 10..19
    std::array<QLabel *, 20> label_setdata{};
    std::array<QLabel *, 20> Setdata_Para{};
    std::array<QPushButton *, 20> Command_change{};
    std::array<QLabel *, 20> Select_comand{};
    std::array<QPushButton *, 20> Command_change2{};
    std::array<QLabel *, 20> settin_inf{};
    std::array<QPushButton *, 20> Command_OUT{};
    std::array<QPushButton *, 20> Command_AT{};
    std::array<Lamp *, 20> Shape_OUT{};
    std::array<Lamp *, 20> Shape_AT{};

    // --- page 5 "Chart" and page 6 "Data logging", each with its own controls ---
    ChartPage *chartPage = nullptr;
    LoggingPage *loggingPage = nullptr;

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
    QWidget *buildPage0FourBlock();
    QWidget *buildPage1TwoBlock();
    QWidget *buildPage2OneBlock();
    QWidget *buildPage3OneChannel();
    QWidget *buildPage4Setting();
    QWidget *buildPage5Chart();
    QWidget *buildPage6Logging();
    void connectSelectors();
    // The page refresh of each tab, and the parts of SetNameLists.
    void refreshFourBlockPage();
    void refreshTwoBlockPage();
    void refreshOneBlockPage();
    void refreshOneChannelPage();
    void refreshSettingPage();
    void setPenLegends();
    void setRowLabels();
    void layoutBlockRows(int block, int rowOffset, bool onePage);
    void placeProgressBar();
    void restoreListIndex(QComboBox *list, const QString &key);

    void showPanel4();
    // The setting file, factory adjustment and version windows, and the file windows' buttons
    // while a load transfer runs.
    void buildFileWindows();
    void setFileTransferRunning(bool running);

    MonitorComm *m_comm = nullptr;
    QPointer<OpeningScreen> m_openingScreen;
    NameListPeers m_nameListPeers;
    QString m_panel4Text;   // what the transfers put into panel 4
    int m_waitingWrites = 0; // shown in panel 4 over it while the controller cannot be reached
    QString m_waitingBlocks;  // the blocks they wait for, "" when the whole line is down
    std::map<QComboBox *, std::function<void()>> m_selectorHandlers;
    bool m_quit = false;
    bool m_started = false;
    bool m_closing = false;
};
