// "Chart condition setting": the value range and the plot time, and for each of the four pens
// a channel and the kind of value to plot. OK hands the choice to the chart sampling, which
// stores it; Cancel changes nothing. Not modal.
#pragma once

#include <QDialog>
#include <array>

class ChartSampling;
class WindowHost;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

class SubDisp_Chartset : public QDialog {
    Q_OBJECT
public:
    SubDisp_Chartset(WindowHost &host, ChartSampling &sampling);

    // Each time the window comes to the front it shows the chart settings in force.
    void Form_Activate();
    // An up-down moved: the range bottom (0), top (1) or the plot time (2).
    void UpDown1_Change(int Index);
    // OK (0), Cancel (1).
    void Command1_Click(int Index);

    // The three up-downs with their text fields: 0 range bottom, 1 range top, 2 plot time.
    std::array<QSpinBox *, 3> UpDown1{};
    QString Text1(int index) const;
    std::array<QComboBox *, 4> Chart_CHName{};
    std::array<QRadioButton *, 4> Plot1_Option{};
    std::array<QRadioButton *, 4> Plot2_Option{};
    std::array<QRadioButton *, 4> Plot3_Option{};
    std::array<QRadioButton *, 4> Plot4_Option{};
    std::array<QRadioButton *, 4> &Plot_Option(int pen);
    std::array<QGroupBox *, 4> Plot_Frame{};
    std::array<QPushButton *, 2> Command1{};

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    WindowHost &m_host;
    ChartSampling &m_sampling;
};
