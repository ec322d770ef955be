// The poll cycle and the link requests: poll order, the settings-changed re-read, requests
// between polls, reply classification, no block present, and a tick inside a tick.
#include "DeviceModel.h"
#include "DiskWriter.h"
#include "MonitorComm.h"
#include "LinkRequests.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "SimulatedLine.h"

#include <QTest>

using namespace PLM_INC;

namespace {

const QString kNakText = QStringLiteral("Received Negative acknowledgement from HRV-600.");
const QString kChecksumText = QStringLiteral("Checksum error occured.");

void ticks(MonitorComm &comm, int n)
{
    for (int i = 0; i < n; ++i)
        comm.Timer4_Timer();
}

} // namespace

class PollCycleTest : public QObject {
    Q_OBJECT

private slots:
    void pollOrderAlternatesHeaterCurrentAndOutput()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0, 5}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({0, 5});
        ticks(*comm, 18);
        QCOMPARE(line.summary(), QStringList({
                                     "R 0 0080", "R 5 0080", "R 0 0083", "R 5 0083", "R 0 0082", "R 5 0082",
                                     "R 0 0080", "R 5 0080", "R 0 0083", "R 5 0083", "R 0 0081", "R 5 0081",
                                     "R 0 0080", "R 5 0080", "R 0 0083", "R 5 0083", "R 0 0082", "R 5 0082",
                                 }));
        QCOMPARE(view.refreshCount, 18);
        // Answered within the time-out: panel 1 goes straight to the result.
        QCOMPARE(view.panel1History.mid(0, 2), QStringList({"OK", "OK"}));
    }

    void settingsChangedInTwoChannelsRereadsTheBlockOnce()
    {
        CommTestEnvironment env;
        sim::DeviceModel model = presentBlocks({3});
        model.value(3, "0083", 2) = 0x1000;
        model.value(3, "0083", 11) = 0x1000 | 0x0400;
        model.value(3, "0005", 4) = 66;
        SimulatedLine line(std::move(model));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({3});
        PollItem = 1;
        PollBlock = 3;
        SelectedItem = 5;

        comm->Timer4_Timer();
        QCOMPARE(line.summary(), QStringList({"R 3 0083"}));
        QCOMPARE(LinkRequest, int16_t(8));
        QCOMPARE(ReReadBlock, int16_t(3));
        QVERIFY(view.readingNotice);
        line.clear();

        comm->Timer4_Timer();
        QStringList expected;
        for (const char *item : {"00A1", "0080", "0081", "0082", "0083", "0001", "0002", "0003", "0004", "0005",
                                 "0006", "0007", "0008", "0009", "000A", "000B", "000C", "000D", "000E", "000F",
                                 "0010", "0011", "0012", "0013", "0014", "0015", "0016", "0017", "0018", "0019",
                                 "001A", "001B", "001C", "001D", "001E", "001F", "0020"})
            expected << QStringLiteral("R 3 ") + item;
        QCOMPARE(line.summary(), expected); // all 37, the cooling settings too
        QCOMPARE(Alarm1Value[64], int16_t(66));
        QCOMPARE(view.resetEditorCount, 1);
        QCOMPARE(SelectedItem, int16_t(0));
        QCOMPARE(LinkRequest, int16_t(1));
        QVERIFY(!view.readingNotice);
        line.clear();

        // The re-read's "00A1" cleared the bit in the unit: no second re-read.
        ticks(*comm, 6);
        QCOMPARE(line.summary(), QStringList({"R 3 0082", "R 3 0080", "R 3 0083", "R 3 0081", "R 3 0080", "R 3 0083"}));
        QCOMPARE(LinkRequest, int16_t(1));
        QCOMPARE(view.resetEditorCount, 1);
    }

    void aRequestWrittenDuringAPollRunsNextThenPollingResumes()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0, 1}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({0, 1});
        ProportionalBand[25] = 123;
        view.onRefresh = [&] {
            PendingRequests.push(ItemWriteRequest(QStringLiteral("0002"), {25}));
            view.onRefresh = nullptr;
        };
        ticks(*comm, 3);
        QCOMPARE(line.summary(), QStringList({"R 0 0080", "W 1 0002", "R 1 0002", "R 1 0080"}));
        QCOMPARE(LinkRequest, int16_t(1));
        int16_t written = 0;
        line.server().withModel([&](sim::DeviceModel &m) { written = m.value(1, "0002", 5); });
        QCOMPARE(written, int16_t(123));
    }

    void aNegativeReplyShowsNgAndLeavesTheValues()
    {
        CommTestEnvironment env;
        sim::DeviceModel model = presentBlocks({0});
        model.value(0, "0080", 0) = 999;
        SimulatedLine line(std::move(model));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        line.server().withModel([](sim::DeviceModel &m) { m.block(0).nakAll = true; });
        markPresent({0});
        ProcessValue[0] = 123;
        comm->Timer4_Timer();
        QCOMPARE(view.panel1History, QStringList({"NG"}));
        QCOMPARE(ProcessValue[0], int16_t(123));
        QCOMPARE(HistoryRow, int16_t(2));
        QCOMPARE(HistoryBuffer[0][2], QStringLiteral("----"));
        QCOMPARE(HistoryBuffer[0][3], kNakText);
        QCOMPARE(CommError, int16_t(0));
        QVERIFY(!view.commErrorNotice);
    }

    void aChecksumFailureIsOneEntryAndLeavesTheValues()
    {
        CommTestEnvironment env;
        sim::DeviceModel model = presentBlocks({0});
        model.value(0, "0080", 0) = 999;
        SimulatedLine line(std::move(model));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        sim::Faults faults;
        faults.badChecksum = 1.0;
        line.server().setFaults(faults);
        markPresent({0});
        ProcessValue[0] = 123;
        comm->Timer4_Timer();
        QCOMPARE(view.panel1History, QStringList({""}));
        QCOMPARE(ProcessValue[0], int16_t(123));
        QCOMPARE(env.historyContents(), QStringList({kChecksumText}));
        QCOMPARE(HistoryBuffer[0][2], QStringLiteral("----"));
        QCOMPARE(CommError, int16_t(0));
    }

    void noReplyShowsTheNoticeUntilTheFirstAnswer()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        sim::Faults faults;
        faults.drop = 1.0;
        line.server().setFaults(faults);
        markPresent({0});
        ticks(*comm, 3);
        QVERIFY(view.commErrorNotice);
        QCOMPARE(CommError, int16_t(-1));
        QCOMPARE(view.panel[1], QString());
        QCOMPARE(HistoryRow, int16_t(1));
        line.server().setFaults(sim::Faults());
        comm->Timer4_Timer();
        QCOMPARE(CommError, int16_t(0));
        QVERIFY(!view.commErrorNotice);
        QCOMPARE(view.panel[1], QStringLiteral("OK"));
    }

    void withNoBlockPresentThePollStepDoesNothing()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        markPresent({});
        PollBlock = 7;
        PollItem = 2;
        ticks(*comm, 500);
        QVERIFY(line.frames().empty());
        QCOMPARE(PollBlock, int16_t(7));
        QCOMPARE(PollItem, int16_t(2));
        QCOMPARE(view.refreshCount, 500);
        // A request still runs: the link is idle, not stuck.
        LinkRequest = 42;
        comm->Timer4_Timer();
        QCOMPARE(LinkRequest, int16_t(1));
    }

    void aTickNeverRunsInsideAnother()
    {
        CommTestEnvironment env;
        SimulatedLine line(presentBlocks({0, 1}));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        line.server().withModel([](sim::DeviceModel &m) { m.block(0).nakAll = true; });
        markPresent({0, 1});
        HistoryFileName = env.folder(); // every entry raises the "cannot write" box
        int nested = 0;
        env.prompter.duringMessage = [&] {
            ++nested;
            comm->Timer4_Timer(); // the link timer fires inside the box's event loop
        };
        comm->Timer4_Timer();
        // The history line is written on the disk writer's thread: its box never opens inside
        // the tick, but after it, when the writer reports the failure back.
        QCOMPARE(nested, 0);
        QCOMPARE(line.summary(), QStringList({"R 0 0080"}));
        QCOMPARE(HistoryRow, int16_t(2)); // recorded in memory all the same
        diskWriter().waitUntilWritten();
        QCOMPARE(nested, 1);
        QCOMPARE(env.prompter.messages.size(), 1);
        QCOMPARE(line.summary(), QStringList({"R 0 0080", "R 1 0080"})); // a whole tick of its own
    }
};

QTEST_GUILESS_MAIN(PollCycleTest)
#include "tst_poll_cycle.moc"
