// The edit-with-button controls: the button holder's size, its click on a
// left release over the button and the focus that follows.
#include <QTest>

#include "grid/VsEdit.h"
#include "platform/controls/StdCtrls.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

class EditButtons : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        holder = new TVsEditButton(form.get());
        holder->SetParent(form.get());
        holder->SetBounds(10, 10, 20, 25);
        holder->OnClick = [this](TObject* sender) { clicks.push_back(sender); };
        edit = new TEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(40, 10, 80, 21);
        holder->SetFocusControl(edit);
        ShowActive(*form);
    }
    void ReleaseOn(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* w = NativeWidget(holder->SpeedButton());
        QTest::mousePress(w, button, Qt::NoModifier, QPoint(3, 3));
        QTest::mouseRelease(w, button, Qt::NoModifier, at);
        Process();
    }
    std::unique_ptr<TForm> form;
    TVsEditButton* holder = nullptr;
    TEdit* edit = nullptr;
    std::vector<TObject*> clicks;
};

TEST_F(EditButtons, TheButtonCoversTheHolderAtLeast15Wide) {
    EXPECT_EQ(holder->SpeedButton()->BoundsRect(), Rect(0, 0, 20, 25));
    holder->SetBounds(10, 10, 9, 17);
    EXPECT_EQ(holder->Width(), 15);
    EXPECT_EQ(holder->SpeedButton()->BoundsRect(), Rect(0, 0, 15, 17));
    holder->SetButtonCaption("...");
    EXPECT_EQ(holder->SpeedButton()->Caption(), "...");
    EXPECT_EQ(holder->NumGlyphs(), 1);
    EXPECT_FALSE(holder->TabStop());
}

TEST_F(EditButtons, ALeftReleaseOverTheButtonClicksAndFocusesTheEdit) {
    ReleaseOn(QPoint(4, 4));
    EXPECT_EQ(clicks, std::vector<TObject*>{holder});
    EXPECT_TRUE(edit->Focused());
    // Released off the button: no click.
    ReleaseOn(QPoint(60, 4));
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(EditButtons, ARightReleaseNeitherClicksNorMovesTheFocus) {
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetTop(60);
    other->SetFocus();
    Process();
    ReleaseOn(QPoint(4, 4), Qt::RightButton);
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(other->Focused());
}

}  // namespace
