// publish_victim <port> <prefix>: connects to the broker on 127.0.0.1 and waits to be killed.
#include "MqttClient.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    BrokerSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = QString::fromLocal8Bit(argv[1]).toInt();
    s.prefix = QString::fromLocal8Bit(argv[2]);
    MqttClient client;
    if (!client.start(s))
        return 1;
    return app.exec();
}
