#include "ScreenClicker.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QTest>
#include <chrono>

#ifdef PLM_BENCH_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#endif

int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ScreenClicker::ScreenClicker(QWindow *window) : window_(window) {}

ScreenClicker::~ScreenClicker()
{
#ifdef PLM_BENCH_XTEST
    if (display_)
        XCloseDisplay(static_cast<Display *>(display_));
#endif
}

bool ScreenClicker::open(QString *why)
{
    if (!window_) {
        *why = QStringLiteral("no window to click on");
        return false;
    }
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
#ifdef PLM_BENCH_XTEST
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        *why = QStringLiteral("cannot open the X display %1").arg(QString::fromLocal8Bit(qgetenv("DISPLAY")));
        return false;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        *why = QStringLiteral("the X server has no XTest extension");
        return false;
    }
    display_ = display;
    xtest_ = true;
    return true;
#else
    *why = QStringLiteral("built without XTest (libxtst-dev): no click through the X server");
    return false;
#endif
}

QString ScreenClicker::path() const
{
    return xtest_ ? QStringLiteral("XTest through the X server") : QStringLiteral("window-system events on the QWindow");
}

int64_t ScreenClicker::click(QPoint local, QPoint global)
{
#ifdef PLM_BENCH_XTEST
    if (xtest_) {
        auto *display = static_cast<Display *>(display_);
        XTestFakeMotionEvent(display, -1, global.x(), global.y(), CurrentTime);
        XSync(display, False);
        const int64_t at = steadyNs();
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XFlush(display);
        return at;
    }
#endif
    (void)global;
    const int64_t at = steadyNs();
    QMetaObject::invokeMethod(
        window_.data(),
        [window = window_, local] {
            if (window)
                QTest::mouseClick(window.data(), Qt::LeftButton, Qt::NoModifier, local);
        },
        Qt::QueuedConnection);
    return at;
}
