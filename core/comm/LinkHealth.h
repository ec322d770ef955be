// The health of the serial link, block by block: how its transactions ended, when it last
// answered, the share of its polls answered over the last minute, the age of its values and
// whether they are still good. Follows the link driver on the driver's own clock; read by the
// "Communication status" window, the page refresh, the publisher and the Modbus server.
#pragma once

#include "ReplyKind.h"

#include <QDateTime>
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>

class MonitorComm;

struct BlockHealth {
    uint64_t replies = 0;        // acknowledged transactions
    uint64_t timeOuts = 0;       // transactions without a reply
    uint64_t naks = 0;           // negative acknowledgements
    uint64_t checksumErrors = 0; // replies that failed their checksum
    uint64_t polls = 0;          // poll steps, answered or not
    QDateTime lastGoodReply;     // invalid until the block first answers
    // Milliseconds of LinkHealth's clock; -1: not yet.
    qint64 valuesReadMs = -1;    // the block's values were last read
    qint64 lastPollMs = -1;      // the block's last poll step, answered or not
    bool lastPollAnswered = false;
    bool polled = false;         // a poll step of the block was answered in this run
    qint64 periodMs = 0;         // between two answered poll steps in a row; 0: not measured
    bool returning = false;      // stale, answering again, not every kind read since
    uint8_t kindsSinceReturn = 0;
};

// What the values of a block are worth now.
enum class ValuesQuality {
    Good,      // read within the stale limit
    Stale,     // not read for longer than the stale limit
    Returning, // answering again after being stale, not every kind of value read since
    None,      // never read in this run
};

class LinkHealth : public QObject {
    Q_OBJECT
public:
    static constexpr int kBlocks = 16;
    static constexpr int kShareSeconds = 60;
    // A block is stale when its values have not been read for three of its own poll periods
    // (measured while it answered), and never sooner than 5 s.
    static constexpr int kStalePeriods = 3;
    static constexpr qint64 kMinStaleMs = 5000;
    // The kinds of values a poll step reads (MonitorComm::blockPolled's valueKind).
    static constexpr int kValueKinds = 4;

    // Follows the driver: its transactions and poll steps, and its clock for ages, staleness
    // and the minute of shares (the steady clock in the program, simulated time in a
    // simulation). The driver outlives it.
    explicit LinkHealth(MonitorComm &comm, QObject *parent = nullptr);
    // Fed by hand, on the steady clock.
    explicit LinkHealth(QObject *parent = nullptr);

    // Milliseconds of a clock that never goes back, in place of the one it has.
    void setMonotonicClock(std::function<qint64()> nowMs);

    // Any transaction with a block: counts its outcome. The first answer of a block (its
    // start-up read) counts as its values read.
    void noteTransaction(int block, ReplyKind kind);
    // A poll step of a block and the kind of values it read (0..kValueKinds-1).
    void notePoll(int block, int valueKind, ReplyKind kind);
    void reset();

    const BlockHealth &block(int block) const;
    // Answered polls / polls over the last minute, 0..1; -1 when the block was not polled.
    double answeredShare(int block) const;
    ValuesQuality quality(int block) const;
    // Stale or returning: its values are not to be served as good.
    bool isStale(int block) const;
    // Milliseconds since the block's values were read; -1 before they first were.
    qint64 valuesAgeMs(int block) const;
    qint64 staleLimitMs(int block) const;

private:
    struct Second {
        int64_t at = -1; // seconds of the clock
        uint32_t polls = 0;
        uint32_t answered = 0;
    };
    static bool validBlock(int block) { return block >= 0 && block < kBlocks; }
    static qint64 limitOf(const BlockHealth &h);
    bool staleAt(const BlockHealth &h, qint64 now) const;
    int64_t nowSeconds() const;

    std::function<qint64()> nowMs_;
    std::array<BlockHealth, kBlocks> blocks_{};
    // One bucket per second of the last minute, per block: memory stays flat however long it runs.
    std::array<std::array<Second, kShareSeconds>, kBlocks> seconds_{};
};
