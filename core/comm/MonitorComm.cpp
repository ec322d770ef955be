#include "MonitorComm.h"

#include "AlarmHistory.h"
#include "LineThread.h"
#include "PLM_INC.h"
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
      timer4_(*clock_, true)
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
    messageTimer_ = clock_->makeTimer([this] { showWaitingMessages(); });
    panelOneBlank_ = clock_->makeTimer([this] { view_->setStatusPanel(1, QString()); });
    timer4_.setInterval(0);
    connect(&timer4_, &PacedTimer::timeout, this, &MonitorComm::linkTimerFired);
    for (int index = 0; index < 2; ++index) {
        auto &t = timer3_[static_cast<size_t>(index)];
        t = std::make_unique<PacedTimer>(*clock_, false);
        t->setInterval(1000);
        connect(t.get(), &PacedTimer::timeout, this, [this, index] { Timer3_Timer(index); });
    }
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
    messageHandler_ = std::move(handler);
}

PacedTimer &MonitorComm::timer3(int index)
{
    return *timer3_.at(static_cast<size_t>(index));
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

void MonitorComm::lineWork(LinkService::Work work, std::function<void(const LinkOutcome &)> then)
{
    runner_.add([this, work = std::move(work), then = std::move(then)] {
        runner_.send(work, [this, then](const LinkOutcome &outcome) {
            showLinkMessages(outcome.messages);
            if (then)
                then(outcome);
        });
    });
}

void MonitorComm::showLinkMessages(const QStringList &messages)
{
    for (const QString &text : messages) {
        if (!messageHandler_)
            qWarning("%s", qPrintable(text));
        else
            messagesToShow_ << text;
    }
    // A box opened here would hold the driver inside its step until it is closed: they are
    // shown from the engine's clock once the step has ended.
    if (!messagesToShow_.isEmpty() && !messageTimer_->isActive())
        messageTimer_->start(0);
}

void MonitorComm::showWaitingMessages()
{
    const QStringList texts = std::exchange(messagesToShow_, {});
    for (const QString &text : texts)
        if (messageHandler_)
            messageHandler_(text);
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
        const bool own = AnswersRequest(reply, block, item);
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
    lineWork([](tobrel::STDComm &link) {
        link.RecvBufClear();
        return LinkOutcome();
    });
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
