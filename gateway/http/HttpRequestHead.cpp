#include "HttpRequestHead.h"

#include <QList>

namespace http {

namespace {

TakenHead bad(int status)
{
    TakenHead t;
    t.status = TakenHead::Bad;
    t.badStatus = status;
    return t;
}

bool isToken(const QByteArray &s)
{
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || QByteArray("!#$%&'*+-.^_`|~").contains(c)))
            return false;
    return true;
}

} // namespace

TakenHead TakeRequestHead(QByteArray &buffer)
{
    // Empty lines before a request are allowed (RFC 9112, 2.2).
    qsizetype start = 0;
    while (start + 1 < buffer.size() && buffer[start] == '\r' && buffer[start + 1] == '\n')
        start += 2;
    const qsizetype end = buffer.indexOf("\r\n\r\n", start);
    if (end < 0)
        return buffer.size() - start > kMaxHeadBytes ? bad(431) : TakenHead{};
    if (end - start > kMaxHeadBytes)
        return bad(431);
    const QList<QByteArray> lines = buffer.mid(start, end - start).split('\n');
    buffer.remove(0, end + 4);

    const QList<QByteArray> parts = lines.first().chopped(lines.first().endsWith('\r') ? 1 : 0).split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/'))
        return bad(400);
    const QByteArray &version = parts[2];
    if (!version.startsWith("HTTP/1."))
        return bad(version.startsWith("HTTP/") ? 505 : 400);
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return bad(505);
    TakenHead t;
    t.status = TakenHead::Whole;
    t.head.method = parts[0];
    const qsizetype query = parts[1].indexOf('?');
    t.head.path = query < 0 ? parts[1] : parts[1].left(query);
    bool keepAlive = version == "HTTP/1.1";
    bool host = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].chopped(lines[i].endsWith('\r') ? 1 : 0);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.left(colon)))
            return bad(400); // also a folded line (obsolete, refused as RFC 9112 allows)
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "connection") {
            const QByteArray v = value.toLower();
            if (v.contains("close"))
                keepAlive = false;
            else if (v.contains("keep-alive"))
                keepAlive = true;
        } else if (name == "content-length") {
            if (value != "0")
                t.head.hasBody = true;
        } else if (name == "transfer-encoding") {
            t.head.hasBody = true;
        } else if (name == "host") {
            host = true;
        } else if (name == "authorization") {
            t.head.authorization = value;
        }
    }
    // HTTP/1.1 requires Host (RFC 9112, 3.2).
    if (version == "HTTP/1.1" && !host)
        return bad(400);
    t.head.keepAlive = keepAlive && !t.head.hasBody;
    return t;
}

} // namespace http
