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
