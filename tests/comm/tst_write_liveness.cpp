// Writes against blocks that stop answering, in simulated time: a silent block holds only its
// own writes and they go once it answers again; a transfer cut by a silent block sends no
// second phase there and says so; a value without a device count is named.
#include "DeviceModel.h"
#include "ItemTable.h"
#include "LinkRequests.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "STDComm.h"
#include "SettingWrite.h"
#include "SimulatedLine.h"
#include "SimulatedWorld.h"

#include <QTest>

using namespace PLM_INC;

namespace {

// The driver polling blocks 0, 1 and 3 of a simulated installation, the start-up read done.
struct Plant {
    Plant() : world(new SimulatedWorld(presentBlocks({0, 1, 3}), 9600)), clock(world->clock())
    {
        comm = std::make_unique<MonitorComm>(std::unique_ptr<LinkService>(world), world->takeClock());
        comm->setView(&view);
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
        markPresent({0, 1, 3});
        comm->timer4().start();
    }
    ~Plant() { comm->closePort(); }
    void setSv(int channel, int value)
    {
        QVERIFY(StoreSettingValue(1, channel, value));
        RequestSettingWrite(1, channel);
    }
    void switchBlock(int block, bool on) { world->model().block(block).present = on; }
    QStringList writesSince(size_t from) const
    {
        const auto &frames = world->line().frames();
        return frameSummary(std::vector<std::string>(frames.begin() + qMin(from, frames.size()), frames.end()))
            .filter(QStringLiteral("W "));
    }

    CommTestEnvironment env;
    SimulatedWorld *world;
    SimulatedClock &clock;
    RecordingLinkView view;
    std::unique_ptr<MonitorComm> comm;
};

} // namespace

class WriteLivenessTest : public QObject {
    Q_OBJECT

private slots:
    // Block 02 switched off, an SV set on it and then one on block 01: block 01's goes at
    // once, block 02's waits with panel 4 naming the block, and goes when the block is back.
    void aSilentBlockHoldsOnlyItsOwnWrites()
    {
        Plant plant;
        plant.world->runFor(2000);
        plant.switchBlock(1, false);
        const size_t mark = plant.world->line().frames().size();
        plant.setSv(25, 432);
        plant.world->runFor(1000);
        plant.setSv(5, 77);
        plant.world->runFor(20000);
        QCOMPARE(plant.writesSince(mark), QStringList({"W 1 0001", "W 0 0001"}));
        QCOMPARE(plant.view.waitingWrites.last(), 1);
        QCOMPARE(plant.view.waitingBlocks.last(), QStringLiteral("02"));
        QCOMPARE(plant.world->model().value(0, "0001", 5), int16_t(77));

        plant.switchBlock(1, true);
        plant.world->runFor(5000);
        QCOMPARE(plant.writesSince(mark), QStringList({"W 1 0001", "W 0 0001", "W 1 0001"}));
        QCOMPARE(plant.world->model().value(1, "0001", 5), int16_t(432));
        QCOMPARE(plant.view.waitingWrites.last(), 0);
        QVERIFY(PendingRequests.empty());
        QVERIFY(plant.view.writeProblems.isEmpty());
    }

    // A block send whose block goes silent after its first writes: no second phase, one
    // message naming the block, and the file windows are usable again after the pause.
    void aCutTransferIsNotFinishedBlindly()
    {
        Plant plant;
        plant.world->runFor(2000);
        const size_t mark = plant.world->line().frames().size();
        PendingRequests.push(BlockSendRequest(3));
        plant.world->runFor(300); // the chain has begun
        plant.switchBlock(3, false);
        plant.world->runFor(30000);
        const QStringList writes = plant.writesSince(mark);
        QVERIFY(!writes.isEmpty());
        QVERIFY2(!writes.contains(QStringLiteral("W 3 0005")), qPrintable(writes.join(", ")));
        QCOMPARE(plant.view.writeProblems.size(), 1);
        QVERIFY2(plant.view.writeProblems[0].startsWith(QStringLiteral("Block 04 did not answer")),
                 qPrintable(plant.view.writeProblems[0]));
        QVERIFY(!plant.comm->transferInProgress());
        QCOMPARE(plant.view.transfersFinished, QList<bool>({false}));
    }

    // A value whose conversion has no 16-bit device count: nothing of its item is sent, and
    // the operator is told which channel and why.
    void aRefusedValueIsNamed()
    {
        Plant plant;
        plant.world->runFor(2000);
        const int channel = 64; // Ch065, block 04
        InputType[channel] = 12;
        ScaleHigh[channel] = 1;
        ScaleLow[channel] = 0;
        MainSetting[channel] = 30000;
        PendingRequests.push(ItemWriteRequest(QStringLiteral("0001"), {channel}));
        const size_t mark = plant.world->line().frames().size();
        plant.world->runFor(2000);
        QVERIFY(plant.writesSince(mark).isEmpty());
        QCOMPARE(plant.view.writeProblems.size(), 1);
        QVERIFY2(plant.view.writeProblems[0].startsWith(QStringLiteral("Ch065: the value of item 0001 cannot be sent (")),
                 qPrintable(plant.view.writeProblems[0]));
        QVERIFY(plant.view.writeProblems[0].contains(QStringLiteral("block 04")));
    }
};

QTEST_GUILESS_MAIN(WriteLivenessTest)
#include "tst_write_liveness.moc"
