#include "ModbusFramer.h"

#include "ModbusRequest.h"

#include <algorithm>

namespace modbus {

namespace {

// The length field counts the unit id and the PDU; a PDU is 1..253 bytes.
constexpr int kMinLengthField = 2;
constexpr int kMaxLengthField = 254;

} // namespace

void ModbusFramer::append(const uint8_t *bytes, size_t count)
{
    buffer_.insert(buffer_.end(), bytes, bytes + count);
}

ModbusFramer::Status ModbusFramer::next(std::vector<uint8_t> &frame)
{
    // The protocol id is known from the third byte on, the length from the sixth: a stream
    // that is not Modbus TCP is refused as soon as it shows.
    if (buffer_.size() >= 3 && buffer_[2] != 0)
        return Status::Garbage;
    if (buffer_.size() >= 4 && buffer_[3] != 0)
        return Status::Garbage;
    if (buffer_.size() < 6)
        return Status::Incomplete;
    const int lengthField = (buffer_[4] << 8) | buffer_[5];
    if (lengthField < kMinLengthField || lengthField > kMaxLengthField)
        return Status::Garbage;
    const size_t whole = size_t(kHeaderLength - 1 + lengthField);
    if (buffer_.size() < whole)
        return Status::Incomplete;
    // Codes 0x80 and above are exception answers, never requests; 0 is no function at all.
    const uint8_t function = buffer_[kHeaderLength];
    if (function == 0 || function >= 0x80)
        return Status::Garbage;
    frame.assign(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(whole));
    buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(whole));
    return Status::Frame;
}

} // namespace modbus
