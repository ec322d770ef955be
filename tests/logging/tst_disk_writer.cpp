// The log and history lines go to the disk on the writer thread: with a disk that takes its
// time to sync, every line still reaches its file, in order, and the window's thread goes on
// with its events while the disk works.
#include "AlarmHistory.h"
#include "ChartLogFixture.h"
#include "DataLogger.h"
#include "DiskWriter.h"
#include "PLM_INC.h"

#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <mutex>

using namespace PLM_INC;

namespace {

class BlockOneView : public LoggingView {
public:
    QString fileName() const override { return name; }
    void setFileName(const QString &path) override { name = path; }
    bool continueFile() const override { return false; }
    int intervalIndex() const override { return 0; } // 10 s
    void setIntervalIndex(int) override {}
    LoggedBlocks loggedBlocks() const override { return LoggedBlocks{true}; }
    void setRunning(bool) override {}
    void setLoggingStatus(const QString &) override {}
    QString name;
};

// What happened, in the order it happened, on either thread.
class Events {
public:
    void add(const QString &event)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events << event;
    }
    QStringList all()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }

private:
    std::mutex m_mutex;
    QStringList m_events;
};

QList<QByteArray> dataLines(const QByteArray &file, int headerLines)
{
    QList<QByteArray> lines = file.split('\n');
    lines.removeLast(); // after the last line end
    return lines.mid(headerLines);
}

} // namespace

class TestDiskWriter : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ChartLogFixture> m_env;
    std::unique_ptr<BlockOneView> m_view;
    std::unique_ptr<DataLogger> m_logger;

    void startLogging()
    {
        m_view->name = m_env->logFolder() + QStringLiteral("/run.txt");
        m_logger->setLocale(QLocale::c());
        m_logger->start();
        QVERIFY(m_logger->running());
    }
    // The clock moves on to the next due line and the line timer ticks.
    void nextLine()
    {
        m_env->clock.at = m_env->clock.at.addSecs(10);
        m_logger->lineWriterTick();
    }

private slots:
    void init()
    {
        m_env = std::make_unique<ChartLogFixture>();
        m_view = std::make_unique<BlockOneView>();
        m_logger = std::make_unique<DataLogger>(*m_view);
        CreateHistoryFile(m_env->logFolder(), m_env->clock.at);
    }
    void cleanup()
    {
        diskWriter().waitUntilWritten();
        diskWriter().setDiskSync({});
        m_logger.reset();
        m_view.reset();
        m_env.reset();
    }

    void aSlowDiskGetsEveryLineInOrder()
    {
        diskWriter().setDiskSync([](QFile &file) {
            QThread::msleep(300); // an SD card or a network share
            return DiskWriter::syncToDisk(file);
        });
        startLogging();
        for (int n = 0; n < 3; ++n) {
            Hystory_Write(QStringLiteral("NAK"), 0, false);
            nextLine();
            ProcessValue[0] = int16_t(n + 1);
            Hystory_Write(QStringLiteral("CHKSUM"), 0, false);
        }
        const QList<QByteArray> log = dataLines(ChartLogFixture::bytes(m_view->name), 3);
        QCOMPARE(log.size(), 4);
        const char *stamps[] = {"2026/12/06 09:05:07", "2026/12/06 09:05:17", "2026/12/06 09:05:27",
                                "2026/12/06 09:05:37"};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(log[i].startsWith(QByteArray("\"") + stamps[i] + "\","), log[i].constData());
        QVERIFY(log[3].startsWith("\"2026/12/06 09:05:37\",\"2\","));

        const QList<QByteArray> history = dataLines(ChartLogFixture::bytes(HistoryFileName), 2);
        QCOMPARE(history.size(), 6);
        for (int i = 0; i < 6; ++i)
            QVERIFY2(history[i].contains(i % 2 == 0 ? "Negative acknowledgement" : "Checksum"), history[i].constData());
        QVERIFY(m_env->prompter.messages.isEmpty());
    }

    // The disk answers only when the test lets it: the window's thread hands its lines over,
    // returns and handles its events while the lines wait for the disk.
    void theWindowsThreadGoesOnWhileTheDiskWorks()
    {
        startLogging();
        Events events;
        QSemaphore disk;
        diskWriter().setDiskSync([&events, &disk](QFile &file) {
            events.add(QStringLiteral("sync begins"));
            disk.tryAcquire(1, 10000); // only a writer on the window's thread would wait it out
            events.add(QStringLiteral("sync ends"));
            return DiskWriter::syncToDisk(file);
        });
        nextLine();
        events.add(QStringLiteral("line handed over"));
        Hystory_Write(QStringLiteral("NAK"), 0, false);
        events.add(QStringLiteral("entry handed over"));
        QTimer::singleShot(0, [&events] { events.add(QStringLiteral("event handled")); });
        QCoreApplication::processEvents();
        events.add(QStringLiteral("disk released"));
        disk.release(2);
        diskWriter().waitUntilWritten();

        const QStringList seen = events.all();
        QCOMPARE(seen.count(QStringLiteral("sync ends")), 2);
        const int firstSyncEnd = int(seen.indexOf(QStringLiteral("sync ends")));
        for (const char *step : {"line handed over", "entry handed over", "event handled", "disk released"})
            QVERIFY2(seen.indexOf(QLatin1String(step)) < firstSyncEnd, qPrintable(seen.join(QStringLiteral(", "))));
        QCOMPARE(dataLines(ChartLogFixture::bytes(m_view->name), 3).size(), 2);
        QCOMPARE(dataLines(ChartLogFixture::bytes(HistoryFileName), 2).size(), 1);
    }

    // A failed line comes back to the window's thread as the one message of its kind.
    void aFailedLineComesBackAsItsMessage()
    {
        startLogging();
        diskWriter().setDiskSync([](QFile &) { return false; }); // the disk refuses
        nextLine();
        Hystory_Write(QStringLiteral("NAK"), 0, false);
        QVERIFY(m_env->prompter.messages.isEmpty()); // nothing waited for the disk
        diskWriter().waitUntilWritten();
        QCOMPARE(m_env->prompter.messages,
                 QStringList({DataLogger::cannotWriteText(), QString::fromLatin1(kHistoryWriteFailedText)}));
        QCOMPARE(m_env->prompter.kinds, QStringList({QStringLiteral("logging"), QStringLiteral("history")}));
        QVERIFY(m_logger->running());
    }
};

QTEST_GUILESS_MAIN(TestDiskWriter)
#include "tst_disk_writer.moc"
