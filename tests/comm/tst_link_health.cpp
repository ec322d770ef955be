// Link health per block: the counters follow the faults the simulator injects, reply by reply;
// a block whose values are older than its stale limit is stale, and good again only when every
// kind of value has been read since; a dead line makes every block stale within 10 s; a late
// reply counts for nobody; the answered share covers the last minute only.
#include "DeviceModel.h"
#include "LinkHealth.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "STDComm.h"
#include "SimulatedLine.h"
#include "SimulatedWorld.h"

#include <QTest>
#include <algorithm>

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

// The driver polling a simulated installation in simulated time, its health on the same clock.
struct Plant {
    Plant(sim::DeviceModel model, int baud, std::initializer_list<int> present)
        : world(new SimulatedWorld(std::move(model), baud)), clock(world->clock())
    {
        comm = std::make_unique<MonitorComm>(std::unique_ptr<LinkService>(world), world->takeClock());
        bool open = false;
        comm->configureLink(
            [](tobrel::STDComm &link) {
                link.setPort(QStringLiteral("COM1"));
                link.PortOpen();
                link.setTimeOut(300);
            },
            [&open] { open = true; });
        while (!open)
            clock.runUntil(clock.nowMs() + 1);
        markPresent(present);
        health.setMonotonicClock([this] { return clock.nowMs(); });
        QObject::connect(comm.get(), &MonitorComm::transactionDone, &health, &LinkHealth::noteTransaction);
        QObject::connect(comm.get(), &MonitorComm::blockPolled, &health,
                         [this](int b, int v, ReplyKind k) { health.notePoll(b, v, k); });
        comm->timer4().start();
    }
    ~Plant() { comm->closePort(); }

