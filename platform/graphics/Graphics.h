// Graphics room: fonts, pens, brushes, the canvas with its device-context
// state, bitmaps and the picture-format registry. No Qt type appears here; the
// pixels are touched only by the device behind a canvas (see CanvasDevice.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Classes.h"
#include "platform/runtime/Graphic.h"
#include "platform/runtime/Types.h"

class QImage;
class TCanvasDevice;
struct TDeviceFont;
struct TDevicePen;
struct TDeviceBrush;

// ---------------------------------------------------------------- GDI constants

// GetDeviceCaps indexes.
inline constexpr int HORZSIZE = 4;
inline constexpr int VERTSIZE = 6;
inline constexpr int HORZRES = 8;
inline constexpr int VERTRES = 10;
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int NUMCOLORS = 24;
inline constexpr int RASTERCAPS = 38;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr int SIZEPALETTE = 104;
inline constexpr int PHYSICALWIDTH = 110;
inline constexpr int PHYSICALHEIGHT = 111;
inline constexpr int PHYSICALOFFSETX = 112;
inline constexpr int PHYSICALOFFSETY = 113;
inline constexpr int RC_PALETTE = 0x0100;

// Map modes.
inline constexpr int MM_TEXT = 1;
inline constexpr int MM_LOMETRIC = 2;
inline constexpr int MM_HIMETRIC = 3;
inline constexpr int MM_LOENGLISH = 4;
inline constexpr int MM_HIENGLISH = 5;
inline constexpr int MM_TWIPS = 6;
inline constexpr int MM_ISOTROPIC = 7;
inline constexpr int MM_ANISOTROPIC = 8;

// Text alignment.
inline constexpr uint32_t TA_NOUPDATECP = 0;
inline constexpr uint32_t TA_UPDATECP = 1;
inline constexpr uint32_t TA_LEFT = 0;
inline constexpr uint32_t TA_RIGHT = 2;
inline constexpr uint32_t TA_CENTER = 6;
inline constexpr uint32_t TA_TOP = 0;
inline constexpr uint32_t TA_BOTTOM = 8;
inline constexpr uint32_t TA_BASELINE = 24;
inline constexpr uint32_t TA_RTLREADING = 256;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// DrawText formats.
inline constexpr uint32_t DT_TOP = 0x0;
inline constexpr uint32_t DT_LEFT = 0x0;
inline constexpr uint32_t DT_CENTER = 0x1;
inline constexpr uint32_t DT_RIGHT = 0x2;
inline constexpr uint32_t DT_VCENTER = 0x4;
inline constexpr uint32_t DT_BOTTOM = 0x8;
inline constexpr uint32_t DT_WORDBREAK = 0x10;
inline constexpr uint32_t DT_SINGLELINE = 0x20;
inline constexpr uint32_t DT_EXPANDTABS = 0x40;
inline constexpr uint32_t DT_TABSTOP = 0x80;
inline constexpr uint32_t DT_NOCLIP = 0x100;
inline constexpr uint32_t DT_EXTERNALLEADING = 0x200;
inline constexpr uint32_t DT_CALCRECT = 0x400;
inline constexpr uint32_t DT_NOPREFIX = 0x800;
inline constexpr uint32_t DT_EDITCONTROL = 0x2000;
inline constexpr uint32_t DT_PATH_ELLIPSIS = 0x4000;
inline constexpr uint32_t DT_END_ELLIPSIS = 0x8000;
// Right-to-left reading order of each line (the alignment stays as asked).
inline constexpr uint32_t DT_RTLREADING = 0x20000;
inline constexpr uint32_t DT_WORD_ELLIPSIS = 0x40000;

// ---------------------------------------------------------------- graphics objects

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased };

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
                pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TGraphicsObject : public TPersistent {
public:
    TNotifyEvent OnChange;

protected:
    void Changed();
};

// Height > 0 is the text cell height in device pixels, Height < 0 the
// character (em) height; Size is in points at PixelsPerInch.
class TFont : public TGraphicsObject {
public:
    TFont();
    void Assign(const TPersistent* source) override;

    const std::string& Name() const { return FName; }
    void SetName(const std::string& name);
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t height);
    int32_t Size() const;
    void SetSize(int32_t points);
    int32_t PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int32_t ppi) { FPixelsPerInch = ppi; }
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    // Rotation of the text line in tenths of a degree, counter-clockwise.
    int32_t Orientation() const { return FOrientation; }
    void SetOrientation(int32_t tenths);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch pitch);
    uint8_t Charset() const { return FCharset; }
    void SetCharset(uint8_t charset) { FCharset = charset; }
    TFontQuality Quality() const { return FQuality; }
    void SetQuality(TFontQuality quality);

    bool operator==(const TFont& other) const;

