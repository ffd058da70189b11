// Painting of the grid: the grid-wide pass, each cell with its colours,
// bands, background, selection look, borders, text kinds and graphics, and
// the measuring of cell text.
//
// Painting never raises: a graphic that needs an integer cell, or a picture
// file that cannot be read, draws as absent, so an error neither reaches the
// event loop nor comes back with every repaint.
#include <algorithm>
#include <cmath>
#include <memory>

#include "grid/VsGrid.h"
#include "grid/VsHtml.h"
#include "grid/VsResources.h"
#include "grid/VsUtil.h"
#include "platform/controls/WinApi.h"
#include "platform/graphics/Graphics.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

int32_t RoundHalfEven(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

// Integer division rounding towards minus infinity.
int32_t FloorDiv(int32_t a, int32_t b) {
    int32_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Every character (a UTF-8 sequence counts once) becomes Mask.
std::string MaskText(std::string_view Text, char32_t Mask) {
    std::string m;
    AppendUtf8(m, Mask);
    std::string out;
    for (unsigned char c : Text)
        if ((c & 0xC0) != 0x80) out += m;
    return out;
}

// Longer cell texts are measured whole only when something is placed by
// their width.
constexpr size_t kLongCellText = 4096;

// The part of a line of a cell the URL display form shows.
std::string_view URLDisplayPart(std::string_view Line, bool Show, bool Full) {
    return Show && !Full && IsURL(Line) ? URLWithoutPrefix(Line) : Line;
}

void DrawCheckBox(TCanvas& Canvas, const TRect& Box, bool Checked) {
    TRect r = Box;
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(clWindow);
    DrawEdge(Canvas, r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
    Canvas.Brush()->SetColor(clWindow);
    Canvas.FillRect(r);
    if (!Checked) return;
    const TColor pen = Canvas.Pen()->Color();
    Canvas.Pen()->SetColor(clWindowText);
    const int32_t x = Box.Left + 3, y = Box.Top + 7;
    for (int32_t i = 0; i < 3; ++i) {
        Canvas.MoveTo(x, y + i);
        Canvas.LineTo(x + 2, y + 2 + i);
        Canvas.LineTo(x + 7, y - 3 + i);
    }
    Canvas.Pen()->SetColor(pen);
}

void DrawRadioButton(TCanvas& Canvas, const TRect& Box, bool Checked) {
    const TColor pen = Canvas.Pen()->Color();
    const TColor brush = Canvas.Brush()->Color();
    Canvas.Brush()->SetColor(clWindow);
    Canvas.Pen()->SetColor(clBtnShadow);
    Canvas.Ellipse(Box);
    if (Checked) {
        Canvas.Brush()->SetColor(clWindowText);
        Canvas.Pen()->SetColor(clWindowText);
        Canvas.Ellipse(Box.Left + 3, Box.Top + 3, Box.Right - 3, Box.Bottom - 3);
    }
    Canvas.Pen()->SetColor(pen);
    Canvas.Brush()->SetColor(brush);
}

// Keeps a value and gives it back at the end of a scope.
template <class T>
struct TKeep {
    T& Ref;
    T Value;
    explicit TKeep(T& r) : Ref(r), Value(r) {}
    ~TKeep() { Ref = Value; }
};

}  // namespace

// ---------------------------------------------------------------- the cell painter

// One cell painted: the state shared by the steps of DrawCell, the default
// drawing and the cell graphic.
class TVsStringGrid::TCellPainter {
public:
    TCellPainter(TVsStringGrid& Grid, TCanvas& Canvas, int32_t ACol, int32_t ARow, const TRect& ARect,
                 TGridDrawState AState)
        : G(Grid), C(Canvas), Col(ACol), RealCol(Grid.RealColIndex(ACol)), Row(ARow), R(ARect), State(AState) {}

    void Run();

private:
    bool SortMarked() const;
    bool RowFlagged() const {
        return Row >= 0 && Row < static_cast<int32_t>(G.FRowSelectFlags.size()) &&
               G.FRowSelectFlags[static_cast<size_t>(Row)] != 0;
    }
    void NoteGraphic();
    void DefaultDrawing();
    void Background();
    void FixedBackground(const TBitmap& Bitmap);
    void TiledBackground(TBitmap& Bitmap);
    void SelectionRectangle();
    void PlainText(std::string_view Text);
    void RichText();
    void SortIndicator(int32_t X, int32_t Y);
    int32_t IndicatorY() const;
    void Borders();
    void FixedEdges();
    void NodeColumn();
    void Graphic();
    TRect GraphicRect(int32_t W, int32_t H) const;
    void BitmapGraphic(const TRect& gr);
    void CheckBoxGraphic(const TRect& gr);
    void DataImageGraphic(const TRect& gr, TImageList* images);
    void NodeGraphic();
    void FlatNodeBox(const TRect& box, TColor color);
    void ImageListGraphic(const TRect& gr, TImageList* images);
    void CommentMark();
    void ButtonGraphic(const TRect& gr);
    void RotatedText();
    void RadioGroup();
    void ProgressBar();

    TVsStringGrid& G;
    TCanvas& C;
    int32_t Col;
    int32_t RealCol;
    int32_t Row;
    TRect R;
    TGridDrawState State;
    TCellGraphic* Graph = nullptr;
    int32_t GraphW = 0;
    int32_t GraphH = 0;
    bool TextDrawn = true;
    TColor URLColor = clBlue;
    TAlignment Align = taLeftJustify;
    int32_t TextHeight = 0;
};

void TVsStringGrid::TCellPainter::Run() {
    // 1. The font of the fixed part or of the data.
    C.SetFont(RealCol < G.FixedCols() || Row < G.FixedRows() ? G.FFixedFont.get() : G.Font());
    // The brush the platform's grid starts a cell with.
    C.Brush()->SetStyle(bsSolid);
    if (State & gdFixed) C.Brush()->SetColor(G.FixedColor());
    else if ((State & gdSelected) && (!(State & gdFocused) || (G.Options() & (goDrawFocusSelected | goRowSelect))))
        C.Brush()->SetColor(clHighlight);
    else C.Brush()->SetColor(G.Color());
    // 2. The cell graphic.
    if (G.FEnableGraphics) NoteGraphic();
    // 3. Cells declared fixed look fixed.
    const bool declaredFixed = G.CellIsFixed(RealCol, Row);
    if (declaredFixed) {
        C.Brush()->SetColor(G.FixedColor());
        State = gdFixed;
    }
    // 4, 5. Bands and the colour event; a selection without a colour of its own.
    G.GetCellColor(RealCol, Row, State, C.Brush(), C.Font());
    if ((State & gdSelected) && !(State & gdFocused) && G.FSelectionColor == clNone) C.Brush()->SetColor(clHighlight);
    // 6. The zoom, never below one point.
    if (G.FZoomOffset != 0) C.Font()->SetSize(std::max(1, C.Font()->Size() + G.FZoomOffset));
    // 7. The drawing of the cell itself.
    G.FPaintTextWidth = 0;
    if (G.DefaultDrawing()) DefaultDrawing();
    // 8. Borders asked for by the event.
    Borders();
    // 9, 10. The edges of cells declared fixed (fixed right columns among them).
    if (declaredFixed) FixedEdges();
    // 11. The node column and the cell graphic.
    if (G.FEnableGraphics) {
        NodeColumn();
        if (Graph) Graphic();
    }
    // 12. The user's drawing.
    if (G.OnDrawCell) G.OnDrawCell(&G, RealCol, Row, R, State);
    // 13. Drawing the focus rectangle once more takes away the platform's.
    if (G.FHideFocusRect && (State & gdFocused)) C.DrawFocusRect(R);
}

void TVsStringGrid::TCellPainter::NoteGraphic() {
    Graph = G.GetCellGraphic(RealCol, Row);
    if (!Graph) return;
    const TImageList* images = G.FGridImages;
    switch (Graph->Kind) {
    case cgBitmap:
    case cgIcon:
        if (const auto* g = dynamic_cast<const TGraphic*>(Graph->Kind == cgBitmap ? Graph->First : Graph->Second)) {
            GraphW = g->Width();
            GraphH = g->Height();
        }
        break;
    case cgImageIndex:
    case cgDataImage:
        if (images) {
            GraphW = images->Width();
            GraphH = images->Height();
        }
        break;
    case cgCheckBox:
        GraphW = 16;
        GraphH = 15;
        break;
    case cgDataCheckBox:
        GraphW = 15;
        GraphH = 15;
        break;
    case cgImageList:
        if (const auto* list = dynamic_cast<const TIntList*>(Graph->First); list && images) {
            GraphW = Graph->State ? images->Width() * list->Count() : images->Width();
            GraphH = Graph->State ? images->Height() : images->Height() * list->Count();
        }
        break;
    case cgPicture:
    case cgFilePicture: G.GetCellGraphicSize(RealCol, Row, GraphW, GraphH); break;
    case cgButton:
        GraphW = Graph->Integer & 0xFFFF;
        GraphH = (Graph->Integer >> 16) & 0xFFFF;
        break;
    default: break;
    }
    TextDrawn = !(Graph->Kind == cgDataCheckBox || Graph->Kind == cgRotated || Graph->Kind == cgDataImage ||
                  Graph->Kind == cgRadio || Graph->Kind == cgProgress);
}

bool TVsStringGrid::TCellPainter::SortMarked() const {
    if (!G.FSortShow || Row != 0 || G.FixedRows() <= 0) return false;
    if (RealCol < G.FixedCols() && !G.FSortFixedCols) return false;
    return RealCol == G.FSortColumn || G.FSortIndexes->FindIndex(RealCol) >= 0;
}

int32_t TVsStringGrid::TCellPainter::IndicatorY() const {
    switch (G.FVAlignment) {
    case vtaCenter: return (R.Top + R.Bottom) / 2;
    case vtaBottom: return R.Bottom - 8;
    default: return R.Top + 8;
    }
}

void TVsStringGrid::TCellPainter::DefaultDrawing() {
    // 1, 2. The selected look.
    URLColor = G.FURLColor;
    const bool rowSelected = RowFlagged() && (G.Options() & goRowSelect) && RealCol >= G.FixedCols();
    if (((State & gdSelected) || rowSelected) && (!(State & gdFocused) || (G.Options() & goDrawFocusSelected))) {
        if (G.FSelectionColor != clNone) C.Brush()->SetColor(G.FSelectionColor);
        if (G.FSelectionTextColor != clNone) C.Font()->SetColor(G.FSelectionTextColor);
        URLColor = G.FSelectionTextColor;
        if (!G.IsActiveControl() && !G.FShowSelection) {
            C.Brush()->SetColor(G.Color());
            C.Font()->SetColor(G.Font()->Color());
            URLColor = G.FURLColor;
        }
    }
    // 3. The text and its kind; the cell's text is not copied unless the
    // display changes it.
    const std::string_view cell = G.CellText(RealCol, Row);
    std::string shown;
    std::string_view text = cell;
    const int32_t kind = TextKind(text);
    if (kind == tkFormula) {
        shown = cell;
        G.GetDisplayText(RealCol, Row, shown);
        text = shown;
    }
    // 4. Password cells show a mask.
    bool password = false;
    G.IsPasswordCell(RealCol, Row, password);
    if (password) {
        shown = MaskText(text, G.FPasswordChar);
        text = shown;
    }
    // 5. Disjunct row selection: only flagged rows look selected.
    if (RealCol >= G.FixedCols() && Row >= G.FixedRows() && !G.FPress.RowSelecting &&
        G.FMouseActions->DisjunctRowSelect() && !RowFlagged()) {
        C.Brush()->SetColor(G.Color());
        C.Font()->SetColor(G.Font()->Color());
        G.GetCellColor(RealCol, Row, State, C.Brush(), C.Font());
    }
    // 6, 7.
    Background();
    if (G.FSelectionRectangle) SelectionRectangle();
    Align = G.GetCellAlignment(RealCol, Row);
    TextHeight = C.TextHeight("hg");
    // The events above may have changed the cells: the text is taken anew.
    if (kind != tkFormula && !password) text = G.CellText(RealCol, Row);
    switch (kind) {
    case tkHTML: {
        // 8. HTML text.
        TRect r = R;
        r.Left += 2;
        r.Top += 2;
        std::string anchor, plain;
        int32_t w = 0, h = 0;
        HTMLDrawText(C, text, r, G.FGridImages, 0, 0, false, false, false, false, G.FBlinkPhase, 1.0, URLColor, anchor,
                     plain, w, h);
        G.FPaintTextWidth = w;
        if (SortMarked()) SortIndicator(r.Left + w + 8, IndicatorY());
        break;
    }
    case tkRichText: RichText(); break;
    default:
        // 10. Plain and formula text.
        if (TextDrawn) PlainText(text);
        break;
    }
}

void TVsStringGrid::TCellPainter::Background() {
    TBitmap* bitmap = G.FBackGround->Bitmap();
    const bool paintedSelected =
        ((State & gdSelected) && !(State & gdFocused)) || ((State & gdFocused) && (G.Options() & goDrawFocusSelected));
    C.Brush()->SetStyle(bsSolid);
    if (!bitmap || bitmap->Empty() || (State & gdFixed) || (paintedSelected && G.FShowSelection)) {
        C.FillRect(R);
        return;
    }
    if (G.FBackGround->Display() == bdFixed) FixedBackground(*bitmap);
    else TiledBackground(*bitmap);
}

void TVsStringGrid::TCellPainter::FixedBackground(const TBitmap& Bitmap) {
    const int32_t left = G.FBackGround->Left(), top = G.FBackGround->Top();
    const TRect area{left, top, left + Bitmap.Width(), top + Bitmap.Height()};
    TRect part;
    if (!IntersectRect(part, area, R)) return;  // the cell keeps what it shows
    const int mode = C.SetBkMode(TRANSPARENT);
    TRect source{part.Left - left, part.Top - top, part.Right - left, part.Bottom - top};
    source.Right = std::min(source.Right, Bitmap.Width());
    source.Bottom = std::min(source.Bottom, Bitmap.Height());
    C.CopyRect(part, *const_cast<TBitmap&>(Bitmap).Canvas(), source);
    C.SetBkMode(mode);
}

void TVsStringGrid::TCellPainter::TiledBackground(TBitmap& Bitmap) {
    const int32_t bw = Bitmap.Width(), bh = Bitmap.Height();
    // The tile origin is the first data cell; the running sums of the line
    // sizes give the offset without a walk over the lines above.
    const int64_t sumX = G.ColWidthAxis().Offset(Col) - G.ColWidthAxis().Offset(G.FixedCols());
    const int64_t sumY = G.RowHeightAxis().Offset(Row) - G.RowHeightAxis().Offset(G.FixedRows());
    int32_t sy = static_cast<int32_t>(((sumY % bh) + bh) % bh);
    for (int32_t y = R.Top; y < R.Bottom; sy = 0) {
        const int32_t h = std::min(bh - sy, R.Bottom - y);
        int32_t sx = static_cast<int32_t>(((sumX % bw) + bw) % bw);
        for (int32_t x = R.Left; x < R.Right; sx = 0) {
            const int32_t w = std::min(bw - sx, R.Right - x);
            C.CopyRect({x, y, x + w, y + h}, *Bitmap.Canvas(), {sx, sy, sx + w, sy + h});
            x += w;
        }
        y += h;
    }
}

void TVsStringGrid::TCellPainter::SelectionRectangle() {
    const TGridRect sel = G.Selection();
    if (Col < sel.Left || Col > sel.Right || Row < sel.Top || Row > sel.Bottom) return;
    const TColor pen = C.Pen()->Color();
    C.Pen()->SetColor(clBlack);
    C.Pen()->SetWidth(2);
    if (Col == sel.Left) {
        C.MoveTo(R.Left + 1, R.Top);
        C.LineTo(R.Left + 1, R.Bottom);
    }
    if (Col == sel.Right) {
        C.MoveTo(R.Right - 1, R.Top);
        C.LineTo(R.Right - 1, R.Bottom);
    }
    if (Row == sel.Top) {
        C.MoveTo(R.Left, R.Top + 1);
        C.LineTo(R.Right, R.Top + 1);
    }
    if (Row == sel.Bottom) {
        C.MoveTo(R.Left, R.Bottom - 1);
        C.LineTo(R.Right, R.Bottom - 1);
    }
    C.Pen()->SetWidth(1);
    C.Pen()->SetColor(pen);
}

void TVsStringGrid::TCellPainter::PlainText(std::string_view Text) {
    const bool sortColumn = Row == 0 && RealCol == G.FSortColumn && G.FSortShow;
    TRect r = R;
    r.Right -= 2;
    r.Left += (sortColumn && Align == taCenter) ? 12 : 2;
    if (Graph) {
        if (Graph->HorzPosition == 3 && Align != taCenter) r.Left += GraphW;
        if (Graph->HorzPosition == 4) r.Right -= GraphW;
        if (Graph->VertPosition == 4) r.Top += GraphH;
        if (Graph->VertPosition == 3) r.Bottom -= GraphH;
    }
    r.Top += 2;
    int32_t available = r.Right - r.Left - (sortColumn ? 14 : 0);
    if (G.FURLShow && IsURL(Text)) {
        C.Font()->SetStyle(C.Font()->Style() | fsUnderline);
        C.Font()->SetColor(URLColor);
    }
    const int32_t lines = G.FMultilinecells ? LineCount(Text, true) : 1;
    int32_t width = 0;
    std::string shortened;
    if (lines == 1) {
        Text = URLDisplayPart(Text, G.FURLShow, G.FURLFull);
        // Measured only as far as it shows: a long text that does not fit is
        // cut by the widths of its characters.
        if (G.FEnhTextSize && C.TextFit(Text, available) < Text.size()) {
            shortened.assign(Text.substr(0, C.TextFit(Text, available, "...")));
            if (!shortened.empty()) shortened += "...";
            Text = shortened;
        }
        // The width places a graphic or the sort indicator; nothing else
        // needs it, and beyond the cell it places them out of sight.
        if (Text.size() <= kLongCellText) width = C.TextWidth(std::string(Text));
        else if (Graph || SortMarked()) width = C.TextWidthUpTo(Text, kMaxMeasuredTextWidth);
    } else {
        std::string rest(Text);
        while (!rest.empty()) width = std::max(width, C.TextWidth(SplitFirstLine(rest, true)));
    }
    G.FPaintTextWidth = width;
    uint32_t flags = DT_NOPREFIX | DT_NOCLIP | DT_EXPANDTABS | G.FVAlignFlag | G.FReadingFlag;
    if (Align == taRightJustify) flags |= DT_RIGHT;
    else if (Align == taCenter) flags |= DT_CENTER;
    if (G.FWordWrap) flags |= DT_WORDBREAK | DT_EDITCONTROL;
    else if (lines == 1) flags |= DT_SINGLELINE;
    // The cell is filled already: the text goes over it (and over a background).
    C.Brush()->SetStyle(bsClear);
    C.DrawText(Text, r, flags);
    C.Brush()->SetStyle(bsSolid);
    if (SortMarked()) {
        int32_t x = R.Left + 8;
        if (Align == taLeftJustify) x = R.Left + width + 10;
        else if (Align == taRightJustify) x = R.Right - width - 14;
        SortIndicator(x, IndicatorY());
    }
}

void TVsStringGrid::TCellPainter::RichText() {
    TVsRichEdit* editor = G.FRichEditor;
    if (!editor) return;
    C.Pen()->SetColor(C.Brush()->Color());
    const bool plainSelected = (State & gdSelected) && G.FSelectionColor == clNone && !(State & gdFocused);
    if (!plainSelected) C.Rectangle(R);
    C.Brush()->SetStyle(bsClear);
    G.LoadRichText(RealCol, Row, editor);
    const bool current = Col == G.Col() && Row == G.Row();
    if (G.IsInSelection(Col, Row) && !(current && G.IsActiveControl() && !(G.Options() & goDrawFocusSelected)) &&
        !G.FSelectionRTFKeep && C.GetMapMode() == MM_TEXT)
        editor->SetTextColor(G.FSelectionTextColor);  // all of the text
    const int32_t margin = 2;
    editor->Draw(C, {R.Left + margin, R.Top + margin, R.Right, R.Bottom});
    C.Brush()->SetStyle(bsSolid);
}

void TVsStringGrid::TCellPainter::SortIndicator(int32_t X, int32_t Y) {
    const TColor pen = C.Pen()->Color();
    const TColor brush = C.Brush()->Color();
    if (G.FSortIndexShow) {
        const int32_t at = G.FSortIndexes->FindIndex(RealCol);
        if (at < 0) return;
        const bool descending = TSortIndexList::IsDescending(G.FSortIndexes->Items(at));
        C.Brush()->SetColor(clYellow);
        C.Pen()->SetColor(clBlack);
        if (descending) C.Polygon({{X - 5, Y - 2}, {X + 5, Y - 2}, {X, Y + 8}});
        else C.Polygon({{X - 5, Y + 6}, {X + 5, Y + 6}, {X, Y - 4}});
        TFont font;
        font.Assign(C.Font());
        const int mode = C.SetBkMode(TRANSPARENT);
        C.Font()->SetColor(clBlack);
        C.Font()->SetSize(5);
        C.Brush()->SetStyle(bsClear);
        C.TextOut(X - 2, Y - 4, std::to_string(at + 1));
        C.Brush()->SetStyle(bsSolid);
        C.SetBkMode(mode);
        C.Font()->Assign(&font);
    } else if (!G.FSortUpGlyph->Empty() && !G.FSortDownGlyph->Empty()) {
        TBitmap& glyph = G.FSortDirection == sdDescending ? *G.FSortDownGlyph : *G.FSortUpGlyph;
        DrawTransparentBitmap(C, glyph, C.Brush()->Color(), {X - 4, Y - 4, X - 4 + glyph.Width(), Y - 4 + glyph.Height()});
        C.SetBkColor(G.Color());
    } else {
        C.Pen()->SetWidth(1);
        if (G.FSortDirection == sdDescending) {
            C.Pen()->SetColor(clWhite);
            C.MoveTo(X + 4, Y - 4);
            C.LineTo(X, Y + 4);
            C.Pen()->SetColor(clGray);
            C.LineTo(X - 4, Y - 4);
            C.LineTo(X + 4, Y - 4);
        } else {
            C.Pen()->SetColor(clWhite);
            C.MoveTo(X - 4, Y + 4);
            C.LineTo(X + 4, Y + 4);
            C.LineTo(X, Y - 4);
            C.Pen()->SetColor(clGray);
            C.LineTo(X - 4, Y + 4);
        }
        C.Pen()->SetColor(clBlack);
        C.Brush()->SetColor(brush);
        return;
    }
    C.Pen()->SetColor(pen);
    C.Brush()->SetColor(brush);
}

void TVsStringGrid::TCellPainter::Borders() {
    TPen kept;
    kept.Assign(C.Pen());
    TCellBorders borders = 0;
    G.GetCellBorder(RealCol, Row, C.Pen(), borders);
    if (borders) {
        const int32_t half = C.Pen()->Width() / 2;
        const TRect r{R.Left + half, R.Top + half, R.Right - half, R.Bottom - half};
        if (borders & cbLeft) {
            C.MoveTo(r.Left, r.Top);
            C.LineTo(r.Left, r.Bottom);
        }
        if (borders & cbRight) {
            C.MoveTo(r.Right - 1, r.Top);
            C.LineTo(r.Right - 1, r.Bottom);
        }
        if (borders & cbTop) {
            C.MoveTo(r.Left, r.Top);
            C.LineTo(r.Right, r.Top);
        }
        if (borders & cbBottom) {
            C.MoveTo(r.Left, r.Bottom - 1);
            C.LineTo(r.Right, r.Bottom - 1);
        }
    }
    C.Pen()->Assign(&kept);
}

void TVsStringGrid::TCellPainter::FixedEdges() {
    const bool vert = (G.Options() & goFixedVertLine) != 0;
    const bool horz = (G.Options() & goFixedHorzLine) != 0;
    if (G.Ctl3D()) {
        TRect r = R;
        uint32_t first = (vert ? BF_RIGHT : 0) | (horz ? BF_BOTTOM : 0);
        uint32_t second = (vert ? BF_LEFT : 0) | (horz ? BF_TOP : 0);
        if (first) DrawEdge(C, r, BDR_RAISEDINNER, first);
        r = R;
        if (second) DrawEdge(C, r, BDR_RAISEDINNER, second);
        return;
    }
    const TColor pen = C.Pen()->Color();
    C.Pen()->SetColor(clBlack);
    C.Pen()->SetWidth(1);
    if (horz) {
        C.MoveTo(R.Left - 1, R.Top - 1);
        C.LineTo(R.Right + 1, R.Top - 1);
        C.MoveTo(R.Left - 1, R.Bottom);
        C.LineTo(R.Right + 1, R.Bottom);
    }
    if (vert) {
        C.MoveTo(R.Left - 1, R.Top - 1);
        C.LineTo(R.Left - 1, R.Bottom + 1);
        C.MoveTo(R.Right, R.Top - 1);
        C.LineTo(R.Right, R.Bottom + 1);
    }
    C.Pen()->SetColor(pen);
}

void TVsStringGrid::TCellPainter::NodeColumn() {
    if (RealCol != 0 || Row < G.FixedRows() || G.NodeCount() <= 0) return;
    const TColor color = G.FixedCols() > 0 ? G.FixedColor() : G.Color();
    C.Pen()->SetColor(color);
    C.Brush()->SetColor(color);
    C.Rectangle(R.Left, Row == G.TopRow() ? R.Top : R.Top - 1, R.Right, R.Bottom);
}

TRect TVsStringGrid::TCellPainter::GraphicRect(int32_t W, int32_t H) const {
    const int32_t cw = R.Right - R.Left, ch = R.Bottom - R.Top;
    const int32_t tw = G.FPaintTextWidth;
    int32_t x = R.Left + 1, y = R.Top + 1;
    switch (Graph->HorzPosition) {
    case 1: x = R.Right - 1 - W; break;
    case 2: x = W < cw ? R.Left + (cw - W) / 2 : R.Left + 1; break;
    case 3:
        if (Align != taLeftJustify) x = std::max(R.Left + 1, R.Right - (tw + 2) - W);
        break;
    case 4: x = Align == taRightJustify ? R.Right - 1 - W : R.Left + tw + 2; break;
    default: break;
    }
    switch (Graph->VertPosition) {
    case 1: y = R.Bottom - 1 - H; break;
    case 2: y = H < ch ? R.Top + (ch - H) / 2 : R.Top + 1; break;
    case 3: y = R.Top + TextHeight + 1; break;
    default: break;
    }
    return {x, y, x + W, y + H};
}

void TVsStringGrid::TCellPainter::Graphic() {
    if (!TextHeight) TextHeight = C.TextHeight("hg");
    if (!G.DefaultDrawing()) Align = G.GetCellAlignment(RealCol, Row);
    TImageList* images = G.FGridImages;
    const TRect gr = GraphicRect(GraphW, GraphH);
    switch (Graph->Kind) {
    case cgBitmap: BitmapGraphic(gr); break;
    case cgIcon: C.Draw(gr.Left, gr.Top, dynamic_cast<TGraphic*>(Graph->Second)); break;
    case cgImageIndex:
        if (images && Graph->Integer >= 0 && Graph->Integer < images->Count())
            images->Draw(C, gr.Left, gr.Top, Graph->Integer);
        break;
    case cgCheckBox:
    case cgDataCheckBox: CheckBoxGraphic(gr); break;
    case cgRotated: RotatedText(); break;
    case cgDataImage: DataImageGraphic(gr, images); break;
    case cgNode: NodeGraphic(); break;
    case cgRadio: RadioGroup(); break;
    case cgImageList: ImageListGraphic(gr, images); break;
    case cgPicture: {
        const auto* picture = dynamic_cast<const TPicture*>(Graph->First);
        if (!picture || !picture->Graphic()) break;
        if (Graph->Mode != 0) C.StretchDraw(gr, picture->Graphic());
        else C.Draw(gr.Left, gr.Top, picture->Graphic());
        break;
    }
    case cgFilePicture:
        if (const auto* file = dynamic_cast<const TFilePicture*>(Graph->First)) file->DrawPictureFile(C, gr);
        break;
    case cgProgress: ProgressBar(); break;
    case cgComment: CommentMark(); break;
    case cgButton: ButtonGraphic(gr); break;
    default: break;
    }
}

void TVsStringGrid::TCellPainter::BitmapGraphic(const TRect& gr) {
    auto* bitmap = dynamic_cast<TBitmap*>(Graph->First);
    if (!bitmap || bitmap->Empty()) return;
    if (Graph->Transparent) {
        const bool selected = ((State & gdSelected) && !(State & gdFocused)) ||
                              (RowFlagged() && (G.Options() & goRowSelect) && RealCol >= G.FixedCols());
        DrawTransparentBitmap(C, *bitmap, selected ? G.FSelectionColor : C.Brush()->Color(), gr);
    } else {
        C.Draw(gr.Left, gr.Top, bitmap);
    }
}

void TVsStringGrid::TCellPainter::CheckBoxGraphic(const TRect& gr) {
    // The box follows the cell's alignment; a plain check box leaves room for its caption.
    TRect place = gr;
    if (Align == taRightJustify) {
        const int32_t right = R.Right - 1 - (Graph->Kind == cgCheckBox ? G.FPaintTextWidth + 2 : 0);
        place = {right - GraphW, gr.Top, right, gr.Bottom};
    } else if (Align == taCenter) {
        const int32_t left = R.Left + (R.Right - R.Left - GraphW) / 2;
        place = {left, gr.Top, left + GraphW, gr.Bottom};
    }
    const int32_t bx = place.Left + (place.Right - place.Left - 15) / 2;
    const int32_t by = place.Top + (place.Bottom - place.Top - 15) / 2;
    const bool checked = Graph->Kind == cgCheckBox ? Graph->State : G.CellText(RealCol, Row) == G.FCheckTrueText;
    const TColor brush = C.Brush()->Color();
    DrawCheckBox(C, {bx, by, bx + 15, by + 15}, checked);
    C.Brush()->SetColor(brush);
}

void TVsStringGrid::TCellPainter::DataImageGraphic(const TRect& gr, TImageList* images) {
    int32_t value = 0;
    try {
        value = G.GetCellInteger(RealCol, Row);
    } catch (const EVsGridError&) {
        return;  // no integer: no image
    }
    const int64_t index = static_cast<int64_t>(value) + Graph->Integer;
    if (images && index >= 0 && index < images->Count()) images->Draw(C, gr.Left, gr.Top, static_cast<int32_t>(index));
}

void TVsStringGrid::TCellPainter::NodeGraphic() {
    TCellNode* node = G.FCellNode.get();
    C.Brush()->SetColor(node->Color());
    if (node->NodeType() == cn3D) {
        C.Pen()->SetColor(node->Color());
        C.Rectangle(R);
        C.Pen()->SetColor(clWhite);
        C.MoveTo(R.Left, R.Bottom - 1);
        C.LineTo(R.Left, R.Top);
        C.LineTo(R.Right - 1, R.Top);
        C.Pen()->SetColor(clGray);
        C.LineTo(R.Right - 1, R.Bottom - 1);
        C.LineTo(R.Left, R.Bottom - 1);
    }
    if (node->NodeType() == cnGlyph && !node->ExpandGlyph()->Empty() && !node->ContractGlyph()->Empty()) {
        TBitmap& glyph = Graph->State ? *node->ContractGlyph() : *node->ExpandGlyph();
        DrawTransparentBitmap(C, glyph, C.Brush()->Color(),
                              {R.Left, R.Top, R.Left + glyph.Width(), R.Top + glyph.Height()});
        return;
    }
    const int32_t top = R.Top + (R.Bottom - R.Top - 8) / 2;
    const TRect box{R.Left + 2, top, R.Left + 10, top + 8};
    if (node->NodeType() != cnFlat) {
        TRect edge = box;
        DrawEdge(C, edge, Graph->State ? EDGE_RAISED : EDGE_SUNKEN, BF_RECT | BF_SOFT);
    } else {
        FlatNodeBox(box, node->NodeColor());
    }
    C.Pen()->SetColor(clBlack);
}

void TVsStringGrid::TCellPainter::FlatNodeBox(const TRect& box, TColor color) {
    // A framed minus, and a plus while the node is contracted.
    C.Pen()->SetColor(color);
    C.Brush()->SetStyle(bsClear);
    C.Rectangle(box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1);
    C.Brush()->SetStyle(bsSolid);
    C.MoveTo(box.Left + 1, box.Top + 3);
    C.LineTo(box.Left + 6, box.Top + 3);
    if (Graph->State) {
        C.MoveTo(box.Left + 3, box.Top + 1);
        C.LineTo(box.Left + 3, box.Top + 6);
    }
}

void TVsStringGrid::TCellPainter::ImageListGraphic(const TRect& gr, TImageList* images) {
    const auto* list = dynamic_cast<const TIntList*>(Graph->First);
    if (!images || !list) return;
    int32_t x = gr.Left, y = gr.Top;
    for (int32_t i = 0; i < list->Count(); ++i) {
        const int32_t index = list->Items(i);
        if (index >= 0 && index < images->Count()) images->Draw(C, x, y, index);
        if (Graph->State) x += images->Width();
        else y += images->Height();
    }
}

void TVsStringGrid::TCellPainter::CommentMark() {
    const TColor pen = C.Pen()->Color();
    C.Brush()->SetColor(clRed);
    C.Pen()->SetColor(clRed);
    C.Polygon({{R.Right - 7, R.Top + 1}, {R.Right - 2, R.Top + 1}, {R.Right - 2, R.Top + 6}});
    C.Brush()->SetColor(G.Color());
    C.Pen()->SetColor(pen);
}

void TVsStringGrid::TCellPainter::ButtonGraphic(const TRect& gr) {
    // Where the button sits, kept for the mouse code's hit test.
    Graph->Packed = static_cast<int32_t>((static_cast<uint32_t>(gr.Top & 0xFFFF) << 16) |
                                         static_cast<uint32_t>(gr.Left & 0xFFFF));
    const TColor bk = C.SetBkColor(clBtnFace);
    DrawFrameControl(C, gr, DFC_BUTTON, DFCS_BUTTONPUSH | (Graph->State ? DFCS_PUSHED : 0));
    const int32_t inset = Graph->State ? 3 : 2;
    TRect caption{gr.Left + inset, gr.Top + inset, gr.Right - inset, gr.Bottom - inset};
    if (const auto* list = dynamic_cast<const TStrings*>(Graph->First); list && list->Count() > 0) {
        C.Brush()->SetStyle(bsClear);
        C.DrawText(list->Get(0), caption, 0);
        C.Brush()->SetStyle(bsSolid);
    }
    C.SetBkColor(bk);
}

void TVsStringGrid::TCellPainter::RotatedText() {
    const std::string& text = G.Cells(RealCol, Row);
    TCanvas screen;
    screen.SetFont(G.Font());
    const TSize extent = screen.TextExtent(text);
    const TPoint at = RotatedTextStart(R, Graph->Mode, Align, G.FVAlignment, extent.cx, extent.cy);
    TFont kept;
    kept.Assign(C.Font());
    C.Font()->SetOrientation(static_cast<int32_t>(Graph->Mode) * 10);
    const uint32_t align = C.SetTextAlign(TA_LEFT | TA_TOP);
    C.Brush()->SetStyle(bsClear);
    C.TextRect(R, at.X, at.Y, text);
    C.Brush()->SetStyle(bsSolid);
    C.SetTextAlign(align);
    C.Font()->Assign(&kept);
}

void TVsStringGrid::TCellPainter::RadioGroup() {
    const auto* items = dynamic_cast<const TStrings*>(Graph->First);
    const int32_t count = Graph->Mode;
    const int32_t selected = Graph->Integer;
    const std::string_view cell = G.CellText(RealCol, Row);
    const int32_t lineHeight = C.TextHeight("gh");
    auto itemText = [&](int32_t i) { return items && i < items->Count() ? items->Get(i) : std::string(); };
    C.Brush()->SetStyle(bsClear);
    int32_t textWidths = 0;
    for (int32_t i = 1; i <= count; ++i) {
        const std::string item = itemText(i - 1);
        const bool checked = selected == i - 1 || (selected == -1 && !item.empty() && item == cell);
        int32_t x, y, tx, ty;
        if (Graph->State) {
            x = R.Left + 12 * i - 10 + textWidths;
            y = R.Top + (R.Bottom - R.Top - 10) / 2;
            tx = x + 10;
            ty = y - 2;
        } else if (items) {
            x = R.Left + 2;
            y = R.Top + (i - 1) * lineHeight + 2;
            tx = R.Left + lineHeight + 2;
            ty = R.Top + (i - 1) * lineHeight;
        } else {
            x = R.Left + (R.Right - R.Left - 10) / 2;
            y = R.Top + (i - 1) * lineHeight + 2;
            tx = x + 10;
            ty = y - 2;
        }
        DrawRadioButton(C, {x, y, x + 10, y + 10}, checked);
        if (!item.empty()) {
            C.Brush()->SetStyle(bsClear);
            C.TextOut(tx, ty, item);
            textWidths += C.TextWidth(item);
        }
    }
    C.Brush()->SetStyle(bsSolid);
}

void TVsStringGrid::TCellPainter::ProgressBar() {
    int32_t percent = 0;
    try {
        percent = G.GetCellInteger(RealCol, Row);
    } catch (const EVsGridError&) {
        return;  // no integer: no bar
    }
    const TColor brush = C.Brush()->Color();
    const TColor pen = C.Pen()->Color();
    const TColor fontColor = C.Font()->Color();
    const TRect r{R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2};
    const int32_t width = r.Right - r.Left;
    const int32_t bar = std::clamp(RoundHalfEven(percent / 100.0 * width), 0, std::max(0, width));
    const std::string text = G.Cells(RealCol, Row) + "%";
    const TSize extent = C.TextExtent(text);
    const int32_t tx = r.Left + (width - extent.cx) / 2;
    const int32_t ty = r.Top + (r.Bottom - r.Top - extent.cy) / 2;
    const uint32_t align = C.SetTextAlign(TA_LEFT | TA_TOP);
    const TColor barColor = ColorToRGB(Graph->BarColor == clNone ? clHighlight : Graph->BarColor);
    const TColor restColor = ColorToRGB(Graph->RestColor == clNone ? clWindow : Graph->RestColor);
    C.Brush()->SetColor(barColor);
    C.Font()->SetColor(static_cast<TColor>(barColor ^ 0xFFFFFF));
    C.TextRect({r.Left, r.Top, r.Left + bar, r.Bottom}, tx, ty, text);
    C.Brush()->SetColor(restColor);
    C.Font()->SetColor(static_cast<TColor>(restColor ^ 0xFFFFFF));
    C.TextRect({r.Left + bar, r.Top, r.Right, r.Bottom}, tx, ty, text);
    C.SetTextAlign(align);
    C.Font()->SetColor(fontColor);
    C.Brush()->SetColor(brush);
    C.Pen()->SetColor(pen);
    C.Brush()->SetStyle(bsClear);
    C.Rectangle(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
    C.Rectangle(r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 2);
    C.Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------- the grid

TPoint TVsStringGrid::RotatedTextStart(const TRect& Cell, int32_t Angle, TAlignment Alignment, TVAlignment VAlign,
                                       int32_t W, int32_t H) {
    const int32_t L = Cell.Left, T = Cell.Top, R = Cell.Right - 2, B = Cell.Bottom - 2;
    const double theta = Angle * kPi / 180.0;
    const int32_t cW = std::abs(RoundHalfEven(std::cos(theta) * W));
    const int32_t sW = std::abs(RoundHalfEven(std::sin(theta) * W));
    const int32_t cH = std::abs(RoundHalfEven(std::cos(theta) * H));
    const int32_t sH = std::abs(RoundHalfEven(std::sin(theta) * H));
    const int quadrant = Angle <= 90 ? 1 : Angle <= 180 ? 2 : Angle <= 270 ? 3 : 4;
    const int a = Alignment == taRightJustify ? 1 : Alignment == taCenter ? 2 : 0;
    int32_t x = L, y = T;
    switch (quadrant) {
    case 1: x = a == 0 ? L : a == 1 ? R - cW - sH : L + (R - L - sH - cW) / 2; break;
    case 2: x = a == 0 ? L + cW : a == 1 ? R - sH : R - (R + sH - L - cW) / 2; break;
    case 3: x = a == 0 ? L + sH + cW : a == 1 ? R : R - (R - L - sH - cW) / 2; break;
    default: x = a == 0 ? L + sH : a == 1 ? R - cW : L + (R + sH - L - cW) / 2; break;
    }
    const int32_t D = FloorDiv(T + cH + sW - B, 2);
    const int v = VAlign == vtaTop ? 0 : VAlign == vtaBottom ? 1 : 2;
    switch (quadrant) {
    case 1: y = v == 0 ? T + sW : v == 1 ? B - cH : T + sW - D; break;
    case 2: y = v == 0 ? T + sW + cH : v == 1 ? B : T + cH + sW - D; break;
    case 3: y = v == 0 ? T + cH : v == 1 ? B - sW : T + cH - D; break;
    default: y = v == 0 ? T : v == 1 ? B - cH - sW : T - D; break;
    }
    return {x + 2, y + 2};
}

void TVsStringGrid::Paint() {
    TStringGrid::Paint();
    PaintLinesOn(*Canvas());
    PaintMarksOn(*Canvas());
}

void TVsStringGrid::PaintMarksOn(TCanvas& Canvas) {
    if (FPress.FixedPressed) {
        TRect r = FPress.FixedRect;
        DrawEdge(Canvas, r, BDR_SUNKENINNER, BF_RIGHT | BF_BOTTOM);
        r = FPress.FixedRect;
        DrawEdge(Canvas, r, BDR_SUNKENINNER, BF_LEFT | BF_TOP);
    }
    if (FPanning && FPanMarkShown) {
        // Each mode's mark is made once: it repaints at every pan step.
        static std::unique_ptr<TBitmap> marks[3];
        const int32_t mode = FIntelliPan == ipHorizontal ? 1 : FIntelliPan == ipVertical ? 2 : 0;
        if (!marks[mode]) {
            TBitmap mark;
            LoadBitmapResource(mark, "INTLI" + std::to_string(mode + 1));
            mark.SetTransparentColor(mark.Canvas()->Pixel(0, 0));
            mark.SetTransparent(true);
            auto white = std::make_unique<TBitmap>(32, 32);
            white->Canvas()->Brush()->SetColor(clWhite);
            white->Canvas()->FillRect(Rect(0, 0, 32, 32));
            white->Canvas()->Draw(0, 0, &mark);
            marks[mode] = std::move(white);
        }
        Canvas.Draw(FPanOrigin.X - 16, FPanOrigin.Y - 16, marks[mode].get());
    }
}

void TVsStringGrid::PaintLinesOn(TCanvas& Canvas) {
    Canvas.Pen()->SetColor(clBlack);
    Canvas.Pen()->SetWidth(1);
    const TGridOptions options = Options();
    auto lines = [&](const TRect& r) {
        if (IsRectEmpty(r)) return;
        if (options & goFixedHorzLine) {
            Canvas.MoveTo(r.Left, r.Bottom);
            Canvas.LineTo(r.Right, r.Bottom);
        }
        if (options & goFixedVertLine) {
            Canvas.MoveTo(r.Right, r.Top);
            Canvas.LineTo(r.Right, r.Bottom);
            Canvas.MoveTo(r.Left - 1, r.Top);
            Canvas.LineTo(r.Left - 1, r.Bottom);
        }
    };
    // Cells declared fixed among the normal cells in view.
    const int32_t c1 = std::min(LeftCol() + VisibleColCount(), ColCount() - FFixedRightCols - 1);
    const int32_t r1 = std::min(TopRow() + VisibleRowCount(), RowCount() - FFixedFooters - 1);
    for (int32_t c = std::max(LeftCol(), FixedCols()); c <= c1; ++c)
        for (int32_t r = std::max(TopRow(), FixedRows()); r <= r1; ++r)
            if (CellIsFixed(RealColIndex(c), r)) lines(CellRect(c, r));
    // The rows in view: the fixed ones and those from the top row on.
    std::vector<int32_t> rows;
    for (int32_t r = 0; r < FixedRows() && r < RowCount(); ++r) rows.push_back(r);
    for (int32_t r = TopRow(); r <= TopRow() + VisibleRowCount() && r < RowCount(); ++r) rows.push_back(r);
    if (FFixedRightCols > 0 && FFixedRightCols < ColCount())
        for (int32_t c = ColCount() - FFixedRightCols; c < ColCount(); ++c)
            for (int32_t r : rows) lines(CellRect(c, r));
    if (FFixedFooters > 0 && FFixedFooters < RowCount()) {
        for (int32_t r = RowCount() - FFixedFooters; r < RowCount(); ++r) {
            if (options & goFixedHorzLine) {
                TRect last = CellRect(ColCount() - 1, r);
                if (!IsRectEmpty(last)) {
                    last.Top -= 1;
                    Canvas.MoveTo(0, last.Top);
                    Canvas.LineTo(last.Right, last.Top);
                    Canvas.MoveTo(0, last.Bottom);
                    Canvas.LineTo(last.Right, last.Bottom);
                }
            }
            if (options & goFixedVertLine) {
                for (int32_t c = 0; c < ColCount(); ++c) {
                    const TRect cell = CellRect(c, r);
                    if (IsRectEmpty(cell)) continue;
                    Canvas.MoveTo(cell.Right, cell.Top);
                    Canvas.LineTo(cell.Right, cell.Bottom);
                }
            }
        }
    }
}

void TVsStringGrid::DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) {
    DrawCellOn(*Canvas(), ACol, ARow, ARect, AState);
}

void TVsStringGrid::DrawCellOn(TCanvas& Canvas, int32_t ACol, int32_t ARow, const TRect& ARect,
                               TGridDrawState AState) {
    TKeep<TCanvas*> keep(FPaintCanvas);
    FPaintCanvas = &Canvas;
    TCellPainter(*this, Canvas, ACol, ARow, ARect, AState).Run();
}

void TVsStringGrid::GetDisplayText(int32_t, int32_t, std::string&) {}

TAlignment TVsStringGrid::GetCellAlignment(int32_t ACol, int32_t ARow) {
    TAlignment alignment = taLeftJustify;
    if (FAutoNumAlign && NumberClass(CellText(ACol, ARow)) != ncOther) alignment = taRightJustify;
    GetAlignment(ACol, ARow, alignment);
    return alignment;
}

void TVsStringGrid::MeasureCellText(int32_t ACol, int32_t ARow, int32_t& Width, int32_t& Height) {
    TCanvas& canvas = PaintCanvas();
    Width = 0;
    Height = 0;
    const std::string_view cell = CellText(ACol, ARow);
    const int32_t kind = TextKind(cell);
    if (kind == tkHTML) {
        std::string anchor, plain;
        // Lines are laid out only as wide as they are measured.
        HTMLDrawText(canvas, cell, {0, 0, kMaxMeasuredTextWidth + 2, 1 << 24}, FGridImages, 0, 0, false, true, false, true, FBlinkPhase,
                     1.0, FURLColor, anchor, plain, Width, Height);
        Width = std::min(Width, kMaxMeasuredTextWidth);
        return;
    }
    // A huge text is measured only as far as the widest width counted.
    auto measure = [&](std::string_view line) {
        line = URLDisplayPart(line, FURLShow, FURLFull);
        return line.empty() ? 0 : std::min(canvas.TextWidthUpTo(line, kMaxMeasuredTextWidth), kMaxMeasuredTextWidth);
    };
    std::string text;
    std::string_view whole = cell;
    if (kind == tkRichText && FRichEditor) {
        LoadRichText(ACol, ARow, FRichEditor);
        text = FRichEditor->PlainText();
        whole = text;
    }
    int32_t lines = 1;
    if (!FMultilinecells) {
        // Without Multilinecells the whole text is one line.
        Width = measure(whole);
    } else {
        if (text.empty()) text = whole;
        lines = 0;
        do {
            Width = std::max(Width, measure(SplitFirstLine(text, true)));
            ++lines;
        } while (!text.empty());
    }
    Height = canvas.TextHeight("gh") * lines;
}

void TVsStringGrid::LoadRichText(int32_t ACol, int32_t ARow, TVsRichEdit* Editor) {
    if (!Editor) return;
    const std::string& text = Cells(ACol, ARow);
    if (text.empty()) {
        Editor->Clear();
        return;
    }
    TStringStream stream(text);
    Editor->LoadFromStream(stream);
}

void TVsStringGrid::StrippedCellText(int32_t ACol, int32_t ARow, std::string& Text) {
    Text = StripHTMLTags(CellText(ACol, ARow));
}
