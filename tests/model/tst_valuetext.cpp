// Value text: every formatting rule, the input range text, the alarm names and the item
// selector texts, on a German and a French machine as well.
#include "ItemTable.h"
#include "PLM_INC.h"
#include "ValueText.h"

#include <QtTest>
#include <clocale>

using namespace PLM_INC;

namespace {

constexpr int kCh = 42; // any channel; rows of the pages map to global channels

void linearInput(int divisor, int16_t type = 12)
{
    InputType[kCh] = type;
    DecimalDivisor[kCh] = int16_t(divisor);
}

void setDisplayItem(int item, int16_t raw)
{
    (*ItemByDisplay(item)->field)[kCh] = raw;
}

} // namespace

class TestValueText : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetImage();
        DecimalDivisor[kCh] = 100;
    }

    void processValueByInputType_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("K whole degrees") << 0 << 100 << 1234 << "1234";
        QTest::newRow("N whole degrees") << 5 << 100 << 1234 << "1234";
        QTest::newRow("negative degrees") << 1 << 100 << -200 << "-200";
        QTest::newRow("K tenths") << 6 << 100 << 1234 << "123.4";
        QTest::newRow("J tenths") << 7 << 100 << 1234 << "123.4";
        QTest::newRow("Pt100") << 8 << 100 << 1234 << "123.4";
        QTest::newRow("Pt100 below zero") << 8 << 100 << -1999 << "-199.9";
        QTest::newRow("Pt100 just below zero") << 9 << 100 << -5 << "-0.5";
        QTest::newRow("zero tenths") << 9 << 100 << 0 << "0.0";
        QTest::newRow("linear /1") << 12 << 1 << 1234 << "1234";
        QTest::newRow("linear /10") << 10 << 10 << 1234 << "123.4";
        QTest::newRow("linear /100") << 12 << 100 << 1234 << "12.34";
        QTest::newRow("linear /1000") << 11 << 1000 << 1234 << "1.234";
        QTest::newRow("linear /10000") << 13 << 10000 << 1234 << "0.1234";
        QTest::newRow("linear /10000 small") << 13 << 10000 << 7 << "0.0007";
        QTest::newRow("linear /5") << 12 << 5 << 1234 << "";
        QTest::newRow("linear /3") << 12 << 3 << 1234 << "";
        QTest::newRow("linear /0") << 12 << 0 << 1234 << "";
        QTest::newRow("linear /-100") << 12 << -100 << 1234 << "";
        QTest::newRow("linear /100 negative") << 12 << 100 << -5 << "-0.05";
        QTest::newRow("linear /100 negative whole") << 12 << 100 << -1234 << "-12.34";
        QTest::newRow("linear /1 negative") << 12 << 1 << -7 << "-7";
        QTest::newRow("linear /10000 extreme") << 12 << 10000 << -32768 << "-3.2768";
        QTest::newRow("linear /1000 extreme") << 12 << 1000 << 32767 << "32.767";
        QTest::newRow("type 14 is linear") << 14 << 100 << 1234 << "12.34";
        QTest::newRow("type -1 is linear") << -1 << 1000 << 1234 << "1.234";
    }
    void processValueByInputType()
    {
        QFETCH(int, inputType);
        QFETCH(int, divisor);
        QFETCH(int, raw);
        QFETCH(QString, text);
        linearInput(divisor, int16_t(inputType));
        ProcessValue[kCh] = int16_t(raw);
        QCOMPARE(MakeItemText(0, kCh), text);
        MainSetting[kCh] = int16_t(raw); // the same rule for the set value and alarm levels
        QCOMPARE(MakeItemText(3, kCh), text);
        Alarm1Value[kCh] = int16_t(raw);
        QCOMPARE(MakeItemText(4, kCh), text);
        Alarm2Value[kCh] = int16_t(raw);
        QCOMPARE(MakeItemText(5, kCh), text);
    }

    void deviationItemsShowTenthsOnTemperatureInputs()
    {
        const int deviationItems[] = {12, 13, 14, 15, 21, 25, 28, 30, 31, 32, 36};
        for (int item : deviationItems) {
            InputType[kCh] = 0; // the PV itself has no decimal on this input
            DecimalDivisor[kCh] = 100;
            setDisplayItem(item, 15);
            QCOMPARE(MakeItemText(item, kCh), QStringLiteral("1.5"));
            setDisplayItem(item, -15);
            QCOMPARE(MakeItemText(item, kCh), QStringLiteral("-1.5"));
            linearInput(1000);
            QCOMPARE(MakeItemText(item, kCh), QStringLiteral("-0.015"));
            linearInput(7);
            QCOMPARE(MakeItemText(item, kCh), QString());
        }
    }

    void tenthsItemsIgnoreTheInput()
    {
        linearInput(1000); // the divisor plays no part
        for (int item : {1, 2, 6, 7, 20, 26}) {
            setDisplayItem(item, 1000);
            QCOMPARE(MakeItemText(item, kCh), QStringLiteral("100.0"));
        }
        OutputValue[kCh] = -50;
        QCOMPARE(MakeItemText(1, kCh), QStringLiteral("-5.0"));
        OutputValue[kCh] = -5;
        QCOMPARE(MakeItemText(1, kCh), QStringLiteral("-0.5"));
        HeaterCurrent[kCh] = 3;
        QCOMPARE(MakeItemText(2, kCh), QStringLiteral("0.3"));
    }

    void wholeNumberItems()
    {
        linearInput(100);
        for (int item : {8, 9, 10, 11, 18, 19, 24, 27, 35}) {
            setDisplayItem(item, 240);
            QCOMPARE(MakeItemText(item, kCh), QStringLiteral("240"));
        }
        IntegralTime[kCh] = -5;
        QCOMPARE(MakeItemText(8, kCh), QStringLiteral("-5"));
    }

    void alarmActionCodesKeepTheirBlanks()
    {
        const char *codes[] = {"None", "H   ", "H  W", "L   ", "L  W", "HL  ", "HL W",
                               "WID ", "WIDW", "PH  ", "PH W", "PL  ", "PL W"};
        for (int code = 0; code <= 12; ++code) {
            Alarm1Action[kCh] = int16_t(code);
            Alarm2Action[kCh] = int16_t(code);
            QCOMPARE(MakeItemText(16, kCh), QString::fromLatin1(codes[code]));
            QCOMPARE(MakeItemText(17, kCh), QString::fromLatin1(codes[code]));
            QCOMPARE(MakeItemText(16, kCh).size(), 4);
        }
        Alarm1Action[kCh] = 13;
        QCOMPARE(MakeItemText(16, kCh), QString());
        Alarm1Action[kCh] = -1;
        QCOMPARE(MakeItemText(16, kCh), QString());
    }

    void alarmTypeNames()
    {
        QCOMPARE(AlarmTypeName(0), QStringLiteral("No alarm action"));
        QCOMPARE(AlarmTypeName(2), QStringLiteral("High limit alarm with standby"));
        QCOMPARE(AlarmTypeName(5), QStringLiteral("High/Low limits alarm"));
        QCOMPARE(AlarmTypeName(8), QStringLiteral("High/Low limit range alarm with standby"));
        QCOMPARE(AlarmTypeName(12), QStringLiteral("Process low alarm with standby"));
        QCOMPARE(AlarmTypeName(13), QString());
        QCOMPARE(AlarmTypeName(-1), QString());
        QCOMPARE(AlarmTypeCode(2), QStringLiteral("H  W"));
        QCOMPARE(AlarmTypeCode(13), QString());
    }

    void selectionItems()
    {
        HeatCoolAction[kCh] = 0;
        QCOMPARE(MakeItemText(22, kCh), QStringLiteral("Heat"));
        HeatCoolAction[kCh] = 5;
        QCOMPARE(MakeItemText(22, kCh), QStringLiteral("Cool"));
        UnitSelect[kCh] = 0;
        QCOMPARE(MakeItemText(23, kCh), QStringLiteral("deg.C"));
        UnitSelect[kCh] = 1;
        QCOMPARE(MakeItemText(23, kCh), QStringLiteral("deg.F"));
        const char *modes[] = {"Air", "Oil", "Water"};
        for (int mode = 0; mode < 3; ++mode) {
            CoolActionMode[kCh] = int16_t(mode);
            QCOMPARE(MakeItemText(29, kCh), QString::fromLatin1(modes[mode]));
        }
        CoolActionMode[kCh] = 3;
        QCOMPARE(MakeItemText(29, kCh), QString());
        CoolActionMode[kCh] = -1;
        QCOMPARE(MakeItemText(29, kCh), QString());
    }

    void divisorPlaceholderAndUnit()
    {
        const QPair<int, const char *> patterns[] = {
            {1, "XXXX."}, {10, "XXX.X"}, {100, "XX.XX"}, {1000, "X.XXX"}, {10000, ".XXXX"}, {5, ""}, {0, ""}};
        for (const auto &p : patterns) {
            DecimalDivisor[kCh] = int16_t(p.first);
            QCOMPARE(MakeItemText(33, kCh), QString::fromLatin1(p.second));
        }
        UnitText[kCh] = QStringLiteral(" kg/cm2 ");
        QCOMPARE(MakeItemText(34, kCh), QStringLiteral(" kg/cm2 "));
        InputType[kCh] = 0; // the unit text does not depend on the input
        QCOMPARE(MakeItemText(34, kCh), QStringLiteral(" kg/cm2 "));
    }

    void itemNumbersOutsideTheTableShowTheProcessValue()
    {
        InputType[kCh] = 8;
        ProcessValue[kCh] = 1234;
        MainSetting[kCh] = 99;
        QCOMPARE(MakeItemText(37, kCh), QStringLiteral("123.4"));
        QCOMPARE(MakeItemText(-1, kCh), QStringLiteral("123.4"));
        QCOMPARE(MakeItemText(32767, kCh), QStringLiteral("123.4"));
    }

    void everyChannelHasItsOwnValues()
    {
        InputType[0] = 0;
        ProcessValue[0] = 10;
        InputType[319] = 12;
        DecimalDivisor[319] = 10;
        ProcessValue[319] = 10;
        QCOMPARE(MakeItemText(0, 0), QStringLiteral("10"));
        QCOMPARE(MakeItemText(0, 319), QStringLiteral("1.0"));
    }

    void badChannelRaisesForEveryItem()
    {
        for (int item = -1; item <= 37; ++item) {
            QVERIFY_THROWS_EXCEPTION(std::out_of_range, MakeItemText(item, 320));
            QVERIFY_THROWS_EXCEPTION(std::out_of_range, MakeItemText(item, -1));
        }
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, MakeRange(320));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, MakeRange(-1));
    }

    void temperatureRanges_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<QString>("celsius");
        QTest::addColumn<QString>("fahrenheit");
        QTest::newRow("K") << 0 << "-200 to 1370deg.C K" << "-320 to 2500deg.F K";
        QTest::newRow("J") << 1 << "-200 to 1000deg.C J" << "-320 to 1800deg.F J";
        QTest::newRow("R") << 2 << "0 to 1760deg.C R" << "0 to 3200deg.F R";
        QTest::newRow("B") << 3 << "0 to 1820deg.C B" << "0 to 3300deg.F B";
        QTest::newRow("PL-2") << 4 << "0 to 1390deg.C PL-2" << "0 to 2500deg.F PL-2";
        QTest::newRow("N") << 5 << "0 to 1300deg.C N" << "0 to 2300deg.F N";
        QTest::newRow("K 0.1") << 6 << "0.0 to 600.0deg.C K" << "0.0 to 999.9deg.F K";
        QTest::newRow("J 0.1") << 7 << "0.0 to 600.0deg.C J" << "0.0 to 999.9deg.F J";
        QTest::newRow("Pt100") << 8 << "-199.9 to 850.0deg.C Pt100" << "-199.9 to 999.9deg.F Pt100";
        QTest::newRow("JPt100") << 9 << "-199.9 to 500.0deg.C JPt100" << "-199.9 to 900.0deg.F JPt100";
    }
    void temperatureRanges()
    {
        QFETCH(int, inputType);
        QFETCH(QString, celsius);
        QFETCH(QString, fahrenheit);
        InputType[kCh] = int16_t(inputType);
        DisplayUnit[kCh] = 0;
        UnitSelect[kCh] = 1; // the range follows the shown unit, not the raw setting
        QCOMPARE(MakeRange(kCh), celsius);
        DisplayUnit[kCh] = 1;
        UnitSelect[kCh] = 0;
        QCOMPARE(MakeRange(kCh), fahrenheit);
        DisplayUnit[kCh] = -1;
        QCOMPARE(MakeRange(kCh), fahrenheit);
    }

    void linearRanges()
    {
        linearInput(100, 11);
        ScaleLow[kCh] = 400;
        ScaleHigh[kCh] = 2000;
        QCOMPARE(MakeRange(kCh), QStringLiteral("4.00 to 20.00 DC mA"));
        InputType[kCh] = 13;
        QCOMPARE(MakeRange(kCh), QStringLiteral("4.00 to 20.00 DC mA"));

        linearInput(10, 10);
        ScaleLow[kCh] = 0;
        ScaleHigh[kCh] = 1000;
        QCOMPARE(MakeRange(kCh), QStringLiteral("0.0 to 100.0 DC V"));
        InputType[kCh] = 12;
        ScaleLow[kCh] = -500;
        QCOMPARE(MakeRange(kCh), QStringLiteral("-50.0 to 100.0 DC V"));

        DecimalDivisor[kCh] = 7; // no pattern: the limits are empty, the frame stays
        QCOMPARE(MakeRange(kCh), QStringLiteral(" to  DC V"));
    }

    void unknownInputTypesHaveNoRange()
    {
        for (int16_t type : {int16_t(14), int16_t(-1), int16_t(100)}) {
            InputType[kCh] = type;
            QCOMPARE(MakeRange(kCh), QString());
        }
    }

    void listIndexOrZero()
    {
        QCOMPARE(ListIndexOrZero(-1), 0);
        QCOMPARE(ListIndexOrZero(-32768), 0);
        QCOMPARE(ListIndexOrZero(0), 0);
        QCOMPARE(ListIndexOrZero(15), 15);
    }

    void itemSelectorTexts()
    {
        const QStringList &texts = DisplayItemListTexts();
        QCOMPARE(texts.size(), kListedDisplayItems);
        QCOMPARE(texts.first(), QStringLiteral("Process variable"));
        QCOMPARE(texts.at(6), QStringLiteral("Heater Burnout alarm setting"));
        QCOMPARE(texts.at(10), QStringLiteral("Anti-reset windup"));
        QCOMPARE(texts.at(20), QStringLiteral("PV filter time constant"));
        QCOMPARE(texts.at(23), QStringLiteral("deg.C/deg.F designation"));
        QCOMPARE(texts.at(26), QStringLiteral("Cooling control Proportional band setting"));
        QCOMPARE(texts.last(), QStringLiteral("Cooling output ON/OFF action hysteresis setting"));
        QCOMPARE(QSet<QString>(texts.begin(), texts.end()).size(), texts.size());
    }

    void decimalPointIsAFullStopInEveryLocale()
    {
        const QLocale savedLocale;
        const QByteArray savedC = std::setlocale(LC_ALL, nullptr);
        for (auto language : {QLocale::German, QLocale::French}) {
            QLocale::setDefault(QLocale(language));
            // The C library's locale too, where the machine has it.
            std::setlocale(LC_ALL, language == QLocale::German ? "de_DE.UTF-8" : "fr_FR.UTF-8");
            QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));

            linearInput(100);
            ProcessValue[kCh] = 25920;
            QCOMPARE(MakeItemText(0, kCh), QStringLiteral("259.20"));
            DecimalDivisor[kCh] = 1; // no digit grouping either
            QCOMPARE(MakeItemText(0, kCh), QStringLiteral("25920"));
            DecimalDivisor[kCh] = 100;
            ProcessValue[kCh] = -5;
            QCOMPARE(MakeItemText(0, kCh), QStringLiteral("-0.05"));
            InputType[kCh] = 8;
            ProcessValue[kCh] = 12345;
            QCOMPARE(MakeItemText(0, kCh), QStringLiteral("1234.5"));
            InputType[kCh] = 0;
            QCOMPARE(MakeItemText(0, kCh), QStringLiteral("12345"));
            OutputValue[kCh] = 1000;
            QCOMPARE(MakeItemText(1, kCh), QStringLiteral("100.0"));
            linearInput(100, 11);
            ScaleLow[kCh] = 400;
            ScaleHigh[kCh] = 2000;
            QCOMPARE(MakeRange(kCh), QStringLiteral("4.00 to 20.00 DC mA"));
        }
        std::setlocale(LC_ALL, savedC.constData());
        QLocale::setDefault(savedLocale);
    }
};

QTEST_GUILESS_MAIN(TestValueText)
#include "tst_valuetext.moc"
