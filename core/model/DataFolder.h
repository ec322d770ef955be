// The folder that holds the data folders "logging", "hystory", "changes" and "Setdata": the
// folder named by PLM870_HOME; else the program's own folder when it is writable and not an
// installed tree's; else the per-user application data folder (an installed program never
// writes beside itself, not even when run by root).
#pragma once

#include <QString>

namespace PLM_INC {

QString DataFolder();
// One of the data folders under DataFolder() ("logging", "hystory", "changes", "Setdata").
QString DataSubFolder(const QString &name);
// Forget the folder found, so a test that changes PLM870_HOME gets the new one.
void ForgetDataFolder();

} // namespace PLM_INC
