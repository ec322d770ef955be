#include "DeviceModel.h"

#include "Protocol.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace sim {

namespace {

constexpr char kRead = 0x22;
constexpr char kWrite = 0x52;
constexpr char kSubAddress = 0x20;
constexpr int kFields = 20;
constexpr int kPairs = 10;
constexpr size_t kHeaderLength = 7;       // address, sub-address, command type, item
constexpr size_t kFactoryLength = 80;
constexpr double kPi = 3.14159265358979323846;
constexpr double kProcessLag = 15.0;      // seconds: time constant of every simulated process
constexpr double kAutoTuneSeconds = 30.0;
constexpr double kLongestStep = 0.25;     // seconds: finer steps keep alarms and lamps in order
constexpr double kLongestAdvance = 600.0; // a longer silence is shortened to this

// Status bits of item "0083".
constexpr int16_t kControlLamp = 0x0001;
constexpr int16_t kAlarm1 = 0x0002;
constexpr int16_t kAlarm2 = 0x0004;
constexpr int16_t kHeaterBurnout = 0x0008;
constexpr int16_t kOverscale = 0x0010;
constexpr int16_t kUnderscale = 0x0020;
constexpr int16_t kAutoTuning = 0x0080;
constexpr int16_t kOutputOn = 0x0400;
constexpr int16_t kSettingsChanged = 0x1000;

// Option word bits of item "00A1".
constexpr int16_t kOptionHeaterBurnout = 0x0001;
constexpr int16_t kOptionLargeHeaterRange = 0x0002;
constexpr int16_t kOptionHeatCool = 0x0400;

// Item codes as slots of Block::items: settings "0001".."0020" then monitored "0080".."0083".
enum Slot : int {
    MainSetting = 0x01 - 1, ProportionalBand = 0x02 - 1, IntegralTime = 0x03 - 1,
    DerivativeTime = 0x04 - 1, Alarm1Value = 0x05 - 1, Alarm2Value = 0x06 - 1,
    ProportionalCycle = 0x07 - 1, HeaterBurnoutValue = 0x08 - 1, OutputOnOff = 0x09 - 1,
    AutoTuning = 0x0A - 1, Alarm1Hysteresis = 0x0B - 1, Alarm2Hysteresis = 0x0C - 1,
    OnOffHysteresis = 0x0D - 1, OutputHighLimit = 0x0E - 1, OutputLowLimit = 0x0F - 1,
    PvFilterTime = 0x10 - 1, UnitSelect = 0x11 - 1, HeatCoolAction = 0x12 - 1,
    Alarm1Action = 0x13 - 1, Alarm2Action = 0x14 - 1, LoopBreakSpan = 0x15 - 1,
    LoopBreakTime = 0x16 - 1, AntiResetWindup = 0x17 - 1, PdReset = 0x18 - 1,
    SensorCorrection = 0x19 - 1, LoopBreak2Span = 0x1A - 1, LoopBreak2Time = 0x1B - 1,
    CoolProportionalBand = 0x1C - 1, CoolProportionalCycle = 0x1D - 1, OverlapDeadBand = 0x1E - 1,
    CoolActionMode = 0x1F - 1, CoolOnOffHysteresis = 0x20 - 1,
    ProcessValue = 32, OutputValue = 33, HeaterCurrent = 34, StatusWord = 35
};

bool isLinear(int inputType) { return inputType >= 10; }

// Counts of one degree (or, for linear inputs, of 0.1 % of span).
double countsPerUnit(int inputType)
{
    return (inputType >= 6 && inputType <= 9) || isLinear(inputType) ? 10.0 : 1.0;
}

struct Range { double low, high; };

// Measuring range of an input type in display counts.
Range rangeOf(int inputType)
{
    switch (inputType) {
    case 0: return {-200, 1370};
    case 1: return {-200, 1000};
    case 2: return {0, 1760};
    case 3: return {0, 1820};
    case 4: return {0, 1390};
    case 5: return {0, 1300};
    case 6: case 7: return {0, 6000};
    case 8: return {-1999, 8500};
    case 9: return {-1999, 5000};
    default: return {-500, 10500};   // linear: 5 % beyond the span either way
    }
}

int16_t toCounts(double v)
{
    return static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

std::string withChecksum(char lead, const std::string &text)
{
    std::string reply(1, lead);
    reply += text;
    reply += tobrel::MakeCheckSum(text);
    reply += tobrel::ETX;
    return reply;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// One alarm's condition with hysteresis; `on` is the state before this step.
bool alarmCondition(int action, double pv, double sv, double value, double hysteresis, bool on)
{
    const double h = on ? std::max(0.0, hysteresis) : 0.0;
    const double deviation = pv - sv;
    switch (action) {
    case 1: case 2: return deviation >= value - h;
    case 3: case 4: return deviation <= -value + h;
    case 5: case 6: return std::fabs(deviation) >= value - h;
    case 7: case 8: return std::fabs(deviation) <= value + h;
    case 9: case 10: return pv >= value - h;
    case 11: case 12: return pv <= value + h;
    default: return false;
    }
}

bool hasStandby(int action) { return action > 0 && action % 2 == 0; }

} // namespace

DeviceModel::DeviceModel() = default;

DeviceModel DeviceModel::allBlocks(int count)
{
    DeviceModel m;
    for (int b = 0; b < std::clamp(count, 0, kBlocks); ++b) {
        BlockConfig &c = m.block(b);
        c.present = true;
        c.inputType.fill(0);
        c.optionWord.fill(0);
        c.connected.fill(1);
        m.initialiseChannels(m.blocks_[static_cast<size_t>(b)]);
    }
    return m;
}

BlockConfig &DeviceModel::block(int b)
{
    return blocks_.at(static_cast<size_t>(b)).config;
}

const BlockConfig &DeviceModel::block(int b) const
{
    return blocks_.at(static_cast<size_t>(b)).config;
}

int DeviceModel::itemSlot(const std::string &item)
{
    if (item.size() != 4 || !std::all_of(item.begin(), item.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        }))
        return -1;
    const int code = std::stoi(item, nullptr, 16);
    if (code >= 0x01 && code <= 0x20)
        return code - 1;
    if (code >= 0x80 && code <= 0x83)
        return ProcessValue + (code - 0x80);
    return -1;
}

int16_t &DeviceModel::value(int block, const std::string &item, int channel)
{
    const int slot = itemSlot(item);
    if (slot < 0)
        throw std::out_of_range("no item " + item);
    return blocks_.at(static_cast<size_t>(block))
        .items[static_cast<size_t>(slot)]
        .at(static_cast<size_t>(channel));
}

int16_t DeviceModel::value(int block, const std::string &item, int channel) const
{
    return const_cast<DeviceModel *>(this)->value(block, item, channel);
}

std::string DeviceModel::factoryData(int block) const
{
    return blocks_.at(static_cast<size_t>(block)).factory;
}

void DeviceModel::setLive(bool on)
{
    live_ = on;
}

// Settings a unit leaves the factory with, scaled to the channel's input.
void DeviceModel::initialiseChannels(Block &b)
{
    for (int ch = 0; ch < kChannels; ++ch) {
        const auto c = static_cast<size_t>(ch);
        const int type = b.config.inputType[c / 2];
        const double f = countsPerUnit(type);
        auto set = [&](int slot, double v) { b.items[static_cast<size_t>(slot)][c] = toCounts(v); };
        const double sv = isLinear(type) ? 5000 : (type == 8 || type == 9) ? 805 : 200 * f;
        set(MainSetting, sv);
        set(ProportionalBand, 30);
        set(IntegralTime, 240);
        set(DerivativeTime, 60);
        set(Alarm1Value, 10 * f);
        set(Alarm2Value, 20 * f);
        set(ProportionalCycle, 20);
        set(HeaterBurnoutValue, (b.config.optionWord[c / 2] & kOptionLargeHeaterRange) ? 200 : 20);
        set(OutputOnOff, b.config.connected[c / 2] != 0 ? 1 : 0);
        set(AutoTuning, 0);
        set(Alarm1Hysteresis, 2 * f);
        set(Alarm2Hysteresis, 2 * f);
        set(OnOffHysteresis, 1 * f);
        set(OutputHighLimit, 100);
        set(OutputLowLimit, 0);
        set(PvFilterTime, 0);
        set(UnitSelect, 0);
        set(HeatCoolAction, 0);
        set(Alarm1Action, 1);   // high limit alarm
        set(Alarm2Action, 4);   // low limit alarm with standby
        set(LoopBreakSpan, 20 * f);
        set(LoopBreakTime, 0);
        set(AntiResetWindup, 100);
        set(PdReset, 0);
        set(SensorCorrection, 0);
        set(LoopBreak2Span, 20 * f);
        set(LoopBreak2Time, 0);
        set(CoolProportionalBand, 30);
        set(CoolProportionalCycle, 20);
        set(OverlapDeadBand, 0);
        set(CoolActionMode, 0);
        set(CoolOnOffHysteresis, 1 * f);
        Process &p = b.process[c];
        p = Process{};
        p.pv = isLinear(type) ? 0 : 25 * f;
        p.heaterAmps = (b.config.optionWord[c / 2] & kOptionLargeHeaterRange) ? 30.0 : 5.0;
        set(ProcessValue, p.pv);
        set(OutputValue, 0);
        set(HeaterCurrent, 0);
        set(StatusWord, 0);
    }
}

DeviceModel DeviceModel::demo()
{
    DeviceModel m;
    auto configure = [&m](int b, auto &&setup) -> Block & {
        Block &blk = m.blocks_[static_cast<size_t>(b)];
        blk.config.present = true;
        blk.config.connected.fill(1);
        setup(blk.config);
        m.initialiseChannels(blk);
        return blk;
    };

    // Block 0: thermocouple K everywhere, heater burnout options on the first five units.
    Block &b0 = configure(0, [](BlockConfig &c) {
        c.inputType.fill(0);
        for (int k = 0; k < 5; ++k)
            c.optionWord[static_cast<size_t>(k)] = kOptionHeaterBurnout;
        c.optionWord[2] = kOptionHeaterBurnout | kOptionLargeHeaterRange;
    });
    b0.process[0].disturbAmplitude = 15;          // alarm 1 (high, 10) trips for part of each minute
    b0.process[3].disturbAmplitude = 30;          // both alarms in turn
    b0.process[3].disturbPeriod = 45;
    b0.process[4].heaterBreakEvery = 50;          // heater burnout for 15 s of every 50 s
    b0.process[4].heaterBreakFor = 15;
    b0.process[7].sensorBreakEvery = 90;          // a broken thermocouple: overscale for 10 s
    b0.process[7].sensorBreakFor = 10;
    b0.items[MainSetting][2] = 350;
    b0.items[MainSetting][3] = 350;

    // Block 1: thermocouple J, heating/cooling units throughout.
    Block &b1 = configure(1, [](BlockConfig &c) {
        c.inputType.fill(1);
        c.optionWord.fill(kOptionHeatCool);
        c.optionWord[0] |= kOptionHeaterBurnout;
        c.optionWord[1] |= kOptionHeaterBurnout;
    });
    b1.process[2].disturbAmplitude = 25;          // cooling side takes over, alarm 1 comes and goes
    b1.process[2].disturbPeriod = 50;
    for (int ch = 0; ch < kChannels; ch += 2)
        b1.items[MainSetting][static_cast<size_t>(ch)] = 120;

    // Block 3: Pt100 and K with 0.1 resolution, one 4-20 mA pair, one pair not fitted.
    Block &b3 = configure(3, [](BlockConfig &c) {
        for (int k = 0; k < 5; ++k)
            c.inputType[static_cast<size_t>(k)] = 8;
        for (int k = 5; k < 8; ++k)
            c.inputType[static_cast<size_t>(k)] = 6;
        c.inputType[8] = 11;
        c.inputType[9] = 0;
        c.connected[9] = 0;
    });
    b3.process[1].disturbAmplitude = 120;         // 12.0 degrees against an alarm at 10.0
    b3.process[1].disturbPeriod = 40;
    for (int ch = 16; ch < 18; ++ch) {            // linear pair: process alarm at 52 % of span
        const auto c = static_cast<size_t>(ch);
        b3.items[Alarm1Action][c] = 9;
        b3.items[Alarm1Value][c] = 5200;
        b3.process[c].disturbAmplitude = 400;
        b3.process[c].disturbPeriod = 30;
    }
    for (int ch = 18; ch < 20; ++ch)
        b3.items[OutputOnOff][static_cast<size_t>(ch)] = 0;

    // Block 5: thermocouple J with standby alarms; settings are changed at its front panel now and then.
    Block &b5 = configure(5, [](BlockConfig &c) {
        c.inputType.fill(1);
        c.optionWord[0] = kOptionHeaterBurnout;
    });
    for (int ch = 0; ch < kChannels; ++ch) {
        b5.items[Alarm1Action][static_cast<size_t>(ch)] = 2;
        b5.items[OutputOnOff][static_cast<size_t>(ch)] = ch < 16 ? 1 : 0;
    }
    b5.process[5].disturbAmplitude = 20;
    b5.process[5].disturbPhase = 20;
    b5.panelChangeEvery = 120;
    return m;
}

std::string DeviceModel::handleFrame(const std::string &frame)
{
    if (frame.size() < 2 || frame.front() != tobrel::STX)
        return {};
    const int b = tobrel::BlockOfAddress(frame[1]);
    if (b < 0 || !blocks_[static_cast<size_t>(b)].config.present)
        return {};
    // The communication unit answers only frames for its own sub-address; any other frame on
    // the shared line belongs to another device.
    if (frame.size() > 3 && frame[2] != kSubAddress)
        return {};
    const bool framed = frame.size() >= 4 + kHeaderLength && frame.back() == tobrel::ETX;
    const std::string body = framed ? frame.substr(1, frame.size() - 4) : std::string();
    const std::string header = framed ? body.substr(0, kHeaderLength) : frame.substr(1, 1);
    if (!framed || blocks_[static_cast<size_t>(b)].config.nakAll
        || frame.compare(frame.size() - 3, 2, tobrel::MakeCheckSum(body)) != 0)
        return withChecksum(tobrel::NAK, header);
    return replyFor(b, body);
}

// Answer to a frame that passed the checksum; body = address .. data.
std::string DeviceModel::replyFor(int blockIndex, const std::string &body)
{
    Block &b = blocks_[static_cast<size_t>(blockIndex)];
    const std::string header = body.substr(0, kHeaderLength);
    const std::string item = body.substr(3, 4);
    const std::string data = body.substr(kHeaderLength);
    const std::string nak = withChecksum(tobrel::NAK, header);

    if (body[2] == kRead) {
        if (!data.empty())
            return nak;
        std::string fields;
        if (item == "00A0" || item == "00A1") {
            for (size_t k = 0; k < kPairs; ++k) {
                if (item == "00A0") {
                    fields += tobrel::EncodeValue(b.config.connected[k]);
                    fields += tobrel::EncodeValue(0);
                } else {
                    fields += tobrel::EncodeValue(b.config.inputType[k]);
                    fields += tobrel::EncodeValue(b.config.optionWord[k]);
                }
            }
            if (item == "00A1") {
                for (auto &status : b.items[StatusWord])
                    status = static_cast<int16_t>(status & ~kSettingsChanged);
            }
        } else {
            const int slot = itemSlot(item);
            if (slot < 0)
                return nak;
            for (int16_t v : b.items[static_cast<size_t>(slot)])
                fields += tobrel::EncodeValue(v);
        }
        return withChecksum(tobrel::ACK, header + fields);
    }

    if (body[2] == kWrite) {
        if (item == "0040") {
            if (data.size() != kFactoryLength
                || !std::all_of(data.begin(), data.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
                return nak;
            b.factory = data;
            return withChecksum(tobrel::ACK, header);
        }
        const int slot = itemSlot(item);
        if (slot < 0 || slot >= ProcessValue || data.size() != kFields * 4
            || !std::all_of(data.begin(), data.end(), isHexDigit))
            return nak;
        for (size_t ch = 0; ch < kChannels; ++ch)
            b.items[static_cast<size_t>(slot)][ch] = *tobrel::DecodeValue(std::string_view(data).substr(ch * 4, 4));
        startWrites(b, slot);
        return withChecksum(tobrel::ACK, header);
    }
    return nak;
}

// What a written setting sets going at once.
void DeviceModel::startWrites(Block &b, int slot)
{
    if (slot != AutoTuning)
        return;
    for (size_t ch = 0; ch < kChannels; ++ch) {
        Process &p = b.process[ch];
        if (b.items[AutoTuning][ch] == 0)
            p.autoTuneLeft = 0;
        else if (p.autoTuneLeft <= 0)
            p.autoTuneLeft = kAutoTuneSeconds;
    }
}

void DeviceModel::advance(double seconds)
{
    if (!live_ || !(seconds > 0))
        return;
    double left = std::min(seconds, kLongestAdvance);
    while (left > 0) {
        const double dt = std::min(left, kLongestStep);
        for (Block &b : blocks_) {
            if (b.config.present)
                step(b, dt);
        }
        clock_ += dt;
        left -= dt;
    }
}

void DeviceModel::step(Block &b, double dt)
{
    if (b.panelChangeEvery > 0) {
        const long before = std::lround(std::floor(clock_ / b.panelChangeEvery));
        const long after = std::lround(std::floor((clock_ + dt) / b.panelChangeEvery));
        if (after > before) {
            // Someone at the unit nudges the set value of one channel up and down again.
            const auto ch = static_cast<size_t>((after * 2) % kChannels);
            const int16_t nudge = (after % 2 == 0) ? 5 : -5;
            b.items[MainSetting][ch] = static_cast<int16_t>(b.items[MainSetting][ch] + nudge);
            b.items[StatusWord][ch] = static_cast<int16_t>(b.items[StatusWord][ch] | kSettingsChanged);
        }
    }
    for (int ch = 0; ch < kChannels; ch += 2) {
        stepChannel(b, ch, dt);
        stepChannel(b, ch + 1, dt);
    }
}

void DeviceModel::stepChannel(Block &blk, int channel, double dt)
{
    const auto ch = static_cast<size_t>(channel);
    const auto pair = ch / 2;
    auto item = [&blk, ch](int slot) -> int16_t & { return blk.items[static_cast<size_t>(slot)][ch]; };
    const int16_t keep = static_cast<int16_t>(item(StatusWord) & kSettingsChanged);

    if (blk.config.connected[pair] == 0) {
        item(ProcessValue) = 0;
        item(OutputValue) = 0;
        item(HeaterCurrent) = 0;
        item(StatusWord) = keep;
        return;
    }

    const int type = blk.config.inputType[pair];
    const int16_t options = blk.config.optionWord[pair];
    const bool heatCool = (options & kOptionHeatCool) != 0;
    const Range range = rangeOf(type);

    // The odd channel of a heating/cooling pair is the cooling side of the even one.
    if (heatCool && ch % 2 == 1) {
        const int16_t evenStatus = blk.items[StatusWord][ch - 1];
        const Process &even = blk.process[ch - 1];
        const double coolBand = std::max(1.0, blk.items[CoolProportionalBand][ch - 1] * (range.high - range.low) / 1000.0);
        const double measured = blk.items[ProcessValue][ch - 1];
        const double sv = blk.items[MainSetting][ch - 1];
        const bool driving = (evenStatus & kOutputOn) && even.autoTuneLeft <= 0
                             && !(evenStatus & (kOverscale | kUnderscale));
        const double cool = driving ? std::clamp(1000.0 * (measured - sv) / coolBand, 0.0, 1000.0) : 0.0;
        item(ProcessValue) = blk.items[ProcessValue][ch - 1];
        item(OutputValue) = toCounts(cool);
        item(HeaterCurrent) = 0;
        item(StatusWord) = static_cast<int16_t>(
            keep | (evenStatus & (kOutputOn | kOverscale | kUnderscale)) | (cool > 0 ? kControlLamp : 0));
        return;
    }

    Process &p = blk.process[ch];
    const double t = clock_ + dt;
    const double f = countsPerUnit(type);
    const double ambient = isLinear(type) ? 0.0 : 25.0 * f;
    const double sv = item(MainSetting);
    const bool outputOn = item(OutputOnOff) != 0;

    if (p.autoTuneLeft > 0) {
        p.autoTuneLeft -= dt;
        if (p.autoTuneLeft <= 0) {
            p.autoTuneLeft = 0;
            item(AutoTuning) = 0;
        }
    }
    const bool tuning = p.autoTuneLeft > 0;

    auto inWindow = [t](double every, double length) {
        return every > 0 && std::fmod(t, every) >= every - length;
    };
    const bool sensorBroken = inWindow(p.sensorBreakEvery, p.sensorBreakFor);
    const bool heaterBroken = inWindow(p.heaterBreakEvery, p.heaterBreakFor);

    // The process: with the output on it settles at the set value, else it cools to ambient.
    const double target = outputOn ? sv : ambient;
    p.pv += (target - p.pv) * (1.0 - std::exp(-dt / kProcessLag));
    const double upset = p.disturbAmplitude * std::sin(2.0 * kPi * (t + p.disturbPhase) / p.disturbPeriod);
    const double measured = sensorBroken ? range.high + 100.0 * f : p.pv + upset + item(SensorCorrection);
    const bool over = measured > range.high;
    const bool under = measured < range.low;
    const double shown = std::clamp(measured, range.low, range.high);

    // Output in tenths of a percent: a holding output plus proportional action, within the limits.
    double mv = 0;
    if (outputOn && !over && !under) {
        if (tuning) {
            mv = std::fmod(t, 10.0) < 5.0 ? 1000.0 : 0.0;   // relay cycling while tuning
        } else {
            const double band = std::max(1.0, item(ProportionalBand) * (range.high - range.low) / 1000.0);
            const double holding = heatCool ? 0.0 : 1000.0 * (sv - ambient) / (range.high - ambient + 1.0);
            mv = holding + 1000.0 * (sv - measured) / band;
        }
        mv = std::clamp(mv, item(OutputLowLimit) * 10.0, item(OutputHighLimit) * 10.0);
        mv = std::clamp(mv, 0.0, 1000.0);
    }
    const bool driving = mv > 0;

    const bool hbFitted = (options & kOptionHeaterBurnout) != 0;
    const double amps = hbFitted && driving && !heaterBroken ? p.heaterAmps : 0.0;
    const bool heaterAlarm = hbFitted && driving && amps * 10.0 < item(HeaterBurnoutValue);

    // Alarms: deviation actions measure from the set value; a standby action stays quiet until
    // the process has once been outside its alarm zone since the output was switched on.
    auto alarm = [&](Process::Alarm &a, int action, int value, int hysteresis) {
        a.on = alarmCondition(action, shown, sv, value, hysteresis, a.on);
        if (!outputOn)
            a.armed = false;
        else if (!a.on)
            a.armed = true;
        return a.on && (a.armed || !hasStandby(action));
    };
    const bool a1 = alarm(p.alarm1, item(Alarm1Action), item(Alarm1Value), item(Alarm1Hysteresis));
    const bool a2 = alarm(p.alarm2, item(Alarm2Action), item(Alarm2Value), item(Alarm2Hysteresis));

    int16_t status = keep;
    if (driving) status |= kControlLamp;
    if (a1) status |= kAlarm1;
    if (a2) status |= kAlarm2;
    if (heaterAlarm) status |= kHeaterBurnout;
    if (over) status |= kOverscale;
    if (under) status |= kUnderscale;
    if (tuning) status |= kAutoTuning;
    if (outputOn) status |= kOutputOn;

    item(ProcessValue) = toCounts(shown);
    item(OutputValue) = toCounts(mv);
    item(HeaterCurrent) = toCounts(amps * 10.0);
    item(StatusWord) = status;
}

} // namespace sim
