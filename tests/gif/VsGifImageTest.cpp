// The image object and the block list: load, save, malformed files, copies.
#include <cstdio>
#include <random>

#include "tests/gif/GifTestUtil.h"

using namespace giftest;

namespace {

const std::string kPixels01 = std::string(1, 2) + SubBlocks(PackCodes({{4, 3}, {0, 3}, {1, 3}, {5, 3}}));
std::string Frame01(int left = 0, int top = 0, int packed = 0) { return Descriptor(left, top, 2, 1, packed) + kPixels01; }

}  // namespace

TEST(GifImage, SaveLoadRoundTripKeepsEverything) {
    for (uint8_t encoder : {GIFEncoderLZW, GIFEncoderRLE}) {
        SCOPED_TRACE(static_cast<int>(encoder));
        TVsGifImage image;
        image.SetEncoderChoice(encoder);
        GreyMap(image.GlobalColorMap(), 16);
        image.Header().SetWidth(40);
        image.Header().SetHeight(30);
        image.Header().SetBackgroundColorIndex(2);
        AddFrame(image, 40, 30, [](int x, int y) { return static_cast<uint8_t>((x / 3 + y) % 16); });
        TVsGifSubImage* f2 = AddFrame(image, 9, 7, [](int x, int y) { return static_cast<uint8_t>(x * y % 5); }, true,
                                      5, 4);
        GreyMap(f2->ColorMap(), 5);
        std::string bytes = Save(image);
        TVsGifImage back;
        back.SetEncoderChoice(encoder);
        Load(back, bytes);
        ASSERT_EQ(back.FrameCount(), 2);
        EXPECT_EQ(back.Width(), 40);
        EXPECT_EQ(back.Height(), 30);
        EXPECT_EQ(back.Header().BackgroundColorIndex(), 2);
        EXPECT_EQ(PixelsOf(*back.SubImage(0)), PixelsOf(*image.SubImage(0)));
        TVsGifSubImage* b2 = back.SubImage(1);
        EXPECT_EQ(PixelsOf(*b2), PixelsOf(*f2));
        EXPECT_TRUE(b2->Interlaced());
        EXPECT_EQ(b2->Left(), 5);
        EXPECT_EQ(b2->Top(), 4);
        EXPECT_EQ(b2->PackedFields() & 0x87, 0x82);  // local table, size field 2
        EXPECT_EQ(b2->ColorMap().Count(), 8);
        EXPECT_EQ(Save(back), bytes);
    }
}

// Without its trailer the file may have lost blocks: it loads, with a warning.
TEST(GifImage, ZeroBytesBetweenBlocksAndNoTrailer) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    Load(image, Header(2, 1, 1) + std::string(3, '\0') + Frame01() + std::string(2, '\0') + Frame01());
    EXPECT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(w.messages, std::vector<std::string>({GifMsg::SPrematureEnd}));
    w.messages.clear();
    Load(image, Header(2, 1, 1) + std::string(3, '\0') + Frame01() + std::string(2, '\0') + Frame01() + ";");
    EXPECT_EQ(image.FrameCount(), 2);
    EXPECT_TRUE(w.messages.empty());
}

TEST(GifImage, UnknownBlockByteEndsLoadingWithTwoWarnings) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    Load(image, Header(2, 1, 1) + Frame01() + "*" + Frame01() + ";");
    EXPECT_EQ(image.FrameCount(), 1);
    ASSERT_EQ(w.messages.size(), 2u);
    EXPECT_EQ(w.messages[0], GifMsg::SUnknownBlock);
    EXPECT_EQ(w.messages[1], GifMsg::SInvalidTrailer);
    EXPECT_EQ(w.severities, std::vector<int>({1, 1}));
}

