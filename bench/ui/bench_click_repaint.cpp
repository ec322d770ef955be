// From a click to the screen, while 16 blocks poll at 9600 baud and while the line is dead.
//
// The click: an operator's click on the tab of the page not in front, made on a thread of the
// benchmark's own at random moments 20..80 ms apart, through the platform's input path
// (click/ScreenClicker.h: XTest through the X server on xcb, window-system events on the
// QWindow offscreen). Its clock starts just before the press is sent, so the time the
// window's thread takes to get to it counts.
// The screen: the clock stops at the end of the outermost event in which the page the click
// brought to the front was painted. Qt paints the page, its fields and the tab bar into the
// backing store and flushes the changed region to the window (on xcb: the image put to the X
// server and the connection flushed) before the handling of that event returns
// (click/FlushWatch.h), so the figure holds the flush, not only the paint's start.
// A click whose page has not reached the window within PLM870_BENCH_CLICK_TIMEOUT_MS (default
// 1000) is counted as missed and the run goes on.
// The line is checked in each phase: polling, replies arrive and none times out, the
// "Communication error" notice is hidden and every block's values are good; dead, no reply
// arrives, transactions time out, the notice is shown (its time from the line's death to the
// window is printed too) and the link health has every block stale once the phase outlasts
// the stale limit. A phase whose line is not in its state fails the run (exit 1), as does a
// missed click (exit 2).
// p50, p99 and the worst over PLM870_BENCH_CLICKS clicks a phase (default 200); goal p99 <
// 20 ms. PLM870_BENCH_SCREEN_READER=1 walks the window's accessibility tree every 100 ms as a
// screen reader does. Offscreen unless QT_QPA_PLATFORM says otherwise; under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb bench_click_repaint
#include "BenchSupport.h"
#include "FlushWatch.h"
#include "LinkHealth.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "ProgramEntry.h"
#include "PtyServer.h"
#include "ScreenClicker.h"

#include <QAccessible>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kBaud = 9600;
constexpr int kBlocks = 16;

struct ClickFigures {
    std::vector<double> ms;      // click to screen
    std::vector<double> pressMs; // click to the press delivered to the tab bar
    std::vector<double> paintMs; // click to the page's paint
    int missed = 0;
};

// One click at a time: the clicking thread asks the window's thread for the tab to click and
// to watch the page's flush, clicks, and waits for the flush at most the time-out.
class ClickProbe {
public:
    ClickProbe(FlushWatchingApplication &app, QTabWidget *tabs, ScreenClicker &clicker)
        : app_(app), tabs_(tabs), clicker_(clicker)
    {
    }

    ClickFigures run(int clicks, int timeoutMs)
    {
        ClickFigures figures;
        QEventLoop loop;
        std::thread clicking([&] {
            for (int i = 0; i < clicks; ++i) {
                Target target;
                QMetaObject::invokeMethod(&app_, [&] { target = arm(); }, Qt::BlockingQueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(20, 80)(random_)));
                std::unique_lock<std::mutex> lock(mutex_);
                clickedNs_ = -1;
                lock.unlock();
                const int64_t at = clicker_.click(target.local, target.global);
                lock.lock();
                clickedNs_ = at;
                if (cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return flushedNs_ >= 0; })) {
                    figures.ms.push_back(double(flushedNs_ - at) / 1e6);
                    figures.pressMs.push_back(double(steps_.pressNs - at) / 1e6);
                    figures.paintMs.push_back(double(steps_.paintNs - at) / 1e6);
                } else {
                    ++figures.missed;
                }
            }
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loop.exec();
        clicking.join();
        app_.unwatch();
        return figures;
    }

