#include "PeerClosed.h"

#include <cerrno>
#include <sys/socket.h>

namespace net {

bool PeerClosed(int socket)
{
    char byte = 0;
    const ssize_t n = ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

} // namespace net
