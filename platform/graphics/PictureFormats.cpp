#include "platform/graphics/PictureFormats.h"

#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Tiff.h"

std::vector<TBuiltInFormat> BuiltInPictureFormats() {
    return {
        {"bmp", "Bitmaps", [] { return std::make_unique<TBitmap>(); }},
        {"png", "Portable Network Graphics", [] { return std::make_unique<TBitmap>(); }},
        {"jpg", "JPEG Image File", [] { return std::make_unique<TJPEGImage>(); }},
        {"jpeg", "JPEG Image File", [] { return std::make_unique<TJPEGImage>(); }},
        {"tif", "TIFF Image File", [] { return std::make_unique<TTiffImage>(); }},
        {"tiff", "TIFF Image File", [] { return std::make_unique<TTiffImage>(); }},
        {"wmf", "Metafiles", [] {
             auto m = std::make_unique<TMetafile>();
             m->SetEnhanced(false);
             return m;
         }},
        {"emf", "Enhanced Metafiles", [] { return std::make_unique<TMetafile>(); }},
    };
}
