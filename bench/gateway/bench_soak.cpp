// The chaos soak: plm870-gateway left alone with a plant that misbehaves. The simulator of 16
// blocks at 19200 baud makes alarm edges and a heartbeat; a real mosquitto carries what the
// gateway publishes to a durable subscriber; two Modbus clients read every unit, while a slow
// and a garbage client come and go. A schedule, one cycle of about 75 s repeated, silences two
// blocks, restarts the broker, kills the gateway with SIGKILL and starts it again at once (within
// the same minute), and silences the whole line; it is repeated while the time allows a whole
// cycle. The gateway starts before the broker.
// At the end it must hold that every alarm edge the simulator made is in the history files
// exactly once and reached the broker, that no Modbus answer gave as good a value older than
// the block's stale limit, and that the gateway never needed a hand: it never ended by itself,
// it came back after every disturbance, and it ends cleanly on SIGTERM.
// Usage: bench_soak [SECONDS] (or PLM870_SOAK_SECONDS; default 600). Prints the figures and
// every failure; exits 1 when a property does not hold.
#include "LocalBroker.h"
#include "SoakClients.h"
#include "SoakOracle.h"
#include "SoakPlant.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {

constexpr double kCycleS = 75;
constexpr double kHoldS = 20; // and three reads of the block's status words (SoakPlant.h)
constexpr int kComeBackMs = 120000; // a limit, never a verdict on speed

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class Soak {
public:
    Soak() : plant_(clock_, kHoldS, 29) { clock_.start(); }

    int run(double seconds);

private:
    double now() const { return double(clock_.nsecsElapsed()) / 1e9; }
    void wait(double seconds) { QTest::qWait(int(seconds * 1000)); checkGateway(); }
    bool waitUntil(const std::function<bool()> &f, int limitMs)
    {
        const bool ok = QTest::qWaitFor(f, limitMs);
        checkGateway();
        return ok;
    }
    void fail(const QString &what)
    {
        failures_ << what;
        std::fprintf(stderr, "FAILED: %s\n", qPrintable(what));
    }
    void checkGateway()
    {
        if (gateway_.state() == QProcess::NotRunning && !killed_) {
            fail(QStringLiteral("the gateway ended by itself at %1 s (exit %2)").arg(now(), 0, 'f', 1).arg(gateway_.exitCode()));
            killed_ = true; // told once; started again as a hand would
            startGateway();
        }
    }
    int startUps() const
    {
        QFile f(home_.filePath(QStringLiteral("gateway.log")));
        return f.open(QIODevice::ReadOnly) ? int(f.readAll().count("Start-up read done")) : 0;
    }
    bool startGateway();
    int onlineCount(bool live) const;
    double untilOnline(const QString &what);
    void cycle(int c);
    bool settled();

    QElapsedTimer clock_;
    soak::Plant plant_;
    QTemporaryDir home_;
    LocalBroker broker_;
    std::unique_ptr<Subscriber> sub_;
    QProcess gateway_;
    bool killed_ = false;
    int modbusPort_ = freePort();
    QStringList failures_;
    QList<double> onlineAfterBroker_, startUpAfterKill_;
    std::vector<std::pair<double, double>> away_; // from a kill to the start-up read done
    int starts_ = 0;
};

bool Soak::startGateway()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PLM870_HOME"), home_.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    gateway_.setProcessEnvironment(env);
    gateway_.setStandardOutputFile(home_.filePath(QStringLiteral("gateway.log")), QIODevice::Append);
    gateway_.setStandardErrorFile(home_.filePath(QStringLiteral("gateway.log")), QIODevice::Append);
    gateway_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway"),
                   {QStringLiteral("--port"), QString::fromStdString(plant_.device()), QStringLiteral("--speed"), QStringLiteral("19200"),
                    QStringLiteral("--broker"), QStringLiteral("127.0.0.1:%1").arg(broker_.port()), QStringLiteral("--prefix"),
                    QStringLiteral("soak"), QStringLiteral("--modbus"), QStringLiteral("127.0.0.1:%1").arg(modbusPort_)});
    ++starts_;
    killed_ = false;
    const int before = startUps();
    if (!gateway_.waitForStarted(10000) || !waitUntil([&] { return startUps() > before; }, kComeBackMs)) {
        fail(QStringLiteral("the gateway did not finish its start-up read (start %1)").arg(starts_));
        return false;
    }
    return true;
}

