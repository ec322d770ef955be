// Link health per block: the counters follow the faults the simulator injects, reply by reply;
// the answered share covers the last minute only. (Staleness: tst_simulated_time.)
#include "DeviceModel.h"
#include "LinkHealth.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "SimulatedLine.h"

#include <QTest>

using namespace PLM_INC;

namespace {

// One letter per poll step: A answered, D dropped, C wrong checksum, N refused.
sim::Faults faultFor(QChar step)
{
    sim::Faults f;
    f.drop = step == QLatin1Char('D') ? 1.0 : 0.0;
    f.badChecksum = step == QLatin1Char('C') ? 1.0 : 0.0;
    f.nak = step == QLatin1Char('N') ? 1.0 : 0.0;
    return f;
}

} // namespace

class LinkHealthTest : public QObject {
    Q_OBJECT

private slots:
    void countersFollowInjectedFaults_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::newRow("clean line") << "AAAAAA";
        QTest::newRow("every fault once") << "ADCNA";
        QTest::newRow("misses of every kind") << "ADDDDDCCNN";
    }
    void countersFollowInjectedFaults()
    {
        QFETCH(QString, steps);

        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({2}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view, 60);
        QVERIFY(comm);
        markPresent({2});
        PollBlock = 2;
        LinkHealth health(*comm);

        for (const QChar step : steps) {
            line.server().setFaults(faultFor(step));
            line.clear();
            comm->Timer4_Timer();
            QCOMPARE(line.summary().size(), 1); // one poll frame per step, to block 2
        }

        const BlockHealth &h = health.block(2);
        QCOMPARE(h.replies, uint64_t(steps.count(QLatin1Char('A'))));
        QCOMPARE(h.timeOuts, uint64_t(steps.count(QLatin1Char('D'))));
        QCOMPARE(h.checksumErrors, uint64_t(steps.count(QLatin1Char('C'))));
        QCOMPARE(h.naks, uint64_t(steps.count(QLatin1Char('N'))));
        QCOMPARE(h.lastGoodReply.isValid(), steps.contains(QLatin1Char('A')));
        if (h.lastGoodReply.isValid())
            QCOMPARE(h.lastGoodReply, env.clock.at);
        QCOMPARE(health.answeredShare(2), double(steps.count(QLatin1Char('A'))) / steps.size());
        // The other blocks saw nothing.
        QCOMPARE(health.block(0).timeOuts + health.block(3).timeOuts, uint64_t(0));
        QCOMPARE(health.answeredShare(0), -1.0);
        // The history file agrees with the counters of refused and corrupted replies.
        const QByteArray file = env.historyFileBytes();
        QCOMPARE(uint64_t(file.count("Received Negative acknowledgement from HRV-600.")), h.naks);
        QCOMPARE(uint64_t(file.count("Checksum error occured.")), h.checksumErrors);
    }

    void answeredShareCoversTheLastMinute_data()
    {
        QTest::addColumn<int>("secondsLater");
        QTest::addColumn<double>("share");
        QTest::newRow("same second") << 0 << 0.25;
        QTest::newRow("half a minute later") << 30 << 0.25;
        QTest::newRow("59 s later") << 59 << 0.25;
        QTest::newRow("a minute later: forgotten") << 60 << -1.0;
        QTest::newRow("an hour later") << 3600 << -1.0;
    }
    void answeredShareCoversTheLastMinute()
    {
        QFETCH(int, secondsLater);
        QFETCH(double, share);
        qint64 now = 7300; // the minute follows the health's clock, not the time of day
        LinkHealth health;
        health.setMonotonicClock([&now] { return now; });
        health.notePoll(5, 0, ReplyKind::Ack);
        for (int i = 0; i < 3; ++i)
            health.notePoll(5, 0, ReplyKind::NoReply);
        now += secondsLater * 1000;
        QCOMPARE(health.answeredShare(5), share);
    }

    void sharesOfSeveralSecondsAdd()
    {
        qint64 now = 0;
        LinkHealth health;
        health.setMonotonicClock([&now] { return now; });
        for (int s = 0; s < 90; ++s) { // a minute and a half: one answered, one dropped poll each second
            now = s * 1000;
            health.notePoll(0, 0, ReplyKind::Ack);
            health.notePoll(0, 1, s < 45 ? ReplyKind::Ack : ReplyKind::NoReply);
        }
        // The last minute holds 15 seconds of two answers and 45 of one.
        QCOMPARE(health.answeredShare(0), (15 * 2 + 45) / 120.0);
        QVERIFY(!health.isStale(0)); // an answer every second
    }

    void outOfRangeBlocksAreIgnored()
    {
        LinkHealth health;
        health.noteTransaction(-1, ReplyKind::Ack);
        health.noteTransaction(16, ReplyKind::NoReply);
        health.notePoll(99, 0, ReplyKind::NoReply);
        QCOMPARE(health.block(16).replies, uint64_t(0));
        QVERIFY(!health.isStale(16));
        QCOMPARE(health.answeredShare(-1), -1.0);
    }
};

QTEST_GUILESS_MAIN(LinkHealthTest)
#include "tst_link_health.moc"
