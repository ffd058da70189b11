// The in-cell editors: the text editor with its filters, completion and
// walking out, the editor controls chosen by the cell's editor type, the
// common way out of a control, and the move after Enter.
#include <algorithm>

#include "grid/VsGrid.h"
#include "grid/VsUtil.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/WinApi.h"

namespace {

// Editor positions count characters; texts are UTF-8.
size_t ByteOffset(const std::string& S, int32_t Chars) {
    size_t i = 0;
    for (int32_t n = 0; i < S.size() && n < Chars; ++n) {
        ++i;
        while (i < S.size() && (static_cast<uint8_t>(S[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
}

int32_t CharCount(const std::string& S) {
    int32_t n = 0;
    for (char c : S)
        if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string Utf8Of(char32_t Key) {
    std::string s;
    AppendUtf8(s, static_cast<uint32_t>(Key));
    return s;
}

bool IsDigit(char32_t Key) { return Key >= U'0' && Key <= U'9'; }

// Backspace, Tab and Enter pass every filter; so do the control characters
// of Ctrl+C, Ctrl+V and Ctrl+X, whose clipboard actions filter themselves.
bool PassesAlways(char32_t Key) { return Key == 8 || Key == 9 || Key == 13 || Key == 3 || Key == 0x16 || Key == 0x18; }

char32_t AsciiUpper(char32_t Key) { return Key >= U'a' && Key <= U'z' ? Key - 32 : Key; }
char32_t AsciiLower(char32_t Key) { return Key >= U'A' && Key <= U'Z' ? Key + 32 : Key; }

// The text with Inserted put at the caret in place of the selection.
std::string Inserted(const std::string& Text, int32_t SelStart, int32_t SelLength, const std::string& What) {
    const size_t from = ByteOffset(Text, SelStart);
    const size_t to = ByteOffset(Text, SelStart + SelLength);
    return Text.substr(0, from) + What + Text.substr(to);
}

// Upper-cases a..z (the lookup's comparison).
std::string Folded(const std::string& S, bool CaseSensitive) { return CaseSensitive ? S : UpperCaseASCII(S); }

// Completion from a list: the first item that begins with the text before
// the caret takes the rest of the text, which is selected. Nothing for an
// empty prefix.
bool Complete(TCustomEdit& Edit, TStrings& Items, bool CaseSensitive) {
    const std::string text = Edit.Text();
    const int32_t caret = Edit.SelStart();
    const std::string typed = text.substr(0, ByteOffset(text, caret));
    if (typed.empty()) return false;
    const std::string key = Folded(typed, CaseSensitive);
    for (int32_t i = 0; i < Items.Count(); ++i) {
        const std::string item = Items.Get(i);
        if (Folded(item, CaseSensitive).compare(0, key.size(), key) != 0 || item.size() < key.size()) continue;
        std::string completed = typed + item.substr(typed.size());
        completed = completed.substr(0, ByteOffset(completed, 255));
        if (completed == text && Edit.SelLength() == CharCount(completed) - caret) return false;
        Edit.SetText(completed);
        Edit.SetSelStart(caret);
        Edit.SetSelLength(CharCount(completed) - caret);
        return true;
    }
    return false;
}

}  // namespace

// ---------------------------------------------------------------- proper case

std::string TVsStringGrid::ProperCase(const std::string& S) {
    std::string w = S;
    const size_t n = w.size();
    bool capital = true;
    for (size_t i = 1; i <= n; ++i) {
        char& c = w[i - 1];
        if (c == ' ' || c == '\'' || c == ',' || c == '-' || c == '.') {
            capital = true;
        } else if (capital) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            capital = false;
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
        // The working text has changed up to i: look at it as it is now.
        if (i == 2 && w.compare(0, 2, "Mc") == 0) capital = true;
        const size_t mc = w.find(" Mc");
        if (mc != std::string::npos && i == mc + 3 && i > 2) capital = true;
        if (i + 2 >= n) {
            if (i >= 2 && w.compare(i - 2, 2, " I") == 0) capital = true;
            if (i >= 3 && w.compare(i - 3, 3, " II") == 0) capital = true;
        }
    }
    return w;
}

// ---------------------------------------------------------------- TVsInplaceEdit

TVsInplaceEdit::TVsInplaceEdit(TVsStringGrid* Grid) : TInplaceEdit(Grid), FVsGrid(Grid) {}

TVsInplaceEdit::~TVsInplaceEdit() { DetachWidget(); }

void TVsInplaceEdit::SetRightAligned(bool Value) {
    if (Value == FRightAligned) return;
    FRightAligned = Value;
    ApplyStyles();
}

void TVsInplaceEdit::SetWordWrap(bool Value) {
    if (Value == FWordWrapping) return;
    FWordWrapping = Value;
    ApplyStyles();
}

void TVsInplaceEdit::ApplyStyles() {
    const bool password = FVsGrid && FVsGrid->ActiveEditorType() == edPassword;
    SetAlignment(FRightAligned ? taRightJustify : taLeftJustify);
    // A password edit is a single-line one; the others break lines.
    if (password) {
        if (MultiLine()) SetMultiLine(false);
        SetPasswordChar(FVsGrid->PasswordChar());
    } else {
        SetPasswordChar(0);
        if (!MultiLine()) SetMultiLine(true);
        TCustomEdit::SetWordWrap(FWordWrapping);
    }
}

void TVsInplaceEdit::CreateWnd() {
    TInplaceEdit::CreateWnd();
    FCompletionAllowed = true;
}

void TVsInplaceEdit::UpdateContents() {
    if (FVsGrid) FWordWrapping = FVsGrid->WordWrap();
    FCompletionAllowed = true;
    ApplyStyles();
    TInplaceEdit::UpdateContents();
}

void TVsInplaceEdit::TextChangedByEditor() {
    if (FVsGrid) FVsGrid->UpdateText();
}

bool TVsInplaceEdit::FilterChar(TEditorType Type, char32_t& Key, const std::string& Text, int32_t SelStart,
                                int32_t SelLength) {
    const bool hasMinus = Text.find('-') != std::string::npos;
    switch (Type) {
    case edNormal:
    case edPassword:
    case edProperCase:
    case edEditBtn: return true;
    case edInteger:
    case edEditBtnInteger:
        if (PassesAlways(Key) || IsDigit(Key)) return true;
        if (Key == U'-' && !hasMinus && SelStart == 0) return true;
        MessageBeep(0);
        return false;
    case edDigits:
        if (PassesAlways(Key) || IsDigit(Key)) return true;
        MessageBeep(0);
        return false;
    case edFloat:
    case edEditBtnFloat:
        if (PassesAlways(Key) || IsDigit(Key)) return true;
        if (Key == U'.' || Key == U',')
            return Text.find('.') == std::string::npos && Text.find(',') == std::string::npos;
        if (Key == U'-') {
            if (SelStart != 0 || hasMinus) {
                MessageBeep(0);
                return false;
            }
            return true;
        }
        return false;
    case edCapitals:
    case edUpperCase: Key = AsciiUpper(Key); return true;
    case edLowerCase: Key = AsciiLower(Key); return true;
    default: return false;
    }
    (void)SelLength;
}

bool TVsInplaceEdit::FilterPaste(TEditorType Type, std::string& Text) {
    switch (Type) {
    case edInteger:
    case edDigits:
    case edEditBtnInteger: return NumberClass(Text) == ncInteger;
    case edFloat:
    case edEditBtnFloat: return NumberClass(Text) != ncOther;
    case edProperCase: Text = TVsStringGrid::ProperCase(Text); return true;
    case edLowerCase: Text = LowerCase(Text); return true;
    case edUpperCase: Text = UpperCaseASCII(Text); return true;
    default: return true;
    }
}

void TVsInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (!FVsGrid) {
        TInplaceEdit::KeyDown(Key, Shift);
        return;
    }
    TVsStringGrid& g = *FVsGrid;
    FCompletionAllowed = Key != VK_BACK && Key != VK_DELETE;
    const bool shifted = (Shift & (ssShift | ssCtrl | ssAlt)) != 0;
    const bool none = SelLength() == 0;
    if (Key == VK_RETURN && (Shift & ssCtrl) && g.SizeWhileTyping()->Height() && g.Multilinecells())
        g.SetRowLines(g.Row(), ::LineCount(Text(), true) + 1, 0);
    if (g.Navigation()->CursorWalkEditor() && none && !shifted) {
        if ((Key == VK_LEFT && SelStart() == 0) || (Key == VK_RIGHT && SelStart() == GetTextLen())) {
            g.AdvanceCell(g.Col(), g.Row(), Key == VK_RIGHT, true, true);
            Key = 0;
            return;
        }
    }
    // Up and Down move between the lines of the text before they leave it.
    if ((Key == VK_UP && CaretLine() > 0) || (Key == VK_DOWN && CaretLine() < LineCount() - 1)) {
        TCustomMaskEdit::KeyDown(Key, Shift);
        return;
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TVsInplaceEdit::KeyPress(char32_t& Key) {
    if (!FVsGrid) {
        TInplaceEdit::KeyPress(Key);
        return;
    }
    TVsStringGrid& g = *FVsGrid;
    if (Key == U'\r' && !g.ValidateCell()) {
        Key = 0;
        return;
    }
    const TEditorType type = g.ActiveEditorType();
    if (!FilterChar(type, Key, Text(), SelStart(), SelLength())) {
        Key = 0;
        return;
    }
    if (type == edProperCase && Key >= 32) {
        // The whole text takes the case of a name, the caret behind the key.
        const int32_t caret = SelStart();
        const std::string text = TVsStringGrid::ProperCase(Inserted(Text(), caret, SelLength(), Utf8Of(Key)));
        Key = 0;
        SetText(text);
        SetSelStart(caret + 1);
        TextChangedByEditor();
        return;
    }
    TInplaceEdit::KeyPress(Key);
    if (Key != 0 && g.Navigation()->AdvanceAuto() && IsMasked() && Text().find(' ') == std::string::npos &&
        SelStart() == GetTextLen()) {
        char32_t enter = U'\r';
        g.KeyPress(enter);
    }
}

void TVsInplaceEdit::KeyUp(Word& Key, TShiftState Shift) {
    TInplaceEdit::KeyUp(Key, Shift);
    if (!FVsGrid) return;
    TVsStringGrid& g = *FVsGrid;
    if (Key != VK_LEFT && Key != VK_RIGHT) DoAutoComplete();
    if (g.SizeWhileTyping()->Width()) g.SizeColumnToText(g.Col());
    if (g.SizeWhileTyping()->Height() && g.WordWrap()) g.AutoSizeRow(g.Row());
}

void TVsInplaceEdit::DoAutoComplete() {
    if (!FVsGrid || !FCompletionAllowed || SelLength() != 0) return;
    TVsStringGrid& g = *FVsGrid;
    if (!g.Lookup() || g.LookupItems()->Count() == 0) return;
    if (Complete(*this, *g.LookupItems(), g.LookupCaseSensitive())) TextChangedByEditor();
}

void TVsInplaceEdit::DoEnter() {
    TInplaceEdit::DoEnter();
    if (!FVsGrid) return;
    TVsStringGrid& g = *FVsGrid;
    SetColor(g.EditorColor());
    if (IsMasked() && !g.CaretPositionRequest() && g.Navigation()->ImproveMaskSel()) {
        SetSelStart(0);
        SetSelLength(1);
        return;
    }
    if (g.CaretPositionRequest()) {
        const TPoint p = ScreenToClient(GetCursorPos());
        if (p.X >= 0 && p.Y >= 0 && p.X < Width() && p.Y < Height()) {
            SetSelStart(CharFromPos(p));
            SetSelLength(0);
            g.SetCaretPositionRequest(false);
        }
    }
}

void TVsInplaceEdit::DoExit() {
    if (FVsGrid && FVsGrid->LookupHistory() && FVsGrid->LookupItems()->IndexOf(Text()) < 0)
        FVsGrid->LookupItems()->Add(Text());
    TInplaceEdit::DoExit();
}

void TVsInplaceEdit::CutToClipboard() {
    bool allow = true;
    if (FVsGrid && FVsGrid->OnClipboardCut) FVsGrid->OnClipboardCut(this, allow);
    if (allow) TInplaceEdit::CutToClipboard();
}

void TVsInplaceEdit::CopyToClipboard() {
    bool allow = true;
    if (FVsGrid && FVsGrid->OnClipboardCopy) FVsGrid->OnClipboardCopy(this, allow);
    if (allow) TInplaceEdit::CopyToClipboard();
}

void TVsInplaceEdit::PasteFromClipboard() {
    if (!FVsGrid) {
        TInplaceEdit::PasteFromClipboard();
        return;
    }
    if (!Clipboard()->HasFormat(CF_TEXT)) return;
    bool allow = true;
    if (FVsGrid->OnClipboardPaste) FVsGrid->OnClipboardPaste(this, allow);
    if (!allow) return;
    const std::string pasted = Clipboard()->AsText();
    const int32_t start = SelStart();
    const bool selected = SelLength() > 0;
    std::string text = Inserted(Text(), start, SelLength(), pasted);
    if (!FilterPaste(FVsGrid->ActiveEditorType(), text)) return;
    SetText(text);
    if (selected) {
        SetSelStart(start);
        SetSelLength(CharCount(pasted));
    } else {
        SetSelStart(start + CharCount(pasted));
    }
    TextChangedByEditor();
}

// ---------------------------------------------------------------- the grid's side

namespace {
// Which of the grid's editor controls edits each editor type, by type.
enum class TEditorSlot : uint8_t { None, Spin, Combo, EditBtn, CheckBox, DatePicker, Button, UnitEditBtn };
constexpr std::array<TEditorSlot, edEditBtnFloat + 1> kEditorSlots = {
    TEditorSlot::None,        // edNormal
    TEditorSlot::Spin,        // edSpin
    TEditorSlot::Combo,       // edComboDropDown
    TEditorSlot::Combo,       // edComboDropDownList
    TEditorSlot::EditBtn,     // edEditBtn
    TEditorSlot::CheckBox,    // edCheckBox
    TEditorSlot::DatePicker,  // edDatePicker
    TEditorSlot::DatePicker,  // edDatePickerUpDown
    TEditorSlot::DatePicker,  // edTimePicker
    TEditorSlot::Button,      // edButton
    TEditorSlot::None,        // edNoEditor
    TEditorSlot::None,        // edInteger
    TEditorSlot::None,        // edDigits
    TEditorSlot::None,        // edFloat
    TEditorSlot::None,        // edCapitals
    TEditorSlot::None,        // edProperCase
    TEditorSlot::None,        // edPassword
    TEditorSlot::UnitEditBtn, // edUnitEditBtn
    TEditorSlot::None,        // edLowerCase
    TEditorSlot::None,        // edUpperCase
    TEditorSlot::Spin,        // edSpinFloat
    TEditorSlot::Spin,        // edSpinTime
    TEditorSlot::Spin,        // edSpinDate
    TEditorSlot::EditBtn,     // edEditBtnInteger
    TEditorSlot::EditBtn,     // edEditBtnFloat
};
static_assert(kEditorSlots[edSpin] == TEditorSlot::Spin && kEditorSlots[edButton] == TEditorSlot::Button &&
              kEditorSlots[edNoEditor] == TEditorSlot::None && kEditorSlots[edUnitEditBtn] == TEditorSlot::UnitEditBtn &&
              kEditorSlots[edSpinDate] == TEditorSlot::Spin && kEditorSlots[edEditBtnFloat] == TEditorSlot::EditBtn);
}  // namespace

TCellEditorKind* TVsStringGrid::EditorKind(TEditorType Type) const {
    if (static_cast<size_t>(Type) >= kEditorSlots.size()) return nullptr;
    switch (kEditorSlots[Type]) {
    case TEditorSlot::Spin: return FCellSpin;
    case TEditorSlot::Combo: return FCellCombo;
    case TEditorSlot::EditBtn: return FCellEditBtn;
    case TEditorSlot::CheckBox: return FCellCheckBox;
    case TEditorSlot::DatePicker: return FCellDatePicker;
    case TEditorSlot::Button: return FCellButton;
    case TEditorSlot::UnitEditBtn: return FCellUnitEditBtn;
    default: return nullptr;
    }
}

TWinControl* TVsStringGrid::EditorControl(TEditorType Type) const {
    TCellEditorKind* kind = EditorKind(Type);
    return kind ? &kind->Control() : nullptr;
}

TColor TVsStringGrid::EditorColor() {
    TBrush brush;
    brush.SetColor(Color());
    TFont font;
    font.Assign(Font());
    GetCellColor(RealColIndex(Col()), Row(), 0, &brush, &font);
    return brush.Color();
}

bool TVsStringGrid::CanEditShow() {
    if (FSelecting) return false;
    bool result = TStringGrid::CanEditShow();
    const int32_t realCol = RealColIndex(Col());
    if (result && !FEditorControlShowing && HasCheckOrRadio(realCol, Row())) result = false;
    // Over a control the text editor never shows.
    if (!result || FEditorControlShowing) return false;
    // The text editor already open on the cell keeps its type.
    if (TInplaceEdit* e = InplaceEditor(); e && e->Visible() && InplaceCol() == Col() && InplaceRow() == Row())
        return result;
    FEditStartText = Cells(realCol, Row());
    FActiveEditorType = edNormal;
    GetEditorType(realCol, Row(), FActiveEditorType);
    if (!IsTextEditorType(FActiveEditorType)) {
        ShowCellEditor(Col(), Row());
        return false;
    }
    return result;
}

void TVsStringGrid::KeyPress(char32_t& Key) {
    if (Key == 27) {
        if (Options() & goEditing) RestoreEditText();
        return;
    }
    if (Key == U'\r') {
        if (!Focused() || HasCheckOrRadio(RealColIndex(Col()), Row())) {
            AdvanceCell(Col(), Row(), true, false, false);
            if (HasCheckBox(RealColIndex(Col()), Row())) return;
        }
    }
    if (!(Options() & goEditing) && FNavigation->AutoGotoWhenSorted() && Key != U'\r') {
        const std::string ch = UpperCaseASCII(Utf8Of(Key));
        if (!FNavigation->AutoGotoIncremental()) {
            FSearchText = ch;
        } else if (Key == 8) {
            if (!FSearchText.empty()) FSearchText.erase(ByteOffset(FSearchText, CharCount(FSearchText) - 1));
        } else {
            FSearchText += ch;
        }
        const int32_t row = LookupRow(FSearchText);
        if (row != -1) SetRow(row);
    }
    TStringGrid::KeyPress(Key);
}

TWinControl* TVsStringGrid::EditingControl() {
    if (!FEditorControlShowing) return TStringGrid::EditingControl();
    TWinControl* control = EditorControl(FActiveEditorType);
    return control && control->Visible() ? control : nullptr;
}

void TVsStringGrid::ShowCellEditor(int32_t ACol, int32_t ARow) {
    TCellEditorKind* kind = EditorKind(FActiveEditorType);
    if (!kind) return;
    const TRect r = CellRect(ACol, ARow);
    const int32_t realCol = RealColIndex(ACol);
    const std::string text = Cells(realCol, ARow);
    FShownText = text;
    // The value comes first: a cell that does not convert raises here,
    // before the control shows, so that nothing of another cell is left in
    // it to be written back.
    kind->ReadCell(FActiveEditorType, realCol, ARow, text);
    FEditorControlShowing = true;
    kind->PrepareWindow();
    kind->LoadCell(FActiveEditorType, text);
    kind->PlaceOver(r);
    TWinControl& control = kind->Control();
    control.SetEnabled(true);
    control.SetVisible(true);
    if (control.CanFocus()) control.SetFocus();
    kind->Shown(r);
}

void TVsStringGrid::HideCellEditor(int32_t ACol, int32_t ARow) {
    // Only a control that shows has a value to give: one that was hidden
    // already never writes into the cell the grid moved to since.
    if (!FEditorControlShowing) return;
    TWinControl* control = EditorControl(FActiveEditorType);
    if (!control) {
        FEditorControlShowing = false;
        return;
    }
    FEditorControlShowing = false;
    const int32_t realCol = RealColIndex(ACol);
    const bool cancelled = FEditorCancelled;
    FEditorCancelled = false;
    std::string value;
    if (!cancelled && EditorKind(FActiveEditorType)->CellValue(FActiveEditorType, value))
        SetCells(realCol, ARow, value);
    // The grid takes the focus before the control goes, so that it does not
    // wander to another control of the window.
    if (control->Focused() && CanFocus()) SetFocus();
    control->SetEnabled(false);
    control->SetVisible(false);
}

void TVsStringGrid::HideCurrentEditor() {
    // Editor mode ends first: the grid taking the focus back must not open
    // the control again.
    HideEditor();
    HideCellEditor(Col(), Row());
}

void TVsStringGrid::EllipsClick(std::string& S) {
    const int32_t realCol = RealColIndex(Col());
    S = Cells(realCol, Row());
    if (!OnEllipsClick) return;
    std::string copy = S;
    OnEllipsClick(this, realCol, Row(), copy);
    SetCells(realCol, Row(), copy);
    S = copy;
}

bool TVsStringGrid::WriteAndValidate(const std::string& Text) {
    // The cell validated is the one edited, also when the keys moved to it
    // (only a click or the focus remembers a cell).
    if (FEditCellCol != Col() || FEditCellRow != Row()) RememberEditCell(Col(), Row());
    SetCells(RealColIndex(Col()), Row(), Text);
    return ValidateCell();
}

void TVsStringGrid::LeaveEditorControl(Word Key, TShiftState Shift, bool ToGrid, bool SetReturning) {
    struct Restore {
        TVsStringGrid* G;
        bool AlwaysEdit;
        bool Set = false;
        ~Restore() {
            if (Set) G->FNavigation->SetAlwaysEdit(AlwaysEdit);
            G->FReturningFromEditor = false;
        }
    } restore{this, FNavigation->AlwaysEdit()};
    if (SetReturning) FReturningFromEditor = true;
    HideCurrentEditor();
    if (ToGrid) {
        Word key = Key;
        KeyDown(key, Shift);
    }
    FNavigation->SetAlwaysEdit(false);
    restore.Set = true;
    if (CanFocus()) SetFocus();
    if (Key == VK_RETURN) AdvanceCell(Col(), Row(), true, true, false);
}

void TVsStringGrid::AdvanceAddRow(int32_t At) {
    // The new row stands above the footers.
    RowsMoving();
    std::vector<TGridRowPtr> empty(1);
    PutDisplayRows({At}, std::move(empty), {DefaultRowHeight()});
    if (OnAutoAddRow) OnAutoAddRow(this, RowCount() - FFixedFooters - 1);
}

void TVsStringGrid::AdvanceInsertCol(int32_t At) {
    // The new column stands left of the fixed right columns.
    RowsMoving();
    std::vector<int32_t> widths;
    for (int32_t c = 0; c < ColCount(); ++c) widths.push_back(ColWidths(c));
    SetColCount(ColCount() + 1);
    if (At < ColCount() - 1) {
        MoveColumn(ColCount() - 1, At);
        widths.insert(widths.begin() + At, DefaultColWidth());
        for (int32_t c = At; c < ColCount(); ++c) SetColWidths(c, widths[static_cast<size_t>(c)]);
    }
    if (OnAutoInsertCol) OnAutoInsertCol(this, ColCount() - FFixedRightCols - 1);
}

void TVsStringGrid::AdvanceCell(int32_t ACol, int32_t ARow, bool Forward, bool ShowEditor, bool Force) {
    if (!FNavigation->AdvanceOnEnter() && !Force) return;
    const int32_t startCol = ACol;
    const int32_t startRow = ARow;
    const int32_t firstCol = FixedCols();
    const int32_t firstRow = FixedRows();
    bool inserted = false;
    bool refused = false;
    // Each normal cell at most once, and the start again: then no cell
    // qualifies and the current cell stays.
    const int64_t limit =
        static_cast<int64_t>(std::max(1, ColCount() - FFixedRightCols - firstCol)) *
            std::max(1, RowCount() - FFixedFooters - firstRow) +
        2;
    for (int64_t steps = 0;; ++steps) {
        if (steps >= limit) return;
        const int32_t lastCol = ColCount() - FFixedRightCols - 1;
        const int32_t lastRow = RowCount() - FFixedFooters - 1;
        if (Forward && FNavigation->AdvanceDirection() == adLeftRight) {
            if (ACol < lastCol) {
                ++ACol;
            } else if (ARow < lastRow) {
                ++ARow;
                ACol = firstCol;
            } else if (FNavigation->AdvanceInsert() && !inserted) {
                bool canAdd = true;
                if (OnCanAddRow) OnCanAddRow(this, canAdd);
                inserted = true;
                if (!canAdd) {
                    // Refused: the target stays the starting cell.
                    refused = true;
                    ACol = startCol;
                    ARow = startRow;
                } else {
                    AdvanceAddRow(lastRow + 1);
                    ARow = lastRow + 1;
                    ACol = firstCol;
                }
            } else {
                ACol = firstCol;
                ARow = firstRow;
            }
        } else if (Forward) {
            if (ARow >= lastRow) {
                ARow = firstRow;
                if (ACol < lastCol) {
                    ++ACol;
                } else if (FNavigation->AdvanceInsert() && !inserted) {
                    inserted = true;
                    AdvanceInsertCol(lastCol + 1);
                    ACol = lastCol + 1;
                } else {
                    ACol = firstCol;
                }
                Invalidate();
            } else {
                ++ARow;
            }
        } else if (FNavigation->AdvanceDirection() == adLeftRight) {
            if (ACol > firstCol) {
                --ACol;
            } else if (ARow > firstRow) {
                --ARow;
                ACol = lastCol;
            } else {
                return;
            }
        } else {
            if (ARow > firstRow) {
                --ARow;
            } else if (ACol > firstCol) {
                --ACol;
                ARow = lastRow;
            } else {
                return;
            }
        }
        bool canEdit = true;
        const int32_t realCol = RealColIndex(ACol);
        CanEditCell(realCol, ARow, canEdit);
        bool fixed = false;
        IsFixedCell(realCol, ARow, fixed);
        if ((Options() & goEditing) && canEdit) break;
        if (refused) return;
    }
    FocusCell(ACol, ARow, true);
    const bool checkOrRadio = HasCheckOrRadio(RealColIndex(ACol), ARow);
    if (ShowEditor || checkOrRadio) TStringGrid::ShowEditor();
    if (checkOrRadio) {
        SetCol(startCol);
        SetCol(ACol);
        SetRow(ARow);
    }
}

// ---------------------------------------------------------------- closing keys

namespace {
bool OneOf(Word Key, std::initializer_list<Word> Keys) { return std::find(Keys.begin(), Keys.end(), Key) != Keys.end(); }
}  // namespace

void TVsStringGrid::CloseEditorControl(Word& Key, TShiftState Shift, bool Validate, bool SetReturning,
                                       const std::function<std::string()>& Value,
                                       const std::function<void()>& Restore, bool ForwardSides) {
    const Word key = Key;
    Key = 0;
    const bool moving = key == VK_UP || key == VK_DOWN;
    // Tab, where it closes a control, moves on to the next or previous cell.
    const bool forward = moving || key == VK_TAB || (ForwardSides && (key == VK_LEFT || key == VK_RIGHT));
    if (Validate && (key == VK_RETURN || key == VK_TAB || moving)) {
        if (!WriteAndValidate(Value())) {
            // Refused: the cell's text (restored or corrected) goes back in.
            Restore();
            return;
        }
    } else if (key == VK_ESCAPE) {
        Restore();
    }
    LeaveEditorControl(key, Shift, forward, SetReturning);
}

namespace {
// The current cell's text.
std::string CellText(const TVsStringGrid& Grid) { return Grid.Cells(Grid.RealColIndex(Grid.Col()), Grid.Row()); }
}  // namespace

// ---------------------------------------------------------------- TGridCombo

TGridCombo::TGridCombo(TVsStringGrid* Grid) : TGridEditorControl(Grid) {
    SetButtonWidth(16);
    SetAutoComplete(true);
    // Made a list now, not as it first shows: dropping the edit part of a
    // combo that has just taken the focus takes the focus away again.
    SetStyle(csDropDownList);
}

bool TGridCombo::ClosingKey(Word Key, TShiftState) const {
    if (Key == VK_TAB) return (FGrid->Options() & goTabs) != 0;
    const bool listMode = Style() == csDropDownList || DroppedDown();
    return OneOf(Key, {VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END, VK_HOME}) ||
           (listMode ? OneOf(Key, {VK_LEFT, VK_RIGHT}) : OneOf(Key, {VK_UP, VK_DOWN}));
}

std::string TGridCombo::Value() const {
    return Style() == csDropDownList && ItemIndex() < 0 ? CellText(*FGrid) : Text();
}

void TGridCombo::ShowCellText() {
    const std::string cell = CellText(*FGrid);
    if (Style() == csDropDownList) SetItemIndex(Items()->IndexOf(cell));
    else SetText(cell);
    SetSelStart(CharCount(Text()));
    Invalidate();
}

void TGridCombo::KeyDown(Word& Key, TShiftState Shift) {
    FCompletion = Key != VK_BACK && Key != VK_DELETE;
    if (!ClosingKey(Key, Shift) && Key != VK_TAB) {
        TVsComboBox::KeyDown(Key, Shift);
        return;
    }
    if (DroppedDown()) SetDroppedDown(false);
    // Tab, and the arrows that do not move in the list, go on to the grid.
    FGrid->CloseEditorControl(Key, Shift, true, true, [this] { return Value(); }, [this] { ShowCellText(); }, true);
}

void TGridCombo::KeyPress(char32_t& Key) {
    if (Key == U'\r') {
        Key = 0;
        return;
    }
    TVsComboBox::KeyPress(Key);
}

void TGridCombo::KeyUp(Word& Key, TShiftState Shift) {
    TVsComboBox::KeyUp(Key, Shift);
    if (Key != VK_RETURN) DoAutoComplete();
}

void TGridCombo::DoAutoComplete() {
    // Only an editable combo completes, and only a typed prefix.
    if (!FCompletion || !FGrid->Lookup() || Style() != csDropDown) return;
    const std::string text = Text();
    const int32_t caret = SelStart();
    const std::string typed = text.substr(0, ByteOffset(text, caret));
    if (typed.empty()) return;
    const std::string key = UpperCaseASCII(typed);
    for (int32_t i = 0; i < Items()->Count(); ++i) {
        const std::string item = Items()->Get(i);
        if (item.size() < key.size() || UpperCaseASCII(item).compare(0, key.size(), key) != 0) continue;
        std::string completed = typed + item.substr(typed.size());
        completed = completed.substr(0, ByteOffset(completed, 255));
        SetItemIndex(i);
        SetText(completed);
        SetSelStart(caret);
        SetSelLength(CharCount(completed) - caret);
        return;
    }
}

void TGridCombo::DoEnter() {
    TVsComboBox::DoEnter();
    SetColor(FGrid->EditorColor());
}

void TGridCombo::DoExit() {
    if (FGrid->LookupHistory() && !Text().empty() && Items()->IndexOf(Text()) < 0) Items()->Add(Text());
    TGridEditorControl::DoExit();
}

void TGridCombo::Change() {
    TVsComboBox::Change();
    if (!FInSelect) FGrid->Perform(WM_COMMAND, MakeWParam(0, CBN_EDITCHANGE), reinterpret_cast<intptr_t>(this));
}

void TGridCombo::Select() {
    {
        FInSelect = true;
        struct Done {
            bool& Flag;
            ~Done() { Flag = false; }
        } done{FInSelect};
        TVsComboBox::Select();
    }
    FGrid->Perform(WM_COMMAND, MakeWParam(0, CBN_SELCHANGE), reinterpret_cast<intptr_t>(this));
}

// ---------------------------------------------------------------- TGridSpin

TGridSpin::TGridSpin(TVsStringGrid* Grid) : TGridEditorControl(Grid) {
    SetMaxValue(100);
    SetMinValue(0);
    SetIncrement(1);
    SetBorderStyle(bsNone);
}

bool TGridSpin::ClosingKey(Word Key, TShiftState) const {
    return OneOf(Key, {VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END});
}

void TGridSpin::KeyDown(Word& Key, TShiftState Shift) {
    if (OneOf(Key, {VK_NEXT, VK_PRIOR, VK_END, VK_HOME})) {
        if (Key == VK_NEXT && Value() - Increment() >= MinValue()) SetValue(Value() - Increment());
        if (Key == VK_PRIOR && Value() + Increment() <= MaxValue()) SetValue(Value() + Increment());
        if (Key == VK_END) SetValue(MinValue());
        if (Key == VK_HOME) SetValue(MaxValue());
        if (FGrid->OnSpinClick) FGrid->OnSpinClick(FGrid, FGrid->Col(), FGrid->Row(), Value(), false);
        TVsSpinEdit::KeyDown(Key, Shift);
        return;
    }
    if (!ClosingKey(Key, Shift)) {
        TVsSpinEdit::KeyDown(Key, Shift);
        return;
    }
    FGrid->CloseEditorControl(Key, Shift, true, true, [this] { return Text(); },
                              [this] {
                                  SetText(CellText(*FGrid));
                                  SetSelStart(GetTextLen());
                                  Invalidate();
                              });
}

void TGridSpin::KeyPress(char32_t& Key) {
    if (Key == U'\r') {
        Key = 0;
        return;
    }
    TVsSpinEdit::KeyPress(Key);
}

void TGridSpin::UpClick(TObject* Sender) {
    TVsSpinEdit::UpClick(Sender);
    SpinClicked(true);
}

void TGridSpin::DownClick(TObject* Sender) {
    TVsSpinEdit::DownClick(Sender);
    SpinClicked(false);
}

void TGridSpin::SpinClicked(bool Up) {
    TVsStringGrid& g = *FGrid;
    switch (SpinType()) {
    case sptNormal:
        if (g.OnSpinClick) g.OnSpinClick(&g, g.Col(), g.Row(), Value(), Up);
        break;
    case sptFloat:
        if (g.OnFloatSpinClick) g.OnFloatSpinClick(&g, g.Col(), g.Row(), FloatValue(), Up);
        break;
    case sptDate:
        if (g.OnDateSpinClick) g.OnDateSpinClick(&g, g.Col(), g.Row(), DateValue(), Up);
        break;
    case sptTime:
        if (g.OnTimeSpinClick) g.OnTimeSpinClick(&g, g.Col(), g.Row(), TimeValue(), Up);
        break;
    }
}

// ---------------------------------------------------------------- TGridDatePicker

bool TGridDatePicker::ClosingKey(Word Key, TShiftState) const {
    return OneOf(Key, {VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_UP, VK_DOWN});
}

void TGridDatePicker::KeyDown(Word& Key, TShiftState Shift) {
    if (!ClosingKey(Key, Shift)) {
        TDateTimePicker::KeyDown(Key, Shift);
        return;
    }
    FGrid->CloseEditorControl(Key, Shift, false, false, nullptr, [this] {
        const std::string cell = CellText(*FGrid);
        TDateTime value = 0;
        const bool ok = Kind() == dtkTime ? TryStrToTime(cell, value) : TryStrToDate(cell, value);
        SetDateTime(ok ? value : Now());
        // The cell keeps its own text: a text that is no date, or a date in
        // another form, is not replaced by the picker's.
        FGrid->FEditorCancelled = true;
    });
}

void TGridDatePicker::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clWindow);
    TRect r = Rect(0, 0, Width(), Height());
    c->FrameRect(r);
    InflateRect(r, -1, -1);
    c->FrameRect(r);
}

// ---------------------------------------------------------------- TGridCheckBox

bool TGridCheckBox::ClosingKey(Word Key, TShiftState) const {
    return OneOf(Key, {VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN});
}

void TGridCheckBox::KeyDown(Word& Key, TShiftState Shift) {
    if (!ClosingKey(Key, Shift)) {
        TCheckBox::KeyDown(Key, Shift);
        return;
    }
    FGrid->CloseEditorControl(Key, Shift, false, false, nullptr, [this] { SetCaption(CellText(*FGrid)); });
}

// ---------------------------------------------------------------- TGridEditBtn

TGridEditBtn::TGridEditBtn(TVsStringGrid* Grid) : TGridEditorControl(Grid) {
    SetButtonCaption("...");
    SetBorderStyle(bsNone);
}

bool TGridEditBtn::ClosingKey(Word Key, TShiftState Shift) const {
    // With Ctrl every key is the edit's. Tab moves between cells in a grid
    // that takes it, as it does without an editor.
    if (Shift & ssCtrl) return false;
    if (Key == VK_TAB) return (FGrid->Options() & goTabs) != 0 && !(Shift & ssAlt);
    return OneOf(Key, {VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_UP, VK_DOWN});
}

void TGridEditBtn::KeyDown(Word& Key, TShiftState Shift) {
    if (!ClosingKey(Key, Shift)) {
        TVsEditBtn::KeyDown(Key, Shift);
        return;
    }
    // The ellipsis may have written the cell already: Escape gives it the
    // text it had when the editor opened.
    if (Key == VK_ESCAPE && CellText(*FGrid) != FGrid->FShownText) {
        FGrid->SetCells(FGrid->RealColIndex(FGrid->Col()), FGrid->Row(), FGrid->FShownText);
        FGrid->RememberEditCell(FGrid->Col(), FGrid->Row());
    }
    FGrid->CloseEditorControl(Key, Shift, true, false, [this] { return Text(); },
                              [this] {
                                  SetText(CellText(*FGrid));
                                  SetSelStart(GetTextLen());
                                  Invalidate();
                              });
}

void TGridEditBtn::KeyPress(char32_t& Key) {
    if (Key == U'\r') {
        Key = 0;
        return;
    }
    if (!TVsInplaceEdit::FilterChar(FGrid->ActiveEditorType(), Key, Text(), SelStart(), SelLength())) {
        Key = 0;
        return;
    }
    TVsEditBtn::KeyPress(Key);
}

void TGridEditBtn::PasteFromClipboard() {
    if (!Clipboard()->HasFormat(CF_TEXT)) return;
    std::string text = Inserted(Text(), SelStart(), SelLength(), Clipboard()->AsText());
    if (!TVsInplaceEdit::FilterPaste(FGrid->ActiveEditorType(), text)) return;
    TVsEditBtn::PasteFromClipboard();
}

void TGridEditBtn::ButtonClick(TObject*) { EllipsAction(); }

void TGridEditBtn::EllipsAction() {
    // What was typed so far is the text the handler sees, once it passed the
    // validation of every way out of the cell; the handler's answer passes
    // it too. A refusal leaves the cell's (restored) text in the control.
    auto refused = [this] {
        SetText(CellText(*FGrid));
        SetSelStart(GetTextLen());
        Invalidate();
    };
    if (Text() != CellText(*FGrid) && !FGrid->WriteAndValidate(Text())) return refused();
    std::string s;
    FGrid->EllipsClick(s);
    if (!FGrid->ValidateCell()) return refused();
    SetText(CellText(*FGrid));
    SelectAll();
    Invalidate();
}

// ---------------------------------------------------------------- TGridUnitEditBtn

TGridUnitEditBtn::TGridUnitEditBtn(TVsStringGrid* Grid) : TGridEditorControl(Grid) {
    SetButtonCaption("...");
    SetBorderStyle(bsNone);
}

void TGridUnitEditBtn::SplitCellText(const std::string& Text) {
    std::string number;
    std::string unit;
    for (char c : Text) {
        if (c == ',' || c == '-' || c == '.' || (c >= '0' && c <= '9')) number += c;
        else unit += c;
    }
    SetUnitID(unit);
    SetText(number);
}

bool TGridUnitEditBtn::ClosingKey(Word Key, TShiftState) const {
    return OneOf(Key, {VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_UP, VK_DOWN});
}

void TGridUnitEditBtn::KeyDown(Word& Key, TShiftState Shift) {
    if (!ClosingKey(Key, Shift)) {
        TVsUnitEditBtn::KeyDown(Key, Shift);
        return;
    }
    // The number with its unit is what the cell holds; a refusal gives the
    // cell's text back, split again.
    FGrid->CloseEditorControl(Key, Shift, true, false, [this] { return Text() + UnitID(); },
                              [this] {
                                  SplitCellText(CellText(*FGrid));
                                  SetSelStart(GetTextLen());
                                  Invalidate();
                              });
}

void TGridUnitEditBtn::KeyPress(char32_t& Key) {
    if (Key == U'\r') {
        Key = 0;
        return;
    }
    TVsUnitEditBtn::KeyPress(Key);
}

// ---------------------------------------------------------------- TGridButton

bool TGridButton::ClosingKey(Word Key, TShiftState) const {
    return OneOf(Key, {VK_ESCAPE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_RETURN});
}

void TGridButton::Close() {
    FGrid->HideEditor();
    FGrid->FEditorControlShowing = false;
    if (Focused() && FGrid->CanFocus()) FGrid->SetFocus();
    SetVisible(false);
    SetEnabled(false);
}

void TGridButton::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_ESCAPE && this == FGrid->CellButton()) {
        Key = 0;
        Close();
        FGrid->RestoreEditText();
        Word escape = VK_ESCAPE;
        FGrid->KeyDown(escape, Shift);
        return;
    }
    TButton::KeyDown(Key, Shift);
}

void TGridButton::KeyUp(Word& Key, TShiftState Shift) {
    if (this == FGrid->CellButton()) {
        if (OneOf(Key, {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN})) {
            Word down = Key;
            Word up = Key;
            Key = 0;
            FGrid->HideEditor();
            FGrid->FEditorControlShowing = false;
            FGrid->KeyDown(down, Shift);
            Close();
            FGrid->KeyUp(up, Shift);
            return;
        }
        if (Key == VK_SPACE) {
            std::string s;
            FGrid->EllipsClick(s);
            SetCaption(s);
            if (CanFocus()) SetFocus();
            Invalidate();
        }
    }
    TButton::KeyUp(Key, Shift);
}

void TGridButton::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (Button == mbLeft && this == FGrid->CellButton()) {
        std::string s;
        FGrid->EllipsClick(s);
        SetCaption(s);
    }
    TButton::MouseUp(Button, Shift, X, Y);
}

void TGridButton::DoExit() {
    if (this == FGrid->CellButton()) TGridEditorControl::DoExit();
    else TButton::DoExit();
}

// ---------------------------------------------------------------- the editing cycle of each control

void TGridSpin::ReadCell(TEditorType Type, int32_t RealCol, int32_t Row, const std::string& Text) {
    switch (Type) {
    case edSpin: FCellInteger = FGrid->GetCellInteger(RealCol, Row); break;
    case edSpinFloat: FCellFloat = FGrid->GetCellFloat(RealCol, Row); break;
    case edSpinTime: FCellDate = Text.empty() ? Now() : StrToTime(Text); break;
    default: FCellDate = Text.empty() ? Now() : FGrid->GetCellDate(RealCol, Row); break;
    }
}

void TGridSpin::LoadCell(TEditorType Type, const std::string&) {
    switch (Type) {
    case edSpin:
        SetSpinType(sptNormal);
        // The cell's own value, also outside the bounds: opening the editor
        // changes nothing.
        SetText(IntToStr(FCellInteger));
        break;
    case edSpinFloat:
        SetSpinType(sptFloat);
        SetFloatValue(FCellFloat);
        break;
    case edSpinTime:
        SetSpinType(sptTime);
        SetTimeValue(FCellDate);
        break;
    default:
        SetDateValue(FCellDate);
        SetSpinType(sptDate);
        break;
    }
}

bool TGridSpin::CellValue(TEditorType, std::string& Value) {
    Value = Text();
    return true;
}

void TGridCombo::LoadCell(TEditorType Type, const std::string& Text) {
    if (Type == edComboDropDown) {
        SetStyle(csDropDown);
        SetText(Text);
        return;
    }
    SetStyle(csDropDownList);
    int32_t index = Items()->IndexOf(Text);
    if (index < 0) index = FGrid->FComboDefaultIndex == -1 ? 0 : FGrid->FComboDefaultIndex;
    // No item to show (an empty list, a default out of range): none is
    // selected, and leaving writes nothing, so the cell keeps its text.
    SetItemIndex(index >= 0 && index < Items()->Count() ? index : -1);
}

void TGridCombo::PlaceOver(const TRect& Cell) {
    // The list opens below the combo on its own; the combo takes the cell's
    // height.
    SetBounds(Cell.Left, Cell.Top, Cell.Width(), Cell.Height());
    if (!FGrid->FNavigation->AutoComboDropSize()) return;
    TBitmap measure(1, 1);
    TCanvas* canvas = measure.Canvas();
    canvas->SetFont(FGrid->Font());
    int32_t w = Width();
    for (int32_t i = 0; i < Items()->Count(); ++i) w = std::max(w, canvas->TextWidth(Items()->Get(i)) + 6);
    SetDroppedWidth(w);
}

void TGridCombo::Shown(const TRect&) {
    if (FGrid->FMouseActions->DirectComboDrop()) SetDroppedDown(true);
}

bool TGridCombo::CellValue(TEditorType Type, std::string& Value) {
    if (Type == edComboDropDownList && ItemIndex() < 0) return false;
    Value = Text();
    return true;
}

void TGridDatePicker::LoadCell(TEditorType Type, const std::string& Text) {
    TDateTime value = 0;
    if (Type == edTimePicker) {
        if (!TryStrToTime(Text, value)) value = Now();
        SetKind(dtkTime);
    } else {
        if (!TryStrToDate(Text, value)) value = Now();
        SetKind(dtkDate);
        SetDateMode(Type == edDatePickerUpDown ? dmUpDown : dmComboBox);
    }
    SetDateTime(value);
}

bool TGridDatePicker::CellValue(TEditorType Type, std::string& Value) {
    Value = Type == edTimePicker ? TimeToStr(Time()) : DateToStr(Date());
    return true;
}

void TGridCheckBox::LoadCell(TEditorType, const std::string& Text) {
    SetCaption(Text);
    SetState(cbUnchecked);
}

bool TGridEditBtn::CellValue(TEditorType, std::string& Value) {
    Value = Text();
    return true;
}

bool TGridUnitEditBtn::CellValue(TEditorType, std::string& Value) {
    Value = Text() + UnitID();
    return true;
}
