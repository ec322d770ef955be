// The log and history lines go to the disk on the writer thread: with a disk that takes its
// time to sync, every line still reaches its file, in order, and the window's thread goes on
// with its events while the disk works.
#include "AlarmHistory.h"
#include "ChartLogFixture.h"
#include "DataLogger.h"
#include "DiskWriter.h"
#include "PLM_INC.h"

#include <QRandomGenerator>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
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

    // A failed line comes back to the window's thread as the one message of its kind, by
    // itself: nobody waits for the writer, the window's events bring it.
    void aFailedLineComesBackAsItsMessage()
    {
        startLogging();
        diskWriter().setDiskSync([](QFile &) {
            errno = EIO; // the disk refuses
            return false;
        });
        nextLine();
        Hystory_Write(QStringLiteral("NAK"), 0, false);
        QVERIFY(m_env->prompter.messages.isEmpty()); // handed over, not waited for
        QTRY_COMPARE_WITH_TIMEOUT(m_env->prompter.messages.size(), 2, 20000); // only an upper bound
        const QString reason = QString::fromLocal8Bit(std::strerror(EIO));
        QCOMPARE(m_env->prompter.messages,
                 QStringList({DataLogger::cannotWriteText() + QStringLiteral("\nCannot put \"%1\" on the disk: %2.")
                                                                  .arg(QDir::toNativeSeparators(m_view->name), reason),
                              QString::fromLatin1(kHistoryWriteFailedText)
                                  + QStringLiteral("\nCannot put \"%1\" on the disk: %2.")
                                        .arg(QDir::toNativeSeparators(HistoryFileName), reason)}));
        QCOMPARE(m_env->prompter.kinds, QStringList({QStringLiteral("logging"), QStringLiteral("history")}));
        QVERIFY(m_logger->running());
        // What reached the files of the failed lines is cut off again.
        QCOMPARE(dataLines(ChartLogFixture::bytes(m_view->name), 3).size(), 1);
        QCOMPARE(dataLines(ChartLogFixture::bytes(HistoryFileName), 2).size(), 0);
    }

    // The message names what failed with the system's reason.
    void whatFailedIsSaid_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("room"); // -1, or the test makes the file, with a size limit if above 0
        QTest::addColumn<QString>("why");
        const QString missing = QDir::temp().filePath(QStringLiteral("plm-no-such-folder/run.txt"));
        QTest::newRow("missing folder")
            << missing << -1 << QStringLiteral("Cannot open \"%1\" for appending: the folder \"%2\" does not exist (%3).")
                              .arg(QDir::toNativeSeparators(missing), QDir::toNativeSeparators(QFileInfo(missing).absolutePath()),
                                   QString::fromLocal8Bit(std::strerror(ENOENT)));
        QTest::newRow("a folder where the file should be")
            << QDir::tempPath() << -1
            << QStringLiteral("Cannot open \"%1\" for appending: %2.")
                   .arg(QDir::toNativeSeparators(QDir::tempPath()), QString::fromLocal8Bit(std::strerror(EISDIR)));
        // A refusal the superuser cannot override, and a disk that fills in the middle of a line.
        const QString file = QDir::temp().filePath(QStringLiteral("plm-disk-%1.txt").arg(QCoreApplication::applicationPid()));
        QTest::newRow("a file where the folder should be")
            << file + QStringLiteral("/run.txt") << 0
            << QStringLiteral("Cannot open \"%1/run.txt\" for appending: the folder \"%1\" does not exist (%2).")
                   .arg(file, QString::fromLocal8Bit(std::strerror(ENOTDIR)));
        QTest::newRow("20 bytes of room") << file << 20 << QStringLiteral("Cannot write to \"%1\": %2.")
                                                           .arg(file, QString::fromLocal8Bit(std::strerror(EFBIG)));
#ifdef Q_OS_LINUX
        QTest::newRow("disk full") << QStringLiteral("/dev/full") << -1
                                   << QStringLiteral("Cannot write to \"/dev/full\": %1.")
                                          .arg(QString::fromLocal8Bit(std::strerror(ENOSPC)));
