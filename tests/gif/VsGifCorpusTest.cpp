// Files other programs write, with the quirks and faults seen in the wild:
// tests/gif/fixtures/quirks and malformed, made by fixtures/regenerate.sh
// with gifsicle (gs_), giflib's gifbuild (gb_), ImageMagick (im_) and
// Pillow (pil_); a few bytes of a tool's file are patched there where no tool
// writes the fault, and the two memory cases are written byte by byte.
#include "tests/gif/GifTestUtil.h"

using namespace giftest;

namespace {

struct Loaded {
    TVsGifImage image;
    Warnings warnings;
    std::string error;
    explicit Loaded(const std::string& file) {
        warnings.Attach(image);
        error = ErrorOf([&] { Load(image, Fixture(file)); });
    }
};

bool Contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

const std::string kPremature = GifMsg::SPrematureEnd;
const std::string kUnderrun = GifMsg::SBitBufferUnderrun;
const std::string kInvalid = GifMsg::SInvalidData;

}  // namespace

// Each file: the error loading raises (none: it loads), every warning in
// order, and the frames that hold pixels.
TEST(GifCorpus, EachFileLoadsAsExpected) {
    const struct {
        const char* file;
        std::string error;
        std::vector<std::string> warnings;
        size_t frames;
    } rows[] = {
        {"quirks/gs_frame_names.gif", "", {GifMsg::SUnknownExtension, GifMsg::SUnknownExtension}, 2},
        {"quirks/gb_netscape_buffering.gif", "", {}, 2},
        {"quirks/gb_netscape_loop5.gif", "", {}, 2},
        {"quirks/gb_control_sizes.gif", "", {}, 3},
        {"quirks/gb_plaintext_header5.gif", "", {kInvalid}, 1},
        {"quirks/im_beyond_global.gif", "", {}, 1},
        {"quirks/im_beyond_local.gif", "", {}, 4},
        {"quirks/pil_no_table.gif", "", {}, 1},
        {"quirks/gs_bad_code.gif", "", {kInvalid}, 4},
        // Cut in a sub-block: its frame warns, and so does the missing trailer.
        {"malformed/pil_cut_interlaced.gif", "", {kPremature, kPremature}, 1},
        {"malformed/im_cut_noise.gif", "", {kPremature, kPremature}, 1},
        {"malformed/im_cut_after_bang.gif", kPremature, {}, 1},
        {"malformed/gs_cut_in_loop.gif", kPremature, {}, 0},
        {"malformed/gs_cut_in_app_identifier.gif", kPremature, {}, 0},
        {"malformed/huge_interlaced.gif", "", {kUnderrun}, 1},
        {"malformed/twelve_huge_frames.gif", GifMsg::SImageTooLarge, {kUnderrun}, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        Loaded l(r.file);
        EXPECT_EQ(l.error, r.error);
        EXPECT_EQ(l.warnings.messages, r.warnings);
        EXPECT_EQ(FramesWithPixels(l.image).size(), r.frames);
    }
}

// gifsicle names frames in extensions of label 0xCE.
TEST(GifCorpus, UnknownExtensionsAreKeptAndWrittenBack) {
    Loaded l("quirks/gs_frame_names.gif");
    ASSERT_EQ(l.image.FrameCount(), 2);
    const char* names[] = {"first frame", "second"};
    std::string saved = Save(l.image);
    for (int32_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        TVsGifExtensionList& list = l.image.SubImage(i)->Extensions();
        TVsGifUnknownExtension* named = nullptr;
        for (int32_t k = 0; k < list.Count(); ++k)
            if (auto* e = dynamic_cast<TVsGifUnknownExtension*>(list.Extensions(k))) named = e;
        ASSERT_TRUE(named);
        EXPECT_EQ(named->BlockLabel(), 0xCE);
        ASSERT_EQ(named->DataBlocks().Count(), 1);
        const TVsGifBlock& block = named->DataBlocks().Items(0);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.Data()), block.Size()), names[i]);
        const std::string name = names[i];
        EXPECT_TRUE(Contains(saved, Bytes({0x21, 0xCE, static_cast<int>(name.size())}) + name + Bytes({0})));
    }
}

