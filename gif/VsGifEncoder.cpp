// LZW and run-length encoding of one frame, and the sub-block writer.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gif/VsGifCodec.h"

// ---------------------------------------------------------------- writer

int64_t TVsGifStream::Read(void*, int64_t) { throw Exception(SysConst::SInvalidStreamOp); }
int64_t TVsGifStream::Write(const void*, int64_t) { throw Exception(SysConst::SInvalidStreamOp); }
int64_t TVsGifStream::Seek(int64_t, TSeekOrigin) { throw Exception(SysConst::SInvalidStreamOp); }

void TVsGifStream::Progress() {
    if (OnProgress) OnProgress();
}

TVsGifWriter::~TVsGifWriter() {
    if (FDirty) {
        try {
            FlushSubBlock();
        } catch (...) {
            // A destructor must not throw; a failed target write already lost the data.
        }
    }
}

int64_t TVsGifWriter::Write(const void* buffer, int64_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(buffer);
    for (int64_t left = count; left > 0;) {
        int64_t n = std::min<int64_t>(left, 256 - FBufferCount);
        std::memcpy(FBuffer + FBufferCount, p, static_cast<size_t>(n));
        FBufferCount += static_cast<int32_t>(n);
        FDirty = true;
        p += n;
        left -= n;
        if (FBufferCount == 256) FlushSubBlock();
    }
    return count;
}

void TVsGifWriter::FlushSubBlock() {
    FBuffer[0] = static_cast<uint8_t>(FBufferCount - 1);
    FTarget.WriteBuffer(FBuffer, FBufferCount);
    FBufferCount = 1;
    FDirty = false;
}

TVsGifCodeWriter::TVsGifCodeWriter(TStream& target)
    : FTarget(target), FBuffer(std::make_unique_for_overwrite<uint8_t[]>(Blocks * 256 + Slack)) {}

// The bytes past the full block belong to the next one, after its length
// byte; a full buffer goes to the target first.
TVsGifCodeWriter::TBits TVsGifCodeWriter::EndBlock(TBits b) {
    const size_t excess = static_cast<size_t>(b.Out - b.BlockEnd);
    b.BlockEnd[-256] = 255;
    uint8_t* data = b.BlockEnd + 1;
    if (b.BlockEnd == FBuffer.get() + Blocks * 256) {
        FTarget.WriteBuffer(FBuffer.get(), b.BlockEnd - FBuffer.get());
        std::memmove(FBuffer.get() + 1, b.BlockEnd, excess);
        data = FBuffer.get() + 1;
    } else {
        std::memmove(data, b.BlockEnd, excess);
    }
    b.Out = data + excess;
    b.BlockEnd = data + 255;
    return b;
}

void TVsGifCodeWriter::Finish(TBits b, bool withBucket) {
    for (; b.Count >= 8 || (withBucket && b.Count > 0); b.Count -= std::min<uint32_t>(b.Count, 8)) {
        *b.Out++ = static_cast<uint8_t>(b.Bucket);
        b.Bucket >>= 8;
        if (b.Out >= b.BlockEnd) b = EndBlock(b);
    }
    uint8_t* const data = b.BlockEnd - 255;
    uint8_t* end = b.Out;
    if (end > data)
        data[-1] = static_cast<uint8_t>(end - data);
    else
        end = data - 1;  // no empty sub-block
    if (end > FBuffer.get()) FTarget.WriteBuffer(FBuffer.get(), end - FBuffer.get());
}

// ---------------------------------------------------------------- hash table

void THashTable::Clear() { std::memset(FSlots, 0xFF, sizeof FSlots); }

bool THashTable::InsertCode(uint32_t key, int32_t code) {
    int32_t h = SlotOf(key);
    for (int32_t probes = 0; probes < MaxProbes; ++probes) {
        if ((FSlots[h] >> 12) == 0xFFFFF) {
            FSlots[h] = (key << 12) | static_cast<uint32_t>(code & 0xFFF);
            return true;
        }
        h = NextSlot(h);
    }
    return false;
}

