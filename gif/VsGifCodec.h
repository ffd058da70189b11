// The pixel codec of one frame: the LZW decoder and the two encoders (an
// LZW encoder and a run-length encoder that needs no string table), with the
// writers that cut the code stream into data sub-blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gif/VsGifCore.h"

// Fills frame's pixels from the image data at the stream's position (the
// minimum code size byte) and leaves the stream after the data's block
// terminator. Faults in the data become warnings of the frame or EVsGifError.
void DecodeFrameData(TVsGifSubImage& frame, TStream& stream);
// Minimum code size byte, data sub-blocks and terminator of frame's pixels.
void EncodeFrameData(TVsGifSubImage& frame, TStream& stream);

// Outcome of decoding one frame's image data from memory.
enum class TGIFDecodeStatus : uint8_t {
    Complete,       // every pixel was read
    EarlyEnd,       // an end code came before the last pixel
    NoData,         // not even the minimum code size byte
    ShortData,      // the data ended before the pixels were complete
    PrematureEnd,   // a sub-block or the terminator is missing
    Underrun,       // codes wanted after the terminator with no bit left
    InvalidCode,    // a code the table cannot hold, or a bad code size: the frame ends there
};

struct TGIFDecodeResult {
    TGIFDecodeStatus Status = TGIFDecodeStatus::Complete;
    bool Premature = false;  // a sub-block ran past the data (warn even when complete)
    int64_t Decoded = 0;     // pixels written, in decoding order
    size_t Consumed = 0;     // bytes of data read, terminator included
};

// Decodes the image data in data[0..size) (minimum code size byte first)
// into pixels (width x height, row-major), de-interlacing when asked.
// Pixels not decoded are set to fill; zeroed says they already hold 0, so a
// fill of 0 need not touch them.
TGIFDecodeResult DecodeGIFData(const uint8_t* data, size_t size, uint8_t* pixels, int32_t width, int32_t height,
                               bool interlaced, uint8_t fill, bool zeroed = false);
// Sets the pixels from decoding-order index from up to to (exclusive) to fill;
// for an interlaced frame decoding order is the order of its passes.
void FillUndecoded(uint8_t* pixels, int32_t width, int32_t height, bool interlaced, int64_t from, int64_t to,
                   uint8_t fill);

// Reads another stream through a buffer, so that the byte-by-byte reads of
// the block readers cost a copy, not a call on the source; seeks are free
// until the next read. The source's position is set to this one's by the
// caller when it is done.
class TVsGifReadBuffer final : public TStream {
public:
    static constexpr int64_t Capacity = 16384;
    explicit TVsGifReadBuffer(TStream& source);
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;

private:
    TStream& FSource;
    std::unique_ptr<uint8_t[]> FBuffer;
    int64_t FBase = 0;            // source position of the buffer's first byte
    int64_t FCount = 0;           // bytes in the buffer
    int64_t FPosition = 0;        // this stream's position
    int64_t FSourcePosition = 0;  // the source's
    int64_t FSize = -1;
};

// ---------------------------------------------------------------- writer

// Adapter over a target stream; reading, writing and seeking are refused.
class TVsGifStream : public TStream {
public:
    explicit TVsGifStream(TStream& target) : FTarget(target) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void Progress();

    TGIFWarningEvent OnWarning;
    std::function<void()> OnProgress;

protected:
    TStream& FTarget;
    uint8_t FBuffer[256] = {};
    int32_t FBufferCount = 1;
};

// Any byte stream in, data sub-blocks of at most 255 bytes out.
class TVsGifWriter final : public TVsGifStream {
public:
    explicit TVsGifWriter(TStream& target) : TVsGifStream(target) {}
    ~TVsGifWriter() override;
    int64_t Write(const void* buffer, int64_t count) override;
    void FlushSubBlock();
    void PutByte(uint8_t value) {
        FDirty = true;
        FBuffer[FBufferCount++] = value;
        if (FBufferCount == 256) FlushSubBlock();
    }

private:
    bool FDirty = false;
};

// Codes packed low bit first straight into data sub-blocks: a buffer of whole
// sub-blocks, each one's length byte set when its 255 bytes are full, goes to
// the target when it is full. A loop keeps the packing state (TBits) in its
// own variables and hands it over only at a block's end, so that a code costs
// a few instructions and one unaligned store.
class TVsGifCodeWriter final {
public:
    struct TBits {
        uint64_t Bucket = 0;
        uint32_t Count = 0;          // bits in Bucket, fewer than 8 between codes
        uint8_t* Out = nullptr;      // the next byte of the current sub-block
        uint8_t* BlockEnd = nullptr; // one past its 255th data byte
    };
    explicit TVsGifCodeWriter(TStream& target);
    TBits Start() { return {0, 0, FBuffer.get() + 1, FBuffer.get() + 256}; }
    // A code of up to 56 bits: one unaligned store, the whole bytes kept.
    void Put(TBits& b, uint32_t code, uint32_t width) {
        b.Bucket |= static_cast<uint64_t>(code) << b.Count;
        b.Count += width;
        std::memcpy(b.Out, &b.Bucket, sizeof b.Bucket);
        b.Out += b.Count >> 3;
        b.Bucket >>= b.Count & ~7u;
        b.Count &= 7;
        if (b.Out >= b.BlockEnd) [[unlikely]]
            b = EndBlock(b);
    }
    // Writes what is left, the last partial byte too when withBucket.
    void Finish(TBits b, bool withBucket = true);

private:
    static constexpr size_t Blocks = 64;
    // Room past a sub-block for a whole store.
    static constexpr size_t Slack = 16;
    [[gnu::noinline]] TBits EndBlock(TBits b);

