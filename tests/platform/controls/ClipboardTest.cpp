// The clipboard through the offscreen platform's clipboard: text, rich text
// beside it, bitmaps as PNG and BMP, metafiles, registered formats, and
// sessions that put several formats on it at once.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "platform/controls/Clipbrd.h"
#include "platform/graphics/Metafile.h"

namespace {

const QMimeData* SystemData() { return QGuiApplication::clipboard()->mimeData(); }

std::string SystemBytes(const char* mime) {
    QByteArray b = SystemData()->data(mime);
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

template <class F>
void ExpectClipboardError(F&& f, const std::string& message) {
    try {
        f();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const EClipboardException& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { Clipboard()->Clear(); }
    TClipboard& C() { return *Clipboard(); }
};

// A small bitmap with four colours.
std::unique_ptr<TBitmap> FourColours() {
    auto b = std::make_unique<TBitmap>(3, 2);
    b->Canvas()->SetPixel(0, 0, clRed);
    b->Canvas()->SetPixel(1, 0, clLime);
    b->Canvas()->SetPixel(2, 0, clBlue);
    b->Canvas()->SetPixel(0, 1, clBlack);
    return b;
}

TEST_F(ClipboardTest, TextReplacesWhatWasThere) {
    C().SetAsText("first");
    C().SetFormatData(RegisterClipboardFormat("Rich Text Format"), std::string("{\\rtf1 x}", 9) + '\0');
    C().SetAsText("Gr\xC3\xB6\xC3\x9F" "e\tzwei");
    EXPECT_EQ(C().AsText(), "Gr\xC3\xB6\xC3\x9F" "e\tzwei");
    EXPECT_EQ(SystemData()->text().toStdString(), "Gr\xC3\xB6\xC3\x9F" "e\tzwei");
    EXPECT_TRUE(C().HasFormat(CF_TEXT));
    EXPECT_TRUE(C().HasFormat(CF_UNICODETEXT));
    EXPECT_FALSE(C().HasFormat(RegisterClipboardFormat("Rich Text Format")));
    EXPECT_EQ(C().Formats(), (std::vector<TClipboardFormat>{CF_TEXT, CF_UNICODETEXT}));
}

// The grid copies its block as text, then puts the first cell's rich text
// beside it.
TEST_F(ClipboardTest, GridTextWithRichTextBesideIt) {
    const TClipboardFormat rtf = RegisterClipboardFormat("Rich Text Format");
    const std::string rich = std::string("{\\rtf1 {\\b x}}") + '\0';
    C().SetAsText("a\tb\r\nc\td");
    C().SetFormatData(rtf, rich);
    EXPECT_EQ(C().GetFormatData(CF_TEXT), std::string("a\tb\r\nc\td") + '\0');
    EXPECT_EQ(C().AsText(), "a\tb\r\nc\td");
    EXPECT_EQ(C().GetFormatData(rtf), rich);
    EXPECT_EQ(SystemBytes("text/rtf"), rich);
    EXPECT_EQ(C().Formats(), (std::vector<TClipboardFormat>{CF_TEXT, CF_UNICODETEXT, rtf}));
}

TEST_F(ClipboardTest, ASessionPutsItsFormatsOnTheClipboardAtTheLastClose) {
    C().SetAsText("before");
    const TClipboardFormat gif = RegisterClipboardFormat("GIF Image");
    C().Open();
    C().Open();
    C().Assign(FourColours().get());
    C().SetFormatData(gif, "GIF89a...");
    C().Close();
    EXPECT_TRUE(C().IsOpen());
    EXPECT_EQ(SystemData()->text().toStdString(), "before");
    // Reads inside the session see its writes.
    EXPECT_TRUE(C().HasFormat(gif));
    EXPECT_FALSE(C().HasFormat(CF_TEXT));
    C().Close();
    EXPECT_FALSE(C().IsOpen());
    EXPECT_FALSE(SystemData()->hasText());
    EXPECT_EQ(SystemBytes("image/gif"), "GIF89a...");
    EXPECT_TRUE(SystemData()->hasFormat("image/png"));
    ExpectClipboardError([&] { C().Close(); }, ClipboardConst::SUnbalancedClose);
}

TEST_F(ClipboardTest, BitmapIsOfferedAsPngAndBmp) {
    auto b = FourColours();
    C().Assign(b.get());
    EXPECT_TRUE(C().HasFormat(CF_BITMAP));
    EXPECT_TRUE(C().HasFormat(CF_DIB));
    for (const char* type : {"image/png", "image/bmp"}) {
        SCOPED_TRACE(type);
        QImage image = QImage::fromData(SystemData()->data(type));
        ASSERT_EQ(image.size(), QSize(3, 2));
        EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(image.pixel(1, 0) & 0xFFFFFF, 0x00FF00u);
        EXPECT_EQ(image.pixel(2, 0) & 0xFFFFFF, 0x0000FFu);
        EXPECT_EQ(image.pixel(0, 1) & 0xFFFFFF, 0x000000u);
    }
    EXPECT_EQ(C().GetFormatData(CF_BITMAP).substr(0, 2), "BM");

    TBitmap back;
    ASSERT_TRUE(C().GetBitmap(back));
    EXPECT_EQ(back.Width(), 3);
    EXPECT_EQ(back.Canvas()->Pixel(2, 0), clBlue);
    TBitmap viaAssign;
    viaAssign.Assign(Clipboard());
    EXPECT_EQ(viaAssign.Canvas()->Pixel(1, 0), clLime);
}

TEST_F(ClipboardTest, AnImageFromAnotherProgramReadsAsABitmap) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 128));
    QGuiApplication::clipboard()->setImage(image);
    EXPECT_TRUE(C().HasFormat(CF_BITMAP));
    TBitmap b;
    ASSERT_TRUE(C().GetBitmap(b));
    EXPECT_EQ(b.Canvas()->Pixel(3, 3), clNavy);
    C().SetAsText("no picture");
    EXPECT_FALSE(C().GetBitmap(b));
    EXPECT_EQ(b.Width(), 4);
}

