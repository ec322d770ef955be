// A value field: a sunken white box whose text the page refresh sets. A screen reader meets it
// as a named static text whose value and description are the shown text (AccessibleControls).
// It also carries its stale mark (greyed while its block does not answer).
#pragma once

#include <QLabel>

class ValueField : public QLabel {
    Q_OBJECT
public:
    explicit ValueField(QWidget *parent = nullptr);

    // The page refresh sets this after every poll step: it costs nothing unless the mark
    // changes, and then the field is drawn again.
    void setStale(bool stale);
    bool isStale() const { return m_stale; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyLook();
    bool m_stale = false;
};
