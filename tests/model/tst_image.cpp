// The controller image: checked indexes, reset, item codes and shown numbers.
#include "ControllerCounts.h"
#include "LinkRequests.h"
#include "PLM_INC.h"

#include <QtTest>

using namespace PLM_INC;

class TestImage : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetImage(); }

    void channelTablesRaiseOutsideTheInstallation()
    {
        ProcessValue[0] = 11;
        ProcessValue[319] = 22;
        QCOMPARE(ProcessValue[0], int16_t(11));
        QCOMPARE(ProcessValue[319], int16_t(22));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, ProcessValue[-1]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, ProcessValue[320]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, UnitText[320]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, AlarmMemory[320]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, AlarmMemory[0][kAlarmSlots]);
        const ChannelTable &readOnly = ProcessValue;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, readOnly[-1]);
    }

    void blockTablesRaiseOutsideSixteenBlocks()
    {
        BlockAbsent[15] = 1;
        QCOMPARE(BlockAbsent[15], int16_t(1));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, BlockAbsent[-1]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, BlockAbsent[16]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, BlockHasCooling[16]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, HistoryBuffer[kHistoryRows]);
    }

    void aRejectedIndexTouchesNoOtherEntry()
    {
        for (int n = 0; n < kChannels; ++n)
            OutputValue[n] = 7;
        try {
            OutputValue[320] = 99;
        } catch (const std::out_of_range &) {
        }
        for (int n = 0; n < kChannels; ++n)
            QCOMPARE(OutputValue[n], int16_t(7));
    }

    void resetClearsEveryTableAndScalar()
    {
        InputType[5] = 12;
        UnitText[5] = QStringLiteral("kPa");
        AlarmMemory[5][3] = -1;
        HistoryBuffer[2][1] = QStringLiteral("x");
        BlockHasCooling[3] = -1;
        HistoryRow = 40;
        LinkRequest = 2;
        ResetImage();
        QCOMPARE(InputType[5], int16_t(0));
        QVERIFY(UnitText[5].isEmpty());
        QCOMPARE(AlarmMemory[5][3], int16_t(0));
        QVERIFY(HistoryBuffer[2][1].isEmpty());
        QCOMPARE(BlockHasCooling[3], int16_t(0));
        QCOMPARE(HistoryRow, int16_t(1));
        QCOMPARE(LinkRequest, int16_t(0));
    }

    void resetForgetsTheRequestsAndCountsBesideTheImage()
    {
        PendingRequests.push(ReReadRequest(2));
        NoteControllerCount(&MainSetting, 3, 250);
        ResetImage();
        QVERIFY(PendingRequests.empty());
        QVERIFY(!ControllerCount(&MainSetting, 3));
    }

    void itemCodeTableHoldsTheThirtyEightCodes()
    {
        FillItemCodeTable();
        QCOMPARE(ItemCodeTable[0], QStringLiteral("00A0"));
        QCOMPARE(ItemCodeTable[1], QStringLiteral("00A1"));
        QCOMPARE(ItemCodeTable[2], QStringLiteral("0080"));
        QCOMPARE(ItemCodeTable[5], QStringLiteral("0083"));
        QCOMPARE(ItemCodeTable[6], QStringLiteral("0001"));
        QCOMPARE(ItemCodeTable[6 + 0x0A], QStringLiteral("000B")); // upper case hex
        QCOMPARE(ItemCodeTable[37], QStringLiteral("0020"));
        for (int code = 1; code <= 0x20; ++code)
            QCOMPARE(ItemCodeTable[size_t(code + 5)].toInt(nullptr, 16), code);
    }

    void shownNumbersHaveLeadingZeros()
    {
        QCOMPARE(ChannelDigits(0), QStringLiteral("001"));
        QCOMPARE(ChannelDigits(99), QStringLiteral("100"));
        QCOMPARE(ChannelDigits(319), QStringLiteral("320"));
        QCOMPARE(BlockDigits(0), QStringLiteral("01"));
        QCOMPARE(BlockDigits(15), QStringLiteral("16"));
    }
};

QTEST_GUILESS_MAIN(TestImage)
#include "tst_image.moc"
