#include "BenchSupport.h"

#include "AlarmHistory.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Prompter.h"
#include "STDComm.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace bench {

namespace {

// A benchmark answers no box: the figures are what matters, not what the link complains about.
class QuietPrompter : public PLM_INC::ConsolePrompter {
public:
    void message(const QString &, const QString & = QString()) override {}
};

QString templateUnder(const QString &base)
{
    const QString folder = base.isEmpty() ? QDir::tempPath() : base;
    return folder + QStringLiteral("/plm870_bench_XXXXXX");
}

} // namespace

int setting(const char *name, int fallback)
{
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

BenchRun::BenchRun(const QString &base) : m_dir(templateUnder(base))
{
    if (!m_dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder under %s\n", qPrintable(base.isEmpty() ? QDir::tempPath() : base));
        return;
    }
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    qputenv("PLM870_HOME", QFile::encodeName(m_dir.path()));
    Prefs::reopen();
    static QuietPrompter quiet;
    PLM_INC::setPrompter(&quiet);
    CreateHistoryFile(m_dir.path(), QDateTime::currentDateTime());
}

BenchRun::~BenchRun()
{
    PLM_INC::setPrompter(nullptr);
    // The preferences are written now, while the folder is still there, not at the program's
    // end into a folder made again.
    Prefs::reopen();
}

PacedSimulator::PacedSimulator(int blocks, int baud, bool live, const std::function<void(sim::DeviceModel &)> &shape)
{
    sim::DeviceModel model = sim::DeviceModel::allBlocks(blocks);
    model.setLive(live);
    if (shape)
        shape(model);
    sim::ServeOptions options;
    options.baud = baud;
    m_server = std::make_unique<sim::PtyServer>(std::move(model), options);
}

PacedSimulator::~PacedSimulator()
{
    m_server->stop();
}

bool PacedSimulator::start()
{
    std::string error;
    if (!m_server->start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return false;
    }
    qputenv("PLM870_COM1", QByteArray::fromStdString(m_server->slavePath()));
    return true;
}

SimulatorProcess::SimulatorProcess(const QString &folder, int blocks, int baud)
    : m_link(folder + QStringLiteral("/tty"))
    , m_arguments{QStringLiteral("--blocks"), QStringLiteral("0-%1").arg(blocks - 1), QStringLiteral("--baud"),
                  QString::number(baud), QStringLiteral("--link"), m_link}
{
}

SimulatorProcess::~SimulatorProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
}

bool SimulatorProcess::start()
{
    m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870sim"), m_arguments);
    // The link appears once the simulator serves; polling the folder is all there is to wait on.
    QElapsedTimer up;
    up.start();
    while (!QFileInfo::exists(m_link) && up.elapsed() < 20000 && m_process.state() != QProcess::NotRunning)
        QThread::msleep(50);
    if (!QFileInfo::exists(m_link)) {
        std::fprintf(stderr, "the simulator did not start: %s\n", qPrintable(m_process.errorString()));
        return false;
    }
    qputenv("PLM870_COM1", QFile::encodeName(m_link));
    return true;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}

bool probeCom1(MonitorComm &comm, int baud)
{
    QEventLoop loop;
    QString answer;
    comm.probePort(QStringLiteral("COM1"), QString::number(baud), [&](const QString &result) {
        answer = result;
        loop.quit();
    });
    loop.exec();
    if (answer != QLatin1String("ok")) {
        std::fprintf(stderr, "the simulator did not answer the probe\n");
        return false;
    }
    return true;
}

bool openCom1(MonitorComm &comm, int baud, int timeOutMs)
{
    QEventLoop loop;
    bool opened = false;
    comm.configureLink(
        [&opened, baud, timeOutMs](tobrel::STDComm &link) {
            link.setPort(QStringLiteral("COM1"));
            link.setBaudRate(QString::number(baud));
            link.setTimeOut(timeOutMs);
            try {
                opened = link.PortOpen();
            } catch (const std::exception &) {
            }
        },
        [&loop] { loop.quit(); });
    loop.exec();
    if (!opened)
        std::fprintf(stderr, "the port did not open\n");
    return opened;
}

void runUntilIdle(MonitorComm &comm)
{
    QEventLoop loop;
    QObject::connect(&comm, &MonitorComm::idle, &loop, &QEventLoop::quit);
    if (comm.busy())
        loop.exec();
}

void CountingView::refreshDisplay()
{
    if (polls++ == 0)
        firstPoll.start();
    else
        lastPollNs = firstPoll.nsecsElapsed();
}

double CountingView::pollsPerSecond() const
{
    return polls > 1 && lastPollNs > 0 ? double(polls - 1) / (double(lastPollNs) / 1e9) : 0.0;
}

void pollFor(MonitorComm &comm, int seconds)
{
    PLM_INC::LinkRequest = 1;
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, [&comm] {
        comm.timer4().stop();
        QCoreApplication::quit();
    });
    comm.timer4().start();
    stop.start(seconds * 1000);
    QCoreApplication::exec();
}

} // namespace bench
