// The pixel codec: writer, hash table, both encoders against our decoder,
// and hand-made code streams for the decoder's edge cases and faults.
#include <random>

#include "tests/gif/GifTestUtil.h"

using namespace giftest;

TEST(GifWriter, SixHundredBytesMakeThreeSubBlocks) {
    TStringStream target;
    {
        TVsGifWriter writer(target);
        std::string data(600, 'a');
        writer.Write(data.data(), 600);
        EXPECT_EQ(target.DataString().size(), 512u);
    }
    const std::string& d = target.DataString();
    ASSERT_EQ(d.size(), 256u + 256 + 91);
    EXPECT_EQ(static_cast<uint8_t>(d[0]), 255);
    EXPECT_EQ(static_cast<uint8_t>(d[256]), 255);
    EXPECT_EQ(static_cast<uint8_t>(d[512]), 90);
}

TEST(GifWriter, RefusesReadAndSeek) {
    TStringStream target;
    TVsGifWriter writer(target);
    char c;
    EXPECT_EQ(ErrorOf([&] { writer.Read(&c, 1); }), SysConst::SInvalidStreamOp);
    EXPECT_EQ(ErrorOf([&] { writer.Seek(0, soBeginning); }), SysConst::SInvalidStreamOp);
}

TEST(GifHashTable, InsertFindAndBoundedProbing) {
    auto table = std::make_unique<THashTable>();
    EXPECT_EQ(table->FindCode(0x12345), -1);
    EXPECT_TRUE(table->InsertCode(0x12345, 300));
    EXPECT_EQ(table->FindCode(0x12345), 300);
    // Fill one probe path completely: the next insert on it must fail, and
    // finding a missing key on it must end.
    uint32_t key = 0x00101;
    int32_t h = THashTable::SlotOf(key);
    for (int32_t i = 0; i < THashTable::MaxProbes; ++i) {
        table->Slots()[h] = (0x0FFFEu << 12) | 1;
        h = THashTable::NextSlot(h);
    }
    EXPECT_FALSE(table->InsertCode(key, 5));
    EXPECT_EQ(table->FindCode(key), -1);
}

namespace {

struct Encoded {
    std::string bytes;
    std::vector<uint8_t> pixels;
};

std::vector<uint8_t> Decode(const std::string& data, int width, int height, bool interlaced,
                            TGIFDecodeResult* result = nullptr) {
    std::vector<uint8_t> out(static_cast<size_t>(width) * static_cast<size_t>(height), 0xEE);
    TGIFDecodeResult r = DecodeGIFData(reinterpret_cast<const uint8_t*>(data.data()), data.size(), out.data(), width,
                                       height, interlaced, 0);
    if (result) *result = r;
    return out;
}

template <typename Encoder>
std::string EncodeWith(const std::vector<uint8_t>& pixels, int bits, int width, int height, bool interlaced) {
    TStringStream s;
    Encoder encoder;
    encoder.EncodeFrame(s, bits, 1 << bits, pixels.data(), interlaced, height, width);
    return s.DataString();
}

}  // namespace

// Both encoders, depths 1..8, the given widths, interlaced or not: exact round trip.
class GifRoundTrip : public ::testing::TestWithParam<std::tuple<int, int, bool, bool>> {};

TEST_P(GifRoundTrip, EncodeThenDecodeGivesThePixels) {
    auto [bits, width, interlaced, rle] = GetParam();
    const int height = width >= 1000 ? 13 : 9;
    std::mt19937 rng(static_cast<uint32_t>(bits * 1000 + width));
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    // Noise with runs of varied length, so both literal and run paths show.
    for (size_t i = 0; i < pixels.size();) {
        uint8_t v = static_cast<uint8_t>(rng() % (1u << bits));
        size_t run = rng() % 4 == 0 ? rng() % 300 : 1;
        for (size_t k = 0; k < run + 1 && i < pixels.size(); ++k) pixels[i++] = v;
    }
    std::string data = rle ? EncodeWith<TRLEEncoder>(pixels, bits, width, height, interlaced)
                           : EncodeWith<TLZWEncoder>(pixels, bits, width, height, interlaced);
    EXPECT_EQ(static_cast<uint8_t>(data[0]), std::max(bits, 2));
    EXPECT_EQ(data.back(), 0);
    TGIFDecodeResult r;
    EXPECT_EQ(Decode(data, width, height, interlaced, &r), pixels);
    EXPECT_EQ(r.Status, TGIFDecodeStatus::Complete);
    EXPECT_FALSE(r.Premature);
    EXPECT_EQ(r.Consumed, data.size());
}

