// The look of a value field, drawn by the field itself from its palette and font: a white box
// with a grey border and the value in black; greyed and in italics while its block does not
// answer (the box keeps its background); a disabled field grey on grey. Not a style sheet on
// the window: that makes every widget of the window paint through the style sheet style, which
// doubled the time a page takes to paint after a click.
#include "ValueField.h"

#include "AccessibleControls.h"

#include <QPainter>

namespace {

constexpr int kBorder = 1;
constexpr int kPadding = 3; // left and right of the text
const QColor kGrey(QRgb(0x8c8c8c));

} // namespace

ValueField::ValueField(QWidget *parent) : QLabel(parent)
{
    InstallAccessibleControls();
    applyLook();
}

void ValueField::applyLook()
{
    setContentsMargins(kBorder + kPadding, kBorder, kBorder + kPadding, kBorder);
    QPalette look = palette();
    look.setColor(QPalette::Window, Qt::white);
    look.setColor(QPalette::WindowText, Qt::black);
    look.setColor(QPalette::Disabled, QPalette::Window, QColor(QRgb(0xe4e4e4)));
    look.setColor(QPalette::Disabled, QPalette::WindowText, QColor(QRgb(0x909090)));
    setPalette(look);
}

void ValueField::setStale(bool stale)
{
    if (stale == m_stale)
        return;
    m_stale = stale;
    setProperty("stale", stale);
    QPalette look = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        look.setColor(group, QPalette::WindowText, stale ? kGrey : QColor(Qt::black));
    setPalette(look);
    QFont f = font();
    f.setItalic(stale);
    setFont(f);
}

void ValueField::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(isEnabled() ? kGrey : QColor(QRgb(0xb8b8b8)));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(contentsRect(), int(alignment()), text());
}
