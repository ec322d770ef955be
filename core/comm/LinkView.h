// What the link driver shows on the windows. The main window implements it; tests record it.
// Every call is made on the window's thread, from a step of the link driver.
#pragma once

#include <QString>

class LinkView {
public:
    virtual ~LinkView() = default;

    // Status bar panel 1..4 of the main window ("OK", "NG", "" for panel 1).
    virtual void setStatusPanel(int panel, const QString &text) = 0;
    // Text_readmsg ("...reading data from PLM-870...") and Text_readmsg2 ("Communication error").
    virtual void setReadingNoticeVisible(bool visible) = 0;
    virtual void setCommErrorNoticeVisible(bool visible) = 0;
    // The opening screen's progress bar during the start-up read, 0..608; repainted at once.
    virtual void setStartupProgress(int count) = 0;
    // The start-up read is done: close the opening screen, show the main window, resume the
    // chart and logging where they were left.
    virtual void startupFinished() = 0;
    // The block re-read clears the setting editor (sub-frames, captions, SelectedItem).
    virtual void resetSettingEditor() = 0;
    // Put the repaired port or speed into the port dialog's combo boxes.
    virtual void setPortDialogSelection(const QString &port, const QString &speed) = 0;
    // Show SubDisp_comm (not modal) after a failed probe.
    virtual void showPortDialog(const QString &port, const QString &speed) = 0;
    // Why the last probe failed, in one line for the port dialog.
    virtual void setPortProblem(const QString &text) = 0;
    // The main window's ProgressBar1 during the pause between the two transfer phases.
    virtual void setTransferProgress(int value, bool visible) = 0;
    // The second transfer phase ran: the setting file windows' buttons are usable again.
    virtual void transferFinished(bool allBlocks) = 0;
    // How many setting writes wait because the controller cannot be reached now; 0: none.
    // `blocks` names the blocks they wait for ("02, 05"), empty when the whole line is down.
    virtual void setWaitingWrites(int count, const QString &blocks) = 0;
    // A write that did not arrive, or could not be sent, and what the operator may do.
    virtual void showWriteProblem(const QString &text) = 0;
    // SelectDispItem: refresh the page in front.
    virtual void refreshDisplay() = 0;
};

// A view that shows nothing; used before a window exists and by tools without one.
class NullLinkView : public LinkView {
public:
    void setStatusPanel(int, const QString &) override {}
    void setReadingNoticeVisible(bool) override {}
    void setCommErrorNoticeVisible(bool) override {}
    void setStartupProgress(int) override {}
    void startupFinished() override {}
    void resetSettingEditor() override {}
    void setPortDialogSelection(const QString &, const QString &) override {}
    void showPortDialog(const QString &, const QString &) override {}
    void setPortProblem(const QString &) override {}
    void setTransferProgress(int, bool) override {}
    void transferFinished(bool) override {}
    void setWaitingWrites(int, const QString &) override {}
    void showWriteProblem(const QString &) override {}
    void refreshDisplay() override {}
};
