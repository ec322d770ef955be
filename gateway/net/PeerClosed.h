// Whether the peer of a connected socket has closed its end (or the connection broke), seen
// without reading: a client that is gone frees its slot before its turn to be read comes.
#pragma once

namespace net {

bool PeerClosed(int socket);

} // namespace net
