// The change record file byte by byte, its hash chain and the check that names the first line
// that does not follow, a restart that continues the chain, and the reader's filters.
#include "ChangeLine.h"
#include "ChangeRecordReader.h"
#include "ChangeVerify.h"
#include "RecordFixture.h"

#include <QTest>

using namespace PLM_INC;
using O = ChangeOrigin;
using W = WriteOutcome;

Q_DECLARE_METATYPE(PLM_INC::ChangeFilter)

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
            "\"Who\",\"Outcome\",\"Hash\"\r\n"
            "\"2026/12/06 09:05:00\",\"2026-12-06T09:05:00+01:00\",\"3\",\"41\",\"0001\",\"Main setting value\","
            "\"150.0\",\"160.5\",\"setting editor\",\"J\xfcrgen\",\"taken\","
            "\"7e48147880584564b466840d6be4ad87e6aab801562203dc8d5ce55d255cdbdb\"\r\n"
            "\"2026/12/06 09:06:00\",\"2026-12-06T09:06:00+01:00\",\"3\",\"41\",\"0013\",\"Alarm 1 action selection\","
            "\"Deviation high\",\"Deviation low\",\"selection dialog\",\"J\xfcrgen\",\"refused\","
            "\"aa27c51747f1ae01e7e0faf34aecdf7bdd7be3d29b76db8485d47286b421f342\"\r\n";
        QCOMPARE(f.bytes(), expected);
        QVERIFY(f.failures.isEmpty());
    }

    void checkNamesTheFirstLineThatDoesNotFollow_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("badLine");
        QTest::addColumn<int>("changes");
        QTest::newRow("intact") << QByteArray() << QByteArray() << 0 << 4;
        QTest::newRow("a value changed") << QByteArray("\"160.5\"") << QByteArray("\"165.5\"") << 2 << 0;
        QTest::newRow("a line removed") << QByteArray("\"b2\",\"setting") << QByteArray() << 3 << 1;
        QTest::newRow("who changed") << QByteArray("J\xfcrgen\",\"no reply") << QByteArray("Anna\",\"no reply") << 4 << 2;
        QTest::newRow("last line cut short") << QByteArray("\"at the unit\"") << QByteArray("<cut>") << 5 << 3;
        QTest::newRow("column line changed") << QByteArray("\"Who\"") << QByteArray("\"User\"") << 1 << 0;
    }
    void checkNamesTheFirstLineThatDoesNotFollow()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, badLine);
        QFETCH(int, changes);
        RecordFixture f;
        f.add(at(12, 6, 9, 5), 40, "0001", "150.0", "160.5", O::Editor);
        f.add(at(12, 6, 9, 6), 41, "0001", "b1", "b2", O::Editor);
        f.add(at(12, 6, 9, 7), 42, "0002", "c1", "c2", O::BlockSend, W::NoReply);
        f.add(at(12, 6, 9, 8), 43, "0003", "d1", "d", O::AtUnit);
        QByteArray bytes = f.bytes();
        if (!from.isEmpty()) {
            const qsizetype i = bytes.indexOf(from);
            QVERIFY(i > 0);
            if (to.isEmpty()) { // the whole line
                const qsizetype lineStart = bytes.lastIndexOf('\n', i) + 1;
                bytes.remove(lineStart, bytes.indexOf('\n', i) + 1 - lineStart);
            } else if (to == "<cut>") { // a power cut in the middle of the line
                bytes.truncate(i);
            } else {
                bytes.replace(i, from.size(), to);
            }
            f.setBytes(bytes);
        }
        const ChangeFileCheck check = VerifyChangeFile(f.path(2026, 12));
        QCOMPARE(check.ok, badLine == 0);
        QCOMPARE(check.badLine, badLine);
        QCOMPARE(check.changes, changes);
        if (badLine > 0)
            QCOMPARE(check.badText.toLatin1(), bytes.split('\n').at(badLine - 1).chopped(badLine == 5 ? 0 : 1));
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
            got += reader.rows()[size_t(i)].change.after;
        QCOMPARE(got, shown);
    }
};

QTEST_GUILESS_MAIN(ChangeRecordTest)
#include "tst_change_record.moc"
