// A long poll run over a line that drops, corrupts and refuses replies: nothing crashes,
// every refused or corrupted reply is one history entry, and the image only ever takes the
// values of replies that were accepted.
//
// The reply deadline runs on a clock that moves only when the simulator has decided to leave
// a frame unanswered. A reply on its way is never timed out, however long a loaded machine
// keeps the simulator's thread from sending it, and a dropped reply always is: the outcome
// of every poll depends on the seed alone.
#include "DeviceModel.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "SimulatedLine.h"

#include <QFile>
#include <QTest>

using namespace PLM_INC;

namespace {

constexpr int kBlocksPresent = 4;
constexpr int kPolls = 2000;
// The time-out only sets how often the link looks at the clock while it waits.
constexpr int kTimeOutMs = 10;

ChannelTable *fieldOf(const QString &item)
{
    if (item == QLatin1String("0080"))
        return &ProcessValue;
    if (item == QLatin1String("0081"))
        return &OutputValue;
    if (item == QLatin1String("0082"))
        return &HeaterCurrent;
    if (item == QLatin1String("0083"))
        return &StatusWord;
    return nullptr;
}

// Values of one generation: every poll sees numbers no earlier poll has seen in that place.
int16_t generationValue(int generation, int block, int item, int channel)
{
    return static_cast<int16_t>((generation * 131 + block * 1009 + item * 211 + channel * 17) % 30000 - 15000);
}

} // namespace

class FaultSoakTest : public QObject {
    Q_OBJECT

private slots:
    void twoThousandPollsOverAFaultyLine()
    {
        CommTestEnvironment env;
        SimulatedLine line(sim::DeviceModel::allBlocks(kBlocksPresent));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view, kTimeOutMs); // the simulator drives the deadline
        QVERIFY(comm);
        sim::Faults faults;
        faults.drop = 0.05;
        faults.badChecksum = 0.05;
        faults.nak = 0.02;
        // A reply held back as a starved simulator thread would hold it, long past any time-out.
        faults.late = 0.01;
        faults.lateMs = 150;
        faults.seed = 2026;
        line.server().setFaults(faults);
        BlockAbsent.fill(1);
        for (int b = 0; b < kBlocksPresent; ++b)
            BlockAbsent[b] = 0;
        LinkRequest = 1;

        int accepted = 0, refused = 0, corrupted = 0, unanswered = 0;
        const char *items[] = {"0080", "0081", "0082"}; // status words stay 0: no alarm entries
        for (int poll = 0; poll < kPolls; ++poll) {
            line.server().withModel([&](sim::DeviceModel &m) {
                for (int b = 0; b < kBlocksPresent; ++b)
                    for (int i = 0; i < 3; ++i)
                        for (int c = 0; c < 20; ++c)
                            m.value(b, items[i], c) = generationValue(poll, b, i, c);
            });
            const int block = PollBlock;
            const int historyBefore = HistoryRow;
            line.clear();
            QString item;

            // What the tick will read is known only from the line afterwards; keep every field.
            std::array<std::vector<int16_t>, 4> snapshot;
            const char *polled[] = {"0080", "0081", "0082", "0083"};
            for (int f = 0; f < 4; ++f) {
                ChannelTable *t = fieldOf(QString::fromLatin1(polled[f]));
                snapshot[static_cast<size_t>(f)].assign(t->v.begin(), t->v.end());
            }
            comm->Timer4_Timer();

            const auto frames = line.summary();
            QCOMPARE(frames.size(), 1);
            item = frames[0].section(QLatin1Char(' '), 2);
            QCOMPARE(frames[0].section(QLatin1Char(' '), 1, 1).toInt(), block);
            const int historyDelta = (HistoryRow - historyBefore + kHistoryRows) % kHistoryRows;
            const bool wasAccepted = view.panel[1] == QLatin1String("OK");
            const bool wasRefused = view.panel[1] == QLatin1String("NG");
            const bool wasUnanswered = CommError == -1;

            for (int f = 0; f < 4; ++f) {
                const QString name = QString::fromLatin1(polled[f]);
                ChannelTable *t = fieldOf(name);
                for (int ch = 0; ch < kChannels; ++ch) {
                    const int b = ch / 20;
                    const bool fromThisReply = wasAccepted && name == item && b == block;
                    int16_t expected = snapshot[static_cast<size_t>(f)][static_cast<size_t>(ch)];
                    if (fromThisReply)
                        expected = name == QLatin1String("0083") ? 0
                                                                 : generationValue(poll, b, f, ch % 20);
                    if ((*t)[ch] != expected)
                        QFAIL(qPrintable(QStringLiteral("poll %1: %2 of channel %3 is %4, expected %5")
                                             .arg(poll).arg(name).arg(ch).arg((*t)[ch]).arg(expected)));
                }
            }
            if (wasAccepted) {
                ++accepted;
                QCOMPARE(historyDelta, 0);
            } else if (wasRefused) {
                ++refused;
                QCOMPARE(historyDelta, 1);
                QCOMPARE(HistoryBuffer[historyBefore - 1][3], QStringLiteral("Received Negative acknowledgement from HRV-600."));
            } else if (wasUnanswered) {
                ++unanswered;
                QCOMPARE(historyDelta, 0);
                QVERIFY(view.commErrorNotice);
            } else {
                ++corrupted;
                QCOMPARE(historyDelta, 1);
                QCOMPARE(HistoryBuffer[historyBefore - 1][3], QStringLiteral("Checksum error occured."));
            }
        }
        QCOMPARE(accepted + refused + corrupted + unanswered, kPolls);
        QVERIFY2(refused > 0 && corrupted > 0 && unanswered > 0,
                 qPrintable(QStringLiteral("faults seen: %1 NAK, %2 checksum, %3 dropped").arg(refused).arg(corrupted).arg(unanswered)));
        QVERIFY(accepted > kPolls * 8 / 10);

        // The file holds one line per refused or corrupted reply, and nothing else.
        const QByteArray file = env.historyFileBytes();
        QCOMPARE(file.count("Received Negative acknowledgement from HRV-600."), refused);
        QCOMPARE(file.count("Checksum error occured."), corrupted);
        QCOMPARE(file.count('\n'), 2 + refused + corrupted);
        QVERIFY(env.prompter.messages.isEmpty());
        qInfo("%d polls: %d accepted, %d NAK, %d checksum failures, %d unanswered", kPolls, accepted, refused,
              corrupted, unanswered);
    }
};

QTEST_GUILESS_MAIN(FaultSoakTest)
#include "tst_fault_soak.moc"
