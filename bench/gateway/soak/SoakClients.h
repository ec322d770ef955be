// The Modbus TCP clients of the chaos soak, each on its own thread until stop():
// - readers (libmodbus) that read every unit in turn and check each good answer against the
//   plant: its heartbeat count must not have been replaced longer ago than the block's stale
//   limit, and its alarm bits must be the alarm conditions of its status words;
// - a slow client (from 127.0.0.2) that sends a request a byte at a time, and a garbage client
//   (from 127.0.0.3) that sends bytes that are not Modbus TCP; each must be closed by the
//   gateway, and connects again.
#pragma once

#include "SoakPlant.h"

#include <QStringList>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace soak {

struct ClientFigures {
    long good = 0, gatewayFailed = 0, absent = 0, noAnswer = 0;
    long staleAsGood = 0, unsound = 0;
    double oldestGoodS = 0;   // the longest time a value served as good had been replaced
    double worstMarginS = -1e9; // that time minus the block's stale limit, worst case
    long slowClosed = 0, garbageClosed = 0, notClosed = 0;
    double slowLongestS = 0, garbageLongestS = 0; // first byte to the gateway's close
};

class Clients {
public:
    Clients(const Plant &plant, const QElapsedTimer &clock, int port);
    ~Clients();
    void start(int readers);
    void stop();
    ClientFigures figures() const;
    long goodAnswers() const; // so far, every reader
    QStringList failures() const; // the first few, with what was wrong

private:
    void read(int reader);
    void slow();
    void garbage();
    void fail(const QString &what);
    double now() const { return double(clock_.nsecsElapsed()) / 1e9; }
    // Connects from `source` and runs `talk` until the gateway closes; seconds from its first
    // byte to the close, -1 when it was not closed within the limit.
    double untilClosed(const char *source, const std::function<bool(int fd, int step)> &talk);

    const Plant &plant_;
    const QElapsedTimer &clock_;
    int port_;
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> threads_;
    mutable std::mutex mutex_;
    ClientFigures figures_;
    QStringList failures_;
};

} // namespace soak