    TStream& FTarget;
    std::unique_ptr<uint8_t[]> FBuffer;
};

// ---------------------------------------------------------------- encoders

// The LZW encoder's string table: one block of 8192 slots of (key shl 12) or
// code, where key = (prefix shl 8) or pixel; a slot with all upper 20 bits
// set is empty, so one fill clears it. A power of two keeps the slot of a key
// to a shift, an xor and a mask, which is most of the encoder's time.
class THashTable final : public TObject {
public:
    static constexpr int32_t Size = 8192;
    THashTable() { Clear(); }
    void Clear();
    // False when the probe path has no free slot left.
    bool InsertCode(uint32_t key, int32_t code);
    int32_t FindCode(uint32_t key) const;

    static int32_t SlotOf(uint32_t key) { return static_cast<int32_t>((key ^ (key >> 7)) & (Size - 1)); }
    // One slot down, from 0 to the last: the path passes every slot, so it
    // ends without a free slot only in a full table.
    static int32_t NextSlot(int32_t h) { return (h - 1) & (Size - 1); }
    static constexpr int32_t MaxProbes = Size;
    uint32_t* Slots() { return FSlots; }

private:
    uint32_t FSlots[Size];
};

class TVsGifEncoder : public TObject {
public:
    // The encoder's entry: minimum code size byte, sub-blocks, terminator.
    void EncodeFrame(TStream& stream, int32_t bitsPerPixel, int32_t colorCount, const uint8_t* pixels,
                     bool interlaced, int32_t height, int32_t width);
    TGIFWarningEvent OnWarning;

protected:
    virtual void PutCode(int32_t code);
    virtual void ResetCodes();
    virtual void EncodePixels() = 0;

    // Rows in the order the walker takes them (passes for interlaced frames).
    template <typename F>
    void ForEachRow(F&& f) const;
    [[noreturn]] void ColorError() const;

    void PutBits(int32_t code) { FCodes->Put(FBits, static_cast<uint32_t>(code), static_cast<uint32_t>(FCodeWidth)); }

    TStream* FStream = nullptr;
    int32_t FColorCount = 0;
    int32_t FBitsPerPixel = 0;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    bool FInterlaced = false;
    const uint8_t* FPixels = nullptr;
    int32_t FInitialWidth = 0;
    int32_t FCodeWidth = 0;
    int32_t FMaxCode = 0;
    int32_t FClearCode = 0;
    int32_t FEndCode = 0;
    int32_t FBaseCode = 0;
    TVsGifCodeWriter* FCodes = nullptr;
    TVsGifCodeWriter::TBits FBits;
    bool FClearFlag = false;
};

class TLZWEncoder final : public TVsGifEncoder {
protected:
    void PutCode(int32_t code) override;
    void ResetCodes() override;
    void EncodePixels() override;

private:
    [[gnu::noinline]] void AddString(uint32_t prefix, uint32_t key, int32_t slot);
    void EncodeHashed(const std::vector<const uint8_t*>& rows);
    template <uint32_t Bits>
    void EncodeDirect(const std::vector<const uint8_t*>& rows);
    // From this many pixels on, a frame of more than 4 bits per pixel is
    // worth the direct table (2 MB at 8 bits); smaller ones use the hash.
    static constexpr int64_t DirectMinPixels = int64_t(1) << 18;
    std::unique_ptr<THashTable> FHashTable;
    // The direct table: child code of (pixel shl 12) or prefix, 0 for none
    // (from 5 bits on, with the table's tag above the code), and below 5 bits
    // the entry each code took, so that a clear resets only those.
    std::vector<uint16_t> FChildren;
    std::vector<uint32_t> FEntries;
    int32_t FNextCode = 0;
};

class TRLEEncoder final : public TVsGifEncoder {
protected:
    void ResetCodes() override;
    void EncodePixels() override;

private:
    void PutPlainCode(int32_t code);
    void FlushRun(int32_t count);
    void FlushFromClear(int32_t count);
    void FlushWithTable(int32_t count);
    int32_t RunCodeCost(int32_t count) const;

    int32_t FRunPixel = -1;
    int32_t FOutCount = 0;
    int32_t FOutBump = 0;
    int32_t FOutBumpInit = 0;
    int32_t FOutClear = 0;
    int32_t FOutClearInit = 0;
    int32_t FMaxOut = 0;
    int32_t FRunTableMax = 0;
    int32_t FRunTablePixel = -1;
};

// Floor of the square root.
int64_t IntegerSqrt(int64_t x);
