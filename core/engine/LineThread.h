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
    // How long the end waits for the work already handed over (a transaction ends within its
    // time-out, a close within its drain bound) before it leaves the thread behind.
    static constexpr int kEndWaitMs = 3000;

    // The link is made on the line thread (a serial port belongs to the thread that made it).
    explicit LineThread(LinkFactory makeLink, int endWaitMs = kEndWaitMs);
    // Lets the work already handed over finish, then ends the thread; outcomes still on their
    // way are dropped. A thread still inside its work after endWaitMs (a device whose close
    // never returns) is left behind with what it uses: the program ends without it.
    ~LineThread() override;

    void run(Work work, Done done) override;
    tobrel::STDComm *sameThreadLink() override { return nullptr; }
    // True once an end has left the thread behind (kept for the log and for tests).
    static bool leftBehind();

private:
    struct Job {
        Work work;
        Done done;
    };
    // What the line thread uses: it outlives this object when the thread is left behind.
    struct Shared {
        // Work and outcomes change hands under this lock only, so each side sees what the
        // other wrote before it handed over.
        std::mutex mutex;
        std::condition_variable queued;
        std::deque<Job> jobs;
        std::deque<std::pair<Done, LinkOutcome>> finished;
        bool ending = false;
        std::unique_ptr<OutcomeReceiver> receiver; // lives on the engine's thread
    };
    class Thread;

    static void serve(Shared &shared, const LinkFactory &makeLink);
    // On the engine's thread: the outcomes that have come back, in order.
    static void deliverFinished(Shared &shared);

    std::shared_ptr<Shared> shared_;
    std::unique_ptr<QThread> thread_;
    int endWaitMs_;
};
