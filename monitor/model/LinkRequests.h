// Work for the link driver other than polling: one-item writes, the two phases of a load
// transfer, the factory adjustment and the block re-read. Each request is a value that holds
// its kind, its block, its item and the image values it sends from the moment it is made, so
// no later request, re-read or selection can change where it goes or what it carries. The
// link driver takes them in the order they were made.
#pragma once

#include "PLM_INC.h"

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace PLM_INC {

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

// One channel's value of one image field.
struct FieldValue {
    ChannelTable *field;
    int channel;
    int16_t value;
};

struct LinkRequestJob {
    RequestKind kind = RequestKind::ItemWrite;
    int block = 0;                  // -1: every block (AllSend, AllAlarms)
    QString item;                   // ItemWrite: the four-character item code
    QString text;                   // FactoryAdjust: the 80 characters sent unchanged
    std::vector<FieldValue> values; // the image values the request sends

    // Puts the carried values back into the image, over whatever a re-read brought meanwhile.
    void restoreValues() const;
    bool coversBlock(int b) const { return block == b || block < 0; }
};

// A one-item write of the channels' current image values of the item.
LinkRequestJob ItemWriteRequest(const QString &item, const std::vector<int> &channels);
// The first phase of a load transfer with every transfer-chain value and both alarm values of
// the block (or of every block) as the image holds them now.
LinkRequestJob BlockSendRequest(int block);
LinkRequestJob AllSendRequest();
// The second phase of a load transfer: the alarm values the first phase carried.
LinkRequestJob AlarmsRequestAfter(const LinkRequestJob &send);
LinkRequestJob FactoryAdjustRequest(int block, const QString &text80);
LinkRequestJob ReReadRequest(int block);

class LinkRequestQueue {
public:
    // Queues a request in order. A write of a block and item that already waits takes the new
    // values into the waiting write (the operator's last value per channel wins), unless a
    // phase of a load transfer of that block waits after it. A re-read of a block whose re-read
    // already waits is not queued twice.
    void push(LinkRequestJob job);
    // Puts a request that could not reach the controller back at the head of the line.
    void pushFront(LinkRequestJob job);
    // The next request to carry out: the oldest, except that a write of a block waiting behind
    // a re-read of that block goes first, so the re-read shows the written value.
    std::optional<LinkRequestJob> pop();
    // The request pop() would give, or nullptr.
    const LinkRequestJob *next() const;
    const LinkRequestJob *front() const { return waiting_.empty() ? nullptr : &waiting_.front(); }
    bool empty() const { return waiting_.empty(); }
    int size() const { return int(waiting_.size()); }
    // Writes of settings that wait (one-item writes and transfers), for the waiting notice.
    int waitingWrites() const;
    const std::deque<LinkRequestJob> &waiting() const { return waiting_; }
    // Puts the values of the waiting requests into the image, oldest first: after a read, the
    // pages show what the operator asked for, not the controller's value it is about to lose.
    void showWaitingValues() const;
    void clear() { waiting_.clear(); }
    // LinkRequest, RequestBlock and RequestItem show the request waiting first (LinkRequest 1
    // when none waits); in the start-up and port states LinkRequest keeps showing those.
    void showFirst() const;

private:
    std::deque<LinkRequestJob>::const_iterator nextPosition() const;

    std::deque<LinkRequestJob> waiting_;
};

// The link driver's requests, made by the setting editor, the command buttons, the setting
// file windows, the factory adjustment window and the settings-changed check.
inline LinkRequestQueue PendingRequests;

} // namespace PLM_INC
