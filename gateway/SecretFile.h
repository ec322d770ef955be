// A secret (the broker password) read once from a file that only its owner may read: the
// service's credential, or a file of mode 0600.
#pragma once

#include <QString>

// The first line of the file, without its line end. false with a one-line reason (the file is
// missing, unreadable, larger than a password, or group or others may read it).
bool ReadSecretFile(const QString &path, QString *secret, QString *error);
