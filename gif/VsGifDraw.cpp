// Frames to bitmaps and back, drawing frames and the image, and the image's
// side of its painters.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "gif/VsGifColor.h"
#include "gif/VsGifPainter.h"

namespace {

TVsGifPainterFactory& PainterFactory() {
    static TVsGifPainterFactory factory = MakeVsGifPainter;
    return factory;
}

// What no colour table shows: black and white, the rest black, as such a
// frame is saved.
HPALETTE BlackAndWhite() {
    static const HPALETTE palette = CreatePalette({{0, 0, 0, PC_NOCOLLAPSE}, {255, 255, 255, PC_NOCOLLAPSE}});
    return palette;
}

uint8_t WebLevel(int32_t v) { return static_cast<uint8_t>(std::clamp<long>(std::lround(v / 51.0), 0, 5)); }

}  // namespace

TVsGifPainterFactory SetVsGifPainterFactory(TVsGifPainterFactory factory) {
    TVsGifPainterFactory previous = std::move(PainterFactory());
    PainterFactory() = std::move(factory);
    return previous;
}
bool HasVsGifPainterFactory() { return static_cast<bool>(PainterFactory()); }

// ---------------------------------------------------------------- frame bitmaps

TBitmap* TVsGifSubImage::NewBitmap() {
    ReleaseBitmap();
    SetBitmap(std::make_unique<TBitmap>());
    return FBitmap.get();
}

bool TVsGifSubImage::MaskReady() {
    if (FMaskStale && FTransparent) {
        ReleaseBitmap();
        FrameBitmap();
    }
    return FMask != nullptr;
}

// A frame that neither it nor its image gives a colour table would ask the
// image for a palette that the image asks the frame for: it is drawn black
// and white instead, as it is saved.
HPALETTE TVsGifSubImage::DrawingPalette() {
    if ((!FImage || !FImage->UsesWebPalette()) && EffectiveColorMap().Count() == 0) return BlackAndWhite();
    return GetPalette();
}

TBitmap* TVsGifSubImage::FrameBitmap() {
    if (FBitmap || IsEmpty()) return FBitmap.get();
    auto progress = [this](TProgressStage stage, uint8_t percent, bool redraw) {
        if (FImage) FImage->Progress(this, stage, percent, redraw, {}, GifMsg::SRendering);
    };
    progress(psStarting, 0, false);
    try {
        BuildBitmap(FImage && FImage->UsesWebPalette());
    } catch (const EAbort&) {
        // A silent abort leaves the frame without a bitmap.
        ReleaseBitmap();
        progress(psEnding, 0, FImage && FImage->PaletteModified());
        return nullptr;
    } catch (...) {
        progress(psEnding, 0, FImage && FImage->PaletteModified());
        throw;
    }
    progress(psEnding, 100, FImage && FImage->PaletteModified());
    return FBitmap.get();
}

