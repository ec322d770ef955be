// The code page of the files exchanged with the plant's Windows PCs: Windows-1252 out, and in
// either UTF-8 (valid UTF-8 with non-ASCII text) or Windows-1252, decided per file.
#include "FileCodePage.h"

#include <QtTest>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define PLM_HAVE_ICONV 1
#endif

using namespace PLM_INC;

namespace {

#ifdef PLM_HAVE_ICONV
// The system's own Windows-1252 converter (glibc's, independent of the program's table): the
// character of one byte, or an empty text where the page defines none.
QString systemWindows1252(uchar byte)
{
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    if (cd == iconv_t(-1))
        return QStringLiteral("(no converter)");
    char in[1] = {char(byte)};
    char out[8] = {};
    char *inp = in;
    char *outp = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const bool converted = iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1);
    iconv_close(cd);
    return converted ? QString::fromUtf8(out, outp - out) : QString();
}
#endif

} // namespace

class TestFileCodePage : public QObject {
    Q_OBJECT
private slots:
    void writtenAsWindows1252_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII as it is") << QStringLiteral("Ch001 \"x\",1") << QByteArray("Ch001 \"x\",1");
        QTest::newRow("degree sign") << QStringLiteral("\u00b0C") << QByteArray("\xb0" "C");
        QTest::newRow("micro sign") << QStringLiteral("\u00b5" "A") << QByteArray("\xb5" "A");
        QTest::newRow("umlaut") << QStringLiteral("Zone \u00e41") << QByteArray("Zone \xe4" "1");
        QTest::newRow("Latin-1 top") << QStringLiteral("\u00a0\u00ff") << QByteArray("\xa0\xff");
        QTest::newRow("euro, dagger, per mille, trade mark") << QStringLiteral("\u20ac\u2020\u2030\u2122")
                                                            << QByteArray("\x80\x86\x89\x99");
        QTest::newRow("S and Z caron, Y diaeresis") << QStringLiteral("\u0160\u017d\u0161\u017e\u0178")
                                                    << QByteArray("\x8a\x8e\x9a\x9e\x9f");
        QTest::newRow("quotes and dashes") << QStringLiteral("\u2018\u2019\u201c\u201d\u2013\u2014")
                                           << QByteArray("\x91\x92\x93\x94\x96\x97");
        QTest::newRow("outside the page: one ? each") << QStringLiteral("\u0142\u00f3d\u017a") << QByteArray("?\xf3" "d?");
        QTest::newRow("C1 control the page does not hold") << QStringLiteral("a\u0080b") << QByteArray("a?b");
        QTest::newRow("character beyond 16 bits: one ?") << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    }
    void writtenAsWindows1252()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(ToFileCodePage(text), bytes);
    }

    // Every byte reads as a character that is written back as the same byte.
    void everyByteReadsAndWritesBack()
    {
        for (int b = 0; b < 256; ++b) {
            const QByteArray one(1, char(b));
            const QString text = FromFileCodePage(one);
            QCOMPARE(text.size(), 1);
            QVERIFY2(ToFileCodePage(text) == one, qPrintable(QString::number(b, 16)));
        }
        QCOMPARE(FromFileCodePage("\x80\x9f\xb0"), QStringLiteral("\u20ac\u0178\u00b0"));
        QCOMPARE(FromFileCodePage("\x81\x8d\x8f\x90\x9d"), QStringLiteral("\u0081\u008d\u008f\u0090\u009d"));
    }

    // Every byte of 0x80..0x9F, read and written, against the system's converter. The five
    // bytes the page leaves undefined read as the control character of the same number.
    void highControlBytesAsTheSystemReadsThem_data()
    {
#ifdef PLM_HAVE_ICONV
        QTest::addColumn<QByteArray>("byte");
        QTest::addColumn<QString>("text");
        for (int b = 0x80; b <= 0x9F; ++b) {
            const QString system = systemWindows1252(uchar(b));
            QTest::addRow("byte %X", b) << QByteArray(1, char(b)) << (system.isEmpty() ? QString(QChar(b)) : system);
        }
#endif
    }
    void highControlBytesAsTheSystemReadsThem()
    {
#ifdef PLM_HAVE_ICONV
        QFETCH(QByteArray, byte);
        QFETCH(QString, text);
        QCOMPARE(text.size(), 1);
        QCOMPARE(FromFileCodePage(byte), text);
        QCOMPARE(ToFileCodePage(text), byte);
        QCOMPARE(FromFileCodePage("a" + byte + "b"), QLatin1Char('a') + text + QLatin1Char('b'));
#else
        QSKIP("no system Windows-1252 converter to compare with");
#endif
    }

    void eachFileReadAsItWasWritten_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QByteArray("\"kPa\"\r\n") << false << QStringLiteral("\"kPa\"\r\n");
        QTest::newRow("Windows-1252 from the plant's PC") << QByteArray("\"\xb0" "C\"") << false << QStringLiteral("\"\u00b0C\"");
        QTest::newRow("UTF-8 from a Linux editor") << QByteArray("\"\xc2\xb0" "C\"") << true << QStringLiteral("\"\u00b0C\"");
        QTest::newRow("UTF-8 of three and four bytes") << QByteArray("\xe2\x82\xac \xf0\x9f\x98\x80") << true
                                                      << QStringLiteral("\u20ac \U0001F600");
        QTest::newRow("one bad byte makes the file Windows-1252") << QByteArray("\xc2\xb0" "C \xb5" "A") << false
                                                               << QStringLiteral("\u00c2\u00b0" "C \u00b5" "A");
        QTest::newRow("sequence cut short at the end") << QByteArray("ab\xe2\x82") << false << QStringLiteral("ab\u00e2\u201a");
        QTest::newRow("overlong form is no UTF-8") << QByteArray("\xc0\xaf") << false << QStringLiteral("\u00c0\u00af");
        QTest::newRow("encoded surrogate is no UTF-8") << QByteArray("\xed\xa0\x80") << false << QStringLiteral("\u00ed\u00a0\u20ac");
        QTest::newRow("beyond U+10FFFF is no UTF-8") << QByteArray("\xf4\x90\x80\x80") << false
                                                    << QStringLiteral("\u00f4\u0090\u20ac\u20ac");
        QTest::newRow("continuation byte first") << QByteArray("\x80" "a") << false << QStringLiteral("\u20ac" "a");
    }
    void eachFileReadAsItWasWritten()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, utf8);
        QFETCH(QString, text);
        QCOMPARE(IsUtf8Text(file), utf8);
        const FileTextDecoder decode(file);
        QCOMPARE(decode.readsUtf8(), utf8);
        QCOMPARE(decode(file), text);
    }
};

QTEST_GUILESS_MAIN(TestFileCodePage)
#include "tst_file_code_page.moc"
