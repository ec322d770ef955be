// The setting writes: one item with read-back, the two phases of the load transfers, the
// factory adjustment data. Each adds its steps to the driver's and hands its transactions to
// the line through the driver; the change record's lines, the writes given up and the
// transfers cut it tells the driver.
#pragma once

#include "CommandHost.h"
#include "LinkRequests.h"
#include "SettingChanges.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class ReadCommands;

class WriteCommands {
public:
    // `reads` reads an item back after its one-item write.
    WriteCommands(CommandHost &host, ReadCommands &reads);

    // The requests of PendingRequests, each with the block, item and values it carries.
    void writeOneItem(const PLM_INC::LinkRequestJob &request);
    void blockSend(const PLM_INC::LinkRequestJob &request);
    void allSend(const PLM_INC::LinkRequestJob &request);
    void blockAlarms(const PLM_INC::LinkRequestJob &request);
    void allAlarms(const PLM_INC::LinkRequestJob &request);
    void factoryAdjust(const PLM_INC::LinkRequestJob &request);

private:
    enum class WriteOutcome { Taken, Refused, NoReply, NotSent };
    // Adds a step that writes an item with the request's values of it that no later ask has
    // replaced; `oneItem`: a one-item write (tried again when unanswered, read back after).
    void writeItem(int block, const QString &item, std::shared_ptr<const PLM_INC::LinkRequestJob> request,
                   std::function<void(WriteOutcome)> then, bool oneItem = false);
    // The change record's lines of a write: the channels it asked to change, with its outcome.
    void recordWrite(const QString &item, int block, const std::vector<PLM_INC::FieldValue> &asked,
                     const BlockCounts &before, PLM_INC::ChangeOrigin origin, WriteOutcome outcome);
    void recordFactoryData(const PLM_INC::LinkRequestJob &request, ReplyKind kind);
    void writeChain(int block, std::shared_ptr<const PLM_INC::LinkRequestJob> send);
    void writeAlarmValues(int block, std::shared_ptr<const PLM_INC::LinkRequestJob> alarms);
    // A write of the running transfer phase: unanswered ones cut the block, refused ones are
    // told once at the end of the phase.
    void noteTransferWrite(int block, const QString &item, WriteOutcome outcome);
    void tellTransferRefused();
    void beginTransfer(int index, const PLM_INC::LinkRequestJob &send);
    void endFirstPhase(int index);
    void endTransfer(bool allBlocks);
    // A one-item write or factory data that got no reply: tried again after a poll step has
    // found its block answering, up to its last try.
    void retryLater(PLM_INC::LinkRequestJob request);
    void tellWriteProblem(const QString &text);
    // The blocks that left a write of the running transfer phase unanswered; told once.
    PLM_INC::BlockMask unansweredBlocks() const;
    void tellTransferCut(PLM_INC::BlockMask cut, bool secondPhase);

    CommandHost &host_;
    ReadCommands &reads_;
    // Writes of the running first phase that got no reply, per block.
    std::array<int, 16> unansweredInPhase_{};
    // Items of the running transfer phase the blocks refused, per block.
    std::map<int, QStringList> refusedInPhase_;
};