private:
    struct Target {
        QPoint local, global;
    };

    // On the window's thread: the tab of the page not in front, and a watch on that page.
    Target arm()
    {
        const int index = tabs_->currentIndex() == 0 ? 1 : 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            flushedNs_ = -1;
        }
        watchPage(tabs_->widget(index));
        QTabBar *bar = tabs_->tabBar();
        const QPoint center = bar->tabRect(index).center();
        return {bar->mapTo(bar->window(), center), bar->mapToGlobal(center)};
    }

    void watchPage(QWidget *page)
    {
        app_.watch(page, [this, page](const FlushWatchingApplication::Steps &steps) {
            const int64_t now = steadyNs();
            std::lock_guard<std::mutex> lock(mutex_);
            // A paint that came before the click (of a click timed out earlier) is not this one's.
            if (clickedNs_ < 0 || now < clickedNs_) {
                watchPage(page);
                return;
            }
            flushedNs_ = now;
            steps_ = steps;
            cv_.notify_all();
        });
    }

    FlushWatchingApplication &app_;
    QTabWidget *tabs_;
    ScreenClicker &clicker_;
    std::mt19937 random_{870};
    std::mutex mutex_;
    std::condition_variable cv_;
    int64_t clickedNs_ = -1;
    int64_t flushedNs_ = -1;
    FlushWatchingApplication::Steps steps_;
};

// The transactions of a phase, as the link driver classified them.
struct LineCount {
    long replies = 0;  // any answer (ACK, NAK, checksum failure)
    long timeOuts = 0;
};

int walkTree(QAccessibleInterface *iface, int depth = 0)
{
    if (!iface || depth > 40)
        return 0;
    int visited = 1;
    (void)iface->text(QAccessible::Name);
    (void)iface->state();
    (void)iface->rect();
    for (int i = 0; i < iface->childCount(); ++i)
        visited += walkTree(iface->child(i), depth + 1);
    return visited;
}

// Runs the event loop until `done` or `ms` have passed; true when done.
bool runUntil(const std::function<bool()> &done, int ms)
{
    QEventLoop loop;
    QTimer poll, limit;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(10);
    limit.start(ms);
    if (!done())
        loop.exec();
    return done();
}

void report(const char *phase, const ClickFigures &f, int timeoutMs)
{
    const double p99 = bench::percentile(f.ms, 0.99);
    std::printf("%s: %zu clicks on screen, %d missed (time-out %d ms); click to screen p50 %.2f ms, p99 %.2f ms, "
                "max %.2f ms (goal p99 < 20 ms: ratio %.2f)\n",
                phase, f.ms.size(), f.missed, timeoutMs, bench::percentile(f.ms, 0.5), p99,
                bench::percentile(f.ms, 1.0), p99 / 20.0);
    std::printf("%s: of which to the press handled p50 %.2f / p99 %.2f ms, to the page's paint p50 %.2f / p99 %.2f ms\n",
                phase, bench::percentile(f.pressMs, 0.5), bench::percentile(f.pressMs, 0.99),
                bench::percentile(f.paintMs, 0.5), bench::percentile(f.paintMs, 0.99));
}

int staleBlocks(const LinkHealth &health)
{
    int stale = 0;
    for (int b = 0; b < kBlocks; ++b)
        stale += health.quality(b) == ValuesQuality::Stale ? 1 : 0;
    return stale;
}

} // namespace