TEST(GifCorpus, LoopExtensionKeepsItsOtherSubBlocks) {
    const struct {
        const char* file;
        uint16_t loops;
        std::string data;  // the sub-blocks after the identifier, as in the file
    } rows[] = {
        {"quirks/gb_netscape_buffering.gif", 2, Bytes({3, 1, 2, 0, 5, 2, 0, 0x10, 0, 0, 0})},
        {"quirks/gb_netscape_loop5.gif", 3, Bytes({5, 1, 3, 0, 7, 7, 0})},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        Loaded l(r.file);
        auto* loop = dynamic_cast<TVsGifAppExtNSLoop*>(l.image.SubImage(0)->Extensions().Extensions(0));
        ASSERT_TRUE(loop);
        EXPECT_EQ(loop->Loops(), r.loops);
        const std::string block = Bytes({0x21, 0xFF, 11}) + "NETSCAPE2.0" + r.data;
        EXPECT_TRUE(Contains(Fixture(r.file), block));
        EXPECT_TRUE(Contains(Save(l.image), block));
        loop->SetLoops(9);
        std::string changed = r.data;  // the count is bytes 2 and 3 of the loop sub-block
        changed[2] = 9;
        changed[3] = 0;
        EXPECT_TRUE(Contains(Save(l.image), Bytes({0x21, 0xFF, 11}) + "NETSCAPE2.0" + changed));
    }
    // A new looping extension, and one without a loop sub-block that is given a count.
    TVsGifImage image;
    TVsGifSubImage* frame = AddFrame(image, 1, 1, [](int, int) { return uint8_t(0); });
    auto* loop = new TVsGifAppExtNSLoop(frame);
    frame->Extensions().Add(loop);
    EXPECT_TRUE(Contains(Save(image), Bytes({0x21, 0xFF, 11}) + "NETSCAPE2.0" + Bytes({3, 1, 0, 0, 0})));
    Load(image, Header(1, 1, 1) + Bytes({0x21, 0xFF, 11}) + "NETSCAPE2.0" + Bytes({5, 2, 0, 0x10, 0, 0, 0}) +
                    Descriptor(0, 0, 1, 1) + std::string(1, 2) + SubBlocks(PackCodes({{4, 3}, {1, 3}, {5, 3}})) + ";");
    loop = dynamic_cast<TVsGifAppExtNSLoop*>(image.SubImage(0)->Extensions().Extensions(0));
    ASSERT_TRUE(loop);
    EXPECT_FALSE(loop->HasLoopBlock());
    EXPECT_EQ(loop->Loops(), 0);
    loop->SetLoops(4);
    EXPECT_TRUE(Contains(Save(image), "NETSCAPE2.0" + Bytes({3, 1, 4, 0, 5, 2, 0, 0x10, 0, 0, 0})));
}

