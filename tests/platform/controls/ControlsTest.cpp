// The control tree: geometry and alignment, fonts, painting through the
// canvas, the exception guard, mouse and key dispatch.
#include <QImage>
#include <QPixmap>
#include <QWheelEvent>

#include "ControlsTestSupport.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"

namespace {

class ControlTree : public ScriptedTest {};

TEST_F(ControlTree, BoundsAndClientSize) {
    auto form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(10, 20, 150, 60);
    EXPECT_EQ(panel->Left(), 10);
    EXPECT_EQ(panel->Top(), 20);
    EXPECT_EQ(panel->Width(), 150);
    EXPECT_EQ(panel->Height(), 60);
    EXPECT_EQ(panel->ClientWidth(), 150);
    EXPECT_EQ(panel->BoundsRect(), Rect(10, 20, 160, 80));
    QRect g = NativeWidget(panel)->geometry();
    EXPECT_EQ(g, QRect(10, 20, 150, 60));
    panel->SetWidth(-5);
    EXPECT_EQ(panel->Width(), 0);
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
}

TEST_F(ControlTree, AlignedChildrenShareTheClientArea) {
    auto form = NewForm(400, 300);
    auto* top = new TPanel(form.get());
    top->SetParent(form.get());
    top->SetHeight(30);
    top->SetAlign(alTop);
    auto* bottom = new TPanel(form.get());
    bottom->SetParent(form.get());
    bottom->SetHeight(20);
    bottom->SetAlign(alBottom);
    auto* left = new TPanel(form.get());
    left->SetParent(form.get());
    left->SetWidth(50);
    left->SetAlign(alLeft);
    auto* client = new TPanel(form.get());
    client->SetParent(form.get());
    client->SetAlign(alClient);
    int32_t cw = form->ClientWidth(), ch = form->ClientHeight();
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, cw, 30));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, ch - 20, cw, ch));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 50, ch - 20));
    EXPECT_EQ(client->BoundsRect(), Rect(50, 30, cw, ch - 20));
    // The layout follows the form and the visibility of its parts.
    form->SetBounds(0, 0, 500, 400);
    EXPECT_EQ(client->Width(), form->ClientWidth() - 50);
    top->Hide();
    EXPECT_EQ(client->Top(), 0);
    EXPECT_EQ(left->Top(), 0);
}

TEST_F(ControlTree, ChildrenTakeTheParentFontUntilGivenTheirOwn) {
    auto form = NewForm();
    form->Font()->SetName("Arial");
    form->Font()->SetHeight(-13);
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    EXPECT_TRUE(edit->ParentFont());
    EXPECT_EQ(edit->Font()->Height(), -13);
    form->Font()->SetHeight(-15);
    EXPECT_EQ(edit->Font()->Height(), -15);
    edit->Font()->SetHeight(-12);
    EXPECT_FALSE(edit->ParentFont());
    form->Font()->SetHeight(-20);
    EXPECT_EQ(edit->Font()->Height(), -12);
    EXPECT_EQ(NativeWidget(edit)->font().pixelSize(), 12);
}

TEST_F(ControlTree, FreeingAParentFreesItsChildren) {
    auto form = NewForm();
    auto* panel = new TPanel(nullptr);
    panel->SetParent(form.get());
    auto* edit = new TEdit(nullptr);
    edit->SetParent(panel);
    EXPECT_EQ(form->ControlCount(), 1);
    EXPECT_EQ(panel->ControlCount(), 1);
    delete panel;
    EXPECT_EQ(form->ControlCount(), 0);
    // A control owned by the form but parented elsewhere leaves the form's
    // components when it goes.
    auto* owned = new TEdit(form.get());
    int32_t before = form->ComponentCount();
    delete owned;
    EXPECT_EQ(form->ComponentCount(), before - 1);
}

// ---------------------------------------------------------------- painting

