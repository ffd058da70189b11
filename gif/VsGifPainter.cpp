#include "gif/VsGifPainter.h"

#include <algorithm>

namespace {

std::vector<TVsGifFrameTiming> FrameTimings(TVsGifImage& image) {
    std::vector<TVsGifFrameTiming> frames(static_cast<size_t>(image.FrameCount()));
    for (int32_t i = 0; i < image.FrameCount(); ++i) {
        TVsGifSubImage* frame = image.SubImage(i);
        TVsGifFrameTiming& t = frames[static_cast<size_t>(i)];
        t.Empty = frame->IsEmpty();
        t.HasBitmap = frame->HasBitmap();
        if (TVsGifGraphicControlExtension* gce = frame->GraphicControlExtension()) t.Delay = gce->FrameDelay();
        for (int32_t k = 0; k < frame->Extensions().Count(); ++k) {
            TVsGifExtension* ext = frame->Extensions().Extensions(k);
            if (auto* gce = dynamic_cast<TVsGifGraphicControlExtension*>(ext)) t.Disposal = gce->DisposalMethod();
            if (auto* loop = dynamic_cast<TVsGifAppExtNSLoop*>(ext); loop && !t.Looping) {
                t.Looping = true;
                t.Loops = loop->Loops();
            }
        }
    }
    return frames;
}

// The disposal methods that occur, as a bit set.
uint32_t DisposalSet(TVsGifImage& image, TGIFPaintOptions options) {
    uint32_t set = (options & goRestoreOnRepeat) ? 1u << 2 : 0;
    for (int32_t i = 0; i < image.FrameCount(); ++i) {
        TVsGifSubImage* frame = image.SubImage(i);
        for (int32_t k = 0; k < frame->Extensions().Count(); ++k)
            if (auto* gce = dynamic_cast<TVsGifGraphicControlExtension*>(frame->Extensions().Extensions(k)))
                set |= 1u << gce->DisposalMethod();
    }
    return set;
}

std::unique_ptr<TBitmap> CopyOf(TCanvas& canvas, const TRect& rect, TColor brush) {
    auto bitmap = std::make_unique<TBitmap>(rect.Width(), rect.Height());
    bitmap->Canvas()->Brush()->SetColor(brush);
    bitmap->Canvas()->Brush()->SetStyle(bsSolid);
    bitmap->Canvas()->CopyRect({0, 0, rect.Width(), rect.Height()}, canvas, rect);
    return bitmap;
}

// Every place a tiled frame lands in area, its screen size apart.
template <typename F>
void ForEachTile(const TVsGifImage& image, const TVsGifSubImage& frame, const TRect& area, F&& f) {
    const int32_t sw = image.Width(), sh = image.Height();
    if (sw <= 0 || sh <= 0) return;
    for (int64_t y = int64_t(area.Top) + frame.Top(); y < area.Bottom; y += sh)
        for (int64_t x = int64_t(area.Left) + frame.Left(); x < area.Right; x += sw)
            f(Bounds(static_cast<int32_t>(x), static_cast<int32_t>(y), frame.Width(), frame.Height()));
}

}  // namespace

TVsGifPainter::TVsGifPainter(TVsGifImage& image, TCanvas& canvas, const TRect& rect, TGIFPaintOptions options,
                             TCustomVsGifPainter** reference)
    : TVsGifPainterCore(FrameTimings(image), options, image.Speed()),
      FImage(&image),
      FCanvas(&canvas),
      FRect(rect),
      FTargetDevice(canvas.Device()),
      FReference(reference) {
    if (FReference) *FReference = this;
    TColor background = image.BackgroundColor();
    if (background == clNone) background = image.GlobalColorMap().Count() == 0 ? clWindow : image.Header().BackgroundColor();
    FBackground = ColorToRGB(background);
    const uint32_t disposals = DisposalSet(image, options);
    if ((disposals & (1u << 2)) && (options & goDrawTransparent)) FBackup = CopyOf(canvas, rect, FBackground);
    if (disposals & ((1u << 2) | (1u << 3))) {
        FWork = CopyOf(canvas, rect, FBackground);
        FPrevious = std::make_unique<TBitmap>(rect.Width(), rect.Height());
        FPrevious->Canvas()->Brush()->SetColor(FBackground);
        FPrevious->Canvas()->Brush()->SetStyle(bsSolid);
    }
    TVsGifImage* owner = &image;
    Link()->Build = [owner](int32_t frame) {
        if (frame < owner->FrameCount()) owner->SubImage(frame)->FrameBitmap();
    };
}

TVsGifPainter::~TVsGifPainter() = default;

void TVsGifPainter::SetPriority(uint8_t priority) {
    TThread::SetPriority(static_cast<TThreadPriority>(std::min<uint8_t>(priority, tpTimeCritical)));
    Link()->Priority.store(priority);
}

void TVsGifPainter::Detach() {
    FImage = nullptr;
    FReference = nullptr;
    Link()->Build = nullptr;
}

void TVsGifPainter::Cleanup() {
    if (TVsGifImage* image = FImage) {
        TThreadList::TLock lock(image->Painters());
        if (FReference && *FReference == this) *FReference = nullptr;
        image->PainterEnded(this);
        Detach();
    }
    FWork.reset();
    FPrevious.reset();
    FBackup.reset();
}

