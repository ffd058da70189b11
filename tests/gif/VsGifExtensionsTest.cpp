// Extension blocks: registries, reading, writing back byte for byte, faults.
#include <cstring>

#include "tests/gif/GifTestUtil.h"

using namespace giftest;

namespace {

// One 2 x 1 frame of pixels 0, 1 in code size 2, after the given extension bytes.
const std::string kFrame = Descriptor(0, 0, 2, 1) + std::string(1, 2) +
                           SubBlocks(PackCodes({{4, 3}, {0, 3}, {1, 3}, {5, 3}}));

std::string FileWith(const std::string& extension) { return Header(2, 1, 1) + extension + kFrame + ";"; }

std::string App(const std::string& ident, const std::string& data) {
    return Bytes({0x21, 0xFF, static_cast<int>(ident.size())}) + ident + data;
}

}  // namespace

// Each row: extension bytes as in a file, the class they become, whether the
// save writes them back unchanged.
struct ExtensionRow {
    const char* name;
    std::string bytes;
    TVsGifExtensionClass cls;
    bool sameBytes;
    std::string warning = {};  // the one warning loading gives, if any
};

class GifExtensionRoundTrip : public ::testing::TestWithParam<ExtensionRow> {};

TEST_P(GifExtensionRoundTrip, LoadsAsItsClassAndWritesBack) {
    const ExtensionRow& row = GetParam();
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    Load(image, FileWith(row.bytes));
    if (row.warning.empty()) {
        EXPECT_TRUE(w.messages.empty());
    } else {
        EXPECT_EQ(w.messages, std::vector<std::string>({row.warning}));
    }
    ASSERT_EQ(image.FrameCount(), 1);
    ASSERT_EQ(image.SubImage(0)->Extensions().Count(), 1);
    TVsGifExtension* ext = image.SubImage(0)->Extensions().Extensions(0);
    EXPECT_EQ(ext->ClassType(), row.cls);
    EXPECT_EQ(image.SubImage(0)->VersionNeeded(), GIFVersion89a);
    std::string saved = Save(image);
    EXPECT_EQ(saved.substr(0, 6), "GIF89a");
    if (row.sameBytes) {
        EXPECT_NE(saved.find(row.bytes), std::string::npos);
    }
    TVsGifImage again;
    Load(again, saved);
    EXPECT_EQ(Save(again), saved);
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, GifExtensionRoundTrip,
    ::testing::Values(
        ExtensionRow{"comment", Bytes({0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0}), &TVsGifCommentExtension::Class,
                     true},
        ExtensionRow{"graphic_control", Bytes({0x21, 0xF9, 4, 0x09, 0x10, 0x00, 1, 0}),
                     &TVsGifGraphicControlExtension::Class, true},
        ExtensionRow{"plain_text",
                     Bytes({0x21, 0x01, 12, 1, 0, 2, 0, 30, 0, 8, 0, 6, 8, 1, 0, 5, 'h', 'e', 'l', 'l', 'o', 0}),
                     &TVsGifTextExtension::Class, true},
        ExtensionRow{"netscape_loop", App("NETSCAPE2.0", Bytes({3, 1, 5, 0, 0})), &TVsGifAppExtNSLoop::Class, true},
        ExtensionRow{"animexts_loop", App("ANIMEXTS1.0", Bytes({3, 1, 0, 0, 0})), &TVsGifAppExtNSLoop::Class, true},
        ExtensionRow{"unknown_app", App("XMP DataXMP", Bytes({4, 1, 2, 3, 4, 1, 9, 0})),
                     &TVsGifUnknownAppExtension::Class, true},
        ExtensionRow{"app_size_13", Bytes({0x21, 0xFF, 13}) + "ABCDEFGH123xy" + Bytes({1, 7, 0}),
                     &TVsGifUnknownAppExtension::Class, false},
        // Read as the size-11 block it is written back as (found by the fuzzer).
        ExtensionRow{"app_size_13_loop", Bytes({0x21, 0xFF, 13}) + "NETSCAPE2.0xy" + Bytes({3, 1, 4, 0, 0}),
                     &TVsGifAppExtNSLoop::Class, false},
        ExtensionRow{"app_size_10", Bytes({0x21, 0xFF, 10}) + "ABCDEFGH12" + Bytes({1, 7, 0}),
                     &TVsGifUnknownAppExtension::Class, false},
        // Identifier blocks without the authentication code, as other writers make them.
        ExtensionRow{"app_size_8", Bytes({0x21, 0xFF, 8}) + "ABCDEFGH" + Bytes({2, 7, 8, 0}),
                     &TVsGifUnknownAppExtension::Class, false},
        ExtensionRow{"app_size_8_no_data", Bytes({0x21, 0xFF, 8}) + "ABCDEFGH" + Bytes({0}),
                     &TVsGifUnknownAppExtension::Class, false},
        ExtensionRow{"app_size_1", Bytes({0x21, 0xFF, 1, 'A', 1, 7, 0}), &TVsGifUnknownAppExtension::Class, false},
        // Looping extensions keep sub-blocks other than the loop one as they are.
        ExtensionRow{"netscape_buffering", App("NETSCAPE2.0", Bytes({3, 1, 2, 0, 5, 2, 0, 16, 0, 0, 0})),
                     &TVsGifAppExtNSLoop::Class, true},
        ExtensionRow{"netscape_buffering_only", App("NETSCAPE2.0", Bytes({5, 2, 0, 16, 0, 0, 0})),
                     &TVsGifAppExtNSLoop::Class, true},
        ExtensionRow{"netscape_loop_size_5", App("NETSCAPE2.0", Bytes({5, 1, 3, 0, 7, 7, 0})),
                     &TVsGifAppExtNSLoop::Class, true},
        ExtensionRow{"netscape_id_2_size_3", App("NETSCAPE2.0", Bytes({3, 2, 0, 0, 0})), &TVsGifAppExtNSLoop::Class,
                     true},
        // Labels without a class are kept, with a warning.
        ExtensionRow{"unknown_label", Bytes({0x21, 0x02, 0}), &TVsGifUnknownExtension::Class, true,
                     GifMsg::SUnknownExtension},
        ExtensionRow{"unknown_label_with_data", Bytes({0x21, 0xCE, 3, 'a', 'b', 'c', 1, 'd', 0}),
                     &TVsGifUnknownExtension::Class, true, GifMsg::SUnknownExtension},
        // Graphic control blocks of other sizes are written back with size 4.
        ExtensionRow{"graphic_control_size_5", Bytes({0x21, 0xF9, 5, 0x05, 0x0A, 0x01, 0x01, 0x07, 0}),
                     &TVsGifGraphicControlExtension::Class, false},
        ExtensionRow{"graphic_control_size_3", Bytes({0x21, 0xF9, 3, 0x08, 0x0A, 0x01, 0}),
                     &TVsGifGraphicControlExtension::Class, false},
        ExtensionRow{"graphic_control_more_sub_blocks", Bytes({0x21, 0xF9, 4, 0x08, 0x0A, 0x01, 0x00, 2, 9, 9, 0}),
                     &TVsGifGraphicControlExtension::Class, false},
        ExtensionRow{"graphic_control_size_0", Bytes({0x21, 0xF9, 0}), &TVsGifGraphicControlExtension::Class, false},
        // A plain-text header of another size than 12 is read as far as it goes.
        ExtensionRow{"plain_text_header_5", Bytes({0x21, 0x01, 5, 1, 0, 2, 0, 30, 2, 'h', 'i', 0}),
                     &TVsGifTextExtension::Class, false, GifMsg::SInvalidData},
        // A longer one keeps its whole header.
        ExtensionRow{"plain_text_header_14", Bytes({0x21, 0x01, 14, 1, 0, 2, 0, 30, 0, 8, 0, 6, 8, 1, 0, 5, 5, 0}),
                     &TVsGifTextExtension::Class, true, GifMsg::SInvalidData},
        ExtensionRow{"plain_text_header_20",
                     Bytes({0x21, 0x01, 20, 1, 0, 2, 0, 30, 0, 8, 0, 6, 8, 1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 2, 'o', 'k', 0}),
                     &TVsGifTextExtension::Class, true, GifMsg::SInvalidData},
        ExtensionRow{"plain_text_header_0", Bytes({0x21, 0x01, 0}), &TVsGifTextExtension::Class, false,
                     GifMsg::SInvalidData}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifExtensions, CommentLinesAndLoopCount) {
    TVsGifImage image;
    Load(image, FileWith(Bytes({0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0}) +
                         App("NETSCAPE2.0", Bytes({3, 1, 0, 0, 0}))));
    TVsGifExtensionList& list = image.SubImage(0)->Extensions();
    ASSERT_EQ(list.Count(), 2);
    auto* comment = dynamic_cast<TVsGifCommentExtension*>(list.Extensions(0));
    ASSERT_TRUE(comment);
    ASSERT_EQ(comment->Text().Count(), 2);
    EXPECT_EQ(comment->Text()[0], "abc");
    EXPECT_EQ(comment->Text()[1], "de");
    auto* loop = dynamic_cast<TVsGifAppExtNSLoop*>(list.Extensions(1));
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->Loops(), 0);
    EXPECT_EQ(loop->Identifier(), "NETSCAPE2.0");
}

