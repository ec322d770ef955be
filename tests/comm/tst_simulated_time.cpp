// The link driver in simulated time against the in-process installation: ten minutes of
// polling 16 blocks, a block transfer with its 15 s pause and a dead line of 30 s, with what the
// screen and link health show at every step; a late reply counts for nobody. Nothing waits but
// the real-time reference of a short scenario, the line thread on the pseudo-terminal.
#include "DeviceModel.h"
#include "FrameTrace.h"
#include "ItemTable.h"
#include "LineThread.h"
#include "LinkHealth.h"
#include "LinkRequests.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Protocol.h"
#include "PtyServer.h"
#include "SimulatedLine.h"
#include "STDComm.h"
#include "SimulatedWorld.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <array>
#include <functional>

using namespace PLM_INC;

namespace {

constexpr int kBaud = 9600;
constexpr qint64 kMinute = 60 * 1000;

// What the screen showed, in order, with the simulated time it was shown at.
class TimedView : public RecordingLinkView {
public:
    explicit TimedView(SimulatedClock &clock) : clock_(clock) {}
    void setStatusPanel(int panel, const QString &text) override
    {
        RecordingLinkView::setStatusPanel(panel, text);
        if (panel == 1)
            panel1.push_back({clock_.nowMs(), text});
    }
    void setCommErrorNoticeVisible(bool visible) override
    {
        RecordingLinkView::setCommErrorNoticeVisible(visible);
        notice.push_back({clock_.nowMs(), visible});
    }
    std::vector<std::pair<qint64, QString>> panel1;
    std::vector<std::pair<qint64, bool>> notice;

private:
    SimulatedClock &clock_;
};

// One scenario at any pace, a step at the end of every 16th tick counted where no clock decides
// their number: the probe, the start-up read of 16 blocks and polls; a block transfer (its chain,
// its pause of 15 s with polls, its alarm values) and polls; the line dead; polls. Gives each
// phase's frames whole, each run of polls after the start-up (its length is the pace's) folded.
QStringList scenarioFrames(MonitorComm &comm, const std::function<std::vector<std::string>()> &frames,
                           const std::function<void(bool)> &lineDead, const std::function<bool(std::function<bool()>)> &waitFor)
{
    const std::vector<std::function<void()>> steps = {[] { PendingRequests.push(BlockSendRequest(4)); }, [&] { lineDead(true); },
                                                      [&] { lineDead(false); }, [&comm] { comm.timer4().stop(); }};
    std::vector<size_t> marks;
    QObject scene;
    QObject::connect(&comm, &MonitorComm::tickEnded, &scene, [&, ticks = 0]() mutable {
        if (marks.size() < steps.size() && LinkRequest == 1 && !comm.transferInProgress() && ++ticks % 16 == 0) {
            marks.push_back(frames().size());
            steps[marks.size() - 1]();
        }
    });
    comm.communicate();
    if (!waitFor([&] { return marks.size() == steps.size(); }))
        return {QStringLiteral("the scenario stopped in phase %1").arg(marks.size())};
    comm.closePort();
    QStringList phases;
    const std::vector<std::string> sent = frames();
    for (size_t i = 0; i < sent.size(); ++i) {
        const bool poll = i >= marks.front() && parseFrame(sent[i]).item.startsWith(QLatin1String("008"));
        const QString phase = std::count(marks.begin(), marks.end(), i) ? QStringLiteral("-- ") : QString();
        if (!phase.isEmpty() || !poll || phases.back() != QLatin1String("polls"))
            phases << phase + (poll ? QStringLiteral("polls") : QString::fromStdString(sim::TraceLine(sent[i])));
    }
    return phases;
}

QStringList summaryFrom(const std::vector<std::string> &frames, size_t from)
{
    return frameSummary(std::vector<std::string>(frames.begin() + qMin(from, frames.size()), frames.end()));
}

// The port opened on the simulated line as connectedComm opens it on the pseudo-terminal.
void runOnLinkOf(MonitorComm &comm, SimulatedClock &clock)
{
    bool done = false;
    comm.configureLink(
        [](tobrel::STDComm &link) {
            link.setPort(QStringLiteral("COM1"));
            link.PortOpen();
            link.setTimeOut(300); // the program's: a reply at 9600 baud takes about 100 ms
        },
        [&done] { done = true; });
    while (!done)
        clock.runUntil(clock.nowMs() + 1);
}

} // namespace

