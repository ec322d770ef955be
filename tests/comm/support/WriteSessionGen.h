// RapidCheck generators of operator sessions: a few present blocks with random settings and a
// random rate of lost, refused and corrupted replies, then 30..200 actions. Actions shrink
// towards pauses, so a failing session shrinks to the few actions that matter.
#pragma once

#include "WriteSession.h"

#include <rapidcheck.h>

namespace session {

inline rc::Gen<Setup> genSetup()
{
    return rc::gen::apply(
        [](int mask, uint32_t values, int dropPct, int nakPct, int badPct, uint32_t faults) {
            Setup s;
            for (int b = 0; b < 6 && s.present.size() < 4; ++b)
                if (mask & (1 << b))
                    s.present.push_back(b);
            s.valueSeed = values;
            s.drop = dropPct / 100.0;
            s.nak = nakPct / 100.0;
            s.badChecksum = badPct / 100.0;
            s.faultSeed = faults;
            return s;
        },
        rc::gen::inRange(1, 64), rc::gen::arbitrary<uint32_t>(), rc::gen::inRange(0, 6), rc::gen::inRange(0, 6),
        rc::gen::inRange(0, 6), rc::gen::arbitrary<uint32_t>());
}

// The kind drawn from 0..99 by weight; 0 (the shrink target) is a pause.
inline Kind kindFor(int draw)
{
    struct Weight {
        int upTo;
        Kind kind;
    };
    static const Weight weights[] = {
        {12, Kind::Pause},         {34, Kind::Edit},           {42, Kind::Select},     {52, Kind::ToggleOutput},
        {56, Kind::ToggleAutoTuning}, {64, Kind::SendChannel}, {72, Kind::SendBlock},  {75, Kind::SendAll},
        {79, Kind::Factory},       {85, Kind::SettingsChanged}, {100, Kind::Seconds},
    };
    for (const Weight &w : weights)
        if (draw < w.upTo)
            return w.kind;
    return Kind::Pause;
}

inline rc::Gen<Action> genAction()
{
    return rc::gen::apply(
        [](int draw, int a, int b, int c) {
            Action action;
            action.kind = kindFor(draw);
            action.a = action.kind == Kind::Pause || action.kind == Kind::Seconds ? 1 + a % 16 : a;
            action.b = b;
            action.c = c;
            return action;
        },
        rc::gen::inRange(0, 100), rc::gen::inRange(0, 1000), rc::gen::inRange(0, 1000), rc::gen::inRange(0, 1000));
}

inline rc::Gen<Steps> genSession()
{
    return rc::gen::map(rc::gen::mapcat(rc::gen::inRange(30, 201),
                                        [](int count) {
                                            return rc::gen::container<std::vector<Action>>(size_t(count), genAction());
                                        }),
                        [](std::vector<Action> actions) { return Steps{std::move(actions)}; });
}

} // namespace session