TEST(GifExtensions, SizeTenIdentifierGetsZeroEleventhByte) {
    TVsGifImage image;
    Load(image, FileWith(Bytes({0x21, 0xFF, 10}) + "ABCDEFGH12" + Bytes({1, 7, 0})));
    auto* app = dynamic_cast<TVsGifApplicationExtension*>(image.SubImage(0)->Extensions().Extensions(0));
    ASSERT_TRUE(app);
    EXPECT_EQ(app->Identifier(), std::string("ABCDEFGH12") + '\0');
}

TEST(GifExtensions, ShortIdentifierKeepsItsBytesAndData) {
    TVsGifImage image;
    Load(image, FileWith(Bytes({0x21, 0xFF, 8}) + "ABCDEFGH" + Bytes({2, 7, 8, 0})));
    auto* app = dynamic_cast<TVsGifUnknownAppExtension*>(image.SubImage(0)->Extensions().Extensions(0));
    ASSERT_TRUE(app);
    EXPECT_EQ(app->Identifier(), std::string("ABCDEFGH") + std::string(3, '\0'));
    // Written back as an 11-byte identifier with the same data sub-blocks.
    EXPECT_NE(Save(image).find(Bytes({0x21, 0xFF, 11}) + "ABCDEFGH" + std::string(3, '\0') + Bytes({2, 7, 8, 0})),
              std::string::npos);
}

