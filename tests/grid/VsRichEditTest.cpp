// The rich editor: what the reader makes of formatting, line ends, the
// font and colour tables, code pages, objects and values out of range, and
// how the runs are drawn.
#include <gtest/gtest.h>

#include <iterator>

#include "grid/VsRichEdit.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"
#include "platform/runtime/SysUtils.h"

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

namespace {

std::string TextOf(const std::vector<TRichRun>& runs) {
    std::string s;
    for (const TRichRun& r : runs) s += r.Text + (r.LineEnd ? "|" : "");
    return s;
}

// What the reader promises of every run: valid UTF-8 without line breaks or
// control characters but TAB, and a size in range.
void ExpectPromisesKept(const std::vector<TRichRun>& runs) {
    for (const TRichRun& r : runs) {
        EXPECT_TRUE(IsValidUtf8(r.Text)) << r.Text;
        EXPECT_TRUE(IsValidUtf8(r.FontName)) << r.FontName;
        for (unsigned char c : r.Text) EXPECT_TRUE((c >= 0x20 && c != 0x7F) || c == '\t') << int(c);
        EXPECT_GE(r.HalfPoints, 1);
        EXPECT_LE(r.HalfPoints, TRichRun::MaxHalfPoints);
    }
}

struct TTextCase {
    const char* Name;
    const char* Rtf;
    const char* Text;  // runs joined, "|" for a line end
};

void ExpectTexts(const TTextCase* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(cases[i].Name);
        const std::vector<TRichRun> runs = TVsRichEdit::Parse(cases[i].Rtf);
        EXPECT_EQ(TextOf(runs), cases[i].Text);
        ExpectPromisesKept(runs);
    }
}

}  // namespace

TEST(VsRichEdit, ReadsEscapedBytesInTheCodePageOfTheRunsFontElseTheDocument) {
    const TTextCase cases[] = {
        {"fcharset238 is Windows-1250", R"({\rtf1\ansi{\fonttbl{\f0\fcharset238 Arial CE;}}\f0 \'e8})", "\xC4\x8D"},
        {"fcharset204 is Windows-1251", R"({\rtf1\ansi{\fonttbl{\f0\fcharset204 Arial;}}\f0 \'c6})", "\xD0\x96"},
        {"ansicpg without a charset", R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0 Arial;}}\f0 \'c6})", "\xD0\x96"},
        {"the font's charset before ansicpg", R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset0 Arial;}}\f0 \'c6})",
         "\xC3\x86"},
        {"neither: Windows-1252", R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 \'c6\'80})", "\xC3\x86\xE2\x82\xAC"},
        {"the default font's charset", R"({\rtf1\ansi\deff1{\fonttbl{\f0 A;}{\f1\fcharset161 B;}}\'e1})",
         "\xCE\xB1"},
        {"each run its own", R"({\rtf1\ansi\ansicpg1253{\fonttbl{\f0\fcharset238 A;}{\f1\fcharset204 B;}{\f2 C;}})"
                             R"(\f0\'e8\f1\'c6\f2\'e1})",
         "\xC4\x8D\xD0\x96\xCE\xB1"},
        {"cpg before charset", R"({\rtf1{\fonttbl{\f0\fcharset0\cpg1251 A;}}\f0\'c6})", "\xD0\x96"},
        {"an unknown code page falls back", R"({\rtf1\ansicpg1251{\fonttbl{\f0\cpg4711 A;}}\f0\'c6})", "\xD0\x96"},
        {"\\uN keeps its meaning", R"({\rtf1\ansicpg1251\uc1 \u269?})", "\xC4\x8D"},
        // Two escaped bytes of a double-byte code page are one character.
        {"932", R"({\rtf1\ansi\ansicpg932{\fonttbl{\f0\fcharset128 MS Mincho;}}\f0 \'82\'a0x})", "\xE3\x81\x82x"},
        {"936", R"({\rtf1\ansi{\fonttbl{\f0\fcharset134 SimSun;}}\f0 \'d6\'d0})", "\xE4\xB8\xAD"},
        {"949", R"({\rtf1\ansi{\fonttbl{\f0\fcharset129 Gulim;}}\f0 \'c7\'d1})", "\xED\x95\x9C"},
        {"950", R"({\rtf1\ansi{\fonttbl{\f0\fcharset136 MingLiU;}}\f0 \'a4\'a4})", "\xE4\xB8\xAD"},
        {"a trail byte written as text", R"({\rtf1\ansicpg932 \'95\\\'82a})", "\xE8\xA1\xA8\xEF\xBC\xA2"},
        {"\\ucN counts the fallback's bytes", R"({\rtf1\ansicpg932\uc2\u12354\'82\'a0 x})", "\xE3\x81\x82 x"},
        {"a lead byte alone", R"({\rtf1\ansicpg932 a{\'82}b\'82\par c})", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD|c"},
    };
    ExpectTexts(cases, std::size(cases));
    // Font names are read in their own code page.
    const auto runs = TVsRichEdit::Parse(R"({\rtf1{\fonttbl{\f0\fcharset204 \'c0\'f0\'e8\'e0\'eb;}}\f0 x})");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].FontName, "\xD0\x90\xD1\x80\xD0\xB8\xD0\xB0\xD0\xBB");
}

