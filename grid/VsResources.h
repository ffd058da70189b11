// The grid library's bitmap resources, kept in the program as tables of
// pixels and loaded by name as the platform loads a module's bitmaps.
#pragma once

#include <string>

#include "platform/graphics/Graphics.h"

// Loads the resource into bitmap (24 bits per pixel). The name is compared
// without regard to case; an unknown one raises EResNotFound
// "Resource <name> not found" and leaves the bitmap as it was.
void LoadBitmapResource(TBitmap& Bitmap, const std::string& Name);
bool HasBitmapResource(const std::string& Name);
