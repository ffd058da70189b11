// The rich editor: what the reader makes of formatting, line ends and the
// font and colour tables, and how the runs are drawn.
#include <gtest/gtest.h>

#include "grid/VsRichEdit.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"

namespace {

const char* kDoc =
    R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}{\f1 Courier New;}}{\colortbl;\red255\green0\blue0;})"
    R"(\f0\fs20 plain {\b bold}{\i\ul both}\par{\f1\fs30\cf1 red mono}\line last\par})";

}  // namespace

TEST(VsRichEdit, RunsCarryTheirFormat) {
    const std::vector<TRichRun> runs = TVsRichEdit::Parse(kDoc);
    ASSERT_EQ(runs.size(), 5u);
    struct Row {
        const char* Text;
        const char* Font;
        int32_t HalfPoints;
        bool Bold, Italic, Underline;
        TColor Color;
        bool LineEnd;
    } const rows[] = {
        {"plain ", "Arial", 20, false, false, false, clNone, false},
        {"bold", "Arial", 20, true, false, false, clNone, false},
        {"both", "Arial", 20, false, true, true, clNone, true},
        {"red mono", "Courier New", 30, false, false, false, static_cast<TColor>(RGB(255, 0, 0)), true},
        // The final paragraph mark ends the text without adding a line.
        {"last", "Arial", 20, false, false, false, clNone, false},
    };
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(rows[i].Text);
        EXPECT_EQ(runs[i].Text, rows[i].Text);
        EXPECT_EQ(runs[i].FontName, rows[i].Font);
        EXPECT_EQ(runs[i].HalfPoints, rows[i].HalfPoints);
        EXPECT_EQ(runs[i].Bold, rows[i].Bold);
        EXPECT_EQ(runs[i].Italic, rows[i].Italic);
        EXPECT_EQ(runs[i].Underline, rows[i].Underline);
        EXPECT_EQ(runs[i].Color, rows[i].Color);
        EXPECT_EQ(runs[i].LineEnd, rows[i].LineEnd);
    }
}

TEST(VsRichEdit, PlainTextJoinsLinesAndReadsNonRichTextAsItIs) {
    TVsRichEdit editor(nullptr);
    TStringStream rich(kDoc);
    editor.LoadFromStream(rich);
    EXPECT_EQ(editor.PlainText(), "plain boldboth\r\nred mono\r\nlast");
    TStringStream plain("just\rtext");
    editor.LoadFromStream(plain);
    EXPECT_EQ(editor.PlainText(), "just\r\ntext");
    editor.Clear();
    EXPECT_EQ(editor.PlainText(), "");
    // Unbalanced or cut documents give what was read so far.
    auto text = [](const std::string& rtf) {
        std::string s;
        for (const TRichRun& r : TVsRichEdit::Parse(rtf)) s += r.Text;
        return s;
    };
    EXPECT_EQ(text(R"({\rtf1 open {\b group)"), "open group");
    EXPECT_EQ(text(R"({\rtf1\u)"), "");
    // Pictures, other skipped destinations and the fallback of \uN (\ucN
    // characters) leave no text.
    EXPECT_EQ(text(R"({\rtf1 a{\pict\wmetafile8 0100ff}b{\*\unknown x}c{\info{\title t}}d)"
                   R"({\uc2 \u20013\'3f\'3f}{\uc0 \u8212 e}\u-10179?\u-8704?})"),
              "abcd\xE4\xB8\xAD\xE2\x80\x94" "e\xF0\x9F\x98\x80");
    // Binary data is skipped by its length.
    EXPECT_EQ(text("{\\rtf1 a{\\*\\blob\\bin3 }{}}b}"), "ab");
}

TEST(VsRichEdit, DrawsEachRunInItsFontAndTheSelectionColourOnAll) {
    TVsRichEdit editor(nullptr);
    TStringStream rich(kDoc);
    editor.LoadFromStream(rich);
    // More than 255 characters: the colour reaches the end.
    std::string longDoc = "{\\rtf1 ";
    for (int i = 0; i < 60; ++i) longDoc += "word ";
    longDoc += "{\\cf1 tail}}";
    TVsRichEdit longer(nullptr);
    TStringStream longStream(longDoc);
    longer.LoadFromStream(longStream);
    longer.SetTextColor(clLime);
    for (const TRichRun& r : longer.Runs()) EXPECT_EQ(r.Color, clLime);

    TRecordingCanvas canvas;
    canvas.Font()->SetColor(clBlack);
    const std::string fontName = canvas.Font()->Name();
    const int32_t fontHeight = canvas.Font()->Height();
    editor.Draw(canvas, {10, 20, 400, 300});
    // The runs' fonts stay inside the drawing.
    EXPECT_EQ(canvas.Font()->Name(), fontName);
    EXPECT_EQ(canvas.Font()->Height(), fontHeight);
    const auto texts = canvas.Calls(TRecordedKind::TextOut);
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(texts[0].Text, "plain ");
    EXPECT_EQ(texts[0].Anchor.X, 10);
    EXPECT_TRUE(texts[1].Font.Style & fsBold);
    EXPECT_EQ(texts.back().Text, "last");
    EXPECT_EQ(texts.back().Anchor.X, 10);
    bool red = false;
    for (const auto& t : texts)
        if (t.Text == "red ") {
            red = true;
            EXPECT_EQ(t.Font.Name, "Courier New");
            EXPECT_EQ(t.Font.Color, static_cast<TColor>(RGB(255, 0, 0)));
            EXPECT_EQ(t.Font.Height, -20);  // 15 points at 96 dpi
        }
    EXPECT_TRUE(red);
    // Lines go down; a narrow rectangle wraps at blanks.
    EXPECT_GT(texts.back().Anchor.Y, texts[0].Anchor.Y);
    canvas.Recorder().Clear();
    longer.Draw(canvas, {0, 0, 60, 1000});
    const auto wrapped = canvas.Calls(TRecordedKind::TextOut);
    ASSERT_GT(wrapped.size(), 2u);
    EXPECT_GT(wrapped[2].Anchor.Y, wrapped[0].Anchor.Y);
}
