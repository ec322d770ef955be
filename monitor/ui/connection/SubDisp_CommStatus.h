// "Communication status": the link health of every block, refreshed every second while shown.
#pragma once

#include <QDialog>
#include <QTimer>

class LinkHealth;
class QTableWidget;

class SubDisp_CommStatus : public QDialog {
    Q_OBJECT
public:
    SubDisp_CommStatus(const LinkHealth &health, QWidget *parent = nullptr);

    void openWindow(); // the menu entry: fill, show without blocking
    void refresh();

    QTableWidget *Grid = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    const LinkHealth &health_;
    QTimer refreshTimer_;
};
