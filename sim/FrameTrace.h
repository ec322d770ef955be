// Frames as readable text: control characters by their names (<STX>, <ETX>, ...).
#pragma once

#include <string>

namespace sim {

std::string TraceLine(const std::string &frame);

} // namespace sim
