// The edit-with-button controls of the grid library: the holder of one
// speed button, and the edits with such a button inside their right edge.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls/Buttons.h"
#include "platform/controls/Controls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinControl.h"
#include "platform/runtime/Classes.h"

// A small window holding one speed button that always covers it. Releasing
// the left button over the speed button fires OnClick with the holder as
// Sender, then moves the focus to FocusControl (else to the holder itself).
class TVsEditButton : public TWindowControl {
public:
    explicit TVsEditButton(TComponent* AOwner);
    ~TVsEditButton() override;

    TSpeedButton* SpeedButton() const { return FSpeedButton; }
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value) { FFocusControl = Value; }
    TBitmap* Glyph() const { return FSpeedButton->Glyph(); }
    void SetGlyph(const TBitmap* Value) { FSpeedButton->SetGlyph(Value); }
    std::string ButtonCaption() const { return FSpeedButton->Caption(); }
    void SetButtonCaption(const std::string& Value) { FSpeedButton->SetCaption(Value); }
    TNumGlyphs NumGlyphs() const { return FSpeedButton->NumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs Value) { FSpeedButton->SetNumGlyphs(Value); }

    // The width is held to at least 15; the speed button takes the whole.
    void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;

    TNotifyEvent OnClick;

protected:
    void Resize() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void AdjustSize(int32_t& W, int32_t& H);
    void BtnMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    TSpeedButton* FSpeedButton = nullptr;
    TWinControl* FFocusControl = nullptr;
};

class TPopupMenu;

// Places a button (a button holder, a spin pair) inside the edit's right
// edge, its width kept: with Ctl3D, D pixels from the right (DBorder with
// a border, DNone without) and D pixels shorter than the edit; without,
// at the right edge one pixel down and 3 pixels shorter.
void PlaceEditButton(const TCustomEdit& Edit, TControl& Button, int32_t DBorder, int32_t DNone);

// A one-line edit with a button inside its right edge: a click on the
// button runs ButtonClick, which fires OnClickBtn with the button holder as
// Sender. With EditorEnabled False cut and paste are refused (typing is
// not). The edit is never lower than the least height of its font.
class TVsEditBtn : public TCustomEdit {
public:
    explicit TVsEditBtn(TComponent* AOwner);
    ~TVsEditBtn() override;

    TVsEditButton* EditButton() const { return FButton; }
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    bool RightAlign() const { return FRightAlign; }
    void SetRightAlign(bool Value);
    // Pixels kept free between the text and the button.
    int32_t UnitSpace() const { return FUnitSpace; }
    TBitmap* Glyph() const { return FButton->Glyph(); }
    void SetGlyph(const TBitmap* Value) { FButton->SetGlyph(Value); }
    std::string ButtonCaption() const { return FButton->ButtonCaption(); }
    void SetButtonCaption(const std::string& Value) { FButton->SetButtonCaption(Value); }

    // The least height of the edit for its font.
    int32_t GetMinHeight() const;
    using TCustomEdit::SetEditRect;
    // The text's rectangle: left of the unit space and the button.
    void SetEditRect();

    void CutToClipboard() override;
    void PasteFromClipboard() override;

    TNotifyEvent OnClickBtn;

protected:
    // The button's click; fires OnClickBtn with the Sender it was given.
    virtual void ButtonClick(TObject* Sender);
    void SetUnitSpaceValue(int32_t Value) { FUnitSpace = Value; }
    void CMEnter(TMessage& Message) override;
    void WMSize(TWMSize& Message) override;
    void CreateWnd() override;
    // Places the button and the text's rectangle for the size.
    virtual void LayOut();

private:
    TVsEditButton* FButton = nullptr;
    bool FEditorEnabled = true;
    bool FRightAlign = false;
    int32_t FUnitSpace = 0;
};

// The edit with a unit shown between the text and the button (UnitSpace
// pixels wide) and a popup menu of the Units on the button; the unit
// chosen becomes UnitID. The text is right-aligned.
class TVsUnitEditBtn : public TVsEditBtn {
public:
    explicit TVsUnitEditBtn(TComponent* AOwner);
    ~TVsUnitEditBtn() override;

    TStringList* Units() const { return FUnits.get(); }
    // Copies the list; nullptr changes nothing.
    void SetUnits(const TStrings* Value);
    const std::string& UnitID() const { return FUnitID; }
    void SetUnitID(const std::string& Value);
    void SetUnitSpace(int32_t Value);

    // The menu's command ItemID (1 for the first unit) chooses that unit;
    // other numbers change nothing.
    void ApplyUnitCommand(int32_t ItemID);
    // The units menu of the last click on the button (null before).
    TPopupMenu* UnitsMenu() const { return FMenu; }
    // Where the unit text goes, in client pixels.
    TRect UnitRect() const;

protected:
    // Opens the units menu below the button's left part.
    void ButtonClick(TObject* Sender) override;
    void LayOut() override;

private:
    class TUnitText;
    std::unique_ptr<TStringList> FUnits;
    std::string FUnitID;
    TPopupMenu* FMenu = nullptr;
    TUnitText* FUnitText = nullptr;
};
