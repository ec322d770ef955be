#include "SimulatedWorld.h"

#include "STDComm.h"

#include <cmath>

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
    const std::string onLine = answer.reply + answer.after;
    for (size_t i = 0; i < onLine.size(); ++i)
        pending_.push_back({qint64(std::ceil(start + characterMs() * double(i + 1))), onLine[i], index,
                            i + 1 == answer.reply.size()});
}

QByteArray ModelLine::read()
{
    if (onUse_)
        onUse_();
    if (onRead_)
        onRead_();
    QByteArray out;
    while (!pending_.empty() && pending_.front().at <= now_ && (readLength_ == 0 || out.size() < readLength_)) {
        const Arriving a = pending_.front();
        pending_.pop_front();
        out.append(a.c);
        if (onTaken_)
            onTaken_(a.c);
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
    link_ = std::make_unique<LineTimeLink>(std::make_unique<tobrel::STDComm>(std::move(line)), *line_, *clock_);
}

SimulatedWorld::~SimulatedWorld() = default;

std::unique_ptr<EngineClock> SimulatedWorld::takeClock()
{
    return std::move(ownedClock_);
}

void SimulatedWorld::run(Work work, Done done)
{
    link_->run(std::move(work), std::move(done));
}
