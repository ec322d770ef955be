#include "ReplyPace.h"

#include "Protocol.h"

#include <algorithm>

namespace tobrel {

namespace {

// ACK or NAK, address, sub-address, command type, a four-character item, the checksum, ETX.
constexpr int kShortestReply = 11;
// Requests with data (writes) are all different frames; the memory starts again when it is full.
constexpr size_t kRememberedFrames = 4096;
constexpr qint64 kTurnAroundMs = 30;

} // namespace

void ReplyPace::setFraming(int baud, int bitsPerCharacter)
{
    if (baud > 0 && bitsPerCharacter > 0)
        characterMicros_ = qint64(bitsPerCharacter) * 1000000 / baud;
}

int ReplyPace::charactersToCome(const std::string &frame, const ReplyAssembler &reply) const
{
    const int have = int(reply.text().size());
    if (!reply.started())
        return kShortestReply;
    int length = kShortestReply;
    if (reply.text().front() == ACK) {
        const auto known = ackLengths_.find(frame);
        if (known != ackLengths_.end())
            length = known->second;
    }
    return std::max(1, length - have);
}

qint64 ReplyPace::lineMs(int characters) const
{
    const qint64 onLine = lineMicros(characters) / 1000;
    return onLine + onLine / 4 + kTurnAroundMs;
}

void ReplyPace::learn(const std::string &frame, const std::string &reply)
{
    if (reply.empty() || reply.front() != ACK)
        return;
    if (ackLengths_.size() >= kRememberedFrames && ackLengths_.find(frame) == ackLengths_.end())
        ackLengths_.clear();
    ackLengths_[frame] = int(reply.size());
}

} // namespace tobrel
