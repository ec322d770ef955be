#include "TransferPause.h"

#include "LinkRequests.h"
#include "PLM_INC.h"

using namespace PLM_INC;

namespace {

constexpr int kTransferDelayTicks = 15; // 15 ticks of 1000 ms between the two phases

} // namespace

TransferPause::TransferPause(EngineClock &clock)
{
    for (auto &t : timers_) {
        t = std::make_unique<PacedTimer>(clock, false);
        t->setInterval(1000);
    }
}

void TransferPause::start(int index)
{
    count_ = 0;
    timers_[size_t(index)]->start();
}

void TransferPause::stop(int index)
{
    timers_[size_t(index)]->stop();
}

void TransferPause::stopAll()
{
    for (auto &t : timers_)
        t->stop();
}

void TransferPause::tick(int index, LinkView &view)
{
    if (index < 0 || index > 1)
        return;
    ++count_;
    view.setTransferProgress(count_ * 10, true);
    if (count_ >= kTransferDelayTicks) {
        count_ = 0;
        timers_[static_cast<size_t>(index)]->stop();
        if (std::optional<LinkRequestJob> second = PendingRequests.unpark(index))
            PendingRequests.push(std::move(*second));
        // LinkRequest shows the request waiting first.
        if (LinkRequest != 0 && LinkRequest != 9)
            PendingRequests.showFirst();
    }
}
