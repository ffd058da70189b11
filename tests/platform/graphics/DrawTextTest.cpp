#include <gtest/gtest.h>

#include "platform/graphics/RecordingDevice.h"
#include "tests/platform/graphics/TestImages.h"

namespace {

class DrawTextTest : public ::testing::Test {
protected:
    DrawTextTest() {
        canvas.Font()->SetName("Arial");
        canvas.Font()->SetHeight(20);
        canvas.Brush()->SetStyle(bsClear);
    }
    std::vector<TRecordedCall> Texts() { return canvas.Calls(TRecordedKind::TextOut); }
    TRecordingCanvas canvas;
};

TEST_F(DrawTextTest, CalcRectMeasuresWithoutDrawing) {
    TRect r{10, 10, 500, 20};
    int h = canvas.DrawText("hello world", r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(h, 20);
    EXPECT_EQ(r, (TRect{10, 10, 10 + canvas.TextWidth("hello world"), 30}));
    EXPECT_TRUE(Texts().empty());
}

TEST_F(DrawTextTest, AlignmentsPlaceTheLine) {
    int w = canvas.TextWidth("abc");
    struct Row {
        uint32_t Flags;
        TPoint At;
    } rows[] = {{DT_LEFT, {0, 0}},
                {DT_CENTER, {(200 - w) / 2, 0}},
                {DT_RIGHT, {200 - w, 0}},
                {DT_VCENTER, {0, (100 - 20) / 2}},
                {DT_BOTTOM | DT_RIGHT, {200 - w, 80}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Flags);
        canvas.Recorder().Clear();
        TRect r{0, 0, 200, 100};
        canvas.DrawText("abc", r, row.Flags | DT_SINGLELINE | DT_NOCLIP);
        ASSERT_EQ(Texts().size(), 1u);
        EXPECT_EQ(Texts()[0].Anchor, row.At);
        EXPECT_EQ(Texts()[0].Align, TA_LEFT | TA_TOP);
    }
}

TEST_F(DrawTextTest, WordBreakWrapsAtBlanksAndKeepsLongWordsWhole) {
    int wordWidth = canvas.TextWidth("alpha");
    TRect r{0, 0, wordWidth + 5, 0};
    int h = canvas.DrawText("alpha beta gamma", r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    EXPECT_EQ(h, 60);
    TRect box{0, 0, wordWidth + 5, 100};
    canvas.DrawText("alpha beta gamma", box, DT_WORDBREAK | DT_NOPREFIX);
    ASSERT_EQ(Texts().size(), 3u);
    EXPECT_EQ(Texts()[0].Text, "alpha");
    EXPECT_EQ(Texts()[1].Text, "beta");
    EXPECT_EQ(Texts()[1].Anchor.Y, 20);
    EXPECT_EQ(Texts()[2].Text, "gamma");

    // A word wider than the box stays whole, unless the edit-control rule breaks it.
    canvas.Recorder().Clear();
    TRect narrow{0, 0, 10, 100};
    canvas.DrawText("wide", narrow, DT_WORDBREAK);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0].Text, "wide");
    canvas.Recorder().Clear();
    canvas.DrawText("wide", narrow, DT_WORDBREAK | DT_EDITCONTROL);
    EXPECT_GT(Texts().size(), 1u);
}

TEST_F(DrawTextTest, LineBreaksStartNewLinesUnlessSingleLine) {
    TRect r{0, 0, 300, 100};
    canvas.DrawText("one\r\ntwo\nthree", r, 0);
    ASSERT_EQ(Texts().size(), 3u);
    EXPECT_EQ(Texts()[2].Anchor.Y, 40);
    canvas.Recorder().Clear();
    canvas.DrawText("one\r\ntwo", r, DT_SINGLELINE);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0].Text, "onetwo");
}

TEST_F(DrawTextTest, PrefixCharactersUnlessNoPrefix) {
    TRect r{0, 0, 300, 100};
    canvas.DrawText("&File && more", r, DT_SINGLELINE);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0].Text, "File & more");
    // The prefixed character is underlined with a fill in the font colour.
    EXPECT_EQ(canvas.Calls(TRecordedKind::FillRect).size(), 1u);
    canvas.Recorder().Clear();
    canvas.DrawText("&File", r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(Texts()[0].Text, "&File");
}

