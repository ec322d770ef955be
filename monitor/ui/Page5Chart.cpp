// Page 5 "Chart": the trend chart area, its buttons and the four pen legends. The chart's
// behaviour and the chart control come with the chart setup.
#include "Controls.h"
#include "MainDisp.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Controls::indexed;

QWidget *MainDisp::buildPage5Chart()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Page5"));
    auto *layout = new QVBoxLayout(page);

    Chart_area = new QFrame(page);
    Chart_area->setObjectName(QStringLiteral("Chart_area"));
    Chart_area->setAccessibleName(QStringLiteral("Trend chart"));
    Chart_area->setFrameShape(QFrame::Panel);
    Chart_area->setFrameShadow(QFrame::Sunken);
    Chart_area->setMinimumSize(640, 400);
    auto *chartLayout = new QVBoxLayout(Chart_area);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart_area, 1);

    auto *legends = new QHBoxLayout;
    const QColor penColors[4] = {QColor(255, 0, 0), QColor(0, 160, 0), QColor(0, 0, 255), QColor(200, 0, 200)};
    for (int k = 0; k < 4; ++k) {
        Label_protname[size_t(k)] = Controls::caption(page, indexed(QStringLiteral("Label_protname"), k), QString());
        Label_protname[size_t(k)]->setAccessibleName(QStringLiteral("Pen %1 legend").arg(k + 1));
        Label_protname[size_t(k)]->setMinimumWidth(140);
        Label_protname[size_t(k)]->setStyleSheet(QStringLiteral("QLabel { color: %1; font-weight: bold; }").arg(penColors[k].name()));
        legends->addWidget(Label_protname[size_t(k)]);
    }
    legends->addStretch(1);
    Label_protend = Controls::caption(page, QStringLiteral("Label_protend"), QStringLiteral("Prot end"));
    Label_protend->hide();
    legends->addWidget(Label_protend);
    layout->addLayout(legends);

    auto *buttons = new QHBoxLayout;
    const char *texts[3] = {"Start", "Stop", "Chart condition setting"};
    for (int i = 0; i < 3; ++i) {
        ChartStart[size_t(i)] = Controls::button(page, indexed(QStringLiteral("ChartStart"), i), QString::fromLatin1(texts[i]),
                                                 i < 2 ? QStringLiteral("Chart ") + QString::fromLatin1(texts[i]) : QString());
        buttons->addWidget(ChartStart[size_t(i)]);
    }
    ChartStart[0]->setEnabled(false);
    ChartStart[1]->setEnabled(false);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return page;
}
