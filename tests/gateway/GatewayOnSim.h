// plm870-gateway as its own program with --http on a free loopback port, polling the simulator
// over a pseudo-terminal: three blocks with values that stay as set (PV of channel c of block b
// is 100 b + c; block 2 in tenths of a degree; Ch001 is 213), for the tests of its HTTP server.
#pragma once

#include "PtyServer.h"

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

class GatewayOnSim {
public:
    GatewayOnSim();
    ~GatewayOnSim(); // SIGTERM to the gateway
    bool start();    // false: a failure is told as a test warning
    bool startGateway(); // again after stopGateway, on the same port, and polling
    bool stopGateway();  // SIGTERM, ended cleanly
    sim::PtyServer &sim() { return *sim_; }
    quint16 port() const { return port_; }
    // Everything of a GET answered with Connection: close; empty when no answer came.
    QByteArray get(const QByteArray &target) const;

private:
    std::unique_ptr<sim::PtyServer> sim_;
    QTemporaryDir home_;
    QProcess gateway_;
    quint16 port_ = 0;
};

QByteArray BodyOf(const QByteArray &answer);
