// What carries the engine's work to the line: one piece of work at a time, in the order
// given, each a function of the link (a transaction, opening or closing the port). Its outcome
// comes back to the engine's thread. The work touches the link and what it was given, never
// the controller image.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace tobrel {
class STDComm;
}

struct LinkOutcome {
    QString reply;        // the transaction's reply; "" for none
    bool failed = false;  // the line raised an error instead
    QString error;        // what it raised
    int result = 0;       // a work's own result (how the port opened)
    QStringList messages; // what the link asked to show during the work (the port refusal)
};

class LinkService {
public:
    using Work = std::function<LinkOutcome(tobrel::STDComm &)>;
    using Done = std::function<void(const LinkOutcome &)>;

    virtual ~LinkService() = default;
    // Runs work on the link after everything handed over before it; done runs later on the
    // engine's thread with the outcome (at once where the link lives on that thread).
    virtual void run(Work work, Done done) = 0;
    // The link itself where it lives on the caller's thread (tests, tools); nullptr where a
    // line thread owns it.
    virtual tobrel::STDComm *sameThreadLink() = 0;
};

// The link as the monitor keeps it: replies waited for in the port's wait (no yielding to a
// host), and the messages it raises collected for the engine to show. Lives on the thread that
// runs the work.
class LinkHost {
public:
    explicit LinkHost(std::unique_ptr<tobrel::STDComm> link);
    ~LinkHost();
    LinkOutcome run(const LinkService::Work &work);
    tobrel::STDComm &link() { return *link_; }

private:
    std::unique_ptr<tobrel::STDComm> link_;
    QStringList messages_;
};
