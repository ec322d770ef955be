#include "DiskWriter.h"

#include "FileCodePage.h"
#include "FileLock.h"
#include "LineAppend.h"
#include "WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <mutex>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace PLM_INC {

struct DiskWriter::State : std::enable_shared_from_this<DiskWriter::State> {
    struct Waiter { // appendAndWait, which may stop waiting before the disk answers
        bool done = false;
        QString why;
    };
    struct Job {
        QString path;
        QByteArray line;
        Failure failed;
        std::shared_ptr<Waiter> waiter;
        bool whole; // `line` is the whole file, in place of what it held
        LineMaker make; // appendMade: `line` is then only its description
        Written written;
    };
    struct Report {
        Failure failed;
        QString why;
    };

    std::mutex mutex;
    std::condition_variable queued; // a job, or the end
    std::condition_variable idle;   // the queue empty and nothing being written
    std::deque<Job> jobs;
    std::deque<Report> failures; // to run on the application's thread
    Job current;                  // the line with the disk while busy
    bool busy = false;
    bool ending = false;
    bool abandoned = false; // finish() ran out of time: nobody waits for the thread any more
    DiskSync sync;

    void run();
    void runFailures();
    bool waitFor(Job job, QString *why, std::chrono::milliseconds limit);
};

namespace {

// A line of the file as text for standard error, without its line end.
QString lineText(const QByteArray &line)
{
    QByteArray bare = line;
    while (bare.endsWith('\n') || bare.endsWith('\r'))
        bare.chop(1);
    return FromFileCodePage(bare);
}

} // namespace

void DiskWriter::State::runFailures()
{
    std::deque<Report> reports;
    {
        std::lock_guard<std::mutex> lock(mutex);
        reports.swap(failures);
    }
    for (const Report &report : reports)
        if (report.failed)
            report.failed(report.why);
}

void DiskWriter::State::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        queued.wait(lock, [this] { return !jobs.empty() || ending; });
        if (jobs.empty())
            return; // ending, and everything handed over is written
        current = std::move(jobs.front());
        jobs.pop_front();
        busy = true;
        const DiskSync step = sync;
        lock.unlock();
        QString why;
        if (current.whole) {
            const QByteArray bytes = current.make ? current.make(current.path, &why) : current.line;
            if (why.isEmpty())
                WriteWholeFile(current.path, bytes, &why);
        } else if (current.make) {
            // A made line is chained to what the file ends with: no other process may append
            // between reading that and this line being on the disk (nor after a failed line,
            // while it is cut off again).
            {
                const FileLock lock(current.path);
                const QByteArray line = current.make(current.path, &why);
                if (why.isEmpty())
                    why = AppendLineToDisk(current.path, line, step ? step : DiskWriter::syncToDisk);
            }
            if (why.isEmpty() && current.written)
                current.written();
        } else {
            why = AppendLineToDisk(current.path, current.line, step ? step : DiskWriter::syncToDisk);
        }
        lock.lock();
        busy = false;
        Job job = std::move(current);
        if (job.waiter) {
            job.waiter->why = why;
            job.waiter->done = true;
        } else if (!why.isEmpty()) {
            if (abandoned) {
                // The program is ending without waiting for the disk: the journal or the
                // terminal is the one place left to say it.
                std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
            } else {
                failures.push_back(Report{std::move(job.failed), why});
            }
            // The failure reaches the window by itself, without anyone waiting for the writer.
            if (QCoreApplication *app = QCoreApplication::instance(); app && !abandoned) {
                std::weak_ptr<State> self = weak_from_this();
                QMetaObject::invokeMethod(
                    app,
                    [self] {
                        if (const std::shared_ptr<State> state = self.lock())
                            state->runFailures();
                    },
                    Qt::QueuedConnection);
            }
        }
        idle.notify_all();
    }
}

DiskWriter::DiskWriter() : m_state(std::make_shared<State>())
{
    m_thread = std::thread([state = m_state] { state->run(); });
}

DiskWriter::~DiskWriter()
{
    bool leave = false;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->ending = true;
        leave = m_state->abandoned && m_state->busy;
    }
    m_state->queued.notify_all();
    // The thread holds its own share of the state; a disk that never answers keeps it, not us.
    if (leave)
        m_thread.detach();
    else
        m_thread.join();
}

bool DiskWriter::syncToDisk(QFile &file)
{
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#elif defined(Q_OS_LINUX)
    return fdatasync(file.handle()) == 0;
#else
    return fsync(file.handle()) == 0;
#endif
}

