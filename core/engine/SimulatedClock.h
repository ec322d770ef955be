// The engine's clock in simulated time: an agenda of timers run in the order they fall due,
// with time standing between them. With a line that keeps its own time (LineTimeLink) the
// whole engine runs without waiting for anything real, and runs are reproducible.
#pragma once

#include "EngineClock.h"

#include <functional>
#include <map>
#include <utility>

class SimulatedClock final : public EngineClock {
public:
    qint64 nowMs() const override { return now_; }
    std::unique_ptr<EngineTimer> makeTimer(std::function<void()> fired) override;

    // Runs everything due up to `until` in time order, then stands at `until`.
    void runUntil(qint64 until);
    // The next thing due at `at` (the end of a transaction); ids order things due together.
    quint64 schedule(qint64 at, std::function<void()> f);
    void cancel(quint64 id);

private:
    qint64 now_ = 0;
    quint64 nextId_ = 1;
    std::map<std::pair<qint64, quint64>, std::function<void()>> agenda_;
    std::map<quint64, qint64> dueOf_;
};
