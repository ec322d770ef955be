// The start-up read: the frames on the line for present, absent and refusing blocks, the
// cooling items, the progress count, and link request 0.
#include "DeviceModel.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SimulatedLine.h"

#include <QTest>

using namespace PLM_INC;

namespace {

const QStringList kBlockItems = {
    "00A1", "0080", "0081", "0082", "0083", "0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008",
    "0009", "000A", "000B", "000C", "000D", "000E", "000F", "0010", "0011", "0012", "0013", "0014", "0015",
    "0016", "0017", "0018", "0019", "001A", "001B", "001C", "001D", "001E", "001F", "0020",
};
const QStringList kCoolingItems = {"001C", "001D", "001E", "001F", "0020"};

QStringList reads(int block, const QStringList &items)
{
    QStringList out;
    for (const QString &item : items)
        out << QStringLiteral("R %1 %2").arg(block).arg(item);
    return out;
}

QStringList withoutCooling(QStringList items)
{
    for (const QString &c : kCoolingItems)
        items.removeAll(c);
    return items;
}

// Block 0: heating/cooling on pair 3, a linear input on pair 0, pair 9 not fitted.
// Block 2: answers everything with NAK. Block 4: plain. The rest: absent.
sim::DeviceModel mixedInstallation()
{
    sim::DeviceModel m;
    for (int b : {0, 2, 4}) {
        m.block(b).present = true;
        m.block(b).connected.fill(1);
    }
    m.block(0).inputType[0] = 12;
    m.block(0).optionWord[3] = 0x0400 | 0x0001;
    m.block(0).connected[9] = 0;
    m.block(2).nakAll = true;
    m.block(4).inputType.fill(8);
    m.value(0, "0080", 0) = 5000;
    m.value(0, "0001", 1) = 2500;
    m.value(4, "0013", 7) = 9;
    return m;
}

} // namespace

class StartupReadTest : public QObject {
    Q_OBJECT

private slots:
    void framesOnTheLine()
    {
        CommTestEnvironment env;
        SimulatedLine line(mixedInstallation());
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        comm->Setdata_read();

        QStringList expected;
        for (int b = 0; b < 16; ++b) {
            expected << QStringLiteral("R %1 00A1").arg(b);
            if (b == 0 || b == 2 || b == 4)
                expected << QStringLiteral("R %1 00A0").arg(b);
        }
        for (int b : {0, 2, 4})
            expected << reads(b, {"0013", "0014"});
        expected << reads(0, kBlockItems) << reads(2, withoutCooling(kBlockItems))
                 << reads(4, withoutCooling(kBlockItems));
        QCOMPARE(line.summary(), expected);
        QCOMPARE(expected.size(), 16 + 3 + 6 + 37 + 32 + 32);
    }

    void imageAfterTheRead()
    {
        CommTestEnvironment env;
        Prefs::set(QStringLiteral("STLH001"), 2000);
        Prefs::set(QStringLiteral("STLL001"), -1000);
        Prefs::set(QStringLiteral("STLH002"), 2000);
        Prefs::set(QStringLiteral("STLL002"), -1000);
        Prefs::set(QStringLiteral("UNIT002"), QStringLiteral("bar"));
        SimulatedLine line(mixedInstallation());
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        comm->Setdata_read();

        QCOMPARE(BlockAbsent[0], int16_t(0));
        QCOMPARE(BlockAbsent[1], int16_t(1));
        QCOMPARE(BlockAbsent[2], int16_t(0)); // a NAK is an answer
        QCOMPARE(BlockAbsent[4], int16_t(0));
        QCOMPARE(BlockAbsent[15], int16_t(1));
        QCOMPARE(BlockHasCooling[0], int16_t(-1));
        QCOMPARE(BlockHasCooling[2], int16_t(0));
        QCOMPARE(BlockHasCooling[4], int16_t(0));
        QCOMPARE(InputType[0], int16_t(12));
        QCOMPARE(InputType[1], int16_t(12));
        QCOMPARE(OptionWord[6], int16_t(0x0401));
        QCOMPARE(OptionWord[7], int16_t(0x0401));
        QCOMPARE(InputType[80], int16_t(8));
        QCOMPARE(InputType[40], int16_t(0)); // the refusing block reads as type 0
        QCOMPARE(ChannelConnected[17], int16_t(1));
        QCOMPARE(ChannelConnected[18], int16_t(0));
        QCOMPARE(ChannelConnected[19], int16_t(0));
        QCOMPARE(Alarm1Action[87], int16_t(9));
        // The scaling is in place before the values it converts are read.
        QCOMPARE(ScaleHigh[0], int16_t(2000));
        QCOMPARE(ScaleLow[0], int16_t(-1000));
        QCOMPARE(ProcessValue[0], int16_t(500));
        QCOMPARE(MainSetting[1], int16_t(-250));
        QCOMPARE(UnitText[1], QStringLiteral("bar"));
        QCOMPARE(UnitText[300], QStringLiteral("%"));
        QCOMPARE(DecimalDivisor[300], int16_t(100));
        QCOMPARE(ScaleHigh[319], int16_t(10000));

        // Every classified read of the refusing block is one NAK entry; its "00A1" is not classified.
        QCOMPARE(env.historyCount(QStringLiteral("Received Negative acknowledgement from HRV-600.")), 1 + 2 + 32);
        QCOMPARE(view.panel[1], QStringLiteral("OK"));
        QCOMPARE(CommError, int16_t(0));
    }

    void progressCountsSixHundredAndEightSteps()
    {
        CommTestEnvironment env;
        SimulatedLine line(mixedInstallation());
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        comm->Setdata_read();
        QCOMPARE(view.startupProgress.size(), 32);
        QCOMPARE(view.startupProgress.first(), 1);
        QCOMPARE(view.startupProgress[15], 16);
        QCOMPARE(view.startupProgress[16], 16 + 37);
        QCOMPARE(view.startupProgress.last(), 608);
        for (int i = 1; i < view.startupProgress.size(); ++i)
            QVERIFY(view.startupProgress[i] > view.startupProgress[i - 1]);
    }

    void linkRequestZeroReadsThenStartsTheWindows()
    {
        CommTestEnvironment env;
        SimulatedLine line(sim::DeviceModel::allBlocks(1));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        LinkRequest = 0;
        comm->Timer4_Timer();
        QCOMPARE(view.startupFinishedCount, 1);
        QCOMPARE(view.startupProgress.last(), 608);
        QCOMPARE(LinkRequest, int16_t(1));
        QCOMPARE(int(line.frames().size()), 16 + 1 + 2 + 32);
        line.clear();
        comm->Timer4_Timer(); // polling from here on
        QCOMPARE(line.summary(), QStringList({"R 0 0080"}));
        QCOMPARE(view.startupFinishedCount, 1);
    }
};

QTEST_GUILESS_MAIN(StartupReadTest)
#include "tst_startup_read.moc"
