// Where a setting change comes from: which window or command asked for the write, or the unit's
// own front panel (a change the block re-read found that this program did not write).
#pragma once

namespace PLM_INC {

enum class ChangeOrigin { Editor, Selection, Command, BlockSend, ChannelFile, AllChannelFile, FactoryAdjust, AtUnit };

} // namespace PLM_INC
