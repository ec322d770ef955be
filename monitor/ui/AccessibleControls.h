// Value fields and selectors as a screen reader meets them. A value field says what it is in
// its name and what it shows in its value and description; a selector keeps its own name
// (Qt's combo box would be named after its current entry) and gives the entry as its value.
#pragma once

#include <QComboBox>
#include <QLabel>

class ValueField : public QLabel {
    Q_OBJECT
public:
    explicit ValueField(QWidget *parent = nullptr);
};

class Selector : public QComboBox {
    Q_OBJECT
public:
    explicit Selector(QWidget *parent = nullptr);

protected:
    // A chosen entry longer than the box ends in "..." instead of being cut mid-letter.
    void paintEvent(QPaintEvent *event) override;
};
