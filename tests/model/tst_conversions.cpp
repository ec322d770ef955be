// Linear-input conversions between controller counts and display counts.
#include "Conversions.h"
#include "PLM_INC.h"

#include <QtTest>

using namespace PLM_INC;

class TestConversions : public QObject {
    Q_OBJECT

    static void linear(int channel, int16_t high, int16_t low, int16_t type = 12)
    {
        InputType[channel] = type;
        ScaleHigh[channel] = high;
        ScaleLow[channel] = low;
    }

private slots:
    void init() { ResetImage(); }

    void linearScaleBothWays()
    {
        linear(7, 2000, -1000);
        QCOMPARE(ScaleToDisplay(7, 5000), int16_t(500));
        QCOMPARE(SpanToDisplay(7, 1000), int16_t(300));
        QCOMPARE(ScaleToDevice(7, 500), int16_t(5000));
        QCOMPARE(SpanToDevice(7, 300), int16_t(1000));
        QCOMPARE(ScaleToDisplay(7, 0), int16_t(-1000));
        QCOMPARE(ScaleToDisplay(7, 10000), int16_t(2000));
    }

    // Every input type with limits of its own (high 2000, low -1000): the linear inputs 10..13
    // convert both ways, the temperature inputs 0..9 and the codes below 0 keep the value.
    void everyInputTypeWithItsOwnLimits_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("converts");
        const char *names[] = {"K", "J", "R", "B", "PL-2", "N", "K 0.1", "J 0.1", "Pt100", "JPt100",
                               "DC voltage", "DC current", "DC voltage 2", "DC current 2"};
        QTest::addRow("type -1") << -1 << false;
        for (int type = 0; type <= 13; ++type)
            QTest::addRow("type %d, %s", type, names[type]) << type << (type >= 10);
        QTest::addRow("type 14, unlisted code") << 14 << true;
        QTest::addRow("type 255, unlisted code") << 255 << true;
    }
    void everyInputTypeWithItsOwnLimits()
    {
        QFETCH(int, type);
        QFETCH(bool, converts);
        linear(30, 2000, -1000, int16_t(type));
        struct Case {
            int16_t (*convert)(int, int16_t);
            int16_t value;
            int16_t converted;
        };
        const Case cases[] = {
            {ScaleToDisplay, 5000, 500},   // 3000 * 0.5 - 1000
            {ScaleToDisplay, 0, -1000},
            {SpanToDisplay, 1000, 300},    // 3000 * 0.1
            {SpanToDisplay, -2500, -750},
            {ScaleToDevice, 500, 5000},
            {ScaleToDevice, -1000, 0},
            {SpanToDevice, 300, 1000},
            {SpanToDevice, -750, -2500},
        };
        for (const Case &c : cases)
            QCOMPARE(c.convert(30, c.value), converts ? c.converted : c.value);
    }

    void defaultScalingKeepsTheCount()
    {
        linear(0, 10000, 0, 10);
        QCOMPARE(ScaleToDisplay(0, 5000), int16_t(5000));
        QCOMPARE(ScaleToDevice(0, -123), int16_t(-123));
    }

    void halvesGoToTheEvenNeighbour()
    {
        linear(3, 1, 0); // span 1: value / 10000
        QCOMPARE(ScaleToDisplay(3, 5000), int16_t(0));   // 0.5
        QCOMPARE(ScaleToDisplay(3, 15000), int16_t(2));  // 1.5
        QCOMPARE(ScaleToDisplay(3, 25000), int16_t(2));  // 2.5
        QCOMPARE(SpanToDisplay(3, -15000), int16_t(-2)); // -1.5
        QCOMPARE(SpanToDisplay(3, -5000), int16_t(0));   // -0.5
        QCOMPARE(ScaleToDisplay(3, 5001), int16_t(1));   // just above the half
        linear(4, 20000, 0); // device direction: value / 2
        QCOMPARE(SpanToDevice(4, 3), int16_t(2));  // 1.5
        QCOMPARE(SpanToDevice(4, 5), int16_t(2));  // 2.5
        QCOMPARE(SpanToDevice(4, 7), int16_t(4));  // 3.5
    }

    void resultsOutsideSixteenBitsRaise()
    {
        linear(9, 32767, -32768);
        QVERIFY_THROWS_EXCEPTION(ConversionError, ScaleToDisplay(9, 32767));
        QVERIFY_THROWS_EXCEPTION(ConversionError, SpanToDisplay(9, -32768));
        linear(10, 1, 0);
        QVERIFY_THROWS_EXCEPTION(ConversionError, SpanToDevice(10, 4));   // 40000
        QVERIFY_THROWS_EXCEPTION(ConversionError, ScaleToDevice(10, -4)); // -40000
        QCOMPARE(SpanToDevice(10, 3), int16_t(30000));
        linear(11, 10000, 0);
        QCOMPARE(ScaleToDisplay(11, 32767), int16_t(32767)); // the edge still fits
        QCOMPARE(ScaleToDisplay(11, -32768), int16_t(-32768));
    }

    void equalLimitsRaiseOnTheWayToTheDevice()
    {
        linear(12, 500, 500);
        QVERIFY_THROWS_EXCEPTION(ConversionError, ScaleToDevice(12, 100));
        QVERIFY_THROWS_EXCEPTION(ConversionError, SpanToDevice(12, 100));
        QCOMPARE(ScaleToDisplay(12, 1234), int16_t(500)); // every count shows the one level
        QCOMPARE(SpanToDisplay(12, 1234), int16_t(0));
    }

    void temperatureInputsPassUnchanged()
    {
        for (int16_t type : {int16_t(0), int16_t(5), int16_t(9), int16_t(-1)}) {
            linear(20, 0, 0, type); // equal limits would raise on a linear input
            QCOMPARE(ScaleToDisplay(20, 1234), int16_t(1234));
            QCOMPARE(SpanToDisplay(20, -77), int16_t(-77));
            QCOMPARE(ScaleToDevice(20, 32767), int16_t(32767));
            QCOMPARE(SpanToDevice(20, -32768), int16_t(-32768));
        }
    }

    void badChannelRaises()
    {
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, ScaleToDisplay(320, 1));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, SpanToDevice(-1, 1));
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
