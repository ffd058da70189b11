// Fixed messages of the barcode engine. All are raised as EOverflow; tests
// compare them exactly.
#pragma once

namespace BarMessages {
inline constexpr const char* SCaptionTooLong = "String exceeds maximum length";
inline constexpr const char* SModuleWidthRange = "Bar_SC_Size must be in the range 0..9!";
inline constexpr const char* SRotationRange = "Bar_Rotate must be in the range rotate_000..rotate_270!";
inline constexpr const char* SRatioRange = "Bar_Ratio must be in the range 0..1 (Ratio_3 or Ratio_2)!";
inline constexpr const char* SHeightPercentRange = "Bar_HeightPercent must be in the range 20..200!";
inline constexpr const char* SFontscalingRange = "Bar_Fontscaling must be in the range 20..200!";
inline constexpr const char* SCode128Error = "BarcoLL: Code128 error";
inline constexpr const char* SUnknownType = "Barcode: Unknown Type of Barcode";
inline constexpr const char* SWrongMapMode = "Barcode: Wrong mapmode in \"LoMetricPrint\"";
// A position or resolution whose symbol leaves the canvas's coordinates.
inline constexpr const char* SOutOfRange = "Barcode: Position or size out of range";
}  // namespace BarMessages
