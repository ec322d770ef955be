// The change record: one line for every setting that changed on a controller (or that the
// program tried to change and the controller refused or did not answer), who or what changed
// it, from what to what. One file a month in the data folder's "changes" folder, appended to
// through the disk writer and never replaced; each line carries a hash chained from the line
// before it (ChangeLine.h, docs/change-record.md).
#pragma once

#include "ChangeOrigin.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace PLM_INC {

// A change at the unit is always Taken: the controller holds it already.
enum class WriteOutcome { Taken, Refused, NoReply };

struct SettingChange {
    QDateTime at;
    int channel = 0;  // global 0..319; block = channel / 20
    QString item;     // the 4-character item code, e.g. "0001"
    QString before;   // value text as the pages show them
    QString after;
    ChangeOrigin origin = ChangeOrigin::Editor;
    QString user;     // empty: the record's user (ChangeRecord::user())
    WriteOutcome outcome = WriteOutcome::Taken;
};

// The texts of the record and of the published changes ("setting editor", ..., "at the unit";
// "taken", "refused", "no reply"), and back; false when the text is none of them.
QString ChangeOriginText(ChangeOrigin origin);
QString WriteOutcomeText(WriteOutcome outcome);
bool ChangeOriginFromText(const QString &text, ChangeOrigin *origin);
bool WriteOutcomeFromText(const QString &text, WriteOutcome *outcome);
// Every origin, in the order of the enumeration.
const std::vector<ChangeOrigin> &AllChangeOrigins();

// The item as the setting page and the setting editor name it ("Main setting value"); the code
// itself for an item the pages do not name.
QString ItemNameOnPages(const QString &code);

// The login name of the user running the program (USER, LOGNAME, then the password database;
// USERNAME on Windows); "unknown" when none is found.
QString CurrentLoginName();

// The data folder's "changes" folder, beside "logging" and "hystory".
QString ChangeRecordFolder();

class ChangeRecord {
public:
    // The record of the folder; by default the data folder's, with the login name as its user.
    explicit ChangeRecord(const QString &folder = ChangeRecordFolder());

    QString folder() const { return m_folder; }
    // Who a change without a user of its own is recorded as (the gateway records as itself).
    QString user() const { return m_user; }
    void setUser(const QString &user) { m_user = user; }
    // Runs on the window's thread when a line could not be written, with the operator's message
    // and the system's reason; by default a message box of the kind "changes".
    void setFailureHandler(std::function<void(const QString &message)> handler) { m_failed = std::move(handler); }

    // The file of the month of `at` ("2026_12.csv").
    QString filePath(const QDateTime &at) const;
    // Formats the line and hands it to the disk writer; returns at once. The hash is taken on
    // the writer thread from the last line the file holds then, so the chain continues across
    // restarts and lines that failed, and a new month's file starts with its column line.
    void append(const SettingChange &change);

private:
    QString m_folder;
    QString m_user;
    std::function<void(const QString &)> m_failed;
};

// The operator's message when a line cannot be written.
inline const char *const kChangeRecordWriteFailedText = "Cannot write in the change record file.";

} // namespace PLM_INC
