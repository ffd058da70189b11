// Colour maps, the header, the byte and sub-block helpers, versions.
#include "tests/gif/GifTestUtil.h"

using namespace giftest;

TEST(GifHelpers, ColorCountBitsTable) {
    const struct {
        int count, bits;
    } rows[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {16, 4}, {17, 5}, {129, 8}, {256, 8}, {300, 8}};
    for (auto r : rows) {
        SCOPED_TRACE(r.count);
        EXPECT_EQ(ColorCountBits(r.count), r.bits);
    }
}

TEST(GifHelpers, BytesPerDIBRowPadsTo32Bits) {
    EXPECT_EQ(BytesPerDIBRow(10, 1), 4);
    EXPECT_EQ(BytesPerDIBRow(3, 24), 12);
    EXPECT_EQ(BytesPerDIBRow(5, 8), 8);
    EXPECT_EQ(BytesPerDIBRow(8, 4), 4);
}

TEST(GifHelpers, VersionTexts) {
    EXPECT_EQ(GIFVersionText(GIFVersion87a), "87a");
    EXPECT_EQ(GIFVersionText(GIFVersion89a), "89a");
    EXPECT_EQ(GIFVersionText(GIFVersionUnknown), "");
}

TEST(GifHelpers, ReadExactRaisesPrematureEnd) {
    TStringStream s("ab");
    char buf[3];
    try {
        ReadExact(s, buf, 3);
        FAIL();
    } catch (const EVsGifError& e) {
        EXPECT_EQ(e.Message(), GifMsg::SPrematureEnd);
    }
}

// An empty line vanishes; a 300-byte line becomes 255 + 45; reading gives
// one line per sub-block.
TEST(GifHelpers, SubBlockStringsCutLongLines) {
    TStringList lines;
    lines.Add("");
    lines.Add(std::string(300, 'x'));
    TStringStream s;
    WriteSubBlockStrings(s, lines);
    const std::string& d = s.DataString();
    ASSERT_EQ(d.size(), 1u + 255 + 1 + 45 + 1);
    EXPECT_EQ(static_cast<uint8_t>(d[0]), 255);
    EXPECT_EQ(static_cast<uint8_t>(d[256]), 45);
    EXPECT_EQ(d.back(), 0);
    s.SetPosition(0);
    TStringList back;
    ReadSubBlockStrings(s, back);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back[0].size(), 255u);
    EXPECT_EQ(back[1].size(), 45u);
}

TEST(GifHelpers, ReadSubBlockStringsStopsAtEndOfStream) {
    TStringStream s(Bytes({2, 'a', 'b'}));
    TStringList back;
    ReadSubBlockStrings(s, back);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back[0], "ab");
}

// ---------------------------------------------------------------- colour maps

class GifColorMap : public ::testing::Test {
protected:
    TVsGifImage image;
    Warnings warnings;
    TVsGifColorMap& map = image.GlobalColorMap();
    void SetUp() override { warnings.Attach(image); }
};

TEST_F(GifColorMap, CapacitySteps) {
    const struct {
        int n, capacity;
    } rows[] = {{1, 16}, {16, 16}, {17, 32}, {33, 64}, {200, 224}, {250, 256}, {256, 256}};
    for (auto r : rows) {
        SCOPED_TRACE(r.n);
        map.Clear();
        GreyMap(map, r.n);
        EXPECT_EQ(map.Count(), r.n);
        EXPECT_EQ(map.Capacity(), r.capacity);
    }
}

TEST_F(GifColorMap, InsertExistingColourChangesNothing) {
    GreyMap(map, 3);
    EXPECT_EQ(map.InsertColor(RGB(1, 1, 7)), 1);
    EXPECT_EQ(map.Count(), 3);
}

TEST_F(GifColorMap, Color257Overflows) {
    GreyMap(map, 256);
    EXPECT_EQ(ErrorOf([&] { map.InsertColor(clWhite); }), GifMsg::SColorTableOverflow);
    EXPECT_EQ(map.Count(), 256);
}

