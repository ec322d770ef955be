#include "SimulatedClock.h"

#include <algorithm>

namespace {

class SimulatedTimer final : public EngineTimer {
public:
    SimulatedTimer(SimulatedClock &clock, std::function<void()> fired) : clock_(clock), fired_(std::move(fired)) {}
    ~SimulatedTimer() override { stop(); }
    void start(int ms) override
    {
        stop();
        id_ = clock_.schedule(clock_.nowMs() + ms, [this] {
            id_ = 0;
            fired_();
        });
    }
    void stop() override
    {
        if (id_)
            clock_.cancel(id_);
        id_ = 0;
    }
    bool isActive() const override { return id_ != 0; }

private:
    SimulatedClock &clock_;
    std::function<void()> fired_;
    quint64 id_ = 0;
};

} // namespace

std::unique_ptr<EngineTimer> SimulatedClock::makeTimer(std::function<void()> fired)
{
    return std::make_unique<SimulatedTimer>(*this, std::move(fired));
}

quint64 SimulatedClock::schedule(qint64 at, std::function<void()> f)
{
    const quint64 id = nextId_++;
    agenda_.emplace(std::make_pair(std::max(at, now_), id), std::move(f));
    dueOf_[id] = std::max(at, now_);
    return id;
}

void SimulatedClock::cancel(quint64 id)
{
    const auto due = dueOf_.find(id);
    if (due == dueOf_.end())
        return;
    agenda_.erase(std::make_pair(due->second, id));
    dueOf_.erase(due);
}

void SimulatedClock::runUntil(qint64 until)
{
    while (!agenda_.empty() && agenda_.begin()->first.first <= until) {
        auto next = agenda_.begin();
        now_ = next->first.first;
        std::function<void()> f = std::move(next->second);
        dueOf_.erase(next->first.second);
        agenda_.erase(next);
        f();
    }
    now_ = std::max(now_, until);
}
