// mqtt_count <port> <seconds> <filter>: subscribes on 127.0.0.1 and counts what arrives:
// a running total each second, then alarm events per prefix (topics ending in /alarm).
#include <QByteArray>
#include <QMap>
#include <QString>
#include <chrono>
#include <cstdio>
#include <mosquitto.h>
#include <mutex>
#include <thread>

namespace {

std::mutex g_mutex;
long g_messages = 0;
QMap<QString, long> g_alarms;

void onConnect(mosquitto *m, void *filter, int rc)
{
    if (rc == 0)
        mosquitto_subscribe(m, nullptr, static_cast<const char *>(filter), 1);
}

void onMessage(mosquitto *, void *, const mosquitto_message *msg)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_messages;
    const QString topic = QString::fromUtf8(msg->topic);
    if (topic.endsWith(QLatin1String("/alarm")))
        ++g_alarms[topic];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    mosquitto_lib_init();
    mosquitto *m = mosquitto_new(nullptr, true, argv[3]);
    mosquitto_connect_callback_set(m, onConnect);
    mosquitto_message_callback_set(m, onMessage);
    if (mosquitto_connect(m, "127.0.0.1", atoi(argv[1]), 30) != MOSQ_ERR_SUCCESS)
        return 1;
    mosquitto_loop_start(m);
    const int seconds = atoi(argv[2]);
    // A running total each second, so a caller can take the rate over any stretch of the run.
    for (int t = 1; t <= seconds; ++t) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::lock_guard<std::mutex> lock(g_mutex);
        std::printf("at %d s: %ld messages\n", t, g_messages);
        std::fflush(stdout);
    }
    mosquitto_disconnect(m);
    mosquitto_loop_stop(m, false);
    std::lock_guard<std::mutex> lock(g_mutex);
    std::printf("received %ld messages in %d s: %.1f messages/s\n", g_messages, seconds, g_messages / double(seconds));
    for (auto it = g_alarms.begin(); it != g_alarms.end(); ++it)
        std::printf("alarm events on %s: %ld\n", qPrintable(it.key()), it.value());
    return 0;
}
