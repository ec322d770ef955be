// The code page of the text files the plant's Windows PCs read and write too: the setting
// files, the log files and the alarm history file. They are written in Windows-1252. A file
// is read as UTF-8 when its bytes are valid UTF-8 and hold non-ASCII text (a file made with a
// Linux editor), otherwise as Windows-1252; ASCII files read the same either way. Qt offers no
// Windows-1252 codec without ICU, so the table is here.
#pragma once

#include <QByteArray>
#include <QString>

namespace PLM_INC {

// Whether Windows-1252 holds the character (a whole code point).
bool FitsFileCodePage(char32_t codePoint);
// The characters of the text that Windows-1252 cannot hold, each once, in order of appearance.
QString OutsideFileCodePage(const QString &text);
// The text without those characters.
QString WithinFileCodePage(const QString &text);

// The text in Windows-1252; each character the page cannot hold becomes one "?".
QByteArray ToFileCodePage(const QString &text);
// Windows-1252 bytes as text. The five bytes the page leaves undefined (81, 8D, 8F, 90, 9D)
// read as the control characters of the same number, as Windows reads them.
QString FromFileCodePage(const QByteArray &bytes);

// True when the bytes hold at least one non-ASCII byte and are valid UTF-8 throughout
// (no overlong forms, no surrogates, nothing above U+10FFFF, no sequence cut short).
bool IsUtf8Text(const QByteArray &bytes);

// Decodes the pieces of one file the same way, as the whole file decides.
class FileTextDecoder {
public:
    explicit FileTextDecoder(const QByteArray &wholeFile) : utf8_(IsUtf8Text(wholeFile)) {}
    QString operator()(const QByteArray &piece) const
    {
        return utf8_ ? QString::fromUtf8(piece) : FromFileCodePage(piece);
    }
    bool readsUtf8() const { return utf8_; }

private:
    bool utf8_;
};

} // namespace PLM_INC
