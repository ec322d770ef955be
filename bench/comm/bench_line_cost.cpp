// What a transaction costs with the product's thread set-up: the link driver on this thread,
// the link on its line thread, the simulator (plm870sim, its own process, so that every figure
// is the polling program's alone) on a pseudo-terminal paced at 9600 baud, polling 2 and then
// 16 blocks. Per transaction (one poll each):
//   wake-ups of the window's thread and of the line thread (voluntary context switches: each is
//   one return from a wait in the event loop or the port), and of the program's other threads;
//   read and write system calls of the program (syscr + syscw of /proc/self/io);
// and CPU s per wall s of the program, and polls per second as a share of the line limit.
// Needs no tracer and runs as root. PLM870_BENCH_POLL_SECONDS sets each run's length (default 15).
#include "BenchSupport.h"
#include "MonitorComm.h"
#include "PLM_INC.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kBaud = 9600;

// A field of a /proc file of this process ("/proc/self/io", "syscr: 123").
long long procField(const QString &path, const QString &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpression line(QStringLiteral("^%1:\\s*(\\d+)").arg(name), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(file.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

struct Counts {
    long long windowWakes = 0;
    long long lineWakes = 0;
    long long otherWakes = 0;
    long long syscalls = 0;
    double cpu = 0;
};

Counts countNow()
{
    Counts c;
    const QString tasks = QStringLiteral("/proc/self/task");
    const QString self = QString::number(::getpid());
    for (const QString &tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString task = tasks + QLatin1Char('/') + tid;
        const long long wakes = procField(task + QStringLiteral("/status"), QStringLiteral("voluntary_ctxt_switches"));
        QFile comm(task + QStringLiteral("/comm"));
        const bool line = comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "line";
        (tid == self ? c.windowWakes : line ? c.lineWakes : c.otherWakes) += wakes;
    }
    c.syscalls = procField(QStringLiteral("/proc/self/io"), QStringLiteral("syscr"))
                 + procField(QStringLiteral("/proc/self/io"), QStringLiteral("syscw"));
    c.cpu = bench::processCpuSeconds();
    return c;
}

bool runBlocks(const QString &folder, int blocks, int seconds)
{
    QDir().mkpath(folder);
    bench::SimulatorProcess simulator(folder, blocks, kBaud);
    if (!simulator.start())
        return false;
    bench::CountingView view;
    MonitorComm comm;
    comm.setView(&view);
    if (!bench::probeCom1(comm, kBaud))
        return false;
    // The blocks the simulator serves are present, as the start-up read would have found.
    PLM_INC::BlockAbsent.fill(1);
    for (int b = 0; b < blocks; ++b)
        PLM_INC::BlockAbsent[b] = 0;

    // A short run first, so the run measured starts in the steady state.
    bench::pollFor(comm, 1);
    view.restart();
    const Counts before = countNow();
    QElapsedTimer wall;
    wall.start();
    bench::pollFor(comm, seconds);
    const double wallSeconds = wall.nsecsElapsed() / 1e9;
    const Counts after = countNow();
    comm.closePort();

    const double polls = double(std::max(1L, view.polls));
    const double lineShare = view.pollsPerSecond() * bench::blockReadSeconds(kBaud);
    std::printf("%6d %9ld %8.2f %8.2f %8.2f %9.2f %9.4f %8.3f\n", blocks, view.polls,
                double(after.windowWakes - before.windowWakes) / polls, double(after.lineWakes - before.lineWakes) / polls,
                double(after.otherWakes - before.otherWakes) / polls, double(after.syscalls - before.syscalls) / polls,
                (after.cpu - before.cpu) / wallSeconds, lineShare);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bench::BenchRun run;
    if (!run.ok())
        return 1;
    const int seconds = bench::setting("PLM870_BENCH_POLL_SECONDS", 15);
    std::printf("== bench_line_cost (line thread, plm870sim on a pty at %d baud, %d s a run)\n", kBaud, seconds);
    std::printf("per poll: wake-ups of the window's thread, the line thread and the others; read/write system calls\n");
    std::printf("goals: window 1, line no more than one thread did; CPU <= 0.003 s per wall s; share >= 0.995\n");
    std::printf("%6s %9s %8s %8s %8s %9s %9s %8s\n", "blocks", "polls", "window", "line", "other", "syscalls",
                "cpu/wall", "share");
    for (int blocks : {2, 16}) {
        if (!runBlocks(run.folder() + QStringLiteral("/b%1").arg(blocks), blocks, seconds))
            return 1;
    }
    return 0;
}
