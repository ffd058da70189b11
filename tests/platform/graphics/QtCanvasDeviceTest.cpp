#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "platform/graphics/qt/GraphicsQt.h"
#include "platform/graphics/qt/QtCanvasDevice.h"
#include "tests/platform/graphics/TestImages.h"

namespace {

TRect InkOf(const QImage& image) {
    TBitmap b;
    SetBitmapImage(b, image.convertToFormat(QImage::Format_RGB32));
    return InkBox(b);
}

// A control binds its painter for one paint event and unbinds it afterwards.
TEST(QtCanvasDevice, DrawsOnAPainterItIsGivenAndForgetsItsState) {
    auto device = std::make_unique<TQtCanvasDevice>(nullptr, 120, 120, TSize{60, 40});
    TQtCanvasDevice* raw = device.get();
    TCanvas canvas(std::move(device));
    EXPECT_EQ(canvas.GetDeviceCaps(LOGPIXELSX), 120);
    EXPECT_EQ(canvas.GetDeviceCaps(HORZRES), 60);
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect({0, 0, 10, 10});  // no painter bound: nothing happens

    QImage first(60, 40, QImage::Format_ARGB32_Premultiplied);
    first.fill(Qt::white);
    {
        QPainter p(&first);
        raw->SetPainter(&p);
        canvas.IntersectClipRect({5, 5, 30, 30});
        canvas.FillRect({0, 0, 60, 40});
        raw->SetPainter(nullptr);
    }
    EXPECT_EQ(InkOf(first), (TRect{5, 5, 30, 30}));

    // The clip is the canvas's: a new painter gets it too.
    QImage second(60, 40, QImage::Format_RGB32);
    second.fill(Qt::white);
    {
        QPainter p(&second);
        p.setClipRect(0, 0, 2, 2);  // what the painter had before is replaced
        raw->SetPainter(&p);
        canvas.FillRect({0, 0, 60, 40});
        raw->SetPainter(nullptr);
    }
    EXPECT_EQ(InkOf(second), (TRect{5, 5, 30, 30}));
}

TEST(QtCanvasDevice, PainterTransformsAreHonoured) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.translate(10, 5);  // a scrolled control
    TCanvas canvas(std::make_unique<TQtCanvasDevice>(&p, 96, 96, TSize{60, 40}));
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect({0, 0, 4, 4});
    p.end();
    EXPECT_EQ(InkOf(image), (TRect{10, 5, 14, 9}));
}

TEST(QtCanvasDevice, PrinterPaperAndOffset) {
    TCanvas canvas(std::make_unique<TQtCanvasDevice>(nullptr, 600, 600, TSize{4800, 6600}));
    static_cast<TQtCanvasDevice*>(canvas.Device())->SetPhysical({5100, 7014}, {150, 207});
    EXPECT_EQ(canvas.GetDeviceCaps(PHYSICALWIDTH), 5100);
    EXPECT_EQ(canvas.GetDeviceCaps(PHYSICALOFFSETY), 207);
    EXPECT_EQ(canvas.GetDeviceCaps(VERTRES), 6600);
}

TEST(QtCanvasDevice, UnderlineAndStrikeOutAreDrawn) {
    auto plain = WhiteBitmap(80, 40), underlined = WhiteBitmap(80, 40);
    for (auto* b : {plain.get(), underlined.get()}) {
        b->Canvas()->Font()->SetHeight(20);
        b->Canvas()->Brush()->SetStyle(bsClear);
    }
    underlined->Canvas()->Font()->SetStyle(fsUnderline);
    plain->Canvas()->TextOut(5, 5, "HH");
    underlined->Canvas()->TextOut(5, 5, "HH");
    EXPECT_GT(InkBox(*underlined).Bottom, InkBox(*plain).Bottom);
}

TEST(QtCanvasDevice, RotatedOpaqueTextFillsItsTurnedCell) {
    auto b = WhiteBitmap(80, 80);
    TCanvas* c = b->Canvas();
    c->Font()->SetHeight(20);
    c->Font()->SetOrientation(900);
    c->Brush()->SetColor(clYellow);
    c->TextOut(40, 70, "ab");
    int w = c->TextWidth("ab");
    TRect ink = InkBox(*b);
    EXPECT_NEAR(ink.Left, 40, 1);
    EXPECT_NEAR(ink.Right, 60, 1);
    EXPECT_NEAR(ink.Top, 70 - w, 1);
    EXPECT_NEAR(ink.Bottom, 70, 1);
}

}  // namespace
