// Where the Modbus TCP server listens: "[HOST:]PORT", "HOST", "[IPv6]:PORT"; empty: off.
#pragma once

#include "ListenAddress.h"

namespace modbus {

constexpr int kDefaultPort = 502;
inline const char *const kModbusListenKey = "Modbus_Listen"; // the preference key

// A port alone listens on every IPv4 address; a host alone on port 502.
using ModbusListen = net::ListenAddress;

// false with a one-line reason when the text names no address.
bool ParseModbusListen(const QString &text, ModbusListen *out, QString *error);

} // namespace modbus
