#include "SubDisp_CommStatus.h"

#include "LinkHealth.h"
#include "LinkHealthText.h"
#include "PLM_INC.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

SubDisp_CommStatus::SubDisp_CommStatus(const LinkHealth &health, QWidget *parent)
    : QDialog(parent), health_(health)
{
    setObjectName(QStringLiteral("SubDisp_CommStatus"));
    setWindowTitle(QStringLiteral("Communication status"));
    const QStringList captions = LinkHealthCaptions();
    Grid = new QTableWidget(LinkHealth::kBlocks, int(captions.size()), this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setAccessibleName(QStringLiteral("Link health of every block"));
    Grid->setHorizontalHeaderLabels(captions);
    Grid->verticalHeader()->hide();
    // Every column as wide as its longest text ("absent", a date and time on one line).
    Grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setWordWrap(false);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionMode(QAbstractItemView::NoSelection);
    for (int r = 0; r < Grid->rowCount(); ++r)
        for (int c = 0; c < Grid->columnCount(); ++c) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(c == 1 || c == 7 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            Grid->setItem(r, c, item);
        }
    auto *close = new QPushButton(QStringLiteral("Return"), this);
    close->setObjectName(QStringLiteral("Command_return"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Grid);
    layout->addWidget(close, 0, Qt::AlignRight);
    refresh();
    resize(860, 600);
    refreshTimer_.setInterval(1000);
    connect(&refreshTimer_, &QTimer::timeout, this, &SubDisp_CommStatus::refresh);
}

void SubDisp_CommStatus::openWindow()
{
    refresh();
    show();
    raise();
}

void SubDisp_CommStatus::refresh()
{
    for (int b = 0; b < Grid->rowCount(); ++b) {
        const QStringList texts = LinkHealthRowTexts(health_, b, PLM_INC::BlockAbsent[b] == 0);
        for (int c = 0; c < texts.size() && c < Grid->columnCount(); ++c)
            Grid->item(b, c)->setText(texts[c]);
    }
}

void SubDisp_CommStatus::showEvent(QShowEvent *event)
{
    refreshTimer_.start();
    QDialog::showEvent(event);
}

void SubDisp_CommStatus::hideEvent(QHideEvent *event)
{
    refreshTimer_.stop();
    QDialog::hideEvent(event);
}
