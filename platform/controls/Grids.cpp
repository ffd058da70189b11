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

#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- the widget

namespace {
constexpr uint32_t kScrollTimer = 1;
constexpr uint32_t kScrollInterval = 60;
constexpr int32_t kScrollRange = 127;
// A sizing border: this close to a line between two cells.
constexpr int32_t kSizingMargin = 3;
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
    TColor BarColor = clNone;
    TScrollBarLook BarLook = sbRegular;
    bool Scrolling = false;
};

// ---------------------------------------------------------------- construction

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner, new TGridWidget()) {
    FImpl = std::make_unique<Impl>();
    FImpl->Widget = static_cast<TGridWidget*>(NativeWidget(this));
    FImpl->View = FImpl->Widget->viewport();
    WatchWidget(FImpl->View);
    FImpl->Widget->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
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

int32_t TCustomGrid::ScrollBarWidth() const {
    if (FImpl->BarWidth > 0) return FImpl->BarWidth;
    return FImpl->Widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FImpl->Widget->verticalScrollBar());
}

int32_t TCustomGrid::ClientWidth() const {
    if (!FImpl) return Width();
    const int32_t frame = FImpl->Widget->frameWidth();
    return std::max(0, Width() - 2 * frame - (FImpl->ShowV ? ScrollBarWidth() : 0));
}

int32_t TCustomGrid::ClientHeight() const {
    if (!FImpl) return Height();
    const int32_t frame = FImpl->Widget->frameWidth();
    return std::max(0, Height() - 2 * frame - (FImpl->ShowH ? ScrollBarWidth() : 0));
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

int64_t TCustomGrid::ColOffset(int32_t index) const {
    return FColWidths.Offset(index) + static_cast<int64_t>(std::clamp(index, 0, FColCount)) * LineX(FOptions, FGridLineWidth);
}

int64_t TCustomGrid::RowOffset(int32_t index) const {
    return FRowHeights.Offset(index) + static_cast<int64_t>(std::clamp(index, 0, FRowCount)) * LineY(FOptions, FGridLineWidth);
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
    const int32_t line = rows ? LineY(FOptions, FGridLineWidth) : LineX(FOptions, FGridLineWidth);
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
    return MaxFirst(FRowHeights, FRowCount, FFixedRows, LineY(FOptions, FGridLineWidth), ClientHeight() - FixedHeight());
}

int32_t TCustomGrid::MaxLeftCol() const {
    return MaxFirst(FColWidths, FColCount, FFixedCols, LineX(FOptions, FGridLineWidth), ClientWidth() - FixedWidth());
}

int32_t TCustomGrid::CellAt(bool rows, int32_t pixel) const {
    const int32_t extent = rows ? ClientHeight() : ClientWidth();
    if (pixel < 0 || pixel >= extent) return -1;
    const int32_t count = rows ? FRowCount : FColCount;
    const int32_t fixed = rows ? FFixedRows : FFixedCols;
    const int32_t line = rows ? LineY(FOptions, FGridLineWidth) : LineX(FOptions, FGridLineWidth);
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
    // The visible part of each axis: fixed lines, then from the first
    // scrolling line to the last one in view.
    auto span = [&](bool rows, int32_t from, int32_t to, int32_t& start, int32_t& end) {
        const int32_t count = rows ? FRowCount : FColCount;
        const int32_t fixed = rows ? FFixedRows : FFixedCols;
        const int32_t first = rows ? FTopLeft.Y : FTopLeft.X;
        const int32_t last = LastVisible(rows, false);
        if (from > to) std::swap(from, to);
        from = std::max(from, 0);
        to = std::min(to, count - 1);
        if (from > to) return false;
        // Lines scrolled out of view on the near side are skipped.
        if (from >= fixed && from < first) from = first;
        if (to >= fixed && to < first) to = fixed - 1;
        if (to > last) to = last;
        if (from > to || from > last) return false;
        start = LineStart(rows, from);
        end = LineStart(rows, to) + (rows ? FRowHeights.Size(to) : FColWidths.Size(to));
        return true;
    };
    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    if (!span(false, left, right, x0, x1) || !span(true, top, bottom, y0, y1)) return TRect{};
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
    FOptions = options;
    if (!FEditorMode) {
        if (options & goAlwaysShowEditor) FEditorMode = true;
        else HideEditor();
    }
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
        const int32_t line = rows ? LineY(FOptions, FGridLineWidth) : LineX(FOptions, FGridLineWidth);
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
    w->horizontalScrollBar()->setRange(0, MaxLeftCol() > FFixedCols ? kScrollRange : 0);
    w->verticalScrollBar()->setRange(0, MaxTopRow() > FFixedRows ? kScrollRange : 0);
    w->horizontalScrollBar()->setPageStep(std::max(1, FImpl->PageH));
    w->verticalScrollBar()->setPageStep(std::max(1, FImpl->PageV));
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
    info.Min = b->minimum();
    info.Max = b->maximum();
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
    if (info.Mask & SIF_RANGE) b->setRange(info.Min, std::max(info.Min, info.Max));
    if (info.Mask & SIF_PAGE) {
        (bar == SB_VERT ? FImpl->PageV : FImpl->PageH) = std::max(0, info.Page);
        b->setPageStep(std::max(1, info.Page));
    }
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

void TCustomGrid::ShowEditorChar(char32_t ch) {
    ShowEditor();
    if (!FInplaceEdit || !FInplaceEdit->Visible()) return;
    // The character arrives as if typed, after what is being handled now.
    QWidget* w = NativeWidget(FInplaceEdit);
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                                                 QString::fromUcs4(&ch, 1)));
}

