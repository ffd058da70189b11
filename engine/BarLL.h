// Low level of the barcode engine: the settings record, the pattern tables and
// the symbol object that prepares the text, encodes it into a row of modules
// and draws it.
//
// Preparation and encoding need no canvas and build into engine_core; the
// drawing methods (DrawBarcode, DrawPostnet, DrawBar, DrawBarText) are
// defined in the engine target, which links the graphics room.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/runtime/Types.h"

class TCanvas;

// ---------------------------------------------------------------- enumerations

enum btCodeTypes : uint8_t {
    EAN_8,
    EAN_13,
    UPC_A,
    UPC_E,
    CODE39,
    CODE25i,
    CODE25iP,
    CODE128_A,
    CODE128_B,
    CODE128_C,
    MSI_Plessey,
    Codabar,
    Postnet,
    Postnet_FIM
};
inline constexpr std::size_t btCodeTypesCount = static_cast<std::size_t>(Postnet_FIM) + 1;

enum btCodeSizes : uint8_t { SC0, SC1, SC2, SC3, SC4, SC5, SC6, SC7, SC8, SC9 };
enum btCodeRotate : uint8_t { rotate_000, rotate_090, rotate_180, rotate_270 };
enum btCodeRatio : uint8_t { Ratio_3, Ratio_2 };

// ---------------------------------------------------------------- fixed buffers

// A zero-terminated text of fixed capacity (N - 1 characters). Text that does
// not fit is cut, as copying into a fixed buffer would; a zero byte ends it.
template <std::size_t N>
class TCharBuffer {
public:
    static constexpr std::size_t Capacity = N - 1;

    TCharBuffer() = default;
    explicit TCharBuffer(std::string_view text) { Assign(text); }

    std::size_t Length() const { return FLength; }
    bool Empty() const { return FLength == 0; }
    const char* c_str() const { return FData; }
    std::string_view View() const { return {FData, FLength}; }
    std::string Str() const { return std::string(FData, FLength); }
    char operator[](std::size_t i) const { return FData[i]; }
    char& operator[](std::size_t i) { return FData[i]; }
    uint8_t Byte(std::size_t i) const { return static_cast<uint8_t>(FData[i]); }

    void Clear() {
        FLength = 0;
        FData[0] = 0;
    }
    void Append(char c) {
        if (FLength < Capacity) {
            FData[FLength++] = c;
            FData[FLength] = 0;
        }
    }
    void Append(std::string_view s) {
        for (char c : s) Append(c);
    }
    void Assign(std::string_view s) {
        Clear();
        for (char c : s) {
            if (c == 0) break;
            Append(c);
        }
    }
    void Truncate(std::size_t length) {
        if (length < FLength) {
            FLength = length;
            FData[FLength] = 0;
        }
    }
    bool operator==(std::string_view s) const { return View() == s; }

private:
    char FData[N] = {};
    std::size_t FLength = 0;
};

// The caption: 50 characters (Windows-1252 bytes) and the terminating zero.
using TCaptionBuffer = TCharBuffer<51>;
// The add-on: 5 digits and the zero.
using TAddonBuffer = TCharBuffer<6>;
// The prepared text. The longest one is a Code 128 text of 54 characters
// (start, 50 caption characters, a trailing set-C digit as CODE A and the
// digit, check, STOP), so the buffer holds 54 and the zero.
using TTextBuffer = TCharBuffer<55>;

// ---------------------------------------------------------------- settings

struct TBarcodeParams {
    TCaptionBuffer Caption{"4711"};
    TAddonBuffer Addon;
    btCodeTypes CodeType = EAN_8;
    btCodeSizes ModuleSize = SC2;
    btCodeRatio Ratio = Ratio_3;
    int32_t HeightPercent = 100;
    std::string FontName = "Arial";
    int32_t FontScaling = 100;
    bool WidthReduce = false;
    bool HighDensity = false;
    bool ZoomSize = false;
    btCodeRotate Rotation = rotate_000;
    bool HumanReadable = true;
    // Last character of the second group of a 12-digit CODE25iP text.
    int32_t IdentSplit = 7;
};

// ---------------------------------------------------------------- pattern tables
// Read-only, built at compile time; one instance of each for the whole run.

