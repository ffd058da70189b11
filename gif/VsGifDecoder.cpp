// LZW decoding of one frame's image data.
//
// Codes are read from a small window that the data sub-blocks are copied
// into as decoding goes, from memory or from any stream, so no buffer the
// size of the compressed data is ever made. Each table entry is kept as the
// place and length of its string in the output already written (a new entry
// is always the previous string plus one byte, and those bytes lie side by
// side in decoding order): strings are copied, never walked, so no chain of
// entries can loop or overrun anything.
//
// Interlaced frames are decoded straight into their final rows: a place is a
// decoding-order row and a column, and the frame row of a decoding-order row
// is worked out from the pass sizes, so nothing frame-sized is made.
#include <algorithm>
#include <cstring>

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

// Frame row of decoding-order row k of an interlaced frame.
class InterlacedRowMap {
public:
    explicit InterlacedRowMap(int32_t height)
        : FEnd0((height + 7) / 8), FEnd1(FEnd0 + (height + 3) / 8), FEnd2(FEnd1 + (height + 1) / 4) {}
    int32_t operator()(int32_t k) const {
        if (k < FEnd0) return 8 * k;
        if (k < FEnd1) return 8 * (k - FEnd0) + 4;
        if (k < FEnd2) return 4 * (k - FEnd1) + 2;
        return 2 * (k - FEnd2) + 1;
    }

private:
    int32_t FEnd0, FEnd1, FEnd2;
};

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
        : FPixels(pixels), FMap(height), FWidth(width), FHeight(height), FRowStart(pixels) {}

    Place At(int64_t) const { return (static_cast<Place>(FRow) << 16) | static_cast<Place>(FColumn); }
    uint8_t First(Place p) const { return RowAt(static_cast<int32_t>(p >> 16))[p & 0xFFFF]; }
    void Put(int64_t, uint8_t value) {
        FRowStart[FColumn] = value;
        Advance(1);
    }
    void Copy(int64_t, Place from, uint32_t len, int64_t room) {
        int64_t left = std::min<int64_t>(len, room);
        int32_t row = static_cast<int32_t>(from >> 16), column = static_cast<int32_t>(from & 0xFFFF);
        const uint8_t* src = RowAt(row);
        if (left <= WideCopy && column + WideCopy <= FWidth && FColumn + WideCopy <= FWidth) {
            uint8_t t[WideCopy];
            std::memcpy(t, src + column, WideCopy);
            std::memcpy(FRowStart + FColumn, t, WideCopy);
            Advance(static_cast<int32_t>(left));
            return;
        }
        // Source and target never overlap: the source ends at or before the
        // place this string starts.
        while (left > 0) {
            const int32_t n = static_cast<int32_t>(std::min<int64_t>({left, FWidth - column, FWidth - FColumn}));
            std::memcpy(FRowStart + FColumn, src + column, static_cast<size_t>(n));
            Advance(n);
            left -= n;
            column += n;
            if (column == FWidth) {
                column = 0;
                src = RowAt(++row);
            }
        }
    }

private:
    // Rows past the last (reached once the frame is complete) are never used.
    uint8_t* RowAt(int32_t k) const {
        return k < FHeight ? FPixels + static_cast<size_t>(FMap(k)) * static_cast<size_t>(FWidth) : FPixels;
    }
    void Advance(int32_t n) {
        FColumn += n;
        if (FColumn == FWidth) {
            FColumn = 0;
            FRowStart = RowAt(++FRow);
        }
    }

    uint8_t* FPixels;
    InterlacedRowMap FMap;
    int32_t FWidth;
    int32_t FHeight;
    int32_t FRow = 0;
    int32_t FColumn = 0;
    uint8_t* FRowStart;
};