INSTANTIATE_TEST_SUITE_P(Codec, GifRoundTrip,
                         ::testing::Combine(::testing::Range(1, 9), ::testing::Values(1, 7, 255, 256, 1000),
                                            ::testing::Bool(), ::testing::Bool()),
                         [](const auto& info) {
                             return "bits" + std::to_string(std::get<0>(info.param)) + "_w" +
                                    std::to_string(std::get<1>(info.param)) +
                                    (std::get<2>(info.param) ? "_interlaced" : "") +
                                    (std::get<3>(info.param) ? "_rle" : "_lzw");
                         });

// A flat image clears the table many times (LZW at 4095 codes, run-length
// at its run-code limit) and still decodes; long runs of every length too.
TEST(GifCodec, FlatAndRunImagesForceResets) {
    for (bool rle : {false, true}) {
        SCOPED_TRACE(rle ? "rle" : "lzw");
        const int width = 2000, height = 2000;
        std::vector<uint8_t> flat(static_cast<size_t>(width) * height, 3);
        std::string data = rle ? EncodeWith<TRLEEncoder>(flat, 8, width, height, false)
                               : EncodeWith<TLZWEncoder>(flat, 8, width, height, false);
        EXPECT_EQ(Decode(data, width, height, false), flat);
        std::vector<uint8_t> runs;
        for (int len = 1; runs.size() < 300000; ++len) runs.insert(runs.end(), static_cast<size_t>(len), len % 5);
        runs.resize(300000);
        data = rle ? EncodeWith<TRLEEncoder>(runs, 3, 1000, 300, false)
                   : EncodeWith<TLZWEncoder>(runs, 3, 1000, 300, false);
        EXPECT_EQ(Decode(data, 1000, 300, false), runs);
    }
}

namespace {
// The codes of an image data stream, read with a standard decoder's widths.
std::vector<int> CodesOf(const std::string& data) {
    std::string bytes;
    for (size_t p = 1; p < data.size() && data[p] != 0; p += 1 + static_cast<uint8_t>(data[p]))
        bytes += data.substr(p + 1, static_cast<uint8_t>(data[p]));
    const int minCode = data[0], clear = 1 << minCode;
    int width = minCode + 1, next = clear + 2;
    bool first = true;
    std::vector<int> codes;
    for (size_t bit = 0; bit + static_cast<size_t>(width) <= bytes.size() * 8;) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((static_cast<uint8_t>(bytes[bit / 8]) >> (bit % 8)) & 1) << i;
        codes.push_back(code);
        if (code == clear) {
            width = minCode + 1;
            next = clear + 2;
            first = true;
        } else if (code == clear + 1) {
            break;
        } else if (first) {
            first = false;
        } else if (next < 4096 && ++next == (1 << width) && width < 12) {
            ++width;
        }
    }
    return codes;
}
}  // namespace

// A flat image: every table runs from code 258 until the next free code
// would be 4095, that is 3838 codes, then a clear code.
TEST(GifCodec, FlatImageClearsEach3838Codes) {
    std::vector<uint8_t> flat(size_t(4000) * 4000, 5);  // 7.37 million pixels per table
    std::vector<int> codes = CodesOf(EncodeWith<TLZWEncoder>(flat, 8, 4000, 4000, false));
    std::vector<size_t> clears;
    for (size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == 256) clears.push_back(i);
    ASSERT_GE(clears.size(), 3u);
    EXPECT_EQ(clears[0], 0u);
    for (size_t k = 1; k < clears.size(); ++k) EXPECT_EQ(clears[k] - clears[k - 1], 3839u) << k;
    EXPECT_EQ(codes.back(), 257);
}

TEST(GifCodec, LzwClearsWhenNextCodeReaches4095) {
    // Noise fills the table fast; count clear codes by decoding the stream.
    std::mt19937 rng(7);
    std::vector<uint8_t> noise(40000);
    for (auto& p : noise) p = static_cast<uint8_t>(rng());
    std::string data = EncodeWith<TLZWEncoder>(noise, 8, 200, 200, false);
    EXPECT_EQ(Decode(data, 200, 200, false), noise);
    // 40000 literal-ish codes over a 3839-entry table: several clears.
    EXPECT_LT(data.size(), 40000u * 12 / 8 + 1000);
}

TEST(GifCodec, OneColourFrameUsesCodeSize2) {
    std::vector<uint8_t> pixels(4, 0);
    TStringStream s;
    TLZWEncoder encoder;
    encoder.EncodeFrame(s, 0, 1, pixels.data(), false, 2, 2);
    const std::string& d = s.DataString();
    EXPECT_EQ(d[0], 2);
    // First code is the clear code 4 in three bits.
    EXPECT_EQ(static_cast<uint8_t>(d[2]) & 7, 4);
}

