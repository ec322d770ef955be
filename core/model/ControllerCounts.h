// The device counts of the settings as the controller last gave them (a read) or took them (an
// acknowledged write), per image field and channel. A write sends these for the channels the
// operator did not ask for: the image may already show edits whose own writes wait their turn.
// Beside them, what the program sent in writes the controller did not answer (it may hold it),
// with when the operator asked for it.
#pragma once

#include "PLM_INC.h"

#include <optional>
#include <vector>

namespace PLM_INC {

struct SentValue {
    int16_t count;
    uint64_t asked; // the ask's stamp (LinkRequests.h); 0 once the controller confirmed it
};

std::optional<int16_t> ControllerCount(const ChannelTable *field, int channel);
std::optional<SentValue> SentCount(const ChannelTable *field, int channel);
// Read from the controller, or taken by it with an acknowledgement.
void NoteControllerCount(const ChannelTable *field, int channel, int16_t count);
// Sent in a write that got no answer.
void NoteSentCount(const ChannelTable *field, int channel, int16_t count, uint64_t asked);
// Carried in a write that got no answer without being asked for: it may be held as well.
void NoteCarriedCount(const ChannelTable *field, int channel, int16_t count);
// Every count sent in writes that got no answer since the controller last confirmed one: any of
// them may be what it holds now.
std::vector<int16_t> UnansweredCounts(const ChannelTable *field, int channel);
void ForgetControllerCounts();

// What the program last confirmed of the controller before it was stopped (the settings memory
// beside the change record). The first read of a channel's item in this run takes it: a count
// that differs was set while no program watched.
void RememberCount(const ChannelTable *field, int channel, int16_t count);
std::optional<int16_t> TakeRememberedCount(const ChannelTable *field, int channel);
void ForgetRememberedCounts();

} // namespace PLM_INC
