// The check of the change record: in each file the column line first, then every line carrying
// the hash that follows from the line before it, ended with CR LF, its fields those of a change,
// its sequence number one more than the line's before it (across the month files of a folder).
// The check goes on past a line that does not follow the way the writer does (from the hash
// that line carries, or past an unfinished line from the hash before it), so it names every
// such line, not only the first. Given folders, it checks each month file in them and names a
// month missing between two that have files.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace PLM_INC {

struct NumberedLine;

struct ChangeLineProblem {
    int line = 0; // counted from 1 (the column line)
    QString why;  // what is wrong with it
    QString text; // the line as the file holds it, without its line end
};

struct ChangeFileCheck {
    QString path;
    bool ok = false;
    int changes = 0;                          // the change lines that follow the chain
    qint64 firstSeq = 0, lastSeq = 0;         // the sequence numbers of the lines; 0 when none carries one
    std::vector<ChangeLineProblem> problems;  // every line that does not follow, in file order
    QString why;                              // the whole file: why it cannot be read, or is no record
};

struct ChangeRecordCheck {
    std::vector<ChangeFileCheck> files; // in the order given; a folder's months oldest first
    QStringList missingMonths;          // "2026_11.csv": none between two month files of a folder
    QStringList refused;                // what was given and is neither a file nor a folder, and why
    bool ok() const;                    // every file follows and nothing was refused
};

// `seqBefore`: the sequence number the record's file before this one ends with (0: not known).
// `numbered`, when given, gets every line that carries a sequence number and a hash.
ChangeFileCheck VerifyChangeFile(const QString &path, qint64 seqBefore = 0, std::vector<NumberedLine> *numbered = nullptr);
// Files and folders, as the command line or the window gives them, the files checked side by
// side on the machine's cores. `progress`, when given, is told after each file (files checked,
// files in all), from the checking threads; when it gives false the check stops.
ChangeRecordCheck VerifyChangeRecord(const QStringList &paths, std::vector<NumberedLine> *numbered = nullptr,
                                     const std::function<bool(int done, int total)> &progress = {});

// For the operator and the command line, one result line per file:
// "<file>: OK, 1234 changes follow the chain (sequence numbers 1 to 1234)." or "<file>: 2 lines
// do not follow, 1230 changes follow the chain." and, under it, each such line: "  line 57 does not follow: <why>"
// and the line itself.
QString ChangeCheckText(const ChangeFileCheck &check);
QStringList ChangeRecordCheckLines(const ChangeRecordCheck &check);
QString MissingMonthText(const QString &path);

} // namespace PLM_INC
