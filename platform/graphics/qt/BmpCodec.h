// Reading and writing Windows bitmap files with their exact row layouts and
// resolution. Internal to the platform layer.
#pragma once

#include <QImage>
#include <string>

#include "platform/graphics/Graphics.h"

struct TDecodedBmp {
    QImage Image;  // in the image format TBitmap keeps for Format
    TPixelFormat Format = pfDevice;
    int32_t DpiX = 96;
    int32_t DpiY = 96;
};

// False for a bitmap this reader leaves to Qt (compressed ones); raises
// EInvalidGraphic for a damaged or oversized file.
bool DecodeBmp(const std::string& bytes, TDecodedBmp& out);
// pfDevice is written with 24 bits per pixel.
std::string EncodeBmp(const QImage& image, TPixelFormat format, int32_t dpiX, int32_t dpiY);
