// Loading any bytes never crashes, hangs or allocates without bound; what
// loads, even in part, saves, and loads again to the same frames and pixels.
// Drawing has a target of its own (GifDrawFuzz.cpp).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/GifFuzzLoad.h"
#include "gif/VsGif.h"

namespace {

// Round trips of very large frames cost seconds under the sanitizers and
// test nothing new.
constexpr int64_t RoundTripPixelLimit = int64_t(1) << 18;

std::vector<TVsGifSubImage*> FramesWithPixels(TVsGifImage& image) {
    std::vector<TVsGifSubImage*> frames;
    for (int32_t i = 0; i < image.FrameCount(); ++i)
        if (!image.SubImage(i)->IsEmpty()) frames.push_back(image.SubImage(i));
    return frames;
}

}  // namespace

// Frames of more pixels load no differently, and under the sanitizers each
// costs a pass over its whole buffer.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ImagePixelLimit = int64_t(1) << 20;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TVsGifImage image;
    LoadWhatLoads(image, data, size);
    std::vector<TVsGifSubImage*> frames = FramesWithPixels(image);
    int64_t pixels = 0;
    for (TVsGifSubImage* f : frames) pixels += f->DataSize();
    if (pixels > RoundTripPixelLimit) return 0;

    for (uint8_t encoder : {GIFEncoderLZW, GIFEncoderRLE}) {
        image.SetEncoderChoice(encoder);
        TMemoryStream out;
        try {
            image.SaveToStream(out);
        } catch (const EVsGifError&) {
            // Only an image without frames has nothing to save.
            if (image.FrameCount() > 0) std::abort();
            return 0;
        }
        TVsGifImage again;
        out.SetPosition(0);
        again.LoadFromStream(out);  // what we wrote must load without error
        std::vector<TVsGifSubImage*> back = FramesWithPixels(again);
        if (back.size() != frames.size()) std::abort();
        for (size_t i = 0; i < frames.size(); ++i) {
            TVsGifSubImage* a = frames[i];
            TVsGifSubImage* b = back[i];
            if (a->Left() != b->Left() || a->Top() != b->Top() || a->Width() != b->Width() ||
                a->Height() != b->Height() || a->Interlaced() != b->Interlaced() || a->DataSize() != b->DataSize())
                std::abort();
            if (std::memcmp(a->Data(), b->Data(), static_cast<size_t>(a->DataSize())) != 0) std::abort();
        }
    }
    return 0;
}
