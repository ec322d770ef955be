// Stored preferences: the default of every key on a first run, round trips through the store
// file, and stored texts that are not numbers.
#include "Preferences.h"

#include <QtTest>

class TestPreferences : public QObject {
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        // Before the first use of the store, so it lands in the temporary folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        Prefs::reopen();
        QVERIFY(Prefs::storePath().startsWith(m_config.path()));
        QVERIFY(Prefs::storePath().endsWith(QStringLiteral("/TOBREL LUMIRAS/PLM-870 Monitor_us.ini")));
    }

    void firstRunDefaults_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        for (int b = 1; b <= 16; ++b) {
            const QString bb = QStringLiteral("%1").arg(b, 2, 10, QLatin1Char('0'));
            QTest::addRow("DvtoN%s", qPrintable(bb)) << "DvtoN" + bb << "Block" + bb;
        }
        for (int c : {1, 2, 99, 100, 320}) {
            const QString ccc = QStringLiteral("%1").arg(c, 3, 10, QLatin1Char('0'));
            QTest::addRow("Chname%s", qPrintable(ccc)) << "Chname" + ccc << "Ch" + ccc;
            QTest::addRow("STLH%s", qPrintable(ccc)) << "STLH" + ccc << "10000";
            QTest::addRow("STLL%s", qPrintable(ccc)) << "STLL" + ccc << "0";
            QTest::addRow("DP%s", qPrintable(ccc)) << "DP" + ccc << "100";
            QTest::addRow("UNIT%s", qPrintable(ccc)) << "UNIT" + ccc << "%";
        }
        for (int i = 0; i < 16; ++i)
            QTest::addRow("LogBlock %d", i) << QStringLiteral("LogBlock %1").arg(i) << "0";
        const char *fixed[][2] = {
            {"Port", "COM1"}, {"Speed", "9600"}, {"Logtim", "0"}, {"tab0block", "0"},
            {"tab1block0", "3"}, {"tab1block1", "3"}, {"tab2block0", "1"}, {"tab2block1", "4"},
            {"tab2block2", "5"}, {"tab1name0", "0"}, {"tab1name1", "0"}, {"tab2name", "0"},
            {"tab3name", "0"}, {"Chart_Min", "0"}, {"Chart_Max", "400"}, {"Chart_Tim", "5"},
            {"Chart_PrNo0", "0"}, {"Chart_PrNo1", "1"}, {"Chart_PrNo2", "2"}, {"Chart_PrNo3", "3"},
            {"Chart_PrVis0", "1"}, {"Chart_PrVis1", "1"}, {"Chart_PrVis2", "1"}, {"Chart_PrVis3", "1"},
            {"Chart_PrName0", "Ch001"}, {"Chart_PrName1", "Ch002"}, {"Chart_PrName2", "Ch003"},
            {"Chart_PrName3", "Ch004"}, {"Chart_start", "0"}, {"log_restart", "0"}, {"log_start", "0"},
        };
        for (const auto &kv : fixed)
            QTest::newRow(kv[0]) << QString::fromLatin1(kv[0]) << QString::fromLatin1(kv[1]);
    }
    void firstRunDefaults()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(Prefs::get(key), value);
        QCOMPARE(Prefs::defaultFor(key), value);
        bool number = false;
        const int n = value.toInt(&number);
        if (number)
            QCOMPARE(Prefs::getInt(key), n);
    }

    void namesUseTheirDefaults()
    {
        QCOMPARE(Prefs::blockName(0), QStringLiteral("Block01"));
        QCOMPARE(Prefs::blockName(15), QStringLiteral("Block16"));
        QCOMPARE(Prefs::channelName(0), QStringLiteral("Ch001"));
        QCOMPARE(Prefs::channelName(319), QStringLiteral("Ch320"));
    }

    void valuesSurviveReopening()
    {
        Prefs::set(QStringLiteral("Speed"), 19200);
        Prefs::set(QStringLiteral("LogBlock 3"), 1);
        Prefs::set(QStringLiteral("Chname005"), QStringLiteral("Extruder zone 5"));
        Prefs::set(QStringLiteral("UNIT005"), QStringLiteral("kg/cm2"));
        Prefs::sync();
        Prefs::reopen();
        QCOMPARE(Prefs::get(QStringLiteral("Speed")), QStringLiteral("19200"));
        QCOMPARE(Prefs::getInt(QStringLiteral("LogBlock 3")), 1);
        QCOMPARE(Prefs::getInt(QStringLiteral("LogBlock 4")), 0);
        QCOMPARE(Prefs::channelName(4), QStringLiteral("Extruder zone 5"));
        QCOMPARE(Prefs::get(QStringLiteral("UNIT005")), QStringLiteral("kg/cm2"));

        QFile file(Prefs::storePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ini = file.readAll();
        QVERIFY(ini.contains("[General]"));
        QVERIFY(ini.contains("Speed=19200")); // a number is stored as its decimal text
    }

    void aStoredTextThatIsNoNumberReadsAsTheDefault()
    {
        Prefs::set(QStringLiteral("tab1block0"), QStringLiteral("abc"));
        Prefs::set(QStringLiteral("STLH007"), QStringLiteral(""));
        Prefs::set(QStringLiteral("Chart_Max"), QStringLiteral("4x0"));
        QCOMPARE(Prefs::getInt(QStringLiteral("tab1block0")), 3);
        QCOMPARE(Prefs::getInt(QStringLiteral("STLH007")), 10000);
        QCOMPARE(Prefs::getInt(QStringLiteral("Chart_Max")), 400);
        QCOMPARE(Prefs::get(QStringLiteral("tab1block0")), QStringLiteral("abc")); // the text is kept
        Prefs::set(QStringLiteral("Chart_Max"), QStringLiteral("-20"));
        QCOMPARE(Prefs::getInt(QStringLiteral("Chart_Max")), -20);
    }

    void unknownKeysDefaultToEmpty()
    {
        QCOMPARE(Prefs::defaultFor(QStringLiteral("log_name")), QString());
        QCOMPARE(Prefs::defaultFor(QStringLiteral("NoSuchKey")), QString());
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
