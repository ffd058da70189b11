// What the GIF fuzz targets share: an input loaded as far as it loads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gif/VsGif.h"

inline void LoadWhatLoads(TVsGifImage& image, const uint8_t* data, size_t size) {
    TReadOnlyMemoryStream in(data, static_cast<int64_t>(size));
    try {
        image.LoadFromStream(in);
    } catch (const Exception&) {
        // A fault in the file: what was read before it stays.
    }
}
