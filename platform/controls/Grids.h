// The platform's grids: TCustomGrid (geometry, current cell, selection,
// scrolling, sizing and moving lines, the in-place editor's life), TDrawGrid
// (the events), TStringGrid (texts and objects in a GridModel) and
// TInplaceEdit (the editor over the current cell).
//
// The grid scrolls by whole lines: TopRow and LeftCol are the first
// scrolling row and column; the fixed rows and columns stay. The scroll bars
// run from 0 to 127 whatever the counts. Painting walks only the lines in
// view, so a grid of 100,000 rows paints as fast at its end as at its top,
// and a change of TopRow moves what is on the screen and paints only the
// lines that come into view.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/controls/Controls.h"
#include "platform/controls/GridModel.h"
#include "platform/controls/StdCtrls.h"

VARSONA_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

namespace GridConst {
inline constexpr const char* SIndexOutOfRange = "Grid index out of range";
inline constexpr const char* SFixedColTooBig = "Fixed column count must be less than column count";
inline constexpr const char* SFixedRowTooBig = "Fixed row count must be less than row count";
}  // namespace GridConst

using TGridOptions = uint32_t;
inline constexpr TGridOptions goFixedVertLine = 1u << 0;
inline constexpr TGridOptions goFixedHorzLine = 1u << 1;
inline constexpr TGridOptions goVertLine = 1u << 2;
inline constexpr TGridOptions goHorzLine = 1u << 3;
inline constexpr TGridOptions goRangeSelect = 1u << 4;
inline constexpr TGridOptions goDrawFocusSelected = 1u << 5;
inline constexpr TGridOptions goRowSizing = 1u << 6;
inline constexpr TGridOptions goColSizing = 1u << 7;
inline constexpr TGridOptions goRowMoving = 1u << 8;
inline constexpr TGridOptions goColMoving = 1u << 9;
inline constexpr TGridOptions goEditing = 1u << 10;
inline constexpr TGridOptions goTabs = 1u << 11;
inline constexpr TGridOptions goRowSelect = 1u << 12;
inline constexpr TGridOptions goAlwaysShowEditor = 1u << 13;
inline constexpr TGridOptions goThumbTracking = 1u << 14;

using TGridDrawState = uint8_t;
inline constexpr TGridDrawState gdSelected = 0x01;
inline constexpr TGridDrawState gdFocused = 0x02;
inline constexpr TGridDrawState gdFixed = 0x04;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TGridCoord&) const = default;
};
// Columns Left..Right and rows Top..Bottom, both ends included.
using TGridRect = TRect;

// The platform's scroll information; Mask tells which fields count.
inline constexpr uint32_t SIF_RANGE = 0x01;
inline constexpr uint32_t SIF_PAGE = 0x02;
inline constexpr uint32_t SIF_POS = 0x04;
inline constexpr uint32_t SIF_DISABLENOSCROLL = 0x08;
inline constexpr uint32_t SIF_TRACKPOS = 0x10;
inline constexpr uint32_t SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
struct TScrollInfo {
    uint32_t Mask = SIF_ALL;
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t Page = 0;
    int32_t Pos = 0;
    int32_t TrackPos = 0;
};
// Scroll bar looks (the flat scroll bar styles of the platform).
enum TScrollBarLook { sbRegular, sbEncarta, sbFlat };

class TCustomGrid;

// The keys that move between cells: arrows, PageUp, PageDown, Home and End.
inline bool IsGridMoveKey(Word key) {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT ||
           key == VK_HOME || key == VK_END;
}

using TDrawCellEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, bool& CanSelect)>;
using TMovedEvent = std::function<void(TObject* Sender, int32_t FromIndex, int32_t ToIndex)>;
using TGetEditEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, std::string& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, const std::string& Value)>;

// ---------------------------------------------------------------- TInplaceEdit

