// Time stamps of the log and history files under every locale Qt knows: nothing a spreadsheet
// cannot read, and the same second back when the stamp is read with the locale's formats.
#include "FileStamps.h"

#include <QtTest>

using namespace PLM_INC;

namespace {

// The faults of one stamp, or "" when it reads back.
QString faultsOf(const QLocale &locale, const QDateTime &at)
{
    const QString stamp = FileStampText(at, locale);
    const QString format = FileDateFormat(locale) + QLatin1Char(' ') + FileTimeFormat(locale);
    QStringList faults;
    for (const char *never : {"()", "[]", "  "})
        if (stamp.contains(QLatin1String(never)))
            faults << QStringLiteral("holds \"%1\"").arg(QLatin1String(never));
    if (stamp != stamp.trimmed())
        faults << QStringLiteral("blank at an end");
    if (const QString letters = UnknownPatternLetters(format); !letters.isEmpty())
        faults << QStringLiteral("pattern letters %1").arg(letters);
    const QDateTime back = locale.toDateTime(stamp, format);
    // A two-digit year reads back in another century; day, month and the second must match.
    if (!back.isValid() || back.time() != at.time() || back.date().day() != at.date().day()
        || back.date().month() != at.date().month() || back.date().year() % 100 != at.date().year() % 100)
        faults << QStringLiteral("reads back as %1").arg(back.toString(Qt::ISODate));
    if (faults.isEmpty())
        return QString();
    return QStringLiteral("%1 \"%2\" (%3): %4").arg(locale.name(), stamp, format, faults.join(QStringLiteral(", ")));
}

} // namespace

class TestFileStamps : public QObject {
    Q_OBJECT
private slots:
    void everyLocaleWritesStampsThatReadBack()
    {
        const QList<QLocale> locales =
            QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        QVERIFY(locales.size() > 300);
        QStringList failures;
        for (const QLocale &locale : locales + QList<QLocale>{QLocale::c()})
            for (const QDateTime &at : {QDateTime(QDate(2026, 12, 7), QTime(15, 9, 11)),
                                        QDateTime(QDate(2003, 7, 4), QTime(0, 5, 59))})
                if (const QString fault = faultsOf(locale, at); !fault.isEmpty())
                    failures << fault;
        QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 stamps fail, e.g.\n%2")
                                                    .arg(failures.size())
                                                    .arg(failures.mid(0, 12).join(QLatin1Char('\n')))));
    }

    void stampsOfLocalesWithAZoneOrADayPeriod_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("es_ES: zone in brackets") << "es_ES" << "7/12/26 15:09:11";
        QTest::newRow("ca_ES: zone in brackets") << "ca_ES" << "7/12/26 15:09:11";
        QTest::newRow("zh_HK: zone in square brackets") << "zh_HK" << QStringLiteral("7/12/2026 \u4e0b\u53483:09:11");
        QTest::newRow("zh_TW: day period Qt cannot write") << "zh_TW" << "2026/12/7 15:09:11";
        QTest::newRow("en_US: zone after AM/PM") << "en_US" << "12/7/26 3:09:11 PM";
        QTest::newRow("de_DE") << "de_DE" << "07.12.26 15:09:11";
        QTest::newRow("C locale of a service") << "C" << "2026/12/07 15:09:11";
    }
    void stampsOfLocalesWithAZoneOrADayPeriod()
    {
        QFETCH(QString, locale);
        QFETCH(QString, stamp);
        QCOMPARE(FileStampText(QDateTime(QDate(2026, 12, 7), QTime(15, 9, 11)), QLocale(locale)), stamp);
    }

    void patternLettersQtCannotWrite_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("unknown");
        QTest::newRow("day period") << "Bh:mm:ss" << "B";
        QTest::newRow("AM/PM marks") << "AP h:mm:ss ap" << "";
        QTest::newRow("letters in quotes are text") << "'Klock' H.mm:ss" << "";
        QTest::newRow("a doubled quote is a quote") << "H''Bmm" << "B";
        QTest::newRow("non-ASCII text") << QStringLiteral("H\u6642mm\u5206") << "";
        QTest::newRow("P alone") << "h:mm P" << "P";
        QTest::newRow("date letters") << "d.M.yyyy" << "";
    }
    void patternLettersQtCannotWrite()
    {
        QFETCH(QString, format);
        QFETCH(QString, unknown);
        QCOMPARE(UnknownPatternLetters(format), unknown);
    }
};

QTEST_GUILESS_MAIN(TestFileStamps)
#include "tst_file_stamps.moc"
