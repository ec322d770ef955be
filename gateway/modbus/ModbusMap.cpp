#include "ModbusMap.h"

#include "ItemTable.h"
#include "PLM_INC.h"
#include "ValueText.h"

#include <array>
#include <vector>

namespace modbus {

namespace {

using namespace PLM_INC;

constexpr std::array<int16_t, kAlarmKinds> kAlarmMasks = {
    kStatusAlarm1, kStatusAlarm2, kStatusHeaterBurnout, kStatusLoopBreak, kStatusOverscale, kStatusUnderscale};

// The settings in the order of the setting page (the item table's order), every field the
// image holds for a channel except the monitored ones and the unit text.
const std::vector<const ItemInfo *> &holdingItems()
{
    static const std::vector<const ItemInfo *> items = [] {
        std::vector<const ItemInfo *> list;
        for (const ItemInfo &info : ItemTable()) {
            const bool monitored = info.code.startsWith(QLatin1String("008"));
            if (info.field && !monitored)
                list.push_back(&info);
        }
        return list;
    }();
    return items;
}

// The places the pages show after the point, read from the value text itself so that the
// registers follow the one rule that formats every value.
uint16_t decimalsOfText(const QString &text)
{
    if (text.isEmpty())
        return kNoDecimals;
    bool number = false;
    text.toDouble(&number);
    if (!number)
        return 0; // a code or a name ("H  W", "Heat"): the count is the selection itself
    const int point = text.indexOf(QLatin1Char('.'));
    return point < 0 ? 0 : uint16_t(text.size() - point - 1);
}

uint16_t decimalsOfDisplayItem(int displayItem, int channel)
{
    return displayItem < 0 ? 0 : decimalsOfText(MakeItemText(displayItem, channel));
}

uint16_t alarmBits(int channel)
{
    uint16_t bits = 0;
    for (int k = 0; k < kAlarmKinds; ++k)
        if (StatusWord[channel] & kAlarmMasks[size_t(k)])
            bits |= uint16_t(1u << k);
    return bits;
}

uint16_t inputValue(InputKind kind, int channel)
{
    switch (kind) {
    case Pv: return uint16_t(ProcessValue[channel]);
    case Mv: return uint16_t(OutputValue[channel]);
    case HeaterCurrent: return uint16_t(PLM_INC::HeaterCurrent[channel]);
    case Status: return uint16_t(StatusWord[channel]);
    case AlarmBits: return alarmBits(channel);
    case Fitted: return ChannelConnected[channel] != 0 ? 1 : 0;
    case InputType: return uint16_t(PLM_INC::InputType[channel]);
    case OptionWord: return uint16_t(PLM_INC::OptionWord[channel]);
    case kInputKinds: break;
    }
    return 0;
}

uint16_t inputDecimals(InputKind kind, int channel)
{
    // PV, MV and heater current are display items 0, 1 and 2; the rest are whole numbers or bits.
    return kind <= HeaterCurrent ? decimalsOfDisplayItem(int(kind), channel) : 0;
}

} // namespace

int HoldingKinds()
{
    return int(holdingItems().size());
}

int ValueCount(Table table)
{
    switch (table) {
    case Table::DiscreteInputs: return kAlarmKinds * kChannels;
    case Table::InputRegisters: return kQualityRegister + 1;
    case Table::HoldingRegisters: return HoldingKinds() * kChannels;
    }
    return 0;
}

bool HealthRange(Table table, int first, int count)
{
    return table == Table::InputRegisters && first >= kAgeRegister && count >= 1 && first + count - 1 <= kQualityRegister;
}

bool RangeMapped(Table table, int first, int count)
{
    if (count < 1 || first < 0)
        return false;
    const int values = ValueCount(table);
    const int last = first + count - 1;
    if (last < values)
        return true;
    if (table == Table::DiscreteInputs)
        return false; // bits have no decimal places
    return first >= kDecimalsOffset && last < kDecimalsOffset + values;
}

uint16_t RegisterValue(Table table, int block, int address)
{
    if (table == Table::DiscreteInputs || !RangeMapped(table, address, 1))
        return 0;
    const bool decimals = address >= kDecimalsOffset;
    const int offset = decimals ? address - kDecimalsOffset : address;
    const int channel = block * kChannels + offset % kChannels;
    const int kind = offset / kChannels;
    if (table == Table::InputRegisters)
        return decimals ? inputDecimals(InputKind(kind), channel) : inputValue(InputKind(kind), channel);
    const ItemInfo &item = *holdingItems()[size_t(kind)];
    return decimals ? decimalsOfDisplayItem(item.displayItem, channel) : uint16_t((*item.field)[channel]);
}

bool BitValue(int block, int address)
{
    if (!RangeMapped(Table::DiscreteInputs, address, 1))
        return false;
    const int channel = block * kChannels + address % kChannels;
    return (StatusWord[channel] & kAlarmMasks[size_t(address / kChannels)]) != 0;
}

const char *HoldingKindName(int kind)
{
    if (kind < 0 || kind >= HoldingKinds())
        return "";
    static std::vector<QByteArray> names = [] {
        std::vector<QByteArray> list;
        for (const ItemInfo *item : holdingItems())
            list.push_back((item->code.isEmpty() ? item->caption : item->code).toLatin1());
        return list;
    }();
    return names[size_t(kind)].constData();
}

} // namespace modbus
