#include "LinkHealth.h"

#include "Clock.h"
#include "MonitorComm.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr uint8_t kEveryKind = (1u << LinkHealth::kValueKinds) - 1;

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

LinkHealth::LinkHealth(QObject *parent) : QObject(parent), nowMs_(steadyMs) {}

LinkHealth::LinkHealth(MonitorComm &comm, QObject *parent) : QObject(parent)
{
    const EngineClock &clock = comm.engineClock();
    nowMs_ = [&clock] { return clock.nowMs(); };
    connect(&comm, &MonitorComm::transactionDone, this, &LinkHealth::noteTransaction);
    connect(&comm, &MonitorComm::blockPolled, this, &LinkHealth::notePoll);
}

void LinkHealth::setMonotonicClock(std::function<qint64()> nowMs)
{
    nowMs_ = nowMs ? std::move(nowMs) : std::function<qint64()>(steadyMs);
}

void LinkHealth::noteTransaction(int block, ReplyKind kind)
{
    if (!validBlock(block))
        return;
    BlockHealth &h = blocks_[size_t(block)];
    switch (kind) {
    case ReplyKind::Ack:
        ++h.replies;
        h.lastGoodReply = PLM_INC::clock().now();
        if (h.valuesReadMs < 0)
            h.valuesReadMs = nowMs_();
        break;
    case ReplyKind::Nak:
        ++h.naks;
        break;
    case ReplyKind::ChecksumFailure:
        ++h.checksumErrors;
        break;
    case ReplyKind::NoReply:
        ++h.timeOuts;
        break;
    }
}

void LinkHealth::notePoll(int block, int valueKind, ReplyKind kind)
{
    if (!validBlock(block))
        return;
    const int64_t second = nowSeconds();
    Second &s = seconds_[size_t(block)][size_t(((second % kShareSeconds) + kShareSeconds) % kShareSeconds)];
    if (s.at != second)
        s = Second{second, 0, 0};
    ++s.polls;
    BlockHealth &h = blocks_[size_t(block)];
    ++h.polls;
    const qint64 now = nowMs_();
    const bool answered = kind == ReplyKind::Ack;
    if (answered) {
        ++s.answered;
        // The values of the start-up read stand for every kind until the first poll. A gap
        // that made the block stale is no poll period.
        if (h.polled && staleAt(h, now)) {
            h.returning = true;
            h.kindsSinceReturn = 0;
        } else if (h.lastPollAnswered && h.lastPollMs >= 0) {
            h.periodMs = now - h.lastPollMs;
        }
        if (valueKind >= 0 && valueKind < kValueKinds)
            h.kindsSinceReturn |= uint8_t(1u << valueKind);
        if (h.kindsSinceReturn == kEveryKind)
            h.returning = false;
        h.valuesReadMs = now;
        h.polled = true;
    }
    h.lastPollMs = now;
    h.lastPollAnswered = answered;
}

void LinkHealth::reset()
{
    blocks_.fill(BlockHealth{});
    for (auto &row : seconds_)
        row.fill(Second{});
}

const BlockHealth &LinkHealth::block(int block) const
{
    static const BlockHealth none;
    return validBlock(block) ? blocks_[size_t(block)] : none;
}

double LinkHealth::answeredShare(int block) const
{
    if (!validBlock(block))
        return -1;
    const int64_t now = nowSeconds();
    uint64_t polls = 0, answered = 0;
    for (const Second &s : seconds_[size_t(block)]) {
        if (s.at > now - kShareSeconds && s.at <= now) {
            polls += s.polls;
            answered += s.answered;
        }
    }
    return polls == 0 ? -1 : double(answered) / double(polls);
}

int64_t LinkHealth::nowSeconds() const
{
    return nowMs_() / 1000;
}

bool LinkHealth::staleAt(const BlockHealth &h, qint64 now) const
{
    return h.valuesReadMs >= 0 && now - h.valuesReadMs > limitOf(h);
}

ValuesQuality LinkHealth::quality(int block) const
{
    if (!validBlock(block) || blocks_[size_t(block)].valuesReadMs < 0)
        return ValuesQuality::None;
    const BlockHealth &h = blocks_[size_t(block)];
    if (staleAt(h, nowMs_()))
        return ValuesQuality::Stale;
    return h.returning ? ValuesQuality::Returning : ValuesQuality::Good;
}

bool LinkHealth::isStale(int block) const
{
    const ValuesQuality q = quality(block);
    return q == ValuesQuality::Stale || q == ValuesQuality::Returning;
}

qint64 LinkHealth::valuesAgeMs(int block) const
{
    if (!validBlock(block) || blocks_[size_t(block)].valuesReadMs < 0)
        return -1;
    return nowMs_() - blocks_[size_t(block)].valuesReadMs;
}

qint64 LinkHealth::staleLimitMs(int block) const
{
    return validBlock(block) ? limitOf(blocks_[size_t(block)]) : kMinStaleMs;
}

qint64 LinkHealth::limitOf(const BlockHealth &h)
{
    return std::max(kMinStaleMs, kStalePeriods * h.periodMs);
}
