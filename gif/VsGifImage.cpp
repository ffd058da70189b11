// The image object: header, frames, options, load and save, copies, and
// the seam the bridge to the graphics room plugs into.
#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "gif/VsGifCodec.h"
#include "gif/VsGifPainterCore.h"

// ---------------------------------------------------------------- bridge seam

namespace {
std::atomic<const TVsGifBridge*> Bridge{nullptr};
}  // namespace

void SetVsGifBridge(const TVsGifBridge* bridge) { Bridge.store(bridge, std::memory_order_release); }

const TVsGifBridge* VsGifBridge() { return Bridge.load(std::memory_order_acquire); }

// ---------------------------------------------------------------- image

TVsGifImage::TVsGifImage()
    : FImages(std::make_unique<TVsGifImageList>(this)), FHeader(std::make_unique<TVsGifHeader>(this)) {
    if (const TVsGifBridge* bridge = VsGifBridge()) bridge->Start();
    Clear();
}

TVsGifImage::~TVsGifImage() {
    try {
        StopPainters();
    } catch (...) {
        // The painters are told to stop either way, and are let go below.
    }
    {
        TThreadList::TLock lock(FPainters);
        for (int32_t i = 0; i < lock->Count(); ++i) static_cast<TCustomVsGifPainter*>(lock->Items(i))->Detach();
        lock->Clear();
        FOwnPainter = nullptr;
    }
    FComposed.reset();
    FImages->Clear();
    FImages.reset();
    FHeader.reset();
}

void TVsGifImage::Clear() {
    StopPainters();
    ReleaseComposedBitmap();
    FImages->Clear();
    FHeader->ColorMap().Clear();
    FHeader->SetWidth(0);
    FHeader->SetHeight(0);
    FHeader->RebuildPackedByte();
    SetPalette(nullptr);
}

void TVsGifImage::Warning(TObject* sender, uint8_t severity, const std::string& message) {
    if (OnGIFWarning) OnGIFWarning(sender, severity, message);
}


TGIFVersion TVsGifImage::VersionNeeded() const {
    if (FImages->Count() == 0) return GIFVersionUnknown;
    // A sorted global table or an aspect ratio exists only in 89a.
    if (FHeader->VersionNeeded() == GIFVersion89a) return GIFVersion89a;
    for (int32_t i = 0; i < FImages->Count(); ++i)
        if (FImages->SubImages(i)->VersionNeeded() == GIFVersion89a) return GIFVersion89a;
    return GIFVersion87a;
}

int64_t TVsGifImage::PixelCount(const TVsGifSubImage* except) const {
    int64_t count = 0;
    for (int32_t i = 0; i < FImages->Count(); ++i)
        if (FImages->SubImages(i) != except) count += FImages->SubImages(i)->DataSize();
    return count;
}

int32_t TVsGifImage::MaxColorResolution() const {
    int32_t result = FHeader->ColorResolution();
    for (int32_t i = 0; i < FImages->Count(); ++i) result = std::max(result, FImages->SubImages(i)->ColorResolution());
    return result;
}

int32_t TVsGifImage::MaxBitsPerPixel() const {
    int32_t result = FHeader->BitsPerPixel();
    for (int32_t i = 0; i < FImages->Count(); ++i) result = std::max(result, FImages->SubImages(i)->BitsPerPixel());
    return result;
}

