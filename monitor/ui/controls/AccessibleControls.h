// Value fields and selectors as a screen reader meets them. A value field says what it is in
// its name and what it shows in its value and description; a selector keeps its own name
// (Qt's combo box would be named after its current entry), gives the entry as its value, and
// lists its entries (in the box and in its open popup) with the current one selected.
// A value field also carries its stale mark (greyed while its block does not answer).
#pragma once

#include <QComboBox>
#include <QLabel>

class ValueField : public QLabel {
    Q_OBJECT
public:
    explicit ValueField(QWidget *parent = nullptr);

    // The page refresh sets this after every poll step: it costs nothing unless the mark
    // changes, and then the field is drawn again (ValueFieldLook.cpp).
    void setStale(bool stale);
    bool isStale() const { return m_stale; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyLook();
    bool m_stale = false;
};

class Selector : public QComboBox {
    Q_OBJECT
public:
    explicit Selector(QWidget *parent = nullptr);

protected:
    // A chosen entry longer than the box ends in "..." instead of being cut mid-letter.
    void paintEvent(QPaintEvent *event) override;
};