TEST(GifExtensions, LongPlainTextHeaderKeepsItsTail) {
    TVsGifImage image;
    Load(image, FileWith(Bytes({0x21, 0x01, 14, 1, 0, 2, 0, 30, 0, 8, 0, 6, 8, 1, 0, 5, 6, 1, 'x', 0})));
    auto* text = dynamic_cast<TVsGifTextExtension*>(image.SubImage(0)->Extensions().Extensions(0));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->Left(), 1);
    EXPECT_EQ(text->BackgroundColorIndex(), 0);
    EXPECT_EQ(text->HeaderTail(), Bytes({5, 6}));
    ASSERT_EQ(text->Text().Count(), 1);
    EXPECT_EQ(text->Text()[0], "x");
}

TEST(GifExtensions, FaultTable) {
    const struct {
        const char* name;
        std::string bytes;
        std::string error;
    } rows[] = {
        {"app_size_0", Bytes({0x21, 0xFF, 0}), GifMsg::SAppExtensionSize},
        {"text_short", Bytes({0x21, 0x01, 12, 1, 2}), GifMsg::SPrematureEnd},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TVsGifImage image;
        EXPECT_EQ(ErrorOf([&] { Load(image, FileWith(r.bytes)); }), r.error);
        EXPECT_EQ(image.FrameCount(), 0);
    }
}

// A looping extension without its terminator reads the frame after it as
// sub-blocks, as any reader must: loading ends with warnings, not an error.
TEST(GifExtensions, LoopWithoutTerminatorLoadsWithWarnings) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    EXPECT_EQ(ErrorOf([&] { Load(image, FileWith(App("NETSCAPE2.0", Bytes({3, 1, 0, 0, 4})))); }), "");
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_TRUE(image.SubImage(0)->IsEmpty());
    EXPECT_TRUE(w.Has(GifMsg::SUnknownBlock));
}

