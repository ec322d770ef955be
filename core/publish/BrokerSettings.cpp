#include "BrokerSettings.h"

#include "Preferences.h"

#include <QFileInfo>
#include <utility>

BrokerSettingsResult CheckBrokerSettings(const QString &host, const QString &port, const QString &prefix,
                                         const QString &user, const QString &password, const QString &caFile,
                                         const QString &certFile, const QString &keyFile)
{
    BrokerSettingsResult r;
    BrokerSettings &s = r.settings;
    s.host = host.trimmed();
    s.user = user;
    s.password = password;
    s.caFile = caFile.trimmed();
    s.certFile = certFile.trimmed();
    s.keyFile = keyFile.trimmed();
    if (!prefix.trimmed().isEmpty())
        s.prefix = prefix.trimmed();
    if (s.host.isEmpty())
        return r; // publishing off: nothing else matters
    bool ok = true;
    const int p = port.trimmed().isEmpty() ? 1883 : port.trimmed().toInt(&ok);
    if (!ok || p < 1 || p > 65535) {
        r.error = QStringLiteral("The broker port \"%1\" is not a number from 1 to 65535. Nothing is published.").arg(port);
        return r;
    }
    s.port = p;
    // Wildcards and a leading or trailing slash would make topics nobody can subscribe to exactly.
    if (s.prefix.contains(QLatin1Char('#')) || s.prefix.contains(QLatin1Char('+')) || s.prefix.startsWith(QLatin1Char('/'))
        || s.prefix.endsWith(QLatin1Char('/'))) {
        r.error = QStringLiteral("The topic prefix \"%1\" may not contain # or + nor begin or end with /. Nothing is published.")
                      .arg(s.prefix);
        return r;
    }
    if (!s.caFile.isEmpty() && !QFileInfo(s.caFile).isReadable()) {
        r.error = QStringLiteral("The CA file \"%1\" cannot be read. Nothing is published.").arg(s.caFile);
        return r;
    }
    if (s.certFile.isEmpty() != s.keyFile.isEmpty()) {
        r.error = QStringLiteral("A client certificate needs its key file, and a key file its certificate. Nothing is published.");
        return r;
    }
    if (!s.certFile.isEmpty() && s.caFile.isEmpty()) {
        r.error = QStringLiteral("A client certificate is used with TLS only: name the CA file too. Nothing is published.");
        return r;
    }
    for (const auto &[file, what] : {std::pair<QString, const char *>{s.certFile, "certificate"}, {s.keyFile, "key"}}) {
        if (!file.isEmpty() && !QFileInfo(file).isReadable()) {
            r.error = QStringLiteral("The %1 file \"%2\" cannot be read. Nothing is published.").arg(QLatin1String(what), file);
            return r;
        }
    }
    if (s.user.isEmpty() && !s.password.isEmpty()) {
        r.error = QStringLiteral("A broker password needs a user name. Nothing is published.");
        return r;
    }
    return r;
}

BrokerSettingsResult ReadBrokerSettings()
{
    const auto get = [](const char *key) { return Prefs::get(QString::fromLatin1(key)); };
    return CheckBrokerSettings(get(kMqttHostKey), get(kMqttPortKey), get(kMqttPrefixKey), get(kMqttUserKey),
                               get(kMqttPasswordKey), get(kMqttCaFileKey), get(kMqttCertFileKey), get(kMqttKeyFileKey));
}

bool StoreBrokerSettings(const BrokerSettings &s, QString *why)
{
    if (!s.password.isEmpty() && !Prefs::keepPrivate(why))
        return false;
    Prefs::set(QString::fromLatin1(kMqttHostKey), s.host);
    Prefs::set(QString::fromLatin1(kMqttPortKey), QString::number(s.port));
    Prefs::set(QString::fromLatin1(kMqttPrefixKey), s.prefix);
    Prefs::set(QString::fromLatin1(kMqttUserKey), s.user);
    Prefs::set(QString::fromLatin1(kMqttPasswordKey), s.password);
    Prefs::set(QString::fromLatin1(kMqttCaFileKey), s.caFile);
    Prefs::set(QString::fromLatin1(kMqttCertFileKey), s.certFile);
    Prefs::set(QString::fromLatin1(kMqttKeyFileKey), s.keyFile);
    Prefs::sync();
    return true;
}
