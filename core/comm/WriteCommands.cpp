// The setting writes: one item with read-back, the two-phase load transfers, the factory
// adjustment data.
#include "WriteCommands.h"

#include "Clock.h"
#include "ItemTable.h"
#include "PLM_INC.h"
#include "Protocol.h"
#include "ReadCommands.h"
#include "ReplyKind.h"
#include "WriteData.h"
#include "WriteProblemText.h"

#include <algorithm>

using namespace PLM_INC;

namespace {

using Command = CommandHost::Command;

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

// What the controller held of the item before this try of a write: the counts at its first try
// (a try that got no reply may have arrived, and a read since may have found its value), except
// where a read since found a value that neither those counts nor this try carry (the unit set
// that itself, and the record has it already), and unknown where an unanswered write of
// another value is still unconfirmed.
BlockCounts beforeOfTry(const LinkRequestJob &request, const QString &item, int block, const QString &data)
{
    const BlockCounts now = CountsOf(item, block);
    BlockCounts before = request.firstBefore ? *request.firstBefore : now;
    const BlockUnanswered unanswered = UnansweredOf(item, block);
    const std::string sent = data.toStdString();
    for (size_t c = 0; c < before.size() && 4 * c + 4 <= sent.size(); ++c) {
        const std::optional<int16_t> count = tobrel::DecodeValue(std::string_view(sent).substr(4 * c, 4));
        if (request.firstBefore && now[c] && now[c] != before[c] && count != *now[c])
            before[c] = now[c];
        // An unanswered write of another value may have arrived: what the controller held is
        // not known, and the record says so rather than leave out a change it may have made.
        const std::vector<int16_t> &maybe = unanswered[c];
        if (std::any_of(maybe.begin(), maybe.end(), [&](int16_t v) { return v != count; }))
            before[c].reset();
    }
    return before;
}

} // namespace

WriteCommands::WriteCommands(CommandHost &host, ReadCommands &reads)
    : host_(host), reads_(reads)
{
}

// One write of an item: the request's current values of the item, the controller's own for
// the other channels. A value without a 16-bit device count sends nothing of the item (a
// half-converted block would overwrite the controller) and says so; `then` gets NotSent then.
void WriteCommands::writeItem(int block, const QString &item, std::shared_ptr<const LinkRequestJob> request,
                              std::function<void(WriteOutcome)> then, bool oneItem)
{
    host_.addStep([this, block, item, request = std::move(request), then = std::move(then), oneItem] {
        WriteRefusal refusal;
        const std::vector<FieldValue> asked = PendingRequests.currentValues(*request);
        const auto data = WriteDataOf(item, block, asked, &refusal);
        if (!data) {
            if (refusal.channel >= 0)
                tellWriteProblem(ValueRefusedText(refusal.channel, item, block, refusal.why, oneItem));
            if (then)
                then(WriteOutcome::NotSent);
            return;
        }
        const BlockCounts before = beforeOfTry(*request, item, block, *data);
        const std::vector<FieldValue> passengers = PassengerValues(item, block, *data, asked);
        // An unanswered one-item write is recorded when it is given up, not at each try.
        const bool lastTry = !oneItem || request->tries + 1 >= kWriteTries;
        host_.transact(block, Command::Write, item, *data,
                       [this, item, block, data = *data, then, asked, passengers, before, lastTry,
                        origin = request->origin](const QString &reply) {
            const ReplyKind kind = ClassifyReply(reply);
            // Taken: the controller holds what was sent. Unanswered: it may hold the values
            // asked, which later writes carry while they are the operator's last word.
            if (kind == ReplyKind::Ack) {
                NoteWrittenCounts(item, block, data);
            } else if (kind != ReplyKind::Nak) {
                NoteUnansweredCounts(item, block, data, asked, passengers);
                // What the controller holds of the item is not known now: it is read before
                // any other write of the block carries it.
                PendingRequests.push(ReReadOf(block, item));
            }
            // A reply that failed its checksum says no more of what the controller did than none.
            const WriteOutcome outcome = kind == ReplyKind::Ack   ? WriteOutcome::Taken
                                         : kind == ReplyKind::Nak ? WriteOutcome::Refused
                                                                  : WriteOutcome::NoReply;
            if (outcome != WriteOutcome::NoReply || lastTry)
                recordWrite(item, block, asked, before, origin, outcome);
            if (outcome == WriteOutcome::Taken)
                recordWrite(item, block, passengers, before, origin, outcome);
            if (then)
                then(outcome);
        });
    });
}

void WriteCommands::recordWrite(const QString &item, int block, const std::vector<FieldValue> &asked,
                                const BlockCounts &before, ChangeOrigin origin, WriteOutcome outcome)
{
    const PLM_INC::WriteOutcome recorded = outcome == WriteOutcome::Taken     ? PLM_INC::WriteOutcome::Taken
                                           : outcome == WriteOutcome::Refused ? PLM_INC::WriteOutcome::Refused
                                                                              : PLM_INC::WriteOutcome::NoReply;
    for (const SettingChange &change : WriteChanges(item, block, asked, before, origin, recorded))
        host_.tellSettingChanged(change);
}

