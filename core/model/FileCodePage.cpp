#include "FileCodePage.h"

#include <QStringView>

namespace PLM_INC {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the page defines no character.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char16_t decodeByte(uchar b)
{
    if (b < 0x80 || b >= 0xA0)
        return b;
    const char16_t c = kHighControls[b - 0x80];
    return c ? c : char16_t(b);
}

// The byte of a code point, or -1 when the page has none.
int encodeCodePoint(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < 32; ++i) {
        const char16_t mapped = kHighControls[i];
        if (mapped ? c == mapped : c == char32_t(0x80 + i))
            return 0x80 + i;
    }
    return -1;
}

template <typename Visit>
void forEachCodePoint(const QString &text, Visit visit)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(c, text.at(i + 1)), QStringView(text).mid(i, 2));
            ++i;
        } else {
            visit(char32_t(c.unicode()), QStringView(text).mid(i, 1));
        }
    }
}

} // namespace

bool FitsFileCodePage(char32_t codePoint)
{
    return encodeCodePoint(codePoint) >= 0;
}

QString OutsideFileCodePage(const QString &text)
{
    QString outside;
    forEachCodePoint(text, [&](char32_t c, QStringView piece) {
        if (!FitsFileCodePage(c) && !outside.contains(piece))
            outside += piece;
    });
    return outside;
}

QString WithinFileCodePage(const QString &text)
{
    QString kept;
    forEachCodePoint(text, [&](char32_t c, QStringView piece) {
        if (FitsFileCodePage(c))
            kept += piece;
    });
    return kept;
}

QByteArray ToFileCodePage(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t c, QStringView) {
        const int b = encodeCodePoint(c);
        out += b >= 0 ? char(b) : '?';
    });
    return out;
}

QString FromFileCodePage(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = QChar(decodeByte(uchar(bytes[i])));
    return out;
}

bool IsUtf8Text(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    bool nonAscii = false;
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        int more;
        char32_t c;
        char32_t least;
        if (b >= 0xC2 && b <= 0xDF) {
            more = 1, c = b & 0x1F, least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            more = 2, c = b & 0x0F, least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            more = 3, c = b & 0x07, least = 0x10000;
        } else {
            return false; // a continuation byte first, C0/C1 (always overlong) or F5..FF
        }
        if (n - i <= more)
            return false;
        for (int k = 1; k <= more; ++k) {
            const uchar cont = p[i + k];
            if ((cont & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (cont & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return nonAscii;
}

} // namespace PLM_INC
