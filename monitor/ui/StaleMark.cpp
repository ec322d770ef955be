#include "StaleMark.h"

#include <QStyle>
#include <QVariant>
#include <QWidget>

void MarkStale(QWidget *field, bool stale)
{
    if (!field || field->property("stale").toBool() == stale)
        return;
    field->setProperty("stale", stale);
    // A dynamic property takes effect in the style sheet only after a re-polish.
    field->style()->unpolish(field);
    field->style()->polish(field);
}

QString StaleFieldStyle()
{
    return QStringLiteral("QLabel[valueField=\"true\"][stale=\"true\"] { color: #8c8c8c; font-style: italic; }");
}
