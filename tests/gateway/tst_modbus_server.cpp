// The Modbus server's hold on its clients, over real sockets on its own clock: a request must
// be whole within the frame limit from its first byte, a client that asks nothing goes after
// the idle limit, a closed connection frees its slot at once, one address holds half the slots.
#include "ModbusServer.h"
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

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
    modbus::ModbusServer server_{[](int) { return modbus::BlockState(modbus::BlockLink::Live); }};
    const quint16 port_ = [] { QTcpServer probe; return probe.listen(QHostAddress::LocalHost, 0), probe.serverPort(); }();

private slots:
    void initTestCase()
    {
        server_.setClock([this] { return now_; });
        QVERIFY(server_.listen({QStringLiteral("127.0.0.1"), port_}, nullptr));
    }

    // A request whole within 3 s of its first byte is answered; the next, a byte a second, is
    // still part-way 3 s after its first byte and its client goes; one that asks nothing for 60 s goes.
    void aClientCannotHoldItsSlot()
    {
        Peer slow("127.0.0.1", port_), idle("127.0.0.2", port_);
        const auto send = [this](Peer &p, const QByteArray &b) { // true once the server has read it (at this moment)
            return QTest::qWaitFor([&, n = server_.bytesReceived() + quint64(p.write(b))] { return server_.bytesReceived() == n; }, 10000); };
        QVERIFY(QTest::qWaitFor([this] { return server_.clients() == 2; }, 10000));
        QCOMPARE(idle.ask(), 11); // its last request, at 0
        for (int i = 0; i < 12; ++i, now_ += 270)
            QVERIFY(send(slow, kRequest.mid(i, 1)));
        QCOMPARE(slow.await(), 11);
        for (int i = 0; i < 4; ++i, now_ += 1000)
            QVERIFY(send(slow, kRequest.mid(i, 1)));
        server_.dropOverdueClients();
        QCOMPARE(slow.await(), 0);
        for (now_ = 60000; now_ <= 60001; ++now_) {
            server_.dropOverdueClients();
            QCOMPARE(server_.clients(), int(60001 - now_)); // the idle one stays at 60 s, goes after
        }
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
