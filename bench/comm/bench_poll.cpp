// Full poll run against the simulator paced at 9600 baud with 16 blocks present.
//   polls per second / line limit (9600 / (102 characters x 10 bits) = 9.41/s), goal >= 0.98
//   CPU seconds per wall second of the polling thread, goal <= 0.02
//   start-up read time / line-limited time (656 reads x 102 characters x 10 bits / 9600)
// The simulator serves on its own thread; only the polling (user-interface) thread is timed.
// PLM870_BENCH_POLL_SECONDS sets the length of the poll run (default 20).
#include "AlarmHistory.h"
#include "LinkView.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Prompter.h"
#include "PtyServer.h"
#include "STDComm.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

constexpr double kBaud = 9600;
constexpr double kCharactersPerRead = 11 + 91;
constexpr double kReadSeconds = kCharactersPerRead * 10 / kBaud;
constexpr int kStartupReads = 656;

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

class CountingView : public NullLinkView {
public:
    // Every poll ends with a refresh; the rate is taken between the first and the last, so
    // the partial transactions at both ends of the run do not count.
    void refreshDisplay() override
    {
        if (polls++ == 0)
            firstPoll.start();
        else
            lastPollNs = firstPoll.nsecsElapsed();
    }
    QElapsedTimer firstPoll;
    qint64 lastPollNs = 0;
    void setCommErrorNoticeVisible(bool visible) override { errors += visible ? 1 : 0; }
    long polls = 0;
    long errors = 0;
};

class QuietPrompter : public PLM_INC::ConsolePrompter {
public:
    void message(const QString &, const QString & = QString()) override {}
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    Prefs::reopen();
    QuietPrompter prompter;
    PLM_INC::setPrompter(&prompter);
    CreateHistoryFile(dir.path(), QDateTime::currentDateTime());

    // Every block with a heating/cooling pair, so the start-up read is the full 16 x 41 reads.
    sim::DeviceModel model = sim::DeviceModel::allBlocks(16);
    for (int b = 0; b < 16; ++b)
        model.block(b).optionWord[9] = 0x0400;
    model.setLive(false);
    sim::ServeOptions options;
    options.baud = int(kBaud);
    sim::PtyServer server(std::move(model), options);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    qputenv("PLM870_COM1", QByteArray::fromStdString(server.slavePath()));

    CountingView view;
    MonitorComm comm;
    comm.setView(&view);
    comm.PLMCom().setEventsCheck(true);
    if (comm.ProbePort(QStringLiteral("COM1"), QStringLiteral("9600")) != QLatin1String("ok")) {
        std::fprintf(stderr, "the simulator did not answer the probe\n");
        return 1;
    }

    std::printf("start-up read of 16 blocks (%d reads) ...\n", kStartupReads);
    std::fflush(stdout);
    server.clearReceived();
    QElapsedTimer wall;
    double cpu0 = threadCpuSeconds();
    wall.start();
    comm.Setdata_read();
    const double startupSeconds = wall.nsecsElapsed() / 1e9;
    const double startupCpu = threadCpuSeconds() - cpu0;
    const size_t startupFrames = server.receivedFrames().size();
    const double startupLine = kStartupReads * kReadSeconds;

    const int pollSeconds = qEnvironmentVariableIntValue("PLM870_BENCH_POLL_SECONDS") > 0
        ? qEnvironmentVariableIntValue("PLM870_BENCH_POLL_SECONDS")
        : 20;
    std::printf("poll run of %d s ...\n", pollSeconds);
    std::fflush(stdout);
    PLM_INC::LinkRequest = 1;
    view.polls = 0;
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, &app, [&] {
        comm.timer4().stop();
        app.quit();
    });
    cpu0 = threadCpuSeconds();
    wall.restart();
    comm.timer4().start();
    stop.start(pollSeconds * 1000);
    app.exec();
    const double pollWall = wall.nsecsElapsed() / 1e9;
    const double pollCpu = threadCpuSeconds() - cpu0;
    const double pollsPerSecond = view.polls > 1 ? (view.polls - 1) / (view.lastPollNs / 1e9) : 0.0;
    const double lineLimit = 1.0 / kReadSeconds;

    std::printf("\n== bench_poll (simulator paced at 9600 baud, 16 blocks)\n");
    std::printf("start-up read: %zu reads in %.2f s, line-limited %.2f s -> time ratio %.3f (1.000 = line speed)\n",
                startupFrames, startupSeconds, startupLine, startupSeconds / startupLine);
    std::printf("start-up read: polling thread CPU %.3f s per wall s\n", startupCpu / startupSeconds);
    std::printf("poll run: %ld polls in %.2f s = %.3f/s, line limit %.3f/s -> ratio %.3f (goal >= 0.98)\n",
                view.polls, pollWall, pollsPerSecond, lineLimit, pollsPerSecond / lineLimit);
    std::printf("poll run: polling thread CPU %.3f s in %.2f s -> %.4f CPU s per wall s (goal <= 0.02)\n", pollCpu,
                pollWall, pollCpu / pollWall);
    std::printf("poll run: communication error notice shown %ld times\n", view.errors);
    comm.closePort();
    server.stop();
    return 0;
}
