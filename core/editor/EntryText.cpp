#include "EntryText.h"

#include "PLM_INC.h"
#include "ValueText.h"

#include <cmath>

namespace PLM_INC {

namespace {

// The linear items whose values are in the channel's decimal point place.
bool usesDecimalPlace(int settingItem)
{
    switch (settingItem) {
    case 1: case 2: case 3: case 10: case 11: case 12: case 13: case 19: case 23: case 27: case 29: case 31:
    case 32: case 33:
        return true;
    default:
        return false;
    }
}

} // namespace

QString EntryNumberText(long long value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

std::optional<QString> DialogValueText(int settingItem, int channel, double value, bool showTenths,
                                       const std::optional<QString> &wholeText)
{
    const int whole = int(std::llround(value));
    if (!IsTemperatureInput(InputType[channel]) && usesDecimalPlace(settingItem)) {
        const QString text = FormatByDivisor(whole, DecimalDivisor[channel]);
        if (text.isEmpty())
            return std::nullopt;
        return text;
    }
    if (showTenths)
        return FormatByDivisor(whole, 10);
    if (wholeText)
        return *wholeText;
    return QString::number(whole);
}

} // namespace PLM_INC
