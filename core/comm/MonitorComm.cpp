// The link driver: the link timer's tick and the requests it carries out, the delay timers
// between the two phases of a load transfer, and the transaction procedure the commands hand
// their transactions to.
#include "MonitorComm.h"

#include "AlarmHistory.h"
#include "LineThread.h"
#include "PLM_INC.h"
#include "PassOver.h"
#include "ReplyDecoder.h"
#include "ReplyKind.h"
#include "Line.h"
#include "STDComm.h"
#include "SameThreadLink.h"
#include "WriteData.h"
#include "WriteProblemText.h"

#include <QDebug>
#include <utility>

using namespace PLM_INC;

namespace {

constexpr int kTickMs = 0;               // back to back: the line sets the pace
// A line that fails at once (a vanished device, a port that will not open) is tried again no
// faster than a silent one would time out, so a dead line never spins the processor.
constexpr int kIdleTickMs = 300;

} // namespace

MonitorComm::MonitorComm(QObject *parent)
    : MonitorComm(std::make_unique<LineThread>([] { return std::make_unique<tobrel::STDComm>(); }),
                  MakeQtEngineClock(), parent)
{
}

MonitorComm::MonitorComm(std::unique_ptr<tobrel::Line> line, QObject *parent)
    : MonitorComm(std::make_unique<SameThreadLink>(std::make_unique<tobrel::STDComm>(std::move(line))),
                  MakeQtEngineClock(), parent)
{
}

MonitorComm::MonitorComm(std::unique_ptr<LinkService> service, std::unique_ptr<EngineClock> clock, QObject *parent)
    : QObject(parent),
      clock_(std::move(clock)),
      service_(std::move(service)),
      runner_(*service_),
      timer4_(*clock_, true),
      pause_(*clock_)
{
    FillItemCodeTable();
    PollBlock = 0;
    PollItem = 0;
    runner_.setErrorHandler([this](const std::exception &e) {
        qWarning("link timer: %s", e.what());
        if (LinkRequest != 1 && LinkRequest != 9)
            LinkRequest = 1;
    });
    runner_.setIdleHandler([this] { emit idle(); });
    quietTimer_ = clock_->makeTimer([this] { runner_.resume(); });
    messages_ = std::make_unique<LinkMessages>(*clock_);
    panelOneBlank_ = clock_->makeTimer([this] { view_->setStatusPanel(1, QString()); });
    timer4_.setInterval(0);
    connect(&timer4_, &PacedTimer::timeout, this, &MonitorComm::linkTimerFired);
    for (int index = 0; index < 2; ++index)
        connect(&pause_.timer(index), &PacedTimer::timeout, this, [this, index] { Timer3_Timer(index); });
}

MonitorComm::~MonitorComm()
{
    runner_.stop();
    // The line thread ends before the runner it reports to.
    service_.reset();
}

tobrel::STDComm &MonitorComm::PLMCom()
{
    tobrel::STDComm *link = service_->sameThreadLink();
    Q_ASSERT(link); // only where the link lives on this thread
    return *link;
}

void MonitorComm::configureLink(std::function<void(tobrel::STDComm &)> f, std::function<void()> done)
{
    service_->run(
        [f = std::move(f)](tobrel::STDComm &link) {
            f(link);
            return LinkOutcome();
        },
        [done = std::move(done)](const LinkOutcome &) {
            if (done)
                done();
        });
}

void MonitorComm::setView(LinkView *view)
{
    view_ = view ? view : &nullView_;
    commErrorNoticeShown_ = -1;
    readingNoticeShown_ = -1;
    waitingNoticeShown_ = -1;
}

void MonitorComm::setMessageHandler(std::function<void(const QString &)> handler)
{
    messages_->setHandler(std::move(handler));
}

