// What the link asks to show during a piece of work (the port refusal). A box opened inside a
// step would hold the driver there until it is closed: the texts are shown from the engine's
// clock once the step has ended. Without a handler they go to the log.
#pragma once

#include "EngineClock.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class LinkMessages {
public:
    explicit LinkMessages(EngineClock &clock);

    void setHandler(std::function<void(const QString &)> handler);
    void show(const QStringList &messages);

private:
    void showWaiting();

    std::function<void(const QString &)> handler_;
    QStringList toShow_;
    std::unique_ptr<EngineTimer> timer_;
};
