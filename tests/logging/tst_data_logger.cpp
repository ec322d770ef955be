// The logger behind the logging frame with the test clock: Start's question and header, the
// line writer across midnight, Stop, Browse, a file that cannot be written and the resume
// after a restart. Files are compared byte by byte.
#include "ChartLogFixture.h"
#include "DataLogger.h"
#include "DiskWriter.h"
#include "LogFile.h"

#include <QSemaphore>
#include <QtTest>
#include <atomic>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace PLM_INC;

Q_DECLARE_METATYPE(LoggedBlocks)

namespace {

class RecordingLoggingView : public LoggingView {
public:
    QString fileName() const override { return name; }
    void setFileName(const QString &path) override { name = path; }
    bool continueFile() const override { return continueChecked; }
    int intervalIndex() const override { return 0; }
    void setIntervalIndex(int) override {}
    LoggedBlocks loggedBlocks() const override { return blocks; }
    void setRunning(bool on) override { running = on; }
    void setLoggingStatus(const QString &text) override
    {
        status = text;
        if (releaseWhenRunning && text == QLatin1String("Logging run"))
            releaseWhenRunning->release();
    }

    QString name;
    bool continueChecked = false;
    LoggedBlocks blocks{};
    bool running = false;
    QString status = QStringLiteral("Logging standby");
    QSemaphore *releaseWhenRunning = nullptr; // released once a start has written its header
};

const QByteArray kHead = "\"PLM-870 Process variable data\"\r\n\"Data  : 2026/12/06\"\r\n";
const QByteArray kOld = "\"old line\",\r\n";

// A data line of block 02 whose 20 values read 7.
QByteArray line(const char *stamp)
{
    return QByteArray("\"") + stamp + "\"," + QByteArray("\"7\",").repeated(20) + "\r\n";
}

QByteArray headerOfBlock2()
{
    QByteArray columns = "\"Time\",";
    for (int c = 21; c <= 40; ++c)
        columns += "\"Ch0" + QByteArray::number(c) + "\",";
    return kHead + columns + "\r\n";
}

// The logger on block 02 (index 1) and the file run.txt, the C locale pinned.
struct Logging {
    explicit Logging(ChartLogFixture &env) : env(env), logger(view)
    {
        logger.setLocale(QLocale::c());
        view.blocks[1] = true;
        view.name = env.logFolder() + QStringLiteral("/run.txt");
        for (int n = 20; n < 40; ++n)
            ProcessValue[n] = 7;
    }
    void runFor(int seconds) // line timer ticks every 200 ms of the test clock
    {
        for (int i = 0; i < seconds * 5; ++i) {
            env.clock.at = env.clock.at.addMSecs(200);
            logger.lineWriterTick();
        }
    }
    QByteArray file() const { return ChartLogFixture::bytes(view.name); }

    ChartLogFixture &env;
    RecordingLoggingView view;
    DataLogger logger;
};

} // namespace

class TestDataLogger : public QObject {
    Q_OBJECT
private slots:
    void start_data()
    {
        QTest::addColumn<QString>("name"); // "run" = run.txt in the log folder
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("continueFile");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArray>("content");
        const QByteArray fresh = headerOfBlock2() + line("2026/12/06 09:05:07");
        const QStringList none;
        QTest::newRow("new file: header and first line") << "run" << false << false << false << 0 << none << fresh;
        QTest::newRow("continue a missing file: header") << "run" << false << true << false << 0 << none << fresh;
        QTest::newRow("continue a file: no question, no header")
            << "run" << true << true << false << 0 << none << kOld + line("2026/12/06 09:05:07");
        QTest::newRow("overwrite refused") << "run" << true << false << false << 1
                                           << QStringList{"Designate a new file name."} << kOld;
        QTest::newRow("overwrite accepted: replaced") << "run" << true << false << true << 1 << none << fresh;
        QTest::newRow("not registered: nothing") << LogNotRegisteredText() << false << false << false << 0 << none
                                                 << QByteArray("(no file)");
        QTest::newRow("empty name: nothing") << "" << false << false << false << 0 << none << QByteArray("(no file)");
    }
    void start()
    {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        QFETCH(bool, continueFile);
        QFETCH(bool, answerYes);
        QFETCH(int, questions);
        QFETCH(QStringList, messages);
        QFETCH(QByteArray, content);
        ChartLogFixture env;
        Logging run(env);
        if (name != QLatin1String("run"))
            run.view.name = name;
        if (exists)
            ChartLogFixture::write(run.view.name, kOld);
        run.view.continueChecked = continueFile;
        env.prompter.answer = answerYes ? Answer::Yes : Answer::No;
        run.logger.start();
        const bool running = content.endsWith(line("2026/12/06 09:05:07"));
        QCOMPARE(env.prompter.questions.size(), questions);
        // The overwrite question asks for the operator's choice: the question icon.
        QCOMPARE(env.prompter.questionIcons, QList<QuestionIcon>(questions, QuestionIcon::Question));
        QCOMPARE(env.prompter.messages, messages);
        QCOMPARE(run.logger.running(), running);
        QCOMPARE(run.view.running, running);
        QCOMPARE(run.view.status, running ? QStringLiteral("Logging run") : QStringLiteral("Logging standby"));
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_start")), running ? QStringLiteral("1") : QStringLiteral("(none)"));
        QCOMPARE(ChartLogFixture::bytes(env.logFolder() + QStringLiteral("/run.txt")), content);
    }