TEST(GifExtensions, ShortGraphicControlWarnsAndIsNotTransparent) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    Load(image, Header(2, 1, 1) + Bytes({0x21, 0xF9, 4, 0x01, 0}));
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_TRUE(w.Has(GifMsg::SPrematureEnd));
    EXPECT_FALSE(image.SubImage(0)->Transparent());
}

TEST(GifExtensions, TransparentIndexIsCheckedAgainstTheColourTable) {
    TVsGifImage image;
    Warnings w;
    w.Attach(image);
    TVsGifSubImage* frame = AddFrame(image, 1, 1, [](int, int) { return uint8_t(0); });
    auto* gce = new TVsGifGraphicControlExtension(frame);
    frame->Extensions().Add(gce);
    w.messages.clear();
    gce->SetTransparentIndex(20);
    EXPECT_EQ(gce->TransparentIndex(), 20);
    EXPECT_TRUE(w.messages.empty());
    GreyMap(image.GlobalColorMap(), 16);
    gce->SetTransparentIndex(20);
    EXPECT_EQ(gce->TransparentIndex(), 0);
    EXPECT_TRUE(w.Has(GifMsg::SInvalidColorIndex));
}

TEST(GifExtensions, TwoGraphicControlsFirstWinsDeletingTransparentClears) {
    TVsGifImage image;
    Load(image, FileWith(Bytes({0x21, 0xF9, 4, 0x00, 7, 0, 1, 0}) + Bytes({0x21, 0xF9, 4, 0x09, 9, 0, 0, 0})));
    TVsGifSubImage* frame = image.SubImage(0);
    ASSERT_TRUE(frame->GraphicControlExtension());
    EXPECT_EQ(frame->GraphicControlExtension()->FrameDelay(), 7);
    EXPECT_EQ(frame->GraphicControlExtension()->TransparentIndex(), 1);
    EXPECT_TRUE(frame->Transparent());
    frame->Extensions().Delete(1);
    EXPECT_FALSE(frame->Transparent());
    frame->Extensions().Delete(0);
    EXPECT_EQ(frame->GraphicControlExtension(), nullptr);
}

TEST(GifExtensions, GraphicControlFieldsAndTransparentFill) {
    TVsGifImage image;
    // Transparent index 1; the data ends after the first pixel, so the rest
    // keeps the transparent index.
    Load(image, Header(3, 1, 1) + Bytes({0x21, 0xF9, 4, 0x0D, 0x34, 0x12, 1, 0}) + Descriptor(0, 0, 3, 1) +
                    std::string(1, 2) + SubBlocks(PackCodes({{4, 3}, {0, 3}, {5, 3}})) + ";");
    TVsGifSubImage* frame = image.SubImage(0);
    TVsGifGraphicControlExtension* gce = frame->GraphicControlExtension();
    ASSERT_TRUE(gce);
    EXPECT_TRUE(gce->TransparentFlag());
    EXPECT_EQ(gce->DisposalMethod(), 3);
    EXPECT_EQ(gce->FrameDelay(), 0x1234);
    EXPECT_EQ(PixelsOf(*frame), std::vector<uint8_t>({0, 1, 1}));
}

TEST(GifExtensions, RegistryLaterRegistrationWins) {
    EXPECT_EQ(FindExtensionClass(0xFE), &TVsGifCommentExtension::Class);
    EXPECT_EQ(FindExtensionClass(0x02), nullptr);
    uint8_t ident[11];
    std::memcpy(ident, "ANIMEXTS1.0", 11);
    EXPECT_EQ(FindAppExtensionClass(ident), &TVsGifAppExtNSLoop::Class);
    std::memcpy(ident, "MYAPP   1.0", 11);
    EXPECT_EQ(FindAppExtensionClass(ident), nullptr);
    RegisterAppExtension("MYAPP   1.0", &TVsGifUnknownAppExtension::Class);
    EXPECT_EQ(FindAppExtensionClass(ident), &TVsGifUnknownAppExtension::Class);
}
