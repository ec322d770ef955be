// Sessions that once failed, shrunk, kept for good: each runs first in every test run. Add a
// failing session in the form the test prints ("as a kept regression"), with what it found.
#pragma once

#include "WriteSessionGen.h"

#include <vector>

namespace session {

struct Regression {
    const char *what;
    Setup setup;
    Steps steps;
};

inline const std::vector<Regression> &Regressions()
{
    static std::vector<Regression> kept = {
        {"a write of item 0006 carried a later alarm value of Ch004 ahead of the action code set before it",
         {{0}, 9600, 0u, {0, 0, 0, 0, 0, 0}, 0u, -1},
         {{{Kind::Wait, 3, 0, 0}, {Kind::SendChannel, 0, 0, 0}, {Kind::Wait, 7, 0, 0}, {Kind::Edit, 0, 32, 0},
           {Kind::Wait, 3, 0, 0}, {Kind::Select, 503, 526, 1}, {Kind::Wait, 5, 0, 0}, {Kind::Edit, 263, 812, 0},
           {Kind::Wait, 1, 0, 0}}}},
        {"a write of item 0001 held for a silent block went again after a load and overwrote it",
         {{1, 2, 4}, 9600, 0u, {0, 0, 0, 0, 0, 0}, 0u, -1},
         {{{Kind::Wait, 3, 0, 0}, {Kind::BlockDies, 272, 0, 0}, {Kind::Wait, 6, 0, 0}, {Kind::Edit, 548, 0, 0},
           {Kind::Wait, 2, 0, 0}, {Kind::SendAll, 461, 0, 0}}}},
        {"a transfer's refused action code was not told",
         {{0, 1}, 19200, 0u, {7, 5, 5, 9, 0, 0}, 1409247u, 0},
         {{{Kind::Wait, 27, 0, 0}, {Kind::Edit, 3, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Edit, 0, 1, 0},
           {Kind::Wait, 20, 0, 0}, {Kind::SendChannel, 0, 63, 0}, {Kind::Wait, 11, 0, 0}}}},
        {"a refusal that came after the time-out is no refusal the program can tell",
         {{0, 1, 2}, 19200, 1230u, {0, 0, 4, 12, 0, 0}, 109395361u, 2},
         {{{Kind::ToggleAutoTuning, 281, 0, 0}, {Kind::Wait, 1, 0, 0}, {Kind::ToggleAutoTuning, 281, 0, 0},
           {Kind::Wait, 9, 0, 0}}}},
        {"the second phase of a transfer went ahead of a re-read waiting for its held block",
         {{0, 1}, 19200, 0u, {0, 7, 11, 14, 5, 0}, 469420116u, -1},
         {{{Kind::Wait, 1, 0, 0}, {Kind::SendChannel, 0, 3, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Edit, 0, 0, 0},
           {Kind::Wait, 11, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Edit, 0, 1, 0}, {Kind::Wait, 24, 0, 0},
           {Kind::Edit, 0, 0, 0}, {Kind::Wait, 30, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Edit, 0, 1, 0},
           {Kind::Edit, 0, 2, 0}, {Kind::Wait, 1, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Edit, 0, 4, 0},
           {Kind::Wait, 5, 0, 0}, {Kind::Edit, 0, 0, 0}, {Kind::Wait, 28, 0, 0}, {Kind::Wait, 30, 0, 0},
           {Kind::PanelChange, 3, 0, 0},
           {Kind::Wait, 24, 0, 0}}}},
        {"a channel file's alarm action row, as the page showed it, is what the operator sent",
         {{0}, 9600, 0u, {0, 0, 0, 0, 0, 0}, 0u, 0},
         {{{Kind::Wait, 6, 0, 0}, {Kind::PanelChange, 10, 122, 0}, {Kind::Wait, 13, 0, 0},
           {Kind::SendChannel, 0, 410, 0}}}},
    };
    // Seeds the benchmark printed, with what each found.
    static const bool seedsAdded = [] {
        const std::pair<uint64_t, const char *> seeds[] = {
            {1155061082193315768u, "an earlier unanswered value read back was recorded as a change at the unit"},
            {11796328963280787419u, "a line error used up a re-read's tries; a write then carried an old count"},
            {4249908756478768364u, "a late read reply confirmed a count: no change at the unit was recorded"},
            {4213379656400879660u, "a write whose reply failed its checksum was neither tried again nor told"},
            {16061097674565212507u, "a configuration read's retry cleared the settings-changed bit: a change went unread"}};
        for (const auto &[seed, what] : seeds)
            kept.push_back({what, SessionOfSeed(seed).first, SessionOfSeed(seed).second});
        return true;
    }();
    (void)seedsAdded;
    return kept;
}

} // namespace session
