// plm870-gateway's HTTP server behind TLS and a password, as its clients meet it: the gateway
// runs as its own program on the simulator with a certificate made by openssl and a password
// file made by mosquitto_passwd and by the gateway itself; a TLS client that trusts only that
// certificate, plain HTTP, and a Prometheus server with basic_auth knock. A start with the
// secrets unsafe or missing is refused with its reason; SIGHUP takes a new password file.
#include "BasicAuth.h"
#include "DeviceModel.h"
#include "PtyServer.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <csignal>
#include <memory>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString gatewayProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway");
}

// Everything a connection brings until the server closes it (10 s at most: a limit only).
QByteArray untilClosed(QTcpSocket &s)
{
    QByteArray all;
    (void)QTest::qWaitFor([&] { all += s.readAll(); return s.state() == QAbstractSocket::UnconnectedState; }, 10000);
    return all + s.readAll();
}

QByteArray request(const QByteArray &authorization, const QByteArray &path = "/metrics")
{
    QByteArray r = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!authorization.isEmpty())
        r += "Authorization: " + authorization + "\r\n";
    return r + "\r\n";
}

QByteArray basic(const QByteArray &user, const QByteArray &password)
{
    return "Basic " + (user + ':' + password).toBase64();
}

} // namespace

class TestHttpAccess : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::PtyServer> sim_;
    QTemporaryDir home_;
    QTemporaryDir files_;
    QProcess gateway_;
    QByteArray journal_; // what the gateway has said
    quint16 port_ = 0;
    QByteArray mosquittoLine_; // "supervisor", made by mosquitto_passwd
    QByteArray ownLine_;       // "grafana", made by the gateway

    QString file(const char *name) const { return files_.filePath(QString::fromLatin1(name)); }

    void writeFile(const char *name, const QByteArray &bytes, QFile::Permissions mode)
    {
        QFile f(file(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        QVERIFY(f.setPermissions(mode));
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PLM870_HOME"), home_.path());
        env.insert(QStringLiteral("PLM870_COM1"), QString::fromStdString(sim_->slavePath()));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
        return env;
    }

    QStringList secured(quint16 port) const
    {
        return {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--http"), QString::number(port),
                QStringLiteral("--http-cert"), file("server.crt"), QStringLiteral("--http-key"), file("server.key"),
                QStringLiteral("--http-password-file"), file("passwords")};
    }

    // An answer over TLS from a client that trusts only the gateway's certificate.
    QByteArray askOverTls(const QByteArray &authorization, const char *from = "127.0.0.1", const QByteArray &path = "/metrics")
    {
        QSslSocket s;
        QSslConfiguration c = QSslConfiguration::defaultConfiguration();
        c.setCaCertificates(QSslCertificate::fromPath(file("server.crt")));
        s.setSslConfiguration(c);
        s.bind(QHostAddress(QLatin1String(from)));
        s.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port_);
        if (!QTest::qWaitFor([&] { return s.isEncrypted() || s.state() == QAbstractSocket::UnconnectedState; }, 20000))
            return "no handshake: " + s.errorString().toUtf8();
        s.write(request(authorization, path));
        return untilClosed(s);
    }

private slots:
    void initTestCase()
    {
        const QString script = QStringLiteral(R"(set -e
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.crt \
  -days 30 -subj "/CN=localhost" -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" 2>/dev/null
chmod 600 server.key
mosquitto_passwd -c -b passwords supervisor 'Ofen 7 heiß'
)");
        QProcess make;
        make.setWorkingDirectory(files_.path());
        make.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
        QVERIFY(make.waitForFinished(60000));
        QVERIFY2(make.exitCode() == 0, make.readAllStandardError().constData());
        QFile made(file("passwords"));
        QVERIFY(made.open(QIODevice::ReadOnly));
        mosquittoLine_ = made.readAll().trimmed();
        QProcess line;
        line.start(gatewayProgram(), {QStringLiteral("--http-password-line"), QStringLiteral("grafana")});
        line.write("scrape-me\n");
        line.closeWriteChannel();
        QVERIFY(line.waitForFinished(60000));
        ownLine_ = line.readAllStandardOutput().trimmed();
        QVERIFY2(line.exitCode() == 0 && ownLine_.startsWith("grafana:$7$20000$"), ownLine_.constData());
        writeFile("passwords", "# who may read the pages\n" + mosquittoLine_ + "\n\n" + ownLine_ + "\n",
                  QFile::ReadOwner | QFile::WriteOwner);

        sim::DeviceModel m;
        m.setLive(false);
        m.block(0).present = true;
        m.block(0).connected.fill(1);
        m.value(0, "0080", 0) = 217;
        sim_ = std::make_unique<sim::PtyServer>(m, sim::ServeOptions{});
        std::string error;
        QVERIFY2(sim_->start(&error), error.c_str());
        port_ = freePort();
        gateway_.setProcessEnvironment(environment());
        connect(&gateway_, &QProcess::readyReadStandardError, this, [this] { journal_ += gateway_.readAllStandardError(); });
        gateway_.start(gatewayProgram(), secured(port_));
        QVERIFY(gateway_.waitForStarted(10000));
        QVERIFY2(QTest::qWaitFor([this] { return askOverTls(basic("grafana", "scrape-me")).contains("plm870_block_up{block=\"1\"} 1"); },
                                 180000),
                 journal_.constData());
        QVERIFY2(journal_.contains(", TLS, password asked (read-only: /, "), journal_.constData());
    }

    // The password file's users and the wait after a wrong guess, on the server's own clock.
    void passwordsAreJudgedByTheirHash_data()
    {
        QTest::addColumn<QByteArray>("authorization");
        QTest::addColumn<QString>("from");
        QTest::addColumn<qint64>("atMs");
        QTest::addColumn<int>("verdict");
        const int allowed = int(http::BasicAuth::Verdict::Allowed), refused = int(http::BasicAuth::Verdict::Refused),
                  tooSoon = int(http::BasicAuth::Verdict::TooSoon);
        // One session of requests, in order, against one judge.
        QTest::newRow("mosquitto_passwd's line") << basic("supervisor", "Ofen 7 heiß") << "a" << 0LL << allowed;
        QTest::newRow("no Authorization") << QByteArray() << "a" << 0LL << refused;
        QTest::newRow("another scheme") << QByteArray("Bearer abc") << "a" << 0LL << refused;
        QTest::newRow("a wrong password") << basic("grafana", "scrape-me ") << "b" << 1000LL << refused;
        QTest::newRow("right, but too soon after it") << basic("grafana", "scrape-me") << "b" << 1999LL << tooSoon;
        QTest::newRow("a header known good, even then") << basic("supervisor", "Ofen 7 heiß") << "b" << 1999LL << allowed;
        QTest::newRow("another address meanwhile") << basic("nobody", "scrape-me") << "c" << 1999LL << refused;
        QTest::newRow("the gateway's line, a second later") << basic("grafana", "scrape-me") << "b" << 2000LL << allowed;
        QTest::newRow("a user's password for another") << basic("supervisor", "scrape-me") << "b" << 3000LL << refused;
        QTest::newRow("no colon") << "Basic " + QByteArray("grafanascrape-me").toBase64() << "d" << 5000LL << refused;
        QTest::newRow("not base64") << QByteArray("Basic ***") << "e" << 5000LL << refused;
    }
    void passwordsAreJudgedByTheirHash()
    {
        QFETCH(QByteArray, authorization);
        QFETCH(QString, from);
        QFETCH(qint64, atMs);
        QFETCH(int, verdict);
        static std::unique_ptr<http::BasicAuth> judge;
        if (!judge) {
            http::HttpPasswords passwords;
            QString error;
            QVERIFY2(passwords.parse(mosquittoLine_ + '\n' + ownLine_, &error), qPrintable(error));
            judge = std::make_unique<http::BasicAuth>(passwords);
        }
        QCOMPARE(int(judge->judge(authorization, from, atMs)), verdict);
    }

    void unusableFilesStopTheStart_data()
    {
        QTest::addColumn<QByteArray>("passwords");
        QTest::addColumn<QStringList>("change"); // pairs: an option and its value (none: left out), or "mode" and a file
        QTest::addColumn<QString>("told");
        const QByteArray good = "supervisor:$7$101$c2FsdHNhbHRzYWx0$aGFzaA==\n";
        QTest::newRow("a password over plain HTTP") << good << QStringList{"--http-cert", "", "--http-key", ""} << "needs --http-cert and --http-key: a password sent over plain HTTP";
        QTest::newRow("a key others may read") << good << QStringList{"mode", "server.key"} << "The HTTP key file .* may be read by others \\(mode 0644\\)";
        QTest::newRow("a password file others may read") << good << QStringList{"mode", "passwords"} << "The HTTP password file .* may be read by others";
        QTest::newRow("a password in the file") << QByteArray("supervisor:Ofen 7 heiß\n") << QStringList()
                                                << "password file .* cannot be used: line 1 is not \"user:\\$7\\$";
        QTest::newRow("iterations beyond reason") << QByteArray("a:$7$99999999$c2FsdA==$aGFzaA==\n") << QStringList() << "line 1 is not";
        QTest::newRow("no user") << QByteArray("# nobody yet\n") << QStringList() << "cannot be used: it names no user";
        QTest::newRow("not a certificate") << good << QStringList{"--http-cert", "passwords"} << "holds no PEM certificate";
        QTest::newRow("TLS without --http") << good << QStringList{"--http", ""} << "need --http";
    }
    void unusableFilesStopTheStart()
    {
        QFETCH(QByteArray, passwords);
        QFETCH(QStringList, change);
        QFETCH(QString, told);
        QTemporaryDir dir;
        const QString passwordFile = dir.filePath(QStringLiteral("passwords"));
        QFile f(passwordFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(passwords);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QStringList arguments = secured(freePort());
        arguments[arguments.indexOf(QStringLiteral("--http-password-file")) + 1] = passwordFile;
        for (qsizetype i = 0; i + 1 < change.size(); i += 2) {
            const QString value = change[i + 1] == QLatin1String("passwords") ? passwordFile : change[i + 1];
            if (change[i] == QLatin1String("mode")) {
                const QString target = value == passwordFile ? passwordFile : file("server.key");
                QVERIFY(QFile::setPermissions(target, QFile::permissions(target) | QFile::ReadOther | QFile::ReadGroup));
                continue;
            }
            arguments.remove(arguments.indexOf(change[i]), 2);
            if (!value.isEmpty())
                arguments << change[i] << value;
        }
        QProcess g;
        g.setProcessEnvironment(environment());
        g.start(gatewayProgram(), arguments);
        QVERIFY(g.waitForFinished(60000));
        QFile::setPermissions(file("server.key"), QFile::ReadOwner | QFile::WriteOwner);
        const QString said = QString::fromUtf8(g.readAllStandardError());
        QCOMPARE(g.exitCode(), 2);
        QVERIFY2(said.contains(QRegularExpression(told)), qPrintable(said));
    }

    // Only a client that finishes TLS and names a user of the file reads a page; the challenge
    // makes a browser ask for the password.
    void onlyAUserOverTlsReads()
    {
        const QByteArray asked = askOverTls(QByteArray(), "127.0.0.2");
        QVERIFY2(asked.startsWith("HTTP/1.1 401 Unauthorized\r\n"), asked.constData());
        QVERIFY(asked.contains("\r\nWWW-Authenticate: Basic realm=\"plm870-gateway\", charset=\"UTF-8\"\r\n"));
        QVERIFY(asked.contains("\r\nX-Content-Type-Options: nosniff\r\n") && !asked.contains("plm870_"));
        QVERIFY(askOverTls(basic("supervisor", "Ofen 7 heiß"), "127.0.0.3").contains("plm870_pv{block=\"1\",channel=\"1\","));
        QVERIFY(askOverTls(basic("supervisor", "ofen 7 heiß"), "127.0.0.4").startsWith("HTTP/1.1 401 "));
        QVERIFY(askOverTls(QByteArray(), "127.0.0.5", "/events").startsWith("HTTP/1.1 401 ")); // the live view's stream too
        // Plain HTTP on the TLS port reads nothing.
        QTcpSocket plain;
        plain.connectToHost(QHostAddress::LocalHost, port_);
        plain.write(request(basic("grafana", "scrape-me")));
        QVERIFY(!untilClosed(plain).contains("HTTP/1.1"));
        // A handshake never finished is held to the request's limit, not the idle one.
        QTcpSocket stalled;
        stalled.connectToHost(QHostAddress::LocalHost, port_);
        QVERIFY(stalled.waitForConnected(10000));
        stalled.write("\x16\x03\x01");
        QVERIFY(QTest::qWaitFor([&] { return stalled.state() == QAbstractSocket::UnconnectedState; }, 50000));
        QVERIFY2(journal_.contains("dropped: its request was not whole 5 s after its first byte"), journal_.constData());
    }

    void prometheusScrapesWithItsPassword()
    {
        QTemporaryDir dir;
        const quint16 web = freePort();
        QFile config(dir.filePath(QStringLiteral("prometheus.yml")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\nscrape_configs:\n  - job_name: plm870\n"
                     "    scheme: https\n    tls_config:\n      ca_file: " + file("server.crt").toUtf8() +
                     "\n    basic_auth:\n      username: grafana\n      password: scrape-me\n"
                     "    static_configs:\n      - targets: ['127.0.0.1:" + QByteArray::number(port_) + "']\n");
        config.close();
        QProcess prometheus;
        prometheus.setProcessChannelMode(QProcess::MergedChannels);
        prometheus.start(QStringLiteral("/usr/bin/prometheus"),
                         {QStringLiteral("--config.file=") + config.fileName(),
                          QStringLiteral("--storage.tsdb.path=") + dir.filePath(QStringLiteral("data")),
                          QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(web)});
        QVERIFY2(prometheus.waitForStarted(10000), "prometheus is not installed: run scripts/install-deps.sh");
        const auto pv = [web] {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, web);
            s.write("GET /api/v1/query?query=" + QUrl::toPercentEncoding(QStringLiteral("plm870_pv{channel=\"1\"}"))
                    + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
            const QByteArray answer = untilClosed(s);
            const QJsonArray result = QJsonDocument::fromJson(answer.mid(answer.indexOf("\r\n\r\n") + 4))
                                          .object()[QStringLiteral("data")][QStringLiteral("result")].toArray();
            return result.isEmpty() ? QString() : result.first()[QStringLiteral("value")].toArray().at(1).toString();
        };
        const bool scraped = QTest::qWaitFor([&] { return pv() == QLatin1String("217"); }, 120000);
        prometheus.terminate();
        QVERIFY(prometheus.waitForFinished(30000));
        QVERIFY2(scraped, prometheus.readAll().constData());
    }

    // SIGHUP: the file as it is now, for the connections that follow.
    void aReloadTakesTheNewPasswordFile()
    {
        writeFile("passwords", ownLine_ + "\n", QFile::ReadOwner | QFile::WriteOwner);
        ::kill(pid_t(gateway_.processId()), SIGHUP);
        QVERIFY(QTest::qWaitFor([this] { return journal_.contains("Reloaded (SIGHUP) the HTTP certificate, key and password file"); },
                                30000));
        QVERIFY(askOverTls(basic("supervisor", "Ofen 7 heiß"), "127.0.0.5").startsWith("HTTP/1.1 401 "));
        QVERIFY(askOverTls(basic("grafana", "scrape-me"), "127.0.0.6").startsWith("HTTP/1.1 200 OK\r\n"));
    }

    void cleanupTestCase()
    {
        ::kill(pid_t(gateway_.processId()), SIGTERM);
        QVERIFY(gateway_.waitForFinished(30000));
        QCOMPARE(gateway_.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHttpAccess)
#include "tst_http_access.moc"
