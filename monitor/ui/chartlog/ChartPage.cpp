#include "ChartPage.h"

#include "Controls.h"
#include "Prompter.h"
#include "SubDisp_Chartset.h"
#include "Tobrel_ChartCtl.h"
#include "WindowHost.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using Controls::indexed;

namespace {

// A short stroke in the pen's colour beside its legend, so the legend reads against any
// background whatever the pen's colour.
QLabel *penSwatch(QWidget *parent, int pen)
{
    QPixmap swatch(28, 12);
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Tobrel_ChartCtl::penColor(pen), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3, 6), QPointF(25, 6));
    painter.end();
    auto *label = new QLabel(parent);
    label->setObjectName(indexed(QStringLiteral("Label_protname_swatch"), pen));
    label->setPixmap(swatch);
    return label;
}

} // namespace

ChartPage::ChartPage(WindowHost &host) : m_host(host), m_sampling(*this)
{
    setObjectName(QStringLiteral("Page5"));
    auto *layout = new QVBoxLayout(this);

    Tobrel_ChartCtl1 = new Tobrel_ChartCtl(this);
    Tobrel_ChartCtl1->setObjectName(QStringLiteral("Tobrel_ChartCtl1"));
    // The scale message can come from the resume at start-up: one box of its kind at a time.
    Tobrel_ChartCtl1->setMessageHandler([](const QString &text) { PLM_INC::prompter().message(text, QStringLiteral("chart")); });
    layout->addWidget(Tobrel_ChartCtl1, 1);

    auto *legends = new QHBoxLayout;
    for (int k = 0; k < 4; ++k) {
        legends->addWidget(penSwatch(this, k));
        Label_protname[size_t(k)] = Controls::caption(this, indexed(QStringLiteral("Label_protname"), k), QString());
        Label_protname[size_t(k)]->setAccessibleName(QStringLiteral("Pen %1 legend").arg(k + 1));
        Label_protname[size_t(k)]->setMinimumWidth(150);
        legends->addWidget(Label_protname[size_t(k)]);
    }
    legends->addStretch(1);
    Label_protend = Controls::caption(this, QStringLiteral("Label_protend"), QStringLiteral("Prot end"));
    Label_protend->setStyleSheet(QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
    Label_protend->hide();
    legends->addWidget(Label_protend);
    layout->addLayout(legends);

    auto *buttons = new QHBoxLayout;
    const char *texts[3] = {"Start", "Stop", "Chart condition setting"};
    for (int i = 0; i < 3; ++i) {
        ChartStart[size_t(i)] = Controls::button(this, indexed(QStringLiteral("ChartStart"), i), QString::fromLatin1(texts[i]),
                                                 i < 2 ? QStringLiteral("Chart ") + QString::fromLatin1(texts[i]) : QString());
        buttons->addWidget(ChartStart[size_t(i)]);
        connect(ChartStart[size_t(i)], &QPushButton::clicked, this, [this, i] { ChartStart_Click(i); });
    }
    // Start and Stop wait for the first confirmed setup or a resumed chart.
    ChartStart[0]->setEnabled(false);
    ChartStart[1]->setEnabled(false);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    connect(Timer2, &QTimer::timeout, this, &ChartPage::Timer2_Timer);

    subDispChartset = new SubDisp_Chartset(host, m_sampling);
}

void ChartPage::ChartStart_Click(int Index)
{
    switch (Index) {
    case 0:
        m_sampling.start();
        break;
    case 1:
        m_sampling.stop();
        break;
    case 2:
        m_host.SetNameLists(1);
        subDispChartset->show();
        subDispChartset->raise();
        subDispChartset->activateWindow();
        break;
    default:
        break;
    }
}

void ChartPage::Timer2_Timer()
{
    m_sampling.sample();
}

void ChartPage::LoadChartSettings()
{
    m_sampling.load();
}

void ChartPage::resume()
{
    m_sampling.resume();
}

// --- ChartView ---

void ChartPage::startChart(const ChartSettings &s, const QString &startTime)
{
    Tobrel_ChartCtl *c = Tobrel_ChartCtl1;
    c->setSclMax(s.ChartMax);
    c->setSclMin(s.ChartMin);
    for (int k = 0; k < 4; ++k)
        c->setG_Vis(k, s.ChartPenItem[size_t(k)]);
    c->setStartTim(startTime);
    c->setCountTim(s.ChartTime);
    c->setStartflg(true);
}

void ChartPage::stopChart()
{
    Tobrel_ChartCtl1->setStartflg(false);
}

void ChartPage::plotPoint(const PenValues &values, int point)
{
    for (int k = 0; k < 4; ++k)
        if (values[size_t(k)])
            Tobrel_ChartCtl1->setG_Val(k, *values[size_t(k)]);
    Tobrel_ChartCtl1->setProtterNo(qint16(point));
}

void ChartPage::setLegend(int pen, const QString &text)
{
    Label_protname.at(size_t(pen))->setText(text);
}

void ChartPage::setLegendEnabled(int pen, bool enabled)
{
    Label_protname.at(size_t(pen))->setEnabled(enabled);
}

void ChartPage::setChartButtonEnabled(int index, bool enabled)
{
    ChartStart.at(size_t(index))->setEnabled(enabled);
}

void ChartPage::setProtEndVisible(bool visible)
{
    Label_protend->setVisible(visible);
}

void ChartPage::setSampling(bool on, int intervalMs)
{
    if (on) {
        Timer2->setInterval(intervalMs);
        Timer2->start();
    } else {
        Timer2->stop();
    }
}

void ChartPage::setChartStatus(const QString &text)
{
    m_host.setStatusPanel(3, text);
}
