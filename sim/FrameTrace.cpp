#include "FrameTrace.h"

#include <cstdio>

namespace sim {

std::string TraceLine(const std::string &frame)
{
    static const char *const kNames[32] = {
        "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "HT", "LF", "VT", "FF", "CR",
        "SO", "SI", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB",
        "ESC", "FS", "GS", "RS", "US"};
    std::string line;
    for (char ch : frame) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32) {
            line += '<';
            line += kNames[c];
            line += '>';
        } else if (c == 0x7F) {
            line += "<DEL>";
        } else if (c > 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<x%02X>", c);
            line += hex;
        } else {
            line += ch;
        }
    }
    return line;
}

} // namespace sim
