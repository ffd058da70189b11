#include "tests/gif/GiflibOracle.h"

#ifdef VARSONA_HAVE_GIFLIB
#include <gif_lib.h>
#endif

#include <cstring>
#include <stdexcept>

namespace oracle {
#ifdef VARSONA_HAVE_GIFLIB
bool Available() { return true; }
namespace {

struct Reader {
    const std::string* bytes;
    size_t pos = 0;
};

int ReadFn(GifFileType* gif, GifByteType* buf, int n) {
    auto* r = static_cast<Reader*>(gif->UserData);
    size_t left = r->bytes->size() - r->pos;
    size_t k = std::min<size_t>(left, static_cast<size_t>(n));
    std::memcpy(buf, r->bytes->data() + r->pos, k);
    r->pos += k;
    return static_cast<int>(k);
}

int WriteFn(GifFileType* gif, const GifByteType* buf, int n) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
    return n;
}

std::vector<Color> MapOf(const ColorMapObject* map) {
    std::vector<Color> out;
    if (!map) return out;
    for (int i = 0; i < map->ColorCount; ++i) out.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    return out;
}

ColorMapObject* MakeMap(const std::vector<Color>& colors) {
    if (colors.empty()) return nullptr;
    int n = 2;
    while (n < static_cast<int>(colors.size())) n *= 2;
    std::vector<GifColorType> c(static_cast<size_t>(n));
    for (size_t i = 0; i < colors.size(); ++i) c[i] = {colors[i].r, colors[i].g, colors[i].b};
    return GifMakeMapObject(n, c.data());
}

void ReadExtensions(int count, const ExtensionBlock* blocks, Frame& f) {
    int last = -1;
    for (int i = 0; i < count; ++i) {
        const ExtensionBlock& b = blocks[i];
        std::string bytes(reinterpret_cast<const char*>(b.Bytes), static_cast<size_t>(b.ByteCount));
        if (b.Function == COMMENT_EXT_FUNC_CODE) {
            f.comments.push_back(bytes);
            last = COMMENT_EXT_FUNC_CODE;
        } else if (b.Function == CONTINUE_EXT_FUNC_CODE) {
            if (last == COMMENT_EXT_FUNC_CODE) f.comments.back() += bytes;
            if (last == APPLICATION_EXT_FUNC_CODE && b.ByteCount >= 3 && b.Bytes[0] == 1)
                f.loopCount = b.Bytes[1] | (b.Bytes[2] << 8);
            if (last != COMMENT_EXT_FUNC_CODE) last = -2;
        } else if (b.Function == APPLICATION_EXT_FUNC_CODE) {
            bool loop = b.ByteCount == 11 && (std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0 ||
                                              std::memcmp(b.Bytes, "ANIMEXTS1.0", 11) == 0);
            last = loop ? APPLICATION_EXT_FUNC_CODE : -2;
        } else {
            last = b.Function;
        }
    }
}

}  // namespace

Image Decode(const std::string& bytes) {
    Image img;
    Reader reader{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFn, &error);
    if (!gif) {
        img.error = GifErrorString(error) ? GifErrorString(error) : "open failed";
        return img;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        img.error = GifErrorString(gif->Error) ? GifErrorString(gif->Error) : "slurp failed";
        DGifCloseFile(gif, &error);
        return img;
    }
    img.ok = true;
    img.width = gif->SWidth;
    img.height = gif->SHeight;
    img.colorResolution = gif->SColorResolution;
    img.background = gif->SBackGroundColor;
    img.aspect = gif->AspectByte;
    img.globalMap = MapOf(gif->SColorMap);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& s = gif->SavedImages[i];
        Frame f;
        f.left = s.ImageDesc.Left;
        f.top = s.ImageDesc.Top;
        f.width = s.ImageDesc.Width;
        f.height = s.ImageDesc.Height;
        f.interlaced = s.ImageDesc.Interlace;
        f.localMap = MapOf(s.ImageDesc.ColorMap);
        size_t n = static_cast<size_t>(f.width) * static_cast<size_t>(f.height);
        if (s.RasterBits) f.pixels.assign(s.RasterBits, s.RasterBits + n);
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
            f.hasControl = false;
            for (int k = 0; k < s.ExtensionBlockCount; ++k)
                if (s.ExtensionBlocks[k].Function == GRAPHICS_EXT_FUNC_CODE) f.hasControl = true;
            f.disposal = gcb.DisposalMode;
            f.delay = gcb.DelayTime;
            f.transparent = gcb.TransparentColor;
        }
        ReadExtensions(s.ExtensionBlockCount, s.ExtensionBlocks, f);
        img.frames.push_back(std::move(f));
    }
    DGifCloseFile(gif, &error);
    return img;
}