// The editor the grid places over its current cell: a multi-line masked
// edit without a frame, a child of the grid. Its changes go to the grid's
// SetEditText; the keys that move between cells go to the grid's KeyDown,
// and every typed character to the grid's KeyPress first; the grid's
// OnKeyDown and OnKeyUp hear the editor's keys.
class TInplaceEdit : public TCustomMaskEdit {
public:
    explicit TInplaceEdit(TComponent* owner);
    ~TInplaceEdit() override;

    TCustomGrid* Grid() const { return FGrid; }
    // Shows the editor over loc (client pixels of the grid) and gives it the
    // focus when the grid has it; an empty rectangle hides it.
    void Move(const TRect& loc);
    // The same without taking the focus (the cell moved in view).
    void UpdateLoc(const TRect& loc);
    // Hides the editor; the grid takes the focus back when the editor had it.
    void Hide();
    // Takes the text, mask and limit of the grid's current cell.
    virtual void UpdateContents();
    using TCustomMaskEdit::SetMultiLine;

protected:
    // The editor has been placed: the text starts 2 pixels in.
    virtual void BoundsChanged();
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void KeyUp(Word& key, TShiftState shift) override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) override;
    void Change() override;
    bool WantsKey(Word key, TShiftState shift) const override;

private:
    friend class TCustomGrid;
    void InternalMove(const TRect& loc, bool focus);
    TCustomGrid* FGrid = nullptr;
};

// ---------------------------------------------------------------- TCustomGrid

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;

    // The area the cells use: inside the frame and the scroll bars.
    int32_t ClientWidth() const override;
    int32_t ClientHeight() const override;

    // ---- counts and sizes
    int32_t ColCount() const { return FColCount; }
    // At least 1; a count at or below the fixed count lowers it.
    void SetColCount(int32_t count);
    int32_t RowCount() const { return FRowCount; }
    void SetRowCount(int32_t count);
    int32_t FixedCols() const { return FFixedCols; }
    // Raises EInvalidGridOperation for a negative value or one at or above
    // the count; the current cell and the view go back to the first cell.
    void SetFixedCols(int32_t count);
    int32_t FixedRows() const { return FFixedRows; }
    void SetFixedRows(int32_t count);
    int32_t DefaultColWidth() const { return FColWidths.Default(); }
    // Every column takes the new width.
    void SetDefaultColWidth(int32_t width);
    int32_t DefaultRowHeight() const { return FRowHeights.Default(); }
    void SetDefaultRowHeight(int32_t height);
    int32_t GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int32_t width);
    // Beyond the count: the default. Writes outside the count are ignored.
    int32_t ColWidths(int32_t index) const { return FColWidths.Size(index); }
    void SetColWidths(int32_t index, int32_t width);
    int32_t RowHeights(int32_t index) const { return FRowHeights.Size(index); }
    void SetRowHeights(int32_t index, int32_t height);
    // The pixels from the left of column 0 to the left of column index,
    // grid lines included, as if nothing were scrolled (few steps wherever
    // the column is).
    int64_t ColOffset(int32_t index) const;
    int64_t RowOffset(int32_t index) const;

    // ---- look
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions options);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor color);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle bars);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool on);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);

    // ---- current cell, view and selection
    int32_t Col() const { return FCurrent.X; }
    // Asks SelectCell (which may refuse), scrolls the cell into view,
    // repaints, places the editor and runs Click. An index outside the
    // counts raises EInvalidGridOperation.
    void SetCol(int32_t col);
    int32_t Row() const { return FCurrent.Y; }
    void SetRow(int32_t row);
    int32_t LeftCol() const { return FTopLeft.X; }
    // Held within FixedCols .. the last column that still fills the view.
    void SetLeftCol(int32_t col);
    int32_t TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int32_t row);
    // Scrolling columns and rows wholly in view (at least the first one).
    int32_t VisibleColCount() const;
    int32_t VisibleRowCount() const;
    // The range between the selection's anchor and the current cell.
    TGridRect Selection() const;
    // Takes any rectangle, also one outside the grid (then no cell shows
    // selected): its top-left becomes the anchor, its bottom-right the
    // current cell.
    void SetSelection(const TGridRect& selection);
    TGridState GridState() const { return FGridState; }
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool on);
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }

    // ---- geometry
    // The cell's rectangle in client pixels; empty when it is out of view.
    TRect CellRect(int32_t col, int32_t row) const;
    // The part of the view covered by the cells of a range.
    TRect BoxRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // The cell under a client point; -1 for a coordinate outside the cells.
    TGridCoord MouseCoord(int32_t x, int32_t y) const;
    void MouseToCell(int32_t x, int32_t y, int32_t& col, int32_t& row) const;
    void InvalidateCell(int32_t col, int32_t row);
    void InvalidateCol(int32_t col);
    void InvalidateRow(int32_t row);
    void InvalidateGrid();
    // The editor reads its cell again.
    void InvalidateEditor();

    // ---- lines
    // Moves a line; the data of the string grid moves with it, the sizes
    // stay where they are.
    void MoveColumn(int32_t fromIndex, int32_t toIndex);
    void MoveRow(int32_t fromIndex, int32_t toIndex);
    // Moves the line to the end and drops it.
    virtual void DeleteColumn(int32_t col);
    virtual void DeleteRow(int32_t row);

    // ---- the editor
    void ShowEditor();
    void HideEditor();
    // Opens the editor and types ch into it.
    void ShowEditorChar(char32_t ch);

    // ---- scroll bars (the thumb runs from 0 to 127; with a page of P the
    // thumb's last position is 128 - P, as on the platform)
    bool GetScrollInfo(int bar, TScrollInfo& info) const;
    void SetScrollInfo(int bar, const TScrollInfo& info, bool redraw = true);
    // Shows or hides a bar the grid has (ScrollBars), whatever its range;
    // FollowScrollBars gives both back to the counts.
    void ShowScrollBar(int bar, bool show);
    void FollowScrollBars();
    // The bars' width (0: the style's), colour (clNone: the style's) and look.
    void SetScrollBarLook(int32_t width, TColor color, TScrollBarLook look);
    int32_t ScrollBarWidth() const;
    // The thumb position of a bar for the current view.
    int32_t ScrollPos(int bar) const;

    TNotifyEvent OnTopLeftChanged;

