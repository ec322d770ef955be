// The read commands: the block read, the start-up read, the block re-read and the poll step.
#include "ReadCommands.h"

#include "ControllerCounts.h"
#include "ItemTable.h"
#include "LinkRequests.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Protocol.h"
#include "SettingChanges.h"

#include <algorithm>
#include <limits>
#include <memory>

using namespace PLM_INC;

namespace {

using Command = CommandHost::Command;

constexpr int kFirstCoolingEntry = 33;   // "001C" .. "0020"
constexpr int kStartupSteps = kBlocks + kBlocks * kBlockReadItems;
constexpr int kReReadTries = 3; // as many as a write gets

// A field of the start-up "00A1" reply; a missing or unreadable field reads as 0.
int16_t configField(const std::string &reply, int n)
{
    return tobrel::DecodeValue(tobrel::GetNData(reply, n)).value_or(0);
}

// A stored number that does not fit in 16 bits is as good as none: the default holds.
int16_t storedInt16(const QString &key)
{
    const int v = Prefs::getInt(key);
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        return static_cast<int16_t>(Prefs::defaultFor(key).toInt());
    return static_cast<int16_t>(v);
}


const QString &pollItemCode(int pollItem, bool heaterMvTurn)
{
    switch (pollItem) {
    case 0:
        return ItemCodeTable[2]; // "0080" process value
    case 1:
        return ItemCodeTable[5]; // "0083" status word
    default:
        return ItemCodeTable[heaterMvTurn ? 3 : 4]; // "0081" output value / "0082" heater current
    }
}

// An item the controller has not yet given for some channel of the block: any write of the
// item would carry the image's placeholder for that channel, so its read is not given up.
bool neverRead(const QString &item, int block)
{
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field || (IsCoolingItem(item) && BlockHasCooling[block] == 0))
        return false;
    for (int c = 0; c < kChannelsPerBlock; ++c)
        if (!ControllerCount(info->field, block * kChannelsPerBlock + c))
            return true;
    return false;
}

// The input types and option words of a block's channel pairs, from its "00A1" reply.
void takeConfiguration(int block, const std::string &reply)
{
    for (int k = 0; k < kChannelsPerBlock / 2; ++k) {
        const int16_t type = configField(reply, 2 * k + 1);
        const int16_t option = configField(reply, 2 * k + 2);
        for (int ch : {block * kChannelsPerBlock + 2 * k, block * kChannelsPerBlock + 2 * k + 1}) {
            InputType[ch] = type;
            OptionWord[ch] = option;
        }
    }
}

bool anyCooling(int block)
{
    bool cooling = false;
    for (int c = 0; c < kChannelsPerBlock; ++c)
        cooling = cooling || (OptionWord[block * kChannelsPerBlock + c] & kOptionHeatCool) != 0;
    return cooling;
}

} // namespace

ReadCommands::ReadCommands(CommandHost &host)
    : host_(host)
{
}

void ReadCommands::blockRead(int block, const QString &item)
{
    host_.addStep([this, block, item] { readItem(block, item); });
}

// The page shows the controller's value after a write only when the read-back arrives: a
// refused value must not stay on the page because the read that follows it went unanswered.
// Nor may a start-up read without answer leave the page (and the other channels of later
// writes) at a value the controller never held.
void ReadCommands::readOrAskAgain(int block, const QString &item)
{
    host_.addStep([this, block, item] {
        readItem(block, item, [block, item](const QString &reply) {
            if (ClassifyReply(reply) != ReplyKind::Ack)
                PendingRequests.push(ReReadOf(block, item));
        });
    });
}

// Whichever read brings it (a re-read, the read-back of a write, a start-up read), a value the
// program neither knew nor sent was set at the unit. Only the read's own reply in time counts: a
// late one may carry a value older than what the program sent since.
void ReadCommands::readItem(int block, const QString &item, CommandHost::ReplyHandler then)
{
    const BlockCounts before = CountsOf(item, block);
    const BlockUnanswered sent = UnansweredOf(item, block);
    host_.transact(block, Command::Read, item, QString(), [this, block, item, before, sent, then](const QString &reply) {
        // A configuration the start-up read did not get whole is taken from the block's re-read.
        if (ClassifyReply(reply) == ReplyKind::Ack && item == ItemCodeTable[1]) {
            takeConfiguration(block, reply.toLatin1().toStdString());
            BlockHasCooling[block] = anyCooling(block) ? -1 : 0;
        }
        if (ClassifyReply(reply) == ReplyKind::Ack) {
            const BlockCounts after = CountsOf(item, block);
            for (const SettingChange &change : StoppedChanges(item, block, before, after))
                host_.tellSettingChanged(change);
            for (const SettingChange &change : UnitChanges(item, block, before, sent, after))
                host_.tellSettingChanged(change);
        }
        if (then)
            then(reply);
    });
}

