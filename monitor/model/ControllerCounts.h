// The device counts of the settings as the controller last gave them (a read) or took them (an
// acknowledged write), per image field and channel. A write sends these for the channels the
// operator did not ask for: the image may already show edits whose own writes wait their turn.
#pragma once

#include "PLM_INC.h"

#include <optional>

namespace PLM_INC {

std::optional<int16_t> ControllerCount(const ChannelTable *field, int channel);
void NoteControllerCount(const ChannelTable *field, int channel, int16_t count);
void ForgetControllerCounts();

} // namespace PLM_INC
