#include "ModbusListen.h"

namespace modbus {

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

QString ModbusListen::text() const
{
    const QString h = host.isEmpty() ? QStringLiteral("0.0.0.0") : host;
    return (h.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2")).arg(h).arg(port);
}

bool ParseModbusListen(const QString &text, ModbusListen *out, QString *error)
{
    *out = ModbusListen{};
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
            *error = QStringLiteral("The Modbus address \"%1\" is not [IPv6]:PORT.").arg(t);
            return false;
        }
        host = t.mid(1, close - 1);
        port = t.mid(close + 2);
    } else if (t.count(QLatin1Char(':')) == 1) {
        const int colon = t.indexOf(QLatin1Char(':'));
        host = t.left(colon);
        port = t.mid(colon + 1);
    }
    bool ok = port.isEmpty();
    const int number = port.isEmpty() ? kDefaultPort : (allDigits(port) ? port.toInt(&ok) : 0);
    if (!ok || number < 1 || number > 65535) {
        *error = QStringLiteral("The Modbus port \"%1\" is not a number from 1 to 65535.").arg(port);
        return false;
    }
    if (host.isEmpty() && !allDigits(t) && !t.startsWith(QLatin1Char(':'))) {
        *error = QStringLiteral("The Modbus address \"%1\" names no host.").arg(t);
        return false;
    }
    out->host = host;
    out->port = number;
    return true;
}

} // namespace modbus
