// The system calls beside the control classes: the counted beep, posted
// keys, edges and frame controls drawn on bitmaps, regions from polygons
// and on windows, and the popup style.
#include <QImage>
#include <QRegion>

#include "ControlsTestSupport.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinApi.h"

namespace {

TEST(Beep, EveryBeepIsCounted) {
    const int32_t before = BeepCount();
    MessageBeep(0);
    MessageBeep(0x30);
    EXPECT_EQ(BeepCount(), before + 2);
    ResetBeepCount();
    EXPECT_EQ(BeepCount(), 0);
}

TEST(Metrics, BordersAndScrollBars) {
    EXPECT_EQ(GetSystemMetrics(SM_CYBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_GT(GetSystemMetrics(SM_CXVSCROLL), 8);
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(GetSystemMetrics(9999), 0);
}

TEST(Regions, APolygonHoldsThePixelsWhoseCentresAreInside) {
    // A rectangle's polygon is the rectangle, right and bottom edges out.
    EXPECT_EQ(TRegion::Polygon({{1, 1}, {5, 1}, {5, 4}, {1, 4}}, WINDING), TRegion::FromRect(Rect(1, 1, 5, 4)));
    TRegion triangle = TRegion::Polygon({{0, 0}, {6, 0}, {0, 6}}, ALTERNATE);
    // (5, 0) has its centre on the slope: outside.
    EXPECT_EQ(RegionPicture(triangle, 7, 7), (std::vector<std::string>{"#####..", "####...", "###....", "##.....",
                                                                 "#......", ".......", "......."}));
    EXPECT_EQ(triangle.BoundsRect(), Rect(0, 0, 5, 5));
    EXPECT_TRUE(TRegion::Polygon({{0, 0}, {3, 3}}, WINDING).Empty());
    EXPECT_TRUE(IsRectEmpty(TRegion().BoundsRect()));
}

TEST(Regions, WindingFillsTheMiddleOfAStarThatAlternateLeavesOut) {
    // Two overlapping squares drawn in the same direction.
    const std::vector<TPoint> twice = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0}, {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}};
    TRegion winding = TRegion::Polygon(twice, WINDING);
    TRegion alternate = TRegion::Polygon(twice, ALTERNATE);
    EXPECT_TRUE(winding.Contains(3, 3));
    EXPECT_FALSE(alternate.Contains(3, 3));
    EXPECT_TRUE(alternate.Contains(1, 1));
    EXPECT_EQ(winding, TRegion::FromRect(Rect(0, 0, 6, 6)));
}

TEST(Edges, RaisedSunkenFlatAndTheAdjustedRectangle) {
    TBitmap bmp(10, 10);
    bmp.SetPixelFormat(pf24bit);
    TCanvas& c = *bmp.Canvas();
    c.Brush()->SetColor(clWhite);
    c.FillRect(Rect(0, 0, 10, 10));
    struct Row {
        const char* Name;
        uint32_t Edge;
        uint32_t Flags;
        TColor Outer, Inner, OuterBottom, InnerBottom;
    };
    const Row rows[] = {
        {"raised", EDGE_RAISED, BF_RECT, cl3DLight, clBtnHighlight, cl3DDkShadow, clBtnShadow},
        {"sunken", EDGE_SUNKEN, BF_RECT, clBtnShadow, cl3DDkShadow, clBtnHighlight, cl3DLight},
        {"etched", EDGE_ETCHED, BF_RECT, clBtnShadow, clBtnHighlight, clBtnHighlight, clBtnShadow},
        {"flat", EDGE_RAISED, BF_RECT | BF_FLAT, clBtnShadow, clBtnFace, clBtnShadow, clBtnFace},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        TRect r = Rect(0, 0, 10, 10);
        EXPECT_TRUE(DrawEdge(c, r, row.Edge, row.Flags | BF_ADJUST | BF_MIDDLE));
        EXPECT_EQ(r, Rect(2, 2, 8, 8));
        EXPECT_EQ(c.Pixel(0, 5), ColorToRGB(row.Outer));
        EXPECT_EQ(c.Pixel(1, 5), ColorToRGB(row.Inner));
        EXPECT_EQ(c.Pixel(9, 5), ColorToRGB(row.OuterBottom));
        EXPECT_EQ(c.Pixel(8, 5), ColorToRGB(row.InnerBottom));
        EXPECT_EQ(c.Pixel(5, 5), ColorToRGB(clBtnFace));
    }
    // Only the sides asked for.
    c.FillRect(Rect(0, 0, 10, 10));
    TRect r = Rect(0, 0, 10, 10);
    DrawEdge(c, r, BDR_SUNKENOUTER, BF_LEFT | BF_ADJUST);
    EXPECT_EQ(r, Rect(1, 0, 10, 10));
    EXPECT_EQ(c.Pixel(5, 0), ColorToRGB(clWhite));
}

TEST(FrameControls, ScrollArrowsPointTheirWay) {
    TBitmap bmp(15, 15);
    bmp.SetPixelFormat(pf24bit);
    TCanvas& c = *bmp.Canvas();
    const TColor ink = ColorToRGB(clBtnText);
    auto rowsOfInk = [&] {
        std::vector<int> widths;
        for (int y = 0; y < 15; ++y) {
            int n = 0;
            for (int x = 0; x < 15; ++x) n += c.Pixel(x, y) == ink;
            if (n) widths.push_back(n);
        }
        return widths;
    };
    auto colsOfInk = [&] {
        std::vector<int> heights;
        for (int x = 0; x < 15; ++x) {
            int n = 0;
            for (int y = 0; y < 15; ++y) n += c.Pixel(x, y) == ink;
            if (n) heights.push_back(n);
        }
        return heights;
    };
    ASSERT_TRUE(DrawFrameControl(c, Rect(0, 0, 15, 15), DFC_SCROLL, DFCS_SCROLLUP));
    EXPECT_EQ(rowsOfInk(), (std::vector<int>{1, 3, 5, 7}));
    ASSERT_TRUE(DrawFrameControl(c, Rect(0, 0, 15, 15), DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT));
    EXPECT_EQ(rowsOfInk(), (std::vector<int>{7, 5, 3, 1}));
    ASSERT_TRUE(DrawFrameControl(c, Rect(0, 0, 15, 15), DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_PUSHED));
    EXPECT_EQ(colsOfInk(), (std::vector<int>{1, 3, 5, 7}));
    ASSERT_TRUE(DrawFrameControl(c, Rect(0, 0, 15, 15), DFC_SCROLL, DFCS_SCROLLRIGHT));
    EXPECT_EQ(colsOfInk(), (std::vector<int>{7, 5, 3, 1}));
    // A flat one has a one-pixel shadow frame.
    DrawFrameControl(c, Rect(0, 0, 15, 15), DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_FLAT);
    EXPECT_EQ(c.Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(c.Pixel(14, 14), ColorToRGB(clBtnShadow));
    EXPECT_EQ(c.Pixel(1, 1), ColorToRGB(clBtnFace));
    DrawFrameControl(c, Rect(0, 0, 15, 15), DFC_SCROLL, DFCS_SCROLLUP | DFCS_INACTIVE);
    EXPECT_TRUE(rowsOfInk().empty());
    EXPECT_FALSE(DrawFrameControl(c, Rect(0, 0, 15, 15), DFC_CAPTION, 0));
}

class Windows : public ScriptedTest {};

TEST_F(Windows, AWindowTakesItsRegionAndGivesItBack) {
    auto form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(10, 10, 11, 10);
    TRegion none;
    EXPECT_FALSE(GetWindowRgn(panel, none));
    TRegion arrow = TRegion::Polygon({{5, 0}, {10, 5}, {0, 5}}, WINDING);
    SetWindowRgn(panel, &arrow, true);
    TRegion back;
    ASSERT_TRUE(GetWindowRgn(panel, back));
    EXPECT_EQ(back, arrow);
    // The widget's mask is the same set of pixels.
    QRegion mask = NativeWidget(panel)->mask();
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 11; ++x) EXPECT_EQ(mask.contains(QPoint(x, y)), arrow.Contains(x, y)) << x << "," << y;
    SetWindowRgn(panel, nullptr, false);
    EXPECT_FALSE(GetWindowRgn(panel, back));
    EXPECT_TRUE(NativeWidget(panel)->mask().isEmpty());
}

TEST_F(Windows, APopupStandsOnTheScreenAboveItsParentAndKeepsItsStyle) {
    auto form = NewForm();
    form->SetBounds(100, 80, 300, 200);
    auto* marker = new TPanel(form.get());
    SetPopupStyle(marker);
    marker->SetParent(form.get());
    marker->SetBounds(95, 70, 11, 10);
    form->Show();
    Process();
    QWidget* w = NativeWidget(marker);
    EXPECT_TRUE(IsPopupStyle(marker));
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->parentWidget(), ClientWidget(form.get()));
    EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(w->isVisible());
    // Screen coordinates: left of and above the form's client area.
    EXPECT_EQ(w->geometry(), QRect(95, 70, 11, 10));
    marker->Hide();
    EXPECT_FALSE(w->isVisible());
    // A new parent keeps the style.
    auto* other = new TPanel(form.get());
    other->SetParent(form.get());
    marker->SetParent(other);
    EXPECT_TRUE(w->isWindow());
    EXPECT_FALSE(IsPopupStyle(other));
}

TEST_F(Windows, APostedTabMovesTheFocusOnOnceTheLoopRuns) {
    auto form = NewForm();
    auto* first = new TEdit(form.get());
    first->SetParent(form.get());
    auto* second = new TEdit(form.get());
    second->SetParent(form.get());
    second->SetTop(40);
    ShowActive(*form);
    first->SetFocus();
    Process();
    ASSERT_TRUE(first->Focused());
    PostKeyDown(first, VK_TAB);
    EXPECT_TRUE(first->Focused());
    Process();
    EXPECT_TRUE(second->Focused());
    PostKeyDown(second, VK_TAB, ssShift);
    Process();
    EXPECT_TRUE(first->Focused());
}

}  // namespace