int32_t THashTable::FindCode(uint32_t key) const {
    int32_t h = SlotOf(key);
    for (int32_t probes = 0; probes < MaxProbes; ++probes) {
        uint32_t slot = FSlots[h];
        if ((slot >> 12) == 0xFFFFF) return -1;
        if ((slot >> 12) == key) return static_cast<int32_t>(slot & 0xFFF);
        h = NextSlot(h);
    }
    return -1;
}

// ---------------------------------------------------------------- encoder base

void TVsGifEncoder::EncodeFrame(TStream& stream, int32_t bitsPerPixel, int32_t colorCount, const uint8_t* pixels,
                                bool interlaced, int32_t height, int32_t width) {
    FStream = &stream;
    FBitsPerPixel = std::clamp(bitsPerPixel, 2, 8);
    FColorCount = colorCount;
    FPixels = pixels;
    FInterlaced = interlaced;
    FHeight = height;
    FWidth = width;
    FInitialWidth = FBitsPerPixel + 1;
    WriteByte(stream, static_cast<uint8_t>(FBitsPerPixel));
    FCodeWidth = FInitialWidth;
    FMaxCode = (1 << FCodeWidth) - 1;
    FClearCode = 1 << FBitsPerPixel;
    FEndCode = FClearCode + 1;
    FBaseCode = FClearCode + 2;
    TVsGifCodeWriter codes(stream);
    FCodes = &codes;
    FBits = codes.Start();
    try {
        if (pixels && height > 0 && width > 0) EncodePixels();
        PutCode(FEndCode);
    } catch (...) {
        // The whole bytes coded so far still go out.
        FCodes = nullptr;
        try {
            codes.Finish(FBits, false);
        } catch (...) {
            // The first fault is the one to report.
        }
        throw;
    }
    FCodes = nullptr;
    codes.Finish(FBits);
    WriteByte(stream, 0);
}

void TVsGifEncoder::PutCode(int32_t code) { PutBits(code); }

void TVsGifEncoder::ResetCodes() {
    FClearFlag = true;
    PutCode(FClearCode);
}

template <typename F>
void TVsGifEncoder::ForEachRow(F&& f) const {
    const size_t w = static_cast<size_t>(FWidth);
    if (!FInterlaced) {
        for (int32_t row = 0; row < FHeight; ++row) f(FPixels + static_cast<size_t>(row) * w);
        return;
    }
    static constexpr int32_t start[4] = {0, 4, 2, 1};
    static constexpr int32_t step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int32_t row = start[pass]; row < FHeight; row += step[pass]) f(FPixels + static_cast<size_t>(row) * w);
}

void TVsGifEncoder::ColorError() const { RaiseGIFError(GifMsg::SColorNotInTable); }

// ---------------------------------------------------------------- LZW encoder

void TLZWEncoder::PutCode(int32_t code) {
    PutBits(code);
    if (FNextCode > FMaxCode || FClearFlag) {
        if (FClearFlag) {
            FCodeWidth = FInitialWidth;
            FMaxCode = (1 << FCodeWidth) - 1;
            FClearFlag = false;
        } else {
            ++FCodeWidth;
            FMaxCode = FCodeWidth == 12 ? 4096 : (1 << FCodeWidth) - 1;
        }
    }
}

void TLZWEncoder::ResetCodes() {
    TVsGifEncoder::ResetCodes();
    FHashTable->Clear();
    FNextCode = FClearCode + 2;
}

namespace {

// The pixel's row of the direct table, kept opaque to the compiler: folded
// into the index it would put an add and a shift between one hit's load and
// the next.
inline uint16_t* RowOf(uint16_t* children, uint8_t pixel) {
    uint16_t* row = children + (size_t(pixel) << 12);
    asm("" : "+r"(row));
    return row;
}

}  // namespace

