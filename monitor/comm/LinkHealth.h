// The health of the serial link, block by block: how its transactions ended, when it last
// answered, the share of its polls answered over the last minute, and whether its values are
// stale. Fed by the link driver's signals; read by the "Communication status" window, the page
// refresh and the publisher.
#pragma once

#include "ReplyKind.h"

#include <QDateTime>
#include <QObject>
#include <array>
#include <cstdint>

struct BlockHealth {
    uint64_t replies = 0;        // acknowledged transactions
    uint64_t timeOuts = 0;       // transactions without a reply
    uint64_t naks = 0;           // negative acknowledgements
    uint64_t checksumErrors = 0; // replies that failed their checksum
    QDateTime lastGoodReply;     // invalid until the block first answers
    int pollsSinceGoodReply = 0; // poll steps of this block since its last good reply
    bool stale = false;
};

class LinkHealth : public QObject {
    Q_OBJECT
public:
    static constexpr int kBlocks = 16;
    // A poll cycle visits every present block three times (process values, status words,
    // output values or heater currents); a block that missed three cycles is stale.
    static constexpr int kStalePolls = 9;
    static constexpr int kShareSeconds = 60;

    explicit LinkHealth(QObject *parent = nullptr);

    // Any transaction with a block: counts its outcome; an acknowledgement unmarks the block.
    void noteTransaction(int block, ReplyKind kind);
    // A poll step of a block (after noteTransaction for the same reply).
    void notePoll(int block, ReplyKind kind);
    void reset();

    const BlockHealth &block(int block) const;
    // Answered polls / polls over the last minute, 0..1; -1 when the block was not polled.
    double answeredShare(int block) const;
    bool isStale(int block) const { return validBlock(block) && blocks_[size_t(block)].stale; }

signals:
    void staleChanged(int block, bool stale);

private:
    struct Second {
        int64_t at = -1; // seconds since the epoch
        uint32_t polls = 0;
        uint32_t answered = 0;
    };
    static bool validBlock(int block) { return block >= 0 && block < kBlocks; }
    void setStale(int block, bool stale);

    std::array<BlockHealth, kBlocks> blocks_{};
    // One bucket per second of the last minute, per block: memory stays flat however long it runs.
    std::array<std::array<Second, kShareSeconds>, kBlocks> seconds_{};
};
