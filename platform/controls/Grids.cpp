#include "platform/controls/Grids.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "platform/controls/StdCtrls.h"
#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- the widget

namespace {
constexpr int32_t kScrollRange = 127;
}  // namespace

// A scroll area whose viewport the grid paints and whose bars it runs
// itself: Qt moves no content, the bars' requests become WM_HSCROLL and
// WM_VSCROLL with the platform's codes, and keys are the grid's.
class TGridWidget : public QAbstractScrollArea {
public:
    TGridWidget() {
        auto* view = new QWidget();
        setViewport(view);
        view->setAttribute(Qt::WA_OpaquePaintEvent);
        view->setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
            bar->setRange(0, 0);
            bar->setSingleStep(1);
            bar->setPageStep(1);
            bar->setTracking(true);
            connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) { Action(bar, action); });
            connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar] { Released(bar); });
        }
    }
    TCustomGrid* Grid() const { return dynamic_cast<TCustomGrid*>(ControlOfWidget(this)); }
    // Set while the grid puts a bar where the view is.
    int Placing = 0;

protected:
    void scrollContentsBy(int, int) override {}
    void changeEvent(QEvent* e) override;
    // The viewport's paint comes here (the scroll area handles its events).
    void paintEvent(QPaintEvent* e) override {
        TCustomGrid* g = Grid();
        if (!g || g->Detached()) return;
        QPainter painter(viewport());
        const QRect r = e->rect();
        g->DispatchPaint(painter, Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1),
                         TSize{viewport()->width(), viewport()->height()});
    }
    void keyPressEvent(QKeyEvent* e) override { e->accept(); }
    void keyReleaseEvent(QKeyEvent* e) override { e->accept(); }
    bool viewportEvent(QEvent* e) override {
        // The wheel is the grid's (the binding hands it over); Qt must not
        // scroll the bars with it.
        if (e->type() == QEvent::Wheel) return true;
        return QAbstractScrollArea::viewportEvent(e);
    }

private:
    void Action(QScrollBar* bar, int action) {
        if (Placing) return;
        TCustomGrid* g = Grid();
        if (!g) return;
        uint16_t code = SB_ENDSCROLL;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
        case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
        case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
        case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
        case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
        case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
        case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
        default: return;
        }
        const int32_t pos = bar->sliderPosition();
        g->ScrollRequest(bar == verticalScrollBar() ? SB_VERT : SB_HORZ, code, pos);
        // While the thumb is dragged it stays under the mouse.
        if (code != SB_THUMBTRACK) bar->setSliderPosition(g->ScrollPos(bar == verticalScrollBar() ? SB_VERT : SB_HORZ));
    }
    void Released(QScrollBar* bar) {
        TCustomGrid* g = Grid();
        if (!g || Placing) return;
        const int which = bar == verticalScrollBar() ? SB_VERT : SB_HORZ;
        g->ScrollRequest(which, SB_THUMBPOSITION, bar->sliderPosition());
        g->ScrollRequest(which, SB_ENDSCROLL, 0);
    }
};

namespace {
QScrollBar* Bar(const QAbstractScrollArea* area, int bar) {
    return bar == SB_VERT ? area->verticalScrollBar() : area->horizontalScrollBar();
}

// The grid paints the widget's look with these.
constexpr TColor kFixedLineColor = clBlack;
constexpr TColor kLineColor = clSilver;

bool InRect(const TGridRect& r, int32_t col, int32_t row) {
    return col >= r.Left && col <= r.Right && row >= r.Top && row <= r.Bottom;
}

TGridRect GridRect(TGridCoord a, TGridCoord b) {
    return TGridRect{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}
}  // namespace

struct TCustomGrid::Impl {
    TGridWidget* Widget = nullptr;
    QWidget* View = nullptr;
    // The bars the grid shows (decided by the counts and ScrollBars).
    bool ShowH = false;
    bool ShowV = false;
    // Bars shown or hidden by ShowScrollBar, overriding the counts.
    int ForcedH = -1;
    int ForcedV = -1;
    int32_t BarWidth = 0;
    int32_t PageH = 0;
    int32_t PageV = 0;
    // The bars' ranges as the platform states them: the last position is
    // that of the end of the content, so with a page the thumb stops at
    // Max - Page + 1 (Qt's range ends at the thumb's last position).
    int32_t MinH = 0, MaxH = 0;
    int32_t MinV = 0, MaxV = 0;
    TColor BarColor = clNone;
    TScrollBarLook BarLook = sbRegular;
    // The style's scroll bar extent and the frame, asked once per change:
    // every geometry question needs them.
    int32_t StyleBarExtent = 0;
    int32_t Frame = 0;
    void Measure() {
        StyleBarExtent = Widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Widget->verticalScrollBar());
        Frame = Widget->frameWidth();
    }
};

void TGridWidget::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::StyleChange)
        if (TCustomGrid* g = Grid(); g && g->FImpl) g->FImpl->Measure();
}

// ---------------------------------------------------------------- construction

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner, new TGridWidget()) {
    FImpl = std::make_unique<Impl>();
    FImpl->Widget = static_cast<TGridWidget*>(NativeWidget(this));
    FImpl->View = FImpl->Widget->viewport();
    WatchWidget(FImpl->View);
    FImpl->Widget->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    FImpl->Measure();
    FColWidths.SetCount(FColCount);
    FRowHeights.SetCount(FRowCount);
    SetWantKeys(true);
    SetBounds(0, 0, 320, 120);
    UpdateScrollRange();
}

TCustomGrid::~TCustomGrid() {
    DetachWidget();
    if (TInplaceEdit* editor = FInplaceEdit) {
        FInplaceEdit = nullptr;
        editor->FGrid = nullptr;
        delete editor;
    }
}

QWidget* TCustomGrid::CoordinateWidget() const { return FImpl ? FImpl->View : NativeWidget(this); }
QWidget* TCustomGrid::ClientWidget() const { return FImpl ? FImpl->View : NativeWidget(this); }

int32_t TCustomGrid::ScrollBarWidth() const { return FImpl->BarWidth > 0 ? FImpl->BarWidth : FImpl->StyleBarExtent; }

