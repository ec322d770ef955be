// Work for the link driver other than polling: one-item writes, the two phases of a load
// transfer, the factory adjustment and the block re-read. Each request is a value that holds
// its kind, its block, its item and the image values it sends from the moment it is made, so
// no later request, re-read or selection can change where it goes or what it carries. The
// link driver takes them in the order they were made.
#pragma once

#include "ChangeOrigin.h"
#include "PLM_INC.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace PLM_INC {

// A set of blocks, bit b for block b.
using BlockMask = uint16_t;
constexpr BlockMask BlockBit(int block) { return block >= 0 && block < kBlocks ? BlockMask(1u << block) : BlockMask(0); }

// The number each kind has in LinkRequest while it is in progress.
enum class RequestKind : int16_t {
    ItemWrite = 2,
    BlockSend = 3,
    AllSend = 4,
    BlockAlarms = 5,
    AllAlarms = 6,
    FactoryAdjust = 7,
    ReRead = 8,
};

// One channel's value of one image field, with when the operator asked for it (0: not yet
// queued). A later ask of the same field and channel makes it obsolete wherever it is.
struct FieldValue {
    ChannelTable *field;
    int channel;
    int16_t value;
    uint64_t asked = 0;
};

struct LinkRequestJob {
    RequestKind kind = RequestKind::ItemWrite;
    int block = 0;                  // -1: every block (AllSend, AllAlarms)
    QString item;                   // ItemWrite: the four-character item code
    QString text;                   // FactoryAdjust: the 80 characters sent unchanged
    std::vector<FieldValue> values; // the image values the request sends
    QStringList items;              // ReRead: the items still to read (none: all of the block)
    int tries = 0;                  // ItemWrite, FactoryAdjust, ReRead: tries that got no reply
    bool owed = false;              // ReRead: items the unit no longer flags as changed, never given up
    BlockMask cutBlocks = 0;        // second phase: blocks whose first phase did not all arrive
    ChangeOrigin origin = ChangeOrigin::Editor; // who asked, for the change record
    // ItemWrite: the controller's counts of the item when it was first tried, so that a write
    // taken on a later try is recorded from what the controller held before it; for a value
    // asked again while the write waited for a retry, the counts at its own first try (the ask
    // each channel's count is kept for).
    std::optional<std::array<std::optional<int16_t>, kChannelsPerBlock>> firstBefore;
    std::array<uint64_t, kChannelsPerBlock> firstBeforeAsk{};

    // Puts the carried values back into the image, over whatever a re-read brought meanwhile
    // (not those of cut blocks: the controller never got them).
    void restoreValues() const;
    bool coversBlock(int b) const { return block == b || block < 0; }
    bool writesBlock(int b) const { return coversBlock(b) && (cutBlocks & BlockBit(b)) == 0; }
};

// A one-item write of the channels' current image values of the item.
LinkRequestJob ItemWriteRequest(const QString &item, const std::vector<int> &channels,
                                ChangeOrigin origin = ChangeOrigin::Editor);
// The first phase of a load transfer with every transfer-chain value and both alarm values of
// the block (or of every block) as the image holds them now.
LinkRequestJob BlockSendRequest(int block, ChangeOrigin origin = ChangeOrigin::BlockSend);
LinkRequestJob AllSendRequest();
// The second phase of a load transfer: the alarm values the first phase carried.
LinkRequestJob AlarmsRequestAfter(const LinkRequestJob &send);
LinkRequestJob FactoryAdjustRequest(int block, const QString &text80);
LinkRequestJob ReReadRequest(int block);
// A re-read of one item of a block.
LinkRequestJob ReReadOf(int block, const QString &item);

// Alarm 1 and 2 values: they go after the action codes they were converted for.
bool IsAlarmValueItem(const QString &item);

