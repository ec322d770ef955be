#include "ItemTable.h"

#include "Conversions.h"

namespace PLM_INC {

namespace {

std::vector<ItemInfo> buildTable()
{
    using C = Conversion;
    auto S = [](const char *s) { return QString::fromLatin1(s); };
    return {
        {S("0080"), &ProcessValue, C::Scale, 0, 0, QString(), nullptr},
        {S("0081"), &OutputValue, C::None, 0, 1, QString(), nullptr},
        {S("0082"), &HeaterCurrent, C::None, 0, 2, QString(), nullptr},
        {S("0083"), &StatusWord, C::None, 0, -1, QString(), nullptr},
        {S("0001"), &MainSetting, C::Scale, 1, 3, S("Main setting value"), nullptr},
        {S("0005"), &Alarm1Value, C::AlarmByAction, 2, 4, S("Alarm 1 setting"), &Alarm1Action},
        {S("0006"), &Alarm2Value, C::AlarmByAction, 3, 5, S("Alarm 2 setting"), &Alarm2Action},
        {S("0008"), &HeaterBurnoutValue, C::None, 4, 6, S("Heater burnout alarm setting"), nullptr},
        {S("0002"), &ProportionalBand, C::None, 5, 7, S("Proportional band setting"), nullptr},
        {S("0003"), &IntegralTime, C::None, 6, 8, S("Integral time setting"), nullptr},
        {S("0004"), &DerivativeTime, C::None, 7, 9, S("Derivative time setting"), nullptr},
        {S("0017"), &AntiResetWindup, C::None, 8, 10, S("Anti-reset windup setting"), nullptr},
        {S("0007"), &ProportionalCycle, C::None, 9, 11, S("Proportional cycle setting"), nullptr},
        {S("0018"), &PdReset, C::Span, 10, 12, S("PD-reset setting"), nullptr},
        {S("000D"), &OnOffHysteresis, C::Span, 11, 13, S("ON/OFF hysteresis setting"), nullptr},
        {S("000B"), &Alarm1Hysteresis, C::Span, 12, 14, S("Alarm 1 hysteresis setting"), nullptr},
        {S("000C"), &Alarm2Hysteresis, C::Span, 13, 15, S("Alarm 2 hysteresis setting"), nullptr},
        {S("0013"), &Alarm1Action, C::None, 14, 16, S("Alarm 1 action selection"), nullptr},
        {S("0014"), &Alarm2Action, C::None, 15, 17, S("Alarm 2 action selection"), nullptr},
        {S("000E"), &OutputHighLimit, C::None, 16, 18, S("Output high limit setting"), nullptr},
        {S("000F"), &OutputLowLimit, C::None, 17, 19, S("Output low limit setting"), nullptr},
        {S("0010"), &PvFilterTime, C::None, 18, 20, S("PV filter time setting"), nullptr},
        {S("0019"), &SensorCorrection, C::Span, 19, 21, S("Sensor correction value setting"), nullptr},
        {S("0012"), &HeatCoolAction, C::None, 20, 22, S("Heating/Cooling action designation"), nullptr},
        {S("0011"), &UnitSelect, C::None, 21, 23, S("deg.C/deg.F designation"), nullptr},
        {S("0016"), &LoopBreakTime, C::None, 22, 24, S("Loop break alarm time setting"), nullptr},
        {S("0015"), &LoopBreakSpan, C::Span, 23, 25, S("Loop break alarm action span setting"), nullptr},
        {S("0009"), &OutputOnOff, C::None, 24, -1, S("Control ON/OFF & Auto-tuning action selection"), nullptr},
        {S("000A"), &AutoTuning, C::None, 0, -1, S("Control ON/OFF & Auto-tuning action selection"), nullptr},
        {S("001C"), &CoolProportionalBand, C::None, 25, 26, S("Cooling control proportional band setting"), nullptr},
        {S("001D"), &CoolProportionalCycle, C::None, 26, 27, S("Cooling control proportional cycle setting"), nullptr},
        {S("001E"), &OverlapDeadBand, C::Span, 27, 28, S("Overlap band/Dead band setting"), nullptr},
        {S("001F"), &CoolActionMode, C::None, 28, 29, S("Cooling action mode selection"), nullptr},
        {S("0020"), &CoolOnOffHysteresis, C::Span, 29, 30, S("Cooling output ON/OFF action hysteresis setting"), nullptr},
        {S("001B"), &LoopBreak2Time, C::None, 30, 35, S("Loop break alarm2 time setting"), nullptr},
        {S("001A"), &LoopBreak2Span, C::Span, 31, 36, S("Loop break alarm2 action span setting"), nullptr},
        {QString(), &ScaleHigh, C::None, 32, 31, S("Scaling high limit setting"), nullptr},
        {QString(), &ScaleLow, C::None, 33, 32, S("Scaling low limit setting"), nullptr},
        {QString(), &DecimalDivisor, C::None, 34, 33, S("Decimal point place selection"), nullptr},
        {QString(), nullptr, C::None, 35, 34, S("Setting the unit"), nullptr},
    };
}

} // namespace

const std::vector<ItemInfo> &ItemTable()
{
    static const std::vector<ItemInfo> table = buildTable();
    return table;
}

const std::vector<QString> &TransferChainItems()
{
    static const std::vector<QString> chain = [] {
        std::vector<QString> codes;
        for (const char *code : {"0013", "0014", "0001", "0002", "0003", "0004", "0007", "0008", "000B",
                                 "000C", "000D", "000E", "000F", "0010", "0011", "0012", "0015", "0016",
                                 "0017", "0018", "0019", "001C", "001D", "001E", "001F", "0020"})
            codes.push_back(QString::fromLatin1(code));
        return codes;
    }();
    return chain;
}

const ItemInfo *ItemByCode(const QString &code)
{
    if (code.isEmpty())
        return nullptr;
    for (const ItemInfo &i : ItemTable())
        if (i.code == code)
            return &i;
    return nullptr;
}

const ItemInfo *ItemBySetting(int settingItem)
{
    if (settingItem < 1)
        return nullptr;
    for (const ItemInfo &i : ItemTable())
        if (i.settingItem == settingItem)
            return &i;
    return nullptr;
}

const ItemInfo *ItemByDisplay(int displayItem)
{
    if (displayItem < 0)
        return nullptr;
    for (const ItemInfo &i : ItemTable())
        if (i.displayItem == displayItem)
            return &i;
    return nullptr;
}

bool IsCoolingItem(const QString &code)
{
    return code == QLatin1String("001C") || code == QLatin1String("001D") || code == QLatin1String("001E")
        || code == QLatin1String("001F") || code == QLatin1String("0020");
}

bool IsProcessAlarm(int16_t action)
{
    return action >= 9;
}

int16_t ToDevice(const ItemInfo &item, int channel, int16_t value)
{
    switch (item.conversion) {
    case Conversion::Scale:
        return ScaleToDevice(channel, value);
    case Conversion::Span:
        return SpanToDevice(channel, value);
    case Conversion::AlarmByAction:
        return IsProcessAlarm((*item.actionField)[channel]) ? ScaleToDevice(channel, value)
                                                              : SpanToDevice(channel, value);
    case Conversion::None:
        break;
    }
    return value;
}

int16_t ToDisplay(const ItemInfo &item, int channel, int16_t raw)
{
    switch (item.conversion) {
    case Conversion::Scale:
        return ScaleToDisplay(channel, raw);
    case Conversion::Span:
        return SpanToDisplay(channel, raw);
    case Conversion::AlarmByAction:
        return IsProcessAlarm((*item.actionField)[channel]) ? ScaleToDisplay(channel, raw)
                                                              : SpanToDisplay(channel, raw);
    case Conversion::None:
        break;
    }
    return raw;
}

} // namespace PLM_INC
