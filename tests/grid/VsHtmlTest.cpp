// The HTML cell-text renderer, drawn into bitmaps and recorded. Sizes are
// compared with the font's own metrics, never with fixed pixel counts.
#include "grid/VsHtml.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"

namespace {

struct TResult {
    bool Hit = false;
    std::string Anchor;
    std::string Plain;
    int32_t Width = 0;
    int32_t Height = 0;
};

struct TOptions {
    TRect Rect{0, 0, 400, 200};
    int32_t X = -1, Y = -1;
    bool CheckOnly = false;
    bool MeasureOnly = false;
    bool Stretch = false;
    bool KeepColors = false;
    bool BlinkOn = true;
    double Scale = 1.0;
    TColor URLColor = clBlue;
    TImageList* Images = nullptr;
};

TResult Render(TCanvas& canvas, const std::string& text, const TOptions& o = {}) {
    TResult r;
    r.Hit = HTMLDrawText(canvas, text, o.Rect, o.Images, o.X, o.Y, o.CheckOnly, o.MeasureOnly, o.Stretch,
                         o.KeepColors, o.BlinkOn, o.Scale, o.URLColor, r.Anchor, r.Plain, r.Width, r.Height);
    return r;
}

void SetUpFont(TCanvas& canvas) {
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-16);
    canvas.Font()->SetStyle(0);
    canvas.Font()->SetColor(clBlack);
    canvas.Brush()->SetColor(clWhite);
}

// Bounding box of the pixels of a bitmap that pass a test; empty when none.
TRect InkBox(TBitmap& bitmap, const std::function<bool(TColor)>& test, const TRect* within = nullptr) {
    TRect area = within ? *within : Bounds(0, 0, bitmap.Width(), bitmap.Height());
    TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    bool any = false;
    for (int32_t y = area.Top; y < area.Bottom; ++y)
        for (int32_t x = area.Left; x < area.Right; ++x)
            if (test(bitmap.Canvas()->Pixel(x, y))) {
                any = true;
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return any ? box : TRect{};
}

bool Dark(TColor c) { return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128; }
bool Reddish(TColor c) { return GetRValue(c) > 180 && GetGValue(c) < 90 && GetBValue(c) < 90; }
bool NotWhite(TColor c) { return (c & 0xFFFFFF) != 0xFFFFFF; }

class HtmlBitmap : public ::testing::Test {
protected:
    void SetUp() override {
        Bitmap = std::make_unique<TBitmap>(400, 200);
        Canvas = Bitmap->Canvas();
        Clear();
        SetUpFont(*Canvas);
    }
    void Clear() {
        Canvas->Brush()->SetColor(clWhite);
        Canvas->FillRect(Bounds(0, 0, 400, 200));
    }
    TResult Measure(const std::string& text, TRect rect = {0, 0, 400, 200}) {
        TOptions o;
        o.Rect = rect;
        o.MeasureOnly = true;
        o.KeepColors = true;
        return Render(*Canvas, text, o);
    }
    int32_t TextWidth(const std::string& s) { return Canvas->TextWidth(s); }
    int32_t LineHeight() { return Canvas->TextHeight("gh"); }

    std::unique_ptr<TBitmap> Bitmap;
    TCanvas* Canvas = nullptr;
};

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("vshtml_" + std::to_string(::getpid()) + "_" + name)).string();
}

}  // namespace

TEST(HtmlColors, NamesAndHexValues) {
    EXPECT_EQ(HTMLColorByName("clred"), clRed);
    EXPECT_EQ(HTMLColorByName("clnavy"), 0x800000);
    EXPECT_EQ(HTMLColorByName("clbtnface"), clBtnFace);
    EXPECT_EQ(HTMLColorByName("clinfobk"), static_cast<TColor>(0x80000000u + 24));
    EXPECT_EQ(HTMLColorByName("nosuchcolour"), clBlack);
    struct Row {
        const char* value;
        TColor color;
    } rows[] = {
        {"#FF0000", clRed},  {"#ff8000", RGB(255, 128, 0)}, {"#0000FF", clBlue}, {"#12", clBlack},
        {"#GG0000", clBlack}, {"#", clBlack},               {"", clBlack},       {"#00FF00trailing", clLime},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.value);
        EXPECT_EQ(HTMLHexColor(r.value), r.color);
    }
}