    void channelNamesReachTheFileInWindows1252()
    {
        ChartLogFixture env;
        Logging run(env);
        Prefs::set(QStringLiteral("Chname021"), QStringLiteral("Zone \u00e41"));
        Prefs::set(QStringLiteral("Chname022"), QStringLiteral("Zone \u01422")); // stored before names were checked
        run.logger.start();
        QVERIFY(run.logger.running());
        QVERIFY(run.file().contains("\"Time\",\"Zone \xe4" "1\",\"Zone ?2\",\"Ch023\","));
    }

    void linesAtTheirDueTimesAcrossMidnight_data()
    {
        QTest::addColumn<LoggedBlocks>("blocks");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("block 02") << LoggedBlocks{false, true}
                                  << headerOfBlock2() + line("2026/12/06 23:59:55") + line("2026/12/07 00:00:05")
                                         + line("2026/12/07 00:00:15");
        QTest::newRow("no block: the time only")
            << LoggedBlocks{} << kHead + "\"Time\",\r\n\"2026/12/06 23:59:55\",\r\n\"2026/12/07 00:00:05\",\r\n\"2026/12/07 00:00:15\",\r\n";
    }
    void linesAtTheirDueTimesAcrossMidnight()
    {
        QFETCH(LoggedBlocks, blocks);
        QFETCH(QByteArray, content);
        ChartLogFixture env;
        Logging run(env);
        run.view.blocks = blocks;
        env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 55));
        run.logger.start();
        run.runFor(25);
        QCOMPARE(run.file(), content);
    }

    void aBusySecondIsNotALostDay()
    {
        ChartLogFixture env;
        Logging run(env);
        run.logger.start(); // 09:05:07, next due 09:05:17
        env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 18, 300)); // busy over 09:05:17
        run.logger.lineWriterTick();
        run.runFor(10);
        QCOMPARE(run.file(), headerOfBlock2() + line("2026/12/06 09:05:07") + line("2026/12/06 09:05:18")
                                 + line("2026/12/06 09:05:28"));
    }

    void anUnwritableFileGivesItsMessageAndLoggingGoesOn()
    {
        ChartLogFixture env;
        Logging run(env);
        run.logger.start();
        QVERIFY(QFile::remove(run.view.name));
        QVERIFY(QDir().mkdir(run.view.name)); // another program holds the file
        env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 17, 100));
        run.logger.lineWriterTick();
        diskWriter().waitUntilWritten(); // the writer reports the failure back
        QCOMPARE(env.prompter.messages.size(), 1);
        QCOMPARE(env.prompter.messages[0], DataLogger::cannotWriteText() + QStringLiteral("\nCannot open \"")
                                               + QDir::toNativeSeparators(run.view.name)
                                               + QStringLiteral("\" for appending: Is a directory."));
        QCOMPARE(env.prompter.kinds, QStringList{QStringLiteral("logging")}); // not stacked while open
        QVERIFY(run.logger.running());
        run.runFor(9); // due one interval after the failure, not at the old schedule
        QCOMPARE(env.prompter.messages.size(), 1);
        QVERIFY(QDir().rmdir(run.view.name));
        run.runFor(1);
        QCOMPARE(run.file(), line("2026/12/06 09:05:27"));
    }

    void aFailedStartLeavesStandbyAndSaysWhy_data()
    {
        QTest::addColumn<bool>("continueFile");
        QTest::addColumn<int>("silentDisk"); // 0, or the disk holds: 1 a line of the run before, 2 the first line
        QTest::addColumn<QString>("why");
        QTest::newRow("header cannot be written") << false << 0 << "Cannot write the new file \"%1\": ";
        QTest::newRow("first line cannot be appended") << true << 0 << "Cannot open \"%1\" for appending: Is a directory.";
        const QString silent = QStringLiteral("The disk did not answer within 5 s.");
        QTest::newRow("the disk holds a line of the run before") << false << 1 << silent;
        QTest::newRow("the disk holds the first line") << false << 2 << silent;
    }
    void aFailedStartLeavesStandbyAndSaysWhy()
    {
        QFETCH(bool, continueFile);
        QFETCH(int, silentDisk);
        QFETCH(QString, why);
        ChartLogFixture env;
        Logging run(env);
        run.view.continueChecked = continueFile;
        QSemaphore disk; // answers when the test ends, or after twice the start's limit
        const auto answer = qScopeGuard([&disk] {
            disk.release(2);
            diskWriter().waitUntilWritten();
            diskWriter().setDiskSync({});
        });
        if (silentDisk)
            diskWriter().setDiskSync([&disk](QFile &file) { return disk.tryAcquire(1, 10000), DiskWriter::syncToDisk(file); });
        if (silentDisk == 1)
            diskWriter().append(env.logFolder() + QStringLiteral("/before.txt"), kOld, {});
        else if (continueFile)
            QVERIFY(QDir().mkdir(run.view.name)); // there, but no file to append to
        else if (!silentDisk)
            run.view.name = env.home() + QStringLiteral("/missing/run.txt");
        run.logger.start();
        QVERIFY(!run.logger.running() && !run.view.running);
        QCOMPARE(run.view.status, QStringLiteral("Logging standby"));
        QVERIFY(ChartLogFixture::stored(QStringLiteral("log_start")) != QStringLiteral("1"));
        QCOMPARE(env.prompter.messages.size(), 1);
        const QString expected = DataLogger::cannotWriteText() + QLatin1Char('\n') + why.arg(QDir::toNativeSeparators(run.view.name));
        QVERIFY2(env.prompter.messages[0].startsWith(expected), qPrintable(env.prompter.messages[0]));
    }

    // Lines of a run still on their way when Start replaces its file never reach the new file:
    // the disk is held on another file's line while a line of the old run waits behind it.
    void aNewFileNeverTakesLinesOfTheRunBefore()
    {
        ChartLogFixture env;
        Logging run(env);
        run.logger.start();
        QSemaphore disk;
        std::atomic<int> syncs{0};
        diskWriter().setDiskSync([&disk, &syncs](QFile &file) {
            // The first line waits until the new header is written, or a second at most: a
            // Start that waits for the writer never writes it while the disk is held.
            if (syncs++ == 0)
                disk.tryAcquire(1, 1000);
            return DiskWriter::syncToDisk(file);
        });
        diskWriter().append(env.logFolder() + QStringLiteral("/other.txt"), "held\r\n", {});
        run.runFor(10); // a line of the old run, queued behind the held one
        run.logger.stop();
        env.prompter.answer = Answer::Yes; // overwrite
        run.view.releaseWhenRunning = &disk;
        run.logger.start();
        diskWriter().waitUntilWritten();
        diskWriter().setDiskSync({});
        QCOMPARE(run.file(), headerOfBlock2() + line("2026/12/06 09:05:17"));
    }

