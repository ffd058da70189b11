// Extra controls: panels, bevels, images, paint boxes, radio groups, timers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"
#include "platform/controls/StdCtrls.h"

class TTimerHandle;

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// ---------------------------------------------------------------- panel

class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);
    ~TPanel() override;

    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel bevel);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel bevel);
    int32_t BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int32_t width);
    // Space between the bevels, in the panel's colour.
    int32_t BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int32_t width);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);

    // Inside the bevels and the border.
    TRect AlignRect() const override;

protected:
    void SetTextValue(const std::string& text) override;

private:
    friend class TPanelWidget;
    TPanelBevel FBevelOuter = bvRaised;
    TPanelBevel FBevelInner = bvNone;
    int32_t FBevelWidth = 1;
    int32_t FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TAlignment FAlignment = taCenter;
};

// ---------------------------------------------------------------- bevel

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);
    ~TBevel() override;
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle style);

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

// ---------------------------------------------------------------- paint box

class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent* owner);
    ~TPaintBox() override;
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};

// ---------------------------------------------------------------- image

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(const TPicture* picture) { FPicture->Assign(picture); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool stretch);
    bool Center() const { return FCenter; }
    void SetCenter(bool center);
    // Keeps the width-to-height ratio when stretching.
    bool Proportional() const { return FProportional; }
    void SetProportional(bool proportional);
    // Sizes the control to the picture.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    // The rectangle the picture is drawn into.
    TRect DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged();
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FProportional = false;
    bool FAutoSize = false;
    bool FTransparent = false;
};

// ---------------------------------------------------------------- radio group

// A group box of radio buttons made from Items; setting ItemIndex checks the
// button and runs OnClick when the choice changes, as a user's click does.
class TRadioGroup : public TGroupBox {
public:
    explicit TRadioGroup(TComponent* owner);
    ~TRadioGroup() override;

    TStrings* Items() const { return FItems.get(); }
    void SetItems(const TStrings* items) { FItems->Assign(items); }
    // -1 for none; values past the end select the last item.
    int32_t ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int32_t index);
    int32_t Columns() const { return FColumns; }
    void SetColumns(int32_t columns);
    TRadioButton* Buttons(int32_t index) const;
    int32_t ButtonCount() const { return static_cast<int32_t>(FButtons.size()); }

protected:
    void Resize() override;
    void SetEnabled(bool enabled) override;

private:
    void UpdateButtons();
    void ArrangeButtons();
    void ButtonClicked(TRadioButton* button);
    std::unique_ptr<TStringList> FItems;
    std::vector<TRadioButton*> FButtons;
    int32_t FItemIndex = -1;
    int32_t FColumns = 1;
    bool FUpdating = false;
};

// ---------------------------------------------------------------- timer

// Calls OnTimer every Interval milliseconds while Enabled (inside the
// guard: an error is shown and the timer goes on), through the timer
// service of Timers.h.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t interval);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    TNotifyEvent OnTimer;

    // Runs one tick at once (for tests and for code that wants a tick now).
    void Tick();

private:
    void Update();
    uint32_t FInterval = 1000;
    bool FEnabled = true;
    std::unique_ptr<TTimerHandle> FTimer;
};
