#include "StaleMark.h"

#include "AccessibleControls.h"

#include <QStyle>
#include <QVariant>

void ValueField::setStale(bool stale)
{
    if (stale == m_stale)
        return;
    m_stale = stale;
    setProperty("stale", stale);
    // A dynamic property takes effect in the style sheet only after a re-polish.
    style()->unpolish(this);
    style()->polish(this);
}

QString StaleFieldStyle()
{
    return QStringLiteral("QLabel[valueField=\"true\"][stale=\"true\"] { color: #8c8c8c; font-style: italic; }");
}