// The child of a string and a pixel read straight from a table, the pixel's
// row of 4096 codes picked before the prefix is known: a hit is one load.
// Pixels are checked a row at a time, ahead of its codes.
template <uint32_t Bits>
void TLZWEncoder::EncodeDirect(const std::vector<const uint8_t*>& rows) {
    constexpr uint32_t clear = 1u << Bits, base = clear + 2, initialWidth = Bits + 1;
    const uint32_t colors = std::min<uint32_t>(static_cast<uint32_t>(std::max(FColorCount, 0)), clear);
    // A large table is not cleared code by code: each entry carries the
    // table's tag in its top four bits, a clear moves to the next tag, and
    // only when the tags run out is the whole table zeroed.
    constexpr bool tagged = Bits >= 5;
    FChildren.assign(size_t(clear) << 12, 0);
    if constexpr (!tagged) FEntries.resize(4096);
    struct Free {
        TLZWEncoder& encoder;
        ~Free() {
            std::vector<uint16_t>().swap(encoder.FChildren);
            std::vector<uint32_t>().swap(encoder.FEntries);
        }
    } freeTables{*this};
    uint16_t* const children = FChildren.data();
    uint32_t* const entries = FEntries.data();
    uint32_t tag = tagged ? 1u << 12 : 0;
    TVsGifCodeWriter& codes = *FCodes;
    TVsGifCodeWriter::TBits b = FBits;
    uint32_t width = initialWidth;
    uint32_t widthLimit = 1u << width;  // 4096 at 12 bits: never reached
    uint32_t next = base;
    codes.Put(b, clear, width);
    const size_t w = static_cast<size_t>(FWidth);
    uint32_t prefix = *rows[0];
    for (size_t r = 0; r < rows.size(); ++r) {
        const uint8_t* p = rows[r];
        const uint8_t* const end = p + w;
        if (colors < 256) {
            uint8_t top = 0;
            for (size_t x = 0; x < w; ++x) top = std::max(top, p[x]);
            if (top >= colors) {
                FBits = b;
                ColorError();
            }
        }
        if (r == 0) ++p;
        while (p < end) {
            // The string goes on: a load per pixel, its address from the
            // pixel's row and the prefix alone.
            uint16_t* row = RowOf(children, *p);
            uint32_t found;
            while (true) {
                if constexpr (tagged) {
                    // Another tag (or none) wraps to 4096 or more.
                    found = row[prefix] - tag;
                    if (found >= 4096) break;
                } else if ((found = row[prefix]) == 0) {
                    break;
                }
                prefix = found;
                if (++p == end) break;
                row = RowOf(children, *p);
            }
            if (p == end) break;
            const uint32_t pixel = *p++;
            codes.Put(b, prefix, width);
            // One bit more once the next code needs it; 12 bits stay.
            if (next == widthLimit) [[unlikely]] {
                ++width;
                widthLimit <<= 1;
            }
            if (next < 4095) [[likely]] {
                const uint32_t entry = (pixel << 12) + prefix;
                children[entry] = static_cast<uint16_t>(tag | next);
                if constexpr (!tagged) entries[next] = entry;
                ++next;
            } else {
                codes.Put(b, clear, width);
                width = initialWidth;
                widthLimit = 1u << width;
                if constexpr (tagged) {
                    tag += 1u << 12;
                    if (tag == 16u << 12) {
                        std::fill(FChildren.begin(), FChildren.end(), uint16_t{0});
                        tag = 1u << 12;
                    }
                } else {
                    for (uint32_t c = base; c < next; ++c) children[entries[c]] = 0;
                }
                next = base;
            }
            prefix = pixel;
        }
    }
    codes.Put(b, prefix, width);
    if (next == widthLimit) ++width;
    FBits = b;
    FCodeWidth = static_cast<int32_t>(width);
    FMaxCode = width == 12 ? 4096 : (1 << width) - 1;
    FNextCode = static_cast<int32_t>(next);
}

// A string not in the table: its prefix goes out, the new string is added,
// or the table starts over when it is full.
void TLZWEncoder::AddString(uint32_t prefix, uint32_t key, int32_t slot) {
    PutCode(static_cast<int32_t>(prefix));
    if (FNextCode >= 4095 || slot < 0)
        ResetCodes();
    else {
        FHashTable->Slots()[slot] = (key << 12) | static_cast<uint32_t>(FNextCode);
        ++FNextCode;
    }
}

void TLZWEncoder::EncodePixels() {
    std::vector<const uint8_t*> rows;
    rows.reserve(static_cast<size_t>(FHeight));
    ForEachRow([&](const uint8_t* row) { rows.push_back(row); });
    if (FBitsPerPixel > 4 && int64_t(FWidth) * FHeight < DirectMinPixels) {
        EncodeHashed(rows);
        return;
    }
    switch (FBitsPerPixel) {
        case 2: EncodeDirect<2>(rows); break;
        case 3: EncodeDirect<3>(rows); break;
        case 4: EncodeDirect<4>(rows); break;
        case 5: EncodeDirect<5>(rows); break;
        case 6: EncodeDirect<6>(rows); break;
        case 7: EncodeDirect<7>(rows); break;
        default: EncodeDirect<8>(rows); break;
    }
}