// A block's configuration read: its reply says whether the block is present and how its
// channels are set up. Another block's reply (late, or sent twice) is none for this block:
// the line is put back in step and the block asked once more, and a block that still gives no
// reply of its own is absent.
void ReadCommands::readConfiguration(int b, std::shared_ptr<int> progress, bool again)
{
    host_.sendUnclassified(b, Command::Read, ItemCodeTable[1], QString(), [this, b, progress, again](const QString &reply) {
        const bool own = AnswersRequest(reply, b, char(Command::Read), ItemCodeTable[1]);
        if (!own && !reply.isEmpty()) {
            host_.resyncLine();
            if (!again) {
                // After the resync's own steps: a send may not follow steps added in this outcome.
                host_.addStep([this, b, progress] { readConfiguration(b, progress, true); });
                return;
            }
        }
        BlockAbsent[b] = reply.isEmpty() || !own ? 1 : 0;
        takeConfiguration(b, own ? reply.toLatin1().toStdString() : std::string());
        host_.view().setStartupProgress(++*progress);
        if (BlockAbsent[b] == 0)
            readOrAskAgain(b, ItemCodeTable[0]);
        // A block that answered with a failed sum or a refusal is there, but its channels'
        // configuration is not known: the block is read again, its configuration first.
        if (BlockAbsent[b] == 0 && ClassifyReply(reply) != ReplyKind::Ack)
            PendingRequests.push(ReReadOf(b, ItemCodeTable[1]));
    });
}

void ReadCommands::startupRead()
{
    host_.clearLinkBuffers();
    // The scaling of linear inputs converts the values read below, so it is loaded first.
    host_.addStep([this] { loadPresentationFields(); });
    auto progress = std::make_shared<int>(0);
    for (int b = 0; b < kBlocks; ++b) {
        host_.addStep([this, b, progress] { readConfiguration(b, progress, false); });
    }
    host_.addStep([this] {
        for (int b = 0; b < kBlocks; ++b)
            BlockHasCooling[b] = anyCooling(b) ? -1 : 0;
        // The alarm action codes first: the alarm values are converted by them.
        for (int b = 0; b < kBlocks; ++b) {
            if (BlockAbsent[b] != 1) {
                readOrAskAgain(b, QStringLiteral("0013"));
                readOrAskAgain(b, QStringLiteral("0014"));
            }
        }
    });
    for (int b = 0; b < kBlocks; ++b) {
        host_.addStep([this, b] {
            if (BlockAbsent[b] != 1) {
                for (int entry = 1; entry <= kBlockReadItems; ++entry)
                    if (entry < kFirstCoolingEntry || BlockHasCooling[b] != 0)
                        readOrAskAgain(b, ItemCodeTable[static_cast<size_t>(entry)]);
            }
        });
        host_.addStep([this, progress] {
            *progress += kBlockReadItems;
            host_.view().setStartupProgress(*progress);
        });
    }
    host_.addStep([progress] { Q_ASSERT(*progress == kStartupSteps); });
}

void ReadCommands::loadPresentationFields()
{
    for (int ch = 0; ch < kChannels; ++ch) {
        const QString digits = ChannelDigits(ch);
        ScaleHigh[ch] = storedInt16(QStringLiteral("STLH") + digits);
        ScaleLow[ch] = storedInt16(QStringLiteral("STLL") + digits);
        DecimalDivisor[ch] = storedInt16(QStringLiteral("DP") + digits);
        UnitText[ch] = Prefs::get(QStringLiteral("UNIT") + digits);
    }
}

