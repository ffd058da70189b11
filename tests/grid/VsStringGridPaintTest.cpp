// Painting of the string grid: cells drawn on a recording canvas (text,
// rectangles, flags, colours), and on the pixels of the shown grid where
// colour is the point; the cell graphics; the rotated-text start points;
// sizing columns and rows to their contents.
#include <QAbstractScrollArea>
#include <QImage>
#include <QWidget>
#include <cmath>

#include "grid/VsHtml.h"
#include "platform/controls/qt/ControlsQt.h"
#include "platform/graphics/RecordingDevice.h"
#include "tests/grid/VsStringGridTestSupport.h"

// The zoom is stepped by the keys and the wheel; the tests set it directly.
struct TVsStringGridProbe {
    static void SetZoom(TVsStringGrid& g, int32_t zoom) { g.FZoomOffset = zoom; }
};

namespace {

constexpr TColor kPrimary = static_cast<TColor>(RGB(250, 240, 200));
constexpr TColor kSecondary = static_cast<TColor>(RGB(200, 230, 250));

class GridPaintTest : public StringGridTest {
protected:
    void SetUp() override {
        StringGridTest::SetUp();
        MakeGrid(640, 400, {0, 0, 600, 360});
        grid->SetColCount(5);
        grid->SetRowCount(7);
        grid->SetColor(clWhite);
    }
    // The cell drawn alone on a recording canvas.
    std::vector<TRecordedCall> Draw(int32_t col, int32_t row, TGridDrawState state = 0, bool bitmap = false) {
        canvas = std::make_unique<TRecordingCanvas>(96, 96, TSize{700, 500}, bitmap);
        // The platform's grid hands the fixed part over as fixed.
        if (col < grid->FixedCols() || row < grid->FixedRows()) state = gdFixed;
        rect = grid->CellRect(col, row);
        grid->DrawCellOn(*canvas, col, row, rect, state);
        return canvas->Calls();
    }
    std::vector<TRecordedCall> Of(TRecordedKind kind) const { return canvas->Calls(kind); }
    // The colour the cell was filled with first.
    TColor Fill(int32_t col, int32_t row) {
        Draw(col, row);
        auto fills = Of(TRecordedKind::FillRect);
        return fills.empty() ? clNone : fills[0].Brush.Color;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& c : Of(TRecordedKind::TextOut)) t.push_back(c.Text);
        return t;
    }
    // The grid as shown, in the viewport's pixels.
    QImage Shot() {
        form->Show();
        Process();
        QWidget* w = NativeWidget(grid);
        auto* area = qobject_cast<QAbstractScrollArea*>(w);
        if (!area) area = w->findChild<QAbstractScrollArea*>();
        return (area ? area->viewport() : w)->grab().toImage();
    }
    TCellGraphic* Put(int32_t col, int32_t row, uint8_t kind) {
        grid->SetEnableGraphics(true);
        auto* g = new TCellGraphic(kind);
        grid->SetObjects(col, row, g);
        return g;
    }
    std::unique_ptr<TRecordingCanvas> canvas;
    TRect rect;
};

bool HasPolyline(const std::vector<TRecordedCall>& lines, TColor color, TPoint a, TPoint b) {
    for (const auto& l : lines)
        if (l.Pen.Color == color && l.Points.size() == 2 && l.Points[0] == a && l.Points[1] == b) return true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------- colours

TEST_F(GridPaintTest, BandsColourDataRowsButNeverFootersOrFixedRightColumns) {
    grid->Bands()->SetPrimaryColor(kPrimary);
    grid->Bands()->SetSecondaryColor(kSecondary);
    grid->Bands()->SetPrimaryLength(2);
    grid->Bands()->SetSecondaryLength(1);
    grid->Bands()->SetActive(true);
    grid->SetFixedFooters(1);
    grid->SetFixedRightCols(1);
    struct Row {
        int32_t Col, RowIndex;
        TColor Expected;
    } const rows[] = {
        {1, 1, kPrimary},   {1, 2, kPrimary},   {1, 3, kSecondary}, {2, 4, kPrimary},
        {2, 5, kPrimary},   {1, 6, ColorToRGB(clBtnFace)},  // the footer row
        {4, 2, ColorToRGB(clBtnFace)},                       // the fixed right column
        {0, 2, ColorToRGB(clBtnFace)},                       // a fixed column
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.Col) + "," + std::to_string(r.RowIndex));
        EXPECT_EQ(Fill(r.Col, r.RowIndex), r.Expected);
    }
    // On the screen too: the cells' middles.
    const QImage shot = Shot();
    auto at = [&](int32_t c, int32_t r) {
        const TRect cell = grid->CellRect(c, r);
        const QColor q = shot.pixelColor((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
        return static_cast<TColor>(RGB(q.red(), q.green(), q.blue()));
    };
    EXPECT_EQ(at(1, 1), kPrimary);
    EXPECT_EQ(at(1, 2), kPrimary);
    EXPECT_EQ(at(1, 3), kSecondary);
    EXPECT_EQ(at(1, 4), kPrimary);
    EXPECT_EQ(at(4, 3), ColorToRGB(clBtnFace));
}

TEST_F(GridPaintTest, BandsWithoutAPositiveLengthGiveNoBandColour) {
    grid->Bands()->SetPrimaryColor(kPrimary);
    grid->Bands()->SetActive(true);
    for (auto [p, s] : {std::pair{0, 0}, std::pair{-3, 1}, std::pair{-1, -1}}) {
        SCOPED_TRACE(std::to_string(p) + "+" + std::to_string(s));
        grid->Bands()->SetPrimaryLength(p);
        grid->Bands()->SetSecondaryLength(s);
        for (int32_t r = 1; r < 6; ++r) EXPECT_EQ(Fill(1, r), clWhite);
    }
}

TEST_F(GridPaintTest, ZoomedFontNeverBelowOnePoint) {
    grid->SetCells(1, 1, "text");
    grid->Font()->SetSize(8);
    TVsStringGridProbe::SetZoom(*grid, -10);
    Draw(1, 1);
    ASSERT_EQ(Texts(), std::vector<std::string>{"text"});
    TFont one;
    one.SetSize(1);
    EXPECT_EQ(Of(TRecordedKind::TextOut)[0].Font.Height, one.Height());
    TVsStringGridProbe::SetZoom(*grid, 2);
    Draw(1, 1);
    TFont ten;
    ten.SetSize(10);
    EXPECT_EQ(Of(TRecordedKind::TextOut)[0].Font.Height, ten.Height());
}

// ---------------------------------------------------------------- text kinds

TEST_F(GridPaintTest, TextKindsByTheirCaseSensitiveMarks) {
    struct Row {
        const char* Cell;
        std::vector<std::string> Drawn;
        TFontStyles FirstStyle;
    } const rows[] = {
        {"<b>bold</b>", {"bold"}, fsBold},            // HTML: it closes a tag
        {"<B>upper", {"upper"}, fsBold},              // HTML: an upper-case opening tag
        {"<I>it", {"it"}, fsItalic},
        {"<b>lower open", {"<b>lower open"}, 0},      // plain: lower case, nothing closed
        {"=A1+1", {"=A1+1"}, 0},                      // a formula shows its display text
        {"{\\rtf1 {\\b rich} text}", {"rich", "text"}, fsBold},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Cell);
        grid->SetCells(1, 1, r.Cell);
        Draw(1, 1);
        EXPECT_EQ(Texts(), r.Drawn);
        if (!Texts().empty()) {
            EXPECT_EQ(Of(TRecordedKind::TextOut)[0].Font.Style & (fsBold | fsItalic), r.FirstStyle);
        }
    }
}

