// The link on a line that keeps its own time (a simulated line: its characters take the time
// they would take at its speed, a wait that nothing ends passes at once), run on the engine's
// own thread with the engine's clock following the line. It keeps the line thread's order:
// each work starts when the line is done with the work before it, and its outcome comes back
// on the engine's clock at the moment the line finished it, never inside run(), every
// outcome due by then in one delivery. Outcomes not yet back when it ends are dropped.
#pragma once

#include "EngineClock.h"
#include "LinkService.h"

#include <deque>

// The time of such a line, in the engine's milliseconds: where it stands after what it
// carried, and where the next work starts.
class LineClock {
public:
    virtual ~LineClock() = default;
    virtual qint64 now() const = 0;
    virtual void setNow(qint64 ms) = 0;
};

class LineTimeLink final : public LinkService {
public:
    // The link's reply deadline runs on the line's time.
    LineTimeLink(std::unique_ptr<tobrel::STDComm> link, LineClock &lineClock, EngineClock &clock);
    ~LineTimeLink() override;

    void run(Work work, Done done) override;
    tobrel::STDComm *sameThreadLink() override { return nullptr; }

private:
    struct Finished {
        qint64 atMs;
        Done done;
        LinkOutcome outcome;
    };
    void deliverDue();
    void armTimer();

    LinkHost host_;
    LineClock &lineClock_;
    EngineClock &clock_;
    std::deque<Finished> finished_;
    std::unique_ptr<EngineTimer> timer_;
};