// The data sub-blocks of one frame, from memory or from a stream: their
// bytes in order, up to the terminator or the end of the data.
class SubBlockSource {
public:
    virtual ~SubBlockSource() = default;
    // Up to room data bytes into dst; 0 once the data has ended.
    size_t Next(uint8_t* dst, size_t room) {
        size_t got = 0;
        while (got < room && !FEnded) {
            if (FLeft == 0) {
                uint8_t n = 0;
                if (!LengthByte(n)) {
                    FPremature = true;  // no terminator
                    FEnded = true;
                    break;
                }
                if (n == 0) {
                    FTerminated = true;
                    FEnded = true;
                    break;
                }
                FLeft = n;
            }
            const size_t want = std::min(room - got, FLeft);
            const size_t n = Bytes(dst + got, want);
            got += n;
            FLeft -= n;
            if (n < want) {
                // A sub-block longer than the rest of the data: the rest is used.
                FPremature = true;
                FEnded = true;
            }
        }
        return got;
    }
    // Passes over what is left, up to and including the terminator.
    void SkipRest() {
        uint8_t scratch[256];
        while (Next(scratch, sizeof scratch) > 0) {
        }
    }
    bool Terminated() const { return FTerminated; }
    bool Premature() const { return FPremature; }

protected:
    virtual bool LengthByte(uint8_t& n) = 0;
    virtual size_t Bytes(uint8_t* dst, size_t n) = 0;

private:
    size_t FLeft = 0;
    bool FEnded = false;
    bool FTerminated = false;
    bool FPremature = false;
};

class MemorySource final : public SubBlockSource {
public:
    MemorySource(const uint8_t* data, size_t size, size_t at) : FData(data), FSize(size), FAt(at) {}
    size_t Consumed() const { return FAt; }

protected:
    bool LengthByte(uint8_t& n) override {
        if (FAt >= FSize) return false;
        n = FData[FAt++];
        return true;
    }
    size_t Bytes(uint8_t* dst, size_t n) override {
        n = std::min(n, FSize - FAt);
        std::memcpy(dst, FData + FAt, n);
        FAt += n;
        return n;
    }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FAt;
};

class StreamSource final : public SubBlockSource {
public:
    explicit StreamSource(TStream& stream) : FStream(stream) {}

protected:
    bool LengthByte(uint8_t& n) override { return TryReadByte(FStream, n); }
    size_t Bytes(uint8_t* dst, size_t n) override {
        return static_cast<size_t>(std::max<int64_t>(0, FStream.Read(dst, static_cast<int64_t>(n))));
    }

private:
    TStream& FStream;
};

// The window codes are read from: what is left of the last refill, then the
// next bytes of the sub-blocks; 8 bytes of slack let a code be read as one
// 64-bit load.
constexpr size_t WindowSize = 16384;
struct CodeWindow {
    uint8_t Bytes[WindowSize + 8] = {};
    uint64_t TotalBits = 0;
    // Keeps the bytes from bit on, adds more; false when none came.
    bool Refill(SubBlockSource& source, uint64_t& bit) {
        const size_t from = static_cast<size_t>(bit >> 3);
        const size_t have = static_cast<size_t>(TotalBits >> 3);
        const size_t keep = have > from ? have - from : 0;
        std::memmove(Bytes, Bytes + from, keep);
        bit &= 7;
        const size_t got = source.Next(Bytes + keep, WindowSize - keep);
        TotalBits = static_cast<uint64_t>(keep + got) * 8;
        return got > 0;
    }
};

