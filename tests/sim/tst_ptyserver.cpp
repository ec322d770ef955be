// The simulator on a pseudo-terminal, seen from a client that opens the slave like a serial port.
#include "PtyServer.h"
#include "SimClient.h"
#include "SimTestFrames.h"

#include <QtTest>

#include <chrono>
#include <fstream>

using namespace simtest;
using sim::DeviceModel;
using sim::PtyServer;

namespace {

using Clock = std::chrono::steady_clock;

DeviceModel frozenModel()
{
    DeviceModel m = DeviceModel::allBlocks(2);
    m.setLive(false);
    for (int ch = 0; ch < 20; ++ch)
        m.value(0, "0080", ch) = static_cast<int16_t>(100 + ch);
    return m;
}

sim::ServeOptions unpaced()
{
    return {};
}

} // namespace

class TestPtyServer : public QObject {
    Q_OBJECT

private slots:
    void answersFramesAndRecordsThem()
    {
        const QTemporaryDir dir;
        sim::ServeOptions options = unpaced();
        options.tracePath = dir.filePath("trace.txt").toStdString();
        PtyServer server(frozenModel(), options);
        std::string error;
        QVERIFY2(server.start(&error), error.c_str());
        Client client(server.slavePath());
        QVERIFY(client.ok());

        DeviceModel expected = frozenModel();
        client.send("noise" + readFrame(0, "0080"));           // bytes before STX are dropped
        QCOMPARE(client.readReply(), expected.handleFrame(readFrame(0, "0080")));
        client.send(readFrame(7, "0080"));                     // absent block: silence
        client.send(writeFrame(1, "0001", twenty(250)));
        QCOMPARE(client.readReply(), expected.handleFrame(writeFrame(1, "0001", twenty(250))));
        server.withModel([](DeviceModel &m) { QCOMPARE(m.value(1, "0001", 19), int16_t(250)); });

        const std::vector<std::string> frames = server.receivedFrames();
        QCOMPARE(frames.size(), size_t(3));
        QCOMPARE(frames[0], readFrame(0, "0080"));
        QCOMPARE(frames[1], readFrame(7, "0080"));
        server.stop();

        std::ifstream trace(options.tracePath);
        std::string line;
        QVERIFY(std::getline(trace, line));
        QCOMPARE(line, "<STX>  \"0080" + tobrel::MakeCheckSum("  \"0080") + "<ETX>");
        int lines = 1;
        while (std::getline(trace, line))
            ++lines;
        QCOMPARE(lines, 3);

        server.clearReceived();
        QVERIFY(server.receivedFrames().empty());
    }

    void clientMayCloseAndReopen()
    {
        PtyServer server(frozenModel(), unpaced());
        QVERIFY(server.start());
        {
            Client first(server.slavePath());
            first.send(readFrame(0, "0083"));
            QVERIFY(!first.readReply().empty());
        }
        Client second(server.slavePath());
        second.send(readFrame(1, "00A0"));
        const std::string reply = second.readReply();
        QCOMPARE(reply.substr(0, 8), std::string("\x06! \"00A0"));
        QVERIFY(checksumOk(reply));
    }

    void injectedFaults()
    {
        PtyServer server(frozenModel(), unpaced());
        QVERIFY(server.start());
        Client client(server.slavePath());
        const std::string good = frozenModel().handleFrame(readFrame(0, "0080"));

        sim::Faults faults;
        faults.badChecksum = 1;
        server.setFaults(faults);
        client.send(readFrame(0, "0080"));
        std::string reply = client.readReply();
        QCOMPARE(reply.size(), good.size());
        QVERIFY(!checksumOk(reply));
        QCOMPARE(tobrel::CheckReply(reply), std::string(1, tobrel::ESC));

        faults = {};
        faults.nak = 1;
        server.setFaults(faults);
        client.send(readFrame(0, "0080"));
        QCOMPARE(client.readReply(), std::string("\x15  \"0080") + tobrel::MakeCheckSum("  \"0080") + "\x03");

        faults = {};
        faults.stray = 1;
        server.setFaults(faults);
        client.send(readFrame(0, "0080"));
        QCOMPARE(client.readReply(), good);
        QVERIFY(client.raw().size() > good.size());
        QCOMPARE(client.raw().substr(client.raw().size() - good.size()), good);
    }

    void droppedAndLateReplies()
    {
        PtyServer server(frozenModel(), unpaced());
        QVERIFY(server.start());
        Client client(server.slavePath());

        sim::Faults faults;
        faults.drop = 1;
        server.setFaults(faults);
        client.send(readFrame(0, "0080"));
        QTRY_COMPARE(server.receivedFrames().size(), size_t(1));   // its fate is decided on arrival
        QCOMPARE(server.unansweredFrames(), size_t(1));
        server.setFaults({});
        client.send(readFrame(0, "0083"));   // answered in order: the first reply to arrive is this one's
        QCOMPARE(client.readReply().substr(4, 4), std::string("0083"));
        QCOMPARE(server.unansweredFrames(), size_t(1));
        client.send(readFrame(9, "0080"));   // an absent block
        QTRY_COMPARE(server.unansweredFrames(), size_t(2));

        faults = {};
        faults.late = 1;
        faults.lateMs = 300;
        server.setFaults(faults);
        const auto start = Clock::now();
        client.send(readFrame(0, "0080"));
        QVERIFY(!client.readReply().empty());
        QVERIFY(Clock::now() - start >= std::chrono::milliseconds(300));
    }

    void faultsRepeatWithTheSeed()
    {
        auto pattern = [] {
            sim::ServeOptions options = unpaced();
            options.faults.nak = 0.5;
            options.faults.seed = 7;
            PtyServer server(frozenModel(), options);
            if (!server.start())
                return QString("no pty");
            Client client(server.slavePath());
            QString seen;
            for (int i = 0; i < 16; ++i) {
                client.send(readFrame(0, "0080"));
                const std::string reply = client.readReply();
                seen += reply.empty() ? '-' : reply[0] == tobrel::ACK ? 'A' : 'N';
            }
            return seen;
        };
        const QString first = pattern();
        QVERIFY(first.contains('N'));
        QVERIFY(first.contains('A'));
        QVERIFY(!first.contains('-'));
        QCOMPARE(pattern(), first);
    }

    void pacedReadTakesItsLineTime()
    {
        sim::ServeOptions options;
        options.baud = 9600;
        PtyServer server(frozenModel(), options);
        QVERIFY(server.start());
        Client client(server.slavePath());
        const auto start = Clock::now();
        client.send(readFrame(0, "0080"));
        const std::string reply = client.readReply();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        QCOMPARE(reply.size(), size_t(91));
        // 11 request and 91 reply characters of 10 bits at 9600 baud: 106 ms at the least.
        QVERIFY2(elapsed >= 100, qPrintable(QString::number(elapsed)));
    }
};

QTEST_GUILESS_MAIN(TestPtyServer)
#include "tst_ptyserver.moc"
