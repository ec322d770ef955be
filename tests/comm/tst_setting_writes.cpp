// The setting writes: encoded fields and their conversions, cooling items, the two phases of
// the load transfers, refused writes, and the factory adjustment data.
#include "DeviceModel.h"
#include "MonitorComm.h"
#include "LinkRequests.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "ChangeRules.h"
#include "SettingWrite.h"
#include "SimulatedLine.h"

#include <QTest>
#include <algorithm>

using namespace PLM_INC;

namespace {

const QStringList kChain = {"0013", "0014", "0001", "0002", "0003", "0004", "0007", "0008", "000B",
                            "000C", "000D", "000E", "000F", "0010", "0011", "0012", "0015", "0016",
                            "0017", "0018", "0019", "001C", "001D", "001E", "001F", "0020"};

QStringList writes(int block, const QStringList &items)
{
    QStringList out;
    for (const QString &item : items)
        out << QStringLiteral("W %1 %2").arg(block).arg(item);
    return out;
}

QStringList chainWithoutCooling()
{
    return kChain.mid(0, 21);
}

int16_t simValue(SimulatedLine &line, int block, const char *item, int channel)
{
    int16_t v = 0;
    line.server().withModel([&](sim::DeviceModel &m) { v = m.value(block, item, channel); });
    return v;
}

// A write of the item with the image's values of every channel of the block.
LinkRequestJob blockWrite(int block, const char *item)
{
    std::vector<int> channels;
    for (int c = 0; c < kChannelsPerBlock; ++c)
        channels.push_back(block * kChannelsPerBlock + c);
    return ItemWriteRequest(QString::fromLatin1(item), channels);
}

void runDelay(MonitorComm &comm, int index)
{
    for (int i = 0; i < 15; ++i)
        comm.Timer3_Timer(index);
}

} // namespace

class SettingWritesTest : public QObject {
    Q_OBJECT

private slots:
    void oneItemIsWrittenWithItsConversionsAndReadBack()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({1}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({1});
        for (int ch = 20; ch < 22; ++ch) {
            InputType[ch] = 12;
            ScaleHigh[ch] = 2000;
            ScaleLow[ch] = -1000;
        }
        Alarm1Action[20] = 10; // process alarm: a level
        Alarm1Action[21] = 3;  // deviation alarm: a span
        Alarm1Value[20] = 500;
        Alarm1Value[21] = 300;
        for (int ch = 22; ch < 40; ++ch)
            Alarm1Value[ch] = static_cast<int16_t>(ch == 39 ? -1 : ch); // temperature inputs: unchanged
        PendingRequests.push(blockWrite(1, "0005"));
        comm->Timer4_Timer();

        QCOMPARE(line.summary(), QStringList({"W 1 0005", "R 1 0005"}));
        const QString data = parseFrame(line.frames()[0]).data;
        QCOMPARE(data.size(), 80);
        QCOMPARE(data.left(8), QStringLiteral("138803E8")); // 5000 and 1000 controller counts
        QCOMPARE(data.mid(8, 4), QStringLiteral("0016"));
        QCOMPARE(data.right(4), QStringLiteral("FFFF"));
        QCOMPARE(simValue(line, 1, "0005", 0), int16_t(5000));
        QCOMPARE(simValue(line, 1, "0005", 1), int16_t(1000));
        QCOMPARE(Alarm1Value[20], int16_t(500)); // the read-back, converted back
        QCOMPARE(Alarm1Value[21], int16_t(300));
        QCOMPARE(LinkRequest, int16_t(1));
        QCOMPARE(view.panel[1], QStringLiteral("OK"));

        PollBlock = 1;
        comm->Timer4_Timer(); // one poll step between two writes
        QCOMPARE(line.summary().last(), QStringLiteral("R 1 0080"));
        line.clear();
        MainSetting[20] = -250;
        PendingRequests.push(blockWrite(1, "0001"));
        comm->Timer4_Timer();
        QCOMPARE(parseFrame(line.frames()[0]).data.left(4), QStringLiteral("09C4")); // (-250 + 1000) * 10000 / 3000
    }

