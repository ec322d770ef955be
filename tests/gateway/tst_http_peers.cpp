// plm870-gateway's HTTP server as Prometheus meets it: the gateway runs as its own program on
// the simulator, and peers nobody here wrote judge it: promtool finds nothing to say of a
// scrape, and a Prometheus server of the test's own scrapes it and answers queries with the
// simulator's values, and with a block that stopped answering as down and without values.
// Writes, unknown paths and clients beyond the bounds are refused; polling goes on meanwhile.
// The live view: its stream and /api/ against the image, its streams' bound, and the page in a
// headless Chromium driven by Selenium (live_browser.py) while the line dies and comes back.
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

constexpr char kReadCommand = 0x22; // the command type character of a request frame

// The JSON of the next message of a stream (the head before the first skipped); empty when none came.
QJsonObject nextEvent(Peer &p, QByteArray &pending)
{
    QJsonObject m;
    (void)QTest::qWaitFor([&] {
        pending += p.readAll();
        for (qsizetype end; m.isEmpty() && (end = pending.indexOf("\n\n")) >= 0; pending.remove(0, end + 2))
            if (pending.left(end).contains("data: "))
                m = QJsonDocument::fromJson(pending.left(end).mid(pending.indexOf("data: ") + 6)).object();
        return !m.isEmpty();
    }, 60000);
    return m;
}