#ifdef Q_OS_UNIX
    // A header that cannot be written whole (here: the file size limit of the process, as a
    // full disk would) leaves the file of that name as it was.
    void aHeaderThatCannotBeWrittenLeavesTheOldFileAsItWas()
    {
        ChartLogFixture env;
        Logging run(env);
        const QByteArray old = kHead + kOld.repeated(8);
        ChartLogFixture::write(run.view.name, old);
        env.prompter.answer = Answer::Yes; // overwrite
        std::signal(SIGXFSZ, SIG_IGN);     // a write beyond the limit fails instead
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 40;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        run.logger.start();
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);
        QVERIFY(!run.logger.running());
        QCOMPARE(run.file(), old);
        QCOMPARE(env.prompter.messages.size(), 1);
        QVERIFY2(env.prompter.messages[0].startsWith(DataLogger::cannotWriteText() + QStringLiteral("\nCannot write the new file")),
                 qPrintable(env.prompter.messages[0]));
    }
#endif

    void stopOnlyStopsARun()
    {
        ChartLogFixture env;
        Logging run(env);
        run.logger.stop(); // standby: nothing changes, nothing stored
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_start")), QStringLiteral("(none)"));
        run.logger.start();
        run.logger.stop();
        QVERIFY(!run.view.running);
        QCOMPARE(run.view.status, QStringLiteral("Logging standby"));
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_start")), QStringLiteral("0"));
        run.runFor(30);
        QCOMPARE(run.file(), headerOfBlock2() + line("2026/12/06 09:05:07"));
    }

    void browse_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("name");
        QTest::newRow("cancelled keeps the name") << "" << "/keep.txt";
        QTest::newRow("a file") << "/other/x.csv" << "/other/x.csv";
        QTest::newRow("no extension gets .txt") << "/other/x" << "/other/x.txt";
    }
    void browse()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, name);
        ChartLogFixture env;
        Logging run(env);
        run.view.name = QStringLiteral("/keep.txt");
        env.prompter.chosenFile = chosen;
        run.logger.browse();
        QCOMPARE(run.view.name, name);
        QCOMPARE(env.prompter.dialogFolder, env.logFolder());
        QCOMPARE(env.prompter.dialogSuffix, QStringLiteral("txt"));
    }

    // "Continue" ticked while the label shows A, Browse to B, Start: the next start resumes
    // into B, the file that was being written. Unticking leaves the stored name alone.
    void resumeFollowsTheFileBeingWritten()
    {
        ChartLogFixture env;
        const QString a = env.logFolder() + QStringLiteral("/a.txt");
        const QString b = env.logFolder() + QStringLiteral("/b.txt");
        {
            Logging run(env);
            run.view.name = a;
            run.view.continueChecked = true;
            run.logger.continueClicked(true);
            env.prompter.chosenFile = b;
            run.logger.browse();
            run.logger.start();
            QVERIFY(run.logger.running());
        } // the program closes while logging
        Logging next(env);
        next.view.continueChecked = true;
        next.logger.resume();
        QCOMPARE(next.view.name, b);
        QVERIFY(next.logger.running());
        QVERIFY(!QFile::exists(a));
        QVERIFY(ChartLogFixture::bytes(b).startsWith(headerOfBlock2()));
        next.logger.continueClicked(false);
        QCOMPARE(Prefs::get(QStringLiteral("log_restart")), QStringLiteral("0"));
        QCOMPARE(Prefs::get(QStringLiteral("log_name")), b);
    }

    void resumeAfterARestart_data()
    {
        QTest::addColumn<QString>("restart");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("name"); // "new" = a new name of this moment
        QTest::newRow("continue: the stored file, running again") << "1" << "old.txt" << "1" << "old.txt";
        QTest::newRow("no continue: a new file, running again") << "0" << "old.txt" << "1" << "new";
        QTest::newRow("continue, no name stored: a new name") << "1" << "" << "0" << "new";
        QTest::newRow("first run") << "" << "" << "" << "new";
    }
    void resumeAfterARestart()
    {
        QFETCH(QString, restart);
        QFETCH(QString, storedName);
        QFETCH(QString, start);
        QFETCH(QString, name);
        ChartLogFixture env;
        Logging run(env);
        const QString old = env.logFolder() + QStringLiteral("/old.txt");
        ChartLogFixture::write(old, kOld);
        for (const auto &[key, value] : QList<QPair<QString, QString>>{{"log_restart", restart}, {"log_start", start}})
            if (!value.isEmpty())
                Prefs::set(key, value);
        if (!storedName.isEmpty())
            Prefs::set(QStringLiteral("log_name"), old);
        run.view.continueChecked = restart == QLatin1String("1"); // as the program entry sets it
        run.logger.resume();
        const QString expected = name == QLatin1String("new") ? env.logFolder() + QStringLiteral("/2026_12_6_9_5_7.txt") : old;
        QCOMPARE(run.view.name, expected);
        QCOMPARE(run.logger.running(), start == QLatin1String("1"));
        QVERIFY(env.prompter.questions.isEmpty());
        if (run.logger.running())
            QCOMPARE(ChartLogFixture::bytes(expected), name == QLatin1String("new") ? headerOfBlock2() + line("2026/12/06 09:05:07")
                                                                                     : kOld + line("2026/12/06 09:05:07"));
    }
};

QTEST_GUILESS_MAIN(TestDataLogger)
#include "tst_data_logger.moc"