void TLZWEncoder::EncodeHashed(const std::vector<const uint8_t*>& rows) {
    FHashTable = std::make_unique<THashTable>();
    struct Free {
        std::unique_ptr<THashTable>& table;
        ~Free() { table.reset(); }
    } freeTable{FHashTable};
    FNextCode = FClearCode + 2;
    ResetCodes();

    const uint32_t* const slots = FHashTable->Slots();
    const bool check = FColorCount < 256;
    const uint32_t colors = static_cast<uint32_t>(FColorCount);
    uint32_t prefix = *rows[0];
    if (check && prefix >= colors) ColorError();
    const uint8_t* p = rows[0] + 1;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r > 0) p = rows[r];
        const uint8_t* const end = rows[r] + FWidth;
        while (p < end) {
            // Strings found at the first slot: the common case, kept tight.
            // Their pixels were checked when the string was added.
            uint32_t key, slot;
            int32_t h;
            for (;;) {
                key = (prefix << 8) | *p;
                h = THashTable::SlotOf(key);
                slot = slots[h];
                if ((slot >> 12) != key) break;
                prefix = slot & 0xFFF;
                if (++p == end) break;
            }
            if (p == end) break;
            const uint32_t pixel = *p++;
            if (check && pixel >= colors) ColorError();
            // Walk the probe path to the key or the first free slot.
            int32_t probes = 1;
            while ((slot >> 12) != key && (slot >> 12) != 0xFFFFF) {
                if (probes++ == THashTable::MaxProbes) {
                    h = -1;
                    break;
                }
                h = THashTable::NextSlot(h);
                slot = slots[h];
            }
            if (h >= 0 && (slot >> 12) == key) {
                prefix = slot & 0xFFF;
                continue;
            }
            AddString(prefix, key, h);
            prefix = pixel;
        }
    }
    PutCode(static_cast<int32_t>(prefix));
}

// ---------------------------------------------------------------- run-length encoder

int64_t IntegerSqrt(int64_t x) {
    if (x < 2) return x;
    int64_t r = static_cast<int64_t>(std::sqrt(static_cast<double>(x)));
    while (r * r > x) --r;
    while ((r + 1) * (r + 1) <= x) ++r;
    return r;
}

void TRLEEncoder::ResetCodes() {
    FOutBump = FOutBumpInit;
    FOutClear = FOutClearInit;
    FOutCount = 0;
    FRunTableMax = 0;
    TVsGifEncoder::ResetCodes();
    FCodeWidth = FInitialWidth;
}

void TRLEEncoder::PutPlainCode(int32_t code) {
    FClearFlag = false;
    PutCode(code);
    ++FOutCount;
    if (FOutCount == FOutBump) {
        FOutBump += 1 << FCodeWidth;
        ++FCodeWidth;
    }
    if (FOutCount == FOutClear) ResetCodes();
}

// Codes needed to send count pixels of one colour as runs of 1, 2, 3 ...
// from a cleared table, with at most FMaxOut codes per table.
int32_t TRLEEncoder::RunCodeCost(int32_t count) const {
    const int64_t n = FMaxOut;
    const int64_t t = n * (n + 1) / 2;
    int64_t c = count;
    int64_t cost = (c / t) * n;
    c %= t;
    if (c > 0) {
        int64_t m = IntegerSqrt(2 * c);
        while (m > 0 && m * (m + 1) >= 2 * c) --m;
        while (m * (m + 1) < 2 * c) ++m;
        cost += m;
    }
    return static_cast<int32_t>(cost);
}

