// The link on the caller's own thread: work runs at once and its outcome comes back before
// run returns. For tests that count frames tick by tick and for tools without a window; a
// program with a window uses the line thread.
#pragma once

#include "LinkService.h"

class SameThreadLink final : public LinkService {
public:
    explicit SameThreadLink(std::unique_ptr<tobrel::STDComm> link);
    ~SameThreadLink() override;
    void run(Work work, Done done) override;
    tobrel::STDComm *sameThreadLink() override { return &host_.link(); }

private:
    LinkHost host_;
};
