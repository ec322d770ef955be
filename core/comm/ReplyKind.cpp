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

bool AnswersRequest(const QString &reply, int block, char command, const QString &item)
{
    if (reply.size() < 2)
        return true;
    if (reply.at(1).unicode() != char16_t(tobrel::BlockAddress(block)))
        return false;
    if (reply.size() >= 4 && reply.at(3).unicode() != char16_t(uchar(command)))
        return false;
    return reply.size() < 8 || reply.mid(4, 4) == item;
}
