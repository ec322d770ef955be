#include "SelectorHandlers.h"

#include <QComboBox>
#include <QSignalBlocker>

void SelectorHandlers::add(QComboBox *list, QObject *context, std::function<void()> handler)
{
    m_handlers[list] = handler;
    QObject::connect(list, &QComboBox::activated, context, [handler] { handler(); });
}

void SelectorHandlers::setListIndex(QComboBox *list, int index) const
{
    {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index);
    }
    const auto handler = m_handlers.find(list);
    if (handler != m_handlers.end())
        handler->second();
}
