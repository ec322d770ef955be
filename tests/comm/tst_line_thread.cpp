// The window's thread never waits for the line: every write, read and wait of the link runs
// on the line thread, and nothing of the window runs inside the driver's steps, through the
// start-up read, polling, a block transfer and a dead line.
#include "DeviceModel.h"
#include "LineThread.h"
#include "LinkRequests.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "STDComm.h"
#include "SimulatedLine.h"
#include "SimulatedWorld.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <future>
#include <mutex>

using namespace PLM_INC;

namespace {

// Events the window's thread handles while the driver's own code runs: a nested event loop.
class NestedEventCounter : public QObject {
public:
    explicit NestedEventCounter(const MonitorComm &comm) : comm_(comm) {}
    bool eventFilter(QObject *, QEvent *) override
    {
        if (comm_.insideStep())
            ++nested;
        return false;
    }
    int nested = 0;

private:
    const MonitorComm &comm_;
};

struct LineUse {
    std::mutex mutex;
    int onWindowThread = 0;
    int elsewhere = 0;
    void note()
    {
        std::lock_guard<std::mutex> lock(mutex);
        (QThread::currentThread() == qApp->thread() ? onWindowThread : elsewhere) += 1;
    }
};

std::unique_ptr<tobrel::STDComm> linkTo(sim::DeviceModel &model, ModelLine *&line, LineUse &use)
{
    auto modelLine = std::make_unique<ModelLine>(model, 9600);
    line = modelLine.get();
    line->setOnUse([&use] { use.note(); });
    auto link = std::make_unique<tobrel::STDComm>(std::move(modelLine));
    link->setMillisecondClock([line] { return line->now(); });
    return link;
}

} // namespace

class LineThreadTest : public QObject {
    Q_OBJECT

private slots:
    void theWindowsThreadNeverWaitsForTheLine()
    {
        CommTestEnvironment env;
        sim::DeviceModel model = sim::DeviceModel::allBlocks(3);
        model.setLive(false);
        LineUse use;
        ModelLine *line = nullptr;
        auto service = std::make_unique<LineThread>([&] { return linkTo(model, line, use); });
        RecordingLinkView view;
        {
            MonitorComm comm(std::move(service), MakeQtEngineClock());
            comm.setView(&view);
            NestedEventCounter nested(comm);
            qApp->installEventFilter(&nested);

            comm.communicate(); // the probe and the start-up read
            QTRY_COMPARE_WITH_TIMEOUT(view.startupFinishedCount, 1, 120000);
            const int polled = view.refreshCount;
            QTRY_VERIFY_WITH_TIMEOUT(view.refreshCount >= polled + 20, 120000);

            PendingRequests.push(BlockSendRequest(1));
            QTRY_VERIFY_WITH_TIMEOUT(comm.timer3(0).isActive(), 120000);
            for (int tick = 0; tick < 15; ++tick) // the pause itself is not the point here
                comm.Timer3_Timer(0);
            QTRY_VERIFY_WITH_TIMEOUT(!comm.transferInProgress(), 120000);

            comm.configureLink([&line](tobrel::STDComm &) { line->setUnplugged(true); });
            QTRY_VERIFY_WITH_TIMEOUT(view.commErrorNotice, 120000);
            const int failed = view.refreshCount;
            QTRY_VERIFY_WITH_TIMEOUT(view.refreshCount >= failed + 5, 120000);
            comm.configureLink([&line](tobrel::STDComm &) { line->setUnplugged(false); });
            QTRY_VERIFY_WITH_TIMEOUT(!view.commErrorNotice, 120000);

            qApp->removeEventFilter(&nested);
            comm.closePort();
            QCOMPARE(nested.nested, 0);
        } // the line thread has ended here
        std::lock_guard<std::mutex> lock(use.mutex);
        QVERIFY(use.elsewhere > 1000);
        QCOMPARE(use.onWindowThread, 0);
    }

    // A device whose close never returns does not hold the end: the thread is left behind in it.
    void aCloseThatNeverReturnsIsLeftBehind()
    {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::atomic<bool> closeEnded{false};
        auto service = std::make_unique<LineThread>([] { return std::make_unique<tobrel::STDComm>(); }, 100);
        service->run([&](tobrel::STDComm &) { return released.wait_for(std::chrono::seconds(30)), closeEnded = true, LinkOutcome(); },
                     [](const LinkOutcome &) { QFAIL("an outcome reached an engine that has ended"); });
        service.reset();
        QVERIFY2(!closeEnded && LineThread::leftBehind(), "the end waited for the close");
        release.set_value();
        QVERIFY(QTest::qWaitFor([&] { return closeEnded.load(); }, 30000));
        QTest::qWait(50); // an outcome on its way would arrive now
    }
};

QTEST_GUILESS_MAIN(LineThreadTest)
#include "tst_line_thread.moc"