class LinkRequestQueue {
public:
    // Queues a request in order. A write of a block and item that already waits takes the new
    // values into the waiting write (the operator's last value per channel wins), unless a
    // write of another item of that block (a transfer phase, an action code the value is
    // converted by) waits after it. An alarm value also goes into every transfer of its block
    // whose second phase is still to come, so that phase ends with it. A load transfer takes
    // the place of the waiting one-item writes of its blocks whose items it sends. A re-read
    // of a block whose re-read already waits is not queued twice: the waiting one reads what
    // both ask, and gets every try again when that is more than it read (it may be a retry).
    void push(LinkRequestJob job);
    // Puts a request that could not reach the controller back at the head of the line.
    void pushFront(LinkRequestJob job);
    // The values of a request that no later ask of their field and channel has replaced, taken
    // when its frame is built: a write that waited, went unanswered or is tried again never
    // carries a value over a newer one.
    std::vector<FieldValue> currentValues(const LinkRequestJob &job) const;
    bool isCurrent(const FieldValue &v) const;
    // The operator's newest value of a channel in a request still waiting (or parked), if any.
    std::optional<int16_t> waitingAsk(const ChannelTable *field, int channel) const;
    // Puts the request's current values into the image (not those of its cut blocks).
    void restoreCurrentValues(const LinkRequestJob &job) const;
    // The next request to carry out, with the blocks in `held` waiting for a poll that finds
    // them answering: the oldest that does not wait for a held block (a transfer never does),
    // except that a waiting re-read of a block it writes goes first, so that the write carries
    // the controller's current values of the channels the operator did not set.
    std::optional<LinkRequestJob> pop(BlockMask held = 0);
    // The request pop() would give, or nullptr.
    const LinkRequestJob *next(BlockMask held = 0) const;
    const LinkRequestJob *front() const { return waiting_.empty() ? nullptr : &waiting_.front(); }
    bool empty() const { return waiting_.empty(); }
    int size() const { return int(waiting_.size()); }
    // Writes of settings that wait (one-item writes, factory data and transfers), for the
    // waiting notice; of the blocks in `of` only: one-item writes and factory data.
    int waitingWrites() const;
    int waitingWrites(BlockMask of) const;
    // The blocks of `held` that writes wait for.
    BlockMask blocksWaitedFor(BlockMask held) const;

    // The second phase of the transfer of delay timer `index`, kept from the start of its first
    // phase until its pause is over; alarm values set meanwhile go into it.
    void park(int index, LinkRequestJob secondPhase);
    LinkRequestJob *parked(int index);
    bool anyParked() const { return parked_[0].has_value() || parked_[1].has_value(); }
    std::optional<LinkRequestJob> unpark(int index);
    const std::deque<LinkRequestJob> &waiting() const { return waiting_; }
    // Puts the values of the waiting requests into the image, oldest first: after a read, the
    // pages show what the operator asked for, not the controller's value it is about to lose.
    void showWaitingValues() const;
    void clear()
    {
        waiting_.clear();
        parked_ = {};
        lastAsk_.clear();
    }
    // LinkRequest, RequestBlock and RequestItem show the request waiting first (LinkRequest 1
    // when none waits); in the start-up and port states LinkRequest keeps showing those.
    void showFirst() const;

private:
    std::deque<LinkRequestJob>::const_iterator nextPosition(BlockMask held) const;
    void carryAlarmValues(const LinkRequestJob &write);
    void dropSupersededBy(const LinkRequestJob &send);
    // Marks the values of a new request as the operator's newest ask of their channels.
    void stamp(LinkRequestJob &job);

    using FieldChannel = std::pair<const ChannelTable *, int>;
    std::map<FieldChannel, uint64_t> lastAsk_;
    uint64_t nextAsk_ = 1;

    std::deque<LinkRequestJob> waiting_;
    std::array<std::optional<LinkRequestJob>, 2> parked_;
};

// The link driver's requests, made by the setting editor, the command buttons, the setting
// file windows, the factory adjustment window and the settings-changed check.
inline LinkRequestQueue PendingRequests;

} // namespace PLM_INC