protected:
    // ---- drawing
    void Paint() override;
    // Draws one cell on Canvas; the default drawing (DefaultDrawing) has
    // already filled it.
    virtual void DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) = 0;

    // ---- the questions the grid asks
    // May the current cell move there? True by default.
    virtual bool SelectCell(int32_t col, int32_t row);
    // May the editor show now? With goEditing (and no goRowSelect), in
    // editor mode, once the window exists, while the grid has the focus or
    // goAlwaysShowEditor.
    virtual bool CanEditShow();
    virtual TInplaceEdit* CreateEditor();
    virtual std::string GetEditText(int32_t col, int32_t row);
    virtual void SetEditText(int32_t col, int32_t row, const std::string& value);
    virtual std::string GetEditMask(int32_t col, int32_t row);
    // The editor's MaxLength (0: none).
    virtual int32_t GetEditLimit();
    virtual bool CanEditAcceptKey(char32_t key);
    virtual bool CanEditModify();
    virtual bool CanGridAcceptKey(Word key, TShiftState shift);
    // The press at (x, y) starts sizing a line? Sets state to gsColSizing or
    // gsRowSizing with the line, its border's position and the press's
    // offset from it; gsNormal otherwise.
    virtual void CalcSizingState(int32_t x, int32_t y, TGridState& state, int32_t& index, int32_t& sizingPos,
                                 int32_t& sizingOfs);

    // ---- what the grid tells
    virtual void TopLeftChanged();
    virtual void SizeChanged(int32_t oldColCount, int32_t oldRowCount);
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void ColumnMoved(int32_t fromIndex, int32_t toIndex);
    virtual void RowMoved(int32_t fromIndex, int32_t toIndex);

    // ---- input
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    bool DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) override;
    void DoExit() override;
    bool ClicksOnMouseUp() const override { return false; }
    bool WantsKey(Word key, TShiftState shift) const override;
    void WMChar(TWMChar& message) override;
    void WMTimer(TWMTimer& message) override;
    void WMHScroll(TWMScroll& message) override;
    void WMVScroll(TWMScroll& message) override;
    void WMSetCursor(TWMSetCursor& message) override;
    void WMSize(TWMSize& message) override;
    void WMSetFocus(TWMFocus& message) override;
    void WMKillFocus(TWMFocus& message) override;
    void CreateWnd() override;

    // ---- for descendants
    // The control that edits the current cell now (the editor when it
    // shows), or null: a character typed on the grid goes into it.
    virtual TWinControl* EditingControl();
    // Moves the current cell (MoveAnchor: the selection collapses onto it;
    // Show: it scrolls into view); asks SelectCell.
    void MoveCurrent(int32_t col, int32_t row, bool moveAnchor, bool show);
    // Moves the view so that its first scrolling cell is (left, top).
    void MoveTopLeft(int32_t left, int32_t top);
    void FocusCell(int32_t col, int32_t row, bool moveAnchor);
    // The editor follows the current cell (shown when it may be).
    void UpdateEdit();
    // Writes the editor's text into its cell.
    void UpdateText();
    // The editor's cell, or -1.
    int32_t InplaceCol() const { return FInplaceCol; }
    int32_t InplaceRow() const { return FInplaceRow; }
    // The largest TopRow and LeftCol (the last line in view).
    int32_t MaxTopRow() const;
    int32_t MaxLeftCol() const;
    // The fixed part's width and height, lines included.
    int32_t FixedWidth() const;
    int32_t FixedHeight() const;
    // The grid or its editor has the focus.
    bool IsActiveControl() const;

    // The state while the mouse sizes or moves a line (a descendant that
    // ends such a drag itself sets it back).
    void SetGridState(TGridState state) { FGridState = state; }
    // The line sizes themselves, for descendants that move many lines at
    // once: a change made here is followed by one ColWidthsChanged or
    // RowHeightsChanged and a repaint.
    TGridAxis& ColWidthAxis() { return FColWidths; }
    TGridAxis& RowHeightAxis() { return FRowHeights; }

