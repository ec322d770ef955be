#include "ControllerCounts.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

namespace PLM_INC {

namespace {

// What the controller was last known to hold goes with the image.
[[maybe_unused]] const bool kForgottenWithImage = (AddImageReset(&ForgetControllerCounts), true);

template <typename T>
using PerField = std::unordered_map<const ChannelTable *, std::array<std::optional<T>, kChannels>>;

PerField<int16_t> &counts()
{
    static PerField<int16_t> table;
    return table;
}

PerField<SentValue> &sent()
{
    static PerField<SentValue> table;
    return table;
}

template <typename T>
std::optional<T> find(PerField<T> &table, const ChannelTable *field, int channel)
{
    ChannelTable::check(channel);
    const auto it = table.find(field);
    return it == table.end() ? std::nullopt : it->second[size_t(channel)];
}

PerField<int16_t> &remembered()
{
    static PerField<int16_t> table;
    return table;
}

PerField<std::vector<int16_t>> &unanswered()
{
    static PerField<std::vector<int16_t>> table;
    return table;
}

} // namespace

std::optional<int16_t> ControllerCount(const ChannelTable *field, int channel)
{
    return find(counts(), field, channel);
}

std::optional<SentValue> SentCount(const ChannelTable *field, int channel)
{
    return find(sent(), field, channel);
}

void NoteControllerCount(const ChannelTable *field, int channel, int16_t count)
{
    ChannelTable::check(channel);
    counts()[field][size_t(channel)] = count;
    sent()[field][size_t(channel)] = SentValue{count, 0};
    if (const auto it = unanswered().find(field); it != unanswered().end())
        it->second[size_t(channel)].reset();
}

void NoteSentCount(const ChannelTable *field, int channel, int16_t count, uint64_t asked)
{
    ChannelTable::check(channel);
    sent()[field][size_t(channel)] = SentValue{count, asked};
    NoteCarriedCount(field, channel, count);
}

void NoteCarriedCount(const ChannelTable *field, int channel, int16_t count)
{
    ChannelTable::check(channel);
    std::optional<std::vector<int16_t>> &values = unanswered()[field][size_t(channel)];
    if (!values)
        values.emplace();
    if (std::find(values->begin(), values->end(), count) == values->end())
        values->push_back(count);
}

std::vector<int16_t> UnansweredCounts(const ChannelTable *field, int channel)
{
    return find(unanswered(), field, channel).value_or(std::vector<int16_t>());
}

void ForgetControllerCounts()
{
    counts().clear();
    sent().clear();
    unanswered().clear();
}

void RememberCount(const ChannelTable *field, int channel, int16_t count)
{
    ChannelTable::check(channel);
    remembered()[field][size_t(channel)] = count;
}

void ForgetRememberedCounts()
{
    remembered().clear();
}

std::optional<int16_t> TakeRememberedCount(const ChannelTable *field, int channel)
{
    ChannelTable::check(channel);
    const auto it = remembered().find(field);
    if (it == remembered().end())
        return std::nullopt;
    return std::exchange(it->second[size_t(channel)], std::nullopt);
}

} // namespace PLM_INC