#endif
    }
    void whatFailedIsSaid()
    {
        QFETCH(QString, path);
        QFETCH(int, room);
        QFETCH(QString, why);
        const QByteArray head = "\"head\"\r\n";
        const QString file = room == 0 ? QFileInfo(path).path() : path;
        const auto removeFile = qScopeGuard([&] {
            if (room >= 0)
                QFile::remove(file);
        });
        if (room >= 0)
            ChartLogFixture::write(file, head);
        rlimit size{};
        getrlimit(RLIMIT_FSIZE, &size);
        const auto unlimit = qScopeGuard([size] { setrlimit(RLIMIT_FSIZE, &size); });
        if (room > 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limited{rlim_t(head.size() + room), size.rlim_max};
            QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        }
        QString said;
        QVERIFY(!diskWriter().appendAndWait(path, "\"line\"," + QByteArray(40, 'x') + "\r\n", &said));
        QCOMPARE(said, why);
        if (room >= 0) // a failed line leaves the file as it was
            QCOMPARE(ChartLogFixture::bytes(file), head);
    }

    // Lines of which some fail, in random order: the file holds exactly the lines reported
    // written, in the order handed over, each on a line of its own; a line left unfinished
    // before is ended first; at the sync each line is in the file whole.
    void failedLinesNeverGlueReorderOrRepeat()
    {
        const quint32 seed = 3377628116u; // fixed: a failure is the same on every run
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        const QString path = m_env->logFolder() + QStringLiteral("/mixed.txt");
        ChartLogFixture::write(path, "\"head\"\r\n\"unfinished");
        QByteArray expected = "\"head\"\r\n\"unfinished\r\n";
        QList<QByteArray> lines;
        QList<bool> fails;
        for (int n = 0; n < 40; ++n) {
            lines << "\"" + QByteArray::number(n) + "\"," + QByteArray(int(random.bounded(1, 200)), 'x') + "\r\n";
            fails << (random.bounded(3) == 0);
        }
        int synced = 0;
        QStringList wrongAtSync;
        diskWriter().setDiskSync([&](QFile &file) {
            const int n = synced++;
            QFile onDisk(file.fileName());
            if (!onDisk.open(QIODevice::ReadOnly) || !onDisk.readAll().endsWith(lines[n]))
                wrongAtSync << QString::number(n);
            errno = EIO;
            return !fails[n] && DiskWriter::syncToDisk(file);
        });
        QList<bool> reported(lines.size(), false);
        for (int n = 0; n < lines.size(); ++n)
            diskWriter().append(path, lines[n], [&reported, n](const QString &) { reported[n] = true; });
        diskWriter().waitUntilWritten();
        for (int n = 0; n < lines.size(); ++n)
            if (!fails[n])
                expected += lines[n];
        QCOMPARE(reported, fails);
        QVERIFY2(wrongAtSync.isEmpty(), qPrintable(QStringLiteral("seed %1: not whole at the sync: %2")
                                                       .arg(seed)
                                                       .arg(wrongAtSync.join(QLatin1Char(' ')))));
        QCOMPARE(ChartLogFixture::bytes(path), expected);
    }

    // At the end the writer waits 5 s: a disk that does not answer leaves the lines it did not
    // take to be said (standard error), and a failure found meanwhile is still reported. The
    // disk answers only when told, or after 20 s, which only an end that waits too long sees.
    void theEndWaitsABoundedTimeAndSaysWhatWasNotWritten()
    {
        const QString path = m_env->logFolder() + QStringLiteral("/end.txt");
        auto disk = std::make_shared<QSemaphore>();
        auto entered = std::make_shared<QSemaphore>();
        QStringList failures;
        {
            DiskWriter writer;
            writer.setDiskSync([disk, entered](QFile &file) {
                entered->release();
                disk->tryAcquire(1, 20000); // only an upper bound
                return DiskWriter::syncToDisk(file);
            });
            const QString missing = m_env->logFolder() + QStringLiteral("/gone/end.txt");
            writer.append(missing, "\"lost\",\r\n", [&failures](const QString &why) { failures << why; });
            writer.append(path, "\"1\",\r\n", {});
            writer.append(path, "\"2\",\r\n", {});
            writer.append(path, "\"3\",\r\n", {});
            QVERIFY(entered->tryAcquire(1, 20000)); // line 1 is with the disk
            const QStringList left = writer.finishAtEnd();
            const QString native = QDir::toNativeSeparators(path);
            QCOMPARE(left, QStringList({
                               QStringLiteral("Perhaps not written to %1 (the disk did not answer within 5 s): \"1\",").arg(native),
                               QStringLiteral("Not written to %1 (the disk did not answer within 5 s): \"2\",").arg(native),
                               QStringLiteral("Not written to %1 (the disk did not answer within 5 s): \"3\",").arg(native),
                           }));
            QCOMPARE(failures.size(), 1);
            QVERIFY2(failures[0].contains(QStringLiteral("does not exist")), qPrintable(failures[0]));
            disk->release();
            writer.waitUntilWritten();
        }
        QCOMPARE(ChartLogFixture::bytes(path), QByteArray("\"1\",\r\n")); // the taken-back lines never follow
    }
};

QTEST_GUILESS_MAIN(TestDiskWriter)
#include "tst_disk_writer.moc"