// ---------------------------------------------------------------- lines

void TCustomGrid::MoveColumn(int32_t fromIndex, int32_t toIndex) {
    if (fromIndex == toIndex) return;
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= FColCount || toIndex >= FColCount)
        throw EInvalidGridOperation(GridConst::SIndexOutOfRange);
    HideEdit();
    auto adjust = [&](int32_t& x) {
        if (x == fromIndex) x = toIndex;
        else if (fromIndex < toIndex && x > fromIndex && x <= toIndex) --x;
        else if (fromIndex > toIndex && x >= toIndex && x < fromIndex) ++x;
    };
    adjust(FCurrent.X);
    adjust(FAnchor.X);
    ColumnMoved(fromIndex, toIndex);
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::MoveRow(int32_t fromIndex, int32_t toIndex) {
    if (fromIndex == toIndex) return;
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= FRowCount || toIndex >= FRowCount)
        throw EInvalidGridOperation(GridConst::SIndexOutOfRange);
    HideEdit();
    auto adjust = [&](int32_t& y) {
        if (y == fromIndex) y = toIndex;
        else if (fromIndex < toIndex && y > fromIndex && y <= toIndex) --y;
        else if (fromIndex > toIndex && y >= toIndex && y < fromIndex) ++y;
    };
    adjust(FCurrent.Y);
    adjust(FAnchor.Y);
    RowMoved(fromIndex, toIndex);
    InvalidateGrid();
    UpdateEdit();
}

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
    const int32_t lx = LineX(FOptions, FGridLineWidth);
    const int32_t ly = LineY(FOptions, FGridLineWidth);
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

// ---------------------------------------------------------------- mouse

