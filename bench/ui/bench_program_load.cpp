// The whole program as an operator runs it, on the window system the environment names
// (QT_QPA_PLATFORM; program_load.sh runs it offscreen and on Xvfb), polling 16 blocks at
// 9600 baud against the simulator in its own process, with the chart sampling every second,
// logging every block every 10 s and publishing to a local broker:
//   polls per second / line limit (9.41/s), goal >= 0.99
//   CPU seconds per wall second of the program (all its threads), goal <= 0.008
//   input latency: a mouse click posted from another thread at random moments, timed until
//   the window's thread takes it; p50, p99 and the worst, goal p99 < 20 ms
// The figures are taken after the start-up read (about 70 s), over PLM870_BENCH_SECONDS
// (default 60). PLM870_BENCH_TAB puts another page in front (default 0, the four-block page).
#include "BenchSupport.h"
#include "BrokerSettings.h"
#include "LocalBroker.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "Preferences.h"
#include "ProgramEntry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QMouseEvent>
#include <QTabWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBaud = 9600;
constexpr int kBlocks = 16;

// Posts a press to `target` at random moments 20..80 ms apart; the filter on the window's
// thread takes the posting times in order (posted events arrive in the order they were posted).
class ClickProbe : public QObject {
public:
    explicit ClickProbe(QWidget *target) : m_target(target) { target->installEventFilter(this); }
    ~ClickProbe() override { stop(); }

    void start()
    {
        m_thread = std::thread([this] {
            std::mt19937 random(870);
            std::uniform_int_distribution<int> gap(20, 80);
            while (!m_stop.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(gap(random)));
                const QPointF at(4, 4);
                auto *press = new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_posted.push_back(Clock::now());
                }
                QCoreApplication::postEvent(m_target, press);
            }
        });
    }
    void stop()
    {
        m_stop.store(true);
        if (m_thread.joinable())
            m_thread.join();
    }
    std::vector<double> latenciesMs() const { return m_latencies; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_target || event->type() != QEvent::MouseButtonPress)
            return QObject::eventFilter(watched, event);
        Clock::time_point posted;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_posted.empty())
                return true;
            posted = m_posted.front();
            m_posted.pop_front();
        }
        m_latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - posted).count());
        return true; // the probe's clicks reach no control
    }

private:
    QWidget *m_target;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::deque<Clock::time_point> m_posted;
    std::vector<double> m_latencies;
};

// PLM870_BENCH_COUNT_EVENTS=1: which widgets take paint events and layout requests during the
// steady run, the busiest first, to see where the window's own work goes.
class EventCounter : public QObject {
public:
    void print() const
    {
        std::vector<std::pair<long, QString>> rows;
        for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it)
            rows.emplace_back(it.value(), it.key());
        std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
        for (size_t i = 0; i < rows.size() && i < 25; ++i)
            std::printf("  %7ld  %s\n", rows[i].first, qPrintable(rows[i].second));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if (t == QEvent::Paint || t == QEvent::LayoutRequest || t == QEvent::UpdateRequest) {
            QString name = watched->objectName();
            if (name.isEmpty() && watched->parent())
                name = QStringLiteral("(in %1)").arg(watched->parent()->objectName());
            name.remove(QRegularExpression(QStringLiteral("\\d+$")));
            ++m_counts[QStringLiteral("%1 %2 %3").arg(t == QEvent::Paint ? QStringLiteral("paint") : t == QEvent::LayoutRequest ? QStringLiteral("layout") : QStringLiteral("update"),
                                                     QString::fromLatin1(watched->metaObject()->className()), name)];
        }
        return false;
    }

private:
    QHash<QString, long> m_counts;
};