TEST_F(HtmlBitmap, BoldIsWiderThanPlain) {
    TResult plain = Measure("Hello wide world");
    TResult bold = Measure("<B>Hello wide world</B>");
    EXPECT_GT(bold.Width, plain.Width);
    EXPECT_EQ(bold.Height, plain.Height);
    // Bold ends at its closing tag.
    TResult half = Measure("<B>Hello</B> wide world");
    EXPECT_GT(half.Width, plain.Width);
    EXPECT_LT(half.Width, bold.Width);
}

TEST_F(HtmlBitmap, LineBreakDoublesTheHeight) {
    TResult one = Measure("x");
    TResult two = Measure("x<BR>y");
    EXPECT_EQ(one.Height, LineHeight());
    EXPECT_EQ(two.Height, 2 * one.Height);
    EXPECT_EQ(two.Plain, "x\ry");
}

TEST_F(HtmlBitmap, OnlyTagsOrNothingIsOneLineHigh) {
    EXPECT_EQ(Measure("<B></B><I></I>").Height, LineHeight());
    EXPECT_EQ(Measure("").Height, LineHeight());
    EXPECT_EQ(Measure("").Width, 0);
}

TEST_F(HtmlBitmap, ListItemsIndentByTwelvePixelsAndTakeALineEach) {
    TResult plain = Measure("item");
    TResult item = Measure("<UL><LI>item</UL>");
    EXPECT_EQ(item.Width, plain.Width + 12);
    TResult nested = Measure("<UL><UL><LI>item</UL></UL>");
    EXPECT_EQ(nested.Width, plain.Width + 24);
    TResult two = Measure("<UL><LI>one<LI>two</UL>");
    EXPECT_EQ(two.Height, 2 * LineHeight());

    // Drawn: the text starts 12 pixels further right, the bullet lies in
    // the indent.
    Render(*Canvas, "item");
    TRect textOnly = InkBox(*Bitmap, Dark);
    Clear();
    Render(*Canvas, "<UL><LI>item</UL>");
    TRect right = Bounds(textOnly.Left + 12 - 1, 0, 300, 100);
    TRect shifted = InkBox(*Bitmap, Dark, &right);
    EXPECT_EQ(shifted.Left, textOnly.Left + 12);
    TRect indent = Bounds(0, 0, textOnly.Left + 11, 100);
    EXPECT_FALSE(IsRectEmpty(InkBox(*Bitmap, NotWhite, &indent))) << "a bullet in the indent";
}

TEST_F(HtmlBitmap, FontColorPaintsRedUnlessColorsAreKept) {
    for (const char* text : {"<FONT color=\"clRed\">Red text</FONT>", "<FONT color=\"#FF0000\">Red text</FONT>"}) {
        SCOPED_TRACE(text);
        Clear();
        Render(*Canvas, text);
        EXPECT_FALSE(IsRectEmpty(InkBox(*Bitmap, Reddish)));
        Clear();
        TOptions keep;
        keep.KeepColors = true;
        Render(*Canvas, text, keep);
        EXPECT_TRUE(IsRectEmpty(InkBox(*Bitmap, Reddish)));
        EXPECT_FALSE(IsRectEmpty(InkBox(*Bitmap, Dark)));
    }
    Clear();
    Render(*Canvas, "Black text");
    EXPECT_TRUE(IsRectEmpty(InkBox(*Bitmap, Reddish)));
}

TEST_F(HtmlBitmap, MalformedHexColourGivesBlack) {
    Render(*Canvas, "<FONT color=\"#zz\">Text</FONT>");
    EXPECT_TRUE(IsRectEmpty(InkBox(*Bitmap, Reddish)));
    EXPECT_FALSE(IsRectEmpty(InkBox(*Bitmap, Dark)));
}

TEST_F(HtmlBitmap, FontBackgroundFillsBehindTheText) {
    Render(*Canvas, "<FONT bgcolor=\"clRed\">on red</FONT> plain");
    TRect red = InkBox(*Bitmap, Reddish);
    ASSERT_FALSE(IsRectEmpty(red));
    EXPECT_LE(red.Right, 1 + TextWidth("on red") + 2) << "the background ends with the FONT tag";
}

