#include "ChangeRules.h"

#include "PLM_INC.h"
#include "SettingWrite.h"
#include "ValueText.h"

namespace PLM_INC {

namespace {

constexpr int kDivisors[] = {1, 10, 100, 1000, 10000};

bool hasHeatCool(int channel)
{
    return (OptionWord[channel] & kOptionHeatCool) != 0;
}

int16_t toggled(int16_t v)
{
    return v == 1 ? 0 : 1;
}

void toggleAndWrite(ChannelTable &field, int channel, const char *code)
{
    field[channel] = toggled(field[channel]);
    RequestItemWrite(channel, QString::fromLatin1(code));
}

bool validChannel(int channel)
{
    return channel >= 0 && channel < kChannels;
}

} // namespace

bool NumericEditorOpens(int settingItem, int channel)
{
    if (!validChannel(channel) || AutoTuning[channel] == 1 || settingItem == 0)
        return false;
    switch (settingItem) {
    case 2:
        if (Alarm1Action[channel] == 0)
            return false;
        break;
    case 3:
        if (Alarm2Action[channel] == 0)
            return false;
        break;
    case 4:
        if ((OptionWord[channel] & kOptionHeaterBurnout) == 0)
            return false;
        break;
    case 25: case 26: case 27: case 29:
        if (!hasHeatCool(channel))
            return false;
        break;
    case 32: case 33:
        if (InputType[channel] < 10)
            return false;
        break;
    default:
        break;
    }
    return (StatusWord[channel] & kStatusAutoTuning) == 0;
}

bool MainSettingEditorOpens(int channel)
{
    return validChannel(channel) && AutoTuning[channel] != 1;
}

bool SelectionOpens(int settingItem, int channel)
{
    if (!validChannel(channel) || AutoTuning[channel] == 1)
        return false;
    if (settingItem == 28 && !hasHeatCool(channel))
        return false;
    if ((settingItem == 34 || settingItem == 35) && InputType[channel] < 10)
        return false;
    return true;
}

int SelectionIndexOf(int settingItem, int channel)
{
    const auto inRange = [](int v, int count) { return v >= 0 && v < count ? v : -1; };
    switch (settingItem) {
    case 14:
        return inRange(Alarm1Action[channel], 13);
    case 15:
        return inRange(Alarm2Action[channel], 13);
    case 20:
        return inRange(HeatCoolAction[channel], 2);
    case 21:
        return inRange(UnitSelect[channel], 2);
    case 28:
        return inRange(CoolActionMode[channel], 3);
    case 34:
        for (int i = 0; i < 5; ++i)
            if (DecimalDivisor[channel] == kDivisors[i])
                return i;
        return -1;
    default:
        return -1;
    }
}

bool StoreSelection(int settingItem, int channel, int index, const QString &unitText)
{
    if (!validChannel(channel))
        return false;
    const auto chosen = [index](int count) { return index >= 0 && index < count; };
    switch (settingItem) {
    case 14:
        if (chosen(13))
            Alarm1Action[channel] = int16_t(index);
        return true;
    case 15:
        if (chosen(13))
            Alarm2Action[channel] = int16_t(index);
        return true;
    case 20:
        if (chosen(2))
            HeatCoolAction[channel] = int16_t(index);
        return true;
    case 21:
        if (chosen(2)) {
            UnitSelect[channel] = int16_t(index);
            DisplayUnit[channel] = int16_t(index);
            if (channel + 1 < kChannels)
                DisplayUnit[channel + 1] = int16_t(index);
        }
        return true;
    case 28:
        if (chosen(3))
            CoolActionMode[channel] = int16_t(index);
        return true;
    case 34:
        if (chosen(5))
            DecimalDivisor[channel] = int16_t(kDivisors[index]);
        return true;
    case 35:
        UnitText[channel] = unitText;
        return true;
    default:
        return false;
    }
}

bool ToggleOutputOnSettingPage(int channel)
{
    if (!validChannel(channel) || AutoTuning[channel] == 1)
        return false;
    toggleAndWrite(OutputOnOff, channel, "0009");
    return true;
}

bool ToggleAutoTuning(int channel)
{
    if (!validChannel(channel) || OutputOnOff[channel] == 0)
        return false;
    toggleAndWrite(AutoTuning, channel, "000A");
    return true;
}

bool ToggleOutputOnMonitorPage(int channel)
{
    if (!validChannel(channel) || (StatusWord[channel] & kStatusAutoTuning) != 0)
        return false;
    toggleAndWrite(OutputOnOff, channel, "0009");
    return true;
}

} // namespace PLM_INC