namespace {
class TFormulaGrid : public TVsStringGrid {
public:
    using TVsStringGrid::TVsStringGrid;
    void GetDisplayText(int32_t, int32_t, std::string& Text) override { Text = "42"; }
};
}  // namespace

TEST_F(GridPaintTest, FormulaCellsPaintTheDisplayText) {
    auto* formulas = new TFormulaGrid(form.get());
    formulas->SetParent(form.get());
    formulas->SetBounds(0, 0, 300, 200);
    formulas->SetCells(1, 1, "=6*7");
    formulas->SetCells(2, 1, "6*7");
    TRecordingCanvas c;
    formulas->DrawCellOn(c, 1, 1, formulas->CellRect(1, 1), 0);
    formulas->DrawCellOn(c, 2, 1, formulas->CellRect(2, 1), 0);
    auto texts = c.Calls(TRecordedKind::TextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "42");
    EXPECT_EQ(texts[1].Text, "6*7");
}

TEST_F(GridPaintTest, LongSingleLinesEndInDotsMultiLineTextsNever) {
    grid->SetColWidths(1, 60);
    grid->SetEnhTextSize(true);
    grid->SetCells(1, 1, "a text far wider than its cell");
    Draw(1, 1);
    ASSERT_EQ(Texts().size(), 1u);
    const std::string shown = Texts()[0];
    ASSERT_GT(shown.size(), 3u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_LE(canvas->TextWidth(shown), 60 - 4);
    EXPECT_GT(canvas->TextWidth(shown + "x"), 0);
    // Several lines are drawn whole.
    grid->SetMultilinecells(true);
    grid->SetCells(1, 1, "a text far wider than its cell\rsecond");
    Draw(1, 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a text far wider than its cell", "second"}));
    // A text that fits stays.
    grid->SetCells(1, 1, "ok");
    Draw(1, 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{"ok"});
}

TEST_F(GridPaintTest, URLsShowInTheirDisplayForm) {
    grid->SetURLShow(true);
    grid->SetURLColor(clRed);
    struct Row {
        const char* Cell;
        bool Full;
        const char* Drawn;
        bool Link;
    } const rows[] = {
        {"http://www.example.com", false, "www.example.com", true},
        {"http://www.example.com", true, "http://www.example.com", true},
        {"mailto:someone@example.com", false, "someone@example.com", true},
        {"no link here", false, "no link here", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Cell);
        grid->SetURLFull(r.Full);
        grid->SetCells(1, 1, r.Cell);
        grid->SetColWidths(1, 300);
        Draw(1, 1);
        ASSERT_EQ(Texts(), std::vector<std::string>{r.Drawn});
        const auto t = Of(TRecordedKind::TextOut)[0];
        EXPECT_EQ((t.Font.Style & fsUnderline) != 0, r.Link);
        EXPECT_EQ(t.Font.Color == ColorToRGB(clRed), r.Link);
    }
}

TEST_F(GridPaintTest, PasswordCellsShowTheMask) {
    grid->OnIsPasswordCell = [](TObject*, int32_t row, int32_t col, bool& is) { is = row == 1 && col == 1; };
    grid->SetCells(1, 1, "abc");
    grid->SetCells(2, 1, "abc");
    Draw(1, 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{"***"});
    Draw(2, 1);
    EXPECT_EQ(Texts(), std::vector<std::string>{"abc"});
}

TEST_F(GridPaintTest, TextFlagsFollowAlignmentAndWrapping) {
    grid->SetColWidths(1, 200);
    grid->SetCells(1, 1, "12");
    grid->SetAutoNumAlign(true);
    Draw(1, 1);
    // Right-aligned: the text ends 2 pixels inside the cell.
    const auto t = Of(TRecordedKind::TextOut)[0];
    EXPECT_EQ(t.Anchor.X + t.Extent.cx, rect.Right - 2);
    EXPECT_EQ(t.Anchor.Y, rect.Top + 2);
    // Word wrapping breaks at blanks within the cell.
    grid->SetAutoNumAlign(false);
    grid->SetWordWrap(true);
    grid->SetRowHeights(1, 80);
    grid->SetColWidths(1, 70);
    grid->SetCells(1, 1, "one two three four");
    Draw(1, 1);
    EXPECT_GT(Texts().size(), 1u);
}

TEST_F(GridPaintTest, SelectedLookAndItsExceptions) {
    grid->SetCells(1, 1, "sel");
    grid->SetSelectionColor(clNavy);
    grid->SetSelectionTextColor(clYellow);
    struct Row {
        const char* Name;
        std::function<void()> Setup;
        TGridDrawState State;
        TColor Brush, Font;
    } const rows[] = {
        {"selected", [] {}, gdSelected, clNavy, clYellow},
        {"focused without goDrawFocusSelected", [] {}, gdSelected | gdFocused, clWhite, clWindowText},
        {"focused with goDrawFocusSelected", [&] { grid->SetOptions(grid->Options() | goDrawFocusSelected); },
         gdSelected | gdFocused, clNavy, clYellow},
        {"hidden selection of a grid without the focus", [&] { grid->SetShowSelection(false); }, gdSelected, clWhite,
         clWindowText},
        {"no selection colour", [&] {
             grid->SetShowSelection(true);
             grid->SetSelectionColor(clNone);
         },
         gdSelected, clHighlight, clYellow},
        {"disjunct rows: an unflagged row", [&] {
             grid->SetSelectionColor(clNavy);
             grid->MouseActions()->SetDisjunctRowSelect(true);
         },
         gdSelected, clWhite, clWindowText},
        {"disjunct rows: a flagged row", [&] {
             grid->SetOptions(grid->Options() | goRowSelect);
             grid->SetRowSelected(1, true);
         },
         0, clNavy, clYellow},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        r.Setup();
        Draw(1, 1, r.State);
        ASSERT_FALSE(Of(TRecordedKind::FillRect).empty());
        EXPECT_EQ(Of(TRecordedKind::FillRect)[0].Brush.Color, ColorToRGB(r.Brush));
        ASSERT_EQ(Texts(), std::vector<std::string>{"sel"});
        EXPECT_EQ(Of(TRecordedKind::TextOut)[0].Font.Color, ColorToRGB(r.Font));
    }
}

TEST_F(GridPaintTest, SelectionRectangleOnTheSelectionsBoundary) {
    grid->SetSelectionRectangle(true);
    grid->SetSelection({1, 1, 2, 3});
    struct Row {
        int32_t Col, RowIndex;
        size_t Edges;
    } const rows[] = {{1, 1, 2}, {2, 2, 1}, {2, 3, 2}, {1, 2, 1}, {3, 3, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.Col) + "," + std::to_string(r.RowIndex));
        Draw(r.Col, r.RowIndex, gdSelected);
        size_t wide = 0;
        for (const auto& l : Of(TRecordedKind::Polyline)) wide += l.Pen.Width == 2 && l.Pen.Color == clBlack;
        EXPECT_EQ(wide, r.Edges);
    }
    Draw(1, 1, gdSelected);
    EXPECT_TRUE(HasPolyline(Of(TRecordedKind::Polyline), clBlack, {rect.Left + 1, rect.Top}, {rect.Left + 1, rect.Bottom}));
    EXPECT_TRUE(HasPolyline(Of(TRecordedKind::Polyline), clBlack, {rect.Left, rect.Top + 1}, {rect.Right, rect.Top + 1}));
}

// ---------------------------------------------------------------- sort indicators

TEST_F(GridPaintTest, SortIndicatorByDirectionGlyphsOrDrawnTriangle) {
    grid->SetSortShow(true);
    grid->SetSortColumn(2);
    grid->SetSortDirection(sdDescending);
    grid->SetCells(2, 0, "Name");
    grid->SetColWidths(2, 120);
    auto indicator = [&] {
        Draw(2, 0);
        const int32_t x = rect.Left + canvas->TextWidth("Name") + 10;
        const int32_t y = rect.Top + 8;
        return std::pair{x, y};
    };
    auto [x, y] = indicator();
    auto lines = Of(TRecordedKind::Polyline);
    EXPECT_TRUE(HasPolyline(lines, clWhite, {x + 4, y - 4}, {x, y + 4}));
    EXPECT_TRUE(HasPolyline(lines, ColorToRGB(clGray), {x, y + 4}, {x - 4, y - 4}));
    EXPECT_TRUE(Of(TRecordedKind::DrawImage).empty());
    // Ascending: the triangle points up.
    grid->SetSortDirection(sdAscending);
    indicator();
    EXPECT_TRUE(HasPolyline(Of(TRecordedKind::Polyline), clWhite, {x - 4, y + 4}, {x + 4, y + 4}));
    // One glyph is not enough; with both the direction's glyph is drawn.
    TBitmap up(8, 8), down(8, 8);
    up.Canvas()->Brush()->SetColor(clRed);
    up.Canvas()->FillRect({0, 0, 8, 8});
    down.Canvas()->Brush()->SetColor(clBlue);
    down.Canvas()->FillRect({0, 0, 8, 8});
    up.Canvas()->SetPixel(0, 0, clWhite);
    down.Canvas()->SetPixel(0, 0, clWhite);
    grid->SetSortDirection(sdDescending);
    grid->SetSortUpGlyph(&up);
    indicator();
    EXPECT_TRUE(HasPolyline(Of(TRecordedKind::Polyline), clWhite, {x + 4, y - 4}, {x, y + 4}));
    grid->SetSortDownGlyph(&down);
    Draw(2, 0, 0, true);
    auto images = Of(TRecordedKind::DrawImage);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].Rect, (TRect{x - 4, y - 4, x + 4, y + 4}));
    EXPECT_EQ(canvas->Bitmap()->Canvas()->Pixel(x, y), ColorToRGB(clBlue));
    // Other columns show nothing.
    Draw(3, 0);
    EXPECT_TRUE(Of(TRecordedKind::DrawImage).empty());
    EXPECT_TRUE(Of(TRecordedKind::Polyline).empty());
}