void TRLEEncoder::FlushFromClear(int32_t count) {
    FOutClear = FMaxOut;
    FRunTablePixel = FRunPixel;
    int32_t n = 1;
    while (count > 0) {
        if (n == 1) {
            FRunTableMax = 1;
            PutPlainCode(FRunPixel);
            --count;
        } else if (count >= n) {
            FRunTableMax = n;
            PutPlainCode(FBaseCode + n - 2);
            count -= n;
        } else if (count == 1) {
            ++FRunTableMax;
            PutPlainCode(FRunPixel);
            count = 0;
        } else {
            ++FRunTableMax;
            PutPlainCode(FBaseCode + count - 2);
            count = 0;
        }
        n = FOutCount == 0 ? 1 : n + 1;
    }
    FOutClear = FOutClearInit;
    if (FOutCount >= FOutClear) ResetCodes();
}

void TRLEEncoder::FlushWithTable(int32_t count) {
    const int32_t longest = FRunTableMax;
    int32_t repeats = count / longest;
    int32_t leftover = count % longest;
    int32_t leftoverCost = leftover ? 1 : 0;
    if (FOutCount + repeats + leftoverCost > FMaxOut) {
        repeats = FMaxOut - FOutCount;
        leftover = count - repeats * longest;
        leftoverCost = 1 + RunCodeCost(leftover);
    }
    if (1 + RunCodeCost(count) < repeats + leftoverCost) {
        ResetCodes();
        FlushFromClear(count);
        return;
    }
    FOutClear = FMaxOut;
    const int32_t code = FBaseCode + longest - 2;
    for (int32_t i = 0; i < repeats; ++i) PutPlainCode(code);
    if (leftover > 0) {
        if (FClearFlag)
            FlushFromClear(leftover);
        else if (leftover == 1)
            PutPlainCode(FRunPixel);
        else
            PutPlainCode(FBaseCode + leftover - 2);
    }
    FOutClear = FOutClearInit;
    if (FOutCount >= FOutClear) ResetCodes();
}

void TRLEEncoder::FlushRun(int32_t count) {
    if (count == 1) {
        PutPlainCode(FRunPixel);
    } else if (FClearFlag) {
        FlushFromClear(count);
    } else if (FRunTableMax > 1 && FRunTablePixel == FRunPixel) {
        FlushWithTable(count);
    } else if (1 + RunCodeCost(count) < count) {
        ResetCodes();
        FlushFromClear(count);
    } else {
        for (int32_t i = 0; i < count; ++i) PutPlainCode(FRunPixel);
    }
}

void TRLEEncoder::EncodePixels() {
    FOutBumpInit = FClearCode - 1;
    FOutClearInit = FBitsPerPixel <= 3 ? 9 : FClearCode - 2;
    FMaxOut = 4095 - FBaseCode;
    ResetCodes();
    FRunPixel = -1;
    FRunTablePixel = -1;
    int32_t runCount = 0;
    const bool check = FColorCount < 256;
    ForEachRow([&](const uint8_t* p) {
        for (const uint8_t* end = p + FWidth; p < end; ++p) {
            const int32_t pixel = *p;
            if (check && pixel >= FColorCount) ColorError();
            if (runCount > 0 && pixel == FRunPixel) {
                ++runCount;
                continue;
            }
            if (runCount > 0) FlushRun(runCount);
            FRunPixel = pixel;
            runCount = 1;
        }
    });
    if (runCount > 0) FlushRun(runCount);
}

// ---------------------------------------------------------------- frame entry

void EncodeFrameData(TVsGifSubImage& frame, TStream& stream) {
    TVsGifImage* image = frame.Image();
    int32_t bits;
    int32_t colors;
    if (frame.ColorMap().Count() > 0) {
        bits = frame.ColorMap().EntryBits();
        colors = frame.ColorMap().Count();
    } else {
        bits = image ? image->MaxBitsPerPixel() : 8;
        colors = 1 << std::max(bits, 0);
    }
    std::unique_ptr<TVsGifEncoder> encoder;
    if (image && image->EncoderChoice() == GIFEncoderRLE)
        encoder = std::make_unique<TRLEEncoder>();
    else
        encoder = std::make_unique<TLZWEncoder>();
    if (image)
        encoder->OnWarning = [image](TObject* sender, uint8_t severity, const std::string& message) {
            image->Warning(sender, severity, message);
        };
    encoder->EncodeFrame(stream, bits, colors, frame.Data(), frame.Interlaced(), frame.Height(), frame.Width());
}
