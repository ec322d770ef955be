// Characters left waiting on the line (a reply that came after its time-out, noise of a
// replugged adapter) are never taken for the answers of the start-up read or the block
// re-read: both empty the line's buffers before their first request. The controller runs
// in-process behind a line whose buffers the test can fill, on a clock that moves only while
// the line is silent.
#include "DeviceModel.h"
#include "ItemTable.h"
#include "MockLine.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "STDComm.h"
#include "SimulatedLine.h"

#include <QTest>
#include <memory>

using namespace PLM_INC;

namespace {

// Every item of block 0 holds numbers of its own, so a reply taken for another item shows.
int16_t itemValue(const QString &code, int channel)
{
    if (code == QLatin1String("0013") || code == QLatin1String("0014"))
        return int16_t(channel % 13); // alarm action codes
    if (code == QLatin1String("0083"))
        return 0;                     // no alarms, no settings-changed bit
    return int16_t(code.toInt(nullptr, 16) * 20 + channel);
}

std::shared_ptr<sim::DeviceModel> numberedBlockZero()
{
    auto model = std::make_shared<sim::DeviceModel>(presentBlocks({0}));
    model->setLive(false);
    for (const ItemInfo &info : ItemTable()) {
        if (info.code.isEmpty() || !info.field)
            continue;
        for (int c = 0; c < kChannelsPerBlock; ++c)
            model->value(0, info.code.toStdString(), c) = itemValue(info.code, c);
    }
    return model;
}

enum class Read { Startup, BlockReRead };

} // namespace

Q_DECLARE_METATYPE(Read)

class StaleBytesTest : public QObject {
    Q_OBJECT

private slots:
    void readsStartOnAnEmptyLine_data()
    {
        QTest::addColumn<Read>("read");
        QTest::addColumn<QString>("stale");
        QTest::addColumn<bool>("coolingRead");
        // A configuration reply of block 0 claiming thermocouple K 0.1 with heating/cooling.
        std::vector<int> config;
        for (int k = 0; k < 10; ++k)
            config.insert(config.end(), {7, 0x0400});
        QTest::newRow("start-up read, a late configuration reply waiting")
            << Read::Startup << ackReply(0x20, QStringLiteral("00A1"), replyData(config)) << false;
        QTest::newRow("block re-read, a late cooling hysteresis reply waiting")
            << Read::BlockReRead << ackReply(0x20, QStringLiteral("0020"), replyData(std::vector<int>(20, 7777))) << true;
        QTest::newRow("block re-read, half a reply and noise waiting")
            << Read::BlockReRead << ackReply(0x20, QStringLiteral("0001"), replyData(std::vector<int>(20, 1))).left(40) + QStringLiteral("#*")
            << true;
    }
    void readsStartOnAnEmptyLine()
    {
        QFETCH(Read, read);
        QFETCH(QString, stale);
        QFETCH(bool, coolingRead);
        CommTestEnvironment env;
        const auto model = numberedBlockZero();
        auto owned = std::make_unique<MockLine>();
        MockLine &line = *owned;
        qint64 now = 0;
        line.idleWait = [&now](int ms) { now += ms; };
        line.answer = [model](const QByteArray &frame) {
            const std::string reply = model->handleFrame(frame.toStdString());
            return reply.empty() ? QList<QByteArray>() : QList<QByteArray>{QByteArray::fromStdString(reply)};
        };
        RecordingLinkView view;
        MonitorComm comm(std::move(owned));
        comm.setView(&view);
        tobrel::STDComm &link = comm.PLMCom();
        link.setMillisecondClock([&now] { return now; });
        link.setPort(QStringLiteral("COM1"));
        QVERIFY(link.PortOpen());
        link.setEventsCheck(true);
        link.setTimeOut(300);
        BlockAbsent.fill(1);
        BlockAbsent[0] = 0;
        line.operations.clear();
        line.receive(stale.toLatin1());

        if (read == Read::Startup) {
            comm.Setdata_read();
        } else {
            comm.ReadPara_setflg(0);
        }

        // Every value of block 0 is the controller's own, the last item's included.
        for (int c = 0; c < kChannelsPerBlock; ++c) {
            QCOMPARE(InputType[c], int16_t(0));
            QCOMPARE(OptionWord[c], int16_t(0));
        }
        for (const ItemInfo &info : ItemTable()) {
            if (info.code.isEmpty() || !info.field)
                continue;
            const bool wasRead = coolingRead || !IsCoolingItem(info.code);
            for (int c = 0; c < kChannelsPerBlock; ++c) {
                const int16_t expected = wasRead ? itemValue(info.code, c) : int16_t(0);
                if ((*info.field)[c] != expected)
                    QFAIL(qPrintable(QStringLiteral("item %1 of channel %2 is %3, the controller holds %4")
                                         .arg(info.code).arg(c).arg((*info.field)[c]).arg(expected)));
            }
        }

        // Both buffers were emptied before the first request went out.
        const int firstWrite = int(line.operations.indexOf(QStringLiteral("write")));
        QVERIFY(firstWrite > 0);
        const QStringList before = line.operations.mid(0, firstWrite);
        QVERIFY2(before.contains(QStringLiteral("clear in")), qPrintable(before.join(QLatin1Char(','))));
        QVERIFY2(before.contains(QStringLiteral("clear out")), qPrintable(before.join(QLatin1Char(','))));
        QCOMPARE(env.historyCount(QStringLiteral("Checksum error occured.")), 0);
    }
};

QTEST_GUILESS_MAIN(StaleBytesTest)
#include "tst_stale_bytes.moc"
