// The rows of the change record window: the reader's rows that the filter keeps, newest first,
// with the texts the file holds.
#pragma once

#include "ChangeRecordReader.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class ChangeRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ChangeRowsModel(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    // Shows the rows of `reader` at `shown` (indexes into the reader's rows); the reader stays
    // with the caller and must outlive the rows shown.
    void show(const PLM_INC::ChangeRecordReader &reader, std::vector<int> shown);
    // Adds rows after those shown (older ones, read later).
    void append(const std::vector<int> &more);
    // The row's texts, read from the file's bytes when asked (the last one asked is kept).
    const PLM_INC::ChangeRow &changeRow(int row) const;

    static QStringList columnTitles();
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const PLM_INC::ChangeRecordReader *m_reader = nullptr;
    std::vector<int> m_shown;
    mutable int m_cachedIndex = -1; // the reader's row in m_cached
    mutable PLM_INC::ChangeRow m_cached;
};
