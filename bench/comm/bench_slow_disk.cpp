// The poll cycle while history lines go to a slow disk. The simulator, paced at 9600 baud
// with 4 blocks, answers one request in five with NAK, so every few transactions add a line to
// the alarm history file. Two runs: the disk as it is, and a disk whose sync takes 300 ms per
// line (an SD card or a network share). Printed: transactions per second and the mean time
// per transaction of each run, the history lines written, and the slow run's figures over the
// normal run's (1.00 = the slow disk costs the poll cycle nothing).
// PLM870_BENCH_POLL_SECONDS sets the length of each run (default 15).
#include "BenchSupport.h"
#include "AlarmHistory.h"
#include "DiskWriter.h"
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
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>

namespace {

class QuietPrompter : public PLM_INC::ConsolePrompter {
public:
    void message(const QString &, const QString & = QString()) override {}
};

struct Run {
    double transactionsPerSecond;
    double msPerTransaction;
    long historyLines;
};

long historyLines()
{
    PLM_INC::diskWriter().waitUntilWritten();
    QFile file(PLM_INC::HistoryFileName);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return long(file.readAll().count('\n')) - 2;
}

// Each run starts the same sequence of NAKs, so both runs see the same replies.
Run pollFor(QCoreApplication &app, MonitorComm &comm, sim::PtyServer &server, int seconds)
{
    const long linesBefore = historyLines();
    sim::Faults faults;
    faults.nak = 0.2;
    server.setFaults(faults);
    server.clearReceived();
    PLM_INC::LinkRequest = 1;
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, &app, [&] {
        comm.timer4().stop();
        app.quit();
    });
    QElapsedTimer wall;
    wall.start();
    comm.timer4().start();
    stop.start(seconds * 1000);
    app.exec();
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const double transactions = double(server.receivedFrames().size());
    return {transactions / elapsed, elapsed * 1000 / transactions, historyLines() - linesBefore};
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

    sim::DeviceModel model = sim::DeviceModel::allBlocks(4);
    model.setLive(false);
    sim::ServeOptions options;
    options.baud = 9600;
    sim::PtyServer server(std::move(model), options);
    std::string error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    qputenv("PLM870_COM1", QByteArray::fromStdString(server.slavePath()));
    NullLinkView view;
    MonitorComm comm;
    comm.setView(&view);
    if (!bench::probeCom1(comm, 9600))
        return 1;
    comm.Setdata_read();
    bench::runUntilIdle(comm);

    const int seconds = qEnvironmentVariableIntValue("PLM870_BENCH_POLL_SECONDS") > 0
        ? qEnvironmentVariableIntValue("PLM870_BENCH_POLL_SECONDS")
        : 15;
    std::printf("poll runs of %d s, 4 blocks at 9600 baud, one reply in five a NAK ...\n", seconds);
    std::fflush(stdout);
    const Run normal = pollFor(app, comm, server, seconds);
    PLM_INC::diskWriter().setDiskSync([](QFile &file) {
        QThread::msleep(300);
        return PLM_INC::DiskWriter::syncToDisk(file);
    });
    const Run slow = pollFor(app, comm, server, seconds);
    PLM_INC::diskWriter().setDiskSync({});

    std::printf("\n== bench_slow_disk\n");
    std::printf("disk as it is:      %.2f transactions/s, %.1f ms per transaction, %ld history lines\n",
                normal.transactionsPerSecond, normal.msPerTransaction, normal.historyLines);
    std::printf("sync 300 ms a line: %.2f transactions/s, %.1f ms per transaction, %ld history lines\n",
                slow.transactionsPerSecond, slow.msPerTransaction, slow.historyLines);
    std::printf("slow disk / disk as it is: time per transaction %.3f (1.000 = no cost)\n",
                slow.msPerTransaction / normal.msPerTransaction);
    comm.closePort();
    server.stop();
    return 0;
}
