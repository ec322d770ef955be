// What the change record gets from the link driver: for a write, each channel it asked to change
// (a value other than the controller's) with the write's outcome; for a read of a re-read, each
// channel whose setting the unit changed since the program last read or wrote it.
#pragma once

#include "ChangeRecord.h"
#include "LinkRequests.h"

#include <array>
#include <optional>
#include <vector>

using BlockCounts = std::array<std::optional<int16_t>, PLM_INC::kChannelsPerBlock>;
using BlockUnanswered = std::array<std::vector<int16_t>, PLM_INC::kChannelsPerBlock>;

// The controller's counts of one item of a block as it confirmed them.
BlockCounts CountsOf(const QString &item, int block);
// Per channel, every count of the item sent in writes the controller did not answer since.
BlockUnanswered UnansweredOf(const QString &item, int block);

std::vector<PLM_INC::SettingChange> WriteChanges(const QString &item, int block,
                                                 const std::vector<PLM_INC::FieldValue> &asked,
                                                 const BlockCounts &before, PLM_INC::ChangeOrigin origin,
                                                 PLM_INC::WriteOutcome outcome);
// What a read found changed that the program neither knew nor may have written itself: `before`
// and `sentBefore` as CountsOf and UnansweredOf gave them before the read.
// The first read of the item in this run against what the settings memory remembers of it: each
// channel whose count differs was changed at the unit while the program was stopped. Takes the
// remembered counts of the channels `before` does not know.
std::vector<PLM_INC::SettingChange> StoppedChanges(const QString &item, int block, const BlockCounts &before,
                                                   const BlockCounts &after);
std::vector<PLM_INC::SettingChange> UnitChanges(const QString &item, int block, const BlockCounts &before,
                                                const BlockUnanswered &sentBefore, const BlockCounts &after);
