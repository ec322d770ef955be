// A path the gateway's HTTP server answers with a stream instead of a page: the answer's head,
// then bytes the server pushes as long as the client stays (server-sent events). Pure.
#pragma once

#include <QByteArray>
#include <functional>
#include <map>

namespace http {

struct Stream {
    QByteArray contentType;
    std::function<QByteArray()> opening; // the first bytes of a stream just opened
};
using Streams = std::map<QByteArray, Stream>; // by path

// A client that has not taken this much of a stream's bytes is dropped, not buffered for.
constexpr qint64 kMaxStreamUnsentBytes = 1024 * 1024;

// The head of a stream's answer: the security headers of every answer, no length (the stream
// ends with the connection) and nothing a proxy would buffer or transform.
QByteArray StreamHeadBytes(const Stream &stream);

} // namespace http
