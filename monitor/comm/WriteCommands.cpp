// The setting writes: one item with read-back, the two-phase load transfers, the factory
// adjustment data.
#include "MonitorComm.h"

#include "ItemTable.h"
#include "PLM_INC.h"
#include "WriteData.h"
#include "WriteProblemText.h"

using namespace PLM_INC;

namespace {

// Sends of a one-item write (or factory data) that may go unanswered before it is dropped. A
// block that answers its polls but not its writes must not hold its writes for ever.
constexpr int kWriteTries = 3;

bool validBlock(int block)
{
    return block >= 0 && block < kBlocks;
}

bool blockPresent(int block)
{
    return validBlock(block) && BlockAbsent[block] == 0;
}

} // namespace

// One write of an item's 20 values, classified. A value without a 16-bit device count sends
// nothing of the item (a half-converted block would overwrite the controller) and says so;
// `then` gets Nak then, as for a write the controller refused.
void MonitorComm::writeItem(int block, const QString &item, std::function<void(ReplyKind)> then)
{
    runner_.add([this, block, item, then = std::move(then)] {
        WriteRefusal refusal;
        const auto data = WriteDataOf(item, block, &refusal);
        if (!data) {
            if (refusal.channel >= 0)
                tellWriteProblem(ValueRefusedText(refusal.channel, item, block, refusal.why));
            if (then)
                then(ReplyKind::Nak);
            return;
        }
        transact(block, Command::Write, item, *data, [then](const QString &reply) {
            if (then)
                then(ClassifyReply(reply));
        });
    });
}

void MonitorComm::tellWriteProblem(const QString &text)
{
    view_->showWriteProblem(text);
}

BlockMask MonitorComm::unansweredBlocks() const
{
    BlockMask cut = 0;
    for (int b = 0; b < kBlocks; ++b)
        if (unansweredInPhase_[size_t(b)] > 0)
            cut |= BlockBit(b);
    return cut;
}

void MonitorComm::tellTransferCut(BlockMask cut, bool secondPhase)
{
    if (!cut)
        return;
    tellWriteProblem(TransferCutText(cut, secondPhase));
    for (int b = 0; b < kBlocks; ++b)
        if (cut & BlockBit(b))
            emit transferCut(b);
}

void MonitorComm::holdBlock(int block)
{
    heldBlocks_ |= BlockBit(block);
}

void MonitorComm::retryLater(LinkRequestJob request)
{
    holdBlock(request.block);
    if (++request.tries < kWriteTries) {
        // The controller may not have the value: the write goes again once a poll has found
        // the block answering; writing the same values twice is harmless.
        PendingRequests.pushFront(std::move(request));
        return;
    }
    const QString item = request.kind == RequestKind::FactoryAdjust ? QStringLiteral("0040") : request.item;
    tellWriteProblem(WriteGivenUpText(request.block, item, request.tries));
    emit writeGivenUp(request.block, item);
}

void MonitorComm::WriteOneItem(const LinkRequestJob &request)
{
    runner_.add([this, request] {
        const int block = request.block;
        const QString &item = request.item;
        if (!blockPresent(block))
            return;
        if (IsCoolingItem(item) && BlockHasCooling[block] == 0)
            return;
        // The operator's values go out even when a re-read brought the controller's old ones
        // into the image after the request was made.
        request.restoreValues();
        writeItem(block, item, [this, request, block, item](ReplyKind kind) {
            if (kind == ReplyKind::NoReply) {
                retryLater(request);
                if (request.tries + 1 < kWriteTries)
                    return;
            }
            blockRead(block, item); // whatever the write's reply was: the page shows the controller's
        });
    });
}

