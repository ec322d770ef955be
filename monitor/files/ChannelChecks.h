// What the setting file windows check before they copy, save or send.
#pragma once

namespace PLM_INC {

// Auto-tuning running (status bit 0x0080) on the channel, on any channel of the block, or on
// any channel at all.
bool ChannelAutoTuning(int channel);
bool BlockAutoTuning(int block);
bool AnyAutoTuning();
// The factory adjustment's own test: the AutoTuning setting of any channel of the block.
bool BlockAutoTuningSet(int block);

} // namespace PLM_INC