TEST_F(GridPaintTest, SortIndexesShowNumberedTriangles) {
    grid->SetSortShow(true);
    grid->SetSortIndexShow(true);
    grid->SortIndexes()->AddIndex(3, false);
    grid->SortIndexes()->AddIndex(1, true);
    struct Row {
        int32_t Col;
        const char* Number;
        int32_t ApexDy;
    } const rows[] = {{3, "1", 8}, {1, "2", -4}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Col);
        Draw(r.Col, 0);
        const int32_t x = rect.Left + 10, y = rect.Top + 8;  // empty header text
        auto polygons = Of(TRecordedKind::Polygon);
        ASSERT_EQ(polygons.size(), 1u);
        EXPECT_EQ(polygons[0].Brush.Color, ColorToRGB(clYellow));
        EXPECT_EQ(polygons[0].Points[2], (TPoint{x, y + r.ApexDy}));
        auto texts = Of(TRecordedKind::TextOut);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].Text, r.Number);
        EXPECT_EQ(texts[0].Anchor, (TPoint{x - 2, y - 4}));
        EXPECT_EQ(texts[0].Font.Color, clBlack);
    }
    Draw(2, 0);
    EXPECT_TRUE(Of(TRecordedKind::Polygon).empty());
}

// ---------------------------------------------------------------- focus, background

