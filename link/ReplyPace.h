// How many characters a wait for a reply can ask the line for at once, and for how long, so
// that the link wakes a few times a reply instead of once for every few characters.
// A reply is never shorter than 11 characters, and the same request is answered with a reply
// of the same length as the last time, whichever block it went to: every block has the same
// items and the same twenty channels, so a poll of 16 blocks is paced from its first round as
// well as a poll of two. A count is only ever a lower bound on what must come:
// a reply that falls short is read as it is once its characters' time on the line is over.
#pragma once

#include <QtGlobal>
#include <string>
#include <unordered_map>

namespace tobrel {

class ReplyAssembler;

class ReplyPace {
public:
    // The line's speed and the bits of one character (start, data, parity and stop bits).
    void setFraming(int baud, int bitsPerCharacter);
    // What a reply's length depends on: the request without the block's address and the
    // checksum (the sub-address, command type, item and data, each ended by a separator).
    static std::string requestShape(const std::string &subAddr, const std::string &cmdType, const std::string &item,
                                    const std::string &data);
    // Characters certain to come yet for the reply to a request of that shape assembled so far
    // (at least 1).
    int charactersToCome(const std::string &shape, const ReplyAssembler &reply) const;
    // How long n characters take on the line, in microseconds.
    qint64 lineMicros(int characters) const { return qint64(characters) * characterMicros_; }
    // How long n characters take on the line, in ms, with room for a peer's turn-around and for
    // drivers and adapters that hand characters on in bursts.
    qint64 lineMs(int characters) const;
    // A good reply to a request of that shape: the next reply to one is expected to be as long.
    void learn(const std::string &shape, const std::string &reply);

private:
    std::unordered_map<std::string, int> ackLengths_;
    qint64 characterMicros_ = 1042; // 10 bits at 9600 baud
};

} // namespace tobrel