void TCustomGrid::CalcSizingState(int32_t x, int32_t y, TGridState& state, int32_t& index, int32_t& sizingPos,
                                  int32_t& sizingOfs) {
    state = gsNormal;
    index = -1;
    // The border after a line in view (its middle), within the margin.
    auto border = [&](bool rows, int32_t pixel, int32_t& line, int32_t& pos) {
        const int32_t count = rows ? FRowCount : FColCount;
        const int32_t gap = rows ? LineY(FOptions, FGridLineWidth) : LineX(FOptions, FGridLineWidth);
        const int32_t extent = rows ? ClientHeight() : ClientWidth();
        const int32_t fixed = rows ? FFixedRows : FFixedCols;
        const int32_t first = rows ? FTopLeft.Y : FTopLeft.X;
        for (int32_t i = fixed > 0 ? 0 : first; i < count; i = i + 1 == fixed ? std::max(fixed, first) : i + 1) {
            const int32_t start = LineStart(rows, i);
            if (start >= extent) break;
            const int32_t edge = start + (rows ? FRowHeights.Size(i) : FColWidths.Size(i)) + gap / 2;
            if (pixel >= edge - kSizingMargin && pixel <= edge + kSizingMargin) {
                line = i;
                pos = edge;
                return true;
            }
        }
        return false;
    };
    int32_t line = -1;
    int32_t pos = 0;
    if ((FOptions & goColSizing) && y >= 0 && y < FixedHeight() && border(false, x, line, pos)) {
        state = gsColSizing;
        index = line;
        sizingPos = pos;
        sizingOfs = pos - x;
        return;
    }
    if ((FOptions & goRowSizing) && x >= 0 && x < FixedWidth() && border(true, y, line, pos)) {
        state = gsRowSizing;
        index = line;
        sizingPos = pos;
        sizingOfs = pos - y;
    }
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    HideEdit();
    if (CanFocus() || !ControlHooks().ParentWindow(this)) {
        if (!IsActiveControl()) SetFocus();
    }
    if (button == mbLeft && (shift & ssDouble)) {
        // The double click itself ran (DblClick) before this press.
        TCustomControl::MouseDown(button, shift, x, y);
        return;
    }
    if (button == mbLeft) {
        CalcSizingState(x, y, FGridState, FSizingIndex, FSizingPos, FSizingOfs);
        if (FGridState != gsNormal) {
            InvalidateGrid();
            return;
        }
        const TGridCoord hit = MouseCoord(x, y);
        if (hit.X >= FFixedCols && hit.Y >= FFixedRows) {
            if (FOptions & goEditing) {
                if (hit == FCurrent) {
                    ShowEditor();
                } else {
                    MoveCurrent(hit.X, hit.Y, true, true);
                    UpdateEdit();
                }
                Click();
            } else {
                FGridState = gsSelecting;
                SetTimer(kScrollTimer, kScrollInterval);
                if (shift & ssShift) MoveAnchor(hit);
                else MoveCurrent(hit.X, hit.Y, true, true);
            }
        } else if ((FOptions & goColMoving) && hit.X >= FFixedCols && hit.Y >= 0 && hit.Y < FFixedRows) {
            FMoveIndex = hit.X;
            FMovePos = hit.X;
            FGridState = gsColMoving;
            SetTimer(kScrollTimer, kScrollInterval);
        } else if ((FOptions & goRowMoving) && hit.Y >= FFixedRows && hit.X >= 0 && hit.X < FFixedCols) {
            FMoveIndex = hit.Y;
            FMovePos = hit.Y;
            FGridState = gsRowMoving;
            SetTimer(kScrollTimer, kScrollInterval);
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    switch (FGridState) {
    case gsSelecting: {
        const TGridCoord hit = MouseCoord(x, y);
        if (hit.X >= FFixedCols && hit.Y >= FFixedRows && !(hit == FCurrent)) MoveCurrent(hit.X, hit.Y, false, false);
        break;
    }
    case gsColSizing:
    case gsRowSizing: {
        const bool rows = FGridState == gsRowSizing;
        // A line keeps at least a pixel.
        const int32_t least = LineStart(rows, FSizingIndex) + 1;
        const int32_t pos = std::max(least, (rows ? y : x) + FSizingOfs);
        if (pos != FSizingPos) {
            FSizingPos = pos;
            InvalidateGrid();
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving: {
        const bool rows = FGridState == gsRowMoving;
        const int32_t cell = CellAt(rows, rows ? y : x);
        const int32_t fixed = rows ? FFixedRows : FFixedCols;
        if (cell >= fixed && cell != FMovePos) {
            FMovePos = cell;
            InvalidateGrid();
        }
        break;
    }
    default: break;
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TCustomGrid::EndMoving() {
    KillTimer(kScrollTimer);
    const TGridState state = FGridState;
    const int32_t from = FMoveIndex;
    const int32_t to = FMovePos;
    FMoveIndex = -1;
    FMovePos = -1;
    InvalidateGrid();
    if (from < 0 || to < 0 || from == to) return;
    if (state == gsColMoving) MoveColumn(from, to);
    else MoveRow(from, to);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    struct Normal {
        TCustomGrid* G;
        ~Normal() { G->FGridState = gsNormal; }
    };
    {
        Normal normal{this};
        switch (FGridState) {
        case gsSelecting:
            MouseMove(shift, x, y);
            KillTimer(kScrollTimer);
            UpdateEdit();
            Click();
            break;
        case gsColSizing:
        case gsRowSizing: {
            // The new size is set while the state still tells what is sized.
            const bool rows = FGridState == gsRowSizing;
            const int32_t size = std::max(0, FSizingPos - LineStart(rows, FSizingIndex) -
                                                 (rows ? LineY(FOptions, FGridLineWidth) : LineX(FOptions, FGridLineWidth)) / 2);
            InvalidateGrid();
            if (rows) SetRowHeights(FSizingIndex, size);
            else SetColWidths(FSizingIndex, size);
            break;
        }
        case gsColMoving:
        case gsRowMoving: EndMoving(); break;
        default: UpdateEdit(); break;
        }
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

bool TCustomGrid::DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) {
    if (TCustomControl::DoMouseWheel(shift, delta, pos)) return true;
    const int32_t notches = std::max(1, std::abs(delta) / 120);
    for (int32_t i = 0; i < notches; ++i) {
        if (delta < 0 && FCurrent.Y < FRowCount - 1) SetRow(FCurrent.Y + 1);
        else if (delta > 0 && FCurrent.Y > FFixedRows) SetRow(FCurrent.Y - 1);
    }
    return true;
}

void TCustomGrid::WMTimer(TWMTimer& message) {
    if (message.TimerID != kScrollTimer) return;
    if (FGridState != gsSelecting && FGridState != gsColMoving && FGridState != gsRowMoving) return;
    // The mouse beyond the view's edge scrolls it a line at a time.
    const TPoint p = ScreenToClient(GetCursorPos());
    const int32_t cw = ClientWidth();
    const int32_t ch = ClientHeight();
    int32_t left = FTopLeft.X;
    int32_t top = FTopLeft.Y;
    const bool cols = FGridState != gsRowMoving;
    const bool rows = FGridState != gsColMoving;
    if (cols && p.X < FixedWidth()) --left;
    if (cols && p.X >= cw) ++left;
    if (rows && p.Y < FixedHeight()) --top;
    if (rows && p.Y >= ch) ++top;
    if (left == FTopLeft.X && top == FTopLeft.Y) return;
    MoveTopLeft(left, top);
    if (FGridState == gsSelecting) {
        const int32_t col = std::clamp(CellAt(false, std::clamp(p.X, FixedWidth(), cw - 1)), FFixedCols, FColCount - 1);
        const int32_t row = std::clamp(CellAt(true, std::clamp(p.Y, FixedHeight(), ch - 1)), FFixedRows, FRowCount - 1);
        if (col >= 0 && row >= 0) MoveCurrent(col, row, false, false);
    } else if (FGridState == gsColMoving) {
        FMovePos = std::clamp(p.X < FixedWidth() ? FTopLeft.X : LastVisible(false, false), FFixedCols, FColCount - 1);
    } else {
        FMovePos = std::clamp(p.Y < FixedHeight() ? FTopLeft.Y : LastVisible(true, false), FFixedRows, FRowCount - 1);
    }
    InvalidateGrid();
}

void TCustomGrid::WMSetCursor(TWMSetCursor& message) {
    TGridState state = FGridState;
    if (state == gsNormal) {
        const TPoint p = ScreenToClient(GetCursorPos());
        int32_t index = 0, pos = 0, ofs = 0;
        CalcSizingState(p.X, p.Y, state, index, pos, ofs);
    }
    if (state == gsColSizing) SetCursorShape(crHSplit);
    else if (state == gsRowSizing) SetCursorShape(crVSplit);
    else TCustomControl::WMSetCursor(message);
}

void TCustomGrid::WMSize(TWMSize& message) {
    UpdateScrollRange();
    UpdateEdit();
    TCustomControl::WMSize(message);
}

// ---------------------------------------------------------------- keys and focus

bool TCustomGrid::WantsKey(Word key, TShiftState shift) const {
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END: return true;
    case VK_TAB: return (FOptions & goTabs) && !(FOptions & goRowSelect);
    case VK_RETURN: return (FOptions & goEditing) != 0;
    case VK_ESCAPE: return FEditorMode && FInplaceEdit && FInplaceEdit->Visible();
    default: return false;
    }
}

void TCustomGrid::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    if (!CanGridAcceptKey(key, shift)) {
        key = 0;
        return;
    }
    const bool ctrl = (shift & ssCtrl) != 0;
    TGridCoord cur = FCurrent;
    TGridCoord topLeft = FTopLeft;
    const int32_t page = std::max(1, VisibleRowCount());
    const int32_t lastCol = FColCount - 1;
    const int32_t lastRow = FRowCount - 1;
    bool handled = true;
    switch (key) {
    case VK_UP:
        if (ctrl) --topLeft.Y;
        else --cur.Y;
        break;
    case VK_DOWN:
        if (ctrl) ++topLeft.Y;
        else ++cur.Y;
        break;
    case VK_LEFT:
        if (ctrl) --topLeft.X;
        else if (FOptions & goRowSelect) --topLeft.X;
        else --cur.X;
        break;
    case VK_RIGHT:
        if (ctrl) ++topLeft.X;
        else if (FOptions & goRowSelect) ++topLeft.X;
        else ++cur.X;
        break;
    case VK_NEXT:
        if (ctrl) {
            cur.Y = LastVisible(true, true);
        } else {
            cur.Y += page;
            topLeft.Y += page;
        }
        break;
    case VK_PRIOR:
        if (ctrl) {
            cur.Y = FTopLeft.Y;
        } else {
            cur.Y -= page;
            topLeft.Y -= page;
        }
        break;
    case VK_HOME:
        if (ctrl || (FOptions & goRowSelect)) cur.Y = FFixedRows;
        if (!(FOptions & goRowSelect)) cur.X = FFixedCols;
        break;
    case VK_END:
        if (ctrl || (FOptions & goRowSelect)) cur.Y = lastRow;
        if (!(FOptions & goRowSelect)) cur.X = lastCol;
        break;
    case VK_TAB:
        if ((shift & ssAlt) || !(FOptions & goTabs)) {
            handled = false;
            break;
        }
        if (shift & ssShift) {
            if (--cur.X < FFixedCols) {
                cur.X = lastCol;
                if (--cur.Y < FFixedRows) cur.Y = lastRow;
            }
        } else if (++cur.X > lastCol) {
            cur.X = FFixedCols;
            if (++cur.Y > lastRow) cur.Y = FFixedRows;
        }
        break;
    case VK_F2:
        SetEditorMode(true);
        return;
    default: handled = false; break;
    }
    if (!handled) return;
    cur.X = std::clamp(cur.X, FFixedCols, lastCol);
    cur.Y = std::clamp(cur.Y, FFixedRows, lastRow);
    if (!(topLeft == FTopLeft)) {
        MoveTopLeft(topLeft.X, topLeft.Y);
        // Scrolling by Ctrl keeps the current cell in view.
        if (ctrl && key != VK_HOME && key != VK_END) {
            cur.Y = std::clamp(cur.Y, FTopLeft.Y, std::max(FTopLeft.Y, LastVisible(true, true)));
            cur.X = std::clamp(cur.X, FTopLeft.X, std::max(FTopLeft.X, LastVisible(false, true)));
        }
    }
    if (!(cur == FCurrent)) FocusCell(cur.X, cur.Y, !(shift & ssShift));
}

void TCustomGrid::WMChar(TWMChar& message) {
    // A typed character opens the editor and goes into it.
    const char32_t ch = message.CharCode;
    if ((FOptions & goEditing) && (ch == 8 || ch >= 32) && ch != 0x7F) {
        message.CharCode = 0;
        ShowEditorChar(ch);
        return;
    }
    TCustomControl::WMChar(message);
}

void TCustomGrid::KeyPress(char32_t& key) {
    TCustomControl::KeyPress(key);
    if (!(FOptions & goAlwaysShowEditor) && key == U'\r') {
        if (FEditorMode) HideEditor();
        else ShowEditor();
        key = 0;
    }
}

void TCustomGrid::DoExit() {
    TCustomControl::DoExit();
    if (!(FOptions & goAlwaysShowEditor)) HideEditor();
}

void TCustomGrid::WMSetFocus(TWMFocus& message) {
    TCustomControl::WMSetFocus(message);
    if (!FInplaceEdit || message.FocusedWnd != FInplaceEdit) {
        SelectionMoved(TGridRect{-1, -1, -1, -1});
        InvalidateCell(FCurrent.X, FCurrent.Y);
        UpdateEdit();
    }
}

void TCustomGrid::WMKillFocus(TWMFocus& message) {
    TCustomControl::WMKillFocus(message);
    SelectionMoved(TGridRect{-1, -1, -1, -1});
    InvalidateCell(FCurrent.X, FCurrent.Y);
    if (FInplaceEdit && message.FocusedWnd != FInplaceEdit) FInplaceEdit->Hide();
}

// ---------------------------------------------------------------- TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomMaskEdit(owner, true) {
    SetBorderStyle(bsNone);
    SetTabStop(false);
    SetCtl3D(false);
    SetVisible(false);
}

TInplaceEdit::~TInplaceEdit() {
    DetachWidget();
    if (FGrid && FGrid->FInplaceEdit == this) FGrid->FInplaceEdit = nullptr;
}

void TInplaceEdit::InternalMove(const TRect& loc, bool focus) {
    if (IsRectEmpty(loc)) {
        Hide();
        return;
    }
    SetBounds(loc.Left, loc.Top, loc.Width(), loc.Height());
    SetVisible(true);
    BringToFront();
    BoundsChanged();
    if (focus && FGrid && FGrid->Focused()) SetFocus();
}

void TInplaceEdit::Move(const TRect& loc) { InternalMove(loc, true); }

void TInplaceEdit::UpdateLoc(const TRect& loc) { InternalMove(loc, false); }

void TInplaceEdit::Hide() {
    if (!Visible()) return;
    // The grid takes the focus before the editor goes, so that it is no
    // exit of the grid.
    if (Focused() && FGrid) FGrid->SetFocus();
    SetVisible(false);
}

void TInplaceEdit::BoundsChanged() { SetEditRect(Rect(2, 2, Width() - 2, Height())); }

void TInplaceEdit::UpdateContents() {
    if (!FGrid) return;
    SetText("");
    SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
    SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
    SetMaxLength(FGrid->GetEditLimit());
}

void TInplaceEdit::Change() {
    TCustomMaskEdit::Change();
    // The user's change goes to the cell; text set by code does not.
    if (FGrid && !TextSetByCode()) FGrid->UpdateText();
}

bool TInplaceEdit::WantsKey(Word key, TShiftState shift) const {
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
    case VK_RETURN:
    case VK_ESCAPE: return true;
    case VK_TAB: return FGrid && (FGrid->Options() & goTabs);
    default: return false;
    }
}

void TInplaceEdit::KeyDown(Word& key, TShiftState shift) {
    if (!FGrid) {
        TCustomMaskEdit::KeyDown(key, shift);
        return;
    }
    TCustomGrid* grid = FGrid;
    const bool ctrl = (shift & ssCtrl) != 0;
    // With goAlwaysShowEditor, the caret at an end of the text walks on.
    const bool forward = (grid->Options() & goAlwaysShowEditor) != 0;
    const bool none = SelLength() == 0;
    const bool leftSide = none && SelStart() == 0;
    const bool rightSide = none && SelStart() == GetTextLen();
    bool toGrid = false;
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE: toGrid = true; break;
    case VK_INSERT:
        if ((shift & (ssShift | ssCtrl | ssAlt)) == 0) toGrid = true;
        else if (shift == ssShift && !grid->CanEditModify()) key = 0;
        break;
    case VK_LEFT:
    case VK_HOME: toGrid = forward && (ctrl || leftSide); break;
    case VK_RIGHT:
    case VK_END: toGrid = forward && (ctrl || rightSide); break;
    case VK_TAB: toGrid = !(shift & ssAlt); break;
    case VK_F2:
        if (grid->OnKeyDown) grid->OnKeyDown(grid, key, shift);
        if (key == VK_F2) {
            Deselect();
            key = 0;
        }
        return;
    case VK_DELETE:
        if (ctrl) toGrid = true;
        else if (!grid->CanEditModify()) key = 0;
        break;
    default: break;
    }
    if (toGrid) {
        grid->KeyDown(key, shift);
        key = 0;
        return;
    }
    if (key == 0) return;
    if (grid->OnKeyDown) grid->OnKeyDown(grid, key, shift);
    if (key != 0) TCustomMaskEdit::KeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char32_t& key) {
    if (!FGrid) {
        TCustomMaskEdit::KeyPress(key);
        return;
    }
    QPointer<QWidget> alive(NativeWidget(this));
    FGrid->KeyPress(key);
    if (!alive || Detached()) {
        key = 0;
        return;
    }
    if (key >= 32 && !FGrid->CanEditAcceptKey(key)) {
        key = 0;
        QApplication::beep();
    }
    switch (key) {
    case U'\t':
    case 27: key = 0; break;
    case U'\r':
        if (SelStart() == 0 && SelLength() == GetTextLen()) Deselect();
        else SelectAll();
        key = 0;
        break;
    default:
        if ((key == 8 || key == 0x16 || key == 0x18 || key >= 32) && !FGrid->CanEditModify()) key = 0;
        break;
    }
    if (key != 0) TCustomMaskEdit::KeyPress(key);
}

void TInplaceEdit::KeyUp(Word& key, TShiftState shift) {
    if (FGrid) FGrid->KeyUp(key, shift);
    else TCustomMaskEdit::KeyUp(key, shift);
}

void TInplaceEdit::DblClick() {
    if (FGrid) FGrid->DblClick();
    else TCustomMaskEdit::DblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) {
    if (!FGrid) return TCustomMaskEdit::DoMouseWheel(shift, delta, pos);
    return FGrid->DoMouseWheel(shift, delta, FGrid->ScreenToClient(ClientToScreen(pos)));
}

// ---------------------------------------------------------------- TDrawGrid

TDrawGrid::TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}

TDrawGrid::~TDrawGrid() { DetachWidget(); }

void TDrawGrid::DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) {
    if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

bool TDrawGrid::SelectCell(int32_t col, int32_t row) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, col, row, can);
    return can;
}

