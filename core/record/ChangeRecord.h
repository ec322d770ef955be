// The change record: one line for every setting that changed on a controller (or that the
// program tried to change and the controller refused or did not answer), who or what changed
// it, from what to what. One file a month in the data folder's "changes" folder, appended to
// through the disk writer and never replaced; each line carries a hash chained from the line
// before it (ChangeLine.h, docs/change-record.md).
#pragma once

#include "SettingChange.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

namespace PLM_INC {

// The account the program runs as, from the password database by its effective user id ("uid
// 1234" when the database has none); USERNAME on Windows ("unknown" when unset).
QString CurrentLoginName();

// The data folder's "changes" folder, beside "logging" and "hystory".
QString ChangeRecordFolder();

// A line as it reached the disk: the change, its sequence number and hash, and its file's name.
struct RecordedChange {
    SettingChange change; // `user` and `clockWentBack` as the line holds them
    qint64 seq = 0;
    QByteArray hash;
    QString file;
};

class ChangeRecord {
public:
    // The record of the folder; by default the data folder's, with the login name as its user.
    explicit ChangeRecord(const QString &folder = ChangeRecordFolder());
    ~ChangeRecord();
    ChangeRecord(const ChangeRecord &) = delete;
    ChangeRecord &operator=(const ChangeRecord &) = delete;

    QString folder() const { return m_folder; }
    // Who a change without a user of its own is recorded as (the gateway records as itself).
    QString user() const { return m_user; }
    void setUser(const QString &user) { m_user = user; }
    // Runs on the window's thread when a line could not be written, with the operator's message
    // and the system's reason; by default a message box of the kind "changes".
    void setFailureHandler(std::function<void(const QString &message)> handler) { m_failed = std::move(handler); }
    // Runs on the thread of the application object for every line once it is on the disk, in
    // the order of the file: what a witness outside the PC is given.
    void setWrittenHandler(std::function<void(const RecordedChange &)> handler);
    // Hands the lines on the disk and not yet handed over to the written handler now (the
    // program's end, once the disk has taken its last line).
    void deliverWritten();

    // The file of the month of `at` ("2026_12.csv").
    QString filePath(const QDateTime &at) const;
    // Formats the line and hands it to the disk writer; returns at once. The hash and the
    // sequence number are taken on the writer thread from the last line the file holds then (a
    // new month's file: from the month before it), so the chain and the numbers continue across
    // restarts, processes and lines that failed, and a new month's file starts with its column line. A
    // change whose time is earlier than the file's last line is marked "the clock went back";
    // one dated before the newest month written goes into that month's file.
    void append(const SettingChange &change);

private:
    // The newest month that has a file in the folder; invalid when none.
    QDate newestMonth() const;

    QString m_folder;
    QDate m_newestMonth; // the newest month written to (or found at the first line)
    QString m_user;
    std::function<void(const QString &)> m_failed;
    struct Written;
    std::shared_ptr<Written> m_written; // shared with the writer thread's jobs
};

// The operator's message when a line cannot be written.
inline const char *const kChangeRecordWriteFailedText = "Cannot write in the change record file.";

} // namespace PLM_INC
