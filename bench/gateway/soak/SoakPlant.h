// The plant of the chaos soak: the simulator of 16 blocks (values held still) driven by the
// soak, with its own record of what it did, against which the gateway is judged:
// - a heartbeat: the PV of channel 1 of every block is a counter that goes up every second,
//   and the time each count was set is kept, so an answer tells how old its values are;
// - alarm edges: one status bit of one channel turned on or off at a time, each kept;
//   a bit is changed again only after it has held `hold` and its block has answered three
//   reads of its status words since, so that every state it takes is there for a gateway
//   that polls to see (a gateway killed and started again reads them only after its
//   start-up read);
// - silences: a block, or every block (the whole line), stops answering;
// - the stale limit as the documentation words it (three of the block's own poll periods, at
//   least 5 s), from the frames the simulator answered.
// Thread-safe where the Modbus clients call it (heartbeatSetAt, staleLimit).
#pragma once

#include "PtyServer.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <array>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace soak {

// The six conditions a status word carries and the history records, in the history's order.
struct Condition {
    int mask;
    const char *on, *off; // the history's content texts
};
extern const std::array<Condition, 6> kConditions;

struct Edge {
    double at; // seconds of the soak's clock
    int channel; // 0..319
    int condition; // index into kConditions
    bool on;
};

class Plant {
public:
    Plant(const QElapsedTimer &clock, double holdSeconds, quint32 seed);
    bool start(std::string *error);
    std::string device() const { return server_.slavePath(); }

    void beat();       // the heartbeat's next count
    void makeEdge();   // one alarm edge on a bit that has held long enough
    void sampleLine(); // takes the frames received since the last call
    void silence(const std::vector<int> &blocks, bool silent);
    // The gateway went away: a gap across it is no poll period.
    void gatewayRestarted();

    std::vector<Edge> edges() const;
    int heartbeat() const;
    // When the count was set, and when the next one replaced it (-1: still current or unknown).
    bool heartbeatSetAt(int count, double *set, double *replaced) const;
    // The stale limit of a block at `at` by the documented rule, from the answered frames of
    // the minute before.
    double staleLimit(int block, double at) const;

private:
    double now() const { return double(clock_.nsecsElapsed()) / 1e9; }

    const QElapsedTimer &clock_;
    double hold_;
    QRandomGenerator rng_;
    sim::PtyServer server_;
    mutable std::mutex mutex_;
    std::vector<double> beats_; // time each count was set, by count
    std::vector<Edge> edges_;
    std::array<double, 320 * 6> changedAt_{};
    std::array<long, 320 * 6> readsAtChange_{};
    std::array<bool, 320 * 6> onNow_{};
    std::array<long, 16> statusReads_{}; // answered reads of "0083", by block
    std::array<bool, 16> silent_{};
    std::array<double, 16> lastAnswered_{};           // -1: no answered frame since a gap
    std::array<std::deque<std::pair<double, double>>, 16> periods_; // (at, gap) per block
};

} // namespace soak
