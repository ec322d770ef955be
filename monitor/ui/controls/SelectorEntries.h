// The entries of a selector as a screen reader meets them: the list child of the selector, with
// one item per entry named by its text. The entry the box shows is the selected item; while the
// list is open, the highlighted entry is (it becomes the box's entry when picked). The items
// read the box at every question, so they follow whatever changes the entries or the choice,
// signals blocked or not.
#pragma once

#include <QAccessibleWidget>
#include <QPointer>
#include <map>

class QAbstractItemView;
class QComboBox;

class SelectorEntriesAccessible : public QAccessibleWidget {
public:
    SelectorEntriesAccessible(QAbstractItemView *view, QComboBox *box);
    ~SelectorEntriesAccessible() override;

    QComboBox *box() const { return m_box; }
    QAbstractItemView *view() const;
    int selectedRow() const; // -1: none

    QAccessibleInterface *parent() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    QString text(QAccessible::Text t) const override;

private:
    QPointer<QComboBox> m_box;
    mutable std::map<int, QAccessible::Id> m_items; // row -> registered item
};

// The selector whose popup list view `object` is, or nullptr when it is none.
QComboBox *SelectorOfListView(QObject *object);
