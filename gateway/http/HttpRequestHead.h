// The head of an HTTP/1.x request (its request line and header fields), taken whole from the
// front of what a client has sent. Pure. The server answers only GET and HEAD, which carry no
// body: a request that announces one is answered and its connection closed.
#pragma once

#include <QByteArray>

namespace http {

// Larger heads are refused (431): no page of the gateway needs more.
constexpr int kMaxHeadBytes = 8192;

struct RequestHead {
    QByteArray method;
    QByteArray path;  // the target without its query
    bool keepAlive = false;
    bool hasBody = false;
    QByteArray authorization; // the Authorization field's value; empty when none
};

struct TakenHead {
    enum Status { Incomplete, Whole, Bad } status = Incomplete;
    RequestHead head;
    int badStatus = 0; // for Bad: 400, 431 or 505
};

// Takes the first request head from `buffer` (removed when whole). An incomplete head longer
// than kMaxHeadBytes is Bad already.
TakenHead TakeRequestHead(QByteArray &buffer);

} // namespace http
