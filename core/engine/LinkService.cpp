#include "LinkService.h"

#include "STDComm.h"

LinkHost::LinkHost(std::unique_ptr<tobrel::STDComm> link) : link_(std::move(link))
{
    link_->setEventsCheck(true);
    link_->setMessageHandler([this](const QString &text) { messages_ << text; });
}

LinkHost::~LinkHost() = default;

LinkOutcome LinkHost::run(const LinkService::Work &work)
{
    messages_.clear();
    LinkOutcome outcome;
    try {
        outcome = work(*link_);
    } catch (const std::exception &e) {
        // A line that fails (a closed or vanished port) is work without a reply.
        outcome.failed = true;
        outcome.error = QString::fromLocal8Bit(e.what());
    }
    outcome.messages += messages_;
    messages_.clear();
    return outcome;
}
