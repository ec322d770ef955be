// The main window's page tabs. A value that changes on a page asks for a new layout, and Qt
// passes that request up to the tabs, which lay themselves out again and repaint the whole
// window. The page itself is laid out again as always; the tabs (and the window around them)
// only when what they lay out changed: their own size needs or the tab bar's. So a new value
// repaints its own field and not the window.
#pragma once

#include <QSize>
#include <QTabWidget>

class PageTabs : public QTabWidget {
    Q_OBJECT
public:
    explicit PageTabs(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;

private:
    struct Needs {
        QSize hint;
        QSize least;
        QSize bar;
        bool operator==(const Needs &o) const { return hint == o.hint && least == o.least && bar == o.bar; }
    };
    Needs needs() const;

    Needs m_laidOutFor;
    bool m_laidOut = false;
};
