// plm870sim: serves a simulated PLM-870 installation on a pseudo-terminal.
#include "CommandLine.h"
#include "PtyServer.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

int main(int argc, char **argv)
{
    sim::CommandLine cmd;
    std::string error;
    if (!sim::ParseCommandLine(argc, argv, cmd, error)) {
        std::cerr << "plm870sim: " << error << "\n" << sim::UsageText();
        return 2;
    }
    if (cmd.help) {
        std::cout << sim::UsageText();
        return 0;
    }

    // Block the stop signals before the serving thread starts, so only sigwait() below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::PtyServer server(cmd.model, cmd.serve);
    if (!server.start(&error)) {
        std::cerr << "plm870sim: " << error << "\n";
        return 1;
    }
    const std::string slave = server.slavePath();
    if (!cmd.linkPath.empty()) {
        ::unlink(cmd.linkPath.c_str());
        if (::symlink(slave.c_str(), cmd.linkPath.c_str()) != 0) {
            std::perror(("plm870sim: symlink " + cmd.linkPath).c_str());
            return 1;
        }
    }
    std::cout << "PTY " << slave << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    if (!cmd.linkPath.empty())
        ::unlink(cmd.linkPath.c_str());
    return 0;
}