    void coolingItemsGoOnlyToBlocksWithCooling()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({1, 2}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({1, 2});
        BlockHasCooling[2] = -1;
        PendingRequests.push(blockWrite(1, "001E"));
        comm->Timer4_Timer();
        QVERIFY(line.frames().empty());
        QCOMPARE(LinkRequest, int16_t(1));
        PendingRequests.push(blockWrite(3, "0002"));
        comm->Timer4_Timer();
        QVERIFY(line.frames().empty());
        PendingRequests.push(blockWrite(2, "001E"));
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), QStringList({"W 2 001E", "R 2 001E"}));
    }

    void aValueWithoutADeviceCountSendsNothingOfItsItem()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({1}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({1});
        InputType[25] = 12;
        ScaleHigh[25] = 100;
        ScaleLow[25] = 100; // no span: no device count
        line.server().withModel([](sim::DeviceModel &m) { m.value(1, "000B", 0) = 42; });
        PendingRequests.push(blockWrite(1, "000B"));
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), QStringList({"R 1 000B"}));
        QCOMPARE(simValue(line, 1, "000B", 0), int16_t(42));
        QCOMPARE(LinkRequest, int16_t(1));
    }

    void blockTransferRestoresTheLoadedAlarmValuesFifteenSecondsLater()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({2}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({2});
        for (int c = 0; c < 20; ++c) {
            Alarm1Value[40 + c] = static_cast<int16_t>(10 + c);
            Alarm2Value[40 + c] = static_cast<int16_t>(-20 - c);
            ProportionalBand[40 + c] = 35;
        }
        PendingRequests.push(BlockSendRequest(2));
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), writes(2, chainWithoutCooling()));
        QCOMPARE(simValue(line, 2, "0002", 19), int16_t(35));
        QVERIFY(comm->timer3(0).isActive());
        QCOMPARE(comm->timer3(0).interval(), 1000);
        QVERIFY(comm->transferInProgress());
        QCOMPARE(LinkRequest, int16_t(1));
        line.clear();

        // Meanwhile the unit reports changed settings: the re-read shows its alarm values.
        line.server().withModel([](sim::DeviceModel &m) {
            m.value(2, "0083", 0) = 0x1000;
            m.value(2, "0005", 0) = 555;
        });
        PollBlock = 2;
        PollItem = 1;
        comm->Timer4_Timer();
        QCOMPARE(LinkRequest, int16_t(8));
        comm->Timer4_Timer();
        QCOMPARE(Alarm1Value[40], int16_t(555));
        line.clear();

        for (int i = 0; i < 14; ++i)
            comm->Timer3_Timer(0);
        QCOMPARE(LinkRequest, int16_t(1));
        QCOMPARE(view.transferProgress.last(), qMakePair(140, true));
        comm->Timer3_Timer(0);
        QCOMPARE(view.transferProgress.last(), qMakePair(150, true));
        QCOMPARE(LinkRequest, int16_t(5));
        QVERIFY(!comm->timer3(0).isActive());

        comm->Timer4_Timer();
        QCOMPARE(line.summary(), writes(2, {"0005", "0006"}));
        QCOMPARE(Alarm1Value[40], int16_t(10));
        QCOMPARE(simValue(line, 2, "0005", 0), int16_t(10));
        QCOMPARE(simValue(line, 2, "0006", 19), int16_t(-39));
        QCOMPARE(view.transfersFinished, QList<bool>({false}));
        QCOMPARE(view.transferProgress.last(), qMakePair(0, false));
        QCOMPARE(view.panel[4], QString());
        QVERIFY(!comm->transferInProgress());
        QCOMPARE(LinkRequest, int16_t(1));
    }

    void allBlocksTransferWritesEveryPresentBlock()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0, 2}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({0, 2});
        BlockHasCooling[0] = -1;
        PendingRequests.push(AllSendRequest());
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), writes(0, kChain) + writes(2, chainWithoutCooling()));
        QVERIFY(comm->timer3(1).isActive());
        QVERIFY(!comm->timer3(0).isActive());
        line.clear();
        runDelay(*comm, 1);
        QCOMPARE(LinkRequest, int16_t(6));
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), QStringList({"W 0 0005", "W 0 0006", "W 2 0005", "W 2 0006"}));
        QCOMPARE(view.transfersFinished, QList<bool>({true}));
    }

    void refusedWritesAreRecordedAndTheTransferGoesOn()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({2}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        sim::Faults faults;
        faults.nak = 0.3;
        faults.seed = 7;
        line.server().setFaults(faults);
        markPresent({2});
        PendingRequests.push(BlockSendRequest(2));
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), writes(2, chainWithoutCooling()));
        const int refused = view.panel1History.count(QStringLiteral("NG"));
        QVERIFY(refused >= 1);
        QVERIFY(refused < 21);
        QCOMPARE(view.panel1History.count(QStringLiteral("OK")), 21 - refused);
        QCOMPARE(env.historyCount(QStringLiteral("Received Negative acknowledgement from HRV-600.")), refused);
    }

    void anAbsentBlockGetsNothingButTheTransferEnds()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({2}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({2});
        PendingRequests.push(BlockSendRequest(3));
        comm->Timer4_Timer();
        runDelay(*comm, 0);
        comm->Timer4_Timer();
        QVERIFY(line.frames().empty());
        QCOMPARE(view.transfersFinished, QList<bool>({false}));
    }

    // Requests made while others wait or a transfer pauses: each goes to its own block, in the
    // order asked for. Rows: what is asked for, in order, and the frames on the line.
    void requestsKeepTheirOwnTargets_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QStringList>("frames");
        QTest::newRow("a write waiting when a block send starts")
            << "output 4; send 2" << (QStringList{"W 0 0009", "R 0 0009"} + writes(2, chainWithoutCooling()));
        QTest::newRow("a write waiting when a factory adjustment starts")
            << "output 4; factory 2" << QStringList{"W 0 0009", "R 0 0009", "W 2 0040"};
        QTest::newRow("a write in a block send's pause, then its second phase")
            << "send 2; tick; output 4; tick; pause"
            << (writes(2, chainWithoutCooling()) + QStringList{"W 0 0009", "R 0 0009", "W 2 0005", "W 2 0006"});
        QTest::newRow("two writes waiting: one poll step between them")
            << "output 4; output 45" << QStringList{"W 0 0009", "R 0 0009", "R 0 0080", "W 2 0009", "R 2 0009"};
        QTest::newRow("a re-read waiting before a write of the same block goes first")
            << "reread 0; output 4" << QStringList{"R 0 00A1", "R 0 0009", "R 0 0020", "W 0 0009", "R 0 0009"};
    }

    void requestsKeepTheirOwnTargets()
    {
        QFETCH(QString, asked);
        QFETCH(QStringList, frames);
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0, 2}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({0, 2});
        OutputOnOff[4] = 1;
        for (const QString &step : asked.split(QStringLiteral("; "))) {
            const QStringList words = step.split(QLatin1Char(' '));
            if (words[0] == QLatin1String("output"))
                QVERIFY(ToggleOutputOnMonitorPage(words[1].toInt()));
            else if (words[0] == QLatin1String("send"))
                PendingRequests.push(BlockSendRequest(words[1].toInt()));
            else if (words[0] == QLatin1String("factory"))
                PendingRequests.push(FactoryAdjustRequest(words[1].toInt(), QString(80, QLatin1Char('5'))));
            else if (words[0] == QLatin1String("reread"))
                PendingRequests.push(ReReadRequest(words[1].toInt()));
            else if (words[0] == QLatin1String("tick"))
                comm->Timer4_Timer();
            else if (words[0] == QLatin1String("pause"))
                runDelay(*comm, 0);
        }
        for (int i = 0; i < 8 && !PendingRequests.empty(); ++i)
            comm->Timer4_Timer();
        // The frames of interest in the order they went; poll steps and most re-read items between.
        QStringList seen = line.summary();
        seen.erase(std::remove_if(seen.begin(), seen.end(), [&](const QString &f) { return !frames.contains(f); }),
                   seen.end());
        QCOMPARE(seen, frames);
        QCOMPARE(simValue(line, 0, "0009", 4), int16_t(0));
    }

    // The operator's value outlives a re-read that brings the controller's old one, and a write
    // the controller did not answer waits, says so, and goes again.
    void aWriteIsNeverLost()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({1}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({1});
        sim::Faults silent;
        silent.drop = 1.0;
        line.server().setFaults(silent);
        MainSetting[25] = 432;
        RequestSettingWrite(1, 25);
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), QStringList({"W 1 0001"}));
        QCOMPARE(view.waitingWrites.last(), 1);
        QCOMPARE(PendingRequests.size(), 2); // the write, and a read of its item before it goes again

        line.server().setFaults(sim::Faults{});
        line.server().withModel([](sim::DeviceModel &m) { m.value(1, "0001", 5) = 7; });
        PendingRequests.pushFront(ReReadRequest(1)); // the controller's old value comes back first
        comm->Timer4_Timer();
        QCOMPARE(MainSetting[25], int16_t(432)); // the page still shows the operator's value
        line.clear();
        for (int i = 0; i < 6 && !PendingRequests.empty(); ++i)
            comm->Timer4_Timer();
        QVERIFY(line.summary().contains(QStringLiteral("W 1 0001")));
        QCOMPARE(simValue(line, 1, "0001", 5), int16_t(432));
        QCOMPARE(view.waitingWrites.last(), 0);
    }

    void factoryAdjustmentCarriesTheEightyCharactersUnchanged()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({1}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({1});
        QString text;
        for (int i = 0; i < 80; ++i)
            text += QChar(0x21 + (i * 7) % 90);
        PendingRequests.push(FactoryAdjustRequest(1, text));
        comm->Timer4_Timer();
        QCOMPARE(line.summary(), QStringList({"W 1 0040"}));
        QCOMPARE(parseFrame(line.frames()[0]).data, text);
        std::string stored;
        line.server().withModel([&](sim::DeviceModel &m) { stored = m.factoryData(1); });
        QCOMPARE(QString::fromStdString(stored), text);
        QCOMPARE(view.panel[1], QStringLiteral("OK"));
        QCOMPARE(LinkRequest, int16_t(1));
    }
};

QTEST_GUILESS_MAIN(SettingWritesTest)
#include "tst_setting_writes.moc"
