#include "designer/BarcodeImage.h"

#include <algorithm>

#include "engine/Barcode.h"
#include "gif/VsGif.h"
#include "gif/VsGifColor.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Tiff.h"
#include "platform/runtime/SysUtils.h"

namespace {
constexpr TImageFormat kFilterOrder[] = {TImageFormat::Bmp, TImageFormat::Gif, TImageFormat::Tiff,
                                        TImageFormat::Wmf, TImageFormat::Emf, TImageFormat::Jpeg};
}

const char* ImageFormatExtension(TImageFormat format) {
    switch (format) {
        case TImageFormat::Gif: return "gif";
        case TImageFormat::Tiff: return "tif";
        case TImageFormat::Wmf: return "wmf";
        case TImageFormat::Emf: return "emf";
        case TImageFormat::Jpeg: return "jpg";
        default: return "bmp";
    }
}

TImageFormat ImageFormatFor(int32_t filterIndex, const std::string& fileName) {
    const std::string ext = LowerCase(ExtractFileExt(fileName));
    if (ext == ".bmp" || ext == ".dib") return TImageFormat::Bmp;
    if (ext == ".gif") return TImageFormat::Gif;
    if (ext == ".tif" || ext == ".tiff") return TImageFormat::Tiff;
    if (ext == ".wmf") return TImageFormat::Wmf;
    if (ext == ".emf") return TImageFormat::Emf;
    if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe") return TImageFormat::Jpeg;
    if (filterIndex >= 1 && filterIndex <= 6) return kFilterOrder[filterIndex - 1];
    return TImageFormat::Bmp;
}

int32_t CaptionFontSize(const std::string& stored) {
    int32_t size = 0;
    if (!TryStrToInt(Trim(stored), size) || size < 1 || size > 1638) return 8;
    return size;
}

namespace {
TImageLayout LayoutAt(TBarcode& barcode, int32_t dpi, const TImageCaptionSet& captions) {
    TImageLayout l;
    l.Dpi = dpi;
    TBitmap probe(1, 1);
    probe.SetResolution(l.Dpi, l.Dpi);
    TCanvas& c = *probe.Canvas();
    TSize symbol;
    barcode.DrawOnCanvas(c, 0, 0, &symbol);

    const int32_t points = captions.FontSize >= 1 && captions.FontSize <= 1638 ? captions.FontSize : 8;
    l.FontHeight = MulDiv(points, l.Dpi, 72);
    c.Font()->SetName(barcode.Bar_Fontname());
    c.Font()->SetHeight(-l.FontHeight);
    c.Font()->SetOrientation(0);
    const TSize top = captions.Top.empty() ? TSize{} : c.TextExtent(captions.Top);
    const TSize bottom = captions.Bottom.empty() ? TSize{} : c.TextExtent(captions.Bottom);

    // A quiet zone of ten narrow modules around everything, so that readers
    // find the symbol's ends.
    const int32_t margin = Round(0.33L * 10 * l.Dpi / 25.4L);
    const int32_t gap = captions.Top.empty() && captions.Bottom.empty() ? 0 : Round(0.33L * 4 * l.Dpi / 25.4L);
    const int32_t inner = std::max({symbol.cx, top.cx, bottom.cx});
    l.Width = inner + 2 * margin;
    l.TopY = margin;
    l.SymbolY = margin + (captions.Top.empty() ? 0 : top.cy + gap);
    l.SymbolX = margin + (inner - symbol.cx) / 2;
    l.BottomY = l.SymbolY + symbol.cy + (captions.Bottom.empty() ? 0 : gap);
    l.Height = l.BottomY + (captions.Bottom.empty() ? 0 : bottom.cy) + margin;
    return l;
}

int32_t SaveMultiplier(int32_t multiplier) { return std::clamp(multiplier, 1, 10); }
}  // namespace

TImageLayout LayoutBarcodeImage(TBarcode& barcode, int32_t multiplier, const TImageCaptionSet& captions) {
    return LayoutAt(barcode, 96 * SaveMultiplier(multiplier), captions);
}

