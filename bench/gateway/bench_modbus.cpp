// Eight Modbus TCP clients against plm870-gateway on the simulator of a 16-block installation
// at 19200 baud: the serial line's rate with and without them (goal: ratio >= 0.99), the
// gateway's CPU with and without them, the requests per second it serves, and the answer time
// of one 125-register read (p50, p99), of one client polling every 10 ms and of eight clients
// reading in a loop. Every answer is checked.
// PLM870_BENCH_SECONDS sets each phase's length (default 60).
#include "ModbusMap.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kClients = 8;
constexpr int kRegisters = 125;

int phaseSeconds()
{
    const int s = qEnvironmentVariableIntValue("PLM870_BENCH_SECONDS");
    return s > 0 ? s : 60;
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

qint64 lines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().count('\n');
}

// An answer of the input registers 0..124 is sound: the channels are all fitted (registers
// 100..119), and each channel's alarm bits are the alarm conditions of its status word in the
// same answer (taken from the image at one moment).
bool soundAnswer(const uint16_t *r)
{
    using namespace modbus;
    const uint16_t masks[kAlarmKinds] = {0x0002, 0x0004, 0x0008, 0x2000, 0x0010, 0x0020};
    for (int ch = 0; ch < kChannels; ++ch) {
        if (r[Fitted * kChannels + ch] != 1)
            return false;
        uint16_t bits = 0;
        for (int k = 0; k < kAlarmKinds; ++k)
            if (r[Status * kChannels + ch] & masks[k])
                bits |= uint16_t(1u << k);
        if (r[AlarmBits * kChannels + ch] != bits)
            return false;
    }
    return true;
}

struct ClientRun {
    std::vector<double> answerMs;
    long answers = 0;
    long wrong = 0;
    long failed = 0;
};

