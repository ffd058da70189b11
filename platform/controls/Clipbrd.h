// The system clipboard: text, bitmaps, metafiles and formats registered by
// name, each offered under a MIME type ("Rich Text Format" as text/rtf, a
// bitmap as image/png and image/bmp, an enhanced metafile as image/x-emf).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/runtime/Classes.h"
#include "platform/runtime/SysUtils.h"

class TMetafile;

VARSONA_DECLARE_EXCEPTION(EClipboardException, Exception)

namespace ClipboardConst {
inline constexpr const char* SCannotOpenClipboard = "Cannot open clipboard";
inline constexpr const char* SUnknownClipboardFormat = GraphicConst::SUnsupportedClipboardFormat;
inline constexpr const char* SUnbalancedClose = "Clipboard closed more often than opened";
}  // namespace ClipboardConst

// The clipboard format numbers (TClipboardFormat, CF_BITMAP and the others)
// are declared with TGraphic (platform/runtime/Graphic.h).

// Formats are registered by name with RegisterClipboardFormat (with
// TGraphic). Known names get the standard MIME type ("Rich Text Format":
// text/rtf, "GIF Image": image/gif, "HTML Format": text/html, "PNG":
// image/png); a name that is a MIME type stands for itself; any other name
// becomes application/x-varsona-<name>.
// The MIME type a format is offered under; empty for an unknown number.
std::string ClipboardFormatMimeType(TClipboardFormat format);

class TClipboard : public TPersistent {
public:
    TClipboard();
    ~TClipboard() override;

    // Writes between Open and the matching Close reach the system clipboard
    // together at the last Close; the first of them replaces what was there,
    // the later ones add their formats beside it. Outside Open each write
    // is a session of its own. Reads see the writes of the open session.
    void Open();
    void Close();
    bool IsOpen() const;
    // Empties the clipboard.
    void Clear();

    bool HasFormat(TClipboardFormat format) const;
    // The formats on the clipboard: the predefined ones it can give and the
    // registered ones (MIME types of other programs register as themselves).
    std::vector<TClipboardFormat> Formats() const;

    std::string AsText() const;
    void SetAsText(const std::string& text);

    // A TBitmap (as image/png and image/bmp), a TMetafile (its EMF bytes and
    // a bitmap of it), another graphic (its SaveToClipboardFormat entry, or
    // a bitmap of it) or a TPicture holding one. Other sources raise
    // EConvertError "Cannot assign a ... to a TClipboard". Assigning the
    // clipboard to a TPicture takes a format a graphic class registered with
    // TPicture before the bitmap.
    void Assign(const TPersistent* source) override;
    // The clipboard's picture; False (bitmap unchanged) when there is none.
    bool GetBitmap(TBitmap& bitmap) const;
    // EMF bytes with an optional bitmap beside them.
    void SetMetafileBytes(const std::string& emf, const TBitmap* bitmap);
    // The EMF bytes on the clipboard, empty when there are none.
    std::string MetafileBytes() const;

    // The bytes of a format, as the platform's SetClipboardData and
    // GetClipboardData hand them over: CF_TEXT and CF_UNICODETEXT are UTF-8
    // text with its terminating zero, CF_BITMAP and CF_DIB a BMP file,
    // CF_ENHMETAFILE EMF bytes, registered formats whatever was put there.
    // SetFormatData adds the format beside what is on the clipboard (as the
    // grid puts its rich text beside the text it copied) unless an open
    // session has not written yet. GetFormatData gives empty bytes for a
    // format that is absent. An unknown number raises EClipboardException.
    void SetFormatData(TClipboardFormat format, const std::string& bytes);
    std::string GetFormatData(TClipboardFormat format) const;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};

// The process's clipboard, created on first use.
TClipboard* Clipboard();
// Replaces it and returns the previous one (nullptr: a fresh one next time).
std::unique_ptr<TClipboard> SetClipboard(std::unique_ptr<TClipboard> clipboard);
