// How much of a widget is drawn dark, as it shows on the screen: the
// disabled look draws text and frames grey.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

inline int DarkPixels(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 80) ++dark;
    return dark;
}
