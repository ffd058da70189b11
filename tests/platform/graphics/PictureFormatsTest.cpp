#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "platform/graphics/GraphicsConst.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/RecordingDevice.h"
#include "platform/graphics/Tiff.h"
#include "tests/platform/graphics/TestImages.h"

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace {

std::string Bytes(TGraphic& g) {
    TMemoryStream s;
    g.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// A picture with flat areas: what a barcode image is.
std::unique_ptr<TBitmap> Sample(int dpi = 300) {
    auto b = WhiteBitmap(64, 40, dpi);
    b->Canvas()->Brush()->SetColor(clBlack);
    b->Canvas()->FillRect({4, 4, 12, 36});
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect({30, 4, 60, 20});
    return b;
}

// ---------------------------------------------------------------- JPEG

TEST(Jpeg, RoundTripKeepsSizeResolutionAndColoursClosely) {
    auto b = Sample();
    TJPEGImage jpeg;
    jpeg.Assign(b.get());
    jpeg.SetCompressionQuality(95);
    std::string bytes = Bytes(jpeg);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    TStringStream in(bytes);
    TJPEGImage back;
    back.LoadFromStream(in);
    EXPECT_EQ(back.Width(), 64);
    EXPECT_EQ(back.Height(), 40);
    EXPECT_EQ(back.ResolutionX(), 300);
    // Unchanged, it saves the bytes it read.
    EXPECT_EQ(Bytes(back), bytes);
    TColor black = back.Bitmap()->Canvas()->Pixel(8, 20), red = back.Bitmap()->Canvas()->Pixel(45, 12);
    EXPECT_LT(GetRValue(black) + GetGValue(black) + GetBValue(black), 40);
    EXPECT_GT(GetRValue(red), 220);
    EXPECT_LT(GetGValue(red), 40);
    // Handing out the pixels for change means compressing them again.
    EXPECT_NE(Bytes(back), bytes);
}

TEST(Jpeg, QualityAndGreyscaleChangeTheFile) {
    auto b = Sample();
    b->Canvas()->Font()->SetHeight(20);
    b->Canvas()->TextOut(10, 10, "Varsona 123");
    TJPEGImage jpeg;
    jpeg.Assign(b.get());
    jpeg.SetCompressionQuality(10);
    size_t low = Bytes(jpeg).size();
    jpeg.SetCompressionQuality(100);
    size_t high = Bytes(jpeg).size();
    EXPECT_LT(low, high);
    jpeg.SetGrayscale(true);
    TStringStream in(Bytes(jpeg));
    TJPEGImage grey;
    grey.LoadFromStream(in);
    EXPECT_TRUE(grey.Grayscale());
    EXPECT_EQ(grey.Bitmap()->PixelFormat(), pf8bit);
    TBitmap out;
    out.Assign(&grey);
    EXPECT_EQ(out.Width(), 64);
}

TEST(Jpeg, DamagedDataRaisesLibjpegsNumber) {
    TStringStream garbage(std::string("GIF89a and more bytes"));
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromStream(garbage);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), FmtMsg(GraphicsConst::SJPEGError, JERR_NO_SOI));
        EXPECT_EQ(e.Message().rfind("JPEG error #", 0), 0u);
    }
    // A truncated file still gives a picture of its full size.
    auto b = Sample();
    TJPEGImage whole;
    whole.Assign(b.get());
    std::string bytes = Bytes(whole);
    TStringStream cut(bytes.substr(0, bytes.size() / 2));
    TJPEGImage part;
    part.LoadFromStream(cut);
    EXPECT_EQ(part.Width(), 64);
    TJPEGImage empty;
    TMemoryStream sink;
    EXPECT_THROW(empty.SaveToStream(sink), EInvalidGraphic);
}

// ---------------------------------------------------------------- TIFF

TEST(Tiff, WritesBaselineRgbWithResolution) {
    auto b = Sample(600);
    TTiffImage tiff;
    tiff.Assign(b.get());
    std::string bytes = Bytes(tiff);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("II*\0", 4));
    TStringStream in(bytes);
    TTiffImage back;
    back.LoadFromStream(in);
    EXPECT_EQ(back.Bitmap()->ResolutionX(), 600);
    ASSERT_EQ(back.Width(), 64);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(back.Bitmap()->Canvas()->Pixel(x, y), b->Canvas()->Pixel(x, y));
}