int32_t TVsGifImage::AddFrame(TPersistent* source) {
    auto* frame = dynamic_cast<TVsGifSubImage*>(source);
    TVsGifSubImage* made = nullptr;
    if (!frame)
        if (const TVsGifBridge* bridge = VsGifBridge()) made = bridge->FrameFrom(*this, source);
    if (made) {
        frame = made;
    } else if (!frame) {
        RaiseGIFError(GifMsg::SUnsupportedObject);
    } else if (frame->Image() != this) {
        // Another image's frame stays with it; this image gets a copy.
        auto copy = std::make_unique<TVsGifSubImage>(this);
        copy->Assign(frame);
        frame = copy.release();
    }
    int32_t index = FImages->Add(frame);
    bool grew = false;
    if (frame->Left() + frame->Width() > Width()) {
        FHeader->SetWidth(frame->Left() + frame->Width());
        Warning(this, 1, GifMsg::SWidthTooSmall);
        grew = true;
    }
    if (frame->Top() + frame->Height() > Height()) {
        FHeader->SetHeight(frame->Top() + frame->Height());
        Warning(this, 1, GifMsg::SHeightTooSmall);
        grew = true;
    }
    if (grew) {
        Warning(frame, 1, GifMsg::SExceedsScreen);
        ReleaseComposedBitmap();
        Changed();
    }
    return index;
}

void TVsGifImage::SetWidth(int32_t width) {
    for (int32_t i = 0; i < FImages->Count(); ++i) {
        TVsGifSubImage* frame = FImages->SubImages(i);
        if (frame->Left() + frame->Width() > width) RaiseGIFError(GifMsg::SWidthTooSmall);
    }
    FHeader->SetWidth(width);
    ReleaseComposedBitmap();
    Changed();
}

void TVsGifImage::SetHeight(int32_t height) {
    for (int32_t i = 0; i < FImages->Count(); ++i) {
        TVsGifSubImage* frame = FImages->SubImages(i);
        if (frame->Top() + frame->Height() > height) RaiseGIFError(GifMsg::SHeightTooSmall);
    }
    FHeader->SetHeight(height);
    ReleaseComposedBitmap();
    Changed();
}

void TVsGifImage::Assign(const TPersistent* source) {
    if (source == this) return;
    if (!source) {
        Clear();
        return;
    }
    if (auto* other = dynamic_cast<const TVsGifImage*>(source)) {
        Clear();
        OnProgress = other->OnProgress;
        OnGIFWarning = other->OnGIFWarning;
        auto done = [this] {
            OnProgress = nullptr;
            OnGIFWarning = nullptr;
        };
        Progress(this, psStarting, 0, false, {}, GifMsg::SCopying);
        try {
            FHeader->Assign(&other->Header());
            FPainterPriority = other->FPainterPriority;
            FBackgroundColor = other->FBackgroundColor;
            FPaintOptions = other->FPaintOptions;
            FReductionMode = other->FReductionMode;
            FDitherMethod = other->FDitherMethod;
            const int32_t count = other->FrameCount();
            for (int32_t i = 0; i < count; ++i) {
                auto frame = std::make_unique<TVsGifSubImage>(this);
                frame->Assign(other->SubImage(i));
                AddFrame(frame.release());
                Progress(this, psRunning, static_cast<uint8_t>(MulDiv(i + 1, 100, count)), false, {},
                         GifMsg::SCopying);
            }
        } catch (...) {
            Progress(this, psEnding, 0, false, {}, GifMsg::SCopying);
            done();
            throw;
        }
        Progress(this, psEnding, 100, false, {}, GifMsg::SCopying);
        done();
        return;
    }
    if (const TVsGifBridge* bridge = VsGifBridge(); bridge && bridge->ImageAssign(*this, source)) return;
    TGraphic::Assign(source);
}

// ---------------------------------------------------------------- clipboard

void TVsGifImage::SaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette) {
    if (const TVsGifBridge* bridge = VsGifBridge()) bridge->ImageSaveToClipboardFormat(*this, format, data, palette);
}

void TVsGifImage::LoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette) {
    if (const TVsGifBridge* bridge = VsGifBridge()) {
        bridge->ImageLoadFromClipboardFormat(*this, format, data, palette);
        return;
    }
    TGraphic::LoadFromClipboardFormat(format, data, palette);
}

void TVsGifImage::Draw(TCanvas& canvas, const TRect& rect) {
    if (const TVsGifBridge* bridge = VsGifBridge()) bridge->ImageDraw(*this, canvas, rect);
}