TEST_F(GridPaintTest, HideFocusRectTakesThePlatformsFocusRectangleAway) {
    grid->SetCells(1, 1, "x");
    auto focusLines = [&] {
        int n = 0;
        for (const auto& l : Of(TRecordedKind::Polyline)) n += l.Pen.Mode == pmXor;
        return n;
    };
    Draw(1, 1, gdFocused | gdSelected);
    EXPECT_EQ(focusLines(), 0);
    grid->SetHideFocusRect(true);
    Draw(1, 1, gdFocused | gdSelected, true);
    EXPECT_EQ(focusLines(), 4);
    // The platform draws its own after the cell: the two cancel out.
    auto pixels = [&](TBitmap& b) {
        std::vector<TColor> p;
        for (int32_t y = rect.Top; y < rect.Bottom; ++y)
            for (int32_t x = rect.Left; x < rect.Right; ++x) p.push_back(b.Canvas()->Pixel(x, y));
        return p;
    };
    const std::vector<TColor> once = pixels(*canvas->Bitmap());
    canvas->DrawFocusRect(rect);
    grid->SetHideFocusRect(false);
    TRecordingCanvas plain(96, 96, {700, 500}, true);
    grid->DrawCellOn(plain, 1, 1, rect, gdFocused | gdSelected);
    EXPECT_EQ(pixels(*canvas->Bitmap()), pixels(*plain.Bitmap()));
    EXPECT_NE(once, pixels(*plain.Bitmap()));
}

TEST_F(GridPaintTest, FixedBackgroundSmallerThanTheFirstCellLeavesOtherCellsUnfilled) {
    TBitmap small(10, 10);
    small.Canvas()->Brush()->SetColor(clRed);
    small.Canvas()->FillRect({0, 0, 10, 10});
    grid->BackGround()->SetBitmap(&small);
    grid->BackGround()->SetDisplay(bdFixed);
    grid->SetCells(2, 2, "t");
    Draw(2, 2);
    EXPECT_TRUE(Of(TRecordedKind::FillRect).empty());
    EXPECT_TRUE(Of(TRecordedKind::DrawImage).empty());
    EXPECT_EQ(Texts(), std::vector<std::string>{"t"});
    // Fixed cells are filled with their colour.
    EXPECT_EQ(Fill(0, 0), ColorToRGB(clBtnFace));
    // A cell the bitmap overlaps gets the overlapping part only.
    const TRect cell = grid->CellRect(1, 1);
    grid->BackGround()->SetLeft(cell.Left - 4);
    grid->BackGround()->SetTop(cell.Top - 3);
    Draw(1, 1, 0, true);
    auto images = Of(TRecordedKind::DrawImage);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].Rect, (TRect{cell.Left, cell.Top, cell.Left + 6, cell.Top + 7}));
    EXPECT_EQ(canvas->Bitmap()->Canvas()->Pixel(cell.Left + 1, cell.Top + 1), ColorToRGB(clRed));
}

