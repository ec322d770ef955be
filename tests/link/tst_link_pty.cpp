// Real bytes: STDComm on its serial port line, the simulator on the other end of a
// pseudo-terminal (COM1 names the simulator's device through PLM870_COM1).
#include "PtyServer.h"
#include "Replies.h"
#include "STDComm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <thread>
#include <unistd.h>

using tobrel::ACK;
using tobrel::ESC;
using tobrel::NAK;
using tobrel::STDComm;

namespace {
const std::string kProbeFrame("\x02\x20\x20\x22\x30\x30\x41\x30\x43\x44\x03", 11);

// The far end of a pseudo-terminal answering each request with the next reply given, in the
// pieces given, a pause before each piece.
class ScriptedPeer {
public:
    struct Piece {
        QByteArray bytes;
        int pauseMs;
    };
    explicit ScriptedPeer(std::vector<std::vector<Piece>> replies) : replies_(std::move(replies))
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            qputenv("PLM870_COM1", ::ptsname(master_));
        thread_ = std::thread([this] { answer(); });
    }
    ~ScriptedPeer()
    {
        stop_ = true;
        thread_.join();
        ::close(master_);
    }

private:
    void answer()
    {
        size_t next = 0;
        while (!stop_ && next < replies_.size()) {
            pollfd p{master_, POLLIN, 0};
            char c = 0;
            if (::poll(&p, 1, 20) <= 0 || ::read(master_, &c, 1) != 1 || c != tobrel::ETX)
                continue;
            for (const Piece &piece : replies_[next++]) {
                std::this_thread::sleep_for(std::chrono::milliseconds(piece.pauseMs));
                (void)!::write(master_, piece.bytes.constData(), size_t(piece.bytes.size()));
            }
        }
    }

    std::vector<std::vector<Piece>> replies_;
    int master_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
} // namespace

class LinkPtyTest : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::PtyServer> server;
    std::unique_ptr<STDComm> link;

    void serve(int baud)
    {
        link.reset();
        server.reset();
        sim::DeviceModel model = sim::DeviceModel::allBlocks(2);
        model.setLive(false);
        sim::ServeOptions options;
        options.baud = baud;
        server = std::make_unique<sim::PtyServer>(std::move(model), options);
        std::string error;
        QVERIFY2(server->start(&error), error.c_str());
        qputenv("PLM870_COM1", QByteArray::fromStdString(server->slavePath()));
        link = std::make_unique<STDComm>();
        link->setPort(QStringLiteral("COM1"));
        link->setTimeOut(300);
        link->setEventsCheck(true);
        QVERIFY(link->PortOpen());
    }

    QString read(int block, const QString &item, qint16 tries = 1)
    {
        return link->RWcomm(QString(QChar(32 + block)), QStringLiteral(" "), QStringLiteral("\""), item, QString(),
                            tries);
    }