void WriteCommands::tellWriteProblem(const QString &text)
{
    host_.view().showWriteProblem(text);
}

BlockMask WriteCommands::unansweredBlocks() const
{
    BlockMask cut = 0;
    for (int b = 0; b < kBlocks; ++b)
        if (unansweredInPhase_[size_t(b)] > 0)
            cut |= BlockBit(b);
    return cut;
}

void WriteCommands::tellTransferCut(BlockMask cut, bool secondPhase)
{
    if (!cut)
        return;
    tellWriteProblem(TransferCutText(cut, secondPhase));
    for (int b = 0; b < kBlocks; ++b)
        if (cut & BlockBit(b))
            host_.tellTransferCut(b);
}

void WriteCommands::retryLater(LinkRequestJob request)
{
    host_.holdBlock(request.block);
    if (request.kind == RequestKind::ItemWrite) {
        // What a later ask has replaced is not sent again; a write left with nothing is done.
        request.values = PendingRequests.currentValues(request);
        if (request.values.empty())
            return;
    }
    if (++request.tries < kWriteTries) {
        // The controller may not have the value: the write goes again once a poll has found
        // the block answering; writing the same values twice is harmless.
        PendingRequests.pushFront(std::move(request));
        return;
    }
    const QString item = request.kind == RequestKind::FactoryAdjust ? QStringLiteral("0040") : request.item;
    tellWriteProblem(WriteGivenUpText(request.block, item, request.tries));
    host_.tellWriteGivenUp(request.block, item);
}

void WriteCommands::writeOneItem(const LinkRequestJob &request)
{
    host_.addStep([this, request] {
        const int block = request.block;
        const QString &item = request.item;
        if (!blockPresent(block))
            return;
        if (IsCoolingItem(item) && BlockHasCooling[block] == 0)
            return;
        auto now = std::make_shared<LinkRequestJob>(request);
        now->values = PendingRequests.currentValues(request);
        const BlockCounts counts = CountsOf(item, block);
        if (!now->firstBefore)
            now->firstBefore = counts;
        for (const FieldValue &v : now->values) {
            const int c = v.channel - block * kChannelsPerBlock;
            if (c >= 0 && c < kChannelsPerBlock && now->firstBeforeAsk[size_t(c)] != v.asked) {
                (*now->firstBefore)[size_t(c)] = counts[size_t(c)];
                now->firstBeforeAsk[size_t(c)] = v.asked;
            }
        }
        if (!request.values.empty() && now->values.empty())
            return; // later asks have taken the place of every value it carried
        // The operator's values show even when a re-read brought the controller's old ones
        // into the image after the request was made.
        PendingRequests.restoreCurrentValues(*now);
        writeItem(block, item, now, [this, now, block, item](WriteOutcome outcome) {
            if (outcome == WriteOutcome::NoReply) {
                retryLater(*now);
                return;
            }
            if (outcome == WriteOutcome::Refused) {
                std::vector<int> channels;
                for (const FieldValue &v : now->values)
                    channels.push_back(v.channel);
                tellWriteProblem(WriteRefusedText(block, item, channels));
            }
            reads_.readOrAskAgain(block, item); // whatever the write's reply was: the page shows the controller's
        }, true);
    });
}

void WriteCommands::noteTransferWrite(int block, const QString &item, WriteOutcome outcome)
{
    if (outcome == WriteOutcome::NoReply) {
        host_.holdBlock(block);
        ++unansweredInPhase_[size_t(block)];
    } else if (outcome == WriteOutcome::Refused) {
        refusedInPhase_[block] << item;
    }
}

// The controller keeps its own values of what it refused: they are read back, so that the page
// shows them again instead of the values that did not arrive.
void WriteCommands::tellTransferRefused()
{
    if (!refusedInPhase_.empty())
        tellWriteProblem(TransferRefusedText(refusedInPhase_));
    for (const auto &[block, items] : refusedInPhase_)
        for (const QString &item : items)
            PendingRequests.push(ReReadOf(block, item));
    refusedInPhase_.clear();
}

void WriteCommands::writeChain(int block, std::shared_ptr<const LinkRequestJob> send)
{
    for (const QString &item : TransferChainItems()) {
        host_.addStep([this, block, item, send] {
            if (!blockPresent(block))
                return;
            if (IsCoolingItem(item) && BlockHasCooling[block] == 0)
                return;
            writeItem(block, item, send, [this, block, item](WriteOutcome outcome) {
                noteTransferWrite(block, item, outcome);
            });
        });
    }
}

void WriteCommands::writeAlarmValues(int block, std::shared_ptr<const LinkRequestJob> alarms)
{
    host_.addStep([this, block, alarms] {
        if (!blockPresent(block))
            return;
        for (const char *code : {"0005", "0006"}) {
            const QString item = QString::fromLatin1(code);
            writeItem(block, item, alarms, [this, block, item](WriteOutcome outcome) {
                noteTransferWrite(block, item, outcome);
            });
        }
    });
}