int Soak::onlineCount(bool live) const
{
    int n = 0;
    for (const ReceivedMessage &m : sub_->on(QStringLiteral("soak/status")))
        n += m.payload == "online" && (!live || !m.retained);
    return n;
}

// Seconds from the broker's start to the gateway's "online" on it.
double Soak::untilOnline(const QString &what)
{
    const int before = sub_ ? onlineCount(true) : 0;
    const double started = now();
    if (!broker_.start()) {
        fail(QStringLiteral("mosquitto did not start: %1").arg(broker_.error()));
        return -1;
    }
    if (!sub_)
        sub_ = std::make_unique<Subscriber>(broker_.port(), QStringLiteral("soak/#"), "plm870-soak");
    const bool first = before == 0;
    if (!waitUntil([&] { return first ? onlineCount(false) > 0 : onlineCount(true) > before; }, kComeBackMs)) {
        fail(QStringLiteral("no \"online\" from the gateway after %1").arg(what));
        return -1;
    }
    return now() - started;
}

void Soak::cycle(int c)
{
    const std::vector<int> two = {c % 16, (c + 5) % 16};
    plant_.silence(two, true);
    wait(12);
    plant_.silence(two, false);
    wait(8);

    broker_.stop();
    wait(8);
    onlineAfterBroker_ << untilOnline(QStringLiteral("a broker restart"));
    wait(5);

    killed_ = true;
    ::kill(pid_t(gateway_.processId()), SIGKILL);
    gateway_.waitForFinished(10000);
    plant_.gatewayRestarted();
    const double killedAt = now();
    startGateway();
    startUpAfterKill_ << now() - killedAt;
    away_.push_back({killedAt, now()});
    wait(8);

    std::vector<int> all;
    for (int b = 0; b < 16; ++b)
        all.push_back(b);
    plant_.silence(all, true);
    wait(10);
    plant_.silence(all, false);
    wait(10);
}

