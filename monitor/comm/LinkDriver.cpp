// The link driver: the link timer's tick, the delay timers between the two phases of a load
// transfer, and the start of the main loop.
#include "MonitorComm.h"

#include "PLM_INC.h"
#include "STDComm.h"

using namespace PLM_INC;

namespace {

constexpr int kTransferDelayTicks = 15; // 15 ticks of 1000 ms between the two phases
constexpr int kTickMs = 1;               // back to back: the line sets the pace
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

void MonitorComm::paceLinkTimer()
{
    const bool nothingToPoll = LinkRequest == 1 && !AnyBlockPresent();
    const int interval = (lineFailing_ || nothingToPoll) ? kIdleTickMs : kTickMs;
    if (timer4_.interval() != interval)
        timer4_.setInterval(interval);
}

bool MonitorComm::runQueuedWrite()
{
    const bool wroteLastTick = wroteLastTick_;
    wroteLastTick_ = false;
    if (PendingWrites.empty())
        return false;
    switch (LinkRequest) {
    case 1:
        if (wroteLastTick)
            return false; // one poll step between two queued writes keeps the pages live
        break;
    case 2: case 3: case 4: case 7: case 8:
        break; // asked for after the queued writes; a re-read would also overwrite their values
    default:
        return false; // no proven port or image yet, or the second phase of a transfer
    }
    const std::optional<WriteRequest> next = PendingWrites.pop();
    RequestBlock = int16_t(next->block);
    RequestItem = next->item;
    WriteOneItem();
    wroteLastTick_ = true;
    return true;
}

void MonitorComm::runRequest()
{
    if (runQueuedWrite())
        return;
    switch (LinkRequest) {
    case 0:
        Setdata_read();
        LinkRequest = 1;
        view_->startupFinished();
        return;
    case 1:
        PollMonitorData();
        view_->refreshDisplay();
        return; // a request written during the step runs on the next tick
    case 2:
        WriteOneItem();
        break;
    case 3:
        WriteBlockSetdata();
        break;
    case 4:
        WriteAllSetdata();
        break;
    case 5:
        WriteBlockAlarmdata();
        break;
    case 6:
        WriteAllAlarmdata();
        break;
    case 7:
        WriteFactoryAdj();
        break;
    case 8:
        ReadPara_setflg();
        break;
    case 9:
        if (!ConnectStoredPort().isEmpty()) {
            LinkRequest = 0;
        } else {
            view_->processEvents();
        }
        return;
    default:
        break;
    }
    LinkRequest = 1;
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
        LinkRequest = Index == 0 ? 5 : 6;
    }
}
