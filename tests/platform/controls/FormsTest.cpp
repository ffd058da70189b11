// Forms (creation, showing, closing, modal forms answered through the
// scripted service, default and cancel buttons), the screen, the scroll box.
#include <QCursor>
#include <QPixmap>
#include <algorithm>
#include <QFontDatabase>
#include <QScrollArea>
#include <QWindow>

#include "ControlsTestSupport.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"

namespace {

class Forms : public ScriptedTest {};

// A form built in code as its resource declares it, with a create handler.
class TDialogForm : public TForm {
public:
    explicit TDialogForm(TComponent* owner) : TForm(owner) {
        SetCaption("Image Captions");
        SetBorderStyle(bsSingle);
        SetClientWidth(342);
        SetClientHeight(215);
        Edit = new TEdit(this);
        Edit->SetParent(this);
        Edit->SetBounds(10, 10, 200, 21);
        Ok = new TButton(this);
        Ok->SetParent(this);
        Ok->SetCaption("&Save");
        Ok->SetBounds(10, 180, 75, 25);
        Ok->SetDefault(true);
        Ok->SetModalResult(mrOk);
        Cancel = new TButton(this);
        Cancel->SetParent(this);
        Cancel->SetCaption("&Close");
        Cancel->SetBounds(100, 180, 75, 25);
        Cancel->SetCancel(true);
        Cancel->SetModalResult(mrCancel);
        OnCreate = [this](TObject*) { Log.push_back("create"); };
        OnShow = [this](TObject*) { Log.push_back("show"); };
        OnHide = [this](TObject*) { Log.push_back("hide"); };
        OnClose = [this](TObject*, TCloseAction& action) {
            Log.push_back("close");
            action = CloseAction;
        };
        OnCloseQuery = [this](TObject*, bool& canClose) {
            Log.push_back("query");
            canClose = CanClose;
        };
    }
    TEdit* Edit;
    TButton* Ok;
    TButton* Cancel;
    std::vector<std::string> Log;
    TCloseAction CloseAction = caHide;
    bool CanClose = true;
};

TEST_F(Forms, CreateHandlerRunsOnceInsideCreation) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    EXPECT_EQ(form->Log, (std::vector<std::string>{"create"}));
    EXPECT_TRUE(form->Created());
    form->DoCreate();
    EXPECT_EQ(form->Log.size(), 1u);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(form->ClientWidth(), 342);
    EXPECT_EQ(form->ClientHeight(), 215);
    EXPECT_EQ(NativeWidget(form.get())->windowTitle(), QString("Image Captions"));
}

class TFailingForm : public TForm {
public:
    explicit TFailingForm(TComponent* owner) : TForm(owner) {
        SetVisible(true);
        Edit = new TEdit(this);
        Edit->SetParent(this);
        Edit->SetText("01234567890");
        OnCreate = [this](TObject*) {
            Steps.push_back("font");
            int32_t type = StrToInt("abc");  // a non-numeric "bctype"
            Steps.push_back("type " + IntToStr(type));
        };
    }
    TEdit* Edit;
    std::vector<std::string> Steps;
};

TEST_F(Forms, AnErrorInTheCreateHandlerIsShownAndTheFormStillOpens) {
    dialogs->AnswerMessageBox(IDOK);
    std::unique_ptr<TFailingForm> form(TForm::Create<TFailingForm>(nullptr));
    EXPECT_EQ(form->Steps, (std::vector<std::string>{"font"}));
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0], "'abc' is not a valid integer value.");
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(NativeWidget(form.get())->isVisible());
    EXPECT_EQ(form->Edit->Text(), "01234567890");
}

TEST_F(Forms, AFormMadeVisibleInItsConstructorShowsAfterItsCreateHandler) {
    std::vector<std::string> order;
    struct TVisibleForm : TForm {
        TVisibleForm(std::vector<std::string>& order) : TForm(nullptr) {
            SetVisible(true);
            OnCreate = [&order, this](TObject*) {
                order.push_back(NativeWidget(this)->isVisible() ? "create while shown" : "create");
            };
            OnShow = [&order](TObject*) { order.push_back("show"); };
        }
    };
    std::unique_ptr<TVisibleForm> form(TForm::Create<TVisibleForm>(order));
    EXPECT_EQ(order, (std::vector<std::string>{"create", "show"}));
}

