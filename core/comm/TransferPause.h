// The pause between the two phases of a load transfer: the delay timer of the transfer (0: a
// block, 1: all blocks) ticks every 1000 ms and moves the main window's progress bar; after 15
// ticks the second phase waits in line for the link timer.
#pragma once

#include "EngineClock.h"
#include "LinkView.h"
#include "PacedTimer.h"

#include <array>
#include <memory>

class TransferPause {
public:
    explicit TransferPause(EngineClock &clock);

    PacedTimer &timer(int index) { return *timers_.at(static_cast<size_t>(index)); }
    // The first phase has ended: the count starts over and the pause begins.
    void start(int index);
    void stop(int index);
    void stopAll();
    // One tick of the delay timer Index.
    void tick(int index, LinkView &view);

private:
    std::array<std::unique_ptr<PacedTimer>, 2> timers_;
    int count_ = 0;
};
