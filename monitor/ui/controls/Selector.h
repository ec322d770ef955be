// A selector: a drop-down list of the windows. A screen reader meets it by its own name (Qt's
// combo box would be named after its current entry), with the entry as its value and its
// entries as a list (AccessibleControls, SelectorEntries).
#pragma once

#include <QComboBox>

class Selector : public QComboBox {
    Q_OBJECT
public:
    explicit Selector(QWidget *parent = nullptr);

protected:
    // A chosen entry longer than the box ends in "..." instead of being cut mid-letter.
    void paintEvent(QPaintEvent *event) override;
};