bool MonitorComm::transferInProgress() const
{
    if (PendingRequests.anyParked())
        return true;
    const auto isTransfer = [](RequestKind kind) {
        return kind >= RequestKind::BlockSend && kind <= RequestKind::AllAlarms;
    };
    if (runningRequest_ && isTransfer(*runningRequest_))
        return true;
    for (const LinkRequestJob &waiting : PendingRequests.waiting())
        if (isTransfer(waiting.kind))
            return true;
    return false;
}

void MonitorComm::addStep(std::function<void()> step)
{
    runner_.add(std::move(step));
}

void MonitorComm::lineWork(LinkService::Work work, std::function<void(const LinkOutcome &)> then)
{
    runner_.add([this, work = std::move(work), then = std::move(then)] {
        runner_.send(work, [this, then](const LinkOutcome &outcome) {
            messages_->show(outcome.messages);
            if (then)
                then(outcome);
        });
    });
}

void MonitorComm::sendUnclassified(int block, Command command, const QString &item, const QString &data,
                                   ReplyHandler then)
{
    ++transactionCount_;
    const QString address = BlockAddressText(block);
    const QString commandText = QString(QLatin1Char(char(command)));
    runner_.send(
        [address, commandText, item, data](tobrel::STDComm &link) {
            LinkOutcome outcome;
            outcome.reply = link.RWcomm(address, QStringLiteral(" "), commandText, item, data, 1);
            return outcome;
        },
        [this, then = std::move(then)](const LinkOutcome &outcome) {
            if (outcome.failed)
                noteLineError("link", outcome.error);
            else
                lineFailing_ = false;
            then(outcome.failed ? QString() : outcome.reply);
        });
}

// Told once when the line starts failing, not once per tick while it stays down.
void MonitorComm::noteLineError(const char *where, const QString &error)
{
    if (!lineFailing_)
        qWarning("%s: %s", where, qPrintable(error));
    lineFailing_ = true;
}

void MonitorComm::transact(int block, Command command, const QString &item, const QString &data, ReplyHandler then)
{
    sendUnclassified(block, command, item, data, [this, block, command, item, then = std::move(then)](const QString &reply) {
        CommError = 0;
        const ReplyKind kind = ClassifyReply(reply);
        const bool pollUnanswered = panelOneBlank_->isActive();
        panelOneBlank_->stop();
        const bool own = AnswersRequest(reply, block, char(command), item);
        emit transactionDone(block, own ? kind : ReplyKind::NoReply);
        if (own && (kind == ReplyKind::Ack || kind == ReplyKind::Nak))
            heldBlocks_ &= BlockMask(~BlockBit(block)); // the block answers: its writes may go
        if (!own)
            resyncLine();
        switch (kind) {
        case ReplyKind::Ack:
            view_->setStatusPanel(1, QStringLiteral("OK"));
            if (command == Command::Read) {
                if (own)
                    ReadDataSet(reply);
                else
                    StoreReadReply(reply, false); // shown where its address says; no count of now
                // A read in the middle of a re-read must not show (or let a load made now
                // take) the controller's old value over a change still on its way.
                PendingRequests.showWaitingValues();
            }
            break;
        case ReplyKind::Nak:
            view_->setStatusPanel(1, QStringLiteral("NG"));
            Hystory_Write(QStringLiteral("NAK"), 0, false);
            break;
        case ReplyKind::ChecksumFailure:
            if (pollUnanswered)
                view_->setStatusPanel(1, QString());
            Hystory_Write(QStringLiteral("CHKSUM"), 0, false);
            break;
        case ReplyKind::NoReply:
            if (pollUnanswered)
                view_->setStatusPanel(1, QString());
            setCommErrorNotice(true);
            CommError = -1;
            break;
        }
        // A reply of another request is no answer to this one.
        if (then)
            then(own ? reply : QString());
    });
}

// A reply that belongs to an earlier request (it came after its time-out) means the line is a
// reply behind: one time-out of quiet lets what is still on its way arrive, and emptying the
// receive buffer puts the next request back in step with its reply.
void MonitorComm::resyncLine()
{
    runner_.add([this] {
        quietTimer_->start(kReplyTimeOutMs);
        runner_.hold();
    });
    lineWork(
        [](tobrel::STDComm &link) {
            link.RecvBufClear();
            return LinkOutcome();
        },
        {});
}

