#include "LineThread.h"

#include "STDComm.h"

class LineThread::Thread final : public QThread {
public:
    Thread(LineThread &owner, LinkFactory makeLink) : owner_(owner), makeLink_(std::move(makeLink)) {}

protected:
    void run() override { owner_.serve(makeLink_); }

private:
    LineThread &owner_;
    LinkFactory makeLink_;
};

LineThread::LineThread(LinkFactory makeLink)
{
    thread_ = std::make_unique<Thread>(*this, std::move(makeLink));
    thread_->setObjectName(QStringLiteral("line"));
    thread_->start();
}

LineThread::~LineThread()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    queued_.notify_one();
    thread_->wait();
    // Outcomes that came back after the engine stopped listening are dropped with the lock
    // held, after the line thread's last touch of them.
    std::lock_guard<std::mutex> lock(mutex_);
    finished_.clear();
}

void LineThread::run(Work work, Done done)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(Job{std::move(work), std::move(done)});
    }
    queued_.notify_one();
}

void LineThread::serve(const LinkFactory &makeLink)
{
    LinkHost host(makeLink());
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            queued_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
            if (jobs_.empty())
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        LinkOutcome outcome = host.run(job.work);
        job.work = nullptr; // what it held goes on this thread, with the link's other work
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            wake = finished_.empty();
            finished_.emplace_back(std::move(job.done), std::move(outcome));
        }
        // One queued call takes every outcome waiting by then; a receiver deleted before it
        // arrives drops it.
        if (wake)
            QMetaObject::invokeMethod(&receiver_, "deliver", Qt::QueuedConnection);
    }
}

void LineThread::deliverFinished()
{
    std::deque<std::pair<Done, LinkOutcome>> ready;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ready.swap(finished_);
    }
    for (auto &[done, outcome] : ready)
        done(outcome);
}
