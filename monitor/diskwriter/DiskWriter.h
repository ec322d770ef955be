// The one writer thread of the files that are appended line by line and must be on the disk
// before the next line is due: the log file and the alarm history file. Each line is opened
// for appending, written, flushed, synchronised to the disk and closed, as before, but on the
// writer thread, so a slow disk (an SD card, a USB stick, a network share) never holds the
// poll cycle or the windows. One thread and one queue: lines reach their files in the order
// they were handed over. A failed line is reported back on the thread that handed it over
// (the window's), through the failure function given with it.
#pragma once

#include <QByteArray>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class QFile;

namespace PLM_INC {

class DiskWriter {
public:
    using Failure = std::function<void()>;
    using DiskSync = std::function<bool(QFile &)>;

    DiskWriter();
    ~DiskWriter(); // writes what is still queued, then ends the thread
    DiskWriter(const DiskWriter &) = delete;
    DiskWriter &operator=(const DiskWriter &) = delete;

    // Queues the line for appending to the file and returns at once. When the line cannot be
    // written, `failed` runs later on the thread of the application object (the window's).
    void append(const QString &path, const QByteArray &line, Failure failed);
    // Appends after everything queued before it and waits for the result.
    bool appendAndWait(const QString &path, const QByteArray &line);
    // Blocks until every queued line is written and runs the failures of those that were not
    // (tests that read the files; the program's end, before the application object goes, so
    // the writer never reports to an application that is being destroyed).
    void waitUntilWritten();

    // The step that puts a written file on the disk; the real one unless a test replaces it
    // (a slow disk, a disk that does not answer). An empty function restores the real one.
    void setDiskSync(DiskSync sync);
    static bool syncToDisk(QFile &file);

private:
    struct Job {
        QString path;
        QByteArray line;
        Failure failed;
        bool *result = nullptr; // appendAndWait
    };

    void run();
    bool write(const Job &job);
    void runFailures();

    std::mutex m_mutex;
    std::condition_variable m_queued; // a job, or the end
    std::condition_variable m_idle;   // the queue empty and nothing being written
    std::deque<Job> m_jobs;
    std::deque<Failure> m_failures;   // to run on the application's thread
    bool m_busy = false;
    bool m_ending = false;
    DiskSync m_sync;
    std::thread m_thread;
};

// The program's writer.
DiskWriter &diskWriter();

} // namespace PLM_INC
