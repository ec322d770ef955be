#include "SoakPlant.h"

#include "DeviceModel.h"
#include "Protocol.h"

#include <algorithm>

namespace soak {

const std::array<Condition, 6> kConditions = {{
    {0x0002, "Alarm 1 was turned on.", "Alarm 1 was turned off."},
    {0x0004, "Alarm 2 was turned on.", "Alarm 2 was turned off."},
    {0x0008, "Heater burnout alarm was turned on.", "Heater burnout alarm was turned off."},
    {0x2000, "Loop break alarm was turned on.", "Loop break alarm was turned off."},
    {0x0010, "PV was in the state of overscale.", "PV turned normal from overscale."},
    {0x0020, "PV was in the state of underscale.", "PV turned normal from underscale."},
}};

namespace {

constexpr double kMinimumLimit = 5.0;
constexpr double kPeriodWindow = 60.0;

sim::DeviceModel stillPlant()
{
    sim::DeviceModel m = sim::DeviceModel::allBlocks(16);
    m.setLive(false);
    for (int b = 0; b < 16; ++b)
        for (int ch = 0; ch < 20; ++ch)
            m.value(b, "0083", ch) = 0;
    return m;
}

sim::ServeOptions atBaud(int baud)
{
    sim::ServeOptions o;
    o.baud = baud;
    return o;
}

} // namespace

Plant::Plant(const QElapsedTimer &clock, double holdSeconds, quint32 seed)
    : clock_(clock), hold_(holdSeconds), rng_(seed), server_(stillPlant(), atBaud(19200))
{
    changedAt_.fill(-1e9);
    readsAtChange_.fill(-3);
    lastAnswered_.fill(-1);
}

bool Plant::start(std::string *error)
{
    beat();
    return server_.start(error);
}

void Plant::beat()
{
    std::lock_guard<std::mutex> lock(mutex_);
    const int count = int(beats_.size());
    server_.withModel([count](sim::DeviceModel &m) {
        for (int b = 0; b < 16; ++b)
            m.value(b, "0080", 0) = int16_t(count);
    });
    beats_.push_back(now());
}

void Plant::makeEdge()
{
    std::lock_guard<std::mutex> lock(mutex_);
    const double t = now();
    // Every other edge turns off an alarm that is on, so that alarms also go off while the
    // gateway is away, not only come.
    const auto ready = [&](int slot) {
        return t - changedAt_[size_t(slot)] >= hold_ && statusReads_[size_t(slot / 120)] - readsAtChange_[size_t(slot)] >= 3;
    };
    std::vector<int> lit;
    if (edges_.size() % 2 == 1)
        for (int slot = 0; slot < 320 * 6; ++slot)
            if (onNow_[size_t(slot)] && ready(slot))
                lit.push_back(slot);
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int slot = lit.empty() ? int(rng_.bounded(320 * 6)) : lit[size_t(rng_.bounded(int(lit.size())))];
        const int channel = slot / 6;
        if (!ready(slot))
            continue;
        const int condition = slot % 6;
        bool on = false;
        server_.withModel([&](sim::DeviceModel &m) {
            int16_t &status = m.value(channel / 20, "0083", channel % 20);
            status = int16_t(status ^ kConditions[size_t(condition)].mask);
            on = (status & kConditions[size_t(condition)].mask) != 0;
        });
        changedAt_[size_t(slot)] = t;
        onNow_[size_t(slot)] = on;
        readsAtChange_[size_t(slot)] = statusReads_[size_t(channel / 20)];
        edges_.push_back({t, channel, condition, on});
        return;
    }
}

void Plant::sampleLine()
{
    const std::vector<std::string> frames = server_.receivedFrames();
    server_.clearReceived();
    std::lock_guard<std::mutex> lock(mutex_);
    const double t = now();
    std::array<bool, 16> asked{};
    for (const std::string &f : frames)
        if (f.size() > 1)
            if (const int b = tobrel::BlockOfAddress(f[1]); b >= 0 && b < 16 && !silent_[size_t(b)]) {
                asked[size_t(b)] = true;
                statusReads_[size_t(b)] += f.size() >= 8 && f.compare(4, 4, "0083") == 0; // address, sub-address, command, item
            }
    for (size_t b = 0; b < 16; ++b) {
        if (!asked[b] || silent_[b])
            continue;
        if (lastAnswered_[b] >= 0)
            periods_[b].push_back({t, t - lastAnswered_[b]});
        lastAnswered_[b] = t;
        while (!periods_[b].empty() && periods_[b].front().first < t - kPeriodWindow)
            periods_[b].pop_front();
    }
}

void Plant::silence(const std::vector<int> &blocks, bool silent)
{
    std::lock_guard<std::mutex> lock(mutex_);
    server_.withModel([&](sim::DeviceModel &m) {
        for (int b : blocks)
            m.block(b).present = !silent;
    });
    for (int b : blocks) {
        silent_[size_t(b)] = silent;
        lastAnswered_[size_t(b)] = -1;
    }
}

void Plant::gatewayRestarted()
{
    std::lock_guard<std::mutex> lock(mutex_);
    lastAnswered_.fill(-1);
}

std::vector<Edge> Plant::edges() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return edges_;
}

int Plant::heartbeat() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return int(beats_.size()) - 1;
}

bool Plant::heartbeatSetAt(int count, double *set, double *replaced) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (count < 0 || size_t(count) >= beats_.size())
        return false;
    *set = beats_[size_t(count)];
    *replaced = size_t(count) + 1 < beats_.size() ? beats_[size_t(count) + 1] : -1;
    return true;
}

double Plant::staleLimit(int block, double at) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    double longest = 0;
    for (const auto &[when, gap] : periods_[size_t(block)])
        if (when >= at - kPeriodWindow && when <= at)
            longest = std::max(longest, gap);
    return std::max(kMinimumLimit, 3 * longest);
}

} // namespace soak
