// plm870-gateway's HTTP server as Prometheus meets it: the gateway runs as its own program on
// the simulator, and peers nobody here wrote judge it: promtool finds nothing to say of a
// scrape, and a Prometheus server of the test's own scrapes it and answers queries with the
// simulator's values, and with a block that stopped answering as down and without values.
// Writes, unknown paths and clients beyond the bounds are refused; polling goes on meanwhile.
#include "DeviceModel.h"
#include "HttpServer.h"
#include "PtyServer.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <csignal>
#include <memory>

namespace {

const char kPrometheus[] = "/usr/bin/prometheus";
const char kPromtool[] = "/usr/bin/promtool";

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A connection from a loopback address of its own (127.0.0.x).
struct Peer : QTcpSocket {
    Peer(const char *from, quint16 port)
    {
        bind(QHostAddress(QLatin1String(from)));
        connectToHost(QHostAddress::LocalHost, port);
    }
    // Everything until the server closes (or 10 s: a limit only).
    QByteArray untilClosed()
    {
        QByteArray all;
        (void)QTest::qWaitFor([&] { all += readAll(); return state() == UnconnectedState; }, 10000);
        return all + readAll();
    }
    // One whole answer on a connection that stays open.
    QByteArray answer()
    {
        QByteArray all;
        (void)QTest::qWaitFor([&] {
            all += readAll();
            const qsizetype end = all.indexOf("\r\n\r\n");
            const qsizetype length = all.indexOf("Content-Length: ");
            return state() == UnconnectedState
                   || (end > 0 && length > 0 && all.size() >= end + 4 + all.mid(length + 16, 12).split('\r').first().toInt());
        }, 10000);
        return all;
    }
};

QByteArray get(quint16 port, const QByteArray &target, const char *from = "127.0.0.1")
{
    Peer p(from, port);
    p.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    return p.untilClosed();
}

QByteArray bodyOf(const QByteArray &answer)
{
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

} // namespace

class TestHttpPeers : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::PtyServer> sim_;
    QTemporaryDir home_;
    QProcess gateway_;
    quint16 port_ = 0;

    static sim::DeviceModel model()
    {
        sim::DeviceModel m;
        m.setLive(false);
        for (int b = 0; b < 3; ++b) {
            sim::BlockConfig &c = m.block(b);
            c.present = true;
            c.connected.fill(1);
            c.inputType.fill(b == 1 ? 8 : 0); // block 2 in tenths of a degree
            for (int ch = 0; ch < 20; ++ch) {
                m.value(b, "0080", ch) = int16_t(100 * b + ch);
                m.value(b, "0083", ch) = 0;
            }
        }
        m.value(0, "0080", 2) = 345;
        m.value(0, "0083", 2) = 0x0002; // alarm 1 of channel 3
        m.value(1, "0080", 4) = -123;   // -12.3 deg
        return m;
    }

