// The item table: every setting item and display item reaches its field and code, and values
// get the right conversion on their way in and out.
#include "Conversions.h"
#include "ItemTable.h"

#include <QtTest>

using namespace PLM_INC;

namespace {

struct Expected {
    int settingItem;
    int displayItem; // -1: none
    const char *code; // "": PC side only
    ChannelTable *field;
};

// Setting item, display item, item code and field of every setting item.
const Expected kSettingItems[] = {
    {1, 3, "0001", &MainSetting},          {2, 4, "0005", &Alarm1Value},
    {3, 5, "0006", &Alarm2Value},          {4, 6, "0008", &HeaterBurnoutValue},
    {5, 7, "0002", &ProportionalBand},     {6, 8, "0003", &IntegralTime},
    {7, 9, "0004", &DerivativeTime},       {8, 10, "0017", &AntiResetWindup},
    {9, 11, "0007", &ProportionalCycle},   {10, 12, "0018", &PdReset},
    {11, 13, "000D", &OnOffHysteresis},    {12, 14, "000B", &Alarm1Hysteresis},
    {13, 15, "000C", &Alarm2Hysteresis},   {14, 16, "0013", &Alarm1Action},
    {15, 17, "0014", &Alarm2Action},       {16, 18, "000E", &OutputHighLimit},
    {17, 19, "000F", &OutputLowLimit},     {18, 20, "0010", &PvFilterTime},
    {19, 21, "0019", &SensorCorrection},   {20, 22, "0012", &HeatCoolAction},
    {21, 23, "0011", &UnitSelect},         {22, 24, "0016", &LoopBreakTime},
    {23, 25, "0015", &LoopBreakSpan},      {24, -1, "0009", &OutputOnOff},
    {25, 26, "001C", &CoolProportionalBand}, {26, 27, "001D", &CoolProportionalCycle},
    {27, 28, "001E", &OverlapDeadBand},    {28, 29, "001F", &CoolActionMode},
    {29, 30, "0020", &CoolOnOffHysteresis}, {30, 35, "001B", &LoopBreak2Time},
    {31, 36, "001A", &LoopBreak2Span},     {32, 31, "", &ScaleHigh},
    {33, 32, "", &ScaleLow},               {34, 33, "", &DecimalDivisor},
    {35, 34, "", nullptr /* UnitText */},
};

} // namespace

class TestItemTable : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetImage(); }

    void everySettingItemReachesItsField()
    {
        for (const Expected &e : kSettingItems) {
            const ItemInfo *info = ItemBySetting(e.settingItem);
            QVERIFY2(info, qPrintable(QString::number(e.settingItem)));
            QCOMPARE(info->field, e.field);
            QCOMPARE(info->code, QString::fromLatin1(e.code));
            QCOMPARE(info->displayItem, e.displayItem);
            QVERIFY(!info->caption.isEmpty());
        }
        QVERIFY(!ItemBySetting(0));
        QVERIFY(!ItemBySetting(36));
        QCOMPARE(ItemBySetting(1)->caption, QStringLiteral("Main setting value"));
        QCOMPARE(ItemBySetting(35)->caption, QStringLiteral("Setting the unit"));
    }

    void everyDisplayItemReachesItsField()
    {
        QCOMPARE(ItemByDisplay(0)->field, &ProcessValue);
        QCOMPARE(ItemByDisplay(1)->field, &OutputValue);
        QCOMPARE(ItemByDisplay(2)->field, &HeaterCurrent);
        int seen = 3;
        for (const Expected &e : kSettingItems) {
            if (e.displayItem < 0)
                continue;
            const ItemInfo *info = ItemByDisplay(e.displayItem);
            QVERIFY2(info, qPrintable(QString::number(e.displayItem)));
            QCOMPARE(info->field, e.field);
            QCOMPARE(info->settingItem, e.settingItem);
            ++seen;
        }
        QCOMPARE(seen, 37);
        QVERIFY(!ItemByDisplay(-1));
        QVERIFY(!ItemByDisplay(37));
    }

    void codesReachTheirItems()
    {
        QCOMPARE(ItemByCode(QStringLiteral("0080"))->field, &ProcessValue);
        QCOMPARE(ItemByCode(QStringLiteral("0083"))->field, &StatusWord);
        QCOMPARE(ItemByCode(QStringLiteral("000A"))->field, &AutoTuning);
        for (const Expected &e : kSettingItems)
            if (*e.code)
                QCOMPARE(ItemByCode(QString::fromLatin1(e.code))->field, e.field);
        QVERIFY(!ItemByCode(QStringLiteral("00A0")));
        QVERIFY(!ItemByCode(QStringLiteral("00A1")));
        QVERIFY(!ItemByCode(QString()));
        QVERIFY(!ItemByCode(QStringLiteral("0021")));
    }

    void coolingItemsAreTheFiveCoolingCodes()
    {
        QStringList cooling;
        for (int code = 1; code <= 0x20; ++code) {
            const QString text = QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
            if (IsCoolingItem(text))
                cooling << text;
        }
        QCOMPARE(cooling, QStringList({"001C", "001D", "001E", "001F", "0020"}));
    }

    void storedValuesGetTheirConversion()
    {
        InputType[7] = 12;
        ScaleHigh[7] = 2000;
        ScaleLow[7] = -1000;
        QCOMPARE(ToDisplay(*ItemByCode(QStringLiteral("0080")), 7, 5000), int16_t(500)); // absolute
        QCOMPARE(ToDisplay(*ItemByCode(QStringLiteral("0001")), 7, 5000), int16_t(500));
        for (const char *span : {"000B", "000C", "000D", "0015", "0018", "0019", "001A", "001E", "0020"})
            QCOMPARE(ToDisplay(*ItemByCode(QString::fromLatin1(span)), 7, 1000), int16_t(300));
        for (const char *plain : {"0081", "0082", "0083", "0002", "0003", "0008", "0013", "0011", "001F"})
            QCOMPARE(ToDisplay(*ItemByCode(QString::fromLatin1(plain)), 7, 1000), int16_t(1000));
        QCOMPARE(ToDevice(*ItemByCode(QStringLiteral("000D")), 7, 300), int16_t(1000));
    }

    void alarmValuesFollowTheirActionCode()
    {
        InputType[7] = 12;
        ScaleHigh[7] = 2000;
        ScaleLow[7] = -1000;
        const ItemInfo &alarm1 = *ItemByCode(QStringLiteral("0005"));
        const ItemInfo &alarm2 = *ItemByCode(QStringLiteral("0006"));
        Alarm1Action[7] = 8; // deviation: a span
        Alarm2Action[7] = 9; // process: a level
        QCOMPARE(ToDisplay(alarm1, 7, 1000), int16_t(300));
        QCOMPARE(ToDisplay(alarm2, 7, 1000), int16_t(-700));
        QCOMPARE(ToDevice(alarm1, 7, 300), int16_t(1000));
        QCOMPARE(ToDevice(alarm2, 7, -700), int16_t(1000));
        Alarm1Action[7] = 12;
        QCOMPARE(ToDisplay(alarm1, 7, 1000), int16_t(-700));
    }
};

QTEST_GUILESS_MAIN(TestItemTable)
#include "tst_itemtable.moc"
