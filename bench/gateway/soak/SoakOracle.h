// What the gateway left behind, read as a plant operator would read it and held against the
// plant's own record of the alarm edges it made: the history files (every edge once, in the
// order made) and the alarm events the broker passed on (every edge at least once).
#pragma once

#include "SoakPlant.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace soak {

struct EdgeCheck {
    long made = 0, found = 0;       // edges made; edges found where they should be
    long missing = 0, extra = 0;    // made and not found; found and not made (a repeat)
    QStringList firstFaults;        // a few channels whose record differs, with both records
    bool holds() const { return missing == 0 && extra == 0; }
};

// Every line of the *.hys files of `folder`, files in the order of the times they are named by.
EdgeCheck CheckHistory(const QString &folder, const std::vector<Edge> &edges);
// Alarm event payloads of the broker (JSON with "ch" 1..320 and "content").
EdgeCheck CheckBroker(const QList<QByteArray> &payloads, const std::vector<Edge> &edges);

} // namespace soak
