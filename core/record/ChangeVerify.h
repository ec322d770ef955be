// The check of a change record file: the column line first, then every line carrying the hash
// that follows from the line before it, each line ended with CR LF.
#pragma once

#include <QString>
#include <QStringList>

namespace PLM_INC {

struct ChangeFileCheck {
    bool ok = false;
    int changes = 0;  // the change lines that follow the chain (all of them when ok)
    int badLine = 0;  // the first line that does not follow, counted from 1 (the column line)
    QString badText;  // that line as the file holds it, without its line end
    QString why;      // what is wrong with it, or why the file cannot be read
};

ChangeFileCheck VerifyChangeFile(const QString &path);
// For the operator and the command line: "<file>: OK, 1234 changes." or
// "<file>: line 57 does not follow: <why>" and the line.
QString ChangeCheckText(const QString &path, const ChangeFileCheck &check);

} // namespace PLM_INC
