// Common controls: status bar, tool bar and buttons, page control and tab
// sheets, progress bar, up-down buttons.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"

class TMenuItem;
class QObject;

// ---------------------------------------------------------------- status bar

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel {
public:
    const std::string& Text() const { return FText; }
    void SetText(const std::string& text);
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t width);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel bevel);
    int32_t Index() const { return FIndex; }

private:
    friend class TStatusPanels;
    TStatusBar* FBar = nullptr;
    int32_t FIndex = 0;
    std::string FText;
    int32_t FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels {
public:
    explicit TStatusPanels(TStatusBar* bar) : FBar(bar) {}
    int32_t Count() const { return static_cast<int32_t>(FPanels.size()); }
    TStatusPanel* Items(int32_t index) const;
    TStatusPanel* operator[](int32_t index) const { return Items(index); }
    TStatusPanel* Add();
    void Delete(int32_t index);
    void Clear();

private:
    void Renumber();
    TStatusBar* FBar;
    std::vector<std::unique_ptr<TStatusPanel>> FPanels;
};

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return FPanels.get(); }
    // One panel across the bar showing SimpleText.
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool simple);
    const std::string& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const std::string& text);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool grip);

    // What the bar shows, panel by panel (SimpleText alone for a simple bar).
    std::vector<std::string> ShownTexts() const;

private:
    friend class TStatusPanel;
    friend class TStatusPanels;
    std::unique_ptr<TStatusPanels> FPanels;
    bool FSimplePanel = false;
    std::string FSimpleText;
    bool FSizeGrip = true;
};

// ---------------------------------------------------------------- tool bar

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
enum TEdgeStyle { esNone, esRaised, esLowered };

using TEdgeBorders = uint8_t;
inline constexpr TEdgeBorders ebLeft = 0x01;
inline constexpr TEdgeBorders ebTop = 0x02;
inline constexpr TEdgeBorders ebRight = 0x04;
inline constexpr TEdgeBorders ebBottom = 0x08;

class TToolBar;

class TToolButton : public TGraphicControl {
public:
    explicit TToolButton(TComponent* owner);
    ~TToolButton() override;

    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle style);
    int32_t ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int32_t index);
    // Pressed state of a check button.
    bool Down() const { return FDown; }
    void SetDown(bool down);
    // Check buttons of one group exclude each other.
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool grouped) { FGrouped = grouped; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool allow) { FAllowAllUp = allow; }
    // A line break of a wrapping tool bar follows this button.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool wrap);
    TMenuItem* MenuItem() const { return FMenuItem; }
    // The button takes the item's caption, hint and enabled state and
    // clicks it.
    void SetMenuItem(TMenuItem* item);
    TToolBar* ToolBar() const;
    void SetEnabled(bool enabled) override;
    void SetParent(TWinControl* parent) override;

    // OnClick, or the menu item's click when there is no OnClick. A user's
    // click on a check button toggles Down first.
    void Click() override;

    // The binding's entry for a click by the user.
    void UserClicked();

protected:
    void SetTextValue(const std::string& text) override;
    bool ClicksOnMouseUp() const override { return false; }

private:
    friend class TToolBar;
    void UpdateLook();
    TToolButtonStyle FStyle = tbsButton;
    int32_t FImageIndex = -1;
    bool FDown = false;
    bool FGrouped = false;
    bool FAllowAllUp = false;
    bool FWrap = false;
    TMenuItem* FMenuItem = nullptr;
};

// Arranges its tool buttons left to right in the order they were added
// (wrapping when Wrapable); other controls on the bar keep the bounds they
// are given.
class TToolBar : public TWinControl {
public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;

    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* images);
    TImageList* DisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(TImageList* images);
    int32_t ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int32_t width);
    int32_t ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int32_t height);
    // Height follows the rows of buttons.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders borders);
    TEdgeStyle EdgeInner() const { return FEdgeInner; }
    void SetEdgeInner(TEdgeStyle style);
    TEdgeStyle EdgeOuter() const { return FEdgeOuter; }
    void SetEdgeOuter(TEdgeStyle style);
    // Buttons that do not fit go to a new row.
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool wrapable);
    bool Flat() const { return FFlat; }
    void SetFlat(bool flat);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool show);
    int32_t Indent() const { return FIndent; }
    void SetIndent(int32_t indent);

    int32_t ButtonCount() const { return static_cast<int32_t>(FButtons.size()); }
    TToolButton* Buttons(int32_t index) const;
    int32_t RowCount() const { return FRows; }

    // Places the buttons (and sizes the bar under AutoSize).
    void ArrangeButtons();

protected:
    void ChildInserted(TControl* control) override;
    void ChildRemoved(TControl* control) override;
    void ChildBoundsChanged(TControl* control) override;
    void Resize() override;

