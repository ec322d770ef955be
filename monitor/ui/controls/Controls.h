// Small factories for the named controls of the windows: objectName = control name (with the
// index for control arrays), an accessible name that says what the control is, and the look
// shared by all value fields.
#pragma once

#include "ValueField.h"

#include <QString>
#include <initializer_list>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
class Lamp;

namespace Controls {

QString indexed(const QString &name, int index); // "Command_change_3"

// A caption (static text).
QLabel *caption(QWidget *parent, const QString &objectName, const QString &text);
// A text that changes with the channel's state ("Control output ON"), drawn as a caption;
// its name says what it tells, its value is the text shown.
QLabel *stateText(QWidget *parent, const QString &objectName, const QString &accessible, const QString &text = QString());
// A value field: sunken, white, right-aligned; `accessible` says what it shows, and a screen
// reader gets the shown text as its value.
ValueField *valueField(QWidget *parent, const QString &objectName, const QString &accessible, int minWidth = 64);
QPushButton *button(QWidget *parent, const QString &objectName, const QString &text, const QString &accessible = QString());
QComboBox *selector(QWidget *parent, const QString &objectName, const QString &accessible);
QCheckBox *checkBox(QWidget *parent, const QString &objectName, const QString &text);
Lamp *lamp(QWidget *parent, const QString &objectName, const QString &accessible);
// Hidden, the controls keep their place: a row whose values are hidden keeps its height, so
// the rows of a page stay on one grid.
void keepPlaceWhenHidden(std::initializer_list<QWidget *> widgets);

} // namespace Controls