TEST_F(Forms, AFormBuiltDirectlyCompletesOnTheNextPass) {
    TForm form(nullptr);
    int created = 0;
    form.OnCreate = [&](TObject*) { ++created; };
    form.Show();
    EXPECT_FALSE(NativeWidget(&form)->isVisible());
    Process();
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(NativeWidget(&form)->isVisible());
}

// As on the platform, a window shown and repainted at once is on the screen
// painted before anything else runs (the splash window during start-up).
TEST_F(Forms, AWindowShownAndRepaintedIsPaintedAtOnce) {
    struct Counter : QObject {
        int Paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++Paints;
            return false;
        }
    } counter;
    auto form = NewForm(288, 223);
    form->SetBorderStyle(bsNone);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetAlign(alClient);
    NativeWidget(panel)->installEventFilter(&counter);
    form->Show();
    form->Repaint();
    QWindow* window = NativeWidget(form.get())->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isExposed());
    EXPECT_GT(counter.Paints, 0);
}

TEST_F(Forms, ShowHideAndCloseRunTheirEvents) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    form->Show();
    form->Show();
    form->Close();
    EXPECT_EQ(form->Log, (std::vector<std::string>{"create", "show", "query", "close", "hide"}));
    EXPECT_FALSE(form->Visible());
    form->Log.clear();
    form->Show();
    form->CanClose = false;
    form->Close();
    EXPECT_TRUE(form->Visible());
    form->CanClose = true;
    form->CloseAction = caNone;
    form->Close();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->Log, (std::vector<std::string>{"show", "query", "query", "close"}));
}

TEST_F(Forms, TheWindowsCloseButtonClosesTheForm) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    form->Show();
    Process();
    NativeWidget(form.get())->close();
    Process();
    EXPECT_FALSE(form->Visible());
    EXPECT_NE(std::find(form->Log.begin(), form->Log.end(), "close"), form->Log.end());
}

TEST_F(Forms, CloseWithCaFreeReleasesTheForm) {
    auto* form = TForm::Create<TDialogForm>(nullptr);
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) { destroyed = true; };
    form->CloseAction = caFree;
    form->Show();
    form->Close();
    EXPECT_FALSE(destroyed);
    Process();
    EXPECT_TRUE(destroyed);
}

TEST_F(Forms, ScreenCenterPlacesTheFormOnItsFirstShow) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    form->SetPosition(poScreenCenter);
    form->Show();
    EXPECT_EQ(form->Left(), (Screen->Width() - form->Width()) / 2);
    EXPECT_EQ(form->Top(), (Screen->Height() - form->Height()) / 2);
}

// ---------------------------------------------------------------- modal forms

TEST_F(Forms, EnterClicksTheDefaultButtonOfAModalForm) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    dialogs->AnswerModal([](TForm& f) {
        auto& d = static_cast<TDialogForm&>(f);
        EXPECT_TRUE(d.Visible());
        EXPECT_TRUE(d.Modal());
        TypeText(d.Edit, "Hello");
        PressKey(d.Edit, VK_RETURN);
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(form->Edit->Text(), "Hello");
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->Modal());
    EXPECT_EQ(dialogs->Log().back().Kind, TDialogKind::ShowModal);
    EXPECT_EQ(dialogs->Log().back().Caption, "Image Captions");
}

TEST_F(Forms, EscapeClicksTheCancelButton) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    int cancelClicks = 0;
    form->Cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    dialogs->AnswerModal([](TForm& f) {
        QTest::keyClick(NativeWidget(static_cast<TDialogForm&>(f).Edit), Qt::Key_Escape);
    });
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(cancelClicks, 1);
}

TEST_F(Forms, AButtonsModalResultClosesTheModalForm) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    form->Ok->SetModalResult(mrYes);
    dialogs->AnswerModal([](TForm& f) {
        Click(static_cast<TDialogForm&>(f).Ok);
    });
    EXPECT_EQ(form->ShowModal(), mrYes);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"create", "show", "query", "close", "hide"}));
    // A reply that only names the result, as a user closing the window.
    dialogs->AnswerModal(mrAbort);
    EXPECT_EQ(form->ShowModal(), mrAbort);
    dialogs->AnswerModal(std::function<void(TForm&)>{});
    EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(Forms, CloseOnAModalFormAnswersCancel) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    dialogs->AnswerModal([](TForm& f) { f.Close(); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(Forms, AVisibleFormCannotBecomeModal) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    form->Show();
    try {
        form->ShowModal();
        ADD_FAILURE() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.Message().c_str(), FormsConst::SCannotShowModal);
    }
}

