// The one rule that sorts a transaction result by its first character.
#pragma once

#include <QString>

enum class ReplyKind {
    Ack,             // positive reply
    Nak,             // negative reply
    ChecksumFailure, // ESC: the reply failed its checksum
    NoReply          // anything else, the empty result of a time-out included
};

ReplyKind ClassifyReply(const QString &reply);
// False when a reply names another block, command or item than the request it came to: it
// belongs to an earlier request and arrived after that one's time-out (a late reply to a read
// of the item is no acknowledgement of its write). A reply with nothing to compare (none, a
// checksum failure, one too short) is taken as the request's own.
bool AnswersRequest(const QString &reply, int block, char command, const QString &item);
