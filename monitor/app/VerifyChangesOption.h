// "--verify-changes FILE": checks the hash chain of a change record file, prints the result on
// standard output (a problem on standard error) and ends the program without opening a window:
// exit code 0 when every line follows, 1 otherwise.
#pragma once

#include <optional>

// The exit code when the option is given, nothing otherwise (the window program starts).
std::optional<int> RunVerifyChangesOption(int argc, const char *const *argv);
