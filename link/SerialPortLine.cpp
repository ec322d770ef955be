#include "SerialPortLine.h"

#include "ComPorts.h"
#include "CommError.h"
#include "PortDevices.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <QtGlobal>
#include <algorithm>

#if defined(Q_OS_LINUX)
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace tobrel {

namespace {

struct Framing {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

[[noreturn]] void raise(int number, const QString &description)
{
    throw CommError(number, description);
}

[[noreturn]] void raiseInvalidValue()
{
    raise(LineErrorInvalidValue, QStringLiteral("Invalid property value"));
}

Framing parseSettings(const QString &settings)
{
    const QStringList parts = settings.split(QLatin1Char(','));
    if (parts.size() != 4)
        raiseInvalidValue();
    Framing f;
    bool ok = false;
    f.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || f.baud <= 0)
        raiseInvalidValue();

    const QString parity = parts[1].trimmed().toUpper();
    if (parity == QLatin1String("N")) f.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E")) f.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O")) f.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M")) f.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S")) f.parity = QSerialPort::SpaceParity;
    else raiseInvalidValue();

    const int data = parts[2].trimmed().toInt(&ok);
    if (!ok || data < 5 || data > 8)
        raiseInvalidValue();
    f.dataBits = static_cast<QSerialPort::DataBits>(data);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1")) f.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5")) f.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2")) f.stopBits = QSerialPort::TwoStop;
    else raiseInvalidValue();
    return f;
}

QSerialPort::FlowControl flowOfHandshaking(int code)
{
    switch (code) {
    case 1: return QSerialPort::SoftwareControl;
    // QSerialPort cannot combine both; the hardware lines are the stronger hold.
    case 2: case 3: return QSerialPort::HardwareControl;
    default: return QSerialPort::NoFlowControl;
    }
}

void requireLineSize(int value, int least)
{
    if (value < least)
        raiseInvalidValue();
}

} // namespace

SerialPortLine::SerialPortLine() = default;

SerialPortLine::~SerialPortLine()
{
    close();
}

void SerialPortLine::setPortNumber(int number)
{
    if (port_.isOpen())
        raise(LineErrorPortAlreadyOpen, QStringLiteral("Port already open"));
    if (number < 1 || number > 16)
        raise(LineErrorInvalidPort, QStringLiteral("Invalid port number"));
    portNumber_ = number;
}

void SerialPortLine::setDeviceName(const QString &device)
{
    if (port_.isOpen())
        raise(LineErrorPortAlreadyOpen, QStringLiteral("Port already open"));
    deviceName_ = device;
}

void SerialPortLine::setSettings(const QString &settings)
{
    parseSettings(settings);
    settings_ = settings;
    if (port_.isOpen())
        applyFraming();
}

void SerialPortLine::setHandshaking(int code)
{
    if (code < 0 || code > 3)
        raiseInvalidValue();
    handshaking_ = code;
    if (port_.isOpen()) {
        forgetWakeSettings();
        port_.setFlowControl(flowOfHandshaking(code));
    }
}

void SerialPortLine::applyFraming()
{
    forgetWakeSettings();
    const Framing f = parseSettings(settings_);
    bool applied = port_.setBaudRate(f.baud);
    applied = port_.setParity(f.parity) && applied;
    applied = port_.setDataBits(f.dataBits) && applied;
    applied = port_.setStopBits(f.stopBits) && applied;
    applied = port_.setFlowControl(flowOfHandshaking(handshaking_)) && applied;
    const QString why = port_.errorString();
    clearPortError();
    // A pseudo-terminal keeps its own framing (there are no bits on a wire to shape), and
    // having no modem lines is how it shows; a real port that refuses a setting is an error.
    if (!applied && hasModemLines())
        raise(LineErrorInvalidValue, why);
}

bool SerialPortLine::hasModemLines()
{
    clearPortError();
    port_.pinoutSignals();
    const bool answered = port_.error() == QSerialPort::NoError;
    clearPortError();
    return answered;
}

