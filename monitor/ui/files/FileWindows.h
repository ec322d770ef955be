// What the three setting file windows share: when a transfer may be asked for, and which of
// their buttons a running transfer leaves usable.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

class QPushButton;

namespace FileWindows {

// "" when a load transfer may be asked for now; else the message line text saying why not
// (the link has not found the controller yet).
QString TransferRefusal();

// "Return" of the channel and block windows: it closes the window while a transfer runs, and
// the transfer goes on, shown in status panel 4 and the progress bar.
constexpr int kWorkAreaReturnButton = 4;

// The five buttons of the channel and block windows (Move, <---Move, Save, Load, Return): only
// Return while a transfer runs; "<---Move" and "Save-->" only with a filled work area, since
// an empty one would send or save empty texts, that is zeros.
void EnableWorkAreaButtons(const std::array<QPushButton *, 5> &buttons, bool transferRunning, bool workFilled);

} // namespace FileWindows
