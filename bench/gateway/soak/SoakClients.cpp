#include "SoakClients.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace soak {

namespace {

constexpr int kRegisters = 100; // PV, MV, heater current, status words, alarm bits
constexpr double kSlackS = 1.0; // the plant's sampling of the line and of its heartbeat
constexpr int kCloseLimitMs = 30000;
constexpr int kAlarmMasks[6] = {0x0002, 0x0004, 0x0008, 0x2000, 0x0010, 0x0020};

void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

Clients::Clients(const Plant &plant, const QElapsedTimer &clock, int port) : plant_(plant), clock_(clock), port_(port) {}

Clients::~Clients()
{
    stop();
}

void Clients::start(int readers)
{
    for (int r = 0; r < readers; ++r)
        threads_.emplace_back([this, r] { read(r); });
    threads_.emplace_back([this] { slow(); });
    threads_.emplace_back([this] { garbage(); });
}

void Clients::stop()
{
    stopping_ = true;
    for (std::thread &t : threads_)
        t.join();
    threads_.clear();
}

ClientFigures Clients::figures() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return figures_;
}

long Clients::goodAnswers() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return figures_.good;
}

QStringList Clients::failures() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
}

void Clients::fail(const QString &what)
{
    if (failures_.size() < 20)
        failures_ << what;
}

void Clients::read(int reader)
{
    modbus_t *ctx = modbus_new_tcp("127.0.0.1", port_);
    modbus_set_response_timeout(ctx, 5, 0);
    bool connected = false;
    for (int unit = 1 + reader * 8; !stopping_; unit = unit % 16 + 1) {
        if (!connected && modbus_connect(ctx) != 0) {
            pause(200); // the gateway is away (killed, starting)
            continue;
        }
        connected = true;
        modbus_set_slave(ctx, unit);
        uint16_t r[kRegisters];
        const double asked = now();
        const int n = modbus_read_input_registers(ctx, 0, kRegisters, r);
        const int error = errno;
        pause(20); // a SCADA's pace; the clients that ask in a loop are the benchmark's
        std::lock_guard<std::mutex> lock(mutex_);
        if (n == kRegisters) {
            ++figures_.good;
            const int count = int16_t(r[0]);
            double set = 0, replaced = 0;
            if (!plant_.heartbeatSetAt(count, &set, &replaced)) {
                ++figures_.staleAsGood;
                fail(QStringLiteral("unit %1 answered a heartbeat %2 the plant never set").arg(unit).arg(count));
            } else if (replaced >= 0) {
                const double old = asked - replaced;
                const double limit = plant_.staleLimit(unit - 1, asked);
                figures_.oldestGoodS = std::max(figures_.oldestGoodS, old);
                figures_.worstMarginS = std::max(figures_.worstMarginS, old - limit);
                if (old > limit + kSlackS) {
                    ++figures_.staleAsGood;
                    fail(QStringLiteral("unit %1 answered as good at %2 s a value replaced %3 s before (limit %4 s)")
                             .arg(unit).arg(asked, 0, 'f', 1).arg(old, 0, 'f', 1).arg(limit, 0, 'f', 1));
                }
            }
            for (int ch = 0; ch < 20; ++ch) {
                int bits = 0;
                for (int k = 0; k < 6; ++k)
                    bits |= (r[60 + ch] & kAlarmMasks[k]) ? 1 << k : 0;
                if (bits != r[80 + ch]) {
                    ++figures_.unsound;
                    fail(QStringLiteral("unit %1 ch %2: alarm bits %3 for status word %4").arg(unit).arg(ch + 1).arg(r[80 + ch]).arg(r[60 + ch]));
                }
            }
        } else if (error == EMBXGTAR) {
            ++figures_.gatewayFailed;
        } else if (error == EMBXGPATH) {
            ++figures_.absent;
            fail(QStringLiteral("unit %1 answered 0A (absent) at %2 s").arg(unit).arg(asked, 0, 'f', 1));
        } else {
            ++figures_.noAnswer; // the gateway went away: connect again
            modbus_close(ctx);
            connected = false;
        }
    }
    modbus_close(ctx);
    modbus_free(ctx);
}

double Clients::untilClosed(const char *source, const std::function<bool(int fd, int step)> &talk)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ::inet_pton(AF_INET, source, &a.sin_addr);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    a.sin_port = htons(uint16_t(port_));
    ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        ::close(fd);
        pause(200);
        return -2; // not connected: the gateway is away
    }
    const double first = now();
    double closed = -1;
    for (int step = 0; !stopping_ && now() - first < kCloseLimitMs / 1000.0; ++step) {
        if (!talk(fd, step))
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 500) > 0) {
            char b[256];
            if (::recv(fd, b, sizeof b, 0) <= 0) {
                closed = now() - first;
                break;
            }
        }
    }
    ::close(fd);
    return stopping_ && closed < 0 ? -2 : closed;
}

void Clients::slow()
{
    // A whole read request, sent a byte every half second.
    static const unsigned char kRequest[] = {0, 1, 0, 0, 0, 6, 1, 4, 0, 0, 0, 10};
    while (!stopping_) {
        const double s = untilClosed("127.0.0.2", [](int fd, int step) {
            if (size_t(step) < sizeof kRequest)
                ::send(fd, kRequest + step, 1, MSG_NOSIGNAL);
            return true;
        });
        std::lock_guard<std::mutex> lock(mutex_);
        if (s >= 0) {
            ++figures_.slowClosed;
            figures_.slowLongestS = std::max(figures_.slowLongestS, s);
        } else if (s == -1) {
            ++figures_.notClosed;
            fail(QStringLiteral("a slow client was not closed within %1 s").arg(kCloseLimitMs / 1000));
        }
    }
}

void Clients::garbage()
{
    while (!stopping_) {
        const double s = untilClosed("127.0.0.3", [](int fd, int step) {
            if (step == 0)
                ::send(fd, "GET / HTTP/1.0\r\n\r\n", 18, MSG_NOSIGNAL);
            return true;
        });
        std::lock_guard<std::mutex> lock(mutex_);
        if (s >= 0) {
            ++figures_.garbageClosed;
            figures_.garbageLongestS = std::max(figures_.garbageLongestS, s);
        } else if (s == -1) {
            ++figures_.notClosed;
            fail(QStringLiteral("a garbage client was not closed within %1 s").arg(kCloseLimitMs / 1000));
        }
        if (s >= 0)
            pause(300);
    }
}

} // namespace soak
