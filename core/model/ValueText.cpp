#include "ValueText.h"

#include "ItemTable.h"
#include "PLM_INC.h"

#include <array>

namespace PLM_INC {

namespace {

enum class Rule {
    Temperature, // T: whole degrees, tenths, or the linear scaling
    Deviation,   // D: tenths on temperature inputs, else the linear scaling
    Fixed1,      // F: tenths whatever the input
    Number,      // N: whole number
    AlarmAction, // A: four-character alarm action code
    HeatCool,    // H
    Unit,        // U
    CoolMode,    // M
    Placeholder, // P: decimal point pattern of the divisor
    UnitText     // S
};

// Formatting rule of each display item 0..36.
constexpr std::array<Rule, kDisplayItems> kRules = {
    Rule::Temperature, Rule::Fixed1,      Rule::Fixed1,      // 0..2 PV, MV, heater current
    Rule::Temperature, Rule::Temperature, Rule::Temperature, // 3..5 SV, alarm 1, alarm 2
    Rule::Fixed1,      Rule::Fixed1,                         // 6..7 heater burnout, P
    Rule::Number,      Rule::Number,      Rule::Number,      Rule::Number, // 8..11 I, D, ARW, cycle
    Rule::Deviation,   Rule::Deviation,   Rule::Deviation,   Rule::Deviation, // 12..15
    Rule::AlarmAction, Rule::AlarmAction,                    // 16..17
    Rule::Number,      Rule::Number,                         // 18..19 output limits
    Rule::Fixed1,      Rule::Deviation,                      // 20..21 filter, sensor correction
    Rule::HeatCool,    Rule::Unit,                           // 22..23
    Rule::Number,      Rule::Deviation,                      // 24..25 loop break
    Rule::Fixed1,      Rule::Number,      Rule::Deviation,   // 26..28 cooling P, cycle, overlap
    Rule::CoolMode,    Rule::Deviation,                      // 29..30
    Rule::Deviation,   Rule::Deviation,                      // 31..32 scaling high, low
    Rule::Placeholder, Rule::UnitText,                       // 33..34
    Rule::Number,      Rule::Deviation,                      // 35..36 loop break 2
};

struct DivisorFormat {
    int divisor;
    int places;
    const char *placeholder;
};

constexpr DivisorFormat kDivisors[] = {
    {1, 0, "XXXX."}, {10, 1, "XXX.X"}, {100, 2, "XX.XX"}, {1000, 3, "X.XXX"}, {10000, 4, ".XXXX"},
};

const DivisorFormat *divisorFormat(int divisor)
{
    for (const DivisorFormat &f : kDivisors)
        if (f.divisor == divisor)
            return &f;
    return nullptr;
}

constexpr const char *kAlarmCodes[] = {"None", "H   ", "H  W", "L   ", "L  W", "HL  ", "HL W",
                                       "WID ", "WIDW", "PH  ", "PH W", "PL  ", "PL W"};

constexpr const char *kAlarmNames[] = {
    "No alarm action",
    "High limit alarm",
    "High limit alarm with standby",
    "Low limit alarm",
    "Low limit alarm with standby",
    "High/Low limits alarm",
    "High/Low limits alarm with standby",
    "High/Low limit range alarm",
    "High/Low limit range alarm with standby",
    "Process high alarm",
    "Process high alarm with standby",
    "Process low alarm",
    "Process low alarm with standby",
};
constexpr int kAlarmTypes = 13;

struct RangeText {
    const char *celsius;
    const char *fahrenheit;
};

constexpr RangeText kTemperatureRanges[10] = {
    {"-200 to 1370deg.C K", "-320 to 2500deg.F K"},
    {"-200 to 1000deg.C J", "-320 to 1800deg.F J"},
    {"0 to 1760deg.C R", "0 to 3200deg.F R"},
    {"0 to 1820deg.C B", "0 to 3300deg.F B"},
    {"0 to 1390deg.C PL-2", "0 to 2500deg.F PL-2"},
    {"0 to 1300deg.C N", "0 to 2300deg.F N"},
    {"0.0 to 600.0deg.C K", "0.0 to 999.9deg.F K"},
    {"0.0 to 600.0deg.C J", "0.0 to 999.9deg.F J"},
    {"-199.9 to 850.0deg.C Pt100", "-199.9 to 999.9deg.F Pt100"},
    {"-199.9 to 500.0deg.C JPt100", "-199.9 to 900.0deg.F JPt100"},
};

QString linearText(int channel, int raw)
{
    return FormatByDivisor(raw, DecimalDivisor[channel]);
}

QString temperatureText(int channel, int raw)
{
    const int type = InputType[channel];
    if (!IsTemperatureInput(type))
        return linearText(channel, raw);
    if (type <= 5)
        return QString::number(raw);
    return FormatByDivisor(raw, 10);
}

QString deviationText(int channel, int raw)
{
    if (IsTemperatureInput(InputType[channel]))
        return FormatByDivisor(raw, 10);
    return linearText(channel, raw);
}

QString coolModeText(int raw)
{
    switch (raw) {
    case 0: return QStringLiteral("Air");
    case 1: return QStringLiteral("Oil");
    case 2: return QStringLiteral("Water");
    default: return QString();
    }
}

} // namespace

bool IsTemperatureInput(int inputType)
{
    return inputType >= 0 && inputType <= 9;
}

QString FormatByDivisor(int raw, int divisor)
{
    const DivisorFormat *format = divisorFormat(divisor);
    if (!format)
        return QString();
    // Written backwards into one buffer and made a string once: the pages format every value
    // they show after every poll step.
    char reversed[24];
    int n = 0;
    qint64 magnitude = raw < 0 ? -qint64(raw) : qint64(raw);
    for (int place = 0; place < format->places; ++place, magnitude /= 10)
        reversed[n++] = char('0' + magnitude % 10);
    if (format->places > 0)
        reversed[n++] = '.';
    do {
        reversed[n++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (raw < 0)
        reversed[n++] = '-';
    QString text(n, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 0; i < n; ++i)
        out[i] = QLatin1Char(reversed[n - 1 - i]);
    return text;
}

QString DivisorPlaceholder(int divisor)
{
    const DivisorFormat *format = divisorFormat(divisor);
    return format ? QString::fromLatin1(format->placeholder) : QString();
}

QString MakeItemText(int item, int channel)
{
    InputType.check(channel); // a bad channel raises here, whatever the item
    if (item < 0 || item >= kDisplayItems)
        item = 0;
    if (kRules[static_cast<size_t>(item)] == Rule::UnitText)
        return PLM_INC::UnitText[channel];
    const ItemInfo *info = ItemByDisplay(item);
    if (!info || !info->field)
        return QString();
    return ItemValueText(item, channel, (*info->field)[channel]);
}

QString ItemValueText(int item, int channel, int raw)
{
    InputType.check(channel);
    if (item < 0 || item >= kDisplayItems)
        item = 0;
    switch (kRules[static_cast<size_t>(item)]) {
    case Rule::Temperature: return temperatureText(channel, raw);
    case Rule::Deviation: return deviationText(channel, raw);
    case Rule::Fixed1: return FormatByDivisor(raw, 10);
    case Rule::Number: return QString::number(raw);
    case Rule::AlarmAction: return AlarmTypeCode(raw);
    case Rule::HeatCool: return raw == 0 ? QStringLiteral("Heat") : QStringLiteral("Cool");
    case Rule::Unit: return raw == 0 ? QStringLiteral("deg.C") : QStringLiteral("deg.F");
    case Rule::CoolMode: return coolModeText(raw);
    case Rule::Placeholder: return DivisorPlaceholder(raw);
    case Rule::UnitText: return PLM_INC::UnitText[channel];
    }
    return QString();
}

QString MakeRange(int channel)
{
    const int type = InputType[channel];
    if (IsTemperatureInput(type)) {
        const RangeText &range = kTemperatureRanges[type];
        return QString::fromLatin1(DisplayUnit[channel] != 0 ? range.fahrenheit : range.celsius);
    }
    const QString limits = MakeItemText(32, channel) + QStringLiteral(" to ") + MakeItemText(31, channel);
    if (type == 10 || type == 12)
        return limits + QStringLiteral(" DC V");
    if (type == 11 || type == 13)
        return limits + QStringLiteral(" DC mA");
    return QString();
}

QString AlarmTypeName(int code)
{
    return code >= 0 && code < kAlarmTypes ? QString::fromLatin1(kAlarmNames[code]) : QString();
}

QString AlarmTypeCode(int code)
{
    return code >= 0 && code < kAlarmTypes ? QString::fromLatin1(kAlarmCodes[code]) : QString();
}

int ListIndexOrZero(int index)
{
    return index < 0 ? 0 : index;
}

const QStringList &DisplayItemListTexts()
{
    static const QStringList texts = {
        QStringLiteral("Process variable"),
        QStringLiteral("Output manipulating value"),
        QStringLiteral("Heater current value"),
        QStringLiteral("Main setting value"),
        QStringLiteral("Alarm 1 setting"),
        QStringLiteral("Alarm 2 setting"),
        QStringLiteral("Heater Burnout alarm setting"),
        QStringLiteral("Proportional band setting"),
        QStringLiteral("Integral time setting"),
        QStringLiteral("Derivative time setting"),
        QStringLiteral("Anti-reset windup"),
        QStringLiteral("Proportional cycle setting"),
        QStringLiteral("PD-reset"),
        QStringLiteral("ON/OFF hysteresis"),
        QStringLiteral("Alarm 1 hysteresis"),
        QStringLiteral("Alarm 2 hysteresis"),
        QStringLiteral("Alarm 1 action selection"),
        QStringLiteral("Alarm 2 action selection"),
        QStringLiteral("Output high limit"),
        QStringLiteral("Output low limit"),
        QStringLiteral("PV filter time constant"),
        QStringLiteral("Sensor correction value"),
        QStringLiteral("Heating/Cooling action designation"),
        QStringLiteral("deg.C/deg.F designation"),
        QStringLiteral("Loop break alarm time setting"),
        QStringLiteral("Loop break alarm action span setting"),
        QStringLiteral("Cooling control Proportional band setting"),
        QStringLiteral("Cooling control Proportional cycle setting"),
        QStringLiteral("Overlap band/Dead band setting"),
        QStringLiteral("Cooling action mode selection"),
        QStringLiteral("Cooling output ON/OFF action hysteresis setting"),
    };
    return texts;
}

} // namespace PLM_INC
