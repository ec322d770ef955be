#include "STDComm.h"

#include "Line.h"
#include "PortChecks.h"
#include "PortDevices.h"
#include "Protocol.h"
#include "ReplyPace.h"
#include "SerialPortLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace tobrel {

namespace {

// While a transaction waits with EventsCheck false, the host's events run at least this often.
constexpr int kYieldSliceMs = 10;
// How long PortClose lets the transmit buffer drain before it closes anyway.
constexpr int kDrainBoundMs = 2000;
constexpr int kDrainSliceMs = 50;

std::string toWire(const QString &text)
{
    return text.toLatin1().toStdString();
}

QString fromWire(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void yieldToHost()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

// "COM1".."COM8" go to the line by number, a device name as it stands; anything else is
// refused with 30001.
void selectLinePort(Line &line, const QString &port)
{
    if (IsDeviceName(port)) {
        line.setDeviceName(port);
        return;
    }
    line.setPortNumber(PortNumber(port));
    line.setDeviceName(QString());
}

// The line takes its sizes as 16-bit integers; the field keeps what was given either way.
int toLineInteger(qint32 value)
{
    if (value > 32767 || value < -32768)
        throw CommError(LineErrorOverflow, QStringLiteral("Overflow"));
    return value;
}

} // namespace

// Private to the library: not part of its interface.
struct Q_DECL_HIDDEN STDComm::Impl {
    std::unique_ptr<Line> line;
    MessageHandler messageHandler;

    bool bSuccessFlag = false;
    QString port = QStringLiteral("COM1");
    QString baudRate = QStringLiteral("9600");
    QString dataBit = QStringLiteral("7");
    QString pality = QStringLiteral("EVEN");
    QString stopBit = QStringLiteral("1");
    QString flow = QStringLiteral("NONE");
    qint32 inputBufSize = 1024;
    qint32 outputBufSize = 512;
    QString inputBuffer;
    QString outputBuffer;
    qint32 timeOut = 100;
    QString recvError;
    qint32 rThreshold = 4;
    bool eventsCheck = false;

    MillisecondClock clock;
    QElapsedTimer steady;
    ReplyPace pace;