TEST_F(ControlTree, CanvasDrawsOnTheControlWhilePainting) {
    auto form = NewForm();
    auto* box = new TPaintBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(5, 5, 40, 30);
    box->OnPaint = [box](TObject*) {
        box->Canvas()->Brush()->SetColor(clRed);
        box->Canvas()->FillRect(Rect(0, 0, 20, 30));
        box->Canvas()->Brush()->SetColor(clBlue);
        box->Canvas()->FillRect(Rect(20, 0, 40, 30));
    };
    QImage img = NativeWidget(box)->grab().toImage();
    EXPECT_EQ(img.pixelColor(5, 10), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(30, 10), QColor(0, 0, 255));
    EXPECT_GE(box->PaintCount(), 1);
    // Outside painting the canvas draws nothing and does not fail.
    box->Canvas()->FillRect(Rect(0, 0, 10, 10));
    EXPECT_GT(box->Canvas()->TextWidth("Hello"), 0);
}

TEST_F(ControlTree, EveryPaintStartsWithAFreshDeviceContext) {
    auto form = NewForm();
    auto* box = new TPaintBox(form.get());
    box->SetParent(form.get());
    std::vector<int> modes;
    std::vector<TPoint> origins;
    box->OnPaint = [&](TObject*) {
        modes.push_back(box->Canvas()->GetMapMode());
        origins.push_back(box->Canvas()->GetViewportOrg());
        box->Canvas()->SetMapMode(MM_LOMETRIC);
        box->Canvas()->SetViewportOrgEx(10, 10);
    };
    NativeWidget(box)->grab();
    NativeWidget(box)->grab();
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[1], MM_TEXT);
    EXPECT_EQ(origins[1], Point(0, 0));
}

TEST_F(ControlTree, APaintThatResizesItsControlSettles) {
    auto form = NewForm();
    auto* box = new TPaintBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(0, 0, 10, 10);
    // As the barcode control does: every paint sets the size it drew.
    box->OnPaint = [box](TObject*) { box->SetBounds(box->Left(), box->Top(), 120, 45); };
    form->Show();
    Process();
    Process();
    int32_t count = box->PaintCount();
    EXPECT_GE(count, 1);
    EXPECT_EQ(box->Width(), 120);
    EXPECT_EQ(box->Height(), 45);
    EXPECT_EQ(NativeWidget(box)->size(), QSize(120, 45));
    Process();
    Process();
    EXPECT_EQ(box->PaintCount(), count) << "painting must stop once the size holds";
    box->Invalidate();
    Process();
    EXPECT_GT(box->PaintCount(), count);
}

// ---------------------------------------------------------------- the guard

TEST_F(ControlTree, APaintErrorIsReportedOnceUntilAPaintSucceeds) {
    auto form = NewForm();
    auto* box = new TPaintBox(form.get());
    box->SetParent(form.get());
    bool fail = true;
    box->OnPaint = [&](TObject*) {
        if (fail) throw EOverflow("BarcoLL: Code128 error");
    };
    dialogs->AnswerMessageBox(IDOK);
    for (int i = 0; i < 5; ++i) {
        NativeWidget(box)->grab();
        Process();
    }
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0], "BarcoLL: Code128 error.");
    EXPECT_EQ(dialogs->Log()[0].Flags, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(dialogs->Log()[0].Caption, Application->Title());
    fail = false;
    NativeWidget(box)->grab();
    fail = true;
    dialogs->AnswerMessageBox(IDOK);
    NativeWidget(box)->grab();
    NativeWidget(box)->grab();
    Process();
    EXPECT_EQ(dialogs->Messages().size(), 2u);
}

TEST_F(ControlTree, AClickHandlerErrorIsShownAndTheProgramGoesOn) {
    auto form = NewForm();
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    int clicks = 0;
    button->OnClick = [&](TObject*) {
        ++clicks;
        throw EConvertError(FmtMsg(SysConst::SInvalidInteger, "abc"));
    };
    form->Show();
    Process();
    dialogs->AnswerMessageBox(IDOK).AnswerMessageBox(IDOK);
    Click(button);
    Click(button);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(dialogs->Messages().size(), 2u);
    EXPECT_EQ(dialogs->Messages()[0], "'abc' is not a valid integer value.");
}

