#include "GatewayView.h"

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

} // namespace

void GatewayView::setCommErrorNoticeVisible(bool visible)
{
    // The link driver tells the first state too; only a change is worth a line.
    if (visible != errorShown)
        say(visible ? QStringLiteral("Communication error") : QStringLiteral("Communication restored"));
    errorShown = visible;
}

void GatewayView::startupFinished()
{
    startedUp = true;
    say(QStringLiteral("Start-up read done; polling"));
}

void GatewayView::showPortDialog(const QString &port, const QString &speed)
{
    say(QStringLiteral("No answer from block 1 on %1 at %2; retrying").arg(port, speed));
}

void GatewayView::setStartupProgress(int count)
{
    if (count == 1)
        say(QStringLiteral("Start-up read of the installation"));
}
