// For the demo and documentation: with PLM870_SCREENSHOT=<file.png> the program grabs the main
// window to that file once live values have been shown for a few seconds, then ends without
// the closing question. PLM870_SCREENSHOT_TAB=<n> chooses the page first.
#pragma once

#include <QObject>
#include <QString>

class MainDisp;

class ScreenshotOnce : public QObject {
    Q_OBJECT
public:
    // Reads the environment; does nothing when PLM870_SCREENSHOT is not set.
    ScreenshotOnce(MainDisp &window, QObject *parent = nullptr);
    bool active() const { return !m_path.isEmpty(); }
    int exitCode() const { return m_exitCode; }

private:
    void take();
    void giveUp();

    MainDisp &m_window;
    QString m_path;
    int m_tab = -1;
    int m_exitCode = 0;
    bool m_done = false;
};
