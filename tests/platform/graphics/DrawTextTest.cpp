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
