// The broker connection comes back by itself from every state, as the broker sees it: a
// mosquitto of the test's own that starts after the client, stops under it and comes again;
// each outage told once with the system's reason, each return once.
#include "LocalBroker.h"
#include "MqttClient.h"

#include <QtTest>
#include <mutex>

namespace {

class Notices {
public:
    void add(const QString &line)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_ << line;
    }
    int count(const QString &pattern) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return int(lines_.filter(QRegularExpression(pattern)).size());
    }
    QByteArray all() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_.join(QLatin1Char('\n')).toUtf8();
    }

private:
    mutable std::mutex mutex_;
    QStringList lines_;
};

// Generous: they only matter when the test fails.
constexpr int kBoundMs = 60000;

} // namespace

class TestBrokerReturn : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (LocalBroker::program().isEmpty())
            QFAIL("mosquitto is not installed: run scripts/install-deps.sh");
    }

    void theConnectionComesBack_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("brokerAtStart");
        QTest::addColumn<QString>("told");
        QTest::newRow("broker down at start, up later") << "127.0.0.1" << false << "cannot be reached: Connection refused\\.";
        QTest::newRow("connection dropped, broker back") << "127.0.0.1" << true << "was lost:";
        QTest::newRow("a name that does not resolve") << "broker.invalid" << false << "cannot be reached: (Name or service not known|Temporary failure in name resolution)\\.";
    }
    void theConnectionComesBack()
    {
        QFETCH(QString, host);
        QFETCH(bool, brokerAtStart);
        QFETCH(QString, told);
        LocalBroker broker;
        if (brokerAtStart)
            QVERIFY2(broker.start(), qPrintable(broker.error()));
        Notices notices;
        MqttClient client(100, 20); // a short first delay: many failed attempts before the broker comes
        client.setNotice([&](const QString &line) { notices.add(line); });
        BrokerSettings s;
        s.host = host;
        s.port = broker.port();
        s.prefix = QStringLiteral("back");
        QVERIFY(client.start(s));
        if (brokerAtStart) {
            QVERIFY(QTest::qWaitFor([&] { return client.connected(); }, kBoundMs));
            broker.stop();
        }
        QVERIFY2(QTest::qWaitFor([&] { return notices.count(told) > 0; }, kBoundMs), notices.all().constData());
        // Attempts go on after the failure was told, and are not told again.
        const int attempts = client.attempts();
        QVERIFY(QTest::qWaitFor([&] { return client.attempts() >= attempts + 3; }, kBoundMs));
        QCOMPARE(notices.count(QStringLiteral("broker")), brokerAtStart ? 2 : 1);
        if (host != QLatin1String("127.0.0.1"))
            return;
        QVERIFY2(broker.start(), qPrintable(broker.error()));
        Subscriber status(broker.port(), QStringLiteral("back/status"), "sub-back");
        QVERIFY2(status.waitFor([](const QList<ReceivedMessage> &ms) { return !ms.isEmpty() && ms.last().payload == "online"; },
                                kBoundMs),
                 notices.all().constData());
        QCOMPARE(notices.count(QStringLiteral("Connected to the broker 127\\.0\\.0\\.1:%1; publishing").arg(broker.port())),
                 brokerAtStart ? 2 : 1);
        QCOMPARE(notices.count(told), 1);
    }
};

QTEST_GUILESS_MAIN(TestBrokerReturn)
#include "tst_broker_return.moc"
