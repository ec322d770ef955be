#include "StepRunner.h"

StepRunner::StepRunner(LinkService &service) : service_(service)
{
}

void StepRunner::add(Step step)
{
    // A step that handed work to the line adds nothing after it: what follows the work
    // belongs in its outcome.
    Q_ASSERT(!(running_ && sentThisStep_));
    if (stopped_)
        return;
    if (running_) {
        added_.push_back(std::move(step));
        return;
    }
    steps_.push_back(std::move(step));
    pump();
}

void StepRunner::send(LinkService::Work work, Then then)
{
    Q_ASSERT(running_ && !waiting_ && added_.empty()); // one piece of work per step, its last act
    if (stopped_)
        return;
    waiting_ = true;
    sentThisStep_ = true;
    service_.run(std::move(work), [this, then = std::move(then)](const LinkOutcome &outcome) {
        waiting_ = false;
        sentThisStep_ = false;
        runOne([&] { then(outcome); });
        pump();
    });
}

void StepRunner::hold()
{
    Q_ASSERT(running_ && !waiting_ && added_.empty());
    if (stopped_)
        return;
    waiting_ = true;
    sentThisStep_ = true;
}

void StepRunner::resume()
{
    if (!waiting_)
        return;
    waiting_ = false;
    sentThisStep_ = false;
    pump();
}

void StepRunner::runOne(const std::function<void()> &f)
{
    const bool outer = running_;
    running_ = true;
    try {
        f();
    } catch (const std::exception &e) {
        if (onError_)
            onError_(e);
    }
    running_ = outer;
    if (!outer)
        sentThisStep_ = false;
    // What the step added runs next, in the order it was added.
    steps_.insert(steps_.begin(), std::make_move_iterator(added_.begin()), std::make_move_iterator(added_.end()));
    added_.clear();
}

void StepRunner::pump()
{
    // An outcome that comes back at once (the caller's own thread) is taken by the loop
    // already running rather than by a nested one.
    if (pumping_)
        return;
    pumping_ = true;
    while (!waiting_ && !steps_.empty()) {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        runOne(step);
    }
    pumping_ = false;
    if (!busy() && onIdle_)
        onIdle_();
}
