#include "SettingWrite.h"

#include "ItemTable.h"
#include "LinkRequests.h"
#include "PLM_INC.h"
#include "Preferences.h"

#include <cstdint>

namespace PLM_INC {

bool IsNumericSettingItem(int settingItem)
{
    switch (settingItem) {
    case 14: case 15: case 20: case 21: case 24: case 28: case 34: case 35:
        return false;
    default:
        return settingItem >= 1 && settingItem <= 33;
    }
}

bool StoreSettingValue(int settingItem, int channel, long long value)
{
    if (!IsNumericSettingItem(settingItem) || value < INT16_MIN || value > INT16_MAX)
        return false;
    const ItemInfo *info = ItemBySetting(settingItem);
    if (!info || !info->field)
        return false;
    (*info->field)[channel] = int16_t(value);
    return true;
}

void RequestItemWrite(int channel, const QString &itemCode, ChangeOrigin origin)
{
    if (channel < 0 || channel >= kChannels || itemCode.isEmpty())
        return;
    PendingRequests.push(ItemWriteRequest(itemCode, {channel}, origin));
}

void RequestSettingWrite(int settingItem, int channel, ChangeOrigin origin)
{
    if (channel < 0 || channel >= kChannels)
        return;
    if (settingItem >= 32 && settingItem <= 35) {
        SaveScalingPreference(settingItem, channel);
        return;
    }
    if (settingItem < 1 || settingItem > 31 || settingItem == 24)
        return;
    if (const ItemInfo *info = ItemBySetting(settingItem))
        RequestItemWrite(channel, info->code, origin);
}

void SaveScalingPreference(int settingItem, int channel)
{
    const QString digits = ChannelDigits(channel);
    switch (settingItem) {
    case 32:
        Prefs::set(QStringLiteral("STLH") + digits, int(ScaleHigh[channel]));
        break;
    case 33:
        Prefs::set(QStringLiteral("STLL") + digits, int(ScaleLow[channel]));
        break;
    case 34:
        Prefs::set(QStringLiteral("DP") + digits, int(DecimalDivisor[channel]));
        break;
    case 35:
        Prefs::set(QStringLiteral("UNIT") + digits, UnitText[channel]);
        break;
    default:
        break;
    }
}

} // namespace PLM_INC
