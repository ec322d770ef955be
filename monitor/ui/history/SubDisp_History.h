// "Alarm history": the grid of the last 100 alarm history entries. The window exists for the
// whole run; its grid follows every entry whether it is shown or not, and is rebuilt from the
// history buffer each time the window is opened.
#pragma once

#include <QDialog>
#include <array>

class QPushButton;
class QTableWidget;

class SubDisp_History : public QDialog {
    Q_OBJECT
public:
    // The grid's column layout: four left-aligned columns; the blanks set the widths.
    static const QString kFormat;

    explicit SubDisp_History(QWidget *parent = nullptr);
    ~SubDisp_History() override;

    // The menu "Alarm history(&A)": refill rows 1..100 from the buffer, show without blocking.
    void openFromBuffer();
    void Command1_Click(int Index); // 1 "Clear", 2 "Return"

    // Cell text of grid row 1..101 (row 0 is the header), column 0..3.
    QString cellText(int row, int column) const;

    QTableWidget *MSFlexGrid1 = nullptr;
    std::array<QPushButton *, 3> Command1{}; // 1 "Clear", 2 "Return"

private:
    void Form_Load();
    void setRowFromBuffer(int row);
    void clearRow(int row);
};
