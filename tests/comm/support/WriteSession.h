// Operator sessions against the simulator: numeric edits, selections, output and auto-tuning
// toggles, channel / block / all-block sends, factory adjustments, settings-changed bits in
// the plant, pauses and the seconds of the transfer pause, made through the entry points the
// windows use while the link driver runs. A model of what the operator asked for says what
// the controller must hold at the end, and which blocks may receive which writes.
#pragma once

#include <QString>
#include <cstdint>
#include <ostream>
#include <vector>

namespace session {

enum class Kind {
    Pause,            // a: link timer ticks 1..20
    Edit,             // a: channel, b: numeric item, c: value
    Select,           // a: channel, b: selection item, c: choice
    ToggleOutput,     // a: channel (monitoring page button)
    ToggleAutoTuning, // a: channel (setting page button)
    SendChannel,      // a: source channel, b: target channel
    SendBlock,        // a: source block, b: target block
    SendAll,          // a: blocks the work area is shifted by
    Factory,          // a: block, b: pattern of the 80 characters
    SettingsChanged,  // a: block, b: channel in block: the plant sets bit 12 of its status word
    Seconds,          // a: seconds of the transfer pause 1..16
};

struct Action {
    Kind kind = Kind::Pause;
    int a = 1;
    int b = 0;
    int c = 0;
};

void showValue(const Action &action, std::ostream &os);

// A session's actions; shown with its runs of pauses counted, not listed.
struct Steps {
    std::vector<Action> actions;
};

void showValue(const Steps &steps, std::ostream &os);

struct Setup {
    std::vector<int> present;  // blocks present, 1..4 of blocks 0..5
    uint32_t valueSeed = 1;    // the controller's settings at the start
    double drop = 0, nak = 0, badChecksum = 0;
    uint32_t faultSeed = 1;
};

void showValue(const Setup &setup, std::ostream &os);

struct Outcome {
    bool ok = true;
    QString failure; // what went wrong, in a few lines
    int actionsRun = 0;
};

// Runs the session from a fresh image and simulator to the end: every request carried out,
// every transfer's pause over, every present block read again; then checks the controller
// and the image against the model.
Outcome RunSession(const Setup &setup, const Steps &steps);

} // namespace session