TEST(GifImage, GarbageAfterExtensionEndsTheFrame) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    Load(image, Header(2, 1, 1) + Bytes({0x21, 0xFE, 1, 'x', 0}) + "*" + std::string(20, '\xFF'));
    EXPECT_EQ(image.FrameCount(), 1);
    EXPECT_TRUE(image.SubImage(0)->IsEmpty());
    EXPECT_TRUE(w.Has(GifMsg::SExtensionIntroducer));
    EXPECT_TRUE(w.Has(GifMsg::SUnknownBlock));
}

TEST(GifImage, FrameOfWidthZeroTakesTheScreenSize) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    std::string data = std::string(1, 2) + SubBlocks(PackCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 3}}));
    Load(image, Header(3, 2, 1) + Descriptor(0, 0, 0, 5) + data + ";");
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_EQ(image.SubImage(0)->Width(), 3);
    EXPECT_EQ(image.SubImage(0)->Height(), 2);
    EXPECT_EQ(w.messages, std::vector<std::string>({GifMsg::SExceedsScreen}));
}

TEST(GifImage, ScreenOfSizeZeroGrowsToCoverFrames) {
    TVsGifImage image;
    Load(image, Header(0, 0, 1) + Frame01(3, 4) + ";");
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 5);
    TVsGifImage back;
    Load(back, Save(image));
    EXPECT_EQ(back.Width(), 5);
}

TEST(GifImage, TrailingExtensionsFormAnEmptyFrameWrittenBackAsExtensions) {
    TVsGifImage image;
    std::string comment = Bytes({0x21, 0xFE, 2, 'h', 'i', 0});
    Load(image, Header(2, 1, 1) + Frame01() + comment + ";");
    ASSERT_EQ(image.FrameCount(), 2);
    EXPECT_TRUE(image.SubImage(1)->IsEmpty());
    std::string saved = Save(image);
    EXPECT_EQ(saved.substr(saved.size() - comment.size() - 1), comment + ";");
}

// An end code before the last pixel ends the frame, with a warning.
TEST(GifImage, EarlyEndCodeLeavesStreamAtNextBlock) {
    std::string early = Descriptor(0, 0, 4, 1) + std::string(1, 2) + Bytes({3}) +
                        PackCodes({{4, 3}, {1, 3}, {5, 3}}) + Bytes({0x55, 2, 0x21, 0x3B, 0});
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    Load(image, Header(4, 1, 1) + early + Frame01() + ";");
    EXPECT_EQ(w.messages, std::vector<std::string>({GifMsg::SPrematureEnd}));
    ASSERT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(PixelsOf(*image.SubImage(0)), std::vector<uint8_t>({1, 0, 0, 0}));
    EXPECT_EQ(PixelsOf(*image.SubImage(1)), std::vector<uint8_t>({0, 1}));
}

