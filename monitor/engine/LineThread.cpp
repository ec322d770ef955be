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
        const LinkOutcome outcome = host.run(job.work);
        // A receiver deleted before the call arrives drops it: no outcome reaches an engine
        // that has gone.
        QMetaObject::invokeMethod(
            &receiver_, [done = std::move(job.done), outcome] { done(outcome); }, Qt::QueuedConnection);
    }
}
