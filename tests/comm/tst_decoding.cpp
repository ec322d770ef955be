// Decoding of read replies into the controller image: field values, the block an address
// names, conversions of linear inputs, the pair items, and replies that must change nothing.
#include "DeviceModel.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "ReplyDecoder.h"
#include "SimulatedLine.h"

#include <QTest>
#include <vector>

using namespace PLM_INC;

namespace {

std::vector<int> twenty(int value)
{
    return std::vector<int>(20, value);
}

std::vector<int> ramp(int first)
{
    std::vector<int> v;
    for (int i = 0; i < 20; ++i)
        v.push_back(first + i);
    return v;
}

// Every per-channel table of the image, so a test can prove nothing else moved.
std::vector<int16_t> imageSnapshot()
{
    std::vector<int16_t> all;
    for (ChannelTable *t : {&ProcessValue, &OutputValue, &HeaterCurrent, &StatusWord, &ChannelConnected, &InputType,
                            &OptionWord, &MainSetting, &Alarm1Value, &Alarm2Value, &UnitSelect, &DisplayUnit,
                            &AutoTuning, &CoolOnOffHysteresis, &LoopBreak2Span})
        all.insert(all.end(), t->v.begin(), t->v.end());
    for (const auto &m : AlarmMemory.v)
        all.insert(all.end(), m.v.begin(), m.v.end());
    return all;
}

} // namespace

class DecodingTest : public QObject {
    Q_OBJECT

private slots:
    void fieldsAreSignedSixteenBitValues()
    {
        CommTestEnvironment env;
        std::vector<int> values = ramp(100);
        values[0] = -1;
        values[1] = -32768;
        values[2] = 32767;
        values[3] = 255;
        const QString reply = ackReply(0x20 + 3, QStringLiteral("0080"), replyData(values));
        QVERIFY(reply.contains(QStringLiteral("FFFF8000")));
        QVERIFY(StoreReadReply(reply));
        QCOMPARE(ProcessValue[60], int16_t(-1));
        QCOMPARE(ProcessValue[61], int16_t(-32768));
        QCOMPARE(ProcessValue[62], int16_t(32767));
        QCOMPARE(ProcessValue[63], int16_t(255));
        QCOMPARE(ProcessValue[79], int16_t(119));
        QCOMPARE(ProcessValue[59], int16_t(0));
        QCOMPARE(ProcessValue[80], int16_t(0));
    }

    void theAddressCharacterNamesTheBlock()
    {
        CommTestEnvironment env;
        QVERIFY(StoreReadReply(ackReply('/', QStringLiteral("0082"), replyData(ramp(1)))));
        QCOMPARE(HeaterCurrent[300], int16_t(1));
        QCOMPARE(HeaterCurrent[319], int16_t(20));
        QCOMPARE(HeaterCurrent[299], int16_t(0));
        QVERIFY(StoreReadReply(ackReply(' ', QStringLiteral("0081"), replyData(ramp(500)))));
        QCOMPARE(OutputValue[0], int16_t(500));
        QCOMPARE(OutputValue[19], int16_t(519));
        QCOMPARE(OutputValue[20], int16_t(0));
    }

    void linearInputsAreScaled()
    {
        CommTestEnvironment env;
        for (int ch = 40; ch < 60; ++ch) {
            InputType[ch] = 12;
            ScaleHigh[ch] = 2000;
            ScaleLow[ch] = -1000;
        }
        Alarm1Action[40] = 1;  // deviation alarm: a span
        Alarm1Action[41] = 10; // process alarm: a level
        QVERIFY(StoreReadReply(ackReply(0x22, QStringLiteral("0080"), replyData(twenty(5000)))));
        QVERIFY(StoreReadReply(ackReply(0x22, QStringLiteral("0005"), replyData(twenty(1000)))));
        QCOMPARE(ProcessValue[40], int16_t(500));
        QCOMPARE(Alarm1Value[40], int16_t(300));
        QCOMPARE(Alarm1Value[41], int16_t(-700));
        // A temperature input beside them is stored as received.
        InputType[60] = 0;
        QVERIFY(StoreReadReply(ackReply(0x23, QStringLiteral("0001"), replyData(twenty(5000)))));
        QCOMPARE(MainSetting[60], int16_t(5000));
    }

    void connectionFlagsComeFromTheOddFieldsByPair()
    {
        CommTestEnvironment env;
        std::vector<int> fields;
        for (int k = 0; k < 10; ++k) {
            fields.push_back(k == 4 ? 0 : 1); // field 2k+1: pair k
            fields.push_back(k % 2 == 0 ? 0 : 7);
        }
        QVERIFY(StoreReadReply(ackReply(0x21, QStringLiteral("00A0"), replyData(fields))));
        for (int c = 0; c < 20; ++c)
            QCOMPARE(ChannelConnected[20 + c], int16_t(c / 2 == 4 ? 0 : 1));
        QCOMPARE(ProcessValue[20], int16_t(0));
    }

