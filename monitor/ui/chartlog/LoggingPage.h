// Page 6 "Data logging": the logging frame, Start and Stop, and the line timer. The logger
// (DataLogger) decides; this page shows its controls and hands their clicks to it.
#pragma once

#include "DataLogger.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class WindowHost;

class LoggingPage : public QWidget, public LoggingView {
    Q_OBJECT
public:
    explicit LoggingPage(WindowHost &host);

    // Start, Stop, Browse.
    void Command1_Click(int Index);
    // The operator ticked or cleared "Continue to save data ".
    void Check1_Click();
    // The line writer, every 200 ms while logging runs.
    void Timer1_Timer();

    // The interval and the logged blocks from the stored preferences, and back at closing.
    void restoreChoices();
    void saveChoices();
    // "Continue to save data " as stored; set at program entry, nothing is stored by it.
    void loadContinueChoice();
    // After the first poll of the run: the file name, then Start if logging ran at the close.
    void resume();

    DataLogger &logger() { return m_logger; }

    std::array<QPushButton *, 3> Command1{}; // 0 Start, 1 Stop, 2 Browse..
    QGroupBox *Frame_logging = nullptr;
    QCheckBox *Check1 = nullptr;
    QComboBox *Logging_time = nullptr;
    std::array<QCheckBox *, 16> log_Check1{};
    QLabel *Savename_text = nullptr;
    QTimer *Timer1 = nullptr;

    // --- LoggingView ---
    QString fileName() const override;
    void setFileName(const QString &path) override;
    bool continueFile() const override;
    int intervalIndex() const override;
    void setIntervalIndex(int index) override;
    LoggedBlocks loggedBlocks() const override;
    void setRunning(bool running) override;
    void setLoggingStatus(const QString &text) override;

private:
    WindowHost &m_host;
    DataLogger m_logger;
};
