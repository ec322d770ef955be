// What a session's channels measure and how the PC shows them: the input type of each channel
// pair (the controller's configuration) and, for a linear input, the scaling limits and the
// decimal point place kept on the PC. Drawn from a seed; seed 0 gives whole-degree inputs only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace session {

struct ChannelInput {
    int16_t type = 0; // 0..5 whole degrees, 6..9 tenths, 10..13 linear
    int16_t high = 10000;
    int16_t low = 0;
    int16_t divisor = 100;
    bool linear() const { return type >= 10; }
};

constexpr int kSessionChannels = 320;

// One present block in two gets inputs of its own, pair by pair: whole degrees, tenths or
// linear. A linear channel gets a span of 1000..10000 from a low limit of -2000..0 (a third
// at 0) and any of the five decimal point places.
inline std::vector<ChannelInput> DrawInputs(uint32_t seed, const std::vector<int> &present)
{
    std::vector<ChannelInput> inputs(kSessionChannels);
    if (seed == 0)
        return inputs;
    std::mt19937 rng(seed);
    const auto pick = [&](int lo, int hi) { return int16_t(std::uniform_int_distribution<int>(lo, hi)(rng)); };
    static const int16_t kDivisors[] = {1, 10, 100, 1000, 10000};
    for (int b : present) {
        if (rng() % 2)
            continue;
        for (int pair = 0; pair < 10; ++pair) {
            const int kind = pick(0, 2);
            const int16_t type = kind == 0 ? 0 : kind == 1 ? pick(6, 9) : pick(10, 13);
            for (int ch = b * 20 + 2 * pair; ch < b * 20 + 2 * pair + 2; ++ch) {
                ChannelInput &in = inputs[size_t(ch)];
                in.type = type;
                if (!in.linear())
                    continue;
                in.low = pick(0, 2) == 0 ? 0 : pick(-2000, 0);
                in.high = int16_t(std::min(10000, in.low + pick(1000, 10000)));
                in.divisor = kDivisors[pick(0, 4)];
            }
        }
    }
    return inputs;
}

} // namespace session
