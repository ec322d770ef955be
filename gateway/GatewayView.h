// What the window would show, written to the journal instead: one line when something changes.
#pragma once

#include "LinkView.h"
#include "Prompter.h"

class GatewayView : public NullLinkView {
public:
    // While it lives, the link's own warnings before the first start-up read are left out:
    // until then setPortProblem tells the same failure with the device and the system's reason.
    GatewayView();
    ~GatewayView() override;

    void setCommErrorNoticeVisible(bool visible) override;
    void startupFinished() override;
    void showPortDialog(const QString &port, const QString &speed) override;
    void setStartupProgress(int count) override;
    void setPortProblem(const QString &text) override;

    bool startedUp = false;
    bool errorShown = false;
    // The device the port stands for, named in messages instead of "COM1".
    QString device;
    // The port the link opens ("COM1"): its success is told alone, without a failure's suffix.
    QString port;

private:
    // The program's messages (a history line not written, a record line lost): to the journal
    // without the window's hints, quiet when they come in floods.
    class JournalPrompter : public PLM_INC::ConsolePrompter {
    public:
        void message(const QString &text, const QString &kind) override;
    };
    QString problemShown_;
    JournalPrompter prompter_;
};
