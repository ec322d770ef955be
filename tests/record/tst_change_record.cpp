// The change record file byte by byte, its hash chain and the check that names every line that
// does not follow, a restart that continues the chain, texts a spreadsheet would run, two
// processes writing one file, and the reader's filters.
#include "ChangeLine.h"
#include "ChangeRecordReader.h"
#include "ChangeVerify.h"
#include "ChangeWitness.h"
#include "RecordFixture.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <memory>

using namespace PLM_INC;
using O = ChangeOrigin;
using W = WriteOutcome;

Q_DECLARE_METATYPE(PLM_INC::ChangeFilter)

namespace {

// The change lines of a file chained anew from the first one on, as a forger with the format
// would: every hash follows, whatever was changed or removed before.
QByteArray hashedAgain(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    QByteArray previous = kChangeChainStart;
    QByteArray out = lines.takeFirst() + '\n';
    for (QByteArray line : lines) {
        if (line.isEmpty())
            continue;
        line.chop(1); // CR
        QByteArray fields;
        SplitChangeLine(line, &fields);
        const QByteArray again = ChangeLine(previous, fields);
        previous = SplitChangeLine(again.left(again.size() - 2));
        out += again;
    }
    return out;
}

QString joined(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class ChangeRecordTest : public QObject {
    Q_OBJECT

private slots:
    void twoLinesByteByByte()
    {
        RecordFixture f;
        f.add(at(12, 6, 9, 5), 40, "0001", "150.0", "160.5", O::Editor);
        f.add(at(12, 6, 9, 6), 40, "0013", "Deviation high", "Deviation low", O::Selection, W::Refused);
        // The hashes as `sha256sum` gives them (docs/change-record.md).
        const QByteArray expected =
            "\"Time\",\"ISO time\",\"Block\",\"Channel\",\"Item\",\"Item name\",\"Before\",\"After\",\"Origin\","
            "\"Who\",\"Outcome\",\"Seq\",\"Hash\"\r\n"
            "\"2026/12/06 09:05:00\",\"2026-12-06T09:05:00+01:00\",\"3\",\"41\",\"0001\",\"Main setting value\","
            "\"150.0\",\"160.5\",\"setting editor\",\"J\xfcrgen\",\"taken\",\"1\","
            "\"e8b6f10f3a5dca24863bf03d88dcda760fec0e85f18d24b960100e9abdfbccfa\"\r\n"
            "\"2026/12/06 09:06:00\",\"2026-12-06T09:06:00+01:00\",\"3\",\"41\",\"0013\",\"Alarm 1 action selection\","
            "\"Deviation high\",\"Deviation low\",\"selection dialog\",\"J\xfcrgen\",\"refused\",\"2\","
            "\"48ebe9c2801fd6db196f6b9bfd2110c896d07b1b78095e8f69837a261922361d\"\r\n";
        QCOMPARE(f.bytes(), expected);
        QVERIFY(f.failures.isEmpty());
    }

    // Each tamper of a file of four changes (lines 2 to 5), and the lines the check names: every
    // one that does not follow, the check going on as the writer does. "<cut>" cuts the file
    // short there; "<forge>" appends a line hashed right whose fields are `to`'s.
    void checkNamesEveryLineThatDoesNotFollow_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QList<int>>("bad");
        QTest::addColumn<int>("changes");
        QTest::newRow("intact") << QByteArray() << QByteArray() << QList<int>{} << 4;
        QTest::newRow("a value changed") << QByteArray("\"160.5\"") << QByteArray("\"165.5\"") << QList<int>{2} << 3;
        QTest::newRow("two values changed") << QByteArray("\"150.0\"") << QByteArray("\"155.0\"") << QList<int>{2, 4} << 2;
        QTest::newRow("a line removed") << QByteArray("\"b2\",\"setting") << QByteArray() << QList<int>{3} << 2;
        QTest::newRow("who changed") << QByteArray("J\xfcrgen\",\"no reply") << QByteArray("Anna\",\"no reply") << QList<int>{4} << 3;
        QTest::newRow("last line cut short") << QByteArray("\"at the unit\"") << QByteArray("<cut>") << QList<int>{5} << 3;
        QTest::newRow("column line changed") << QByteArray("\"Who\"") << QByteArray("\"User\"") << QList<int>{1} << 0;
        QTest::newRow("a forged block 99") << QByteArray("<forge>") << QByteArray("\"99\",\"41\"") << QList<int>{6} << 4;
        QTest::newRow("a forged channel of another block") << QByteArray("<forge>") << QByteArray("\"3\",\"61\"") << QList<int>{6} << 4;
        QTest::newRow("a forged origin") << QByteArray("<forge>") << QByteArray("\"hacked\"") << QList<int>{6} << 4;
    }
    void checkNamesEveryLineThatDoesNotFollow()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QList<int>, bad);
        QFETCH(int, changes);
        RecordFixture f;
        f.add(at(12, 6, 9, 5), 40, "0001", "150.0", "160.5", O::Editor);
        f.add(at(12, 6, 9, 6), 41, "0001", "b1", "b2", O::Editor);
        f.add(at(12, 6, 9, 7), 42, "0002", "150.0", "c2", O::BlockSend, W::NoReply);
        f.add(at(12, 6, 9, 8), 43, "0003", "d1", "d", O::AtUnit);
        QByteArray bytes = f.bytes();
        if (from == "<forge>") {
            QByteArray fields = bytes.split('\n').at(4);
            fields.chop(1);
            QByteArray last = SplitChangeLine(fields, &fields);
            fields.replace(fields.indexOf(to.startsWith("\"hacked") ? "\"at the unit\"" : "\"3\",\"44\""),
                           to.startsWith("\"hacked") ? 13 : 10, to);
            bytes += ChangeLine(last, fields);
        } else if (!from.isEmpty()) {
            const qsizetype i = bytes.indexOf(from);
            QVERIFY(i > 0);
            if (to.isEmpty()) { // the whole line
                const qsizetype lineStart = bytes.lastIndexOf('\n', i) + 1;
                bytes.remove(lineStart, bytes.indexOf('\n', i) + 1 - lineStart);
            } else if (to == "<cut>") { // a power cut in the middle of the line
                bytes.truncate(i);
            } else {
                bytes.replace(from, to);
            }
        }
        f.setBytes(bytes);
        const ChangeFileCheck check = VerifyChangeFile(f.path(2026, 12));
        QList<int> named;
        for (const ChangeLineProblem &p : check.problems) {
            named << p.line;
            QCOMPARE(p.text.toLatin1() + (p.line == 5 && to == "<cut>" ? "" : "\r"), bytes.split('\n').at(p.line - 1));
        }
        if (!check.why.isEmpty())
            named << 1; // not a record at all
        QCOMPARE(named, bad);
        QCOMPARE(check.ok, bad.isEmpty());
        QCOMPARE(check.changes, changes);
    }

    // After a power cut the writer ends the cut line and chains on from the line before it; an
    // edit after the cut is named as any other.
    void anEditAfterACutLineIsNamed()
    {
        RecordFixture f;
        f.add(at(12, 6, 9, 5), 40, "0001", "1.0", "2.0", O::Editor);
        f.add(at(12, 6, 9, 6), 40, "0001", "2.0", "3.0", O::Editor);
        QByteArray bytes = f.bytes();
        f.setBytes(bytes.left(bytes.size() - 30));
        f.add(at(12, 6, 9, 7), 40, "0001", "3.0", "4.0", O::Editor);
        f.add(at(12, 6, 9, 8), 40, "0001", "4.0", "5.0", O::Editor);
        QCOMPARE(VerifyChangeFile(f.path(2026, 12)).problems.size(), size_t(1)); // the cut line only
        f.setBytes(f.bytes().replace("\"4.0\",\"5.0\"", "\"4.0\",\"9.0\""));
        const ChangeFileCheck check = VerifyChangeFile(f.path(2026, 12));
        QCOMPARE(check.problems.size(), size_t(2));
        QCOMPARE(check.problems[0].line, 3);
        QVERIFY(check.problems[0].why.contains(QLatin1String("no hash")));
        QCOMPARE(check.problems[1].line, 5);
        QCOMPARE(check.changes, 2);
    }

    // A folder: every month file, each with its result; a month between two that have files is
    // named, an emptied month and a file that is no record fail the whole check.
    void aFolderIsCheckedWhole()
    {
        RecordFixture f;
        f.add(at(10, 6, 9, 5), 40, "0001", "1.0", "2.0", O::Editor);
        f.add(at(12, 6, 9, 5), 40, "0001", "2.0", "3.0", O::Editor);
        f.add(QDateTime(QDate(2027, 1, 2), QTime(9, 0)), 40, "0001", "3.0", "4.0", O::Editor);
        f.bytes();
        ChangeRecordCheck check = VerifyChangeRecord({f.dir.path()});
        QVERIFY(check.ok());
        QCOMPARE(check.files.size(), size_t(3));
        QCOMPARE(check.missingMonths, QStringList{f.path(2026, 11)});
        QCOMPARE(ChangeRecordCheckLines(check).at(0), f.path(2026, 10) + QStringLiteral(": OK, 1 change follows the chain (sequence number 1)."));
        f.setBytes(QByteArray(), 2026, 12);
        f.setBytes("Time,Value\r\n1,2\r\n", 2027, 1);
        check = VerifyChangeRecord({f.dir.path(), f.dir.filePath(QStringLiteral("2025_01.csv"))});
        QVERIFY(!check.ok());
        const QStringList lines = ChangeRecordCheckLines(check);
        QVERIFY2(lines.join(QLatin1Char('\n')).contains(QLatin1String("2025_01.csv: no such file or folder.")) &&
                     lines.join(QLatin1Char('\n')).contains(QLatin1String("2026_12.csv: the file is empty")) &&
                     lines.join(QLatin1Char('\n')).contains(QLatin1String("2027_01.csv: is not a change record")),
                 qPrintable(lines.join(QLatin1Char('\n'))));
    }

    // Two processes appending to one folder at once keep one chain, and every line of each is there.
    void twoWritersKeepOneChain()
    {
        RecordFixture f;
        constexpr int kLines = 400;
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const int channel : {7, 8}) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(QStringLiteral(CHANGE_WRITER),
                                  {f.dir.path(), QString::number(channel), QString::number(kLines)});
        }
        for (const auto &w : writers) {
            QVERIFY(w->waitForFinished(120000));
            QCOMPARE(w->exitCode(), 0);
        }
        const ChangeFileCheck check = VerifyChangeFile(f.path(2026, 12));
        QVERIFY2(check.ok, qPrintable(ChangeCheckText(check).left(600)));
        QCOMPARE(check.changes, 2 * kLines);
        QCOMPARE(check.lastSeq, 2 * kLines); // every number once: none taken twice by the two
    }

    // The sequence numbers run on across restarts and months; a line removed and the file hashed
    // again, a removed month, and a line without a number after numbered ones are named by their
    // numbers. A month begun before numbers were kept checks as it did, and they start there.
    void numbersRunOnAndTheirGapsAreNamed_data()
    {
        QTest::addColumn<QString>("tamper");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("intact") << QString() << QStringList{QStringLiteral("2026_10.csv: OK, 2 changes follow the chain (sequence numbers 1 to 2)."),
                                                           QStringLiteral("2026_12.csv: OK, 2 changes follow the chain (sequence numbers 5 to 6).")};
        QTest::newRow("a line removed, the file hashed again")
            << QStringLiteral("rehash") << QStringList{QStringLiteral("line 2 does not follow: its sequence number 6 does not follow 4: 1 line is missing")};
        QTest::newRow("a month removed") << QStringLiteral("month")
                                         << QStringList{QStringLiteral("2026_11.csv: no file"),
                                                        QStringLiteral("line 2 does not follow: its sequence number 5 does not follow 2: 2 lines are missing")};
        QTest::newRow("a line of the old form after numbered ones")
            << QStringLiteral("old") << QStringList{QStringLiteral("line 4 does not follow: it carries no sequence number, though a line before it carries 6.")};
        QTest::newRow("a month begun before numbers were kept")
            << QStringLiteral("begun") << QStringList{QStringLiteral("2026_09.csv: OK, 2 changes follow the chain (sequence number 1).")};
    }
    void numbersRunOnAndTheirGapsAreNamed()
    {
        QFETCH(QString, tamper);
        QFETCH(QStringList, named);
        RecordFixture f;
        if (tamper == QLatin1String("begun")) { // a line of the old form, then the writer's
            const QStringList texts = ChangeFieldTexts({at(9, 6, 9, 0), 40, QStringLiteral("0001"), QStringLiteral("1.0"),
                                                        QStringLiteral("2.0"), O::Editor, QString(), W::Taken},
                                                       QStringLiteral("x"), QLocale::c());
            f.setBytes(ChangeColumnLineWithoutSeq() + ChangeLine(kChangeChainStart, ChangeFieldBytes(texts)), 2026, 9);
            f.add(at(9, 6, 9, 5), 40, "0001", "2.0", "3.0", O::Editor);
        }
        for (const int month : {10, 11, 12}) {
            ChangeRecord again(f.dir.path()); // a restart before each month
            for (const int day : {6, 7})
                again.append({at(month, day, 9, 0), 40, QStringLiteral("0001"), QStringLiteral("1.0"), QStringLiteral("2.0"),
                              O::AtUnit, QString(), W::Taken});
            f.bytes();
        }
        QByteArray december = f.bytes();
        if (tamper == QLatin1String("rehash")) {
            december.remove(december.indexOf("\"2026/12/06"), december.indexOf('\n', december.indexOf("\"2026/12/06")) + 1 - december.indexOf("\"2026/12/06"));
            f.setBytes(hashedAgain(december));
        } else if (tamper == QLatin1String("month")) {
            QVERIFY(QFile::remove(f.path(2026, 11)));
        } else if (tamper == QLatin1String("old")) {
            QByteArray last = december.split('\n').at(2);
            last.chop(1);
            QByteArray fields;
            const QByteArray hash = SplitChangeLine(last, &fields);
            f.setBytes(december + ChangeLine(hash, fields.left(fields.lastIndexOf(','))));
        }
        const ChangeRecordCheck check = VerifyChangeRecord({f.dir.path()});
        const QString text = joined(ChangeRecordCheckLines(check));
        for (const QString &line : named)
            QVERIFY2(text.contains(line), qPrintable(text));
        QCOMPARE(check.ok(), tamper.isEmpty() || tamper == QLatin1String("begun"));
    }

    // What a subscriber kept of the published lines (their numbers and hashes, in the form
    // `mosquitto_sub -v` writes) against the record: every line removed, added or hashed again
    // on either side is named; lines before the first message kept are not compared.
    void aWitnessShowsWhatTheRecordLost_data()
    {
        QTest::addColumn<QString>("tamper");
        QTest::addColumn<QString>("named");
        QTest::newRow("intact") << QString() << QStringLiteral("4 lines agree with the messages kept.");
        QTest::newRow("the last line removed from the file")
            << QStringLiteral("cut") << QStringLiteral("Sequence number 4 (from message line 4): among the messages kept, not in the record");
        QTest::newRow("a line changed and the file hashed again")
            << QStringLiteral("rehash") << QStringLiteral("Sequence numbers 2 to 4 (from 2026_12.csv line 3, message line 2): the record's hash is not the message's");
        QTest::newRow("the subscriber came after the first line")
            << QStringLiteral("late") << QStringLiteral("1 line numbered before the first message kept (number 2), not compared.");
        QTest::newRow("the last message not delivered")
            << QStringLiteral("undelivered") << QStringLiteral("Sequence number 4 (from 2026_12.csv line 5): in the record, not among the messages kept");
    }
    void aWitnessShowsWhatTheRecordLost()
    {
        QFETCH(QString, tamper);
        QFETCH(QString, named);
        RecordFixture f;
        QByteArray kept;
        f.record.setWrittenHandler([&kept](const RecordedChange &line) {
            kept += "plm870/changes {\"seq\":" + QByteArray::number(line.seq) + ",\"hash\":\"" + line.hash + "\"}\n";
        });
        for (int i = 0; i < 4; ++i)
            f.add(at(12, 6, 9, i), 40, "0001", "1.0", "2.0", O::AtUnit);
        QByteArray bytes = f.bytes();
        QCoreApplication::processEvents(); // the lines on the disk reach the handler
        QCOMPARE(kept.count('\n'), 4);
        if (tamper == QLatin1String("cut"))
            f.setBytes(bytes.left(bytes.lastIndexOf('\n', bytes.size() - 2) + 1));
        else if (tamper == QLatin1String("rehash"))
            f.setBytes(hashedAgain(bytes.replace("\"2026/12/06 09:01:00\"", "\"2026/12/06 09:01:30\"")));
        else if (tamper == QLatin1String("late"))
            kept.remove(0, kept.indexOf('\n') + 1);
        else if (tamper == QLatin1String("undelivered"))
            kept.chop(kept.size() - kept.lastIndexOf('\n', kept.size() - 2) - 1);
        const QString keptPath = f.dir.filePath(QStringLiteral("kept.txt"));
        QFile file(keptPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kept);
        file.close();
        std::vector<NumberedLine> numbered;
        VerifyChangeRecord({f.path(2026, 12)}, &numbered);
        const WitnessComparison c = CompareWithWitness(numbered, keptPath);
        const QString text = joined(WitnessComparisonLines(c));
        QVERIFY2(text.contains(named), qPrintable(text));
        QCOMPARE(c.ok(), tamper.isEmpty() || tamper == QLatin1String("late"));
    }

    // Texts a spreadsheet would run as a formula are written with a leading "'", and read back
    // as they were; the file is read in its own code page only (bytes that happen to be UTF-8
    // are not taken for it).
    void textsComeBackAsTheyWere_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("formula") << QStringLiteral("=HYPERLINK(\"x\")") << QByteArray("\"'=HYPERLINK(\"\"x\"\")\"");
        QTest::newRow("plus") << QStringLiteral("+1") << QByteArray("\"'+1\"");
        QTest::newRow("at") << QStringLiteral("@cmd") << QByteArray("\"'@cmd\"");
        QTest::newRow("minus text") << QStringLiteral("-x") << QByteArray("\"'-x\"");
        QTest::newRow("negative number") << QStringLiteral("-5.0") << QByteArray("\"-5.0\"");
        QTest::newRow("quote first") << QStringLiteral("'=x") << QByteArray("\"''=x\"");
        QTest::newRow("quote then text") << QStringLiteral("'x") << QByteArray("\"''x\"");
        QTest::newRow("UTF-8 lookalike") << QStringLiteral("Ren\u00c3\u00a9") << QByteArray("\"Ren\xc3\xa9\"");
    }
    void textsComeBackAsTheyWere()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, field);
        RecordFixture f;
        f.record.setUser(text);
        f.record.append({at(12, 6, 9, 5), 40, QStringLiteral("0001"), text, QStringLiteral("1.0"), O::Editor, QString(),
                         W::Taken});
        const QByteArray bytes = f.bytes();
        QVERIFY2(bytes.contains(",\"Main setting value\"," + field + ",\"1.0\",\"setting editor\"," + field + ","),
                 bytes.constData());
        ChangeRecordReader reader;
        QVERIFY(reader.readFolder(f.dir.path()));
        QCOMPARE(reader.row(0).change.before, text);
        QCOMPARE(reader.row(0).change.user, text);
        QVERIFY(VerifyChangeFile(f.path(2026, 12)).ok);
    }

    // A clock set back: the line is written with its own time and marked; one dated in a month
    // before the newest goes on in the newest month's file, not into a closed month.
    void aClockSetBackIsMarkedAndNoClosedMonthIsWritten()
    {
        RecordFixture f;
        f.add(at(12, 6, 9, 5), 40, "0001", "1.0", "2.0", O::Editor);
        f.add(at(12, 6, 9, 0), 40, "0001", "2.0", "3.0", O::Editor);
        f.bytes(); // on the disk before the restart
        {
            ChangeRecord again(f.dir.path()); // a restart with the clock in November
            again.append({at(11, 30, 10, 0), 40, QStringLiteral("0001"), QStringLiteral("3.0"), QStringLiteral("4.0"),
                          O::AtUnit, QString(), W::Taken});
        }
        f.add(at(12, 6, 9, 10), 40, "0001", "4.0", "5.0", O::Editor);
        QVERIFY(!QFile::exists(f.path(2026, 11)));
        const QList<QByteArray> lines = f.bytes().split('\n');
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[1].contains("\"setting editor\""));
        QVERIFY(lines[2].contains("\"2026-12-06T09:00:00+01:00\",") && lines[2].contains("\"setting editor (the clock went back)\""));
        QVERIFY(lines[3].contains("\"2026-11-30T10:00:00+01:00\",") && lines[3].contains("\"at the unit (the clock went back)\""));
        QVERIFY(lines[4].contains("\"setting editor\""));
        QVERIFY(VerifyChangeFile(f.path(2026, 12)).ok);
        ChangeRecordReader reader;
        QVERIFY(reader.readFolder(f.dir.path()));
        QCOMPARE(reader.rowCount(), size_t(4));
        QVERIFY(reader.row(1).change.clockWentBack && reader.row(1).change.origin == O::AtUnit);
        QVERIFY(!reader.row(0).change.clockWentBack);
    }

    // A program's start and end are lines of the chain with no block, channel, item or outcome;
    // the reader shows them unless a block, channel or item is asked for.
    void aProgramsStartAndEndAreLinesOfTheRecord()
    {
        RecordFixture f;
        f.record.append(ProgramLine(O::ProgramStarted, at(12, 6, 9, 0)));
        f.add(at(12, 6, 9, 5), 40, "0001", "1.0", "2.0", O::AtUnit);
        f.record.append(ProgramLine(O::ProgramEnded, at(12, 6, 9, 9)));
        const QList<QByteArray> lines = f.bytes().split('\n');
        QVERIFY2(lines[1].startsWith("\"2026/12/06 09:00:00\",\"2026-12-06T09:00:00+01:00\",\"\",\"\",\"\",\"\",\"\",\"\","
                                     "\"program started\",\"J\xfcrgen\",\"\",\""),
                 lines[1].constData());
        QVERIFY(lines[3].contains(",\"program ended\",\"J\xfcrgen\",\"\",\""));
        QVERIFY(VerifyChangeFile(f.path(2026, 12)).ok);
        ChangeRecordReader reader;
        QVERIFY(reader.readFolder(f.dir.path()));
        QCOMPARE(reader.rowCount(), size_t(3));
        QCOMPARE(reader.row(0).change.channel, -1);
        QCOMPARE(reader.filtered(ChangeFilter()).size(), size_t(3));
        ChangeFilter block;
        block.block = 2;
        QCOMPARE(reader.filtered(block), std::vector<int>{1});
        ChangeFilter starts;
        starts.origin = O::ProgramStarted;
        QCOMPARE(reader.filtered(starts), std::vector<int>{2});
    }

    void aRestartContinuesTheChainAndAMonthStartsItsOwnFile()
    {
        RecordFixture f;
        f.add(at(12, 6, 9, 5), 0, "0001", "1.0", "2.0", O::Editor);
        f.add(at(12, 6, 9, 6), 1, "0001", "1.0", "2.0", O::ChannelFile);
        const QByteArray before = f.bytes();
        {
            ChangeRecord again(f.dir.path()); // the program started again
            again.append({at(12, 31, 23, 59), 2, QStringLiteral("0002"), QStringLiteral("3"), QStringLiteral("4"),
                          O::FactoryAdjust, QString(), W::Taken});
            again.append({QDateTime(QDate(2027, 1, 1), QTime(0, 0)), 3, QStringLiteral("0002"), QStringLiteral("3"),
                          QStringLiteral("4"), O::AllChannelFile, QString(), W::Taken});
        }
        const QByteArray after = f.bytes();
        QVERIFY(after.startsWith(before));
        QCOMPARE(after.count('\n'), 4);
        QCOMPARE(VerifyChangeFile(f.path(2026, 12)).changes, 3);
        const ChangeFileCheck january = VerifyChangeFile(f.path(2027, 1));
        QVERIFY(january.ok);
        QCOMPARE(january.changes, 1);
        QVERIFY(f.bytes(2027, 1).startsWith(ChangeColumnLine()));
        QVERIFY(f.failures.isEmpty());
    }

    void aLineThatCannotBeWrittenIsToldWithItsReason()
    {
        RecordFixture f;
        QVERIFY(QDir(f.dir.path()).mkdir(ChangeFileName(QDate(2026, 12, 1)))); // a folder where the file goes
        f.add(at(12, 6, 9, 5), 0, "0001", "1.0", "2.0", O::Editor);
        f.bytes();
        QCOMPARE(f.failures.size(), 1);
        QVERIFY2(f.failures[0].startsWith(QLatin1String(kChangeRecordWriteFailedText)) && f.failures[0].contains(QLatin1String("2026_12.csv")),
                 qPrintable(f.failures[0]));
    }

    void readerFilters_data()
    {
        QTest::addColumn<ChangeFilter>("filter");
        QTest::addColumn<QString>("shown"); // the "after" values, newest first
        const auto with = [](auto set) {
            ChangeFilter f;
            set(f);
            return f;
        };
        QTest::newRow("everything, newest first") << ChangeFilter() << "edcba";
        QTest::newRow("block 3") << with([](ChangeFilter &f) { f.block = 2; }) << "dc";
        QTest::newRow("channel 26") << with([](ChangeFilter &f) { f.channel = 25; }) << "b";
        QTest::newRow("item 0001") << with([](ChangeFilter &f) { f.item = QStringLiteral("0001"); }) << "eca";
        QTest::newRow("at the unit") << with([](ChangeFilter &f) { f.origin = O::AtUnit; }) << "c";
        QTest::newRow("1 to 6 December") << with([](ChangeFilter &f) {
            f.from = at(12, 1, 0, 0);
            f.to = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59));
        }) << "dcb";
        QTest::newRow("block 3 and item 0001") << with([](ChangeFilter &f) {
            f.block = 2;
            f.item = QStringLiteral("0001");
        }) << "c";
        QTest::newRow("a block without changes") << with([](ChangeFilter &f) { f.block = 5; }) << "";
    }
    void readerFilters()
    {
        QFETCH(ChangeFilter, filter);
        QFETCH(QString, shown);
        RecordFixture f;
        f.add(at(11, 30, 10, 0), 0, "0001", "", "a", O::Editor);
        f.add(at(12, 1, 8, 0), 25, "0002", "", "b", O::BlockSend);
        f.add(at(12, 6, 9, 5), 40, "0001", "", "c", O::AtUnit);
        f.add(at(12, 6, 9, 6), 40, "0013", "", "d", O::Selection);
        f.add(at(12, 7, 0, 0), 319, "0001", "", "e", O::AllChannelFile, W::Refused);
        f.bytes();
        ChangeRecordReader reader;
        QVERIFY(reader.readFolder(f.dir.path()));
        QString got;
        for (const int i : reader.filtered(filter))
            got += reader.row(size_t(i)).change.after;
        QCOMPARE(got, shown);
    }
};

QTEST_GUILESS_MAIN(ChangeRecordTest)
#include "tst_change_record.moc"
