// The line thread: the one thread that waits for the controllers. It owns the link, takes the
// engine's work in order and sends each outcome back to the engine's thread as a queued call,
// so the window's thread never waits for the line and never runs an event loop for it.
#pragma once

#include "LinkService.h"

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

class LineThread final : public LinkService {
public:
    using LinkFactory = std::function<std::unique_ptr<tobrel::STDComm>()>;

    // The link is made on the line thread (a serial port belongs to the thread that made it).
    explicit LineThread(LinkFactory makeLink);
    // Lets the work already handed over finish (a transaction ends within its time-out, a
    // close within its drain bound), then ends the thread; outcomes still on their way are
    // dropped.
    ~LineThread() override;

    void run(Work work, Done done) override;
    tobrel::STDComm *sameThreadLink() override { return nullptr; }

private:
    struct Job {
        Work work;
        Done done;
    };
    class Thread;

    void serve(const LinkFactory &makeLink);

    QObject receiver_; // lives on the engine's thread: outcomes are delivered to it
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Job> jobs_;
    bool ending_ = false;
    std::unique_ptr<QThread> thread_;
};
