// The logger behind the logging frame with the test clock: Start's questions and header,
// the line writer's schedule, Stop, Browse, the stored choices, a file that cannot be written
// and the resume after a restart. Files are compared byte by byte.
#include "DataLogger.h"
#include "LogFile.h"
#include "ChartLogFixture.h"

#include <QtTest>

using namespace PLM_INC;

namespace {

class RecordingLoggingView : public LoggingView {
public:
    QString fileName() const override { return name; }
    void setFileName(const QString &path) override { name = path; }
    bool continueFile() const override { return continueChecked; }
    int intervalIndex() const override { return interval; }
    void setIntervalIndex(int index) override { interval = index; }
    LoggedBlocks loggedBlocks() const override { return blocks; }
    void setRunning(bool on) override { running = on; }
    void setLoggingStatus(const QString &text) override { status = text; }

    QString name = LogNotRegisteredText();
    bool continueChecked = false;
    int interval = 0;
    LoggedBlocks blocks{};
    bool running = false;
    QString status = QStringLiteral("Logging standby");
};

const QByteArray kTitleAndDate = "\"PLM-870 Process variable data\"\r\n\"Data  : 2026/12/06\"\r\n";
const QByteArray kOldFile = "\"old line\",\r\n";

QByteArray columnsOfBlock1()
{
    QByteArray line = "\"Time\",";
    for (int c = 21; c <= 40; ++c)
        line += "\"Ch0" + QByteArray::number(c) + "\",";
    return line + "\r\n";
}

QByteArray dataLine(const char *stamp, const char *value)
{
    QByteArray line = QByteArray("\"") + stamp + "\",";
    for (int c = 0; c < 20; ++c)
        line += QByteArray("\"") + value + "\",";
    return line + "\r\n";
}

// The logger and its view on block 02 (index 1), whose process values read 7.
struct Logging {
    Logging(ChartLogFixture &env) : env(env), logger(view)
    {
        logger.setLocale(QLocale::c());
        view.blocks[1] = true;
        view.name = env.logFolder() + QStringLiteral("/run.txt");
        for (int n = 20; n < 40; ++n)
            ProcessValue[n] = 7;
    }
    // Line timer ticks every 200 ms for this many seconds.
    void runFor(int seconds)
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
    void startOnAFileThatExistsOrNot_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("continueFile");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<QStringList>("questions");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QByteArray>("content");
        const QString overwrite = QStringLiteral("The same file name exists. Do you want to overwrite?");
        const QByteArray first = dataLine("2026/12/06 09:05:07", "7");
        const QByteArray header = kTitleAndDate + columnsOfBlock1();
        QTest::newRow("new file: header and first line") << false << false << false << QStringList{} << QStringList{}
                                                         << true << header + first;
        QTest::newRow("continue a file that is not there: header") << false << true << false << QStringList{}
                                                                   << QStringList{} << true << header + first;
        QTest::newRow("continue an existing file: no question, no header")
            << true << true << false << QStringList{} << QStringList{} << true << kOldFile + first;
        QTest::newRow("overwrite refused: designate a new name")
            << true << false << false << QStringList{overwrite} << QStringList{"Designate a new file name."} << false
            << kOldFile;
        QTest::newRow("overwrite accepted: file replaced")
            << true << false << true << QStringList{overwrite} << QStringList{} << true << header + first;
    }
    void startOnAFileThatExistsOrNot()
    {
        QFETCH(bool, exists);
        QFETCH(bool, continueFile);
        QFETCH(bool, answerYes);
        QFETCH(QStringList, questions);
        QFETCH(QStringList, messages);
        QFETCH(bool, running);
        QFETCH(QByteArray, content);
        ChartLogFixture env;
        Logging run(env);
        if (exists)
            ChartLogFixture::write(run.view.name, kOldFile);
        run.view.continueChecked = continueFile;
        env.prompter.answer = answerYes ? Answer::Yes : Answer::No;
        run.logger.start();
        QCOMPARE(env.prompter.questions, questions);
        QCOMPARE(env.prompter.messages, messages);
        QCOMPARE(run.logger.running(), running);
        QCOMPARE(run.view.running, running);
        QCOMPARE(run.view.status, running ? QStringLiteral("Logging run") : QStringLiteral("Logging standby"));
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_start")), running ? QStringLiteral("1") : QStringLiteral("(none)"));
        QCOMPARE(run.file(), content);
    }

