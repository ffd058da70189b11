// The arrow windows (their shapes through their regions) and the flat
// combo box.
#include "grid/VsCombo.h"
#include "platform/controls/WinApi.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

std::vector<std::string> Picture(const TRegion& region, int32_t width, int32_t height) {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < height; ++y) {
        std::string row;
        for (int32_t x = 0; x < width; ++x) row += region.Contains(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

class ArrowWindows : public ScriptedTest {};

TEST_F(ArrowWindows, EachDirectionHasItsShape) {
    auto form = NewForm();
    struct Row {
        TArrowDirection Direction;
        int32_t Width, Height;
        std::vector<std::string> Shape;
    };
    const Row rows[] = {
        {adUp, 10, 9, {"....#.....", "...###....", "..#####...", ".#######..", "#########.",
                       "...####...", "...####...", "...####...", "...####..."}},
        {adDown, 9, 8, {"...####..", "...####..", "...####..", "...####..",
                        ".#######.", "..#####..", "...###...", "....#...."}},
        {adRight, 8, 10, {"........", "....#...", "....##..", "#######.", "########",
                          "########", "#######.", "....##..", "....#...", "........"}},
        {adLeft, 8, 10, {"........", "...#....", "..##....", ".#######", "########",
                         "########", ".#######", "..##....", "...#....", "........"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Direction);
        auto* arrow = new TArrowWindow(form.get(), row.Direction);
        arrow->SetParent(form.get());
        EXPECT_EQ(arrow->Direction(), row.Direction);
        EXPECT_EQ(arrow->Color(), clLime);
        EXPECT_FALSE(arrow->Visible());
        EXPECT_TRUE(IsPopupStyle(arrow));
        EXPECT_EQ(arrow->Width(), row.Width);
        EXPECT_EQ(arrow->Height(), row.Height);
        TRegion shape;
        ASSERT_TRUE(GetWindowRgn(arrow, shape));
        EXPECT_EQ(Picture(shape, row.Width, row.Height), row.Shape);
    }
}

TEST_F(ArrowWindows, AShownArrowStandsWhereItIsPutOnTheScreen) {
    auto form = NewForm();
    form->SetBounds(200, 150, 300, 200);
    form->Show();
    auto* arrow = new TArrowWindow(form.get(), adDown);
    arrow->SetParent(form.get());
    arrow->SetBounds(195, 140, arrow->Width(), arrow->Height());
    arrow->Show();
    Process();
    QWidget* w = NativeWidget(arrow);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->geometry().topLeft(), QPoint(195, 140));
    EXPECT_FALSE(w->mask().isEmpty());
    EXPECT_FALSE(arrow->CanFocus() && w->focusPolicy() != Qt::NoFocus);
}

}  // namespace
