#include "SelectorEntries.h"

#include <QAbstractItemView>
#include <QComboBox>

namespace {

// One entry of the list: read from the box each time it is asked.
class SelectorEntryAccessible : public QAccessibleInterface {
public:
    SelectorEntryAccessible(const SelectorEntriesAccessible *list, int row) : m_list(list), m_row(row) {}

    bool isValid() const override { return m_list->isValid() && m_list->box() && m_row < m_list->box()->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_list->window(); }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return const_cast<SelectorEntriesAccessible *>(m_list); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return QString();
        return m_list->box()->itemText(m_row);
    }

    // Where the entry is on the screen; empty while the list is closed or the entry is
    // scrolled out of its visible part, where no click could reach it.
    QRect rect() const override
    {
        const QRect r = rectInViewport();
        if (r.isEmpty())
            return QRect();
        QAbstractItemView *view = m_list->view();
        return QRect(view->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool open = m_list->view() && m_list->view()->isVisible();
        s.selectable = true;
        s.focusable = true;
        // A closed list, or an entry scrolled out of the open list's visible part, is not on
        // the screen.
        s.invisible = !open || rectInViewport().isEmpty();
        s.offscreen = s.invisible;
        s.selected = m_row == m_list->selectedRow();
        s.focused = open && s.selected;
        return s;
    }

private:
    QRect rectInViewport() const
    {
        QAbstractItemView *view = m_list->view();
        if (!isValid() || !view || !view->isVisible())
            return QRect();
        const QRect r = view->visualRect(view->model()->index(m_row, m_list->box()->modelColumn(), view->rootIndex()));
        return r.intersected(view->viewport()->rect());
    }

    const SelectorEntriesAccessible *m_list;
    int m_row;
};

} // namespace

QComboBox *SelectorOfListView(QObject *object)
{
    // The view sits in the popup frame, whose parent is the box. The selector is known by its
    // class name, as the accessibility factory knows it.
    QObject *frame = object ? object->parent() : nullptr;
    QObject *owner = frame ? frame->parent() : nullptr;
    auto *box = owner && owner->inherits("Selector") ? qobject_cast<QComboBox *>(owner) : nullptr;
    return box && box->view() == object ? box : nullptr;
}

SelectorEntriesAccessible::SelectorEntriesAccessible(QAbstractItemView *view, QComboBox *box)
    : QAccessibleWidget(view, QAccessible::List), m_box(box)
{
}

SelectorEntriesAccessible::~SelectorEntriesAccessible()
{
    for (const auto &item : m_items)
        QAccessible::deleteAccessibleInterface(item.second);
}

QAbstractItemView *SelectorEntriesAccessible::view() const
{
    return static_cast<QAbstractItemView *>(object());
}

int SelectorEntriesAccessible::selectedRow() const
{
    if (!m_box)
        return -1;
    QAbstractItemView *v = view();
    if (v && v->isVisible())
        return v->currentIndex().isValid() ? v->currentIndex().row() : -1;
    return m_box->currentIndex();
}

QAccessibleInterface *SelectorEntriesAccessible::parent() const
{
    return m_box ? QAccessible::queryAccessibleInterface(m_box.data()) : QAccessibleWidget::parent();
}

int SelectorEntriesAccessible::childCount() const
{
    return m_box ? m_box->count() : 0;
}

QAccessibleInterface *SelectorEntriesAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    auto found = m_items.find(index);
    if (found == m_items.end()) {
        auto *item = new SelectorEntryAccessible(this, index);
        found = m_items.emplace(index, QAccessible::registerAccessibleInterface(item)).first;
    }
    return QAccessible::accessibleInterface(found->second);
}

int SelectorEntriesAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (const auto &item : m_items)
        if (QAccessible::accessibleInterface(item.second) == child)
            return item.first < childCount() ? item.first : -1;
    return -1;
}

QAccessibleInterface *SelectorEntriesAccessible::childAt(int x, int y) const
{
    QAbstractItemView *v = view();
    if (!v || !v->isVisible())
        return nullptr;
    const QModelIndex index = v->indexAt(v->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface *SelectorEntriesAccessible::focusChild() const
{
    QAbstractItemView *v = view();
    return v && v->isVisible() ? child(selectedRow()) : nullptr;
}

QString SelectorEntriesAccessible::text(QAccessible::Text t) const
{
    // The list is named like its box ("Block"), so the entries are heard as the box's choices.
    if (t == QAccessible::Name && m_box)
        return m_box->accessibleName();
    return QAccessibleWidget::text(t);
}
