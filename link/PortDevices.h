// The serial devices of this machine as the program names them: "COM1".."COM8" by number,
// or a device named outright ("/dev/serial/by-id/usb-FTDI_..."), which stays the same when
// an adapter moves to another socket. Also what keeps a device from opening, in words an
// operator can act on.
#pragma once

#include "TobrelComm3Global.h"

#include <QList>
#include <QString>

namespace tobrel {

// True for a device named outright: an absolute device path ("\\.\COMn" on Windows).
TOBRELCOMM3_EXPORT bool IsDeviceName(const QString &port);
// The device "COM1".."COM8" stands for on this machine (the PLM870_COM<n> environment
// variable, else the system's own), or a device name itself; "" for any other text.
TOBRELCOMM3_EXPORT QString DeviceOfPort(const QString &port);
// The device file a name leads to once its links are followed ("" when it leads nowhere).
TOBRELCOMM3_EXPORT QString ResolvedDevice(const QString &device);
// True for the system's persistent names of a device ("/dev/serial/by-id/...",
// "/dev/serial/by-path/..."): links the system keeps to the device file of an adapter.
TOBRELCOMM3_EXPORT bool IsPersistentDeviceName(const QString &device);
// The name to open a device by: a persistent name by the device file it leads to, so the
// lock other programs look for is the one on that file; any other name as it stands.
TOBRELCOMM3_EXPORT QString DeviceToOpen(const QString &device);

enum class PortAccess {
    Free,             // it opens
    NotPresent,       // no such device (an unplugged adapter, a port this machine lacks)
    PermissionDenied, // the device is there but this user may not open it
    Busy,             // another program has it open
    Failed,           // it would not open for another reason
};

struct PortCheck {
    PortAccess access = PortAccess::Free;
    QString detail; // the system's own words where it gave any
};

// How the attempt to open a device ended, as the classification needs it.
enum class OpenOutcome { Opened, NotFound, Refused, OtherError };
// What keeps a device from opening: first whether it is there, then whether this user may
// use it at all; a device that is there and allowed but refused is held by another program.
TOBRELCOMM3_EXPORT PortAccess ClassifyOpenFailure(bool exists, bool accessDenied, OpenOutcome outcome);
// Tries the device (opens and closes it at once, as any other program would).
TOBRELCOMM3_EXPORT PortCheck CheckPortAccess(const QString &device);

// A serial adapter present on this machine.
struct SerialAdapter {
    QString location;    // "/dev/ttyUSB0"
    QString byId;        // "/dev/serial/by-id/usb-..." leading to it, or ""
    QString description; // the maker's words, or ""
};
TOBRELCOMM3_EXPORT QList<SerialAdapter> SerialAdapters();

} // namespace tobrel