class SimulatedTimeTest : public QObject {
    Q_OBJECT

private slots:
    // The same whole frames in simulated time as from the line thread on the pseudo-terminal.
    void sameFramesAsTheLineThreadOnThePseudoTerminal()
    {
        QStringList onPty;
        {
            CommTestEnvironment env;
            SimulatedLine line(sim::DeviceModel::allBlocks(16), 115200); // a short run: 9 ms a poll
            QVERIFY(line.start());
            MonitorComm comm(std::make_unique<LineThread>([&line] {
                auto link = std::make_unique<tobrel::STDComm>();
                line.driveDeadlineOf(*link); // a reply on its way is waited for however loaded the machine
                return link;
            }), MakeQtEngineClock());
            onPty = scenarioFrames(comm, [&line] { return line.frames(); },
                                   [&line](bool dead) { sim::Faults f; f.drop = dead; line.server().setFaults(f); },
                                   [](auto done) { return QTest::qWaitFor(done, 120000); });
        }
        CommTestEnvironment env;
        auto *world = new SimulatedWorld(sim::DeviceModel::allBlocks(16), kBaud);
        MonitorComm comm(std::unique_ptr<LinkService>(world), world->takeClock());
        const QStringList inSimulatedTime = scenarioFrames(
            comm, [world] { return world->line().frames(); }, [world](bool dead) { world->line().setUnplugged(dead); },
            [world](auto done) { for (int i = 0; i < 100000 && !done(); ++i) world->runFor(10); return done(); });
        QVERIFY(inSimulatedTime.filter(QStringLiteral("<STX>$ R")).size() > 20); // the transfer's writes to block 4
        QCOMPARE(inSimulatedTime, onPty);
    }

