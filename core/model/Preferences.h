// The one table of stored preferences: every key with its default. Values are strings in the
// per-user store (application "TOBREL LUMIRAS", "PLM-870 Monitor_us"); a missing key reads as
// its default, and a stored text that is not a number where a number is expected reads as
// the default too.
#pragma once

#include <QString>

namespace Prefs {

// The default of a key, including the numbered ones ("DvtoN01", "Chname001", "STLH001",
// "LogBlock 3", "Chart_PrName2", ...). Unknown keys and "log_name" default to "".
QString defaultFor(const QString &key);

QString get(const QString &key);
int getInt(const QString &key);
void set(const QString &key, const QString &value);
void set(const QString &key, int value);

// Names shown for blocks and channels (stored name or default).
QString blockName(int block);
QString channelName(int channel);

// Makes the store's file readable and writable by its owner only (creating it, empty, when it
// does not exist yet), before a secret is written to it; the file keeps that mode when it is
// written again. False, with the reason, when it cannot.
bool keepPrivate(QString *why);

// The store is opened on first use; tests that change the environment reopen it.
void reopen();
void sync();
QString storePath();

} // namespace Prefs
