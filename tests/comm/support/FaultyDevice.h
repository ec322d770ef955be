// The far end of a simulated line with faults on both sides of the device, drawn from a seed:
// a request lost before the device takes it, a reply lost after the device applied the
// request, a refusal (NAK without applying), a request damaged on its way (the device answers
// NAK without applying), a reply damaged on its way back (its sum, any character or its end),
// a reply that comes after the link's time-out, a read's reply sent twice, a reply followed by
// stray bytes.
// Blocks can be dead for a while, the whole line unplugged, and one block can answer every
// write late for the whole session. Whoever watches is told what the device took and what the
// program was given.
#pragma once

#include "DeviceModel.h"
#include "SimulatedLine.h"
#include "SimulatedWorld.h"

#include <QtGlobal>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Per-mille rates of the faults drawn for each frame.
struct FaultRates {
    int requestLost = 0;
    int replyLost = 0;
    int refused = 0;
    int requestDamaged = 0;
    int replyDamaged = 0;
    int late = 0;
    int doubled = 0; // the same reply to a read sent twice
    int trailed = 0; // stray bytes after the reply's end
};

// What the device did with a frame that reached it.
enum class DeviceTook {
    Applied, // answered (ACK) after doing what it asked
    Refused, // answered NAK and did nothing
};

class DeviceWatcher {
public:
    virtual ~DeviceWatcher() = default;
    // Every frame the program put on the line, as it wrote it, before anything else of it.
    virtual void frameSent(size_t index, const RequestFrame &frame, qint64 at) = 0;
    // A frame the device is about to act on (its model still as before it), intact or not.
    virtual void frameReaching(size_t index, const RequestFrame &frame, DeviceTook took, qint64 at) = 0;
    // The program has taken a whole, intact reply; onTime: during the frame it answers.
    virtual void replyTaken(size_t index, const RequestFrame &frame, const std::string &reply, bool onTime) = 0;
    // The link took a whole reply (ACK or NAK through ETX, whatever its sum or its origin) while
    // this frame was the last one sent: what it read as the frame's answer.
    virtual void replyAssembled(size_t, const RequestFrame &, const std::string &) {}
};

class FaultyDevice {
public:
    FaultyDevice(ModelLine &line, sim::DeviceModel &model, uint32_t seed);

    void setWatcher(DeviceWatcher *watcher) { watcher_ = watcher; }
    void setRates(const FaultRates &rates) { rates_ = rates; }
    // Writes to this block are answered after the time-out, reads as usual; -1: none.
    void setLateWritesBlock(int block) { lateWrites_ = block; }
    // A damaged reply has any character changed or its end cut off, not only its sum changed.
    void setAnyReplyDamage(bool any) { anyReplyDamage_ = any; }
    // A damaged request has any character changed or its end cut off, not only its sum changed.
    void setAnyRequestDamage(bool any) { anyRequestDamage_ = any; }
    void killBlock(int block, qint64 from, qint64 until) { dead_.push_back({block, from, until}); }
    void unplug(qint64 from, qint64 until) { dead_.push_back({-1, from, until}); }
    // The device is gone: a write to the line raises the line's error, as a vanished adapter's does.
    void failLine(qint64 from, qint64 until) { dead_.push_back({kLineGone, from, until}); }
    // Reading from the line raises the line's error, as a failing adapter's does.
    void failReads(qint64 from, qint64 until) { dead_.push_back({kReadsFail, from, until}); }
    // Every fault off but the late-writes block.
    void quiet();
    bool anyDeadAfter(qint64 at) const;

private:
    static constexpr int kLineGone = -2;
    static constexpr int kReadsFail = -3;
    bool during(int kind, qint64 at) const;
    struct Outage {
        int block; // -1: the whole line silent; kLineGone, kReadsFail: the line raises errors
        qint64 from, until;
    };
    enum class Fault { None, RequestLost, ReplyLost, Refused, RequestDamaged, ReplyDamaged, Late, Doubled, Trailed };

    FarEndAnswer answer(const std::string &frame, qint64 at);
    void taken(size_t index);
    void characterTaken(char c);
    Fault draw();
    bool silent(int block, qint64 at) const;
    static std::string checksumChanged(std::string bytes);
    std::string damaged(std::string bytes, bool anywhere);
    std::string strayBytes();

    ModelLine &line_;
    sim::DeviceModel &model_;
    std::mt19937 rng_;
    FaultRates rates_;
    int lateWrites_ = -1;
    bool anyReplyDamage_ = false;
    bool anyRequestDamage_ = false;
    std::string assembling_; // the reply the link reads to the last frame sent, from its ACK or NAK
    bool assembled_ = false;
    std::vector<Outage> dead_;
    DeviceWatcher *watcher_ = nullptr;
    struct Answered {
        RequestFrame frame;
        std::string reply; // "" when none was sent
        bool intact = true;
    };
    std::vector<Answered> answered_; // by frame index
};
