#include "platform/controls/Buttons.h"

#include <algorithm>

#include "platform/controls/WinApi.h"

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), FGlyph(std::make_unique<TBitmap>()) {
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() { DetachWidget(); }

void TSpeedButton::SetGlyph(const TBitmap* glyph) {
    if (glyph) FGlyph->Assign(glyph);
    else FGlyph = std::make_unique<TBitmap>();
    // A glyph whose width holds whole pictures of its height tells its count.
    if (glyph && !FGlyph->Empty() && FGlyph->Height() > 0 && FGlyph->Width() % FGlyph->Height() == 0) {
        int32_t n = FGlyph->Width() / FGlyph->Height();
        if (n >= 1 && n <= 4) FNumGlyphs = n;
    }
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs count) {
    count = std::clamp<TNumGlyphs>(count, 1, 4);
    if (count == FNumGlyphs) return;
    FNumGlyphs = count;
    Invalidate();
}

void TSpeedButton::SetFlat(bool flat) {
    if (flat == FFlat) return;
    FFlat = flat;
    Invalidate();
}

void TSpeedButton::SetTransparent(bool transparent) {
    if (transparent == FTransparent) return;
    FTransparent = transparent;
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int32_t index) {
    if (index == FGroupIndex) return;
    FGroupIndex = index;
    if (index == 0) SetDown(false);
    UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool allow) {
    FAllowAllUp = allow;
    if (!Parent() || FGroupIndex == 0) return;
    for (int32_t i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i)); b && b != this && b->FGroupIndex == FGroupIndex)
            b->FAllowAllUp = allow;
}

void TSpeedButton::SetDown(bool down) {
    if (FGroupIndex == 0) down = false;
    if (down == FDown) return;
    FDown = down;
    if (!FDragging) FState = down ? bsExclusive : bsUp;
    if (down) UpdateExclusive();
    Invalidate();
}

void TSpeedButton::UpdateExclusive() {
    if (!FDown || FGroupIndex == 0 || !Parent()) return;
    for (int32_t i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i)); b && b != this && b->FGroupIndex == FGroupIndex)
            b->SetDown(false);
}

void TSpeedButton::SetLayout(TButtonLayout layout) {
    FLayout = layout;
    Invalidate();
}

void TSpeedButton::SetMargin(int32_t margin) {
    FMargin = std::max(-1, margin);
    Invalidate();
}

void TSpeedButton::SetSpacing(int32_t spacing) {
    FSpacing = spacing;
    Invalidate();
}

void TSpeedButton::CMEnabledChanged(TMessage& message) {
    TGraphicControl::CMEnabledChanged(message);
    if (!Enabled()) {
        if (FDragging) SetMouseCapture(false);
        FDragging = false;
        FMouseInControl = false;
        FState = FDown ? bsExclusive : bsUp;
    }
    Invalidate();
}

void TSpeedButton::SetTextValue(const std::string& text) {
    TGraphicControl::SetTextValue(text);
    Invalidate();
}

void TSpeedButton::CMMouseEnter(TMessage& message) {
    TGraphicControl::CMMouseEnter(message);
    if (!Enabled() || FMouseInControl) return;
    FMouseInControl = true;
    if (FFlat) Invalidate();
}

void TSpeedButton::CMMouseLeave(TMessage& message) {
    TGraphicControl::CMMouseLeave(message);
    if (!FMouseInControl) return;
    FMouseInControl = false;
    if (FFlat) Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled()) return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
    SetMouseCapture(true);
}

