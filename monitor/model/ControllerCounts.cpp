#include "ControllerCounts.h"

#include <array>
#include <unordered_map>

namespace PLM_INC {

namespace {

using Counts = std::array<std::optional<int16_t>, kChannels>;

std::unordered_map<const ChannelTable *, Counts> &counts()
{
    static std::unordered_map<const ChannelTable *, Counts> table;
    return table;
}

} // namespace

std::optional<int16_t> ControllerCount(const ChannelTable *field, int channel)
{
    ChannelTable::check(channel);
    const auto it = counts().find(field);
    return it == counts().end() ? std::nullopt : it->second[size_t(channel)];
}

void NoteControllerCount(const ChannelTable *field, int channel, int16_t count)
{
    ChannelTable::check(channel);
    counts()[field][size_t(channel)] = count;
}

void ForgetControllerCounts()
{
    counts().clear();
}

} // namespace PLM_INC
