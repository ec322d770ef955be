// Randomized operator sessions over many seeds (500 unless a count is given): actions per
// second and how many sessions failed. Goal: no failure.
#include "WriteSessionGen.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    int failures = 0;
    long actions = 0;
    QElapsedTimer clock;
    clock.start();
    for (int seed = 1; seed <= seeds; ++seed) {
        const rc::Random random(static_cast<uint64_t>(seed));
        const session::Setup setup = session::genSetup()(random, 100).value();
        const session::Steps steps = session::genSession()(rc::Random(random).split(), 100).value();
        const session::Outcome outcome = session::RunSession(setup, steps);
        actions += outcome.actionsRun;
        if (!outcome.ok) {
            ++failures;
            std::ostringstream shown;
            session::showValue(setup, shown);
            std::printf("seed %d failed (%s):\n%s\n", seed, shown.str().c_str(), qPrintable(outcome.failure));
        }
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("write sessions: %d seeds, %ld actions in %.1f s = %.0f actions/s, %d failed (goal 0)\n", seeds,
                actions, seconds, double(actions) / seconds, failures);
    return failures == 0 ? 0 : 1;
}
