// The simulator on a pseudo-terminal with COM1 pointed at it, and what it received.
#pragma once

#include "TestEnvironment.h"

#include <QString>
#include <initializer_list>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {
class PtyServer;
class DeviceModel;
} // namespace sim

class MonitorComm;
namespace tobrel {
class STDComm;
}

// One request frame as the simulator received it.
struct RequestFrame {
    int block = -1;
    char command = 0;
    QString item;
    QString data;
};
RequestFrame parseFrame(const std::string &frame);
// "R 0 0080" for a read, "W 3 0005" for a write: a compact trace for comparisons. Only a frame
// that is byte for byte the one its fields make (sub-address 0x20, checksum, STX .. ETX) is
// summed up so; any other shows as "bad" and its bytes in hex.
QStringList frameSummary(const std::vector<std::string> &frames);

// The simulator on a pseudo-terminal, COM1 pointing at it; values stand still unless told.
class SimulatedLine {
public:
    explicit SimulatedLine(sim::DeviceModel model, int baud = 0, bool live = false);
    ~SimulatedLine();
    bool start();
    sim::PtyServer &server() { return *server_; }
    std::vector<std::string> frames() const;
    QStringList summary() const { return frameSummary(frames()); }
    void clear();
    // Runs the link's reply deadline on a clock that moves only when the simulator leaves a
    // frame unanswered: a reply on its way is waited for however slow a loaded machine makes
    // it, a frame nobody answers times out at once. No outcome depends on the machine's speed.
    void driveDeadlineOf(tobrel::STDComm &link);

private:
    std::unique_ptr<sim::PtyServer> server_;
};

// A simulated installation of these blocks, every channel connected.
sim::DeviceModel presentBlocks(std::initializer_list<int> present);
// The image as the start-up read leaves it for these blocks, without its 600 reads; polling
// starts at block 0's process values.
void markPresent(std::initializer_list<int> present);

// Runs f on the driver's link, on whichever thread owns it, and waits for it (a test's set-up).
void runOnLink(MonitorComm &comm, const std::function<void(tobrel::STDComm &)> &f);
// Waits until the driver has no step waiting and nothing on the line; false after 120 s.
bool waitUntilIdle(MonitorComm &comm);

// A link driver with a recording view and its port open on the simulator (without the probe,
// which needs block 0), its reply deadline driven by the simulator (driveDeadlineOf).
// timeOutMs replaces the link's 300 ms; 0 keeps 300.
std::unique_ptr<MonitorComm> connectedComm(SimulatedLine &line, RecordingLinkView &view, int timeOutMs = 80);