    CommTestEnvironment env;
    SimulatedWorld *world;
    SimulatedClock &clock;
    LinkHealth health;
    std::unique_ptr<MonitorComm> comm;
};

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
        QTest::newRow("refusals alone") << "NNNNNNNNN";
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
        LinkHealth health;
        connect(comm.get(), &MonitorComm::transactionDone, &health, &LinkHealth::noteTransaction);
        connect(comm.get(), &MonitorComm::blockPolled, &health,
                [&health](int block, int valueKind, ReplyKind kind) { health.notePoll(block, valueKind, kind); });

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
        TestClock clock;
        setClock(&clock);
        LinkHealth health;
        health.notePoll(5, 0, ReplyKind::Ack);
        for (int i = 0; i < 3; ++i)
            health.notePoll(5, 0, ReplyKind::NoReply);
        clock.at = clock.at.addSecs(secondsLater);
        QCOMPARE(health.answeredShare(5), share);
        setClock(nullptr);
    }

    void sharesOfSeveralSecondsAdd()
    {
        TestClock clock;
        setClock(&clock);
        LinkHealth health;
        for (int s = 0; s < 90; ++s) { // a minute and a half: one answered, one dropped poll each second
            health.notePoll(0, 0, ReplyKind::Ack);
            health.notePoll(0, 1, s < 45 ? ReplyKind::Ack : ReplyKind::NoReply);
            clock.at = clock.at.addSecs(1);
        }
        clock.at = clock.at.addSecs(-1);
        // The last minute holds 15 seconds of two answers and 45 of one.
        QCOMPARE(health.answeredShare(0), (15 * 2 + 45) / 120.0);
        QVERIFY(!health.isStale(0)); // an answer every second
        setClock(nullptr);
    }

    // Poll steps of one block at given milliseconds ("1000:2" the kind-2 values read at 1 s,
    // "1000:x" a step without an answer), then the block's quality and age at `at`.
    void staleRule_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("limitMs");
        const int good = int(ValuesQuality::Good), stale = int(ValuesQuality::Stale),
                  returning = int(ValuesQuality::Returning);
        QTest::newRow("never read") << "0:x 1000:x" << 9000 << int(ValuesQuality::None) << 5000;
        QTest::newRow("short period: 5 s at least") << "0:0 500:1 1000:2" << 6000 << good << 5000;
        QTest::newRow("short period: stale after 5 s") << "0:0 500:1 1000:2" << 6001 << stale << 5000;
        QTest::newRow("long period: three of them") << "0:0 3000:1" << 12000 << good << 9000;
        QTest::newRow("long period: stale after three") << "0:0 3000:1" << 12001 << stale << 9000;
        QTest::newRow("a gap without answers is no period") << "0:0 2000:x 9000:1" << 14001 << stale << 5000;
        QTest::newRow("misses alone change nothing") << "0:0 1000:x 2000:x 3000:x" << 4000 << good << 5000;
        QTest::newRow("back: three kinds are not enough") << "0:0 7000:0 7100:1 7200:2" << 7300 << returning << 5000;
        QTest::newRow("back: the fourth kind makes it good") << "0:0 7000:0 7100:1 7200:2 7300:3" << 7400 << good << 5000;
        QTest::newRow("back: a kind twice is one kind") << "0:0 7000:0 7100:1 7200:1 7300:0" << 7400 << returning << 5000;
        QTest::newRow("returning goes stale again") << "0:0 7000:0 7100:1" << 12101 << stale << 5000;
        QTest::newRow("first poll after a long start-up read") << "s:0 60000:0" << 60100 << good << 5000;
    }
    void staleRule()
    {
        QFETCH(QString, steps);
        QFETCH(int, at);
        QFETCH(int, quality);
        QFETCH(int, limitMs);
        qint64 now = 0;
        LinkHealth health;
        health.setMonotonicClock([&now] { return now; });
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const QString when = step.section(QLatin1Char(':'), 0, 0), what = step.section(QLatin1Char(':'), 1);
            if (when == QLatin1String("s")) { // the start-up read
                health.noteTransaction(7, ReplyKind::Ack);
                continue;
            }
            now = when.toInt();
            health.notePoll(7, what.toInt(), what == QLatin1String("x") ? ReplyKind::NoReply : ReplyKind::Ack);
        }
        now = at;
        QCOMPARE(int(health.quality(7)), quality);
        QCOMPARE(health.isStale(7), quality == int(ValuesQuality::Stale) || quality == int(ValuesQuality::Returning));
        QCOMPARE(health.staleLimitMs(7), qint64(limitMs));
        QCOMPARE(health.quality(8), ValuesQuality::None); // the other blocks saw nothing
    }

    // The whole line goes silent: every block is stale within 10 s of the last frame answered,
    // and when the line is back each block is good again exactly when it has had every kind of
    // value read since.
    void deadLineMakesEveryBlockStale_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("9600") << 9600;
        QTest::newRow("19200") << 19200;
    }
    void deadLineMakesEveryBlockStale()
    {
        QFETCH(int, baud);
        std::initializer_list<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
        Plant plant(sim::DeviceModel::allBlocks(16), baud, all);
        plant.world->runFor(30000);
        for (int b = 0; b < 16; ++b)
            QCOMPARE(plant.health.quality(b), ValuesQuality::Good);
        plant.world->line().setUnplugged(true);
        const qint64 cut = plant.clock.nowMs();
        qint64 allStale = -1;
        while (allStale < 0 && plant.clock.nowMs() - cut < 20000) {
            plant.world->runFor(10);
            bool every = true;
            for (int b = 0; b < 16; ++b)
                every = every && plant.health.quality(b) == ValuesQuality::Stale;
            if (every)
                allStale = plant.clock.nowMs() - cut;
        }
        qInfo("%d baud: every block stale %lld ms after the line went silent", baud, allStale);
        QVERIFY2(allStale >= 0 && allStale <= 10000, qPrintable(QString::number(allStale)));

        std::array<int, 16> kinds{};
        QObject::connect(plant.comm.get(), &MonitorComm::blockPolled, &plant.health, [&kinds](int b, int v, ReplyKind k) {
            if (k == ReplyKind::Ack)
                kinds[size_t(b)] |= 1 << v;
        });
        plant.world->line().setUnplugged(false);
        const qint64 back = plant.clock.nowMs();
        std::array<bool, 16> good{};
        while (plant.clock.nowMs() - back < 30000) {
            plant.world->runFor(10);
            for (int b = 0; b < 16; ++b) {
                const bool now = plant.health.quality(b) == ValuesQuality::Good;
                QVERIFY2(!now || kinds[size_t(b)] == 0xF, qPrintable(QStringLiteral("block %1 good with kinds %2").arg(b).arg(kinds[size_t(b)])));
                QVERIFY2(good[size_t(b)] <= now, qPrintable(QStringLiteral("block %1 went bad again").arg(b)));
                good[size_t(b)] = now;
            }
        }
        QVERIFY(std::all_of(good.begin(), good.end(), [](bool g) { return g; }));
    }

    // Block 1 answers after its time-out, while block 2 (silent) is asked: the late reply is
    // no answer of block 2, and block 2 goes stale like any silent block.
    void lateReplyCountsForNoOtherBlock()
    {
        sim::DeviceModel model = sim::DeviceModel::allBlocks(2);
        Plant plant(std::move(model), 9600, {1, 2});
        sim::DeviceModel &m = plant.world->model();
        plant.world->line().setFarEnd([&m](const std::string &frame, qint64) {
            const RequestFrame f = parseFrame(frame);
            if (f.block != 1)
                return FarEndAnswer{};
            return FarEndAnswer{m.handleFrame(frame), 350};
        });
        plant.world->runFor(20000);
        QCOMPARE(plant.health.block(2).replies, uint64_t(0));
        QVERIFY(!plant.health.block(2).lastGoodReply.isValid());
        QVERIFY(plant.health.block(2).timeOuts > 10);
        QCOMPARE(plant.health.block(1).replies, uint64_t(0));
        QCOMPARE(plant.health.quality(2), ValuesQuality::None);
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