void MonitorComm::ReadDataSet(const QString &tt)
{
    StoreReadReply(tt);
}

void MonitorComm::clearLinkBuffers()
{
    lineWork(
        [](tobrel::STDComm &link) {
            link.RecvBufClear();
            link.SendBufClear();
            return LinkOutcome();
        },
        [this](const LinkOutcome &outcome) {
            if (outcome.failed)
                noteLineError("link", outcome.error);
        });
}

void MonitorComm::setCommErrorNotice(bool visible)
{
    if (commErrorNoticeShown_ == int(visible))
        return;
    commErrorNoticeShown_ = int(visible);
    view_->setCommErrorNoticeVisible(visible);
}

void MonitorComm::setReadingNotice(bool visible)
{
    if (readingNoticeShown_ == int(visible))
        return;
    readingNoticeShown_ = int(visible);
    view_->setReadingNoticeVisible(visible);
}

// What the main loop keeps up to date on every pass.
void MonitorComm::updateNotices()
{
    setReadingNotice(LinkRequest == 8);
    if (CommError == 0)
        setCommErrorNotice(false);
    const bool linkDown = LinkRequest == 0 || LinkRequest == 9 || lineFailing_;
    const BlockMask waitedFor = linkDown ? 0 : PendingRequests.blocksWaitedFor(heldBlocks_);
    const int waiting = linkDown ? PendingRequests.waitingWrites() : PendingRequests.waitingWrites(waitedFor);
    if (waiting != waitingNoticeShown_ || waitedFor != waitingBlocksShown_) {
        waitingNoticeShown_ = waiting;
        waitingBlocksShown_ = waitedFor;
        view_->setWaitingWrites(waiting, BlockListText(waitedFor));
    }
}

void MonitorComm::communicate()
{
    port_.connectStoredPort([this](const QString &connected) {
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
        writes_.writeOneItem(request);
        break;
    case RequestKind::BlockSend:
        writes_.blockSend(request);
        break;
    case RequestKind::AllSend:
        writes_.allSend(request);
        break;
    case RequestKind::BlockAlarms:
        writes_.blockAlarms(request);
        break;
    case RequestKind::AllAlarms:
        writes_.allAlarms(request);
        break;
    case RequestKind::FactoryAdjust:
        writes_.factoryAdjust(request);
        break;
    case RequestKind::ReRead:
        ReReadBlock = int16_t(request.block);
        reads_.reRead(request);
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
        reads_.startupRead();
        runner_.add([this] {
            PendingRequests.showWaitingValues();
            LinkRequest = 1;
            view_->startupFinished();
            showWaitingRequest();
        });
        break;
    case 9:
        port_.connectStoredPort([](const QString &connected) {
            if (!connected.isEmpty())
                LinkRequest = 0;
        });
        break;
    default:
        LinkRequest = 1;
        if (std::optional<LinkRequestJob> request = takeRequest()) {
            runJob(*request);
        } else {
            reads_.poll();
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
    pause_.tick(Index, *view_);
}

QString MonitorComm::ConnectStoredPort()
{
    auto result = std::make_shared<QString>();
    connectStoredPort([result](const QString &connected) { *result = connected; });
    return *result;
}

QString MonitorComm::ProbePort(const QString &port, const QString &speed)
{
    auto result = std::make_shared<QString>();
    probePort(port, speed, [result](const QString &connected) { *result = connected; });
    return *result;
}

void MonitorComm::closePort()
{
    // The program is ending: no tick may find the port closed, and what has not started
    // will not.
    timer4_.stop();
    pause_.stopAll();
    runner_.stop();
    service_->run(
        [](tobrel::STDComm &link) {
            PassOver([&] { link.PortClose(); });
            return LinkOutcome();
        },
        [](const LinkOutcome &) {});
}
