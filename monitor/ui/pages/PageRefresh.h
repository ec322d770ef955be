// What the page refreshes and the row layouts of the pages share. A refresh is a list of steps:
// a step that fails (a channel beyond 319, a control the page does not have) is passed over
// and the next one runs, so one bad row never blanks the rest of the page.
#pragma once

#include "Lamp.h"
#include "ValueField.h"

#include <QComboBox>
#include <QString>
#include <array>
#include <initializer_list>
#include <stdexcept>

class LinkHealth;

namespace PageRefresh {

struct MissingControl : std::runtime_error {
    MissingControl() : std::runtime_error("control not on this page") {}
};

template <typename Step>
void step(Step &&s)
{
    try {
        s();
    } catch (const std::exception &) {
    }
}

// The control itself, or MissingControl when the page has none at that place.
template <typename W>
W *need(W *w)
{
    if (!w)
        throw MissingControl();
    return w;
}

template <typename W, size_t N>
W *need(const std::array<W *, N> &controls, int index)
{
    if (index < 0 || size_t(index) >= N)
        throw MissingControl();
    return need(controls[size_t(index)]);
}

// The chosen entry of a list, 0 when none is chosen.
int selectionOf(const QComboBox *list);
bool hasStatus(int channel, int bits);
void lampOn(Lamp *lamp, bool on, const QColor &color);
void setText(QLabel *label, const QString &text);
// A value of a polled block: its text, greyed while the block does not answer. A field whose
// text and mark are as they were is left alone (QLabel::setText compares the text).
void showValue(ValueField *field, const QString &text, bool stale);
void showIf(QWidget *w, bool visible);
// The block of this channel stopped answering: its values are shown greyed.
bool blockStale(const LinkHealth &health, int channel);

// The unit a channel's values are shown in: deg.C or deg.F for a temperature input, the
// channel's own unit text for a linear one.
QString unitOf(int channel);
// The odd channel of a pair decides: a heating/cooling pair has no values of its own on it.
bool isHeatCoolPair(int channel);
void enableAll(std::initializer_list<QWidget *> widgets, bool enabled);
void showAll(std::initializer_list<QWidget *> widgets, bool visible);

} // namespace PageRefresh