int32_t TCustomGrid::ClientWidth() const {
    if (!FImpl) return Width();
    return std::max(0, Width() - 2 * FImpl->Frame - (FImpl->ShowV ? ScrollBarWidth() : 0));
}

int32_t TCustomGrid::ClientHeight() const {
    if (!FImpl) return Height();
    return std::max(0, Height() - 2 * FImpl->Frame - (FImpl->ShowH ? ScrollBarWidth() : 0));
}

void TCustomGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateScrollRange();
}

// ---------------------------------------------------------------- geometry

namespace {
// The width of the lines between columns (vertical lines) and rows.
int32_t LineX(TGridOptions o, int32_t width) { return (o & (goFixedVertLine | goVertLine)) ? width : 0; }
int32_t LineY(TGridOptions o, int32_t width) { return (o & (goFixedHorzLine | goHorzLine)) ? width : 0; }
}  // namespace

int32_t TCustomGrid::VertLineWidth() const { return LineX(FOptions, FGridLineWidth); }
int32_t TCustomGrid::HorzLineWidth() const { return LineY(FOptions, FGridLineWidth); }

int64_t TCustomGrid::ColOffset(int32_t index) const {
    return FColWidths.Offset(index) + static_cast<int64_t>(std::clamp(index, 0, FColCount)) * VertLineWidth();
}

int64_t TCustomGrid::RowOffset(int32_t index) const {
    return FRowHeights.Offset(index) + static_cast<int64_t>(std::clamp(index, 0, FRowCount)) * HorzLineWidth();
}

int32_t TCustomGrid::FixedWidth() const { return static_cast<int32_t>(ColOffset(FFixedCols)); }
int32_t TCustomGrid::FixedHeight() const { return static_cast<int32_t>(RowOffset(FFixedRows)); }

int32_t TCustomGrid::LineStart(bool rows, int32_t index) const {
    const int32_t fixed = rows ? FFixedRows : FFixedCols;
    if (index < fixed) return static_cast<int32_t>(rows ? RowOffset(index) : ColOffset(index));
    const int32_t first = rows ? FTopLeft.Y : FTopLeft.X;
    const int64_t base = rows ? RowOffset(fixed) : ColOffset(fixed);
    const int64_t at = rows ? RowOffset(index) - RowOffset(first) : ColOffset(index) - ColOffset(first);
    return static_cast<int32_t>(std::clamp<int64_t>(base + at, INT32_MIN / 2, INT32_MAX / 2));
}

int32_t TCustomGrid::LastVisible(bool rows, bool full) const {
    const int32_t count = rows ? FRowCount : FColCount;
    const int32_t extent = rows ? ClientHeight() : ClientWidth();
    const int32_t line = rows ? HorzLineWidth() : VertLineWidth();
    int64_t pos = rows ? FixedHeight() : FixedWidth();
    int32_t i = rows ? FTopLeft.Y : FTopLeft.X;
    int32_t last = i - 1;
    for (; i < count && pos < extent; ++i) {
        const int32_t size = rows ? FRowHeights.Size(i) : FColWidths.Size(i);
        if (full && pos + size > extent) break;
        last = i;
        pos += size + line;
    }
    return last;
}

int32_t TCustomGrid::VisibleColCount() const { return std::max(0, LastVisible(false, true) - FTopLeft.X + 1); }
int32_t TCustomGrid::VisibleRowCount() const { return std::max(0, LastVisible(true, true) - FTopLeft.Y + 1); }

namespace {
// The first line from which the lines to the end fit into extent.
int32_t MaxFirst(const TGridAxis& axis, int32_t count, int32_t fixed, int32_t line, int64_t extent) {
    int64_t used = 0;
    int32_t first = count;
    for (int32_t i = count - 1; i >= fixed; --i) {
        used += axis.Size(i);
        if (used > extent) break;
        first = i;
        used += line;
    }
    return std::clamp(first, fixed, std::max(fixed, count - 1));
}
}  // namespace

int32_t TCustomGrid::MaxTopRow() const {
    return MaxFirst(FRowHeights, FRowCount, FFixedRows, HorzLineWidth(), ClientHeight() - FixedHeight());
}

int32_t TCustomGrid::MaxLeftCol() const {
    return MaxFirst(FColWidths, FColCount, FFixedCols, VertLineWidth(), ClientWidth() - FixedWidth());
}

int32_t TCustomGrid::CellAt(bool rows, int32_t pixel) const {
    const int32_t extent = rows ? ClientHeight() : ClientWidth();
    if (pixel < 0 || pixel >= extent) return -1;
    const int32_t count = rows ? FRowCount : FColCount;
    const int32_t fixed = rows ? FFixedRows : FFixedCols;
    const int32_t line = rows ? HorzLineWidth() : VertLineWidth();
    int64_t pos = 0;
    for (int32_t i = 0; i < fixed; ++i) {
        pos += (rows ? FRowHeights.Size(i) : FColWidths.Size(i)) + line;
        if (pixel < pos) return i;
    }
    for (int32_t i = rows ? FTopLeft.Y : FTopLeft.X; i < count && pos < extent; ++i) {
        pos += (rows ? FRowHeights.Size(i) : FColWidths.Size(i)) + line;
        if (pixel < pos) return i;
    }
    return -1;
}

TGridCoord TCustomGrid::MouseCoord(int32_t x, int32_t y) const {
    TGridCoord c{CellAt(false, x), CellAt(true, y)};
    if (c.X < 0 || c.Y < 0) return TGridCoord{-1, -1};
    return c;
}

void TCustomGrid::MouseToCell(int32_t x, int32_t y, int32_t& col, int32_t& row) const {
    TGridCoord c = MouseCoord(x, y);
    col = c.X;
    row = c.Y;
}

TRect TCustomGrid::CellRect(int32_t col, int32_t row) const { return BoxRect(col, row, col, row); }

