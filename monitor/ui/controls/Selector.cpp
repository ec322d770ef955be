#include "Selector.h"

#include "AccessibleControls.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

Selector::Selector(QWidget *parent) : QComboBox(parent)
{
    InstallAccessibleControls();
}

void Selector::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
