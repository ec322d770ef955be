// The gateway's command line. What it does not name comes from the monitor's preferences file.
#pragma once

#include "BrokerSettings.h"
#include "HttpSecurity.h"
#include "ListenAddress.h"
#include "ModbusListen.h"

#include <QString>
#include <QStringList>

struct GatewayOptions {
    QString port;   // "COM1", "COM2" or a device path; empty: the stored port
    QString speed;  // "9600" / "19200"; empty: the stored speed
    BrokerSettingsResult broker;
    modbus::ModbusListen modbus; // not enabled: no Modbus TCP server
    net::ListenAddress http;     // not enabled: no HTTP server
    http::HttpSecurity httpSecurity;
    bool passwordOnCommandLine = false; // --password: every user sees it in the process list
    bool help = false;
    QString passwordLineUser; // --http-password-line USER: print a password file's line and end
    QString error; // one line for the operator; the gateway does not start
};

// arguments without the program name.
GatewayOptions ParseGatewayOptions(const QStringList &arguments);
QString GatewayUsage();
