// RapidCheck generators of operator sessions: any of the 16 blocks present with random
// settings, 9600 or 19200 baud, random rates of every fault (one session in four from the
// start-up read's first frame), now and then a block that answers writes late, in two in three
// heating/cooling channel pairs on some blocks, in two in three tenths or linear inputs with
// their scaling and decimal point on some blocks; then 10..50
// actions. Actions shrink towards waits and rates towards none, so a
// failing session shrinks to the few actions and faults that matter.
#pragma once

#include "SessionItems.h"
#include "WriteSession.h"

#include <rapidcheck.h>

#include <iterator>

namespace session {

inline rc::Gen<FaultRates> genRates()
{
    const auto rate = [] { return rc::gen::inRange(0, 16); };
    return rc::gen::apply(
        [](int requestLost, int replyLost, int refused, int requestDamaged, int replyDamaged, int late, int doubled,
           int trailed) {
            return FaultRates{requestLost, replyLost, refused, requestDamaged, replyDamaged, late, doubled, trailed};
        },
        rate(), rate(), rate(), rate(), rate(), rate(), rate(), rate());
}

// The blocks present: most sessions one to three of the 16; one in twenty a random set of any
// size, one in thirty-two all 16, one in sixty-four none. Shape 0 (the shrink target) is one block.
inline std::vector<int> presentBlocks(int shape, int mask)
{
    std::vector<int> present;
    if (shape >= 63)
        return present;
    for (int b = 0; b < 16; ++b)
        if (shape >= 61 || (mask & (1 << b)))
            present.push_back(b);
    if (shape < 58 && present.size() > 3)
        present.resize(1 + size_t(shape) % 3);
    if (present.empty())
        present.push_back(mask % 16);
    return present;
}

inline rc::Gen<Setup> genSetup()
{
    return rc::gen::apply(
        [](int shape, int mask, bool fast, uint32_t values, FaultRates rates, uint32_t faults, int lateWrites,
           bool anyDamage, bool anyRequestDamage, int fromStart, uint32_t cooling, uint32_t decimal) {
            Setup s;
            s.present = presentBlocks(shape, mask);
            s.baud = fast ? 19200 : 9600;
            s.valueSeed = values;
            s.rates = rates;
            s.faultSeed = faults;
            // One session in eight has a block that answers its writes after the time-out.
            s.lateWritesBlock = lateWrites < 3 && !s.present.empty() ? s.present[size_t(lateWrites) % s.present.size()] : -1;
            s.anyReplyDamage = anyDamage;
            s.anyRequestDamage = anyRequestDamage;
            s.faultsFromStart = fromStart == 1; // one in four
            s.coolingSeed = cooling % 3 == 0 ? 0 : cooling; // two in three have heating/cooling pairs
            s.decimalSeed = decimal % 3 == 0 ? 0 : decimal; // two in three have inputs with decimal places
            return s;
        },
        rc::gen::inRange(0, 64), rc::gen::inRange(0, 65536), rc::gen::arbitrary<bool>(), rc::gen::arbitrary<uint32_t>(),
        genRates(), rc::gen::arbitrary<uint32_t>(), rc::gen::inRange(0, 24), rc::gen::arbitrary<bool>(),
        rc::gen::arbitrary<bool>(), rc::gen::inRange(0, 4), rc::gen::arbitrary<uint32_t>(), rc::gen::arbitrary<uint32_t>());
}

// The kind drawn from 0..99 by weight; 0 (the shrink target) is a wait.
inline Kind kindFor(int draw)
{
    struct Weight {
        int upTo;
        Kind kind;
    };
    static const Weight weights[] = {
        {35, Kind::Wait},        {52, Kind::Edit},           {58, Kind::Select},      {63, Kind::ToggleOutput},
        {66, Kind::ToggleAutoTuning}, {71, Kind::SendChannel}, {76, Kind::SendBlock}, {78, Kind::SendAll},
        {81, Kind::Factory},     {90, Kind::PanelChange},    {95, Kind::BlockDies},   {98, Kind::Unplug}, {99, Kind::LineFails},
        {100, Kind::ReadsFail},
    };
    for (const Weight &w : weights)
        if (draw < w.upTo)
            return w.kind;
    return Kind::Wait;
}

// An edit's value: most in 0..999, one in four at or next to an edge of a range (zero, the
// four digits', the 16 bits' and one past them, which the program does not store).
inline int editValue(int c, int edge, int step)
{
    static const int edges[] = {0, -1999, 9999, -9999, 32767, -32768, 999, 1999};
    constexpr int kPlain = 3 * int(std::size(edges));
    return edge < kPlain ? c : edges[edge - kPlain] + step - 1;
}

inline rc::Gen<Action> genAction()
{
    return rc::gen::apply(
        [](int draw, int a, int b, int c, int edge, int step, int cooling) {
            Action action;
            action.kind = kindFor(draw);
            action.a = action.kind == Kind::Wait ? 1 + a % 30 : a;
            action.b = action.kind == Kind::PanelChange ? PanelItems()[size_t(b) % PanelItems().size()] : b;
            // One edit or selection in six names a cooling item.
            if ((action.kind == Kind::Edit || action.kind == Kind::Select) && cooling == 5)
                action.b += 1000;
            action.c = action.kind == Kind::Edit ? editValue(c, edge, step) : c;
            return action;
        },
        rc::gen::inRange(0, 100), rc::gen::inRange(0, 1000), rc::gen::inRange(0, 1000), rc::gen::inRange(0, 1000),
        rc::gen::inRange(0, 32), rc::gen::inRange(0, 3), rc::gen::inRange(0, 6));
}

inline rc::Gen<Steps> genSession()
{
    return rc::gen::map(rc::gen::mapcat(rc::gen::inRange(10, 51),
                                        [](int count) {
                                            return rc::gen::container<std::vector<Action>>(size_t(count), genAction());
                                        }),
                        [](std::vector<Action> actions) { return Steps{std::move(actions)}; });
}

// The session the benchmark draws for a seed.
inline std::pair<Setup, Steps> SessionOfSeed(uint64_t seed)
{
    const rc::Random random(seed);
    return {genSetup()(random, 100).value(), genSession()(rc::Random(random).split(), 100).value()};
}

} // namespace session
