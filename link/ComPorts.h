// The device a port number stands for on this machine: COMn is /dev/ttyS<n-1> on Linux and
// COMn itself on Windows; the environment variable PLM870_COM<n> names another device for
// COMn. Private to the library.
#pragma once

#include <QString>

namespace tobrel {

QString ComPortDevice(int number);

} // namespace tobrel