std::string Encode(const Image& image) {
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteFn, &error);
    if (!gif) throw std::runtime_error("EGifOpen failed");
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = MakeMap(image.globalMap);
    auto check = [&](int rc, const char* what) {
        if (rc != GIF_OK) throw std::runtime_error(std::string(what) + ": " + GifErrorString(gif->Error));
    };
    check(EGifPutScreenDesc(gif, image.width, image.height, image.colorResolution ? image.colorResolution : 8,
                            image.background, global),
          "screen");
    GifFreeMapObject(global);
    for (const Frame& f : image.frames) {
        if (f.loopCount >= 0) {
            check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE), "leader");
            check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"), "app");
            unsigned char loop[3] = {1, static_cast<unsigned char>(f.loopCount & 0xFF),
                                     static_cast<unsigned char>(f.loopCount >> 8)};
            check(EGifPutExtensionBlock(gif, 3, loop), "loop");
            check(EGifPutExtensionTrailer(gif), "trailer");
        }
        for (const std::string& c : f.comments) check(EGifPutComment(gif, c.c_str()), "comment");
        if (f.hasControl) {
            GraphicsControlBlock gcb{f.disposal, false, f.delay, f.transparent};
            GifByteType buf[4];
            EGifGCBToExtension(&gcb, buf);
            check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, buf), "gce");
        }
        ColorMapObject* local = MakeMap(f.localMap);
        check(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local), "desc");
        GifFreeMapObject(local);
        std::vector<GifPixelType> line(static_cast<size_t>(f.width));
        auto put = [&](int row) {
            std::memcpy(line.data(), f.pixels.data() + static_cast<size_t>(row) * static_cast<size_t>(f.width),
                        line.size());
            check(EGifPutLine(gif, line.data(), f.width), "line");
        };
        if (f.interlaced) {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; ++p)
                for (int r = start[p]; r < f.height; r += step[p]) put(r);
        } else {
            for (int r = 0; r < f.height; ++r) put(r);
        }
    }
    if (EGifCloseFile(gif, &error) != GIF_OK) throw std::runtime_error("EGifCloseFile failed");
    return out;
}

std::string EncodeIndices(const std::vector<uint8_t>& pixels, int width, int height, int bits) {
    std::string out;
    out.reserve(pixels.size());
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteFn, &error);
    std::vector<GifColorType> colors(static_cast<size_t>(1) << bits);
    for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(i), static_cast<GifByteType>(i)};
    ColorMapObject* map = GifMakeMapObject(1 << bits, colors.data());
    EGifPutScreenDesc(gif, width, height, bits, 0, map);
    EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
    for (int r = 0; r < height; ++r)
        EGifPutLine(gif, const_cast<GifPixelType*>(pixels.data() + static_cast<size_t>(r) * width), width);
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    return out;
}

int64_t DecodeCount(const std::string& bytes) {
    Reader reader{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFn, &error);
    if (!gif) return -1;
    int64_t n = -1;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0)
        n = static_cast<int64_t>(gif->SavedImages[0].ImageDesc.Width) * gif->SavedImages[0].ImageDesc.Height;
    DGifCloseFile(gif, &error);
    return n;
}

#else
bool Available() { return false; }
Image Decode(const std::string&) { return {}; }
std::string Encode(const Image&) { return {}; }
std::string EncodeIndices(const std::vector<uint8_t>&, int, int, int) { return {}; }
int64_t DecodeCount(const std::string&) { return -1; }
#endif
}  // namespace oracle