void SerialPortLine::open()
{
    deviceLost_ = false;
    if (port_.isOpen())
        raise(LineErrorPortAlreadyOpen, QStringLiteral("Port already open"));
    port_.setPortName(systemDevice());
    if (!port_.open(QIODevice::ReadWrite)) {
        const bool missing = port_.error() == QSerialPort::DeviceNotFoundError;
        const QString why = port_.errorString();
        clearPortError();
        raise(missing ? LineErrorInvalidPort : LineErrorOpenFailed, why);
    }
    try {
        applyFraming();
    } catch (...) {
        port_.close();
        throw;
    }
}

void SerialPortLine::close()
{
    deviceLost_ = false;
    if (port_.isOpen())
        port_.close();
    clearPortError();
}

Line::Cts SerialPortLine::cts()
{
    requireOpen();
    clearPortError();
    const QSerialPort::PinoutSignals pins = port_.pinoutSignals();
    if (port_.error() != QSerialPort::NoError) {
        // A pseudo-terminal or a converter without modem lines cannot say.
        clearPortError();
        return Cts::Unsupported;
    }
    return pins.testFlag(QSerialPort::ClearToSendSignal) ? Cts::Asserted : Cts::Low;
}

qint32 SerialPortLine::handle() const
{
    if (!port_.isOpen())
        return -1;
#if defined(Q_OS_WIN)
    return static_cast<qint32>(reinterpret_cast<quintptr>(port_.handle()));
#else
    return static_cast<qint32>(port_.handle());
#endif
}

void SerialPortLine::setInBufferSize(int size)
{
    requireLineSize(size, 1);
    inBufferSize_ = size;
}

void SerialPortLine::setOutBufferSize(int size)
{
    requireLineSize(size, 1);
    outBufferSize_ = size;
}

void SerialPortLine::setReceiveThreshold(int count)
{
    requireLineSize(count, 0);
    receiveThreshold_ = count;
}

void SerialPortLine::setReadLength(int count)
{
    requireLineSize(count, 0);
    readLength_ = count;
}

void SerialPortLine::requireOpen() const
{
    if (!port_.isOpen())
        throw CommError(LineErrorPortNotOpen, QStringLiteral("Operation valid only when the port is open"));
}

void SerialPortLine::clearPortError()
{
    if (port_.error() != QSerialPort::NoError)
        port_.clearError();
}

void SerialPortLine::raisePortFailure(int number)
{
    const QSerialPort::SerialPortError error = port_.error();
    if (error == QSerialPort::NoError)
        return;
    const QString why = port_.errorString();
    clearPortError();
    if (error == QSerialPort::TimeoutError)
        return;
    // A device that is gone (an unplugged adapter, a peer that closed its terminal) keeps
    // signalling a hang-up while it stays open; closing it stops the event loop spinning.
    if (error == QSerialPort::ResourceError) {
        port_.close();
        deviceLost_ = true;
    }
    raise(number, why);
}

void SerialPortLine::takeWaiting()
{
#if defined(Q_OS_LINUX)
    // Asking the driver for its count is cheaper than a poll when nothing is waiting,
    // which is what the reply loop finds once per character.
    int queued = 0;
    if (::ioctl(static_cast<int>(port_.handle()), FIONREAD, &queued) == 0 && queued == 0)
        return;
#endif
    setWakeCount(1);
    clearPortError();
    port_.waitForReadyRead(0);
    raisePortFailure(LineErrorReadFailed);
}

int SerialPortLine::inWaiting()
{
    requireOpen();
    if (port_.bytesAvailable() == 0)
        takeWaiting();
    return static_cast<int>(port_.bytesAvailable());
}

int SerialPortLine::driverOutWaiting() const
{
#if defined(Q_OS_LINUX)
    int queued = 0;
    if (::ioctl(static_cast<int>(port_.handle()), TIOCOUTQ, &queued) == 0 && queued > 0)
        return queued;
#endif
    return 0;
}

int SerialPortLine::outWaiting()
{
    requireOpen();
    return static_cast<int>(port_.bytesToWrite()) + driverOutWaiting();
}

