// The symbol as a picture, for Save as Image and the clipboard: drawn at a
// multiple of the screen's 96 dpi with optional captions above and below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TBarcode;
class TBitmap;
class TCanvas;
class TMetafile;

enum class TImageFormat { Bmp, Gif, Tiff, Wmf, Emf, Jpeg };

struct TImageCaptionSet {
    std::string Top;
    std::string Bottom;
    int32_t FontSize = 8;  // points
};

// The format of a save: a typed extension of one of the offered formats
// wins, else the chosen filter entry (1-based, in the dialog's filter order
// BMP, GIF, TIFF, WMF, EMF, JPEG), else BMP.
TImageFormat ImageFormatFor(int32_t filterIndex, const std::string& fileName);
const char* ImageFormatExtension(TImageFormat format);

// The font size of the stored captions: the stored text as a whole number of
// points from 1 to 1638, else 8.
int32_t CaptionFontSize(const std::string& stored);

// Where the parts of the picture go, in pixels of the picture's resolution.
struct TImageLayout {
    int32_t Dpi = 96;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t SymbolX = 0;
    int32_t SymbolY = 0;
    int32_t FontHeight = 0;  // caption font, em height in pixels
    int32_t TopY = 0;        // top of the caption above
    int32_t BottomY = 0;     // top of the caption below
};

TImageLayout LayoutBarcodeImage(TBarcode& barcode, int32_t multiplier, const TImageCaptionSet& captions);
// White background, the symbol and the captions, on any canvas whose pixels
// are those of the layout.
void DrawBarcodeImage(TCanvas& canvas, TBarcode& barcode, const TImageLayout& layout,
                      const TImageCaptionSet& captions);

std::unique_ptr<TBitmap> BarcodeBitmap(TBarcode& barcode, int32_t multiplier, const TImageCaptionSet& captions);
// enhanced: EMF, else placeable WMF; as large as the bitmap shows at 96 dpi.
std::unique_ptr<TMetafile> BarcodeMetafile(TBarcode& barcode, int32_t multiplier, const TImageCaptionSet& captions,
                                           bool enhanced);

// Writes the picture in the format; errors of the picture classes pass on.
void SaveBarcodeImage(TBarcode& barcode, int32_t multiplier, const TImageCaptionSet& captions,
                      const std::string& fileName, TImageFormat format);

// A bitmap as a GIF file, made through the GIF image object: the exact
// colours when there are at most 256, else the picture's own 256.
void SaveBitmapAsGif(TBitmap& bitmap, const std::string& fileName);
