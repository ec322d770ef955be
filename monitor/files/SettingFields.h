// The field rules of the setting data files: fields are separated by commas or line ends, a
// field that begins with a quote runs to the next quote (what follows it up to the separator
// is dropped), blanks around an unquoted field are dropped, and blank lines hold no field.
// Works on the file's bytes; a field's text is decoded as the whole file decides (UTF-8 or
// Windows-1252, FileCodePage.h).
#pragma once

#include "FileCodePage.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace PLM_INC {

class SettingFieldReader {
public:
    explicit SettingFieldReader(const QByteArray &bytes) : bytes_(bytes), decode_(bytes) {}

    // The next field's raw bytes (without quotes); false at the end of the data, or when a
    // quoted field never closes (then failed() is true and every later call is false too).
    bool next(QByteArray &field);
    // The next field as text; nullopt as for next().
    std::optional<QString> nextText();
    // The next field as a signed 16-bit integer (optional sign and decimal digits, nothing
    // else); nullopt at the end, on an unclosed quote, or when the field is no such number.
    std::optional<int16_t> nextInt16();

    bool failed() const { return failed_; }
    // Back to the first field.
    void rewind();

private:
    const QByteArray &bytes_;
    FileTextDecoder decode_;
    qsizetype pos_ = 0;
    bool afterComma_ = false;
    bool failed_ = false;
};

// A whole field as a signed 16-bit integer: blanks around it allowed, an optional sign, one
// or more digits; nullopt for anything else or a value outside -32768..32767.
std::optional<int16_t> ParseInt16Field(const QByteArray &field);

// True when the text (blanks around it dropped) is a decimal number ("-12", "3.5", ".25")
// whose magnitude rounds into a signed 16-bit value: the least a value text can become once
// it is scaled for a channel.
bool IsValueNumberText(const QString &text);

} // namespace PLM_INC
