// Who may read a file that holds a secret: its owner, the user this process runs as (the
// service's user) and root, nobody else. Judged with the file's POSIX ACL where it has one:
// systemd hands a service its credential as a file of root's with an ACL entry that lets the
// service's user read it, which stat shows as mode 0440.
#pragma once

#include <QString>

struct stat;

// Empty when nobody else may read the open file `fd` (whose status is `st`); otherwise who may,
// for a message: "mode 0644", or "its ACL lets the user bob and others read it".
QString OtherReaders(int fd, const struct stat &st);
