// What runs when a selector's entry is chosen. The operator's pick (QComboBox::activated) and
// an index set from code through setListIndex() run the same handler, so a list set at
// start-up or refilled with new names acts as if the entry had been picked. Each page puts the
// handlers of its own selectors here.
#pragma once

#include <functional>
#include <map>

class QComboBox;
class QObject;

class SelectorHandlers {
public:
    // Runs `handler` whenever the operator picks an entry of `list`, for as long as `context`
    // lives, and whenever setListIndex() sets the list.
    void add(QComboBox *list, QObject *context, std::function<void()> handler);
    // Sets the list's index quietly, then runs its handler as picking the entry would.
    void setListIndex(QComboBox *list, int index) const;

private:
    std::map<QComboBox *, std::function<void()>> m_handlers;
};
