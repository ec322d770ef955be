// How a server of the gateway keeps any one client from holding it: a bound on the connections,
// half of them at most from one address, a request whole within a limit from its first byte,
// and a client that asks nothing closed after a while. The servers keep the times; the rule is here.
#pragma once

#include <QString>

namespace net {

struct ClientLimits {
    int maxClients;
    int requestMs; // from a request's first byte until it is whole
    int idleMs;    // from a client's last whole request, or its connection

    // One address may hold half the connections: a misbehaving machine leaves room for others.
    int maxPerAddress() const { return maxClients / 2; }
    // Empty when a client from `address` may connect while `connected` clients are, `fromAddress`
    // of them from that address; otherwise why not.
    QString refusal(const QString &address, int connected, int fromAddress) const;
    // Empty while a client may stay; otherwise why it goes. `midRequest`: part of a request is
    // in, its first byte at `requestStartMs`.
    QString overdue(bool midRequest, qint64 requestStartMs, qint64 lastRequestMs, qint64 nowMs) const;
};

} // namespace net
