// Alarm detection and the alarm history: entry order and texts, the ring of 100 rows, the
// history file byte for byte, and a file that cannot be written.
#include "AlarmHistory.h"
#include "DiskWriter.h"
#include "FileStamps.h"
#include "HistoryFile.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>

using namespace PLM_INC;

class AlarmHistoryTest : public QObject {
    Q_OBJECT

private:
    static QStringList channelEntries(int ch)
    {
        QStringList out;
        for (int row = 0; row < HistoryRow - 1; ++row)
            if (HistoryBuffer[row][2] == Prefs::channelName(ch))
                out << HistoryBuffer[row][3];
        return out;
    }

private slots:
    void everyConditionInTableOrderThenSteady()
    {
        CommTestEnvironment env;
        StatusWord[5] = kStatusAlarm1 | kStatusAlarm2 | kStatusHeaterBurnout | kStatusLoopBreak | kStatusOverscale
            | kStatusUnderscale;
        AlarmChk(5);
        const QStringList on = {
            "Alarm 1 was turned on.", "Alarm 2 was turned on.", "Heater burnout alarm was turned on.",
            "Loop break alarm was turned on.", "PV was in the state of overscale.", "PV was in the state of underscale.",
        };
        QCOMPARE(channelEntries(5), on);
        QCOMPARE(HistoryBuffer[0][2], QStringLiteral("Ch006"));

        AlarmChk(5); // a steady alarm writes nothing more
        QCOMPARE(HistoryRow, int16_t(7));

        StatusWord[5] = 0;
        AlarmChk(5);
        const QStringList off = {
            "Alarm 1 was turned off.", "Alarm 2 was turned off.", "Heater burnout alarm was turned off.",
            "Loop break alarm was turned off.", "PV turned normal from overscale.", "PV turned normal from underscale.",
        };
        QCOMPARE(channelEntries(5), on + off);
        QVERIFY(env.prompter.messages.isEmpty());
    }

    void alarmOneAndHeaterBurnoutInOneReply()
    {
        CommTestEnvironment env;
        StatusWord[319] = kStatusHeaterBurnout | kStatusAlarm1 | kStatusControl | kStatusOutputOn;
        AlarmChk(319);
        QCOMPARE(channelEntries(319),
                 QStringList({"Alarm 1 was turned on.", "Heater burnout alarm was turned on."}));
        QCOMPARE(HistoryBuffer[0][2], QStringLiteral("Ch320"));
    }

    void autoTuningEndClearsTheFlagWithoutAnEntry()
    {
        CommTestEnvironment env;
        AutoTuning[7] = 1;
        StatusWord[7] = kStatusAutoTuning;
        AlarmChk(7);
        QCOMPARE(AlarmMemory[7][6], int16_t(-1));
        QCOMPARE(AutoTuning[7], int16_t(1));
        StatusWord[7] = 0;
        AlarmChk(7);
        QCOMPARE(AlarmMemory[7][6], int16_t(0));
        QCOMPARE(AutoTuning[7], int16_t(0));
        QCOMPARE(HistoryRow, int16_t(1));
        QCOMPARE(env.historyFileBytes().count('\n'), 2); // header only
    }