TEST(GifCodec, PixelOutsideColourCountRaises) {
    std::vector<uint8_t> pixels = {0, 1, 4, 2};
    for (bool rle : {false, true}) {
        TStringStream s;
        std::string error = ErrorOf([&] {
            if (rle) {
                TRLEEncoder e;
                e.EncodeFrame(s, 2, 4, pixels.data(), false, 2, 2);
            } else {
                TLZWEncoder e;
                e.EncodeFrame(s, 2, 4, pixels.data(), false, 2, 2);
            }
        });
        EXPECT_EQ(error, GifMsg::SColorNotInTable);
    }
}

TEST(GifCodec, InterlacedHeightsOneToFour) {
    for (int h = 1; h <= 4; ++h) {
        SCOPED_TRACE(h);
        std::vector<uint8_t> pixels;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 3; ++x) pixels.push_back(static_cast<uint8_t>(y * 3 + x));
        std::string data = EncodeWith<TLZWEncoder>(pixels, 4, 3, h, true);
        EXPECT_EQ(Decode(data, 3, h, true), pixels);
    }
}

// ---------------------------------------------------------------- decoder edge cases

namespace {
// Code size 2: clear 4, end 5, first free 6, widths start at 3 bits.
std::string Data2(const std::vector<std::pair<int, int>>& codes, size_t blockSize = 255, bool terminator = true) {
    return std::string(1, 2) + SubBlocks(PackCodes(codes), blockSize, terminator);
}
}  // namespace

TEST(GifDecoder, KwKwKCode) {
    // 1, then 6 (= next free: "1 1"), then 7 ("1 1 1").
    std::string d = Data2({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 3}});
    EXPECT_EQ(Decode(d, 6, 1, false), std::vector<uint8_t>({1, 1, 1, 1, 1, 1}));
}

TEST(GifDecoder, StreamWithoutLeadingClearDecodes) {
    std::string d = Data2({{2, 3}, {3, 3}, {5, 3}});
    EXPECT_EQ(Decode(d, 2, 1, false), std::vector<uint8_t>({2, 3}));
}

// Sub-blocks of any length decode as the same data in full blocks.
TEST(GifDecoder, AnySubBlockLength) {
    std::mt19937 rng(3);
    std::vector<uint8_t> pixels(5000);
    for (auto& p : pixels) p = static_cast<uint8_t>(rng() % 200);
    std::string full = EncodeWith<TLZWEncoder>(pixels, 8, 100, 50, false);
    // Strip the blocks back to the bare code stream.
    std::string codes;
    for (size_t p = 1; full[p] != 0; p += 1 + static_cast<uint8_t>(full[p]))
        codes += full.substr(p + 1, static_cast<uint8_t>(full[p]));
    for (size_t block : {1, 2, 3, 7, 100, 254, 255}) {
        SCOPED_TRACE(block);
        std::string d = std::string(1, 8) + SubBlocks(codes, block);
        TGIFDecodeResult r;
        EXPECT_EQ(Decode(d, 100, 50, false, &r), pixels);
        EXPECT_EQ(r.Consumed, d.size());
    }
}

TEST(GifDecoder, EndCodeBeforeLastPixelKeepsFillAndSkipsToTerminator) {
    // Clear, 1, end (9 bits) and a spare byte in the first sub-block, a
    // second sub-block after it: both are skipped, once, up to the terminator.
    std::string d = std::string(1, 2) + Bytes({3}) + PackCodes({{4, 3}, {1, 3}, {5, 3}}) + Bytes({0x77}) +
                    Bytes({2, 9, 9, 0});
    TGIFDecodeResult r;
    std::vector<uint8_t> out = Decode(d + "tail", 4, 1, false, &r);
    EXPECT_EQ(out, std::vector<uint8_t>({1, 0, 0, 0}));
    EXPECT_EQ(r.Status, TGIFDecodeStatus::EarlyEnd);
    EXPECT_EQ(r.Decoded, 1);
    EXPECT_EQ(r.Consumed, d.size());
}