int main(int argc, char **argv)
{
    FlushWatchingApplication app(argc, argv);
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
    LineCount line;
    QObject::connect(&window.comm(), &MonitorComm::transactionDone, &app, [&line](int, ReplyKind kind) {
        (kind == ReplyKind::NoReply ? line.timeOuts : line.replies) += 1;
    });
    std::printf("start-up read of %d blocks ...\n", kBlocks);
    std::fflush(stdout);
    QEventLoop started;
    QObject::connect(&window.comm(), &MonitorComm::blockPolled, &started, &QEventLoop::quit);
    started.exec();
    if (!window.windowHandle() || !runUntil([&] { return window.windowHandle()->isExposed(); }, 5000)) {
        std::fprintf(stderr, "the main window was not exposed\n");
        return 1;
    }
    const auto *health = window.findChild<LinkHealth *>();
    if (!health) {
        std::fprintf(stderr, "the main window has no link health\n");
        return 1;
    }

    ScreenClicker clicker(window.windowHandle());
    QString why;
    if (!clicker.open(&why)) {
        std::fprintf(stderr, "no clicks: %s\n", qPrintable(why));
        return 1;
    }
    QTimer screenReader;
    int walked = 0;
    if (bench::setting("PLM870_BENCH_SCREEN_READER", 0) == 1) {
        QObject::connect(&screenReader, &QTimer::timeout, &app,
                         [&] { walked = walkTree(QAccessible::queryAccessibleInterface(&window)); });
        screenReader.start(100);
    }

    const int clicks = bench::setting("PLM870_BENCH_CLICKS", 200);
    const int timeoutMs = bench::setting("PLM870_BENCH_CLICK_TIMEOUT_MS", 1000);
    ClickProbe probe(app, window.SSTab1, clicker);
    std::printf("\n== bench_click_repaint (%s, %s, %d blocks at %d baud%s)\n", qPrintable(QGuiApplication::platformName()),
                qPrintable(clicker.path()), kBlocks, kBaud, screenReader.isActive() ? ", a screen reader walking" : "");
    bool lineAsExpected = true;
    const auto check = [&lineAsExpected](const char *phase, bool ok, const char *what) {
        if (!ok) {
            std::printf("%s: LINE NOT AS EXPECTED: %s\n", phase, what);
            lineAsExpected = false;
        }
    };

    line = LineCount();
    const ClickFigures polling = probe.run(clicks, timeoutMs);
    report("polling", polling, timeoutMs);
    int good = 0;
    for (int b = 0; b < kBlocks; ++b)
        good += health->quality(b) == ValuesQuality::Good ? 1 : 0;
    std::printf("polling: line %ld replies, %ld time-outs; notice %s; link health %d of %d blocks good\n", line.replies,
                line.timeOuts, window.Text_readmsg2->isVisible() ? "shown" : "hidden", good, kBlocks);
    check("polling", line.replies > 0 && line.timeOuts == 0, "replies arrive and none times out");
    check("polling", !window.Text_readmsg2->isVisible(), "no communication error notice");
    check("polling", good == kBlocks, "every block's values good");

    // The line dies: the notice's way to the window is timed from here.
    int64_t noticeNs = -1;
    app.watch(window.Text_readmsg2, [&noticeNs](const FlushWatchingApplication::Steps &) { noticeNs = steadyNs(); });
    sim::Faults dead;
    dead.drop = 1.0;
    simulator.server().setFaults(dead);
    const int64_t cut = steadyNs();
    runUntil([&] { return noticeNs >= 0; }, 5000);
    if (noticeNs >= 0)
        std::printf("dead line: \"Communication error\" on screen %.0f ms after the line went silent\n",
                    double(noticeNs - cut) / 1e6);
    check("dead line", noticeNs >= 0, "the notice reached the window within 5 s");
    // The transaction on the line when it went silent may still have had its answer.
    runUntil([] { return false; }, 500);
    line = LineCount();
    const int64_t deadFrom = steadyNs();
    const ClickFigures deadLine = probe.run(clicks, timeoutMs);
    const double deadMs = double(steadyNs() - deadFrom) / 1e6;
    report("dead line", deadLine, timeoutMs);
    const int stale = staleBlocks(*health);
    std::printf("dead line: line %ld replies, %ld time-outs in %.1f s; notice %s; link health %d of %d blocks stale\n",
                line.replies, line.timeOuts, deadMs / 1000, window.Text_readmsg2->isVisible() ? "shown" : "hidden",
                stale, kBlocks);
    check("dead line", line.replies == 0 && line.timeOuts > 0, "no reply, transactions time out");
    check("dead line", window.Text_readmsg2->isVisible(), "the communication error notice shown");
    qint64 staleLimit = 0;
    for (int b = 0; b < kBlocks; ++b)
        staleLimit = std::max(staleLimit, health->staleLimitMs(b));
    if (deadMs > double(staleLimit) + 1000)
        check("dead line", stale == kBlocks, "every block stale past the stale limit");
    if (screenReader.isActive())
        std::printf("screen reader: %d accessible objects a walk\n", walked);

    screenReader.stop();
    window.endProgram();
    if (!lineAsExpected)
        return 1;
    return polling.missed + deadLine.missed > 0 ? 2 : 0;
}