    void tenMinutesOfPollingATransferAndADeadLine()
    {
        CommTestEnvironment env;
        QElapsedTimer real;
        real.start();
        auto *simulated = new SimulatedWorld(sim::DeviceModel::allBlocks(16), kBaud);
        SimulatedWorld &world = *simulated;
        SimulatedClock &clock = world.clock();
        TimedView view(clock);
        std::unique_ptr<EngineClock> engineClock = world.takeClock();
        MonitorComm comm(std::unique_ptr<LinkService>(simulated), std::move(engineClock));
        auto release = qScopeGuard([&comm] { comm.closePort(); });
        comm.setView(&view);
        const std::vector<std::string> &frames = world.line().frames();
        LinkHealth health(comm);
        std::array<int, 16> kinds{}; // the kinds of value read, since the line came back
        connect(&comm, &MonitorComm::blockPolled, [&](int b, int v, ReplyKind k) { kinds[size_t(b)] |= k == ReplyKind::Ack ? 1 << v : 0; });
        const auto every = [&health](ValuesQuality q) { int n = 0; for (int b = 0; b < 16; ++b) n += health.quality(b) == q; return n == 16; };

        // The probe and the start-up read: 16 x (00A1, 00A0), 16 x (0013, 0014), 16 x 37.
        comm.communicate();
        world.runFor(2 * kMinute); // 624 reads of about 107 ms
        QCOMPARE(view.startupFinishedCount, 1);
        QCOMPARE(LinkRequest, int16_t(1));
        const QStringList startup = summaryFrom(frames, 0);
        QCOMPARE(startup.first(), QStringLiteral("R 0 00A0"));
        QCOMPARE(startup.mid(1, 2), QStringList({"R 0 00A1", "R 0 00A0"}));
        int startupFrames = 1 + 16 * 2 + 16 * 2;
        for (int b = 0; b < 16; ++b)
            startupFrames += BlockHasCooling[b] ? 37 : 32;
        QCOMPARE(startup.mid(startupFrames, 3), QStringList({"R 0 0080", "R 1 0080", "R 2 0080"}));

        // Ten minutes of polling go at the pace of the line: no time is lost between frames.
        size_t mark = frames.size();
        const qint64 pollStart = clock.nowMs();
        world.runFor(10 * kMinute);
        const QStringList polls = summaryFrom(frames, mark);
        const double pollMs = 10000.0 / kBaud * (11 + 91); // request and reply characters
        const double lineLimit = double(clock.nowMs() - pollStart) / pollMs;
        QVERIFY2(polls.size() >= lineLimit * 0.99 && polls.size() <= lineLimit + 1,
                 qPrintable(QStringLiteral("%1 polls, line limit %2").arg(polls.size()).arg(lineLimit)));
        const QStringList pollItems = {"0080", "0083", "0081", "0082"};
        const int firstBlock = polls.first().section(QLatin1Char(' '), 1, 1).toInt();
        for (int i = 0; i < polls.size(); ++i) { // block after block, every block polled
            QCOMPARE(polls[i].section(QLatin1Char(' '), 1, 1).toInt(), (firstBlock + i) % 16);
            QVERIFY(pollItems.contains(polls[i].section(QLatin1Char(' '), 2, 2)));
        }
        QCOMPARE(view.notice.empty() || !view.notice.back().second, true);

        // A block transfer: the chain, a pause of 15 s in which polling goes on, the alarms.
        mark = frames.size();
        PendingRequests.push(BlockSendRequest(4));
        QVERIFY(comm.transferInProgress());
        world.runFor(5000);
        QStringList transfer = summaryFrom(frames, mark);
        int chainLength = 0;
        for (const QString &item : TransferChainItems())
            chainLength += BlockHasCooling[4] || !IsCoolingItem(item) ? 1 : 0;
        const int chainStart = int(transfer.indexOf(QRegularExpression(QStringLiteral("W 4 .*"))));
        QVERIFY2(chainStart >= 0 && chainStart <= 1, qPrintable(transfer.mid(0, 6).join(", "))); // at most the poll on the line when it was asked
        QCOMPARE(transfer.mid(chainStart, chainLength).filter(QStringLiteral("W 4 ")).size(), chainLength);
        QVERIFY(comm.transferInProgress());
        QVERIFY(comm.timer3(0).isActive());
        world.runFor(10000); // 15 s since the request: the chain's 2 s and 13 s of its pause
        QVERIFY(summaryFrom(frames, mark).lastIndexOf(QStringLiteral("W 4 0005")) < chainStart + chainLength);
        world.runFor(4000);
        transfer = summaryFrom(frames, mark);
        const int second = int(transfer.lastIndexOf(QStringLiteral("W 4 0005")));
        QVERIFY2(second > chainStart + chainLength, qPrintable(QString::number(second) + ": " + transfer.join(", ").left(600)));
        QCOMPARE(transfer.mid(second, 2), QStringList({"W 4 0005", "W 4 0006"}));
        // Polling only in the pause.
        QVERIFY(transfer.mid(chainStart + chainLength, second - chainStart - chainLength).filter(QStringLiteral("W ")).isEmpty());
        QVERIFY(!comm.transferInProgress());

        // The line dies for 30 s: the notice comes with the first unanswered poll, panel 1 is
        // never "OK" while nothing answers, and both recover at the first answer.
        world.runFor(1000);
        view.panel1.clear();
        view.notice.clear();
        QVERIFY(every(ValuesQuality::Good));
        world.line().setUnplugged(true);
        const qint64 cut = clock.nowMs();
        mark = frames.size();
        qint64 allStale = -1;
        for (; clock.nowMs() < cut + 30000; world.runFor(10))
            allStale = allStale < 0 && every(ValuesQuality::Stale) ? clock.nowMs() - cut : allStale;
        qInfo("every block stale %lld ms after the line went silent", allStale);
        QVERIFY2(allStale >= 0 && allStale <= 10000, "every block is stale within 10 s");
        const qint64 back = clock.nowMs();
        QVERIFY2(health.answeredShare(7) > 0.6 && health.answeredShare(7) < 0.8, "half the minute was dead"); // polls of 106 and 300 ms
        kinds.fill(0);
        world.line().setUnplugged(false);
        world.runFor(2000);
        QVERIFY(!view.notice.empty());
        QCOMPARE(view.notice.front().second, true);
        QVERIFY2(view.notice.front().first - cut <= 1000, "the notice is shown within a second");
        for (const auto &[at, text] : view.panel1)
            if (at > cut + 300 && at <= back)
                QVERIFY2(text.isEmpty(), qPrintable(QStringLiteral("panel 1 read %1 at %2 ms").arg(text).arg(at - cut)));
        QCOMPARE(view.notice.back().second, false);
        QVERIFY(view.notice.back().first - back <= 1000);
        QVERIFY(std::any_of(view.panel1.begin(), view.panel1.end(), [back](const auto &shown) {
            return shown.first > back && shown.first <= back + 1000 && shown.second == QLatin1String("OK");
        }));
        const int deadFrames = int(summaryFrom(frames, mark).size());
        QVERIFY2(deadFrames >= 30000 / 310 && deadFrames <= 30000 / 300 + 30,
                 qPrintable(QString::number(deadFrames) + " frames in the dead line's 30 s and 2 s after"));

        for (qint64 end = clock.nowMs() + 15000; clock.nowMs() < end; world.runFor(10)) // good again when all is read
            for (int b = 0; b < 16; ++b)
                QVERIFY2((health.quality(b) == ValuesQuality::Good) == (kinds[size_t(b)] == 0xF), qPrintable(QString::number(b)));
        qInfo("%lld simulated s in %lld ms of real time, %zu frames", clock.nowMs() / 1000, real.elapsed(),
              frames.size());
    }