// Strings are copied 16 bytes at a time; where the data stops, the bytes
// copied past the last pixel must not stay, also in a buffer that starts
// zeroed and needs no fill of its own.
TEST(GifDecoder, DataEndingAfterShortStringsLeavesNoStalePixels) {
    // 1, 2, then 6 ("1 2") and 7 ("2 1"): six pixels, then the data ends.
    std::string d = Data2({{4, 3}, {1, 3}, {2, 3}, {6, 3}, {7, 3}});
    for (bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced);
        std::vector<uint8_t> out(40 * 2, 0);
        TGIFDecodeResult r = DecodeGIFData(reinterpret_cast<const uint8_t*>(d.data()), d.size(), out.data(), 40, 2,
                                           interlaced, 0, true);
        EXPECT_EQ(r.Decoded, 6);
        std::vector<uint8_t> want(40 * 2, 0);
        for (size_t i = 0; i < 6; ++i) want[i] = std::vector<uint8_t>{1, 2, 1, 2, 2, 1}[i];
        EXPECT_EQ(out, want);
    }
}

// A bad code ends the frame: what was decoded stays, the rest is filled and
// the data is consumed up to its terminator.
TEST(GifDecoder, CodeAboveNextFreeIsInvalid) {
    TGIFDecodeResult r;
    // After 1, 2, 1 the next free code is 8, in 4 bits: 9 lies beyond it.
    std::string d = Data2({{4, 3}, {1, 3}, {2, 3}, {1, 3}, {9, 4}, {5, 4}});
    EXPECT_EQ(Decode(d + "next", 4, 1, false, &r), std::vector<uint8_t>({1, 2, 1, 0}));
    EXPECT_EQ(r.Status, TGIFDecodeStatus::InvalidCode);
    EXPECT_EQ(r.Decoded, 3);
    EXPECT_EQ(r.Consumed, d.size());
}

TEST(GifDecoder, FirstCodeAfterClearMustBeAPixel) {
    TGIFDecodeResult r;
    std::string d = Data2({{4, 3}, {1, 3}, {4, 3}, {6, 3}, {5, 3}});
    EXPECT_EQ(Decode(d + "next", 4, 1, false, &r), std::vector<uint8_t>({1, 0, 0, 0}));
    EXPECT_EQ(r.Status, TGIFDecodeStatus::InvalidCode);
    EXPECT_EQ(r.Consumed, d.size());
}

TEST(GifDecoder, CodeSizeAbove11IsInvalid) {
    TGIFDecodeResult r;
    Decode(std::string(1, 12) + Bytes({1, 0, 0}), 4, 1, false, &r);
    EXPECT_EQ(r.Status, TGIFDecodeStatus::InvalidCode);
    EXPECT_EQ(r.Consumed, 4u);
}

TEST(GifDecoder, MissingTerminatorIsPremature) {
    TGIFDecodeResult r;
    std::vector<uint8_t> out = Decode(Data2({{4, 3}, {1, 3}, {2, 3}}, 255, false), 4, 1, false, &r);
    EXPECT_TRUE(r.Premature);
    EXPECT_EQ(out, std::vector<uint8_t>({1, 2, 0, 0}));
}

TEST(GifDecoder, ShortSubBlockIsPrematureAndUsesTheRest) {
    std::string d = std::string(1, 2) + Bytes({9}) + PackCodes({{4, 3}, {3, 3}, {3, 3}});
    TGIFDecodeResult r;
    std::vector<uint8_t> out = Decode(d, 4, 1, false, &r);
    EXPECT_TRUE(r.Premature);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(r.Consumed, d.size());
}

TEST(GifDecoder, CodesAfterTerminatorUnderrun) {
    TGIFDecodeResult r;
    std::vector<uint8_t> out = Decode(Data2({{4, 3}, {1, 3}, {1, 3}, {1, 3}, {1, 4}}), 8, 1, false, &r);
    EXPECT_EQ(r.Status, TGIFDecodeStatus::Underrun);
    EXPECT_FALSE(r.Premature);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[7], 0);
}

// A table that keeps growing with KwKwK strings (each one longer) stays
// bounded: 4093 entries, lengths up to 4094, nothing overruns.
TEST(GifDecoder, LongestChainsStayInBounds) {
    std::vector<std::pair<int, int>> codes = {{4, 3}, {0, 3}};
    int width = 3, next = 6;
    for (; next < 4096; ++next) {
        codes.push_back({next, width});
        if (next + 1 == (1 << width) && width < 12) ++width;
    }
    codes.push_back({4095, 12});
    codes.push_back({5, 12});
    std::string d = std::string(1, 2) + SubBlocks(PackCodes(codes));
    const int w = 1000, h = 8400;  // the strings add up to about 8.37 million pixels
    TGIFDecodeResult r;
    std::vector<uint8_t> out = Decode(d, w, h, false, &r);
    EXPECT_NE(r.Status, TGIFDecodeStatus::InvalidCode);
    EXPECT_GT(r.Decoded, 8000000);
}
