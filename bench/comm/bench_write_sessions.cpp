// Randomized operator sessions in simulated time over many random seeds (1,000,000 unless a
// count is given): sessions per second, simulated operator-hours, failures (goal 0), and every
// failing seed with its session in the form the test's kept regressions take. `--seed S` runs
// the one session of seed S again; `--show S` prints it in that form without running it. Then
// one fixed scenario: 16 blocks, block 2 dead for 20 s with a main-setting write waiting for it; how
// long after its return the write reaches it, in simulated ms.
#include "WriteSessionGen.h"

#include "DiskWriter.h"
#include "LinkRequests.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "STDComm.h"
#include "SimulatedWorld.h"
#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>

using namespace PLM_INC;

namespace {

// Where and when the device took each write of one block and item.
class WriteTimes final : public DeviceWatcher {
public:
    WriteTimes(int block, QString item) : block_(block), item_(std::move(item)) {}
    void frameSent(size_t, const RequestFrame &, qint64) override {}
    void frameReaching(size_t, const RequestFrame &frame, DeviceTook, qint64 at) override
    {
        if (frame.command == 0x52 && frame.block == block_ && frame.item == item_)
            times.push_back(at);
    }
    void replyTaken(size_t, const RequestFrame &, const std::string &, bool) override {}
    std::vector<qint64> times;

private:
    int block_;
    QString item_;
};

// -1 when the write never reached the block within a minute of its return.
qint64 deadBlockReturnToWrite()
{
    CommTestEnvironment env;
    diskWriter().setDiskSync([](QFile &) { return true; });
    PendingRequests.clear();
    auto *world = new SimulatedWorld(sim::DeviceModel::allBlocks(16), 9600);
    SimulatedClock &clock = world->clock();
    FaultyDevice device(world->line(), world->model(), 1);
    WriteTimes writes(2, QStringLiteral("0001"));
    device.setWatcher(&writes);
    RecordingLinkView view;
    qint64 latency = -1;
    {
        MonitorComm comm(std::unique_ptr<LinkService>(world), world->takeClock());
        comm.setView(&view);
        comm.configureLink([](tobrel::STDComm &link) {
            link.setPort(QStringLiteral("COM1"));
            link.PortOpen();
            link.setTimeOut(300);
        });
        world->runFor(1);
        LinkRequest = 0;
        comm.timer4().start();
        while (view.startupFinishedCount == 0 && clock.nowMs() < 300000)
            world->runFor(1000);
        const qint64 back = clock.nowMs() + 20000;
        device.killBlock(2, clock.nowMs(), back);
        world->runFor(1000);
        MainSetting[2 * kChannelsPerBlock + 3] = 345;
        PendingRequests.push(ItemWriteRequest(QStringLiteral("0001"), {2 * kChannelsPerBlock + 3}));
        world->runFor(back - clock.nowMs() + 60000);
        const auto first = std::find_if(writes.times.begin(), writes.times.end(), [back](qint64 t) { return t >= back; });
        if (first != writes.times.end())
            latency = *first - back;
    }
    PendingRequests.clear();
    diskWriter().setDiskSync({});
    return latency;
}

// The session of one seed; false (and the session printed) when it fails.
bool sessionPasses(uint64_t seed, qint64 &simulatedMs)
{
    const auto [setup, steps] = session::SessionOfSeed(seed);
    const session::Outcome outcome = session::RunSession(setup, steps);
    simulatedMs += outcome.simulatedMs;
    if (outcome.ok)
        return true;
    std::printf("seed %llu failed: %s\n%s\n", static_cast<unsigned long long>(seed), qPrintable(outcome.failure),
                session::regressionForm(setup, steps).c_str());
    std::fflush(stdout);
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qint64 simulatedMs = 0;
    if (argc > 2 && std::strcmp(argv[1], "--seed") == 0)
        return sessionPasses(std::strtoull(argv[2], nullptr, 10), simulatedMs) ? 0 : 1;
    if (argc > 2 && std::strcmp(argv[1], "--show") == 0) {
        const auto [setup, steps] = session::SessionOfSeed(std::strtoull(argv[2], nullptr, 10));
        std::printf("%s\n", session::regressionForm(setup, steps).c_str());
        return 0;
    }
    const long count = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1000000L;
    const uint64_t base = (uint64_t(std::random_device()()) << 32) | std::random_device()();
    std::printf("write sessions: seeds %llu and on\n", static_cast<unsigned long long>(base));
    std::fflush(stdout); // a run that never ends still names its seeds
    long failures = 0;
    QElapsedTimer real;
    real.start();
    for (long i = 0; i < count; ++i)
        if (!sessionPasses(base + uint64_t(i), simulatedMs))
            ++failures;
    const double seconds = double(real.nsecsElapsed()) / 1e9;
    std::printf("write sessions: %ld in %.1f s = %.0f sessions/s, %.1f simulated operator-hours, %ld failed (goal 0)\n",
                count, seconds, double(count) / seconds, double(simulatedMs) / 3.6e6, failures);
    const qint64 latency = deadBlockReturnToWrite();
    if (latency < 0)
        std::printf("dead block: the waiting write did not reach block 2 within 60 s of its return\n");
    else
        std::printf("dead block: the waiting write reached block 2 %lld ms (simulated) after its return\n", latency);
    return failures == 0 ? 0 : 1;
}