void MonitorComm::writeChain(int block)
{
    for (const QString &item : TransferChainItems()) {
        runner_.add([this, block, item] {
            if (!blockPresent(block))
                return;
            if (IsCoolingItem(item) && BlockHasCooling[block] == 0)
                return;
            writeItem(block, item, [this, block](ReplyKind kind) {
                if (kind == ReplyKind::NoReply) {
                    holdBlock(block);
                    ++unansweredInPhase_[size_t(block)];
                }
            });
        });
    }
}

void MonitorComm::writeAlarmValues(int block)
{
    runner_.add([this, block] {
        if (!blockPresent(block))
            return;
        for (const char *item : {"0005", "0006"}) {
            writeItem(block, QString::fromLatin1(item), [this, block](ReplyKind kind) {
                if (kind == ReplyKind::NoReply) {
                    holdBlock(block);
                    ++unansweredInPhase_[size_t(block)];
                }
            });
        }
    });
}

// The second phase is kept from the start of the first: an alarm value the operator sets
// while the chain goes out or in the pause goes into it, and so ends on the controller.
void MonitorComm::beginTransfer(int index, const LinkRequestJob &send)
{
    runner_.add([this, index, send] {
        if (std::optional<LinkRequestJob> earlier = PendingRequests.unpark(index)) {
            // A transfer whose pause has not ended yet finishes first.
            timer3_[size_t(index)]->stop();
            runJob(*earlier);
        }
        runner_.add([this, index, send] {
            PendingRequests.park(index, AlarmsRequestAfter(send));
            unansweredInPhase_ = {};
            send.restoreValues();
        });
    });
}

// A block that left a write of the chain unanswered may lack action codes its alarm values
// are converted by: its second phase is not sent, and the operator is told once.
void MonitorComm::endFirstPhase(int index)
{
    runner_.add([this, index] {
        const BlockMask cut = unansweredBlocks();
        if (LinkRequestJob *second = PendingRequests.parked(index))
            second->cutBlocks |= cut;
        tellTransferCut(cut, false);
        timer3Count_ = 0;
        timer3_[size_t(index)]->start();
    });
}

void MonitorComm::WriteBlockSetdata(const LinkRequestJob &request)
{
    beginTransfer(0, request);
    writeChain(request.block);
    endFirstPhase(0);
}

void MonitorComm::WriteAllSetdata(const LinkRequestJob &request)
{
    beginTransfer(1, request);
    for (int b = 0; b < kBlocks; ++b)
        writeChain(b);
    endFirstPhase(1);
}

void MonitorComm::endTransfer(bool allBlocks)
{
    runner_.add([this, allBlocks] {
        const BlockMask cut = unansweredBlocks();
        tellTransferCut(cut, true);
        runningRequest_.reset(); // the second phase is done
        view_->transferFinished(allBlocks);
        if (!transferInProgress()) {
            view_->setTransferProgress(0, false);
            view_->setStatusPanel(4, QString());
        }
    });
}

// The second phase writes the alarm values the first phase carried (with what the operator
// set since), whatever a re-read brought into the image in the pause.
void MonitorComm::WriteBlockAlarmdata(const LinkRequestJob &request)
{
    runner_.add([this, request] {
        unansweredInPhase_ = {};
        request.restoreValues();
        if (request.writesBlock(request.block))
            writeAlarmValues(request.block);
    });
    endTransfer(false);
}

void MonitorComm::WriteAllAlarmdata(const LinkRequestJob &request)
{
    runner_.add([this, request] {
        unansweredInPhase_ = {};
        request.restoreValues();
        for (int b = 0; b < kBlocks; ++b)
            if (request.writesBlock(b))
                writeAlarmValues(b);
    });
    endTransfer(true);
}

void MonitorComm::WriteFactoryAdj(const LinkRequestJob &request)
{
    runner_.add([this, request] {
        if (!blockPresent(request.block))
            return;
        transact(request.block, Command::Write, QStringLiteral("0040"), request.text, [this, request](const QString &reply) {
            if (ClassifyReply(reply) == ReplyKind::NoReply)
                retryLater(request);
        });
    });
}
