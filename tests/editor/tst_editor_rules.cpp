// The setting editor below its windows: the range of every numeric item with its range
// text, the keystroke rules, text back to a field, the selection choices, the command
// buttons' refusals and the write queue.
#include "ChangeRules.h"
#include "EntryText.h"
#include "ItemTable.h"
#include "ItemText.h"
#include "LinkRequests.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "SettingEntry.h"
#include "SettingRange.h"
#include "SettingWrite.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace PLM_INC;

namespace {

constexpr int kCh = 6; // channel 007 of block 0; its pair partner is 7

struct Channel {
    int type = 0;
    int unit = 0;
    int option = 0;
    int divisor = 1;
    int scaleHigh = 10000;
    int scaleLow = 0;
};

void setChannel(const Channel &c)
{
    InputType[kCh] = int16_t(c.type);
    DisplayUnit[kCh] = int16_t(c.unit);
    OptionWord[kCh] = int16_t(c.option);
    DecimalDivisor[kCh] = int16_t(c.divisor);
    ScaleHigh[kCh] = int16_t(c.scaleHigh);
    ScaleLow[kCh] = int16_t(c.scaleLow);
}

QString limitText(int item, const SettingRange &r)
{
    return DialogValueText(item, kCh, r.low, r.showTenths).value_or(QStringLiteral("?")) + QStringLiteral(" to ")
        + DialogValueText(item, kCh, r.high, r.showTenths).value_or(QStringLiteral("?"));
}

// Keys: digits, '-' for "+/-", 'C' for "CE". Returns the entry text after each key, joined by
// '|', with '!' after a refused key.
QString typeKeys(SettingEntry &entry, const QString &keys)
{
    QStringList shown;
    for (const QChar k : keys) {
        SettingEntry::Outcome o = SettingEntry::Outcome::Accepted;
        if (k.isDigit())
            o = entry.digit(k.digitValue());
        else if (k == QLatin1Char('-'))
            o = entry.toggleSign();
        else if (k == QLatin1Char('C'))
            entry.clear();
        shown << entry.text().trimmed() + (o == SettingEntry::Outcome::OutOfRange ? QStringLiteral("!") : QString());
    }
    return shown.join(QLatin1Char('|'));
}

} // namespace

