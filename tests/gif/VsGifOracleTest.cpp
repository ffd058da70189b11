// Interoperability with code nobody here wrote: every file we write decodes
// with libgif to the same indices and ImageMagick reads it; files written by
// ImageMagick, gifsicle and libgif load with the indices and extension
// fields libgif reports. Fixtures are made here, in the build folder.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/gif/GifTestUtil.h"
#include "tests/gif/GiflibOracle.h"

using namespace giftest;

namespace {

bool Have(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

int RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

std::string TempPath(const std::string& name) {
    std::string dir = std::string(VARSONA_BINARY_DIR) + "/gif_oracle";
    ForceDirectories(dir);
    return dir + "/" + name;
}

std::string ReadFile(const std::string& path) { return FileExists(path) ? ReadFileBytes(path) : std::string(); }

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

#define REQUIRE_GIFLIB() \
    if (!oracle::Available()) GTEST_SKIP() << "libgif not found at build time"

std::vector<oracle::Color> MapOf(const TVsGifColorMap& map) {
    std::vector<oracle::Color> out;
    for (int32_t i = 0; i < map.Count(); ++i) out.push_back({map.Entry(i).Red, map.Entry(i).Green, map.Entry(i).Blue});
    return out;
}

// Our reading of bytes against libgif's, frame by frame.
void ExpectSameAsGiflib(const std::string& bytes) {
    oracle::Image ref = oracle::Decode(bytes);
    ASSERT_TRUE(ref.ok) << ref.error;
    TVsGifImage image;
    Warnings warnings;
    warnings.Attach(image);
    ASSERT_EQ(ErrorOf([&] { Load(image, bytes); }), "");
    EXPECT_TRUE(warnings.messages.empty()) << warnings.messages.front();
    EXPECT_EQ(image.Width(), ref.width);
    EXPECT_EQ(image.Height(), ref.height);
    EXPECT_EQ(image.Header().BackgroundColorIndex(), ref.background);
    EXPECT_EQ(MapOf(image.GlobalColorMap()), ref.globalMap);
    std::vector<TVsGifSubImage*> frames;
    for (int32_t i = 0; i < image.FrameCount(); ++i)
        if (!image.SubImage(i)->IsEmpty()) frames.push_back(image.SubImage(i));
    ASSERT_EQ(frames.size(), ref.frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        TVsGifSubImage* f = frames[i];
        const oracle::Frame& r = ref.frames[i];
        EXPECT_EQ(f->Left(), r.left);
        EXPECT_EQ(f->Top(), r.top);
        EXPECT_EQ(f->Width(), r.width);
        EXPECT_EQ(f->Height(), r.height);
        EXPECT_EQ(f->Interlaced(), r.interlaced);
        EXPECT_EQ(MapOf(f->ColorMap()), r.localMap);
        EXPECT_TRUE(PixelsOf(*f) == r.pixels) << "pixels differ";
        TVsGifGraphicControlExtension* gce = f->GraphicControlExtension();
        EXPECT_EQ(gce != nullptr, r.hasControl);
        if (gce && r.hasControl) {
            EXPECT_EQ(gce->DisposalMethod(), r.disposal);
            EXPECT_EQ(gce->FrameDelay(), r.delay);
            EXPECT_EQ(gce->TransparentFlag() ? gce->TransparentIndex() : -1, r.transparent);
            EXPECT_EQ(f->Transparent(), r.transparent >= 0);
        }
        std::vector<std::string> comments;
        int loops = -1;
        for (int32_t k = 0; k < f->Extensions().Count(); ++k) {
            TVsGifExtension* e = f->Extensions().Extensions(k);
            if (auto* c = dynamic_cast<TVsGifCommentExtension*>(e)) {
                std::string text;
                for (int32_t l = 0; l < c->Text().Count(); ++l) text += c->Text()[l];
                comments.push_back(text);
            }
            if (auto* l = dynamic_cast<TVsGifAppExtNSLoop*>(e)) loops = l->Loops();
        }
        EXPECT_EQ(comments, r.comments);
        EXPECT_EQ(loops, r.loopCount);
    }
}

// What libgif makes of a file we wrote, against the image we wrote.
void ExpectGiflibReadsOurs(TVsGifImage& image, const std::string& name) {
    std::string bytes = Save(image);
    oracle::Image ref = oracle::Decode(bytes);
    ASSERT_TRUE(ref.ok) << ref.error;
    std::vector<TVsGifSubImage*> frames;
    for (int32_t i = 0; i < image.FrameCount(); ++i)
        if (!image.SubImage(i)->IsEmpty()) frames.push_back(image.SubImage(i));
    ASSERT_EQ(ref.frames.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        EXPECT_TRUE(ref.frames[i].pixels == PixelsOf(*frames[i])) << "pixels differ";
        EXPECT_EQ(ref.frames[i].interlaced, frames[i]->Interlaced());
        std::vector<oracle::Color> local = MapOf(frames[i]->ColorMap());
        if (!local.empty()) local.resize(size_t(1) << frames[i]->ColorMap().EntryBits());  // padded with black
        EXPECT_EQ(ref.frames[i].localMap, local);
    }
    if (Have("identify-im6.q16")) {
        std::string path = TempPath(name + ".gif");
        WriteFile(path, bytes);
        std::string out = TempPath(name + ".txt");
        int rc = std::system(("identify-im6.q16 " + Quote(path) + " > " + Quote(out) + " 2>&1").c_str());
        std::string text = ReadFile(out);
        EXPECT_EQ(rc, 0) << text;
        size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
        EXPECT_EQ(lines, frames.size()) << text;
        EXPECT_EQ(text.find("warning"), std::string::npos) << text;
        EXPECT_EQ(text.find("error"), std::string::npos) << text;
    }
}

}  // namespace

// ---------------------------------------------------------------- our files

struct WriteCase {
    const char* name;
    int bits;
    int width, height;
    bool interlaced;
    uint8_t encoder;
};

class GifWrittenByUs : public ::testing::TestWithParam<WriteCase> {};

TEST_P(GifWrittenByUs, GiflibDecodesSameIndicesAndImageMagickReads) {
    REQUIRE_GIFLIB();
    const WriteCase& c = GetParam();
    TVsGifImage image;
    image.SetEncoderChoice(c.encoder);
    GreyMap(image.GlobalColorMap(), 1 << c.bits);
    std::mt19937 rng(static_cast<uint32_t>(c.bits * 7 + c.width));
    const uint32_t colors = 1u << c.bits;
    AddFrame(image, c.width, c.height, [&](int x, int y) {
        // Half noise, half bands, so literals, runs and long strings all occur.
        return static_cast<uint8_t>(y % 2 ? rng() % colors : (x / 5 + y) % colors);
    }, c.interlaced);
    ExpectGiflibReadsOurs(image, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Oracle, GifWrittenByUs,
    ::testing::Values(WriteCase{"lzw_1bit", 1, 255, 9, false, GIFEncoderLZW},
                      WriteCase{"lzw_2bit_interlaced", 2, 7, 13, true, GIFEncoderLZW},
                      WriteCase{"lzw_4bit", 4, 256, 31, false, GIFEncoderLZW},
                      WriteCase{"lzw_8bit_wide", 8, 1000, 40, false, GIFEncoderLZW},
                      WriteCase{"lzw_8bit_interlaced", 8, 1, 300, true, GIFEncoderLZW},
                      WriteCase{"rle_1bit", 1, 1000, 5, false, GIFEncoderRLE},
                      WriteCase{"rle_3bit_interlaced", 3, 255, 17, true, GIFEncoderRLE},
                      WriteCase{"rle_5bit", 5, 7, 200, false, GIFEncoderRLE},
                      WriteCase{"rle_8bit", 8, 256, 64, false, GIFEncoderRLE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifWrittenByUs, FlatImageThatResetsTablesDecodesWithGiflib) {
    REQUIRE_GIFLIB();
    for (uint8_t encoder : {GIFEncoderLZW, GIFEncoderRLE}) {
        TVsGifImage image;
        image.SetEncoderChoice(encoder);
        GreyMap(image.GlobalColorMap(), 256);
        AddFrame(image, 1500, 1500, [](int x, int y) { return static_cast<uint8_t>(y < 1200 ? 9 : x % 3); });
        ExpectGiflibReadsOurs(image, encoder ? "flat_rle" : "flat_lzw");
    }
}

TEST(GifWrittenByUs, AnimationWithExtensionsReadsBackInGiflib) {
    REQUIRE_GIFLIB();
    TVsGifImage image;
    GreyMap(image.GlobalColorMap(), 4);
    for (int i = 0; i < 4; ++i) {
        TVsGifSubImage* f = AddFrame(image, 10 + i, 8, [&](int x, int y) { return static_cast<uint8_t>((x + y + i) % 4); },
                                     i == 2, i, i);
        if (i == 3) GreyMap(f->ColorMap(), 5);
        auto* loop = i == 0 ? new TVsGifAppExtNSLoop(f) : nullptr;
        if (loop) {
            loop->SetLoops(3);
            f->Extensions().Add(loop);
        }
        auto* comment = new TVsGifCommentExtension(f);
        comment->Text().Add("frame " + std::to_string(i));
        comment->Text().Add(std::string(300, 'c'));
        f->Extensions().Add(comment);
        auto* gce = new TVsGifGraphicControlExtension(f);
        f->Extensions().Add(gce);
        gce->SetDisposalMethod(static_cast<uint8_t>(i));
        gce->SetFrameDelay(static_cast<uint16_t>(10 * i + 5));
        if (i % 2) {
            gce->SetTransparentFlag(true);
            gce->SetTransparentIndex(1);
        }
    }
    ExpectGiflibReadsOurs(image, "animation");
    ExpectSameAsGiflib(Save(image));
}

// ---------------------------------------------------------------- their files

TEST(GifWrittenByOthers, Giflib) {
    REQUIRE_GIFLIB();
    oracle::Image img;
    img.width = 40;
    img.height = 30;
    img.background = 1;
    for (int i = 0; i < 16; ++i) img.globalMap.push_back({static_cast<uint8_t>(i * 16), 0, static_cast<uint8_t>(255 - i)});
    std::mt19937 rng(11);
    for (int i = 0; i < 5; ++i) {
        oracle::Frame f;
        f.left = i * 2;
        f.top = i;
        f.width = 30 - i;
        f.height = 20 + i;
        f.interlaced = i % 2 == 1;
        if (i == 2 || i == 3)
            for (int k = 0; k < 5 + i; ++k) f.localMap.push_back({static_cast<uint8_t>(k), 1, 2});
        int colors = f.localMap.empty() ? 16 : 8;
        for (int p = 0; p < f.width * f.height; ++p) f.pixels.push_back(static_cast<uint8_t>(p % 7 ? rng() % colors : 0));
        f.hasControl = i != 4;
        f.disposal = i % 4;
        f.delay = 3 * i;
        f.transparent = i % 2 ? 2 : -1;
        if (i == 0) f.loopCount = 0;
        if (i == 1) f.comments = {"made by the reference library"};
        img.frames.push_back(f);
    }
    ExpectSameAsGiflib(oracle::Encode(img));
}

TEST(GifWrittenByOthers, ImageMagick) {
    REQUIRE_GIFLIB();
    if (!Have("convert-im6.q16")) GTEST_SKIP() << "ImageMagick missing";
    const struct {
        const char* name;
        std::string args;
    } rows[] = {
        {"gradient_interlaced", "-size 37x23 gradient:red-blue -colors 200 -interlace GIF"},
        {"plasma_256", "-seed 5 -size 64x48 plasma:fractal -colors 256"},
        {"transparent", "-size 20x20 xc:none -fill red -draw 'circle 10,10 10,3' -comment 'a circle'"},
        {"animation", "-delay 7 -dispose Background -loop 3 -size 31x17 xc:red xc:blue xc:lime "
                      "-size 9x9 xc:yellow -dispose Previous -delay 20 -size 31x17 gradient:"},
        {"two_colours", "-size 70x3 pattern:gray50 -monochrome"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::string path = TempPath(std::string("im_") + r.name + ".gif");
        std::remove(path.c_str());
        ASSERT_EQ(RunTool("convert-im6.q16 " + r.args + " " + Quote(path)), 0);
        std::string bytes = ReadFile(path);
        ASSERT_FALSE(bytes.empty());
        ExpectSameAsGiflib(bytes);
    }
}

TEST(GifWrittenByOthers, Gifsicle) {
    REQUIRE_GIFLIB();
    if (!Have("gifsicle")) GTEST_SKIP() << "gifsicle missing";
    // Start from a libgif animation, let gifsicle rewrite and optimise it.
    oracle::Image img;
    img.width = 48;
    img.height = 32;
    for (int i = 0; i < 8; ++i) img.globalMap.push_back({static_cast<uint8_t>(i * 30), static_cast<uint8_t>(i * 20), 9});
    for (int i = 0; i < 4; ++i) {
        oracle::Frame f;
        f.width = 48;
        f.height = 32;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) f.pixels.push_back(static_cast<uint8_t>(x > 10 + i * 5 && y > 8 ? (i + 1) % 8 : 0));
        img.frames.push_back(f);
    }
    std::string in = TempPath("gifsicle_in.gif");
    WriteFile(in, oracle::Encode(img));
    const struct {
        const char* name;
        std::string args;
    } rows[] = {
        {"optimised", "-O2 --loopcount=5 --delay 12"},
        {"interlaced_comment", "--interlace --comment 'from gifsicle' --disposal previous --delay 4"},
        {"transparent", "--transparent 0 --disposal background -O1"},
        {"no_loop", "--no-loopcount --disposal none"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::string out = TempPath(std::string("gs_") + r.name + ".gif");
        std::remove(out.c_str());
        ASSERT_EQ(RunTool("gifsicle " + r.args + " " + Quote(in) + " -o " + Quote(out)), 0);
        ExpectSameAsGiflib(ReadFile(out));
    }
}

// The committed fixtures: each loads as libgif reads it, and the dump beside
// it (made by regenerate.sh) still describes it.
TEST(GifFixtures, LoadAsGiflibReadsThem) {
    REQUIRE_GIFLIB();
    std::string dir = std::string(VARSONA_SOURCE_DIR) + "/tests/gif/fixtures/";
    std::ifstream list(dir + "index.txt");
    std::string name;
    int count = 0;
    while (std::getline(list, name)) {
        if (name.empty() || name[0] == '#') continue;
        SCOPED_TRACE(name);
        ExpectSameAsGiflib(ReadFileBytes(dir + name));
        ++count;
    }
    EXPECT_GT(count, 0);
}

// What loads from the corpus saves to files libgif and ImageMagick read to
// the same pixels: quirks written back in the standard form, colour tables
// grown to the indices in use, damaged frames as far as they were read.
TEST(GifFixtures, WhatLoadsSavesForGiflibAndImageMagick) {
    REQUIRE_GIFLIB();
    int checked = 0;
    for (const std::string& file : CorpusFiles()) {
        SCOPED_TRACE(file);
        TVsGifImage image;
        ErrorOf([&] { Load(image, Fixture(file)); });
        if (FramesWithPixels(image).empty() || image.PixelCount() > (int64_t(1) << 20)) continue;
        std::string name = file;
        std::replace(name.begin(), name.end(), '/', '_');
        ExpectGiflibReadsOurs(image, "corpus_" + name.substr(0, name.size() - 4));
        ++checked;
    }
    EXPECT_GE(checked, 20);
}

// gifsicle's frame names (an extension of label 0xCE) survive our save.
TEST(GifFixtures, GifsicleReadsBackItsFrameNames) {
    if (!Have("gifsicle")) GTEST_SKIP() << "gifsicle missing";
    TVsGifImage image;
    Load(image, Fixture("quirks/gs_frame_names.gif"));
    std::string path = TempPath("frame_names.gif");
    WriteFile(path, Save(image));
    std::string out = TempPath("frame_names.txt");
    ASSERT_EQ(std::system(("gifsicle --info " + Quote(path) + " > " + Quote(out) + " 2>&1").c_str()), 0);
    std::string info = ReadFile(out);
    EXPECT_NE(info.find("+ image #0 #first frame 31x17"), std::string::npos) << info;
    EXPECT_NE(info.find("+ image #1 #second 31x17"), std::string::npos) << info;
    EXPECT_EQ(info.find("error"), std::string::npos) << info;
}

// ---------------------------------------------------------------- the LZW code stream against libgif's

namespace {

struct LzwCase {
    std::string name;
    int bits;
    int width, height;
    std::function<uint8_t(int, int)> pixel;
};

std::vector<LzwCase> LzwCases() {
    auto noise = [](int bits, uint32_t seed) {
        auto rng = std::make_shared<std::mt19937>(seed);
        return [rng, bits](int, int) { return static_cast<uint8_t>((*rng)() & ((1u << bits) - 1)); };
    };
    auto smooth = [](int x, int y) { return static_cast<uint8_t>(((x + (y >> 2)) >> 4) + (y >> 5)); };
    std::vector<LzwCase> cases = {
        {"noise8", 8, 1024, 512, noise(8, 1)},
        {"smooth8", 8, 1024, 512, smooth},
        {"bars1", 1, 1024, 512, [](int x, int) { return static_cast<uint8_t>((x * 7 / 11) % 2); }},
        {"flat8_huge_run", 8, 2048, 1024, [](int, int) { return uint8_t(200); }},
        {"noise8_small", 8, 100, 100, noise(8, 2)},
        {"noise1", 1, 777, 333, noise(1, 3)},
        {"noise2", 2, 777, 333, noise(2, 4)},
        {"noise4", 4, 640, 480, noise(4, 5)},
        {"noise5", 5, 640, 480, noise(5, 6)},
        {"noise7", 7, 640, 480, noise(7, 7)},
        {"width1_noise8", 8, 1, 60000, noise(8, 8)},
        {"width1_2bit", 2, 1, 5000, noise(2, 9)},
        {"runs8", 8, 1000, 400, [](int x, int y) { return static_cast<uint8_t>((x * x + y) / 997 % 256); }},
    };
    // One row of noise, one pixel more each time, so that one of them ends just
    // at the table's 4095th code and the next ones just after its clear code.
    for (int w = 3830; w <= 3900; w += 5) cases.push_back({"row" + std::to_string(w), 8, w, 1, noise(8, 10)});
    for (int w = 4080; w <= 4110; ++w) cases.push_back({"row2bit" + std::to_string(w), 2, w, 1, noise(2, 11)});
    return cases;
}

}  // namespace

// Our LZW data of each picture is byte for byte libgif's, and both decoders
// read it back to the pixels.
TEST(GifLzwAgainstGiflib, SameCodeStreamAndBothDecodeIt) {
    REQUIRE_GIFLIB();
    for (const LzwCase& c : LzwCases()) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> pixels(size_t(c.width) * size_t(c.height));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) pixels[size_t(y) * size_t(c.width) + size_t(x)] = c.pixel(x, y);
        TStringStream data;
        TLZWEncoder().EncodeFrame(data, c.bits, 1 << c.bits, pixels.data(), false, c.height, c.width);
        // Header, screen, colour table and image descriptor come first in
        // libgif's file, the trailer last.
        const std::string theirs = oracle::EncodeIndices(pixels, c.width, c.height, c.bits);
        const size_t start = 6 + 7 + 3 * (size_t(1) << c.bits) + 10;
        ASSERT_GT(theirs.size(), start);
        EXPECT_TRUE(data.DataString() == theirs.substr(start, theirs.size() - start - 1)) << "code streams differ";

        std::vector<uint8_t> ours(pixels.size(), 0xEE);
        const std::string& bytes = data.DataString();
        TGIFDecodeResult r = DecodeGIFData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), ours.data(),
                                           c.width, c.height, false, 0);
        EXPECT_EQ(r.Status, TGIFDecodeStatus::Complete);
        EXPECT_TRUE(ours == pixels) << "our decoder differs";

        TVsGifImage image;
        GreyMap(image.GlobalColorMap(), 1 << c.bits);
        AddFrame(image, c.width, c.height, [&](int x, int y) { return pixels[size_t(y) * size_t(c.width) + size_t(x)]; });
        oracle::Image ref = oracle::Decode(Save(image));
        ASSERT_TRUE(ref.ok) << ref.error;
        ASSERT_EQ(ref.frames.size(), 1u);
        EXPECT_TRUE(ref.frames[0].pixels == pixels) << "libgif's decoding differs";
    }
}
