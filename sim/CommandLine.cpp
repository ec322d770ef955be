#include "CommandLine.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <set>

namespace sim {

namespace {

bool parseInt(const std::string &text, long low, long high, long &out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high)
        return false;
    out = v;
    return true;
}

bool parseProbability(const std::string &text, double &out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(v >= 0.0 && v <= 1.0))
        return false;
    out = v;
    return true;
}

// "0,5", "0-15", "0-3,7": block numbers 0..15.
bool parseBlocks(const std::string &text, std::set<int> &blocks)
{
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t comma = std::min(text.find(',', pos), text.size());
        const std::string part = text.substr(pos, comma - pos);
        const size_t dash = part.find('-');
        long first = 0, last = 0;
        if (dash == std::string::npos) {
            if (!parseInt(part, 0, 15, first))
                return false;
            last = first;
        } else if (!parseInt(part.substr(0, dash), 0, 15, first)
                   || !parseInt(part.substr(dash + 1), 0, 15, last) || last < first) {
            return false;
        }
        for (long b = first; b <= last; ++b)
            blocks.insert(static_cast<int>(b));
        pos = comma + 1;
    }
    return !blocks.empty();
}

} // namespace

std::string UsageText()
{
    return "Usage: plm870sim [options]\n"
           "Serves a simulated PLM-870 installation on a pseudo-terminal and prints\n"
           "\"PTY <path>\" when ready; stops on SIGINT or SIGTERM.\n"
           "  --demo            the demo installation (default): blocks 01, 02, 04, 06\n"
           "  --blocks LIST     plain installation of the listed blocks 0..15 (0,5 or 0-15)\n"
           "  --baud N          9600 (default), 19200, or 0 for replies without line pacing\n"
           "  --trace FILE      write every received frame to FILE, one per line\n"
           "  --reply-trace FILE  write every reply sent to FILE, one per line\n"
           "  --drop P          probability of a dropped reply (0..1)\n"
           "  --bad-checksum P  probability of a reply with a wrong checksum\n"
           "  --nak P           probability of NAK instead of the answer\n"
           "  --stray P         probability of stray bytes before the reply\n"
           "  --late P          probability of a late reply\n"
           "  --late-ms N       delay of a late reply in ms (default 400)\n"
           "  --seed N          seed of the fault generator (default 1)\n"
           "  --link PATH       make PATH a symlink to the pseudo-terminal while running\n"
           "  --help            this text\n";
}

bool ParseCommandLine(int argc, const char *const *argv, CommandLine &out, std::string &error)
{
    out.serve.baud = 9600;
    bool demo = false;
    bool blocksGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&](std::string &v) {
            if (i + 1 >= argc) {
                error = "option " + option + " needs a value";
                return false;
            }
            v = argv[++i];
            return true;
        };
        auto probability = [&](double &target) {
            std::string v;
            if (!value(v))
                return false;
            if (!parseProbability(v, target)) {
                error = "option " + option + " takes a probability from 0 to 1, not \"" + v + "\"";
                return false;
            }
            return true;
        };
        std::string v;
        long n = 0;
        if (option == "--help" || option == "-h") {
            out.help = true;
        } else if (option == "--demo") {
            demo = true;
        } else if (option == "--blocks") {
            std::set<int> blocks;
            if (!value(v))
                return false;
            if (!parseBlocks(v, blocks)) {
                error = "--blocks takes block numbers 0..15 such as 0,5 or 0-15, not \"" + v + "\"";
                return false;
            }
            out.model = DeviceModel::allBlocks(16);
            for (int b = 0; b < 16; ++b)
                out.model.block(b).present = blocks.count(b) > 0;
            blocksGiven = true;
        } else if (option == "--baud") {
            if (!value(v))
                return false;
            if (!parseInt(v, 0, 19200, n) || (n != 0 && n != 9600 && n != 19200)) {
                error = "--baud takes 9600, 19200 or 0, not \"" + v + "\"";
                return false;
            }
            out.serve.baud = static_cast<int>(n);
        } else if (option == "--trace") {
            if (!value(out.serve.tracePath))
                return false;
        } else if (option == "--reply-trace") {
            if (!value(out.serve.replyTracePath))
                return false;
        } else if (option == "--drop") {
            if (!probability(out.serve.faults.drop))
                return false;
        } else if (option == "--bad-checksum") {
            if (!probability(out.serve.faults.badChecksum))
                return false;
        } else if (option == "--nak") {
            if (!probability(out.serve.faults.nak))
                return false;
        } else if (option == "--stray") {
            if (!probability(out.serve.faults.stray))
                return false;
        } else if (option == "--late") {
            if (!probability(out.serve.faults.late))
                return false;
        } else if (option == "--late-ms") {
            if (!value(v))
                return false;
            if (!parseInt(v, 0, 60000, n)) {
                error = "--late-ms takes milliseconds from 0 to 60000, not \"" + v + "\"";
                return false;
            }
            out.serve.faults.lateMs = static_cast<int>(n);
        } else if (option == "--seed") {
            if (!value(v))
                return false;
            if (!parseInt(v, 0, std::numeric_limits<uint32_t>::max(), n)) {
                error = "--seed takes a number from 0 to 4294967295, not \"" + v + "\"";
                return false;
            }
            out.serve.faults.seed = static_cast<uint32_t>(n);
        } else if (option == "--link") {
            if (!value(out.linkPath))
                return false;
            if (out.linkPath.empty()) {
                error = "--link needs a path";
                return false;
            }
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    if (demo && blocksGiven) {
        error = "--demo and --blocks cannot be combined";
        return false;
    }
    return true;
}

} // namespace sim
