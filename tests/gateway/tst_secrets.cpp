// The broker password as an administrator hands it over: who besides the owner, the service's
// user and root may read the file that holds it (its ACL included, as systemd sets one on a
// credential), and no secret echoed in a refusal. Holds as root: the rule is judged, not tried.
#include "GatewayOptions.h"
#include "Preferences.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// The user this process runs as: the service's user when it runs as a service.
static QString me()
{
    const passwd *p = ::getpwuid(::geteuid());
    return p ? QString::fromLocal8Bit(p->pw_name) : QString::number(::geteuid());
}

class TestSecrets : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
        Prefs::reopen();
    }

    void whoMayReadThePassword_data()
    {
        QTest::addColumn<bool>("inPreferences"); // else --password-file
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("acl"); // setfacl -m entries, in order
        QTest::addColumn<QString>("error");    // empty: accepted
        QTest::newRow("credential: 0400 and an ACL entry for the service's user")
            << false << 0400 << QStringList{"u:" + me() + ":r"} << "";
        QTest::newRow("ACL entry for another user") << false << 0400 << QStringList{"u:nobody:r"}
                                                    << "may be read by others (its ACL lets the user nobody read it)";
        QTest::newRow("ACL entry for a group") << false << 0600 << QStringList{"g:nogroup:r"}
                                               << "its ACL lets the group nogroup read it";
        QTest::newRow("ACL entry masked off") << false << 0400 << QStringList{"u:nobody:r", "m::-"} << "";
        QTest::newRow("preferences 0600") << true << 0600 << QStringList() << "";
        QTest::newRow("preferences 0644") << true << 0644 << QStringList()
                                          << "which holds the broker password, may be read by others (mode 0644)";
    }
    void whoMayReadThePassword()
    {
        QFETCH(bool, inPreferences);
        QFETCH(int, mode);
        QFETCH(QStringList, acl);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QStringList arguments{"--broker", "127.0.0.1", "--user", "u"};
        QString path = dir.filePath(QStringLiteral("password"));
        if (inPreferences) {
            Prefs::set(QString::fromLatin1(kMqttPasswordKey), QStringLiteral("s3cret"));
            Prefs::sync();
            path = Prefs::storePath();
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("s3cret\n") == 7);
            f.close();
            arguments << "--password-file" << path;
        }
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
        for (const QString &entry : acl)
            QCOMPARE(QProcess::execute(QStringLiteral("setfacl"), {QStringLiteral("-m"), entry, path}), 0);
        const GatewayOptions o = ParseGatewayOptions(arguments);
        QVERIFY2(error.isEmpty() ? o.error.isEmpty() : o.error.contains(error), qPrintable(o.error));
        QCOMPARE(o.broker.settings.password, error.isEmpty() ? QStringLiteral("s3cret") : QString());
    }

    // The client key is a secret too: a key others may read is refused, named, with its mode.
    void aKeyOthersMayReadIsRefused()
    {
        Prefs::set(QString::fromLatin1(kMqttPasswordKey), QString()); // an earlier case's
        Prefs::sync();
        QTemporaryDir dir;
        const QString key = dir.filePath(QStringLiteral("client.key")), cert = dir.filePath(QStringLiteral("client.crt"));
        for (const QString &path : {key, cert}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("-") == 1);
        }
        QVERIFY(::chmod(QFile::encodeName(key).constData(), 0644) == 0);
        const GatewayOptions o = ParseGatewayOptions(
            {"--broker", "127.0.0.1", "--ca-file", cert, "--cert", cert, "--key", key});
        QVERIFY2(o.error.contains(QStringLiteral("The key file %1 may be read by others (mode 0644)").arg(key)),
                 qPrintable(o.error));
    }

    // A FIFO nobody writes to would hold the start for ever if it were opened to wait for a writer.
    void aFifoIsRefusedWithoutWaiting()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("password"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        const GatewayOptions o = ParseGatewayOptions({"--broker", "127.0.0.1", "--user", "u", "--password-file", path});
        QVERIFY2(o.error.contains(QStringLiteral("is not a file")), qPrintable(o.error));
    }

    void anUnknownOptionIsNamedWithoutItsValue_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("--password=VALUE") << QStringList{"--password=s3cret"} << "Unknown option \"--password\"";
        QTest::newRow("a value without its option") << QStringList{"--port", "COM1", "s3cret"} << "Argument 3 is not an option";
    }
    void anUnknownOptionIsNamedWithoutItsValue()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const QString told = ParseGatewayOptions(arguments).error;
        QVERIFY2(told.contains(error), qPrintable(told));
        QVERIFY2(!told.contains(QStringLiteral("s3cret")), qPrintable(told));
    }

private:
    QTemporaryDir config_;
};

QTEST_GUILESS_MAIN(TestSecrets)
#include "tst_secrets.moc"
