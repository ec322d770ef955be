// Arbitrary bytes from a Modbus TCP client, in arbitrary pieces, against an arbitrary image
// and arbitrary block states: every frame cut out is whole, every answer lies inside the map or
// is one of the exceptions the gateway gives, and the reply written to the socket is a sound
// Modbus TCP answer to that very request.
#include "ModbusFramer.h"
#include "ModbusMap.h"
#include "ModbusReplier.h"
#include "ModbusRequest.h"
#include "ItemTable.h"
#include "PLM_INC.h"

#include <cstdint>
#include <cstdlib>
#include <modbus/modbus.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

struct Peer {
    int fds[2] = {-1, -1};
    modbus_t *ctx = nullptr;
    Peer()
    {
        require(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds) == 0);
        ctx = modbus_new_tcp_pi("127.0.0.1", "1502");
        require(ctx != nullptr);
    }
};

uint32_t next(uint32_t &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

void fillImage(uint32_t seed)
{
    namespace P = PLM_INC;
    const int16_t divisors[] = {1, 10, 100, 1000, 10000, 3};
    for (int n = 0; n < P::kChannels; ++n) {
        for (const P::ItemInfo &item : P::ItemTable())
            if (item.field)
                (*item.field)[n] = int16_t(next(seed));
        P::StatusWord[n] = int16_t(next(seed));
        P::InputType[n] = int16_t(next(seed) % 15);
        P::DecimalDivisor[n] = divisors[next(seed) % 6];
    }
}

void checkReply(const std::vector<uint8_t> &request, const modbus::Answer &answer, int fd)
{
    uint8_t r[512];
    const ssize_t n = ::read(fd, r, sizeof r);
    require(n >= 9);
    require(r[0] == request[0] && r[1] == request[1] && r[2] == 0 && r[3] == 0);
    require(((r[4] << 8) | r[5]) == n - 6);
    require(r[6] == request[6]);
    if (answer.exception != modbus::kNone) {
        require(n == 9 && r[7] == uint8_t(request[7] + 0x80) && r[8] == answer.exception);
        return;
    }
    require(r[7] == request[7]);
    const int bytes = answer.table == modbus::Table::DiscreteInputs ? (answer.count + 7) / 8 : 2 * answer.count;
    require(r[8] == bytes && n == 9 + bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Peer peer;
    static modbus::ModbusReplier replier(peer.ctx);
    if (size < 6)
        return 0;
    static int lastSeed = -1;
    const int seed = data[0] | data[1] << 8;
    if (seed != lastSeed) // the image is the same for the same two bytes: made once
        fillImage(uint32_t(seed));
    lastSeed = seed;
    const uint16_t states = uint16_t(data[2] | data[3] << 8); // two bits a block, by unit parity
    const auto linkOf = [states](int block) { return modbus::BlockLink((states >> (block % 8 * 2)) % 3); };
    const size_t piece = size_t(data[4] % 16) + 1;
    data += 5;
    size -= 5;

    modbus::ModbusFramer framer;
    std::vector<uint8_t> frame;
    for (size_t at = 0; at < size; at += piece) {
        const size_t count = at + piece <= size ? piece : size - at;
        framer.append(data + at, count);
        for (;;) {
            const modbus::ModbusFramer::Status s = framer.next(frame);
            if (s == modbus::ModbusFramer::Status::Garbage)
                return 0; // the client is dropped: nothing more of it is read
            if (s == modbus::ModbusFramer::Status::Incomplete)
                break;
            require(frame.size() >= 8 && frame[2] == 0 && frame[3] == 0);
            require(size_t((frame[4] << 8) | frame[5]) + 6 == frame.size());
            const modbus::Answer answer = modbus::AnswerRequest(frame.data(), int(frame.size()), linkOf);
            if (answer.exception == modbus::kNone) {
                require(modbus::RangeMapped(answer.table, answer.first, answer.count));
                require(answer.block >= 0 && answer.block < 16);
            } else {
                const uint8_t e = answer.exception;
                require(e == modbus::kIllegalFunction || e == modbus::kIllegalDataAddress || e == modbus::kIllegalDataValue
                        || e == modbus::kGatewayPathUnavailable || e == modbus::kGatewayTargetFailed);
            }
            require(replier.reply(peer.fds[0], frame, answer));
            checkReply(frame, answer, peer.fds[1]);
        }
    }
    return 0;
}