TEST_F(HtmlBitmap, AnchorUnderThePointIsFound) {
    const std::string text = "go <A href=\"http://example.org\">here</A> now";
    const int32_t th = LineHeight();
    TOptions o;
    o.CheckOnly = true;
    o.KeepColors = true;
    o.X = 1 + TextWidth("go ") + TextWidth("here") / 2;
    o.Y = th / 2;
    TResult hit = Render(*Canvas, text, o);
    EXPECT_TRUE(hit.Hit);
    EXPECT_EQ(hit.Anchor, "http://example.org");

    o.X = 1 + TextWidth("g");
    TResult miss = Render(*Canvas, text, o);
    EXPECT_FALSE(miss.Hit);
    EXPECT_EQ(miss.Anchor, "");

    o.X = 1 + TextWidth("go ") + TextWidth("here") / 2;
    o.Y = th * 3;  // below the line
    EXPECT_FALSE(Render(*Canvas, text, o).Hit);

    EXPECT_TRUE(IsRectEmpty(InkBox(*Bitmap, NotWhite))) << "hit-testing draws nothing";
}

TEST_F(HtmlBitmap, AnchorsAreUnderlinedInTheURLColor) {
    TRecordingCanvas rec(96, 96, {400, 200});
    SetUpFont(rec);
    Render(rec, "a <A href=\"x\">link</A> b");
    bool sawLink = false;
    for (const TRecordedCall& call : rec.Calls(TRecordedKind::TextOut)) {
        if (call.Text.find("link") == std::string::npos) {
            EXPECT_EQ(call.Font.Color, clBlack) << call.Text;
            continue;
        }
        sawLink = true;
        EXPECT_EQ(call.Font.Color, clBlue);
        EXPECT_TRUE(call.Font.Style & fsUnderline);
    }
    EXPECT_TRUE(sawLink);
}

TEST_F(HtmlBitmap, MeasuringIgnoresTheRectangleBottom) {
    const std::string text = "one<BR>two<BR>three<BR>four";
    TRect shallow{0, 0, 400, 5};
    TResult measured = Measure(text, shallow);
    EXPECT_EQ(measured.Height, 4 * LineHeight());
    EXPECT_EQ(measured.Plain, "one\rtwo\rthree\rfour");
    EXPECT_TRUE(IsRectEmpty(InkBox(*Bitmap, NotWhite))) << "measuring draws nothing";

    TOptions draw;
    draw.Rect = shallow;
    TResult drawn = Render(*Canvas, text, draw);
    EXPECT_EQ(drawn.Height, LineHeight()) << "drawing stops at the bottom";
}

TEST_F(HtmlBitmap, WordsWrapAndALongWordTakesItsOwnLine) {
    int32_t w = TextWidth("alpha ") + 4;
    TResult wrapped = Measure("alpha beta", {0, 0, w, 100});
    EXPECT_EQ(wrapped.Height, 2 * LineHeight());
    EXPECT_EQ(wrapped.Plain, "alpha beta") << "each word once";

    TResult longWord = Measure("a incomprehensibilities", {0, 0, TextWidth("a ") + 6, 100});
    EXPECT_EQ(longWord.Height, 2 * LineHeight());
    EXPECT_EQ(longWord.Width, TextWidth("incomprehensibilities")) << "it overflows the rectangle";

    TResult single = Measure("incomprehensibilities", {0, 0, 20, 100});
    EXPECT_EQ(single.Height, LineHeight());
}

TEST_F(HtmlBitmap, TrailingBlankIsNotCounted) {
    EXPECT_EQ(Measure("word ").Width, TextWidth("word"));
    EXPECT_EQ(Measure("two words").Width, TextWidth("two words"));
}

