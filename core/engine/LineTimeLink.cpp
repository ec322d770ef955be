#include "LineTimeLink.h"

#include "STDComm.h"

#include <algorithm>

namespace {

std::unique_ptr<tobrel::STDComm> onLineTime(std::unique_ptr<tobrel::STDComm> link, LineClock &lineClock)
{
    link->setMillisecondClock([&lineClock] { return lineClock.now(); });
    return link;
}

} // namespace

LineTimeLink::LineTimeLink(std::unique_ptr<tobrel::STDComm> link, LineClock &lineClock, EngineClock &clock)
    : host_(onLineTime(std::move(link), lineClock)),
      lineClock_(lineClock),
      clock_(clock),
      timer_(clock.makeTimer([this] { deliverDue(); }))
{
}

LineTimeLink::~LineTimeLink() = default;

void LineTimeLink::run(Work work, Done done)
{
    // The line is busy until the work before this one has ended there; an idle line has
    // waited for the engine.
    lineClock_.setNow(std::max(lineClock_.now(), clock_.nowMs()));
    LinkOutcome outcome = host_.run(work);
    finished_.push_back(Finished{lineClock_.now(), std::move(done), std::move(outcome)});
    armTimer();
}

void LineTimeLink::deliverDue()
{
    // An outcome may hand over the next work, which finishes later than now.
    while (!finished_.empty() && finished_.front().atMs <= clock_.nowMs()) {
        Finished finished = std::move(finished_.front());
        finished_.pop_front();
        finished.done(finished.outcome);
    }
    armTimer();
}

void LineTimeLink::armTimer()
{
    if (!finished_.empty() && !timer_->isActive())
        timer_->start(int(std::max<qint64>(0, finished_.front().atMs - clock_.nowMs())));
}