// The reads of a re-read that got no answer are asked again once a poll finds the block
// answering (three tries in all), before any write of the block: a write must not carry back
// a value the unit's front panel has replaced.
void ReadCommands::reRead(const LinkRequestJob &request)
{
    const int block = request.block;
    host_.clearLinkBuffers();
    auto missed = std::make_shared<QStringList>();
    auto lineFailed = std::make_shared<bool>(false);
    if (block >= 0 && block < kBlocks) {
        QStringList items = request.items;
        if (items.isEmpty())
            for (int entry = 1; entry <= kBlockReadItems; ++entry)
                items << ItemCodeTable[static_cast<size_t>(entry)];
        for (const QString &item : items) {
            host_.addStep([this, block, item, missed, lineFailed] {
                readItem(block, item, [this, item, missed, lineFailed](const QString &reply) {
                    if (ClassifyReply(reply) != ReplyKind::Ack)
                        missed->append(item);
                    *lineFailed = *lineFailed || host_.lineFailing();
                });
            });
        }
    }
    // A line that raised errors says nothing of the block: such a try is not counted. An item
    // never read, or read after the configuration (the unit no longer flags a change of it), is
    // asked again whenever a poll finds the block answering, however many tries it takes.
    host_.addStep([this, request, missed, lineFailed] {
        const bool readConfiguration = request.items.isEmpty() || request.items.contains(ItemCodeTable[1]);
        const bool owed = request.owed || readConfiguration
                          || std::any_of(missed->begin(), missed->end(),
                                         [&](const QString &item) { return neverRead(item, request.block); });
        if (!missed->isEmpty() && (*lineFailed || owed || request.tries + 1 < kReReadTries)) {
            LinkRequestJob again = request;
            again.owed = owed;
            // The unit forgets its settings-changed bit when its configuration is read, whether
            // the reply reaches the program or not: after a configuration read without answer,
            // a change made at the unit since the first reads would go unseen unless every item
            // is read again.
            if (!missed->contains(ItemCodeTable[1]))
                again.items = *missed;
            if (!*lineFailed)
                ++again.tries;
            host_.holdBlock(request.block);
            PendingRequests.pushFront(std::move(again));
        }
        // The block re-read clears the editor; the read of an item a write left unknown does not.
        if (request.items.isEmpty()) {
            SelectedItem = 0;
            host_.view().resetSettingEditor();
        }
        // A change at the unit while the block was read shows in the status words it read:
        // its values must be read again before a write carries the old ones back.
        checkSettingsChanged(request.block);
    });
}

void ReadCommands::poll()
{
    host_.addStep([this] {
        // With no block present there is nothing to poll and no next position to find.
        if (!AnyBlockPresent())
            return;
        // Panel 1 is empty from here until this poll is answered; a reply in time is shown
        // straight over the last result instead.
        host_.blankPanelOneUnlessAnswered();
        if (PollBlock < 0 || PollBlock >= kBlocks || PollItem < 0 || PollItem > 2) {
            PollBlock = 0;
            PollItem = 0;
        }
        const int block = PollBlock;
        const int pollItem = PollItem;
        const auto finish = [this, block, pollItem] {
            if (pollItem == 1)
                checkSettingsChanged(block);
            advancePoll();
        };
        if (BlockAbsent[block] != 0) {
            finish();
            return;
        }
        // Process values, status words, output values, heater currents: kinds 0..3.
        const int valueKind = pollItem == 2 && !heaterMvTurn_ ? 3 : pollItem;
        host_.transact(block, Command::Read, pollItemCode(pollItem, heaterMvTurn_), QString(),
                       [this, block, valueKind, finish](const QString &reply) {
                           host_.tellBlockPolled(block, valueKind, ClassifyReply(reply));
                           finish();
                       });
    });
}

void ReadCommands::advancePoll()
{
    do {
        if (++PollBlock > kBlocks - 1) {
            PollBlock = 0;
            if (++PollItem > 2) {
                PollItem = 0;
                heaterMvTurn_ = !heaterMvTurn_;
            }
        }
    } while (BlockAbsent[PollBlock] != 0); // ends: a present block exists
}

void ReadCommands::checkSettingsChanged(int i)
{
    if (i < 0 || i >= kBlocks)
        return;
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        if (StatusWord[i * kChannelsPerBlock + c] & kStatusSettingsChanged) {
            PendingRequests.push(ReReadRequest(i));
            ReReadBlock = static_cast<int16_t>(i);
            return;
        }
    }
}
