// The order in which the link driver takes requests, and what merges: one row per rule, the
// requests made in order and the requests taken, each with the values it carries.
#include "LinkRequests.h"
#include "PLM_INC.h"

#include <QtTest>

using namespace PLM_INC;

namespace {

// "w B C V": the operator sets the main setting of channel C of block B to V ("l": its alarm 1
// value, "c": its alarm 1 action code); "s B": a block send; "a B": the second phase of a block
// send; "r B": a re-read; "f B": a factory adjustment.
void make(const QString &step)
{
    const QStringList w = step.split(QLatin1Char(' '));
    const int block = w.value(1).toInt();
    const struct {
        const char *step;
        ChannelTable *field;
        const char *item;
    } writes[] = {{"w", &MainSetting, "0001"}, {"l", &Alarm1Value, "0005"}, {"c", &Alarm1Action, "0013"}};
    for (const auto &write : writes) {
        if (w[0] == QLatin1String(write.step)) {
            const int channel = block * kChannelsPerBlock + w[2].toInt();
            (*write.field)[channel] = int16_t(w[3].toInt());
            PendingRequests.push(ItemWriteRequest(QString::fromLatin1(write.item), {channel}));
            return;
        }
    }
    if (w[0] == QLatin1String("s")) {
        PendingRequests.push(BlockSendRequest(block));
    } else if (w[0] == QLatin1String("a")) {
        PendingRequests.push(AlarmsRequestAfter(BlockSendRequest(block)));
    } else if (w[0] == QLatin1String("r")) {
        PendingRequests.push(ReReadRequest(block));
    } else if (w[0] == QLatin1String("f")) {
        PendingRequests.push(FactoryAdjustRequest(block, QString(80, QLatin1Char('1'))));
    }
}

// "W0[1=5 2=6]" for a write with its channels' values, "S0", "A0", "R0", "F0" for the others.
QString taken(const LinkRequestJob &job)
{
    switch (job.kind) {
    case RequestKind::ItemWrite: {
        QStringList values;
        for (const FieldValue &v : job.values)
            values << QStringLiteral("%1=%2").arg(v.channel % kChannelsPerBlock).arg(v.value);
        const QString item = job.item == QLatin1String("0001") ? QString() : QLatin1Char(':') + job.item;
        return QStringLiteral("W%1%2[%3]").arg(job.block).arg(item, values.join(QLatin1Char(' ')));
    }
    case RequestKind::BlockSend: return QStringLiteral("S%1").arg(job.block);
    case RequestKind::BlockAlarms: return QStringLiteral("A%1").arg(job.block);
    case RequestKind::ReRead: return QStringLiteral("R%1").arg(job.block);
    case RequestKind::FactoryAdjust: return QStringLiteral("F%1").arg(job.block);
    default: return QStringLiteral("?");
    }
}

} // namespace

class LinkRequestsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetImage(); LinkRequest = 1; }

    void orderAndMerging_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<int>("held"); // a block whose writes wait for a poll that finds it answering, or -1
        QTest::addColumn<QString>("takenInOrder"); // while it is held | once it answers
        QTest::newRow("requests go in the order made") << "f 2; w 0 4 7; s 1" << -1 << "F2 W0[4=7] S1";
        QTest::newRow("a write of a waiting block and item merges, last value per channel")
            << "w 0 4 7; w 1 0 1; w 0 5 8; w 0 4 9" << -1 << "W0[4=9 5=8] W1[0=1]";
        QTest::newRow("no merge across a send of the block, which takes the place of the earlier write")
            << "w 0 4 7; s 0; w 0 4 9" << -1 << "S0 W0[4=9]";
        QTest::newRow("no merge across a second phase of the block") << "w 0 4 7; a 0; w 0 4 9" << -1 << "W0[4=7] A0 W0[4=9]";
        QTest::newRow("a send of another block does not split") << "w 0 4 7; s 1; w 0 4 9" << -1 << "W0[4=9] S1";
        QTest::newRow("one re-read per block waits") << "r 3; r 3; r 2; r 3" << -1 << "R3 R2";
        QTest::newRow("a waiting re-read of a block goes before a write of it")
            << "w 1 0 1; w 0 4 7; r 0" << -1 << "W1[0=1] R0 W0[4=7]";
        QTest::newRow("and before a send of it") << "s 0; r 0; w 0 4 7" << -1 << "R0 S0 W0[4=7]";
        QTest::newRow("no merge across a write of another item of the block")
            << "l 0 4 7; c 0 4 10; l 0 4 9" << -1 << "W0:0005[4=7] W0:0013[4=10] W0:0005[4=9]";
        QTest::newRow("a send takes the place of the waiting writes of its items") << "w 0 4 7; l 0 5 1; s 0" << -1 << "S0";
        QTest::newRow("a held block holds only its own requests")
            << "w 0 4 7; w 1 0 1; f 0; r 0" << 0 << "W1[0=1] | R0 W0[4=7] F0";
        QTest::newRow("a transfer does not wait for a held block") << "f 0; s 0; w 1 0 1" << 0 << "S0 W1[0=1] | F0";
        QTest::newRow("a write for no block is refused") << "w 16 0 1" << -1 << "";
    }

    void orderAndMerging()
    {
        QFETCH(QString, made);
        QFETCH(int, held);
        QFETCH(QString, takenInOrder);
        for (const QString &step : made.split(QStringLiteral("; ")))
            if (step != QLatin1String("w 16 0 1"))
                make(step);
            else
                PendingRequests.push(ItemWriteRequest(QStringLiteral("0001"), {kChannels}));
        QStringList order;
        while (const auto job = PendingRequests.pop(BlockBit(held)))
            order << taken(*job);
        if (held >= 0) {
            order << QStringLiteral("|");
            while (const auto job = PendingRequests.pop())
                order << taken(*job);
        }
        QCOMPARE(order.join(QLatin1Char(' ')), takenInOrder);
        QCOMPARE(LinkRequest, int16_t(1)); // nothing waits
    }

    // The values a request carries are those of the moment it was made.
    void aRequestCarriesTheValuesOfItsMoment()
    {
        Alarm1Value[45] = 11;
        MainSetting[45] = 22;
        PendingRequests.push(BlockSendRequest(2));
        QCOMPARE(LinkRequest, int16_t(3));
        QCOMPARE(RequestBlock, int16_t(2));
        Alarm1Value[45] = 99; // a re-read in the pause
        MainSetting[45] = 98;
        const auto send = PendingRequests.pop();
        const LinkRequestJob alarms = AlarmsRequestAfter(*send);
        send->restoreValues();
        QCOMPARE(MainSetting[45], int16_t(22));
        Alarm1Value[45] = 99;
        alarms.restoreValues();
        QCOMPARE(Alarm1Value[45], int16_t(11));
        QCOMPARE(alarms.block, 2);
    }

    // An alarm value set after a send was made ends on the controller: it goes into the send
    // still waiting, and into a second phase kept for its pause.
    void aLaterAlarmValueGoesWithTheSecondPhase()
    {
        Alarm1Value[45] = 11;
        PendingRequests.push(BlockSendRequest(2));
        make(QStringLiteral("l 2 5 33"));
        const auto send = PendingRequests.pop();
        QVERIFY(send && send->kind == RequestKind::BlockSend);
        PendingRequests.park(0, AlarmsRequestAfter(*send));
        Alarm1Value[45] = 0;
        AlarmsRequestAfter(*send).restoreValues();
        QCOMPARE(Alarm1Value[45], int16_t(33));
        make(QStringLiteral("l 2 5 44")); // in the pause
        const auto second = PendingRequests.unpark(0);
        QVERIFY(second);
        second->restoreValues();
        QCOMPARE(Alarm1Value[45], int16_t(44));
        PendingRequests.clear();
    }
};

QTEST_GUILESS_MAIN(LinkRequestsTest)
#include "tst_link_requests.moc"
