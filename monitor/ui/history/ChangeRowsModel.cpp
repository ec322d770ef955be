#include "ChangeRowsModel.h"

#include "PLM_INC.h"

using namespace PLM_INC;

namespace {
enum Column { kTime, kBlock, kChannel, kItem, kBefore, kAfter, kOrigin, kWho, kOutcome, kColumnCount };
}

void ChangeRowsModel::show(const ChangeRecordReader &reader, std::vector<int> shown)
{
    beginResetModel();
    m_reader = &reader;
    m_shown = std::move(shown);
    m_cachedIndex = -1;
    endResetModel();
}

void ChangeRowsModel::append(const std::vector<int> &more)
{
    if (more.empty())
        return;
    beginInsertRows(QModelIndex(), int(m_shown.size()), int(m_shown.size() + more.size()) - 1);
    m_shown.insert(m_shown.end(), more.begin(), more.end());
    endInsertRows();
}

const ChangeRow &ChangeRowsModel::changeRow(int row) const
{
    const int index = m_shown[size_t(row)];
    if (index != m_cachedIndex) {
        m_cached = m_reader->row(size_t(index));
        m_cachedIndex = index;
    }
    return m_cached;
}

QStringList ChangeRowsModel::columnTitles()
{
    return {QStringLiteral("Time"),   QStringLiteral("Block"),  QStringLiteral("Channel"),
            QStringLiteral("Item"),   QStringLiteral("Before"), QStringLiteral("After"),
            QStringLiteral("Origin"), QStringLiteral("Who"),    QStringLiteral("Outcome")};
}

QString ChangeRowsModel::cellText(int row, int column) const
{
    const ChangeRow &r = changeRow(row);
    const SettingChange &c = r.change;
    switch (column) {
    case kTime:
        return r.stamp;
    case kBlock:
        return c.channel < 0 ? QString() : QString::number(c.channel / kChannelsPerBlock + 1);
    case kChannel:
        return c.channel < 0 ? QString() : QString::number(c.channel + 1);
    case kItem:
        return r.itemName;
    case kBefore:
        return c.before;
    case kAfter:
        return c.after;
    case kOrigin:
        return RecordedOriginText(c);
    case kWho:
        return c.user;
    case kOutcome:
        return WriteOutcomeText(c.outcome);
    default:
        return QString();
    }
}

int ChangeRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int ChangeRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ChangeRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return cellText(index.row(), index.column());
    if (role == Qt::ToolTipRole && index.column() == kItem)
        return changeRow(index.row()).change.item; // the item code, which tells 0009 from 000A
    return QVariant();
}

QVariant ChangeRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnCount)
        return columnTitles()[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}
