#include "LinkMessages.h"

#include <utility>

LinkMessages::LinkMessages(EngineClock &clock)
    : timer_(clock.makeTimer([this] { showWaiting(); }))
{
}

void LinkMessages::setHandler(std::function<void(const QString &)> handler)
{
    handler_ = std::move(handler);
}

void LinkMessages::show(const QStringList &messages)
{
    for (const QString &text : messages) {
        if (!handler_)
            qWarning("%s", qPrintable(text));
        else
            toShow_ << text;
    }
    if (!toShow_.isEmpty() && !timer_->isActive())
        timer_->start(0);
}

void LinkMessages::showWaiting()
{
    const QStringList texts = std::exchange(toShow_, {});
    for (const QString &text : texts)
        if (handler_)
            handler_(text);
}
