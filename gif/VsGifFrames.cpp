// Frames, the extension run before each frame, the block list and the trailer.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "gif/VsGifCodec.h"

namespace {
// Pending fills are rare and written once: one lock serves every frame.
std::mutex& FillLock() {
    static std::mutex lock;
    return lock;
}

// MulDiv (position, 100, size), rounded to nearest, for streams of any size.
int32_t LoadPercent(int64_t position, int64_t size) {
    position = std::clamp<int64_t>(position, 0, size);
    return static_cast<int32_t>((position * 100 + size / 2) / size);
}
}  // namespace

// ---------------------------------------------------------------- frame

void TVsGifSubImage::FreeDeleter::operator()(uint8_t* p) const { std::free(p); }

TVsGifSubImage::TVsGifSubImage(TVsGifImage* image)
    : TVsGifItem(image),
      FColorMap(std::make_unique<TVsGifLocalColorMap>(this)),
      FExtensions(std::make_unique<TVsGifExtensionList>(this)) {}

TVsGifSubImage::~TVsGifSubImage() {
    ResetFrame();
    FExtensions.reset();
    FColorMap.reset();
}

void TVsGifSubImage::FreePixels() {
    FPixels.reset();
    FPixelsSize = 0;
    FPendingFill = {};
    FFillPending.store(false, std::memory_order_release);
}

void TVsGifSubImage::ResetFrame() {
    FExtensions->Clear();
    FColorMap->Clear();
    FreePixels();
    SetWidth(0);
    SetHeight(0);
    FTransparent = false;
    FGraphicControl = nullptr;
    ReleaseBitmap();
    ReleaseMask();
}

bool TVsGifSubImage::IsEmpty() const { return !FPixels || FPixelsSize == 0 || Width() == 0 || Height() == 0; }

int32_t TVsGifSubImage::DescriptorValue(int index) const {
    if (index < 1 || index > 4) return 0;
    return FDescriptor[2 * index - 1] | (FDescriptor[2 * index] << 8);
}

void TVsGifSubImage::SetDescriptorValue(int index, int32_t value) {
    if (index < 1 || index > 4) return;
    FDescriptor[2 * index - 1] = static_cast<uint8_t>(value);
    FDescriptor[2 * index] = static_cast<uint8_t>(value >> 8);
}

void TVsGifSubImage::SetInterlaced(bool interlaced) {
    FDescriptor[9] = static_cast<uint8_t>(interlaced ? FDescriptor[9] | 0x40 : FDescriptor[9] & ~0x40);
}

void TVsGifSubImage::RebuildPackedByte() {
    uint8_t packed = FDescriptor[9] & 0x58;  // reserved bits and interlace stay
    if (FColorMap->Count() > 0) {
        packed |= 0x80;
        if (FColorMap->Sorted()) packed |= 0x20;
        packed |= static_cast<uint8_t>(ColorResolution() & 7);
    }
    FDescriptor[9] = packed;
}

TGIFVersion TVsGifSubImage::VersionNeeded() const {
    return FColorMap->Sorted() || FExtensions->Count() > 0 ? GIFVersion89a : GIFVersion87a;
}

TVsGifColorMap& TVsGifSubImage::EffectiveColorMap() const {
    if (FColorMap->Count() > 0) return *FColorMap;
    if (FImage && FImage->GlobalColorMap().Count() > 0) return FImage->GlobalColorMap();
    return *FColorMap;
}

void TVsGifSubImage::AllocatePixels() {
    FreePixels();
    const int64_t n = static_cast<int64_t>(Width()) * Height();
    if (n <= 0) return;
    const int64_t others = FImage ? FImage->PixelCount(this) : 0;
    if (n > ImagePixelLimit.load(std::memory_order_relaxed) - others) RaiseGIFError(GifMsg::SImageTooLarge);
    // calloc: pages that no pixel reaches are never touched.
    auto* p = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(n), 1));
    if (!p) throw EOutOfMemory(SysConst::SOutOfMemory);
    FPixels.reset(p);
    FPixelsSize = n;
}

