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

// Takes the outcomes on the engine's thread when the line thread says some are waiting. The
// line thread calls it by name, so the call is made inside Qt and nothing of it is built there.
class OutcomeReceiver : public QObject {
    Q_OBJECT
public:
    explicit OutcomeReceiver(std::function<void()> deliver) : deliver_(std::move(deliver)) {}
public slots:
    void deliver() { deliver_(); }

private:
    std::function<void()> deliver_;
};

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
    // On the engine's thread: the outcomes that have come back, in order.
    void deliverFinished();

    OutcomeReceiver receiver_{[this] { deliverFinished(); }}; // lives on the engine's thread
    // Work and outcomes change hands under this lock only, so each side sees what the other
    // wrote before it handed over.
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Job> jobs_;
    std::deque<std::pair<Done, LinkOutcome>> finished_;
    bool ending_ = false;
    std::unique_ptr<QThread> thread_;
};
