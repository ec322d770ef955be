#include "GatewayOptions.h"

#include "HttpSecurityFiles.h"
#include "HttpServer.h"
#include "Preferences.h"
#include "SecretFile.h"

namespace {

struct Named {
    const char *option;
    QString *target;
};

// Named without what it carries: "--password=SECRET" or a stray password must not reach the
// journal.
QString unknownArgument(const QString &argument, int index)
{
    if (!argument.startsWith(QLatin1Char('-')))
        return QStringLiteral("Argument %1 is not an option (its text is not shown: it may be a secret).").arg(index + 1);
    const QString name = argument.section(QLatin1Char('='), 0, 0);
    if (name.size() < argument.size())
        return QStringLiteral("Unknown option \"%1\" (options take their value as the next argument; the value is "
                              "not shown).")
            .arg(name);
    return QStringLiteral("Unknown option \"%1\".").arg(name);
}

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
    QString certFile = stored(kMqttCertFileKey);
    QString keyFile = stored(kMqttKeyFileKey);
    QString modbusListen = stored(modbus::kModbusListenKey);
    QString httpListen = stored(http::kHttpListenKey);
    HttpSecurityFiles httpFiles{stored(kHttpCertFileKey), stored(kHttpKeyFileKey), stored(kHttpPasswordFileKey)};
    QString passwordGiven;
    QString passwordFile;
    QString spoolMb;
    const Named named[] = {{"--port", &o.port},       {"--speed", &o.speed},
                           {"--broker", &broker},     {"--prefix", &prefix},
                           {"--user", &user},         {"--password", &passwordGiven},
                           {"--password-file", &passwordFile}, {"--ca-file", &caFile},
                           {"--modbus", &modbusListen}, {"--spool-mb", &spoolMb},
                           {"--http", &httpListen},
                           {"--http-cert", &httpFiles.certFile}, {"--http-key", &httpFiles.keyFile},
                           {"--http-password-file", &httpFiles.passwordFile},
                           {"--http-password-line", &o.passwordLineUser},
                           {"--cert", &certFile},     {"--key", &keyFile}};
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
            o.error = unknownArgument(a, i);
            return o;
        }
    }
    if (!o.passwordLineUser.isEmpty())
        return o; // the line is made without starting anything
    o.passwordOnCommandLine = !passwordGiven.isEmpty();
    bool fromPreferences = !o.passwordOnCommandLine;
    if (o.passwordOnCommandLine)
        password = passwordGiven;
    if (!passwordFile.isEmpty()) {
        QString fromFile;
        if (!ReadSecretFile(passwordFile, &fromFile, &o.error))
            return o;
        // An empty file (the service's credential when no password is set) leaves the password
        // as the preferences give it.
        if (!fromFile.isEmpty() && o.passwordOnCommandLine) {
            o.error = QStringLiteral("The broker password is given twice (--password and --password-file); "
                                     "keep it in the file only.");
            return o;
        }
        if (!fromFile.isEmpty()) {
            password = fromFile;
            fromPreferences = false;
        }
    }
    // A password the preferences give must be as private as one given with --password-file.
    if (!password.isEmpty() && fromPreferences
        && !CheckSecretHolder(Prefs::storePath(),
                              QStringLiteral("The preferences file \"%1\", which holds the broker password,")
                                  .arg(Prefs::storePath()),
                              &o.error))
        return o;
    if (!modbus::ParseModbusListen(modbusListen, &o.modbus, &o.error))
        return o;
    if (!http::ParseHttpListen(httpListen, &o.http, &o.error))
        return o;
    if (!LoadHttpSecurity(httpFiles, o.http.enabled(), &o.httpSecurity, &o.error))
        return o;
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
    o.broker = CheckBrokerSettings(broker, brokerPort, prefix, user, password, caFile, certFile, keyFile);
    if (!o.broker.error.isEmpty())
        o.error = o.broker.error;
    // The key is a secret like the password: judged the same way.
    if (o.error.isEmpty() && o.broker.enabled() && !o.broker.settings.keyFile.isEmpty())
        CheckSecretHolder(o.broker.settings.keyFile, QStringLiteral("The key file %1").arg(o.broker.settings.keyFile), &o.error);
    if (!spoolMb.isEmpty()) {
        bool ok = false;
        const double mb = spoolMb.toDouble(&ok);
        if (!ok || !(mb > 0) || mb > 1024 * 1024)
            o.error = QStringLiteral("The spool size \"%1\" is not a number of megabytes above 0.").arg(spoolMb);
        else
            o.broker.settings.spoolBytes = qint64(mb * 1024 * 1024);
    }
    return o;
}

QString GatewayUsage()
{
    return QStringLiteral(
        "Usage: plm870-gateway [--port COM1|COM2|DEVICE] [--speed 9600|19200]\n"
        "                      [--broker HOST[:PORT]] [--prefix PREFIX]\n"
        "                      [--user USER] [--password-file FILE] [--ca-file FILE]\n"
        "                      [--cert FILE --key FILE]\n"
        "                      [--modbus [HOST:]PORT] [--http [HOST:]PORT] [--spool-mb SIZE]\n"
        "                      [--http-cert FILE --http-key FILE [--http-password-file FILE]]\n"
        "       plm870-gateway --http-password-line USER   (reads the password from standard input)\n"
        "Polls the PLM-870 installation on the serial port, keeps the alarm history file,\n"
        "publishes values, alarms and link health to the broker and, with --modbus, answers\n"
        "Modbus TCP reads from its image (read-only; default port 502). With --http it serves\n"
        "a live view at /, JSON at /api/state, /api/alarms and /api/changes, and metrics for\n"
        "Prometheus at /metrics (read-only; a port alone listens on 127.0.0.1);\n"
        "--http-cert and --http-key make it HTTPS, and --http-password-file asks for a user\n"
        "and password (HTTP Basic) whose salted hashes the file holds, one line per user as\n"
        "--http-password-line or mosquitto_passwd makes it.\n"
        "--password-file reads the broker password from a file only its owner can read\n"
        "(--password PASSWORD works too, but every user of the machine can see it). --cert and\n"
        "--key give the client certificate for a TLS broker that asks for one; the key file is\n"
        "judged like the password file. Options not given are read from the monitor's\n"
        "preferences. Alarm events and changes wait for the broker in a spool in the state\n"
        "folder of at most --spool-mb megabytes (100 unless given; the oldest go beyond it).\n"
        "Stops cleanly on SIGTERM or SIGINT.\n");
}
