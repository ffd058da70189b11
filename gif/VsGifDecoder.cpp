// LZW decoding of one frame's image data.
//
// The data sub-blocks are first gathered into one contiguous code buffer, so
// codes are read straight from memory whatever the sub-block lengths. Each
// table entry is kept as the place and length of its string in the output
// already written (a new entry is always the previous string plus one byte,
// and those bytes lie side by side in the output): strings are copied, never
// walked, so no chain of entries can loop or overrun anything.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gif/VsGifCodec.h"

namespace {

constexpr int32_t TableSize = 4096;

// Interlaced rows in pass order: 0, 8, 16 ..., 4, 12 ..., 2, 6 ..., 1, 3 ...
template <typename F>
void ForEachInterlacedRow(int32_t height, F&& f) {
    static constexpr int32_t start[4] = {0, 4, 2, 1};
    static constexpr int32_t step[4] = {8, 8, 4, 2};
    int32_t k = 0;
    for (int pass = 0; pass < 4; ++pass)
        for (int32_t row = start[pass]; row < height; row += step[pass]) f(k++, row);
}

inline void CopyString(uint8_t* dst, const uint8_t* src, uint32_t len, int64_t room) {
    if (len <= 16 && room >= 16) {
        // One wide copy; bytes past len are rewritten by the strings that follow.
        uint8_t t[16];
        std::memcpy(t, src, 16);
        std::memcpy(dst, t, 16);
        return;
    }
    if (len > room) len = static_cast<uint32_t>(room);
    for (uint32_t i = 0; i < len; ++i) dst[i] = src[i];
}

}  // namespace

TGIFDecodeResult DecodeGIFData(const uint8_t* data, size_t size, uint8_t* pixels, int32_t width, int32_t height,
                               bool interlaced, uint8_t fill, bool zeroed) {
    TGIFDecodeResult result;
    const int64_t total = width > 0 && height > 0 ? static_cast<int64_t>(width) * height : 0;
    const bool fillNeeded = total > 0 && (fill != 0 || !zeroed);
    if (size == 0) {
        if (fillNeeded) std::memset(pixels, fill, static_cast<size_t>(total));
        result.Status = TGIFDecodeStatus::NoData;
        return result;
    }
    const uint32_t minCode = data[0];

    // Measure the sub-blocks up to and including the terminator.
    size_t scan = 1;
    size_t codeBytes = 0;
    bool terminated = false;
    while (scan < size) {
        size_t len = data[scan++];
        if (len == 0) {
            terminated = true;
            break;
        }
        if (len > size - scan) {
            len = size - scan;
            result.Premature = true;
        }
        codeBytes += len;
        scan += len;
    }
    if (!terminated) result.Premature = true;
    result.Consumed = scan;

    if (minCode > 11) {
        if (fillNeeded) std::memset(pixels, fill, static_cast<size_t>(total));
        result.Status = TGIFDecodeStatus::InvalidCode;
        return result;
    }

    std::vector<uint8_t> codes(codeBytes + 8);
    for (size_t p = 1, q = 0; p < scan;) {
        size_t len = data[p++];
        if (len == 0) break;
        len = std::min(len, size - p);
        std::memcpy(codes.data() + q, data + p, len);
        q += len;
        p += len;
    }

    std::vector<uint8_t> linear;
    uint8_t* out = pixels;
    if (interlaced && height > 1) {
        linear.resize(static_cast<size_t>(total));
        out = linear.data();
    }

    uint32_t off[TableSize];
    uint16_t len[TableSize];
    const uint32_t clear = 1u << minCode;
    const uint32_t end = clear + 1;
    uint32_t codeWidth = minCode + 1;
    uint32_t limit = 1u << codeWidth;
    uint32_t mask = limit - 1;
    uint32_t nextFree = clear + 2;
    bool haveprev = false;
    int64_t prevPos = 0;
    uint32_t prevLen = 0;
    int64_t op = 0;
    uint64_t bit = 0;
    const uint64_t totalBits = static_cast<uint64_t>(codeBytes) * 8;
    const uint8_t* buf = codes.data();
    TGIFDecodeStatus status = TGIFDecodeStatus::Complete;

    while (op < total) {
        if (bit + codeWidth > totalBits) {
            status = bit >= totalBits && terminated && !result.Premature ? TGIFDecodeStatus::Underrun
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
            haveprev = false;
            continue;
        }
        if (code == end) break;
        if (!haveprev) {
            // The first code after a clear must be a pixel value.
            if (code > clear) {
                status = TGIFDecodeStatus::InvalidCode;
                break;
            }
            out[op] = static_cast<uint8_t>(code);
            prevPos = op;
            prevLen = 1;
            ++op;
            haveprev = true;
            continue;
        }
        uint32_t curLen;
        int64_t room = total - op;
        if (code < clear) {
            out[op] = static_cast<uint8_t>(code);
            curLen = 1;
        } else if (code < nextFree) {
            curLen = len[code];
            CopyString(out + op, out + off[code], curLen, room);
        } else if (code == nextFree) {
            // The string being defined: the previous one and its first byte.
            curLen = prevLen + 1;
            CopyString(out + op, out + prevPos, prevLen, room);
            if (prevLen < room) out[op + prevLen] = out[prevPos];
        } else {
            status = TGIFDecodeStatus::InvalidCode;
            break;
        }
        if (nextFree < TableSize) {
            off[nextFree] = static_cast<uint32_t>(prevPos);
            len[nextFree] = static_cast<uint16_t>(prevLen + 1);
            if (++nextFree >= limit && limit < TableSize) {
                ++codeWidth;
                limit <<= 1;
                mask = limit - 1;
            }
        }
        prevPos = op;
        prevLen = curLen;
        op += std::min<int64_t>(curLen, room);
    }

    result.Status = status;
    result.Decoded = op;
    // The de-interlacing buffer starts zeroed as well.
    if (op < total && (fill != 0 || (out == pixels && !zeroed)))
        std::memset(out + op, fill, static_cast<size_t>(total - op));
    if (out != pixels) {
        const size_t w = static_cast<size_t>(width);
        ForEachInterlacedRow(height, [&](int32_t k, int32_t row) {
            std::memcpy(pixels + static_cast<size_t>(row) * w, out + static_cast<size_t>(k) * w, w);
        });
    }
    return result;
}