void TVsGifImage::AssignTo(TPersistent* dest) const {
    if (const TVsGifBridge* bridge = VsGifBridge(); bridge && bridge->ImageAssignTo(*this, dest)) return;
    TGraphic::AssignTo(dest);
}

// A screen of width or height 0 says nothing about the picture: it takes the
// extent of the frames instead.
void TVsGifImage::GrowScreenToFrames() {
    if (Width() != 0 && Height() != 0) return;
    int64_t right = 0, bottom = 0;
    for (int32_t i = 0; i < FImages->Count(); ++i) {
        TVsGifSubImage* frame = FImages->SubImages(i);
        right = std::max<int64_t>(right, int64_t(frame->Left()) + frame->Width());
        bottom = std::max<int64_t>(bottom, int64_t(frame->Top()) + frame->Height());
    }
    if (Width() == 0) FHeader->SetWidth(static_cast<int32_t>(std::min<int64_t>(right, 0xFFFF)));
    if (Height() == 0) FHeader->SetHeight(static_cast<int32_t>(std::min<int64_t>(bottom, 0xFFFF)));
}

void TVsGifImage::LoadFromStream(TStream& stream) {
    Progress(this, psStarting, 0, false, {}, GifMsg::SLoading);
    try {
        Clear();
        // A memory stream is read where it lies; any other through a buffer.
        int64_t start = stream.Position();
        std::unique_ptr<TStream> reader;
        if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
            start = std::clamp<int64_t>(start, 0, memory->Size());
            reader = std::make_unique<TReadOnlyMemoryStream>(memory->Memory() ? memory->Memory() + start : nullptr,
                                                             memory->Size() - start);
        } else {
            start = 0;  // the buffer reads on from the stream's own position
            reader = std::make_unique<TVsGifReadBuffer>(stream);
        }
        TStream& source = *reader;
        auto finish = [&] {
            if (start >= 0) stream.SetPosition(start + source.Position());
        };
        try {
            FHeader->LoadFromStream(source);
        } catch (...) {
            Clear();
            finish();
            throw;
        }
        try {
            FImages->LoadFromStream(source);
            TVsGifTrailer trailer(this);
            trailer.LoadFromStream(source);
        } catch (...) {
            GrowScreenToFrames();
            finish();
            throw;
        }
        GrowScreenToFrames();
        finish();
    } catch (...) {
        Progress(this, psEnding, 0, true, {}, GifMsg::SLoading);
        throw;
    }
    Progress(this, psEnding, 100, true, {}, GifMsg::SLoading);
}

namespace {

uint8_t HighestIndex(const uint8_t* pixels, int64_t n) {
    // One maximum per lane of a 16-byte vector, folded at the end: a block
    // folded each time costs more than its maxima.
    constexpr int64_t Lanes = 16;
    uint8_t lanes[Lanes] = {};
    int64_t i = 0;
    for (; i + Lanes <= n; i += Lanes)
        for (int64_t k = 0; k < Lanes; ++k) lanes[k] = std::max(lanes[k], pixels[i + k]);
    uint8_t top = 0;
    for (uint8_t lane : lanes) top = std::max(top, lane);
    for (; i < n; ++i) top = std::max(top, pixels[i]);
    return top;
}

}  // namespace

// Indices a file holds beyond its colour table, or a file without any table,
// load; so that they also save and show the same, the table each frame is
// written with grows to cover its indices (new entries black), and frames
// without any table get a black-and-white global one.
void TVsGifImage::CoverColorIndices() {
    TVsGifColorMap& global = GlobalColorMap();
    for (int32_t i = 0; i < FImages->Count(); ++i) {
        TVsGifSubImage* frame = FImages->SubImages(i);
        if (frame->IsEmpty()) continue;
        TVsGifColorMap& map = frame->ColorMap().Count() > 0 ? frame->ColorMap() : global;
        if (map.Count() >= 256) continue;
        if (map.Count() == 0) {
            map.InsertColor(clBlack);
            map.InsertColor(clWhite);
        }
        map.ExtendTo(HighestIndex(frame->Data(), frame->DataSize()) + 1);
    }
}

