// The live view's stream and /api/ as a script or a browser meets them, on a gateway polling the
// simulator; and the server's streams in-process: held past the request deadlines, dropped when
// their client takes nothing.
#include "GatewayOnSim.h"
#include "HttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QtTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char kReadCommand = 0x22; // the command type character of a request frame

QJsonObject channelOf(const QJsonArray &channels, int ch)
{
    for (const QJsonValue &c : channels)
        if (c[QStringLiteral("ch")].toInt() == ch)
            return c.toObject();
    return {};
}

// A client of /events: the answer's head, then each message's JSON.
struct EventClient : QTcpSocket {
    QByteArray head, pending;
    explicit EventClient(quint16 port, const QByteArray &path = "/events")
    {
        connectToHost(QHostAddress::LocalHost, port);
        write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }
    // The next message's JSON; null when none came within the limit.
    QJsonObject next()
    {
        QJsonObject message;
        (void)QTest::qWaitFor([&] {
            pending += readAll();
            if (head.isEmpty() && pending.contains("\r\n\r\n")) {
                head = pending.left(pending.indexOf("\r\n\r\n") + 4);
                pending.remove(0, head.size());
            }
            qsizetype end;
            while (!head.isEmpty() && (end = pending.indexOf("\n\n")) >= 0) {
                const QByteArray event = pending.left(end);
                pending.remove(0, end + 2);
                const qsizetype data = event.indexOf("data: ");
                if (data >= 0) {
                    message = QJsonDocument::fromJson(event.mid(data + 6)).object();
                    return true;
                }
            }
            return false;
        }, 60000);
        return message;
    }
};

} // namespace

class TestHttpLive : public QObject {
    Q_OBJECT

    GatewayOnSim plant_;

private slots:
    void initTestCase() { QVERIFY(plant_.start()); }

    // The whole state first, then what the polls read: a PV set at the simulator, an alarm it
    // raises, each in a message of its own poll.
    void streamFollowsThePolls()
    {
        EventClient client(plant_.port());
        const QJsonObject opening = client.next();
        QVERIFY2(client.head.startsWith("HTTP/1.1 200 OK\r\n"), client.head.constData());
        QVERIFY(client.head.contains("\r\nContent-Type: text/event-stream"));
        QVERIFY(client.head.contains("\r\nContent-Security-Policy: default-src 'self';"));
        QVERIFY(opening[QStringLiteral("full")].toBool());
        QCOMPARE(opening[QStringLiteral("blocks")].toArray().size(), 3);
        QCOMPARE(channelOf(opening[QStringLiteral("channels")].toArray(), 1)[QStringLiteral("pv")].toDouble(), 213.0);

        plant_.sim().withModel([](sim::DeviceModel &m) {
            m.value(0, "0080", 1) = 777;
            m.value(0, "0083", 3) = 0x0002; // alarm 1 of Ch004
        });
        bool pv = false, alarm = false;
        for (int i = 0; i < 400 && !(pv && alarm); ++i) {
            const QJsonObject m = client.next();
            QVERIFY(!m.isEmpty());
            QVERIFY(!m[QStringLiteral("full")].toBool());
            pv = pv || channelOf(m[QStringLiteral("channels")].toArray(), 2)[QStringLiteral("pv")].toDouble() == 777.0;
            for (const QJsonValue &a : m[QStringLiteral("alarms")].toArray())
                alarm = alarm || (a[QStringLiteral("ch")].toInt() == 4 && a[QStringLiteral("kind")].toString() == QLatin1String("Alarm1"));
        }
        QVERIFY(pv);
        QVERIFY(alarm);
    }

    // /api/ says what the image holds, in the MQTT payloads' shape; a stale block's values stay,
    // marked stale.
    void apiMatchesTheImage()
    {
        QJsonObject state = QJsonDocument::fromJson(BodyOf(plant_.get("/api/state"))).object();
        QCOMPARE(state[QStringLiteral("line")][QStringLiteral("notice")].toString(), QString());
        const QJsonArray channels = state[QStringLiteral("channels")].toArray();
        QCOMPARE(channels.size(), 60);
        const QJsonObject ch1 = channelOf(channels, 1);
        QCOMPARE(ch1[QStringLiteral("pv")].toDouble(), 213.0);
        QCOMPARE(ch1[QStringLiteral("unit")].toString(), QStringLiteral("deg.C"));
        QCOMPARE(channelOf(channels, 21)[QStringLiteral("pv")].toDouble(), 10.0); // tenths: "10.0"
        QVERIFY(BodyOf(plant_.get("/api/state")).contains("\"ch\":21,\"block\":2,\"name\":\"Ch021\",\"unit\":\"deg.C\",\"pv\":10.0,"));
        QVERIFY(channelOf(channels, 4)[QStringLiteral("alarm1")].toBool());
        const QJsonArray alarms = QJsonDocument::fromJson(BodyOf(plant_.get("/api/alarms"))).array();
        QVERIFY(!alarms.isEmpty());
        QCOMPARE(alarms.first()[QStringLiteral("channel")].toString(), QStringLiteral("Ch004")); // newest first
        const QJsonArray changes = QJsonDocument::fromJson(BodyOf(plant_.get("/api/changes"))).array();
        QVERIFY(!changes.isEmpty());
        QCOMPARE(changes.last()[QStringLiteral("origin")].toString(), QStringLiteral("program started"));

        plant_.sim().withModel([](sim::DeviceModel &m) { m.block(2).present = false; });
        QVERIFY(QTest::qWaitFor([&] {
            state = QJsonDocument::fromJson(BodyOf(plant_.get("/api/state"))).object();
            return state[QStringLiteral("blocks")].toArray()[2][QStringLiteral("stale")].toBool();
        }, 120000));
        QCOMPARE(channelOf(state[QStringLiteral("channels")].toArray(), 41)[QStringLiteral("pv")].toDouble(), 200.0);
        QVERIFY(!state[QStringLiteral("blocks")].toArray()[0][QStringLiteral("stale")].toBool());
        plant_.sim().withModel([](sim::DeviceModel &m) { m.block(2).present = true; });
    }

