#include "PacedTimer.h"

PacedTimer::PacedTimer(EngineClock &clock, bool holdsForWork)
    : timer_(clock.makeTimer([this] { fired(); })), holdsForWork_(holdsForWork)
{
}

void PacedTimer::setInterval(int ms)
{
    interval_ = ms;
    if (timer_->isActive())
        timer_->start(interval_);
}

void PacedTimer::start()
{
    active_ = true;
    timer_->start(interval_);
}

void PacedTimer::stop()
{
    active_ = false;
    timer_->stop();
}

void PacedTimer::workDone()
{
    if (active_ && !timer_->isActive())
        timer_->start(interval_);
}

void PacedTimer::fired()
{
    if (!active_)
        return;
    if (!holdsForWork_)
        timer_->start(interval_);
    emit timeout();
}
