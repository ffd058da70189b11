// Internal to the platform and its tests: the Qt side of the graphics room
// (the pixels behind bitmaps and canvas devices).
#pragma once

#include <QImage>

#include "platform/graphics/Graphics.h"

// The image a canvas device draws or reads back (CanvasDevice.h names it
// without Qt).
class TDeviceImage : public QImage {
public:
    TDeviceImage() = default;
    TDeviceImage(const QImage& image) : QImage(image) {}
    TDeviceImage& operator=(const QImage& image) {
        QImage::operator=(image);
        return *this;
    }
};

// The native pixels of a bitmap (painting ends first), and their
// replacement.
const QImage& BitmapImage(TBitmap& bitmap);
void SetBitmapImage(TBitmap& bitmap, const QImage& image);

// What the functions above reach inside a bitmap.
struct TGraphicsQt {
    static const QImage& Image(TBitmap& bitmap);
    static void SetImage(TBitmap& bitmap, const QImage& image);
};
