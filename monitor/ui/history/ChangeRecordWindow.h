// "Change record": the record of setting changes, newest first, with filters by block, channel,
// item, origin and date range; "Copy" puts the selected rows on the clipboard as tab-separated
// text, "Verify" checks the hash chain of every file of the folder. The record is read each
// time the window is opened and by "Read again", a month at a time, newest first, on a thread
// of its own: the newest rows show at once and the window answers while the rest is read.
// "Verify" runs on a thread of its own too, with its progress shown.
#pragma once

#include "ChangeRecordReader.h"

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class ChangeRowsModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;

class ChangeRecordWindow : public QDialog {
    Q_OBJECT
public:
    // An empty folder: the data folder's "changes" folder, found when the window opens.
    explicit ChangeRecordWindow(const QString &folder = QString(), QWidget *parent = nullptr);
    ~ChangeRecordWindow() override;

    // The menu entry: reads the record, shows the window without blocking.
    void openWindow();
    void readRecord();
    void applyFilter();
    // The selected rows, a line each (the column titles first), fields separated by tabs.
    QString selectedText() const;
    void copySelection();
    void verifyFiles();
    PLM_INC::ChangeFilter filter() const;
    // Whether the record is still being read, or checked.
    bool reading() const { return m_reading; }
    bool verifying() const { return m_verifying; }

    QComboBox *Block_filter = nullptr;
    QComboBox *Channel_filter = nullptr;
    QComboBox *Item_filter = nullptr;
    QComboBox *Origin_filter = nullptr;
    QCheckBox *Date_filter = nullptr;
    QDateEdit *From_date = nullptr;
    QDateEdit *To_date = nullptr;
    QTableView *Changes_table = nullptr;
    QLabel *Result_label = nullptr;
    QPushButton *Command_read = nullptr;
    QPushButton *Command_copy = nullptr;
    QPushButton *Command_verify = nullptr;
    QPushButton *Command_close = nullptr;

private:
    void fillChannelList();
    QString folder() const;
    void stopWork();
    // Runs `call` on the window's thread unless a newer read or check began meanwhile (any thread).
    void postIfCurrent(int generation, std::function<void()> call);
    void partRead(const std::shared_ptr<PLM_INC::ChangeFilePart> &part, int done, int total);
    void readingDone();
    void showCounts();

    QString m_folder;
    PLM_INC::ChangeRecordReader m_reader;
    ChangeRowsModel *m_model = nullptr;
    QString m_readProblem;
    bool m_reading = false;
    bool m_verifying = false;
    QString m_progress;                              // "Reading the record: 3 of 200 months read."
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false); // the running read's and check's
    int m_generation = 0;                            // of the read and check running: what an older one posted is dropped
    std::thread m_reader_thread;
    std::thread m_verify_thread;
};
