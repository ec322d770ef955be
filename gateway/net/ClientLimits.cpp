#include "ClientLimits.h"

namespace net {

QString ClientLimits::refusal(const QString &address, int connected, int fromAddress) const
{
    if (connected >= maxClients)
        return QStringLiteral("%1 are connected already").arg(maxClients);
    if (fromAddress >= maxPerAddress())
        return QStringLiteral("%1 holds %2 of the %3 connections already").arg(address).arg(fromAddress).arg(maxClients);
    return QString();
}

QString ClientLimits::overdue(bool midRequest, qint64 requestStartMs, qint64 lastRequestMs, qint64 nowMs) const
{
    if (midRequest && nowMs - requestStartMs > requestMs)
        return QStringLiteral("its request was not whole %1 s after its first byte").arg(requestMs / 1000);
    if (!midRequest && nowMs - lastRequestMs > idleMs)
        return QStringLiteral("it asked nothing for %1 s").arg(idleMs / 1000);
    return QString();
}

} // namespace net
