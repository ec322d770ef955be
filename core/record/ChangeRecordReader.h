// Reads the change record for its window: one file, or every month's file of the folder, into
// rows, newest first (the reverse of the order in which the lines were written), and picks the
// rows of a filter. A row keeps only what the filters ask and where its line is; the line's
// texts are read from the file's bytes when the row is shown, so a record of a million lines
// takes little more memory than its files. A folder can be read a month at a time, newest
// first (ReadChangeFilePart on any thread, addPart on the reader's), so that the newest rows
// show while the older months are still being read.
#pragma once

#include "ChangeRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
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

// What a filter looks at in a row, and where its line is.
struct ChangeRowKey {
    qint64 utcMs = 0;
    quint32 offset = 0; // of the line in its file's bytes
    quint32 length = 0;
    quint32 line = 0;   // from 1
    qint16 channel = -1; // -1: a program's start or end
    quint16 file = 0;   // index into the reader's files
    quint8 origin = 0;
    std::array<char, 4> item{};
};

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
    bool matches(const ChangeRowKey &key, qint64 fromMs, qint64 toMs, const std::array<char, 4> &code) const;
};

// One file read: its bytes, the keys of its rows newest first, and what could not be read.
struct ChangeFilePart {
    QString path;
    QByteArray bytes;
    std::vector<ChangeRowKey> keys;
    int unreadable = 0; // lines after the column line that are no change (an unfinished line)
    QString why;        // the file cannot be read, and why
};
ChangeFilePart ReadChangeFilePart(const QString &path);
// The month files of a folder, newest first; `why` when the folder does not exist.
QStringList ChangeMonthFilesNewestFirst(const QString &folder, QString *why = nullptr);

class ChangeRecordReader {
public:
    // Each replaces what was read before. False, with what failed and the system's reason in
    // `why`, when a file or the folder cannot be read; the rows of the files read stay.
    bool readFile(const QString &path, QString *why = nullptr);
    bool readFolder(const QString &folder, QString *why = nullptr);
    void clear();
    // Adds the rows of a file older than those read so far; false (its `why` kept) when it
    // could not be read.
    bool addPart(ChangeFilePart part);

    size_t rowCount() const { return m_keys.size(); }
    ChangeRow row(size_t index) const;
    // The indexes of the rows the filter keeps, newest first; from `first` on only.
    std::vector<int> filtered(const ChangeFilter &filter, size_t first = 0) const;
    // The files read, newest month first.
    QStringList files() const;
    // Lines after the column line that could not be read as a change (an unfinished line).
    int unreadableLines() const { return m_unreadable; }

private:
    std::vector<ChangeRowKey> m_keys;
    std::vector<QString> m_paths;
    std::vector<QByteArray> m_bytes;
    int m_unreadable = 0;
};

} // namespace PLM_INC
