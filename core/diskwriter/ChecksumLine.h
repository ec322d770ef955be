// A file kept whole by the programs (a memory they read back at start) ends with a checksum
// line: "sha256 " and the hash of everything before it, in hex. A file cut short, edited or
// written by something else fails it.
#pragma once

#include <QByteArray>

// The content followed by its checksum line.
QByteArray WithChecksumLine(const QByteArray &content);
// The content without its checksum line; empty when the line is missing or does not match.
QByteArray CheckedContent(const QByteArray &bytes);