void TVsGifSubImage::FillFrom(int64_t decoded, uint8_t fill) {
    if (!FPixels || decoded >= FPixelsSize) return;
    std::lock_guard<std::mutex> lock(FillLock());
    FPendingFill = {std::max<int64_t>(decoded, 0), fill, Width(), Height(), Interlaced()};
    FFillPending.store(true, std::memory_order_release);
}

// Render threads may ask for the pixels of a frame no one has read yet: the
// first one writes the fill, any other waits for it on the lock.
void TVsGifSubImage::WritePendingFill() const {
    std::lock_guard<std::mutex> lock(FillLock());
    if (!FFillPending.load(std::memory_order_relaxed)) return;
    const TPendingFill pending = FPendingFill;
    if (FPixels && static_cast<int64_t>(pending.Width) * pending.Height == FPixelsSize)
        FillUndecoded(FPixels.get(), pending.Width, pending.Height, pending.Interlaced, pending.From, FPixelsSize,
                      pending.Value);
    FPendingFill = {};
    FFillPending.store(false, std::memory_order_release);
}

void TVsGifSubImage::PaletteChanged() { SetPalette(nullptr); }

void TVsGifSubImage::Assign(const TPersistent* source) {
    if (source == this) return;
    if (auto* frame = dynamic_cast<const TVsGifSubImage*>(source)) {
        ResetFrame();
        if (frame->IsEmpty()) return;
        std::memcpy(FDescriptor, frame->FDescriptor, sizeof FDescriptor);
        FTransparent = frame->FTransparent;
        AllocatePixels();
        std::memcpy(FPixels.get(), frame->Data(), static_cast<size_t>(FPixelsSize));
        FColorMap->Assign(frame->FColorMap.get());
        // Through a stream, so that the copies belong to this frame.
        TMemoryStream copy;
        frame->FExtensions->SaveToStream(copy);
        copy.SetPosition(0);
        FExtensions->LoadFromStream(copy);
        if (frame->FBitmap)
            if (const TVsGifBridge* bridge = VsGifBridge()) bridge->FrameCopyBitmap(*this, *frame);
        return;
    }
    if (const TVsGifBridge* bridge = VsGifBridge(); bridge && bridge->FrameAssign(*this, source)) return;
    TVsGifItem::Assign(source);
}

void TVsGifSubImage::AssignTo(TPersistent* dest) const {
    if (const TVsGifBridge* bridge = VsGifBridge(); bridge && bridge->FrameAssignTo(*this, dest)) return;
    TVsGifItem::AssignTo(dest);
}

void TVsGifSubImage::SaveToStream(TStream& stream) {
    FExtensions->SaveToStream(stream);
    if (IsEmpty()) return;
    RebuildPackedByte();
    FDescriptor[0] = GIFImageSeparator;
    stream.WriteBuffer(FDescriptor, 10);
    FColorMap->WriteEntries(stream);
    EncodeFrameData(*this, stream);
}

void TVsGifSubImage::LoadFromStream(TStream& stream) {
    ResetFrame();
    FExtensions->LoadFromStream(stream);
    uint8_t next = 0;
    if (!TryReadByte(stream, next)) return;
    stream.Seek(-1, soCurrent);
    // Only an image separator starts the descriptor; anything else ends the
    // frame here, with its extensions only.
    if (next != GIFImageSeparator) return;
    ReadExact(stream, FDescriptor, 10);
    if (Width() == 0 || Height() == 0) {
        SetHeight(FImage ? FImage->Height() : 0);
        SetWidth(FImage ? FImage->Width() : 0);
        Warning(1, GifMsg::SExceedsScreen);
    }
    if (FDescriptor[9] & 0x80) FColorMap->ReadEntries(stream, 2 << (FDescriptor[9] & 7));
    DecodeFrameData(*this, stream);
}