    // The port's refusal reaches the operator on the engine's clock, after the probe's step.
    void portRefusalIsToldInSimulatedTime()
    {
        CommTestEnvironment env;
        auto *world = new SimulatedWorld(sim::DeviceModel::allBlocks(1), kBaud);
        MonitorComm comm(std::unique_ptr<LinkService>(world), world->takeClock());
        QStringList told;
        comm.setMessageHandler([&told](const QString &text) { told << text; });
        world->line().setCtsLow(true);
        comm.communicate();
        world->runFor(10);
        QCOMPARE(told, QStringList{QStringLiteral("Communications port cannot be opend.(通信ポートをオープン出来ません！)")});
    }

    // Block 1 answers after its time-out, while silent block 2 is asked: no answer of either.
    void lateReplyCountsForNoBlock()
    {
        CommTestEnvironment env;
        auto *world = new SimulatedWorld(sim::DeviceModel::allBlocks(2), kBaud);
        SimulatedClock &clock = world->clock();
        MonitorComm comm(std::unique_ptr<LinkService>(world), world->takeClock());
        LinkHealth health;
        connect(&comm, &MonitorComm::transactionDone, &health, &LinkHealth::noteTransaction);
        runOnLinkOf(comm, clock);
        markPresent({1, 2});
        world->line().setFarEnd([&m = world->model()](const std::string &frame, qint64) {
            return parseFrame(frame).block == 1 ? FarEndAnswer{m.handleFrame(frame), 350, {}} : FarEndAnswer{}; });
        comm.timer4().start();
        world->runFor(20000);
        QVERIFY(health.block(2).timeOuts > 10);
        QCOMPARE(health.block(2).replies + health.block(1).replies, uint64_t(0));
        comm.closePort();
    }

    // A read reply of the item that comes while its write waits (a late answer to an earlier
    // read of it) is no acknowledgement of the write: the write goes again.
    void lateReadReplyIsNoWriteAcknowledgement()
    {
        CommTestEnvironment env;
        auto *world = new SimulatedWorld(sim::DeviceModel::allBlocks(1), kBaud);
        SimulatedClock &clock = world->clock();
        MonitorComm comm(std::unique_ptr<LinkService>(world), world->takeClock());
        runOnLinkOf(comm, clock);
        markPresent({0});
        int writes = 0;
        world->line().setFarEnd([&m = world->model(), &writes](const std::string &frame, qint64) {
            const RequestFrame f = parseFrame(frame);
            if (f.command != 0x52 || ++writes > 1)
                return FarEndAnswer{m.handleFrame(frame), 0, {}};
            const std::string read = tobrel::MakeFrame(std::string(1, tobrel::BlockAddress(0)), " ", "\"",
                                                       f.item.toStdString(), "");
            return FarEndAnswer{m.handleFrame(read), 0, {}};
        });
        MainSetting[3] = 345;
        PendingRequests.push(ItemWriteRequest(QStringLiteral("0001"), {3}));
        comm.timer4().start();
        world->runFor(5000);
        QCOMPARE(writes, 2);
        QCOMPARE(world->model().value(0, "0001", 3), int16_t(345));
        comm.closePort();
    }
};

QTEST_GUILESS_MAIN(SimulatedTimeTest)
#include "tst_simulated_time.moc"
