// Data logging: Start, Stop and Browse of the logging frame, the line writer of its 200 ms
// timer, the "Continue to save data " choice and the resume after a restart. The frame's
// controls stay in the window, which shows what the logger decides through LoggingView.
#pragma once

#include "LogColumns.h"
#include "LogSchedule.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <memory>

class LoggingView {
public:
    virtual ~LoggingView() = default;
    // The file name label (`Savename_text`).
    virtual QString fileName() const = 0;
    virtual void setFileName(const QString &path) = 0;
    // "Continue to save data " (`Check1`).
    virtual bool continueFile() const = 0;
    // The interval list (`Logging_time`); setIntervalIndex puts an unlisted index right.
    virtual int intervalIndex() const = 0;
    virtual void setIntervalIndex(int index) = 0;
    // The block boxes (`log_Check1`).
    virtual LoggedBlocks loggedBlocks() const = 0;
    // Running: the line timer on, Start and the frame disabled; standby the other way round.
    virtual void setRunning(bool running) = 0;
    // Status panel 2.
    virtual void setLoggingStatus(const QString &text) = 0;
};

class DataLogger {
public:
    explicit DataLogger(LoggingView &view);
    DataLogger(const DataLogger &) = delete;
    DataLogger &operator=(const DataLogger &) = delete;

    bool running() const { return m_running; }
    const LogSchedule &schedule() const { return m_schedule; }
    // Dates and times are written as this locale writes them; the system's unless set.
    void setLocale(const QLocale &locale) { m_locale = locale; }

    // `Command1` index 0: Start.
    void start();
    // `Command1` index 1: Stop; nothing happens while in standby.
    void stop();
    // `Command1` index 2: Browse. A cancelled dialog keeps the name there was.
    void browse();
    // The `Timer1` tick: writes a line when one is due.
    void lineWriterTick();
    // A click on `Check1`: the choice is stored, with the file name when it is checked.
    void continueClicked(bool checked);
    // After the first poll of a run: the file name (the stored one when the operator asked to
    // continue it, else a new one), then Start when logging ran at the last close.
    void resume();

    // `LogTimeSet`: interval from the list, LogNowTime = now, next line one interval on.
    void LogTimeSet();

    static QString cannotWriteText();

private:
    void logTimeSetAt(const QTime &now);
    QByteArray lineAt(const QDateTime &at) const;
    // The program's text, then what failed with the system's reason.
    void reportCannotWrite(const QString &why);

    LoggingView &m_view;
    LogSchedule m_schedule;
    QLocale m_locale = QLocale::system();
    bool m_running = false;
    // Failures of lines still on their way reach the logger only while it exists.
    std::shared_ptr<DataLogger *> m_self = std::make_shared<DataLogger *>(this);
};
