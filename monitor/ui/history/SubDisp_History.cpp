#include "SubDisp_History.h"

#include "AlarmHistory.h"
#include "Controls.h"
#include "PLM_INC.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int kGridRows = PLM_INC::kHistoryRows + 1; // rows 1..101 below the header
}

const QString SubDisp_History::kFormat =
    QStringLiteral("<Date         |<Time          |<Channel         |<Contain") + QString(87, QLatin1Char(' '));

SubDisp_History::SubDisp_History(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SubDisp_History"));
    setWindowTitle(QStringLiteral("Alarm history"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    MSFlexGrid1 = new QTableWidget(kGridRows, 4, this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setAccessibleName(QStringLiteral("Alarm history entries"));
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(20);
    layout->addWidget(MSFlexGrid1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1[1] = Controls::button(this, Controls::indexed(QStringLiteral("Command1"), 1), QStringLiteral("Clear"));
    Command1[2] = Controls::button(this, Controls::indexed(QStringLiteral("Command1"), 2), QStringLiteral("Return"));
    buttons->addWidget(Command1[1]);
    buttons->addWidget(Command1[2]);
    layout->addLayout(buttons);
    connect(Command1[1], &QPushButton::clicked, this, [this] { Command1_Click(1); });
    connect(Command1[2], &QPushButton::clicked, this, [this] { Command1_Click(2); });

    Form_Load();
    setHistoryListener([this](int filledRow, int clearedRow) {
        setRowFromBuffer(filledRow);
        clearRow(clearedRow);
    });
}

SubDisp_History::~SubDisp_History()
{
    setHistoryListener({});
}

// The format string: columns separated by "|", "<" aligns left; a column is as wide as its
// text with the blanks that follow it.
void SubDisp_History::Form_Load()
{
    const QStringList columns = kFormat.split(QLatin1Char('|'));
    const QFontMetrics metrics(MSFlexGrid1->font());
    const int charWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    QStringList headers;
    for (int c = 0; c < columns.size() && c < 4; ++c) {
        QString column = columns[c];
        if (column.startsWith(QLatin1Char('<')))
            column.remove(0, 1);
        headers << column.trimmed();
        MSFlexGrid1->setColumnWidth(c, charWidth * int(column.size()) + 8);
    }
    // The content column as wide as its longest text, and the window wide enough to show all
    // four columns whole.
    int longest = 0;
    for (const char *kind : {"Alarm1", "Alarm2", "HB", "LP", "UPS", "DOWNS", "NAK", "CHKSUM"})
        for (bool state : {true, false})
            longest = qMax(longest, metrics.horizontalAdvance(HistoryContentText(QString::fromLatin1(kind), state)));
    MSFlexGrid1->setColumnWidth(3, longest + 2 * charWidth);
    // A channel name has up to 12 characters, wide ones included.
    MSFlexGrid1->setColumnWidth(2, qMax(MSFlexGrid1->columnWidth(2), metrics.horizontalAdvance(QString(12, QLatin1Char('W'))) + charWidth));
    MSFlexGrid1->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < 4; ++c)
        MSFlexGrid1->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    MSFlexGrid1->horizontalHeader()->setStretchLastSection(true);
    int gridWidth = MSFlexGrid1->verticalHeader()->sizeHint().width() + MSFlexGrid1->verticalScrollBar()->sizeHint().width()
                    + 2 * MSFlexGrid1->frameWidth();
    for (int c = 0; c < 4; ++c)
        gridWidth += MSFlexGrid1->columnWidth(c);
    const QMargins margins = layout()->contentsMargins();
    resize(gridWidth + margins.left() + margins.right(), 420);
}

QString SubDisp_History::cellText(int row, int column) const
{
    const QTableWidgetItem *item = MSFlexGrid1->item(row - 1, column);
    return item ? item->text() : QString();
}

void SubDisp_History::setRowFromBuffer(int row)
{
    if (row < 1 || row > PLM_INC::kHistoryRows)
        return;
    for (int c = 0; c < 4; ++c) {
        const QString text = PLM_INC::HistoryBuffer[row - 1][c];
        QTableWidgetItem *item = MSFlexGrid1->item(row - 1, c);
        if (item)
            item->setText(text);
        else
            MSFlexGrid1->setItem(row - 1, c, new QTableWidgetItem(text));
    }
}

void SubDisp_History::clearRow(int row)
{
    if (row < 1 || row > kGridRows)
        return;
    for (int c = 0; c < 4; ++c)
        if (QTableWidgetItem *item = MSFlexGrid1->item(row - 1, c))
            item->setText(QString());
}

void SubDisp_History::openFromBuffer()
{
    for (int row = 1; row <= PLM_INC::kHistoryRows; ++row)
        setRowFromBuffer(row);
    show();
    raise();
}

void SubDisp_History::Command1_Click(int Index)
{
    if (Index == 1) {
        ClearHistory();
        for (int row = 1; row <= PLM_INC::kHistoryRows; ++row)
            clearRow(row);
    } else if (Index == 2) {
        hide();
    }
}
