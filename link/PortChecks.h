// The checks of the port settings: each takes the stored text and gives the line's value,
// or raises its numbered error. Private to the library.
#pragma once

#include <QString>

namespace tobrel {

enum PortSettingError {
    ErrorInvalidPort = 30001,
    ErrorInvalidBaudRate = 30002,
    ErrorInvalidParity = 30003,
    ErrorInvalidDataBits = 30004,
    ErrorInvalidStopBits = 30005,
    ErrorInvalidFlow = 30006,
    ErrorOpenFailed = 30019,
};

// The description the operator sees for one of the errors above.
QString PortSettingErrorText(PortSettingError error);
[[noreturn]] void RaisePortSettingError(PortSettingError error);

int PortNumber(const QString &port);            // "COM1".."COM8" in any case -> 1..8
QString BaudText(const QString &baudRate);      // "2400", "4800", "9600", "19200"
QString ParityLetter(const QString &parity);    // "NONE"/"EVEN"/"ODD" in any case -> N/E/O
QString DataBitText(const QString &dataBits);   // "7" or "8"
QString StopBitText(const QString &stopBits);   // "1" or "2"
int FlowCode(const QString &flow);              // "NONE", "XON/XOFF", "RTS/CTS", "BOTH" -> 0..3
QString FlowName(int code);                     // 0..3 -> the name, anything else -> ""

// The message of a port that opens but does not assert CTS.
extern const char *const PortOpenRefusedMessage;

} // namespace tobrel
