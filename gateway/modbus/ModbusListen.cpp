#include "ModbusListen.h"

namespace modbus {

bool ParseModbusListen(const QString &text, ModbusListen *out, QString *error)
{
    return net::ParseListenAddress(text, {"Modbus", kDefaultPort, ""}, out, error);
}

} // namespace modbus
