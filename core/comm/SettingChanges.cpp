#include "SettingChanges.h"

#include "Clock.h"
#include "ControllerCounts.h"
#include "Conversions.h"
#include "ItemTable.h"
#include "ValueText.h"

#include <algorithm>

using namespace PLM_INC;

namespace {

// A value in the image's units as the pages show it.
QString shownText(const ItemInfo &info, int channel, int value)
{
    return info.displayItem >= 0 ? ItemValueText(info.displayItem, channel, value) : QString::number(value);
}

// A device count as the pages show it; "" when it has no display value.
QString countText(const ItemInfo &info, int channel, const std::optional<int16_t> &count)
{
    if (!count)
        return QString();
    try {
        return shownText(info, channel, ToDisplay(info, channel, *count));
    } catch (const ConversionError &) {
        return QString();
    }
}

SettingChange change(const ItemInfo &info, int channel, QString before, QString after, ChangeOrigin origin,
                     WriteOutcome outcome)
{
    SettingChange c;
    c.at = PLM_INC::clock().now();
    c.channel = channel;
    c.item = info.code;
    c.before = std::move(before);
    c.after = std::move(after);
    c.origin = origin;
    c.outcome = outcome;
    return c;
}

} // namespace

BlockCounts CountsOf(const QString &item, int block)
{
    BlockCounts counts;
    const ItemInfo *info = ItemByCode(item);
    for (int c = 0; info && info->field && c < kChannelsPerBlock; ++c)
        counts[size_t(c)] = ControllerCount(info->field, block * kChannelsPerBlock + c);
    return counts;
}

BlockUnanswered UnansweredOf(const QString &item, int block)
{
    BlockUnanswered sent;
    const ItemInfo *info = ItemByCode(item);
    for (int c = 0; info && info->field && c < kChannelsPerBlock; ++c)
        sent[size_t(c)] = UnansweredCounts(info->field, block * kChannelsPerBlock + c);
    return sent;
}

std::vector<SettingChange> WriteChanges(const QString &item, int block, const std::vector<FieldValue> &asked,
                                        const BlockCounts &before, ChangeOrigin origin, WriteOutcome outcome)
{
    std::vector<SettingChange> changes;
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field)
        return changes;
    for (const FieldValue &v : asked) {
        const int c = v.channel - block * kChannelsPerBlock;
        if (v.field != info->field || c < 0 || c >= kChannelsPerBlock)
            continue;
        const QString was = countText(*info, v.channel, before[size_t(c)]);
        const QString now = shownText(*info, v.channel, v.value);
        if (was != now)
            changes.push_back(change(*info, v.channel, was, now, origin, outcome));
    }
    return changes;
}

std::vector<SettingChange> StoppedChanges(const QString &item, int block, const BlockCounts &before,
                                          const BlockCounts &after)
{
    std::vector<SettingChange> changes;
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field || info->settingItem <= 0)
        return changes;
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int ch = block * kChannelsPerBlock + c;
        const auto &now = after[size_t(c)];
        if (before[size_t(c)] || !now)
            continue;
        const std::optional<int16_t> was = TakeRememberedCount(info->field, ch);
        if (was && *was != *now)
            changes.push_back(change(*info, ch, countText(*info, ch, was), countText(*info, ch, now),
                                     ChangeOrigin::AtUnitWhileStopped, WriteOutcome::Taken));
    }
    return changes;
}

std::vector<SettingChange> UnitChanges(const QString &item, int block, const BlockCounts &before,
                                       const BlockUnanswered &sentBefore, const BlockCounts &after)
{
    std::vector<SettingChange> changes;
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field || info->settingItem <= 0)
        return changes; // monitored values and commands change by themselves
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int ch = block * kChannelsPerBlock + c;
        const auto &now = after[size_t(c)];
        const std::vector<int16_t> &sent = sentBefore[size_t(c)];
        if (before[size_t(c)] && now && now != before[size_t(c)] && std::find(sent.begin(), sent.end(), *now) == sent.end())
            changes.push_back(change(*info, ch, countText(*info, ch, before[size_t(c)]),
                                     countText(*info, ch, after[size_t(c)]), ChangeOrigin::AtUnit,
                                     WriteOutcome::Taken));
    }
    return changes;
}
