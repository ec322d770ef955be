#include "PublishQueue.h"

#include "EventSpool.h"

#include <algorithm>

bool PublishQueue::dropOne()
{
    if (!values_.empty()) {
        ++droppedByKind_[values_.front().kind];
        values_.pop_front();
        ++dropped_;
        return true;
    }
    if (!kept_.empty() && !spool_) {
        ++droppedByKind_[kept_.front().kind];
        kept_.pop_front();
        ++dropped_;
        ++droppedKept_;
        return true;
    }
    return false;
}

void PublishQueue::setSpool(std::shared_ptr<EventSpool> spool)
{
    std::vector<OutgoingMessage> waiting = spool->load();
    std::lock_guard<std::mutex> lock(mutex_);
    spool_ = std::move(spool);
    for (auto it = waiting.rbegin(); it != waiting.rend(); ++it)
        kept_.push_front(std::move(*it));
}

void PublishQueue::push(OutgoingMessage m)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (bound_ == 0)
        return;
    if (m.keep && spool_) {
        // The spool's bound holds: its oldest events go, unless the library has them already.
        std::vector<uint64_t> gone;
        spool_->add(m, &gone);
        for (const uint64_t seq : gone) {
            const auto it = std::find_if(kept_.begin(), kept_.end(), [seq](const OutgoingMessage &k) { return k.seq == seq; });
            if (it == kept_.end())
                continue;
            ++dropped_; // counted by kind in the spool, across starts
            ++droppedKept_;
            kept_.erase(it);
        }
        kept_.push_back(std::move(m));
        return;
    }
    const auto counted = [this] { return (spool_ ? 0 : kept_.size()) + values_.size(); };
    while (counted() >= bound_) {
        // A value never pushes out an alarm: with only alarms waiting, the new value goes.
        if (!m.keep && values_.empty()) {
            ++droppedByKind_[m.kind];
            ++dropped_;
            return;
        }
        dropOne();
    }
    (m.keep ? kept_ : values_).push_back(std::move(m));
}

void PublishQueue::pushFront(OutgoingMessage m)
{
    std::lock_guard<std::mutex> lock(mutex_);
    (m.keep ? kept_ : values_).push_front(std::move(m));
    while ((spool_ ? 0 : kept_.size()) + values_.size() > bound_ && dropOne()) {
    }
}

std::optional<OutgoingMessage> PublishQueue::pop()
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto &from = !kept_.empty() ? kept_ : values_;
    if (from.empty())
        return std::nullopt;
    OutgoingMessage m = std::move(from.front());
    from.pop_front();
    return m;
}

size_t PublishQueue::size() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return kept_.size() + values_.size();
}

size_t PublishQueue::dropped() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

size_t PublishQueue::droppedKept() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return droppedKept_;
}

std::map<QString, size_t> PublishQueue::droppedByKind() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::map<QString, size_t> counts = droppedByKind_;
    if (spool_)
        for (const auto &[kind, n] : spool_->drops())
            counts[kind] += n;
    return counts;
}