TEST_F(DrawTextTest, EndEllipsisShortensToFit) {
    int width = canvas.TextWidth("abcdef...");
    TRect r{0, 0, width, 30};
    canvas.DrawText("abcdefghijklmnop", r, DT_SINGLELINE | DT_END_ELLIPSIS);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0].Text, "abcdef...");
}

TEST_F(DrawTextTest, TabsExpandToEightAverageCharacters) {
    TRect r{0, 0, 1000, 30};
    canvas.DrawText("a\tb", r, DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP);
    ASSERT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Texts()[1].Text, "b");
    EXPECT_EQ(Texts()[1].Anchor.X % Texts()[1].Anchor.X, 0);
    EXPECT_GT(Texts()[1].Anchor.X, canvas.TextWidth("a"));
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
    TRect r{5, 5, 50, 30};
    canvas.DrawText("x", r, DT_SINGLELINE);
    auto clips = canvas.Calls(TRecordedKind::SetClip);
    ASSERT_EQ(clips.size(), 2u);
    EXPECT_TRUE(clips[0].HasClip);
    EXPECT_EQ(clips[0].Rect, r);
    EXPECT_FALSE(clips[1].HasClip);
    canvas.Recorder().Clear();
    canvas.DrawText("x", r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_TRUE(canvas.Calls(TRecordedKind::SetClip).empty());
}

TEST_F(DrawTextTest, DrawsPixelsInsideItsBox) {
    TRecordingCanvas pixels(96, 96, {120, 60}, true);
    pixels.Font()->SetHeight(20);
    pixels.Font()->SetColor(clBlack);
    pixels.Brush()->SetStyle(bsClear);
    TRect r{10, 10, 110, 50};
    pixels.DrawText("Mg", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    TRect ink = InkBox(*pixels.Bitmap());
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 110);
    EXPECT_GE(ink.Top, 20);
    EXPECT_LE(ink.Bottom, 40);
}

}  // namespace

TEST_F(DrawTextTest, EditControlLeavesOutACutLastLineAndMeasuresEveryLine) {
    const std::string text = "one\ntwo\nthree\nfour";
    // Room for two and a half lines of 20 pixels.
    TRect box{0, 0, 300, 50};
    canvas.DrawText(text, box, DT_WORDBREAK | DT_EDITCONTROL | DT_NOCLIP);
    ASSERT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Texts()[1].Text, "two");
    canvas.Recorder().Clear();
    canvas.DrawText(text, box, DT_WORDBREAK | DT_NOCLIP);
    EXPECT_EQ(Texts().size(), 4u);
    // Measuring counts all lines, and one line always shows.
    TRect measure{0, 0, 300, 50};
    EXPECT_EQ(canvas.DrawText(text, measure, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL), 80);
    canvas.Recorder().Clear();
    TRect low{0, 0, 300, 5};
    canvas.DrawText(text, low, DT_WORDBREAK | DT_EDITCONTROL | DT_NOCLIP);
    EXPECT_EQ(Texts().size(), 1u);
}

TEST_F(DrawTextTest, RightToLeftReadingKeepsAlignmentAndWidth) {
    TRect r{0, 0, 300, 30};
    canvas.DrawText("abc (1)", r, DT_SINGLELINE | DT_RIGHT | DT_RTLREADING | DT_NOCLIP);
    ASSERT_EQ(Texts().size(), 1u);
    // The line is embedded in right-to-left order; it ends at the right edge.
    EXPECT_EQ(Texts()[0].Text, "\xE2\x80\xAB" "abc (1)" "\xE2\x80\xAC");
    EXPECT_EQ(Texts()[0].Anchor.X, 300 - canvas.TextWidth("abc (1)"));
    TRect m{0, 0, 300, 30};
    canvas.DrawText("abc (1)", m, DT_CALCRECT | DT_SINGLELINE | DT_RTLREADING);
    EXPECT_EQ(m.Right, canvas.TextWidth("abc (1)"));
}

