#include "SettingFields.h"

#include <cmath>

namespace PLM_INC {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool isSeparator(char c)
{
    return c == ',' || isLineEnd(c);
}

} // namespace

void SettingFieldReader::rewind()
{
    pos_ = 0;
    afterComma_ = false;
    failed_ = false;
}

bool SettingFieldReader::next(QByteArray &field)
{
    if (failed_)
        return false;
    const qsizetype size = bytes_.size();
    const char *data = bytes_.constData();
    for (;;) {
        while (pos_ < size && isBlank(data[pos_]))
            ++pos_;
        if (pos_ >= size) {
            if (!afterComma_)
                return false;
            afterComma_ = false; // "a," at the end holds an empty last field
            field.clear();
            return true;
        }
        if (!isLineEnd(data[pos_]))
            break;
        if (afterComma_) { // "a," then a line end: an empty field ends the line
            afterComma_ = false;
            field.clear();
            return true;
        }
        ++pos_; // a line end after a field, or a blank line
    }

    if (data[pos_] == '"') {
        const qsizetype close = bytes_.indexOf('"', pos_ + 1);
        if (close < 0) {
            failed_ = true;
            return false;
        }
        field = bytes_.mid(pos_ + 1, close - pos_ - 1);
        pos_ = close + 1;
        while (pos_ < size && !isSeparator(data[pos_]))
            ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < size && !isSeparator(data[pos_]))
            ++pos_;
        qsizetype end = pos_;
        while (end > start && isBlank(data[end - 1]))
            --end;
        field = bytes_.mid(start, end - start);
    }
    afterComma_ = pos_ < size && data[pos_] == ',';
    if (afterComma_)
        ++pos_;
    return true;
}

std::optional<QString> SettingFieldReader::nextText()
{
    QByteArray field;
    if (!next(field))
        return std::nullopt;
    return decode_(field);
}

std::optional<int16_t> SettingFieldReader::nextInt16()
{
    QByteArray field;
    if (!next(field))
        return std::nullopt;
    return ParseInt16Field(field);
}

std::optional<int16_t> ParseInt16Field(const QByteArray &field)
{
    qsizetype i = 0;
    qsizetype end = field.size();
    while (i < end && isBlank(field[i]))
        ++i;
    while (end > i && isBlank(field[end - 1]))
        --end;
    bool negative = false;
    if (i < end && (field[i] == '-' || field[i] == '+')) {
        negative = field[i] == '-';
        ++i;
    }
    if (i >= end)
        return std::nullopt;
    long magnitude = 0;
    for (; i < end; ++i) {
        const char c = field[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 32768) // stops long digit runs before they overflow
            return std::nullopt;
    }
    const long value = negative ? -magnitude : magnitude;
    if (value > 32767)
        return std::nullopt;
    return static_cast<int16_t>(value);
}

bool IsValueNumberText(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return false;
    const double rounded = std::nearbyint(value); // halves to the even neighbour
    return rounded >= -32768.0 && rounded <= 32767.0;
}

} // namespace PLM_INC
