#include "HttpStream.h"

#include "HttpReply.h"

namespace http {

QByteArray StreamHeadBytes(const Stream &stream)
{
    return "HTTP/1.1 200 OK\r\n" + SecurityHeaders() + "Content-Type: " + stream.contentType
           + "\r\nX-Accel-Buffering: no\r\nConnection: close\r\n\r\n";
}

} // namespace http
