#include "StaleNotices.h"

#include "GatewayView.h"
#include "LinkHealth.h"
#include "PLM_INC.h"

#include <QStringList>
#include <cstdio>

StaleNotices::StaleNotices(const LinkHealth &health, const GatewayView &view) : health_(health), view_(view)
{
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &StaleNotices::check);
    timer_.start();
}

void StaleNotices::check()
{
    // Before the start-up read has finished nothing is served as good anyway.
    if (!view_.startedUp)
        return;
    if (!sinceStartup_.isValid())
        sinceStartup_.start();
    QStringList stale, good;
    for (int b = 0; b < int(told_.size()); ++b) {
        const bool waitingForFirstPoll = !health_.block(b).polled && sinceStartup_.elapsed() <= health_.staleLimitMs(b);
        const bool now = PLM_INC::BlockAbsent[b] == 0 && health_.isStale(b) && !waitingForFirstPoll;
        if (now != told_[size_t(b)])
            (now ? stale : good) << QStringLiteral("%1").arg(b + 1, 2, 10, QLatin1Char('0'));
        told_[size_t(b)] = now;
    }
    const auto blocks = [](const QStringList &list) {
        return (list.size() > 1 ? QStringLiteral("blocks ") : QStringLiteral("block ")) + list.join(QStringLiteral(", "));
    };
    if (!stale.isEmpty())
        std::fprintf(stderr, "Values of %s are stale (not read within their limit): Modbus answers 0B for them\n",
                     qPrintable(blocks(stale)));
    if (!good.isEmpty())
        std::fprintf(stderr, "Values of %s are good again\n", qPrintable(blocks(good)));
    std::fflush(stderr);
}
