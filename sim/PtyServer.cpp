#include "PtyServer.h"

#include "FrameTrace.h"
#include "Protocol.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <random>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace sim {

namespace {

// Characters a serial port's receive FIFO collects before it hands them to the reader.
constexpr size_t kReceiveFifoDepth = 8;

using Clock = std::chrono::steady_clock;

constexpr size_t kLongestFrame = 1024;   // anything longer is line noise, not a request
constexpr int kBitsPerCharacter = 10;    // start, 7 data, parity, stop

struct Pending {
    Clock::time_point due;
    char c;
};

std::string systemError(const char *what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

speed_t speedOf(int baud)
{
    return baud == 19200 ? B19200 : B9600;
}

} // namespace

struct PtyServer::Impl {
    mutable std::mutex mutex;          // guards everything above `thread`
    DeviceModel model;
    ServeOptions options;
    std::mt19937 rng;
    std::vector<std::string> received;
    size_t unanswered = 0;
    std::ofstream trace;
    std::ofstream replyTrace;

    std::thread thread;
    int master = -1;
    int slave = -1;                    // held open so the master never sees the line hang up
    int wakeRead = -1;
    int wakeWrite = -1;
    std::string slavePath;

    // Touched by the serving thread only.
    std::string partial;
    bool inFrame = false;
    Clock::time_point frameStart;
    std::deque<Pending> outgoing;
    Clock::time_point lineFree;
    Clock::time_point lastAdvance;

    Impl(DeviceModel m, ServeOptions o)
        : model(std::move(m)), options(std::move(o)), rng(options.faults.seed) {}

    Clock::duration characterTime() const
    {
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(kBitsPerCharacter) / options.baud));
    }

    void serve();
    void take(const char *bytes, size_t n, Clock::time_point arrival);
    void answer(const std::string &frame, Clock::time_point end);
    std::string withFaults(std::string reply, Clock::time_point &start);
    void sendDue();
    void closeAll();
};

PtyServer::PtyServer(DeviceModel model, ServeOptions options)
    : d(std::make_unique<Impl>(std::move(model), std::move(options)))
{
}

PtyServer::~PtyServer()
{
    stop();
}

bool PtyServer::start(std::string *error)
{
    if (d->thread.joinable())
        return true;
    auto fail = [this, error](const std::string &message) {
        if (error)
            *error = message;
        d->closeAll();
        return false;
    };

    d->master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d->master < 0)
        return fail(systemError("posix_openpt"));
    if (grantpt(d->master) != 0 || unlockpt(d->master) != 0)
        return fail(systemError("grantpt/unlockpt"));
    char name[PATH_MAX] = {};
    if (ptsname_r(d->master, name, sizeof name) != 0)
        return fail(systemError("ptsname_r"));
    d->slavePath = name;
    d->slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (d->slave < 0)
        return fail(systemError("open slave"));
    termios tio{};
    if (tcgetattr(d->slave, &tio) != 0)
        return fail(systemError("tcgetattr"));
    cfmakeraw(&tio);
    cfsetispeed(&tio, speedOf(d->options.baud));
    cfsetospeed(&tio, speedOf(d->options.baud));
    if (tcsetattr(d->slave, TCSANOW, &tio) != 0)
        return fail(systemError("tcsetattr"));
    if (fcntl(d->master, F_SETFL, fcntl(d->master, F_GETFL) | O_NONBLOCK) != 0)
        return fail(systemError("fcntl"));
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail(systemError("pipe"));
    d->wakeRead = wake[0];
    d->wakeWrite = wake[1];
    if (!d->options.tracePath.empty()) {
        d->trace.open(d->options.tracePath, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!d->trace)
            return fail("cannot write the trace file " + d->options.tracePath);
    }
    if (!d->options.replyTracePath.empty()) {
        d->replyTrace.open(d->options.replyTracePath, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!d->replyTrace)
            return fail("cannot write the reply trace file " + d->options.replyTracePath);
    }
    d->partial.clear();
    d->inFrame = false;
    d->outgoing.clear();
    d->lastAdvance = Clock::now();
    d->lineFree = d->lastAdvance;
    d->thread = std::thread([impl = d.get()] { impl->serve(); });
    return true;
}

void PtyServer::stop()
{
    if (d->thread.joinable()) {
        const char wake = 1;
        while (::write(d->wakeWrite, &wake, 1) < 0 && errno == EINTR) {}
        d->thread.join();
    }
    d->closeAll();
}

std::string PtyServer::slavePath() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->slavePath;
}

std::vector<std::string> PtyServer::receivedFrames() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->received;
}

size_t PtyServer::unansweredFrames() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->unanswered;
}

void PtyServer::clearReceived()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->received.clear();
}

void PtyServer::withModel(const std::function<void(DeviceModel &)> &f)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    f(d->model);
}

void PtyServer::setFaults(const Faults &f)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->options.faults = f;
    d->rng.seed(f.seed);
}

