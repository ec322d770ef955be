#include "PageRefresh.h"

#include "LinkHealth.h"
#include "PLM_INC.h"
#include "ValueText.h"

using namespace PLM_INC;

namespace PageRefresh {

int selectionOf(const QComboBox *list)
{
    return ListIndexOrZero(need(list)->currentIndex());
}

bool hasStatus(int channel, int bits)
{
    return (StatusWord[channel] & bits) != 0;
}

void lampOn(Lamp *lamp, bool on, const QColor &color)
{
    need(lamp)->setFillColor(on ? color : Lamp::white());
}

void setText(QLabel *label, const QString &text)
{
    need(label)->setText(text);
}

void showValue(ValueField *field, const QString &text, bool stale)
{
    need(field)->setText(text);
    field->setStale(stale);
}

void showIf(QWidget *w, bool visible)
{
    need(w)->setVisible(visible);
}

bool blockStale(const LinkHealth &health, int channel)
{
    return health.isStale(channel / kChannelsPerBlock);
}

QString unitOf(int channel)
{
    if (InputType[channel] <= 9)
        return DisplayUnit[channel] != 0 ? QStringLiteral("deg.F") : QStringLiteral("deg.C");
    return UnitText[channel];
}

bool isHeatCoolPair(int channel)
{
    return (OptionWord[channel] & kOptionHeatCool) != 0;
}

void enableAll(std::initializer_list<QWidget *> widgets, bool enabled)
{
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

void showAll(std::initializer_list<QWidget *> widgets, bool visible)
{
    for (QWidget *w : widgets)
        w->setVisible(visible);
}

} // namespace PageRefresh