class TestEditorRules : public QObject {
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        Prefs::reopen();
    }

    void init() { ResetImage(); }

    void settingRanges_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("action"); // alarm action of items 2/3, or the neighbour limit of 16/17, or P of 10
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("scaleHigh");
        QTest::addColumn<int>("scaleLow");
        QTest::addColumn<QString>("limits");
        QTest::addColumn<bool>("tenths");
        QTest::newRow("SV K degC") << 1 << 0 << 0 << 0 << 0 << 1 << 10000 << 0 << "-200 to 1370" << false;
        QTest::newRow("SV B degF") << 1 << 3 << 1 << 0 << 0 << 1 << 10000 << 0 << "0 to 3300" << false;
        QTest::newRow("SV Pt100 tenths") << 1 << 8 << 0 << 0 << 0 << 1 << 10000 << 0 << "-199.9 to 850.0" << true;
        QTest::newRow("SV JPt100 degF") << 1 << 9 << 1 << 0 << 0 << 1 << 10000 << 0 << "-199.9 to 900.0" << true;
        QTest::newRow("SV linear own limits") << 1 << 11 << 0 << 0 << 0 << 100 << 2000 << 400 << "4.00 to 20.00" << true;
        QTest::newRow("SV linear odd divisor") << 1 << 12 << 0 << 0 << 0 << 3 << 2000 << 400 << "? to ?" << true;
        QTest::newRow("AL1 deviation K") << 2 << 0 << 0 << 2 << 0 << 1 << 10000 << 0 << "-200 to 200" << false;
        QTest::newRow("AL1 deviation J tenths") << 2 << 7 << 0 << 2 << 0 << 1 << 10000 << 0 << "-200.0 to 200.0" << true;
        QTest::newRow("AL1 band") << 2 << 0 << 0 << 6 << 0 << 1 << 10000 << 0 << "0 to 200" << false;
        QTest::newRow("AL1 process") << 2 << 0 << 0 << 10 << 0 << 1 << 10000 << 0 << "-200 to 1370" << false;
        QTest::newRow("AL2 process tenths") << 3 << 8 << 0 << 12 << 0 << 1 << 10000 << 0 << "-199.9 to 850.0" << true;
        QTest::newRow("AL1 unknown action") << 2 << 0 << 0 << 13 << 0 << 1 << 10000 << 0 << "0 to 0" << false;
        QTest::newRow("HB option only") << 4 << 0 << 0 << 0 << 0x0001 << 1 << 10000 << 0 << "0.0 to 20.0" << true;
        QTest::newRow("HB large range") << 4 << 0 << 0 << 0 << 0x0003 << 1 << 10000 << 0 << "0.0 to 50.0" << true;
        QTest::newRow("HB not fitted") << 4 << 0 << 0 << 0 << 0x0002 << 1 << 10000 << 0 << "0.0 to 0.0" << true;
        QTest::newRow("PD reset K P25 half to even") << 10 << 0 << 0 << 25 << 0 << 1 << 10000 << 0 << "-39.2 to 39.2" << true;
        QTest::newRow("PD reset clamped") << 10 << 0 << 0 << 1000 << 0 << 1 << 10000 << 0 << "-199.9 to 999.9" << true;
        QTest::newRow("PD reset Pt100 in degrees") << 10 << 8 << 0 << 100 << 0 << 1 << 10000 << 0 << "-105.0 to 105.0" << true;
        QTest::newRow("hysteresis linear /100") << 11 << 12 << 0 << 0 << 0 << 100 << 10000 << 0 << "0.01 to 10.00" << true;
        QTest::newRow("hysteresis span half even down") << 12 << 12 << 0 << 0 << 0 << 1 << 1005 << 0 << "1 to 100" << true;
        QTest::newRow("hysteresis span half even up") << 13 << 12 << 0 << 0 << 0 << 1 << 1015 << 0 << "1 to 102" << true;
        QTest::newRow("hysteresis temperature") << 11 << 0 << 0 << 0 << 0 << 1 << 10000 << 0 << "0.1 to 100.0" << true;
        QTest::newRow("output high limit") << 16 << 0 << 0 << 20 << 0 << 1 << 10000 << 0 << "20 to 105" << false;
        QTest::newRow("output low limit") << 17 << 0 << 0 << 90 << 0 << 1 << 10000 << 0 << "-5 to 90" << false;
        QTest::newRow("proportional cycle") << 9 << 0 << 0 << 0 << 0 << 1 << 10000 << 0 << "1 to 120" << false;
        QTest::newRow("sensor correction linear") << 19 << 10 << 0 << 0 << 0 << 10 << 5000 << -1000 << "-60.0 to 60.0" << true;
        QTest::newRow("loop break span") << 23 << 0 << 0 << 0 << 0 << 1 << 10000 << 0 << "0.0 to 100.0" << true;
        QTest::newRow("overlap band") << 27 << 0 << 0 << 0 << 0 << 1 << 10000 << 0 << "-100.0 to 100.0" << true;
        QTest::newRow("scaling high") << 32 << 12 << 0 << 0 << 0 << 10 << 5000 << -100 << "-10.0 to 1000.0" << false;
        QTest::newRow("scaling low") << 33 << 12 << 0 << 0 << 0 << 1 << 5000 << -100 << "-2000 to 5000" << false;
    }

    void settingRanges()
    {
        QFETCH(int, item);
        QFETCH(int, type);
        QFETCH(int, action);
        QFETCH(int, scaleHigh);
        QFETCH(int, scaleLow);
        QFETCH(int, unit);
        QFETCH(int, option);
        QFETCH(int, divisor);
        setChannel({type, unit, option, divisor, scaleHigh, scaleLow});
        Alarm1Action[kCh] = Alarm2Action[kCh] = int16_t(action);
        ProportionalBand[kCh] = int16_t(action);
        OutputLowLimit[kCh] = OutputHighLimit[kCh] = int16_t(action);
        const std::optional<SettingRange> r = SettingRangeOf(item, kCh);
        QVERIFY(r);
        QTEST(limitText(item, *r), "limits");
        QTEST(r->showTenths, "tenths");
    }

    void itemsWithoutRange()
    {
        for (int item : {0, 14, 15, 20, 21, 24, 28, 34, 35, 36})
            QVERIFY2(!SettingRangeOf(item, kCh), qPrintable(QString::number(item)));
    }

    void keystrokes_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fourth key over the top refused") << -200.0 << 1370.0 << "1500" << "1|15|150|150!";
        QTest::newRow("digits after the sign grow the magnitude") << -200.0 << 1370.0 << "12-3" << "1|12|-12|-123";
        QTest::newRow("sign beyond the bottom refused") << -200.0 << 1370.0 << "250-" << "2|25|250|250!";
        QTest::newRow("zero below the range refused") << 1.0 << 120.0 << "010" << "!|1|10";
        QTest::newRow("sign on empty gives zero") << -200.0 << 200.0 << "-5" << "0|5";
        QTest::newRow("sign on empty outside the range") << 1.0 << 120.0 << "-" << "!";
        QTest::newRow("clear empties") << 0.0 << 3600.0 << "12C4" << "1|12||4";
        QTest::newRow("digits leading into a range from 20") << 20.0 << 105.0 << "50" << "5|50";
        QTest::newRow("hopeless digit refused") << 20.0 << 105.0 << "11" << "1|1!";
        QTest::newRow("negative range typed digits then sign") << -2000.0 << -100.0 << "50-" << "5|50|-50";
        QTest::newRow("empty range refuses everything") << 1.0 << 0.0 << "1-" << "!|!";
    }

    void keystrokes()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QString, keys);
        SettingEntry entry;
        entry.setRange(low, high);
        QTEST(typeKeys(entry, keys), "shown");
    }

    void finishedEntryMustBeInRange()
    {
        SettingEntry entry;
        entry.setRange(20, 105);
        entry.digit(5);
        QVERIFY(!entry.inRange()); // OK refuses "5" with the out-of-range message
        entry.digit(0);
        QVERIFY(entry.inRange());
        QCOMPARE(entry.text(), QStringLiteral(" 50"));
    }

    void dialogEntryText_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("tenths input SV") << 1 << 8 << 1 << 255 << "25.5";
        QTest::newRow("whole degrees keep the entry text") << 1 << 0 << 1 << 150 << " 150";
        QTest::newRow("linear decimal place") << 11 << 12 << 100 << 5 << "0.05";
        QTest::newRow("linear item without decimal place") << 9 << 12 << 100 << 30 << " 30";
        QTest::newRow("negative tenths") << 19 << 0 << 1 << -5 << "-0.5";
    }

    void dialogEntryText()
    {
        QFETCH(int, item);
        QFETCH(int, type);
        QFETCH(int, divisor);
        QFETCH(int, value);
        setChannel({type, 0, 0, divisor, 10000, 0});
        const std::optional<SettingRange> r = SettingRangeOf(item, kCh);
        QVERIFY(r);
        QTEST(*DialogValueText(item, kCh, value, r->showTenths, EntryNumberText(value)), "text");
    }

    void storeItemText_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored"); // the field afterwards; the field starts at 77
        QTest::newRow("33 XX.XX") << 33 << 12 << 1 << "XX.XX" << 100;
        QTest::newRow("33 XXXX.") << 33 << 12 << 100 << "XXXX." << 1;
        QTest::newRow("33 unknown keeps") << 33 << 12 << 100 << "abc" << 77;
        QTest::newRow("22 Cooling") << 22 << 0 << 1 << "Cooling" << 1;
        QTest::newRow("22 Heat is not Heating") << 22 << 0 << 1 << "Heat" << 1;
        QTest::newRow("22 Heating") << 22 << 0 << 1 << "Heating" << 0;
        QTest::newRow("16 long name") << 16 << 0 << 1 << "Process high alarm" << 9;
        QTest::newRow("16 short code is no name") << 16 << 0 << 1 << "PH  " << 0;
        QTest::newRow("12 whole degrees input in tenths") << 12 << 0 << 1 << "1.5" << 15;
        QTest::newRow("12 linear /100") << 12 << 12 << 100 << "1.5" << 150;
        QTest::newRow("3 whole degrees") << 3 << 0 << 1 << " 150" << 150;
        QTest::newRow("3 last whole-degree input (N)") << 3 << 5 << 1 << "150" << 150;
        QTest::newRow("5 alarm 2 on the last whole-degree input") << 5 << 5 << 1 << "-20" << -20;
        QTest::newRow("3 first tenths input (K 0.0)") << 3 << 6 << 1 << "150" << 1500;
        QTest::newRow("3 tenths input") << 3 << 8 << 1 << "25.5" << 255;
        QTest::newRow("3 negative linear") << 3 << 10 << 10 << "-15" << -150;
        QTest::newRow("7 rule F half to even") << 7 << 0 << 1 << "2.25" << 22;
        QTest::newRow("8 no number is zero") << 8 << 0 << 1 << "abc" << 0;
        QTest::newRow("8 blanks inside ignored") << 8 << 0 << 1 << " 1 2" << 12;
        QTest::newRow("29 Oil") << 29 << 0 << 1 << "Oil" << 1;
        QTest::newRow("29 unknown keeps") << 29 << 0 << 1 << "Oily" << 77;
        QTest::newRow("18 too big refused") << 18 << 0 << 1 << "40000" << 77;
        QTest::newRow("3 huge refused") << 3 << 12 << 10000 << "99999999999999999999999" << 77;
        QTest::newRow("2 heater current is never stored") << 2 << 0 << 1 << "5" << 77;
    }

    void storeItemText()
    {
        QFETCH(int, item);
        QFETCH(int, type);
        QFETCH(int, divisor);
        QFETCH(QString, text);
        QFETCH(int, stored);
        setChannel({type, 0, 0, divisor, 10000, 0});
        const ItemInfo *info = ItemByDisplay(item);
        QVERIFY(info && info->field);
        (*info->field)[kCh] = 77;
        StoreItemText(item, kCh, text);
        QCOMPARE(int((*info->field)[kCh]), stored);
    }

    void storeItemTextUnitSetsThePair()
    {
        StoreItemText(23, kCh, QStringLiteral("deg.F"));
        QCOMPARE(UnitSelect[kCh], int16_t(1));
        QCOMPARE(DisplayUnit[kCh], int16_t(1));
        QCOMPARE(DisplayUnit[kCh + 1], int16_t(1));
        QVERIFY(StoreItemText(23, kChannels - 1, QStringLiteral("deg.C"))); // no channel after the last
        StoreItemText(34, kCh, QStringLiteral("mm"));
        QCOMPARE(UnitText[kCh], QStringLiteral("mm"));
    }

    // Which change buttons act; a refused one changes nothing and queues nothing.
    void changeButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("output");
        QTest::addColumn<int>("autoTuning");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("acts");
        QTest::addColumn<QString>("queued"); // the item of the one write queued; empty: none
        QTest::newRow("editor SV") << "numeric" << 1 << 0 << 0 << 0 << 0 << 0 << true << "";
        QTest::newRow("editor while AT on") << "numeric" << 1 << 1 << 1 << 0 << 0 << 0 << false << "";
        QTest::newRow("editor while AT running") << "numeric" << 1 << 1 << 0 << 0x0080 << 0 << 0 << false << "";
        QTest::newRow("editor alarm without action") << "numeric" << 2 << 0 << 0 << 0 << 0 << 0 << false << "";
        QTest::newRow("editor HB without option") << "numeric" << 4 << 0 << 0 << 0 << 0 << 0 << false << "";
        QTest::newRow("editor cooling without pair") << "numeric" << 26 << 0 << 0 << 0 << 0 << 0 << false << "";
        QTest::newRow("editor cooling on a pair") << "numeric" << 26 << 0 << 0 << 0 << 0x0400 << 0 << true << "";
        QTest::newRow("editor scaling on temperature") << "numeric" << 33 << 0 << 0 << 0 << 0 << 9 << false << "";
        QTest::newRow("editor scaling on linear") << "numeric" << 33 << 0 << 0 << 0 << 0 << 10 << true << "";
        QTest::newRow("editor nothing chosen") << "numeric" << 0 << 0 << 0 << 0 << 0 << 0 << false << "";
        QTest::newRow("one-channel SV ignores running AT") << "mainSV" << 1 << 1 << 0 << 0x0080 << 0 << 0 << true << "";
        QTest::newRow("selection cool mode without pair") << "selection" << 28 << 0 << 0 << 0 << 0 << 0 << false << "";
        QTest::newRow("selection DP on temperature") << "selection" << 34 << 0 << 0 << 0 << 0 << 0 << false << "";
        QTest::newRow("selection unit on linear") << "selection" << 35 << 0 << 0 << 0 << 0 << 13 << true << "";
        QTest::newRow("selection while AT on") << "selection" << 14 << 1 << 1 << 0 << 0 << 0 << false << "";
        QTest::newRow("output on setting page") << "outSetting" << 24 << 0 << 0 << 0x0080 << 0 << 0 << true << "0009";
        QTest::newRow("output on setting page with AT") << "outSetting" << 24 << 1 << 1 << 0 << 0 << 0 << false << "";
        QTest::newRow("AT with output off") << "at" << 24 << 0 << 0 << 0 << 0 << 0 << false << "";
        QTest::newRow("AT with output on") << "at" << 24 << 1 << 0 << 0 << 0 << 0 << true << "000A";
        QTest::newRow("output on monitor page, AT running") << "outMonitor" << 0 << 0 << 0 << 0x0080 << 0 << 0 << false << "";
        QTest::newRow("output on monitor page") << "outMonitor" << 0 << 0 << 1 << 0 << 0 << 0 << true << "0009";
    }

    void changeButtons()
    {
        QFETCH(QString, button);
        QFETCH(int, item);
        QFETCH(int, output);
        QFETCH(int, autoTuning);
        QFETCH(int, status);
        QFETCH(int, option);
        QFETCH(int, type);
        QFETCH(bool, acts);
        QFETCH(QString, queued);
        const int ch = 2 * kChannelsPerBlock + 13; // block 2: a write carries its block
        OutputOnOff[ch] = int16_t(output);
        AutoTuning[ch] = int16_t(autoTuning);
        StatusWord[ch] = int16_t(status);
        OptionWord[ch] = int16_t(option);
        InputType[ch] = int16_t(type);
        Alarm1Action[ch] = 0;
        bool acted = false;
        if (button == QLatin1String("numeric"))
            acted = NumericEditorOpens(item, ch);
        else if (button == QLatin1String("mainSV"))
            acted = MainSettingEditorOpens(ch);
        else if (button == QLatin1String("selection"))
            acted = SelectionOpens(item, ch);
        else if (button == QLatin1String("outSetting"))
            acted = ToggleOutputOnSettingPage(ch);
        else if (button == QLatin1String("at"))
            acted = ToggleAutoTuning(ch);
        else if (button == QLatin1String("outMonitor"))
            acted = ToggleOutputOnMonitorPage(ch);
        QCOMPARE(acted, acts);
        const bool toggles = button.startsWith(QLatin1String("out")) || button == QLatin1String("at");
        if (toggles) {
            ChannelTable &field = button == QLatin1String("at") ? AutoTuning : OutputOnOff;
            const int before = button == QLatin1String("at") ? autoTuning : output;
            QCOMPARE(int(field[ch]), acts ? (before == 1 ? 0 : 1) : before);
        }
        // Opening an editor queues nothing; a toggle queues its one item for the channel's block.
        if (queued.isEmpty()) {
            QVERIFY(PendingRequests.empty());
        } else {
            const std::optional<LinkRequestJob> write = PendingRequests.pop();
            QVERIFY(write);
            QCOMPARE(write->item, queued);
            QCOMPARE(write->block, 2);
            QCOMPARE(write->values.size(), size_t(1));
            QCOMPARE(write->values.front().channel, ch);
            QVERIFY(PendingRequests.empty());
        }
    }

    void selectionChoices()
    {
        DecimalDivisor[kCh] = 10000;
        QCOMPARE(SelectionIndexOf(34, kCh), 4);
        DecimalDivisor[kCh] = 7;
        QCOMPARE(SelectionIndexOf(34, kCh), -1); // no choice matches: none selected
        QVERIFY(StoreSelection(34, kCh, -1, QString()));
        QCOMPARE(DecimalDivisor[kCh], int16_t(7)); // nothing chosen leaves the field
        QVERIFY(StoreSelection(34, kCh, 2, QString()));
        QCOMPARE(DecimalDivisor[kCh], int16_t(100));
        QVERIFY(StoreSelection(21, kCh, 1, QString()));
        QCOMPARE(UnitSelect[kCh], int16_t(1));
        QCOMPARE(DisplayUnit[kCh + 1], int16_t(1));
        QVERIFY(!StoreSelection(24, kCh, 1, QString()));
    }

    void acceptedChangeReachesControllerOrPreferences()
    {
        ScaleLow[0] = -50;
        RequestSettingWrite(33, 0);
        QCOMPARE(Prefs::get(QStringLiteral("STLL001")), QStringLiteral("-50"));
        UnitText[319] = QStringLiteral("mm");
        RequestSettingWrite(35, 319);
        QCOMPARE(Prefs::get(QStringLiteral("UNIT320")), QStringLiteral("mm"));
        QVERIFY(PendingRequests.empty()); // the scaling items never reach the controller

        RequestSettingWrite(30, 45);  // loop break 2 time of block 2
        RequestSettingWrite(8, 21);   // anti-reset windup of block 1
        RequestSettingWrite(30, 59);  // the same item of block 2 again: merged
        RequestSettingWrite(24, 21);  // no item of its own
        QCOMPARE(PendingRequests.size(), 2);
        const auto first = PendingRequests.pop();
        QCOMPARE(first->item, QStringLiteral("001B"));
        QCOMPARE(first->values.size(), size_t(2)); // channels 45 and 59, each with its own value
        const auto second = PendingRequests.pop();
        QCOMPARE(second->block, 1);
        QCOMPARE(second->item, QStringLiteral("0017"));
    }

    void storedValueFitsSixteenBits()
    {
        QVERIFY(StoreSettingValue(1, kCh, -32768));
        QCOMPARE(MainSetting[kCh], int16_t(-32768));
        QVERIFY(!StoreSettingValue(1, kCh, 32768));
        QCOMPARE(MainSetting[kCh], int16_t(-32768));
        QVERIFY(!StoreSettingValue(14, kCh, 1)); // a selection item is not numeric
    }
};

QTEST_GUILESS_MAIN(TestEditorRules)
#include "tst_editor_rules.moc"
