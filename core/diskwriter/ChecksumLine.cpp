#include "ChecksumLine.h"

#include <QCryptographicHash>

namespace {

const QByteArray kChecksumTag = "sha256 ";

QByteArray checksumLine(const QByteArray &content)
{
    return kChecksumTag + QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex() + '\n';
}

} // namespace

QByteArray WithChecksumLine(const QByteArray &content)
{
    return content + checksumLine(content);
}

QByteArray CheckedContent(const QByteArray &bytes)
{
    const qsizetype last = bytes.lastIndexOf(kChecksumTag);
    if (last <= 0 || bytes[last - 1] != '\n')
        return {};
    const QByteArray content = bytes.left(last);
    return bytes.mid(last) == checksumLine(content) ? content : QByteArray();
}
