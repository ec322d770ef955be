// The setting writes: one item with read-back, the two-phase load transfers, the factory
// adjustment data.
#include "MonitorComm.h"

#include "ItemTable.h"
#include "PLM_INC.h"
#include "WriteData.h"

using namespace PLM_INC;

namespace {

bool validBlock(int block)
{
    return block >= 0 && block < kBlocks;
}

bool blockPresent(int block)
{
    return validBlock(block) && BlockAbsent[block] == 0;
}

} // namespace

// One write of an item's 20 values, classified. A value without a 16-bit device count
// sends nothing of the item: a half-converted block would overwrite the controller.
void MonitorComm::writeItem(int block, const QString &item, std::function<void(ReplyKind)> then)
{
    runner_.add([this, block, item, then = std::move(then)] {
        const auto data = WriteDataOf(item, block);
        if (!data) {
            qWarning("write of item %s to block %d skipped: a value has no device count", qPrintable(item), block);
            if (then)
                then(ReplyKind::NoReply);
            return;
        }
        transact(block, Command::Write, item, *data, [then](const QString &reply) {
            if (then)
                then(ClassifyReply(reply));
        });
    });
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
        if (!WriteDataOf(item, block)) {
            writeItem(block, item);  // says why nothing is sent
            blockRead(block, item);  // the page shows what the controller kept
            return;
        }
        const bool lineWasFailing = lineFailing_;
        writeItem(block, item, [this, request, block, item, lineWasFailing](ReplyKind kind) {
            if (kind == ReplyKind::NoReply || (!lineWasFailing && lineFailing_)) {
                // The controller may not have the value: the write waits and goes again after
                // a poll step has found the block answering; writing the same values twice is
                // harmless.
                writesHeld_ = true;
                PendingRequests.pushFront(request);
                return;
            }
            writesHeld_ = false;
            blockRead(block, item); // whatever the write's reply was
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
            writeItem(block, item);
        });
    }
}

void MonitorComm::writeAlarmValues(int block)
{
    runner_.add([this, block] {
        if (!blockPresent(block))
            return;
        writeItem(block, QStringLiteral("0005"));
        writeItem(block, QStringLiteral("0006"));
    });
}

// The second phase writes the alarm values the first phase carried, whatever a re-read
// brought into the image in the pause.
void MonitorComm::startTransferPause(int index, const LinkRequestJob &send)
{
    runner_.add([this, index, send] {
        std::optional<LinkRequestJob> &paused = pausedTransfer_[size_t(index)];
        if (paused) {
            // A transfer whose pause has not ended yet finishes first.
            const LinkRequestJob earlier = std::move(*paused);
            paused.reset();
            runJob(earlier);
        }
        runner_.add([this, index, send] {
            pausedTransfer_[size_t(index)] = AlarmsRequestAfter(send);
            timer3Count_ = 0;
            timer3_[size_t(index)]->start();
        });
    });
}

void MonitorComm::WriteBlockSetdata(const LinkRequestJob &request)
{
    runner_.add([request] { request.restoreValues(); });
    writeChain(request.block);
    startTransferPause(0, request);
}

void MonitorComm::WriteAllSetdata(const LinkRequestJob &request)
{
    runner_.add([request] { request.restoreValues(); });
    for (int b = 0; b < kBlocks; ++b)
        writeChain(b);
    startTransferPause(1, request);
}

void MonitorComm::endTransfer(bool allBlocks)
{
    runner_.add([this, allBlocks] {
        runningRequest_.reset(); // the second phase is done
        view_->transferFinished(allBlocks);
        if (!transferInProgress()) {
            view_->setTransferProgress(0, false);
            view_->setStatusPanel(4, QString());
        }
    });
}

void MonitorComm::WriteBlockAlarmdata(const LinkRequestJob &request)
{
    runner_.add([request] { request.restoreValues(); });
    writeAlarmValues(request.block);
    endTransfer(false);
}

void MonitorComm::WriteAllAlarmdata(const LinkRequestJob &request)
{
    runner_.add([request] { request.restoreValues(); });
    for (int b = 0; b < kBlocks; ++b)
        writeAlarmValues(b);
    endTransfer(true);
}

void MonitorComm::WriteFactoryAdj(const LinkRequestJob &request)
{
    runner_.add([this, request] {
        if (!blockPresent(request.block))
            return;
        transact(request.block, Command::Write, QStringLiteral("0040"), request.text);
    });
}
