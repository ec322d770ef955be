// One change of a setting as the record keeps it: what changed on which channel, from what to
// what, who or what asked for it and how the controller took it; with the texts the record's
// lines and the published changes give its origin and outcome.
#pragma once

#include "ChangeOrigin.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace PLM_INC {

// A change at the unit is always Taken: the controller holds it already.
enum class WriteOutcome { Taken, Refused, NoReply };

struct SettingChange {
    QDateTime at;
    int channel = 0;  // global 0..319; block = channel / 20; -1 on a program's start or end line
    QString item;     // the 4-character item code, e.g. "0001"
    QString before;   // value text as the pages show them
    QString after;
    ChangeOrigin origin = ChangeOrigin::Editor;
    QString user;     // empty: the record's user (ChangeRecord::user())
    WriteOutcome outcome = WriteOutcome::Taken;
    bool clockWentBack = false; // its time is earlier than that of the line before it in the record
};

// The texts of the record and of the published changes ("setting editor", ..., "at the unit";
// "taken", "refused", "no reply"), and back; false when the text is none of them.
QString ChangeOriginText(ChangeOrigin origin);
QString WriteOutcomeText(WriteOutcome outcome);
bool ChangeOriginFromText(const QString &text, ChangeOrigin *origin);
bool WriteOutcomeFromText(const QString &text, WriteOutcome *outcome);
// The origin as the record writes it and the window shows it: its text, followed by
// " (the clock went back)" when the change's time is earlier than the line's before it; and back.
QString RecordedOriginText(const SettingChange &change);
bool RecordedOriginFromText(const QString &text, SettingChange *change);
// Every origin, in the order of the enumeration.
const std::vector<ChangeOrigin> &AllChangeOrigins();

// The line of a program's start or end, at `at`, by `user` (empty: the record's user).
SettingChange ProgramLine(ChangeOrigin origin, const QDateTime &at, const QString &user = QString());

// The item as the setting page and the setting editor name it ("Main setting value"); the code
// itself for an item the pages do not name.
QString ItemNameOnPages(const QString &code);

} // namespace PLM_INC