TEST_F(GifColorMap, ColourValueLayout) {
    map.InsertColor(RGB(10, 20, 30));
    EXPECT_EQ(map.Entry(0).Red, 10);
    EXPECT_EQ(map.Entry(0).Green, 20);
    EXPECT_EQ(map.Entry(0).Blue, 30);
    EXPECT_EQ(map.EntryColor(0), 10 + (20 << 8) + (30 << 16));
}

// Unsorted tables find the highest match, sorted ones the first.
TEST_F(GifColorMap, FindColorDirection) {
    TStringStream s;
    std::string entries;
    for (int i = 0; i < 8; ++i) entries += (i == 2 || i == 7) ? Bytes({9, 9, 9}) : Bytes({i, 0, 0});
    TStringStream in(entries);
    map.ReadEntries(in, 8);
    EXPECT_EQ(map.FindColor(RGB(9, 9, 9)), 7);
    map.SetSorted(true);
    EXPECT_EQ(map.FindColor(RGB(9, 9, 9)), 2);
    EXPECT_EQ(map.FindColor(RGB(1, 2, 3)), -1);
}

TEST_F(GifColorMap, EntryColorOutOfRangeWarnsAndGivesEntry0) {
    GreyMap(map, 4);
    EXPECT_EQ(map.EntryColor(300), RGB(0, 0, 7));
    ASSERT_EQ(warnings.messages.size(), 1u);
    EXPECT_EQ(warnings.messages[0], GifMsg::SInvalidColorIndex);
    EXPECT_EQ(warnings.severities[0], 1);
    map.Clear();
    EXPECT_EQ(ErrorOf([&] { map.EntryColor(0); }), GifMsg::SColorTableEmpty);
}

TEST_F(GifColorMap, WriteEntriesPadsToPowerOfTwo) {
    GreyMap(map, 5);
    TStringStream s;
    map.WriteEntries(s);
    ASSERT_EQ(s.DataString().size(), 24u);
    EXPECT_EQ(s.DataString().substr(15), std::string(9, '\0'));
}

TEST_F(GifColorMap, AssignCopiesEntriesAndFlag) {
    GreyMap(map, 20);
    map.SetSorted(true);
    TVsGifImage other;
    other.GlobalColorMap().Assign(&map);
    EXPECT_EQ(other.GlobalColorMap().Count(), 20);
    EXPECT_EQ(other.GlobalColorMap().Capacity(), 32);
    EXPECT_TRUE(other.GlobalColorMap().Sorted());
    EXPECT_EQ(other.GlobalColorMap().EntryColor(19), map.EntryColor(19));
}

TEST_F(GifColorMap, OptimizeSortsByUseRemapsPixelsAndDropsUnused) {
    GreyMap(map, 4);
    TVsGifSubImage* frame = AddFrame(image, 4, 2, [](int x, int y) { return static_cast<uint8_t>(x < 3 ? 2 : 1); });
    TVsGifLocalColorMap& local = static_cast<TVsGifLocalColorMap&>(frame->ColorMap());
    GreyMap(local, 4);
    EXPECT_TRUE(local.OptimizeEntries());
    EXPECT_TRUE(local.Sorted());
    EXPECT_EQ(local.Count(), 2);
    EXPECT_EQ(local.EntryColor(0), RGB(2, 2, 7));
    EXPECT_EQ(local.EntryColor(1), RGB(1, 1, 7));
    EXPECT_EQ(frame->Pixels(0, 0), 0);
    EXPECT_EQ(frame->Pixels(3, 1), 1);
}

TEST_F(GifColorMap, OptimizeOfTinyTableDoesNothing) {
    GreyMap(map, 1);
    EXPECT_FALSE(map.OptimizeEntries());
    EXPECT_FALSE(map.Sorted());
}

// ---------------------------------------------------------------- header

TEST(GifHeader, FourBytesBeforeSignatureLoadFiveDoNot) {
    std::string body = Header(3, 2, 1).substr(6) + ";";
    for (int skip : {4, 5}) {
        SCOPED_TRACE(skip);
        TVsGifImage image;
        std::string bytes = std::string(static_cast<size_t>(skip), 'x') + "GIF89a" + body;
        std::string error = ErrorOf([&] { Load(image, bytes); });
        if (skip == 4) {
            EXPECT_EQ(error, "");
            EXPECT_EQ(image.Width(), 3);
        } else {
            EXPECT_EQ(error, GifMsg::SInvalidSignature);
        }
    }
}