// Malformed files: each gives its error or warning; frames read before stay.
TEST(GifImage, MalformedTable) {
    const std::string head = Header(4, 1, 1) + Frame01();
    const struct {
        const char* name;
        std::string bytes;
        std::string error;
        std::string warning;
        int frames;
    } rows[] = {
        {"truncated_in_data", head + Descriptor(0, 0, 4, 1) + std::string(1, 2) + Bytes({9, 0x4C}), "",
         GifMsg::SPrematureEnd, 2},
        {"truncated_after_code_size", head + Descriptor(0, 0, 4, 1) + std::string(1, 2), "", GifMsg::SPrematureEnd,
         2},
        {"truncated_descriptor", head + ",\x01\x00", GifMsg::SPrematureEnd, "", 1},
        // No image data at all: the frame keeps its descriptor and gets no pixels.
        {"truncated_after_descriptor", head + Descriptor(0, 0, 4, 1), "", GifMsg::SPrematureEnd, 2},
        {"cut_after_bang", head + "!", GifMsg::SPrematureEnd, "", 1},
        {"cut_in_app_identifier", head + Bytes({0x21, 0xFF, 11}) + "NETS", GifMsg::SPrematureEnd, "", 1},
        {"cut_in_app_size", head + Bytes({0x21, 0xFF}), GifMsg::SPrematureEnd, "", 1},
        {"cut_in_loop", head + Bytes({0x21, 0xFF, 11}) + "NETSCAPE2.0" + Bytes({3, 1}), GifMsg::SPrematureEnd, "",
         1},
        {"cut_in_loop_at_sub_block", head + Bytes({0x21, 0xFF, 11}) + "NETSCAPE2.0" + Bytes({3, 1, 0, 0}), "",
         GifMsg::SPrematureEnd, 2},
        {"truncated_header", std::string("GIF89a\x04\x00", 8), GifMsg::SPrematureEnd, "", 0},
        // A bad code ends its frame, not the file.
        {"code_above_next_free", head + Descriptor(0, 0, 4, 1) + std::string(1, 2) +
                                     SubBlocks(PackCodes({{4, 3}, {1, 3}, {7, 3}, {5, 3}})),
         "", GifMsg::SInvalidData, 2},
        {"first_code_not_pixel", head + Descriptor(0, 0, 4, 1) + std::string(1, 2) +
                                     SubBlocks(PackCodes({{4, 3}, {6, 3}, {5, 3}})),
         "", GifMsg::SInvalidData, 2},
        {"code_size_12", head + Descriptor(0, 0, 4, 1) + std::string(1, 12) + Bytes({1, 0, 0}), "",
         GifMsg::SInvalidData, 2},
        {"underrun", head + Descriptor(0, 0, 8, 1) + std::string(1, 2) + SubBlocks(PackCodes({{4, 3}, {1, 3}, {1, 3}, {1, 3}, {1, 4}})) + ";",
         "", GifMsg::SBitBufferUnderrun, 2},
        {"huge_frame", Header(1, 1, 1) + Descriptor(0, 0, 65535, 65535) + kPixels01 + ";", GifMsg::SImageTooLarge, "",
         0},
        {"zero_frame_zero_screen", Header(0, 0, 1) + Descriptor(0, 0, 0, 0) + kPixels01 + ";", "",
         GifMsg::SExceedsScreen, 1},
        {"no_signature", "PNG89a" + std::string(20, '\0'), GifMsg::SInvalidSignature, "", 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TVsGifImage image;
        Warnings w;
        w.Attach(image);
        EXPECT_EQ(ErrorOf([&] { Load(image, r.bytes); }), r.error);
        if (!r.warning.empty()) {
            EXPECT_TRUE(w.Has(r.warning));
        }
        EXPECT_EQ(image.FrameCount(), r.frames);
    }
}

// The cap counts the pixels of all frames: two frames of 2^27 pixels fill it.
TEST(GifImage, PixelCapCountsEveryFrame) {
    const std::string head = Header(16384, 16384, 1);
    const std::string half = Descriptor(0, 0, 16384, 8192) + kPixels01;
    TVsGifImage image;
    EXPECT_EQ(ErrorOf([&] { Load(image, head + half + half + Frame01() + ";"); }), GifMsg::SImageTooLarge);
    EXPECT_EQ(image.FrameCount(), 2);
    EXPECT_EQ(image.PixelCount(), MaxImagePixels);
    auto* extra = new TVsGifSubImage(&image);
    extra->SetWidth(1);
    extra->SetHeight(1);
    EXPECT_EQ(ErrorOf([&] { extra->AllocatePixels(); }), GifMsg::SImageTooLarge);
    delete extra;
    EXPECT_EQ(ErrorOf([&] { Load(image, head + half + Frame01() + ";"); }), "");
    EXPECT_EQ(image.FrameCount(), 2);
}

TEST(GifImage, HugeFrameFileIsTinyAndAllocatesNothing) {
    std::string bytes = Header(1, 1, 0) + Descriptor(0, 0, 65535, 65535) + std::string(1, 8) + Bytes({0}) + ";";
    EXPECT_LE(bytes.size(), 30u);
    TVsGifImage image;
    try {
        Load(image, bytes);
        FAIL();
    } catch (const EVsGifError& e) {
        EXPECT_EQ(e.Message(), GifMsg::SImageTooLarge);
    }
}

TEST(GifImage, ProgressStartsAndEndsAlsoOnFailure) {
    for (bool good : {true, false}) {
        TVsGifImage image;
        std::vector<std::pair<TProgressStage, int>> events;
        image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t percent, bool, const TRect&,
                               const std::string& msg) {
            EXPECT_EQ(msg, GifMsg::SLoading);
            events.push_back({stage, percent});
        };
        std::string bytes = good ? Header(2, 1, 1) + Frame01() + ";" : std::string("nothing");
        ErrorOf([&] { Load(image, bytes); });
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events.front().first, psStarting);
        EXPECT_EQ(events.back().first, psEnding);
        EXPECT_EQ(events.back().second, good ? 100 : 0);
    }
}