    QByteArray scrape() { return bodyOf(get(port_, "/metrics")); }

private slots:
    void initTestCase()
    {
        sim_ = std::make_unique<sim::PtyServer>(model(), sim::ServeOptions{});
        std::string error;
        QVERIFY2(sim_->start(&error), error.c_str());
        port_ = freePort();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PLM870_HOME"), home_.path());
        env.insert(QStringLiteral("PLM870_COM1"), QString::fromStdString(sim_->slavePath()));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
        gateway_.setProcessEnvironment(env);
        gateway_.setProcessChannelMode(QProcess::ForwardedChannels);
        gateway_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway"),
                       {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--http"), QString::number(port_)});
        QVERIFY(gateway_.waitForStarted(10000));
        QVERIFY(QTest::qWaitFor([this] { return scrape().contains("plm870_block_up{block=\"3\"} 1"); }, 180000));
    }

    // The values as the pages show them, the stale rule's metrics, and promtool's verdict.
    void promtoolFindsNothingToSay()
    {
        const QByteArray answer = get(port_, "/metrics");
        QVERIFY2(answer.startsWith("HTTP/1.1 200 OK\r\n"), answer.left(200).constData());
        QVERIFY(answer.contains("\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"));
        const QByteArray metrics = bodyOf(answer);
        for (const char *line : {"plm870_pv{block=\"1\",channel=\"3\",name=\"Ch003\",unit=\"deg.C\"} 345\n",
                                 "plm870_pv{block=\"2\",channel=\"25\",name=\"Ch025\",unit=\"deg.C\"} -12.3\n",
                                 "plm870_alarm{block=\"1\",channel=\"3\",name=\"Ch003\",kind=\"alarm1\"} 1\n",
                                 "plm870_alarm{block=\"1\",channel=\"3\",name=\"Ch003\",kind=\"alarm2\"} 0\n",
                                 "plm870_block_present{block=\"4\"} 0\n", "plm870_block_up{block=\"4\"} 0\n",
                                 "plm870_line_up 1\n"})
            QVERIFY2(metrics.contains(line), line);
        QVERIFY(!metrics.contains("block=\"4\",channel=")); // an absent block has no values
        QProcess promtool;
        promtool.start(QString::fromLatin1(kPromtool), {QStringLiteral("check"), QStringLiteral("metrics")});
        if (!promtool.waitForStarted(10000))
            QSKIP("promtool is not installed (scripts/install-deps.sh installs prometheus)");
        promtool.write(metrics);
        promtool.closeWriteChannel();
        QVERIFY(promtool.waitForFinished(60000));
        const QByteArray said = promtool.readAllStandardOutput() + promtool.readAllStandardError();
        QVERIFY2(promtool.exitCode() == 0 && said.trimmed().isEmpty(), said.constData());
    }

    void prometheusScrapesTheGateway()
    {
        if (!QFile::exists(QString::fromLatin1(kPrometheus)))
            QSKIP("prometheus is not installed (scripts/install-deps.sh installs it)");
        QTemporaryDir dir;
        const quint16 web = freePort();
        QFile config(dir.filePath(QStringLiteral("prometheus.yml")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\nscrape_configs:\n  - job_name: plm870\n"
                     "    static_configs:\n      - targets: ['127.0.0.1:" + QByteArray::number(port_) + "']\n");
        config.close();
        QProcess prometheus;
        prometheus.setProcessChannelMode(QProcess::MergedChannels); // its log is shown if a query fails
        prometheus.start(QString::fromLatin1(kPrometheus),
                         {QStringLiteral("--config.file=") + config.fileName(),
                          QStringLiteral("--storage.tsdb.path=") + dir.filePath(QStringLiteral("data")),
                          QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(web)});
        QVERIFY(prometheus.waitForStarted(10000));
        // The value of a query's first series; empty when it has none.
        const auto query = [web](const QString &promql) {
            const QByteArray body = bodyOf(get(web, "/api/v1/query?query=" + QUrl::toPercentEncoding(promql)));
            const QJsonArray result = QJsonDocument::fromJson(body).object()[QStringLiteral("data")][QStringLiteral("result")].toArray();
            return result.isEmpty() ? QString() : result.first()[QStringLiteral("value")].toArray().at(1).toString();
        };
        const auto waitFor = [&](const QString &promql, const QString &value) {
            QString last;
            const bool ok = QTest::qWaitFor([&] { return (last = query(promql)) == value; }, 120000);
            if (!ok)
                qWarning("%s is \"%s\", not \"%s\"; Prometheus said:\n%s", qPrintable(promql), qPrintable(last),
                         qPrintable(value), prometheus.readAll().constData());
            return ok;
        };
        QVERIFY(waitFor(QStringLiteral("plm870_pv{channel=\"3\"}"), QStringLiteral("345")));
        QVERIFY(waitFor(QStringLiteral("plm870_pv{channel=\"25\"}"), QStringLiteral("-12.3")));
        QVERIFY(waitFor(QStringLiteral("plm870_block_up{block=\"3\"}"), QStringLiteral("1")));
        // Block 3 stops answering: down, and its values are gone rather than kept as current.
        sim_->withModel([](sim::DeviceModel &m) { m.block(2).present = false; });
        QVERIFY(waitFor(QStringLiteral("plm870_block_up{block=\"3\"}"), QStringLiteral("0")));
        QVERIFY(waitFor(QStringLiteral("count(plm870_pv{block=\"3\"})"), QString()));
        QCOMPARE(query(QStringLiteral("plm870_pv{channel=\"3\"}")), QStringLiteral("345")); // the others stay
        QVERIFY(waitFor(QStringLiteral("up{job=\"plm870\"}"), QStringLiteral("1")));
        sim_->withModel([](sim::DeviceModel &m) { m.block(2).present = true; });
        QVERIFY(waitFor(QStringLiteral("plm870_block_up{block=\"3\"}"), QStringLiteral("1")));
        prometheus.terminate();
        QVERIFY(prometheus.waitForFinished(30000));
    }

    // Nothing but GET and HEAD of a page it serves; every answer carries the security headers.
    void refusals_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        const QByteArray host = " HTTP/1.1\r\nHost: x\r\n";
        QTest::newRow("POST") << "POST /metrics" + host + "Content-Length: 2\r\n\r\n{}" << QByteArray("405 Method Not Allowed");
        QTest::newRow("PUT") << "PUT /metrics" + host + "\r\n" << QByteArray("405 Method Not Allowed");
        QTest::newRow("DELETE") << "DELETE /metrics" + host + "\r\n" << QByteArray("405 Method Not Allowed");
        QTest::newRow("unknown path") << "GET /api/write" + host + "\r\n" << QByteArray("404 Not Found");
        QTest::newRow("path beside the page") << "GET /metrics/../../etc/passwd" + host + "\r\n" << QByteArray("404 Not Found");
        QTest::newRow("GET with a body") << "GET /metrics" + host + "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n" << QByteArray("400 Bad Request");
        QTest::newRow("no Host in HTTP/1.1") << QByteArray("GET /metrics HTTP/1.1\r\n\r\n") << QByteArray("400 Bad Request");
        QTest::newRow("HTTP/2 preface") << QByteArray("PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n") << QByteArray("400 Bad Request");
        QTest::newRow("head too large") << "GET /metrics" + host + "X: " + QByteArray(9000, 'a') + "\r\n\r\n"
                                        << QByteArray("431 Request Header Fields Too Large");
        QTest::newRow("HEAD: no body") << "HEAD /metrics" + host + "Connection: close\r\n\r\n" << QByteArray("200 OK");
    }
    void refusals()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        Peer p("127.0.0.1", port_);
        p.write(request);
        const QByteArray answer = p.untilClosed(); // a refusal ends the connection
        QVERIFY2(answer.startsWith("HTTP/1.1 " + status + "\r\n"), answer.left(300).constData());
        for (const char *header : {"\r\nContent-Security-Policy: default-src 'self'; frame-ancestors 'none';",
                                   "\r\nX-Content-Type-Options: nosniff\r\n", "\r\nX-Frame-Options: DENY\r\n"})
            QVERIFY2(answer.contains(header), header);
        if (status.startsWith("405"))
            QVERIFY(answer.contains("\r\nAllow: GET, HEAD\r\n"));
        if (request.startsWith("HEAD"))
            QVERIFY(answer.endsWith("\r\n\r\n") && !answer.contains("Content-Length: 0\r\n"));
    }