int Soak::run(double seconds)
{
    std::string error;
    if (!plant_.start(&error)) {
        std::fprintf(stderr, "the simulator did not start: %s\n", error.c_str());
        return 1;
    }
    QTimer beat, edges, line;
    QObject::connect(&beat, &QTimer::timeout, [this] { plant_.beat(); });
    QObject::connect(&edges, &QTimer::timeout, [this] { plant_.makeEdge(); });
    QObject::connect(&line, &QTimer::timeout, [this] { plant_.sampleLine(); });
    beat.start(1000);
    line.start(100);
    // The gateway first, the broker later.
    if (!startGateway())
        return 1;
    edges.start(1000);
    soak::Clients clients(plant_, clock_, modbusPort_);
    clients.start(2);
    wait(seconds >= 300 ? 20 : 5);
    const double firstOnline = untilOnline(QStringLiteral("the broker's first start"));

    // Cycles until the time is up (a gateway's start-up read lengthens each), one at least.
    int cycles = 0;
    do
        cycle(cycles++);
    while (now() + kCycleS / 2 < seconds);
    edges.stop();

    // Every edge made has had its chance; the record must be complete within the limit.
    const auto history = [this] { return soak::CheckHistory(home_.filePath(QStringLiteral("hystory")), plant_.edges()); };
    const auto alarms = [this] {
        QList<QByteArray> p;
        for (const ReceivedMessage &m : sub_->on(QStringLiteral("soak/alarm")))
            p << m.payload;
        return soak::CheckBroker(p, plant_.edges());
    };
    waitUntil([&] { return history().found == history().made && alarms().missing == 0; }, kComeBackMs);
    const long goodBefore = clients.goodAnswers();
    if (!waitUntil([&] { return clients.goodAnswers() > goodBefore + 32; }, kComeBackMs))
        fail(QStringLiteral("the Modbus clients got no good answers at the end"));
    clients.stop();

    killed_ = true;
    ::kill(pid_t(gateway_.processId()), SIGTERM);
    if (!gateway_.waitForFinished(30000) || gateway_.exitStatus() != QProcess::NormalExit || gateway_.exitCode() != 0)
        fail(QStringLiteral("the gateway did not end cleanly on SIGTERM (exit %1)").arg(gateway_.exitCode()));
    if (!waitUntil([this] {
            const QList<ReceivedMessage> s = sub_->on(QStringLiteral("soak/status"));
            return !s.isEmpty() && s.last().payload == "offline";
        }, 30000))
        fail(QStringLiteral("no \"offline\" on the broker after the gateway's end"));

    const soak::EdgeCheck h = history();
    const soak::EdgeCheck b = alarms();
    const soak::ClientFigures f = clients.figures();
    if (!h.holds())
        fail(QStringLiteral("history files: %1 edges missing, %2 extra or out of order: %3").arg(h.missing).arg(h.extra).arg(h.firstFaults.join(QStringLiteral("; "))));
    if (b.missing > 0)
        fail(QStringLiteral("broker: %1 alarm events missing: %2").arg(b.missing).arg(b.firstFaults.join(QStringLiteral("; "))));
    for (const QString &client : clients.failures())
        fail(client);
    if (f.good == 0)
        fail(QStringLiteral("no good Modbus answer at all"));

    const auto list = [](const QList<double> &v) {
        QStringList s;
        for (double x : v)
            s << QString::number(x, 'f', 1);
        return s.join(QStringLiteral(", "));
    };
    std::printf("chaos soak: %.0f s, %d cycles, 16 blocks at 19200 baud, %d gateway starts (%lld history files)\n", now(), cycles,
                starts_, qlonglong(QDir(home_.filePath(QStringLiteral("hystory"))).entryList({QStringLiteral("*.hys")}).size()));
    std::printf("alarm edges made %ld; in the history files %ld (missing %ld, extra %ld); on the broker %ld (missing %ld, repeated %ld)\n",
                h.made, h.found, h.missing, h.extra, b.found, b.missing, b.extra);
    long madeAway = 0;
    for (const soak::Edge &e : plant_.edges())
        for (const auto &[from, to] : away_)
            madeAway += e.at >= from && e.at <= to;
    std::printf("of them made while the gateway was killed or in its start-up read: %ld\n", madeAway);
    std::printf("Modbus reads: %ld good, %ld 0B, %ld 0A, %ld without answer (gateway away); stale as good %ld; unsound %ld\n",
                f.good, f.gatewayFailed, f.absent, f.noAnswer, f.staleAsGood, f.unsound);
    std::printf("oldest value served as good: replaced %.1f s before the read; worst margin to the stale limit %.1f s (negative: within)\n",
                f.oldestGoodS, f.worstMarginS);
    std::printf("slow clients closed %ld (longest %.1f s from the first byte), garbage clients closed %ld (longest %.2f s), not closed %ld\n",
                f.slowClosed, f.slowLongestS, f.garbageClosed, f.garbageLongestS, f.notClosed);
    std::printf("broker start to \"online\": %.1f s with the gateway started first; after each broker restart: %s s\n", firstOnline,
                qPrintable(list(onlineAfterBroker_)));
    std::printf("SIGKILL to the start-up read done again: %s s\n", qPrintable(list(startUpAfterKill_)));
    std::printf("%s\n", failures_.isEmpty() ? "every property holds" : qPrintable(QStringLiteral("%1 failures").arg(failures_.size())));
    if (!failures_.isEmpty()) {
        home_.setAutoRemove(false); // the gateway's log, history files and alarm memory
        std::printf("the gateway's folder is kept: %s\n", qPrintable(home_.path()));
    }
    std::fflush(stdout);
    return failures_.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    double seconds = qEnvironmentVariableIntValue("PLM870_SOAK_SECONDS");
    if (argc > 1)
        seconds = QString::fromLocal8Bit(argv[1]).toDouble();
    if (seconds <= 0)
        seconds = 600;
    if (LocalBroker::program().isEmpty()) {
        std::fprintf(stderr, "mosquitto is not installed (scripts/install-deps.sh)\n");
        return 1;
    }
    Soak soak;
    return soak.run(seconds);
}