TEST_F(GridPaintTest, TiledBackgroundStartsAtTheFirstDataCellWhateverTheScroll) {
    TBitmap tile(7, 5);
    grid->BackGround()->SetBitmap(&tile);
    grid->SetDefaultColWidth(64);
    grid->SetDefaultRowHeight(24);
    grid->SetRowCount(100000);
    struct Row {
        int32_t Col, RowIndex;
    } const rows[] = {{1, 1}, {3, 2}, {2, 4}, {1, 99990}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.RowIndex);
        grid->SetTopRow(std::max(1, r.RowIndex - 1));
        Draw(r.Col, r.RowIndex);
        auto images = Of(TRecordedKind::DrawImage);
        ASSERT_FALSE(images.empty());
        // The first part is cut from the tile at the cell's offset.
        EXPECT_EQ(images[0].Rect.Left, rect.Left);
        EXPECT_EQ(images[0].Rect.Top, rect.Top);
        const int32_t dx = (64 * (r.Col - 1)) % 7, dy = static_cast<int32_t>((24LL * (r.RowIndex - 1)) % 5);
        EXPECT_EQ(images[0].Rect.Width(), 7 - dx);
        EXPECT_EQ(images[0].Rect.Height(), 5 - dy);
        // Parts cover the cell exactly.
        int64_t area = 0;
        for (const auto& i : images) area += int64_t(i.Rect.Width()) * i.Rect.Height();
        EXPECT_EQ(area, int64_t(rect.Width()) * rect.Height());
    }
}

// ---------------------------------------------------------------- borders, lines, events

TEST_F(GridPaintTest, BordersFromTheEventAndTheFixedEdges) {
    grid->OnGetCellBorder = [](TObject*, int32_t row, int32_t col, TPen* pen, TCellBorders& b) {
        if (row == 1 && col == 1) {
            b = cbLeft | cbBottom;
            pen->SetColor(clRed);
        }
    };
    Draw(1, 1);
    const auto lines = Of(TRecordedKind::Polyline);
    EXPECT_TRUE(HasPolyline(lines, clRed, {rect.Left, rect.Top}, {rect.Left, rect.Bottom}));
    EXPECT_TRUE(HasPolyline(lines, clRed, {rect.Left, rect.Bottom - 1}, {rect.Right, rect.Bottom - 1}));
    EXPECT_EQ(lines.size(), 2u);
    // A footer row without the 3D look: black lines one pixel outside.
    grid->SetFixedFooters(1);
    grid->SetCtl3D(false);
    Draw(1, 6);
    EXPECT_TRUE(HasPolyline(Of(TRecordedKind::Polyline), clBlack, {rect.Left - 1, rect.Bottom}, {rect.Right + 1, rect.Bottom}));
    // The grid-wide pass draws the footer's lines from the left edge.
    TRecordingCanvas lines2;
    grid->PaintLinesOn(lines2);
    const TRect last = grid->CellRect(4, 6);
    EXPECT_TRUE(HasPolyline(lines2.Calls(TRecordedKind::Polyline), clBlack, {0, last.Top - 1}, {last.Right, last.Top - 1}));
}

TEST_F(GridPaintTest, PaintingCallsOnDrawCellOncePerCellAndNeverRaises) {
    grid->SetCells(1, 1, "abc");
    grid->SetCells(2, 1, "x");
    // Kinds that need an integer cell, and a picture file that is not there.
    Put(1, 1, cgDataImage);
    Put(2, 1, cgProgress);
    auto* file = Put(3, 1, cgFilePicture);
    file->First = new TFilePicture("/nonexistent/picture.bmp", 10, 10);
    file->Owned = true;
    std::map<std::pair<int32_t, int32_t>, int> calls;
    grid->OnDrawCell = [&](TObject*, int32_t c, int32_t r, TRect, TGridDrawState) { ++calls[{c, r}]; };
    form->Show();
    Process();
    calls.clear();
    const QImage shot = Shot();  // one paint
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(calls[(std::pair{1, 1})], 1);
    EXPECT_EQ(calls[(std::pair{4, 6})], 1);
    EXPECT_EQ(calls.size(), 35u);
    // A second paint: still no error box (the scripted dialogs would fail).
    calls.clear();
    Shot();
    Process();
    EXPECT_EQ(calls[(std::pair{2, 1})], 1);
}

// ---------------------------------------------------------------- cell graphics

