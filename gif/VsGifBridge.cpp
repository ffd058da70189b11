// The bridge to the graphics room: the picture registry and the clipboard
// entry, copies from and to bitmaps and other graphics, and drawing, handed
// to the codec's image and frames through its seam.
#include <mutex>
#include <new>

#include "gif/VsGifColor.h"
#include "gif/VsGifPainterCore.h"
#include "platform/graphics/Metafile.h"

namespace {

std::mutex& UnitLock() {
    static std::mutex lock;
    return lock;
}
bool Registered = false;  // guarded by UnitLock

std::unique_ptr<TGraphic> NewGifImage() { return std::make_unique<TVsGifImage>(); }

}  // namespace

TClipboardFormat GIFClipboardFormat() {
    static const TClipboardFormat format = RegisterClipboardFormat(GifMsg::SGIFImage);
    return format;
}

void InitVsGif() {
    std::lock_guard<std::mutex> lock(UnitLock());
    if (Registered) return;
    Registered = true;
    TPicture::RegisterFileFormat(GifMsg::SGIFExtension, GifMsg::SGIFImage, NewGifImage);
    TPicture::RegisterClipboardFormat(GIFClipboardFormat(), NewGifImage);
}

void DoneVsGif() {
    std::lock_guard<std::mutex> lock(UnitLock());
    if (!Registered) return;
    Registered = false;
    TPicture::UnregisterFileFormat(GifMsg::SGIFExtension);
    TPicture::UnregisterClipboardFormat(GIFClipboardFormat());
    VsGifShutdownRenderer();
}

// ---------------------------------------------------------------- copies

bool TVsGifImage::BridgeAssign(const TPersistent* source) {
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        Clear();
        AddFrame(const_cast<TBitmap*>(bitmap));
        return true;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        Clear();
        auto* g = const_cast<TGraphic*>(graphic);
        TBitmap bitmap;
        // A metafile draws on an 8-bit bitmap; other pictures become one.
        auto drawn = [&] {
            bitmap.SetSize(g->Width(), g->Height());
            SetBitmapPixelFormat(bitmap, pf8bit);
            bitmap.Canvas()->Draw(0, 0, g);
        };
        if (dynamic_cast<TMetafile*>(g)) {
            try {
                drawn();
            } catch (const Exception&) {
                bitmap.Assign(g);
            }
        } else {
            try {
                bitmap.Assign(g);
            } catch (const Exception&) {
                drawn();
            }
        }
        AddFrame(&bitmap);
        return true;
    }
    return false;
}

bool TVsGifSubImage::BridgeAssign(const TPersistent* source) {
    auto* bitmap = dynamic_cast<const TBitmap*>(source);
    if (!bitmap) return false;
    AssignBitmap(*bitmap);
    return true;
}

bool TVsGifSubImage::BridgeAssignTo(TPersistent* dest) const {
    auto* bitmap = dynamic_cast<TBitmap*>(dest);
    if (!bitmap) return false;
    bitmap->Assign(const_cast<TVsGifSubImage*>(this)->FrameBitmap());
    return true;
}

void TVsGifSubImage::CopyBitmapFrom(const TVsGifSubImage& frame) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(frame.FBitmap.get());
    SetBitmap(std::move(bitmap));
}

// ---------------------------------------------------------------- clipboard

void TVsGifImage::BridgeSaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette) {
    if (Empty()) return;
    ComposedBitmap()->SaveToClipboardFormat(format, data, palette);
    TMemoryStream stream;
    SaveToStream(stream);
    std::string bytes;
    try {
        bytes.assign(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    } catch (const std::bad_alloc&) {
        // No memory for the copy: the clipboard gets the bitmap alone.
        return;
    }
    if (const TClipboardDataAccess* clipboard = ClipboardDataAccess())
        clipboard->SetFormatData(GIFClipboardFormat(), bytes);
}

void TVsGifImage::BridgeLoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette) {
    auto load = [this](const std::string& bytes) {
        TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
        LoadFromStream(stream);
    };
    if (format == GIFClipboardFormat()) {
        load(data);
        return;
    }
    const TClipboardDataAccess* clipboard = ClipboardDataAccess();
    if (clipboard && clipboard->HasFormat(GIFClipboardFormat())) {
        load(clipboard->GetFormatData(GIFClipboardFormat()));
        return;
    }
    TBitmap bitmap;
    bitmap.LoadFromClipboardFormat(format, data, palette);
    Assign(&bitmap);
}

// ---------------------------------------------------------------- the seam

struct TVsGifBridgeImpl {
    static TVsGifSubImage* FrameFrom(TVsGifImage& image, TPersistent* source) {
        auto* bitmap = dynamic_cast<TBitmap*>(source);
        if (!bitmap) return nullptr;
        auto made = std::make_unique<TVsGifSubImage>(&image);
        made->Assign(bitmap);
        return made.release();
    }
    static constexpr TVsGifBridge Bridge{
        &InitVsGif,
        [](TVsGifImage& image, const TPersistent* source) { return image.BridgeAssign(source); },
        [](const TVsGifImage& image, TPersistent* dest) { return image.BridgeAssignTo(dest); },
        [](TVsGifImage& image, TCanvas& canvas, const TRect& rect) { image.BridgeDraw(canvas, rect); },
        [](TVsGifImage& image, TClipboardFormat& format, std::string& data, HPALETTE& palette) {
            image.BridgeSaveToClipboardFormat(format, data, palette);
        },
        [](TVsGifImage& image, TClipboardFormat format, const std::string& data, const HPALETTE& palette) {
            image.BridgeLoadFromClipboardFormat(format, data, palette);
        },
        &FrameFrom,
        [](TVsGifSubImage& frame, const TPersistent* source) { return frame.BridgeAssign(source); },
        [](const TVsGifSubImage& frame, TPersistent* dest) { return frame.BridgeAssignTo(dest); },
        [](TVsGifSubImage& to, const TVsGifSubImage& from) { to.CopyBitmapFrom(from); },
    };
};

bool InstallVsGifBridge() {
    SetVsGifBridge(&TVsGifBridgeImpl::Bridge);
    return true;
}