TEST_F(HtmlBitmap, Entities) {
    struct Row {
        const char* text;
        const char* plain;
    } rows[] = {
        {"&lt;b&gt;", "<b>"},
        {"&LT;x&Gt;", "<x>"},
        {"&amp;lt;", "&lt;"},
        {"&quot;q&quot;", "\"q\""},
        {"a&b &nbsp; &", "a&b &nbsp; &"},
        {"&gt;a&lt;", ">a<"},  // in text order
        {"&lt;&lt;&lt;abcdefghijklmnop", "<<<abcdefghijklmnop"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(Measure(r.text).Plain, r.plain);
    }
}

TEST_F(HtmlBitmap, SubscriptAndSuperscriptAddRoom) {
    int32_t th = LineHeight();
    EXPECT_EQ(Measure("H<SUB>2</SUB>O").Height, th + th / 4);
    EXPECT_EQ(Measure("x<SUP>2</SUP>").Height, th + th / 4);
    EXPECT_EQ(Measure("x<SUP>2</SUP>y<SUB>3</SUB>").Height, th + 2 * (th / 4));
}

TEST_F(HtmlBitmap, RightAlignedParagraphEndsAtTheRight) {
    Render(*Canvas, "<P align=\"right\">end</P>", {});
    TRect ink = InkBox(*Bitmap, Dark);
    ASSERT_FALSE(IsRectEmpty(ink));
    EXPECT_GT(ink.Left, 300);
    EXPECT_LE(ink.Right, 400);
    Clear();
    Render(*Canvas, "<P align=\"center\">mid</P>", {});
    ink = InkBox(*Bitmap, Dark);
    EXPECT_NEAR((ink.Left + ink.Right) / 2, 200, 6);
}

TEST_F(HtmlBitmap, BlinkingTextTakesTheBrushColourWhenOff) {
    TOptions off;
    off.BlinkOn = false;
    Render(*Canvas, "<BLINK>blink</BLINK>", off);
    EXPECT_TRUE(IsRectEmpty(InkBox(*Bitmap, Dark)));
    Render(*Canvas, "<BLINK>blink</BLINK>");
    EXPECT_FALSE(IsRectEmpty(InkBox(*Bitmap, Dark)));
}

TEST_F(HtmlBitmap, ShadowIsDrawnFirstInGray) {
    TRecordingCanvas rec(96, 96, {400, 200});
    SetUpFont(rec);
    Render(rec, "<SHAD>x</SHAD>");
    auto texts = rec.Calls(TRecordedKind::TextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Font.Color, clGray);
    EXPECT_EQ(texts[1].Font.Color, clBlack);
    EXPECT_EQ(texts[0].Anchor.X, texts[1].Anchor.X + 1);
    EXPECT_EQ(texts[0].Anchor.Y, texts[1].Anchor.Y + 1);
}

TEST_F(HtmlBitmap, CanvasStateIsRestored) {
    Canvas->Font()->SetStyle(fsItalic);
    Canvas->Brush()->SetColor(clYellow);
    Render(*Canvas, "<B><U>x <FONT face=\"Courier New\" size=\"20\" color=\"clRed\" bgcolor=\"clLime\">y");
    EXPECT_EQ(Canvas->Font()->Style(), fsItalic);
    EXPECT_EQ(Canvas->Font()->Name(), "Arial");
    EXPECT_EQ(Canvas->Font()->Height(), -16);
    EXPECT_EQ(Canvas->Font()->Color(), clBlack);
    EXPECT_EQ(Canvas->Brush()->Color(), clYellow);
    EXPECT_EQ(Canvas->Brush()->Style(), bsSolid);
}

TEST_F(HtmlBitmap, HorizontalRuleEndsTheLine) {
    EXPECT_EQ(Measure("above<HR>below").Height, 2 * LineHeight());
    Render(*Canvas, "<HR>");
    TRect ink = InkBox(*Bitmap, Dark);
    ASSERT_FALSE(IsRectEmpty(ink));
    EXPECT_EQ(ink.Height(), 1);
    EXPECT_GT(ink.Width(), 390);
}

TEST_F(HtmlBitmap, IndentMovesTheText) {
    TResult r = Measure("<IND x=\"50\">text");
    EXPECT_EQ(r.Width, 50 + TextWidth("text"));
}

class HtmlImages : public HtmlBitmap {
protected:
    void SetUp() override {
        HtmlBitmap::SetUp();
        List = std::make_unique<TImageList>(nullptr, 16, 16);
        TBitmap red(16, 16);
        red.Canvas()->Brush()->SetColor(clRed);
        red.Canvas()->FillRect(Bounds(0, 0, 16, 16));
        List->Add(red, false);
    }
    std::unique_ptr<TImageList> List;
};

TEST_F(HtmlImages, IndexImagesTakeRoomOnlyWhenTheyExist) {
    TOptions o;
    o.MeasureOnly = true;
    o.Images = List.get();
    int32_t ab = TextWidth("ab");
    struct Row {
        const char* text;
        int32_t extra;
    } rows[] = {
        {"<IMG src=\"idx:0\">ab", 16}, {"<IMG src=\"idx:1\">ab", 0},     {"<IMG src=\"idx:-1\">ab", 0},
        {"<IMG src=\"idx:x\">ab", 0},  {"<IMG src=\"ssys:3\">ab", 0},    {"<IMG src=\"lsys:/tmp\">ab", 0},
        {"<IMG src=\"res://nothing\">ab", 0}, {"<IMG src=\"file:///no/such.bmp\">ab", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(Render(*Canvas, r.text, o).Width, ab + r.extra);
    }
    o.Images = nullptr;
    EXPECT_EQ(Render(*Canvas, "<IMG src=\"idx:0\">ab", o).Width, ab);

    o.Images = List.get();
    o.Stretch = true;
    o.Scale = 2.0;
    TResult big = Render(*Canvas, "<IMG src=\"idx:0\">", o);
    EXPECT_EQ(big.Width, 32);
    EXPECT_EQ(big.Height, std::max(32, LineHeight()));
}

TEST_F(HtmlImages, IndexImageIsDrawnAtTheLineStart) {
    TOptions o;
    o.Images = List.get();
    Render(*Canvas, "<IMG src=\"idx:0\">", o);
    TRect red = InkBox(*Bitmap, Reddish);
    EXPECT_EQ(red, Bounds(1, 0, 16, 16));
}

TEST_F(HtmlImages, AnchorImageIsHit) {
    TOptions o;
    o.Images = List.get();
    o.CheckOnly = true;
    o.X = 8;
    o.Y = std::max(16, LineHeight()) - 3;
    TResult r = Render(*Canvas, "<A href=\"pic\"><IMG src=\"idx:0\"></A>", o);
    EXPECT_TRUE(r.Hit);
    EXPECT_EQ(r.Anchor, "pic");
}

TEST_F(HtmlImages, FileAndResourceBitmaps) {
    TBitmap green(10, 6);
    green.Canvas()->Brush()->SetColor(clLime);
    green.Canvas()->FillRect(Bounds(0, 0, 10, 6));
    std::string path = TempPath("green.bmp");
    green.SaveToFile(path);
    std::string garbage = TempPath("garbage.bmp");
    {
        FILE* f = std::fopen(garbage.c_str(), "wb");
        std::fputs("this is no bitmap", f);
        std::fclose(f);
    }
    RegisterHTMLResourceBitmap("Green", green);

    int32_t ab = TextWidth("ab");
    struct Row {
        std::string text;
        int32_t extra;
    } rows[] = {
        {"<IMG src=\"file://" + path + "\">ab", 10},
        {"<IMG src=\"file://" + garbage + "\">ab", 0},
        {"<IMG src=\"res://GREEN\">ab", 10},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(Measure(r.text).Width, ab + r.extra);
        Clear();
        EXPECT_NO_THROW(Render(*Canvas, r.text));
        EXPECT_EQ(IsRectEmpty(InkBox(*Bitmap, [](TColor c) { return (c & 0xFFFFFF) == clLime; })), r.extra == 0);
    }
    // An unreadable background draws nothing and raises nothing.
    Clear();
    EXPECT_NO_THROW(Render(*Canvas, "<BODY background=\"file://" + garbage + "\">x"));
    // A readable one is tiled over the rectangle.
    Clear();
    TOptions small;
    small.Rect = {0, 0, 25, 13};
    Render(*Canvas, "<BODY background=\"file://" + path + "\">", small);
    EXPECT_EQ(InkBox(*Bitmap, [](TColor c) { return (c & 0xFFFFFF) == clLime; }), (TRect{0, 0, 25, 13}));

    UnregisterHTMLResourceBitmap("green");
    EXPECT_EQ(Measure("<IMG src=\"res://GREEN\">ab").Width, ab);
    std::remove(path.c_str());
    std::remove(garbage.c_str());
}

TEST_F(HtmlImages, ImageThatDoesNotFitStartsTheNextLine) {
    TOptions o;
    o.MeasureOnly = true;
    o.Images = List.get();
    o.Rect = {0, 0, TextWidth("ab") + 10, 100};
    TResult r = Render(*Canvas, "ab<IMG src=\"idx:0\">", o);
    EXPECT_EQ(r.Height, LineHeight() + std::max(16, LineHeight()));
    EXPECT_EQ(r.Width, TextWidth("ab"));
}

TEST_F(HtmlBitmap, BackgroundsFillTheirLines) {
    Render(*Canvas, "<P bgcolor=\"clRed\">a<BR>b</P>after");
    TRect red = InkBox(*Bitmap, Reddish);
    EXPECT_EQ(red, (TRect{0, 0, 400, 2 * LineHeight()})) << "both lines of the paragraph, across the rectangle";

    Clear();
    TOptions small;
    small.Rect = {10, 10, 60, 40};
    Render(*Canvas, "<BODY bgcolor=\"#FF0000\">", small);
    EXPECT_EQ(InkBox(*Bitmap, Reddish), small.Rect);
}

TEST_F(HtmlBitmap, TurnedShiftedAndStyledTextIsRecorded) {
    TRecordingCanvas rec(96, 96, {400, 200});
    SetUpFont(rec);
    Render(rec, "H<SUB>2</SUB>O <R a=\"90\">up</R> <S>gone</S> <I>it</I>");
    auto texts = rec.Calls(TRecordedKind::TextOut);
    auto find = [&](const std::string& s) {
        for (const TRecordedCall& c : texts)
            if (c.Text.find(s) != std::string::npos) return c;
        ADD_FAILURE() << "no text " << s;
        return TRecordedCall{};
    };
    EXPECT_GT(find("2").Anchor.Y, find("H").Anchor.Y) << "the subscript sits lower";
    EXPECT_EQ(find("up").Font.Escapement, 900);
    EXPECT_EQ(find("O").Font.Escapement, 0);
    EXPECT_TRUE(find("gone").Font.Style & fsStrikeOut);
    EXPECT_TRUE(find("it").Font.Style & fsItalic);
    EXPECT_FALSE(find("it").Font.Style & fsStrikeOut);
}

TEST_F(HtmlBitmap, UnclosedTagConsumesTheRest) {
    EXPECT_EQ(Measure("a<B never closed").Plain, "a");
    EXPECT_EQ(Measure("a<B never closed").Width, TextWidth("a"));
}

TEST_F(HtmlImages, TagSoupNeverHangsAndLeavesTheCanvasAsItWas) {
    static const char* pieces[] = {"<B>", "</B>", "<I>", "</I>", "<U>", "</U>", "<S>", "</S>", "<UL>", "</UL>",
                                   "<LI>", "<BR>", "<HR>", "<P align=\"right\">", "<P bgcolor=\"clRed\">", "</P>",
                                   "<FONT size=\"30\" color=\"#00FF00\" bgcolor=\"clAqua\">", "</FONT>", "<A href=\"u\">",
                                   "</A>", "<IMG src=\"idx:0\" align=\"top\">", "<IMG src=\"idx:0\" align=\"middle\">",
                                   "<SUB>", "</SUB>", "<SUP>", "</SUP>", "<SHAD>", "</SHAD>", "<R a=\"45\">", "</R>",
                                   "<IND x=\"300\">", "<BLINK>", "</BLINK>", "&amp;", "&lt;", "word ", "longerword",
                                   " ", "<", ">", "<BODY bgcolor=\"clYellow\">", "\t", "&"};
    std::mt19937 rng(99);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1), len(0, 40), width(0, 120);
    for (int i = 0; i < 300; ++i) {
        std::string text;
        for (size_t n = len(rng); n > 0; --n) text += pieces[pick(rng)];
        SCOPED_TRACE(text);
        TOptions o;
        o.Images = List.get();
        o.Rect = {0, 0, static_cast<int32_t>(width(rng)), 60};
        o.X = 20;
        o.Y = 8;
        o.MeasureOnly = i % 3 == 0;
        o.CheckOnly = i % 3 == 1;
        TResult r = Render(*Canvas, text, o);
        EXPECT_GE(r.Height, LineHeight() / 2);
        EXPECT_GE(r.Width, 0);
        ASSERT_EQ(Canvas->Font()->Height(), -16);
        ASSERT_EQ(Canvas->Font()->Style(), 0);
        ASSERT_EQ(Canvas->Font()->Orientation(), 0);
        ASSERT_EQ(Canvas->Brush()->Color(), clWhite);
    }
}