// Code 39: 9 elements per character, bar first, '1' wide.
class TBarCode39 {
public:
    static constexpr std::string_view CharSet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";
    // What data may hold: all but the start and stop character '*'.
    static constexpr std::string_view DataSet = CharSet.substr(0, CharSet.size() - 1);
    static_assert(CharSet.back() == '*');
    // Index in CharSet, -1 when absent.
    int IndexOf(char c) const;
    std::string_view Pattern(int index) const;
};

// Code 128: the value set is the characters 32 to 138 (value v is v + 32);
// 11 modules per value, '1' dark. The stop's final two-module bar is not here.
class TBarCode128 {
public:
    static constexpr int Count = 107;
    static constexpr uint8_t FirstChar = 32;
    std::string_view Pattern(int value) const;
    // The six element widths of a value (bar, space, ... space).
    std::string_view Widths(int value) const;
};

// Codabar: 7 elements per character, bar first, '1' wide.
class TBarCodabar {
public:
    static constexpr std::string_view CharSet = "0123456789-$:/.+ABCD";
    int IndexOf(char c) const;
    std::string_view Pattern(int index) const;
};

// Postnet: 5 bars per digit, '1' tall; FIM: 9 positions, '1' a bar.
class TBarPostnet {
public:
    static constexpr std::string_view CharSet = "0123456789";
    std::string_view Pattern(int digit) const;
    // 0 = FIM-A, 1 = FIM-B, 2 = FIM-C.
    std::string_view FimPattern(int fim) const;
};

extern const TBarCode39 BarCode39;
extern const TBarCode128 BarCode128;
extern const TBarCodabar BarCodabar;
extern const TBarPostnet BarPostnet;

// Code 128 special characters of the prepared text.
namespace Code128Char {
inline constexpr uint8_t CodeC = 131;
inline constexpr uint8_t CodeB = 132;
inline constexpr uint8_t CodeA = 133;
inline constexpr uint8_t FNC1 = 134;
inline constexpr uint8_t StartA = 135;
inline constexpr uint8_t StartB = 136;
inline constexpr uint8_t StartC = 137;
inline constexpr uint8_t Stop = 138;
}  // namespace Code128Char

// ---------------------------------------------------------------- measures

// Positions of a draw are worked out in 64 bits, so that a symbol near the
// end of the canvas's coordinates or at an extreme resolution cannot
// overflow; a draw whose bars, texts or size do not fit 32 bits is refused
// before anything is drawn.
struct TRect64 {
    int64_t Left = 0;
    int64_t Top = 0;
    int64_t Right = 0;
    int64_t Bottom = 0;
};

// The unrotated symbol: top left corner, width and height (before the
// exchange of a quarter turn).
struct TSymbolBox {
    int64_t X = 0;
    int64_t Y = 0;
    int64_t W = 0;
    int64_t H2 = 0;
};

// Sizes of one draw in device pixels, from the device resolution.
struct TBarMetrics {
    long double DotsX = 0;  // per millimetre
    long double DotsY = 0;
    long double MM = 0;      // module width
    int32_t Px = 1;          // module width in whole pixels
    long double Factor = 0;  // nominal bar height in modules
    int32_t Margin = 0;      // left (and right) margin of EAN-13 and UPC-A
    int32_t H = 0;           // bar height at 100 %
    int32_t Cut = 0;         // taken off H by the height percentage
    int32_t FontHeight = 0;  // of the human-readable text
};

struct TPostnetMetrics {
    long double DotsX = 0;
    long double DotsY = 0;
    int32_t BarWidth = 0;
    long double Pitch = 0;
    int32_t Tall = 0;
    int32_t Short = 0;
    int32_t TextBasis = 0;
    int32_t FontHeight = 0;
};

// ---------------------------------------------------------------- symbol

class TLLBarcode {
public:
    static constexpr int32_t MaxModules = 833;
    static constexpr std::size_t Code39ElementCount = 468;
    static constexpr std::size_t Code25ElementCount = 260;
    // 4n + 3 bits for n digits; 51 digits (50 and the check) need 207.
    static constexpr std::size_t MsiBitCount = 208;

    TLLBarcode();
    ~TLLBarcode();
    TLLBarcode(const TLLBarcode&) = delete;
    TLLBarcode& operator=(const TLLBarcode&) = delete;

