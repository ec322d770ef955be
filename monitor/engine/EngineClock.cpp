#include "EngineClock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class QtEngineTimer final : public EngineTimer {
public:
    explicit QtEngineTimer(std::function<void()> fired)
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [fired = std::move(fired)] { fired(); });
    }
    void start(int ms) override { timer_.start(ms); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class QtEngineClock final : public EngineClock {
public:
    QtEngineClock() { steady_.start(); }
    qint64 nowMs() const override { return steady_.elapsed(); }
    std::unique_ptr<EngineTimer> makeTimer(std::function<void()> fired) override
    {
        return std::make_unique<QtEngineTimer>(std::move(fired));
    }

private:
    QElapsedTimer steady_;
};

} // namespace

std::unique_ptr<EngineClock> MakeQtEngineClock()
{
    return std::make_unique<QtEngineClock>();
}
