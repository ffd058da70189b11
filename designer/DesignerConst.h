// Fixed texts of the designer: captions, prompts, file sections and keys.
#pragma once

namespace DesignerConst {
inline constexpr const char* SAppTitle = "Varsona";
inline constexpr const char* SMainCaption = "Varsona 2.17";
inline constexpr const char* SBuild = "Build: 2.17";
inline constexpr const char* SBarcodeTypes = "Barcode Types";
// A setting that holds a line break is not written (it would not read back
// as written); the refusal is told once, until the line break goes.
inline constexpr const char* SSettingLineBreak =
    "Unable to write to %s: a line break cannot be kept in the settings file, so this text is not stored until "
    "the line break is removed";
inline constexpr const char* SBooklandPrompt = "Enter Bookland Prefix. Default is 978:";
inline constexpr const char* SHomePage = "https://varsona.example.org/";
inline constexpr const char* SHelpFileName = "varsona.chm";
inline constexpr const char* SSettingsFileName = "varsona.ini";
inline constexpr const char* SPrintTitle = "Varsona Barcode";
inline constexpr const char* SStatusReady = "Ready";
// The status bar after a print: the PDF file written, or the printer.
inline constexpr const char* SPrintedToFile = "Printed to %s";
inline constexpr const char* SPrintedOn = "Printed on %s";

inline constexpr const char* SImageFilter =
    "Windows Bitmap (*.BMP)|*.bmp|Gif File (*.GIF)|*.gif|TIFF 6.0 (*.TIF)|*.tif|Windows Metafile (*.WMF)|*.wmf|"
    "Enhanced Metafile (*.EMF)|*.emf|JPEG (*.JPG)|*.jpg";
inline constexpr const char* SImageTitle = "Save Varsona As Image File...";
inline constexpr const char* SConfigFilter = "Varsona Config File (*.VRS)|*.vrs";
inline constexpr const char* SConfigSaveTitle = "Save Varsona As Config...";
inline constexpr const char* SConfigOpenTitle = "Open Varsona Configuration File...";

// Settings file sections.
inline constexpr const char* SSecVarsona = "varsona";
inline constexpr const char* SSecAddon = "addon";
inline constexpr const char* SSecCaptions = "Captions";
// Configuration file section.
inline constexpr const char* SSecConfig = "Varsona";
// Opening a file without that section.
inline constexpr const char* SNotConfigFile = "%s is not a Varsona configuration file";
}  // namespace DesignerConst
