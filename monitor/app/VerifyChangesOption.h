// "--verify-changes FILE|FOLDER ...": checks the hash chain of every change record file given
// (a folder: each month file in it), prints a result line per file on standard output (a file
// that does not follow, with each such line, on standard error) and ends the program without
// opening a window: exit code 0 when every line of every file follows, 1 otherwise.
#pragma once

#include <optional>

// The exit code when the option is given, nothing otherwise (the window program starts).
std::optional<int> RunVerifyChangesOption(int argc, const char *const *argv);
