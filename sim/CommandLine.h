// Options of the plm870sim program.
#pragma once

#include "DeviceModel.h"
#include "PtyServer.h"

#include <string>

namespace sim {

struct CommandLine {
    DeviceModel model = DeviceModel::demo();
    ServeOptions serve;
    std::string linkPath;   // a symlink to the slave, made at start and removed at exit
    bool help = false;
};

// Fills `out` from the arguments; false with `error` set when they make no sense.
bool ParseCommandLine(int argc, const char *const *argv, CommandLine &out, std::string &error);
std::string UsageText();

} // namespace sim
