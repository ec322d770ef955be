// Values of a block that stopped answering are greyed on the pages until it answers again; the
// field keeps its own background and the lamps their colours. ValueField::setStale sets the mark.
#pragma once

#include <QString>

// The look of a stale value field, set once on a window; it selects on the field's "stale" property.
QString StaleFieldStyle();
