// The fonts of the PDF-file printer (internal to it). Text is drawn in the
// font the canvas resolves for its name, exactly as the screen lays it out.
// Where that font is metric-compatible with a standard PDF font (Liberation
// Sans for "Arial") and the text is Windows Latin, the file names the
// standard font; otherwise it embeds the glyphs it uses, each face once per
// file, as Type 3 procedures built from the font's outlines, with a
// ToUnicode map that keeps the text searchable.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"

struct TResolvedFont;
struct TShapedText;

// A TFont name and style as the PDF-file printer draws it; one per name and
// style for the life of the process.
struct TPdfFace {
    // The metric-compatible standard font ("Helvetica-Bold"), empty when the
    // resolved font is not one.
    std::string StandardFont;
    // Advances per Windows-1252 byte, per 1000 units of the em, measured on
    // the resolved font; used with the standard font only.
    std::array<double, 256> Widths{};
    double UnderlinePos = 0.1;     // below the baseline, per em
    double UnderlineWidth = 0.05;  // per em
};
const TPdfFace& PdfFaceFor(const std::string& name, TFontStyles style);

// A text prepared for one draw: in the standard font, or shaped for the
// embedded glyphs.
struct TPdfText {
    const TPdfFace* Face = nullptr;
    bool Standard = false;
    std::string Bytes;    // standard: Windows-1252; embedded: the UTF-8 text
    std::shared_ptr<const TShapedText> Shaped;  // embedded: as the screen lays it out
    double Width = 0;     // device pixels
};
TPdfText PreparePdfText(const std::string& utf8, const TPdfFace& face, const TResolvedFont& font);

struct TEmbeddedFace;

// The fonts of one file: the resources F1, F2, ... in order of first use.
class TPdfFontSet {
public:
    TPdfFontSet();
    ~TPdfFontSet();
    TPdfFontSet(const TPdfFontSet&) = delete;
    TPdfFontSet& operator=(const TPdfFontSet&) = delete;

    // Appends the operators that show text at em device pixels per em, from
    // the current text matrix: origin on the base line, a unit one device
    // pixel along the base line and up.
    void Show(std::string& out, const TPdfText& text, double em);

    int32_t ResourceCount() const { return static_cast<int32_t>(FResources.size()); }
    // Objects Write emits.
    int32_t ObjectCount() const;
    // Appends " /F1 5 0 R /F2 6 0 R ..." for objects starting at first.
    void AppendResources(std::string& out, int32_t first) const;
    // Writes the objects first, first + 1, ...; begin(n) opens object n.
    void Write(std::string& out, int32_t first, const std::function<void(int32_t)>& begin) const;

private:
    struct TType3;
    struct TResource {
        const TPdfFace* Standard = nullptr;  // else FType3[Type3]
        size_t Type3 = 0;
    };
    int32_t StandardResource(const TPdfFace* face);
    // The resource and code of a glyph, added on first use.
    std::pair<int32_t, uint8_t> Code(TEmbeddedFace* face, uint32_t glyph, const std::u16string& text);
    int32_t ObjectsOf(const TResource& r) const;
    void WriteType3(std::string& out, const TType3& font, int32_t first,
                    const std::function<void(int32_t)>& begin) const;

    std::vector<TResource> FResources;
    std::vector<std::unique_ptr<TType3>> FType3;
    std::vector<std::pair<const TPdfFace*, int32_t>> FStandard;
    struct TCodes;
    std::unique_ptr<TCodes> FCodes;
};
