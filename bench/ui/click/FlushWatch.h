// The benchmark's application: it tells when what a widget painted has been flushed to its
// window. Qt paints a window in one pass inside the handling of one event (the top-level
// widget's update request, or the event whose handler asked for an immediate repaint): every
// dirty widget is painted into the backing store, then the changed region is flushed to the
// platform window (on xcb the image is put to the X server and the connection flushed) before
// that handling returns. So the end of the outermost event in which the watched widget was
// painted is a moment after the flush of that paint.
#pragma once

#include <QApplication>
#include <cstdint>
#include <functional>

class FlushWatchingApplication : public QApplication {
public:
    FlushWatchingApplication(int &argc, char **argv) : QApplication(argc, argv) {}

    // When the steps of the watched paint happened (steady clock ns; -1: not seen).
    struct Steps {
        int64_t pressNs = -1; // the first mouse press delivered to a widget since the watch
        int64_t paintNs = -1; // the watched widget's Paint event
    };
    // `flushed` runs once, on this thread, at the end of the outermost event during which
    // `widget` was next painted. Replaces an earlier watch.
    void watch(const QWidget *widget, std::function<void(const Steps &)> flushed);
    void unwatch();

    bool notify(QObject *receiver, QEvent *event) override;

private:
    int depth_ = 0;
    const QWidget *watched_ = nullptr;
    Steps steps_;
    std::function<void(const Steps &)> flushed_;
};