void TVsGifSubImage::LoadFromFile(const std::string& path) {
    TFileStream stream(path, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

// ---------------------------------------------------------------- extension list

TVsGifExtensionList::TVsGifExtensionList(TVsGifSubImage* frame)
    : TVsGifList(frame ? frame->Image() : nullptr), FFrame(frame) {}

void TVsGifExtensionList::LoadFromStream(TStream& stream) {
    uint8_t b = 0;
    if (!TryReadByte(stream, b)) return;
    while (b != GIFImageSeparator && b != GIFTrailer) {
        if (b != GIFExtensionIntroducer) {
            Warning(1, GifMsg::SExtensionIntroducer);
            break;
        }
        // No class only when the file ends inside the block's head.
        TVsGifExtensionClass extensionClass = ResolveExtensionClass(stream);
        if (!extensionClass) RaiseGIFError(GifMsg::SPrematureEnd);
        stream.Seek(-1, soCurrent);
        std::unique_ptr<TVsGifExtension> extension(extensionClass->Create(FFrame));
        extension->LoadFromStream(stream);
        Add(extension.release());
        if (!TryReadByte(stream, b)) return;
    }
    stream.Seek(-1, soCurrent);
}

// ---------------------------------------------------------------- frame list and trailer

void TVsGifImageList::SaveToStream(TStream& stream) {
    const int32_t count = Count();
    for (int32_t i = 0; i < count; ++i) {
        FItems[static_cast<size_t>(i)]->SaveToStream(stream);
        if (FImage)
            FImage->Progress(this, psRunning, static_cast<uint8_t>(MulDiv(i + 1, 100, count)), false,
                             {}, GifMsg::SSaving);
    }
}

void TVsGifImageList::LoadFromStream(TStream& stream) {
    auto nextBlock = [&](uint8_t& b) {
        do {
            if (!TryReadByte(stream, b)) return false;
        } while (b == 0);
        return true;
    };
    uint8_t b = 0;
    if (!nextBlock(b)) return;
    while (b != GIFTrailer) {
        stream.Seek(-1, soCurrent);
        if (b != GIFExtensionIntroducer && b != GIFImageSeparator) {
            Warning(1, GifMsg::SUnknownBlock);
            return;
        }
        std::unique_ptr<TVsGifSubImage> frame = std::make_unique<TVsGifSubImage>(FImage);
        frame->LoadFromStream(stream);
        if (FImage) {
            int64_t size = stream.Size();
            int32_t percent = size > 0 ? LoadPercent(stream.Position(), size) : 100;
            FImage->Progress(this, psRunning, static_cast<uint8_t>(percent), false, {},
                             GifMsg::SLoading);
        }
        Add(frame.release());
        if (!nextBlock(b)) return;
    }
    stream.Seek(-1, soCurrent);
}

void TVsGifTrailer::SaveToStream(TStream& stream) { WriteByte(stream, GIFTrailer); }

void TVsGifTrailer::LoadFromStream(TStream& stream) {
    uint8_t b = 0;
    if (!TryReadByte(stream, b)) {
        // The file stops before its end: what followed is lost.
        Warning(1, GifMsg::SPrematureEnd);
    } else if (b != GIFTrailer) {
        Warning(1, GifMsg::SInvalidTrailer);
    }
}

// ---------------------------------------------------------------- held bitmaps and palettes

void TVsGifSubImage::SetBitmap(TVsGifBitmapPtr bitmap) {
    FBitmap = std::move(bitmap);
    FHasBitmap.store(FBitmap != nullptr, std::memory_order_release);
}

void TVsGifSubImage::ReleaseBitmap() { SetBitmap(nullptr); }

void TVsGifSubImage::ReleaseMask() {
    FMask.reset();
    FMaskStale = true;
}

HPALETTE TVsGifSubImage::GetPalette() {
    if (HPALETTE palette = BitmapPaletteOf(FBitmap)) return palette;
    if (FPalette) return FPalette;
    if (FImage && FImage->UsesWebPalette()) {
        FPalette = BuildWebPalette();
    } else if (FColorMap->Count() == 0) {
        return FImage ? FImage->GetPalette() : nullptr;
    } else {
        FPalette = FColorMap->MakePalette();
    }
    return FPalette;
}

void TVsGifSubImage::SetPalette(HPALETTE palette) {
    if (palette == FPalette) return;
    FPalette = std::move(palette);
    if (FBitmap && BitmapPaletteOf(FBitmap) != FPalette) {
        ReleaseBitmap();
        if (FImage) {
            FImage->SetPaletteModified(true);
            FImage->Changed();
        }
    }
}