    std::unique_ptr<TBarcodeParams> Params;
    TTextBuffer TextBuffer;
    std::array<uint8_t, Code39ElementCount> Code39Elements{};
    std::array<uint8_t, Code25ElementCount> Code25Elements{};
    // Indexed from 1; 1 = dark (or a tall bar / a present FIM bar).
    std::array<uint8_t, MaxModules + 1> Modules{};
    int32_t ModuleCount = 0;
    // Left edge of each module in device pixels, computed once per draw.
    std::array<int64_t, MaxModules + 1> ModuleX{};

    // Text preparation. PrepareCode is the entry; for Codabar it converts the
    // caption to upper case in place. Raises EOverflow for an unknown type and
    // for a Code 128 caption with a character outside the value set, a start
    // or stop code, or a character its set cannot hold.
    static void PrepareCode(TCaptionBuffer& caption, TTextBuffer& buffer, btCodeTypes type);
    static void TransfervalidChars(TCaptionBuffer& caption, TTextBuffer& buffer, btCodeTypes type);
    static void PrepareCodabar(TCaptionBuffer& caption, TTextBuffer& buffer);
    // Mode 0: the symbol values as characters (value + 32), ending in the
    // STOP placeholder for the check. Mode 1: the human-readable text.
    static std::string TranslateCode128(std::string_view text, int mode);
    static void AddCode128Checkchar(TTextBuffer& buffer);
    static void AddProofchar(TTextBuffer& buffer, btCodeTypes type);
    static int32_t UPCESum(const TTextBuffer& buffer);
    static void AddMSIProofchar(TTextBuffer& buffer, btCodeTypes type);
    // Grouping of a CODE25iP text for the human-readable line.
    std::string FormatCode25PText(std::string_view text) const;

    // Clears and rebuilds Modules from the settings.
    void MakeModules();

    void EncodeEAN8();
    void EncodeEAN13();
    void EncodeUPCA();
    void EncodeUPCE();
    void EncodeCode39();
    void EncodeCode25();
    void EncodeCode128();
    void EncodeMSI();
    void EncodeCodabar();
    void EncodePostnet();
    void EncodeFIM();
    void EncodeAddon2();
    void EncodeAddon5();

    // Measures of a draw. A missing resolution is replaced by the screen's by
    // the caller; these take what they are given. A measure that does not
    // fit 32 bits raises EOverflow (SOutOfRange).
    long double ModuleWidthMM() const;
    TBarMetrics ComputeMetrics(int32_t logPixelsX, int32_t logPixelsY) const;
    // Fills ModuleX for modules 1 to ModuleCount.
    void ComputePositions(const TBarMetrics& m, int64_t X);
    TPostnetMetrics ComputePostnetMetrics(int32_t logPixelsX, int32_t logPixelsY) const;
    // Font height of the human-readable text for a text basis (the bar
    // height H, or Postnet's text basis).
    int32_t TextFontHeight(int32_t basis) const;
    // The value as a 32-bit coordinate; EOverflow (SOutOfRange) when it does
    // not fit.
    static int32_t Fit32(int64_t value);

    // Drawing (engine target). Size may be null; it receives width and height
    // after rotation.
    void DrawBarcode(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size);
    void DrawPostnet(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size);
    // The device resolution of a canvas; a device without one (0 or less)
    // takes the screen's.
    static void CanvasResolution(const TCanvas& canvas, int32_t& dpiX, int32_t& dpiY);
    // A bar or a text anchor given in unrotated coordinates, turned with the
    // symbol within its box; EOverflow (SOutOfRange) when it does not fit.
    TRect PlaceBar(const TSymbolBox& box, const TRect64& rect) const;
    TPoint PlaceText(const TSymbolBox& box, int64_t centreX, int64_t topY) const;
    // Fills one bar, placed by PlaceBar.
    void DrawBar(TCanvas& canvas, const TSymbolBox& box, const TRect64& rect);
    // Writes one text centred on the unrotated point, rotated with the symbol.
    void DrawBarText(TCanvas& canvas, const TSymbolBox& box, const std::string& text, int32_t basis,
                     int64_t centreX, int64_t topY);

    // The modules as a text of '0' and '1', for tests and diagnostics.
    std::string ModuleString() const;

private:
    void AppendModule(uint8_t value);
    // One element of a two-width symbology: wide is 3 or 2 modules by Ratio.
    void AppendElement(bool dark, bool wide);
    void AppendPattern(std::string_view modules);
};