private:
    std::string FName = "Arial";
    int32_t FHeight = -11;
    int32_t FPixelsPerInch = 96;
    TFontStyles FStyle = 0;
    TColor FColor = clWindowText;
    int32_t FOrientation = 0;
    TFontPitch FPitch = fpDefault;
    uint8_t FCharset = 1;
    TFontQuality FQuality = fqDefault;
};

class TPen : public TGraphicsObject {
public:
    void Assign(const TPersistent* source) override;
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t width);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode mode);

private:
    TColor FColor = clBlack;
    int32_t FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

class TBitmap;

class TBrush : public TGraphicsObject {
public:
    void Assign(const TPersistent* source) override;
    TColor Color() const { return FColor; }
    // Setting a colour while the style is bsClear makes the brush solid again.
    void SetColor(TColor color);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle style);
    // A pattern bitmap (8 x 8 or larger), not owned; nullptr for none.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* bitmap);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

// ---------------------------------------------------------------- canvas

// A drawing surface with the device-context state of the platform: map mode
// and viewport origin, text alignment, background mode and colour, the
// selected font, pen and brush, and a clip rectangle. Coordinates passed to
// drawing calls are logical units of the current map mode; the canvas turns
// them into device pixels for its device.
class TCanvas : public TPersistent {
public:
    // A canvas without a device measures text at 96 dpi and draws nothing.
    TCanvas();
    explicit TCanvas(std::unique_ptr<TCanvasDevice> device);
    ~TCanvas() override;

    TFont* Font() const { return FFont.get(); }
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetFont(const TFont* font) { FFont->Assign(font); }
    void SetPen(const TPen* pen) { FPen->Assign(pen); }
    void SetBrush(const TBrush* brush) { FBrush->Assign(brush); }

    // Drawing. Rectangles exclude their right and bottom edges; reversed
    // corners fill the same pixels.
    void FillRect(const TRect& rect);
    void FrameRect(const TRect& rect);
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3);
    void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(const TPoint& p) { FPenPos = p; }
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    void DrawFocusRect(const TRect& rect);
    void FloodFill(int32_t x, int32_t y, TColor color, bool surface);

    // Text at (x, y), the anchor chosen by the text alignment, in the font
    // colour, rotated by the font's orientation; with OPAQUE background mode
    // the text cell is filled with the background colour first.
    void TextOut(int32_t x, int32_t y, const std::string& text);
    // The same, clipped to rect, which is first filled with the brush unless
    // the brush is clear.
    void TextRect(const TRect& rect, int32_t x, int32_t y, const std::string& text);
    TSize TextExtent(const std::string& text);
    int32_t TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int32_t TextHeight(const std::string& text) { return TextExtent(text).cy; }
    // The byte length of the longest prefix of whole characters of text that
    // is at most width wide with suffix after it (0 when none is); only that
    // much of the text is measured.
    size_t TextFit(std::string_view text, int32_t width, const std::string& suffix = std::string());
    // The platform's DrawText with DT_ flags; with DT_CALCRECT only measures
    // and updates rect. Returns the height of the text. DT_VCENTER and
    // DT_BOTTOM act on single lines only; with DT_WORDBREAK, DT_EDITCONTROL
    // breaks a word wider than the box and, when drawing, leaves out a last
    // line that would show only in part (the first line always shows).
    int32_t DrawText(const std::string& text, TRect& rect, uint32_t format);
    int32_t DrawText(std::string_view text, TRect& rect, uint32_t format);
    int32_t DrawText(const char* text, TRect& rect, uint32_t format);
    // The width of text, measured only until it passes limit: exact when it
    // is at most limit, else some width above it.
    int32_t TextWidthUpTo(std::string_view text, int32_t limit);

    // Pictures.
    void Draw(int32_t x, int32_t y, TGraphic* graphic);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    // Copies a rectangle of another canvas (both in their own logical units).
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
    // Copies a rectangle of a bitmap, with color replaced by the brush colour.
    void BrushCopy(const TRect& dest, TBitmap& bitmap, const TRect& sourceRect, TColor color);
    // Draws bitmap stretched into rect through mask, a 1-bit bitmap of the
    // same size: where the mask holds 1 the canvas keeps what it shows.
    void MaskedStretchDraw(const TRect& rect, TBitmap& bitmap, TBitmap& mask);
    // The same at each of rects (tiles), the mask applied once for all.
    void MaskedStretchDraw(const std::vector<TRect>& rects, TBitmap& bitmap, TBitmap& mask);

    TColor Pixel(int32_t x, int32_t y);
    void SetPixel(int32_t x, int32_t y, TColor color);

    // Device-context state.
    int32_t GetDeviceCaps(int index) const;
    uint32_t SetTextAlign(uint32_t align);  // returns the previous alignment
    uint32_t GetTextAlign() const { return FTextAlign; }
    int SetBkMode(int mode);  // TRANSPARENT or OPAQUE; returns the previous mode
    int GetBkMode();
    TColor SetBkColor(TColor color);
    TColor GetBkColor();
    int SetMapMode(int mode);  // returns the previous mode
    int GetMapMode() const { return FMapMode; }
    TPoint SetViewportOrgEx(int32_t x, int32_t y);  // device units; returns the previous origin
    TPoint GetViewportOrg() const { return FViewportOrg; }
    TPoint SetWindowOrgEx(int32_t x, int32_t y);  // logical units
    TPoint GetWindowOrg() const { return FWindowOrg; }
    // Clipping in logical units; the clip is intersected, never widened,
    // until SelectClipRect(nullptr) or RestoreDC removes it.
    void IntersectClipRect(const TRect& rect);
    void SelectClipRect(const TRect* rect);
    TRect ClipRect() const;
    int SaveDC();
    void RestoreDC(int saved);

    // Logical to device and back.
    TPoint LPtoDP(const TPoint& p) const;
    TPoint DPtoLP(const TPoint& p) const;
    TRect LPtoDP(const TRect& r) const;

    TCanvasDevice* Device() const { return FDevice.get(); }
    void SetDevice(std::unique_ptr<TCanvasDevice> device);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void Changing();
    void Changed();