TEST_F(GridPaintTest, CellGraphicsArePlacedAndSized) {
    grid->SetColWidths(1, 120);
    grid->SetRowHeights(1, 40);
    auto images = std::make_unique<TImageList>(nullptr, 16, 16);
    for (int i = 0; i < 3; ++i) {
        TBitmap b(16, 16);
        images->Add(b, false);
    }
    grid->SetGridImages(images.get());
    struct Row {
        const char* Name;
        uint8_t Kind;
        uint8_t H, V;
        const char* Cell;
        std::function<void(TCellGraphic&)> Setup;
        std::function<void(const TRect& cell)> Check;
    };
    auto image = [&](int n) { return Of(TRecordedKind::DrawImage).size() == static_cast<size_t>(n); };
    const Row rows[] = {
        {"bitmap bottom right", cgBitmap, 1, 1, "",
         [](TCellGraphic& g) {
             g.First = new TBitmap(8, 6);
             g.Owned = true;
         },
         [&](const TRect& c) {
             ASSERT_TRUE(image(1));
             EXPECT_EQ(Of(TRecordedKind::DrawImage)[0].Rect, (TRect{c.Right - 9, c.Bottom - 7, c.Right - 1, c.Bottom - 1}));
         }},
        {"bitmap centred", cgBitmap, 2, 2, "",
         [](TCellGraphic& g) {
             g.First = new TBitmap(8, 6);
             g.Owned = true;
         },
         [&](const TRect& c) {
             ASSERT_TRUE(image(1));
             EXPECT_EQ(Of(TRecordedKind::DrawImage)[0].Rect.Left, c.Left + (c.Width() - 8) / 2);
             EXPECT_EQ(Of(TRecordedKind::DrawImage)[0].Rect.Top, c.Top + (c.Height() - 6) / 2);
         }},
        {"image index", cgImageIndex, 0, 0, "",
         [](TCellGraphic& g) { g.Integer = 2; },
         [&](const TRect& c) {
             ASSERT_TRUE(image(1));
             EXPECT_EQ(Of(TRecordedKind::DrawImage)[0].Rect, (TRect{c.Left + 1, c.Top + 1, c.Left + 17, c.Top + 17}));
         }},
        {"image index beyond the list", cgImageIndex, 0, 0, "", [](TCellGraphic& g) { g.Integer = 3; },
         [&](const TRect&) { EXPECT_TRUE(image(0)); }},
        {"data image", cgDataImage, 0, 0, "1", [](TCellGraphic& g) { g.Integer = 1; },
         [&](const TRect&) {
             EXPECT_TRUE(image(1));
             EXPECT_TRUE(Texts().empty());  // kind 7 leaves no text
         }},
        {"data image beyond the list", cgDataImage, 0, 0, "2", [](TCellGraphic& g) { g.Integer = 1; },
         [&](const TRect&) { EXPECT_TRUE(image(0)); }},
        {"data image on text", cgDataImage, 0, 0, "abc", [](TCellGraphic&) {},
         [&](const TRect&) { EXPECT_TRUE(image(0)); }},
        {"several images across", cgImageList, 0, 0, "",
         [](TCellGraphic& g) {
             auto* list = new TIntList(0, 0);
             list->Add(0);
             list->Add(1);
             g.First = list;
             g.State = true;
         },
         [&](const TRect& c) {
             ASSERT_TRUE(image(2));
             EXPECT_EQ(Of(TRecordedKind::DrawImage)[1].Rect.Left, c.Left + 1 + 16);
         }},
        {"picture", cgPicture, 0, 0, "",
         [](TCellGraphic& g) {
             auto* p = new TPicture();
             p->Bitmap()->SetSize(10, 12);
             g.First = p;
             g.Owned = true;
         },
         [&](const TRect& c) {
             ASSERT_TRUE(image(1));
             EXPECT_EQ(Of(TRecordedKind::DrawImage)[0].Rect, (TRect{c.Left + 1, c.Top + 1, c.Left + 11, c.Top + 13}));
         }},
        {"picture file that is not there", cgFilePicture, 0, 0, "",
         [](TCellGraphic& g) {
             g.First = new TFilePicture("/nonexistent.bmp", 10, 10);
             g.Owned = true;
         },
         [&](const TRect&) { EXPECT_TRUE(image(0)); }},
        {"check box checked", cgCheckBox, 0, 0, "",
         [](TCellGraphic& g) { g.State = true; },
         [&](const TRect& c) {
             auto fills = Of(TRecordedKind::FillRect);
             ASSERT_GE(fills.size(), 2u);
             EXPECT_EQ(fills.back().Rect.Left, c.Left + 1 + 2);
             EXPECT_EQ(fills.back().Rect.Top, c.Top + 1 + 2);
             EXPECT_EQ(fills.back().Rect.Right, c.Left + 1 + 15 - 2);
             EXPECT_GE(Of(TRecordedKind::Polyline).size(), 3u);  // the mark
         }},
        {"check box bound to the text", cgDataCheckBox, 0, 0, "N", [](TCellGraphic&) {},
         [&](const TRect&) {
             EXPECT_TRUE(Of(TRecordedKind::Polyline).empty());  // "N": not checked
             EXPECT_TRUE(Texts().empty());
         }},
        {"comment mark", cgComment, 0, 0, "note",
         [](TCellGraphic&) {},
         [&](const TRect& c) {
             auto p = Of(TRecordedKind::Polygon);
             ASSERT_EQ(p.size(), 1u);
             EXPECT_EQ(p[0].Points, (std::vector<TPoint>{{c.Right - 7, c.Top + 1}, {c.Right - 2, c.Top + 1}, {c.Right - 2, c.Top + 6}}));
             EXPECT_EQ(p[0].Brush.Color, ColorToRGB(clRed));
             EXPECT_EQ(Texts(), std::vector<std::string>{"note"});
         }},
        {"progress bar", cgProgress, 0, 0, "50",
         [](TCellGraphic& g) {
             g.BarColor = clRed;
             g.RestColor = clWhite;
         },
         [&](const TRect& c) {
             const TRect inner{c.Left + 2, c.Top + 2, c.Right - 2, c.Bottom - 2};
             bool bar = false;
             for (const auto& f : Of(TRecordedKind::FillRect))
                 bar |= f.Rect == TRect{inner.Left, inner.Top, inner.Left + inner.Width() / 2, inner.Bottom} &&
                        f.Brush.Color == ColorToRGB(clRed);
             EXPECT_TRUE(bar);
             auto t = Of(TRecordedKind::TextOut);
             ASSERT_EQ(t.size(), 2u);
             EXPECT_EQ(t[0].Text, "50%");
             EXPECT_EQ(t[0].Font.Color, static_cast<TColor>(RGB(0, 255, 255)));  // red inverted
             EXPECT_EQ(t[1].Font.Color, static_cast<TColor>(RGB(0, 0, 0)));      // white inverted
         }},
        {"progress bar on text", cgProgress, 0, 0, "half", [](TCellGraphic&) {},
         [&](const TRect&) { EXPECT_TRUE(Texts().empty()); }},
        {"radio group across", cgRadio, 0, 0, "",
         [](TCellGraphic& g) {
             auto* items = new TStringList();
             items->Add("a");
             items->Add("b");
             g.First = items;
             g.Mode = 2;
             g.Integer = 1;
             g.State = true;
         },
         [&](const TRect& c) {
             auto e = Of(TRecordedKind::Ellipse);
             ASSERT_EQ(e.size(), 3u);  // two buttons, the second checked
             const int32_t y = c.Top + (c.Height() - 10) / 2;
             EXPECT_EQ(e[0].Rect, (TRect{c.Left + 2, y, c.Left + 12, y + 10}));
             EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "b"}));
         }},
        {"button", cgButton, 1, 0, "",
         [](TCellGraphic& g) {
             auto* caption = new TStringList();
             caption->Add("Go");
             g.First = caption;
             g.Integer = (20 << 16) | 30;
         },
         [&](const TRect& c) {
             EXPECT_EQ(Texts(), std::vector<std::string>{"Go"});
             TRect r;
             ASSERT_TRUE(grid->GetButtonRect(1, 1, r));
             EXPECT_EQ(r.Left, c.Right - 1 - 30);
             EXPECT_EQ(r.Top, c.Top + 1);
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Name);
        TCellGraphic* g = Put(1, 1, r.Kind);
        g->HorzPosition = r.H;
        g->VertPosition = r.V;
        r.Setup(*g);
        grid->SetCells(1, 1, r.Cell);
        Draw(1, 1);
        r.Check(rect);
        grid->SetObjects(1, 1, nullptr);
        delete g;
    }
    grid->SetGridImages(nullptr);
}

