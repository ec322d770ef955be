#include "ModbusReplier.h"

#include <modbus/modbus.h>

namespace modbus {

ModbusReplier::ModbusReplier(modbus_t *ctx)
    : ctx_(ctx),
      // Sized for the whole map, decimal places included; only the asked range is filled. No
      // coils: the request check refuses that function before libmodbus sees it.
      mapping_(modbus_mapping_new(0, ValueCount(Table::DiscreteInputs),
                                  kDecimalsOffset + ValueCount(Table::HoldingRegisters),
                                  kDecimalsOffset + ValueCount(Table::InputRegisters)))
{
}

ModbusReplier::~ModbusReplier()
{
    modbus_mapping_free(mapping_);
}

bool ModbusReplier::reply(int socket, const std::vector<uint8_t> &request, const Answer &answer)
{
    if (!mapping_)
        return false;
    modbus_set_socket(ctx_, socket);
    // Every check is made before libmodbus sees the request: its own refusals wait for the
    // response time-out and flush the socket, which would stall every other client.
    if (answer.exception != kNone)
        return modbus_reply_exception(ctx_, request.data(), answer.exception) > 0;
    for (int a = answer.first; a < answer.first + answer.count; ++a) {
        switch (answer.table) {
        case Table::DiscreteInputs: mapping_->tab_input_bits[a] = BitValue(answer.block, a) ? 1 : 0; break;
        case Table::InputRegisters:
            mapping_->tab_input_registers[a] = a == kAgeRegister ? answer.state.ageSeconds
                                               : a == kQualityRegister ? answer.state.quality
                                                                       : RegisterValue(answer.table, answer.block, a);
            break;
        case Table::HoldingRegisters: mapping_->tab_registers[a] = RegisterValue(answer.table, answer.block, a); break;
        }
    }
    return modbus_reply(ctx_, request.data(), int(request.size()), mapping_) > 0;
}

} // namespace modbus
