// Serves a DeviceModel on a pseudo-terminal: frames in, replies out at the line rate, with
// faults injected on request. Runs on its own thread; every public call is thread-safe.
#pragma once

#include "DeviceModel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

struct Faults {
    double drop = 0, badChecksum = 0, nak = 0, stray = 0, late = 0;  // probabilities 0..1
    int lateMs = 400;
    uint32_t seed = 1;
};

struct ServeOptions {
    int baud = 0;              // 0 = unpaced, else the line's speed (9600, 19200, ...): 10 bits a character
    Faults faults;
    std::string tracePath;     // received frames, one per line; empty = no trace
    std::string replyTracePath; // replies as sent (faults included), one per line; empty = none
};

class PtyServer {
public:
    PtyServer(DeviceModel model, ServeOptions options);
    ~PtyServer();                                    // stops and closes
    PtyServer(const PtyServer &) = delete;
    PtyServer &operator=(const PtyServer &) = delete;

    bool start(std::string *error = nullptr);        // opens the pty (raw mode) and serves on its own thread
    void stop();
    std::string slavePath() const;                   // e.g. /dev/pts/7, valid after start()
    std::vector<std::string> receivedFrames() const; // every request frame received so far
    // Frames received that get no reply at all (absent block, dropped reply), counted as
    // each frame's fate is decided on arrival; clearReceived() does not reset it.
    size_t unansweredFrames() const;
    void clearReceived();
    void withModel(const std::function<void(DeviceModel &)> &f);  // runs f under the server's lock
    void setFaults(const Faults &f);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace sim