TEST(Tiff, RefusesWhatItCannotRead) {
    for (std::string bad : {std::string("II*\0\x08\0\0\0", 8), std::string("nonsense"), std::string("MM\0*\0\0\0\x08\0\x01", 10)}) {
        TStringStream in(bad);
        TTiffImage tiff;
        try {
            tiff.LoadFromStream(in);
            FAIL();
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), GraphicsConst::SInvalidTiff);
        }
    }
}

// ---------------------------------------------------------------- metafiles

// What a barcode draw puts on a canvas: bars, and rotated centred text.
void DrawSymbol(TCanvas& c) {
    c.Brush()->SetColor(clBlack);
    c.FillRect({10, 10, 14, 90});
    c.FillRect({20, 10, 28, 90});
    c.Brush()->SetStyle(bsClear);
    c.SetBkMode(TRANSPARENT);
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(18);
    c.Font()->SetOrientation(900);
    c.Font()->SetColor(clBlue);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    c.TextOut(40, 50, "4711");
}

std::unique_ptr<TMetafile> SymbolMetafile(bool enhanced) {
    auto m = std::make_unique<TMetafile>();
    m->SetWidth(100);
    m->SetHeight(120);
    m->SetEnhanced(enhanced);
    {
        TMetafileCanvas canvas(*m, 300);
        DrawSymbol(canvas);
    }
    return m;
}

// A reader of enhanced metafile records written from the format's
// description, independent of the writer.
struct EmfRecord {
    uint32_t Type;
    std::string Data;  // without type and size
    uint32_t U32(size_t at) const {
        uint32_t v;
        std::memcpy(&v, Data.data() + at, 4);
        return v;
    }
    int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
};

std::vector<EmfRecord> ParseEmf(const std::string& bytes) {
    std::vector<EmfRecord> out;
    size_t pos = 0;
    while (pos + 8 <= bytes.size()) {
        uint32_t type, size;
        std::memcpy(&type, bytes.data() + pos, 4);
        std::memcpy(&size, bytes.data() + pos + 4, 4);
        EXPECT_GE(size, 8u);
        EXPECT_EQ(size % 4, 0u) << "record " << type;
        if (size < 8 || pos + size > bytes.size()) {
            ADD_FAILURE() << "record overruns the file";
            break;
        }
        out.push_back({type, bytes.substr(pos + 8, size - 8)});
        pos += size;
        if (type == 14) break;
    }
    EXPECT_EQ(pos, bytes.size());
    return out;
}

