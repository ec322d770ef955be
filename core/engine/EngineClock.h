// The engine's time: a millisecond clock and one-shot timers, given from outside so that a
// test runs the whole engine in simulated time. The product's are the steady clock and Qt's
// timers on the engine's thread.
#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>

class EngineTimer {
public:
    virtual ~EngineTimer() = default;
    // Fires once, ms from now, on the engine's thread; a second start replaces the first.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class EngineClock {
public:
    virtual ~EngineClock() = default;
    virtual qint64 nowMs() const = 0;
    virtual std::unique_ptr<EngineTimer> makeTimer(std::function<void()> fired) = 0;
};

// The steady clock and QTimer, on the thread that calls it.
std::unique_ptr<EngineClock> MakeQtEngineClock();
