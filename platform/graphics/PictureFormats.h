// The picture formats the graphics room registers itself. Internal.
#pragma once

#include <vector>

#include "platform/graphics/Graphics.h"

struct TBuiltInFormat {
    const char* Extension;
    const char* Description;
    TGraphicFactory Factory;
};

std::vector<TBuiltInFormat> BuiltInPictureFormats();