void presetPreferences(int brokerPort)
{
    Prefs::set(QStringLiteral("Speed"), kBaud);
    Prefs::set(QStringLiteral("Chart_start"), 1);
    Prefs::set(QStringLiteral("Chart_Tim"), 1);
    Prefs::set(QStringLiteral("log_start"), 1);
    Prefs::set(QStringLiteral("Logtim"), 0);
    Prefs::set(QStringLiteral("log_restart"), 0);
    for (int b = 0; b < kBlocks; ++b)
        Prefs::set(QStringLiteral("LogBlock %1").arg(b), 1);
    if (brokerPort > 0) {
        Prefs::set(QString::fromLatin1(kMqttHostKey), QStringLiteral("127.0.0.1"));
        Prefs::set(QString::fromLatin1(kMqttPortKey), brokerPort);
        Prefs::set(QString::fromLatin1(kMqttPrefixKey), QStringLiteral("bench"));
    }
}

// Runs the event loop until `done` or `limitMs`.
template <typename Done>
bool runUntil(Done done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return done();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    bench::BenchRun run;
    if (!run.ok())
        return 1;
    bench::SimulatorProcess simulator(run.folder(), kBlocks, kBaud);
    if (!simulator.start())
        return 1;
    LocalBroker broker;
    const bool brokerUp = !LocalBroker::program().isEmpty() && broker.start();
    if (!brokerUp)
        std::fprintf(stderr, "no local broker (%s): the run goes on without publishing\n", qPrintable(broker.error()));
    presetPreferences(brokerUp ? broker.port() : 0);

    ProgramEntry program;
    program.start();
    MainDisp &window = program.mainDisp();
    window.SSTab1->setCurrentIndex(qEnvironmentVariableIntValue("PLM870_BENCH_TAB"));

    long polls = 0;
    QObject::connect(&window.comm(), &MonitorComm::blockPolled, &app, [&polls](int, int, ReplyKind) { ++polls; });
    std::printf("start-up read of %d blocks ...\n", kBlocks);
    std::fflush(stdout);
    if (!runUntil([&] { return polls > 0; }, 300000)) {
        std::fprintf(stderr, "polling did not start\n");
        return 1;
    }
    runUntil([] { return false; }, 3000); // the first chart sample, log line and publication

    const int seconds = bench::setting("PLM870_BENCH_SECONDS", 60);
    std::printf("steady run of %d s (%s) ...\n", seconds, qPrintable(QGuiApplication::platformName()));
    std::fflush(stdout);
    ClickProbe probe(window.SSTab1);
    EventCounter events;
    const bool countEvents = qEnvironmentVariableIntValue("PLM870_BENCH_COUNT_EVENTS") == 1;
    if (countEvents)
        app.installEventFilter(&events);
    polls = 0;
    const double cpu0 = bench::processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    probe.start();
    runUntil([] { return false; }, seconds * 1000);
    probe.stop();
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = bench::processCpuSeconds() - cpu0;
    QCoreApplication::processEvents(); // the clicks still on their way
    const std::vector<double> latencies = probe.latenciesMs();

    const double limit = 1.0 / bench::blockReadSeconds(kBaud);
    std::printf("\n== bench_program_load (%s, %d blocks at %d baud, page %d in front; chart 1 s, logging 10 s, %s)\n",
                qPrintable(QGuiApplication::platformName()), kBlocks, kBaud, window.SSTab1->currentIndex(),
                brokerUp ? "publishing to a local broker" : "no broker");
    std::printf("poll rate: %ld polls in %.1f s = %.3f/s, line limit %.3f/s -> ratio %.3f (goal >= 0.99)\n", polls,
                wallSeconds, polls / wallSeconds, limit, polls / wallSeconds / limit);
    std::printf("program CPU: %.2f s in %.1f s -> %.4f CPU s per wall s (goal <= 0.008: ratio %.2f)\n", cpu, wallSeconds,
                cpu / wallSeconds, cpu / wallSeconds / 0.008);
    std::printf("input latency of %zu posted clicks: p50 %.2f ms, p99 %.2f ms, worst %.2f ms (goal p99 < 20 ms: ratio %.2f)\n",
                latencies.size(), bench::percentile(latencies, 0.5), bench::percentile(latencies, 0.99), bench::percentile(latencies, 1.0),
                bench::percentile(latencies, 0.99) / 20.0);
    if (countEvents) {
        std::printf("events during the steady run (kind, class, name without its number):\n");
        events.print();
    }
    return 0;
}
