// What the gateway answers to one Modbus TCP request: the range of a table to read, or an
// exception. Pure: the state of each block comes from the caller, the values are read later.
#pragma once

#include "ModbusMap.h"

#include <cstdint>
#include <functional>

namespace modbus {

constexpr int kHeaderLength = 7; // MBAP: transaction id, protocol id, length, unit id
constexpr int kMaxReadRegisters = 125;
constexpr int kMaxReadBits = 2000;

enum Exception : uint8_t {
    kNone = 0,
    kIllegalFunction = 0x01,
    kIllegalDataAddress = 0x02,
    kIllegalDataValue = 0x03,
    kGatewayPathUnavailable = 0x0A,
    kGatewayTargetFailed = 0x0B,
};

// What the gateway knows of a block behind it.
enum class BlockLink {
    Absent,   // did not answer the start-up read: never polled in this run
    NoValues, // no values to stand by: the start-up read has not finished, or they are stale
    Live,
};
struct BlockState {
    BlockState() = default;
    BlockState(BlockLink l) : link(l) {} // NOLINT: a bare link where age and quality do not matter
    BlockLink link = BlockLink::NoValues;
    uint16_t ageSeconds = kAgeUnknown;
    uint16_t quality = kQualityNone;
};
using BlockLinkOf = std::function<BlockState(int block)>;

struct Answer {
    uint8_t exception = kNone;
    Table table = Table::InputRegisters;
    int block = 0;
    int first = 0;
    int count = 0;
    BlockState state; // the block's, for the age and quality registers
};

// adu: one whole frame, MBAP header and PDU (length >= kHeaderLength + 1).
Answer AnswerRequest(const uint8_t *adu, int length, const BlockLinkOf &linkOf);

} // namespace modbus
