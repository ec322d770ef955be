// Values of a block that stopped answering are greyed on the pages until it answers again; the
// field keeps its own background and the lamps their colours.
#pragma once

#include <QString>

class QWidget;

void MarkStale(QWidget *field, bool stale);
QString StaleFieldStyle();