TRect TCustomGrid::BoxRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    // The visible part of each axis: the fixed lines, then the scrolling
    // ones from the first in view; a range reaching past the view ends at
    // its edge.
    auto span = [&](bool rows, int32_t from, int32_t to, int32_t& start, int32_t& end) {
        const int32_t count = rows ? FRowCount : FColCount;
        const int32_t fixed = rows ? FFixedRows : FFixedCols;
        const int32_t first = rows ? FTopLeft.Y : FTopLeft.X;
        const int32_t extent = rows ? ClientHeight() : ClientWidth();
        if (from > to) std::swap(from, to);
        from = std::max(from, 0);
        to = std::min(to, count - 1);
        // Lines scrolled out of view on the near side are skipped.
        if (from >= fixed && from < first) from = first;
        if (to >= fixed && to < first) to = fixed - 1;
        if (from > to) return false;
        start = LineStart(rows, from);
        if (start >= extent) return false;
        const int32_t toStart = LineStart(rows, to);
        end = toStart >= extent ? extent : toStart + (rows ? FRowHeights.Size(to) : FColWidths.Size(to));
        return true;
    };
    // Rows first: of a tall grid most rows are out of view.
    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    if (!span(true, top, bottom, y0, y1) || !span(false, left, right, x0, x1)) return TRect{};
    return TRect{x0, y0, x1, y1};
}

void TCustomGrid::InvalidateCell(int32_t col, int32_t row) {
    TRect r = CellRect(col, row);
    if (IsRectEmpty(r)) return;
    InvalidateRect(Rect(r.Left, r.Top, r.Right + FGridLineWidth, r.Bottom + FGridLineWidth));
}

void TCustomGrid::InvalidateCol(int32_t col) {
    TRect r = BoxRect(col, 0, col, FRowCount - 1);
    if (!IsRectEmpty(r)) InvalidateRect(Rect(r.Left, r.Top, r.Right + FGridLineWidth, r.Bottom + FGridLineWidth));
}

void TCustomGrid::InvalidateRow(int32_t row) {
    TRect r = BoxRect(0, row, FColCount - 1, row);
    if (!IsRectEmpty(r)) InvalidateRect(Rect(r.Left, r.Top, r.Right + FGridLineWidth, r.Bottom + FGridLineWidth));
}

void TCustomGrid::InvalidateGrid() { Invalidate(); }

// ---------------------------------------------------------------- counts and sizes

void TCustomGrid::SetColCount(int32_t count) {
    count = std::max(1, count);
    if (count == FColCount) return;
    if (count <= FFixedCols) FFixedCols = count - 1;
    ChangeSize(count, FRowCount);
}

void TCustomGrid::SetRowCount(int32_t count) {
    count = std::max(1, count);
    if (count == FRowCount) return;
    if (count <= FFixedRows) FFixedRows = count - 1;
    ChangeSize(FColCount, count);
}

void TCustomGrid::SetFixedCols(int32_t count) {
    if (count == FFixedCols) return;
    if (count < 0) throw EInvalidGridOperation(GridConst::SIndexOutOfRange);
    if (count >= FColCount) throw EInvalidGridOperation(GridConst::SFixedColTooBig);
    FFixedCols = count;
    Initialize();
    InvalidateGrid();
}

void TCustomGrid::SetFixedRows(int32_t count) {
    if (count == FFixedRows) return;
    if (count < 0) throw EInvalidGridOperation(GridConst::SIndexOutOfRange);
    if (count >= FRowCount) throw EInvalidGridOperation(GridConst::SFixedRowTooBig);
    FFixedRows = count;
    Initialize();
    InvalidateGrid();
}