TEST_F(GridPaintTest, RotatedTextStartsWhereItsQuadrantSays) {
    struct Row {
        int32_t Angle;
        TAlignment Align;
        TVAlignment VAlign;
        TPoint At;
    } const rows[] = {
        // Cell (0, 0, 100, 50), text 40 x 10; worked out by hand.
        {0, taLeftJustify, vtaTop, {2, 2}},      {0, taRightJustify, vtaBottom, {60, 40}},
        {0, taCenter, vtaCenter, {31, 21}},      {45, taLeftJustify, vtaTop, {2, 30}},
        {45, taRightJustify, vtaBottom, {65, 43}}, {45, taCenter, vtaCenter, {33, 37}},
        {90, taLeftJustify, vtaTop, {2, 42}},    {90, taRightJustify, vtaBottom, {90, 50}},
        {90, taCenter, vtaCenter, {46, 46}},     {180, taLeftJustify, vtaTop, {42, 12}},
        {180, taRightJustify, vtaBottom, {100, 50}}, {180, taCenter, vtaCenter, {71, 31}},
        {270, taLeftJustify, vtaTop, {12, 2}},   {270, taRightJustify, vtaBottom, {100, 10}},
        {270, taCenter, vtaCenter, {56, 6}},     {315, taLeftJustify, vtaTop, {9, 2}},
        {315, taRightJustify, vtaBottom, {72, 15}}, {315, taCenter, vtaCenter, {40, 9}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.Angle) + " " + std::to_string(r.Align) + " " + std::to_string(r.VAlign));
        EXPECT_EQ(TVsStringGrid::RotatedTextStart({0, 0, 100, 50}, r.Angle, r.Align, r.VAlign, 40, 10), r.At);
    }
    // In a cell: turned by the angle, from that point, and no plain text.
    grid->SetCells(1, 1, "turned");
    TCellGraphic* g = Put(1, 1, cgRotated);
    g->Mode = 90;
    Draw(1, 1);
    auto t = Of(TRecordedKind::TextOut);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].Font.Escapement, 900);
    TCanvas screen;
    screen.SetFont(grid->Font());
    const TSize extent = screen.TextExtent("turned");
    EXPECT_EQ(t[0].Anchor, TVsStringGrid::RotatedTextStart(rect, 90, taLeftJustify, vtaTop, extent.cx, extent.cy));
}

// ---------------------------------------------------------------- rich text

TEST_F(GridPaintTest, RichTextCellsPaintThroughTheRichEditorSelectedInTheirWholeLength) {
    std::string doc = "{\\rtf1 {\\b start} ";
    for (int i = 0; i < 70; ++i) doc += "word ";
    doc += "{\\cf1 end}}";
    grid->SetCells(1, 1, doc);
    grid->SetColWidths(1, 4000);
    Draw(1, 1);
    auto t = Of(TRecordedKind::TextOut);
    ASSERT_GT(t.size(), 3u);
    EXPECT_EQ(t[0].Text, "start");
    EXPECT_TRUE(t[0].Font.Style & fsBold);
    EXPECT_EQ(t[0].Anchor.X, rect.Left + 2);
    // Inside the selection: the selection's text colour, up to the last word.
    grid->SetSelectionTextColor(clLime);
    grid->SetSelection({1, 1, 2, 2});
    Draw(1, 1, gdSelected);
    t = Of(TRecordedKind::TextOut);
    for (const auto& c : t) EXPECT_EQ(c.Font.Color, ColorToRGB(clLime)) << c.Text;
    EXPECT_EQ(t.back().Text, "end");
}

