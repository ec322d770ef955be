// The gateway's alarm memory kept across its runs: which of each channel's six recorded
// conditions (alarm 1, alarm 2, heater burnout, loop break, overscale, underscale) the history
// last recorded as on. A gateway killed and started again (a crash, systemd, a power cut) thus
// records an alarm still on once, not again as turned on, and an alarm that went off while it
// was away as turned off.
// The file names the history file and its size when it was written, on the disk writer's
// thread after the lines before it: the lines of that file beyond that size, written before a
// kill that came before the memory, are read back at start, so no edge is recorded twice. Its
// last line is a checksum: a memory that fails it, or that says otherwise than the last lines of
// the history it names, is not trusted (treated as absent). A write that fails is tried again.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class AlarmMemoryFile : public QObject {
    Q_OBJECT
public:
    static constexpr int kKeepCheckMs = 1000;
    explicit AlarmMemoryFile(QString path);
    // Sets AlarmMemory from the file and the history lines written after it. A missing file
    // leaves every condition off (a first run); a file the gateway did not write, one that
    // fails its checksum or disagrees with its history does too, and is refused with `why`.
    bool load(QString *why);
    // Queues the file when the memory differs from what was last queued.
    void keep();

private:
    void replay(const QString &history, qint64 from);
    bool agreesWithHistory(const QString &history, qint64 size) const;
    QString path_;
    QByteArray kept_; // the conditions, without the history's name and size
    QTimer timer_;    // the start-up read's status words, which come without a poll
};