// After each frame: MulDiv (position, 100, size), rounded, not cut.
TEST(GifImage, LoadProgressRoundsThePosition) {
    const std::string frames = Frame01() + Frame01();
    for (size_t pad : {0, 1, 2, 3, 4, 5, 6, 7}) {
        SCOPED_TRACE(pad);
        const std::string head = Header(2, 1, 1) + std::string(pad, '\0');
        const std::string bytes = head + frames + ";";
        std::vector<int> running;
        TVsGifImage image;
        image.OnProgress = [&](TObject*, TProgressStage stage, uint8_t percent, bool, const TRect&,
                               const std::string&) {
            if (stage == psRunning) running.push_back(percent);
        };
        Load(image, bytes);
        const auto size = static_cast<int32_t>(bytes.size());
        const auto first = static_cast<int32_t>(head.size() + Frame01().size());
        EXPECT_EQ(running, std::vector<int>({MulDiv(first, 100, size), MulDiv(size - 1, 100, size)}));
    }
}

TEST(GifImage, AddFrameGrowsScreenWithWarnings) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    AddFrame(image, 300, 200, [](int, int) { return uint8_t(0); });
    EXPECT_EQ(image.Width(), 300);
    EXPECT_EQ(image.Height(), 200);
    EXPECT_EQ(w.messages, std::vector<std::string>({GifMsg::SWidthTooSmall, GifMsg::SHeightTooSmall,
                                                    GifMsg::SExceedsScreen}));
    TVsGifImage other;
    TVsGifSubImage* theirs = AddFrame(other, 2, 2, [](int x, int) { return static_cast<uint8_t>(x); });
    int32_t index = image.AddFrame(theirs);
    EXPECT_NE(image.SubImage(index), theirs);
    EXPECT_EQ(image.SubImage(index)->Image(), &image);
    EXPECT_EQ(PixelsOf(*image.SubImage(index)), PixelsOf(*theirs));
    TStringList notAFrame;
    EXPECT_EQ(ErrorOf([&] { image.AddFrame(&notAFrame); }), GifMsg::SUnsupportedObject);
}

TEST(GifImage, SetWidthRefusesToCutFrames) {
    TVsGifImage image;
    AddFrame(image, 60, 10, [](int, int) { return uint8_t(0); }, false, 50, 0);
    EXPECT_EQ(ErrorOf([&] { image.SetWidth(100); }), GifMsg::SWidthTooSmall);
    EXPECT_EQ(image.Width(), 110);
    EXPECT_EQ(ErrorOf([&] { image.SetHeight(5); }), GifMsg::SHeightTooSmall);
    image.SetWidth(200);
    EXPECT_EQ(image.Width(), 200);
}

