#include "ChangeRecord.h"

#include "ChangeLine.h"
#include "DataFolder.h"
#include "DiskWriter.h"
#include "FileLock.h"
#include "Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <deque>
#include <mutex>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace PLM_INC {

QString CurrentLoginName()
{
#ifdef Q_OS_UNIX
    // The account the process runs as: no variable of the environment can name someone else.
    if (const passwd *entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QStringLiteral("uid %1").arg(geteuid());
#else
    const QString name = qEnvironmentVariable("USERNAME");
    return name.isEmpty() ? QStringLiteral("unknown") : name;
#endif
}

QString ChangeRecordFolder()
{
    return DataSubFolder(QStringLiteral("changes"));
}

// The lines on the disk on their way from the writer thread to the written handler.
struct ChangeRecord::Written : std::enable_shared_from_this<ChangeRecord::Written> {
    std::mutex mutex;
    std::deque<RecordedChange> lines;
    std::function<void(const RecordedChange &)> handler; // used on the application's thread only

    void add(RecordedChange line) // the writer thread
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            lines.push_back(std::move(line));
        }
        if (QCoreApplication *app = QCoreApplication::instance()) {
            std::weak_ptr<Written> self = weak_from_this();
            QMetaObject::invokeMethod(
                app,
                [self] {
                    if (const std::shared_ptr<Written> written = self.lock())
                        written->deliver();
                },
                Qt::QueuedConnection);
        }
    }
    void deliver()
    {
        std::deque<RecordedChange> taken;
        {
            std::lock_guard<std::mutex> lock(mutex);
            taken.swap(lines);
        }
        for (const RecordedChange &line : taken)
            if (handler)
                handler(line);
    }
};

namespace {

// The sequence number the newest month file before `path` ends with (0 when there is none, or
// its last line carries none): where a new month's numbers go on from. That file is locked
// while it is read, so a line another process is adding to it is counted.
bool lastSeqBefore(const QString &folder, const QString &path, qint64 *seq, QString *why)
{
    *seq = 0;
    const QString name = QFileInfo(path).fileName();
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString &earlier : names) {
        if (!IsChangeFileName(earlier) || earlier >= name)
            continue;
        const QString earlierPath = QDir(folder).filePath(earlier);
        const FileLock lock(earlierPath);
        QByteArray hash;
        bool empty = true;
        return ChangeChainEnd(earlierPath, &hash, &empty, why, nullptr, seq);
    }
    return true;
}

} // namespace

ChangeRecord::ChangeRecord(const QString &folder)
    : m_folder(folder), m_user(CurrentLoginName()), m_failed([](const QString &message) {
          prompter().message(message, QStringLiteral("changes"));
      }),
      m_written(std::make_shared<Written>())
{
}

ChangeRecord::~ChangeRecord()
{
    m_written->handler = nullptr; // lines still on their way are handed to nobody
}

void ChangeRecord::setWrittenHandler(std::function<void(const RecordedChange &)> handler)
{
    m_written->handler = std::move(handler);
}

void ChangeRecord::deliverWritten()
{
    m_written->deliver();
}

QString ChangeRecord::filePath(const QDateTime &at) const
{
    return QDir(m_folder).filePath(ChangeFileName(at.toLocalTime().date()));
}

QDate ChangeRecord::newestMonth() const
{
    QStringList names = QDir(m_folder).entryList(QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString &name : names)
        if (IsChangeFileName(name))
            return QDate(name.left(4).toInt(), name.mid(5, 2).toInt(), 1);
    return QDate();
}

void ChangeRecord::append(const SettingChange &change)
{
    SettingChange line = change;
    if (line.user.isEmpty())
        line.user = m_user;
    const QStringList texts = ChangeFieldTexts(line, m_user, QLocale::system());
    line.clockWentBack = true;
    const QStringList textsBack = ChangeFieldTexts(line, m_user, QLocale::system());
    line.clockWentBack = false;
    const QString folder = m_folder;
    // Filled in by the line's maker, read once the line is on the disk (both on the writer thread).
    const auto recorded = std::make_shared<RecordedChange>(RecordedChange{line, 0, QByteArray(), QString()});
    // On the writer thread: chained to whatever line the file ends with by then, numbered one
    // more than it, and marked when its time is earlier than that line's (the PC's clock was
    // set back).
    auto make = [texts, textsBack, folder, recorded](const QString &path, QString *why) -> QByteArray {
        QDir().mkpath(folder);
        QByteArray previous;
        bool empty = true;
        QDateTime lastAt;
        qint64 lastSeq = 0;
        if (!ChangeChainEnd(path, &previous, &empty, why, &lastAt, &lastSeq))
            return QByteArray();
        if (previous == kChangeChainStart && !lastSeqBefore(folder, path, &lastSeq, why))
            return QByteArray();
        const bool back = lastAt.isValid() && recorded->change.at < lastAt;
        QStringList fields = back ? textsBack : texts;
        fields << QString::number(lastSeq + 1);
        const QByteArray bytes = ChangeLine(previous, ChangeFieldBytes(fields));
        recorded->change.clockWentBack = back;
        recorded->seq = lastSeq + 1;
        recorded->hash = SplitChangeLine(bytes.left(bytes.size() - 2));
        recorded->file = QFileInfo(path).fileName();
        return (empty ? ChangeColumnLine() : QByteArray()) + bytes;
    };
    // A change dated in a month before the newest one written goes on in the newest month's
    // file (and is marked there), never into a closed month.
    const QDate month(change.at.toLocalTime().date().year(), change.at.toLocalTime().date().month(), 1);
    if (!m_newestMonth.isValid())
        m_newestMonth = newestMonth();
    if (!m_newestMonth.isValid() || month > m_newestMonth)
        m_newestMonth = month;
    const QString path = QDir(m_folder).filePath(ChangeFileName(m_newestMonth));
    const auto failed = m_failed;
    const std::weak_ptr<Written> written = m_written;
    diskWriter().appendMade(
        path, make, ChangeFieldBytes(texts),
        [failed](const QString &why) {
            if (failed)
                failed(WithFailureReason(QString::fromLatin1(kChangeRecordWriteFailedText), why));
        },
        [written, recorded] {
            if (const std::shared_ptr<Written> w = written.lock())
                w->add(*recorded);
        });
}

} // namespace PLM_INC