// Sizes 5 and 3 in place of 4: the fields are read as far as they go, the
// next frame stays a frame, and the blocks are written back with size 4.
TEST(GifCorpus, GraphicControlBlocksOfAnySize) {
    Loaded l("quirks/gb_control_sizes.gif");
    std::vector<TVsGifSubImage*> frames = FramesWithPixels(l.image);
    ASSERT_EQ(frames.size(), 3u);
    TVsGifGraphicControlExtension* g0 = frames[0]->GraphicControlExtension();
    TVsGifGraphicControlExtension* g1 = frames[1]->GraphicControlExtension();
    ASSERT_TRUE(g0 && g1 && frames[2]->GraphicControlExtension());
    EXPECT_TRUE(frames[0]->Transparent());
    EXPECT_EQ(g0->TransparentIndex(), 1);
    EXPECT_EQ(g0->DisposalMethod(), 1);
    EXPECT_EQ(g0->FrameDelay(), 266);
    EXPECT_FALSE(frames[1]->Transparent());
    EXPECT_EQ(g1->DisposalMethod(), 2);
    EXPECT_EQ(g1->FrameDelay(), 266);
    EXPECT_EQ(frames[2]->GraphicControlExtension()->FrameDelay(), 5);
    // gifbuild's rows "dddddddd", "cccccccc", ... with a = 0.
    EXPECT_EQ(PixelsOf(*frames[1]), std::vector<uint8_t>({3, 3, 3, 3, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2,
                                                          1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    std::string saved = Save(l.image);
    EXPECT_TRUE(Contains(saved, Bytes({0x21, 0xF9, 4, 0x05, 0x0A, 0x01, 0x01, 0})));
    EXPECT_TRUE(Contains(saved, Bytes({0x21, 0xF9, 4, 0x08, 0x0A, 0x01, 0x00, 0})));
    int controls = 0;
    for (size_t p = saved.find("\x21\xF9"); p != std::string::npos; p = saved.find("\x21\xF9", p + 1), ++controls) {
        EXPECT_EQ(saved[p + 2], 4);
        EXPECT_EQ(saved[p + 7], 0);
    }
    EXPECT_EQ(controls, 3);
}

TEST(GifCorpus, PlainTextHeaderOfOtherSize) {
    Loaded l("quirks/gb_plaintext_header5.gif");
    auto* text = dynamic_cast<TVsGifTextExtension*>(l.image.SubImage(0)->Extensions().Extensions(0));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->Left(), 1);
    EXPECT_EQ(text->Top(), 2);
    EXPECT_EQ(text->GridWidth(), 30);
    EXPECT_EQ(text->GridHeight(), 0);
    ASSERT_EQ(text->Text().Count(), 1);
    EXPECT_EQ(text->Text()[0], "hello");
    EXPECT_FALSE(l.image.SubImage(0)->IsEmpty());
    EXPECT_TRUE(Contains(Save(l.image), Bytes({0x21, 0x01, 12, 1, 0, 2, 0, 30, 0, 0, 0, 0, 0, 0, 0, 5}) + "hello" +
                                            Bytes({0})));
}

// The first code after a clear code in frame 1 is no pixel: that frame keeps
// the fill (its transparent index), every other frame is as in the file the
// fault was patched into.
TEST(GifCorpus, BadCodeLosesOneFrame) {
    Loaded bad("quirks/gs_bad_code.gif");
    Loaded good("gs_optimised.gif");
    std::vector<TVsGifSubImage*> b = FramesWithPixels(bad.image), g = FramesWithPixels(good.image);
    ASSERT_EQ(b.size(), 4u);
    ASSERT_EQ(g.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        if (i == 1) {
            ASSERT_TRUE(b[1]->Transparent());
            std::vector<uint8_t> fill(static_cast<size_t>(b[1]->DataSize()),
                                      b[1]->GraphicControlExtension()->TransparentIndex());
            EXPECT_EQ(PixelsOf(*b[1]), fill);
        } else {
            EXPECT_EQ(PixelsOf(*b[i]), PixelsOf(*g[i]));
        }
    }
}

// Cut inside the image data: the pixels in file order are those of the whole
// file up to some point, and the fill from there on (the transparent index
// of the Pillow file, 0 in ImageMagick's), with no stale value between.
TEST(GifCorpus, CutFramesFillEveryUnreadPixel) {
    const struct {
        const char* cut;
        const char* whole;
        uint8_t fill;
    } rows[] = {
        {"malformed/pil_cut_interlaced.gif", "pil_noise.gif", 7},
        {"malformed/im_cut_noise.gif", "im_noise.gif", 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.cut);
        Loaded cut(r.cut), whole(r.whole);
        ASSERT_EQ(cut.image.FrameCount(), 1);
        ASSERT_EQ(whole.image.FrameCount(), 1);
        EXPECT_EQ(cut.image.SubImage(0)->Interlaced(), whole.image.SubImage(0)->Interlaced());
        std::vector<uint8_t> c = PixelsInFileOrder(*cut.image.SubImage(0));
        std::vector<uint8_t> w = PixelsInFileOrder(*whole.image.SubImage(0));
        ASSERT_EQ(c.size(), w.size());
        size_t same = 0;
        while (same < c.size() && c[same] == w[same]) ++same;
        EXPECT_GT(same, c.size() / 4);
        EXPECT_LT(same, c.size());
        for (size_t i = same; i < c.size(); ++i)
            if (c[i] != r.fill) {
                ADD_FAILURE() << "pixel " << i << " is " << int(c[i]) << " after the last one read, " << same;
                break;
            }
    }
}

// 85 bytes declare 16384 x 16384 interlaced pixels and 338 bytes twelve such
// frames: the first loads (its pixels are allocated only once its data is
// there, and the unread ones cost nothing until used), the second frame of
// the twelve passes the limit of the whole image.
TEST(GifCorpus, DeclaredSizesAreCappedOverTheImage) {
    Loaded huge("malformed/huge_interlaced.gif");
    ASSERT_EQ(huge.image.FrameCount(), 1);
    TVsGifSubImage* frame = huge.image.SubImage(0);
    EXPECT_EQ(frame->DataSize(), MaxImagePixels);
    EXPECT_TRUE(frame->Interlaced());
    EXPECT_TRUE(frame->Transparent());
    Loaded twelve("malformed/twelve_huge_frames.gif");
    EXPECT_EQ(twelve.error, GifMsg::SImageTooLarge);
    EXPECT_EQ(twelve.image.FrameCount(), 1);
    EXPECT_EQ(twelve.image.PixelCount(), MaxImagePixels);
}

// Indices beyond the colour table, or no table at all: the file saves, the
// table grows to the indices in use (new entries black, a missing table
// black and white first) and the saved file loads to the same pixels.
TEST(GifCorpus, WhatLoadsSaves) {
    const struct {
        const char* file;
        int frame;             // the frame whose table grows
        bool global;           // the global table grows
        TGIFColor first[2];    // its first two entries once saved
    } rows[] = {
        {"quirks/im_beyond_global.gif", 0, true, {}},
        {"quirks/im_beyond_local.gif", 3, false, {}},
        {"quirks/pil_no_table.gif", 0, true, {{0, 0, 0}, {255, 255, 255}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        Loaded l(r.file);
        TVsGifSubImage* frame = l.image.SubImage(r.frame);
        TVsGifColorMap& map = r.global ? l.image.GlobalColorMap() : frame->ColorMap();
        const std::vector<uint8_t> pixels = PixelsOf(*frame);
        const int top = *std::max_element(pixels.begin(), pixels.end());
        const int before = map.Count();
        ASSERT_GE(top, before);
        std::vector<TGIFColor> kept(map.Entries(), map.Entries() + before);
        if (before == 0) kept.assign(r.first, r.first + 2);
        std::string saved;
        ASSERT_EQ(ErrorOf([&] { saved = Save(l.image); }), "");
        TVsGifImage back;
        Load(back, saved);
        ASSERT_EQ(back.FrameCount(), l.image.FrameCount());
        TVsGifSubImage* b = back.SubImage(r.frame);
        EXPECT_EQ(PixelsOf(*b), pixels);
        TVsGifColorMap& grown = r.global ? back.GlobalColorMap() : b->ColorMap();
        ASSERT_GT(grown.Count(), top);
        for (int32_t i = 0; i < grown.Count(); ++i) {
            TGIFColor want = i < static_cast<int32_t>(kept.size()) ? kept[static_cast<size_t>(i)] : TGIFColor{};
            EXPECT_TRUE(grown.Entry(i).Red == want.Red && grown.Entry(i).Green == want.Green &&
                        grown.Entry(i).Blue == want.Blue)
                << "entry " << i;
        }
    }
}

// Every file of the corpus that loads, even in part, saves, and the saved
// file loads again without error to the same frames.
TEST(GifCorpus, EveryFileThatLoadsSavesAndLoadsBack) {
    int saved = 0;
    for (const std::string& file : CorpusFiles()) {
        SCOPED_TRACE(file);
        Loaded l(file);
        if (l.image.FrameCount() == 0) continue;
        // The 2^28-pixel frames would only cost time here.
        if (l.image.PixelCount() > (int64_t(1) << 20)) continue;
        std::string bytes;
        ASSERT_EQ(ErrorOf([&] { bytes = Save(l.image); }), "");
        TVsGifImage back;
        ASSERT_EQ(ErrorOf([&] { Load(back, bytes); }), "");
        std::vector<TVsGifSubImage*> a = FramesWithPixels(l.image), b = FramesWithPixels(back);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(PixelsOf(*a[i]), PixelsOf(*b[i])) << "frame " << i;
            EXPECT_EQ(a[i]->Interlaced(), b[i]->Interlaced());
        }
        ++saved;
    }
    EXPECT_GE(saved, 20);
}

// A stream that is not in memory is read through a buffer, from where it
// stands: every file loads from it as from memory, with the same error,
// warnings and pixels, and the stream is left after what was read.
TEST(GifCorpus, EveryFileLoadsTheSameFromAnyStream) {
    for (const std::string& file : CorpusFiles()) {
        SCOPED_TRACE(file);
        const std::string bytes = Fixture(file);
        Loaded memory(file);
        TReadOnlyMemoryStream probe(bytes.data(), static_cast<int64_t>(bytes.size()));
        {
            TVsGifImage image;
            ErrorOf([&] { image.LoadFromStream(probe); });
        }
        TVsGifImage image;
        Warnings w;
        w.Attach(image);
        TStringStream stream("prefix" + bytes);
        stream.SetPosition(6);
        EXPECT_EQ(ErrorOf([&] { image.LoadFromStream(stream); }), memory.error);
        EXPECT_EQ(w.messages, memory.warnings.messages);
        EXPECT_EQ(stream.Position(), 6 + probe.Position());
        ASSERT_EQ(image.FrameCount(), memory.image.FrameCount());
        for (int32_t i = 0; i < image.FrameCount(); ++i)
            EXPECT_EQ(PixelsOf(*image.SubImage(i)), PixelsOf(*memory.image.SubImage(i)));
    }
}
