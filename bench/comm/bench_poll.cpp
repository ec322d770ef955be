// Full poll run against the simulator paced at 9600 baud with 16 blocks present.
//   polls per second / line limit (9600 / (102 characters x 10 bits) = 9.41/s), goal >= 0.98
//   CPU seconds per wall second of the polling thread, goal <= 0.02
//   start-up read time / line-limited time (656 reads x 102 characters x 10 bits / 9600)
// The simulator serves on its own thread; only the polling (user-interface) thread is timed.
// PLM870_BENCH_POLL_SECONDS sets the length of the poll run (default 20).
#include "BenchSupport.h"
#include "MonitorComm.h"
#include "PLM_INC.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

constexpr int kBaud = 9600;
constexpr double kReadSeconds = bench::blockReadSeconds(kBaud);
constexpr int kStartupReads = 656;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bench::BenchRun run;
    // Every block with a heating/cooling pair, so the start-up read is the full 16 x 41 reads.
    bench::PacedSimulator simulator(16, kBaud, false, [](sim::DeviceModel &model) {
        for (int b = 0; b < 16; ++b)
            model.block(b).optionWord[9] = 0x0400;
    });
    if (!run.ok() || !simulator.start())
        return 1;
    sim::PtyServer &server = simulator.server();

    bench::CountingView view;
    MonitorComm comm;
    comm.setView(&view);
    if (!bench::probeCom1(comm, kBaud))
        return 1;

    std::printf("start-up read of 16 blocks (%d reads) ...\n", kStartupReads);
    std::fflush(stdout);
    server.clearReceived();
    QElapsedTimer wall;
    double cpu0 = bench::processCpuSeconds();
    double windowCpu0 = bench::threadCpuSeconds();
    wall.start();
    comm.Setdata_read();
    bench::runUntilIdle(comm);
    const double startupSeconds = wall.nsecsElapsed() / 1e9;
    const double startupCpu = bench::processCpuSeconds() - cpu0;
    const double startupWindowCpu = bench::threadCpuSeconds() - windowCpu0;
    const size_t startupFrames = server.receivedFrames().size();
    const double startupLine = kStartupReads * kReadSeconds;

    const int pollSeconds = bench::setting("PLM870_BENCH_POLL_SECONDS", 20);
    std::printf("poll run of %d s ...\n", pollSeconds);
    std::fflush(stdout);
    view.restart();
    cpu0 = bench::processCpuSeconds();
    windowCpu0 = bench::threadCpuSeconds();
    wall.restart();
    bench::pollFor(comm, pollSeconds);
    const double pollWall = wall.nsecsElapsed() / 1e9;
    const double pollCpu = bench::processCpuSeconds() - cpu0;
    const double pollWindowCpu = bench::threadCpuSeconds() - windowCpu0;
    const double pollsPerSecond = view.pollsPerSecond();
    const double lineLimit = 1.0 / kReadSeconds;

    std::printf("\n== bench_poll (simulator paced at 9600 baud, 16 blocks)\n");
    std::printf("start-up read: %zu reads in %.2f s, line-limited %.2f s -> time ratio %.3f (1.000 = line speed)\n",
                startupFrames, startupSeconds, startupLine, startupSeconds / startupLine);
    std::printf("start-up read: CPU %.3f s per wall s (window's thread %.3f, the rest the line thread)\n",
                startupCpu / startupSeconds, startupWindowCpu / startupSeconds);
    std::printf("poll run: %ld polls in %.2f s = %.3f/s, line limit %.3f/s -> ratio %.3f (goal >= 0.98)\n",
                view.polls, pollWall, pollsPerSecond, lineLimit, pollsPerSecond / lineLimit);
    std::printf("poll run: CPU %.3f s in %.2f s -> %.4f CPU s per wall s (goal <= 0.02; window's thread %.4f)\n",
                pollCpu, pollWall, pollCpu / pollWall, pollWindowCpu / pollWall);
    std::printf("poll run: communication error notice shown %ld times\n", view.errors);
    comm.closePort();
    return 0;
}