void PtyServer::Impl::closeAll()
{
    for (int *fd : {&master, &slave, &wakeRead, &wakeWrite}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (trace.is_open())
        trace.close();
    if (replyTrace.is_open())
        replyTrace.close();
}

void PtyServer::Impl::serve()
{
    for (;;) {
        sendDue();
        timespec wait{};
        timespec *timeout = nullptr;     // nothing to send: sleep until the line or stop() wakes us
        if (!outgoing.empty()) {
            const auto left = std::max(Clock::duration::zero(), outgoing.front().due - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait.tv_sec = static_cast<time_t>(ns / 1000000000);
            wait.tv_nsec = static_cast<long>(ns % 1000000000);
            timeout = &wait;
        }
        pollfd fds[2] = {{master, POLLIN, 0}, {wakeRead, POLLIN, 0}};
        if (ppoll(fds, 2, timeout, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0 || (fds[0].revents & (POLLERR | POLLNVAL)) != 0)
            return;
        if (fds[0].revents & POLLIN) {
            char buf[512];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                take(buf, static_cast<size_t>(n), Clock::now());
        }
    }
}

// Frames run from STX to ETX; bytes between frames are line noise and dropped.
void PtyServer::Impl::take(const char *bytes, size_t n, Clock::time_point arrival)
{
    for (size_t i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c == tobrel::STX) {
            partial.assign(1, c);
            inFrame = true;
            frameStart = arrival;
        } else if (inFrame) {
            partial += c;
            if (c == tobrel::ETX) {
                inFrame = false;
                const auto end = options.baud > 0
                    ? frameStart + characterTime() * static_cast<int>(partial.size())
                    : arrival;
                answer(partial, end);
            } else if (partial.size() > kLongestFrame) {
                inFrame = false;
            }
        }
    }
}

// `end` is when the request's last character has crossed the line.
void PtyServer::Impl::answer(const std::string &frame, Clock::time_point end)
{
    std::string reply;
    Clock::time_point start = std::max(end, lineFree);
    {
        std::lock_guard<std::mutex> lock(mutex);
        received.push_back(frame);
        if (trace.is_open())
            trace << TraceLine(frame) << '\n' << std::flush;
        const auto now = Clock::now();
        model.advance(std::chrono::duration<double>(now - lastAdvance).count());
        lastAdvance = now;
        reply = model.handleFrame(frame);
        if (!reply.empty())
            reply = withFaults(std::move(reply), start);
        if (reply.empty())
            ++unanswered;
        else if (replyTrace.is_open())
            replyTrace << TraceLine(reply) << '\n' << std::flush;
    }
    if (reply.empty())
        return;
    if (options.baud <= 0) {
        for (char c : reply)
            outgoing.push_back({start, c});
        lineFree = start;
        return;
    }
    // The reply crosses the line at its rate and reaches the reader the way a serial port's
    // receive FIFO hands it over: in groups of kReceiveFifoDepth characters, each group when
    // its last character has arrived, the rest when the reply ends. The due times are
    // absolute, never drifting, and the last character arrives exactly at line speed.
    const auto perCharacter = characterTime();
    const size_t count = reply.size();
    for (size_t i = 0; i < count; ++i) {
        const size_t groupEnd = std::min(count, (i / kReceiveFifoDepth + 1) * kReceiveFifoDepth);
        outgoing.push_back({start + perCharacter * static_cast<long>(groupEnd), reply[i]});
    }
    lineFree = start + perCharacter * static_cast<long>(count);
}

// Called with the mutex held. Draws the same number of random numbers for every answer, so
// a seed gives the same faults for the same traffic whatever the probabilities.
std::string PtyServer::Impl::withFaults(std::string reply, Clock::time_point &start)
{
    const Faults &f = options.faults;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    const double drop = chance(rng), nak = chance(rng), bad = chance(rng), stray = chance(rng),
                 late = chance(rng);
    const unsigned strayPick = static_cast<unsigned>(rng());
    if (drop < f.drop)
        return {};
    if (nak < f.nak) {
        const std::string header = reply.substr(1, std::min<size_t>(7, reply.size() - 4));
        reply = std::string(1, tobrel::NAK) + header + tobrel::MakeCheckSum(header) + tobrel::ETX;
    } else if (bad < f.badChecksum) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        char &digit = reply[reply.size() - 3];
        const char *at = std::strchr(kHex, digit);
        digit = (at && *at) ? kHex[(at - kHex + 1) % 16] : '0';
    }
    if (stray < f.stray) {
        static constexpr char kNoise[] = "?#*~x\x7f";
        const size_t count = 1 + strayPick % 3;
        std::string noise;
        for (size_t i = 0; i < count; ++i)
            noise += kNoise[(strayPick >> (4 * (i + 1))) % (sizeof kNoise - 1)];
        reply = noise + reply;
    }
    if (late < f.late)
        start += std::chrono::milliseconds(f.lateMs);
    return reply;
}

void PtyServer::Impl::sendDue()
{
    const auto now = Clock::now();
    std::string batch;
    while (!outgoing.empty() && outgoing.front().due <= now) {
        batch += outgoing.front().c;
        outgoing.pop_front();
    }
    if (batch.empty())
        return;
    // A client that never reads fills the line's buffer; the surplus is lost, as on a real line.
    ssize_t n;
    do {
        n = ::write(master, batch.data(), batch.size());
    } while (n < 0 && errno == EINTR);
}

} // namespace sim
