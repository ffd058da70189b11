// Fixed texts and shipped defaults of the GIF library. Code raises these
// messages and tests compare them exactly.
#pragma once

#include <cstdint>

namespace GifMsg {
// Errors (EVsGifError unless noted).
inline constexpr const char* SPrematureEnd = "Premature end of data";
inline constexpr const char* SUnsupportedPixelFormat = "Unsupported PixelFormat";
inline constexpr const char* SInvalidBitmap = "Bitmap image is not valid";
inline constexpr const char* SDIBCreate = "Failed to create DIB from Bitmap";
inline constexpr const char* SColorTableOverflow = "Color table overflow";
inline constexpr const char* SColorTableEmpty = "Color table is empty";
inline constexpr const char* SUnsupportedVersion = "Unsupported GIF version";
// Saving an image that has no frame: a GIF needs at least one.
inline constexpr const char* SNoFrames = "GIF image has no frames to save";
inline constexpr const char* SInvalidSignature = "Invalid GIF signature";
inline constexpr const char* SNoDIB = "Image has no DIB";
inline constexpr const char* SDIBMemory = "Failed to allocate memory for GIF DIB";  // EOutOfMemory
inline constexpr const char* SScanLine = "Scan line index out of range";          // EInvalidGraphicOperation
inline constexpr const char* SOutOfResources = "Out of system resources";          // EOutOfResources
inline constexpr const char* SColorNotInTable = "Color not in color table";
inline constexpr const char* SCircularTable = "Circular decoder table entry";
inline constexpr const char* SUnknownExtension = "Unknown extension type";
inline constexpr const char* SExtensionIntroducer = "Invalid extension introducer";
inline constexpr const char* SExtensionLabel = "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* SAppExtensionSize = "Unsupported Application Extension block size";
inline constexpr const char* SInvalidData = "Invalid GIF data";
inline constexpr const char* SUnsupportedObject = "Object type not supported for operation";
inline constexpr const char* SWidthTooSmall = "Image width too small for contained frames";
inline constexpr const char* SHeightTooSmall = "Image height too small for contained frames";
inline constexpr const char* SNoColorTable = "No global or local color table defined";
// Frames of more pixels together than MaxImagePixels.
inline constexpr const char* SImageTooLarge = "Image too large";

// Warnings (always severity 1).
inline constexpr const char* SInvalidColorIndex = "Invalid color index";
inline constexpr const char* SBitBufferUnderrun = "Decoder bit buffer under-run";
inline constexpr const char* SUnknownBlock = "Unknown GIF block type";
inline constexpr const char* SExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* SInvalidTrailer = "Invalid Image trailer";

// The picture registry's file extension and description, and the
// clipboard format's name.
inline constexpr const char* SGIFExtension = "GIF";
inline constexpr const char* SGIFImage = "GIF Image";

// Progress texts.
inline constexpr const char* SLoading = "Loading...";
inline constexpr const char* SSaving = "Saving...";
inline constexpr const char* SCopying = "Copying...";
inline constexpr const char* SConverting = "Converting...";
inline constexpr const char* SRendering = "Rendering...";
}  // namespace GifMsg

// Versions by number; the signature texts are three characters each of
// GIFVersionTexts, version v starting at 3 (v - 1).
using TGIFVersion = uint8_t;
inline constexpr TGIFVersion GIFVersionUnknown = 0;
inline constexpr TGIFVersion GIFVersion87a = 1;
inline constexpr TGIFVersion GIFVersion89a = 2;
inline constexpr const char GIFVersionTexts[] = "87a89a";

// Paint options (a 16-bit set; bits 11 to 15 are unused).
using TGIFPaintOptions = uint16_t;
inline constexpr TGIFPaintOptions goPaintInThread = 0x0001;
inline constexpr TGIFPaintOptions goDrawTransparent = 0x0002;
inline constexpr TGIFPaintOptions goAnimate = 0x0004;
inline constexpr TGIFPaintOptions goRepeatAnimation = 0x0008;
inline constexpr TGIFPaintOptions goRepeatForever = 0x0010;
inline constexpr TGIFPaintOptions goCheckTargetDC = 0x0020;
inline constexpr TGIFPaintOptions goPaintOnTarget = 0x0040;
inline constexpr TGIFPaintOptions goRestoreOnRepeat = 0x0080;
inline constexpr TGIFPaintOptions goTileDrawing = 0x0100;
inline constexpr TGIFPaintOptions goWebPaletteDither = 0x0200;
inline constexpr TGIFPaintOptions goWebDitherOnPaletteDisplays = 0x0400;

// Shipped defaults that every image and painter reads.
inline constexpr int32_t DelayUnitMs = 12;
inline constexpr int32_t DefaultFrameDelay = 10;
inline constexpr int32_t MinFrameDelay = 3;
inline constexpr int32_t MaxFrameDelay = 1000;
inline constexpr int32_t RenderWaitMs = 5000;
inline constexpr int32_t RenderIdleMs = 60000;
inline constexpr TGIFPaintOptions DefaultPaintOptions = 0x060F;
inline constexpr uint8_t DefaultReductionMode = 6;
inline constexpr int32_t DefaultReductionBits = 8;
inline constexpr uint8_t DefaultDitherMethod = 0;
inline constexpr uint8_t DefaultEncoderChoice = 0;  // 0 LZW, 1 run-length
inline constexpr uint8_t DefaultPainterPriority = 3;
inline constexpr int32_t DefaultSpeedPercent = 100;
// Not const: set to 1 at start where render threads are not wanted.
inline int32_t MaxRenderThreads = 4;

// Encoder choices.
inline constexpr uint8_t GIFEncoderLZW = 0;
inline constexpr uint8_t GIFEncoderRLE = 1;

// The frames of one image hold at most this many pixels together (256 MB of
// indices): sizes read from a file are checked against it before anything is
// allocated.
inline constexpr int64_t MaxImagePixels = int64_t(1) << 28;

// Block introducers.
inline constexpr uint8_t GIFExtensionIntroducer = 0x21;  // '!'
inline constexpr uint8_t GIFImageSeparator = 0x2C;       // ','
inline constexpr uint8_t GIFTrailer = 0x3B;              // ';'
