#include "SettingRange.h"

#include "PLM_INC.h"
#include "ValueText.h"

#include <cmath>

namespace PLM_INC {

namespace {

struct TemperatureLimits {
    int lowC, highC, lowF, highF;
};

constexpr TemperatureLimits kTemperatureLimits[10] = {
    {-200, 1370, -320, 2500}, {-200, 1000, -320, 1800}, {0, 1760, 0, 3200},     {0, 1820, 0, 3300},
    {0, 1390, 0, 2500},       {0, 1300, 0, 2300},       {0, 6000, 0, 9999},     {0, 6000, 0, 9999},
    {-1999, 8500, -1999, 9999}, {-1999, 5000, -1999, 9000},
};

bool linear(int channel)
{
    return !IsTemperatureInput(InputType[channel]);
}

int spanTenth(int channel)
{
    return TenthRoundedHalfEven(int(ScaleHigh[channel]) - int(ScaleLow[channel]));
}

// 1000 on a temperature input, span/10 on a linear one.
SettingRange symmetric(int channel, bool fromMinus)
{
    const int limit = linear(channel) ? spanTenth(channel) : 1000;
    return {fromMinus ? -double(limit) : 1.0, double(limit), true};
}

SettingRange alarmRange(int action, int channel, int m)
{
    if (action >= 1 && action <= 4)
        return {-200.0 * m, 200.0 * m, false};
    if (action >= 5 && action <= 8)
        return {0, 200.0 * m, false};
    if (action >= 9 && action <= 12) {
        const InputLimits in = InputRangeOf(channel);
        return {double(in.low), double(in.high), false};
    }
    return {0, 0, false};
}

// x = (H - L) * P / 100 in single precision; L and H in degrees for the tenths inputs.
SettingRange pdResetRange(int channel)
{
    const InputLimits in = InputRangeOf(channel);
    float low = float(in.low);
    float high = float(in.high);
    const int type = InputType[channel];
    if (type >= 6 && type <= 9) {
        low /= 10.0f;
        high /= 10.0f;
    }
    const float x = (high - low) * float(ProportionalBand[channel]) / 100.0f;
    const double plus = std::nearbyint(double(x)); // the default rounding mode: halves to even
    return {std::max(-plus, -1999.0), std::min(plus, 9999.0), true};
}

} // namespace

int TenthRoundedHalfEven(int value)
{
    const int sign = value < 0 ? -1 : 1;
    const int magnitude = value < 0 ? -value : value;
    int q = magnitude / 10;
    const int r = magnitude % 10;
    if (r > 5 || (r == 5 && q % 2 == 1))
        ++q;
    return sign * q;
}

InputLimits InputRangeOf(int channel)
{
    const int type = InputType[channel];
    if (!IsTemperatureInput(type))
        return {ScaleLow[channel], ScaleHigh[channel]};
    const TemperatureLimits &t = kTemperatureLimits[type];
    return DisplayUnit[channel] == 0 ? InputLimits{t.lowC, t.highC} : InputLimits{t.lowF, t.highF};
}

std::optional<SettingRange> SettingRangeOf(int settingItem, int channel)
{
    const bool tenthsInput = InputType[channel] > 5;
    switch (settingItem) {
    case 1: {
        const InputLimits in = InputRangeOf(channel);
        return SettingRange{double(in.low), double(in.high), tenthsInput};
    }
    case 2:
    case 3: {
        const int action = settingItem == 2 ? Alarm1Action[channel] : Alarm2Action[channel];
        SettingRange r = alarmRange(action, channel, tenthsInput ? 10 : 1);
        r.showTenths = tenthsInput;
        return r;
    }
    case 4: {
        const int option = OptionWord[channel];
        const int high = (option & kOptionHeaterBurnout) == 0 ? 0 : (option & kOptionLargeHbRange) != 0 ? 500 : 200;
        return SettingRange{0, double(high), true};
    }
    case 5:
        return SettingRange{0, 1000, true};
    case 6:
    case 7:
        return SettingRange{0, 3600, false};
    case 8:
        return SettingRange{0, 100, false};
    case 9:
    case 26:
        return SettingRange{1, 120, false};
    case 10:
        return pdResetRange(channel);
    case 11:
    case 12:
    case 13:
    case 29:
        return symmetric(channel, false);
    case 16:
        return SettingRange{double(OutputLowLimit[channel]), 105, false};
    case 17:
        return SettingRange{-5, double(OutputHighLimit[channel]), false};
    case 18:
        return SettingRange{0, 100, true};
    case 19:
    case 27:
        return symmetric(channel, true);
    case 22:
    case 30:
        return SettingRange{0, 200, false};
    case 23:
    case 31: {
        SettingRange r = symmetric(channel, false);
        r.low = 0;
        return r;
    }
    case 25:
        return SettingRange{0, 100, true};
    case 32:
        return SettingRange{double(ScaleLow[channel]), 10000, false};
    case 33:
        return SettingRange{-2000, double(ScaleHigh[channel]), false};
    default:
        return std::nullopt;
    }
}

void SetInputRange()
{
    const InputLimits in = InputRangeOf(SelectedChannel);
    RangeLow = in.low;
    RangeHigh = in.high;
}

void SetAlarmRange(int m)
{
    const int action = SelectedItem == 2 ? Alarm1Action[SelectedChannel] : Alarm2Action[SelectedChannel];
    const SettingRange r = alarmRange(action, SelectedChannel, m);
    RangeLow = r.low;
    RangeHigh = r.high;
}

} // namespace PLM_INC
