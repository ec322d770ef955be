// Operator sessions against the link driver in simulated time: numeric edits, selections,
// output and auto-tuning toggles, channel / block / all-block sends, factory adjustments,
// made through the entry points the windows use at simulated moments while the driver runs;
// and what happens around the device: front-panel changes, a block dead for a while, the
// line unplugged, faults drawn on every frame. An oracle of its own (SessionOracle) checks
// every frame the device receives and the controller at the end.
#pragma once

#include "FaultyDevice.h"

#include <QString>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace session {

enum class Kind {
    Wait,             // a: tenths of a second 1..30
    Edit,             // a: channel, b: numeric item (1000 and on: a cooling item), c: value
    Select,           // a: channel, b: selection item (1000 and on: the cooling action mode), c: choice
    ToggleOutput,     // a: channel (monitoring page button)
    ToggleAutoTuning, // a: channel (setting page button)
    SendChannel,      // a: source channel, b: target channel
    SendBlock,        // a: source block, b: target block
    SendAll,          // a: blocks the work area is shifted by
    Factory,          // a: block, b: pattern of the 80 characters
    PanelChange,      // a: channel, b: item code (0x13: "0013"), c: value: set at the block's front panel
    BlockDies,        // a: block, b: seconds 1..30 it answers nothing
    Unplug,           // a: seconds 1..20 the line is out
    LineFails,        // a: seconds 1..20 the device is gone: every write to the line fails
    ReadsFail,        // a: seconds 1..20 every read from the line fails
};

struct Action {
    Kind kind = Kind::Wait;
    int a = 1;
    int b = 0;
    int c = 0;
};

void showValue(const Action &action, std::ostream &os);

// A session's actions; shown with its runs of waits added up, not listed.
struct Steps {
    std::vector<Action> actions;
};

void showValue(const Steps &steps, std::ostream &os);

struct Setup {
    std::vector<int> present; // blocks present, any of 0..15
    int baud = 9600;
    uint32_t valueSeed = 1;   // the controller's settings at the start
    FaultRates rates;         // drawn on every frame after the start-up read (or from its first)
    uint32_t faultSeed = 1;
    int lateWritesBlock = -1; // a block that answers every write after the time-out
    bool anyReplyDamage = false; // a damaged reply: any character or its end, not only its sum
    bool anyRequestDamage = false; // a damaged request: any character or its end, not only its sum
    bool faultsFromStart = false;  // faults drawn from the start-up read's first frame
    uint32_t coolingSeed = 0;      // not 0: draws the present blocks and pairs with heating/cooling
    uint32_t decimalSeed = 0;      // not 0: draws blocks whose pairs have tenths or linear inputs (SessionInputs.h)
};

void showValue(const Setup &setup, std::ostream &os);

// A session as the kept regressions write it (WriteSessionRegressions.h).
std::string regressionForm(const Setup &setup, const Steps &steps);

struct Outcome {
    bool ok = true;
    QString failure; // what went wrong, in a few lines
    int actionsRun = 0;
    qint64 simulatedMs = 0;
};

// Runs the session from a fresh image and installation to a quiet end: the faults off (but
// the late-writes block), nothing waiting, the transfer pauses over, a few seconds more; then
// checks the controller against the oracle.
Outcome RunSession(const Setup &setup, const Steps &steps);

} // namespace session
