// The link driver's timers as the window and the tests know them: active or not, an
// interval, a timeout every interval. A timer that paces work handed to the line
// (holdsForWork) fires once and waits: its next interval starts when the work is done, so a
// tick never starts while the one before is still on the line and the waiting costs nothing.
#pragma once

#include "EngineClock.h"

#include <QObject>
#include <memory>

class PacedTimer : public QObject {
    Q_OBJECT
public:
    PacedTimer(EngineClock &clock, bool holdsForWork);

    void setInterval(int ms);
    int interval() const { return interval_; }
    void start();
    void stop();
    // True from start to stop, also while its work is on the line.
    bool isActive() const { return active_; }
    // The work of the last timeout is done: the next interval starts now (holdsForWork).
    void workDone();

signals:
    void timeout();

private:
    void fired();

    std::unique_ptr<EngineTimer> timer_;
    int interval_ = 0;
    bool active_ = false;
    bool holdsForWork_ = false;
};