void SerialPortLine::clearInBuffer()
{
    // A closed port has nothing to discard.
    if (port_.isOpen())
        port_.clear(QSerialPort::Input);
}

void SerialPortLine::clearOutBuffer()
{
    if (port_.isOpen())
        port_.clear(QSerialPort::Output);
}

QString SerialPortLine::systemDevice() const
{
    // Looked up at every open: a replugged adapter's by-id name may lead to another device file.
    return DeviceToOpen(deviceName_.isEmpty() ? ComPortDevice(portNumber_) : deviceName_);
}

void SerialPortLine::reopenLostDevice()
{
    if (port_.isOpen() || !deviceLost_)
        return;
    port_.setPortName(systemDevice());
    if (!port_.open(QIODevice::ReadWrite)) {
        clearPortError();
        return; // still gone: the write below reports the closed port
    }
    deviceLost_ = false;
    try {
        applyFraming();
    } catch (...) {
        port_.close();
        deviceLost_ = true;
        throw;
    }
}

void SerialPortLine::write(const QByteArray &bytes)
{
    reopenLostDevice();
    requireOpen();
    clearPortError();
    if (port_.write(bytes) != bytes.size()) {
        const QString why = port_.errorString();
        clearPortError();
        raise(LineErrorWriteFailed, why);
    }
    // Hand the characters to the driver now: the caller may never return to an event loop.
    port_.flush();
    raisePortFailure(LineErrorWriteFailed);
}

QByteArray SerialPortLine::read()
{
    requireOpen();
    if (port_.bytesAvailable() == 0)
        takeWaiting();
    return readLength_ == 0 ? port_.readAll() : port_.read(readLength_);
}

bool SerialPortLine::waitForReadable(int msecs)
{
    return waitForCharacters(1, msecs);
}

bool SerialPortLine::waitForCharacters(int count, int msecs)
{
    requireOpen();
    if (port_.bytesAvailable() > 0)
        return true;
    setWakeCount(count);
    clearPortError();
    port_.waitForReadyRead(qMax(0, msecs));
    raisePortFailure(LineErrorReadFailed);
    return port_.bytesAvailable() >= qMax(1, count);
}

void SerialPortLine::forgetWakeSettings()
{
    // Opening sets VMIN to 0 and the port's setters keep what they find: the next wait sets
    // it whatever it is.
    wakeCount_ = 0;
#if defined(Q_OS_LINUX)
    wakeTermiosRead_ = false;
#endif
}

void SerialPortLine::setWakeCount(int count)
{
#if defined(Q_OS_LINUX)
    count = std::clamp(count, 1, 255);
    if (count == wakeCount_ || !port_.isOpen())
        return;
    const int fd = static_cast<int>(port_.handle());
    if (!wakeTermiosRead_ && ::tcgetattr(fd, &wakeTermios_) != 0)
        return;
    wakeTermiosRead_ = true;
    wakeTermios_.c_cc[VMIN] = static_cast<cc_t>(count);
    wakeTermios_.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &wakeTermios_) == 0)
        wakeCount_ = count;
#else
    (void)count;
#endif
}

bool SerialPortLine::waitForWritten(int msecs)
{
    requireOpen();
    QElapsedTimer clock;
    clock.start();
    if (port_.bytesToWrite() > 0) {
        clearPortError();
        port_.waitForBytesWritten(qMax(0, msecs));
        raisePortFailure(LineErrorWriteFailed);
    }
    const int queued = driverOutWaiting();
    if (port_.bytesToWrite() > 0 || queued == 0)
        return outWaiting() == 0;
    // The driver's queue gives no wake-up of its own: sleep for the time its characters take
    // on the line (10 bits each), within what is left of the wait.
    const qint64 left = msecs - clock.elapsed();
    if (left > 0) {
        const qint32 baud = qMax(1, port_.baudRate());
        const qint64 lineMs = static_cast<qint64>(queued) * 10 * 1000 / baud + 1;
        QThread::msleep(static_cast<unsigned long>(qMin(left, lineMs)));
    }
    return outWaiting() == 0;
}

} // namespace tobrel
