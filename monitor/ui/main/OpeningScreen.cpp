#include "OpeningScreen.h"

#include "Controls.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

// A drawn emblem: a controller front with a trend line, so the screen needs no image file.
QPixmap emblem()
{
    QPixmap pix(220, 110);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 60), 2));
    p.setBrush(QColor(225, 230, 240));
    p.drawRoundedRect(QRectF(4, 4, 212, 102), 8, 8);
    p.setBrush(QColor(20, 40, 30));
    p.drawRect(QRectF(16, 16, 120, 78));
    p.setPen(QPen(QColor(0, 230, 90), 2));
    const QPointF trend[] = {{20, 80}, {40, 74}, {60, 52}, {80, 40}, {100, 36}, {120, 38}, {132, 37}};
    p.drawPolyline(trend, 7);
    const QColor lamps[] = {QColor(0, 192, 0), QColor(255, 255, 0), QColor(255, 0, 0)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(lamps[i]);
        p.drawEllipse(QRectF(156, 20 + i * 26, 16, 16));
    }
    return pix;
}

} // namespace

OpeningScreen::OpeningScreen(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("OpeningScreen"));
    setWindowTitle(QStringLiteral("PLM-870 Monitoring Software"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    auto *title = Controls::caption(this, QStringLiteral("OpeningScreen_title"), QStringLiteral("PLM-870 Monitoring Software"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("OpeningScreen_image"));
    image->setPixmap(emblem());
    image->setAlignment(Qt::AlignCenter);
    layout->addWidget(image);
    auto *wait = Controls::caption(this, QStringLiteral("OpeningScreen_wait"), QStringLiteral("Wait for a moment."));
    wait->setAlignment(Qt::AlignCenter);
    layout->addWidget(wait);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("OpeningScreen_ProgressBar1"));
    ProgressBar1->setAccessibleName(QStringLiteral("Start-up read progress"));
    ProgressBar1->setRange(0, kStartupSteps);
    ProgressBar1->setValue(0);
    layout->addWidget(ProgressBar1);
    setMinimumWidth(420);
}

void OpeningScreen::showNow()
{
    show();
    raise();
    repaint();
}

void OpeningScreen::setProgress(int count)
{
    ProgressBar1->setValue(qBound(0, count, kStartupSteps));
    ProgressBar1->repaint();
}