namespace {

// Drawn on a bitmap of 300 x 60 pixels.
struct TShownCanvas {
    TShownCanvas() {
        canvas.Font()->SetName("Arial");
        canvas.Font()->SetHeight(20);
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect({0, 0, 300, 60});
        canvas.Brush()->SetStyle(bsClear);
    }
    std::vector<TColor> Pixels() {
        std::vector<TColor> p;
        for (int32_t y = 0; y < 60; ++y)
            for (int32_t x = 0; x < 300; ++x) p.push_back(canvas.Bitmap()->Canvas()->Pixel(x, y));
        return p;
    }
    TRecordingCanvas canvas{96, 96, TSize{300, 60}, true};
};

}  // namespace

TEST(DrawTextLongLine, GoesToTheDeviceOnlyWhereItCanShow) {
    // Past what can show, a megabyte and a byte that is never UTF-8.
    std::string shown;
    while (shown.size() < 240) shown += "fiffle\xC3\xA9";
    std::string filler;
    while (filler.size() < (1 << 20)) filler += "fiffle\xC3\xA9";
    const uint32_t line = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
    struct Row {
        const char* Name;
        uint32_t Flags;
        std::string Huge;
        uint32_t ShownFlags;  // the shown part drawn alone
    } const rows[] = {
        {"left", line, shown + filler + "\xFF", line},
        {"shortened", line | DT_END_ELLIPSIS, shown + filler + "\xFF", line | DT_END_ELLIPSIS},
        {"shortened, right", line | DT_END_ELLIPSIS | DT_RIGHT, shown + filler + "\xFF", line | DT_END_ELLIPSIS | DT_RIGHT},
        // Too wide to be measured whole: from its start.
        {"centred", line | DT_CENTER, shown + filler + "\xFF", line},
        {"vertically centred", line | DT_VCENTER, shown + filler + "\xFF", line | DT_VCENTER},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        TShownCanvas alone, huge;
        TRect r{10, 5, 200, 50};
        alone.canvas.DrawText(shown, r, row.ShownFlags);
        r = {10, 5, 200, 50};
        huge.canvas.DrawText(row.Huge, r, row.Flags);
        for (const TRecordedCall& t : huge.canvas.Calls(TRecordedKind::TextOut)) EXPECT_LT(t.Text.size(), 1024u);
        EXPECT_TRUE(huge.Pixels() == alone.Pixels());
    }
    // Right-aligned, the end of the text shows, ending at the right edge.
    TShownCanvas right;
    TRect r{10, 5, 200, 50};
    right.canvas.DrawText("\xFF" + filler + shown, r, line | DT_RIGHT);
    const auto texts = right.canvas.Calls(TRecordedKind::TextOut);
    ASSERT_EQ(texts.size(), 1u);
    ASSERT_LT(texts[0].Text.size(), 1024u);
    EXPECT_EQ(shown.substr(shown.size() - 40), texts[0].Text.substr(texts[0].Text.size() - 40));
    EXPECT_EQ(texts[0].Anchor.X + right.canvas.TextWidth(texts[0].Text), 200);
}

TEST(DrawTextLongLine, WidthUpToALimitIsExactBelowIt) {
    TShownCanvas s;
    TCanvas& canvas = s.canvas;
    std::string text;
    while (text.size() < 4096) text += "fiffle\xC3\xA9 ";
    const int32_t whole = canvas.TextWidth(text);
    EXPECT_EQ(canvas.TextWidthUpTo(text, whole), whole);
    EXPECT_EQ(canvas.TextWidthUpTo(text, 1 << 30), whole);
    const int32_t part = canvas.TextWidthUpTo(text + std::string(1 << 20, 'x'), 500);
    EXPECT_GT(part, 500);
    EXPECT_LT(part, 500 + canvas.TextHeight("x"));
    // Short texts are measured as TextWidth measures them.
    EXPECT_EQ(canvas.TextWidthUpTo("fiffle", 1), canvas.TextWidth("fiffle"));
}
