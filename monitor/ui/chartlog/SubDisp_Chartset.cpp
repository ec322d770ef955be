#include "SubDisp_Chartset.h"

#include "ChartSampling.h"
#include "Controls.h"
#include "WindowHost.h"
#include "Preferences.h"
#include "ValueText.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

using Controls::indexed;

namespace {

const char *const kKindCaptions[] = {"Plot not indicated", "Process variable", "Main setting value",
                                     "Output manipulating value"};

QSpinBox *upDown(QWidget *parent, int index, int low, int high, int step, int initial, const QString &accessible)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(indexed(QStringLiteral("UpDown1"), index));
    box->setAccessibleName(accessible);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setValue(initial);
    // A typed value counts once it is complete, not at every keystroke.
    box->setKeyboardTracking(false);
    box->setAlignment(Qt::AlignRight);
    return box;
}

} // namespace

SubDisp_Chartset::SubDisp_Chartset(WindowHost &host, ChartSampling &sampling)
    : QDialog(host.hostWindow()), m_host(host), m_sampling(sampling)
{
    setObjectName(QStringLiteral("SubDisp_Chartset"));
    setWindowTitle(QStringLiteral("Chart condition setting"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);

    auto *range = new QHBoxLayout;
    range->addWidget(Controls::caption(this, QStringLiteral("Label_range"), QStringLiteral("Temperature range(Y axis)")));
    UpDown1[0] = upDown(this, 0, kChartRangeLowest, kChartRangeHighest, kChartRangeStep, 0, QStringLiteral("Range bottom"));
    UpDown1[1] = upDown(this, 1, kChartRangeLowest, kChartRangeHighest, kChartRangeStep, 400, QStringLiteral("Range top"));
    UpDown1[2] = upDown(this, 2, kChartTimeLowest, kChartTimeHighest, 1, 5, QStringLiteral("Plot time in seconds"));
    range->addWidget(UpDown1[0]);
    range->addWidget(Controls::caption(this, QStringLiteral("Label_to"), QStringLiteral("to")));
    range->addWidget(UpDown1[1]);
    range->addSpacing(24);
    range->addWidget(Controls::caption(this, QStringLiteral("Label_plottime"), QStringLiteral("Plot time")));
    range->addWidget(UpDown1[2]);
    range->addWidget(Controls::caption(this, QStringLiteral("Label_sec"), QStringLiteral("SEC")));
    range->addStretch(1);
    layout->addLayout(range);

    auto *pens = new QGridLayout;
    for (int k = 0; k < 4; ++k) {
        const QString plot = QStringLiteral("Plot%1").arg(k + 1);
        pens->addWidget(Controls::caption(this, indexed(QStringLiteral("Label_plot"), k), plot + QLatin1Char(':')), k, 0);
        Chart_CHName[size_t(k)] = Controls::selector(this, indexed(QStringLiteral("Chart_CHName"), k), plot + QStringLiteral(" channel"));
        Chart_CHName[size_t(k)]->setMinimumContentsLength(12);
        pens->addWidget(Chart_CHName[size_t(k)], k, 1);
        Plot_Frame[size_t(k)] = new QGroupBox(plot + QStringLiteral(" item selection"), this);
        Plot_Frame[size_t(k)]->setObjectName(indexed(QStringLiteral("Plot_Frame"), k));
        auto *options = new QHBoxLayout(Plot_Frame[size_t(k)]);
        auto *group = new QButtonGroup(Plot_Frame[size_t(k)]);
        for (int i = 0; i < 4; ++i) {
            auto *option = new QRadioButton(QString::fromLatin1(kKindCaptions[i]), Plot_Frame[size_t(k)]);
            option->setObjectName(indexed(plot + QStringLiteral("_Option"), i));
            option->setAccessibleName(plot + QLatin1Char(' ') + QString::fromLatin1(kKindCaptions[i]));
            group->addButton(option, i);
            options->addWidget(option);
            Plot_Option(k)[size_t(i)] = option;
        }
        pens->addWidget(Plot_Frame[size_t(k)], k, 2);
        m_host.nameListPeers().Chart_CHName[size_t(k)] = Chart_CHName[size_t(k)];
    }
    pens->setColumnStretch(2, 1);
    layout->addLayout(pens);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1[0] = Controls::button(this, indexed(QStringLiteral("Command1"), 0), QStringLiteral("OK"));
    Command1[1] = Controls::button(this, indexed(QStringLiteral("Command1"), 1), QStringLiteral("Cancel"));
    buttons->addWidget(Command1[0]);
    buttons->addWidget(Command1[1]);
    layout->addLayout(buttons);

    for (int i = 0; i < 3; ++i)
        connect(UpDown1[size_t(i)], qOverload<int>(&QSpinBox::valueChanged), this, [this, i] { UpDown1_Change(i); });
    for (int i = 0; i < 2; ++i)
        connect(Command1[size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
}

std::array<QRadioButton *, 4> &SubDisp_Chartset::Plot_Option(int pen)
{
    switch (pen) {
    case 0:
        return Plot1_Option;
    case 1:
        return Plot2_Option;
    case 2:
        return Plot3_Option;
    default:
        return Plot4_Option;
    }
}

QString SubDisp_Chartset::Text1(int index) const
{
    return UpDown1.at(size_t(index))->text();
}

void SubDisp_Chartset::showEvent(QShowEvent *event)
{
    Form_Activate();
    QDialog::showEvent(event);
}

void SubDisp_Chartset::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void SubDisp_Chartset::Form_Activate()
{
    const ChartSettings &s = m_sampling.settings;
    const int values[3] = {s.ChartMin, s.ChartMax, s.ChartTime};
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker blocker(UpDown1[size_t(i)]);
        UpDown1[size_t(i)]->setValue(values[i]);
    }
    for (int k = 0; k < 4; ++k) {
        const QSignalBlocker blocker(Chart_CHName[size_t(k)]);
        Chart_CHName[size_t(k)]->setCurrentIndex(s.ChartPenChannel[size_t(k)]);
        const int kind = s.ChartPenItem[size_t(k)];
        if (kind >= 0 && kind < 4)
            Plot_Option(k)[size_t(kind)]->setChecked(true);
    }
}

void SubDisp_Chartset::UpDown1_Change(int Index)
{
    if (Index > 1)
        return;
    const ChartRange r = KeepRangeOpen(Index, {UpDown1[0]->value(), UpDown1[1]->value()});
    const QSignalBlocker bottom(UpDown1[0]);
    const QSignalBlocker top(UpDown1[1]);
    UpDown1[0]->setValue(r.bottom);
    UpDown1[1]->setValue(r.top);
}

void SubDisp_Chartset::Command1_Click(int Index)
{
    if (Index == 0) {
        ChartSettings chosen;
        chosen.ChartMin = int16_t(UpDown1[0]->value());
        chosen.ChartMax = int16_t(UpDown1[1]->value());
        chosen.ChartTime = int16_t(UpDown1[2]->value());
        std::array<QString, kChartPens> names;
        for (int k = 0; k < kChartPens; ++k) {
            const int channel = PLM_INC::ListIndexOrZero(Chart_CHName[size_t(k)]->currentIndex());
            chosen.ChartPenChannel[size_t(k)] = int16_t(channel);
            names[size_t(k)] = Chart_CHName[size_t(k)]->currentIndex() >= 0 ? Chart_CHName[size_t(k)]->currentText()
                                                                            : Prefs::channelName(channel);
            int kind = 0;
            for (int i = 0; i < 4; ++i)
                if (Plot_Option(k)[size_t(i)]->isChecked())
                    kind = i;
            chosen.ChartPenItem[size_t(k)] = uint8_t(kind);
        }
        m_sampling.confirm(chosen, names);
    }
    hide();
}