// Codes from the window into total pixels of out; gives how decoding stopped
// and the pixels written.
template <typename Output>
[[gnu::noinline]] TGIFDecodeStatus DecodeCodes(CodeWindow& window, SubBlockSource& source, uint32_t minCode,
                                               Output out, int64_t total, int64_t& decoded) {
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
    uint64_t totalBits = window.TotalBits;
    const uint8_t* const buf = window.Bytes;
    TGIFDecodeStatus status = TGIFDecodeStatus::Complete;

    while (op < total) {
        if (bit + codeWidth > totalBits) [[unlikely]] {
            window.TotalBits = totalBits;
            const bool more = window.Refill(source, bit);
            totalBits = window.TotalBits;
            if (more) continue;
            status = bit >= totalBits && source.Terminated() && !source.Premature() ? TGIFDecodeStatus::Underrun
                                                                                   : TGIFDecodeStatus::ShortData;
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

// The sub-blocks after the minimum code size into pixels; the rest of the
// data, up to its terminator, is passed over.
TGIFDecodeResult DecodeFrom(SubBlockSource& source, uint32_t minCode, uint8_t* pixels, int32_t width,
                            int32_t height, bool interlaced, uint8_t fill, bool zeroed) {
    TGIFDecodeResult result;
    const int64_t total = width > 0 && height > 0 ? static_cast<int64_t>(width) * height : 0;
    int64_t decoded = 0;
    TGIFDecodeStatus status = TGIFDecodeStatus::InvalidCode;
    if (minCode <= 11) {
        CodeWindow window;
        if (interlaced && height > 1)
            status = DecodeCodes(window, source, minCode, InterlacedOutput(pixels, width, height), total, decoded);
        else
            status = DecodeCodes(window, source, minCode, LinearOutput(pixels), total, decoded);
    }
    source.SkipRest();
    result.Status = status;
    result.Decoded = decoded;
    result.Premature = source.Premature();
    // A zeroed buffer needs no fill of 0, except where a wide copy wrote
    // ahead of the last decoded pixel.
    const int64_t to = fill != 0 || !zeroed ? total : decoded + WideCopy - 1;
    FillUndecoded(pixels, width, height, interlaced, decoded, to, fill);
    return result;
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
    if (size == 0) {
        TGIFDecodeResult result;
        result.Status = TGIFDecodeStatus::NoData;
        FillUndecoded(pixels, width, height, interlaced, 0, fill != 0 || !zeroed ? int64_t(1) << 62 : WideCopy - 1,
                      fill);
        return result;
    }
    MemorySource source(data, size, 1);
    TGIFDecodeResult result = DecodeFrom(source, data[0], pixels, width, height, interlaced, fill, zeroed);
    result.Consumed = source.Consumed();
    return result;
}

void DecodeFrameData(TVsGifSubImage& frame, TStream& stream) {
    uint8_t fill = 0;
    if (frame.Transparent() && frame.GraphicControlExtension())
        fill = frame.GraphicControlExtension()->TransparentIndex();

    // The pixels are allocated only once some image data is known to exist.
    uint8_t minCode = 0;
    if (!TryReadByte(stream, minCode)) {
        // Not even the code size: the frame keeps its descriptor, no pixels.
        frame.Warning(1, GifMsg::SPrematureEnd);
        return;
    }

    frame.AllocatePixels();
    // Decoded into the zeroed buffer with a fill of 0; another fill is left
    // to the frame, which writes it when the pixels are first used.
    StreamSource source(stream);
    TGIFDecodeResult result =
        DecodeFrom(source, minCode, frame.Data(), frame.Width(), frame.Height(), frame.Interlaced(), 0, true);
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

// ---------------------------------------------------------------- read buffer

TVsGifReadBuffer::TVsGifReadBuffer(TStream& source)
    : FSource(source), FBuffer(std::make_unique<uint8_t[]>(Capacity)) {
    FPosition = FSourcePosition = FBase = source.Position();
}

int64_t TVsGifReadBuffer::Read(void* buffer, int64_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        if (FPosition >= FBase && FPosition < FBase + FCount) {
            const int64_t n = std::min(count - done, FBase + FCount - FPosition);
            std::memcpy(out + done, FBuffer.get() + (FPosition - FBase), static_cast<size_t>(n));
            done += n;
            FPosition += n;
            continue;
        }
        if (FSourcePosition != FPosition) {
            FSource.SetPosition(FPosition);
            FSourcePosition = FSource.Position();
            if (FSourcePosition != FPosition) break;
        }
        const int64_t got = FSource.Read(FBuffer.get(), Capacity);
        if (got <= 0) break;
        FBase = FSourcePosition;
        FCount = got;
        FSourcePosition += got;
    }
    return done;
}

int64_t TVsGifReadBuffer::Write(const void*, int64_t) { throw Exception(SysConst::SInvalidStreamOp); }

int64_t TVsGifReadBuffer::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t to = offset;
    if (origin == soCurrent) to += FPosition;
    if (origin == soEnd) to += Size();
    FPosition = std::max<int64_t>(to, 0);
    return FPosition;
}

int64_t TVsGifReadBuffer::Size() {
    if (FSize < 0) {
        FSize = FSource.Size();
        FSourcePosition = FSource.Position();
    }
    return FSize;
}
