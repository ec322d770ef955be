#include "WriteData.h"

#include "ControllerCounts.h"
#include "Conversions.h"
#include "ItemTable.h"
#include "Protocol.h"

#include <algorithm>

using namespace PLM_INC;

namespace {

// A value sent in a write the controller did not answer, while it is the operator's last word
// for the channel: the controller may hold it already.
std::optional<int16_t> currentSentCount(const ItemInfo &info, int ch)
{
    const std::optional<SentValue> sent = SentCount(info.field, ch);
    if (sent && sent->asked != 0 && PendingRequests.isCurrent({info.field, ch, 0, sent->asked}))
        return sent->count;
    return std::nullopt;
}

// The count a channel's field goes out with: the value asked for it, else the controller's
// own, else (never read) the image's.
int16_t countFor(const ItemInfo &info, int ch, const std::vector<FieldValue> &asked)
{
    const auto own = std::find_if(asked.begin(), asked.end(),
                                  [&](const FieldValue &v) { return v.field == info.field && v.channel == ch; });
    if (own != asked.end())
        return ToDevice(info, ch, own->value);
    if (const std::optional<int16_t> sent = currentSentCount(info, ch))
        return *sent;
    // An unanswered write of a value the operator has replaced since may have arrived: the
    // confirmed count could carry an old value back over it. The operator's newer value, still
    // waiting for its own write, goes instead (not an alarm value: that one waits for its
    // action code).
    if (!UnansweredCounts(info.field, ch).empty() && !IsAlarmValueItem(info.code))
        if (const std::optional<int16_t> asked = PendingRequests.waitingAsk(info.field, ch))
            return ToDevice(info, ch, *asked);
    if (const std::optional<int16_t> held = ControllerCount(info.field, ch))
        return *held;
    return ToDevice(info, ch, (*info.field)[ch]);
}

} // namespace

std::optional<QString> WriteDataOf(const QString &item, int block, const std::vector<FieldValue> &asked,
                                   WriteRefusal *refusal)
{
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field)
        return std::nullopt;
    std::string data;
    data.reserve(4 * kChannelsPerBlock);
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int ch = block * kChannelsPerBlock + c;
        try {
            data += tobrel::EncodeValue(countFor(*info, ch, asked));
        } catch (const ConversionError &e) {
            if (refusal)
                *refusal = {ch, QString::fromUtf8(e.what())};
            return std::nullopt;
        }
    }
    return QString::fromLatin1(data.data(), static_cast<qsizetype>(data.size()));
}

namespace {

std::optional<int16_t> countInData(const std::string &data, int c)
{
    if (size_t(4 * c + 4) > data.size())
        return std::nullopt;
    return tobrel::DecodeValue(std::string_view(data).substr(size_t(4 * c), 4));
}

} // namespace

void NoteWrittenCounts(const QString &item, int block, const QString &data)
{
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field)
        return;
    const std::string text = data.toStdString();
    for (int c = 0; c < kChannelsPerBlock; ++c)
        if (const auto count = countInData(text, c))
            NoteControllerCount(info->field, block * kChannelsPerBlock + c, *count);
}

std::vector<FieldValue> PassengerValues(const QString &item, int block, const QString &data,
                                       const std::vector<FieldValue> &asked)
{
    std::vector<FieldValue> passengers;
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field)
        return passengers;
    const std::string text = data.toStdString();
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int ch = block * kChannelsPerBlock + c;
        const auto count = countInData(text, c);
        const bool own = std::any_of(asked.begin(), asked.end(),
                                     [&](const FieldValue &v) { return v.field == info->field && v.channel == ch; });
        if (!count || own || currentSentCount(*info, ch))
            continue;
        const std::vector<int16_t> maybe = UnansweredCounts(info->field, ch);
        if (std::none_of(maybe.begin(), maybe.end(), [&](int16_t v) { return v != *count; }))
            continue;
        try {
            passengers.push_back({info->field, ch, ToDisplay(*info, ch, *count), 0});
        } catch (const ConversionError &) {
            // a count with no display value has no line to show
        }
    }
    return passengers;
}

void NoteUnansweredCounts(const QString &item, int block, const QString &data, const std::vector<FieldValue> &asked,
                          const std::vector<FieldValue> &passengers)
{
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field)
        return;
    const std::string text = data.toStdString();
    const auto noteEach = [&](const std::vector<FieldValue> &values, bool askedFor) {
        for (const FieldValue &v : values) {
            const int c = v.channel - block * kChannelsPerBlock;
            if (v.field != info->field || c < 0 || c >= kChannelsPerBlock)
                continue;
            if (const auto count = countInData(text, c))
                askedFor ? NoteSentCount(info->field, v.channel, *count, v.asked)
                         : NoteCarriedCount(info->field, v.channel, *count);
        }
    };
    noteEach(asked, true);
    noteEach(passengers, false);
}

QString BlockAddressText(int block)
{
    return QString(QLatin1Char(tobrel::BlockAddress(block)));
}
