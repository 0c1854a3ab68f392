#pragma once

#include <QImage>
#include <QWidget>

namespace brindlecast::testing {

/// Share of dark pixels in what `widget` shows now: above a few thousandths, a newsletter's text.
inline double InkShare(QWidget* widget) {
    const QImage shown = widget->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            dark += qGray(shown.pixel(x, y)) < 128;
    return double(dark) / (shown.width() * shown.height());
}

} // namespace brindlecast::testing
