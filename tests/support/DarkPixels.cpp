#include "tests/support/DarkPixels.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "platform/controls/qt/ControlsQt.h"

int DarkPixels(TControl* control) {
    const QImage image = NativeWidget(control)->grab().toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 80) ++dark;
    return dark;
}