// The second phase is kept from the start of the first: an alarm value the operator sets
// while the chain goes out or in the pause goes into it, and so ends on the controller.
void WriteCommands::beginTransfer(int index, const LinkRequestJob &send)
{
    host_.addStep([this, index, send] {
        if (std::optional<LinkRequestJob> earlier = PendingRequests.unpark(index)) {
            // A transfer whose pause has not ended yet finishes first.
            host_.stopTransferPause(index);
            host_.runRequestNow(*earlier);
        }
        host_.addStep([this, index, send] {
            PendingRequests.park(index, AlarmsRequestAfter(send));
            unansweredInPhase_ = {};
            refusedInPhase_.clear();
            PendingRequests.restoreCurrentValues(send);
        });
    });
}

// A block that left a write of the chain unanswered may lack action codes its alarm values
// are converted by: its second phase is not sent, and the operator is told once.
void WriteCommands::endFirstPhase(int index)
{
    host_.addStep([this, index] {
        const BlockMask cut = unansweredBlocks();
        if (LinkRequestJob *second = PendingRequests.parked(index))
            second->cutBlocks |= cut;
        tellTransferCut(cut, false);
        // The alarm values not sent to a cut block show the controller's again.
        for (int b = 0; b < kBlocks; ++b)
            if (cut & BlockBit(b))
                for (const char *code : {"0005", "0006"})
                    PendingRequests.push(ReReadOf(b, QString::fromLatin1(code)));
        tellTransferRefused();
        host_.startTransferPause(index);
    });
}

void WriteCommands::blockSend(const LinkRequestJob &request)
{
    beginTransfer(0, request);
    writeChain(request.block, std::make_shared<const LinkRequestJob>(request));
    endFirstPhase(0);
}

void WriteCommands::allSend(const LinkRequestJob &request)
{
    beginTransfer(1, request);
    const auto send = std::make_shared<const LinkRequestJob>(request);
    for (int b = 0; b < kBlocks; ++b)
        writeChain(b, send);
    endFirstPhase(1);
}

void WriteCommands::endTransfer(bool allBlocks)
{
    host_.addStep([this, allBlocks] {
        const BlockMask cut = unansweredBlocks();
        tellTransferCut(cut, true);
        tellTransferRefused();
        host_.endRunningRequest(); // the second phase is done
        host_.view().transferFinished(allBlocks);
        if (!host_.transferInProgress()) {
            host_.view().setTransferProgress(0, false);
            host_.view().setStatusPanel(4, QString());
        }
    });
}

// The second phase writes the alarm values the first phase carried (with what the operator
// set since), whatever a re-read brought into the image in the pause.
void WriteCommands::blockAlarms(const LinkRequestJob &request)
{
    host_.addStep([this, request] {
        unansweredInPhase_ = {};
        refusedInPhase_.clear();
        PendingRequests.restoreCurrentValues(request);
        if (request.writesBlock(request.block))
            writeAlarmValues(request.block, std::make_shared<const LinkRequestJob>(request));
    });
    endTransfer(false);
}

void WriteCommands::allAlarms(const LinkRequestJob &request)
{
    host_.addStep([this, request] {
        unansweredInPhase_ = {};
        refusedInPhase_.clear();
        PendingRequests.restoreCurrentValues(request);
        const auto alarms = std::make_shared<const LinkRequestJob>(request);
        for (int b = 0; b < kBlocks; ++b)
            if (request.writesBlock(b))
                writeAlarmValues(b, alarms);
    });
    endTransfer(true);
}

void WriteCommands::recordFactoryData(const LinkRequestJob &request, ReplyKind kind)
{
    SettingChange change;
    change.at = PLM_INC::clock().now();
    change.channel = request.block * kChannelsPerBlock;
    change.item = QStringLiteral("0040");
    change.after = request.text;
    change.origin = ChangeOrigin::FactoryAdjust;
    change.outcome = kind == ReplyKind::Ack   ? PLM_INC::WriteOutcome::Taken
                     : kind == ReplyKind::Nak ? PLM_INC::WriteOutcome::Refused
                                              : PLM_INC::WriteOutcome::NoReply;
    host_.tellSettingChanged(change);
}

void WriteCommands::factoryAdjust(const LinkRequestJob &request)
{
    host_.addStep([this, request] {
        if (!blockPresent(request.block))
            return;
        host_.transact(request.block, Command::Write, QStringLiteral("0040"), request.text, [this, request](const QString &reply) {
            // A reply that failed its checksum says no more of what the unit did than none.
            const ReplyKind kind = ClassifyReply(reply);
            const bool answered = kind == ReplyKind::Ack || kind == ReplyKind::Nak;
            if (!answered)
                retryLater(request);
            else if (kind == ReplyKind::Nak)
                tellWriteProblem(WriteRefusedText(request.block, QStringLiteral("0040"), {}));
            if (answered || request.tries + 1 >= kWriteTries)
                recordFactoryData(request, kind);
        });
    });
}
