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

} // namespace

void MonitorComm::communicate()
{
    connectStoredPort([this](const QString &connected) {
        LinkRequest = connected.isEmpty() ? 9 : 0;
        paceLinkTimer();
        timer4_.start();
    });
}

void MonitorComm::Timer4_Timer()
{
    // A tick whose transactions are still on the line ends before the next one starts.
    if (inTick_)
        return;
    inTick_ = true;
    runner_.add([this] { runRequest(); });
    runner_.add([this] { endTick(); });
}

void MonitorComm::endTick()
{
    updateNotices();
    paceLinkTimer();
    inTick_ = false;
    timer4_.workDone();
    emit tickEnded();
}

void MonitorComm::linkTimerFired()
{
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
    // A block that left a write unanswered holds only its own requests, until a poll step
    // finds it answering.
    const LinkRequestJob *next = PendingRequests.next(heldBlocks_);
    if (!next)
        return std::nullopt;
    // While the line fails, the poll step finds out when it is back; the requests wait.
    if (lineFailing_)
        return std::nullopt;
    // One poll step between two one-item writes keeps the pages live.
    if (next->kind == RequestKind::ItemWrite && wroteLastTick)
        return std::nullopt;
    return PendingRequests.pop(heldBlocks_);
}

void MonitorComm::runJob(const LinkRequestJob &request)
{
    LinkRequest = int16_t(request.kind);
    if (request.block >= 0)
        RequestBlock = int16_t(request.block);
    RequestItem = request.item;
    runningRequest_ = request.kind;
    const quint64 before = transactionCount_;
    switch (request.kind) {
    case RequestKind::ItemWrite:
        WriteOneItem(request);
        break;
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
        reRead(request);
        break;
    }
    runner_.add([this, kind = request.kind, before] {
        if (kind == RequestKind::ItemWrite)
            wroteLastTick_ = transactionCount_ != before;
        runningRequest_.reset();
        PendingRequests.showWaitingValues();
    });
}

void MonitorComm::runRequest()
{
    switch (LinkRequest) {
    case 0:
        Setdata_read();
        runner_.add([this] {
            PendingRequests.showWaitingValues();
            LinkRequest = 1;
            view_->startupFinished();
            showWaitingRequest();
        });
        break;
    case 9:
        connectStoredPort([](const QString &connected) {
            if (!connected.isEmpty())
                LinkRequest = 0;
        });
        break;
    default:
        LinkRequest = 1;
        if (std::optional<LinkRequestJob> request = takeRequest()) {
            runJob(*request);
        } else {
            PollMonitorData();
            runner_.add([this] { view_->refreshDisplay(); });
        }
        runner_.add([this] { showWaitingRequest(); });
        break;
    }
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
        timer3_[static_cast<size_t>(Index)]->stop();
        if (std::optional<LinkRequestJob> second = PendingRequests.unpark(Index))
            PendingRequests.push(std::move(*second));
        if (LinkRequest != 0 && LinkRequest != 9)
            showWaitingRequest();
    }
}
