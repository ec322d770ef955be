#include "FaultyDevice.h"

#include "Line.h"
#include "Protocol.h"

#include <algorithm>

namespace {

constexpr qint64 kLinkTimeOutMs = 300;
constexpr char kWriteCommand = 0x52;

} // namespace

FaultyDevice::FaultyDevice(ModelLine &line, sim::DeviceModel &model, uint32_t seed)
    : line_(line), model_(model), rng_(seed)
{
    line_.setFarEnd([this](const std::string &frame, qint64 at) { return answer(frame, at); });
    line_.setOnReplyTaken([this](size_t index) { taken(index); });
    line_.setOnTaken([this](char c) { characterTaken(c); });
    line_.setOnRead([this] {
        if (during(kReadsFail, line_.now()))
            throw tobrel::CommError(tobrel::LineErrorReadFailed, QStringLiteral("The device does not answer reads"));
    });
}

bool FaultyDevice::during(int kind, qint64 at) const
{
    return std::any_of(dead_.begin(), dead_.end(), [kind, at](const Outage &o) { return o.block == kind && at >= o.from && at < o.until; });
}

void FaultyDevice::quiet()
{
    rates_ = FaultRates{};
    dead_.clear();
}

bool FaultyDevice::anyDeadAfter(qint64 at) const
{
    return std::any_of(dead_.begin(), dead_.end(), [at](const Outage &o) { return o.until > at; });
}

bool FaultyDevice::silent(int block, qint64 at) const
{
    return std::any_of(dead_.begin(), dead_.end(), [block, at](const Outage &o) {
        return (o.block == -1 || o.block == block) && at >= o.from && at < o.until;
    });
}

FaultyDevice::Fault FaultyDevice::draw()
{
    const int r = std::uniform_int_distribution<int>(0, 999)(rng_);
    int upTo = 0;
    for (const auto &[rate, fault] : {std::pair{rates_.requestLost, Fault::RequestLost},
                                      std::pair{rates_.replyLost, Fault::ReplyLost},
                                      std::pair{rates_.refused, Fault::Refused},
                                      std::pair{rates_.requestDamaged, Fault::RequestDamaged},
                                      std::pair{rates_.replyDamaged, Fault::ReplyDamaged},
                                      std::pair{rates_.late, Fault::Late},
                                      std::pair{rates_.doubled, Fault::Doubled},
                                      std::pair{rates_.trailed, Fault::Trailed}}) {
        upTo += rate;
        if (r < upTo)
            return fault;
    }
    return Fault::None;
}

// One checksum character changed: the frame is still whole, its sum no longer matches.
std::string FaultyDevice::checksumChanged(std::string bytes)
{
    if (bytes.size() >= 3) {
        char &c = bytes[bytes.size() - 2];
        c = c == '0' ? '1' : '0';
    }
    return bytes;
}

// A frame that no longer passes: its checksum changed, or (anywhere) any other character changed
// or its end cut off.
std::string FaultyDevice::damaged(std::string bytes, bool anywhere)
{
    if (bytes.size() < 3 || !anywhere)
        return checksumChanged(bytes);
    switch (std::uniform_int_distribution<int>(0, 2)(rng_)) {
    case 0:
        return checksumChanged(bytes);
    case 1: {
        char &c = bytes[std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(rng_)];
        c = char(c ^ (1 << std::uniform_int_distribution<int>(0, 6)(rng_)));
        break;
    }
    default:
        bytes.resize(std::uniform_int_distribution<size_t>(1, bytes.size() - 1)(rng_));
    }
    return bytes;
}

// Noise after a reply: any of the line's 7-bit characters, control characters included.
std::string FaultyDevice::strayBytes()
{
    std::string bytes(std::uniform_int_distribution<size_t>(1, 8)(rng_), '\0');
    for (char &c : bytes)
        c = char(std::uniform_int_distribution<int>(0, 127)(rng_));
    return bytes;
}

FarEndAnswer FaultyDevice::answer(const std::string &frame, qint64 at)
{
    const size_t index = answered_.size();
    answered_.push_back({parseFrame(frame), std::string(), true});
    assembling_.clear();
    assembled_ = false;
    Answered &record = answered_.back();
    if (watcher_)
        watcher_->frameSent(index, record.frame, at);
    if (during(kLineGone, at))
        throw tobrel::CommError(tobrel::LineErrorWriteFailed, QStringLiteral("The device does not exist"));
    const int block = record.frame.block;
    if (block < 0 || silent(block, at) || !model_.block(block).present)
        return {};
    const Fault fault = draw();
    if (fault == Fault::RequestLost)
        return {};
    const bool refused = fault == Fault::Refused || fault == Fault::RequestDamaged;
    if (watcher_)
        watcher_->frameReaching(index, record.frame, refused ? DeviceTook::Refused : DeviceTook::Applied, at);
    FarEndAnswer out;
    out.reply = model_.handleFrame(fault == Fault::RequestDamaged ? damaged(frame, anyRequestDamage_)
                                   : refused                      ? checksumChanged(frame)
                                                                  : frame);
    if (fault == Fault::ReplyLost)
        return {};
    if (fault == Fault::ReplyDamaged) {
        out.reply = damaged(out.reply, anyReplyDamage_);
        record.intact = false;
    }
    // A write's reply names no more than its block and item: a copy of it is the acknowledgement
    // of the next write of the item for anyone, so only a read's reply is sent twice.
    if (fault == Fault::Doubled && record.frame.command != kWriteCommand)
        out.after = out.reply;
    if (fault == Fault::Trailed)
        out.after = strayBytes();
    const bool late = fault == Fault::Late || (block == lateWrites_ && record.frame.command == kWriteCommand);
    if (late)
        out.delayMs = kLinkTimeOutMs + std::uniform_int_distribution<int>(0, 200)(rng_);
    record.reply = out.reply;
    return out;
}

void FaultyDevice::taken(size_t index)
{
    if (index >= answered_.size() || !watcher_)
        return;
    const Answered &record = answered_[index];
    if (record.intact)
        watcher_->replyTaken(index, record.frame, record.reply, index + 1 == answered_.size());
}

// What the link makes of the characters it reads for a frame: a reply starts (again) at each
// ACK or NAK and is whole at the first ETX after it.
void FaultyDevice::characterTaken(char c)
{
    if (assembled_ || answered_.empty())
        return;
    if (c == tobrel::ACK || c == tobrel::NAK)
        assembling_.assign(1, c);
    else if (!assembling_.empty())
        assembling_ += c;
    if (c != tobrel::ETX || assembling_.empty())
        return;
    assembled_ = true;
    if (watcher_)
        watcher_->replyAssembled(answered_.size() - 1, answered_.back().frame, assembling_);
}
