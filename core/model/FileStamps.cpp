#include "FileStamps.h"

#include "FileCodePage.h"

#include <QRegularExpression>

namespace PLM_INC {

namespace {

const QString kIsoDate = QStringLiteral("yyyy/MM/dd");
const QString kPlainTime = QStringLiteral("HH:mm:ss");
constexpr QChar kQuoted = QChar(0x01);

bool isPosixLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

// The format with its quoted text (quotes included) replaced by kQuoted, position for
// position, so that pattern letters can be searched without finding letters of the text.
QString masked(const QString &format)
{
    QString out = format;
    bool quoted = false;
    for (QChar &c : out) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            c = kQuoted;
        } else if (quoted) {
            c = kQuoted;
        }
    }
    return out;
}

// The time zone fields ("t" .. "tttt") with a bracket around them, the blanks around them
// and a comma that set them apart from the time.
QString withoutTimeZone(const QString &format)
{
    static const QRegularExpression zone(QStringLiteral("[\\s,]*[(\\[]?\\s*t+\\s*[)\\]]?\\s*"));
    QString out = format;
    const QString mask = masked(format);
    QRegularExpressionMatchIterator it = zone.globalMatch(mask);
    qsizetype removed = 0;
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype start = m.capturedStart() - removed;
        const bool between = m.capturedStart() > 0 && m.capturedEnd() < mask.size();
        out.replace(start, m.capturedLength(), between ? QStringLiteral(" ") : QString());
        removed += m.capturedLength() - (between ? 1 : 0);
    }
    return out.trimmed();
}

bool hasSurrogates(const QString &text)
{
    for (const QChar c : text)
        if (c.isSurrogate())
            return true;
    return false;
}

// What a reader of the file gets back: the stamp is judged on the bytes the file holds, where
// each character Windows-1252 has not became a "?" (a Japanese hour mark, a Chinese day period).
QString asTheFileHoldsIt(const QString &text)
{
    return FromFileCodePage(ToFileCodePage(text));
}

// Qt 6.4 cannot read characters beyond 16 bits back (its parser even reads past the text),
// so such text is never given to it.
bool readsBack(const QString &text)
{
    return !hasSurrogates(text) && !text.contains(QLatin1String("()")) && !text.contains(QLatin1String("[]"))
           && !text.contains(QLatin1String("  ")) && text == text.trimmed();
}

bool timeReadsBack(const QLocale &locale, const QString &format)
{
    const QString mask = masked(format);
    if (format.isEmpty() || !UnknownPatternLetters(format).isEmpty() || mask.contains(QLatin1Char('t'))
        || !mask.contains(QLatin1Char('s')) || !mask.contains(QLatin1Char('m')))
        return false;
    // Qt 6.4 reads past the text of an AM/PM field when the locale's AM and PM texts differ in
    // length; such a time is never given to it.
    const bool dayHalf = mask.contains(QLatin1Char('a')) || mask.contains(QLatin1Char('A'));
    if (dayHalf && locale.amText().size() != locale.pmText().size())
        return false;
    // One time in each half of the day: a day period the file cannot hold reads back as neither.
    for (const QTime &probe : {QTime(15, 9, 11), QTime(3, 49, 51)}) {
        const QString text = asTheFileHoldsIt(locale.toString(probe, format));
        if (!readsBack(text) || locale.toTime(text, format) != probe) // readsBack first: see there
            return false;
    }
    return true;
}

bool dateReadsBack(const QLocale &locale, const QString &format)
{
    const QString mask = masked(format);
    if (format.isEmpty() || !UnknownPatternLetters(format).isEmpty() || !mask.contains(QLatin1Char('d'))
        || !mask.contains(QLatin1Char('M')) || !mask.contains(QLatin1Char('y')))
        return false;
    const QDate probe(2026, 12, 7);
    const QString text = asTheFileHoldsIt(locale.toString(probe, format));
    if (!readsBack(text))
        return false;
    const QDate back = locale.toDate(text, format);
    // A two-digit year reads back in another century; the spreadsheet knows which.
    return back.isValid() && back.month() == probe.month() && back.day() == probe.day()
           && back.year() % 100 == probe.year() % 100;
}

// The short time with a seconds field after its minutes, joined as the minutes are joined to
// the hours when that is one mark, else with ":".
QString withSeconds(const QString &format)
{
    const QString mask = masked(format);
    if (mask.contains(QLatin1Char('s')))
        return format;
    const qsizetype minuteStart = mask.indexOf(QLatin1Char('m'));
    if (minuteStart < 0)
        return QString();
    qsizetype minuteEnd = minuteStart;
    while (minuteEnd < mask.size() && mask[minuteEnd] == QLatin1Char('m'))
        ++minuteEnd;
    QString separator = QStringLiteral(":");
    if (minuteStart >= 2 && !mask[minuteStart - 1].isLetterOrNumber() && !mask[minuteStart - 1].isSpace()
        && mask[minuteStart - 1] != kQuoted && QStringLiteral("hH").contains(mask[minuteStart - 2]))
        separator = QString(format[minuteStart - 1]);
    QString out = format;
    out.insert(minuteEnd, separator + QStringLiteral("ss"));
    return out;
}

// The locale whose digits write the stamps: the locale's own, unless they cannot be read back
// (digits beyond 16 bits, such as Chakma or Adlam, or outside the code page, such as
// Arabic-Indic or Bengali); then the ASCII digits, which those locales read as well.
QLocale writingLocale(const QLocale &locale)
{
    if (isPosixLocale(locale) || timeReadsBack(locale, kPlainTime))
        return locale;
    return QLocale::c();
}

} // namespace

QString UnknownPatternLetters(const QString &format)
{
    static const QString known = QStringLiteral("dMyhHmszt");
    const QString mask = masked(format);
    QString unknown;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c.unicode() >= 0x80 || !c.isLetter())
            continue;
        if (c == QLatin1Char('a') || c == QLatin1Char('A')) {
            if (i + 1 < mask.size() && (mask[i + 1] == QLatin1Char('p') || mask[i + 1] == QLatin1Char('P')))
                ++i; // "AP" / "ap"
            continue;
        }
        if (!known.contains(c) && !unknown.contains(c))
            unknown += c;
    }
    return unknown;
}

QString FileDateFormat(const QLocale &locale)
{
    if (isPosixLocale(writingLocale(locale)))
        return kIsoDate;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    return dateReadsBack(locale, format) ? format : kIsoDate;
}

QString FileTimeFormat(const QLocale &locale)
{
    if (isPosixLocale(writingLocale(locale)))
        return kPlainTime;
    const QString longTime = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    if (timeReadsBack(locale, longTime))
        return longTime;
    const QString shortTime = withSeconds(withoutTimeZone(locale.timeFormat(QLocale::ShortFormat)));
    if (timeReadsBack(locale, shortTime))
        return shortTime;
    return kPlainTime;
}

QString FileDateText(const QDate &date, const QLocale &locale)
{
    return writingLocale(locale).toString(date, FileDateFormat(locale));
}

QString FileTimeText(const QTime &time, const QLocale &locale)
{
    return writingLocale(locale).toString(time, FileTimeFormat(locale));
}

QString FileStampText(const QDateTime &at, const QLocale &locale)
{
    return FileDateText(at.date(), locale) + QLatin1Char(' ') + FileTimeText(at.time(), locale);
}

} // namespace PLM_INC
