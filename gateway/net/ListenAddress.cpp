#include "ListenAddress.h"

namespace net {

namespace {

bool allDigits(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (!c.isDigit())
            return false;
    return true;
}

} // namespace

QString ListenAddress::text() const
{
    const QString h = host.isEmpty() ? QStringLiteral("0.0.0.0") : host;
    return (h.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2")).arg(h).arg(port);
}

bool ParseListenAddress(const QString &text, const ListenDefaults &defaults, ListenAddress *out, QString *error)
{
    *out = ListenAddress{};
    const QString server = QString::fromLatin1(defaults.server);
    const QString t = text.trimmed();
    if (t.isEmpty())
        return true;
    QString host = t;
    QString port;
    if (allDigits(t)) {
        host.clear();
        port = t;
    } else if (t.startsWith(QLatin1Char('['))) {
        const int close = t.indexOf(QLatin1Char(']'));
        if (close < 0 || (close + 1 < t.size() && t[close + 1] != QLatin1Char(':'))) {
            *error = QStringLiteral("The %1 address \"%2\" is not [IPv6]:PORT.").arg(server, t);
            return false;
        }
        host = t.mid(1, close - 1);
        port = t.mid(close + 2);
    } else if (t.count(QLatin1Char(':')) == 1) {
        const int colon = t.indexOf(QLatin1Char(':'));
        host = t.left(colon);
        port = t.mid(colon + 1);
    }
    if (port.isEmpty() && defaults.port == 0) {
        *error = QStringLiteral("The %1 address \"%2\" names no port.").arg(server, t);
        return false;
    }
    bool ok = port.isEmpty();
    const int number = port.isEmpty() ? defaults.port : (allDigits(port) ? port.toInt(&ok) : 0);
    if (!ok || number < 1 || number > 65535) {
        *error = QStringLiteral("The %1 port \"%2\" is not a number from 1 to 65535.").arg(server, port);
        return false;
    }
    const bool portAlone = allDigits(t) || t.startsWith(QLatin1Char(':'));
    if (host.isEmpty() && !portAlone) {
        *error = QStringLiteral("The %1 address \"%2\" names no host.").arg(server, t);
        return false;
    }
    out->host = portAlone ? QString::fromLatin1(defaults.host) : host;
    out->port = number;
    return true;
}

} // namespace net
