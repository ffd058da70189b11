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
    FBucket = 0;
    FBucketBits = 0;
    {
        TVsGifWriter writer(stream);
        writer.OnWarning = OnWarning;
        FWriter = &writer;
        try {
            if (pixels && height > 0 && width > 0) EncodePixels();
            PutCode(FEndCode);
            if (FBucketBits > 0) writer.PutByte(static_cast<uint8_t>(FBucket));
            FBucket = 0;
            FBucketBits = 0;
        } catch (...) {
            FWriter = nullptr;
            throw;
        }
        FWriter = nullptr;
    }
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
    std::fill(FChildren.begin(), FChildren.end(), uint16_t(0));
    FNextCode = FClearCode + 2;
}

// Up to 16 colours the table of every code's children is small enough to be
// indexed straight: one load per pixel, no hashing.
void TLZWEncoder::EncodeSmallPalette(const std::vector<const uint8_t*>& rows) {
    const uint32_t bits = static_cast<uint32_t>(FBitsPerPixel);
    const uint32_t colors = std::min<uint32_t>(static_cast<uint32_t>(FColorCount), 1u << bits);
    uint16_t* const children = FChildren.data();
    uint32_t prefix = *rows[0];
    if (prefix >= colors) ColorError();
    const uint8_t* p = rows[0] + 1;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r > 0) p = rows[r];
        const uint8_t* const end = rows[r] + FWidth;
        for (; p < end; ++p) {
            const uint32_t pixel = *p;
            if (pixel >= colors) ColorError();
            uint16_t& child = children[(prefix << bits) | pixel];
            if (child != 0) {
                prefix = child;
                continue;
            }
            PutCode(static_cast<int32_t>(prefix));
            if (FNextCode >= 4095)
                ResetCodes();
            else
                child = static_cast<uint16_t>(FNextCode++);
            prefix = pixel;
        }
    }
    PutCode(static_cast<int32_t>(prefix));
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
    FHashTable = std::make_unique<THashTable>();
    struct Free {
        std::unique_ptr<THashTable>& table;
        ~Free() { table.reset(); }
    } freeTable{FHashTable};
    FNextCode = FClearCode + 2;
    const bool small = FBitsPerPixel <= 4;
    FChildren.assign(small ? size_t(4096) << FBitsPerPixel : 0, 0);
    struct FreeChildren {
        std::vector<uint16_t>& children;
        ~FreeChildren() { std::vector<uint16_t>().swap(children); }
    } freeChildren{FChildren};
    ResetCodes();

    const uint32_t* const slots = FHashTable->Slots();
    const bool check = FColorCount < 256;
    const uint32_t colors = static_cast<uint32_t>(FColorCount);
    std::vector<const uint8_t*> rows;
    rows.reserve(static_cast<size_t>(FHeight));
    ForEachRow([&](const uint8_t* row) { rows.push_back(row); });
    if (small) {
        EncodeSmallPalette(rows);
        return;
    }

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
