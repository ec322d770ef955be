#include "ReplyDecoder.h"

#include "AlarmHistory.h"
#include "Conversions.h"
#include "ControllerCounts.h"
#include "ItemTable.h"
#include "Protocol.h"

#include <array>

using namespace PLM_INC;

namespace {

constexpr int kFields = kChannelsPerBlock;

// All 20 fields, or nothing: a reply with a field that is not four hex digits, or with
// more or fewer fields, is not trusted with any of them.
bool decodeFields(const std::string &reply, std::array<int16_t, kFields> &values)
{
    if (tobrel::isDataNum(reply) != kFields)
        return false;
    for (int n = 1; n <= kFields; ++n) {
        const std::string field = tobrel::GetNData(reply, n);
        if (field.size() != 4)
            return false;
        const auto value = tobrel::DecodeValue(field);
        if (!value)
            return false;
        values[static_cast<size_t>(n - 1)] = *value;
    }
    return true;
}

void storeConnectionFlags(int base, const std::array<int16_t, kFields> &values)
{
    for (int k = 0; k < kFields / 2; ++k) {
        const int16_t flag = values[static_cast<size_t>(2 * k)]; // field 2k + 1
        ChannelConnected[base + 2 * k] = flag;
        ChannelConnected[base + 2 * k + 1] = flag;
    }
}

// An alarm value is a deviation or a process level by its action code: once a code is read (it may
// have changed, or the operator's new one be read back), the page shows the level the controller's
// count of the value means by it.
void followActionCode(const ChannelTable *action, int ch)
{
    for (const ItemInfo &alarm : ItemTable()) {
        if (alarm.actionField != action)
            continue;
        if (const std::optional<int16_t> count = ControllerCount(alarm.field, ch)) {
            try {
                (*alarm.field)[ch] = ToDisplay(alarm, ch, *count);
            } catch (const ConversionError &) {
                // no 16-bit display count: the value stays as it was shown
            }
        }
    }
}

void storeItemValues(const ItemInfo &item, int base, const std::array<int16_t, kFields> &values, bool confirms)
{
    const bool statusWords = item.field == &StatusWord;
    // Writes carry the controller's counts of settings only; the poll's monitored values are not kept.
    const bool setting = confirms && !item.code.startsWith(QLatin1String("008"));
    for (int c = 0; c < kFields; ++c) {
        const int ch = base + c;
        if (setting)
            NoteControllerCount(item.field, ch, values[static_cast<size_t>(c)]);
        try {
            (*item.field)[ch] = ToDisplay(item, ch, values[static_cast<size_t>(c)]);
        } catch (const ConversionError &) {
            continue; // no 16-bit display count: this channel keeps its value
        }
        followActionCode(item.field, ch);
        if (statusWords)
            AlarmChk(ch);
    }
    if (item.field == &UnitSelect) {
        for (int k = 0; k < kFields / 2; ++k) {
            const int16_t unit = UnitSelect[base + 2 * k];
            DisplayUnit[base + 2 * k] = unit;
            DisplayUnit[base + 2 * k + 1] = unit;
        }
    }
}

} // namespace

bool StoreReadReply(const QString &tt, bool confirms)
{
    if (tt.size() < 8 || tt.front().unicode() != tobrel::ACK)
        return false;
    const int block = tobrel::BlockOfAddress(static_cast<char>(tt[1].unicode() > 0xFF ? 0 : tt[1].unicode()));
    if (block < 0)
        return false;
    const std::string reply = tt.toLatin1().toStdString();
    const QString item = tt.mid(4, 4);
    const bool connectionFlags = item == QLatin1String("00A0");
    const ItemInfo *info = ItemByCode(item);
    if (!connectionFlags && (!info || !info->field))
        return false; // "00A1" and codes without a field store nothing

    std::array<int16_t, kFields> values{};
    if (!decodeFields(reply, values))
        return false;
    const int base = block * kChannelsPerBlock;
    if (connectionFlags)
        storeConnectionFlags(base, values);
    else
        storeItemValues(*info, base, values, confirms);
    return true;
}