TEST(GifHeader, LowerCaseSignatureAndOddVersionLoad) {
    TVsGifImage image;
    std::string bytes = Header(3, 2, 1);
    bytes.replace(0, 6, "gif12z");
    EXPECT_EQ(ErrorOf([&] { Load(image, bytes + ";"); }), "");
    EXPECT_EQ(image.GlobalColorMap().Count(), 2);
}

TEST(GifHeader, VersionNeededTable) {
    TVsGifImage image;
    TVsGifHeader& h = image.Header();
    EXPECT_EQ(h.VersionNeeded(), GIFVersion87a);
    h.SetAspectRatio(49);
    EXPECT_EQ(h.VersionNeeded(), GIFVersion89a);
    h.SetAspectRatio(0);
    GreyMap(h.ColorMap(), 3);
    h.ColorMap().SetSorted(true);
    EXPECT_EQ(h.VersionNeeded(), GIFVersion89a);
}

// Packed byte: table flag, colour resolution of the largest map, size field
// of the global table (or of the largest map when there is none).
TEST(GifHeader, PackedByteTable) {
    const struct {
        const char* name;
        int global, local;
        bool sorted;
        int packed;
    } rows[] = {
        {"global16_local256", 16, 256, false, 0x80 | (7 << 4) | 3},
        {"no_global_local256", 0, 256, false, (7 << 4) | 7},
        {"global5", 5, 0, false, 0x80 | (2 << 4) | 2},
        {"global2_sorted", 2, 0, true, 0x88 | 0},
    };
    for (auto r : rows) {
        SCOPED_TRACE(r.name);
        TVsGifImage image;
        GreyMap(image.GlobalColorMap(), r.global);
        image.GlobalColorMap().SetSorted(r.sorted);
        TVsGifSubImage* frame = AddFrame(image, 2, 2, [](int, int) { return uint8_t(0); });
        GreyMap(frame->ColorMap(), r.local);
        std::string bytes = Save(image);
        EXPECT_EQ(static_cast<uint8_t>(bytes[10]), r.packed);
        if (r.global) {
            TVsGifImage back;
            Load(back, bytes);
            EXPECT_EQ(back.GlobalColorMap().Count(), 1 << ColorCountBits(r.global));
        }
    }
}

TEST(GifHeader, AssignCopiesDescriptorAndMap) {
    TVsGifImage a, b;
    a.Header().SetWidth(300);
    a.Header().SetHeight(20);
    a.Header().SetBackgroundColorIndex(3);
    a.Header().SetAspectRatio(49);
    GreyMap(a.GlobalColorMap(), 6);
    b.Header().Assign(&a.Header());
    EXPECT_EQ(b.Header().Width(), 300);
    EXPECT_EQ(b.Header().Height(), 20);
    EXPECT_EQ(b.Header().BackgroundColorIndex(), 3);
    EXPECT_EQ(b.Header().AspectRatio(), 49);
    EXPECT_EQ(b.GlobalColorMap().Count(), 6);
    TVsGifSubImage frame(&a);
    EXPECT_THROW(b.Header().Assign(&frame), EConvertError);
}

// ---------------------------------------------------------------- versions

TEST(GifVersion, ImageVersionFollowsFramesAndHeader) {
    TVsGifImage image;
    EXPECT_EQ(image.VersionNeeded(), GIFVersionUnknown);
    // The message says what is wrong: there is nothing to save.
    EXPECT_EQ(ErrorOf([&] { Save(image); }), GifMsg::SNoFrames);
    GreyMap(image.GlobalColorMap(), 2);
    TVsGifSubImage* frame = AddFrame(image, 2, 2, [](int x, int) { return uint8_t(x); });
    EXPECT_EQ(Save(image).substr(0, 6), "GIF87a");
    frame->Extensions().Add(new TVsGifGraphicControlExtension(frame));
    EXPECT_EQ(Save(image).substr(0, 6), "GIF89a");
    frame->Extensions().Clear();
    image.Header().SetAspectRatio(49);
    EXPECT_EQ(Save(image).substr(0, 6), "GIF89a");
}