TEST_F(Forms, TheFocusedButtonAnswersEnter) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    int okClicks = 0, cancelClicks = 0;
    form->Ok->OnClick = [&](TObject*) { ++okClicks; };
    form->Cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    form->Ok->SetModalResult(mrNone);
    form->Cancel->SetModalResult(mrNone);
    ShowActive(*form);
    form->Cancel->SetFocus();
    Process();
    if (!form->Cancel->Focused()) GTEST_SKIP() << "the offscreen platform gave no window focus";
    QTest::keyClick(NativeWidget(form->Cancel), Qt::Key_Return);
    EXPECT_EQ(cancelClicks, 1);
    EXPECT_EQ(okClicks, 0);
    // Elsewhere Enter goes to the default button.
    form->Edit->SetFocus();
    Process();
    QTest::keyClick(NativeWidget(form->Edit), Qt::Key_Return);
    EXPECT_EQ(okClicks, 1);
}

TEST_F(Forms, DefaultAndCancelButtonsOfAModelessForm) {
    std::unique_ptr<TDialogForm> form(TForm::Create<TDialogForm>(nullptr));
    int okClicks = 0, cancelClicks = 0;
    form->Ok->OnClick = [&](TObject*) { ++okClicks; };
    form->Cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    form->Show();
    QTest::keyClick(NativeWidget(form->Edit), Qt::Key_Return);
    QTest::keyClick(NativeWidget(form->Edit), Qt::Key_Escape);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 1);
    // A hidden or disabled default button does not answer.
    form->Ok->SetEnabled(false);
    QTest::keyClick(NativeWidget(form->Edit), Qt::Key_Return);
    EXPECT_EQ(okClicks, 1);
    // Modifiers are no dialog keys.
    form->Cancel->SetCancel(true);
    QTest::keyClick(NativeWidget(form->Edit), Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(cancelClicks, 1);
}

// ---------------------------------------------------------------- screen

TEST_F(Forms, ScreenFontsStartWithDefaultThenTheFamiliesSorted) {
    TStrings* fonts = Screen->Fonts();
    ASSERT_GT(fonts->Count(), 1);
    EXPECT_EQ(fonts->Get(0), "Default");
    for (int32_t i = 2; i < fonts->Count(); ++i) {
        SCOPED_TRACE(fonts->Get(i));
        EXPECT_LE(CompareText(fonts->Get(i - 1), fonts->Get(i)), 0);
    }
    const std::vector<std::string> families = InstalledFontFamilies();
    const bool hasDefault = std::find(families.begin(), families.end(), "Default") != families.end();
    EXPECT_EQ(fonts->Count(), static_cast<int32_t>(families.size()) + (hasDefault ? 0 : 1));
    EXPECT_GE(fonts->IndexOf("Liberation Sans"), 1) << "fonts-liberation is part of the set-up";
}

