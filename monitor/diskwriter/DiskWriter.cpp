#include "DiskWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace PLM_INC {

DiskWriter::DiskWriter() : m_thread([this] { run(); }) {}

DiskWriter::~DiskWriter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ending = true;
    }
    m_queued.notify_all();
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
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sync = std::move(sync);
}

void DiskWriter::append(const QString &path, const QByteArray &line, Failure failed)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(Job{path, line, std::move(failed)});
    }
    m_queued.notify_one();
}

bool DiskWriter::appendAndWait(const QString &path, const QByteArray &line)
{
    bool result = false;
    bool done = false;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_jobs.push_back(Job{path, line, [&done] { done = true; }, &result});
    m_queued.notify_one();
    m_idle.wait(lock, [&done] { return done; });
    return result;
}

void DiskWriter::waitUntilWritten()
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }
    runFailures();
}

void DiskWriter::runFailures()
{
    std::deque<Failure> failures;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        failures.swap(m_failures);
    }
    for (const Failure &failed : failures)
        if (failed)
            failed();
}

bool DiskWriter::write(const Job &job)
{
    DiskSync sync;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        sync = m_sync;
    }
    if (job.path.isEmpty())
        return false;
    QFile file(job.path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool written = file.write(job.line) == job.line.size() && file.flush() && (sync ? sync(file) : syncToDisk(file));
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

void DiskWriter::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_queued.wait(lock, [this] { return !m_jobs.empty() || m_ending; });
        if (m_jobs.empty())
            return; // ending, and everything handed over is written
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        const bool written = write(job);
        lock.lock();
        m_busy = false;
        if (job.result) {
            *job.result = written;
            job.failed(); // marks the waiting caller's job done
        } else if (!written) {
            m_failures.push_back(std::move(job.failed));
            if (QCoreApplication *app = QCoreApplication::instance())
                QMetaObject::invokeMethod(app, [this] { runFailures(); }, Qt::QueuedConnection);
        }
        m_idle.notify_all();
    }
}

DiskWriter &diskWriter()
{
    static DiskWriter writer;
    return writer;
}

} // namespace PLM_INC
