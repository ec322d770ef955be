// The controller installation as a peer on the line: up to 16 blocks of 20 channels that answer
// read and write frames the way the communication units do, with live values that move.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sim {

struct BlockConfig {
    bool present = false;                  // an absent block never answers
    bool nakAll = false;                   // a unit that answers every request with NAK
    std::array<int16_t, 10> inputType{};   // per channel pair (channels 2k, 2k+1)
    std::array<int16_t, 10> optionWord{};  // bit0 HB option, bit1 large HB range, bit10 heating/cooling
    std::array<int16_t, 10> connected{};   // 0 = no channel fitted at this pair
};

class DeviceModel {
public:
    static constexpr int kBlocks = 16;
    static constexpr int kChannels = 20;

    DeviceModel();                                   // no block present
    // The demo installation: blocks 0, 1, 3 and 5 with mixed inputs, a heating/cooling block,
    // heater burnout options, one unconnected pair and alarms that come and go.
    static DeviceModel demo();
    static DeviceModel allBlocks(int count = 16);    // blocks 0..count-1 present, K inputs, all connected

    BlockConfig &block(int b);
    const BlockConfig &block(int b) const;

    // The reply bytes (ACK or NAK .. ETX, correct checksum) for one request frame (STX .. ETX);
    // "" when the unit stays silent (absent block, malformed frame addressed to nobody, a
    // sub-address other than the unit's 0x20).
    std::string handleFrame(const std::string &frame);

    // One channel value of an item code ("0080".."0083", "0001".."0020") in controller counts.
    // Throws std::out_of_range for a block, channel or item the model does not hold.
    int16_t &value(int block, const std::string &item, int channel);
    int16_t value(int block, const std::string &item, int channel) const;

    std::string factoryData(int block) const;        // last "0040" write (80 characters)

    void advance(double seconds);                    // live values move (PV follows SV with lag, alarms)
    void setLive(bool on);                           // off: values stay exactly as set (for tests)
    bool live() const { return live_; }

private:
    // Per channel state of the process behind the controller (not visible on the line).
    struct Process {
        double pv = 25.0;              // in display counts of the channel
        double disturbAmplitude = 0;   // counts; a periodic upset that makes alarms come and go
        double disturbPeriod = 60;     // seconds
        double disturbPhase = 0;       // seconds
        double sensorBreakEvery = 0;   // seconds between sensor breaks, 0 = never
        double sensorBreakFor = 0;     // seconds each break lasts
        double heaterBreakEvery = 0;   // seconds between heater failures, 0 = never
        double heaterBreakFor = 0;     // seconds each failure lasts
        double heaterAmps = 5.0;       // current of the healthy heater
        double autoTuneLeft = 0;       // seconds of auto-tuning still to run
        struct Alarm {
            bool on = false;       // condition met (with hysteresis)
            bool armed = false;    // standby over: the condition was once clear
        };
        Alarm alarm1;
        Alarm alarm2;
    };
    struct Block {
        BlockConfig config;
        std::array<std::array<int16_t, kChannels>, 36> items{};  // by itemSlot()
        std::array<Process, kChannels> process{};
        std::string factory = std::string(80, '0');
        double panelChangeEvery = 0;   // seconds between settings changed at the front panel
    };

    static int itemSlot(const std::string &item);
    std::string replyFor(int blockIndex, const std::string &body);
    void startWrites(Block &b, int slot);
    void step(Block &b, double dt);
    void stepChannel(Block &b, int ch, double dt);
    void initialiseChannels(Block &b);

    std::array<Block, kBlocks> blocks_{};
    bool live_ = true;
    double clock_ = 0;   // seconds of model time
};

} // namespace sim