TEST_F(ControlTree, TheErrorBoxKeepsAFinalPunctuationMark) {
    struct {
        const char* Message;
        const char* Shown;
    } rows[] = {{"Bar_HeightPercent must be in the range 20..200!", "Bar_HeightPercent must be in the range 20..200!"},
                {"Label template created.", "Label template created."},
                {"Unable to write to /x/varsona.ini", "Unable to write to /x/varsona.ini."},
                {"", ""}};
    for (auto& r : rows) {
        SCOPED_TRACE(r.Message);
        dialogs->Clear();
        dialogs->AnswerMessageBox(IDOK);
        Application->ShowException(Exception(r.Message));
        ASSERT_EQ(dialogs->Messages().size(), 1u);
        EXPECT_EQ(dialogs->Messages()[0], r.Shown);
    }
}

TEST_F(ControlTree, GuardReportsStdExceptionsAndKeepsAbortSilent) {
    dialogs->AnswerMessageBox(IDOK);
    EXPECT_FALSE(GuardedCall(nullptr, [] { throw std::runtime_error("disk full"); }));
    EXPECT_FALSE(GuardedCall(nullptr, [] { throw EAbort("quiet"); }));
    EXPECT_TRUE(GuardedCall(nullptr, [] {}));
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0], "disk full.");
}

TEST_F(ControlTree, OnExceptionReplacesTheErrorBox) {
    std::string seen;
    Application->OnException = [&](TObject*, const Exception& e) { seen = e.Message(); };
    GuardedCall(nullptr, [] { throw EOverflow("boom"); });
    Application->OnException = nullptr;
    EXPECT_EQ(seen, "boom");
    EXPECT_TRUE(dialogs->Log().empty());
}

// ---------------------------------------------------------------- mouse

TEST_F(ControlTree, MouseEventsAndClicksInOrder) {
    auto form = NewForm();
    auto* box = new TPaintBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(10, 10, 50, 50);
    std::vector<std::string> events;
    box->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int32_t x, int32_t y) {
        events.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                         ((s & ssDouble) ? " dbl" : "") + ((s & ssShift) ? " shift" : ""));
    };
    box->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int32_t x, int32_t y) { events.push_back("up"); };
    box->OnClick = [&](TObject*) { events.push_back("click"); };
    box->OnDblClick = [&](TObject*) { events.push_back("dblclick"); };
    form->Show();
    Process();
    ClickAt(box, 7, 9, mbLeft, ssShift);
    EXPECT_EQ(events, (std::vector<std::string>{"down 0 7,9 shift", "click", "up"}));
    events.clear();
    DoubleClickAt(box, 3, 4);
    ASSERT_GE(events.size(), 2u);
    EXPECT_NE(std::find(events.begin(), events.end(), "dblclick"), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "down 0 3,4 dbl"), events.end());
    events.clear();
    ClickAt(box, 1, 1, mbRight);
    EXPECT_EQ(events, (std::vector<std::string>{"down 1 1,1", "up"}));
}

TEST_F(ControlTree, ClickIsASubroutineCall) {
    auto form = NewForm();
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->Hide();
    int n = 0;
    label->OnClick = [&](TObject*) { ++n; };
    label->Click();
    EXPECT_EQ(n, 1);
}

// ---------------------------------------------------------------- keys

TEST_F(ControlTree, KeyPreviewLetsTheFormSeeKeysFirst) {
    auto form = NewForm();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    std::vector<std::string> seen;
    form->OnKeyDown = [&](TObject* s, Word& key, TShiftState) {
        seen.push_back("form down " + std::to_string(key));
        if (key == 'X') key = 0;
    };
    form->OnKeyUp = [&](TObject*, Word& key, TShiftState) { seen.push_back("form up " + std::to_string(key)); };
    edit->OnKeyDown = [&](TObject*, Word& key, TShiftState) { seen.push_back("edit down " + std::to_string(key)); };
    edit->OnKeyUp = [&](TObject*, Word& key, TShiftState) { seen.push_back("edit up " + std::to_string(key)); };
    form->Show();
    Process();
    QTest::keyClick(NativeWidget(edit), Qt::Key_A);
    EXPECT_EQ(seen, (std::vector<std::string>{"edit down 65", "edit up 65"}));
    seen.clear();
    form->SetKeyPreview(true);
    QTest::keyClick(NativeWidget(edit), Qt::Key_A);
    EXPECT_EQ(seen, (std::vector<std::string>{"form down 65", "edit down 65", "form up 65", "edit up 65"}));
    seen.clear();
    // A key the form takes never reaches the edit's handler; the typed
    // character still arrives, as on the platform.
    QTest::keyClick(NativeWidget(edit), Qt::Key_X);
    EXPECT_EQ(seen.front(), "form down 88");
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "edit down 88"), 0);
    EXPECT_EQ(edit->Text(), "aax");
}

