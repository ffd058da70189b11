// LZW decoding of one frame's image data.
//
// The data sub-blocks are first gathered into one contiguous code buffer, so
// codes are read straight from memory whatever the sub-block lengths. Each
// table entry is kept as the place and length of its string in the output
// already written (a new entry is always the previous string plus one byte,
// and those bytes lie side by side in decoding order): strings are copied,
// never walked, so no chain of entries can loop or overrun anything.
//
// Interlaced frames are decoded straight into their final rows: a place is a
// decoding-order row and a column, and a row table maps decoding-order rows
// to the frame's rows, so no second frame-sized buffer is needed.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gif/VsGifCodec.h"

namespace {

constexpr int32_t TableSize = 4096;
// A short string is copied as one 16-byte block; the bytes after it are
// rewritten by the strings that follow, or by the fill when the data stops.
constexpr int64_t WideCopy = 16;

constexpr int32_t PassStart[4] = {0, 4, 2, 1};
constexpr int32_t PassStep[4] = {8, 8, 4, 2};

// Interlaced rows in pass order: 0, 8, 16 ..., 4, 12 ..., 2, 6 ..., 1, 3 ...
template <typename F>
void ForEachInterlacedRow(int32_t height, F&& f) {
    int32_t k = 0;
    for (int pass = 0; pass < 4; ++pass)
        for (int32_t row = PassStart[pass]; row < height; row += PassStep[pass]) f(k++, row);
}

// Frame rows in decoding order.
std::vector<uint8_t*> InterlacedRows(uint8_t* pixels, int32_t width, int32_t height) {
    std::vector<uint8_t*> rows(static_cast<size_t>(height));
    ForEachInterlacedRow(height, [&](int32_t k, int32_t row) {
        rows[static_cast<size_t>(k)] = pixels + static_cast<size_t>(row) * static_cast<size_t>(width);
    });
    return rows;
}

// The decoder counts pixels in decoding order (op); an output turns that
// count and the places of earlier strings into addresses.

// Output in the frame's own order: a place is an index into the pixels.
class LinearOutput {
public:
    using Place = uint32_t;
    explicit LinearOutput(uint8_t* pixels) : FOut(pixels) {}

    Place At(int64_t op) const { return static_cast<Place>(op); }
    uint8_t First(Place p) const { return FOut[p]; }
    void Put(int64_t op, uint8_t value) { FOut[op] = value; }
    // The string of len bytes at from, cut to the room left.
    void Copy(int64_t op, Place from, uint32_t len, int64_t room) {
        uint8_t* dst = FOut + op;
        const uint8_t* src = FOut + from;
        if (len <= WideCopy && room >= WideCopy) {
            uint8_t t[WideCopy];
            std::memcpy(t, src, WideCopy);
            std::memcpy(dst, t, WideCopy);
            return;
        }
        const int64_t n = std::min<int64_t>(len, room);
        for (int64_t i = 0; i < n; ++i) dst[i] = src[i];
    }

private:
    uint8_t* FOut;
};

// Output of an interlaced frame: a place is (decoding-order row << 16) |
// column, and a cursor follows op.
class InterlacedOutput {
public:
    using Place = uint32_t;
    InterlacedOutput(uint8_t* pixels, int32_t width, int32_t height)
        : FRows(InterlacedRows(pixels, width, height)), FWidth(width) {}

    Place At(int64_t) const { return (static_cast<Place>(FRow) << 16) | static_cast<Place>(FColumn); }
    uint8_t First(Place p) const { return FRows[p >> 16][p & 0xFFFF]; }
    void Put(int64_t, uint8_t value) {
        FRows[static_cast<size_t>(FRow)][FColumn] = value;
        Advance(1);
    }
    void Copy(int64_t, Place from, uint32_t len, int64_t room) {
        int64_t left = std::min<int64_t>(len, room);
        int32_t row = static_cast<int32_t>(from >> 16), column = static_cast<int32_t>(from & 0xFFFF);
        if (left <= WideCopy && column + WideCopy <= FWidth && FColumn + WideCopy <= FWidth) {
            uint8_t t[WideCopy];
            std::memcpy(t, FRows[static_cast<size_t>(row)] + column, WideCopy);
            std::memcpy(FRows[static_cast<size_t>(FRow)] + FColumn, t, WideCopy);
            Advance(static_cast<int32_t>(left));
            return;
        }
        // Source and target never overlap: the source ends at or before the
        // place this string starts.
        while (left > 0) {
            const int32_t n = static_cast<int32_t>(std::min<int64_t>({left, FWidth - column, FWidth - FColumn}));
            std::memcpy(FRows[static_cast<size_t>(FRow)] + FColumn, FRows[static_cast<size_t>(row)] + column,
                        static_cast<size_t>(n));
            Advance(n);
            left -= n;
            column += n;
            if (column == FWidth) {
                column = 0;
                ++row;
            }
        }
    }

private:
    void Advance(int32_t n) {
        FColumn += n;
        if (FColumn == FWidth) {
            FColumn = 0;
            ++FRow;
        }
    }