// ---------------------------------------------------------------- sizing

TEST_F(GridPaintTest, AutoSizeColumnsGivesTheMeasuredWidthPlusFourteen) {
    grid->FixedFont()->SetStyle(fsBold);
    grid->SetCells(0, 1, "fixed header");
    grid->SetCells(1, 2, "a longer plain text");
    grid->SetCells(1, 3, "short");
    grid->SetCells(2, 1, "<b>html</b> text");
    grid->SetCells(3, 1, "{\\rtf1 rich {\\b words}}");
    grid->SetMultilinecells(true);
    grid->SetCells(4, 2, "one\rthe longest line");
    TCanvas& c = *grid->Canvas();
    auto width = [&](const TFont* font, const std::string& s) {
        c.SetFont(font);
        return c.TextWidth(s);
    };
    std::string anchor, plain;
    int32_t htmlWidth = 0, htmlHeight = 0;
    c.SetFont(grid->Font());
    HTMLDrawText(c, "<b>html</b> text", {0, 0, 1 << 24, 1 << 24}, nullptr, 0, 0, false, true, false, true, false, 1.0,
                 clBlue, anchor, plain, htmlWidth, htmlHeight);
    const int32_t expected[] = {
        width(grid->FixedFont(), "fixed header"), width(grid->Font(), "a longer plain text"), htmlWidth,
        width(grid->Font(), "rich words"), width(grid->Font(), "the longest line")};
    grid->AutoSizeColumns(true, 10);
    for (int32_t col = 0; col < 5; ++col) {
        SCOPED_TRACE(col);
        EXPECT_EQ(grid->ColWidths(col), expected[col] + 14);
    }
    // Only growing never narrows.
    grid->SetColWidths(1, 500);
    grid->AutoSizeColumn(1, true);
    EXPECT_EQ(grid->ColWidths(1), 500);
    grid->SetColWidths(1, 5);
    grid->AutoSizeColumn(1, true);
    EXPECT_EQ(grid->ColWidths(1), expected[1] + 4);
    grid->AutoSizeColumn(1, false);
    EXPECT_EQ(grid->ColWidths(1), expected[1] + 4);
}

TEST_F(GridPaintTest, ZoomActsInAutoSizeColumnOnly) {
    grid->SetCells(1, 1, "some words to measure");
    grid->SetWordWrap(true);
    grid->SetColWidths(2, 40);
    grid->SetCells(2, 1, "wrapping words in a narrow column");
    grid->AutoSizeColumn(1, false);
    const int32_t plain = grid->ColWidths(1);
    grid->AutoSizeRow(1);
    const int32_t rowPlain = grid->RowHeights(1);
    TVsStringGridProbe::SetZoom(*grid, 6);
    grid->AutoSizeColumn(1, false);
    EXPECT_GT(grid->ColWidths(1), plain);
    grid->AutoSizeRow(1);
    EXPECT_EQ(grid->RowHeights(1), rowPlain);
    // The row takes the wrapped text's height plus 4.
    TCanvas& c = *grid->Canvas();
    c.SetFont(grid->Font());
    TRect r{0, 0, 36, 21};
    c.DrawText("wrapping words in a narrow column", r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP | DT_NOPREFIX);
    EXPECT_EQ(rowPlain, r.Height() + 4);
}

TEST_F(GridPaintTest, RowLinesAndMaxCellLines) {
    TCanvas& c = *grid->Canvas();
    c.SetFont(grid->Font());
    const int32_t t = c.TextHeight("gh");
    grid->SetRowLines(2, 3, 5);
    EXPECT_EQ(grid->RowHeights(2), 5 + 3 * (t + t / 4));
    grid->SetCells(1, 2, "a\rb\r\nc");
    grid->SetCells(3, 2, "x\ry");
    EXPECT_EQ(grid->MaxCellLines(2), 1);
    grid->SetMultilinecells(true);
    EXPECT_EQ(grid->MaxCellLines(2), 3);
    EXPECT_EQ(grid->MaxCellLines(4), 1);
}

TEST_F(GridPaintTest, ARightToLeftGridReadsItsTextsRightToLeftOnceLoaded) {
    const struct {
        TBiDiMode Mode;
        bool RightToLeft;
    } cases[] = {{bdLeftToRight, false}, {bdRightToLeft, true}, {bdRightToLeftReadingOnly, true}};
    for (const auto& c : cases) {
        MakeGrid(640, 400, {0, 0, 600, 360});
        grid->SetColCount(5);
        grid->SetRowCount(7);
        grid->SetCells(1, 1, "abc");
        grid->SetBiDiMode(c.Mode);
        Draw(1, 1);
        EXPECT_EQ(Texts(), std::vector<std::string>{"abc"}) << "not before the form is loaded";
        grid->Loaded();
        Draw(1, 1);
        // The text drawn inside a right-to-left embedding.
        EXPECT_EQ(Texts(), std::vector<std::string>{c.RightToLeft ? "\u202Babc\u202C" : "abc"}) << c.Mode;
    }
}
