// What a transaction costs with the product's thread set-up: the main window and its link
// driver on the window's thread, the link on its line thread, and the simulator (plm870sim, its
// own process, so that every figure is the program's alone) on a pseudo-terminal paced at
// 9600 baud, polling 2 and then 16 blocks, each count in a fresh process. Per poll:
//   wake-ups of the window's thread, of the line thread and of the others (voluntary context
//   switches: each is one return from a wait, in the event loop or in the port);
//   read and write system calls of the window's thread and of the line thread (syscr + syscw
//   of /proc/self/task/<thread>/io: an event-loop wake-up written or read is one of them);
// and CPU s per wall s of the program, and polls per second as a share of the line limit.
// Needs no tracer and runs as root. The window is on the platform QT_QPA_PLATFORM names
// (offscreen, or xcb under xvfb-run -a). PLM870_BENCH_POLL_SECONDS sets each run's length
// (default 15).
#include "BenchSupport.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "PLM_INC.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>
#include <map>
#include <unistd.h>

namespace {

constexpr int kBaud = 9600;
constexpr int kReplyTimeOutMs = 300;

// A number field of a /proc file ("syscr: 123").
long long procField(const QString &path, const QString &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QRegularExpression line(QStringLiteral("^%1:\\s*(\\d+)").arg(name), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(file.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

struct ThreadCounts {
    long long wakes = 0;
    long long calls = 0; // read and write system calls
};

struct Counts {
    ThreadCounts window, line, others;
    double cpu = 0;
};

Counts countNow()
{
    Counts c;
    const QString tasks = QStringLiteral("/proc/self/task/");
    const QString self = QString::number(::getpid());
    for (const QString &tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString task = tasks + tid;
        QFile comm(task + QStringLiteral("/comm"));
        const bool line = comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "line";
        ThreadCounts &t = tid == self ? c.window : line ? c.line : c.others;
        t.wakes += procField(task + QStringLiteral("/status"), QStringLiteral("voluntary_ctxt_switches"));
        t.calls += procField(task + QStringLiteral("/io"), QStringLiteral("syscr"))
                   + procField(task + QStringLiteral("/io"), QStringLiteral("syscw"));
    }
    c.cpu = bench::processCpuSeconds();
    return c;
}

// The window's event loop for ms (an application quit would ask to close the window).
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// One block count, in this process: prints its row.
int runBlocks(int blocks, int seconds)
{
    bench::BenchRun run;
    if (!run.ok())
        return 1;
    bench::SimulatorProcess simulator(run.folder(), blocks, kBaud);
    if (!simulator.start())
        return 1;
    MainDisp window;
    window.regRead();
    if (!bench::openCom1(window.comm(), kBaud, kReplyTimeOutMs))
        return 1;
    // The blocks the simulator serves are present, as the start-up read would have found.
    PLM_INC::BlockAbsent.fill(1);
    for (int b = 0; b < blocks; ++b)
        PLM_INC::BlockAbsent[b] = 0;
    PLM_INC::LinkRequest = 1;
    window.show();

    long polls = 0;
    QElapsedTimer sincePoll;
    qint64 firstPollNs = 0;
    qint64 lastPollNs = 0;
    QObject::connect(&window.comm(), &MonitorComm::blockPolled, qApp, [&](int, int, ReplyKind) {
        if (polls++ == 0)
            firstPollNs = sincePoll.nsecsElapsed();
        lastPollNs = sincePoll.nsecsElapsed();
    });
    window.comm().timer4().start();
    runFor(2000); // the window drawn and polling steady before the run measured
    // Two whole rounds of every block's three polls (the output and heater-current reads take
    // turns by round), so that the link has learnt every reply's length before the run is
    // measured, at 16 blocks as at 2.
    while (polls < 6L * blocks)
        runFor(100);

    polls = 0;
    const Counts before = countNow();
    QElapsedTimer wall;
    wall.start();
    sincePoll.start();
    runFor(seconds * 1000);
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const Counts after = countNow();
    window.comm().timer4().stop();
    window.comm().closePort();

    const double n = double(std::max(1L, polls));
    const double rate = polls > 1 ? double(polls - 1) / (double(lastPollNs - firstPollNs) / 1e9) : 0.0;
    std::printf("%6d %7ld %7.3f %9.4f %8.2f %8.2f %8.2f %8.2f %8.2f\n", blocks, polls,
                rate * bench::blockReadSeconds(kBaud), (after.cpu - before.cpu) / wallSeconds,
                double(after.window.wakes - before.window.wakes) / n, double(after.window.calls - before.window.calls) / n,
                double(after.line.wakes - before.line.wakes) / n, double(after.line.calls - before.line.calls) / n,
                double(after.others.wakes - before.others.wakes) / n);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int seconds = bench::setting("PLM870_BENCH_POLL_SECONDS", 15);
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--blocks"))
        return runBlocks(args[2].toInt(), seconds);

    std::printf("== bench_line_cost (%s window, line thread, plm870sim on a pty at %d baud, %d s a run)\n",
                qPrintable(QGuiApplication::platformName()), kBaud, seconds);
    std::printf("per poll: wake-ups (wake) and read/write system calls (calls) of the window's thread and the line\n"
                "thread, wake-ups of the others; goals: window 1 wake-up, CPU <= 0.003 s per wall s, share >= 0.995,\n"
                "the line thread no more wake-ups a poll with 16 blocks than with 2\n");
    std::printf("%6s %7s %7s %9s %8s %8s %8s %8s %8s\n", "blocks", "polls", "share", "cpu/wall", "win.wake", "win.call",
                "line.wak", "line.cal", "oth.wake");
    std::fflush(stdout);
    std::map<int, double> lineWakes;
    for (int blocks : {2, 16}) {
        QProcess one;
        one.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        one.start(QApplication::applicationFilePath(), {QStringLiteral("--blocks"), QString::number(blocks)});
        if (!one.waitForFinished((seconds + 120) * 1000) || one.exitCode() != 0) {
            std::fprintf(stderr, "the run of %d blocks failed\n", blocks);
            return 1;
        }
        const QByteArray row = one.readAllStandardOutput();
        std::fputs(row.constData(), stdout);
        std::fflush(stdout);
        const QList<QByteArray> fields = row.simplified().split(' ');
        if (fields.size() >= 7)
            lineWakes[blocks] = fields[6].toDouble();
    }
    if (lineWakes[2] > 0)
        std::printf("line thread's wake-ups a poll, 16 blocks against 2: %.2f (goal <= 1)\n", lineWakes[16] / lineWakes[2]);
    return 0;
}
