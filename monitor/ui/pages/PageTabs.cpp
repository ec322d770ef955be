#include "PageTabs.h"

#include <QEvent>
#include <QTabBar>

PageTabs::PageTabs(QWidget *parent) : QTabWidget(parent) {}

PageTabs::Needs PageTabs::needs() const
{
    return {sizeHint(), minimumSizeHint(), tabBar()->sizeHint()};
}

bool PageTabs::event(QEvent *event)
{
    // A hidden tab widget only notes the request (Qt lays it out when shown): let it through.
    if (event->type() == QEvent::LayoutRequest && isVisible()) {
        const Needs now = needs();
        if (m_laidOut && now == m_laidOutFor)
            return true;
        m_laidOutFor = now;
        m_laidOut = true;
    }
    return QTabWidget::event(event);
}