TEST_F(Forms, ScreenCursorOverridesEveryControl) {
    Screen->SetCursor(crAppStart);
    EXPECT_EQ(Screen->Cursor(), crAppStart);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Forms, ScreenCursorsOfOwnPicturesShowOnControlsAndTheScreen) {
    // A 4 x 3 picture: black ink on a fuchsia background that shows through.
    TBitmap picture(4, 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) picture.Canvas()->SetPixel(x, y, x == y ? clBlack : clFuchsia);
    picture.SetTransparentColor(clFuchsia);
    constexpr TCursor own = 120;
    EXPECT_FALSE(Screen->HasCursors(own));
    Screen->SetCursors(own, picture, TPoint{1, 2});
    EXPECT_TRUE(Screen->HasCursors(own));
    auto form = NewForm();
    auto* box = new TPanel(form.get());
    box->SetParent(form.get());
    box->SetCursor(own);
    const QCursor shown = NativeWidget(box)->cursor();
    ASSERT_EQ(shown.shape(), Qt::BitmapCursor);
    EXPECT_EQ(shown.hotSpot(), QPoint(1, 2));
    const QImage image = shown.pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(4, 3));
    EXPECT_EQ(qAlpha(image.pixel(1, 0)), 0) << "the transparent colour shows through";
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
    // The screen-wide cursor takes the same picture; stock shapes stay.
    Screen->SetCursor(own);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BitmapCursor);
    Screen->SetCursor(crDefault);
    box->SetCursor(crHandPoint);
    EXPECT_EQ(NativeWidget(box)->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(Forms, ScreenKnowsTheForms) {
    int32_t before = Screen->FormCount();
    {
        auto form = NewForm();
        EXPECT_EQ(Screen->FormCount(), before + 1);
    }
    EXPECT_EQ(Screen->FormCount(), before);
    EXPECT_GT(Screen->Width(), 0);
    EXPECT_GT(Screen->Height(), 0);
}

// ---------------------------------------------------------------- scroll box

TEST_F(Forms, ScrollBoxScrollsItsChildren) {
    auto form = NewForm(400, 300);
    auto* box = new TScrollBox(form.get());
    box->SetParent(form.get());
    box->SetAlign(alClient);
    box->SetColor(clWhite);
    auto* child = new TPanel(form.get());
    child->SetParent(box);
    child->SetBounds(35, 32, 100, 50);
    form->Show();
    Process();
    EXPECT_EQ(box->HorzScrollRange(), 0);
    EXPECT_EQ(box->VertScrollRange(), 0);
    // A child that grows past the box makes it scroll.
    child->SetBounds(35, 32, 900, 700);
    Process();
    EXPECT_GE(box->ContentSize().cx, 935);
    EXPECT_GE(box->ContentSize().cy, 732);
    EXPECT_GT(box->HorzScrollRange(), 0);
    EXPECT_GT(box->VertScrollRange(), 0);
    QWidget* viewport = static_cast<QScrollArea*>(NativeWidget(box))->viewport();
    EXPECT_EQ(NativeWidget(child)->mapTo(viewport, QPoint(0, 0)), QPoint(35, 32));
    box->SetVertScrollPos(100);
    box->SetHorzScrollPos(20);
    EXPECT_EQ(box->VertScrollPos(), 100);
    EXPECT_EQ(NativeWidget(child)->mapTo(viewport, QPoint(0, 0)), QPoint(15, -68));
    // Positions stay those of the scrolled area.
    EXPECT_EQ(child->Left(), 35);
    EXPECT_EQ(child->Top(), 32);
    // Shrinking again removes the scroll bars.
    child->SetBounds(35, 32, 50, 20);
    Process();
    EXPECT_EQ(box->VertScrollRange(), 0);
}

TEST_F(Forms, ScrollInViewBringsAChildIntoSight) {
    auto form = NewForm(300, 200);
    auto* box = new TScrollBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(0, 0, 200, 150);
    auto* far = new TPanel(form.get());
    far->SetParent(box);
    far->SetBounds(20, 600, 50, 30);
    form->Show();
    Process();
    box->ScrollInView(far);
    Process();
    QWidget* viewport = static_cast<QScrollArea*>(NativeWidget(box))->viewport();
    QPoint at = NativeWidget(far)->mapTo(viewport, QPoint(0, 0));
    EXPECT_GE(at.y(), 0);
    EXPECT_LE(at.y() + 30, viewport->height());
}

}  // namespace

namespace {

TEST_F(Forms, ActivationFollowsShowingAndSwitching) {
    std::vector<std::string> seen;
    auto a = NewForm();
    auto b = NewForm();
    a->OnActivate = [&](TObject*) { seen.push_back("a on"); };
    a->OnDeactivate = [&](TObject*) { seen.push_back("a off"); };
    b->OnActivate = [&](TObject*) { seen.push_back("b on"); };
    b->OnDeactivate = [&](TObject*) { seen.push_back("b off"); };
    a->Show();
    Process();
    b->Show();
    Process();
    b->Hide();
    Process();
    b->Show();
    Process();
    EXPECT_EQ(seen, (std::vector<std::string>{"a on", "a off", "b on", "b off", "a on", "a off", "b on"}));
    EXPECT_EQ(Screen->ActiveForm(), b.get());
    EXPECT_TRUE(b->Active());
    // A modal form takes the activation and gives it back when it closes.
    std::unique_ptr<TDialogForm> dialog(TForm::Create<TDialogForm>(nullptr));
    dialog->OnActivate = [&](TObject*) { seen.push_back("dialog on"); };
    seen.clear();
    dialogs->AnswerModal([&](TForm&) { seen.push_back("answering"); });
    dialog->ShowModal();
    EXPECT_EQ(seen, (std::vector<std::string>{"b off", "dialog on", "answering", "b on"}));
    // Freeing the active form leaves no form active behind.
    b.reset();
    EXPECT_NE(Screen->ActiveForm(), nullptr);
}

}  // namespace
