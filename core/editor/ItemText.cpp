#include "ItemText.h"

#include "ItemTable.h"
#include "PLM_INC.h"
#include "ValueText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace PLM_INC {

namespace {

enum class Rule { Temperature, Deviation, Tenths, Number, AlarmName, HeatCool, Unit, CoolMode, Placeholder, UnitText, None };

Rule ruleOf(int item)
{
    switch (item) {
    case 3: case 4: case 5:
        return Rule::Temperature;
    case 12: case 13: case 14: case 15: case 21: case 25: case 28: case 30: case 31: case 32: case 36:
        return Rule::Deviation;
    case 6: case 7: case 20: case 26:
        return Rule::Tenths;
    case 8: case 9: case 10: case 11: case 18: case 19: case 24: case 27: case 35:
        return Rule::Number;
    case 16: case 17:
        return Rule::AlarmName;
    case 22:
        return Rule::HeatCool;
    case 23:
        return Rule::Unit;
    case 29:
        return Rule::CoolMode;
    case 33:
        return Rule::Placeholder;
    case 34:
        return Rule::UnitText;
    default:
        return Rule::None;
    }
}

bool store(int item, int channel, double value)
{
    const std::optional<int16_t> v = RoundToInt16(value);
    if (!v)
        return false;
    const ItemInfo *info = ItemByDisplay(item);
    if (info && info->field)
        (*info->field)[channel] = *v;
    return true;
}

int alarmCodeOf(const QString &name)
{
    for (int code = 0; code <= 12; ++code)
        if (AlarmTypeName(code) == name)
            return code;
    return 0;
}

int divisorOf(const QString &placeholder)
{
    for (int divisor : {1, 10, 100, 1000, 10000})
        if (DivisorPlaceholder(divisor) == placeholder)
            return divisor;
    return 0;
}

} // namespace

double LeadingNumber(const QString &text)
{
    std::string s;
    s.reserve(size_t(std::min<qsizetype>(text.size(), 64)));
    bool digits = false, point = false, exponent = false;
    for (const QChar ch : text) {
        if (ch == QLatin1Char(' ') || ch == QLatin1Char('\t'))
            continue;
        const char c = ch.toLatin1();
        const bool signAllowed = s.empty() || (exponent && (s.back() == 'e'));
        if ((c == '-' || c == '+') && signAllowed) {
            s += c;
        } else if (c >= '0' && c <= '9') {
            s += c;
            digits = true;
        } else if (c == '.' && !point && !exponent) {
            s += c;
            point = true;
        } else if ((c == 'e' || c == 'E') && digits && !exponent) {
            s += 'e';
            exponent = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    // A dangling exponent ("12e") reads as the number before it.
    while (!s.empty() && (s.back() == 'e' || s.back() == '+' || s.back() == '-'))
        s.pop_back();
    return std::strtod(s.c_str(), nullptr);
}

std::optional<int16_t> RoundToInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < INT16_MIN || r > INT16_MAX)
        return std::nullopt;
    return int16_t(r);
}

double ParseScaledText(int displayItem, int channel, const QString &text)
{
    const double number = LeadingNumber(text);
    const int type = InputType[channel];
    if (!IsTemperatureInput(type))
        return number * DecimalDivisor[channel];
    if (ruleOf(displayItem) == Rule::Temperature && type <= 5)
        return number;
    return number * 10;
}

bool StoreItemText(int displayItem, int channel, const QString &text)
{
    switch (ruleOf(displayItem)) {
    case Rule::Temperature:
    case Rule::Deviation:
        return store(displayItem, channel, ParseScaledText(displayItem, channel, text));
    case Rule::Tenths:
        return store(displayItem, channel, LeadingNumber(text) * 10);
    case Rule::Number:
        return store(displayItem, channel, LeadingNumber(text));
    case Rule::AlarmName:
        return store(displayItem, channel, alarmCodeOf(text));
    case Rule::HeatCool:
        return store(displayItem, channel, text == QLatin1String("Heating") ? 0 : 1);
    case Rule::Unit: {
        const int16_t unit = text == QLatin1String("deg.C") ? 0 : 1;
        UnitSelect[channel] = unit;
        DisplayUnit[channel] = unit;
        if (channel + 1 < kChannels)
            DisplayUnit[channel + 1] = unit;
        return true;
    }
    case Rule::CoolMode: {
        static const char *const modes[] = {"Air", "Oil", "Water"};
        for (int m = 0; m < 3; ++m)
            if (text == QLatin1String(modes[m]))
                return store(displayItem, channel, m);
        return true;
    }
    case Rule::Placeholder: {
        const int divisor = divisorOf(text);
        return divisor == 0 || store(displayItem, channel, divisor);
    }
    case Rule::UnitText:
        UnitText[channel] = text;
        return true;
    case Rule::None:
        break;
    }
    return true;
}

} // namespace PLM_INC
