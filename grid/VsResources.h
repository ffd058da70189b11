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

// The grid's mouse cursors 8000 to 8012 as 32 x 32 pictures: black on the
// transparent colour (its TransparentColor) with a white rim, and the
// pixel that points. 8000 to 8008 pan (neutral, down, left, right, up,
// up-right, up-left, down-right, down-left), 8009 a spare, 8010 row select,
// 8011 column select, 8012 select all. Another id raises EResNotFound.
void LoadCursorResource(TBitmap& Bitmap, int32_t Id, TPoint& HotSpot);
// Registers every one of them with the screen under its id (once).
void RegisterGridCursors();
