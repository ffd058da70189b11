// Small helpers for the GIF tests: byte strings, hand-built files, code
// packing, warning capture.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gif/VsGif.h"
#include "gif/VsGifCodec.h"

namespace giftest {

inline std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

inline std::string Word(int v) { return Bytes({v & 0xFF, (v >> 8) & 0xFF}); }

// "GIF89a", screen descriptor and a global table of 2^bits grey entries
// (none when bits is 0).
inline std::string Header(int width, int height, int bits, const char* version = "89a", int aspect = 0) {
    std::string s = std::string("GIF") + version + Word(width) + Word(height);
    s.push_back(static_cast<char>(bits ? 0x80 | 0x70 | (bits - 1) : 0));
    s.push_back(0);
    s.push_back(static_cast<char>(aspect));
    for (int i = 0; bits && i < (1 << bits); ++i) s += Bytes({i * 255 / ((1 << bits) - 1), i, 0});
    return s;
}

inline std::string Descriptor(int left, int top, int width, int height, int packed = 0) {
    return "," + Word(left) + Word(top) + Word(width) + Word(height) + static_cast<char>(packed);
}

// Packs (code, width) pairs least significant bit first.
inline std::string PackCodes(const std::vector<std::pair<int, int>>& codes) {
    std::string out;
    uint32_t bucket = 0;
    int bits = 0;
    for (auto [code, width] : codes) {
        bucket |= static_cast<uint32_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<char>(bucket & 0xFF));
            bucket >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) out.push_back(static_cast<char>(bucket & 0xFF));
    return out;
}

// Data cut into sub-blocks of blockSize bytes, then the terminator.
inline std::string SubBlocks(const std::string& data, size_t blockSize = 255, bool terminator = true) {
    std::string out;
    for (size_t pos = 0; pos < data.size(); pos += blockSize) {
        size_t n = std::min(blockSize, data.size() - pos);
        out.push_back(static_cast<char>(n));
        out += data.substr(pos, n);
    }
    if (terminator) out.push_back(0);
    return out;
}

struct Warnings {
    std::vector<std::string> messages;
    std::vector<int> severities;
    void Attach(TVsGifImage& image) {
        image.OnGIFWarning = [this](TObject*, uint8_t severity, const std::string& message) {
            messages.push_back(message);
            severities.push_back(severity);
        };
    }
    bool Has(const std::string& m) const { return std::find(messages.begin(), messages.end(), m) != messages.end(); }
};

inline void Load(TVsGifImage& image, const std::string& bytes) {
    TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    image.LoadFromStream(stream);
}

inline std::string Save(TVsGifImage& image) {
    TStringStream stream;
    image.SaveToStream(stream);
    return stream.DataString();
}

inline std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return {};
}

// A frame of width x height with pixels from f(x, y), added to image.
inline TVsGifSubImage* AddFrame(TVsGifImage& image, int width, int height,
                                const std::function<uint8_t(int, int)>& f, bool interlaced = false, int left = 0,
                                int top = 0) {
    auto* frame = new TVsGifSubImage(&image);
    frame->SetLeft(left);
    frame->SetTop(top);
    frame->SetWidth(width);
    frame->SetHeight(height);
    frame->SetInterlaced(interlaced);
    frame->AllocatePixels();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) frame->Scanline(y)[x] = f(x, y);
    image.AddFrame(frame);
    return frame;
}

inline void GreyMap(TVsGifColorMap& map, int count) {
    for (int i = 0; i < count; ++i) map.InsertColor(RGB(static_cast<uint8_t>(i), static_cast<uint8_t>(i), 7));
}

inline std::vector<uint8_t> PixelsOf(const TVsGifSubImage& frame) {
    if (!frame.Data()) return {};
    return std::vector<uint8_t>(frame.Data(), frame.Data() + frame.DataSize());
}

// The pixels in the order the file holds them: rows pass by pass for an
// interlaced frame.
inline std::vector<uint8_t> PixelsInFileOrder(const TVsGifSubImage& frame) {
    std::vector<uint8_t> pixels = PixelsOf(frame);
    if (!frame.Interlaced() || pixels.empty()) return pixels;
    const size_t w = static_cast<size_t>(frame.Width());
    std::vector<uint8_t> out;
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = start[pass]; row < frame.Height(); row += step[pass])
            out.insert(out.end(), pixels.begin() + static_cast<ptrdiff_t>(row * w),
                       pixels.begin() + static_cast<ptrdiff_t>((row + 1) * w));
    return out;
}

// The frames that hold pixels (extensions after the last frame form one
// without).
inline std::vector<TVsGifSubImage*> FramesWithPixels(const TVsGifImage& image) {
    std::vector<TVsGifSubImage*> frames;
    for (int32_t i = 0; i < image.FrameCount(); ++i)
        if (!image.SubImage(i)->IsEmpty()) frames.push_back(image.SubImage(i));
    return frames;
}

// A file of tests/gif/fixtures (made by fixtures/regenerate.sh).
inline std::string Fixture(const std::string& name) {
    return ReadFileBytes(std::string(VARSONA_SOURCE_DIR) + "/tests/gif/fixtures/" + name);
}

// Every file of the fixture corpus, relative to its folder.
inline std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    const std::string root = std::string(VARSONA_SOURCE_DIR) + "/tests/gif/fixtures/";
    for (const char* dir : {"", "quirks/", "malformed/"}) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(root + dir))
            if (entry.path().extension() == ".gif") names.push_back(dir + entry.path().filename().string());
        std::sort(names.begin(), names.end());
        files.insert(files.end(), names.begin(), names.end());
    }
    return files;
}

// A target of w x h in one colour.
inline std::unique_ptr<TBitmap> Target(int w, int h, TColor color) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Brush()->SetColor(color);
    b->Canvas()->FillRect({0, 0, w, h});
    return b;
}

}  // namespace giftest
