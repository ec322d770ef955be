#include "DataLogger.h"

#include "Clock.h"
#include "DataFolder.h"
#include "DiskWriter.h"
#include "FileStamps.h"
#include "LogFile.h"
#include "Preferences.h"
#include "Prompter.h"

#include <QFileInfo>

namespace {

const QString kStandby = QStringLiteral("Logging standby");
const QString kRun = QStringLiteral("Logging run");
// Messages of the line writer come from a timer: at most one box of this kind is open.
const QString kMessageKind = QStringLiteral("logging");

} // namespace

DataLogger::DataLogger(LoggingView &view) : m_view(view) {}

QString DataLogger::cannotWriteText()
{
    return QStringLiteral("Cannot write in the file. Check if the logging file is open.");
}

void DataLogger::reportCannotWrite(const QString &why)
{
    PLM_INC::prompter().message(PLM_INC::WithFailureReason(cannotWriteText(), why), kMessageKind);
}

void DataLogger::LogTimeSet()
{
    logTimeSetAt(PLM_INC::clock().now().time());
}

void DataLogger::logTimeSetAt(const QTime &now)
{
    const int index = RepairLogIntervalIndex(m_view.intervalIndex());
    if (index != m_view.intervalIndex())
        m_view.setIntervalIndex(index);
    m_schedule.LogTimeSet(index, now);
}

QByteArray DataLogger::lineAt(const QDateTime &at) const
{
    return LogDataLine(PLM_INC::FileStampText(at, m_locale), LogValues(m_view.loggedBlocks()));
}

void DataLogger::start()
{
    const QString path = m_view.fileName();
    if (path.isEmpty() || path == LogNotRegisteredText())
        return;
    const bool continueFile = m_view.continueFile();
    const bool exists = QFileInfo::exists(path);
    if (!continueFile && exists) {
        if (PLM_INC::prompter().question(QStringLiteral("The same file name exists. Do you want to overwrite?"),
                                         PLM_INC::QuestionIcon::Question)
            != PLM_INC::Answer::Yes) {
            PLM_INC::prompter().message(QStringLiteral("Designate a new file name."));
            return;
        }
    }
    if (m_running)
        return;

    const QDateTime now = PLM_INC::clock().now();
    if (!continueFile || !exists) {
        QString why;
        if (!WriteLogHeader(path, now.date(), m_locale, LogColumnTitles(m_view.loggedBlocks()), &why)) {
            reportCannotWrite(why);
            return;
        }
    }
    Prefs::set(QStringLiteral("log_start"), 1);
    m_view.setLoggingStatus(kRun);
    // The first line carries the time the schedule starts from.
    logTimeSetAt(now.time());
    if (QString why; !AppendLogLine(m_view.fileName(), lineAt(now), &why)) {
        // No line, no run: the panel and the stored state must not claim one.
        Prefs::set(QStringLiteral("log_start"), 0);
        m_view.setLoggingStatus(kStandby);
        reportCannotWrite(why);
        return;
    }
    m_running = true;
    m_view.setRunning(true);
    // The next start resumes into the file this run writes, not into one chosen before a Browse.
    if (continueFile)
        Prefs::set(QStringLiteral("log_name"), path);
}

void DataLogger::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_view.setRunning(false);
    Prefs::set(QStringLiteral("log_start"), 0);
    m_view.setLoggingStatus(kStandby);
}

void DataLogger::browse()
{
    const QString chosen = PLM_INC::prompter().anyFileName(QString(), PLM_INC::DataSubFolder(QStringLiteral("logging")),
                                                           QString(), QStringLiteral("txt"));
    if (chosen.isEmpty())
        return;
    // The dialog's default extension.
    m_view.setFileName(QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".txt") : chosen);
}

void DataLogger::lineWriterTick()
{
    if (!m_running)
        return;
    const QDateTime now = PLM_INC::clock().now();
    // The due time moves on before the file is touched, so a tick during an open message
    // finds no line due.
    if (!m_schedule.check(now.time()))
        return;
    // The line goes to the disk on the writer thread; a failure comes back here later, and
    // the next line is then due one interval after it.
    std::weak_ptr<DataLogger *> self = m_self;
    PLM_INC::diskWriter().append(m_view.fileName(), lineAt(now), [self](const QString &why) {
        if (const std::shared_ptr<DataLogger *> logger = self.lock()) {
            (*logger)->reportCannotWrite(why);
            (*logger)->LogTimeSet();
        }
    });
}

void DataLogger::continueClicked(bool checked)
{
    Prefs::set(QStringLiteral("log_restart"), checked ? 1 : 0);
    if (checked)
        Prefs::set(QStringLiteral("log_name"), m_view.fileName());
}

void DataLogger::resume()
{
    QString name;
    if (Prefs::getInt(QStringLiteral("log_restart")) == 1)
        name = Prefs::get(QStringLiteral("log_name"));
    if (name.isEmpty())
        name = MakeLogName();
    m_view.setFileName(name);
    if (Prefs::getInt(QStringLiteral("log_start")) == 1)
        start();
}