TEST_F(ClipboardTest, MetafileGoesAsEmfWithABitmapBesideIt) {
    TMetafile m;
    m.SetWidth(40);
    m.SetHeight(20);
    {
        TMetafileCanvas canvas(m);
        canvas.Brush()->SetColor(clBlack);
        canvas.FillRect({10, 5, 20, 15});
    }
    C().Assign(&m);
    std::string emf = C().MetafileBytes();
    ASSERT_GT(emf.size(), 88u);
    EXPECT_EQ(emf.substr(40, 4), " EMF");  // the header record's signature
    EXPECT_EQ(SystemBytes("image/x-emf"), emf);
    EXPECT_EQ(C().GetFormatData(CF_ENHMETAFILE), emf);
    TBitmap b;
    ASSERT_TRUE(C().GetBitmap(b));
    EXPECT_EQ(b.Width(), 40);
    EXPECT_EQ(b.Canvas()->Pixel(15, 10), clBlack);
    EXPECT_EQ(b.Canvas()->Pixel(2, 2), clWhite);

    C().SetMetafileBytes("raw emf", nullptr);
    EXPECT_EQ(C().MetafileBytes(), "raw emf");
    EXPECT_FALSE(C().HasFormat(CF_BITMAP));
}

TEST_F(ClipboardTest, OtherSourcesCannotBeAssigned) {
    TStringList list;
    try {
        C().Assign(&list);
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TStringList to a TClipboard");
    }
}

TEST_F(ClipboardTest, FormatsOfOtherProgramsRegisterAsTheirMimeTypes) {
    auto* data = new QMimeData;
    data->setData("application/x-other-program", "payload");
    QGuiApplication::clipboard()->setMimeData(data);
    std::vector<TClipboardFormat> formats = C().Formats();
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(GetClipboardFormatName(formats[0]), "application/x-other-program");
    EXPECT_EQ(C().GetFormatData(formats[0]), "payload");
    // Adding a format keeps theirs.
    C().SetFormatData(RegisterClipboardFormat("Varsona Label"), "label");
    EXPECT_EQ(SystemBytes("application/x-other-program"), "payload");
    EXPECT_EQ(SystemBytes("application/x-varsona-varsona-label"), "label");
}

TEST_F(ClipboardTest, UnknownFormatNumbersAreRefused) {
    ExpectClipboardError([&] { C().SetFormatData(0xBEEF, "x"); }, ClipboardConst::SUnknownClipboardFormat);
    ExpectClipboardError([&] { C().GetFormatData(0xFFFF); }, ClipboardConst::SUnknownClipboardFormat);
    EXPECT_FALSE(C().HasFormat(0xFFFF));
}

TEST_F(ClipboardTest, TextSetAsBytesEndsAtItsZero) {
    C().SetFormatData(CF_TEXT, std::string("abc\0def", 7));
    EXPECT_EQ(C().AsText(), "abc");
}

struct MimeRow {
    const char* Name;
    const char* Mime;
};

TEST(ClipboardFormats, RegisteredNamesKeepTheirNumberAndGetAMimeType) {
    const MimeRow rows[] = {{"Rich Text Format", "text/rtf"},
                            {"GIF Image", "image/gif"},
                            {"HTML Format", "text/html"},
                            {"PNG", "image/png"},
                            {"image/svg+xml", "image/svg+xml"},
                            {"Varsona Barcode", "application/x-varsona-varsona-barcode"}};
    for (const MimeRow& row : rows) {
        SCOPED_TRACE(row.Name);
        TClipboardFormat id = RegisterClipboardFormat(row.Name);
        EXPECT_GE(id, CF_FIRSTREGISTERED);
        EXPECT_EQ(RegisterClipboardFormat(row.Name), id);
        EXPECT_EQ(RegisterClipboardFormat(UpperCase(row.Name)), id);
        EXPECT_EQ(GetClipboardFormatName(id), row.Name);
        EXPECT_EQ(ClipboardFormatMimeType(id), row.Mime);
    }
    EXPECT_NE(RegisterClipboardFormat("GIF Image"), RegisterClipboardFormat("Rich Text Format"));
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
    EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "");
    EXPECT_EQ(ClipboardFormatMimeType(CF_TEXT), "text/plain");
    EXPECT_EQ(ClipboardFormatMimeType(CF_ENHMETAFILE), "image/x-emf");
    EXPECT_EQ(ClipboardFormatMimeType(0xBEEF), "");
}

}  // namespace
