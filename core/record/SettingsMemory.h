// The controller's settings as the program last confirmed them (read, or taken with an
// acknowledgement), kept beside the change record so that the next start can tell what was
// changed at a unit while no program watched. The file is written whole through the disk
// writer whenever the confirmed counts change (looked at once a second), and ends with a
// checksum line: a file cut short or not written by the programs is not trusted.
// Every program writing a folder shares its memory: a change one program recorded while the
// other was stopped is not recorded again by the other.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

namespace PLM_INC {

class SettingsMemory : public QObject {
    Q_OBJECT
public:
    static constexpr int kKeepCheckMs = 1000;
    // The memory of the change record in `folder`.
    explicit SettingsMemory(const QString &folder);
    QString path() const { return path_; }
    // Gives the start-up read what the file remembers (RememberCount). A missing file is a first
    // run; one that fails its checksum or its form is refused with `why`, and no change made
    // while the program was stopped can then be told.
    bool load(QString *why);
    // Queues the file when the confirmed counts differ from what was last queued.
    void keep();

private:
    QString path_;
    QByteArray kept_;
    QTimer timer_;
};

} // namespace PLM_INC
