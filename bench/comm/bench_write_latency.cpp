// How long a setting change waits for the line while 16 blocks are polled at 9600 baud:
// from the moment the operator presses OK to the moment the simulator receives the write
// frame, as a ratio of one block read's line time (102 characters x 10 bits / 9600 = 106 ms).
// Goal: at most 1.1 (the write waits for the transaction in flight and nothing else).
// The presses fall at times spread over the poll cycle; the press is counted from the time
// it was due, so the wait for the transaction under way when it came is included.
// PLM870_BENCH_WRITES sets the number of presses (default 40). PLM870_BENCH_DURING_PAUSE=1
// presses "Control ON/OFF" only while a block send's 15-second pause runs instead.
#include "BenchSupport.h"
#include "ChangeRules.h"
#include "LinkRequests.h"
#include "LinkView.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "SettingWrite.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr int kBaud = 9600;
constexpr double kReadSeconds = bench::blockReadSeconds(kBaud);
constexpr int kGapMs = 1300;

const char *gItem = "0001"; // the item the presses write

bool isWriteOfPressedItem(const std::string &frame)
{
    return frame.size() > 8 && frame[3] == 0x52 && frame.compare(4, 4, gItem) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bench::BenchRun run;
    bench::PacedSimulator simulator(16, kBaud);
    if (!run.ok() || !simulator.start())
        return 1;
    sim::PtyServer &server = simulator.server();

    NullLinkView view;
    MonitorComm comm;
    comm.setView(&view);
    if (!bench::probeCom1(comm, kBaud))
        return 1;
    PLM_INC::BlockAbsent.fill(0);
    PLM_INC::LinkRequest = 1;
    const bool duringPause = qEnvironmentVariableIntValue("PLM870_BENCH_DURING_PAUSE") == 1;
    if (duringPause)
        gItem = "0009";
    const int presses = bench::setting("PLM870_BENCH_WRITES", 40);

    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> dueNs{-1};
    std::atomic<bool> running{true};
    std::vector<double> waits;
    // The watcher sees the frame arrive at the simulator within a millisecond.
    std::thread watcher([&] {
        while (running) {
            const qint64 due = dueNs.load();
            if (due >= 0) {
                const std::vector<std::string> frames = server.receivedFrames();
                if (std::any_of(frames.begin(), frames.end(), isWriteOfPressedItem)) {
                    waits.push_back((clock.nsecsElapsed() - due) / 1e9);
                    dueNs = -1;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    int made = 0;
    QTimer press;
    press.setTimerType(Qt::PreciseTimer);
    press.setSingleShot(true);
    qint64 nextDueNs = 0;
    std::printf("%d presses of OK while polling 16 blocks at 9600 baud ...\n", presses);
    std::fflush(stdout);
    bool pauseWhenScheduled = false;
    std::function<void()> schedule = [&] {
        pauseWhenScheduled = comm.timer3(0).isActive();
        // A different phase of the transaction under way for every press.
        const int gap = kGapMs + (made * 37) % 107;
        nextDueNs = clock.nsecsElapsed() + qint64(gap) * 1000000;
        press.start(gap);
    };
    QObject::connect(&press, &QTimer::timeout, &app, [&] {
        if (dueNs.load() >= 0) { // the last one never arrived
            std::fprintf(stderr, "a write did not reach the line\n");
            app.exit(1);
            return;
        }
        if (made == presses) {
            app.quit();
            return;
        }
        if (duringPause && !(comm.timer3(0).isActive() && pauseWhenScheduled)) {
            // A block send of block 16 first; the presses fall in its pause (a press due while
            // its first phase held the window is not one).
            if (!comm.transferInProgress())
                PLM_INC::PendingRequests.push(PLM_INC::BlockSendRequest(15));
            schedule();
            return;
        }
        server.clearReceived();
        dueNs = nextDueNs; // the moment the press was due, before the tick in flight ended
        if (duringPause) {
            PLM_INC::ToggleOutputOnMonitorPage(made % 300);
        } else {
            PLM_INC::MainSetting[made % 320] = int16_t(made);
            PLM_INC::RequestSettingWrite(1, made % 320);
        }
        ++made;
        schedule();
    });
    comm.timer4().start();
    schedule();
    const int rc = app.exec();
    running = false;
    watcher.join();
    comm.timer4().stop();
    comm.closePort();
    if (rc != 0 || waits.empty())
        return 1;

    std::sort(waits.begin(), waits.end());
    double sum = 0;
    for (double w : waits)
        sum += w;
    const double mean = sum / double(waits.size());
    const double p95 = waits[size_t(double(waits.size() - 1) * 0.95)];
    std::printf("\n== bench_write_latency (simulator paced at 9600 baud, 16 blocks polled%s)\n",
                duringPause ? ", presses in a block send's pause" : "");
    std::printf("%s -> write frame at the simulator, %zu presses: mean %.1f ms, 95th %.1f ms, max %.1f ms\n",
                duringPause ? "Control ON/OFF" : "OK", waits.size(),
                mean * 1e3, p95 * 1e3, waits.back() * 1e3);
    std::printf("one block read on the line: %.1f ms -> ratio mean %.3f, max %.3f (goal max <= 1.1)\n", kReadSeconds * 1e3,
                mean / kReadSeconds, waits.back() / kReadSeconds);
    return 0;
}
