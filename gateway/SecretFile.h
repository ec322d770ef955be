// A secret (the broker password) read once from a file that nobody but its owner, the service's
// user and root may read (PrivateFile.h): the service's credential, or a file of mode 0600.
#pragma once

#include <QByteArray>
#include <QString>

// The first line of the file, without its line end. false with a one-line reason (the file is
// missing, unreadable, larger than a password, or others may read it).
bool ReadSecretFile(const QString &path, QString *secret, QString *error);

// The whole of a private file of at most `mostBytes` (said in a refusal as "`subject` holds N
// bytes; `limitText` at most M").
bool ReadPrivateFile(const QString &path, const QString &subject, qint64 mostBytes, const QString &limitText,
                     QByteArray *bytes, QString *error);

// The same check for a file that holds a secret among other things (the preferences file with
// the broker password); `subject` names it for the message, its path included.
bool CheckSecretHolder(const QString &path, const QString &subject, QString *error);
