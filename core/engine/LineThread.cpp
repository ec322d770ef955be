#include "LineThread.h"

#include "STDComm.h"

#include <QDeadlineTimer>
#include <atomic>

namespace {
std::atomic<bool> g_leftBehind{false};
}

class LineThread::Thread final : public QThread {
public:
    Thread(std::shared_ptr<Shared> shared, LinkFactory makeLink)
        : shared_(std::move(shared)), makeLink_(std::move(makeLink))
    {
    }

protected:
    void run() override { serve(*shared_, makeLink_); }

private:
    std::shared_ptr<Shared> shared_; // the thread's own hold: it may outlive the LineThread
    LinkFactory makeLink_;
};

LineThread::LineThread(LinkFactory makeLink, int endWaitMs) : shared_(std::make_shared<Shared>()), endWaitMs_(endWaitMs)
{
    Shared *shared = shared_.get();
    shared_->receiver = std::make_unique<OutcomeReceiver>([shared] { deliverFinished(*shared); });
    thread_ = std::make_unique<Thread>(shared_, std::move(makeLink));
    thread_->setObjectName(QStringLiteral("line"));
    thread_->start();
}

LineThread::~LineThread()
{
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->ending = true;
    }
    shared_->queued.notify_one();
    if (!thread_->wait(QDeadlineTimer(endWaitMs_))) {
        // Left behind, never destroyed: the thread object and what the thread uses stay
        // until the process ends. Outcomes it sends later are dropped (ending is set).
        g_leftBehind = true;
        qWarning("line thread: still in the device %d ms after the end began (a close that does not return); left behind",
                 endWaitMs_);
        (void)thread_.release();
        (void)new std::shared_ptr<Shared>(shared_);
        return;
    }
    // Outcomes that came back after the engine stopped listening are dropped with the lock
    // held, after the line thread's last touch of them.
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->finished.clear();
}

bool LineThread::leftBehind()
{
    return g_leftBehind;
}

void LineThread::run(Work work, Done done)
{
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->jobs.push_back(Job{std::move(work), std::move(done)});
    }
    shared_->queued.notify_one();
}

void LineThread::serve(Shared &shared, const LinkFactory &makeLink)
{
    LinkHost host(makeLink());
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(shared.mutex);
            shared.queued.wait(lock, [&shared] { return shared.ending || !shared.jobs.empty(); });
            if (shared.jobs.empty())
                return;
            job = std::move(shared.jobs.front());
            shared.jobs.pop_front();
        }
        LinkOutcome outcome = host.run(job.work);
        job.work = nullptr; // what it held goes on this thread, with the link's other work
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            wake = shared.finished.empty();
            shared.finished.emplace_back(std::move(job.done), std::move(outcome));
        }
        // One queued call takes every outcome waiting by then; a receiver deleted before it
        // arrives drops it.
        if (wake)
            QMetaObject::invokeMethod(shared.receiver.get(), "deliver", Qt::QueuedConnection);
    }
}

void LineThread::deliverFinished(Shared &shared)
{
    std::deque<std::pair<Done, LinkOutcome>> ready;
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.ending)
            return; // the engine has stopped listening
        ready.swap(shared.finished);
    }
    for (auto &[done, outcome] : ready)
        done(outcome);
}