void DrawBarcodeImage(TCanvas& canvas, TBarcode& barcode, const TImageLayout& l, const TImageCaptionSet& captions) {
    canvas.Brush()->SetColor(clWhite);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(Rect(0, 0, l.Width, l.Height));
    barcode.DrawOnCanvas(canvas, l.SymbolX, l.SymbolY, nullptr);
    if (captions.Top.empty() && captions.Bottom.empty()) return;
    canvas.Brush()->SetStyle(bsClear);
    canvas.SetBkMode(TRANSPARENT);
    canvas.Font()->SetName(barcode.Bar_Fontname());
    canvas.Font()->SetHeight(-l.FontHeight);
    canvas.Font()->SetOrientation(0);
    canvas.Font()->SetStyle(0);
    canvas.Font()->SetColor(clBlack);
    const uint32_t align = canvas.SetTextAlign(TA_CENTER | TA_TOP);
    if (!captions.Top.empty()) canvas.TextOut(l.Width / 2, l.TopY, captions.Top);
    if (!captions.Bottom.empty()) canvas.TextOut(l.Width / 2, l.BottomY, captions.Bottom);
    canvas.SetTextAlign(align);
}

std::unique_ptr<TBitmap> BarcodeBitmap(TBarcode& barcode, int32_t multiplier, const TImageCaptionSet& captions) {
    const TImageLayout l = LayoutBarcodeImage(barcode, multiplier, captions);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(l.Width, l.Height);
    bitmap->SetResolution(l.Dpi, l.Dpi);
    DrawBarcodeImage(*bitmap->Canvas(), barcode, l, captions);
    return bitmap;
}

std::unique_ptr<TMetafile> BarcodeMetafile(TBarcode& barcode, int32_t multiplier, const TImageCaptionSet& captions,
                                           bool enhanced) {
    // Drawn finely (a few hundred units per inch, so that readers that place
    // rectangle edges a unit apart still see the bars' true widths) and sized
    // as the bitmap of the same save size shows on a 96 dpi screen.
    const int32_t m = SaveMultiplier(multiplier);
    const int32_t fine = std::max(4, 8 / m);
    const TImageLayout l = LayoutAt(barcode, 96 * m * fine, captions);
    auto metafile = std::make_unique<TMetafile>();
    metafile->SetEnhanced(enhanced);
    metafile->SetInch(l.Dpi);
    metafile->SetWidth(l.Width);
    metafile->SetHeight(l.Height);
    metafile->SetMMWidth(static_cast<int32_t>(Round(l.Width * 2540.0L / (96.0L * fine))));
    metafile->SetMMHeight(static_cast<int32_t>(Round(l.Height * 2540.0L / (96.0L * fine))));
    {
        TMetafileCanvas canvas(*metafile, l.Dpi);
        DrawBarcodeImage(canvas, barcode, l, captions);
    }
    return metafile;
}

void SaveBitmapAsGif(TBitmap& bitmap, const std::string& fileName) {
    TVsGifImage gif;
    // In the device format each colour keeps its own entry; a picture of
    // more than 256 colours gets the 256 that stand for it best.
    TBitmap device;
    device.Assign(&bitmap);
    device.SetPixelFormat(pfDevice);
    try {
        gif.Assign(&device);
    } catch (const EVsGifError& e) {
        if (e.Message() != GifMsg::SColorTableOverflow) throw;
        gif.SetReductionMode(ReduceOctree);
        gif.SetReductionBits(8);
        gif.SetDitherMethod(DitherNearest);
        gif.Assign(&bitmap);
    }
    gif.SaveToFile(fileName);
}

// Every format goes through its picture's SaveToFile: a temporary file, the
// flush and close checked, a rename over the old file; a failure raises and
// leaves the old file as it was.
void SaveBarcodeImage(TBarcode& barcode, int32_t multiplier, const TImageCaptionSet& captions,
                      const std::string& fileName, TImageFormat format) {
    switch (format) {
        case TImageFormat::Wmf:
        case TImageFormat::Emf: {
            auto metafile = BarcodeMetafile(barcode, multiplier, captions, format == TImageFormat::Emf);
            metafile->TGraphic::SaveToFile(fileName);
            return;
        }
        default: break;
    }
    auto bitmap = BarcodeBitmap(barcode, multiplier, captions);
    switch (format) {
        case TImageFormat::Gif: SaveBitmapAsGif(*bitmap, fileName); return;
        case TImageFormat::Tiff: {
            TTiffImage tiff;
            tiff.Assign(bitmap.get());
            tiff.SaveToFile(fileName);
            return;
        }
        case TImageFormat::Jpeg: {
            TJPEGImage jpeg;
            jpeg.Assign(bitmap.get());
            jpeg.SaveToFile(fileName);
            return;
        }
        default:
            // A BMP whatever the name says (TBitmap writes PNG for ".png").
            bitmap->TGraphic::SaveToFile(fileName);
            return;
    }
}
