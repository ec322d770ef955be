// The client end of the simulator's line: opens the slave like a serial port and reads replies.
#pragma once

#include "Protocol.h"

#include <QtTest>

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace simtest {

// A client end of the line: raw termios, blocking writes, reads with a deadline.
class Client {
public:
    explicit Client(const std::string &path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios tio{};
        if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tio.c_cflag |= PARENB;   // 7E1 as the monitor opens it; a pty ignores the framing
            tio.c_cflag = (tio.c_cflag & ~CSIZE) | CS7;
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Client() { if (fd_ >= 0) ::close(fd_); }
    bool ok() const { return fd_ >= 0; }

    void send(const std::string &bytes) { QCOMPARE(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }

    // Every byte up to the ETX that ends a reply begun by ACK/NAK; "" when nothing completes in time.
    // The wait is only a guard against a hang, never a timing claim.
    std::string readReply(int guardMs = 2000)
    {
        raw_.clear();
        tobrel::ReplyAssembler assembler;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(guardMs);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            pollfd p{fd_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                return {};
            char c;
            if (::read(fd_, &c, 1) != 1)
                return {};
            raw_ += c;
            if (assembler.feed(c))
                return assembler.text();
        }
    }
    const std::string &raw() const { return raw_; }

private:
    int fd_ = -1;
    std::string raw_;
};

} // namespace simtest