    std::vector<uint8_t*> FRows;
    int32_t FWidth;
    int32_t FRow = 0;
    int32_t FColumn = 0;
};

// Codes from buf[0..totalBits/8) into total pixels of out; gives how
// decoding stopped and the pixels written.
template <typename Output>
[[gnu::noinline]] TGIFDecodeStatus DecodeCodes(const uint8_t* buf, uint64_t totalBits, uint32_t minCode,
                                               bool underrunPossible, Output out, int64_t total, int64_t& decoded) {
    using Place = typename Output::Place;
    Place off[TableSize];
    uint16_t len[TableSize];
    const uint32_t clear = 1u << minCode;
    const uint32_t end = clear + 1;
    uint32_t codeWidth = minCode + 1;
    uint32_t limit = 1u << codeWidth;
    uint32_t mask = limit - 1;
    uint32_t nextFree = clear + 2;
    bool havePrevious = false;
    Place prevPlace = 0;
    uint32_t prevLen = 0;
    int64_t op = 0;
    uint64_t bit = 0;
    TGIFDecodeStatus status = TGIFDecodeStatus::Complete;

    while (op < total) {
        if (bit + codeWidth > totalBits) {
            status = bit >= totalBits && underrunPossible ? TGIFDecodeStatus::Underrun : TGIFDecodeStatus::ShortData;
            break;
        }
        uint64_t word;
        std::memcpy(&word, buf + (bit >> 3), 8);
        uint32_t code = static_cast<uint32_t>(word >> (bit & 7)) & mask;
        bit += codeWidth;

        if (code == clear) {
            codeWidth = minCode + 1;
            limit = 1u << codeWidth;
            mask = limit - 1;
            nextFree = clear + 2;
            havePrevious = false;
            continue;
        }
        if (code == end) {
            status = TGIFDecodeStatus::EarlyEnd;
            break;
        }
        const Place here = out.At(op);
        if (!havePrevious) {
            // The first code after a clear must be a pixel value.
            if (code > clear) {
                status = TGIFDecodeStatus::InvalidCode;
                break;
            }
            out.Put(op, static_cast<uint8_t>(code));
            prevPlace = here;
            prevLen = 1;
            ++op;
            havePrevious = true;
            continue;
        }
        uint32_t curLen;
        const int64_t room = total - op;
        if (code < clear) {
            out.Put(op, static_cast<uint8_t>(code));
            curLen = 1;
        } else if (code < nextFree) {
            curLen = len[code];
            out.Copy(op, off[code], curLen, room);
        } else if (code == nextFree) {
            // The string being defined: the previous one and its first byte.
            curLen = prevLen + 1;
            const uint8_t first = out.First(prevPlace);
            out.Copy(op, prevPlace, prevLen, room);
            if (prevLen < room) out.Put(op + prevLen, first);
        } else {
            status = TGIFDecodeStatus::InvalidCode;
            break;
        }
        if (nextFree < TableSize) {
            off[nextFree] = prevPlace;
            len[nextFree] = static_cast<uint16_t>(prevLen + 1);
            if (++nextFree >= limit && limit < TableSize) {
                ++codeWidth;
                limit <<= 1;
                mask = limit - 1;
            }
        }
        prevPlace = here;
        prevLen = curLen;
        op += std::min<int64_t>(curLen, room);
    }
    decoded = op;
    return status;
}

}  // namespace

void FillUndecoded(uint8_t* pixels, int32_t width, int32_t height, bool interlaced, int64_t from, int64_t to,
                   uint8_t fill) {
    const int64_t total = width > 0 && height > 0 ? static_cast<int64_t>(width) * height : 0;
    from = std::max<int64_t>(from, 0);
    to = std::min(to, total);
    if (from >= to) return;
    if (!interlaced || height == 1) {
        std::memset(pixels + from, fill, static_cast<size_t>(to - from));
        return;
    }
    ForEachInterlacedRow(height, [&](int32_t k, int32_t row) {
        const int64_t start = std::max(from, static_cast<int64_t>(k) * width);
        const int64_t stop = std::min(to, static_cast<int64_t>(k + 1) * width);
        if (start < stop)
            std::memset(pixels + static_cast<int64_t>(row) * width + (start - static_cast<int64_t>(k) * width), fill,
                        static_cast<size_t>(stop - start));
    });
}

