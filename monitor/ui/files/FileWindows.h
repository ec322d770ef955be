// The setting file windows, the factory adjustment window and the version window of the main
// window, and what the three file windows share: a load transfer started from any of them
// disables the buttons of all three until its second phase has run.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

class MainDisp;
class QPushButton;

namespace FileWindows {

// Creates the five windows as members of the main window and installs the transfer hook.
void Build(MainDisp &main);

// "" when a load transfer may be asked for now; else the message line text saying why not
// (the link has not found the controller yet).
QString TransferRefusal();

// Disables the buttons of the three file windows, shows the progress bar at 0 and "Data
// changing now." in status panel 4, and asks the link driver for the transfer of the image's
// values of block `block` (or of all blocks).
void StartLoadTransfer(MainDisp &main, bool allBlocks, int block);

// The buttons of the three file windows while a transfer runs (all disabled) and after it.
void SetTransferRunning(MainDisp &main, bool running);

// "Return" of the channel and block windows: it closes the window while a transfer runs, and
// the transfer goes on, shown in status panel 4 and the progress bar.
constexpr int kWorkAreaReturnButton = 4;

// The five buttons of the channel and block windows (Move, <---Move, Save, Load, Return): only
// Return while a transfer runs; "<---Move" and "Save-->" only with a filled work area, since
// an empty one would send or save empty texts, that is zeros.
void EnableWorkAreaButtons(const std::array<QPushButton *, 5> &buttons, bool transferRunning, bool workFilled);

} // namespace FileWindows