void TSpeedButton::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!FDragging) return;
    const bool inside = x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
    TButtonState state = inside ? bsDown : FDown ? bsExclusive : bsUp;
    if (state != FState) {
        FState = state;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (button == mbLeft && FDragging) {
        FDragging = false;
        SetMouseCapture(false);
        const bool inside = x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
        if (inside && FGroupIndex != 0 && (!FDown || FAllowAllUp)) SetDown(!FDown);
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
        if (inside) Click();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    const TButtonState state = !Enabled() ? bsDisabled : FState;
    const bool pressed = state == bsDown || state == bsExclusive;
    if (!FFlat) {
        DrawFrameControl(*c, r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    } else {
        if (!FTransparent) {
            c->Brush()->SetStyle(bsSolid);
            c->Brush()->SetColor(clBtnFace);
            c->FillRect(r);
        }
        TRect edge = r;
        if (pressed) DrawEdge(*c, edge, BDR_SUNKENOUTER, BF_RECT);
        else if (FMouseInControl && Enabled()) DrawEdge(*c, edge, BDR_RAISEDINNER, BF_RECT);
    }
    TRect inner = Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    if (pressed) inner = Rect(inner.Left + 1, inner.Top + 1, inner.Right + 1, inner.Bottom + 1);
    DrawGlyphAndCaption(inner, state);
}

void TSpeedButton::DrawGlyphAndCaption(const TRect& rect, TButtonState state) {
    TCanvas* c = Canvas();
    const std::string caption = StripHotkey(Caption());
    int32_t gw = 0, gh = 0;
    if (!FGlyph->Empty()) {
        gw = FGlyph->Width() / FNumGlyphs;
        gh = FGlyph->Height();
    }
    TSize text = caption.empty() ? TSize{0, 0} : c->TextExtent(caption);
    const bool both = gw > 0 && !caption.empty();
    const bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
    const int32_t spacing = both ? std::max(0, FSpacing) : 0;
    const int32_t w = rect.Width(), h = rect.Height();
    const int32_t total = horizontal ? gw + spacing + text.cx : gh + spacing + text.cy;
    const int32_t room = horizontal ? w : h;
    int32_t start = FMargin < 0 ? (room - total) / 2 : FMargin;
    if (FLayout == blGlyphRight || FLayout == blGlyphBottom) start = FMargin < 0 ? start : room - FMargin - total;
    TPoint glyphAt, textAt;
    if (horizontal) {
        const bool glyphFirst = FLayout == blGlyphLeft;
        glyphAt = Point(rect.Left + start + (glyphFirst ? 0 : text.cx + spacing), rect.Top + (h - gh) / 2);
        textAt = Point(rect.Left + start + (glyphFirst ? gw + spacing : 0), rect.Top + (h - text.cy) / 2);
    } else {
        const bool glyphFirst = FLayout == blGlyphTop;
        glyphAt = Point(rect.Left + (w - gw) / 2, rect.Top + start + (glyphFirst ? 0 : text.cy + spacing));
        textAt = Point(rect.Left + (w - text.cx) / 2, rect.Top + start + (glyphFirst ? gh + spacing : 0));
    }
    if (gw > 0 && gh > 0) {
        int32_t index = static_cast<int32_t>(state);
        const bool grey = state == bsDisabled && FNumGlyphs < 2;
        if (index >= FNumGlyphs) index = 0;
        TBitmap cell(gw, gh);
        cell.SetPixelFormat(pf24bit);
        cell.Canvas()->CopyRect(Rect(0, 0, gw, gh), *FGlyph->Canvas(), Rect(index * gw, 0, index * gw + gw, gh));
        const TColor clear = FGlyph->Canvas()->Pixel(0, gh - 1);
        if (grey) {
            // Every drawn pixel in the shadow colour.
            const TColor shadow = ColorToRGB(clBtnShadow);
            for (int32_t y = 0; y < gh; ++y)
                for (int32_t x = 0; x < gw; ++x)
                    if (cell.Canvas()->Pixel(x, y) != clear) cell.Canvas()->SetPixel(x, y, shadow);
        }
        cell.SetTransparentColor(clear);
        cell.SetTransparent(true);
        c->Draw(glyphAt.X, glyphAt.Y, &cell);
    }
    if (!caption.empty()) {
        c->Brush()->SetStyle(bsClear);
        TColor keep = c->Font()->Color();
        if (state == bsDisabled) c->Font()->SetColor(clGrayText);
        c->TextOut(textAt.X, textAt.Y, caption);
        c->Font()->SetColor(keep);
    }
}
