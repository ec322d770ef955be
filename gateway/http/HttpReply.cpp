#include "HttpReply.h"

namespace http {

namespace {

QByteArray reasonOf(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 505: return "HTTP Version Not Supported";
    }
    return "Error";
}

// Every answer, a refusal too: the pages load only their own files, are never framed by another
// site, are taken as the type they are said to be, and are not kept by caches on the way.
const char kSecurityHeaders[] = "Content-Security-Policy: default-src 'self'; frame-ancestors 'none'; base-uri 'none'; "
                                "form-action 'none'\r\n"
                                "X-Content-Type-Options: nosniff\r\n"
                                "X-Frame-Options: DENY\r\n"
                                "Referrer-Policy: no-referrer\r\n"
                                "Cache-Control: no-store\r\n";

} // namespace

QByteArray SecurityHeaders()
{
    return QByteArray(kSecurityHeaders);
}

Reply ErrorReply(int status)
{
    Reply r;
    r.status = status;
    r.contentType = "text/plain; charset=utf-8";
    r.body = QByteArray::number(status) + ' ' + reasonOf(status) + '\n';
    return r;
}

Reply PasswordAskedReply()
{
    Reply r = ErrorReply(401);
    r.headers = "WWW-Authenticate: Basic realm=\"plm870-gateway\", charset=\"UTF-8\"\r\n";
    return r;
}

Reply TooSoonReply(int retrySeconds)
{
    Reply r = ErrorReply(429);
    r.headers = "Retry-After: " + QByteArray::number(retrySeconds) + "\r\n";
    return r;
}

Reply AnswerRequest(const RequestHead &head, const Pages &pages)
{
    if (head.method != "GET" && head.method != "HEAD") {
        Reply r = ErrorReply(405);
        r.allow = "GET, HEAD";
        return r;
    }
    if (head.hasBody)
        return ErrorReply(400); // a page takes no body
    const auto page = pages.find(head.path);
    if (page == pages.end())
        return ErrorReply(404);
    Reply r;
    r.contentType = page->second.contentType;
    r.body = page->second.body();
    return r;
}

QByteArray ReplyBytes(const Reply &reply, bool keepAlive, bool headOnly)
{
    QByteArray out;
    out.reserve(reply.body.size() + 512);
    out += "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonOf(reply.status) + "\r\n";
    out += kSecurityHeaders;
    if (!reply.allow.isEmpty())
        out += "Allow: " + reply.allow + "\r\n";
    out += reply.headers;
    out += "Content-Type: " + reply.contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    if (!headOnly)
        out += reply.body;
    return out;
}

} // namespace http