TEST_F(ControlTree, KeyDownTakingTheKeyStopsItsAction) {
    auto form = NewForm();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetText("abc");
    edit->SetSelStart(0);
    edit->OnKeyDown = [](TObject*, Word& key, TShiftState) {
        if (key == VK_DELETE) key = 0;
    };
    form->Show();
    Process();
    PressKey(edit, VK_DELETE);
    EXPECT_EQ(edit->Text(), "abc");
    edit->OnKeyDown = nullptr;
    PressKey(edit, VK_DELETE);
    EXPECT_EQ(edit->Text(), "bc");
}

TEST_F(ControlTree, KeyHandlerErrorsAreReported) {
    auto form = NewForm();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->OnKeyUp = [](TObject*, Word&, TShiftState) { throw EInvalidOperation("Cannot focus a disabled or invisible window"); };
    form->Show();
    Process();
    dialogs->AnswerMessageBox(IDOK);
    QTest::keyClick(NativeWidget(edit), Qt::Key_1);
    EXPECT_EQ(edit->Text(), "1");
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0], "Cannot focus a disabled or invisible window.");
}

TEST_F(ControlTree, EnterAndExitFollowTheFocus) {
    auto form = NewForm();
    auto* a = new TEdit(form.get());
    a->SetParent(form.get());
    auto* b = new TEdit(form.get());
    b->SetParent(form.get());
    b->SetTop(40);
    std::vector<std::string> seen;
    a->OnEnter = [&](TObject*) { seen.push_back("enter a"); };
    a->OnExit = [&](TObject*) { seen.push_back("exit a"); };
    b->OnEnter = [&](TObject*) { seen.push_back("enter b"); };
    ShowActive(*form);
    a->SetFocus();
    Process();
    b->SetFocus();
    Process();
    if (!QApplication::focusWidget()) GTEST_SKIP() << "the offscreen platform gave no window focus";
    EXPECT_EQ(seen, (std::vector<std::string>{"enter a", "exit a", "enter b"}));
    EXPECT_EQ(form->ActiveControl(), b);
    EXPECT_TRUE(b->Focused());
}

// The controls reach the windows above them only through the installed
// hooks; without a window a control cannot take the focus.
TEST(ControlHooks, TheControlsReportAndFindTheirWindowThroughTheHooks) {
    struct TRecorder : TControlHooks {
        std::vector<std::string> Errors;
        void HandleException(TObject*) override {
            try {
                throw;
            } catch (const Exception& e) {
                Errors.push_back(e.Message());
            }
        }
    } recorder;
    TControlHooks& previous = ControlHooks();
    InstallControlHooks(&recorder);
    TEdit edit(nullptr);
    EXPECT_FALSE(GuardedCall(&edit, [] { throw EInvalidOperation("Cannot focus a disabled or invisible window"); }));
    EXPECT_FALSE(edit.CanFocus());
    InstallControlHooks(&previous);
    EXPECT_EQ(recorder.Errors, std::vector<std::string>{"Cannot focus a disabled or invisible window"});
    EXPECT_EQ(&ControlHooks(), &previous);
}

