// What loads from any bytes, even in part, draws without a crash: stretched,
// tiled, or frame 0 alone, one way per input (chosen by its size, so that
// the corpus covers all three and each input costs one draw).
#include <cstdint>

#include "fuzz/GifFuzzLoad.h"
#include "gif/VsGif.h"

namespace {

// Drawing builds bitmaps of whole frames and screens; larger ones draw no
// differently and cost tens of milliseconds each under the sanitizers.
constexpr int64_t DrawPixelLimit = int64_t(1) << 16;

}  // namespace

// Frames of more pixels load no differently, and under the sanitizers each
// costs a pass over its whole buffer.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ImagePixelLimit = int64_t(1) << 18;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TVsGifImage image;
    LoadWhatLoads(image, data, size);
    if (image.Empty() || int64_t(image.Width()) * image.Height() > DrawPixelLimit) return 0;
    static const TGIFPaintOptions ways[] = {DefaultPaintOptions,
                                            TGIFPaintOptions(DefaultPaintOptions | goTileDrawing),
                                            TGIFPaintOptions(DefaultPaintOptions & ~goAnimate)};
    image.SetPaintOptions(ways[size % 3]);
    TBitmap target(48, 32);
    try {
        image.Draw(*target.Canvas(), {0, 0, 48, 32});
    } catch (const Exception&) {
        // A picture too large for a bitmap says so.
    }
    return 0;
}
