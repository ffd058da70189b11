// The GIF library with its bridge to the graphics room: the codec
// (gif/VsGifCore.h) with bitmaps, drawing, the picture registry and the
// clipboard. A program that needs only to load and save includes
// gif/VsGifCore.h and links vsgif_codec alone.
#pragma once

#include "gif/VsGifCore.h"
#include "platform/graphics/Graphics.h"

// The unit's start and end, once per process however often they are called:
// "GIF" / "GIF Image" in the picture registry, the clipboard format "GIF
// Image" with the system and the registry. The program calls them at start
// and exit; an image calls the start when it is made.
void InitVsGif();
void DoneVsGif();
// The number the clipboard gave "GIF Image".
TClipboardFormat GIFClipboardFormat();

// Installs the bridge; every file that includes this header calls it once
// before main, so that images made anywhere in the program draw.
bool InstallVsGifBridge();
inline const bool VsGifBridgeInstalled = InstallVsGifBridge();
