// Fixed messages of the graphics room; code raises these, tests compare them.
#pragma once

namespace GraphicsConst {
inline constexpr const char* SScanLine = "Scan line index out of range";
inline constexpr const char* SUnknownExtension = "Unknown picture file extension (.%s)";
inline constexpr const char* SInvalidBitmap = "Bitmap image is not valid";
inline constexpr const char* SInvalidImageSize = "Invalid image size";
inline constexpr const char* SInvalidPixelFormat = "Invalid pixel format";
inline constexpr const char* SInvalidImageList = "Invalid ImageList Index";
inline constexpr const char* SJPEGError = "JPEG error #%d";
inline constexpr const char* SInvalidTiff = "TIFF image is not valid";
inline constexpr const char* SInvalidMetafile = "Metafile is not valid";
}  // namespace GraphicsConst