// The focus rule: a control hears enter and exit when the focus comes to or
// leaves it or any control inside it; the controls between the one losing
// the focus and the common container exit innermost first, those down to
// the new one enter outermost first.
TEST_F(ControlTree, EnterAndExitFollowTheCommonAncestorRule) {
    auto form = NewForm(400, 300);
    std::vector<std::string> seen;
    auto watch = [&](TWinControl* c, const std::string& name) {
        c->OnEnter = [&seen, name](TObject*) { seen.push_back("enter " + name); };
        c->OnExit = [&seen, name](TObject*) { seen.push_back("exit " + name); };
    };
    // form > panel > group > a; form > panel > b; form > c
    auto* panel = CreateNamed<TPanel>(form.get(), form.get(), "panel", 0, 0, 300, 200);
    auto* group = CreateNamed<TGroupBox>(form.get(), panel, "group", 10, 10, 200, 80);
    auto* a = CreateNamed<TEdit>(form.get(), group, "a", 10, 20, 100, 24);
    auto* b = CreateNamed<TEdit>(form.get(), panel, "b", 10, 120, 100, 24);
    auto* c = CreateNamed<TEdit>(form.get(), form.get(), "c", 10, 240, 100, 24);
    for (auto [control, name] : {std::pair<TWinControl*, const char*>{panel, "panel"}, {group, "group"}, {a, "a"},
                                 {b, "b"}, {c, "c"}})
        watch(control, name);
    ShowActive(*form);
    c->SetFocus();
    Process();
    if (!QApplication::focusWidget()) GTEST_SKIP() << "the offscreen platform gave no window focus";
    seen.clear();
    a->SetFocus();
    Process();
    EXPECT_EQ(seen, (std::vector<std::string>{"exit c", "enter panel", "enter group", "enter a"}));
    seen.clear();
    b->SetFocus();
    Process();
    EXPECT_EQ(seen, (std::vector<std::string>{"exit a", "exit group", "enter b"}));
    seen.clear();
    c->SetFocus();
    Process();
    EXPECT_EQ(seen, (std::vector<std::string>{"exit b", "exit panel", "enter c"}));
    EXPECT_EQ(form->ActiveControl(), c);
    // A child taking the focus from its parent is no exit of the parent.
    seen.clear();
    TWinControl::FocusChanged(group, a);
    EXPECT_EQ(seen, std::vector<std::string>{"enter a"});
}

TEST_F(ControlTree, FocusingAControlOfAHiddenFormFails) {
    auto form = NewForm();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    try {
        edit->SetFocus();
        ADD_FAILURE() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.Message().c_str(), FormsConst::SCannotFocus);
    }
    form->Show();
    Process();
    edit->Hide();
    EXPECT_THROW(edit->SetFocus(), EInvalidOperation);
}

}  // namespace

namespace {

TEST_F(ControlTree, HintsFollowTheParentUntilSetOwn) {
    auto form = NewForm();
    auto* bar = new TPanel(form.get());
    bar->SetParent(form.get());
    auto* box = new TPaintBox(form.get());
    box->SetParent(bar);
    box->SetHint("Rotate barcode 90 degrees|Turns the symbol");
    EXPECT_TRUE(NativeWidget(box)->toolTip().isEmpty());
    form->SetShowHint(true);
    EXPECT_TRUE(bar->ShowHint());
    EXPECT_TRUE(box->ShowHint());
    EXPECT_EQ(NativeWidget(box)->toolTip(), QString("Rotate barcode 90 degrees"));
    box->SetShowHint(false);
    EXPECT_FALSE(box->ParentShowHint());
    form->SetShowHint(true);
    EXPECT_TRUE(NativeWidget(box)->toolTip().isEmpty());
}

TEST_F(ControlTree, MouseMovesArriveWithoutAPressedButton) {
    auto form = NewForm();
    auto* box = new TPaintBox(form.get());
    box->SetParent(form.get());
    form->Show();
    Process();
    std::vector<TPoint> moves;
    box->OnMouseMove = [&](TObject*, TShiftState, int32_t x, int32_t y) { moves.push_back(Point(x, y)); };
    QTest::mouseMove(NativeWidget(box), QPoint(12, 14));
    Process();
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), Point(12, 14));
}

