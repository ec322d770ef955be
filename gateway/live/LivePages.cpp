#include "LivePages.h"

#include "LiveFeed.h"

#include <QFile>

namespace {

QByteArray resource(const char *name)
{
    QFile f(QStringLiteral(":/live/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

http::Page file(const char *name, const char *type)
{
    const QByteArray bytes = resource(name);
    return {type, [bytes] { return bytes; }};
}

} // namespace

void AddLivePages(http::Pages &pages, LiveFeed &feed)
{
    pages["/"] = file("index.html", "text/html; charset=utf-8");
    pages["/live.css"] = file("live.css", "text/css; charset=utf-8");
    pages["/live.js"] = file("live.js", "text/javascript; charset=utf-8");
    const char *json = "application/json";
    pages["/api/state"] = {json, [&feed] { return feed.state(); }};
    pages["/api/alarms"] = {json, [&feed] { return feed.alarms(); }};
    pages["/api/changes"] = {json, [&feed] { return feed.changes(); }};
}

http::Streams LiveStreams(LiveFeed &feed)
{
    http::Streams streams;
    streams[kLiveEventsPath] = {"text/event-stream; charset=utf-8", [&feed] { return feed.opening(); }};
    return streams;
}