    qint64 nowMs() const { return clock ? clock() : steady.elapsed(); }
    QString SendRecv(const std::string &frame, const std::string &shape);
    void showMessage(const QString &text) const;
};

// One attempt: write the frame, then collect the reply one character per pass until it is
// complete or the deadline passes. The wait for the next character blocks in the line. shape:
// what the reply's length depends on (ReplyPace::requestShape).
QString STDComm::Impl::SendRecv(const std::string &frame, const std::string &shape)
{
    line->setReadLength(1);
    const qint64 deadline = nowMs() + timeOut;

    outputBuffer = fromWire(frame);
    line->write(QByteArray(frame.data(), static_cast<qsizetype>(frame.size())));

    // Each pass reads one character or waits. A line the host gave wakes for every character
    // (the wait returns at once while characters are still held). The library's own port is
    // read dry first, then waits for as many characters as are certain to come, for as long
    // as they take on the line, so a reply costs a few wake-ups. A wait that ends short while
    // the reply was still coming (a peer slower than the line, a busy machine) waits again
    // for the rest the same way; once a wait ends with nothing new, the rest of the reply is
    // waited for character by character.
    SerialPortLine *const port = eventsCheck ? dynamic_cast<SerialPortLine *>(line.get()) : nullptr;
    bool paced = port != nullptr;
    bool restSleptFor = false;
    const qint64 sentUs = steady.nsecsElapsed() / 1000;
    ReplyAssembler reply;
    for (;;) {
        if (!eventsCheck)
            yieldToHost();
        const bool held = line->inWaiting() > 0;
        if (held) {
            const QByteArray c = line->read();
            if (!c.isEmpty() && reply.feed(c.at(0)))
                break;
        }
        const qint64 remaining = deadline - nowMs();
        if (remaining <= 0)
            return {};
        if (held && paced)
            continue;
        const qint64 slice = eventsCheck ? remaining : std::min<qint64>(remaining, kYieldSliceMs);
        const int toCome = paced ? pace.charactersToCome(shape, reply) : 1;
        if (toCome <= 1) {
            line->waitForReadable(static_cast<int>(slice));
            continue;
        }
        if (reply.started() && !restSleptFor) {
            // A reply whose characters came no faster than the line carries them goes on at
            // that pace: one sleep for most of the time the rest takes, instead of a wake-up
            // for each burst of it; the wait below takes the last of it as it comes. A peer
            // that answers faster (a simulator may) is not slept for.
            restSleptFor = true;
            const qint64 sleepUs = pace.lineMicros(toCome) * 7 / 8;
            const bool atLinePace = steady.nsecsElapsed() / 1000 - sentUs >= pace.lineMicros(int(reply.text().size()));
            if (atLinePace && sleepUs < slice * 1000)
                std::this_thread::sleep_for(std::chrono::microseconds(sleepUs));
        }
        // Before the reply starts, the request itself is still on its way out.
        const int onLine = toCome + (reply.started() ? 0 : static_cast<int>(frame.size()));
        const bool whole = port->waitForCharacters(toCome, static_cast<int>(std::min(slice, pace.lineMs(onLine))));
        paced = whole || line->inWaiting() > 0;
    }
    const std::string checked = CheckReply(reply.text());
    pace.learn(shape, checked);
    return fromWire(checked);
}

void STDComm::Impl::showMessage(const QString &text) const
{
    if (messageHandler) {
        messageHandler(text);
        return;
    }
    std::fputs(text.toUtf8().append('\n').constData(), stderr);
}

STDComm::STDComm(std::unique_ptr<Line> line) : d(std::make_unique<Impl>())
{
    d->steady.start();
    d->line = line ? std::move(line) : std::make_unique<SerialPortLine>();
    d->line->setReadLength(0);
    d->line->setReceiveThreshold(d->rThreshold);
}

STDComm::~STDComm() = default;

void STDComm::setMessageHandler(MessageHandler handler)
{
    d->messageHandler = std::move(handler);
}

void STDComm::setMillisecondClock(MillisecondClock clock)
{
    d->clock = std::move(clock);
}

bool STDComm::BSuccessFlag() const { return d->bSuccessFlag; }
void STDComm::setBSuccessFlag(bool value) { d->bSuccessFlag = value; }

QString STDComm::RWcomm(const QString &StrAddr, const QString &StrSubAddr, const QString &StrCmdType,
                        const QString &StrItem, const QString &StrData, qint16 Inttry)
{
    const std::string frame = MakeFrame(toWire(StrAddr), toWire(StrSubAddr), toWire(StrCmdType),
                                        toWire(StrItem), toWire(StrData));
    const std::string shape = ReplyPace::requestShape(toWire(StrSubAddr), toWire(StrCmdType), toWire(StrItem), toWire(StrData));
    QString result;
    for (int attempts = Inttry; attempts >= 1; --attempts) {
        result = d->SendRecv(frame, shape);
        const bool answered = !result.isEmpty() && result != QLatin1Char(ESC);
        if (answered)
            break;
    }
    return result;
}

void STDComm::RecvBufClear() { d->line->clearInBuffer(); }
void STDComm::SendBufClear() { d->line->clearOutBuffer(); }

void STDComm::PortClose()
{
    Line &line = *d->line;
    if (!line.isOpen())
        return;
    try {
        if (line.outWaiting() > 0) {
            line.write(d->outputBuffer.toLatin1());
            QElapsedTimer clock;
            clock.start();
            for (;;) {
                yieldToHost();
                if (line.outWaiting() == 0)
                    break;
                const qint64 left = kDrainBoundMs - clock.elapsed();
                if (left <= 0)
                    break;
                line.waitForWritten(static_cast<int>(std::min<qint64>(left, kDrainSliceMs)));
            }
        }
    } catch (...) {
        line.close();
        throw;
    }
    line.close();
}

void STDComm::setOutputBuffer(const QString &value) { d->outputBuffer = value; }
QString STDComm::OutputBuffer() const { return d->outputBuffer; }

QString STDComm::InputBuffer()
{
    d->inputBuffer = QString::fromLatin1(d->line->read());
    return d->inputBuffer;
}

void STDComm::setRecvError(const QString &value) { d->recvError = value; }
QString STDComm::RecvError() const { return d->recvError; }

void STDComm::setTimeOut(qint32 ms) { d->timeOut = ms; }
qint32 STDComm::timeOutMs() const { return d->timeOut; }

void STDComm::setOutputBufSize(qint32 size)
{
    d->outputBufSize = size;
    d->line->setOutBufferSize(toLineInteger(size));
}

qint32 STDComm::OutputBufSize()
{
    d->outputBufSize = d->line->outBufferSize();
    return d->outputBufSize;
}

void STDComm::setInputBufSize(qint32 size)
{
    d->inputBufSize = size;
    d->line->setInBufferSize(toLineInteger(size));
}

qint32 STDComm::InputBufSize()
{
    d->inputBufSize = d->line->inBufferSize();
    return d->inputBufSize;
}

void STDComm::setFlow(const QString &value)
{
    d->flow = value;
    d->line->setHandshaking(FlowCode(value));
}

QString STDComm::Flow()
{
    d->flow = FlowName(d->line->handshaking());
    return d->flow;
}

void STDComm::setStopBit(const QString &value) { d->stopBit = value; }
QString STDComm::StopBit() const { return d->stopBit; }
void STDComm::setPality(const QString &value) { d->pality = value; }
QString STDComm::Pality() const { return d->pality; }
void STDComm::setDataBit(const QString &value) { d->dataBit = value; }
QString STDComm::DataBit() const { return d->dataBit; }
void STDComm::setBaudRate(const QString &value) { d->baudRate = value; }
QString STDComm::BaudRate() const { return d->baudRate; }

void STDComm::setRThreshold(qint32 value)
{
    d->rThreshold = value;
    d->line->setReceiveThreshold(toLineInteger(value));
}

qint32 STDComm::RThreshold()
{
    d->rThreshold = d->line->receiveThreshold();
    return d->rThreshold;
}

qint32 STDComm::CommID() const { return d->line->handle(); }

bool STDComm::PortOpen()
{
    Line &line = *d->line;
    try {
        if (line.isOpen())
            line.close();
        selectLinePort(line, d->port);
        const QString baud = BaudText(d->baudRate);
        const QString parity = ParityLetter(d->pality);
        const QString data = DataBitText(d->dataBit);
        const QString stop = StopBitText(d->stopBit);
        const int flow = FlowCode(d->flow);
        line.setSettings(baud + QLatin1Char(',') + parity + QLatin1Char(',') + data + QLatin1Char(',') + stop);
        line.setHandshaking(flow);
        if (!line.isOpen())
            line.open();
        // Start bit, data bits, a parity bit unless there is none, stop bits.
        d->pace.setFraming(baud.toInt(), 1 + data.toInt() + (parity == QLatin1String("N") ? 0 : 1) + stop.toInt());
        if (line.cts() != Line::Cts::Low)
            return true;
        d->showMessage(QString::fromUtf8(PortOpenRefusedMessage));
        line.close();
        return false;
    } catch (const std::exception &) {
        try {
            line.close();
        } catch (const std::exception &) {
            // The port is being given up; a failing close changes nothing for the caller.
        }
        RaisePortSettingError(ErrorOpenFailed);
    }
}

void STDComm::setPort(const QString &value)
{
    selectLinePort(*d->line, value);
    d->port = value;
}

QString STDComm::Port()
{
    const QString device = d->line->deviceName();
    d->port = device.isEmpty() ? QStringLiteral("COM%1").arg(d->line->portNumber()) : device;
    return d->port;
}

QString STDComm::GetNData(const QString &StrRecv, qint16 n) const
{
    return fromWire(tobrel::GetNData(toWire(StrRecv), n));
}

qint16 STDComm::isDataNum(const QString &StrRecv) const
{
    return static_cast<qint16>(tobrel::isDataNum(toWire(StrRecv)));
}

bool STDComm::EventsCheck() const { return d->eventsCheck; }
void STDComm::setEventsCheck(bool value) { d->eventsCheck = value; }

} // namespace tobrel
