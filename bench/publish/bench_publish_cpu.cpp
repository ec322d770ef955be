// CPU seconds per wall second of the program polling 16 blocks at 9600 baud, without a broker
// and then while publishing to a local broker; the difference is what publishing costs
// (goal: at most 0.002). The simulator runs as its own process (plm870sim beside this
// program), so the figures are the polling program's own: its thread and libmosquitto's.
// PLM870_BENCH_POLL_SECONDS sets the length of each run (default 20).
#include "AlarmHistory.h"
#include "LinkHealth.h"
#include "LinkView.h"
#include "LocalBroker.h"
#include "MonitorComm.h"
#include "MqttClient.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Prompter.h"
#include "Publisher.h"
#include "STDComm.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class QuietPrompter : public PLM_INC::ConsolePrompter {
public:
    void message(const QString &, const QString & = QString()) override {}
};

struct Run {
    double cpuPerSecond = 0;
    long polls = 0;
    uint64_t messages = 0;
};

class CountingView : public NullLinkView {
public:
    void refreshDisplay() override { ++polls; }
    long polls = 0;
};

Run pollFor(QCoreApplication &app, MonitorComm &comm, CountingView &view, int seconds)
{
    PLM_INC::LinkRequest = 1;
    view.polls = 0;
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, &app, [&] {
        comm.timer4().stop();
        app.quit();
    });
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    comm.timer4().start();
    stop.start(seconds * 1000);
    app.exec();
    Run r;
    r.cpuPerSecond = (processCpuSeconds() - cpu0) / (double(wall.nsecsElapsed()) / 1e9);
    r.polls = view.polls;
    return r;
}

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

    // Live values (the simulator's default), so publishing has changes to send.
    QProcess simulator;
    const QString tty = dir.filePath(QStringLiteral("tty"));
    simulator.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870sim"),
                    {QStringLiteral("--blocks"), QStringLiteral("0-15"), QStringLiteral("--baud"), QStringLiteral("9600"),
                     QStringLiteral("--link"), tty});
    QElapsedTimer up;
    up.start();
    while (!QFileInfo::exists(tty) && up.elapsed() < 20000)
        QThread::msleep(50);
    if (!QFileInfo::exists(tty)) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    qputenv("PLM870_COM1", QFile::encodeName(tty));

    CountingView view;
    MonitorComm comm;
    comm.setView(&view);
    comm.PLMCom().setEventsCheck(true);
    if (comm.ProbePort(QStringLiteral("COM1"), QStringLiteral("9600")) != QLatin1String("ok")) {
        std::fprintf(stderr, "the simulator did not answer the probe\n");
        return 1;
    }
    for (int ch = 0; ch < PLM_INC::kChannels; ++ch) {
        PLM_INC::ChannelConnected[ch] = 1;
        PLM_INC::InputType[ch] = 8;
    }
    PLM_INC::BlockAbsent.fill(0);
    LinkHealth health;
    QObject::connect(&comm, &MonitorComm::transactionDone, &health, &LinkHealth::noteTransaction);
    QObject::connect(&comm, &MonitorComm::blockPolled, &health, [&health](int b, int, ReplyKind k) { health.notePoll(b, k); });
    Publisher publisher(comm, health);

    const int seconds = qEnvironmentVariableIntValue("PLM870_BENCH_POLL_SECONDS") > 0
        ? qEnvironmentVariableIntValue("PLM870_BENCH_POLL_SECONDS")
        : 20;
    std::printf("poll run of %d s without a broker ...\n", seconds);
    std::fflush(stdout);
    const Run without = pollFor(app, comm, view, seconds);

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
    Run with = pollFor(app, comm, view, seconds);
    with.messages = publisher.client()->handedOver() - handed0;
    publisher.stop();
    simulator.terminate();
    simulator.waitForFinished(5000);

    std::printf("without broker: %.4f CPU s / wall s, %.2f polls/s\n", without.cpuPerSecond, without.polls / double(seconds));
    std::printf("publishing:     %.4f CPU s / wall s, %.2f polls/s, %.1f messages/s\n", with.cpuPerSecond,
                with.polls / double(seconds), with.messages / double(seconds));
    std::printf("publishing costs %.4f CPU s / wall s more (goal <= 0.002); poll rate ratio %.3f\n",
                with.cpuPerSecond - without.cpuPerSecond, double(with.polls) / double(std::max(1L, without.polls)));
    return 0;
}