TEST(Metafile, EnhancedRecordsParseIndependently) {
    auto m = SymbolMetafile(true);
    EXPECT_EQ(m->Inch(), 300);
    EXPECT_EQ(m->MMWidth(), 847);  // 100 px at 300 dpi in 0.01 mm
    EXPECT_EQ(m->MMHeight(), 1016);
    std::string bytes = Bytes(*m);
    std::vector<EmfRecord> records = ParseEmf(bytes);
    ASSERT_GE(records.size(), 3u);
    const EmfRecord& header = records.front();
    ASSERT_EQ(header.Type, 1u);
    EXPECT_EQ(header.U32(32), 0x464D4520u);                 // " EMF"
    EXPECT_EQ(header.U32(40), bytes.size());                // bytes
    EXPECT_EQ(header.U32(44), records.size());              // records
    EXPECT_EQ(header.I32(16), 0);                           // frame in 0.01 mm
    EXPECT_EQ(header.I32(24), 847);
    EXPECT_EQ(header.I32(28), 1016);
    EXPECT_EQ(header.I32(8), 99);                           // bounds, inclusive
    double dpi = header.I32(64) * 25.4 / header.I32(72);   // reference device and its millimetres
    EXPECT_NEAR(dpi, 300, 0.1);
    EXPECT_EQ(records.back().Type, 14u);

    std::vector<std::vector<int32_t>> rectangles;
    std::map<uint32_t, int> counts;
    for (const EmfRecord& r : records) {
        ++counts[r.Type];
        if (r.Type == 43) rectangles.push_back({r.I32(0), r.I32(4), r.I32(8), r.I32(12)});
        if (r.Type == 82) {  // font
            EXPECT_EQ(r.I32(4), 18);     // height
            EXPECT_EQ(r.I32(12), 900);   // escapement
            std::u16string face;
            for (size_t i = 0; i < 32; ++i) {
                char16_t c;
                std::memcpy(&c, r.Data.data() + 4 + 28 + 2 * i, 2);
                if (!c) break;
                face.push_back(c);
            }
            EXPECT_EQ(face, u"Arial");
        }
        if (r.Type == 84) {  // text
            EXPECT_EQ(r.I32(28), 40);
            EXPECT_EQ(r.I32(32), 50);
            uint32_t n = r.U32(36), off = r.U32(40);
            ASSERT_EQ(n, 4u);
            std::u16string text(n, u'\0');
            std::memcpy(text.data(), r.Data.data() + off - 8, 2 * n);
            EXPECT_EQ(text, u"4711");
            uint32_t offDx = r.U32(64);
            int32_t total = 0;
            for (uint32_t i = 0; i < n; ++i) {
                int32_t dx;
                std::memcpy(&dx, r.Data.data() + offDx - 8 + 4 * i, 4);
                total += dx;
            }
            TDeviceFont f;
            f.Name = "Arial";
            f.Height = 18;
            EXPECT_NEAR(total, MeasureText("4711", f, 300).cx, 1);
        }
        if (r.Type == 22) {
            EXPECT_EQ(r.U32(0), TA_CENTER | TA_TOP);
        }
        if (r.Type == 24) {
            EXPECT_EQ(r.U32(0), static_cast<uint32_t>(clBlue));
        }
        if (r.Type == 18) {
            EXPECT_EQ(r.U32(0), 1u);  // transparent
        }
    }
    // Filled without a pen, so one pixel larger than the bars.
    EXPECT_EQ(rectangles, (std::vector<std::vector<int32_t>>{{10, 10, 15, 91}, {20, 10, 29, 91}}));
    EXPECT_EQ(counts[84], 1);
    EXPECT_EQ(counts[82], 1);
}

TEST(Metafile, PlaceableWindowsMetafileHeader) {
    auto m = SymbolMetafile(false);
    std::string bytes = Bytes(*m);
    auto u16 = [&](size_t at) { return uint32_t(uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8)); };
    auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
    EXPECT_EQ(u32(0), 0x9AC6CDD7u);
    EXPECT_EQ(u16(10), 100u);  // box right
    EXPECT_EQ(u16(12), 120u);  // box bottom
    EXPECT_EQ(u16(14), 300u);  // units per inch
    uint32_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= u16(i);
    EXPECT_EQ(u16(20), sum);
    EXPECT_EQ(u16(22), 1u);
    EXPECT_EQ(u16(24), 9u);
    EXPECT_EQ(u32(28) * 2, bytes.size() - 22);  // size in words
    // Records chain to the end record.
    size_t pos = 40;
    uint32_t last = 0xFFFF;
    int texts = 0, rects = 0;
    while (pos + 6 <= bytes.size()) {
        uint32_t words = u32(pos);
        last = u16(pos + 4);
        ASSERT_GE(words, 3u);
        if (last == 0x0A32) ++texts;
        if (last == 0x041B) ++rects;
        pos += words * 2;
        if (last == 0) break;
    }
    EXPECT_EQ(last, 0u);
    EXPECT_EQ(pos, bytes.size());
    EXPECT_EQ(texts, 1);
    EXPECT_EQ(rects, 2);
}

class MetafileRoundTrip : public ::testing::TestWithParam<bool> {};

