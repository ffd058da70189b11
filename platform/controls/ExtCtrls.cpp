#include "platform/controls/ExtCtrls.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "platform/controls/Timers.h"
#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- panel

namespace {
void DrawBevel(QPainter& p, QRect& r, TPanelBevel bevel, int width) {
    if (bevel == bvNone) return;
    QColor light = QtColor(clBtnHighlight), dark = QtColor(clBtnShadow);
    if (bevel == bvLowered) std::swap(light, dark);
    for (int i = 0; i < width; ++i) {
        if (bevel != bvSpace) {
            p.setPen(light);
            p.drawLine(r.left(), r.top(), r.right(), r.top());
            p.drawLine(r.left(), r.top(), r.left(), r.bottom());
            p.setPen(dark);
            p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
            p.drawLine(r.right(), r.top(), r.right(), r.bottom());
        }
        r.adjust(1, 1, -1, -1);
    }
}
}  // namespace

class TPanelWidget : public QWidget {
public:
    TPanelWidget() { setAutoFillBackground(true); }

protected:
    void paintEvent(QPaintEvent*) override {
        auto* panel = dynamic_cast<TPanel*>(ControlOfWidget(this));
        if (!panel) return;
        QPainter p(this);
        QRect r = rect();
        if (panel->FBorderStyle == bsSingle) {
            p.setPen(QtColor(clWindowFrame));
            p.drawRect(r.adjusted(0, 0, -1, -1));
            r.adjust(1, 1, -1, -1);
        }
        DrawBevel(p, r, panel->FBevelOuter, panel->FBevelWidth);
        r.adjust(panel->FBorderWidth, panel->FBorderWidth, -panel->FBorderWidth, -panel->FBorderWidth);
        DrawBevel(p, r, panel->FBevelInner, panel->FBevelWidth);
        std::string caption = panel->Caption();
        if (caption.empty()) return;
        p.setFont(font());
        p.setPen(QtColor(panel->Font()->Color()));
        Qt::Alignment a = panel->FAlignment == taLeftJustify    ? Qt::AlignLeft
                          : panel->FAlignment == taRightJustify ? Qt::AlignRight
                                                                : Qt::AlignHCenter;
        p.drawText(r, static_cast<int>(a | Qt::AlignVCenter), QStr(StripHotkey(caption)));
    }
};

TPanel::TPanel(TComponent* owner) : TWinControl(owner, new TPanelWidget()) {
    SetBounds(0, 0, 185, 41);
}

TPanel::~TPanel() { DetachWidget(); }

void TPanel::SetTextValue(const std::string& text) {
    FText = text;
    NativeWidget(this)->update();
}

void TPanel::SetBevelOuter(TPanelBevel bevel) {
    FBevelOuter = bevel;
    Realign();
    Invalidate();
}

void TPanel::SetBevelInner(TPanelBevel bevel) {
    FBevelInner = bevel;
    Realign();
    Invalidate();
}

void TPanel::SetBevelWidth(int32_t width) {
    FBevelWidth = std::max(1, width);
    Realign();
    Invalidate();
}

void TPanel::SetBorderWidth(int32_t width) {
    FBorderWidth = std::max(0, width);
    Realign();
    Invalidate();
}

void TPanel::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    Realign();
    Invalidate();
}

void TPanel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    Invalidate();
}

TRect TPanel::AlignRect() const {
    int32_t inset = FBorderWidth;
    if (FBevelOuter != bvNone) inset += FBevelWidth;
    if (FBevelInner != bvNone) inset += FBevelWidth;
    if (FBorderStyle == bsSingle) inset += 1;
    TRect r = ClientRect();
    InflateRect(r, -inset, -inset);
    return r;
}

// ---------------------------------------------------------------- bevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 50, 50); }

TBevel::~TBevel() { DetachWidget(); }

