// Back-to-back block reads against the simulator paced at the line rate: how close the link
// comes to the line's limit, and what the waiting costs the calling thread.
#include "BenchSupport.h"
#include "STDComm.h"

#include <QCoreApplication>
#include <cstdio>
#include <ctime>

namespace {

constexpr double kSecondsPerSpeed = 4.0;

double seconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Returns false when the run could not be made.
bool runAt(int baud)
{
    bench::PacedSimulator simulator(1, baud, true);
    if (!simulator.start())
        return false;

    tobrel::STDComm link;
    link.setPort(QStringLiteral("COM1"));
    link.setBaudRate(QString::number(baud));
    link.setTimeOut(300);
    link.setEventsCheck(true);
    if (!link.PortOpen()) {
        std::fprintf(stderr, "bench_link: port refused\n");
        return false;
    }

    const QString addr(QChar(0x20)), sub(QChar(0x20)), read(QChar(0x22)), item = QStringLiteral("0080");
    link.RWcomm(addr, sub, read, item, QString(), 1); // the first read opens the way

    int good = 0, failed = 0;
    const double wallStart = seconds(CLOCK_MONOTONIC);
    const double cpuStart = seconds(CLOCK_THREAD_CPUTIME_ID);
    double wall = 0;
    while (wall < kSecondsPerSpeed) {
        const QString reply = link.RWcomm(addr, sub, read, item, QString(), 1);
        if (reply.size() == 91 && link.isDataNum(reply) == 20)
            ++good;
        else
            ++failed;
        wall = seconds(CLOCK_MONOTONIC) - wallStart;
    }
    const double cpu = seconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
    link.PortClose();

    const double perSecond = good / wall;
    const double limit = 1.0 / bench::blockReadSeconds(baud);
    std::printf("link %5d baud: %d reads (%d failed) in %.2f s: %.2f reads/s, line limit %.2f reads/s, "
                "ratio %.3f (goal >= 0.98)\n",
                baud, good, failed, wall, perSecond, limit, perSecond / limit);
    std::printf("link %5d baud: caller CPU %.4f s in %.2f s: %.4f CPU s per wall s (goal <= 0.02)\n", baud, cpu,
                wall, cpu / wall);
    return failed == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool ok = runAt(9600);
    ok = runAt(19200) && ok;
    return ok ? 0 : 1;
}