std::string TDrawGrid::GetEditMask(int32_t col, int32_t row) {
    std::string value;
    if (OnGetEditMask) OnGetEditMask(this, col, row, value);
    return value;
}

std::string TDrawGrid::GetEditText(int32_t col, int32_t row) {
    std::string value;
    if (OnGetEditText) OnGetEditText(this, col, row, value);
    return value;
}

void TDrawGrid::SetEditText(int32_t col, int32_t row, const std::string& value) {
    if (OnSetEditText) OnSetEditText(this, col, row, value);
}

void TDrawGrid::ColumnMoved(int32_t fromIndex, int32_t toIndex) {
    if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

void TDrawGrid::RowMoved(int32_t fromIndex, int32_t toIndex) {
    if (OnRowMoved) OnRowMoved(this, fromIndex, toIndex);
}

void TDrawGrid::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

// ---------------------------------------------------------------- TStringGrid

// One row or column of the grid as a string list.
class TStringGrid::TLineStrings : public TStrings {
public:
    TLineStrings(TStringGrid* grid, bool row, int32_t index) : FGrid(grid), FRow(row), FIndex(index) {}
    int32_t Count() const override { return FRow ? FGrid->ColCount() : FGrid->RowCount(); }
    std::string Get(int32_t i) const override {
        Check(i);
        return FRow ? FGrid->Cells(i, FIndex) : FGrid->Cells(FIndex, i);
    }
    void Put(int32_t i, const std::string& s) override {
        Check(i);
        if (FRow) FGrid->SetCells(i, FIndex, s);
        else FGrid->SetCells(FIndex, i, s);
    }
    TObject* GetObject(int32_t i) const override {
        Check(i);
        return FRow ? FGrid->Objects(i, FIndex) : FGrid->Objects(FIndex, i);
    }
    void PutObject(int32_t i, TObject* object) override {
        Check(i);
        if (FRow) FGrid->SetObjects(i, FIndex, object);
        else FGrid->SetObjects(FIndex, i, object);
    }
    // A line has as many entries as the grid: nothing can be inserted or
    // deleted; Add fills the first empty entry.
    void Insert(int32_t, const std::string&) override { throw EInvalidGridOperation(GridConst::SIndexOutOfRange); }
    void Delete(int32_t) override { throw EInvalidGridOperation(GridConst::SIndexOutOfRange); }
    int32_t Add(const std::string& s) override {
        for (int32_t i = 0; i < Count(); ++i)
            if (Get(i).empty()) {
                Put(i, s.empty() ? std::string(" ") : s);
                return i;
            }
        return -1;
    }
    int32_t AddObject(const std::string& s, TObject* object) override {
        const int32_t i = Add(s);
        if (i >= 0) PutObject(i, object);
        return i;
    }
    void Clear() override {
        for (int32_t i = 0; i < Count(); ++i) {
            Put(i, "");
            PutObject(i, nullptr);
        }
    }
    void Assign(const TPersistent* source) override {
        const auto* list = dynamic_cast<const TStrings*>(source);
        if (!list) {
            TStrings::Assign(source);
            return;
        }
        if (list == this) return;
        // Entries beyond the list keep what they hold.
        const int32_t n = std::min(Count(), list->Count());
        for (int32_t i = 0; i < n; ++i) {
            Put(i, list->Get(i));
            PutObject(i, list->GetObject(i));
        }
    }

private:
    void Check(int32_t i) const {
        if (i < 0 || i >= Count()) Error(SysConst::SListIndexError, i);
    }
    TStringGrid* FGrid;
    bool FRow;
    int32_t FIndex;
};

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) { FModel.SetRowSlots(RowCount()); }

