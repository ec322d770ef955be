// The engine's work as steps run one after another on the engine's thread. A step may hand one
// piece of work to the line; the steps after it wait until its outcome is back, and the thread
// goes on with everything else meanwhile. Steps added while a step (or an outcome) runs come
// right after it, in the order added, so a sequence reads as it runs: "read the block's
// configuration; if it answered, read its settings; then the next block".
#pragma once

#include "LinkService.h"

#include <deque>
#include <exception>
#include <functional>
#include <vector>

class StepRunner {
public:
    using Step = std::function<void()>;
    using Then = std::function<void(const LinkOutcome &)>;

    explicit StepRunner(LinkService &service);

    // Inside a step or an outcome: runs right after it. Otherwise: after all that waits.
    void add(Step step);
    // From inside a step, as its last act: hands the work to the line; `then` runs with its
    // outcome, and the next step after that.
    void send(LinkService::Work work, Then then);

    // From inside a step, as its last act: the steps after it wait until resume() (a pause on
    // the engine's clock, the line left to go quiet).
    void hold();
    void resume();

    // Steps waiting, or work on the line.
    bool busy() const { return waiting_ || !steps_.empty(); }
    // True while a step or an outcome runs.
    bool insideStep() const { return running_; }
    // The program is ending: steps not yet started are dropped and no new one is taken.
    void stop()
    {
        stopped_ = true;
        steps_.clear();
        added_.clear();
    }

    // Runs when the last step has ended and nothing is on the line.
    void setIdleHandler(std::function<void()> handler) { onIdle_ = std::move(handler); }
    // A step that raises is reported here and the next step runs.
    void setErrorHandler(std::function<void(const std::exception &)> handler) { onError_ = std::move(handler); }

private:
    void pump();
    void runOne(const std::function<void()> &f);

    LinkService &service_;
    std::deque<Step> steps_;
    std::vector<Step> added_; // by the step running now
    bool running_ = false;
    bool waiting_ = false;
    bool pumping_ = false;
    bool sentThisStep_ = false;
    bool stopped_ = false;
    std::function<void(const std::exception &)> onError_;
    std::function<void()> onIdle_;
};