private:
    struct State {
        uint32_t TextAlign;
        int BkMode;
        TColor BkColor;
        int MapMode;
        TPoint ViewportOrg;
        TPoint WindowOrg;
        bool HasClip;
        TRect Clip;
        std::unique_ptr<TFont> Font;
        std::unique_ptr<TPen> Pen;
        std::unique_ptr<TBrush> Brush;
    };
    void BrushChanged();
    void RealizeBrush();
    double ScaleX() const;
    double ScaleY() const;
    int32_t DeviceFontHeight() const;
    TDeviceFont DeviceFont() const;
    TDevicePen DevicePen() const;
    TDeviceBrush DeviceBrush() const;
    bool PenVisible() const;
    bool BrushVisible() const;
    void PushClip();
    // Device rectangle of a logical one, corners ordered.
    TRect ToDevice(const TRect& r) const;
    TRect FromDevice(const TRect& r) const;
    int32_t ToDeviceLength(int32_t logical, bool vertical) const;
    int32_t FromDeviceLength(int32_t pixels, bool vertical) const;
    void DrawTextLine(int32_t x, int32_t y, const std::string& line, const TDeviceFont& font, bool expandTabs,
                      int32_t tabWidth, int32_t underlineAt);
    int32_t LineWidth(const std::string& line, const TDeviceFont& font, bool expandTabs, int32_t tabWidth);
    int32_t DrawTextOf(std::string_view whole, const std::string* owned, TRect& rect, uint32_t format);
    bool ShownPart(std::string_view text, const TRect& box, uint32_t& format, std::string& part);

    std::unique_ptr<TCanvasDevice> FDevice;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TPoint FPenPos;
    uint32_t FTextAlign = TA_LEFT | TA_TOP;
    int FBkMode = OPAQUE;
    TColor FBkColor = clWhite;
    bool FBrushDirty = true;
    int FMapMode = MM_TEXT;
    TPoint FViewportOrg;
    TPoint FWindowOrg;
    bool FHasClip = false;
    TRect FClip;  // device pixels
    std::vector<State> FSaved;
};