// Read back, a metafile draws what the canvas was given.
TEST_P(MetafileRoundTrip, LoadedRecordsDrawTheSameCalls) {
    auto m = SymbolMetafile(GetParam());
    TStringStream in(Bytes(*m));
    TMetafile back;
    back.LoadFromStream(in);
    EXPECT_EQ(back.Enhanced(), GetParam());
    EXPECT_EQ(back.Width(), 100);
    EXPECT_EQ(back.Height(), 120);
    EXPECT_EQ(back.Inch(), 300);
    EXPECT_EQ(back.MMWidth(), 847);
    EXPECT_EQ(back.RecordCount(), 3);

    TRecordingCanvas direct(300, 300);
    DrawSymbol(direct);
    TRecordingCanvas replay(300, 300);
    replay.Draw(0, 0, &back);
    auto a = direct.Calls(TRecordedKind::FillRect), b = replay.Calls(TRecordedKind::FillRect);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].Rect, b[i].Rect);
        EXPECT_EQ(a[i].Brush.Color, b[i].Brush.Color);
    }
    auto ta = direct.Calls(TRecordedKind::TextOut), tb = replay.Calls(TRecordedKind::TextOut);
    ASSERT_EQ(tb.size(), 1u);
    EXPECT_EQ(tb[0].Text, "4711");
    EXPECT_EQ(tb[0].Anchor, ta[0].Anchor);
    EXPECT_EQ(tb[0].Align, ta[0].Align);
    EXPECT_EQ(tb[0].Font.Height, 18);
    EXPECT_EQ(tb[0].Font.Escapement, 900);
    EXPECT_EQ(tb[0].Font.Color, clBlue);
    EXPECT_EQ(tb[0].Font.Name, "Arial");
    EXPECT_FALSE(tb[0].Opaque);

    // Stretched to twice the size.
    TRecordingCanvas stretched(300, 300);
    stretched.StretchDraw({0, 0, 200, 240}, &back);
    EXPECT_EQ(stretched.Calls(TRecordedKind::FillRect)[0].Rect, (TRect{20, 20, 28, 180}));
    EXPECT_EQ(stretched.Calls(TRecordedKind::TextOut)[0].Font.Height, 36);
}

INSTANTIATE_TEST_SUITE_P(Metafile, MetafileRoundTrip, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "Emf" : "Wmf"); });

TEST(Metafile, SizeFromTheDrawingAndFileExtensionPicksTheFormat) {
    TMetafile m;
    {
        TMetafileCanvas canvas(m);
        canvas.Brush()->SetColor(clBlack);
        canvas.FillRect({5, 5, 50, 30});
    }
    EXPECT_EQ(m.Width(), 50);
    EXPECT_EQ(m.Height(), 30);
    EXPECT_EQ(m.Inch(), 96);
    std::string dir = TestFolder();
    m.SaveToFile(dir + "a.wmf");
    EXPECT_FALSE(m.Enhanced());
    EXPECT_EQ(ReadFileBytes(dir + "a.wmf").substr(0, 4), "\xD7\xCD\xC6\x9A");
    m.SaveToFile(dir + "a.emf");
    EXPECT_TRUE(m.Enhanced());
    TPicture picture;
    picture.LoadFromFile(dir + "a.wmf");
    EXPECT_NE(dynamic_cast<TMetafile*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 50);
    TStringStream bad(std::string("not a metafile at all"));
    EXPECT_THROW(m.LoadFromStream(bad), EInvalidGraphic);
}

TEST(PictureFormats, RegistryOffersTheSaveAsImageFormats) {
    for (const char* ext : {"bmp", "jpg", "jpeg", "tif", "tiff", "wmf", "emf"}) EXPECT_TRUE(TPicture::SupportsExtension(ext)) << ext;
    std::string filter = TPicture::GraphicFilter();
    EXPECT_NE(filter.find("JPEG Image File (*.jpg)|*.jpg"), std::string::npos);
    EXPECT_NE(filter.find("Enhanced Metafiles (*.emf)|*.emf"), std::string::npos);
    std::string dir = TestFolder();
    auto b = Sample();
    TJPEGImage jpeg;
    jpeg.Assign(b.get());
    jpeg.SaveToFile(dir + "x.jpg");
    TTiffImage tiff;
    tiff.Assign(b.get());
    tiff.SaveToFile(dir + "x.tif");
    TPicture p;
    p.LoadFromFile(dir + "x.jpg");
    EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);
    p.LoadFromFile(dir + "x.tif");
    EXPECT_NE(dynamic_cast<TTiffImage*>(p.Graphic()), nullptr);
    EXPECT_EQ(p.Width(), 64);
    TPicture copy;
    copy.Assign(&p);
    EXPECT_NE(dynamic_cast<TTiffImage*>(copy.Graphic()), nullptr);
}

}  // namespace
