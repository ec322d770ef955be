// The ports the port dialog offers and the one line that says why a port failed. A port is
// stored as "COM1".."COM8" (each the device it always stood for) or as a device named
// outright, which is how an adapter the machine has is chosen.
#pragma once

#include "PortDevices.h"

#include <QList>
#include <QString>

// One entry of the port list: what is stored when it is chosen, and what the operator reads.
struct PortChoice {
    QString value;
    QString text;
    bool operator==(const PortChoice &o) const { return value == o.value && text == o.text; }
};

// COMn and the device it stands for on this machine.
struct ComDevice {
    int number = 1;
    QString device;
    bool present = false;
};

// A stored "Port" the program can use: "COM1".."COM8" or a device named outright.
bool IsStorablePort(const QString &port);

// COM1 and COM2 always, COM3..COM8 where their device is there or one is stored, each with
// its device; then the adapters not already shown beside a COMn, by their by-id name where
// they have one; then a stored device that is not there now.
QList<PortChoice> BuildPortChoices(const QList<ComDevice> &coms, const QList<tobrel::SerialAdapter> &adapters,
                                   const QString &stored, bool storedPresent);
// The same from what this machine has now.
QList<PortChoice> PortChoicesOnThisMachine(const QString &stored);

// How the probe's open of the port ended.
enum class PortOpenResult { Opened, CtsNotAsserted, Failed };
// The port dialog's line after a failed probe of `port` (whose device is `device`).
QString PortProblemText(const QString &port, const QString &device, PortOpenResult open, const tobrel::PortCheck &check);
// The same, looking at the device when it did not open (which opens it: not on the window's
// thread).
QString DescribePortProblem(const QString &port, PortOpenResult open);
// The port dialog's line once a probe of `port` finds the controller answering.
QString PortAnswersText(const QString &port);