void TVsGifImage::SaveToStream(TStream& stream) {
    Progress(this, psStarting, 0, false, {}, GifMsg::SSaving);
    try {
        CoverColorIndices();
        FHeader->SaveToStream(stream);
        FImages->SaveToStream(stream);
        TVsGifTrailer trailer(this);
        trailer.SaveToStream(stream);
    } catch (...) {
        Progress(this, psEnding, 0, true, {}, GifMsg::SSaving);
        throw;
    }
    Progress(this, psEnding, 100, true, {}, GifMsg::SSaving);
}

// ---------------------------------------------------------------- palettes and painters

bool TVsGifImage::UsesWebPalette() const {
    if (!(FPaintOptions & goWebPaletteDither)) return false;
    return (FPaintOptions & goWebDitherOnPaletteDisplays) ? PaletteDisplay.load() : true;
}

HPALETTE TVsGifImage::GetPalette() {
    if (FPaletteFlag) RaiseGIFError(GifMsg::SNoColorTable);
    FPaletteFlag = true;
    struct TReset {
        bool& Flag;
        ~TReset() { Flag = false; }
    } reset{FPaletteFlag};
    if (HPALETTE palette = BitmapPaletteOf(FComposed)) return palette;
    if (FPalette) return FPalette;
    if (UsesWebPalette()) {
        FPalette = BuildWebPalette();
    } else if (GlobalColorMap().Count() == 0) {
        return FImages->Count() > 0 ? SubImage(0)->GetPalette() : nullptr;
    } else {
        FPalette = GlobalColorMap().MakePalette();
    }
    return FPalette;
}

void TVsGifImage::SetPalette(HPALETTE palette) {
    if (palette == FPalette) return;
    if (FComposed && BitmapPaletteOf(FComposed) != palette) {
        ReleaseComposedBitmap();
        FPalette = std::move(palette);
        SetPaletteModified(true);
        Changed();
        return;
    }
    FPalette = std::move(palette);
}

void TVsGifImage::PaletteChanged() { SetPalette(nullptr); }

void TVsGifImage::ReleaseComposedBitmap() {
    {
        TThreadList::TLock lock(FPainters);
        if (FOwnPainter) FOwnPainter->Stop();
    }
    FComposed.reset();
}

void TVsGifImage::PainterEnded(TCustomVsGifPainter* painter) {
    TThreadList::TLock lock(FPainters);
    if (FOwnPainter == painter) FOwnPainter = nullptr;
    lock->Remove(painter);
}

void TVsGifImage::StopPainters() {
    // Every threaded painter was told to stop; each leaves the list at its
    // end, through a synchronised call. One whose call this thread is inside
    // cannot end first: it stays, and the destructor detaches it.
    auto ended = [this] {
        TThreadList::TLock lock(FPainters);
        bool threaded = false;
        for (int32_t i = lock->Count() - 1; i >= 0; --i) {
            auto* painter = static_cast<TCustomVsGifPainter*>(lock->Items(i));
            painter->Stop();
            threaded = threaded || (painter->InThread() && !painter->InCall());
        }
        return !threaded;
    };
    try {
        VsGifWaitForPainters(ended);
    } catch (...) {
        ReleaseComposedBitmap();
        throw;
    }
    ReleaseComposedBitmap();
}

void TVsGifImage::StopOwnPainter() {
    VsGifWaitForPainters([this] {
        TThreadList::TLock lock(FPainters);
        if (!FOwnPainter) return true;
        FOwnPainter->Stop();
        // Inside one of its calls: it ends once that returns, and lets go of
        // the reference only if it still holds it.
        if (FOwnPainter->InCall()) FOwnPainter = nullptr;
        return !FOwnPainter || !FOwnPainter->InThread();
    });
    ReleaseComposedBitmap();
}
