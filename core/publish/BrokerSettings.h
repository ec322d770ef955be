// Where the monitor publishes: the broker's address, the topic prefix, the optional login, TLS
// CA file and client certificate, read from the preferences. Nothing is published unless a host is named.
#pragma once

#include <QString>

struct BrokerSettings {
    QString host; // empty: no publishing
    int port = 1883;
    QString prefix = QStringLiteral("plm870");
    QString user;
    QString password;
    QString caFile; // empty: plain TCP
    QString certFile; // the client's certificate for TLS, with keyFile; empty: none
    QString keyFile;
    // Where kept messages (alarm events, changes) wait on the disk until the broker has them;
    // empty: in memory only. Not a preference: the gateway names its state folder's.
    QString spoolPath;
    qint64 spoolBytes = 100LL * 1024 * 1024;
};

struct BrokerSettingsResult {
    BrokerSettings settings;
    QString error; // one clear message when the stored settings cannot be used; then no publishing
    bool enabled() const { return error.isEmpty() && !settings.host.isEmpty(); }
};

// Preference keys.
inline const char *const kMqttHostKey = "MQTT_Host";
inline const char *const kMqttPortKey = "MQTT_Port";
inline const char *const kMqttPrefixKey = "MQTT_Prefix";
inline const char *const kMqttUserKey = "MQTT_User";
inline const char *const kMqttPasswordKey = "MQTT_Password";
inline const char *const kMqttCaFileKey = "MQTT_CAFile";
inline const char *const kMqttCertFileKey = "MQTT_CertFile";
inline const char *const kMqttKeyFileKey = "MQTT_KeyFile";

// Checks texts as the settings dialog and the preferences give them.
BrokerSettingsResult CheckBrokerSettings(const QString &host, const QString &port, const QString &prefix,
                                         const QString &user, const QString &password, const QString &caFile,
                                         const QString &certFile = QString(), const QString &keyFile = QString());
BrokerSettingsResult ReadBrokerSettings();
// A password is stored only in a preferences file its owner alone may read (mode 0600); false,
// with the reason and nothing stored, when the file cannot be made so.
bool StoreBrokerSettings(const BrokerSettings &settings, QString *why);
