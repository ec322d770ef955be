// Where a server of the gateway listens: "[HOST:]PORT", "HOST", "[IPv6]:PORT"; empty: off.
#pragma once

#include <QString>

namespace net {

struct ListenAddress {
    QString host; // empty: every IPv4 address of the machine
    int port = 0; // 0: the server is off
    bool enabled() const { return port != 0; }
    QString text() const; // "0.0.0.0:502", "[::1]:1502"
};

// What a server's address means where the text leaves something out.
struct ListenDefaults {
    const char *server; // its name in the messages: "Modbus", "HTTP"
    int port;           // the port of a host given alone; 0: a port must be given
    const char *host;   // the host of a port given alone; "": every IPv4 address
};

// false with a one-line reason when the text names no address.
bool ParseListenAddress(const QString &text, const ListenDefaults &defaults, ListenAddress *out, QString *error);

} // namespace net
