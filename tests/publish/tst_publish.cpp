// Publishing as the control room sees it: a broker of the test's own on a loopback port, a
// subscriber, the link driver polling the simulator, and the publisher in between.
#include "ChangeRecord.h"
#include "DeviceModel.h"
#include "LinkHealth.h"
#include "LocalBroker.h"
#include "MonitorComm.h"
#include "MqttClient.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "Publisher.h"
#include "SimulatedLine.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace PLM_INC;

namespace {

const QString kPrefix = QStringLiteral("plant/line1");

QJsonObject json(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

int count(const QList<ReceivedMessage> &ms, const QString &topic)
{
    int n = 0;
    for (const ReceivedMessage &m : ms)
        n += m.topic == topic ? 1 : 0;
    return n;
}

} // namespace

class TestPublish : public QObject {
    Q_OBJECT

    // What one test needs: the simulator with three blocks, the link driver, link health, the
    // publisher connected to the broker, and the subscriber on everything under the prefix.
    struct Installation {
        CommTestEnvironment env;
        SimulatedLine line{presentBlocks({0, 1, 2})};
        RecordingLinkView view;
        std::unique_ptr<MonitorComm> comm;
        LinkHealth health;
        std::unique_ptr<Publisher> publisher;

        bool start(int port, size_t queueBound = 2000)
        {
            if (!line.start())
                return false;
            comm = connectedComm(line, view, 60);
            if (!comm)
                return false;
            markPresent({0, 1, 2});
            for (int ch = 0; ch < 60; ++ch) {
                ChannelConnected[ch] = 1;
                InputType[ch] = 8; // tenths
            }
            QObject::connect(comm.get(), &MonitorComm::transactionDone, &health, &LinkHealth::noteTransaction);
            QObject::connect(comm.get(), &MonitorComm::blockPolled, &health,
                             [this](int b, int v, ReplyKind k) { health.notePoll(b, v, k); });
            publisher = std::make_unique<Publisher>(*comm, health);
            BrokerSettings s;
            s.host = QStringLiteral("127.0.0.1");
            s.port = port;
            s.prefix = kPrefix;
            return publisher->start(s, nullptr, queueBound)
                && QTest::qWaitFor([this] { return publisher->client()->connected(); }, 20000);
        }
        void ticks(int n)
        {
            for (int i = 0; i < n; ++i)
                comm->Timer4_Timer();
        }
    };

    LocalBroker *broker_ = nullptr;

private slots:
    // A broker of each test's own: values and health are retained, and one test's must not
    // answer for the next.
    void init()
    {
        if (LocalBroker::program().isEmpty())
            QFAIL("mosquitto is not installed: run scripts/install-deps.sh");
        broker_ = new LocalBroker;
        QVERIFY2(broker_->start(), qPrintable(broker_->error()));
    }
    void cleanup()
    {
        delete broker_;
        broker_ = nullptr;
    }

