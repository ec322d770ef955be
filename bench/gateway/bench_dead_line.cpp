// A dead line as a SCADA sees it: plm870-gateway on the simulator of 16 blocks, the simulator
// stopped (SIGSTOP: the line goes silent, the device stays), and a Modbus client asking every
// unit until each answers exception 0B; then the line back until each is good again; then the
// gateway's end (SIGTERM) with a line that never answers, from the start and after polling.
// Usage: bench_dead_line [9600|19200]...; every figure is measured on the real clock.
#include "ModbusMap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <modbus/modbus.h>

namespace {

bool waitForLine(QProcess &p, const QByteArray &text, int limitMs, QByteArray *seen)
{
    QElapsedTimer t;
    t.start();
    while (!seen->contains(text) && t.elapsed() < limitMs) {
        p.waitForReadyRead(200);
        *seen += p.readAll();
    }
    return seen->contains(text);
}

// 1 when the unit's values and quality read good, 0 on exception 0B, -1 otherwise.
int unitState(modbus_t *ctx, int unit)
{
    uint16_t r[3]; // the last option word, the age and the quality
    modbus_set_slave(ctx, unit);
    if (modbus_read_input_registers(ctx, modbus::kAgeRegister - 1, 3, r) == 3)
        return r[2] == modbus::kQualityGood ? 1 : -1;
    return errno == EMBXGTAR ? 0 : -1;
}

// Milliseconds until every unit is in `state`, asked in turn; -1 after limitMs.
qint64 untilEvery(modbus_t *ctx, int state, int limitMs)
{
    QElapsedTimer t;
    t.start();
    bool done[16] = {};
    int left = 16;
    while (left > 0 && t.elapsed() < limitMs) {
        for (int unit = 1; unit <= 16; ++unit)
            if (!done[unit - 1] && unitState(ctx, unit) == state) {
                done[unit - 1] = true;
                --left;
            }
        QThread::msleep(20);
    }
    return left == 0 ? t.elapsed() : -1;
}

qint64 endTime(QProcess &gateway)
{
    QElapsedTimer t;
    t.start();
    ::kill(pid_t(gateway.processId()), SIGTERM);
    return gateway.waitForFinished(60000) ? t.elapsed() : -1;
}

struct Rig {
    QTemporaryDir dir;
    QProcess sim, gateway;
    int port = 0;
    bool start(const QString &baud, bool stopLine)
    {
        const QString bin = QCoreApplication::applicationDirPath();
        const QString com = dir.filePath(QStringLiteral("com1"));
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.start(bin + QStringLiteral("/plm870sim"), {QStringLiteral("--blocks"), QStringLiteral("0-15"), QStringLiteral("--baud"),
                                                      baud, QStringLiteral("--link"), com});
        QByteArray out;
        if (!waitForLine(sim, "PTY ", 10000, &out))
            return false;
        if (stopLine)
            ::kill(pid_t(sim.processId()), SIGSTOP);
        port = 20000 + int((QCoreApplication::applicationPid() + baud.toInt()) % 20000);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PLM870_HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        gateway.setProcessEnvironment(env);
        gateway.setProcessChannelMode(QProcess::MergedChannels);
        gateway.start(bin + QStringLiteral("/plm870-gateway"), {QStringLiteral("--port"), com, QStringLiteral("--speed"), baud,
                                                               QStringLiteral("--modbus"), QStringLiteral("127.0.0.1:%1").arg(port)});
        return gateway.waitForStarted(10000);
    }
    ~Rig()
    {
        ::kill(pid_t(sim.processId()), SIGCONT);
        gateway.kill();
        gateway.waitForFinished(10000);
        sim.terminate();
        sim.waitForFinished(10000);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList speeds = app.arguments().mid(1);
    if (speeds.isEmpty())
        speeds = {QStringLiteral("9600"), QStringLiteral("19200")};
    for (const QString &baud : speeds) {
        Rig rig;
        QByteArray out;
        if (!rig.start(baud, false) || !waitForLine(rig.gateway, "Start-up read done", 300000, &out)) {
            std::fprintf(stderr, "the gateway did not start polling at %s: %s\n", qPrintable(baud), out.constData());
            return 1;
        }
        modbus_t *ctx = modbus_new_tcp("127.0.0.1", rig.port);
        if (!ctx || modbus_connect(ctx) != 0) {
            std::fprintf(stderr, "no Modbus connection: %s\n", modbus_strerror(errno));
            return 1;
        }
        modbus_set_response_timeout(ctx, 5, 0);
        const qint64 ready = untilEvery(ctx, 1, 60000);
        ::kill(pid_t(rig.sim.processId()), SIGSTOP);
        const qint64 stale = untilEvery(ctx, 0, 60000);
        ::kill(pid_t(rig.sim.processId()), SIGCONT);
        const qint64 good = untilEvery(ctx, 1, 60000);
        ::kill(pid_t(rig.sim.processId()), SIGSTOP);
        QThread::sleep(3);
        modbus_close(ctx);
        modbus_free(ctx);
        const qint64 end = endTime(rig.gateway);
        std::printf("%s baud, 16 blocks: every unit good after the start-up read in %lld ms\n", qPrintable(baud), ready);
        std::printf("%s baud, 16 blocks: dead line to 0B on every unit   %6lld ms (goal <= 10000)\n", qPrintable(baud), stale);
        std::printf("%s baud, 16 blocks: line back to every unit good    %6lld ms\n", qPrintable(baud), good);
        std::printf("%s baud: end (SIGTERM to exit), line silent for 3 s %6lld ms (goal < 10000)\n", qPrintable(baud), end);
    }
    // A line that never answered: the gateway is still probing the port when it is told to stop.
    Rig silent;
    if (!silent.start(QStringLiteral("9600"), true))
        return 1;
    QThread::sleep(5);
    std::printf("end (SIGTERM to exit), a line that never answered   %6lld ms (goal < 10000)\n", endTime(silent.gateway));
    std::fflush(stdout);
    return 0;
}