TGIFDecodeResult DecodeGIFData(const uint8_t* data, size_t size, uint8_t* pixels, int32_t width, int32_t height,
                               bool interlaced, uint8_t fill, bool zeroed) {
    TGIFDecodeResult result;
    const int64_t total = width > 0 && height > 0 ? static_cast<int64_t>(width) * height : 0;
    auto finish = [&](TGIFDecodeStatus status, int64_t decoded) {
        result.Status = status;
        result.Decoded = decoded;
        // A zeroed buffer needs no fill of 0, except where a wide copy wrote
        // ahead of the last decoded pixel.
        const int64_t to = fill != 0 || !zeroed ? total : decoded + WideCopy - 1;
        FillUndecoded(pixels, width, height, interlaced, decoded, to, fill);
        return result;
    };
    if (size == 0) return finish(TGIFDecodeStatus::NoData, 0);
    const uint32_t minCode = data[0];

    // Measure the sub-blocks up to and including the terminator.
    size_t scan = 1;
    size_t codeBytes = 0;
    bool terminated = false;
    while (scan < size) {
        size_t n = data[scan++];
        if (n == 0) {
            terminated = true;
            break;
        }
        if (n > size - scan) {
            n = size - scan;
            result.Premature = true;
        }
        codeBytes += n;
        scan += n;
    }
    if (!terminated) result.Premature = true;
    result.Consumed = scan;
    if (minCode > 11) return finish(TGIFDecodeStatus::InvalidCode, 0);

    std::vector<uint8_t> codes(codeBytes + 8);
    for (size_t p = 1, q = 0; p < scan;) {
        size_t n = data[p++];
        if (n == 0) break;
        n = std::min(n, size - p);
        std::memcpy(codes.data() + q, data + p, n);
        q += n;
        p += n;
    }

    const uint64_t totalBits = static_cast<uint64_t>(codeBytes) * 8;
    const bool underrunPossible = terminated && !result.Premature;
    int64_t decoded = 0;
    TGIFDecodeStatus status;
    if (interlaced && height > 1)
        status = DecodeCodes(codes.data(), totalBits, minCode, underrunPossible,
                             InterlacedOutput(pixels, width, height), total, decoded);
    else
        status = DecodeCodes(codes.data(), totalBits, minCode, underrunPossible, LinearOutput(pixels), total, decoded);
    return finish(status, decoded);
}

void DecodeFrameData(TVsGifSubImage& frame, TStream& stream) {
    uint8_t fill = 0;
    if (frame.Transparent() && frame.GraphicControlExtension())
        fill = frame.GraphicControlExtension()->TransparentIndex();

    // The image data is gathered first: the pixels are allocated only once
    // some of it is known to exist.
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::vector<uint8_t> gathered;
    auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream);
    const int64_t start = memory ? memory->Position() : 0;
    if (memory) {
        size = static_cast<size_t>(std::max<int64_t>(0, memory->Size() - start));
        data = memory->Memory() && size > 0 ? memory->Memory() + start : nullptr;
    } else {
        // Any other stream: exactly the sub-blocks.
        uint8_t b = 0;
        if (TryReadByte(stream, b)) {
            gathered.push_back(b);
            while (TryReadByte(stream, b)) {
                gathered.push_back(b);
                if (b == 0) break;
                size_t at = gathered.size();
                gathered.resize(at + b);
                int64_t got = stream.Read(gathered.data() + at, b);
                gathered.resize(at + static_cast<size_t>(std::max<int64_t>(0, got)));
                if (got < b) break;
            }
        }
        data = gathered.data();
        size = gathered.size();
    }
    if (size == 0) {
        // Not even the code size: the frame keeps its descriptor, no pixels.
        frame.Warning(1, GifMsg::SPrematureEnd);
        return;
    }

    frame.AllocatePixels();
    // Decoded into the zeroed buffer with a fill of 0; another fill is left
    // to the frame, which writes it when the pixels are first used.
    TGIFDecodeResult result = DecodeGIFData(data, size, frame.Data(), frame.Width(), frame.Height(),
                                            frame.Interlaced(), 0, true);
    if (memory) memory->SetPosition(start + static_cast<int64_t>(result.Consumed));
    if (fill != 0) frame.FillFrom(result.Decoded, fill);

    if (result.Premature) frame.Warning(1, GifMsg::SPrematureEnd);
    switch (result.Status) {
        case TGIFDecodeStatus::Underrun:
        case TGIFDecodeStatus::ShortData:
            if (!result.Premature) frame.Warning(1, GifMsg::SBitBufferUnderrun);
            break;
        case TGIFDecodeStatus::EarlyEnd:
            frame.Warning(1, GifMsg::SPrematureEnd);
            break;
        case TGIFDecodeStatus::InvalidCode:
            // The frame ends here; the next blocks still load.
            frame.Warning(1, GifMsg::SInvalidData);
            break;
        default:
            break;
    }
}
