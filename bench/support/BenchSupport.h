// What the benchmarks share: a run of their own (preferences, data folder and history file in
// a temporary folder, messages silenced), the simulator paced at a line rate and reached as
// COM1 (on its own thread or as its own process), the link driver probed on it and polling
// for a while, the CPU clocks, and the run lengths set from the environment.
#pragma once

#include "LinkView.h"
#include "PtyServer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

class MonitorComm;

namespace bench {

// One block read on the line: the 11-character request and the 91-character reply, 10 bits a
// character at 7E1.
constexpr double kCharactersPerRead = 11 + 91;
constexpr double blockReadSeconds(int baud) { return kCharactersPerRead * 10 / baud; }

// A whole number from the environment (PLM870_BENCH_...), or the fallback when unset or not positive.
int setting(const char *name, int fallback);

// The value below which the share p (0..1) of the values lie; 0 for none.
double percentile(std::vector<double> values, double p);

double threadCpuSeconds();
double processCpuSeconds(); // every thread of the program

// Preferences, the data folder (PLM870_HOME) and this run's history file in a temporary folder
// under `base` (the system's temporary folder when empty), and a prompter that keeps quiet.
// Construct it after the application object. Undone when destroyed.
class BenchRun {
public:
    explicit BenchRun(const QString &base = QString());
    ~BenchRun();
    BenchRun(const BenchRun &) = delete;
    BenchRun &operator=(const BenchRun &) = delete;
    bool ok() const { return m_dir.isValid(); } // false: the folder could not be made (printed)
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// The simulator on its own thread, paced at `baud`, with `blocks` blocks present (values that
// stay as set unless `live`), reached as COM1. `shape` changes the model before it serves.
class PacedSimulator {
public:
    PacedSimulator(int blocks, int baud, bool live = false,
                   const std::function<void(sim::DeviceModel &)> &shape = {});
    ~PacedSimulator();
    bool start(); // false: why is printed
    sim::PtyServer &server() { return *m_server; }

private:
    std::unique_ptr<sim::PtyServer> m_server;
};

// plm870sim beside the benchmark, as its own process (so the figures of the benchmark's
// process are the polling program's alone), live values, reached as COM1.
class SimulatorProcess {
public:
    SimulatorProcess(const QString &folder, int blocks, int baud);
    ~SimulatorProcess();
    bool start(); // false: why is printed

private:
    QProcess m_process;
    QString m_link;
    QStringList m_arguments;
};

// The link driver on COM1 at `baud`; false (printed) when the simulator did not answer.
bool probeCom1(MonitorComm &comm, int baud);
// COM1 opened at `baud` with the reply time-out, without a probe; false (printed) when it did not open.
bool openCom1(MonitorComm &comm, int baud, int timeOutMs);
// Runs the application's event loop until the driver has nothing waiting and nothing on the line.
void runUntilIdle(MonitorComm &comm);

// Counts the polls (every poll ends with a refresh) and times the first and the last, so a
// rate leaves out the partial transactions at both ends of a run.
class CountingView : public NullLinkView {
public:
    void refreshDisplay() override;
    void setCommErrorNoticeVisible(bool visible) override { errors += visible ? 1 : 0; }
    void restart() { polls = 0; lastPollNs = 0; }
    double pollsPerSecond() const; // between the first and the last poll
    long polls = 0;
    long errors = 0;
    QElapsedTimer firstPoll;
    qint64 lastPollNs = 0;
};

// Polls from the link timer for `seconds` in the application's event loop, then stops.
void pollFor(MonitorComm &comm, int seconds);

} // namespace bench