    void valuesOfAThreeBlockInstallation_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("block 1 first channel PV") << "ch/001" << "pv" << "12.5";
        QTest::newRow("block 2 channel 21 PV") << "ch/021" << "pv" << "-3.0";
        QTest::newRow("block 3 last channel PV") << "ch/060" << "pv" << "100.0";
        QTest::newRow("block 1 MV") << "ch/001" << "mv" << "45.6";
        QTest::newRow("block 3 alarm bit") << "ch/060" << "alarm1" << "true";
        QTest::newRow("block 1 status") << "ch/001" << "status" << "1";
        QTest::newRow("block 2 unit") << "ch/021" << "unit" << "\"deg.C\"";
    }
    void valuesOfAThreeBlockInstallation()
    {
        QFETCH(QString, topic);
        QFETCH(QString, field);
        QFETCH(QString, value);
        Subscriber sub(broker_->port(), kPrefix + QStringLiteral("/#"), "sub-values");
        QVERIFY(sub.waitSubscribed());
        Installation plant;
        plant.line.server().withModel([](sim::DeviceModel &m) {
            m.value(0, "0080", 0) = 125;
            m.value(1, "0080", 0) = -30;
            m.value(2, "0080", 19) = 1000;
            m.value(0, "0081", 0) = 456;
            m.value(0, "0083", 0) = kStatusControl;
            m.value(2, "0083", 19) = kStatusAlarm1;
        });
        QVERIFY(plant.start(broker_->port()));
        plant.ticks(18); // PV, status, heater current, then PV, status, MV of each of the three blocks
        QVERIFY(sub.waitFor([&](const QList<ReceivedMessage> &ms) {
            for (const ReceivedMessage &m : ms)
                if (m.topic == kPrefix + QLatin1Char('/') + topic
                    && m.payload.contains("\"" + field.toLatin1() + "\":" + value.toUtf8()))
                    return true;
            return false;
        }));
        // Only fitted channels of present blocks have topics; "online" is retained.
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return count(ms, kPrefix + QStringLiteral("/status")) >= 1; }));
        for (const ReceivedMessage &m : sub.messages()) {
            QVERIFY2(!m.topic.startsWith(kPrefix + QStringLiteral("/ch/06")) || m.topic == kPrefix + QStringLiteral("/ch/060"),
                     qPrintable(m.topic));
            QVERIFY(!m.topic.startsWith(kPrefix + QStringLiteral("/ch/1")));
        }
        QCOMPARE(sub.on(kPrefix + QStringLiteral("/status")).last().payload, QByteArray("online"));
    }

    void unchangedValuesAreNotRepublished()
    {
        Subscriber sub(broker_->port(), kPrefix + QStringLiteral("/ch/#"), "sub-unchanged");
        QVERIFY(sub.waitSubscribed());
        Installation plant;
        QVERIFY(plant.start(broker_->port()));
        plant.ticks(9);
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return ms.size() >= 60; }));
        plant.ticks(9); // the same values again
        // A field the payload does not show: the heater current of a channel without the heater
        // burnout option. Polled (every other cycle), it changes the image but not ch/026.
        plant.line.server().withModel([](sim::DeviceModel &m) { m.value(1, "0082", 5) = 250; });
        plant.ticks(18);
        QCOMPARE(HeaterCurrent[25], int16_t(250));
        plant.line.server().withModel([](sim::DeviceModel &m) { m.value(1, "0080", 4) = 777; });
        plant.ticks(9);
        // Messages arrive in the order they were sent: anything sent for ch/026 came before this.
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return count(ms, kPrefix + QStringLiteral("/ch/025")) == 2; }));
        QCOMPARE(json(sub.on(kPrefix + QStringLiteral("/ch/025")).last().payload).value(QStringLiteral("pv")).toDouble(), 77.7);
        QCOMPARE(count(sub.messages(), kPrefix + QStringLiteral("/ch/001")), 1);
        QCOMPARE(count(sub.messages(), kPrefix + QStringLiteral("/ch/026")), 1);
        QCOMPARE(sub.messages().size(), 61);
    }

    void anAlarmArrivesOnce()
    {
        Subscriber sub(broker_->port(), kPrefix + QStringLiteral("/alarm"), "sub-alarm");
        QVERIFY(sub.waitSubscribed());
        Installation plant;
        QVERIFY(plant.start(broker_->port()));
        PollBlock = 1;
        PollItem = 1; // status words next
        plant.line.server().withModel([](sim::DeviceModel &m) { m.value(1, "0083", 3) = kStatusAlarm2; });
        plant.ticks(9);
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return !ms.isEmpty(); }));
        plant.ticks(9); // still on: no second event
        // A marker behind it proves that anything after the alarm has arrived too.
        plant.publisher->client()->publish({kPrefix + QStringLiteral("/alarm"), "marker", 1, false, true});
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return ms.last().payload == "marker"; }));
        const QList<ReceivedMessage> ms = sub.messages();
        QCOMPARE(ms.size(), 2);
        const QJsonObject o = json(ms.first().payload);
        QCOMPARE(o.value(QStringLiteral("content")).toString(), QStringLiteral("Alarm 2 was turned on."));
        QCOMPARE(o.value(QStringLiteral("ch")).toInt(), 24);
        QCOMPARE(o.value(QStringLiteral("state")).toString(), QStringLiteral("on"));
        // The same texts as the history file.
        QVERIFY(plant.env.historyFileBytes().contains("Alarm 2 was turned on."));
    }

    void aChangeArrivesOnItsOwnTopic()
    {
        Subscriber sub(broker_->port(), kPrefix + QStringLiteral("/changes"), "sub-changes");
        QVERIFY(sub.waitSubscribed());
        Installation plant;
        QVERIFY(plant.start(broker_->port()));
        plant.publisher->publishChange({{QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7)), 40, QStringLiteral("0001"),
                                         QStringLiteral("150.0"), QStringLiteral("160.5"), ChangeOrigin::AtUnit,
                                         QStringLiteral("gateway"), WriteOutcome::Taken},
                                        1, QByteArray(64, '0'), QStringLiteral("2026_12.csv")});
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return !ms.isEmpty(); }));
        const ReceivedMessage m = sub.messages().first();
        QCOMPARE(m.topic, kPrefix + QStringLiteral("/changes"));
        QVERIFY(!m.retained);
        QCOMPARE(json(m.payload).value(QStringLiteral("after")).toDouble(), 160.5);
    }

    void healthIsPublishedPerBlock()
    {
        Subscriber sub(broker_->port(), kPrefix + QStringLiteral("/health/#"), "sub-health");
        QVERIFY(sub.waitSubscribed());
        Installation plant;
        QVERIFY(plant.start(broker_->port()));
        sim::Faults f;
        f.nak = 1.0;
        plant.line.server().setFaults(f);
        plant.ticks(3);
        plant.line.server().setFaults(sim::Faults{});
        plant.ticks(3);
        plant.publisher->publishHealth(); // what the timer does every few seconds
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return ms.size() >= 3; }));
        QCOMPARE(sub.on(kPrefix + QStringLiteral("/health/04")).size(), 0);
        for (int b = 1; b <= 3; ++b) {
            const QJsonObject o = json(sub.on(kPrefix + QStringLiteral("/health/0%1").arg(b)).last().payload);
            QCOMPARE(o.value(QStringLiteral("naks")).toInt(), 1);
            QCOMPARE(o.value(QStringLiteral("replies")).toInt(), 1);
            QCOMPARE(o.value(QStringLiteral("answered_1min")).toDouble(), 0.5);
        }
    }

    void lastWillReadsOfflineWhenThePublisherIsKilled()
    {
        Subscriber sub(broker_->port(), QStringLiteral("victim/status"), "sub-will");
        QVERIFY(sub.waitSubscribed());
        QProcess victim;
        victim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/publish_victim"),
                     {QString::number(broker_->port()), QStringLiteral("victim")});
        QVERIFY(victim.waitForStarted(10000));
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return !ms.isEmpty() && ms.last().payload == "online"; }));
        victim.kill();
        victim.waitForFinished(10000);
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return ms.last().payload == "offline"; }));
        // Retained: a subscriber that comes later reads "offline" too.
        Subscriber later(broker_->port(), QStringLiteral("victim/status"), "sub-will-later");
        QVERIFY(later.waitFor([](const QList<ReceivedMessage> &ms) { return !ms.isEmpty(); }));
        QCOMPARE(later.messages().first().payload, QByteArray("offline"));
        QVERIFY(later.messages().first().retained);
    }

    void alarmsRaisedWhileTheBrokerIsDownArriveAfterItReturns()
    {
        Subscriber sub(broker_->port(), kPrefix + QStringLiteral("/alarm"), "sub-restart");
        QVERIFY(sub.waitSubscribed());
        Installation plant;
        QVERIFY(plant.start(broker_->port(), 200));
        broker_->stop();
        QVERIFY(QTest::qWaitFor([&] { return !plant.publisher->client()->connected(); }, 20000));
        // Ten seconds without a broker, polling on; alarms come and go meanwhile and values
        // overflow the queue.
        constexpr int kAlarmChanges = 6;
        QElapsedTimer down;
        down.start();
        for (int i = 0; i < kAlarmChanges; ++i) {
            plant.line.server().withModel([i](sim::DeviceModel &m) {
                m.value(0, "0083", 7) = i % 2 == 0 ? kStatusAlarm1 : 0;
                for (int c = 0; c < 20; ++c)
                    m.value(2, "0080", c) = int16_t(i * 10 + c);
            });
            plant.ticks(9);
        }
        for (int i = 0; i < 300; ++i) // values enough to fill the queue several times over
            plant.publisher->client()->publish({kPrefix + QStringLiteral("/ch/999"), QByteArray::number(i), 0, false, false});
        QTest::qWait(int(std::max<qint64>(0, 10000 - down.elapsed())));
        QVERIFY2(broker_->start(), qPrintable(broker_->error()));
        QVERIFY(sub.waitFor([](const QList<ReceivedMessage> &ms) { return ms.size() >= kAlarmChanges; }, 60000));
        QTest::qWait(500); // a duplicate would be here by now
        QStringList contents;
        for (const ReceivedMessage &m : sub.messages())
            contents << json(m.payload).value(QStringLiteral("content")).toString();
        QCOMPARE(contents, QStringList({"Alarm 1 was turned on.", "Alarm 1 was turned off.", "Alarm 1 was turned on.",
                                        "Alarm 1 was turned off.", "Alarm 1 was turned on.", "Alarm 1 was turned off."}));
        QVERIFY(plant.publisher->client()->connects() >= 2);
        QVERIFY(plant.publisher->client()->queue().dropped() > 0);
        QCOMPARE(plant.publisher->client()->queue().droppedKept(), size_t(0));
    }
};

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
