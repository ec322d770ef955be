// What the gateway's HTTP server answers: a page for GET or HEAD of a path it serves, a refusal
// otherwise, each with the same security headers. Pure.
#pragma once

#include "HttpRequestHead.h"

#include <QByteArray>
#include <functional>
#include <map>

namespace http {

struct Page {
    QByteArray contentType;
    std::function<QByteArray()> body; // made at each request, on the server's thread
};
using Pages = std::map<QByteArray, Page>; // by path

struct Reply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QByteArray allow; // the methods a 405 names
    QByteArray headers; // more header fields, each ending in CRLF
};

// Read-only: GET and HEAD of a path in `pages`; 405 for any other method, 400 for a GET or HEAD
// with a body, 404 for another path.
Reply AnswerRequest(const RequestHead &head, const Pages &pages);
// A refusal with its reason as a line of text.
Reply ErrorReply(int status);
// The header lines every answer carries, each ending in CR LF.
QByteArray SecurityHeaders();
// 401 with the challenge that makes a browser ask for the password.
Reply PasswordAskedReply();
// 429: a failed password was checked less than `retrySeconds` ago from the same address.
Reply TooSoonReply(int retrySeconds);
// The whole answer: status line, security headers, body (left out for HEAD, its length stays).
QByteArray ReplyBytes(const Reply &reply, bool keepAlive, bool headOnly);

} // namespace http
