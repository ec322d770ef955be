// Reply bytes as a communication unit sends them, for the link tests.
#pragma once

#include "Protocol.h"

#include <QByteArray>
#include <QString>

// ACK or NAK, the body (address, sub-address, command type, item, data), its checksum, ETX.
inline QByteArray replyBytes(char start, const QByteArray &body)
{
    return QByteArray(1, start) + body + QByteArray::fromStdString(tobrel::MakeCheckSum(body.toStdString()))
        + QByteArray(1, tobrel::ETX);
}

inline QString text(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

// The body of a read reply of block 0 with 20 fields "0000", "0001", ...
inline QByteArray readReplyBody(const QByteArray &item = "0080")
{
    QByteArray body = "  \"" + item;
    for (int i = 0; i < 20; ++i)
        body += QByteArray::number(i, 16).toUpper().rightJustified(4, '0');
    return body;
}