TEST(GifImage, AssignCopiesFramesNotHandlersOrOwnSettings) {
    TVsGifImage source;
    GreyMap(source.GlobalColorMap(), 4);
    TVsGifSubImage* f = AddFrame(source, 3, 3, [](int x, int y) { return static_cast<uint8_t>((x + y) % 4); });
    auto* gce = new TVsGifGraphicControlExtension(f);
    f->Extensions().Add(gce);
    gce->SetTransparentFlag(true);
    gce->SetTransparentIndex(2);
    source.SetReductionBits(3);
    source.SetEncoderChoice(GIFEncoderRLE);
    source.SetSpeed(50);
    source.SetPaintOptions(0x0004);
    int warnings = 0;
    source.OnGIFWarning = [&](TObject*, uint8_t, const std::string&) { ++warnings; };
    TVsGifImage copy;
    copy.Assign(&source);
    ASSERT_EQ(copy.FrameCount(), 1);
    EXPECT_EQ(PixelsOf(*copy.SubImage(0)), PixelsOf(*f));
    ASSERT_TRUE(copy.SubImage(0)->GraphicControlExtension());
    EXPECT_NE(copy.SubImage(0)->GraphicControlExtension(), gce);
    EXPECT_EQ(copy.SubImage(0)->GraphicControlExtension()->Frame(), copy.SubImage(0));
    EXPECT_TRUE(copy.SubImage(0)->Transparent());
    EXPECT_FALSE(copy.OnGIFWarning);
    EXPECT_FALSE(copy.OnProgress);
    EXPECT_EQ(copy.ReductionBits(), DefaultReductionBits);
    EXPECT_EQ(copy.EncoderChoice(), DefaultEncoderChoice);
    EXPECT_EQ(copy.Speed(), DefaultSpeedPercent);
    EXPECT_EQ(copy.PaintOptions(), 0x0004);
    copy.SetEncoderChoice(GIFEncoderRLE);
    EXPECT_EQ(Save(copy), Save(source));
    EXPECT_FALSE(copy.Equals(&source));
    EXPECT_TRUE(copy.Equals(&copy));
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(GifImage, FileRoundTrip) {
    TVsGifImage image;
    GreyMap(image.GlobalColorMap(), 2);
    AddFrame(image, 17, 3, [](int x, int) { return static_cast<uint8_t>(x & 1); });
    std::string path = std::string(VARSONA_BINARY_DIR) + "/gif_file_round_trip.gif";
    image.SaveToFile(path);
    TVsGifImage back;
    back.LoadFromFile(path);
    EXPECT_EQ(PixelsOf(*back.SubImage(0)), PixelsOf(*image.SubImage(0)));
    std::remove(path.c_str());
}

// A file stream is read into memory once and left after the trailer.
TEST(GifImage, NonMemoryStreamLeftAfterTrailer) {
    TStringStream s(Header(2, 1, 1) + Frame01() + ";" + "rest");
    TVsGifImage image;
    image.LoadFromStream(s);
    EXPECT_EQ(image.FrameCount(), 1);
    char rest[4];
    ASSERT_EQ(s.Read(rest, 4), 4);
    EXPECT_EQ(std::string(rest, 4), "rest");
}

// The broken fixtures that also seed the fuzzer (made by fixtures/regenerate.sh).
TEST(GifImage, MalformedFixtures) {
    const struct {
        const char* file;
        std::string error;
        std::string warning;
        int frames;
    } rows[] = {
        {"truncated.gif", GifMsg::SPrematureEnd, "", 0},
        {"no_trailer.gif", "", GifMsg::SPrematureEnd, 4},
        {"unknown_block.gif", "", GifMsg::SUnknownBlock, 2},
        {"zero_frame.gif", "", GifMsg::SExceedsScreen, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        TVsGifImage image;
        Warnings w;
        w.Attach(image);
        std::string bytes = ReadFileBytes(std::string(VARSONA_SOURCE_DIR) + "/tests/gif/fixtures/malformed/" + r.file);
        EXPECT_EQ(ErrorOf([&] { Load(image, bytes); }), r.error);
        if (r.warning.empty()) {
            EXPECT_TRUE(w.messages.empty());
        } else {
            EXPECT_TRUE(w.Has(r.warning));
        }
        EXPECT_EQ(image.FrameCount(), r.frames);
    }
}
