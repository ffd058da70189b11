// The arrow windows (their shapes through their regions) and the flat
// combo box.
#include <QImage>

#include "grid/VsCombo.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinApi.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

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
        EXPECT_EQ(RegionPicture(shape, row.Width, row.Height), row.Shape);
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

class FlatCombos : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        form->SetColor(clBtnFace);
        combo = new TVsComboBox(form.get());
        combo->SetParent(form.get());
        combo->SetBounds(10, 10, 150, 24);
        combo->Items()->Add("one");
        combo->Items()->Add("two");
        other = new TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(10, 60, 100, 24);
        ShowActive(*form);
        other->SetFocus();
        Process();
    }
    QImage Shot() { return NativeWidget(combo)->grab().toImage(); }
    QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y); }
    static QRgb Rgb(TColor c) { return QtColor(c).rgb(); }
    void Hover(bool in) {
        QEvent e(in ? QEvent::Enter : QEvent::Leave);
        QApplication::sendEvent(NativeWidget(combo), &e);
    }
    std::unique_ptr<TForm> form;
    TVsComboBox* combo = nullptr;
    TEdit* other = nullptr;
};

TEST_F(FlatCombos, TheButtonWidthKeepsTo14Through32) {
    // Flat from the start, Ctl3D as inherited.
    EXPECT_TRUE(combo->Flat());
    EXPECT_TRUE(combo->Ctl3D());
    EXPECT_EQ(combo->Style(), csDropDown);
    EXPECT_EQ(combo->ButtonWidth(), GetSystemMetrics(SM_CXVSCROLL) + 2);
    struct Row {
        int32_t Set, Kept;
    };
    combo->SetButtonWidth(20);
    for (const Row& row : {Row{13, 20}, Row{14, 14}, Row{33, 14}, Row{32, 32}}) {
        SCOPED_TRACE(row.Set);
        combo->SetButtonWidth(row.Set);
        EXPECT_EQ(combo->ButtonWidth(), row.Kept);
    }
}

TEST_F(FlatCombos, ADisabledComboTakesItsParentsColourAndGetsItsOwnBack) {
    combo->SetColor(clYellow);
    combo->SetEnabled(false);
    EXPECT_TRUE(combo->ParentColor());
    EXPECT_EQ(combo->Color(), clBtnFace);
    EXPECT_EQ(combo->SavedColor(), clYellow);
    combo->SetEnabled(true);
    EXPECT_EQ(combo->Color(), clYellow);
    EXPECT_FALSE(combo->ParentColor());
    // Not flat: the colours stay.
    combo->SetFlat(false);
    combo->SetEnabled(false);
    EXPECT_EQ(combo->Color(), clYellow);
    EXPECT_TRUE(combo->Ctl3D());
}

TEST_F(FlatCombos, HotTheButtonIsRaisedAndTheFrameSunkenOnlyWithFocusBorder) {
    const int32_t bw = combo->ButtonWidth();
    const int32_t edgeX = combo->ClientWidth() - bw, edgeY = 2;
    // Cold: the frame in the parent's colour, the button edge in the face colour.
    QImage cold = Shot();
    EXPECT_EQ(At(cold, 0, 0), Rgb(clBtnFace));
    EXPECT_EQ(At(cold, 2, 2), Rgb(clWindow));
    EXPECT_EQ(At(cold, edgeX, edgeY + 1), Rgb(clBtnFace));
    Hover(true);
    EXPECT_TRUE(combo->MouseInControl());
    QImage hot = Shot();
    EXPECT_EQ(At(hot, edgeX, edgeY), Rgb(cl3DLight));
    EXPECT_EQ(At(hot, combo->Width() - 3, combo->Height() - 3), Rgb(cl3DDkShadow));
    // Without FocusBorder the frame never sinks.
    EXPECT_EQ(At(hot, 0, 0), Rgb(clBtnFace));
    combo->SetFocusBorder(true);
    hot = Shot();
    EXPECT_EQ(At(hot, 0, 0), Rgb(clBtnShadow));
    EXPECT_EQ(At(hot, combo->Width() - 1, combo->Height() - 1), Rgb(clBtnHighlight));
    combo->SetEtched(true);
    hot = Shot();
    EXPECT_EQ(At(hot, edgeX, edgeY), Rgb(clBtnShadow));
    EXPECT_EQ(At(hot, edgeX + 1, edgeY + 1), Rgb(clBtnHighlight));
    Hover(false);
    EXPECT_FALSE(combo->MouseInControl());
    // The focus is hot too.
    combo->SetEtched(false);
    combo->SetFocus();
    Process();
    EXPECT_TRUE(combo->Hot());
    EXPECT_EQ(At(Shot(), edgeX, edgeY), Rgb(cl3DLight));
}

TEST_F(FlatCombos, TheOpenListShowsAFlatButtonEdge) {
    combo->SetFocus();
    Process();
    const int32_t edgeX = combo->ClientWidth() - combo->ButtonWidth();
    combo->SetDroppedDown(true);
    Process();
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(At(Shot(), edgeX, 2), Rgb(clBtnShadow));
    combo->SetDroppedDown(false);
    Process();
    EXPECT_EQ(At(Shot(), edgeX, 2), Rgb(cl3DLight));
}

}  // namespace
