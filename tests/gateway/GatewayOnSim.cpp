#include "GatewayOnSim.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <csignal>

namespace {

sim::DeviceModel model()
{
    sim::DeviceModel m;
    m.setLive(false);
    for (int b = 0; b < 3; ++b) {
        sim::BlockConfig &c = m.block(b);
        c.present = true;
        c.connected.fill(1);
        c.inputType.fill(b == 1 ? 8 : 0);
        for (int ch = 0; ch < 20; ++ch) {
            m.value(b, "0080", ch) = int16_t(100 * b + ch);
            m.value(b, "0083", ch) = 0;
        }
    }
    m.value(0, "0080", 0) = 213;
    return m;
}

} // namespace

QByteArray BodyOf(const QByteArray &answer)
{
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

GatewayOnSim::GatewayOnSim() = default;

GatewayOnSim::~GatewayOnSim()
{
    stopGateway();
}

bool GatewayOnSim::start()
{
    sim_ = std::make_unique<sim::PtyServer>(model(), sim::ServeOptions{});
    std::string error;
    if (!sim_->start(&error)) {
        qWarning("simulator: %s", error.c_str());
        return false;
    }
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    port_ = probe.serverPort();
    probe.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PLM870_HOME"), home_.path());
    env.insert(QStringLiteral("PLM870_COM1"), QString::fromStdString(sim_->slavePath()));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    gateway_.setProcessEnvironment(env);
    gateway_.setProcessChannelMode(QProcess::ForwardedChannels);
    return startGateway();
}

bool GatewayOnSim::startGateway()
{
    gateway_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway"),
                   {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--http"),
                    QStringLiteral("127.0.0.1:%1").arg(port_)});
    if (!gateway_.waitForStarted(10000))
        return false;
    // Polling: every block listed with values that are good.
    const bool polling = QTest::qWaitFor([this] {
        const QJsonArray blocks = QJsonDocument::fromJson(BodyOf(get("/api/state")))[QStringLiteral("blocks")].toArray();
        return blocks.size() == 3 && !blocks[2][QStringLiteral("stale")].toBool(true);
    }, 180000);
    if (!polling)
        qWarning("the gateway did not start polling: %s", BodyOf(get("/api/state")).constData());
    return polling;
}

bool GatewayOnSim::stopGateway()
{
    if (gateway_.state() == QProcess::NotRunning)
        return true;
    ::kill(pid_t(gateway_.processId()), SIGTERM);
    return gateway_.waitForFinished(60000) && gateway_.exitStatus() == QProcess::NormalExit && gateway_.exitCode() == 0;
}

QByteArray GatewayOnSim::get(const QByteArray &target) const
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port_);
    s.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray all;
    (void)QTest::qWaitFor([&] { all += s.readAll(); return s.state() == QAbstractSocket::UnconnectedState; }, 10000);
    return all + s.readAll();
}