private slots:
    void cleanup()
    {
        link.reset();
        server.reset();
        qunsetenv("PLM870_COM1");
    }

    void probeFrameOnTheLine()
    {
        serve(0);
        const QString reply = read(0, QStringLiteral("00A0"));
        QCOMPARE(server->receivedFrames(), std::vector<std::string>{kProbeFrame});
        QVERIFY(reply.startsWith(QChar(ACK)));
        QCOMPARE(link->isDataNum(reply), qint16(20));
        QVERIFY(link->CommID() >= 0);
    }

    void blockReadCarriesTheControllerValues_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("unpaced") << 0;
        QTest::newRow("9600") << 9600;
        QTest::newRow("19200") << 19200;
    }

    void blockReadCarriesTheControllerValues()
    {
        QFETCH(int, baud);
        serve(baud);
        server->withModel([](sim::DeviceModel &m) {
            m.value(1, "0080", 0) = 1234;
            m.value(1, "0080", 19) = -5;
        });
        const QString reply = read(1, QStringLiteral("0080"));
        QCOMPARE(reply.size(), 91);
        QCOMPARE(reply.at(0), QChar(ACK));
        QCOMPARE(reply.at(1), QChar(33));
        QCOMPARE(link->GetNData(reply, 1), QStringLiteral("04D2"));
        QCOMPARE(link->GetNData(reply, 20), QStringLiteral("FFFB"));
        // Nothing of the reply is left behind.
        QCOMPARE(link->InputBuffer(), QString());
    }

    void writeIsAnsweredWithoutData()
    {
        serve(0);
        QString data;
        for (int i = 0; i < 20; ++i)
            data += QString::fromStdString(tobrel::EncodeValue(static_cast<int16_t>(i * 10)));
        const QString reply = link->RWcomm(QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("R"),
                                           QStringLiteral("0001"), data, 1);
        QVERIFY(reply.startsWith(QChar(ACK)));
        QCOMPARE(link->isDataNum(reply), qint16(0));
        QCOMPARE(link->GetNData(read(0, QStringLiteral("0001")), 3), QStringLiteral("0014"));
    }

    void strayCharactersBeforeTheAckAreDropped()
    {
        serve(9600);
        sim::Faults faults;
        faults.stray = 1;
        server->setFaults(faults);
        const QString reply = read(0, QStringLiteral("0080"));
        QCOMPARE(reply.size(), 91);
        QCOMPARE(reply.at(0), QChar(ACK));
    }

    void badChecksumIsRetriedThenGivesEsc()
    {
        serve(0);
        sim::Faults faults;
        faults.badChecksum = 1;
        server->setFaults(faults);
        QCOMPARE(read(0, QStringLiteral("0080"), 2), QString(QChar(ESC)));
        QCOMPARE(server->receivedFrames().size(), size_t(2));

        // A good reply on the next call.
        server->setFaults(sim::Faults{});
        QCOMPARE(read(0, QStringLiteral("0080"), 1).size(), 91);
    }

    void nakIsReturnedAfterOneAttempt()
    {
        serve(0);
        sim::Faults faults;
        faults.nak = 1;
        server->setFaults(faults);
        const QString reply = read(0, QStringLiteral("0080"), 3);
        QVERIFY(reply.startsWith(QChar(NAK)));
        QCOMPARE(server->receivedFrames().size(), size_t(1));
    }

    void silentBlockCostsThreeTimeOuts()
    {
        serve(0);
        link->setTimeOut(100);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(read(5, QStringLiteral("0080"), 3), QString());
        QVERIFY2(clock.elapsed() >= 250, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(server->receivedFrames().size(), size_t(3));
    }

    void noAttemptSendsNothing()
    {
        serve(0);
        QCOMPARE(read(0, QStringLiteral("0080"), 0), QString());
        QTest::qWait(50);
        QVERIFY(server->receivedFrames().empty());
    }

    void aLateReplyIsReadByTheNextCall()
    {
        serve(0);
        link->setTimeOut(100);
        sim::Faults faults;
        faults.late = 1;
        faults.lateMs = 150;
        server->setFaults(faults);
        QCOMPARE(read(0, QStringLiteral("0080"), 1), QString());
        QTest::qWait(150);
        server->setFaults(sim::Faults{});
        // The late reply is waiting and is taken first; its own request's reply follows it.
        QCOMPARE(read(0, QStringLiteral("0080"), 1).size(), 91);
        QString next;
        QElapsedTimer clock;
        clock.start();
        while (next.isEmpty() && clock.elapsed() < 2000) {
            QTest::qWait(10);
            next = link->InputBuffer();
        }
        QCOMPARE(next, QStringLiteral("\x06"));
    }

    // The link waits for as many characters as the last reply to the same request had; a
    // reply that falls short of that still comes back whole, and one longer than it too.
    void repliesOfAnotherLengthThanTheLastAreTakenWhole()
    {
        const QByteArray full = replyBytes(ACK, readReplyBody());
        const QByteArray shorter = replyBytes(ACK, "  \"00800001");
        const QByteArray longer = replyBytes(ACK, readReplyBody() + "0001");
        // A reply's length is learnt for the request whichever block it went to: another
        // block's shorter reply to it is taken whole too.
        const QByteArray otherBlock = replyBytes(ACK, "! \"00800001");
        ScriptedPeer peer({{{full, 0}},
                           {{shorter.left(12), 5}, {shorter.mid(12), 40}},
                           {{longer.left(12), 5}, {longer.mid(12), 40}},
                           {{otherBlock.left(12), 5}, {otherBlock.mid(12), 40}}});
        link = std::make_unique<STDComm>();
        link->setPort(QStringLiteral("COM1"));
        link->setTimeOut(1000);
        link->setEventsCheck(true);
        QVERIFY(link->PortOpen());
        QCOMPARE(read(0, QStringLiteral("0080")), text(full));
        QCOMPARE(read(0, QStringLiteral("0080")), text(shorter));
        QCOMPARE(read(0, QStringLiteral("0080")), text(longer));
        QCOMPARE(read(1, QStringLiteral("0080")), text(otherBlock));
    }

    void hostEventsRunDuringTheWaitWithEventsCheckFalse()
    {
        serve(9600);
        link->setEventsCheck(false);
        bool ranDuringWait = false;
        QTimer::singleShot(20, this, [&] { ranDuringWait = server->receivedFrames().size() == 1; });
        QCOMPARE(read(0, QStringLiteral("0080")).size(), 91);
        QVERIFY(ranDuringWait);
    }

    void aVanishedPeerEndsTheCallWithALineError()
    {
        serve(0);
        QCOMPARE(read(0, QStringLiteral("0080")).size(), 91);
        server->stop();
        try {
            read(0, QStringLiteral("0080"), 3);
            QFAIL("no error from a line without its peer");
        } catch (const tobrel::CommError &e) {
            QVERIFY2(e.number() == tobrel::LineErrorReadFailed || e.number() == tobrel::LineErrorWriteFailed,
                     qPrintable(QString::number(e.number())));
        }
        // The vanished device is closed, so its hang-up no longer wakes the event loop.
        QCOMPARE(link->CommID(), -1);
    }

    // An adapter unplugged and plugged back in: while it is gone every call fails at once;
    // when its device is there again the next call opens it and the controller answers.
    void aDeviceThatComesBackIsOpenedAgainByTheNextCall()
    {
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("com1"));
        auto plugIn = [&](sim::PtyServer &s) {
            QFile::remove(device);
            QVERIFY(QFile::link(QString::fromStdString(s.slavePath()), device));
        };
        auto makeServer = [] {
            sim::DeviceModel model = sim::DeviceModel::allBlocks(1);
            model.setLive(false);
            return std::make_unique<sim::PtyServer>(std::move(model), sim::ServeOptions{});
        };
        server = makeServer();
        QVERIFY(server->start());
        plugIn(*server);
        qputenv("PLM870_COM1", device.toLocal8Bit());
        link = std::make_unique<STDComm>();
        link->setTimeOut(300);
        link->setEventsCheck(true);
        QVERIFY(link->PortOpen());
        QCOMPARE(read(0, QStringLiteral("0080")).size(), 91);

        // Unplugged: the device goes, and with it the link to it (as a by-id link does). The
        // system tells the port of the hang-up in its own time; once a call has failed, every
        // further call fails at once.
        server.reset();
        QFile::remove(device);
        bool failed = false;
        for (int call = 0; call < 50 && !failed; ++call) {
            try {
                read(0, QStringLiteral("0080"));
            } catch (const tobrel::CommError &) {
                failed = true;
            }
        }
        QVERIFY(failed);
        QVERIFY_THROWS_EXCEPTION(tobrel::CommError, read(0, QStringLiteral("0080")));
        QCOMPARE(link->CommID(), -1);

        server = makeServer(); // plugged back in
        QVERIFY(server->start());
        plugIn(*server);
        QCOMPARE(read(0, QStringLiteral("0080")).size(), 91);
        QVERIFY(link->CommID() >= 0);

        // A port the host closed itself stays closed.
        link->PortClose();
        QVERIFY_THROWS_EXCEPTION(tobrel::CommError, read(0, QStringLiteral("0080")));
    }

    void closeAndReopen()
    {
        serve(0);
        link->PortClose();
        QCOMPARE(link->CommID(), -1);
        QVERIFY(link->PortOpen());
        QCOMPARE(read(0, QStringLiteral("0080")).size(), 91);
    }

    void aMissingDeviceFailsTheOpen()
    {
        qputenv("PLM870_COM2", "/nonexistent/tty");
        STDComm missing;
        missing.setPort(QStringLiteral("COM2"));
        try {
            missing.PortOpen();
            QFAIL("opened a missing device");
        } catch (const tobrel::CommError &e) {
            QCOMPARE(e.number(), 30019);
        }
        qunsetenv("PLM870_COM2");
    }
};

QTEST_GUILESS_MAIN(LinkPtyTest)
#include "tst_link_pty.moc"
