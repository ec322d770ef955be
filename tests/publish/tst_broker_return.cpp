// The broker connection comes back by itself from every state, as the broker sees it: a
// mosquitto of the test's own that starts after the client, stops under it and comes again;
// each outage told once with the system's reason, each return once.
#include "LocalBroker.h"
#include "MqttClient.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <mutex>

class TestBrokerReturn : public QObject {
    Q_OBJECT
    std::mutex mutex_;
    QStringList notices_; // told on the client's thread

    int told(const QString &pattern)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return int(notices_.filter(QRegularExpression(pattern)).size());
    }

private slots:
    void theConnectionComesBack_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("brokerAtStart");
        QTest::addColumn<QString>("outage");
        QTest::newRow("broker down at start, up later") << "127.0.0.1" << false << "cannot be reached: Connection refused\\.";
        QTest::newRow("connection dropped, broker back") << "127.0.0.1" << true << "was lost:";
        QTest::newRow("a name that does not resolve")
            << "broker.invalid" << false << "cannot be reached: (Name or service not known|Temporary failure in name resolution)\\.";
    }
    void theConnectionComesBack()
    {
        QFETCH(QString, host);
        QFETCH(bool, brokerAtStart);
        QFETCH(QString, outage);
        constexpr int kBoundMs = 60000; // only a failing test waits that long
        notices_.clear();
        LocalBroker broker;
        QVERIFY2(!brokerAtStart || broker.start(), qPrintable(broker.error()));
        MqttClient client(100, 20); // a short first delay: many failed attempts before the broker comes
        client.setNotice([this](const QString &line) {
            std::lock_guard<std::mutex> lock(mutex_);
            notices_ << line;
        });
        BrokerSettings s;
        s.host = host;
        s.port = broker.port();
        QVERIFY(client.start(s));
        QVERIFY(!brokerAtStart || QTest::qWaitFor([&] { return client.connected(); }, kBoundMs));
        broker.stop();
        QVERIFY(QTest::qWaitFor([&] { return told(outage) > 0; }, kBoundMs));
        // Attempts go on after the failure was told, and are not told again.
        const int attempts = client.attempts();
        QVERIFY(QTest::qWaitFor([&] { return client.attempts() >= attempts + 3; }, kBoundMs));
        // Lost, then refused: a new reason is told once more.
        QCOMPARE(told(QStringLiteral("broker")), brokerAtStart ? 3 : 1);
        if (host != QLatin1String("127.0.0.1"))
            return;
        QVERIFY2(broker.start(), qPrintable(broker.error()));
        Subscriber status(broker.port(), QStringLiteral("plm870/status"), "sub-back");
        QVERIFY(status.waitFor([](const QList<ReceivedMessage> &ms) { return !ms.isEmpty() && ms.last().payload == "online"; },
                               kBoundMs));
        QCOMPARE(told(QStringLiteral("^Connected to the broker 127\\.0\\.0\\.1:%1; publishing$").arg(broker.port())),
                 brokerAtStart ? 2 : 1);
        QCOMPARE(told(outage), 1);
    }

    // A password revoked on the broker: the connection is closed, then every attempt is refused
    // as not authorised. Each reason is told once, when it comes.
    void aRefusalIsToldWhenTheReasonChanges()
    {
        notices_.clear();
        QTcpServer broker; // answers the first CONNECT with "accepted" and closes; then "not authorised"
        QVERIFY(broker.listen(QHostAddress::LocalHost, 0));
        int connections = 0;
        connect(&broker, &QTcpServer::newConnection, [&] {
            while (QTcpSocket *peer = broker.nextPendingConnection()) {
                const int n = connections++;
                connect(peer, &QTcpSocket::readyRead, peer, [peer, n] {
                    peer->readAll();
                    peer->write(QByteArray::fromHex(n == 0 ? "20020000" : "20020005"));
                    peer->flush();
                    peer->disconnectFromHost();
                });
            }
        });
        MqttClient client(100, 20);
        client.setNotice([this](const QString &line) {
            std::lock_guard<std::mutex> lock(mutex_);
            notices_ << line;
        });
        BrokerSettings s;
        s.host = QStringLiteral("127.0.0.1");
        s.port = broker.serverPort();
        QVERIFY(client.start(s));
        QVERIFY(QTest::qWaitFor([&] { return connections >= 6; }, 60000));
        QCOMPARE(told(QStringLiteral("was lost: closed by the broker or the network\\.")), 1);
        QCOMPARE(told(QStringLiteral("cannot be reached: Connection Refused: not authorised\\.")), 1);
        QCOMPARE(told(QStringLiteral("broker")), 3); // connected, lost, refused
    }
};

QTEST_GUILESS_MAIN(TestBrokerReturn)
#include "tst_broker_return.moc"
