#include "ChannelChecks.h"

#include "PLM_INC.h"

namespace PLM_INC {

bool ChannelAutoTuning(int channel)
{
    return (StatusWord[channel] & kStatusAutoTuning) != 0;
}

bool BlockAutoTuning(int block)
{
    BlockAbsent.check(block);
    for (int i = 0; i < kChannelsPerBlock; ++i)
        if (ChannelAutoTuning(block * kChannelsPerBlock + i))
            return true;
    return false;
}

bool AnyAutoTuning()
{
    for (int b = 0; b < kBlocks; ++b)
        if (BlockAutoTuning(b))
            return true;
    return false;
}

bool BlockAutoTuningSet(int block)
{
    BlockAbsent.check(block);
    for (int i = 0; i < kChannelsPerBlock; ++i)
        if (AutoTuning[block * kChannelsPerBlock + i] != 0)
            return true;
    return false;
}

} // namespace PLM_INC
