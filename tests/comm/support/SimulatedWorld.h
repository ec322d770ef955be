// A simulated installation in simulated time: the link driver's clock, timers and line come
// from here, the controllers are the in-process device model, and nothing waits for real. A
// transaction takes the time its characters take on the line at the chosen speed (10 bits a
// character), a frame nobody answers takes the link's time-out. Runs are reproducible.
#pragma once

#include "DeviceModel.h"
#include "EngineClock.h"
#include "Line.h"
#include "LineTimeLink.h"
#include "SimulatedClock.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class SimulatedWorld;

// What the far end of the line makes of one request frame: the reply bytes ("" for none) and
// how long after the frame's last character the reply starts.
struct FarEndAnswer {
    std::string reply;
    qint64 delayMs = 0;
    std::string after; // bytes that follow the reply on the line, no part of it
};

// The line to the device model: a write is taken by the model at once, its reply arrives a
// character at a time at the line's pace. Unplugged, nothing answers. Replies keep their
// order: one that starts late pushes the next one back behind it.
class ModelLine final : public tobrel::Line, public LineClock {
public:
    // Given the frame (as written) and the simulated time its last character is sent.
    using FarEnd = std::function<FarEndAnswer(const std::string &frame, qint64 sentAt)>;

    ModelLine(sim::DeviceModel &model, int baud);

    // Another far end than the plain model (a test's faulty device); {} restores the model.
    void setFarEnd(FarEnd farEnd) { farEnd_ = std::move(farEnd); }
    // Told with the index (in frames()) of the frame whose reply the link has just taken the
    // last character of.
    void setOnReplyTaken(std::function<void(size_t frame)> taken) { onReplyTaken_ = std::move(taken); }
    // Told of every character the link reads, as it reads it.
    void setOnTaken(std::function<void(char)> taken) { onTaken_ = std::move(taken); }

    qint64 now() const override { return now_; }
    void setNow(qint64 ms) override { now_ = ms; }
    void setUnplugged(bool unplugged) { unplugged_ = unplugged; }
    void setCtsLow(bool low) { ctsLow_ = low; }
    // Every request frame written, as the device received it.
    const std::vector<std::string> &frames() const { return frames_; }
    // Called at every write, read and wait of the link (a test that looks at which thread waits).
    void setOnUse(std::function<void()> onUse) { onUse_ = std::move(onUse); }
    // Called at every read before anything is taken (a faulty device raises the line's error).
    void setOnRead(std::function<void()> onRead) { onRead_ = std::move(onRead); }

    void setPortNumber(int number) override { port_ = number; }
    int portNumber() const override { return port_; }
    void setSettings(const QString &settings) override { settings_ = settings; }
    QString settings() const override { return settings_; }
    void setHandshaking(int) override {}
    int handshaking() const override { return 0; }
    void open() override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    Cts cts() override { return ctsLow_ ? Cts::Low : Cts::Unsupported; }
    qint32 handle() const override { return open_ ? 3 : -1; }
    void setInBufferSize(int) override {}
    int inBufferSize() const override { return 1024; }
    void setOutBufferSize(int) override {}
    int outBufferSize() const override { return 512; }
    void setReceiveThreshold(int) override {}
    int receiveThreshold() const override { return 0; }
    void setReadLength(int count) override { readLength_ = count; }
    int readLength() const override { return readLength_; }
    int inWaiting() override;
    int outWaiting() override { return 0; }
    void clearInBuffer() override { pending_.clear(); }
    void clearOutBuffer() override {}
    void write(const QByteArray &bytes) override;
    QByteArray read() override;
    bool waitForReadable(int msecs) override;
    bool waitForWritten(int) override { return true; }

private:
    struct Arriving {
        qint64 at;
        char c;
        size_t frame; // the request it answers
        bool last;
    };
    double characterMs() const { return 10000.0 / baud_; }

    sim::DeviceModel &model_;
    int baud_;
    qint64 now_ = 0;
    bool unplugged_ = false;
    bool ctsLow_ = false;
    bool open_ = false;
    int port_ = 1;
    int readLength_ = 0;
    QString settings_;
    std::deque<Arriving> pending_;
    std::vector<std::string> frames_;
    std::function<void()> onUse_;
    std::function<void()> onRead_;
    FarEnd farEnd_;
    std::function<void(size_t)> onReplyTaken_;
    std::function<void(char)> onTaken_;
};

// The link on the simulated line, in the line's time (LineTimeLink).
class SimulatedWorld final : public LinkService {
public:
    SimulatedWorld(sim::DeviceModel model, int baud);
    ~SimulatedWorld() override;

    void run(Work work, Done done) override;
    tobrel::STDComm *sameThreadLink() override { return nullptr; }

    // The clock the driver is given; hand it over with takeClock() and keep using clock().
    std::unique_ptr<EngineClock> takeClock();
    SimulatedClock &clock() { return *clock_; }
    sim::DeviceModel &model() { return model_; }
    ModelLine &line() { return *line_; }
    void runFor(qint64 ms) { clock_->runUntil(clock_->nowMs() + ms); }

private:
    sim::DeviceModel model_;
    std::unique_ptr<SimulatedClock> ownedClock_;
    SimulatedClock *clock_;
    ModelLine *line_;
    std::unique_ptr<LineTimeLink> link_;
};
