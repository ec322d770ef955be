// The Modbus server's hold on its clients, over real sockets on its own clock: a request must
// be whole within the frame limit from its first byte, a client that asks nothing goes after
// the idle limit, a closed connection frees its slot at once, one address holds half the slots.
#include "ModbusServer.h"

#include <QTcpServer>
#include <QtTest>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace modbus;

namespace {

const QByteArray kRequest("\x00\x01\x00\x00\x00\x06\x01\x04\x00\x00\x00\x01", 12);

// A client from a loopback address of its own (127.0.0.x), its socket non-blocking once connected.
struct Peer {
    int fd = -1;
    Peer(const char *from, quint16 port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        ::inet_pton(AF_INET, from, &a.sin_addr);
        ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        a.sin_port = htons(port);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
            qFatal("connect: %s", strerror(errno));
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    ~Peer() { ::close(fd); }
    void send(const QByteArray &bytes) const { QCOMPARE(::send(fd, bytes.constData(), size_t(bytes.size()), 0), ssize_t(bytes.size())); }
    // Events run until the server answered (the answer's length), closed the connection (0),
    // or 10 s passed (-1): a limit, never a verdict.
    int await() const
    {
        char buffer[64];
        int got = -1;
        const bool done = QTest::qWaitFor([&] {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            got = n > 0 ? int(n) : 0; // an error (a reset) is a closed connection too
            return n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        }, 10000);
        return done ? got : -1;
    }
};

} // namespace

class TestModbusServer : public QObject {
    Q_OBJECT
    qint64 now_ = 0;
    std::unique_ptr<ModbusServer> server_;
    quint16 port_ = 0;

private slots:
    void init()
    {
        server_ = std::make_unique<ModbusServer>([](int) { return BlockState(BlockLink::Live); });
        server_->setClock([this] { return now_; });
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        probe.close();
        QString error;
        QVERIFY2(server_->listen({QStringLiteral("127.0.0.1"), port_}, &error), qPrintable(error));
        now_ = 0;
    }

    // Steps "ms:what": b one byte of a request, r the rest of it (a whole one if none begun),
    // k the limits checked; then whether the client was closed and how many answers it had.
    void aClientCannotHoldItsSlot_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("answers");
        QTest::newRow("trickling a byte a second") << "0:b 1000:b 2000:b 3000:b 3001:k" << true << 0;
        QTest::newRow("whole within the limit") << "0:b 2999:r 3001:k" << false << 1;
        QTest::newRow("stopped half way") << "0:b 3001:k" << true << 0;
        QTest::newRow("second request's first byte counts anew") << "0:r 5000:b 7999:k" << false << 1;
        QTest::newRow("asks nothing after connecting") << "0:k 60000:k 60001:k" << true << 0;
        QTest::newRow("asks nothing after a request") << "1000:r 61000:k 61001:k" << true << 1;
        QTest::newRow("asking keeps it") << "0:r 59000:r 100000:k" << false << 2;
    }
    void aClientCannotHoldItsSlot()
    {
        QFETCH(QString, steps);
        QFETCH(bool, closed);
        QFETCH(int, answers);
        Peer peer("127.0.0.1", port_);
        int sent = 0, answered = 0;
        bool gone = false;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            now_ = step.section(QLatin1Char(':'), 0, 0).toLongLong();
            const QString what = step.section(QLatin1Char(':'), 1);
            if (what == QLatin1String("k")) {
                QVERIFY(QTest::qWaitFor([&] { return server_->clients() == 1 || gone; }, 10000));
                server_->dropOverdueClients();
                continue;
            }
            const QByteArray bytes = what == QLatin1String("b") ? kRequest.mid(sent % 12, 1) : kRequest.mid(sent % 12);
            peer.send(bytes);
            sent += int(bytes.size());
            QVERIFY(QTest::qWaitFor([&] { return server_->bytesReceived() == quint64(sent); }, 10000));
            if (sent % 12 == 0)
                answered += peer.await() == 11;
        }
        QCOMPARE(server_->clients() == 0, closed);
        if (closed)
            QCOMPARE(peer.await(), 0);
        QCOMPARE(answered, answers);
    }

    void slotsFreeAtOnceAndHalfPerAddress()
    {
        const auto ask = [](const Peer &p) { p.send(kRequest); return p.await(); };
        std::vector<std::unique_ptr<Peer>> held;
        for (const char *from : {"127.0.0.1", "127.0.0.1", "127.0.0.1", "127.0.0.1"}) {
            held.push_back(std::make_unique<Peer>(from, port_));
            QCOMPARE(ask(*held.back()), 11);
        }
        Peer fifth("127.0.0.1", port_);
        QCOMPARE(fifth.await(), 0); // refused: its address holds half the slots
        for (const char *from : {"127.0.0.2", "127.0.0.3", "127.0.0.3", "127.0.0.4"}) {
            held.push_back(std::make_unique<Peer>(from, port_));
            QCOMPARE(ask(*held.back()), 11);
        }
        QCOMPARE(server_->clients(), ModbusServer::kMaxClients);
        held.clear(); // every slot is free at once, whether the server has read the ends or not
        for (int cycle = 0; cycle < 300; ++cycle) {
            Peer quick(cycle % 2 ? "127.0.0.1" : "127.0.0.5", port_);
            QVERIFY2(ask(quick) == 11, qPrintable(QStringLiteral("cycle %1 refused").arg(cycle)));
        }
    }
};

QTEST_GUILESS_MAIN(TestModbusServer)
#include "tst_modbus_server.moc"
