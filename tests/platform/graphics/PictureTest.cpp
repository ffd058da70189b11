#include <gtest/gtest.h>

#include "platform/graphics/GraphicsConst.h"
#include "platform/graphics/RecordingDevice.h"
#include "tests/platform/graphics/TestImages.h"

namespace {

class CountingGraphic : public TGraphic {
public:
    bool Empty() const override { return false; }
    int32_t Width() const override { return 3; }
    int32_t Height() const override { return 2; }
    void Draw(TCanvas& canvas, const TRect& rect) override {
        ++Draws;
        LastRect = rect;
        canvas.FillRect(rect);
    }
    void LoadFromStream(TStream& stream) override { Loaded = true; }
    void SaveToStream(TStream& stream) override { stream.WriteBuffer("xyz", 3); }
    void Assign(const TPersistent* source) override {
        if (auto* g = dynamic_cast<const CountingGraphic*>(source)) Loaded = g->Loaded;
        else TGraphic::Assign(source);
    }
    int Draws = 0;
    TRect LastRect;
    bool Loaded = false;
};

TEST(Picture, RegistryKnowsTheBuiltInFormats) {
    EXPECT_TRUE(TPicture::SupportsExtension("bmp"));
    EXPECT_TRUE(TPicture::SupportsExtension(".BMP"));
    EXPECT_FALSE(TPicture::SupportsExtension("xyz"));
    EXPECT_NE(TPicture::GraphicFilter().find("Bitmaps (*.bmp)|*.bmp"), std::string::npos);
}

TEST(Picture, UnknownExtensionRaises) {
    TPicture picture;
    try {
        picture.LoadFromFile("/tmp/some.XYZ");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
    }
}

TEST(Picture, RegisteredFormatsLoadByExtension) {
    TPicture::RegisterFileFormat("cnt", "Counting", [] { return std::make_unique<CountingGraphic>(); });
    std::string dir = TestFolder();
    WriteFileAtomically(dir + "a.cnt", "abc");
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    picture.LoadFromFile(dir + "a.cnt");
    auto* g = dynamic_cast<CountingGraphic*>(picture.Graphic());
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->Loaded);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_NE(TPicture::GraphicFilter().find("|Counting (*.cnt)|*.cnt"), std::string::npos);
    // A copy is of the same kind, made through the registry.
    TPicture copy;
    copy.Assign(&picture);
    EXPECT_NE(dynamic_cast<CountingGraphic*>(copy.Graphic()), nullptr);
    TPicture::UnregisterFileFormat("CNT");
    EXPECT_FALSE(TPicture::SupportsExtension("cnt"));
}

TEST(Picture, BitmapsLoadSaveAndReplaceOtherGraphics) {
    std::string dir = TestFolder();
    TBitmap b(5, 4);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect({0, 0, 2, 2});
    b.SaveToFile(dir + "b.bmp");
    TPicture picture;
    picture.LoadFromFile(dir + "b.bmp");
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Bitmap()->Canvas()->Pixel(1, 1), clRed);
    picture.SaveToFile(dir + "c.bmp");
    EXPECT_EQ(ReadFileBytes(dir + "c.bmp"), ReadFileBytes(dir + "b.bmp"));
    picture.SetGraphic(std::make_unique<CountingGraphic>());
    EXPECT_TRUE(picture.Bitmap()->Empty());
}

TEST(Picture, CanvasDrawHandsTheGraphicItsRectangle) {
    TRecordingCanvas canvas;
    CountingGraphic g;
    canvas.Draw(10, 20, &g);
    EXPECT_EQ(g.LastRect, (TRect{10, 20, 13, 22}));
    canvas.StretchDraw({0, 0, 30, 40}, &g);
    EXPECT_EQ(g.LastRect, (TRect{0, 0, 30, 40}));
    EXPECT_EQ(g.Draws, 2);
    canvas.Draw(0, 0, nullptr);
}

TEST(ImageList, MasksTheBottomLeftColourAndDrawsAtItsSize) {
    TImageList list(nullptr, 4, 4);
    TBitmap glyph(8, 8);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect({0, 0, 8, 8});
    glyph.Canvas()->Brush()->SetColor(clBlue);
    glyph.Canvas()->FillRect({0, 0, 4, 4});
    EXPECT_EQ(list.Add(glyph), 0);
    EXPECT_EQ(list.Add(glyph, false), 1);
    EXPECT_EQ(list.Count(), 2);

    auto dest = WhiteBitmap(20, 20);
    list.Draw(*dest->Canvas(), 5, 6, 0);
    EXPECT_EQ(CountColor(*dest, clFuchsia), 0);
    EXPECT_EQ(InkBox(*dest), (TRect{5, 6, 7, 8}));
    list.Draw(*dest->Canvas(), 10, 10, 1);
    EXPECT_EQ(CountColor(*dest, clFuchsia), 12);

    auto grey = WhiteBitmap(20, 20);
    list.Draw(*grey->Canvas(), 0, 0, 0, false);
    EXPECT_EQ(CountColor(*grey, clBlue), 0);
    EXPECT_EQ(InkBox(*grey), (TRect{0, 0, 2, 2}));

    TBitmap out;
    list.GetBitmap(1, out);
    EXPECT_EQ(out.Width(), 4);
    EXPECT_EQ(out.Canvas()->Pixel(3, 3), clFuchsia);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.Delete(5), EInvalidOperation);
    list.Draw(*dest->Canvas(), 0, 0, 7);  // beyond the list: nothing
}

}  // namespace
