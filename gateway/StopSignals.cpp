#include "StopSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onSignal(int signal)
{
    const char c = signal == SIGHUP ? 'H' : 'T';
    const ssize_t n = ::write(g_pipe[0], &c, 1); // async-signal-safe
    (void)n;
}

} // namespace

bool InstallStopSignals(QCoreApplication &app, std::function<void()> reload)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier, reload = std::move(reload)] {
        char c = 0;
        if (::read(g_pipe[1], &c, 1) == 1 && c == 'H') {
            if (reload)
                reload();
            return;
        }
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &sa, nullptr) == 0 && ::sigaction(SIGINT, &sa, nullptr) == 0
           && ::sigaction(SIGHUP, &sa, nullptr) == 0;
}
