// Randomized operator sessions against the link driver in simulated time, with faults on both
// sides of the device: every write frame carries only values the controller or the operator
// gave that channel, re-reads and action codes go first, and the controller ends with the
// operator's last word. A failure prints the seed (replay it with RC_PARAMS="seed=...") and
// the session shrunk to what matters. The number of sessions comes from RC_PARAMS, else from
// PLM_WRITE_SESSIONS, else 10,000.
#include "WriteSessionGen.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!qEnvironmentVariableIsSet("RC_PARAMS")) {
        const QByteArray sessions = qEnvironmentVariableIsSet("PLM_WRITE_SESSIONS") ? qgetenv("PLM_WRITE_SESSIONS")
                                                                                   : QByteArray("10000");
        qputenv("RC_PARAMS", "max_success=" + sessions + " verbose_progress=0");
    }
    long sessions = 0;
    qint64 simulatedMs = 0;
    QElapsedTimer real;
    real.start();
    const bool passed = rc::check("every write carries the operator's or the controller's values, and the last word stands", [&] {
        const session::Setup setup = *session::genSetup();
        const session::Steps steps = *session::genSession();
        const session::Outcome outcome = session::RunSession(setup, steps);
        ++sessions;
        simulatedMs += outcome.simulatedMs;
        if (!outcome.ok)
            RC_FAIL(outcome.failure.toStdString());
    });
    const double seconds = double(real.nsecsElapsed()) / 1e9;
    std::printf("%ld sessions (shrinking included) in %.1f s = %.0f sessions/s, %.1f simulated operator-hours\n",
                sessions, seconds, double(sessions) / seconds, double(simulatedMs) / 3.6e6);
    return passed ? EXIT_SUCCESS : EXIT_FAILURE;
}