// The current cell, the anchor and the view go to the first scrolling cell.
void TCustomGrid::Initialize() {
    HideEdit();
    FTopLeft = TGridCoord{FFixedCols, FFixedRows};
    FCurrent = FTopLeft;
    FAnchor = FCurrent;
    if (FOptions & goRowSelect) FAnchor.X = FColCount - 1;
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::ChangeSize(int32_t colCount, int32_t rowCount) {
    const int32_t oldCols = FColCount;
    const int32_t oldRows = FRowCount;
    FColCount = colCount;
    FRowCount = rowCount;
    FColWidths.SetCount(colCount);
    FRowHeights.SetCount(rowCount);
    if (FFixedCols >= colCount) FFixedCols = colCount - 1;
    if (FFixedRows >= rowCount) FFixedRows = rowCount - 1;
    // The editor's cell may be gone: its text goes back first.
    if (FInplaceCol >= colCount || FInplaceRow >= rowCount) HideEdit();
    auto clampCell = [&](TGridCoord& c) {
        c.X = std::clamp(c.X, FFixedCols, colCount - 1);
        c.Y = std::clamp(c.Y, FFixedRows, rowCount - 1);
    };
    clampCell(FCurrent);
    clampCell(FAnchor);
    if (FOptions & goRowSelect) FAnchor.X = colCount - 1;
    SizeChanged(oldCols, oldRows);
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::SetDefaultColWidth(int32_t width) {
    FColWidths.SetDefault(width);
    ColWidthsChanged();
    InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int32_t height) {
    FRowHeights.SetDefault(height);
    RowHeightsChanged();
    InvalidateGrid();
}

void TCustomGrid::SetGridLineWidth(int32_t width) {
    width = std::max(0, width);
    if (width == FGridLineWidth) return;
    FGridLineWidth = width;
    UpdateScrollRange();
    InvalidateGrid();
}

void TCustomGrid::SetColWidths(int32_t index, int32_t width) {
    if (index < 0 || index >= FColCount) return;
    width = std::max(0, width);
    if (width == FColWidths.Size(index)) return;
    FColWidths.SetSize(index, width);
    ColWidthsChanged();
    InvalidateGrid();
}

void TCustomGrid::SetRowHeights(int32_t index, int32_t height) {
    if (index < 0 || index >= FRowCount) return;
    height = std::max(0, height);
    if (height == FRowHeights.Size(index)) return;
    FRowHeights.SetSize(index, height);
    RowHeightsChanged();
    InvalidateGrid();
}

void TCustomGrid::ColWidthsChanged() {
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::RowHeightsChanged() {
    UpdateScrollRange();
    UpdateEdit();
}

void TCustomGrid::SizeChanged(int32_t, int32_t) {}

// ---------------------------------------------------------------- look

void TCustomGrid::SetOptions(TGridOptions options) {
    if (options & goRowSelect) options &= ~goAlwaysShowEditor;
    if (options == FOptions) return;
    const bool lines = LineX(options, 1) != LineX(FOptions, 1) || LineY(options, 1) != LineY(FOptions, 1);
    const bool editingOff = (FOptions & goEditing) && !(options & goEditing);
    FOptions = options;
    if (!FEditorMode) {
        if (options & goAlwaysShowEditor) FEditorMode = true;
        else HideEditor();
    }
    // A grid that does not edit shows no editor (the mode stays for later).
    if (editingOff) HideEdit();
    if (options & goRowSelect) MoveCurrent(FCurrent.X, FCurrent.Y, true, false);
    if (lines) UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::SetFixedColor(TColor color) {
    FFixedColor = color;
    InvalidateGrid();
}

void TCustomGrid::SetScrollBars(TScrollStyle bars) {
    if (bars == FScrollBars) return;
    FScrollBars = bars;
    UpdateScrollRange();
}

void TCustomGrid::SetDefaultDrawing(bool on) {
    FDefaultDrawing = on;
    InvalidateGrid();
}

void TCustomGrid::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    FImpl->Widget->setFrameStyle(style == bsNone ? QFrame::NoFrame : (QFrame::StyledPanel | QFrame::Sunken));
    FImpl->Measure();
    UpdateScrollRange();
    InvalidateGrid();
}

// ---------------------------------------------------------------- current cell and view

TGridRect TCustomGrid::Selection() const { return GridRect(FAnchor, FCurrent); }

void TCustomGrid::SetSelection(const TGridRect& selection) {
    const TGridRect old = Selection();
    FAnchor = TGridCoord{selection.Left, selection.Top};
    FCurrent = TGridCoord{selection.Right, selection.Bottom};
    SelectionMoved(old);
}

void TCustomGrid::SelectionMoved(const TGridRect& old) {
    const TGridRect now = Selection();
    if (now == old) return;
    auto invalidate = [&](const TGridRect& r) {
        TRect box = BoxRect(r.Left, r.Top, r.Right, r.Bottom);
        if (!IsRectEmpty(box)) InvalidateRect(Rect(box.Left, box.Top, box.Right + FGridLineWidth, box.Bottom + FGridLineWidth));
    };
    invalidate(old);
    invalidate(now);
}

void TCustomGrid::MoveCurrent(int32_t col, int32_t row, bool moveAnchor, bool show) {
    if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount)
        throw EInvalidGridOperation(GridConst::SIndexOutOfRange);
    if (!SelectCell(col, row)) return;
    const TGridRect old = Selection();
    const TGridCoord oldCurrent = FCurrent;
    FCurrent = TGridCoord{col, row};
    if (!(FOptions & goAlwaysShowEditor)) HideEditor();
    if (moveAnchor || !(FOptions & goRangeSelect)) {
        FAnchor = FCurrent;
        if (FOptions & goRowSelect) FAnchor.X = FColCount - 1;
    }
    if (FOptions & goRowSelect) FCurrent.X = FFixedCols;
    if (show) ClampInView(FCurrent);
    SelectionMoved(old);
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(FCurrent.X, FCurrent.Y);
}

void TCustomGrid::MoveAnchor(TGridCoord anchor) {
    if (!(FOptions & goRangeSelect)) {
        MoveCurrent(anchor.X, anchor.Y, true, true);
        return;
    }
    const TGridRect old = Selection();
    FAnchor = anchor;
    if (FOptions & goRowSelect) FAnchor.X = FColCount - 1;
    ClampInView(anchor);
    SelectionMoved(old);
}

void TCustomGrid::FocusCell(int32_t col, int32_t row, bool moveAnchor) {
    MoveCurrent(col, row, moveAnchor, true);
    UpdateEdit();
    Click();
}

void TCustomGrid::SetCol(int32_t col) {
    if (col != FCurrent.X) FocusCell(col, FCurrent.Y, true);
}

void TCustomGrid::SetRow(int32_t row) {
    if (row != FCurrent.Y) FocusCell(FCurrent.X, row, true);
}

void TCustomGrid::SetLeftCol(int32_t col) { MoveTopLeft(col, FTopLeft.Y); }

void TCustomGrid::SetTopRow(int32_t row) { MoveTopLeft(FTopLeft.X, row); }

void TCustomGrid::MoveTopLeft(int32_t left, int32_t top) {
    left = std::clamp(left, FFixedCols, std::max(FFixedCols, MaxLeftCol()));
    top = std::clamp(top, FFixedRows, std::max(FFixedRows, MaxTopRow()));
    if (left == FTopLeft.X && top == FTopLeft.Y) return;
    const TGridCoord old = FTopLeft;
    FTopLeft = TGridCoord{left, top};
    UpdateScrollPos();
    ScrollData(old);
    TopLeftChanged();
}

void TCustomGrid::ClampInView(TGridCoord cell) {
    if (!HandleAllocated() && ClientHeight() <= 0) return;
    const int32_t lastCol = LastVisible(false, true);
    const int32_t lastRow = LastVisible(true, true);
    int32_t left = FTopLeft.X;
    int32_t top = FTopLeft.Y;
    // The first line from which `index` is the last one wholly in view.
    auto firstFor = [&](bool rows, int32_t index) {
        const TGridAxis& axis = rows ? FRowHeights : FColWidths;
        const int32_t fixed = rows ? FFixedRows : FFixedCols;
        const int32_t line = rows ? HorzLineWidth() : VertLineWidth();
        const int64_t extent = rows ? ClientHeight() - FixedHeight() : ClientWidth() - FixedWidth();
        int64_t used = 0;
        int32_t first = index;
        for (int32_t i = index; i >= fixed; --i) {
            used += axis.Size(i);
            if (used > extent) break;
            first = i;
            used += line;
        }
        return first;
    };
    if (cell.X >= FFixedCols) {
        if (cell.X < left) left = cell.X;
        else if (cell.X > lastCol) left = firstFor(false, cell.X);
    }
    if (cell.Y >= FFixedRows) {
        if (cell.Y < top) top = cell.Y;
        else if (cell.Y > lastRow) top = firstFor(true, cell.Y);
    }
    MoveTopLeft(left, top);
}

void TCustomGrid::TopLeftChanged() {
    if (FEditorMode && FInplaceEdit) FInplaceEdit->UpdateLoc(CellRect(FCurrent.X, FCurrent.Y));
}

// What is on the screen moves with the view; only the lines that come into
// view paint.
void TCustomGrid::ScrollData(TGridCoord old) {
    QWidget* view = FImpl->View;
    if (!view->isVisible() || WindowUpdateLocked()) {
        InvalidateGrid();
        return;
    }
    const int32_t cw = ClientWidth();
    const int32_t ch = ClientHeight();
    int64_t dx = ColOffset(old.X) - ColOffset(FTopLeft.X);
    int64_t dy = RowOffset(old.Y) - RowOffset(FTopLeft.Y);
    const int32_t fw = FixedWidth();
    const int32_t fh = FixedHeight();
    if (std::abs(dx) >= cw - fw || std::abs(dy) >= ch - fh) {
        InvalidateGrid();
        return;
    }
    if (dy != 0) view->scroll(0, static_cast<int>(dy), QRect(0, fh, cw, ch - fh));
    if (dx != 0) view->scroll(static_cast<int>(dx), 0, QRect(fw, 0, cw - fw, ch));
}

// ---------------------------------------------------------------- scroll bars

void TCustomGrid::UpdateScrollRange() {
    if (!FImpl) return;
    const bool wantH = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const bool wantV = FScrollBars == ssVertical || FScrollBars == ssBoth;
    // Each bar takes room from the other's direction: decide twice.
    for (int pass = 0; pass < 2; ++pass) {
        FImpl->ShowH = FImpl->ForcedH >= 0 ? FImpl->ForcedH == 1 : wantH && MaxLeftCol() > FFixedCols;
        FImpl->ShowV = FImpl->ForcedV >= 0 ? FImpl->ForcedV == 1 : wantV && MaxTopRow() > FFixedRows;
    }
    TGridWidget* w = FImpl->Widget;
    ++w->Placing;
    w->setHorizontalScrollBarPolicy(FImpl->ShowH ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    w->setVerticalScrollBarPolicy(FImpl->ShowV ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    FImpl->MinH = FImpl->MinV = 0;
    FImpl->MaxH = MaxLeftCol() > FFixedCols ? kScrollRange : 0;
    FImpl->MaxV = MaxTopRow() > FFixedRows ? kScrollRange : 0;
    ApplyScrollRange(SB_HORZ);
    ApplyScrollRange(SB_VERT);
    --w->Placing;
    // The view may have to move back to fill the client area.
    const TGridCoord old = FTopLeft;
    FTopLeft.X = std::clamp(FTopLeft.X, FFixedCols, std::max(FFixedCols, MaxLeftCol()));
    FTopLeft.Y = std::clamp(FTopLeft.Y, FFixedRows, std::max(FFixedRows, MaxTopRow()));
    UpdateScrollPos();
    if (!(old == FTopLeft)) {
        InvalidateGrid();
        TopLeftChanged();
    }
}

void TCustomGrid::ApplyScrollRange(int bar) {
    QScrollBar* b = Bar(FImpl->Widget, bar);
    const bool v = bar == SB_VERT;
    const int32_t page = v ? FImpl->PageV : FImpl->PageH;
    const int32_t min = v ? FImpl->MinV : FImpl->MinH;
    const int32_t max = v ? FImpl->MaxV : FImpl->MaxH;
    b->setRange(min, std::max(min, max - std::max(0, page - 1)));
    b->setPageStep(std::max(1, page));
}

int32_t TCustomGrid::ScrollPos(int bar) const {
    if (bar == SB_VERT) {
        const int32_t range = MaxTopRow() - FFixedRows;
        return range <= 0 ? 0 : MulDiv(FTopLeft.Y - FFixedRows, kScrollRange, range);
    }
    const int32_t range = MaxLeftCol() - FFixedCols;
    return range <= 0 ? 0 : MulDiv(FTopLeft.X - FFixedCols, kScrollRange, range);
}

void TCustomGrid::UpdateScrollPos() {
    if (!FImpl) return;
    TGridWidget* w = FImpl->Widget;
    ++w->Placing;
    for (int bar : {SB_HORZ, SB_VERT}) {
        QScrollBar* b = Bar(w, bar);
        if (!b->isSliderDown()) b->setValue(ScrollPos(bar));
    }
    --w->Placing;
}

void TCustomGrid::ScrollRequest(int bar, uint16_t code, int32_t pos) {
    TMessage m{bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MakeWParam(code, pos)};
    DispatchMessage(m);
}

namespace {
// The platform's mapping of a scroll request to the first line of the view.
int32_t ScrolledTo(uint16_t code, int32_t pos, int32_t first, int32_t fixed, int32_t max, int32_t page,
                   bool tracking) {
    switch (code) {
    case SB_LINEUP: return first - 1;
    case SB_LINEDOWN: return first + 1;
    case SB_PAGEUP: return first - std::max(1, page);
    case SB_PAGEDOWN: return first + std::max(1, page);
    case SB_THUMBTRACK:
        if (!tracking) return first;
        [[fallthrough]];
    case SB_THUMBPOSITION: return max > fixed ? fixed + MulDiv(pos, max - fixed, kScrollRange) : fixed;
    case SB_TOP: return fixed;
    case SB_BOTTOM: return max;
    default: return first;
    }
}
}  // namespace

void TCustomGrid::WMVScroll(TWMScroll& message) {
    const int32_t top = ScrolledTo(message.ScrollCode, message.Pos, FTopLeft.Y, FFixedRows, MaxTopRow(),
                                   VisibleRowCount(), (FOptions & goThumbTracking) != 0);
    MoveTopLeft(FTopLeft.X, top);
}

void TCustomGrid::WMHScroll(TWMScroll& message) {
    const int32_t left = ScrolledTo(message.ScrollCode, message.Pos, FTopLeft.X, FFixedCols, MaxLeftCol(),
                                    VisibleColCount(), (FOptions & goThumbTracking) != 0);
    MoveTopLeft(left, FTopLeft.Y);
}

bool TCustomGrid::GetScrollInfo(int bar, TScrollInfo& info) const {
    if (bar != SB_HORZ && bar != SB_VERT) return false;
    QScrollBar* b = Bar(FImpl->Widget, bar);
    info.Min = bar == SB_VERT ? FImpl->MinV : FImpl->MinH;
    info.Max = bar == SB_VERT ? FImpl->MaxV : FImpl->MaxH;
    info.Page = bar == SB_VERT ? FImpl->PageV : FImpl->PageH;
    info.Pos = b->value();
    info.TrackPos = b->sliderPosition();
    return true;
}

void TCustomGrid::SetScrollInfo(int bar, const TScrollInfo& info, bool redraw) {
    if (bar != SB_HORZ && bar != SB_VERT) return;
    TGridWidget* w = FImpl->Widget;
    QScrollBar* b = Bar(w, bar);
    ++w->Placing;
    const bool v = bar == SB_VERT;
    if (info.Mask & SIF_RANGE) {
        (v ? FImpl->MinV : FImpl->MinH) = info.Min;
        (v ? FImpl->MaxV : FImpl->MaxH) = std::max(info.Min, info.Max);
    }
    if (info.Mask & SIF_PAGE) (v ? FImpl->PageV : FImpl->PageH) = std::max(0, info.Page);
    if (info.Mask & (SIF_RANGE | SIF_PAGE)) ApplyScrollRange(bar);
    if (info.Mask & SIF_POS) b->setValue(info.Pos);
    --w->Placing;
    if (redraw) b->update();
}

void TCustomGrid::ShowScrollBar(int bar, bool show) {
    const bool h = bar == SB_HORZ || bar == SB_BOTH;
    const bool v = bar == SB_VERT || bar == SB_BOTH;
    if (h && (FScrollBars == ssHorizontal || FScrollBars == ssBoth)) FImpl->ForcedH = show ? 1 : 0;
    if (v && (FScrollBars == ssVertical || FScrollBars == ssBoth)) FImpl->ForcedV = show ? 1 : 0;
    UpdateScrollRange();
}

void TCustomGrid::FollowScrollBars() {
    FImpl->ForcedH = -1;
    FImpl->ForcedV = -1;
    UpdateScrollRange();
}

void TCustomGrid::SetScrollBarLook(int32_t width, TColor color, TScrollBarLook look) {
    FImpl->BarWidth = std::max(0, width);
    FImpl->BarColor = color;
    FImpl->BarLook = look;
    QString sheet;
    if (FImpl->BarWidth > 0 || color != clNone || look != sbRegular) {
        const QString bg = color != clNone ? QtColor(color).name() : QStringLiteral("palette(window)");
        const QString handle = look == sbFlat ? QStringLiteral("border: none; background: palette(mid);")
                                              : QStringLiteral("border: 1px outset palette(mid); background: palette(button);");
        const int32_t extent = ScrollBarWidth();
        sheet = QStringLiteral("QScrollBar:vertical { width: %1px; background: %2; }"
                               "QScrollBar:horizontal { height: %1px; background: %2; }"
                               "QScrollBar::handle { %3 min-width: 8px; min-height: 8px; }")
                    .arg(extent)
                    .arg(bg, handle);
    }
    FImpl->Widget->verticalScrollBar()->setStyleSheet(sheet);
    FImpl->Widget->horizontalScrollBar()->setStyleSheet(sheet);
    UpdateScrollRange();
}

// ---------------------------------------------------------------- questions

bool TCustomGrid::SelectCell(int32_t, int32_t) { return true; }

bool TCustomGrid::IsActiveControl() const {
    if (Focused()) return true;
    return FInplaceEdit && FInplaceEdit->Focused();
}

bool TCustomGrid::CanEditShow() {
    return (FOptions & (goRowSelect | goEditing)) == goEditing && FEditorMode && HandleAllocated() &&
           ((FOptions & goAlwaysShowEditor) || IsActiveControl());
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

std::string TCustomGrid::GetEditText(int32_t, int32_t) { return {}; }
void TCustomGrid::SetEditText(int32_t, int32_t, const std::string&) {}
std::string TCustomGrid::GetEditMask(int32_t, int32_t) { return {}; }
int32_t TCustomGrid::GetEditLimit() { return 0; }
bool TCustomGrid::CanEditAcceptKey(char32_t) { return true; }
bool TCustomGrid::CanEditModify() { return true; }
bool TCustomGrid::CanGridAcceptKey(Word, TShiftState) { return true; }
void TCustomGrid::ColumnMoved(int32_t, int32_t) {}
void TCustomGrid::RowMoved(int32_t, int32_t) {}

// ---------------------------------------------------------------- the editor

void TCustomGrid::UpdateText() {
    if (FInplaceEdit && FInplaceCol >= 0 && FInplaceRow >= 0) SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGrid::HideEdit() {
    if (!FInplaceEdit) return;
    // The cell's text comes back even when writing it raises.
    struct Done {
        TCustomGrid* G;
        ~Done() {
            G->FInplaceCol = -1;
            G->FInplaceRow = -1;
            if (G->FInplaceEdit) G->FInplaceEdit->Hide();
        }
    } done{this};
    UpdateText();
}

void TCustomGrid::UpdateEdit() {
    if (Detached() || !CanEditShow()) return;
    const bool inGrid = FCurrent.X >= 0 && FCurrent.Y >= 0 && FCurrent.X < FColCount && FCurrent.Y < FRowCount;
    if (!inGrid) return;
    auto updateEditor = [this] {
        FInplaceCol = FCurrent.X;
        FInplaceRow = FCurrent.Y;
        FInplaceEdit->UpdateContents();
        FInplaceEdit->SelectAll();
    };
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->FGrid = this;
        FInplaceEdit->SetParent(this);
        updateEditor();
    } else if (FCurrent.X != FInplaceCol || FCurrent.Y != FInplaceRow) {
        HideEdit();
        updateEditor();
    }
    if (CanEditShow()) FInplaceEdit->Move(CellRect(FCurrent.X, FCurrent.Y));
}

void TCustomGrid::InvalidateEditor() {
    FInplaceCol = -1;
    FInplaceRow = -1;
    UpdateEdit();
}

void TCustomGrid::ShowEditor() {
    FEditorMode = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    FEditorMode = false;
    HideEdit();
}

void TCustomGrid::SetEditorMode(bool on) {
    if (!on) {
        HideEditor();
        return;
    }
    ShowEditor();
    if (FInplaceEdit) FInplaceEdit->Deselect();
}

TWinControl* TCustomGrid::EditingControl() {
    return FInplaceEdit && FInplaceEdit->Visible() ? FInplaceEdit : nullptr;
}

namespace {
// Keys the window system delivers to the grid while a typed character opens
// its editor (a handler that lets the waiting messages run takes them in):
// kept back, and given to the widget with the focus once the editor is up,
// as they would have gone had the editor opened at once.
class TKeysAhead : public QObject {
public:
    explicit TKeysAhead(QWidget* grid) : FGrid(grid) { qApp->installEventFilter(this); }
    ~TKeysAhead() override {
        if (qApp) qApp->removeEventFilter(this);
    }
    std::vector<std::unique_ptr<QEvent>> Take() {
        if (qApp) qApp->removeEventFilter(this);
        return std::move(FKeys);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !FGrid || (w != FGrid && !FGrid->isAncestorOf(w))) return false;
        FKeys.emplace_back(event->clone());
        return true;
    }

private:
    QPointer<QWidget> FGrid;
    std::vector<std::unique_ptr<QEvent>> FKeys;
};
}  // namespace

void TCustomGrid::ShowEditorChar(char32_t ch) {
    if (FOpeningByChar) {
        FTypedAhead += ch;
        return;
    }
    FOpeningByChar = true;
    FTypedAhead.assign(1, ch);
    struct Done {
        TCustomGrid* G;
        ~Done() { G->FOpeningByChar = false; }
    } done{this};
    QPointer<QWidget> alive(NativeWidget(this));
    const bool wasOpen = EditingControl() != nullptr;
    TKeysAhead ahead(NativeWidget(this));
    ShowEditor();
    std::vector<std::unique_ptr<QEvent>> later = ahead.Take();
    FOpeningByChar = false;
    if (!alive || Detached()) return;
    std::u32string typed;
    typed.swap(FTypedAhead);
    TWinControl* target = EditingControl();
    if (target && !wasOpen) {
        // The key that opens the editor begins the new text; a list takes no
        // text, and the key picks the first item that begins with it.
        auto* combo = dynamic_cast<TCustomComboBox*>(target);
        if (combo && combo->Style() == csDropDownList) {
            const QString prefix = QString::fromUcs4(typed.data(), static_cast<qsizetype>(typed.size()));
            typed.clear();
            for (int32_t i = 0; i < combo->Items()->Count(); ++i) {
                if (!QStr(combo->Items()->Get(i)).startsWith(prefix, Qt::CaseInsensitive)) continue;
                if (i != combo->ItemIndex()) {
                    combo->SetItemIndex(i);
                    combo->UserSelected(i);
                }
                break;
            }
        } else if (combo) {
            combo->SelectAll();
        } else if (auto* edit = dynamic_cast<TCustomEdit*>(target)) {
            edit->SelectAll();
        }
    }
    // Sent now, not posted: a key the window system delivers next goes to
    // the editor, which has the focus by then, after these.
    if (target && !typed.empty()) {
        QPointer<QWidget> w(NativeWidget(target));
        if (QWidget* proxy = w->focusProxy()) w = proxy;
        for (char32_t c : typed) {
            if (!w) break;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&c, 1));
            QCoreApplication::sendEvent(w, &press);
        }
    }
    for (const std::unique_ptr<QEvent>& e : later)
        if (QWidget* focus = QApplication::focusWidget()) QCoreApplication::sendEvent(focus, e.get());
}

// ---------------------------------------------------------------- lines

void TCustomGrid::MoveLine(bool rows, int32_t fromIndex, int32_t toIndex) {
    if (fromIndex == toIndex) return;
    const int32_t count = rows ? FRowCount : FColCount;
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= count || toIndex >= count)
        throw EInvalidGridOperation(GridConst::SIndexOutOfRange);
    HideEdit();
    // The current cell and the anchor stay on their lines.
    auto adjust = [&](int32_t& i) {
        if (i == fromIndex) i = toIndex;
        else if (fromIndex < toIndex && i > fromIndex && i <= toIndex) --i;
        else if (fromIndex > toIndex && i >= toIndex && i < fromIndex) ++i;
    };
    adjust(rows ? FCurrent.Y : FCurrent.X);
    adjust(rows ? FAnchor.Y : FAnchor.X);
    if (rows) RowMoved(fromIndex, toIndex);
    else ColumnMoved(fromIndex, toIndex);
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::MoveColumn(int32_t fromIndex, int32_t toIndex) { MoveLine(false, fromIndex, toIndex); }

void TCustomGrid::MoveRow(int32_t fromIndex, int32_t toIndex) { MoveLine(true, fromIndex, toIndex); }

void TCustomGrid::DeleteColumn(int32_t col) {
    MoveColumn(col, FColCount - 1);
    SetColCount(FColCount - 1);
}

void TCustomGrid::DeleteRow(int32_t row) {
    MoveRow(row, FRowCount - 1);
    SetRowCount(FRowCount - 1);
}

// ---------------------------------------------------------------- painting

void TCustomGrid::Paint() {
    TCanvas* canvas = Canvas();
    const TRect clip = canvas->ClipRect();
    const int32_t cw = ClientWidth();
    const int32_t ch = ClientHeight();
    const int32_t lx = VertLineWidth();
    const int32_t ly = HorzLineWidth();
    // The lines in view: the fixed ones, then from the first scrolling one.
    struct Line {
        int32_t Index;
        int32_t Start;
        int32_t Size;
    };
    auto collect = [&](bool rows) {
        std::vector<Line> lines;
        const int32_t count = rows ? FRowCount : FColCount;
        const int32_t fixed = rows ? FFixedRows : FFixedCols;
        const int32_t extent = rows ? ch : cw;
        const int32_t gap = rows ? ly : lx;
        const TGridAxis& axis = rows ? FRowHeights : FColWidths;
        int32_t pos = 0;
        for (int32_t i = 0; i < fixed && pos < extent; ++i) {
            lines.push_back({i, pos, axis.Size(i)});
            pos += axis.Size(i) + gap;
        }
        for (int32_t i = rows ? FTopLeft.Y : FTopLeft.X; i < count && pos < extent; ++i) {
            lines.push_back({i, pos, axis.Size(i)});
            pos += axis.Size(i) + gap;
        }
        return std::make_pair(lines, pos);
    };
    const auto [cols, right] = collect(false);
    const auto [rows, bottom] = collect(true);
    const TGridRect sel = Selection();
    const bool active = IsActiveControl();
    const bool drawSel = (FOptions & (goDrawFocusSelected | goRowSelect)) != 0;
    TRect focusRect{};
    for (const Line& r : rows) {
        if (r.Start >= clip.Bottom || r.Start + r.Size + ly <= clip.Top) continue;
        for (const Line& c : cols) {
            if (c.Start >= clip.Right || c.Start + c.Size + lx <= clip.Left) continue;
            const TRect cell{c.Start, r.Start, c.Start + c.Size, r.Start + r.Size};
            const bool fixed = c.Index < FFixedCols || r.Index < FFixedRows;
            TGridDrawState state = 0;
            if (fixed) {
                state = gdFixed;
            } else {
                if (active && c.Index == FCurrent.X && r.Index == FCurrent.Y) state |= gdFocused;
                if (InRect(sel, c.Index, r.Index)) state |= gdSelected;
            }
            if (FDefaultDrawing) {
                if (!(*canvas->Font() == *Font())) canvas->SetFont(Font());
                canvas->Brush()->SetStyle(bsSolid);
                if (fixed) {
                    canvas->Brush()->SetColor(FFixedColor);
                } else if ((state & gdSelected) && (!(state & gdFocused) || drawSel)) {
                    canvas->Brush()->SetColor(clHighlight);
                    canvas->Font()->SetColor(clHighlightText);
                } else {
                    canvas->Brush()->SetColor(Color());
                }
                canvas->FillRect(cell);
            }
            DrawCell(c.Index, r.Index, cell, state);
            if (FDefaultDrawing && fixed && Ctl3D() && (FOptions & (goFixedVertLine | goFixedHorzLine)) ==
                                                           (goFixedVertLine | goFixedHorzLine)) {
                // A raised inner edge: light above and to the left, shadow below and to the right.
                canvas->Brush()->SetStyle(bsSolid);
                canvas->Brush()->SetColor(clBtnHighlight);
                canvas->FillRect(Rect(cell.Left, cell.Top, cell.Right, cell.Top + 1));
                canvas->FillRect(Rect(cell.Left, cell.Top, cell.Left + 1, cell.Bottom));
                canvas->Brush()->SetColor(clBtnShadow);
                canvas->FillRect(Rect(cell.Left, cell.Bottom - 1, cell.Right, cell.Bottom));
                canvas->FillRect(Rect(cell.Right - 1, cell.Top, cell.Right, cell.Bottom));
            }
            // The lines right of and below the cell.
            const bool vert = (FOptions & (fixed ? goFixedVertLine : goVertLine)) != 0;
            const bool horz = (FOptions & (fixed ? goFixedHorzLine : goHorzLine)) != 0;
            canvas->Brush()->SetStyle(bsSolid);
            if (lx > 0) {
                canvas->Brush()->SetColor(vert ? (fixed ? kFixedLineColor : kLineColor) : (fixed ? FFixedColor : Color()));
                canvas->FillRect(Rect(cell.Right, cell.Top, cell.Right + lx, cell.Bottom + ly));
            }
            if (ly > 0) {
                canvas->Brush()->SetColor(horz ? (fixed ? kFixedLineColor : kLineColor) : (fixed ? FFixedColor : Color()));
                canvas->FillRect(Rect(cell.Left, cell.Bottom, cell.Right + lx, cell.Bottom + ly));
            }
            if ((state & gdFocused) && !(FOptions & goRowSelect)) focusRect = cell;
        }
    }
    // What lies beyond the last line is the grid's colour.
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    if (right < cw) canvas->FillRect(Rect(right, 0, cw, ch));
    if (bottom < ch) canvas->FillRect(Rect(0, bottom, std::min(right, cw), ch));
    if (FDefaultDrawing && !IsRectEmpty(focusRect)) canvas->DrawFocusRect(focusRect);
    // The line a sizing or moving drag would put the border at.
    const bool sizing = FGridState == gsColSizing || FGridState == gsRowSizing;
    if (sizing || FGridState == gsColMoving || FGridState == gsRowMoving) {
        canvas->Brush()->SetColor(clBlack);
        if (FGridState == gsColSizing) canvas->FillRect(Rect(FSizingPos - 1, 0, FSizingPos + 1, ch));
        if (FGridState == gsRowSizing) canvas->FillRect(Rect(0, FSizingPos - 1, cw, FSizingPos + 1));
        if (FGridState == gsColMoving && FMovePos >= 0 && FMovePos != FMoveIndex) {
            const int32_t x = LineStart(false, FMovePos) + (FMovePos > FMoveIndex ? FColWidths.Size(FMovePos) : 0);
            canvas->FillRect(Rect(x - 1, 0, x + 1, ch));
        }
        if (FGridState == gsRowMoving && FMovePos >= 0 && FMovePos != FMoveIndex) {
            const int32_t y = LineStart(true, FMovePos) + (FMovePos > FMoveIndex ? FRowHeights.Size(FMovePos) : 0);
            canvas->FillRect(Rect(0, y - 1, cw, y + 1));
        }
    }
}

