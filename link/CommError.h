#pragma once

#include "TobrelComm3Global.h"

#include <QString>
#include <stdexcept>

namespace tobrel {

// An error raised by the link: its number (30001..30006, 30019, or another number for
// errors of the line itself) and the description shown to the operator as it stands.
class TOBRELCOMM3_EXPORT CommError : public std::runtime_error {
public:
    CommError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
    int number() const { return number_; }
    const QString &description() const { return description_; }

private:
    int number_;
    QString description_;
};

} // namespace tobrel
