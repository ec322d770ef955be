// Sends the answer to one request over a client's socket through libmodbus: the registers or
// bits the answer names, read from the image at that moment, or the exception.
#pragma once

#include "ModbusRequest.h"

#include <vector>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

namespace modbus {

class ModbusReplier {
public:
    // ctx: a Modbus TCP context of libmodbus (the listening one); the replier does not own it.
    explicit ModbusReplier(modbus_t *ctx);
    ~ModbusReplier();
    ModbusReplier(const ModbusReplier &) = delete;
    ModbusReplier &operator=(const ModbusReplier &) = delete;

    // false when the reply could not be written whole (the client is gone or does not read).
    bool reply(int socket, const std::vector<uint8_t> &request, const Answer &answer);

private:
    modbus_t *ctx_;
    modbus_mapping_t *mapping_;
};

} // namespace modbus