QJsonObject channelOf(const QJsonValue &state, int ch)
{
    for (const QJsonValue &c : state[QStringLiteral("channels")].toArray())
        if (c[QStringLiteral("ch")].toInt() == ch)
            return c.toObject();
    return {};
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
    QJsonDocument json(const QByteArray &path) { return QJsonDocument::fromJson(bodyOf(get(port_, path))); }

    // Started, and polling every block.
    bool startGateway()
    {
        gateway_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway"),
                       {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--http"), QString::number(port_)});
        return gateway_.waitForStarted(10000)
               && QTest::qWaitFor([this] { return scrape().contains("plm870_block_up{block=\"3\"} 1"); }, 180000);
    }
    bool stopGateway()
    {
        ::kill(pid_t(gateway_.processId()), SIGTERM);
        return gateway_.waitForFinished(30000) && gateway_.exitCode() == 0;
    }

    // What live_browser.py asks for.
    bool act(const QByteArray &what)
    {
        if (what == "restart the gateway")
            return stopGateway() && startGateway();
        sim_->withModel([&what](sim::DeviceModel &m) {
            m.value(0, "0083", 4) = what.startsWith("raise") ? 2 : m.value(0, "0083", 4);
            m.value(0, "0080", 2) += what.startsWith("bring") ? 1 : 0;
        });
        sim_->setFaults(sim::Faults{what == "silence the line" ? 1.0 : 0.0});
        return true;
    }

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
        QVERIFY(startGateway());
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
        QTest::newRow("POST to the stream") << "POST /events" + host + "Content-Length: 2\r\n\r\n{}" << QByteArray("405 Method Not Allowed");
        QTest::newRow("stream with a body") << "GET /events" + host + "Content-Length: 1\r\n\r\nx" << QByteArray("400 Bad Request");
        QTest::newRow("HEAD of the stream") << "HEAD /events" + host + "\r\n" << QByteArray("200 OK");
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
        for (const std::string &frame : sim_->receivedFrames()) // nothing but reads reached the line
            QVERIFY2(frame.size() > 3 && frame[3] == kReadCommand, frame.c_str());
    }

    // Half the connections from one address, kLimits' bound in all; the ones beyond are closed
    // without an answer, the clients held are still served, and a slot is free again as soon
    // as its client goes.
    void tooManyClients()
    {
        const int perAddress = http::HttpServer::kLimits.maxPerAddress(), all = http::HttpServer::kLimits.maxClients;
        std::vector<std::unique_ptr<Peer>> held;
        const auto ask = [](Peer &p) {
            p.write("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
            return p.answer().left(15);
        };
        const QByteArray ok("HTTP/1.1 200 OK");
        for (int i = 0; i <= all + 1; ++i) {
            const QByteArray from = "127.0.0." + QByteArray::number(i <= perAddress ? 1 : 2 + i % 100);
            held.push_back(std::make_unique<Peer>(from.constData(), port_));
            const bool refused = i == perAddress || i == all + 1; // one more of one address; one more than the bound
            QCOMPARE(ask(*held.back()), refused ? QByteArray() : ok);
        }
        for (size_t i : {size_t(0), size_t(perAddress + 1), held.size() - 2})
            QCOMPARE(ask(*held[i]), ok); // kept alive, and served again
        held.front()->disconnectFromHost();
        QVERIFY(QTest::qWaitFor([&] { Peer p("127.0.0.200", port_); return ask(p) == ok; }, 10000));
        held.clear();
        QVERIFY(scrape().contains("plm870_line_up 1\n")); // the line was polled all along
    }

    // The whole state first, then what the polls read, in the MQTT payloads' shape; /api/ as well.
    void liveStreamAndApiFollowThePolls()
    {
        Peer p("127.0.0.1", port_);
        p.write("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
        QByteArray pending;
        const QJsonObject opening = nextEvent(p, pending);
        QVERIFY(opening[QStringLiteral("full")].toBool() && channelOf(opening, 3)[QStringLiteral("pv")] == 345);
        sim_->withModel([](sim::DeviceModel &m) { m.value(0, "0080", 1) = 777; m.value(0, "0083", 3) = 0x0002; });
        bool pv = false, alarm = false;
        for (int i = 0; i < 400 && !(pv && alarm); ++i) {
            const QJsonObject m = nextEvent(p, pending);
            QVERIFY(!m.isEmpty() && !m[QStringLiteral("full")].toBool());
            pv = pv || channelOf(m, 2)[QStringLiteral("pv")] == 777;
            alarm = alarm || m[QStringLiteral("alarms")][0][QStringLiteral("channel")] == QStringLiteral("Ch004");
        }
        QVERIFY(pv && alarm);
        const QJsonObject state = json("/api/state").object();
        QVERIFY(channelOf(state, 2)[QStringLiteral("pv")] == 777 && channelOf(state, 3)[QStringLiteral("alarm1")].toBool());
        QCOMPARE(channelOf(state, 21)[QStringLiteral("text")][QStringLiteral("pv")], QStringLiteral("10.0"));
        QCOMPARE(json("/api/alarms")[0][QStringLiteral("channel")], QStringLiteral("Ch004")); // newest first
        QCOMPARE(json("/api/changes")[0][QStringLiteral("origin")], QStringLiteral("program started"));
    }

    // In-process: a stream outlives the request deadlines; one whose client takes nothing is
    // dropped at its bound, while one that reads gets every byte.
    void streamDroppedAtItsBound()
    {
        http::HttpServer server({});
        const http::Stream stream{"text/event-stream", {}};
        server.setStreams({{"/s", stream}}, 64 * 1024);
        qint64 now = 0, sent = 0, received = -http::StreamHeadBytes(stream).size();
        server.setClock([&now] { return now; });
        QString error;
        QVERIFY2(server.listen({QStringLiteral("127.0.0.1"), 0}, &error), qPrintable(error));
        Peer reader("127.0.0.1", server.port()), stalled("127.0.0.2", server.port());
        stalled.setReadBufferSize(1); // its bytes back up in the kernel, then in the server
        for (Peer *p : {&reader, &stalled})
            p->write("GET /s HTTP/1.1\r\nHost: x\r\n\r\n");
        QVERIFY(QTest::qWaitFor([&] { return server.streamClients() == 2; }, 10000));
        now += 10 * http::HttpServer::kLimits.idleMs;
        server.dropOverdueClients();
        QCOMPARE(server.streamClients(), 2);
        for (const QByteArray message(16 * 1024, 'x'); sent < (qint64(64) << 20) && server.streamClients() == 2;
             sent += message.size(), received += reader.readAll().size()) {
            server.sendToStreams("/s", message);
            QCoreApplication::processEvents();
        }
        QCOMPARE(server.streamClients(), 1);
        QVERIFY(QTest::qWaitFor([&] { received += reader.readAll().size(); return received == sent; }, 60000));
    }

    void operatorSeesTheLiveView()
    {
        QProcess script;
        script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        script.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(PLM_LIVE_BROWSER_SCRIPT), QStringLiteral("http://127.0.0.1:%1/").arg(port_)});
        QVERIFY(script.waitForStarted(10000));
        int asked = 0;
        QVERIFY(QTest::qWaitFor([&] { // a limit only: the script gives up on each of its waits
            for (QByteArray line; script.canReadLine() && (line = script.readLine().trimmed()).startsWith("ASK "); ++asked)
                script.write(act(line.mid(4)) ? "OK\n" : "NO\n");
            return script.state() == QProcess::NotRunning;
        }, 900000));
        if (script.exitCode() == 77)
            QSKIP("Chromium, its driver or Selenium is not installed (scripts/install-deps.sh installs them)");
        QCOMPARE(script.exitCode(), 0);
        QCOMPARE(asked, 4);
    }

    void cleanupTestCase() { QVERIFY(stopGateway()); }
};

QTEST_GUILESS_MAIN(TestHttpPeers)
#include "tst_http_peers.moc"
