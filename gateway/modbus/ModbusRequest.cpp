#include "ModbusRequest.h"

namespace modbus {

namespace {

enum Function : uint8_t {
    kReadCoils = 0x01,
    kReadDiscreteInputs = 0x02,
    kReadHoldingRegisters = 0x03,
    kReadInputRegisters = 0x04,
};

Answer refused(uint8_t exception)
{
    Answer a;
    a.exception = exception;
    return a;
}

} // namespace

Answer AnswerRequest(const uint8_t *adu, int length, const BlockLinkOf &linkOf)
{
    const uint8_t unit = adu[kHeaderLength - 1];
    const uint8_t function = adu[kHeaderLength];
    // Read-only: every write, and the coils the gateway does not have, are illegal functions.
    Answer a;
    switch (function) {
    case kReadDiscreteInputs: a.table = Table::DiscreteInputs; break;
    case kReadHoldingRegisters: a.table = Table::HoldingRegisters; break;
    case kReadInputRegisters: a.table = Table::InputRegisters; break;
    default: return refused(kIllegalFunction);
    }
    // A read PDU is the function, the address and the quantity: five bytes, no more, no less.
    if (length - kHeaderLength != 5)
        return refused(kIllegalDataValue);
    const uint8_t *pdu = adu + kHeaderLength;
    a.first = (pdu[1] << 8) | pdu[2];
    a.count = (pdu[3] << 8) | pdu[4];
    const int most = a.table == Table::DiscreteInputs ? kMaxReadBits : kMaxReadRegisters;
    if (a.count < 1 || a.count > most)
        return refused(kIllegalDataValue);
    if (!RangeMapped(a.table, a.first, a.count))
        return refused(kIllegalDataAddress);
    if (unit < 1 || unit > 16)
        return refused(kGatewayPathUnavailable);
    a.block = unit - 1;
    a.state = linkOf(a.block);
    switch (a.state.link) {
    case BlockLink::Absent: return refused(kGatewayPathUnavailable);
    case BlockLink::NoValues:
        // The age and quality say why the values are not served: they are always answered.
        if (!HealthRange(a.table, a.first, a.count))
            return refused(kGatewayTargetFailed);
        break;
    case BlockLink::Live: break;
    }
    return a;
}

} // namespace modbus
