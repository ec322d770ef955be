#include "PublishQueue.h"

bool PublishQueue::dropOne()
{
    if (!values_.empty()) {
        values_.pop_front();
        ++dropped_;
        return true;
    }
    if (!kept_.empty()) {
        kept_.pop_front();
        ++dropped_;
        ++droppedKept_;
        return true;
    }
    return false;
}

void PublishQueue::push(OutgoingMessage m)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (bound_ == 0)
        return;
    while (kept_.size() + values_.size() >= bound_) {
        // A value never pushes out an alarm: with only alarms waiting, the new value goes.
        if (!m.keep && values_.empty()) {
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
    while (kept_.size() + values_.size() > bound_)
        dropOne();
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