TStringGrid::~TStringGrid() { DetachWidget(); }

const std::string& TStringGrid::Cells(int32_t col, int32_t row) const {
    static const std::string empty;
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return empty;
    return FModel.Cell(col, row);
}

TObject* TStringGrid::Objects(int32_t col, int32_t row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return nullptr;
    return FModel.Object(col, row);
}

void TStringGrid::SetCells(int32_t col, int32_t row, const std::string& text) {
    if (col < 0 || row < 0) return;
    if (FModel.Cell(col, row) == text) return;
    FModel.SetCell(col, row, text);
    CellChanged(col, row);
}

void TStringGrid::SetObjects(int32_t col, int32_t row, TObject* object) {
    if (col < 0 || row < 0) return;
    if (FModel.Object(col, row) == object) return;
    FModel.SetObject(col, row, object);
    CellChanged(col, row);
}

void TStringGrid::CellChanged(int32_t col, int32_t row) {
    InvalidateCell(col, row);
    if (FEditUpdate == 0 && col == InplaceCol() && row == InplaceRow()) InvalidateEditor();
}

TStrings* TStringGrid::Rows(int32_t row) {
    auto& slot = FRowLists[row];
    if (!slot) slot = std::make_unique<TLineStrings>(this, true, row);
    return slot.get();
}

