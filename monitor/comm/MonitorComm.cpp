#include "MonitorComm.h"

#include "AlarmHistory.h"
#include "PLM_INC.h"
#include "ReplyDecoder.h"
#include "ReplyKind.h"
#include "Line.h"
#include "STDComm.h"
#include "WriteData.h"

#include <QDebug>

using namespace PLM_INC;

MonitorComm::MonitorComm(QObject *parent) : MonitorComm(nullptr, parent)
{
}

MonitorComm::MonitorComm(std::unique_ptr<tobrel::Line> line, QObject *parent)
    : QObject(parent), link_(std::make_unique<tobrel::STDComm>(std::move(line)))
{
    FillItemCodeTable();
    PollBlock = 0;
    PollItem = 0;
    timer4_.setInterval(1);
    connect(&timer4_, &QTimer::timeout, this, &MonitorComm::linkTimerFired);
    for (int index = 0; index < 2; ++index) {
        QTimer &t = timer3_[static_cast<size_t>(index)];
        t.setInterval(1000);
        connect(&t, &QTimer::timeout, this, [this, index] { Timer3_Timer(index); });
    }
}

MonitorComm::~MonitorComm() = default;

tobrel::STDComm &MonitorComm::PLMCom()
{
    return *link_;
}

void MonitorComm::setView(LinkView *view)
{
    view_ = view ? view : &nullView_;
    commErrorNoticeShown_ = -1;
    readingNoticeShown_ = -1;
    waitingNoticeShown_ = -1;
}

QTimer &MonitorComm::timer3(int index)
{
    return timer3_.at(static_cast<size_t>(index));
}

bool MonitorComm::transferInProgress() const
{
    if (pausedTransfer_[0] || pausedTransfer_[1])
        return true;
    for (const LinkRequestJob &waiting : PendingRequests.waiting())
        if (waiting.kind >= RequestKind::BlockSend && waiting.kind <= RequestKind::AllAlarms)
            return true;
    return false;
}

QString MonitorComm::sendUnclassified(int block, Command command, const QString &item, const QString &data)
{
    ++transactionCount_;
    try {
        const QString reply = link_->RWcomm(BlockAddressText(block), QStringLiteral(" "),
                                            QString(QLatin1Char(char(command))), item, data, 1);
        lineFailing_ = false;
        return reply;
    } catch (const std::exception &e) {
        // A line that fails (a closed or vanished port) is a transaction without a reply.
        noteLineError("link", e);
        return QString();
    }
}

// Told once when the line starts failing, not once per tick while it stays down.
void MonitorComm::noteLineError(const char *where, const std::exception &e)
{
    if (!lineFailing_)
        qWarning("%s: %s", where, e.what());
    lineFailing_ = true;
}

QString MonitorComm::transact(int block, Command command, const QString &item, const QString &data)
{
    const QString reply = sendUnclassified(block, command, item, data);
    CommError = 0;
    const ReplyKind kind = ClassifyReply(reply);
    emit transactionDone(block, kind);
    switch (kind) {
    case ReplyKind::Ack:
        view_->setStatusPanel(1, QStringLiteral("OK"));
        if (command == Command::Read)
            ReadDataSet(reply);
        break;
    case ReplyKind::Nak:
        view_->setStatusPanel(1, QStringLiteral("NG"));
        Hystory_Write(QStringLiteral("NAK"), 0, false);
        break;
    case ReplyKind::ChecksumFailure:
        Hystory_Write(QStringLiteral("CHKSUM"), 0, false);
        break;
    case ReplyKind::NoReply:
        setCommErrorNotice(true);
        CommError = -1;
        break;
    }
    return reply;
}

void MonitorComm::ReadDataSet(const QString &tt)
{
    StoreReadReply(tt);
}

void MonitorComm::clearLinkBuffers()
{
    try {
        link_->RecvBufClear();
        link_->SendBufClear();
    } catch (const std::exception &e) {
        noteLineError("link", e);
    }
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
    const bool linkDown = LinkRequest == 0 || LinkRequest == 9 || lineFailing_ || writesHeld_;
    const int waiting = linkDown ? PendingRequests.waitingWrites() : 0;
    if (waiting != waitingNoticeShown_) {
        waitingNoticeShown_ = waiting;
        view_->setWaitingWrites(waiting);
    }
}
