// The data of a write request: 20 fields of four hex digits, channel 0 of the block first.
// The channels the request asks for carry its values converted for the device; the others
// carry what the controller holds, as last read (or taken), so a write never carries an edit
// whose own write has not had its turn.
#pragma once

#include "LinkRequests.h"

#include <QString>
#include <optional>
#include <vector>

// The channel whose value has no device count, and why.
struct WriteRefusal {
    int channel = -1;
    QString why;
};

// nullopt when the item has no field in the image or a value has no 16-bit device count
// (then nothing of the item may be sent; `refusal` says which channel and why).
std::optional<QString> WriteDataOf(const QString &item, int block, const std::vector<PLM_INC::FieldValue> &asked,
                                   WriteRefusal *refusal = nullptr);

// A write the controller acknowledged: it holds the counts the data carried. One it did not
// answer: it may hold those of the values asked (`asked`, as sent).
void NoteWrittenCounts(const QString &item, int block, const QString &data);
// The channels a write carries in passing that may change the controller: not asked for, while
// an unanswered write of another value is out and the operator has asked a newer value since
// (the write carries that newer value, or the confirmed count). An acknowledgement owes the
// record a line of each, its before unknown. As display values, for the record.
std::vector<PLM_INC::FieldValue> PassengerValues(const QString &item, int block, const QString &data,
                                                 const std::vector<PLM_INC::FieldValue> &asked);
// A write without answer: the controller may hold the values asked, and the counts it carried
// for the passengers (a read finding one is no change made at the unit).
void NoteUnansweredCounts(const QString &item, int block, const QString &data,
                          const std::vector<PLM_INC::FieldValue> &asked,
                          const std::vector<PLM_INC::FieldValue> &passengers);

// The device address character of a block (space .. '/').
QString BlockAddressText(int block);