// A connection from a loopback address of the client's own (127.0.0.2, .3, ...): the gateway
// lets one address hold half its slots.
int connectFrom(int index, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 2 + uint32_t(index));
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        return -1;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void runClient(int port, int index, double seconds, int pauseMs, ClientRun *run)
{
    modbus_t *ctx = modbus_new_tcp("127.0.0.1", port);
    const int fd = ctx ? connectFrom(index, port) : -1;
    if (fd < 0) {
        ++run->failed;
        if (ctx)
            modbus_free(ctx);
        return;
    }
    modbus_set_socket(ctx, fd);
    modbus_set_response_timeout(ctx, 5, 0);
    uint16_t r[kRegisters];
    const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (int n = 0; Clock::now() < end; ++n) {
        modbus_set_slave(ctx, 1 + (index + n) % 16);
        const Clock::time_point t0 = Clock::now();
        const int got = modbus_read_input_registers(ctx, 0, kRegisters, r);
        run->answerMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        if (got != kRegisters)
            ++run->failed;
        else if (!soundAnswer(r))
            ++run->wrong;
        else
            ++run->answers;
        if (pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    modbus_close(ctx);
    modbus_free(ctx);
}

struct Phase {
    double framesPerSecond = 0;
    double cpuPerSecond = 0;
    ClientRun clients;
};

Phase measure(qint64 gatewayPid, const QString &trace, int clients, double seconds, int port, int pauseMs = 0)
{
    Phase p;
    const qint64 frames0 = lines(trace);
    const double cpu0 = cpuSeconds(gatewayPid);
    QElapsedTimer wall;
    wall.start();
    std::vector<ClientRun> runs(size_t(std::max(clients, 1)));
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
        threads.emplace_back(runClient, port, i, seconds, pauseMs, &runs[size_t(i)]);
    if (clients == 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    for (std::thread &t : threads)
        t.join();
    const double elapsed = double(wall.elapsed()) / 1000.0;
    p.framesPerSecond = double(lines(trace) - frames0) / elapsed;
    p.cpuPerSecond = (cpuSeconds(gatewayPid) - cpu0) / elapsed;
    for (ClientRun &r : runs) {
        p.clients.answers += r.answers;
        p.clients.wrong += r.wrong;
        p.clients.failed += r.failed;
        p.clients.answerMs.insert(p.clients.answerMs.end(), r.answerMs.begin(), r.answerMs.end());
    }
    return p;
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

bool waitForLine(QProcess &p, const QByteArray &text, int limitMs, QByteArray *seen)
{
    QElapsedTimer t;
    t.start();
    while (!seen->contains(text) && t.elapsed() < limitMs) {
        p.waitForReadyRead(200);
        *seen += p.readAll() + p.readAllStandardError();
    }
    return seen->contains(text);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString bin = QCoreApplication::applicationDirPath();
    const int seconds = phaseSeconds();
    QTemporaryDir dir;
    const QString com = dir.filePath(QStringLiteral("com1"));
    const QString trace = dir.filePath(QStringLiteral("frames"));

    QProcess sim;
    sim.setProcessChannelMode(QProcess::MergedChannels); // its "PTY" line and any complaint together
    sim.start(bin + QStringLiteral("/plm870sim"), {QStringLiteral("--blocks"), QStringLiteral("0-15"), QStringLiteral("--baud"),
                                                  QStringLiteral("19200"), QStringLiteral("--link"), com,
                                                  QStringLiteral("--trace"), trace});
    QByteArray simOut;
    if (!waitForLine(sim, "PTY ", 10000, &simOut)) {
        std::fprintf(stderr, "the simulator did not start: %s\n", simOut.constData());
        return 1;
    }
    const int port = 20000 + int(QCoreApplication::applicationPid() % 20000);
    QProcess gateway;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PLM870_HOME"), dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    gateway.setProcessEnvironment(env);
    gateway.start(bin + QStringLiteral("/plm870-gateway"),
                  {QStringLiteral("--port"), com, QStringLiteral("--speed"), QStringLiteral("19200"), QStringLiteral("--modbus"),
                   QStringLiteral("127.0.0.1:%1").arg(port)});
    QByteArray gatewayOut;
    if (!waitForLine(gateway, "Start-up read done", 300000, &gatewayOut)) {
        std::fprintf(stderr, "the gateway did not start polling: %s\n", gatewayOut.constData());
        return 1;
    }
    QThread::sleep(2); // the first poll cycle, so that every block has values
    const qint64 pid = gateway.processId();
    std::printf("16 blocks at 19200 baud, %d s per phase\n", seconds);

    // One client as a SCADA polls: a read every 10 ms, each answer timed.
    const Phase alone = measure(pid, trace, 1, std::min(seconds, 20), port, 10);
    const Phase quiet = measure(pid, trace, 0, seconds, port);
    const Phase busy = measure(pid, trace, kClients, seconds, port);

    const double ratio = busy.framesPerSecond / quiet.framesPerSecond;
    std::printf("line rate without clients        %8.2f frames/s\n", quiet.framesPerSecond);
    std::printf("line rate with %d clients         %8.2f frames/s  ratio %.4f (goal >= 0.99: %s)\n", kClients,
                busy.framesPerSecond, ratio, ratio >= 0.99 ? "met" : "NOT met");
    std::printf("gateway CPU without clients      %8.4f s/s\n", quiet.cpuPerSecond);
    std::printf("gateway CPU with %d clients       %8.4f s/s  (added %.4f s/s)\n", kClients, busy.cpuPerSecond,
                busy.cpuPerSecond - quiet.cpuPerSecond);
    std::printf("requests served with %d clients   %8.0f /s   (%ld answers, %ld wrong, %ld failed)\n", kClients,
                double(busy.clients.answers + busy.clients.wrong) / seconds, busy.clients.answers, busy.clients.wrong,
                busy.clients.failed);
    std::printf("one 125-register read every 10 ms p50 %.3f ms  p99 %.3f ms  (%ld reads, %ld wrong, %ld failed)\n",
                percentile(alone.clients.answerMs, 0.5), percentile(alone.clients.answerMs, 0.99), alone.clients.answers,
                alone.clients.wrong, alone.clients.failed);
    std::printf("125-register reads in a loop, %d   p50 %.3f ms  p99 %.3f ms\n", kClients,
                percentile(busy.clients.answerMs, 0.5), percentile(busy.clients.answerMs, 0.99));
    std::printf("every answer correct: %s\n",
                busy.clients.wrong + busy.clients.failed + alone.clients.wrong + alone.clients.failed == 0 ? "yes" : "NO");

    gateway.terminate();
    gateway.waitForFinished(30000);
    sim.terminate();
    sim.waitForFinished(10000);
    return 0;
}
