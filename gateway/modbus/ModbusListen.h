// Where the Modbus TCP server listens: "[HOST:]PORT", "HOST", "[IPv6]:PORT"; empty: off.
#pragma once

#include <QString>

namespace modbus {

constexpr int kDefaultPort = 502;
inline const char *const kModbusListenKey = "Modbus_Listen"; // the preference key

struct ModbusListen {
    QString host; // empty: every IPv4 address of the machine
    int port = 0; // 0: the server is off
    bool enabled() const { return port != 0; }
    QString text() const; // "0.0.0.0:502", "[::1]:1502"
};

// false with a one-line reason when the text names no address.
bool ParseModbusListen(const QString &text, ModbusListen *out, QString *error);

} // namespace modbus
