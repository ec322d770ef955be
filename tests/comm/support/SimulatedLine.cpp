#include "SimulatedLine.h"

#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Protocol.h"
#include "PtyServer.h"
#include "Line.h"
#include "STDComm.h"

#include <QTest>

RequestFrame parseFrame(const std::string &frame)
{
    RequestFrame f;
    if (frame.size() < 11)
        return f;
    f.block = tobrel::BlockOfAddress(frame[1]);
    f.command = frame[3];
    f.item = QString::fromLatin1(frame.substr(4, 4).c_str());
    f.data = QString::fromLatin1(frame.substr(8, frame.size() - 11).c_str());
    return f;
}

// The frame the program must send for these fields: STX, address, sub-address 0x20, command
// type, item, data, checksum, ETX.
static std::string soundFrame(const RequestFrame &f)
{
    if (f.block < 0)
        return {};
    return tobrel::MakeFrame(std::string(1, tobrel::BlockAddress(f.block)), " ", std::string(1, f.command),
                             f.item.toStdString(), f.data.toStdString());
}

QStringList frameSummary(const std::vector<std::string> &frames)
{
    QStringList out;
    for (const std::string &frame : frames) {
        const RequestFrame f = parseFrame(frame);
        // Any byte out of place (sub-address, checksum, STX, ETX) shows the whole frame.
        if (soundFrame(f) != frame) {
            out << QStringLiteral("bad ") + QString::fromLatin1(QByteArray::fromStdString(frame).toHex(' '));
            continue;
        }
        const QString kind = f.command == 0x22 ? QStringLiteral("R") : f.command == 0x52 ? QStringLiteral("W") : QStringLiteral("?");
        out << QStringLiteral("%1 %2 %3").arg(kind).arg(f.block).arg(f.item);
    }
    return out;
}

SimulatedLine::SimulatedLine(sim::DeviceModel model, int baud, bool live)
{
    model.setLive(live);
    sim::ServeOptions options;
    options.baud = baud;
    server_ = std::make_unique<sim::PtyServer>(std::move(model), options);
}

SimulatedLine::~SimulatedLine()
{
    server_->stop();
    qunsetenv("PLM870_COM1");
}

bool SimulatedLine::start()
{
    std::string error;
    if (!server_->start(&error)) {
        qWarning("simulator: %s", error.c_str());
        return false;
    }
    qputenv("PLM870_COM1", QByteArray::fromStdString(server_->slavePath()));
    return true;
}

std::vector<std::string> SimulatedLine::frames() const
{
    return server_->receivedFrames();
}

void SimulatedLine::clear()
{
    server_->clearReceived();
}

void SimulatedLine::driveDeadlineOf(tobrel::STDComm &link)
{
    // Far beyond any time-out the link is given.
    constexpr qint64 kSilenceMs = 1000000;
    sim::PtyServer *server = server_.get();
    link.setMillisecondClock([server] { return qint64(server->unansweredFrames()) * kSilenceMs; });
}

void runOnLink(MonitorComm &comm, const std::function<void(tobrel::STDComm &)> &f)
{
    bool done = false;
    comm.configureLink(f, [&done] { done = true; });
    // Far beyond what any set-up takes: a hung line fails the test instead of hanging it.
    QVERIFY2(QTest::qWaitFor([&done] { return done; }, 120000), "the link did not take its set-up");
}

bool waitUntilIdle(MonitorComm &comm)
{
    return QTest::qWaitFor([&comm] { return !comm.busy(); }, 120000);
}

std::unique_ptr<MonitorComm> connectedComm(SimulatedLine &line, RecordingLinkView &view, int timeOutMs)
{
    // Frames are counted tick by tick: the link lives on this thread.
    auto comm = std::make_unique<MonitorComm>(std::unique_ptr<tobrel::Line>());
    comm->setView(&view);
    tobrel::STDComm &link = comm->PLMCom();
    link.setPort(QStringLiteral("COM1"));
    link.setBaudRate(QStringLiteral("9600"));
    if (!link.PortOpen())
        return nullptr;
    link.setEventsCheck(true);
    link.setTimeOut(timeOutMs > 0 ? timeOutMs : 300);
    line.driveDeadlineOf(link);
    line.clear();
    return comm;
}

sim::DeviceModel presentBlocks(std::initializer_list<int> present)
{
    sim::DeviceModel m;
    for (int b : present) {
        m.block(b).present = true;
        m.block(b).connected.fill(1);
    }
    return m;
}

void markPresent(std::initializer_list<int> present)
{
    PLM_INC::BlockAbsent.fill(1);
    for (int b : present)
        PLM_INC::BlockAbsent[b] = 0;
    PLM_INC::LinkRequest = 1;
    PLM_INC::PollBlock = 0;
    PLM_INC::PollItem = 0;
}
