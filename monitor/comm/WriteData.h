// The data of a write request: 20 fields of four hex digits, channel 0 of the block first,
// each the image value converted for the device.
#pragma once

#include <QString>
#include <optional>

// The channel whose value has no device count, and why.
struct WriteRefusal {
    int channel = -1;
    QString why;
};

// nullopt when the item has no field in the image or a value has no 16-bit device count
// (then nothing of the item may be sent; `refusal` says which channel and why).
std::optional<QString> WriteDataOf(const QString &item, int block, WriteRefusal *refusal = nullptr);

// The device address character of a block (space .. '/').
QString BlockAddressText(int block);
