// Reads the change record for its window: one file, or every month's file of the folder, into
// rows, newest first (the reverse of the order in which the lines were written), and picks the
// rows of a filter.
#pragma once

#include "ChangeRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace PLM_INC {

struct ChangeRow {
    SettingChange change; // `user` holds who is recorded
    QString stamp;        // the time as the file writes it
    QString itemName;     // as the file names the item
    QString file;         // the file and the line (from 1) the row comes from
    int line = 0;
    qint64 utcMs = 0;     // change.at in ms since 1970 UTC, for the date filter
    qint64 seq = 0;       // its sequence number; 0 on a line written before they were kept
};

// The row of a change line's fields; "" when they are those of a change, else what is wrong
// with them (a block, channel, origin, outcome, sequence number or time the program never writes).
QString ChangeRowFromFields(const QStringList &fields, ChangeRow *row);

struct ChangeFilter {
    int block = -1;   // 0..15; -1 every block
    int channel = -1; // global 0..319; -1 every channel
    QString item;     // an item code; empty every item
    std::optional<ChangeOrigin> origin;
    QDateTime from;   // inclusive; invalid: no bound
    QDateTime to;     // inclusive; invalid: no bound
    bool matches(const ChangeRow &row) const;

private:
    friend class ChangeRecordReader;
    bool matches(const ChangeRow &row, qint64 fromMs, qint64 toMs) const;
};

class ChangeRecordReader {
public:
    // Each replaces what was read before. False, with what failed and the system's reason in
    // `why`, when a file or the folder cannot be read; the rows of the files read stay.
    bool readFile(const QString &path, QString *why = nullptr);
    bool readFolder(const QString &folder, QString *why = nullptr);

    const std::vector<ChangeRow> &rows() const { return m_rows; }
    // The indexes into rows() of those the filter keeps, newest first.
    std::vector<int> filtered(const ChangeFilter &filter) const;
    // The files read, oldest month first.
    const QStringList &files() const { return m_files; }
    // Lines after the column line that could not be read as a change (an unfinished line).
    int unreadableLines() const { return m_unreadable; }

private:
    bool appendFile(const QString &path, QString *why);

    std::vector<ChangeRow> m_rows;
    QStringList m_files;
    int m_unreadable = 0;
};

} // namespace PLM_INC