void DiskWriter::setDiskSync(DiskSync sync)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->sync = std::move(sync);
}

void DiskWriter::append(const QString &path, const QByteArray &line, Failure failed)
{
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->jobs.push_back(State::Job{path, line, std::move(failed), nullptr, false, {}, {}});
    }
    m_state->queued.notify_one();
}

void DiskWriter::replaceMade(const QString &path, LineMaker make, const QByteArray &description, Failure failed)
{
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->jobs.push_back(State::Job{path, description, std::move(failed), nullptr, true, std::move(make), {}});
    }
    m_state->queued.notify_one();
}

void DiskWriter::appendMade(const QString &path, LineMaker make, const QByteArray &description, Failure failed,
                            Written written)
{
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->jobs.push_back(
            State::Job{path, description, std::move(failed), nullptr, false, std::move(make), std::move(written)});
    }
    m_state->queued.notify_one();
}

bool DiskWriter::State::waitFor(Job job, QString *why, std::chrono::milliseconds limit)
{
    const std::shared_ptr<Waiter> waiter = job.waiter;
    std::unique_lock<std::mutex> lock(mutex);
    jobs.push_back(std::move(job));
    queued.notify_one();
    if (!idle.wait_for(lock, limit, [&waiter] { return waiter->done; })) {
        jobs.erase(std::remove_if(jobs.begin(), jobs.end(), [&waiter](const Job &queued) { return queued.waiter == waiter; }),
                   jobs.end());
        waiter->why = notAnsweredText(limit);
    }
    if (why)
        *why = waiter->why;
    return waiter->why.isEmpty();
}

bool DiskWriter::appendAndWait(const QString &path, const QByteArray &line, QString *why,
                               std::chrono::milliseconds limit)
{
    return m_state->waitFor(State::Job{path, line, {}, std::make_shared<State::Waiter>(), false, {}, {}}, why, limit);
}

bool DiskWriter::replaceAndWait(const QString &path, const QByteArray &bytes, QString *why,
                                std::chrono::milliseconds limit)
{
    return m_state->waitFor(State::Job{path, bytes, {}, std::make_shared<State::Waiter>(), true, {}, {}}, why, limit);
}

void DiskWriter::waitUntilWritten()
{
    {
        std::unique_lock<std::mutex> lock(m_state->mutex);
        m_state->idle.wait(lock, [this] { return m_state->jobs.empty() && !m_state->busy; });
    }
    m_state->runFailures();
}

bool DiskWriter::waitUntilWritten(std::chrono::milliseconds limit)
{
    bool written = false;
    {
        std::unique_lock<std::mutex> lock(m_state->mutex);
        written = m_state->idle.wait_for(lock, limit, [this] { return m_state->jobs.empty() && !m_state->busy; });
    }
    m_state->runFailures();
    return written;
}

QString DiskWriter::notAnsweredText(std::chrono::milliseconds limit)
{
    return QStringLiteral("The disk did not answer within %1 s.").arg(double(limit.count()) / 1000.0);
}

QStringList DiskWriter::finish(std::chrono::milliseconds limit)
{
    QStringList notWritten;
    {
        std::unique_lock<std::mutex> lock(m_state->mutex);
        const bool written =
            m_state->idle.wait_for(lock, limit, [this] { return m_state->jobs.empty() && !m_state->busy; });
        if (!written) {
            m_state->abandoned = true;
            const QString seconds = QString::number(double(limit.count()) / 1000.0);
            if (m_state->busy)
                notWritten << QStringLiteral("Perhaps not written to %1 (the disk did not answer within %2 s): %3")
                                  .arg(QDir::toNativeSeparators(m_state->current.path), seconds,
                                       lineText(m_state->current.line));
            for (const State::Job &job : m_state->jobs)
                notWritten << QStringLiteral("Not written to %1 (the disk did not answer within %2 s): %3")
                                  .arg(QDir::toNativeSeparators(job.path), seconds, lineText(job.line));
            m_state->jobs.clear();
        }
    }
    m_state->runFailures();
    return notWritten;
}

DiskWriter &diskWriter()
{
    static DiskWriter writer;
    return writer;
}

void IgnoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void FinishWritingAtEnd()
{
    for (const QString &lost : diskWriter().finishAtEnd())
        std::fprintf(stderr, "%s\n", lost.toLocal8Bit().constData());
}

QString WithFailureReason(const QString &message, const QString &why)
{
    return why.isEmpty() ? message : message + QLatin1Char('\n') + why;
}

} // namespace PLM_INC
