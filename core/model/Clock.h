// Wall clock for history, logging and file names, injectable so tests can stand at any
// moment (midnight, a minute boundary) without waiting.
#pragma once

#include <QDateTime>
#include <functional>

namespace PLM_INC {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// The clock the program reads; the system clock unless a test installs another.
Clock &clock();
void setClock(Clock *clock); // nullptr restores the system clock

} // namespace PLM_INC
