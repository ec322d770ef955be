// The link driver: the link timer's tick, the delay timers between the two phases of a load
// transfer, and the start of the main loop.
#include "MonitorComm.h"

#include "PLM_INC.h"
#include "STDComm.h"

using namespace PLM_INC;

namespace {

constexpr int kTransferDelayTicks = 15; // 15 ticks of 1000 ms between the two phases
constexpr int kTickMs = 0;               // back to back: the line sets the pace
// A line that fails at once (a vanished device, a port that will not open) is tried again no
// faster than a silent one would time out, so a dead line never spins the processor.
constexpr int kIdleTickMs = 300;

// Clears a flag when the scope ends, however it ends.
class ReentryGuard {
public:
    explicit ReentryGuard(bool &flag) : flag_(flag) { flag_ = true; }
    ~ReentryGuard() { flag_ = false; }
    ReentryGuard(const ReentryGuard &) = delete;
    ReentryGuard &operator=(const ReentryGuard &) = delete;

private:
    bool &flag_;
};

} // namespace

void MonitorComm::communicate()
{
    try {
        link_->setEventsCheck(true);
    } catch (const std::exception &e) {
        qWarning("link: %s", e.what());
    }
    QString connected;
    try {
        connected = ConnectStoredPort();
    } catch (const std::exception &e) {
        qWarning("port: %s", e.what());
    }
    LinkRequest = connected.isEmpty() ? 9 : 0;
    paceLinkTimer();
    timer4_.start();
}

void MonitorComm::Timer4_Timer()
{
    // A message box opened by the work below runs a nested event loop in which this timer
    // keeps firing; the work of a tick must never start inside itself.
    if (inTick_)
        return;
    ReentryGuard guard(inTick_);
    try {
        runRequest();
    } catch (const std::exception &e) {
        qWarning("link timer: %s", e.what());
        if (LinkRequest != 1 && LinkRequest != 9)
            LinkRequest = 1;
    }
    updateNotices();
    paceLinkTimer();
}

void MonitorComm::linkTimerFired()
{
    // A transaction keeps the user-interface thread for its whole length. The timer's firing
    // that comes first after it only yields, so what came in meanwhile (an OK, a click,
    // another timer) is handled before the next transaction starts; the next firing starts
    // it at once. A change waits for the transaction in flight, not for the one after it.
    // (At the idle pace there is time enough between ticks.)
    yieldedBeforeTick_ = timer4_.interval() == kTickMs && !yieldedBeforeTick_;
    if (yieldedBeforeTick_)
        return;
    Timer4_Timer();
}

void MonitorComm::paceLinkTimer()
{
    const bool nothingToPoll = LinkRequest != 0 && LinkRequest != 9 && !AnyBlockPresent();
    const int interval = (lineFailing_ || nothingToPoll) ? kIdleTickMs : kTickMs;
    if (timer4_.interval() != interval)
        timer4_.setInterval(interval);
}

std::optional<LinkRequestJob> MonitorComm::takeRequest()
{
    const bool wroteLastTick = wroteLastTick_;
    wroteLastTick_ = false;
    const LinkRequestJob *next = PendingRequests.next();
    if (!next)
        return std::nullopt;
    // While the line fails, the poll step finds out when it is back; the requests wait.
    if (lineFailing_)
        return std::nullopt;
    // One poll step between two one-item writes keeps the pages live.
    if (next->kind == RequestKind::ItemWrite && wroteLastTick)
        return std::nullopt;
    return PendingRequests.pop();
}

void MonitorComm::runJob(const LinkRequestJob &request)
{
    LinkRequest = int16_t(request.kind);
    if (request.block >= 0)
        RequestBlock = int16_t(request.block);
    RequestItem = request.item;
    switch (request.kind) {
    case RequestKind::ItemWrite: {
        const quint64 before = transactionCount_;
        WriteOneItem(request);
        wroteLastTick_ = transactionCount_ != before;
        break;
    }
    case RequestKind::BlockSend:
        WriteBlockSetdata(request);
        break;
    case RequestKind::AllSend:
        WriteAllSetdata(request);
        break;
    case RequestKind::BlockAlarms:
        WriteBlockAlarmdata(request);
        break;
    case RequestKind::AllAlarms:
        WriteAllAlarmdata(request);
        break;
    case RequestKind::FactoryAdjust:
        WriteFactoryAdj(request);
        break;
    case RequestKind::ReRead:
        ReReadBlock = int16_t(request.block);
        ReadPara_setflg(request.block);
        break;
    }
    PendingRequests.showWaitingValues();
}

void MonitorComm::runRequest()
{
    switch (LinkRequest) {
    case 0:
        Setdata_read();
        PendingRequests.showWaitingValues();
        LinkRequest = 1;
        view_->startupFinished();
        break;
    case 9:
        if (!ConnectStoredPort().isEmpty())
            LinkRequest = 0;
        else
            view_->processEvents();
        return;
    default:
        LinkRequest = 1;
        if (std::optional<LinkRequestJob> request = takeRequest()) {
            runJob(*request);
        } else {
            PollMonitorData();
            view_->refreshDisplay();
        }
        break;
    }
    showWaitingRequest();
}

void MonitorComm::showWaitingRequest()
{
    PendingRequests.showFirst();
}

void MonitorComm::Timer3_Timer(int Index)
{
    if (Index < 0 || Index > 1)
        return;
    ++timer3Count_;
    view_->setTransferProgress(timer3Count_ * 10, true);
    if (timer3Count_ >= kTransferDelayTicks) {
        timer3Count_ = 0;
        timer3_[static_cast<size_t>(Index)].stop();
        std::optional<LinkRequestJob> &paused = pausedTransfer_[static_cast<size_t>(Index)];
        if (paused) {
            PendingRequests.push(std::move(*paused));
            paused.reset();
        }
        if (LinkRequest != 0 && LinkRequest != 9)
            showWaitingRequest();
    }
}