    void startWithoutAFileDoesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("not registered") << LogNotRegisteredText();
        QTest::newRow("empty name") << QString();
    }
    void startWithoutAFileDoesNothing()
    {
        QFETCH(QString, name);
        ChartLogFixture env;
        Logging run(env);
        run.view.name = name;
        run.logger.start();
        QVERIFY(!run.logger.running());
        QVERIFY(env.prompter.messages.isEmpty());
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_start")), QStringLiteral("(none)"));
        QCOMPARE(QDir(env.logFolder()).entryList(QDir::Files), QStringList{});
    }

    void linesAtTheirDueTimesAcrossMidnight()
    {
        ChartLogFixture env;
        Logging run(env);
        env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 55));
        run.logger.start();
        ProcessValue[20] = 8; // the next lines show what polling stored last
        run.runFor(25);
        QByteArray expected = LogTitleLine() + LogDateLine(QDate(2026, 12, 6), QLocale::c()) + columnsOfBlock1()
            + dataLine("2026/12/06 23:59:55", "7");
        for (const char *stamp : {"2026/12/07 00:00:05", "2026/12/07 00:00:15"})
            expected += dataLine(stamp, "7").replace(QByteArray(stamp) + "\",\"7\"", QByteArray(stamp) + "\",\"8\"");
        QCOMPARE(run.file(), expected);
    }

    void aBusySecondIsNotALostDay()
    {
        ChartLogFixture env;
        Logging run(env);
        run.logger.start(); // 09:05:07, next 09:05:17
        env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 16, 900));
        run.logger.lineWriterTick();
        env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 18, 300)); // busy over 09:05:17
        run.logger.lineWriterTick();
        run.runFor(10);
        const QList<QByteArray> lines = run.file().split('\n');
        QCOMPARE(lines.size(), 7); // three header lines, three data lines, the empty rest
        QVERIFY(lines[4].startsWith("\"2026/12/06 09:05:18\","));
        QVERIFY(lines[5].startsWith("\"2026/12/06 09:05:28\","));
        QCOMPARE(run.logger.schedule().LogNextTime, (LogTime{9, 5, 38}));
    }

    void noBlockCheckedLogsTheTimeOnly()
    {
        ChartLogFixture env;
        Logging run(env);
        run.view.blocks = {};
        run.logger.start();
        run.runFor(10);
        QCOMPARE(run.file(), kTitleAndDate + "\"Time\",\r\n\"2026/12/06 09:05:07\",\r\n\"2026/12/06 09:05:17\",\r\n");
    }

    void anUnwritableFileGivesOneMessageKindAndLoggingGoesOn()
    {
        ChartLogFixture env;
        Logging run(env);
        run.logger.start();
        // Another program holds the file: here a folder stands in its place.
        QVERIFY(QFile::remove(run.view.name));
        QVERIFY(QDir().mkdir(run.view.name));
        env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 17, 100));
        run.logger.lineWriterTick();
        QCOMPARE(env.prompter.messages, QStringList{DataLogger::cannotWriteText()});
        QVERIFY(run.logger.running());
        // Due again one interval after the failure, not at the old schedule.
        QCOMPARE(run.logger.schedule().LogNextTime, (LogTime{9, 5, 27}));
        run.runFor(9);
        QCOMPARE(env.prompter.messages.size(), 1);
        // The file is back: the next line goes in.
        QVERIFY(QDir().rmdir(run.view.name));
        run.runFor(1);
        QCOMPARE(env.prompter.messages.size(), 1);
        QCOMPARE(run.file(), dataLine("2026/12/06 09:05:27", "7"));
        // Every such message is of one kind, so an open box is not stacked with another.
        QCOMPARE(QSet<QString>(env.prompter.kinds.begin(), env.prompter.kinds.end()).size(), 1);
        QVERIFY(!env.prompter.kinds.first().isEmpty());
    }

    void aFailedStartLeavesStandbyAndSaysWhy_data()
    {
        QTest::addColumn<bool>("continueFile");
        QTest::newRow("header cannot be written") << false;
        QTest::newRow("first line cannot be appended") << true;
    }
    void aFailedStartLeavesStandbyAndSaysWhy()
    {
        QFETCH(bool, continueFile);
        ChartLogFixture env;
        Logging run(env);
        run.view.continueChecked = continueFile;
        if (continueFile)
            QVERIFY(QDir().mkdir(run.view.name)); // exists, cannot be appended to
        else
            run.view.name = env.home() + QStringLiteral("/missing/run.txt");
        run.logger.start();
        QVERIFY(!run.logger.running());
        QVERIFY(!run.view.running);
        QCOMPARE(run.view.status, QStringLiteral("Logging standby"));
        QVERIFY(ChartLogFixture::stored(QStringLiteral("log_start")) != QStringLiteral("1"));
        QCOMPARE(env.prompter.messages, QStringList{DataLogger::cannotWriteText()});
    }

    void stopOnlyStopsARun()
    {
        ChartLogFixture env;
        Logging run(env);
        run.logger.stop(); // standby: nothing changes, nothing stored
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_start")), QStringLiteral("(none)"));
        QCOMPARE(run.view.status, QStringLiteral("Logging standby"));
        run.logger.start();
        run.logger.stop();
        QVERIFY(!run.view.running);
        QCOMPARE(run.view.status, QStringLiteral("Logging standby"));
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_start")), QStringLiteral("0"));
        const QByteArray before = run.file();
        run.runFor(30);
        QCOMPARE(run.file(), before);
    }

    void browse_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("name");
        QTest::newRow("cancelled keeps the name") << "" << "/keep.txt";
        QTest::newRow("a file") << "/other/x.txt" << "/other/x.txt";
        QTest::newRow("no extension gets .txt") << "/other/x" << "/other/x.txt";
        QTest::newRow("another extension stays") << "/other/x.csv" << "/other/x.csv";
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
    }

    void continueChoiceIsStored_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("restart");
        QTest::addColumn<QString>("name");
        QTest::newRow("checked keeps the name") << true << "1" << "/data/run.txt";
        QTest::newRow("unchecked keeps no name") << false << "0" << "(none)";
    }
    void continueChoiceIsStored()
    {
        QFETCH(bool, checked);
        QFETCH(QString, restart);
        QFETCH(QString, name);
        ChartLogFixture env;
        Logging run(env);
        run.view.name = QStringLiteral("/data/run.txt");
        run.logger.continueClicked(checked);
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_restart")), restart);
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("log_name")), name);
    }

    void resumeAfterARestart_data()
    {
        QTest::addColumn<QString>("restart");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("name"); // "new" = a new name of this moment
        QTest::addColumn<bool>("running");
        QTest::newRow("continue: the stored name, running again") << "1" << "/keep/old.txt" << "1" << "/keep/old.txt" << true;
        QTest::newRow("no continue: a new name, running again") << "0" << "/keep/old.txt" << "1" << "new" << true;
        QTest::newRow("continue, nothing stored: a new name") << "1" << "" << "0" << "new" << false;
        QTest::newRow("continue, not running at the close") << "1" << "/keep/old.txt" << "0" << "/keep/old.txt" << false;
        QTest::newRow("first run") << "" << "" << "" << "new" << false;
    }
    void resumeAfterARestart()
    {
        QFETCH(QString, restart);
        QFETCH(QString, storedName);
        QFETCH(QString, start);
        QFETCH(QString, name);
        QFETCH(bool, running);
        ChartLogFixture env;
        Logging run(env);
        QDir().mkpath(env.home() + QStringLiteral("/keep"));
        const QString old = env.home() + QStringLiteral("/keep/old.txt");
        ChartLogFixture::write(old, kOldFile);
        const QList<QPair<QString, QString>> keys = {{"log_restart", restart}, {"log_name", storedName}, {"log_start", start}};
        for (const auto &[key, value] : keys)
            if (!value.isEmpty())
                Prefs::set(key, key == QLatin1String("log_name") ? env.home() + value : value);
        run.view.continueChecked = restart == QLatin1String("1"); // set from "log_restart" at program entry
        run.logger.resume();
        const QString expected = name == QLatin1String("new") ? env.logFolder() + QStringLiteral("/2026_12_6_9_5_7.txt")
                                                              : env.home() + name;
        QCOMPARE(run.view.name, expected);
        QCOMPARE(run.logger.running(), running);
        QVERIFY(env.prompter.questions.isEmpty());
        if (running && name != QLatin1String("new"))
            QCOMPARE(ChartLogFixture::bytes(old), kOldFile + dataLine("2026/12/06 09:05:07", "7"));
        if (running && name == QLatin1String("new"))
            QVERIFY(ChartLogFixture::bytes(expected).startsWith(kTitleAndDate));
    }

    void intervalIndexOutOfRangeIsPutRight()
    {
        ChartLogFixture env;
        Logging run(env);
        run.view.interval = 12;
        run.logger.start();
        QCOMPARE(run.view.interval, 0);
        QCOMPARE(run.logger.schedule().LogInterval, (LogTime{0, 0, 10}));
    }
};

QTEST_GUILESS_MAIN(TestDataLogger)
#include "tst_data_logger.moc"
