// The serial line as the link sees it: what STDComm needs of a port and nothing more.
// The product drives a QSerialPort (SerialPortLine); tests drive a mock line.
// Every operation that fails raises tobrel::CommError with one of the LineError numbers.
#pragma once

#include "CommError.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace tobrel {

// Errors of the line itself; STDComm passes them on unchanged outside PortOpen.
enum LineError {
    LineErrorOverflow = 6,              // a value that does not fit a 16-bit line setting
    LineErrorInvalidValue = 380,        // a setting the line refuses
    LineErrorInvalidPort = 8002,        // the device of the port number does not exist
    LineErrorPortAlreadyOpen = 8005,    // a setting that needs a closed port
    LineErrorOpenFailed = 8012,         // the device exists but cannot be opened
    LineErrorPortNotOpen = 8018,        // an operation that needs an open port
    LineErrorReadFailed = 8020,         // the device vanished or failed while reading
    LineErrorWriteFailed = 8021,        // the device refused the characters written
};

class TOBRELCOMM3_EXPORT Line {
public:
    enum class Cts { Low, Asserted, Unsupported };

    virtual ~Line() = default;

    // Port 1..8 (COM1..COM8); may only change while the port is closed.
    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    // A device named outright, used in place of the port number's device; "" goes back to
    // the port number. May only change while the port is closed. A line that knows port
    // numbers only refuses a name.
    virtual void setDeviceName(const QString &device)
    {
        if (!device.isEmpty())
            throw CommError(LineErrorInvalidPort, QStringLiteral("This line takes port numbers only"));
    }
    virtual QString deviceName() const { return QString(); }
    // Speed, parity letter, data bits and stop bits joined by commas, for example "9600,E,7,1".
    virtual void setSettings(const QString &settings) = 0;
    virtual QString settings() const = 0;
    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both.
    virtual void setHandshaking(int code) = 0;
    virtual int handshaking() const = 0;

    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The CTS input of the open port; Unsupported where the device has no modem lines.
    virtual Cts cts() = 0;
    // The system handle of the open port, -1 while closed.
    virtual qint32 handle() const = 0;

    virtual void setInBufferSize(int size) = 0;
    virtual int inBufferSize() const = 0;
    virtual void setOutBufferSize(int size) = 0;
    virtual int outBufferSize() const = 0;
    virtual void setReceiveThreshold(int count) = 0;
    virtual int receiveThreshold() const = 0;
    // Characters one read takes; 0 reads everything waiting.
    virtual void setReadLength(int count) = 0;
    virtual int readLength() const = 0;

    // Characters received and not yet read / written and not yet sent.
    virtual int inWaiting() = 0;
    virtual int outWaiting() = 0;
    virtual void clearInBuffer() = 0;
    virtual void clearOutBuffer() = 0;

    virtual void write(const QByteArray &bytes) = 0;
    // Reads up to the read length of the characters waiting (all of them when it is 0).
    virtual QByteArray read() = 0;
    // Blocks until a received character is waiting or msecs have passed; true when one is.
    // The wait costs no processor time.
    virtual bool waitForReadable(int msecs) = 0;
    // Blocks until the transmit buffer has drained or msecs have passed; true when drained.
    virtual bool waitForWritten(int msecs) = 0;
};

} // namespace tobrel
