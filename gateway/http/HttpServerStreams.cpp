// The streams of HttpServer: a GET of a stream's path is answered with the stream's head and
// opening bytes, and the client then takes what sendToStreams pushes until it goes.
#include "HttpServer.h"

#include <QTcpSocket>
#include <vector>

namespace http {

void HttpServer::setStreams(Streams streams, qint64 maxStreamUnsent)
{
    streams_ = std::move(streams);
    maxStreamUnsent_ = maxStreamUnsent;
}

bool HttpServer::openStream(QTcpSocket *socket, Client &c, const RequestHead &head)
{
    const auto stream = streams_.find(head.path);
    // Other methods and requests with a body are refused as for a page.
    if (stream == streams_.end() || head.hasBody || (head.method != "GET" && head.method != "HEAD"))
        return false;
    socket->write(StreamHeadBytes(stream->second));
    ++answered_;
    c.buffer.clear();
    if (head.method == "HEAD") {
        c.closing = true;
        socket->disconnectFromHost();
        return true;
    }
    // The opening may send what was gathered to the streams open already: this one starts after it.
    if (stream->second.opening)
        socket->write(stream->second.opening());
    c.stream = head.path;
    return true;
}

void HttpServer::sendToStreams(const QByteArray &path, const QByteArray &bytes)
{
    std::vector<QTcpSocket *> behind;
    for (const auto &[socket, c] : clients_) {
        if (c.stream != path)
            continue;
        if (socket->bytesToWrite() > maxStreamUnsent_)
            behind.push_back(socket);
        else
            socket->write(bytes); // made once, for every client alike
    }
    for (QTcpSocket *socket : behind)
        dropClient(socket, QStringLiteral("it left more than %1 kB of its stream untaken").arg(maxStreamUnsent_ / 1024));
}

int HttpServer::streamClients() const
{
    int n = 0;
    for (const auto &[socket, c] : clients_)
        n += c.stream.isEmpty() ? 0 : 1;
    return n;
}

} // namespace http
