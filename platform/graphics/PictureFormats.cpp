#include "platform/graphics/PictureFormats.h"

std::vector<TBuiltInFormat> BuiltInPictureFormats() {
    return {
        {"bmp", "Bitmaps", [] { return std::make_unique<TBitmap>(); }},
        {"png", "Portable Network Graphics", [] { return std::make_unique<TBitmap>(); }},
    };
}
