// The one writer thread of the files that are appended line by line and must be on the disk
// before the next line is due: the log file, the alarm history file and the change record.
// Each line is opened for appending, written, flushed, synchronised to the disk and closed, as
// before, but on the writer thread, so a slow disk (an SD card, a USB stick, a network share)
// never holds the poll cycle or the windows. One thread and one queue: lines reach their files in the order
// they were handed over. A failed line is reported back on the thread that handed it over
// (the window's), through the failure function given with it, with what failed and the
// system's reason; the part of it that reached the file is cut off again, so the next line
// never joins it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class QFile;

namespace PLM_INC {

class DiskWriter {
public:
    // `why` says what failed and the system's reason, for example
    // "Cannot write to "/data/logging/run.txt": No space left on device."
    using Failure = std::function<void(const QString &why)>;
    using DiskSync = std::function<bool(QFile &)>;
    // Makes a line on the writer thread just before it is written, from the file as it is then
    // (a record line that carries a hash of the line before it). Gives an empty line and sets
    // `why` when it cannot, and then nothing is written.
    using LineMaker = std::function<QByteArray(const QString &path, QString *why)>;
    // Runs on the writer thread once a made line is on the disk.
    using Written = std::function<void()>;

    DiskWriter();
    // Writes what is still queued, then ends the thread; after a finish() that ran out of time
    // it leaves the thread to the ending process instead of waiting for a disk that does not
    // answer.
    ~DiskWriter();
    DiskWriter(const DiskWriter &) = delete;
    DiskWriter &operator=(const DiskWriter &) = delete;

    // Queues the line for appending to the file and returns at once. When the line cannot be
    // written, `failed` runs later on the thread of the application object (the window's).
    void append(const QString &path, const QByteArray &line, Failure failed);
    // The longest the window's thread waits for the disk.
    static constexpr std::chrono::milliseconds kWindowWait{5000};

    // Appends after everything queued before it and waits at most `limit` for the result;
    // `why` as for Failure. A line the disk has not taken by then is taken back, and `why`
    // says that the disk did not answer.
    bool appendAndWait(const QString &path, const QByteArray &line, QString *why = nullptr,
                       std::chrono::milliseconds limit = kWindowWait);
    // Writes the file whole (WholeFile.h), in place of what it held, after everything queued
    // before it (the lines of an old file reach the old file), waiting as appendAndWait does.
    bool replaceAndWait(const QString &path, const QByteArray &bytes, QString *why = nullptr,
                        std::chrono::milliseconds limit = kWindowWait);
    // Queues the whole file (WholeFile.h) that `make` gives when its turn comes (from the disk
    // as it is after everything queued before it), in place of what the file held, and returns
    // at once; `description` and `failed` as for appendMade().
    void replaceMade(const QString &path, LineMaker make, const QByteArray &description, Failure failed);
    // Queues a line that `make` gives when its turn comes; `description` stands for it where a
    // line that was not written is told (finish()). The file is locked (FileLock.h) from `make`
    // to the line being on the disk; `written` runs then, on the writer thread.
    void appendMade(const QString &path, LineMaker make, const QByteArray &description, Failure failed,
                    Written written = {});
    // Blocks until every queued line is written and runs the failures of those that were not
    // (tests that read the files).
    void waitUntilWritten();
    // The same, waiting at most `limit`; false when the disk has not taken everything by then
    // (nothing is taken back).
    bool waitUntilWritten(std::chrono::milliseconds limit);
    // What is said of a disk that did not answer within `limit`.
    static QString notAnsweredText(std::chrono::milliseconds limit);
    // The program's end: waits at most `limit` for the queued lines, then runs the failures
    // found meanwhile and takes back the lines not written by then. Gives one text for each
    // such line (the line that was still with the disk, then the queued ones), for standard
    // error: nobody is left to read a box.
    QStringList finish(std::chrono::milliseconds limit);
    // The program's end with the program's limit: a disk that does not answer holds the end at
    // most kEndWait.
    static constexpr std::chrono::milliseconds kEndWait{5000};
    QStringList finishAtEnd() { return finish(kEndWait); }

    // The step that puts a written file on the disk; the real one unless a test replaces it
    // (a slow disk, a disk that does not answer). It sets errno when it fails. An empty
    // function restores the real one.
    void setDiskSync(DiskSync sync);
    static bool syncToDisk(QFile &file);

private:
    struct State; // shared with the thread, which may outlive the writer at the program's end
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

// The program's writer.
DiskWriter &diskWriter();

// At the start of either program: a write beyond the file-size limit (ulimit -f) fails with its
// reason, told like any other failed write, instead of ending the program (SIGXFSZ) in the
// middle of a line.
void IgnoreFileSizeSignal();

// The end of either program (the window program and the gateway), while the application still
// exists: the program's writer gets kEndWait for the lines still on their way, and each line it
// did not take goes to standard error (the terminal, the journal), where it can still be read.
void FinishWritingAtEnd();

// The operator's message of a failed line: the program's text, then what failed.
QString WithFailureReason(const QString &message, const QString &why);

} // namespace PLM_INC
