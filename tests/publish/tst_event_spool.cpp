// The event spool as the broker and a historian see it: events kept on the disk while the
// broker is away come back after a restart, each once and in order; beyond the bound the oldest
// go and the drop is told; the file read back after any session of adds, acknowledgements and
// restarts holds exactly what the broker has not taken.
#include "DiskWriter.h"
#include "EventSpool.h"
#include "LocalBroker.h"
#include "MqttClient.h"
#include "PublishQueue.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>

namespace {

OutgoingMessage alarmEvent(const QString &topic, const QByteArray &payload)
{
    return {topic, payload, 1, false, true, QStringLiteral("alarm")};
}

std::vector<OutgoingMessage> reload(const QString &path)
{
    PLM_INC::diskWriter().waitUntilWritten();
    return EventSpool::make(path, EventSpool::kDefaultBoundBytes)->load();
}

} // namespace

class TestEventSpool : public QObject {
    Q_OBJECT
    std::mutex mutex_;
    QStringList notices_;

private slots:
    // Random sessions against a list of what waits: payloads with every byte, acknowledgements
    // in any order, restarts, a file cut in the middle of a line; a small bound drops the oldest.
    void whatWaitsSurvivesEveryRestart_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<qint64>("bound");
        for (quint32 seed : {1u, 2u, 3u, 4u})
            QTest::addRow("seed %u", seed) << seed << EventSpool::kDefaultBoundBytes;
        QTest::addRow("seed 5, bound 20 kB") << 5u << qint64(20000);
    }
    void whatWaitsSurvivesEveryRestart()
    {
        QFETCH(quint32, seed);
        QFETCH(qint64, bound);
        QRandomGenerator random(seed);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("events.spool"));
        auto spool = EventSpool::make(path, bound);
        std::deque<OutgoingMessage> waiting; // the oracle
        size_t dropped = 0;
        for (int step = 0; step < 6000; ++step) {
            const quint32 roll = random.bounded(100u);
            if (roll < 55) {
                QByteArray payload(int(random.bounded(400u)), '\0');
                for (char &c : payload)
                    c = char(random.bounded(256u));
                OutgoingMessage m = alarmEvent(QStringLiteral("plant 1/alarm ä"), payload);
                std::vector<uint64_t> gone;
                spool->add(m, &gone);
                for (const uint64_t seq : gone) {
                    QCOMPARE(waiting.front().seq, seq); // only ever the oldest
                    waiting.pop_front();
                    ++dropped;
                }
                waiting.push_back(m);
            } else if (roll < 97 && !waiting.empty()) {
                // Mostly in order, as the broker acknowledges; now and then one further on.
                const size_t at = random.bounded(4u) == 0 ? random.bounded(quint32(waiting.size())) : 0;
                spool->acknowledge(waiting[at].seq);
                waiting.erase(waiting.begin() + qsizetype(at));
            } else {
                if (roll == 99) { // a crash in the middle of a line
                    PLM_INC::diskWriter().waitUntilWritten();
                    QFile f(path);
                    QVERIFY(f.open(QIODevice::Append));
                    f.write("M 77 1 0 YWxhcm0= dA==");
                }
                PLM_INC::diskWriter().waitUntilWritten();
                spool = EventSpool::make(path, bound);
                const std::vector<OutgoingMessage> loaded = spool->load();
                QCOMPARE(loaded.size(), waiting.size());
                for (size_t i = 0; i < loaded.size(); ++i) {
                    QCOMPARE(loaded[i].seq, waiting[i].seq);
                    QCOMPARE(loaded[i].payload, waiting[i].payload);
                    QCOMPARE(loaded[i].topic, waiting[i].topic);
                }
            }
        }
        QCOMPARE(reload(path).size(), waiting.size());
        QCOMPARE(dropped > 0, bound < EventSpool::kDefaultBoundBytes);
        QCOMPARE(spool->drops()[QStringLiteral("alarm")], dropped); // counted across every restart
        // Acknowledged lines do not pile up: the file is written anew with what waits.
        for (const OutgoingMessage &m : waiting)
            spool->acknowledge(m.seq);
        QVERIFY(reload(path).empty());
        QVERIFY2(QFileInfo(path).size() < 512 * 1024, qPrintable(QString::number(QFileInfo(path).size())));
    }

    // The broker away while the program runs twice: a subscriber gets every event once, in
    // order, and <prefix>/dropped says nothing was dropped. With a small bound the oldest go:
    // the subscriber gets the newest, in order, and <prefix>/dropped and one line of the log
    // say how many alarms went in both runs.
    void eventsWaitForTheBrokerAcrossARestart_data()
    {
        QTest::addColumn<qint64>("bound");
        QTest::newRow("default bound") << EventSpool::kDefaultBoundBytes;
        QTest::newRow("bound of about 30 events") << qint64(3000);
    }
    void eventsWaitForTheBrokerAcrossARestart()
    {
        QFETCH(qint64, bound);
        const bool small = bound < EventSpool::kDefaultBoundBytes;
        notices_.clear();
        QTemporaryDir dir;
        LocalBroker broker;
        QVERIFY2(broker.start(), qPrintable(broker.error()));
        Subscriber history(broker.port(), QStringLiteral("spool/#"), "historian");
        QVERIFY(history.waitSubscribed());
        broker.stop();
        BrokerSettings s;
        s.host = QStringLiteral("127.0.0.1");
        s.port = broker.port();
        s.prefix = QStringLiteral("spool");
        s.spoolPath = dir.filePath(QStringLiteral("spool/events.spool"));
        s.spoolBytes = bound;
        QStringList sent;
        for (int run = 0; run < 2; ++run) { // each run ends with the broker away
            MqttClient client(100, 50);
            QVERIFY(client.start(s));
            for (int i = 0; i < 150; ++i) {
                sent << QString::number(sent.size()).rightJustified(6, QLatin1Char('0'));
                client.publish(alarmEvent(QStringLiteral("spool/alarm"), sent.last().toLatin1()));
            }
            client.stop();
            PLM_INC::diskWriter().waitUntilWritten(); // as the program's end does
        }
        QVERIFY2(broker.start(), qPrintable(broker.error()));
        // The historian first: the broker does not keep what comes before it is back.
        QVERIFY(QTest::qWaitFor([&] { return history.subscriptions() == 2; }, 20000));
        MqttClient third(100, 50);
        third.setNotice([this](const QString &line) {
            std::lock_guard<std::mutex> lock(mutex_);
            notices_ << line;
        });
        QVERIFY(third.start(s));
        QVERIFY(history.waitFor([&](const QList<ReceivedMessage> &ms) {
            return std::any_of(ms.begin(), ms.end(), [](const ReceivedMessage &m) { return m.topic == "spool/dropped"; });
        }));
        QVERIFY(QTest::qWaitFor([&] { return third.queue().spool()->waiting() == 0; }, 20000));
        QTest::qWait(500); // time for one more, had any been sent twice
        QStringList got;
        for (const ReceivedMessage &m : history.on(QStringLiteral("spool/alarm")))
            got << QString::fromLatin1(m.payload);
        const qsizetype dropped = sent.size() - got.size();
        QCOMPARE(got.join(' '), sent.mid(dropped).join(' ')); // the newest, each once, in order
        QCOMPARE(dropped > 0, small);
        QCOMPARE(history.on(QStringLiteral("spool/dropped")).last().payload,
                 QByteArray(R"({"alarm":)") + QByteArray::number(dropped) + R"(,"change":0,"health":0,"value":0})");
        std::lock_guard<std::mutex> lock(mutex_);
        QCOMPARE(notices_.filter(QStringLiteral("dropped")).size(), small ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestEventSpool)
#include "tst_event_spool.moc"
