// What an administrator meets: the options that carry secrets and addresses, and the gateway's
// own words when the port, the broker or the Modbus address cannot be used: what failed, the
// system's reason, once, and no password in the process list.
#include "GatewayOptions.h"
#include "HttpServer.h"
#include "ModbusListen.h"
#include "Preferences.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>

namespace {

// Starts the gateway with a home of its own; its standard error is collected.
struct GatewayRun {
    QTemporaryDir home;
    QProcess process;
    QByteArray err;
    explicit GatewayRun(const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PLM870_HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway"), args);
    }
    bool waitFor(const QByteArray &text, int limitMs = 60000)
    {
        QElapsedTimer t;
        t.start();
        while (!err.contains(text) && t.elapsed() < limitMs && process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(200);
            err += process.readAllStandardError();
        }
        err += process.readAllStandardError();
        return err.contains(text);
    }
    ~GatewayRun()
    {
        if (process.state() == QProcess::Running) {
            ::kill(pid_t(process.processId()), SIGTERM);
            process.waitForFinished(30000);
        }
    }
};

} // namespace

class TestGatewayMessages : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
        Prefs::reopen();
    }

    void passwordFile_data()
    {
        QTest::addColumn<int>("mode"); // -1: no file
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("more");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("password");
        const QStringList user{QStringLiteral("--broker"), QStringLiteral("127.0.0.1"), QStringLiteral("--user"), QStringLiteral("u")};
        QTest::newRow("0600, first line") << 0600 << QByteArray("s3cret\nsecond line\n") << user << "" << "s3cret";
        QTest::newRow("0400, CR LF") << 0400 << QByteArray("pa ss\r\n") << user << "" << "pa ss";
        QTest::newRow("empty: none") << 0600 << QByteArray() << QStringList() << "" << "";
        QTest::newRow("empty keeps --password") << 0600 << QByteArray() << user + QStringList{"--password", "cl"} << "" << "cl";
        QTest::newRow("group may read") << 0640 << QByteArray("x\n") << user << "may be read by others (mode 0640)" << "";
        QTest::newRow("others may read") << 0604 << QByteArray("x\n") << user << "may be read by others (mode 0604)" << "";
        QTest::newRow("missing") << -1 << QByteArray() << user << "cannot be read: No such file or directory" << "";
        QTest::newRow("given twice") << 0600 << QByteArray("a\n") << user + QStringList{"--password", "b"}
                                     << "given twice" << "";
    }
    void passwordFile()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, more);
        QFETCH(QString, error);
        QFETCH(QString, password);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("password"));
        if (mode >= 0) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
            f.close();
            QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
        }
        const GatewayOptions o = ParseGatewayOptions(QStringList{QStringLiteral("--password-file"), path} + more);
        QVERIFY2(error.isEmpty() ? o.error.isEmpty() : o.error.contains(error), qPrintable(o.error));
        if (error.isEmpty())
            QCOMPARE(o.broker.settings.password, password);
    }

    // Where the Modbus and HTTP servers listen, from the option or the preference key alike.
    void listenAddress_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("error");
        const QString m = QStringLiteral("--modbus"), h = QStringLiteral("--http");
        QTest::newRow("off") << m << "" << "" << 0 << "";
        QTest::newRow("port alone: every address") << m << "1502" << "" << 1502 << "";
        QTest::newRow("colon and port") << m << ":1502" << "" << 1502 << "";
        QTest::newRow("host alone: 502") << m << "192.168.1.5" << "192.168.1.5" << 502 << "";
        QTest::newRow("host and port") << m << "127.0.0.1:1502" << "127.0.0.1" << 1502 << "";
        QTest::newRow("IPv6 in brackets") << m << "[::1]:1502" << "::1" << 1502 << "";
        QTest::newRow("IPv6 any, default port") << m << "[::]" << "::" << 502 << "";
        QTest::newRow("port 0") << m << "0" << "" << 0 << "is not a number from 1 to 65535";
        QTest::newRow("port too big") << m << "h:65536" << "" << 0 << "is not a number from 1 to 65535";
        QTest::newRow("port by name") << m << "h:modbus" << "" << 0 << "is not a number from 1 to 65535";
        QTest::newRow("bracket not closed") << m << "[::1:502" << "" << 0 << "is not [IPv6]:PORT";
        QTest::newRow("no host before the colon") << m << "[]:502" << "" << 0 << "names no host";
        QTest::newRow("http off") << h << "" << "" << 0 << "";
        QTest::newRow("http port alone: loopback only") << h << "9870" << "127.0.0.1" << 9870 << "";
        QTest::newRow("http colon and port: loopback only") << h << ":9870" << "127.0.0.1" << 9870 << "";
        QTest::newRow("http every address, asked for") << h << "0.0.0.0:9870" << "0.0.0.0" << 9870 << "";
        QTest::newRow("http IPv6") << h << "[::1]:9870" << "::1" << 9870 << "";
        QTest::newRow("http host alone: no default port") << h << "plc.local" << "" << 0 << "The HTTP address \"plc.local\" names no port.";
        QTest::newRow("http port too big") << h << "70000" << "" << 0 << "The HTTP port \"70000\" is not a number";
    }
    void listenAddress()
    {
        QFETCH(QString, option);
        QFETCH(QString, text);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, error);
        const bool isHttp = option == QLatin1String("--http");
        const auto where = [isHttp](const GatewayOptions &o) { return isHttp ? o.http : o.modbus; };
        const GatewayOptions o = ParseGatewayOptions({option, text});
        QVERIFY2(error.isEmpty() ? o.error.isEmpty() : o.error.contains(error), qPrintable(o.error));
        if (!error.isEmpty())
            return;
        QCOMPARE(where(o).host, host);
        QCOMPARE(where(o).port, port);
        QCOMPARE(where(o).enabled(), port != 0);
        // the preference key gives the same
        const QString key = QString::fromLatin1(isHttp ? http::kHttpListenKey : modbus::kModbusListenKey);
        Prefs::set(key, text);
        QCOMPARE(where(ParseGatewayOptions({})).port, port);
        Prefs::set(key, QString());
    }

    // A missing port and an unreachable broker: each told once with the system's reason; the
    // password given on the command line is not in the process list.
    void missingPortAndBrokerToldOnce()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 brokerPort = closed.serverPort();
        closed.close(); // nobody listens there now: the connection is refused
        GatewayRun run({QStringLiteral("--port"), QStringLiteral("/dev/ttyNOPE"), QStringLiteral("--broker"),
                        QStringLiteral("127.0.0.1:%1").arg(brokerPort), QStringLiteral("--user"), QStringLiteral("u"),
                        QStringLiteral("--password"), QStringLiteral("s3cr3t-w0rd")});
        QVERIFY(run.process.waitForStarted(10000));
        QVERIFY2(run.waitFor("/dev/ttyNOPE: No such file or directory"), run.err.constData());
        QVERIFY2(run.waitFor("cannot be reached: Connection refused"), run.err.constData());
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(run.process.processId()));
        QVERIFY(cmdline.open(QIODevice::ReadOnly));
        const QByteArray shown = cmdline.readAll();
        QVERIFY(shown.contains("--password"));
        QVERIFY2(!shown.contains("s3cr3t-w0rd"), shown.constData());
        QVERIFY(run.err.contains("--password-file"));
        // Many more attempts on the port and the broker: still one line each.
        QTest::qWait(3000);
        run.err += run.process.readAllStandardError();
        QCOMPARE(run.err.count("No such file or directory"), 1);
        QCOMPARE(run.err.count("cannot be reached"), 1);
        QVERIFY2(!run.err.contains("Operation valid only"), run.err.constData());
        QVERIFY(!run.err.contains("COM1 at"));
    }

    // A port that appears later: its failure is told with the suffix, its success alone; the
    // end of the start-up read is no flip of the blocks to stale and back.
    void portThatAppearsIsToldAlone()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("tty"));
        GatewayRun run({QStringLiteral("--port"), link, QStringLiteral("--speed"), QStringLiteral("9600")});
        QVERIFY2(run.waitFor("No such file or directory"), run.err.constData());
        QProcess sim; // eight blocks at the line's pace: the start-up read's first values are old at its end
        sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870sim"),
                  {QStringLiteral("--blocks"), QStringLiteral("0-7"), QStringLiteral("--baud"), QStringLiteral("9600"),
                   QStringLiteral("--link"), link});
        QVERIFY(sim.waitForStarted(10000));
        QVERIFY2(run.waitFor("Start-up read done"), run.err.constData());
        // Every block is polled, none is told stale and good again.
        QVERIFY(!run.waitFor("stale", 8000));
        const QList<QByteArray> lines = run.err.split('\n');
        const auto answers = std::find_if(lines.begin(), lines.end(), [](const QByteArray &l) { return l.contains("answers on"); });
        QVERIFY2(answers != lines.end(), run.err.constData());
        QCOMPARE(*answers, "The controller answers on COM1 (" + QFile::encodeName(link) + ").");
        sim.terminate();
        sim.waitForFinished(10000);
    }

    void modbusAddressInUse()
    {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
        GatewayRun run({QStringLiteral("--port"), QStringLiteral("/dev/ttyNOPE"), QStringLiteral("--modbus"),
                        QStringLiteral("127.0.0.1:%1").arg(taken.serverPort())});
        QVERIFY(run.process.waitForFinished(30000));
        run.err += run.process.readAllStandardError();
        QCOMPARE(run.process.exitCode(), 1);
        QVERIFY2(run.err.contains(QStringLiteral("Modbus TCP cannot listen on 127.0.0.1:%1: Address already in use")
                                      .arg(taken.serverPort())
                                      .toUtf8()),
                 run.err.constData());
    }

    // A flood of clients that send garbage is one line in the journal, not one per client.
    void garbageClientsAreOneLine()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        GatewayRun run({QStringLiteral("--port"), QStringLiteral("/dev/ttyNOPE"), QStringLiteral("--modbus"),
                        QStringLiteral("127.0.0.1:%1").arg(port)});
        QVERIFY2(run.waitFor("Modbus TCP: listening"), run.err.constData());
        for (int i = 0; i < 2000; ++i) {
            QTcpSocket client;
            client.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(client.waitForConnected(10000));
            client.write(QByteArray::fromHex("00011234000601030000000a")); // protocol 0x1234
            QVERIFY(client.state() == QAbstractSocket::UnconnectedState || client.waitForDisconnected(10000));
        }
        QVERIFY(!run.waitFor("not Modbus TCP (", 1000)); // no count line before a minute has passed
        QCOMPARE(run.err.count("not Modbus TCP"), 1);
    }

private:
    QTemporaryDir config_;
};

QTEST_GUILESS_MAIN(TestGatewayMessages)
#include "tst_gateway_messages.moc"
