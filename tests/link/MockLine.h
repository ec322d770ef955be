// A line for the paths a pseudo-terminal cannot produce: the open fails, a write fails, the
// device vanishes, the transmit buffer never drains, CTS stays low. It answers every frame
// written with the chunks `answer` gives, one chunk arriving per wait, and records what the
// link did to it.
#pragma once

#include "CommError.h"
#include "Line.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <chrono>
#include <deque>
#include <functional>
#include <thread>

class MockLine final : public tobrel::Line {
public:
    // What the device sends back for one frame written, as the chunks it arrives in.
    std::function<QList<QByteArray>(const QByteArray &frame)> answer;
    bool failOpen = false;
    bool failWrite = false;
    bool vanishOnWait = false;     // the next wait for data finds the device gone
    bool neverDrains = false;      // the transmit buffer keeps its characters
    int writeMs = 0;               // how long a write blocks the caller
    Cts ctsState = Cts::Asserted;

    // When set, a wait that finds nothing to read calls this instead of sleeping: a test
    // clock moves on by msecs, and no time passes.
    std::function<void(int msecs)> idleWait;

    QList<QByteArray> written;
    QStringList operations;        // "clear in", "clear out", "write", in the order they came
    int opens = 0;
    int closes = 0;
    int drainWaits = 0;

    // Characters already waiting in the receive buffer.
    void receive(const QByteArray &bytes) { inBuffer_ += bytes; }

    void setPortNumber(int number) override
    {
        if (open_)
            throw tobrel::CommError(tobrel::LineErrorPortAlreadyOpen, QStringLiteral("Port already open"));
        portNumber_ = number;
    }
    int portNumber() const override { return portNumber_; }
    void setDeviceName(const QString &device) override
    {
        if (open_)
            throw tobrel::CommError(tobrel::LineErrorPortAlreadyOpen, QStringLiteral("Port already open"));
        deviceName_ = device;
    }
    QString deviceName() const override { return deviceName_; }
    void setSettings(const QString &settings) override { settings_ = settings; }
    QString settings() const override { return settings_; }
    void setHandshaking(int code) override { handshaking_ = code; }
    int handshaking() const override { return handshaking_; }

    void open() override
    {
        if (failOpen)
            throw tobrel::CommError(tobrel::LineErrorOpenFailed, QStringLiteral("Device busy"));
        open_ = true;
        ++opens;
    }
    void close() override
    {
        if (open_)
            ++closes;
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    Cts cts() override { return ctsState; }
    qint32 handle() const override { return open_ ? 42 : -1; }

    void setInBufferSize(int size) override { inSize_ = size; }
    int inBufferSize() const override { return inSize_; }
    void setOutBufferSize(int size) override { outSize_ = size; }
    int outBufferSize() const override { return outSize_; }
    void setReceiveThreshold(int count) override { threshold_ = count; }
    int receiveThreshold() const override { return threshold_; }
    void setReadLength(int count) override { readLength_ = count; }
    int readLength() const override { return readLength_; }

    int inWaiting() override
    {
        requireOpen();
        return static_cast<int>(inBuffer_.size());
    }
    int outWaiting() override
    {
        requireOpen();
        return static_cast<int>(outBuffer_.size());
    }
    void clearInBuffer() override
    {
        operations << QStringLiteral("clear in");
        inBuffer_.clear();
        arriving_.clear();
    }
    void clearOutBuffer() override
    {
        operations << QStringLiteral("clear out");
        outBuffer_.clear();
    }

    void write(const QByteArray &bytes) override
    {
        requireOpen();
        if (failWrite)
            throw tobrel::CommError(tobrel::LineErrorWriteFailed, QStringLiteral("Write failed"));
        written.append(bytes);
        operations << QStringLiteral("write");
        std::this_thread::sleep_for(std::chrono::milliseconds(writeMs));
        if (neverDrains)
            outBuffer_ += bytes;
        if (answer)
            for (const QByteArray &chunk : answer(bytes))
                arriving_.push_back(chunk);
    }
    QByteArray read() override
    {
        requireOpen();
        const int n = readLength_ == 0 ? static_cast<int>(inBuffer_.size()) : readLength_;
        const QByteArray taken = inBuffer_.left(n);
        inBuffer_.remove(0, taken.size());
        return taken;
    }
    bool waitForReadable(int msecs) override
    {
        requireOpen();
        if (vanishOnWait)
            throw tobrel::CommError(tobrel::LineErrorReadFailed, QStringLiteral("Device vanished"));
        if (inBuffer_.isEmpty() && !arriving_.empty()) {
            inBuffer_ += arriving_.front();
            arriving_.pop_front();
        }
        if (inBuffer_.isEmpty()) {
            if (idleWait)
                idleWait(msecs);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(msecs));
        }
        return !inBuffer_.isEmpty();
    }
    bool waitForWritten(int msecs) override
    {
        requireOpen();
        ++drainWaits;
        if (!outBuffer_.isEmpty())
            std::this_thread::sleep_for(std::chrono::milliseconds(msecs));
        return outBuffer_.isEmpty();
    }

private:
    void requireOpen() const
    {
        if (!open_)
            throw tobrel::CommError(tobrel::LineErrorPortNotOpen, QStringLiteral("Port not open"));
    }

    bool open_ = false;
    int portNumber_ = 1;
    QString deviceName_;
    QString settings_ = QStringLiteral("9600,N,8,1");
    int handshaking_ = 0;
    int inSize_ = 1024;
    int outSize_ = 512;
    int threshold_ = 0;
    int readLength_ = 0;
    QByteArray inBuffer_;
    QByteArray outBuffer_;
    std::deque<QByteArray> arriving_;
};