void TBevel::SetShape(TBevelShape shape) {
    FShape = shape;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
    FStyle = style;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* c = Canvas();
    TColor first = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor second = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    int32_t w = Width(), h = Height();
    auto line = [&](TColor color, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        c->Pen()->SetColor(color);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox:
        line(first, 0, 0, w - 1, 0);
        line(first, 0, 0, 0, h - 1);
        line(second, 0, h - 1, w, h - 1);
        line(second, w - 1, 0, w - 1, h);
        break;
    case bsFrame:
        c->Brush()->SetStyle(bsClear);
        c->Pen()->SetColor(first);
        c->Rectangle(0, 0, w - 1, h - 1);
        c->Pen()->SetColor(second);
        c->Rectangle(1, 1, w, h);
        break;
    case bsTopLine:
        line(first, 0, 0, w, 0);
        line(second, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(first, 0, h - 2, w, h - 2);
        line(second, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(first, 0, 0, 0, h);
        line(second, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(first, w - 2, 0, w - 2, h);
        line(second, w - 1, 0, w - 1, h);
        break;
    case bsSpacer: break;
    }
}

// ---------------------------------------------------------------- paint box

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 105, 105); }

TPaintBox::~TPaintBox() { DetachWidget(); }

void TPaintBox::Paint() {
    if (OnPaint) OnPaint(this);
}

// ---------------------------------------------------------------- image

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
    FPicture->OnChange = [this](TObject*) { PictureChanged(); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() {
    FPicture->OnChange = nullptr;
    DetachWidget();
}

void TImage::PictureChanged() {
    if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
        SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
    if (TGraphic* g = FPicture->Graphic()) g->SetTransparent(FTransparent);
    Invalidate();
}

void TImage::SetStretch(bool stretch) {
    FStretch = stretch;
    Invalidate();
}

void TImage::SetCenter(bool center) {
    FCenter = center;
    Invalidate();
}

void TImage::SetProportional(bool proportional) {
    FProportional = proportional;
    Invalidate();
}

void TImage::SetAutoSize(bool autoSize) {
    FAutoSize = autoSize;
    PictureChanged();
}

void TImage::SetTransparent(bool transparent) {
    FTransparent = transparent;
    PictureChanged();
}

TRect TImage::DestRect() const {
    int32_t pw = FPicture->Width(), ph = FPicture->Height();
    int32_t cw = ClientWidth(), ch = ClientHeight();
    int32_t w = pw, h = ph;
    if (FStretch || (FProportional && (pw > cw || ph > ch))) {
        if (FProportional && pw > 0 && ph > 0) {
            double s = std::min(static_cast<double>(cw) / pw, static_cast<double>(ch) / ph);
            w = static_cast<int32_t>(pw * s);
            h = static_cast<int32_t>(ph * s);
        } else {
            w = cw;
            h = ch;
        }
    }
    int32_t x = 0, y = 0;
    if (FCenter) {
        x = (cw - w) / 2;
        y = (ch - h) / 2;
    }
    return Bounds(x, y, w, h);
}

void TImage::Paint() {
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty()) return;
    TRect r = DestRect();
    if (r.Width() == g->Width() && r.Height() == g->Height()) Canvas()->Draw(r.Left, r.Top, g);
    else Canvas()->StretchDraw(r, g);
}

// ---------------------------------------------------------------- radio group

TRadioGroup::TRadioGroup(TComponent* owner) : TGroupBox(owner), FItems(std::make_unique<TStringList>()) {
    FItems->OnChange = [this](TObject*) { UpdateButtons(); };
}

TRadioGroup::~TRadioGroup() {
    FItems->OnChange = nullptr;
    DetachWidget();
}

TRadioButton* TRadioGroup::Buttons(int32_t index) const {
    if (index < 0 || index >= ButtonCount()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FButtons[static_cast<size_t>(index)];
}

void TRadioGroup::UpdateButtons() {
    FUpdating = true;
    while (FButtons.size() > static_cast<size_t>(FItems->Count())) {
        delete FButtons.back();
        FButtons.pop_back();
    }
    while (FButtons.size() < static_cast<size_t>(FItems->Count())) {
        auto* b = new TRadioButton(nullptr);
        b->SetParent(this);
        b->SetEnabled(Enabled());
        b->OnClick = [this, b](TObject*) { ButtonClicked(b); };
        FButtons.push_back(b);
    }
    for (size_t i = 0; i < FButtons.size(); ++i) FButtons[i]->SetCaption(FItems->Get(static_cast<int32_t>(i)));
    if (FItemIndex >= ButtonCount()) FItemIndex = ButtonCount() - 1;
    for (size_t i = 0; i < FButtons.size(); ++i) FButtons[i]->SetChecked(static_cast<int32_t>(i) == FItemIndex);
    FUpdating = false;
    ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
    if (FButtons.empty()) return;
    QFontMetrics fm(QtFont(*Font()));
    int32_t count = ButtonCount();
    int32_t columns = std::max(1, FColumns);
    int32_t perColumn = (count + columns - 1) / columns;
    int32_t buttonWidth = (Width() - 10) / columns;
    int32_t rest = Height() - fm.height() - 5;
    int32_t buttonHeight = rest / perColumn;
    int32_t topMargin = fm.height() + 1 + (rest % perColumn) / 2;
    for (int32_t i = 0; i < count; ++i)
        FButtons[static_cast<size_t>(i)]->SetBounds((i / perColumn) * buttonWidth + 8,
                                                   (i % perColumn) * buttonHeight + topMargin, buttonWidth,
                                                   buttonHeight);
}

void TRadioGroup::Resize() {
    ArrangeButtons();
    TGroupBox::Resize();
}

void TRadioGroup::SetEnabled(bool enabled) {
    TGroupBox::SetEnabled(enabled);
    for (TRadioButton* b : FButtons) b->SetEnabled(enabled);
}

void TRadioGroup::SetColumns(int32_t columns) {
    FColumns = std::clamp<int32_t>(columns, 1, 16);
    ArrangeButtons();
}

void TRadioGroup::SetItemIndex(int32_t index) {
    if (index < -1) index = -1;
    if (index >= ButtonCount()) index = ButtonCount() - 1;
    if (index == FItemIndex) return;
    if (FItemIndex >= 0) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(false);
    FItemIndex = index;
    // Checking the button clicks it, which runs the group's OnClick.
    if (index >= 0) FButtons[static_cast<size_t>(index)]->SetChecked(true);
}

void TRadioGroup::ButtonClicked(TRadioButton* button) {
    if (FUpdating) return;
    auto it = std::find(FButtons.begin(), FButtons.end(), button);
    if (it == FButtons.end()) return;
    FItemIndex = static_cast<int32_t>(it - FButtons.begin());
    Click();
}

// ---------------------------------------------------------------- timer

TTimer::TTimer(TComponent* owner) : TComponent(owner) { Update(); }

TTimer::~TTimer() { FTimer.reset(); }

void TTimer::SetInterval(uint32_t interval) {
    if (interval == FInterval) return;
    FInterval = interval;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    Update();
}

void TTimer::Update() {
    FTimer.reset();
    if (FEnabled && FInterval > 0) FTimer = TimerService().Start(FInterval, [this] { Tick(); });
}

void TTimer::Tick() {
    GuardedCall(this, [this] {
        if (OnTimer) OnTimer(this);
    });
}
