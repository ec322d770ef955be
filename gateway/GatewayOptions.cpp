#include "GatewayOptions.h"

#include "Preferences.h"

namespace {

struct Named {
    const char *option;
    QString *target;
};

} // namespace

GatewayOptions ParseGatewayOptions(const QStringList &arguments)
{
    GatewayOptions o;
    const auto stored = [](const char *key) { return Prefs::get(QString::fromLatin1(key)); };
    QString broker = stored(kMqttHostKey);
    QString brokerPort = stored(kMqttPortKey);
    QString prefix = stored(kMqttPrefixKey);
    QString user = stored(kMqttUserKey);
    QString password = stored(kMqttPasswordKey);
    QString caFile = stored(kMqttCaFileKey);
    const Named named[] = {{"--port", &o.port},     {"--speed", &o.speed},       {"--broker", &broker},
                           {"--prefix", &prefix},   {"--user", &user},           {"--password", &password},
                           {"--ca-file", &caFile}};
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            o.help = true;
            return o;
        }
        bool known = false;
        for (const Named &n : named) {
            if (a == QLatin1String(n.option)) {
                if (i + 1 >= arguments.size()) {
                    o.error = QStringLiteral("%1 needs a value.").arg(a);
                    return o;
                }
                *n.target = arguments[++i];
                known = true;
            }
        }
        if (!known) {
            o.error = QStringLiteral("Unknown option \"%1\".").arg(a);
            return o;
        }
    }
    // --broker host:port names both at once.
    const int colon = broker.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && !broker.contains(QLatin1Char(']')) && broker.count(QLatin1Char(':')) == 1) {
        brokerPort = broker.mid(colon + 1);
        broker = broker.left(colon);
    }
    if (!o.speed.isEmpty() && o.speed != QLatin1String("9600") && o.speed != QLatin1String("19200")) {
        o.error = QStringLiteral("The speed \"%1\" is not 9600 or 19200.").arg(o.speed);
        return o;
    }
    o.broker = CheckBrokerSettings(broker, brokerPort, prefix, user, password, caFile);
    if (!o.broker.error.isEmpty())
        o.error = o.broker.error;
    return o;
}

QString GatewayUsage()
{
    return QStringLiteral(
        "Usage: plm870-gateway [--port COM1|COM2|DEVICE] [--speed 9600|19200]\n"
        "                      [--broker HOST[:PORT]] [--prefix PREFIX]\n"
        "                      [--user USER] [--password PASSWORD] [--ca-file FILE]\n"
        "Polls the PLM-870 installation on the serial port, keeps the alarm history file and\n"
        "publishes values, alarms and link health to the broker. Options not given are read from\n"
        "the monitor's preferences. Stops cleanly on SIGTERM or SIGINT.\n");
}
