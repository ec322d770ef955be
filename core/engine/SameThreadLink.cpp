#include "SameThreadLink.h"

#include "STDComm.h"

SameThreadLink::SameThreadLink(std::unique_ptr<tobrel::STDComm> link) : host_(std::move(link))
{
}

SameThreadLink::~SameThreadLink() = default;

void SameThreadLink::run(Work work, Done done)
{
    const LinkOutcome outcome = host_.run(work);
    done(outcome);
}
