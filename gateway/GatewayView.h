// What the window would show, written to the journal instead: one line when something changes.
#pragma once

#include "LinkView.h"

class GatewayView : public NullLinkView {
public:
    void setCommErrorNoticeVisible(bool visible) override;
    void startupFinished() override;
    void showPortDialog(const QString &port, const QString &speed) override;
    void setStartupProgress(int count) override;

    bool startedUp = false;
    bool errorShown = false;
};