const TGIFPainterEvent& TVsGifPainter::Handler(TVsGifPainterHandler which) const {
    switch (which) {
        case phAnimationStart: return OnAnimationStart;
        case phFramePaint: return OnFramePaint;
        case phAnimationRepeat: return OnAnimationRepeat;
        case phAnimationEnd: break;
    }
    return OnAnimationEnd;
}

bool TVsGifPainter::HasHandler(TVsGifPainterHandler which) const { return static_cast<bool>(Handler(which)); }

void TVsGifPainter::CallHandler(TVsGifPainterHandler which) {
    // A copy: the handler may free the image, and with it what it was given.
    TGIFPainterEvent handler = Handler(which);
    if (handler && !Terminated()) handler(this);
}

void TVsGifPainter::PaintFrame(int32_t index, uint8_t disposal, uint8_t previous) {
    // A detached painter's canvas may be gone with its image.
    if (!FImage || index < 0 || index >= FImage->FrameCount()) return;
    TVsGifSubImage& frame = *FImage->SubImage(index);
    // Building the bitmap reports progress, whose handler may resize the
    // image and so free the canvas: build first, then look again.
    if (Options() & goDrawTransparent) frame.MaskReady();
    frame.FrameBitmap();
    if (Terminated()) return;
    if (FWork)
        PaintFrameComposed(frame, disposal, previous);
    else
        PaintFrameDirect(frame);
    if (frame.HasBitmap()) Link()->MarkBuilt(index);
}

void TVsGifPainter::PaintFrameDirect(TVsGifSubImage& frame) {
    frame.DrawFrame(*FCanvas, FRect, Options() & goTileDrawing, Options() & goDrawTransparent);
    SetPainted();
}

void TVsGifPainter::PaintFrameComposed(TVsGifSubImage& frame, uint8_t disposal, uint8_t previous) {
    if ((Options() & goCheckTargetDC) && (!FCanvas->Device() || FCanvas->Device() != FTargetDevice)) {
        Terminate();
        return;
    }
    const bool restoreFirst = (Options() & goRestoreOnRepeat) && ActiveFrame() == 0;
    const bool tile = Options() & goTileDrawing;
    const bool transparent = Options() & goDrawTransparent;
    const TRect whole{0, 0, FWork->Width(), FWork->Height()};
    TCanvas* surface = nullptr;
    TRect place = whole;
    bool copy = true;
    bool restoreAfter = false;
    if (disposal <= 1) {
        surface = FWork->Canvas();
    } else if (disposal == 2) {
        surface = FWork->Canvas();
        restoreAfter = true;
    } else if (disposal == 3 && previous <= 1) {
        // The work bitmap keeps the state before this frame.
        surface = FCanvas;
        place = FRect;
        copy = false;
    } else if (disposal == 3 && previous <= 3) {
        FPrevious->Canvas()->CopyRect(whole, *FWork->Canvas(), whole);
        surface = FPrevious->Canvas();
    }
    // Nothing to draw is still this frame's turn: Draw waits for the mark.
    if (!surface) {
        SetPainted();
        return;
    }
    if (restoreFirst) RestoreFrameArea(frame);
    frame.DrawFrame(*surface, place, tile, transparent);
    if (copy) FCanvas->CopyRect(FRect, *surface, whole);
    if (restoreAfter) RestoreFrameArea(frame);
    SetPainted();
}

// The frame's area of the work bitmap goes back to what lay under the
// animation, in the work bitmap's own coordinates.
void TVsGifPainter::RestoreFrameArea(TVsGifSubImage& frame) {
    TCanvas& work = *FWork->Canvas();
    const TRect whole{0, 0, FWork->Width(), FWork->Height()};
    const bool tile = Options() & goTileDrawing;
    if ((Options() & goDrawTransparent) && FBackup) {
        auto copyBack = [&](const TRect& r) { work.CopyRect(r, *FBackup->Canvas(), r); };
        if (tile)
            ForEachTile(*FImage, frame, whole, copyBack);
        else
            copyBack(frame.MapFrameRect(whole));
        return;
    }
    work.Brush()->SetColor(FBackground);
    work.Brush()->SetStyle(bsSolid);
    auto fill = [&](const TRect& r) { work.FillRect(r); };
    if (tile && frame.Width() != FImage->Width() && frame.Height() != FImage->Height())
        ForEachTile(*FImage, frame, whole, fill);
    else
        fill(frame.MapFrameRect(whole));
}

TCustomVsGifPainter* MakeVsGifPainter(TVsGifImage& image, TCanvas& canvas, const TRect& rect,
                                      TGIFPaintOptions options, TCustomVsGifPainter** reference) {
    auto* painter = new TVsGifPainter(image, canvas, rect, options, reference);
    painter->OnAnimationStart = image.OnAnimationStart;
    painter->OnFramePaint = image.OnFramePaint;
    painter->OnAnimationRepeat = image.OnAnimationRepeat;
    painter->OnAnimationEnd = image.OnAnimationEnd;
    return painter;
}