TEST_F(ControlTree, DraggingFromOneControlOntoAnother) {
    auto form = NewForm(300, 200);
    auto* source = new TPaintBox(form.get());
    source->SetParent(form.get());
    source->SetBounds(10, 10, 50, 50);
    auto* target = new TPaintBox(form.get());
    target->SetParent(form.get());
    target->SetBounds(150, 10, 50, 50);
    std::vector<std::string> seen;
    target->OnDragOver = [&](TObject*, TObject* src, int32_t, int32_t, TDragState, bool& accept) {
        accept = src == source;
        if (seen.empty() || seen.back() != "over") seen.push_back("over");
    };
    target->OnDragDrop = [&](TObject*, TObject* src, int32_t, int32_t) {
        seen.push_back(src == source ? "drop from source" : "drop");
    };
    source->OnEndDrag = [&](TObject*, TObject* t, int32_t, int32_t) {
        seen.push_back(t == target ? "end on target" : "end nowhere");
    };
    source->SetDragMode(dmAutomatic);
    form->Show();
    Process();
    if (QApplication::widgetAt(NativeWidget(target)->mapToGlobal(QPoint(5, 5))) != NativeWidget(target))
        GTEST_SKIP() << "the platform cannot tell the widget under a point";
    QTest::mousePress(NativeWidget(source), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(source->Dragging());
    QPoint over = NativeWidget(source)->mapFromGlobal(NativeWidget(target)->mapToGlobal(QPoint(10, 10)));
    QTest::mouseMove(NativeWidget(source), over);
    QTest::mouseRelease(NativeWidget(source), Qt::LeftButton, Qt::NoModifier, over);
    EXPECT_EQ(seen, (std::vector<std::string>{"over", "drop from source", "end on target"}));
    EXPECT_FALSE(source->Dragging());
    // Released elsewhere: the source hears that nothing took it.
    seen.clear();
    QTest::mousePress(NativeWidget(source), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(NativeWidget(source), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    EXPECT_EQ(seen, (std::vector<std::string>{"end nowhere"}));
}

// The control under a drag hears it enter, move and leave: when the drag
// moves on to another control and before it is dropped.
TEST_F(ControlTree, ADragLeavesTheControlItMovesOffAndBeforeItsDrop) {
    auto form = NewForm(400, 200);
    auto* source = CreateNamed<TPaintBox>(form.get(), form.get(), "source", 10, 10, 50, 50);
    auto* first = CreateNamed<TPaintBox>(form.get(), form.get(), "first", 150, 10, 50, 50);
    auto* second = CreateNamed<TPaintBox>(form.get(), form.get(), "second", 250, 10, 50, 50);
    std::vector<std::string> seen;
    auto listen = [&](TPaintBox* box, const std::string& name, bool accepts) {
        box->OnDragOver = [&seen, name, accepts](TObject*, TObject*, int32_t, int32_t, TDragState state, bool& accept) {
            const char* what[] = {"enter", "leave", "move"};
            seen.push_back(name + " " + what[state]);
            accept = accepts;
        };
        box->OnDragDrop = [&seen, name](TObject*, TObject*, int32_t, int32_t) { seen.push_back(name + " drop"); };
    };
    listen(first, "first", false);
    listen(second, "second", true);
    source->SetDragMode(dmAutomatic);
    form->Show();
    Process();
    QWidget* s = NativeWidget(source);
    auto at = [&](TControl* c, int x) { return s->mapFromGlobal(NativeWidget(c)->mapToGlobal(QPoint(x, 10))); };
    if (QApplication::widgetAt(NativeWidget(second)->mapToGlobal(QPoint(5, 5))) != NativeWidget(second))
        GTEST_SKIP() << "the platform cannot tell the widget under a point";
    QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(s, at(first, 10));
    QTest::mouseMove(s, at(first, 20));
    QTest::mouseMove(s, at(second, 10));
    QTest::mouseMove(s, at(second, 20));
    QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, at(second, 20));
    EXPECT_EQ(seen, (std::vector<std::string>{"first enter", "first move", "first leave", "second enter",
                                              "second move", "second leave", "second drop"}));
}

}  // namespace

namespace {

TEST_F(ControlTree, InputReachesOnlyTheControlUnderIt) {
    auto form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 200, 100);
    auto* box = new TPaintBox(form.get());
    box->SetParent(panel);
    box->SetBounds(10, 10, 40, 40);
    auto* edit = new TEdit(form.get());
    edit->SetParent(panel);
    edit->SetBounds(60, 10, 80, 21);
    std::vector<std::string> seen;
    form->OnClick = [&](TObject*) { seen.push_back("form click"); };
    form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { seen.push_back("form down"); };
    panel->OnClick = [&](TObject*) { seen.push_back("panel click"); };
    panel->OnKeyDown = [&](TObject*, Word&, TShiftState) { seen.push_back("panel key"); };
    box->OnClick = [&](TObject*) { seen.push_back("box click"); };
    edit->OnKeyDown = [&](TObject*, Word&, TShiftState) { seen.push_back("edit key"); };
    form->Show();
    Process();
    QTest::mouseClick(NativeWidget(box), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseClick(NativeWidget(panel), Qt::LeftButton, Qt::NoModifier, QPoint(150, 80));
    QTest::keyClick(NativeWidget(edit), Qt::Key_F5);  // a key the edit ignores
    EXPECT_EQ(seen, (std::vector<std::string>{"box click", "panel click", "edit key"}));
}

}  // namespace

namespace {

// A grid-like control: paints itself and takes arrows, Return and Tab.
class TCellsControl : public TCustomControl {
public:
    explicit TCellsControl(TComponent* owner) : TCustomControl(owner) { SetWantKeys(true); }
    std::vector<Word> Keys;
    std::u32string Typed;
    int32_t Wheel = 0;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clYellow);
        Canvas()->FillRect(ClientRect());
    }
    void KeyDown(Word& key, TShiftState shift) override {
        Keys.push_back(key);
        TCustomControl::KeyDown(key, shift);
    }
    void KeyPress(char32_t& key) override {
        Typed += key;
        TCustomControl::KeyPress(key);
    }
    bool DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) override {
        Wheel += delta;
        return true;
    }
};