TStrings* TStringGrid::Cols(int32_t col) {
    auto& slot = FColLists[col];
    if (!slot) slot = std::make_unique<TLineStrings>(this, false, col);
    return slot.get();
}

void TStringGrid::SetRows(int32_t row, const TStrings* list) { Rows(row)->Assign(list); }

void TStringGrid::SetCols(int32_t col, const TStrings* list) { Cols(col)->Assign(list); }

void TStringGrid::DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) {
    if (DefaultDrawing()) {
        TCanvas* canvas = Canvas();
        canvas->TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(col, row));
    }
    TDrawGrid::DrawCell(col, row, rect, state);
}

std::string TStringGrid::GetEditText(int32_t col, int32_t row) {
    std::string value = Cells(col, row);
    if (OnGetEditText) OnGetEditText(this, col, row, value);
    return value;
}

void TStringGrid::SetEditText(int32_t col, int32_t row, const std::string& value) {
    {
        ++FEditUpdate;
        struct Done {
            int32_t& N;
            ~Done() { --N; }
        } done{FEditUpdate};
        if (value != Cells(col, row)) SetCells(col, row, value);
    }
    TDrawGrid::SetEditText(col, row, value);
}

void TStringGrid::ColumnMoved(int32_t fromIndex, int32_t toIndex) {
    FModel.MoveCol(fromIndex, toIndex);
    TDrawGrid::ColumnMoved(fromIndex, toIndex);
}

void TStringGrid::RowMoved(int32_t fromIndex, int32_t toIndex) {
    FModel.MoveRow(fromIndex, toIndex);
    TDrawGrid::RowMoved(fromIndex, toIndex);
}

void TStringGrid::SizeChanged(int32_t oldColCount, int32_t oldRowCount) {
    // What lies beyond a lowered count is gone; cells written beyond the
    // old count stay for a larger one.
    if (RowCount() < oldRowCount) FModel.SetRowSlots(RowCount());
    else if (FModel.RowSlots() < RowCount()) FModel.SetRowSlots(RowCount());
    if (ColCount() < oldColCount) FModel.TruncateCols(ColCount());
    TDrawGrid::SizeChanged(oldColCount, oldRowCount);
}
