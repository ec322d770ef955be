#include "AccessibleControls.h"

#include "SelectorEntries.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

namespace {

class ValueFieldAccessible : public QAccessibleWidget {
public:
    explicit ValueFieldAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        const QString shown = static_cast<const QLabel *>(object())->text();
        switch (t) {
        case QAccessible::Name: {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? shown : name;
        }
        case QAccessible::Value:
            return shown;
        case QAccessible::Description: {
            const QString description = widget()->accessibleDescription();
            return description.isEmpty() ? shown : description;
        }
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

class SelectorAccessible : public QAccessibleWidget {
public:
    explicit SelectorAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

    QComboBox *combo() const { return static_cast<QComboBox *>(object()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? combo()->currentText() : name;
        }
        case QAccessible::Value:
            return combo()->currentText();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view() && combo()->view()->isVisible();
        s.editable = combo()->isEditable();
        return s;
    }

    // The list of entries (SelectorEntries.h), as Qt's own combo box interface has it.
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == combo()->view() ? 0 : -1;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *controlsFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("ValueField"))
        return new ValueFieldAccessible(widget);
    if (className == QLatin1String("Selector"))
        return new SelectorAccessible(widget);
    if (className == QLatin1String("QComboBoxListView"))
        if (QComboBox *box = SelectorOfListView(object))
            return new SelectorEntriesAccessible(static_cast<QAbstractItemView *>(object), box);
    return nullptr;
}

} // namespace

// Qt asks the factories by class name, most derived first, so these classes (and the list
// view of a selector's popup) get their own interfaces while every other control keeps Qt's.
void InstallAccessibleControls()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlsFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
