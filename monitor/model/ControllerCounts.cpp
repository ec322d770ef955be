#include "ControllerCounts.h"

#include <array>
#include <unordered_map>

namespace PLM_INC {

namespace {

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
}

void NoteSentCount(const ChannelTable *field, int channel, int16_t count, uint64_t asked)
{
    ChannelTable::check(channel);
    sent()[field][size_t(channel)] = SentValue{count, asked};
}

void ForgetControllerCounts()
{
    counts().clear();
    sent().clear();
}

} // namespace PLM_INC
