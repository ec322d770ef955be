// The product's line: a QSerialPort on the device its port number stands for (ComPorts.h), or
// on a device named outright.
#pragma once

#include "Line.h"

#include <QSerialPort>

#if defined(Q_OS_LINUX)
#include <termios.h>
#endif

namespace tobrel {

class SerialPortLine final : public Line {
public:
    SerialPortLine();
    ~SerialPortLine() override;

    void setPortNumber(int number) override;
    int portNumber() const override { return portNumber_; }
    void setDeviceName(const QString &device) override;
    QString deviceName() const override { return deviceName_; }
    void setSettings(const QString &settings) override;
    QString settings() const override { return settings_; }
    void setHandshaking(int code) override;
    int handshaking() const override { return handshaking_; }

    void open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    Cts cts() override;
    qint32 handle() const override;

    void setInBufferSize(int size) override;
    int inBufferSize() const override { return inBufferSize_; }
    void setOutBufferSize(int size) override;
    int outBufferSize() const override { return outBufferSize_; }
    void setReceiveThreshold(int count) override;
    int receiveThreshold() const override { return receiveThreshold_; }
    void setReadLength(int count) override;
    int readLength() const override { return readLength_; }

    int inWaiting() override;
    int outWaiting() override;
    void clearInBuffer() override;
    void clearOutBuffer() override;

    void write(const QByteArray &bytes) override;
    QByteArray read() override;
    bool waitForReadable(int msecs) override;
    // Like waitForReadable, but a wait that starts with nothing read in lasts until count
    // characters have come (or msecs have passed): one wake-up for a run of characters
    // instead of one for every burst the driver hands on. True when characters are read in
    // and the wait did not end short of count.
    bool waitForCharacters(int count, int msecs);
    bool waitForWritten(int msecs) override;

private:
    void requireOpen() const;
    void applyFraming();
    // False where the device cannot report its modem lines (a pseudo-terminal).
    bool hasModemLines();
    // Takes what the driver holds into the port's buffer without blocking.
    void takeWaiting();
    // Raises the port's read or write failure, if it has one, and forgets harmless ones.
    void raisePortFailure(int number);
    // Forgets the port's last error; costs nothing when there is none (it is called before
    // every wait for a character).
    void clearPortError();
    int driverOutWaiting() const;
    // The characters the driver must hold before a wait for them ends (the terminal's VMIN;
    // a poll of a terminal honours it when VTIME is 0). Reads never block either way.
    void setWakeCount(int count);
    // The port's settings changed or it opened again: VMIN is read again before it is changed.
    void forgetWakeSettings();
    // A device that vanished is opened again by the next write, so polling picks up by
    // itself when the adapter is plugged back in.
    void reopenLostDevice();
    // The device file to open now.
    QString systemDevice() const;

    QSerialPort port_;
    int portNumber_ = 1;
    QString deviceName_; // named outright; "" uses the port number's device
    QString settings_ = QStringLiteral("9600,N,8,1");
    int handshaking_ = 0;
    int inBufferSize_ = 1024;
    int outBufferSize_ = 512;
    int receiveThreshold_ = 0;
    int readLength_ = 0;
    bool deviceLost_ = false; // closed because the device went away, not by the host
    int wakeCount_ = 0; // 0: not known, set by the next wait
#if defined(Q_OS_LINUX)
    struct termios wakeTermios_ {}; // the port's settings, read at the first change of VMIN
    bool wakeTermiosRead_ = false;
#endif
};

} // namespace tobrel
