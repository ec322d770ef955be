// CPU seconds per wall second of the program polling 16 blocks at 9600 baud, without a broker
// and then while publishing to a local broker; the difference is what publishing costs
// (goal: at most 0.002). The simulator runs as its own process (plm870sim beside this
// program), so the figures are the polling program's own: its thread and libmosquitto's.
// PLM870_BENCH_POLL_SECONDS sets the length of each run (default 20).
#include "BenchSupport.h"
#include "LinkHealth.h"
#include "LocalBroker.h"
#include "MonitorComm.h"
#include "MqttClient.h"
#include "PLM_INC.h"
#include "Publisher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kBaud = 9600;

struct Run {
    double cpuPerSecond = 0;
    long polls = 0;
    uint64_t messages = 0;
};

Run pollFor(MonitorComm &comm, bench::CountingView &view, int seconds)
{
    view.restart();
    const double cpu0 = bench::processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    bench::pollFor(comm, seconds);
    Run r;
    r.cpuPerSecond = (bench::processCpuSeconds() - cpu0) / (double(wall.nsecsElapsed()) / 1e9);
    r.polls = view.polls;
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bench::BenchRun run;
    if (!run.ok())
        return 1;
    // Live values (the simulator's default), so publishing has changes to send.
    bench::SimulatorProcess simulator(run.folder(), 16, kBaud);
    if (!simulator.start())
        return 1;

    bench::CountingView view;
    MonitorComm comm;
    comm.setView(&view);
    if (!bench::probeCom1(comm, kBaud))
        return 1;
    for (int ch = 0; ch < PLM_INC::kChannels; ++ch) {
        PLM_INC::ChannelConnected[ch] = 1;
        PLM_INC::InputType[ch] = 8;
    }
    PLM_INC::BlockAbsent.fill(0);
    LinkHealth health;
    QObject::connect(&comm, &MonitorComm::transactionDone, &health, &LinkHealth::noteTransaction);
    QObject::connect(&comm, &MonitorComm::blockPolled, &health, [&health](int b, int v, ReplyKind k) { health.notePoll(b, v, k); });
    Publisher publisher(comm, health);

    const int seconds = bench::setting("PLM870_BENCH_POLL_SECONDS", 20);
    std::printf("poll run of %d s without a broker ...\n", seconds);
    std::fflush(stdout);
    const Run without = pollFor(comm, view, seconds);

    LocalBroker broker;
    if (LocalBroker::program().isEmpty() || !broker.start()) {
        std::fprintf(stderr, "mosquitto did not start: %s\n", qPrintable(broker.error()));
        return 1;
    }
    BrokerSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = broker.port();
    s.prefix = QStringLiteral("bench");
    if (!publisher.start(s)) {
        std::fprintf(stderr, "publisher did not start\n");
        return 1;
    }
    QElapsedTimer wait;
    wait.start();
    while (!publisher.client()->connected() && wait.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("poll run of %d s publishing to a broker on 127.0.0.1:%d ...\n", seconds, broker.port());
    std::fflush(stdout);
    const uint64_t handed0 = publisher.client()->handedOver();
    Run with = pollFor(comm, view, seconds);
    with.messages = publisher.client()->handedOver() - handed0;
    publisher.stop();

    std::printf("without broker: %.4f CPU s / wall s, %.2f polls/s\n", without.cpuPerSecond, without.polls / double(seconds));
    std::printf("publishing:     %.4f CPU s / wall s, %.2f polls/s, %.1f messages/s\n", with.cpuPerSecond,
                with.polls / double(seconds), with.messages / double(seconds));
    std::printf("publishing costs %.4f CPU s / wall s more (goal <= 0.002); poll rate ratio %.3f\n",
                with.cpuPerSecond - without.cpuPerSecond, double(with.polls) / double(std::max(1L, without.polls)));
    return 0;
}
