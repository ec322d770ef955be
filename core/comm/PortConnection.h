// Opening the stored port and proving the controller answers on it: the port and speed stored
// are repaired first, a failed probe says why on the port dialog's line and shows the dialog
// once until the operator has answered it.
#pragma once

#include "CommandHost.h"

#include <QString>
#include <cstdint>
#include <functional>

class PortConnection {
public:
    explicit PortConnection(CommandHost &host);

    // The probe of the stored port (repaired first) and of a given one; `done` gets "ok" when
    // block 0 answered, else "".
    void connectStoredPort(std::function<void(const QString &)> done);
    void probePort(const QString &port, const QString &speed, std::function<void(const QString &)> done);
    // OK of the port dialog (which stores the keys itself): a later failure shows it again.
    void commDialogOk() { portDialogShown_ = 0; }
    int16_t portDialogShown() const { return portDialogShown_; }

private:
    CommandHost &host_;
    int16_t portDialogShown_ = 0;
    bool portProblemTold_ = false; // the dialog's line says why the last probe failed
};
