#include "SimulatedWorld.h"

#include "STDComm.h"

#include <cmath>

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

bool SimulatedClock::scheduled(quint64 id) const
{
    return dueOf_.count(id) != 0;
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

ModelLine::ModelLine(sim::DeviceModel &model, int baud) : model_(model), baud_(baud)
{
}

int ModelLine::inWaiting()
{
    int n = 0;
    for (const Arriving &a : pending_) { // in order of arrival
        if (a.at > now_)
            break;
        ++n;
    }
    return n;
}

void ModelLine::write(const QByteArray &bytes)
{
    if (onUse_)
        onUse_();
    const std::string frame = bytes.toStdString();
    const size_t index = frames_.size();
    frames_.push_back(frame);
    const double sent = double(now_) + characterMs() * double(frame.size());
    now_ = qint64(std::ceil(sent));
    if (unplugged_)
        return;
    FarEndAnswer answer;
    if (farEnd_)
        answer = farEnd_(frame, now_);
    else
        answer.reply = model_.handleFrame(frame);
    double start = sent + double(answer.delayMs);
    if (!pending_.empty())
        start = std::max(start, double(pending_.back().at));
    for (size_t i = 0; i < answer.reply.size(); ++i)
        pending_.push_back({qint64(std::ceil(start + characterMs() * double(i + 1))), answer.reply[i], index,
                            i + 1 == answer.reply.size()});
}

QByteArray ModelLine::read()
{
    if (onUse_)
        onUse_();
    QByteArray out;
    while (!pending_.empty() && pending_.front().at <= now_ && (readLength_ == 0 || out.size() < readLength_)) {
        const Arriving a = pending_.front();
        pending_.pop_front();
        out.append(a.c);
        if (a.last && onReplyTaken_)
            onReplyTaken_(a.frame);
    }
    return out;
}

bool ModelLine::waitForReadable(int msecs)
{
    if (onUse_)
        onUse_();
    if (!pending_.empty()) {
        const qint64 next = pending_.front().at;
        if (next <= now_ + msecs) {
            now_ = std::max(now_, next);
            return true;
        }
    }
    now_ += msecs;
    return false;
}

SimulatedWorld::SimulatedWorld(sim::DeviceModel model, int baud)
    : model_(std::move(model)), ownedClock_(std::make_unique<SimulatedClock>()), clock_(ownedClock_.get())
{
    model_.setLive(false);
    auto line = std::make_unique<ModelLine>(model_, baud);
    line_ = line.get();
    auto link = std::make_unique<tobrel::STDComm>(std::move(line));
    ModelLine *clockLine = line_;
    link->setMillisecondClock([clockLine] { return clockLine->now(); });
    host_ = std::make_unique<LinkHost>(std::move(link));
}

SimulatedWorld::~SimulatedWorld() = default;

std::unique_ptr<EngineClock> SimulatedWorld::takeClock()
{
    return std::move(ownedClock_);
}

void SimulatedWorld::run(Work work, Done done)
{
    line_->setNow(clock_->nowMs());
    const LinkOutcome outcome = host_->run(work);
    clock_->schedule(line_->now(), [done = std::move(done), outcome] { done(outcome); });
}
