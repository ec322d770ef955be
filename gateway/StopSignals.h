// SIGTERM and SIGINT end the event loop from inside it (a self-pipe), so the stop runs as
// ordinary code: the port closes, the broker hears "offline", the history file is complete.
// SIGHUP runs `reload` there instead, as daemons do.
#pragma once

#include <functional>

class QCoreApplication;

bool InstallStopSignals(QCoreApplication &app, std::function<void()> reload = {});