    // Whatever is asked, of whatever path, nothing but reads reaches the line.
    void nothingWritesToTheLine()
    {
        plant_.sim().clearReceived();
        const QByteArray host = " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n";
        const std::pair<QByteArray, QByteArray> asks[] = {
            {"POST /events" + host + "Content-Length: 2\r\n\r\n{}", "405"}, {"PUT /api/state" + host + "\r\n", "405"},
            {"DELETE /" + host + "\r\n", "405"}, {"PATCH /api/changes" + host + "\r\n", "405"},
            {"GET /api/write?ch=1&sv=500" + host + "\r\n", "404"}, {"GET /events" + host + "Content-Length: 1\r\n\r\nx", "400"},
            {"HEAD /events" + host + "\r\n", "200"}, {"GET /live.js" + host + "\r\n", "200"}};
        for (const auto &[request, status] : asks) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, plant_.port());
            s.write(request);
            QByteArray answer;
            QVERIFY(QTest::qWaitFor([&] { answer += s.readAll(); return s.state() == QAbstractSocket::UnconnectedState; }, 10000));
            answer += s.readAll();
            QVERIFY2(answer.startsWith("HTTP/1.1 " + status), request.constData());
            if (request.startsWith("HEAD"))
                QVERIFY(answer.endsWith("\r\n\r\n")); // the head alone, then closed
        }
        QVERIFY(QTest::qWaitFor([&] { return plant_.sim().receivedFrames().size() >= 60; }, 60000));
        for (const std::string &frame : plant_.sim().receivedFrames())
            QVERIFY2(frame.size() > 3 && frame[3] == kReadCommand, frame.c_str());
    }

    // In-process: a stream outlives the deadlines of requests and idle clients, and a stream
    // whose client takes nothing is dropped at its bound while a client that reads keeps all.
    void streamsHeldUntilTheirClientFallsBehind()
    {
        http::Pages pages;
        pages["/"] = {"text/plain", [] { return QByteArray("page"); }};
        http::HttpServer server(std::move(pages));
        constexpr qint64 kBound = 64 * 1024;
        const http::Stream stream{"text/event-stream", [] { return QByteArray("hello\n"); }};
        server.setStreams({{"/s", stream}}, kBound);
        qint64 now = 0;
        server.setClock([&now] { return now; });
        QString error;
        QVERIFY2(server.listen({QStringLiteral("127.0.0.1"), 0}, &error), qPrintable(error));

        EventClient reader(server.port(), "/s");
        QTcpSocket idle;
        idle.connectToHost(QHostAddress::LocalHost, server.port());
        // A client that never reads: its receive buffer small, so the server's bytes back up.
        const int stalled = ::socket(AF_INET, SOCK_STREAM, 0);
        const int small = 4096;
        ::setsockopt(stalled, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(server.port());
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::connect(stalled, reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
        const char ask[] = "GET /s HTTP/1.1\r\nHost: x\r\n\r\n";
        QCOMPARE(::write(stalled, ask, sizeof ask - 1), qint64(sizeof ask - 1));
        QVERIFY(QTest::qWaitFor([&] { return server.streamClients() == 2 && server.clients() == 3; }, 10000));

        now += 10 * http::HttpServer::kLimits.idleMs;
        server.dropOverdueClients();
        QCOMPARE(server.clients(), 2); // the idle client went, the streams stay
        QCOMPARE(server.streamClients(), 2);

        const QByteArray message = "data: " + QByteArray(16 * 1024 - 7, 'x') + '\n';
        int sent = 0;
        qint64 received = -http::StreamHeadBytes(stream).size() - qint64(sizeof "hello\n" - 1);
        for (; sent < 4000 && server.streamClients() == 2; ++sent) {
            server.sendToStreams("/s", message);
            QCoreApplication::processEvents();
            received += reader.readAll().size();
        }
        ::close(stalled);
        QCOMPARE(server.streamClients(), 1); // the stalled one, and before 64 MB had waited for it
        QVERIFY(QTest::qWaitFor([&] { received += reader.readAll().size(); return received == sent * message.size(); }, 60000));
        QCOMPARE(reader.state(), QAbstractSocket::ConnectedState);
    }
};

QTEST_GUILESS_MAIN(TestHttpLive)
#include "tst_http_live.moc"
