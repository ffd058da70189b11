// Sizing columns and rows to their contents: the widest measured text and
// graphic of a column, the tallest cell of a row, and rows of so many lines.
#include <algorithm>

#include "grid/VsGrid.h"
#include "grid/VsHtml.h"
#include "grid/VsUtil.h"
#include "platform/graphics/Graphics.h"

namespace {

// The canvas's state (font and brush among it), given back at the end of a scope.
struct TKeepCanvas {
    TCanvas& Canvas;
    const int Saved;
    explicit TKeepCanvas(TCanvas& c) : Canvas(c), Saved(c.SaveDC()) {}
    ~TKeepCanvas() { Canvas.RestoreDC(Saved); }
};

}  // namespace

std::vector<int32_t> TVsStringGrid::MeasureColumns(int32_t From, int32_t To) {
    std::vector<int32_t> widest(static_cast<size_t>(std::max(0, To - From + 1)), 0);
    if (widest.empty()) return widest;
    TCanvas& canvas = PaintCanvas();
    TKeepCanvas keep(canvas);
    const TFont* current = nullptr;
    // Row by row: the cells of a row lie together in the store.
    for (int32_t r = 0; r < RowCount(); ++r) {
        for (int32_t c = From; c <= To; ++c) {
            // Font, colour and text all of the real column, as painting takes them.
            const int32_t real = RealColIndex(c);
            const TFont* font = real < FixedCols() || r < FixedRows() ? FFixedFont.get() : Font();
            // The event may change the font: it starts afresh when there is one.
            if (font != current || OnGetCellColor) canvas.SetFont(font);
            current = OnGetCellColor ? nullptr : font;
            GetCellColor(real, r, 0, canvas.Brush(), canvas.Font());
            if (FZoomOffset != 0) {
                canvas.Font()->SetSize(std::max(1, canvas.Font()->Size() + FZoomOffset));
                current = nullptr;
            }
            int32_t w = 0, h = 0, gw = 0, gh = 0;
            MeasureCellText(real, r, w, h);
            if (FEnableGraphics) GetCellGraphicSize(real, r, gw, gh);
            int32_t& m = widest[static_cast<size_t>(c - From)];
            m = std::max(m, w + gw);
        }
    }
    return widest;
}

void TVsStringGrid::AutoSizeColumns(bool IncludeFixed, int32_t Margin) {
    const int32_t from = IncludeFixed ? 0 : FixedCols();
    const int32_t to = ColCount() - 1;
    if (to < from) return;
    const std::vector<int32_t> widest = MeasureColumns(from, to);
    for (int32_t c = from; c <= to; ++c) {
        SetColWidths(c, widest[static_cast<size_t>(c - from)] + 4);
        if (Margin != 0) SetColWidths(c, ColWidths(c) + Margin);
    }
}

void TVsStringGrid::AutoSizeColumn(int32_t Index, bool OnlyGrow) {
    const int32_t widest = MeasureColumns(Index, Index)[0];
    if (!OnlyGrow || ColWidths(Index) < widest + 4) SetColWidths(Index, widest + 4);
}

void TVsStringGrid::AutoSizeRow(int32_t Index) {
    TCanvas& canvas = PaintCanvas();
    TKeepCanvas keep(canvas);
    int32_t height = DefaultRowHeight();
    for (int32_t c = 0; c < ColCount(); ++c) {
        const int32_t real = RealColIndex(c);
        canvas.SetFont(real < FixedCols() || Index < FixedRows() ? FFixedFont.get() : Font());
        GetCellColor(real, Index, 0, canvas.Brush(), canvas.Font());
        std::string text = Cells(real, Index);
        int32_t h = 0;
        const int32_t kind = TextKind(text);
        if (kind == tkHTML) {
            std::string anchor, plain;
            int32_t w = 0;
            HTMLDrawText(canvas, text, {0, 0, ColWidths(c), 65535}, FGridImages, 0, 0, false, true, false, true,
                         FBlinkPhase, 1.0, FURLColor, anchor, plain, w, h);
        } else if (kind != tkFormula) {
            if (kind == tkRichText && FRichEditor) {
                LoadRichText(real, Index, FRichEditor);
                text = FRichEditor->PlainText();
            }
            TRect r{0, 0, ColWidths(c) - 4, DefaultRowHeight()};
            canvas.DrawText(text, r,
                            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | DT_NOPREFIX | FVAlignFlag |
                                FReadingFlag);
            h = r.Bottom - r.Top;
        }
        int32_t gw = 0, gh = 0;
        if (FEnableGraphics) GetCellGraphicSize(real, Index, gw, gh);
        h += gh;
        if (height < h + 2) height = h + 4;
    }
    SetRowHeights(Index, height);
}

void TVsStringGrid::SetRowLines(int32_t Index, int32_t Lines, int32_t Extra) {
    const int32_t t = PaintCanvas().TextHeight("gh");
    SetRowHeights(Index, Extra + Lines * (t + t / 4));
}

int32_t TVsStringGrid::MaxCellLines(int32_t Row) {
    if (ColCount() <= 0 || !FMultilinecells) return 1;
    int32_t lines = 1;
    for (int32_t c = 0; c < ColCount(); ++c) lines = std::max(lines, LineCount(CellText(RealColIndex(c), Row), true));
    return lines;
}