TEST(VsRichEdit, KeepsTheResultOfAnObject) {
    const TTextCase cases[] = {
        {"result", R"({\rtf1 {\object{\*\objdata 0102}{\result shown}} end})", "shown end"},
        {"class and data dropped", R"({\rtf1 {\object\objemb{\objclass Paint}\objw100{\*\objdata 01}{\result{\b pic}}}x})",
         "picx"},
        {"no result", R"({\rtf1 a{\object\objemb{\*\objdata 01}}b})", "ab"},
    };
    ExpectTexts(cases, std::size(cases));
    const auto runs = TVsRichEdit::Parse(cases[1].Rtf);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].Bold);
}

TEST(VsRichEdit, ValuesOutOfRangeKeepTheRunsValid) {
    const TTextCase cases[] = {
        {"below -32768", R"({\rtf1 a\u-70000?b})", "a\xEF\xBF\xBD" "b"},
        {"above U+10FFFF", R"({\rtf1 a\u99999999?b})", "a\xEF\xBF\xBD" "b"},
        {"lone low surrogate", R"({\rtf1 a\u56832?b})", "a\xEF\xBF\xBD" "b"},
        {"lone high surrogate", R"({\rtf1 a\u55357?b\u55357?})", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD"},
        {"high before high", R"({\rtf1 \u55357?\u55357?\u56832?})", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
        {"pair, positive", R"({\rtf1 \u55357?\u56832?})", "\xF0\x9F\x98\x80"},
        {"above 65535 directly", R"({\rtf1 \u128512?})", "\xF0\x9F\x98\x80"},
        {"NUL and other controls", R"({\rtf1 a\'00b\'01\'1f\'7f\u0?\u27?c\'09d})", "abc\td"},
        {"CR, LF and CR LF break the line", R"({\rtf1 a\'0db\'0ac\'0d\'0ad\u13?e})", "a|b|c|d|e"},
        {"literal controls", "{\\rtf1 a\x01" "b\x7f" "c}", "abc"},
        {"not rich text: Windows-1252 when not UTF-8", "caf\xE9\x01", "caf\xC3\xA9"},
    };
    ExpectTexts(cases, std::size(cases));
    // Sizes are clamped, and drawing a clamped size stays in range.
    const auto big = TVsRichEdit::Parse(R"({\rtf1\fs99999999 big{\fs-5 default}})");
    ASSERT_EQ(big.size(), 2u);
    EXPECT_EQ(big[0].HalfPoints, TRichRun::MaxHalfPoints);
    EXPECT_EQ(big[1].HalfPoints, 24);
    TVsRichEdit editor(nullptr);
    TStringStream rich(R"({\rtf1\fs99999999 big})");
    editor.LoadFromStream(rich);
    TRecordingCanvas canvas;
    editor.Draw(canvas, {0, 0, 100, 100});
    const auto texts = canvas.Calls(TRecordedKind::TextOut);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Font.Height, -(TRichRun::MaxHalfPoints * 96 / 144));  // 1638 points at 96 dpi
}
