// From a click to the repaint of what it changed, while 16 blocks poll at 9600 baud and while
// the line is dead: clicks on the page tabs are posted at random moments 20..80 ms apart and
// each is timed until the page it brought to the front is painted. p50, p99 and the worst over
// PLM870_BENCH_CLICKS clicks a phase (default 200); goal p99 < 20 ms. Offscreen unless
// QT_QPA_PLATFORM says otherwise.
#include "BenchSupport.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "Preferences.h"
#include "ProgramEntry.h"
#include "PtyServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kBaud = 9600;
constexpr int kBlocks = 16;

// Posts a click on the tab of the page not in front; the page's first paint ends the timing.
class ClickToPaint : public QObject {
public:
    explicit ClickToPaint(QTabWidget *tabs) : m_tabs(tabs)
    {
        for (int i = 0; i < 2; ++i)
            tabs->widget(i)->installEventFilter(this);
        m_next.setSingleShot(true);
        connect(&m_next, &QTimer::timeout, this, &ClickToPaint::click);
    }
    std::vector<double> run(int clicks)
    {
        m_latencies.clear();
        m_left = clicks;
        QEventLoop loop;
        m_done = [&loop] { loop.quit(); };
        schedule();
        loop.exec();
        return m_latencies;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_waiting && watched == m_tabs->widget(m_target)) {
            m_waiting = false;
            m_latencies.push_back(double(m_clock.nsecsElapsed()) / 1e6);
            if (--m_left > 0)
                schedule();
            else
                m_done();
        }
        return false;
    }

private:
    void schedule() { m_next.start(std::uniform_int_distribution<int>(20, 80)(m_random)); }
    void click()
    {
        m_target = m_tabs->currentIndex() == 0 ? 1 : 0;
        QTabBar *bar = m_tabs->tabBar();
        const QPointF at = bar->tabRect(m_target).center();
        m_waiting = true;
        m_clock.start();
        QCoreApplication::postEvent(bar, new QMouseEvent(QEvent::MouseButtonPress, at, bar->mapToGlobal(at),
                                                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(bar, new QMouseEvent(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at),
                                                         Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }

    QTabWidget *m_tabs;
    QTimer m_next;
    QElapsedTimer m_clock;
    std::mt19937 m_random{870};
    std::vector<double> m_latencies;
    std::function<void()> m_done;
    int m_left = 0;
    int m_target = 0;
    bool m_waiting = false;
};

void report(const char *phase, const std::vector<double> &ms)
{
    std::printf("%s: %zu clicks, click to repaint p50 %.2f ms, p99 %.2f ms, worst %.2f ms (goal p99 < 20 ms: ratio %.2f)\n",
                phase, ms.size(), bench::percentile(ms, 0.5), bench::percentile(ms, 0.99), bench::percentile(ms, 1.0),
                bench::percentile(ms, 0.99) / 20.0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    bench::BenchRun run;
    if (!run.ok())
        return 1;
    bench::PacedSimulator simulator(kBlocks, kBaud);
    if (!simulator.start())
        return 1;
    Prefs::set(QStringLiteral("Speed"), kBaud);

    ProgramEntry program;
    program.start();
    MainDisp &window = program.mainDisp();
    long polls = 0;
    QObject::connect(&window.comm(), &MonitorComm::blockPolled, &app, [&polls](int, int, ReplyKind) { ++polls; });
    std::printf("start-up read of %d blocks ...\n", kBlocks);
    std::fflush(stdout);
    QEventLoop started;
    QObject::connect(&window.comm(), &MonitorComm::blockPolled, &started, &QEventLoop::quit);
    started.exec();

    const int clicks = bench::setting("PLM870_BENCH_CLICKS", 200);
    ClickToPaint probe(window.SSTab1);
    const long before = polls;
    const std::vector<double> polling = probe.run(clicks);
    std::printf("\n== bench_click_repaint (%s, %d blocks at %d baud)\n", qPrintable(QGuiApplication::platformName()),
                kBlocks, kBaud);
    report("polling", polling);
    std::printf("polling: %ld polls during the clicks\n", polls - before);

    sim::Faults dead;
    dead.drop = 1.0;
    simulator.server().setFaults(dead);
    const std::vector<double> deadLine = probe.run(clicks);
    report("dead line", deadLine);
    window.endProgram();
    return 0;
}
