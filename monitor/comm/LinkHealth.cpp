#include "LinkHealth.h"

#include "Clock.h"

LinkHealth::LinkHealth(QObject *parent) : QObject(parent) {}

void LinkHealth::noteTransaction(int block, ReplyKind kind)
{
    if (!validBlock(block))
        return;
    BlockHealth &h = blocks_[size_t(block)];
    switch (kind) {
    case ReplyKind::Ack:
        ++h.replies;
        h.lastGoodReply = PLM_INC::clock().now();
        h.pollsSinceGoodReply = 0;
        setStale(block, false);
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

void LinkHealth::notePoll(int block, ReplyKind kind)
{
    if (!validBlock(block))
        return;
    const int64_t now = PLM_INC::clock().now().toSecsSinceEpoch();
    Second &s = seconds_[size_t(block)][size_t(((now % kShareSeconds) + kShareSeconds) % kShareSeconds)];
    if (s.at != now)
        s = Second{now, 0, 0};
    ++s.polls;
    BlockHealth &h = blocks_[size_t(block)];
    if (kind == ReplyKind::Ack) {
        ++s.answered;
        h.pollsSinceGoodReply = 0;
        setStale(block, false);
        return;
    }
    if (++h.pollsSinceGoodReply >= kStalePolls)
        setStale(block, true);
}

void LinkHealth::reset()
{
    for (int b = 0; b < kBlocks; ++b)
        setStale(b, false);
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
    const int64_t now = PLM_INC::clock().now().toSecsSinceEpoch();
    uint64_t polls = 0, answered = 0;
    for (const Second &s : seconds_[size_t(block)]) {
        if (s.at > now - kShareSeconds && s.at <= now) {
            polls += s.polls;
            answered += s.answered;
        }
    }
    return polls == 0 ? -1 : double(answered) / double(polls);
}

void LinkHealth::setStale(int block, bool stale)
{
    BlockHealth &h = blocks_[size_t(block)];
    if (h.stale == stale)
        return;
    h.stale = stale;
    emit staleChanged(block, stale);
}
