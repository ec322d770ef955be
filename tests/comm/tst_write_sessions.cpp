// Randomized operator sessions against the simulator: every write reaches the block its action
// named, the controller ends with what the operator asked for, and the pages show it. A failure
// prints the seed (replay it with RC_PARAMS="seed=...") and the session shrunk to what matters.
#include "WriteSessionGen.h"

#include <QCoreApplication>
#include <cstdlib>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!qEnvironmentVariableIsSet("RC_PARAMS"))
        qputenv("RC_PARAMS", "max_success=20 verbose_progress=0");
    const bool passed = rc::check("every write reaches the block and channel the operator chose", [] {
        const session::Setup setup = *session::genSetup();
        const session::Steps steps = *session::genSession();
        const session::Outcome outcome = session::RunSession(setup, steps);
        if (!outcome.ok)
            RC_FAIL(outcome.failure.toStdString());
    });
    return passed ? EXIT_SUCCESS : EXIT_FAILURE;
}
