// The abstract picture. It lives in the runtime room so that picture formats
// (the GIF library) can build and test without a display; drawing it needs a
// TCanvas from the graphics room.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/runtime/Classes.h"
#include "platform/runtime/Palette.h"
#include "platform/runtime/Types.h"

class TCanvas;

VARSONA_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
VARSONA_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

namespace GraphicConst {
inline constexpr const char* SUnsupportedClipboardFormat = "Unsupported clipboard format";
}

// Clipboard formats, numbered as on the platform; registered ones from
// 0xC000 (the clipboard in the controls room gives them out by name).
using TClipboardFormat = uint32_t;
inline constexpr TClipboardFormat CF_TEXT = 1;
inline constexpr TClipboardFormat CF_BITMAP = 2;
inline constexpr TClipboardFormat CF_METAFILEPICT = 3;
inline constexpr TClipboardFormat CF_DIB = 8;
inline constexpr TClipboardFormat CF_UNICODETEXT = 13;
inline constexpr TClipboardFormat CF_ENHMETAFILE = 14;
inline constexpr TClipboardFormat CF_FIRSTREGISTERED = 0xC000;

// The same name (ignoring case) gives the same number for the life of the
// process; 0 for an empty name. The clipboard (platform/controls/Clipbrd.h)
// offers each under a MIME type made from its name.
TClipboardFormat RegisterClipboardFormat(const std::string& name);
// The name a registered format was registered with; empty for others.
std::string GetClipboardFormatName(TClipboardFormat format);

// The system clipboard's bytes of a format, for a graphic that puts an entry
// of its own beside its picture; the clipboard in the controls room installs
// it, and none is there in a program without that clipboard.
struct TClipboardDataAccess {
    bool (*HasFormat)(TClipboardFormat format);
    std::string (*GetFormatData)(TClipboardFormat format);
    void (*SetFormatData)(TClipboardFormat format, const std::string& bytes);
};
void SetClipboardDataAccess(const TClipboardDataAccess* access);
const TClipboardDataAccess* ClipboardDataAccess();

// What a long load, save or conversion reports as it goes.
enum TProgressStage : uint8_t { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone,
                                          bool RedrawNow, const TRect& R, const std::string& Msg)>;

class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void SetWidth(int32_t width) {}
    virtual void SetHeight(int32_t height) {}
    // Paints the picture stretched into rect on canvas; TCanvas::Draw and
    // StretchDraw call this.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromFile(const std::string& path);
    virtual void SaveToFile(const std::string& path);

    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool transparent);
    bool Modified() const { return FModified; }
    void SetModified(bool modified) { FModified = modified; }

    // The palette the picture is drawn with; none by default.
    virtual HPALETTE GetPalette() { return nullptr; }
    virtual void SetPalette(HPALETTE palette) {}
    // Set when the palette changed since the picture was last drawn.
    bool PaletteModified() const { return FPaletteModified; }
    void SetPaletteModified(bool modified) { FPaletteModified = modified; }

    // Copying: the format and bytes of the picture's main clipboard entry
    // (format 0: none; the clipboard then puts a bitmap of it there); a
    // picture may put entries of its own formats on the clipboard itself.
    // Pasting: the picture takes the bytes of format.
    virtual void SaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette);
    // EInvalidGraphic "Unsupported clipboard format" unless overridden.
    virtual void LoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette);

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    virtual void Changed();
    // Calls OnProgress when it is set.
    virtual void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                          const std::string& msg);

private:
    bool FTransparent = false;
    bool FModified = false;
    bool FPaletteModified = false;
};
