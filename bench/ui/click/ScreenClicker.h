// Clicks on a window as an operator's mouse does, from the caller's thread (not the window's),
// so that a busy window thread delays the handling of a click and not the moment it was made.
// On xcb the click goes through the X server (XTest on a display connection of its own): the
// server sends the program the motion, press and release it would send for a real mouse, and
// Qt takes them in through its xcb event reader like any other input. Elsewhere (offscreen)
// the press and release are handed to the window's thread as window-system mouse events on
// the QWindow (QTest), which Qt delivers through the same path as a platform's input.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWindow>
#include <cstdint>

class ScreenClicker {
public:
    explicit ScreenClicker(QWindow *window);
    ~ScreenClicker();
    ScreenClicker(const ScreenClicker &) = delete;
    ScreenClicker &operator=(const ScreenClicker &) = delete;

    // False with the reason when no click can be made (no X display, no XTest).
    bool open(QString *why);
    QString path() const;

    // From any thread but the window's: a left click at `local` (window coordinates, for the
    // window-system path) or `global` (screen coordinates, for XTest). Returns the steady
    // clock's nanoseconds taken just before the press was sent.
    int64_t click(QPoint local, QPoint global);

private:
    QPointer<QWindow> window_;
    void *display_ = nullptr; // Display *, xcb only
    bool xtest_ = false;
};

// Nanoseconds of the steady clock, the clock of every figure of the click benchmark.
int64_t steadyNs();
