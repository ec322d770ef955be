// Fifty browsers of the live view against plm870-gateway on the simulator of a 16-block
// installation at 19200 baud (live values): the gateway's CPU time per wall second added by
// their streams (goal: <= 0.02), the poll rate with them against without (goal: ratio >= 0.99),
// the time from a poll to its message at a browser (p50, p99; goal: p99 < 1 s), and the
// gateway's memory per connected browser. The browsers are stand-ins that read the stream as
// EventSource does, each from a loopback address of its own.
// PLM870_BENCH_SECONDS sets each phase's length (default 30).
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kBrowsers = 50;

int phaseSeconds()
{
    const int s = qEnvironmentVariableIntValue("PLM870_BENCH_SECONDS");
    return s > 0 ? s : 30;
}

// utime + stime of a process, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(::sysconf(_SC_CLK_TCK));
}

double rssKiB(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble();
    return 0;
}

QByteArray get(quint16 port, const QByteArray &target)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    s.write("GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    QByteArray all;
    while (s.waitForReadyRead(10000))
        all += s.readAll();
    return all.mid(all.indexOf("\r\n\r\n") + 4);
}

// Poll steps of every block so far, from the metrics.
double polls(quint16 port)
{
    double sum = 0;
    for (const QByteArray &line : get(port, "/metrics").split('\n'))
        if (line.startsWith("plm870_polls_total{"))
            sum += line.mid(line.lastIndexOf(' ') + 1).toDouble();
    return sum;
}

// A browser's stream: each message's age at arrival, from the time it carries (the oldest
// poll result in it).
struct Browser : QTcpSocket {
    QByteArray pending;
    std::vector<double> *latenciesMs = nullptr;
    bool opened = false;
    Browser(int i, quint16 port, std::vector<double> *latencies) : latenciesMs(latencies)
    {
        bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(10 + i)));
        connect(this, &QTcpSocket::readyRead, this, &Browser::take);
        connectToHost(QHostAddress::LocalHost, port);
        write("GET /events HTTP/1.1\r\nHost: x\r\nAccept: text/event-stream\r\n\r\n");
    }
    void take()
    {
        pending += readAll();
        const QDateTime now = QDateTime::currentDateTime();
        qsizetype end;
        while ((end = pending.indexOf("\n\n")) >= 0) {
            const QByteArray event = pending.left(end);
            pending.remove(0, end + 2);
            const qsizetype time = event.lastIndexOf("\"time\":\"");
            if (!event.contains("data: ") || time < 0)
                continue;
            if (!opened) { // the opening is the whole state, not a poll's message
                opened = true;
                continue;
            }
            const QDateTime at = QDateTime::fromString(QString::fromLatin1(event.mid(time + 8, 23)), Qt::ISODateWithMs);
            if (latenciesMs && at.isValid())
                latenciesMs->push_back(double(at.msecsTo(now)));
        }
    }
};

void runFor(int seconds)
{
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath();
    QTemporaryDir dir;
    const QString tty = dir.filePath(QStringLiteral("tty"));
    QProcess sim;
    sim.start(bin + QStringLiteral("/plm870sim"), {QStringLiteral("--blocks"), QStringLiteral("0-15"), QStringLiteral("--baud"),
                                                   QStringLiteral("19200"), QStringLiteral("--link"), tty});
    if (!sim.waitForStarted(10000) || !sim.waitForReadyRead(10000)) {
        std::printf("plm870sim did not start\n");
        return 1;
    }
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    QProcess gateway;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PLM870_HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    gateway.setProcessEnvironment(env);
    gateway.setStandardOutputFile(QProcess::nullDevice());
    gateway.setStandardErrorFile(QProcess::nullDevice());
    gateway.start(bin + QStringLiteral("/plm870-gateway"),
                  {QStringLiteral("--port"), tty, QStringLiteral("--http"), QStringLiteral("127.0.0.1:%1").arg(port)});
    if (!gateway.waitForStarted(10000))
        return 1;
    for (int i = 0; i < 600 && get(port, "/api/state").count("\"stale\":false,\"health\"") < 16; ++i)
        QThread::msleep(500);
    const qint64 pid = gateway.processId();
    const int seconds = phaseSeconds();
    runFor(5); // settled

    // A phase: the gateway's CPU per wall second and the poll steps per second.
    const auto phase = [&](double *cpuPerSecond, double *pollRate) {
        const double cpu0 = cpuSeconds(pid), polls0 = polls(port);
        QElapsedTimer wall;
        wall.start();
        runFor(seconds);
        const double s = double(wall.elapsed()) / 1000.0;
        *cpuPerSecond = (cpuSeconds(pid) - cpu0) / s;
        *pollRate = (polls(port) - polls0) / s;
    };
    double cpuAlone = 0, pollsAlone = 0, cpuWith = 0, pollsWith = 0;
    phase(&cpuAlone, &pollsAlone);
    const double rssBefore = rssKiB(pid);
    std::vector<double> latencies;
    std::vector<std::unique_ptr<Browser>> browsers;
    for (int i = 0; i < kBrowsers; ++i)
        browsers.push_back(std::make_unique<Browser>(i, port, &latencies));
    runFor(5);
    const double rssWith = rssKiB(pid);
    latencies.clear();
    phase(&cpuWith, &pollsWith);
    const long connected = std::count_if(browsers.begin(), browsers.end(), [](const auto &b) {
        return b->state() == QAbstractSocket::ConnectedState;
    });

    std::printf("%d browsers of the live view, 16 blocks at 19200 baud, %d s a phase (%ld connected at the end)\n",
                kBrowsers, seconds, connected);
    std::printf("  gateway CPU: %.4f s/s alone, %.4f s/s with them: added %.4f s/s (goal: <= 0.02)\n", cpuAlone, cpuWith,
                cpuWith - cpuAlone);
    std::printf("  poll steps: %.2f/s alone, %.2f/s with them: ratio %.3f (goal: >= 0.99)\n", pollsAlone, pollsWith,
                pollsAlone > 0 ? pollsWith / pollsAlone : 0.0);
    std::printf("  poll to message at a browser: p50 %.0f ms, p99 %.0f ms over %zu messages (goal: p99 < 1000 ms)\n",
                percentile(latencies, 0.5), percentile(latencies, 0.99), latencies.size());
    std::printf("  gateway memory per connected browser: %.1f KiB (RSS %.0f -> %.0f KiB)\n",
                (rssWith - rssBefore) / kBrowsers, rssBefore, rssWith);
    browsers.clear();
    gateway.terminate();
    gateway.waitForFinished(30000);
    sim.terminate();
    sim.waitForFinished(10000);
    return 0;
}
