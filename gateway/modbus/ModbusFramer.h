// Cuts a client's byte stream into Modbus TCP frames (MBAP header + PDU) without waiting for
// anything: the bytes that have come are kept until their frame is whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace modbus {

class ModbusFramer {
public:
    enum class Status {
        Incomplete, // no whole frame yet
        Frame,      // one frame taken out
        Garbage,    // the bytes are no Modbus TCP: the client is to be dropped
    };

    void append(const uint8_t *bytes, size_t count);
    Status next(std::vector<uint8_t> &frame);
    // Part of a frame waits for the rest.
    bool midFrame() const { return !buffer_.empty(); }

private:
    std::vector<uint8_t> buffer_;
};

} // namespace modbus