TEST_F(ControlTree, CustomControlPaintsAndTakesItsKeys) {
    auto form = NewForm();
    auto* cells = new TCellsControl(form.get());
    cells->SetParent(form.get());
    cells->SetBounds(0, 0, 100, 80);
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetTop(90);
    ok->SetDefault(true);
    int okClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    EXPECT_EQ(NativeWidget(cells)->grab().toImage().pixelColor(50, 40), QColor(255, 255, 0));
    form->Show();
    Process();
    for (Qt::Key k : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape})
        QTest::keyClick(NativeWidget(cells), k);
    QTest::keyClicks(NativeWidget(cells), "ab");
    EXPECT_EQ(cells->Keys, (std::vector<Word>{VK_DOWN, VK_RIGHT, VK_RETURN, VK_TAB, VK_ESCAPE, 'A', 'B'}));
    EXPECT_EQ(cells->Typed, std::u32string(U"\r\t\x1b" U"ab"));
    EXPECT_EQ(okClicks, 0) << "Return belongs to the control";
    QWheelEvent wheel(QPointF(5, 5), NativeWidget(cells)->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(NativeWidget(cells), &wheel);
    EXPECT_EQ(cells->Wheel, 120);
}

}  // namespace

namespace {

TEST_F(ControlTree, ThePaintedPartIsTheCanvasClip) {
    auto form = NewForm();
    auto* box = new TPaintBox(form.get());
    box->SetParent(form.get());
    box->SetBounds(0, 0, 100, 60);
    std::vector<TRect> clips;
    form->Show();
    Process();
    box->OnPaint = [&](TObject*) { clips.push_back(box->Canvas()->ClipRect()); };
    NativeWidget(box)->repaint(QRect(10, 20, 30, 15));
    NativeWidget(box)->repaint();
    ASSERT_EQ(clips.size(), 2u);
    EXPECT_EQ(clips[0], Rect(10, 20, 40, 35));
    EXPECT_EQ(clips[1], Rect(0, 0, 100, 60));
}

}  // namespace
