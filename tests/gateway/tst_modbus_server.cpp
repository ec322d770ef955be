// The Modbus server's hold on its clients, over real sockets on its own clock: a request must
// be whole within the frame limit from its first byte, a client that asks nothing goes after
// the idle limit, a closed connection frees its slot at once, one address holds half the slots.
#include "ModbusServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace modbus;

namespace {
const QByteArray kRequest("\x00\x01\x00\x00\x00\x06\x01\x04\x00\x00\x00\x01", 12);

// A client from a loopback address of its own (127.0.0.x).
struct Peer : QTcpSocket {
    Peer(const char *from, quint16 port) { bind(QHostAddress(QLatin1String(from))), connectToHost(QHostAddress::LocalHost, port); }
    // The answer's length, 0 when the server closed the connection, -1 after 10 s (a limit only).
    int await() { return QTest::qWaitFor([this] { return bytesAvailable() >= 11 || state() == UnconnectedState; }, 10000) ? int(readAll().size()) : -1; }
    int ask() { return write(kRequest), await(); }
};
} // namespace

class TestModbusServer : public QObject {
    Q_OBJECT
    qint64 now_ = 0;
    ModbusServer server_{[](int) { return BlockState(BlockLink::Live); }};
    const quint16 port_ = [] { QTcpServer probe; return probe.listen(QHostAddress::LocalHost, 0), probe.serverPort(); }();

private slots:
    void initTestCase()
    {
        server_.setClock([this] { return now_; });
        QVERIFY(server_.listen({QStringLiteral("127.0.0.1"), port_}, nullptr));
    }

    // Steps "ms:what": b one byte of a request, r the rest of it (a whole one if none begun),
    // k the limits checked; then the answers the client had, -1 when it was closed.
    void aClientCannotHoldItsSlot_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("answers");
        QTest::newRow("trickling a byte a second") << "0:b 1000:b 2000:b 3000:b 3001:k" << -1;
        QTest::newRow("whole within the limit") << "0:b 2999:r 3001:k" << 1;
        QTest::newRow("second request's first byte counts anew") << "0:r 5000:b 7999:k" << 1;
        QTest::newRow("asks nothing after connecting") << "0:k 60000:k 60001:k" << -1;
        QTest::newRow("asks nothing after a request") << "1000:r 61000:k 61001:k" << -1;
        QTest::newRow("asking keeps it") << "0:r 59000:r 100000:k" << 2;
    }
    void aClientCannotHoldItsSlot()
    {
        QFETCH(QString, steps);
        QFETCH(int, answers);
        QVERIFY(QTest::qWaitFor([this] { return server_.clients() == 0; }, 10000)); // the last row's client has gone
        Peer peer("127.0.0.1", port_);
        const quint64 before = server_.bytesReceived();
        int sent = 0, answered = 0;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            now_ = step.section(QLatin1Char(':'), 0, 0).toLongLong();
            QVERIFY(QTest::qWaitFor([this] { return server_.clients() == 1; }, 10000));
            if (step.endsWith(QLatin1Char('k'))) {
                server_.dropOverdueClients();
                continue;
            }
            sent += int(peer.write(kRequest.mid(sent % 12, step.endsWith(QLatin1Char('b')) ? 1 : -1)));
            QVERIFY(QTest::qWaitFor([&] { return server_.bytesReceived() == before + quint64(sent); }, 10000)); // read now
            answered += sent % 12 == 0 && peer.await() == 11;
        }
        QCOMPARE(server_.clients() == 0 ? -1 : answered, answers);
    }

    void slotsFreeAtOnceAndHalfPerAddress()
    {
        std::vector<std::unique_ptr<Peer>> held;
        for (const char *from : {"127.0.0.1", "127.0.0.1", "127.0.0.1", "127.0.0.1", "127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.3", "127.0.0.4"}) {
            held.push_back(std::make_unique<Peer>(from, port_));
            QCOMPARE(held.back()->ask(), held.size() == 5 ? 0 : 11); // the fifth from one address is refused
        }
        QCOMPARE(Peer("127.0.0.5", port_).ask(), 0); // the ninth: refused, at once
        held.clear(); // every slot is free at once, whether the server has read the ends or not
        for (int cycle = 0; cycle < 100; ++cycle)
            QVERIFY2(Peer(cycle % 2 ? "127.0.0.1" : "127.0.0.5", port_).ask() == 11, qPrintable(QString::number(cycle)));
    }
};

QTEST_GUILESS_MAIN(TestModbusServer)
#include "tst_modbus_server.moc"
