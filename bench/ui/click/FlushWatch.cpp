#include "FlushWatch.h"

#include "ScreenClicker.h"

#include <QEvent>
#include <QWidget>

void FlushWatchingApplication::watch(const QWidget *widget, std::function<void(const Steps &)> flushed)
{
    watched_ = widget;
    steps_ = Steps();
    flushed_ = std::move(flushed);
}

void FlushWatchingApplication::unwatch()
{
    watch(nullptr, {});
}

bool FlushWatchingApplication::notify(QObject *receiver, QEvent *event)
{
    if (watched_) {
        if (receiver == watched_ && event->type() == QEvent::Paint && steps_.paintNs < 0)
            steps_.paintNs = steadyNs();
        else if (event->type() == QEvent::MouseButtonPress && steps_.pressNs < 0 && receiver->isWidgetType())
            steps_.pressNs = steadyNs();
    }
    ++depth_;
    const bool handled = QApplication::notify(receiver, event);
    if (--depth_ == 0 && steps_.paintNs >= 0) {
        // Taken out first: the callback may watch again.
        std::function<void(const Steps &)> flushed = std::move(flushed_);
        const Steps steps = steps_;
        unwatch();
        if (flushed)
            flushed(steps);
    }
    return handled;
}