// ---------------------------------------------------------------- bitmap

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// A bitmap in memory with a canvas of its own. Its device resolution is 96
// dpi unless set (0 is allowed, to test the fallbacks of code that divides by
// it).
class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int32_t width, int32_t height);
    ~TBitmap() override;

    bool Empty() const override;
    int32_t Width() const override;
    int32_t Height() const override;
    void SetWidth(int32_t width) override;
    void SetHeight(int32_t height) override;
    void SetSize(int32_t width, int32_t height);
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Converts the pixels; pf1bit, pf4bit and pf8bit keep a colour table.
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const { return FPixelFormat == pf1bit; }
    void SetMonochrome(bool mono);

    int32_t ResolutionX() const { return FDpiX; }
    int32_t ResolutionY() const { return FDpiY; }
    void SetResolution(int32_t dpiX, int32_t dpiY);

    // Row y in the platform's layout: pf24bit B,G,R per pixel; pf32bit
    // B,G,R,A; pf8bit one index; pf4bit two indexes per byte, high nibble
    // first; pf1bit eight pixels per byte, most significant bit first.
    // Raises EInvalidGraphicOperation "Scan line index out of range".
    uint8_t* ScanLine(int32_t y);
    // Colour table of the indexed formats, as TColor values.
    std::vector<TColor> Palette() const;
    void SetPalette(const std::vector<TColor>& colors);
    // The palette handle: the one set last, or for an indexed bitmap one of
    // its colour table (the same handle until the table changes). Setting
    // one on an indexed bitmap makes its entries the colour table.
    HPALETTE GetPalette() override;
    void SetPalette(HPALETTE palette) override;

    TColor TransparentColor() const;
    void SetTransparentColor(TColor color) { FTransparentColor = color; }

    TCanvas* Canvas();
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // BMP; LoadFromStream also reads every format the platform can decode.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // By extension: ".png" writes PNG, anything else BMP.
    void SaveToFile(const std::string& path) override;
    void Assign(const TPersistent* source) override;
    // CF_BITMAP (or CF_DIB) as a BMP file.
    void SaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette) override;
    void LoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette) override;

private:
    friend class TBitmapDevice;
    // The native pixels (qt/GraphicsQt.h: BitmapImage, SetBitmapImage).
    friend struct TGraphicsQt;
    const QImage& Image();
    void SetImage(const QImage& image);
    void EndPaint();
    void SyncIndexed();
    struct Impl;
    std::unique_ptr<Impl> FImpl;
    std::unique_ptr<TCanvas> FCanvas;
    TPixelFormat FPixelFormat = pfDevice;
    HPALETTE FPaletteHandle;
    int32_t FDpiX = 96;
    int32_t FDpiY = 96;
    TColor FTransparentColor = clDefault;
};

// ---------------------------------------------------------------- picture registry

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

// A picture holds one graphic of any registered format.
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    TBitmap* Bitmap();  // replaces a non-bitmap graphic by an empty bitmap
    int32_t Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int32_t Height() const { return FGraphic ? FGraphic->Height() : 0; }
    // By extension, through the registry; an unknown extension raises
    // EInvalidGraphic "Unknown picture file extension (.xyz)".
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);
    void Assign(const TPersistent* source) override;

    // Extensions without the dot, compared without regard to case.
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   TGraphicFactory factory);
    static void UnregisterFileFormat(const std::string& extension);
    static bool SupportsExtension(const std::string& extension);
    // "Description (*.ext)|*.ext|..." of every registered format.
    static std::string GraphicFilter();

    // Clipboard formats that a graphic class reads (a format the clipboard
    // gave a number by name), for pasting a picture.
    static void RegisterClipboardFormat(TClipboardFormat format, TGraphicFactory factory);
    static void UnregisterClipboardFormat(TClipboardFormat format);
    static bool SupportsClipboardFormat(TClipboardFormat format);
    // A graphic of the class registered for format takes the bytes;
    // EInvalidGraphic "Unsupported clipboard format" for another format.
    void LoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette);
    // The graphic's clipboard entry; format 0 without a graphic.
    void SaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette);

    TNotifyEvent OnChange;
    // The graphic's progress reports, passed on.
    TProgressEvent OnProgress;

private:
    // The graphic's progress goes to OnProgress.
    void Attach(TGraphic& graphic);
    std::unique_ptr<TGraphic> FGraphic;
};

// ---------------------------------------------------------------- image list

// Pictures of one size, drawn by index (tool bars, grid images).
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* owner, int32_t width = 16, int32_t height = 16);
    ~TImageList() override;
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    void SetSize(int32_t width, int32_t height);
    int32_t Count() const;
    // The bitmap is copied, scaled to the list's size; its bottom-left pixel
    // colour is transparent when masked is True.
    int32_t Add(TBitmap& bitmap, bool masked = true);
    void Delete(int32_t index);
    void Clear();
    void Draw(TCanvas& canvas, int32_t x, int32_t y, int32_t index, bool enabled = true);
    void GetBitmap(int32_t index, TBitmap& bitmap);

private:
    int32_t FWidth;
    int32_t FHeight;
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};

// ---------------------------------------------------------------- fonts

// The installed font families, sorted, for TScreen::Fonts.
std::vector<std::string> InstalledFontFamilies();

// ---------------------------------------------------------------- screen

// Pixels per inch of the screen, for drawing on a device that reports no
// resolution: screen canvases work at the platform's 96.
int32_t ScreenPixelsPerInch();
