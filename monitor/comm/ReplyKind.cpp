#include "ReplyKind.h"

#include "Protocol.h"

ReplyKind ClassifyReply(const QString &reply)
{
    if (reply.isEmpty())
        return ReplyKind::NoReply;
    switch (reply.front().unicode()) {
    case tobrel::ACK:
        return ReplyKind::Ack;
    case tobrel::NAK:
        return ReplyKind::Nak;
    case tobrel::ESC:
        return ReplyKind::ChecksumFailure;
    default:
        return ReplyKind::NoReply;
    }
}