void TVsGifSubImage::BuildBitmap(bool webDither) {
    const int32_t width = Width(), height = Height();
    auto bitmap = std::make_unique<TBitmap>();
    // Both builds write 8-bit rows; the bitmap is made 8-bit first so that
    // its colour table is the palette (the web palette for the dithered one).
    SetBitmapPixelFormat(*bitmap, pf8bit);
    bitmap->SetSize(width, height);
    bitmap->SetPalette(CopyPalette(DrawingPalette()));

    const bool maskWanted = FMaskStale && FTransparent;
    FMaskStale = false;
    if (maskWanted) FMask.reset();
    const int transparentIndex = FGraphicControl ? FGraphicControl->TransparentIndex() : -1;
    const size_t maskStride = static_cast<size_t>((width + 15) >> 4) * 2;
    std::vector<uint8_t> mask(maskWanted ? maskStride * static_cast<size_t>(height) : 0);
    bool anyTransparent = false;
    auto progress = [&](int32_t row) {
        if (FImage && row % 32 == 0)
            FImage->Progress(this, psRunning, static_cast<uint8_t>(MulDiv(row, 100, height)), false, {},
                             GifMsg::SRendering);
    };

    if (!IsEmpty()) {
        // An 8-bit bitmap takes the rows straight, not through a DIB written
        // back as a file and read again.
        std::optional<TDIBWriter> dib;
        if (bitmap->PixelFormat() != pf8bit) dib.emplace(*bitmap, pf8bit);
        struct TRows {
            TBitmap& Bitmap;
            std::optional<TDIBWriter>& Dib;
            uint8_t* RowAddress(int32_t y) { return Dib ? Dib->RowAddress(y) : Bitmap.ScanLine(y); }
        } writer{*bitmap, dib};
        const uint8_t* pixels = Data();
        // An index past the colour table draws as colour 0, as a DIB read
        // back gives it; the drawing layer must never see one.
        const size_t colours = bitmap->Palette().size();
        if (!webDither) {
            for (int32_t y = 0; y < height; ++y) {
                progress(y);
                const uint8_t* source = pixels + static_cast<size_t>(y) * width;
                uint8_t* target = writer.RowAddress(y);
                std::memcpy(target, source, static_cast<size_t>(width));
                if (colours < 256)
                    for (int32_t x = 0; x < width; ++x)
                        if (target[x] >= colours) target[x] = 0;
                if (!maskWanted) continue;
                uint8_t* bits = mask.data() + static_cast<size_t>(y) * maskStride;
                for (int32_t x = 0; x < width; ++x)
                    if (source[x] == transparentIndex) {
                        bits[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                        anyTransparent = true;
                    }
            }
        } else {
            // Error diffusion to the web palette, the errors times 1024, on
            // rows walked in alternate directions.
            const TVsGifColorMap& map = EffectiveColorMap();
            std::vector<int32_t> rows[6];  // red, green, blue of this row, then of the next
            for (auto& r : rows) r.assign(static_cast<size_t>(width) + 2, 0);
            for (int32_t y = 0; y < height; ++y) {
                progress(y);
                const uint8_t* source = pixels + static_cast<size_t>(y) * width;
                uint8_t* target = writer.RowAddress(y);
                uint8_t* bits = maskWanted ? mask.data() + static_cast<size_t>(y) * maskStride : nullptr;
                const int d = y % 2 == 0 ? 1 : -1;
                for (int32_t i = 0; i < width; ++i) {
                    const int32_t x = d > 0 ? i : width - 1 - i;
                    const size_t cell = static_cast<size_t>(x) + 1;
                    const uint8_t index = source[x];
                    const TGIFColor c = index < map.Count() ? map.Entry(index) : TGIFColor{};
                    const int32_t channel[3] = {c.Red, c.Green, c.Blue};
                    uint8_t level[3];
                    if (maskWanted && index == transparentIndex) {
                        for (int k = 0; k < 3; ++k) level[k] = WebLevel(channel[k]);
                        bits[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                        anyTransparent = true;
                    } else {
                        for (int k = 0; k < 3; ++k) {
                            std::vector<int32_t>& here = rows[k];
                            std::vector<int32_t>& next = rows[k + 3];
                            const int32_t v = channel[k] + here[cell] / 1024;
                            level[k] = WebLevel(v);
                            const int32_t e = (v - 51 * level[k]) * 1024;
                            here[cell + d] += e * 7 / 16;
                            next[cell - d] += e * 3 / 16;
                            next[cell] += e * 5 / 16;
                            next[cell + d] += e / 16;
                        }
                    }
                    target[x] = static_cast<uint8_t>(36 * level[0] + 6 * level[1] + level[2]);
                }
                for (int k = 0; k < 3; ++k) {
                    std::swap(rows[k], rows[k + 3]);
                    std::fill(rows[k + 3].begin(), rows[k + 3].end(), 0);
                }
            }
        }
    }

    if (maskWanted && anyTransparent) {
        auto bitmapMask = std::make_unique<TBitmap>();
        bitmapMask->SetPixelFormat(pf1bit);
        bitmapMask->SetSize(width, height);
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(bitmapMask->ScanLine(y), mask.data() + static_cast<size_t>(y) * maskStride,
                        static_cast<size_t>((width + 7) / 8));
        FMask = std::move(bitmapMask);
    }
    SetBitmap(std::move(bitmap));
}

// ---------------------------------------------------------------- bitmaps to frames

void TVsGifSubImage::AssignBitmap(const TBitmap& source) {
    ResetFrame();
    auto& from = const_cast<TBitmap&>(source);
    if (from.Empty()) return;
    const uint8_t mode = FImage ? FImage->ReductionMode() : DefaultReductionMode;
    const uint8_t dither = FImage ? FImage->DitherMethod() : DefaultDitherMethod;
    const int32_t bits = FImage ? FImage->ReductionBits() : DefaultReductionBits;
    std::unique_ptr<TBitmap> bitmap;
    const TPixelFormat format = from.PixelFormat();
    if (format == pfDevice || format == pf1bit || format == pf4bit || format == pf8bit) {
        bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(&from);
    } else {
        // The reduction makes its source 24-bit: a bitmap of another format is
        // reduced from a copy, so that the caller's stays as it was.
        TBitmap copy;
        TBitmap* reduced = &from;
        if (format != pf24bit) {
            copy.Assign(&from);
            reduced = &copy;
        }
        bitmap = ReduceBitmapColors(*reduced, mode, dither, bits);
        // No reduction keeps 24 bits: its colours go in one by one.
        if (bitmap->PixelFormat() == pf24bit) bitmap->SetPixelFormat(pfDevice);
    }
    const int32_t width = bitmap->Width(), height = bitmap->Height();
    SetWidth(width);
    SetHeight(height);
    AllocatePixels();
    auto progress = [this](TProgressStage stage, uint8_t percent, bool redraw) {
        if (FImage) FImage->Progress(this, stage, percent, redraw, {}, GifMsg::SConverting);
    };
    auto rowProgress = [&](int32_t row) {
        if (row % 32 == 0) progress(psRunning, static_cast<uint8_t>(MulDiv(row, 100, height)), false);
    };
    progress(psStarting, 0, false);
    try {
        uint8_t* pixels = Data();
        const TPixelFormat f = bitmap->PixelFormat();
        if (f == pf1bit || f == pf4bit || f == pf8bit) {
            TDIBReader reader(*bitmap, f);
            FColorMap->LoadPalette(bitmap->GetPalette());
            for (int32_t y = 0; y < height; ++y) {
                rowProgress(y);
                const uint8_t* row = reader.RowAddress(y);
                uint8_t* out = pixels + static_cast<size_t>(y) * width;
                if (f == pf8bit) {
                    std::memcpy(out, row, static_cast<size_t>(width));
                } else if (f == pf4bit) {
                    for (int32_t x = 0; x < width; ++x) out[x] = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
                } else {
                    for (int32_t x = 0; x < width; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
                }
            }
        } else {
            // The device format: each colour's index, the eight last added
            // remembered in a ring.
            struct TSlot {
                TColor Color;
                uint8_t Index;
            };
            TSlot ring[8];
            int32_t filled = 0, next = 0;
            for (int32_t y = 0; y < height; ++y) {
                rowProgress(y);
                const uint8_t* row = bitmap->ScanLine(y);
                uint8_t* out = pixels + static_cast<size_t>(y) * width;
                for (int32_t x = 0; x < width; ++x, row += 4) {
                    const TColor color = RGB(row[2], row[1], row[0]);
                    int32_t found = -1;
                    for (int32_t k = 1; k <= filled; ++k) {
                        const TSlot& slot = ring[(next - k + 8) % 8];
                        if (slot.Color == color) {
                            found = slot.Index;
                            break;
                        }
                    }
                    if (found < 0) {
                        found = FColorMap->InsertColor(color);
                        ring[next] = {color, static_cast<uint8_t>(found)};
                        next = (next + 1) % 8;
                        filled = std::min(filled + 1, 8);
                    }
                    out[x] = static_cast<uint8_t>(found);
                }
            }
        }
    } catch (...) {
        progress(psEnding, 0, FImage && FImage->PaletteModified());
        ResetFrame();
        throw;
    }
    progress(psEnding, 100, FImage && FImage->PaletteModified());
    SetBitmap(std::move(bitmap));
}

// ---------------------------------------------------------------- drawing frames

namespace {

// A logical screen of no size is taken as the frame's extent, so that no
// mapping divides by 0 and no tiling steps by 0.
int32_t ScreenExtent(int32_t screen, int32_t frameEnd) { return screen > 0 ? screen : std::max(frameEnd, 0); }

}  // namespace

TRect TVsGifSubImage::MapFrameRect(const TRect& rect) const {
    const int32_t sw = std::max(ScreenExtent(FImage ? FImage->Width() : 0, Left() + Width()), 1);
    const int32_t sh = std::max(ScreenExtent(FImage ? FImage->Height() : 0, Top() + Height()), 1);
    const int32_t rw = rect.Width(), rh = rect.Height();
    return {rect.Left + MulDiv(Left(), rw, sw), rect.Top + MulDiv(Top(), rh, sh),
            rect.Left + MulDiv(Left() + Width(), rw, sw), rect.Top + MulDiv(Top() + Height(), rh, sh)};
}

void TVsGifSubImage::DrawFrame(TCanvas& canvas, const TRect& rect, bool tile, bool transparent) {
    const bool masked = transparent && FTransparent && MaskReady();
    TBitmap* bitmap = FrameBitmap();
    if (!bitmap) return;
    auto place = [&](const TRect& r) {
        if (masked && FMask)
            canvas.MaskedStretchDraw(r, *bitmap, *FMask);
        else
            canvas.StretchDraw(r, bitmap);
    };
    if (!tile) {
        place(MapFrameRect(rect));
        return;
    }
    const int32_t stepX = ScreenExtent(FImage ? FImage->Width() : 0, Left() + Width());
    const int32_t stepY = ScreenExtent(FImage ? FImage->Height() : 0, Top() + Height());
    if (stepX <= 0 || stepY <= 0) return;
    std::vector<TRect> tiles;
    for (int64_t y = int64_t(rect.Top) + Top(); y < rect.Bottom; y += stepY)
        for (int64_t x = int64_t(rect.Left) + Left(); x < rect.Right; x += stepX)
            tiles.push_back(Bounds(static_cast<int32_t>(x), static_cast<int32_t>(y), Width(), Height()));
    // A small screen tiles a large target many times: the mask is applied once.
    if (masked && FMask)
        canvas.MaskedStretchDraw(tiles, *bitmap, *FMask);
    else
        for (const TRect& tile : tiles) canvas.StretchDraw(tile, bitmap);
}

// ---------------------------------------------------------------- the image's palette and composed bitmap

TBitmap* TVsGifImage::ComposedBitmap() {
    if (Empty()) return nullptr;
    if (FComposed) return FComposed.get();
    auto bitmap = std::make_unique<TBitmap>();
    TVsGifSubImage* frame = SubImage(0);
    if (frame->Width() == Width() && frame->Height() == Height()) {
        bitmap->Assign(frame->FrameBitmap());
    } else {
        if (GlobalColorMap().Count() > 0 || frame->EffectiveColorMap().Count() > 0 || UsesWebPalette())
            bitmap->SetPalette(CopyPalette(GetPalette()));
        bitmap->SetSize(Width(), Height());
        frame->DrawFrame(*bitmap->Canvas(), {0, 0, Width(), Height()}, false, false);
    }
    bitmap->OnChange = [this](TObject*) { Changed(); };
    FComposed = std::move(bitmap);
    return FComposed.get();
}

TBitmap* TVsGifImage::NewComposedBitmap() {
    if (FComposed) return FComposed.get();
    auto bitmap = std::make_unique<TBitmap>();
    if (GlobalColorMap().Count() > 0 || UsesWebPalette() ||
        (FImages->Count() > 0 && SubImage(0)->EffectiveColorMap().Count() > 0))
        bitmap->SetPalette(CopyPalette(GetPalette()));
    bitmap->SetSize(Width(), Height());
    bitmap->OnChange = [this](TObject*) { Changed(); };
    FComposed = std::move(bitmap);
    return FComposed.get();
}

bool TVsGifImage::BridgeAssignTo(TPersistent* dest) const {
    auto* bitmap = dynamic_cast<TBitmap*>(dest);
    if (!bitmap) return false;
    bitmap->Assign(const_cast<TVsGifImage*>(this)->ComposedBitmap());
    return true;
}

// ---------------------------------------------------------------- drawing the image

void TVsGifImage::DrawComposed(TCanvas& canvas, const TRect& rect) {
    TBitmap* composed = FComposed.get();
    if (!composed) return;
    if (!(FPaintOptions & goTileDrawing)) {
        canvas.StretchDraw(rect, composed);
        return;
    }
    const int32_t w = composed->Width(), h = composed->Height();
    if (w <= 0 || h <= 0) return;
    for (int64_t y = rect.Top; y < rect.Bottom; y += h)
        for (int64_t x = rect.Left; x < rect.Right; x += w)
            canvas.StretchDraw(Bounds(static_cast<int32_t>(x), static_cast<int32_t>(y), w, h), composed);
}

void TVsGifImage::BridgeDraw(TCanvas& canvas, const TRect& rect) {
    if (FDrawing || Empty() || IsRectEmpty(rect.Normalized())) return;
    FDrawing = true;
    // A painter on this thread may free the image (from a handler): nothing
    // of it is touched after that.
    const std::weak_ptr<const bool> alive = FAlive;
    struct TReset {
        bool& Flag;
        const std::weak_ptr<const bool>& Alive;
        ~TReset() {
            if (!Alive.expired()) Flag = false;
        }
    } reset{FDrawing, alive};
    const TGIFPaintOptions options = FPaintOptions;
    if (FrameCount() == 1 || !(options & goAnimate)) {
        SubImage(0)->DrawFrame(canvas, rect, options & goTileDrawing, options & goDrawTransparent);
        return;
    }
    if (FComposed && !(options & goPaintOnTarget)) {
        DrawComposed(canvas, rect);
        return;
    }
    if (!HasVsGifPainterFactory()) {
        // No animation here: the first frame as it stands on the screen.
        if (ComposedBitmap()) DrawComposed(canvas, rect);
        return;
    }
    struct TListLock {
        TThreadList& List;
        const std::weak_ptr<const bool>& Alive;
        bool Held = true;
        void Release() {
            if (Held && !Alive.expired()) List.UnlockList();
            Held = false;
        }
        ~TListLock() { Release(); }
    } lock{FPainters, alive};
    FPainters.LockList();
    const bool onTarget = options & goPaintOnTarget;
    if (FOwnPainter && onTarget && FOwnPainter->Canvas() == &canvas && FOwnPainter->Rect() == rect) return;
    StopOwnPainter();
    TCanvas* target = &canvas;
    TRect targetRect = rect;
    if (!onTarget) {
        TBitmap* composed = NewComposedBitmap();
        target = composed->Canvas();
        targetRect = {0, 0, composed->Width(), composed->Height()};
        // Transparent parts show what lay under the image.
        target->CopyRect(targetRect, canvas, rect);
    }
    // A painter on this thread runs to its end inside StartPainter, with the
    // list free for the image's own stop and destruction on this thread.
    if (!(options & goPaintInThread)) lock.Release();
    TCustomVsGifPainter* painter = StartPainter(FOwnPainter, *target, options, targetRect);
    if (alive.expired()) return;
    if (painter) painter->Resume();
    if (onTarget) return;
    // Until the painter has shown its first frame, only synchronised calls
    // run here, so that a painter waiting in one can go on.
    // A handler run meanwhile may free the image.
    auto shown = [this, &alive] {
        return alive.expired() || !FOwnPainter || FOwnPainter->Stopped() || FOwnPainter->Painted();
    };
    if (painter && !VsGifWaitForPainters(shown)) return;
    if (alive.expired()) return;
    DrawComposed(canvas, rect);
}

// ---------------------------------------------------------------- painters

TCustomVsGifPainter* TVsGifImage::StartPainter(TCustomVsGifPainter*& reference, TCanvas& canvas,
                                               TGIFPaintOptions options, const TRect& rect) {
    reference = nullptr;
    if (Empty() || rect.Left >= rect.Right || rect.Top >= rect.Bottom || !HasVsGifPainterFactory()) return nullptr;
    if (FrameCount() == 1) options &= static_cast<TGIFPaintOptions>(~goPaintInThread);
    TCustomVsGifPainter* painter;
    {
        TThreadList::TLock lock(FPainters);
        painter = PainterFactory()(*this, canvas, rect, options, &reference);
        if (!painter) return nullptr;
        reference = painter;
        lock->Add(painter);
        if (painter->InThread()) {
            painter->SetPriority(FPainterPriority);
            return painter;
        }
    }
    // The painter may free the image; the reference may be the image's.
    const std::weak_ptr<const bool> alive = FAlive;
    try {
        painter->Run();
    } catch (...) {
        if (!alive.expired()) reference = nullptr;
        throw;
    }
    if (!alive.expired()) reference = nullptr;
    return nullptr;
}

