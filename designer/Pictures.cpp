#include "designer/Pictures.h"

#include <memory>

#include "engine/Barcode.h"
#include "platform/graphics/Graphics.h"

namespace {

constexpr TColor kInk = RGB(0x20, 0x30, 0x60);
constexpr TColor kAccent = RGB(0xD0, 0x40, 0x20);

void Fill(TCanvas& c, TColor color, const TRect& r) {
    c.Brush()->SetColor(color);
    c.Brush()->SetStyle(bsSolid);
    c.FillRect(r);
}

void DrawSave(TCanvas& c) {
    Fill(c, kInk, Rect(1, 1, 15, 15));
    Fill(c, clWhite, Rect(4, 2, 12, 7));
    Fill(c, clSilver, Rect(4, 10, 12, 15));
    Fill(c, kInk, Rect(9, 11, 11, 14));
}

void DrawCopy(TCanvas& c) {
    c.Pen()->SetColor(kInk);
    c.Brush()->SetColor(clWhite);
    c.Rectangle(1, 1, 10, 12);
    c.Rectangle(6, 4, 15, 15);
    for (int y = 7; y < 13; y += 2) Fill(c, kInk, Rect(8, y, 13, y + 1));
}

void DrawRotate(TCanvas& c) {
    c.Pen()->SetColor(kAccent);
    c.Pen()->SetWidth(2);
    c.Brush()->SetStyle(bsClear);
    c.Ellipse(2, 2, 14, 14);
    c.Pen()->SetWidth(1);
    Fill(c, clWhite, Rect(9, 1, 15, 7));
    c.Brush()->SetColor(kAccent);
    c.Polygon({Point(9, 1), Point(15, 6), Point(9, 7)});
}

void DrawHelp(TCanvas& c) {
    c.Pen()->SetColor(kInk);
    c.Brush()->SetColor(RGB(0xFF, 0xF0, 0x80));
    c.Ellipse(0, 0, 16, 16);
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetName("Arial");
    c.Font()->SetHeight(-12);
    c.Font()->SetStyle(fsBold);
    c.Font()->SetColor(kInk);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    c.TextOut(8, 1, "?");
}

}  // namespace

void DrawProgramPicture(TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(ProgramPictureWidth, ProgramPictureHeight);
    TCanvas& c = *bitmap.Canvas();
    Fill(c, clWhite, Rect(0, 0, ProgramPictureWidth, ProgramPictureHeight));
    Fill(c, kInk, Rect(0, 0, ProgramPictureWidth, 56));
    Fill(c, kAccent, Rect(0, 56, ProgramPictureWidth, 60));

    c.Brush()->SetStyle(bsClear);
    c.SetTextAlign(TA_CENTER | TA_TOP);
    c.Font()->SetName("Arial");
    c.Font()->SetStyle(fsBold);
    c.Font()->SetHeight(-34);
    c.Font()->SetColor(clWhite);
    c.TextOut(ProgramPictureWidth / 2, 8, "Varsona");
    c.Font()->SetStyle(0);
    c.Font()->SetHeight(-13);
    c.Font()->SetColor(kInk);
    c.TextOut(ProgramPictureWidth / 2, 190, "Barcode designer and label printing");

    // A real symbol of ours in the middle of the picture.
    TBarcode symbol(nullptr);
    symbol.SetBar_CodeType(EAN_13);
    symbol.SetBar_Caption("978020137962");
    symbol.SetBar_HeightPercent(100);
    TSize size;
    TBitmap probe(1, 1);
    symbol.DrawOnCanvas(*probe.Canvas(), 0, 0, &size);
    symbol.DrawOnCanvas(c, (ProgramPictureWidth - size.cx) / 2, 76, nullptr);

    bitmap.SetPixelFormat(pf8bit);
}

void DrawProgramIcon(TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(32, 32);
    TCanvas& c = *bitmap.Canvas();
    Fill(c, kInk, Rect(0, 0, 32, 32));
    Fill(c, clWhite, Rect(2, 2, 30, 30));
    // Bars of one, two and three pixels, as a symbol's modules vary.
    static constexpr int kBars[][2] = {{5, 1}, {7, 2}, {10, 1}, {12, 3}, {16, 1}, {18, 2}, {21, 1}, {23, 3}, {27, 1}};
    for (const auto& bar : kBars) Fill(c, kInk, Rect(bar[0], 6, bar[0] + bar[1], 26));
    Fill(c, kAccent, Rect(2, 27, 30, 30));
}

void FillToolImages(TImageList& list) {
    list.Clear();
    for (int i = 0; i < ToolImageCount; ++i) {
        TBitmap image(16, 16);
        image.SetPixelFormat(pf24bit);
        TCanvas& c = *image.Canvas();
        // The bottom-left pixel's colour is the transparent one.
        Fill(c, clFuchsia, Rect(0, 0, 16, 16));
        switch (i) {
            case 2: DrawSave(c); break;
            case 5: DrawCopy(c); break;
            case 7: DrawRotate(c); break;
            case 16: DrawHelp(c); break;
            default: break;
        }
        image.Canvas()->SetPixel(0, 15, clFuchsia);
        list.Add(image, true);
    }
}