void DecodeFrameData(TVsGifSubImage& frame, TStream& stream) {
    frame.AllocatePixels();
    uint8_t fill = 0;
    if (frame.Transparent() && frame.GraphicControlExtension())
        fill = frame.GraphicControlExtension()->TransparentIndex();

    TGIFDecodeResult result;
    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
        int64_t start = memory->Position();
        int64_t size = std::max<int64_t>(0, memory->Size() - start);
        const uint8_t* data = memory->Memory() ? memory->Memory() + std::min(start, memory->Size()) : nullptr;
        result = DecodeGIFData(data, static_cast<size_t>(size), frame.Data(), frame.Width(), frame.Height(),
                               frame.Interlaced(), fill, true);
        memory->SetPosition(start + static_cast<int64_t>(result.Consumed));
    } else {
        // Any other stream: gather exactly the sub-blocks, then decode them.
        std::vector<uint8_t> data;
        uint8_t b = 0;
        if (TryReadByte(stream, b)) {
            data.push_back(b);
            while (TryReadByte(stream, b)) {
                data.push_back(b);
                if (b == 0) break;
                size_t at = data.size();
                data.resize(at + b);
                int64_t got = stream.Read(data.data() + at, b);
                data.resize(at + static_cast<size_t>(std::max<int64_t>(0, got)));
                if (got < b) break;
            }
        }
        result = DecodeGIFData(data.data(), data.size(), frame.Data(), frame.Width(), frame.Height(),
                               frame.Interlaced(), fill, true);
    }
    if (result.Premature) frame.Warning(1, GifMsg::SPrematureEnd);
    if (result.Status == TGIFDecodeStatus::Underrun) frame.Warning(1, GifMsg::SBitBufferUnderrun);
    if (result.Status == TGIFDecodeStatus::InvalidCode) RaiseGIFError(GifMsg::SInvalidData);
}
