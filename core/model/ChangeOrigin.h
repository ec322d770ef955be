// Where a setting change comes from: which window or command asked for the write, or the unit's
// own front panel (a change the block re-read found that this program did not write). The
// record also holds the start and the end of each program that writes it (no channel, no item).
#pragma once

namespace PLM_INC {

enum class ChangeOrigin {
    Editor,
    Selection,
    Command,
    BlockSend,
    ChannelFile,
    AllChannelFile,
    FactoryAdjust,
    AtUnit,
    AtUnitWhileStopped, // found by the start-up read against the settings memory
    ProgramStarted,
    ProgramEnded,
};

// A line of the program's start or end, not of a setting.
inline bool IsProgramLine(ChangeOrigin origin)
{
    return origin == ChangeOrigin::ProgramStarted || origin == ChangeOrigin::ProgramEnded;
}

} // namespace PLM_INC
