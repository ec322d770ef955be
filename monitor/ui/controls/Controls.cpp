#include "Controls.h"

#include "Lamp.h"
#include "Selector.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace Controls {

QString indexed(const QString &name, int index)
{
    return name + QLatin1Char('_') + QString::number(index);
}

QLabel *caption(QWidget *parent, const QString &objectName, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setAccessibleName(text);
    return l;
}

ValueField *valueField(QWidget *parent, const QString &objectName, const QString &accessible, int minWidth)
{
    auto *l = new ValueField(parent);
    l->setObjectName(objectName);
    l->setAccessibleName(accessible);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(minWidth);
    l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return l;
}

QPushButton *button(QWidget *parent, const QString &objectName, const QString &text, const QString &accessible)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(objectName);
    b->setAccessibleName(accessible.isEmpty() ? text : accessible);
    b->setAutoDefault(false);
    return b;
}

QComboBox *selector(QWidget *parent, const QString &objectName, const QString &accessible)
{
    auto *c = new Selector(parent);
    c->setObjectName(objectName);
    c->setAccessibleName(accessible);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

QLabel *stateText(QWidget *parent, const QString &objectName, const QString &accessible, const QString &text)
{
    auto *l = new ValueField(parent);
    l->setObjectName(objectName);
    l->setAccessibleName(accessible);
    l->setText(text);
    return l;
}

QCheckBox *checkBox(QWidget *parent, const QString &objectName, const QString &text)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(objectName);
    c->setAccessibleName(text);
    return c;
}

Lamp *lamp(QWidget *parent, const QString &objectName, const QString &accessible)
{
    auto *l = new Lamp(accessible, parent);
    l->setObjectName(objectName);
    return l;
}

void keepPlaceWhenHidden(std::initializer_list<QWidget *> widgets)
{
    for (QWidget *w : widgets) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
}

} // namespace Controls
