// The opening screen: title, "Wait for a moment.", an image and the progress of the start-up
// read. Closed by the link start-up.
#pragma once

#include <QWidget>

class QProgressBar;

class OpeningScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStartupSteps = 608;

    explicit OpeningScreen(QWidget *parent = nullptr);
    // Shows the screen and draws it at once, before the next step of the start-up.
    void showNow();
    // Moves the progress bar and repaints it at once (the start-up read runs inside one tick).
    void setProgress(int count);

    QProgressBar *ProgressBar1 = nullptr;
};