private:
    friend class TInplaceEdit;
    friend class TGridWidget;
    QWidget* CoordinateWidget() const override;
    QWidget* ClientWidget() const override;
    // The lines between columns and between rows (0 when none is drawn).
    int32_t VertLineWidth() const;
    int32_t HorzLineWidth() const;
    void ChangeSize(int32_t colCount, int32_t rowCount);
    void MoveLine(bool rows, int32_t fromIndex, int32_t toIndex);
    void Initialize();
    void ClampInView(TGridCoord cell);
    void SelectionMoved(const TGridRect& oldSelection);
    void MoveAnchor(TGridCoord anchor);
    void HideEdit();
    void ScrollData(TGridCoord oldTopLeft);
    void UpdateScrollRange();
    void ApplyScrollRange(int bar);
    void UpdateScrollPos();
    void ScrollRequest(int bar, uint16_t code, int32_t pos);
    // Lines in view from the first scrolling line: how many touch the view,
    // and how many it holds wholly.
    int32_t LastVisible(bool rows, bool full) const;
    int32_t CellAt(bool rows, int32_t pixel) const;
    int32_t LineStart(bool rows, int32_t index) const;
    void PaintLines(bool rows, int32_t from, int32_t to, int32_t across0, int32_t across1, bool fixed);
    void EndMoving();

    struct Impl;
    std::unique_ptr<Impl> FImpl;
    int32_t FColCount = 5;
    int32_t FRowCount = 5;
    int32_t FFixedCols = 1;
    int32_t FFixedRows = 1;
    TGridAxis FColWidths{64};
    TGridAxis FRowHeights{24};
    int32_t FGridLineWidth = 1;
    TGridOptions FOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TColor FFixedColor = clBtnFace;
    TScrollStyle FScrollBars = ssBoth;
    bool FDefaultDrawing = true;
    TBorderStyle FBorderStyle = bsSingle;
    TGridCoord FCurrent{1, 1};
    TGridCoord FAnchor{1, 1};
    TGridCoord FTopLeft{1, 1};
    TGridState FGridState = gsNormal;
    bool FEditorMode = false;
    // Characters typed while a typed character opens the editor (a handler
    // that lets the waiting messages run takes them in): they follow it.
    bool FOpeningByChar = false;
    std::u32string FTypedAhead;
    TInplaceEdit* FInplaceEdit = nullptr;
    int32_t FInplaceCol = -1;
    int32_t FInplaceRow = -1;
    // Sizing and moving by the mouse.
    int32_t FSizingIndex = -1;
    int32_t FSizingPos = 0;
    int32_t FSizingOfs = 0;
    int32_t FMoveIndex = -1;
    int32_t FMovePos = -1;
};

