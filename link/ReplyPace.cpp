#include "ReplyPace.h"

#include "Protocol.h"

#include <algorithm>

namespace tobrel {

namespace {

// ACK or NAK, address, sub-address, command type, a four-character item, the checksum, ETX.
constexpr int kShortestReply = 11;
// Requests with data (writes) are of many shapes; the memory starts again when it is full.
constexpr size_t kRememberedShapes = 4096;
constexpr qint64 kTurnAroundMs = 30;

} // namespace

void ReplyPace::setFraming(int baud, int bitsPerCharacter)
{
    if (baud > 0 && bitsPerCharacter > 0)
        characterMicros_ = qint64(bitsPerCharacter) * 1000000 / baud;
}

std::string ReplyPace::requestShape(const std::string &subAddr, const std::string &cmdType, const std::string &item,
                                    const std::string &data)
{
    constexpr char kSeparator = '\0';
    std::string shape;
    shape.reserve(subAddr.size() + cmdType.size() + item.size() + data.size() + 4);
    for (const std::string *field : {&subAddr, &cmdType, &item, &data})
        shape.append(*field).push_back(kSeparator);
    return shape;
}

int ReplyPace::charactersToCome(const std::string &shape, const ReplyAssembler &reply) const
{
    const int have = int(reply.text().size());
    if (!reply.started())
        return kShortestReply;
    int length = kShortestReply;
    if (reply.text().front() == ACK) {
        const auto known = ackLengths_.find(shape);
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

void ReplyPace::learn(const std::string &shape, const std::string &reply)
{
    if (reply.empty() || reply.front() != ACK)
        return;
    if (ackLengths_.size() >= kRememberedShapes && ackLengths_.find(shape) == ackLengths_.end())
        ackLengths_.clear();
    ackLengths_[shape] = int(reply.size());
}

} // namespace tobrel