    void unitSelectionGoesToBothChannelsOfAPair()
    {
        CommTestEnvironment env;
        std::vector<int> units(20, 0);
        units[0] = 1;  // channel 0 deg.F, channel 1 deg.C: the pair shows deg.F
        units[3] = 1;  // the odd channel of a pair does not decide
        QVERIFY(StoreReadReply(ackReply(0x20, QStringLiteral("0011"), replyData(units))));
        QCOMPARE(DisplayUnit[0], int16_t(1));
        QCOMPARE(DisplayUnit[1], int16_t(1));
        QCOMPARE(DisplayUnit[2], int16_t(0));
        QCOMPARE(DisplayUnit[3], int16_t(0));
        QCOMPARE(UnitSelect[3], int16_t(1));
    }

    void statusWordsRunTheAlarmCheckInChannelOrder()
    {
        CommTestEnvironment env;
        QVERIFY(StoreReadReply(ackReply(0x21, QStringLiteral("0083"), replyData(twenty(kStatusAlarm1)))));
        QCOMPARE(HistoryRow, int16_t(21));
        for (int c = 0; c < 20; ++c) {
            QCOMPARE(HistoryBuffer[c][2], Prefs::channelName(20 + c));
            QCOMPARE(HistoryBuffer[c][3], QStringLiteral("Alarm 1 was turned on."));
        }
    }

    void repliesThatMustChangeNothing_data()
    {
        QTest::addColumn<QString>("reply");
        const QString good = replyData(ramp(1));
        QTest::newRow("not hexadecimal") << ackReply(0x20, "0080", good.left(40) + "12G4" + good.mid(44));
        QTest::newRow("blank in a field") << ackReply(0x20, "0080", good.left(76) + " 123");
        QTest::newRow("sign in a field") << ackReply(0x20, "0080", "-001" + good.mid(4));
        QTest::newRow("one digit short") << ackReply(0x20, "0080", good.left(79));
        QTest::newRow("one field short") << ackReply(0x20, "0080", good.left(76));
        QTest::newRow("one digit long") << ackReply(0x20, "0080", good + "1");
        QTest::newRow("one field long") << ackReply(0x20, "0080", good + "0001");
        QTest::newRow("no data") << ackReply(0x20, "0080", QString());
        QTest::newRow("address below block 0") << ackReply(0x1F, "0080", good);
        QTest::newRow("address above block 15") << ackReply(0x30, "0080", good);
        QTest::newRow("address far out") << ackReply(0xFF, "0080", good);
        QTest::newRow("item without a field") << ackReply(0x20, "00A1", good);
        QTest::newRow("unknown item") << ackReply(0x20, "0099", good);
        QTest::newRow("factory data item") << ackReply(0x20, "0040", good);
        QTest::newRow("negative reply") << QString(QChar(0x15)) + ackReply(0x20, "0080", good).mid(1);
        QTest::newRow("checksum failure") << QString(QChar(0x1B));
        QTest::newRow("empty") << QString();
        QTest::newRow("header only") << QStringLiteral("\x06 \"0080");
        QTest::newRow("wide character address") << QString(QChar(0x06)) + QChar(0x0120) + ackReply(0x20, "0080", good).mid(2);
    }

    void repliesThatMustChangeNothing()
    {
        QFETCH(QString, reply);
        CommTestEnvironment env;
        const auto before = imageSnapshot();
        QVERIFY(!StoreReadReply(reply));
        QVERIFY(imageSnapshot() == before);
        QCOMPARE(HistoryRow, int16_t(1));
    }

    void aValueWithoutADisplayCountIsSkippedAlone()
    {
        CommTestEnvironment env;
        for (int ch = 100; ch < 120; ++ch) {
            InputType[ch] = 13;
            ScaleHigh[ch] = 32767;
            ScaleLow[ch] = -32768;
            ProcessValue[ch] = 77;
        }
        std::vector<int> raw(20, 5000); // mid-scale: -0.5 counts from the middle, fits
        raw[3] = 20000;                   // 65535 * 2 - 32768: no 16-bit count
        raw[4] = -20000;
        QVERIFY(StoreReadReply(ackReply(0x25, QStringLiteral("0080"), replyData(raw))));
        QCOMPARE(ProcessValue[103], int16_t(77));
        QCOMPARE(ProcessValue[104], int16_t(77));
        QCOMPARE(ProcessValue[100], int16_t(0)); // 32767.5 - 32768 = -0.5, halves to even
        QCOMPARE(ProcessValue[119], int16_t(0));
    }

    void valuesReadFromTheSimulator()
    {
        CommTestEnvironment env;
        sim::DeviceModel model;
        model.block(15).present = true;
        model.block(15).connected.fill(1);
        model.value(15, "0080", 0) = -1;
        model.value(15, "0080", 19) = -32768;
        model.value(15, "0011", 6) = 1;
        SimulatedLine line(std::move(model));
        QVERIFY(line.start());
        RecordingLinkView view;
        auto comm = connectedComm(line, view);
        QVERIFY(comm);
        comm->Setdata_read();
        QCOMPARE(BlockAbsent[15], int16_t(0));
        QCOMPARE(BlockAbsent[14], int16_t(1));
        QCOMPARE(ProcessValue[300], int16_t(-1));
        QCOMPARE(ProcessValue[319], int16_t(-32768));
        QCOMPARE(ChannelConnected[319], int16_t(1));
        QCOMPARE(DisplayUnit[306], int16_t(1));
        QCOMPARE(DisplayUnit[307], int16_t(1));
    }
};

QTEST_GUILESS_MAIN(DecodingTest)
#include "tst_decoding.moc"
