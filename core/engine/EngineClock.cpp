#include "EngineClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

namespace {

// A timer of no interval (the link timer's back-to-back tick) fires as a posted event of low
// priority rather than as a Qt timer: it comes once what is already waiting has run (the
// repaints of the outcome just taken, which are posted at that priority too) and before the
// timers and input that follow, so the next transaction reaches the line without waiting for
// them, and they run while it is on the line. It costs no timer registration either.
class QtEngineTimer final : public QObject, public EngineTimer {
public:
    explicit QtEngineTimer(std::function<void()> fired) : fired_(std::move(fired))
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { fired_(); });
    }
    void start(int ms) override
    {
        stop();
        if (ms > 0) {
            timer_.start(ms);
            return;
        }
        posted_ = true;
        QCoreApplication::postEvent(this, new QEvent(kFire), Qt::LowEventPriority);
    }
    void stop() override
    {
        timer_.stop();
        if (posted_)
            QCoreApplication::removePostedEvents(this, kFire);
        posted_ = false;
    }
    bool isActive() const override { return posted_ || timer_.isActive(); }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != kFire)
            return QObject::event(e);
        posted_ = false;
        fired_();
        return true;
    }

private:
    static constexpr QEvent::Type kFire = QEvent::User;
    std::function<void()> fired_;
    QTimer timer_;
    bool posted_ = false;
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
