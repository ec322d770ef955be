// Time stamps of the log and history files under every locale Qt knows, judged on the bytes
// the files hold: nothing a spreadsheet cannot read, every character kept by the code page,
// and the same second back when the bytes are read with the locale's formats.
#include "FileCodePage.h"
#include "FileStamps.h"

#include <QtTest>

using namespace PLM_INC;

namespace {

// The faults of one stamp, or "" when its bytes read back.
QString faultsOf(const QLocale &locale, const QDateTime &at)
{
    const QByteArray bytes = ToFileCodePage(FileStampText(at, locale));
    const QString stamp = FromFileCodePage(bytes); // what a reader of the file gets
    const QString format = FileDateFormat(locale) + QLatin1Char(' ') + FileTimeFormat(locale);
    QStringList faults;
    if (stamp != FileStampText(at, locale))
        faults << QStringLiteral("characters the file cannot hold");
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
    return QStringLiteral("%1 %2 (%3): %4")
        .arg(locale.name(), QString::fromLatin1(bytes.toPercentEncoding(" /:.,-?")), format,
             faults.join(QStringLiteral(", ")));
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

    // The bytes of one stamp; where the locale's own marks are outside the code page (hour
    // marks, day periods) the stamp falls back to marks the file holds.
    void stampBytesOfLocalesWithAZoneOrADayPeriod_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("stamp");
        QTest::newRow("es_ES: zone in brackets") << "es_ES" << QByteArray("7/12/26 15:09:11");
        QTest::newRow("ca_ES: zone in brackets") << "ca_ES" << QByteArray("7/12/26 15:09:11");
        QTest::newRow("zh_HK: day period outside the page") << "zh_HK" << QByteArray("7/12/2026 15:09:11");
        QTest::newRow("zh_TW: day period Qt cannot write") << "zh_TW" << QByteArray("2026/12/7 15:09:11");
        QTest::newRow("ja_JP: hour marks outside the page") << "ja_JP" << QByteArray("2026/12/07 15:09:11");
        QTest::newRow("ko_KR: day period outside the page") << "ko_KR" << QByteArray("26. 12. 7. 15:09:11");
        QTest::newRow("el_GR: day period outside the page") << "el_GR" << QByteArray("7/12/26 15:09:11");
        QTest::newRow("en_US: zone after AM/PM") << "en_US" << QByteArray("12/7/26 3:09:11 PM");
        QTest::newRow("de_DE") << "de_DE" << QByteArray("07.12.26 15:09:11");
        QTest::newRow("C locale of a service") << "C" << QByteArray("2026/12/07 15:09:11");
    }
    void stampBytesOfLocalesWithAZoneOrADayPeriod()
    {
        QFETCH(QString, locale);
        QFETCH(QByteArray, stamp);
        QCOMPARE(ToFileCodePage(FileStampText(QDateTime(QDate(2026, 12, 7), QTime(15, 9, 11)), QLocale(locale))), stamp);
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