    // Half the connections from one address, kLimits' bound in all; the ones beyond are closed
    // without an answer, the clients held are still served, and a slot is free again as soon
    // as its client goes.
    void tooManyClients()
    {
        const net::ClientLimits limits = http::HttpServer::kLimits;
        std::vector<std::unique_ptr<Peer>> held;
        const auto ask = [](Peer &p) {
            p.write("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
            return p.answer().left(15);
        };
        const QByteArray ok("HTTP/1.1 200 OK");
        const auto connectFrom = [&](const QByteArray &from) {
            held.push_back(std::make_unique<Peer>(from.constData(), port_));
            return ask(*held.back());
        };
        for (int i = 0; i < limits.maxPerAddress(); ++i)
            QCOMPARE(connectFrom("127.0.0.1"), ok);
        QCOMPARE(connectFrom("127.0.0.1"), QByteArray()); // one more of that address
        held.pop_back();
        for (int i = limits.maxPerAddress(); i < limits.maxClients; ++i)
            QCOMPARE(connectFrom("127.0.0." + QByteArray::number(2 + i % 100)), ok);
        QCOMPARE(connectFrom("127.0.0.200"), QByteArray()); // one more than the bound
        held.pop_back();
        for (size_t i : {size_t(0), size_t(limits.maxPerAddress()), held.size() - 1})
            QCOMPARE(ask(*held[i]), ok); // kept alive, and served again
        held.front()->disconnectFromHost();
        QVERIFY(QTest::qWaitFor([&] { Peer p("127.0.0.201", port_); return ask(p) == ok; }, 10000));
        held.clear();
        QVERIFY(scrape().contains("plm870_line_up 1\n")); // the line was polled all along
    }

    void cleanupTestCase()
    {
        ::kill(pid_t(gateway_.processId()), SIGTERM);
        QVERIFY(gateway_.waitForFinished(30000));
        QCOMPARE(gateway_.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHttpPeers)
#include "tst_http_peers.moc"