private:
    friend class TToolButton;
    int32_t EdgeSize(TEdgeBorders edge) const;
    std::vector<TToolButton*> FButtons;
    TImageList* FImages = nullptr;
    TImageList* FDisabledImages = nullptr;
    int32_t FButtonWidth = 23;
    int32_t FButtonHeight = 22;
    bool FAutoSize = false;
    TEdgeBorders FEdgeBorders = ebTop;
    TEdgeStyle FEdgeInner = esRaised;
    TEdgeStyle FEdgeOuter = esLowered;
    bool FWrapable = true;
    bool FFlat = false;
    bool FShowCaptions = false;
    int32_t FIndent = 0;
    int32_t FRows = 1;
    bool FArranging = false;
};

// ---------------------------------------------------------------- page control

class TPageControl;

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* control);
    int32_t PageIndex() const;
    void SetPageIndex(int32_t index);
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool visible);
    void SetParent(TWinControl* parent) override;

protected:
    void SetTextValue(const std::string& text) override;
    void ApplyBounds() override {}
    void ApplyVisible() override {}

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// OnChanging and OnChange run when the user picks a tab; setting ActivePage
// or ActivePageIndex from code runs neither.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int32_t PageCount() const { return static_cast<int32_t>(FPages.size()); }
    TTabSheet* Pages(int32_t index) const;
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* page);
    int32_t ActivePageIndex() const;
    void SetActivePageIndex(int32_t index);
    // The sheet after (or before) current among the visible tabs.
    TTabSheet* FindNextPage(TTabSheet* current, bool forward, bool checkTabVisible) const;
    void SelectNextPage(bool forward);
    // The area the sheets fill.
    TRect DisplayRect() const;

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

    // The user chose tab index (the binding calls this).
    void UserSelected(int32_t tabIndex);

protected:
    void AlignControls(TRect rect) override;
    void ChildInserted(TControl* control) override;
    void ChildRemoved(TControl* control) override;
    bool ClicksOnMouseUp() const override { return false; }

private:
    friend class TTabSheet;
    friend struct TNativeAccess;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void SyncTabs();
    std::vector<TTabSheet*> FPages;
    TTabSheet* FActive = nullptr;
    int32_t FSyncing = 0;
};

// ---------------------------------------------------------------- progress bar

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* owner);
    ~TProgressBar() override;

    int32_t Min() const { return FMin; }
    void SetMin(int32_t value);
    int32_t Max() const { return FMax; }
    void SetMax(int32_t value);
    int32_t Position() const { return FPosition; }
    // Clamped to Min..Max.
    void SetPosition(int32_t value);
    int32_t Step() const { return FStep; }
    void SetStep(int32_t step) { FStep = step; }
    // Position + Step; past Max it starts again from Min, as the platform's
    // bar does.
    void StepIt();
    void StepBy(int32_t delta);
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool smooth) { FSmooth = smooth; }
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation orientation);

private:
    void Apply();
    int32_t FMin = 0;
    int32_t FMax = 100;
    int32_t FPosition = 0;
    int32_t FStep = 10;
    bool FSmooth = false;
    TProgressBarOrientation FOrientation = pbHorizontal;
};

// ---------------------------------------------------------------- up-down

enum TUDBtnType { btNext, btPrev };
enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };

using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// Up and down arrows that count Position between Min and Max and write it
// into the associated control's text.
class TUpDown : public TWinControl {
public:
    explicit TUpDown(TComponent* owner);
    ~TUpDown() override;

    TWinControl* Associate() const { return AssociateAlive() ? FAssociate : nullptr; }
    // Places the arrows at the associate's side (taking their width from
    // it) and shows Position in it.
    void SetAssociate(TWinControl* control);
    int32_t Min() const { return FMin; }
    void SetMin(int32_t value);
    int32_t Max() const { return FMax; }
    void SetMax(int32_t value);
    // Reads the associate's text first, as the platform's control does.
    int32_t Position() const;
    void SetPosition(int32_t value);
    int32_t Increment() const { return FIncrement; }
    void SetIncrement(int32_t increment) { FIncrement = increment; }
    // Thousands separators in the associate's text.
    bool Thousands() const { return FThousands; }
    void SetThousands(bool thousands);
    // Past Max goes to Min and back.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool wrap) { FWrap = wrap; }
    // The arrow keys in the associate count too.
    bool ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool arrowKeys) { FArrowKeys = arrowKeys; }
    TUDAlignButton AlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton align);
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation orientation) { FOrientation = orientation; }

    // One step as a press of an arrow: OnChanging may refuse it; then
    // Position moves, the associate's text follows and OnClick runs.
    void StepButton(TUDBtnType button);

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;

protected:
    bool ClicksOnMouseUp() const override { return false; }

private:
    friend class TUpDownKeys;
    std::string FormatPosition(int32_t value) const;
    bool AssociateAlive() const;
    void UpdateAssociate();
    void PlaceBesideAssociate();
    TWinControl* FAssociate = nullptr;
    int32_t FMin = 0;
    int32_t FMax = 100;
    int32_t FPosition = 0;
    int32_t FIncrement = 1;
    bool FThousands = true;
    bool FWrap = false;
    bool FArrowKeys = true;
    TUDAlignButton FAlignButton = udRight;
    TUDOrientation FOrientation = udVertical;
    QObject* FKeys = nullptr;
};
