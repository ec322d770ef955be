// "Change record": the record of setting changes, newest first, with filters by block, channel,
// item, origin and date range; "Copy" puts the selected rows on the clipboard as tab-separated
// text, "Verify" checks the hash chain of the files the rows come from. The record is read
// each time the window is opened and by "Read again".
#pragma once

#include "ChangeRecordReader.h"

#include <QDialog>

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

    // The menu entry: reads the record, shows the window without blocking.
    void openWindow();
    void readRecord();
    void applyFilter();
    // The selected rows, a line each (the column titles first), fields separated by tabs.
    QString selectedText() const;
    void copySelection();
    void verifyFiles();
    PLM_INC::ChangeFilter filter() const;

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

    QString m_folder;
    PLM_INC::ChangeRecordReader m_reader;
    ChangeRowsModel *m_model = nullptr;
    QString m_readProblem;
};