    void entryTexts_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("morning") << QTime(9, 5, 7) << "9:5:7 AM";
        QTest::newRow("midnight") << QTime(0, 0, 0) << "12:0:0 AM";
        QTest::newRow("noon") << QTime(12, 30, 5) << "12:30:5 PM";
        QTest::newRow("last second") << QTime(23, 59, 59) << "11:59:59 PM";
    }

    void entryTexts()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        CommTestEnvironment env;
        env.clock.at = QDateTime(QDate(2027, 1, 9), time);
        Prefs::set(QStringLiteral("Chname003"), QStringLiteral("Oven left"));
        Hystory_Write(QStringLiteral("Alarm2"), 2, true);
        QCOMPARE(HistoryBuffer[0][0], QStringLiteral("2027/1/9"));
        QCOMPARE(HistoryBuffer[0][1], text);
        QCOMPARE(HistoryBuffer[0][2], QStringLiteral("Oven left"));
        QCOMPARE(HistoryBuffer[0][3], QStringLiteral("Alarm 2 was turned on."));
    }

    void communicationFaultsHaveNoChannel()
    {
        CommTestEnvironment env;
        Hystory_Write(QStringLiteral("NAK"), 0, false);
        Hystory_Write(QStringLiteral("CHKSUM"), 0, false);
        QCOMPARE(HistoryBuffer[0][2], QStringLiteral("----"));
        QCOMPARE(HistoryBuffer[0][3], QStringLiteral("Received Negative acknowledgement from HRV-600."));
        QCOMPARE(HistoryBuffer[1][2], QStringLiteral("----"));
        QCOMPARE(HistoryBuffer[1][3], QStringLiteral("Checksum error occured."));
        QCOMPARE(HistoryContentText(QStringLiteral("Something"), true), QString());
    }

    void theRingWrapsAfterOneHundredEntries()
    {
        CommTestEnvironment env;
        QList<QPair<int, int>> rows;
        setHistoryListener([&](int filled, int cleared) { rows << qMakePair(filled, cleared); });
        for (int i = 0; i < 101; ++i) {
            env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(10, i / 60, i % 60));
            Hystory_Write(QStringLiteral("Alarm1"), i, true);
        }
        QCOMPARE(rows.size(), 101);
        QCOMPARE(rows[0], qMakePair(1, 2));
        QCOMPARE(rows[99], qMakePair(100, 101));
        QCOMPARE(rows[100], qMakePair(1, 2));
        QCOMPARE(HistoryRow, int16_t(2));
        QCOMPARE(HistoryBuffer[0][2], QStringLiteral("Ch101")); // the 101st entry
        QCOMPARE(HistoryBuffer[0][1], QStringLiteral("10:1:40 AM"));
        QCOMPARE(HistoryBuffer[1][2], QStringLiteral("Ch002")); // the buffer keeps the 2nd
        QCOMPARE(env.historyFileBytes().count('\n'), 2 + 101);
    }

    void theFileHoldsEveryLineByteForByte()
    {
        CommTestEnvironment env;
        QCOMPARE(QFileInfo(HistoryFileName).fileName(), QStringLiteral("2026_12_6_9_5.hys"));
        Prefs::set(QStringLiteral("Chname041"), QStringLiteral("Zone \u00e41"));
        StatusWord[40] = kStatusAlarm1;
        AlarmChk(40);
        env.clock.at = env.clock.at.addSecs(3600 * 5);
        Hystory_Write(QStringLiteral("NAK"), 0, false);
        const QByteArray date = FileDateText(QDate(2026, 12, 6), QLocale::system()).toLatin1();
        const QByteArray expected = "\"PLM-870 Alarm hystory\",\"    Data  : \",\"" + date + "\"\r\n"
                                    "\"Time\",\"Channel\",\"Contain\"\r\n"
                                    "\"9:5:7 AM\",\"Zone \xe4" "1\",\"Alarm 1 was turned on.\"\r\n"
                                    "\"2:5:7 PM\",\"----\",\"Received Negative acknowledgement from HRV-600.\"\r\n";
        QCOMPARE(env.historyFileBytes(), expected);
    }

    // The start date as the log writes its date, whatever the locale.
    void headerDateAsInTheLog_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("date");
        QTest::newRow("C locale of a service") << "C" << QByteArray("2026/12/06");
        QTest::newRow("US") << "en_US" << QByteArray("12/6/26");
        QTest::newRow("Taiwan") << "zh_TW" << QByteArray("2026/12/6");
    }
    void headerDateAsInTheLog()
    {
        QFETCH(QString, locale);
        QFETCH(QByteArray, date);
        CommTestEnvironment env;
        const QString path = env.folder() + QStringLiteral("/header.hys");
        QString why;
        QVERIFY2(StartHistoryFile(path, QDate(2026, 12, 6), &why, QLocale(locale)), qPrintable(why));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), "\"PLM-870 Alarm hystory\",\"    Data  : \",\"" + date + "\"\r\n");
    }

    // A restart within the minute of the run before (a crash, systemd starting it again) finds
    // the file of that run under the name of its own: every line stays, the new ones follow.
    void aRestartKeepsEveryLineOfTheFileOfItsMinute_data()
    {
        QTest::addColumn<QByteArray>("before"); // the file as the earlier run left it
        QTest::addColumn<QTime>("restart");
        QTest::addColumn<QByteArray>("kept"); // what precedes the new line; "header": a new file's
        const QByteArray lines = "H1\r\nH2\r\n\"9:5:1 AM\",\"----\",\"x\"\r\n";
        QTest::newRow("same minute: continued") << lines << QTime(9, 5, 59) << lines;
        QTest::newRow("same minute, last line cut by the crash: ended") << lines.left(20) << QTime(9, 5, 59) << lines.left(20) + "\r\n";
        QTest::newRow("same minute, empty file: a header") << QByteArray() << QTime(9, 5, 59) << QByteArray("header");
        QTest::newRow("next minute: a file of its own") << lines << QTime(9, 6, 0) << QByteArray("header");
        QTest::newRow("a file that cannot be made: told") << QByteArray() << QTime() << QByteArray();
    }
    void aRestartKeepsEveryLineOfTheFileOfItsMinute()
    {
        QFETCH(QByteArray, before);
        QFETCH(QTime, restart);
        QFETCH(QByteArray, kept);
        CommTestEnvironment env;
        QFile earlier(HistoryFileName);
        QVERIFY(earlier.open(QIODevice::WriteOnly | QIODevice::Truncate) && earlier.write(before) == before.size());
        earlier.close();
        if (!restart.isValid()) { // a header that cannot be written is told as a line that cannot be written
            CreateHistoryFile(HistoryFileName, env.clock.now()); // a file for a folder
            QCOMPARE(env.prompter.messages.size(), 1);
            QVERIFY2(env.prompter.messages[0].first.startsWith(QString::fromLatin1(kHistoryWriteFailedText) + "\nCannot write")
                         && env.prompter.messages[0].first.endsWith(QStringLiteral("Not a directory.")),
                     qPrintable(env.prompter.messages[0].first));
            return;
        }
        const QString path = CreateHistoryFile(env.folder(), QDateTime(QDate(2026, 12, 6), restart));
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("2026_12_6_9_%1.hys").arg(restart.minute()));
        Hystory_Write(QStringLiteral("CHKSUM"), 0, false);
        if (kept == "header")
            kept = "\"PLM-870 Alarm hystory\",\"    Data  : \",\"" + FileDateText(QDate(2026, 12, 6), QLocale::system()).toLatin1()
                 + "\"\r\n\"Time\",\"Channel\",\"Contain\"\r\n";
        QCOMPARE(env.historyFileBytes(), kept + "\"9:5:7 AM\",\"----\",\"Checksum error occured.\"\r\n");
        QVERIFY(env.prompter.messages.isEmpty());
    }

    void anUnwritableFileKeepsRecordingInMemoryAndTellsTheOperator()
    {
        CommTestEnvironment env;
        HistoryFileName = env.folder(); // a folder: no file can be opened there for appending
        StatusWord[0] = kStatusAlarm1 | kStatusAlarm2;
        AlarmChk(0);
        QCOMPARE(HistoryRow, int16_t(3));
        diskWriter().waitUntilWritten(); // the writer reports the failures back
        QCOMPARE(HistoryBuffer[1][3], QStringLiteral("Alarm 2 was turned on."));
        QCOMPARE(env.prompter.messages.size(), 2);
        for (const auto &m : env.prompter.messages) {
            QCOMPARE(m.first, QStringLiteral("Cannot write in the file. Check if the alarm history file is open.\n"
                                             "Cannot open \"%1\" for appending: Is a directory.")
                                  .arg(QDir::toNativeSeparators(env.folder())));
            QCOMPARE(m.second, QStringLiteral("history")); // one box of this kind at a time
        }
        QCOMPARE(AlarmMemory[0][1], int16_t(-1));
    }

    void clearEmptiesTheBufferButNotTheFile()
    {
        CommTestEnvironment env;
        for (int i = 0; i < 5; ++i)
            Hystory_Write(QStringLiteral("UPS"), i, true);
        ClearHistory();
        QCOMPARE(HistoryRow, int16_t(1));
        QVERIFY(env.historyContents().isEmpty());
        Hystory_Write(QStringLiteral("DOWNS"), 9, false);
        QCOMPARE(HistoryBuffer[0][3], QStringLiteral("PV turned normal from underscale."));
        QCOMPARE(env.historyFileBytes().count('\n'), 2 + 6);
    }
};

QTEST_GUILESS_MAIN(AlarmHistoryTest)
#include "tst_alarm_history.moc"
