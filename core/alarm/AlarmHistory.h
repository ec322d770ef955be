// Alarm detection and the alarm history: every change of a channel's alarm and scale
// conditions, and every negative acknowledgement or checksum failure, becomes one entry in
// the history ring of 100 rows (grid and buffer) and one line of this run's history file.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// The alarm check of one channel, run right after its status word is stored.
void AlarmChk(int ch);

// One history entry: grid row, buffer row and a line appended to the history file.
// ALM is the kind ("Alarm1", "Alarm2", "HB", "LP", "UPS", "DOWNS", "NAK", "CHKSUM").
void Hystory_Write(const QString &ALM, int ch, bool State);

// The content text of an entry of kind ALM; empty for an unknown kind.
QString HistoryContentText(const QString &ALM, bool State);

// Starts the history file of a run started at `start` in `folder`, named "yyyy_m_d_h_n.hys":
// a new file with its two header lines, or the file of a run started in the same minute,
// continued (HistoryFile.h). Sets HistoryFileName and returns the path; a file that cannot be
// started is told as kHistoryWriteFailedText with the reason.
QString CreateHistoryFile(const QString &folder, const QDateTime &start);

// The history window registers a listener; Hystory_Write calls it with the grid row it filled
// (1..100) and the row it cleared as the marker of the next entry (2..101), so the window's
// grid follows the buffer whether it is shown or not. An empty function removes it.
void setHistoryListener(std::function<void(int filledRow, int clearedRow)> listener);

// One entry as it was written, for those that pass entries on (the publisher).
struct HistoryEntry {
    QString kind; // ALM
    int channel;  // 0..319; meaningless for "NAK" and "CHKSUM"
    bool on;      // State
    QDateTime at;
    QString date, time, channelText, content; // the texts of the grid and the file
};
// Called after every entry, besides the window's listener; one observer per owner. An empty
// function removes the owner's.
void setHistoryEntryObserver(const void *owner, std::function<void(const HistoryEntry &)> observer);

// "Clear" of the history window: HistoryRow back to 1 and the buffer emptied; the file keeps
// every line.
void ClearHistory();

// The message shown when an entry cannot be appended to the history file.
inline const char *const kHistoryWriteFailedText =
    "Cannot write in the file. Check if the alarm history file is open.";