// ---------------------------------------------------------------- TDrawGrid

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* owner);
    ~TDrawGrid() override;

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;
    TGetEditEvent OnGetEditMask;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;

protected:
    void DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) override;
    bool SelectCell(int32_t col, int32_t row) override;
    std::string GetEditMask(int32_t col, int32_t row) override;
    std::string GetEditText(int32_t col, int32_t row) override;
    void SetEditText(int32_t col, int32_t row, const std::string& value) override;
    void ColumnMoved(int32_t fromIndex, int32_t toIndex) override;
    void RowMoved(int32_t fromIndex, int32_t toIndex) override;
    void TopLeftChanged() override;
};

// ---------------------------------------------------------------- TStringGrid

// Texts and objects per cell (objects are not owned). Reads outside the
// counts give "" and null; a write outside them is kept and shows when the
// counts grow to it; lowering a count drops what lies beyond.
class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent* owner);
    ~TStringGrid() override;

    std::string Cells(int32_t col, int32_t row) const { return std::string(CellText(col, row)); }
    // The text in place, valid until the cell's row is next changed: for
    // painting, comparing and searching without a copy.
    std::string_view CellText(int32_t col, int32_t row) const;
    void SetCells(int32_t col, int32_t row, const std::string& text);
    TObject* Objects(int32_t col, int32_t row) const;
    void SetObjects(int32_t col, int32_t row, TObject* object);
    // A row or column as a string list with ColCount or RowCount entries:
    // reading and writing it (objects too) reads and writes the cells, and
    // Assign copies a list's texts and objects in (entries beyond the
    // count are dropped, missing ones left empty).
    TStrings* Rows(int32_t row);
    TStrings* Cols(int32_t col);
    void SetRows(int32_t row, const TStrings* list);
    void SetCols(int32_t col, const TStrings* list);

    // The cell store, for descendants that move rows as units.
    TGridModel& Model() { return FModel; }
    const TGridModel& Model() const { return FModel; }

protected:
    void DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) override;
    std::string GetEditText(int32_t col, int32_t row) override;
    void SetEditText(int32_t col, int32_t row, const std::string& value) override;
    void ColumnMoved(int32_t fromIndex, int32_t toIndex) override;
    void RowMoved(int32_t fromIndex, int32_t toIndex) override;
    void SizeChanged(int32_t oldColCount, int32_t oldRowCount) override;
    // A cell's text or object changed: repaint it, and let the editor read
    // it again when it is the editor's (not while the editor writes it).
    virtual void CellChanged(int32_t col, int32_t row);

private:
    class TLineStrings;
    TGridModel FModel;
    std::map<int32_t, std::unique_ptr<TLineStrings>> FRowLists;
    std::map<int32_t, std::unique_ptr<TLineStrings>> FColLists;
    int32_t FEditUpdate = 0;
};
