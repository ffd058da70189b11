// The window messages of the controls: the binding's events become
// messages that pass WndProc (where a control may keep them) and reach
// their handlers in the platform's order; Perform sends them from code.
#include <QApplication>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QToolTip>

#include "ControlsTestSupport.h"
#include "platform/controls/ExtCtrls.h"

namespace {

// A focusable painting control that logs what reaches its handlers.
class TLogged : public TCustomControl {
public:
    explicit TLogged(TComponent* owner, std::vector<std::string>* log, const char* name)
        : TCustomControl(owner), Log(log), Tag(name) {}
    ~TLogged() override { DetachWidget(); }
    std::vector<std::string>* Log;
    std::string Tag;
    // Messages WndProc keeps for itself.
    std::vector<uint32_t> Keep;
    std::string HintText;
    bool HideHint = false;
    int32_t Created = 0;
    int32_t Destroyed = 0;

    void Note(const std::string& s) { Log->push_back(Tag + ":" + s); }

protected:
    void WndProc(TMessage& m) override {
        if (std::find(Keep.begin(), Keep.end(), m.Msg) != Keep.end()) {
            Note("kept");
            m.Result = 1;
            return;
        }
        TCustomControl::WndProc(m);
    }
    void WMLButtonDown(TWMMouse& m) override {
        Note("lbuttondown " + std::to_string(m.XPos) + "," + std::to_string(m.YPos));
        TCustomControl::WMLButtonDown(m);
    }
    void WMLButtonUp(TWMMouse& m) override {
        Note("lbuttonup");
        TCustomControl::WMLButtonUp(m);
    }
    void WMMButtonDown(TWMMouse& m) override {
        Note("mbuttondown");
        TCustomControl::WMMButtonDown(m);
    }
    void WMMouseMove(TWMMouse& m) override {
        Note("mousemove");
        TCustomControl::WMMouseMove(m);
    }
    void WMSetCursor(TWMSetCursor& m) override {
        Note("setcursor");
        TCustomControl::WMSetCursor(m);
    }
    void WMMouseWheel(TWMMouseWheel& m) override {
        Note("wheel " + std::to_string(m.WheelDelta));
        TCustomControl::WMMouseWheel(m);
    }
    void WMSize(TWMSize& m) override {
        Note("size " + std::to_string(m.Width) + "x" + std::to_string(m.Height));
        TCustomControl::WMSize(m);
    }
    void WMTimer(TWMTimer& m) override { Note("timer " + std::to_string(m.TimerID)); }
    void WMSetFocus(TWMFocus& m) override {
        auto* other = dynamic_cast<TLogged*>(m.FocusedWnd);
        Note("setfocus from " + (other ? other->Tag : std::string("-")));
    }
    void WMKillFocus(TWMFocus& m) override {
        auto* other = dynamic_cast<TLogged*>(m.FocusedWnd);
        Note("killfocus to " + (other ? other->Tag : std::string("-")));
    }
    void WMKeyDown(TWMKey& m) override {
        Note("keydown " + std::to_string(m.CharCode));
        if (m.CharCode == VK_F5) m.CharCode = VK_F6;
        TCustomControl::WMKeyDown(m);
    }
    void DoEnter() override { Note("enter"); }
    void DoExit() override { Note("exit"); }
    void CMHintShow(THintInfo& info, intptr_t& result) override {
        Note("hintshow " + info.HintStr);
        if (!HintText.empty()) info.HintStr = HintText;
        if (HideHint) result = 1;
    }
    void CMCursorChanged(TMessage&) override { Note("cursorchanged"); }
    void CMMouseEnter(TMessage&) override { Note("mouseenter"); }
    void CMMouseLeave(TMessage&) override { Note("mouseleave"); }
    void CMEnabledChanged(TMessage&) override { Note("enabledchanged"); }
    void CreateWnd() override { ++Created; }
    void DestroyWnd() override { ++Destroyed; }
};

class ControlMessages : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm(400, 300);
        box = new TLogged(form.get(), &log, "box");
        box->SetParent(form.get());
        box->SetBounds(10, 10, 200, 100);
        box->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { log.push_back("OnMouseDown"); };
        box->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { log.push_back("OnMouseUp"); };
        box->OnClick = [this](TObject*) { log.push_back("OnClick"); };
        box->OnKeyDown = [this](TObject*, Word& key, TShiftState) { log.push_back("OnKeyDown " + std::to_string(key)); };
        box->OnMouseWheel = [this](TObject*, TShiftState, int32_t, TPoint, bool& handled) {
            log.push_back("OnMouseWheel");
            handled = true;
        };
        log.clear();
    }
    std::unique_ptr<TForm> form;
    TLogged* box = nullptr;
    std::vector<std::string> log;
};

TEST_F(ControlMessages, MouseEventsReachTheHandlersInThePlatformsOrder) {
    PressAt(box, 5, 7);
    MoveTo(box, 6, 8);
    ReleaseAt(box, 6, 8);
    EXPECT_EQ(log, (std::vector<std::string>{"box:lbuttondown 5,7", "OnMouseDown", "box:setcursor", "box:mousemove",
                                             "box:lbuttonup", "OnClick", "OnMouseUp"}));
}

TEST_F(ControlMessages, WndProcSeesWheelMiddleButtonAndTimerFirst) {
    box->Keep = {WM_MOUSEWHEEL, WM_MBUTTONDOWN, WM_TIMER};
    WheelAt(box, 5, 5, -120);
    PressAt(box, 5, 5, mbMiddle);
    box->SetTimer(999, 10);
    clock->Advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"box:kept", "box:kept", "box:kept"}));
    ReleaseAt(box, 5, 5, mbMiddle);

    log.clear();
    box->Keep.clear();
    WheelAt(box, 5, 5, -120);
    PressAt(box, 5, 5, mbMiddle);
    clock->Advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"box:wheel -120", "OnMouseWheel", "box:mbuttondown", "OnMouseDown",
                                             "box:timer 999"}));
    ReleaseAt(box, 5, 5, mbMiddle);
}

TEST_F(ControlMessages, PerformRunsTheHandlerAndReturnsItsResult) {
    box->Keep = {WM_TIMER};
    EXPECT_EQ(box->Perform(WM_TIMER, 111), 1);
    box->Keep.clear();
    EXPECT_EQ(box->Perform(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MakeLParam(3, -2)), 0);
    EXPECT_EQ(box->Perform(WM_KEYDOWN, VK_F5), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"box:kept", "box:lbuttondown 3,-2", "OnMouseDown",
                                             "box:keydown " + std::to_string(VK_F5),
                                             "OnKeyDown " + std::to_string(VK_F6)}));
    EXPECT_EQ(KeysToShiftState(MK_LBUTTON | MK_SHIFT | MK_ALT), ssLeft | ssShift | ssAlt);
    EXPECT_EQ(ShiftStateToKeys(ssCtrl | ssRight | ssMiddle), MK_CONTROL | MK_RBUTTON | MK_MBUTTON);
}

TEST_F(ControlMessages, FocusMovesWithKillThenExitsEntersAndSet) {
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 150, 300, 100);
    auto* other = new TLogged(form.get(), &log, "other");
    other->SetParent(panel);
    auto* inner = new TLogged(form.get(), &log, "inner");
    inner->SetParent(other);

    TWinControl::FocusMoved(box, other);
    EXPECT_EQ(log, (std::vector<std::string>{"box:killfocus to other", "box:exit", "other:enter",
                                             "other:setfocus from box"}));
    // A child taking the focus is no exit of its parent.
    log.clear();
    TWinControl::FocusMoved(other, inner);
    EXPECT_EQ(log, (std::vector<std::string>{"other:killfocus to inner", "inner:enter", "inner:setfocus from other"}));
    log.clear();
    TWinControl::FocusMoved(inner, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"inner:killfocus to -", "inner:exit", "other:exit"}));
}

TEST_F(ControlMessages, SizeHintCursorEnabledAndMouseCrossing) {
    box->SetBounds(10, 10, 120, 40);
    box->SetCursor(crHandPoint);
    box->SetCursor(crHandPoint);
    box->SetEnabled(false);
    box->SetEnabled(true);
    QWidget* w = NativeWidget(box);
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(w, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    EXPECT_EQ(log, (std::vector<std::string>{"box:size 120x40", "box:cursorchanged", "box:enabledchanged",
                                             "box:enabledchanged", "box:mouseenter", "box:mouseleave"}));
}

TEST_F(ControlMessages, HintShowMayChangeOrKeepTheHint) {
    ShowActive(*form);
    box->SetHint("short|long");
    box->SetShowHint(true);
    QWidget* w = CoordinateWidget(box);
    auto ask = [&] {
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), w->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(w, &help);
    };
    ask();
    EXPECT_EQ(QToolTip::text(), "short");
    box->HintText = "row 3";
    ask();
    EXPECT_EQ(QToolTip::text(), "row 3");
    box->HintText = "kept back";
    box->HideHint = true;
    ask();
    EXPECT_NE(QToolTip::text(), "kept back");
    EXPECT_NE(std::find(log.begin(), log.end(), "box:hintshow short"), log.end());
    // Without ShowHint the control is not asked.
    log.clear();
    box->SetShowHint(false);
    ask();
    EXPECT_TRUE(log.empty());
}

TEST_F(ControlMessages, TheWindowIsCreatedAtTheFirstShowAndDestroyedWithTheControl) {
    EXPECT_FALSE(box->HandleAllocated());
    ShowActive(*form);
    EXPECT_TRUE(box->HandleAllocated());
    form->Hide();
    form->Show();
    ProcessEvents();
    EXPECT_EQ(box->Created, 1);
    EXPECT_EQ(box->Destroyed, 0);
    int32_t destroyed = 0;
    {
        struct TCounting : TLogged {
            using TLogged::TLogged;
            int32_t* Count = nullptr;
            ~TCounting() override { DetachWidget(); }
            void DestroyWnd() override { ++*Count; }
        };
        auto* c = new TCounting(nullptr, &log, "c");
        c->Count = &destroyed;
        c->SetParent(form.get());
        c->HandleNeeded();
        delete c;
    }
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ControlMessages, ALockedControlDoesNotPaintUntilUnlocked) {
    ShowActive(*form);
    const int32_t before = box->PaintCount();
    box->LockWindowUpdate();
    box->LockWindowUpdate();
    box->Invalidate();
    ProcessEvents();
    box->UnlockWindowUpdate();
    ProcessEvents();
    EXPECT_EQ(box->PaintCount(), before);
    EXPECT_TRUE(box->WindowUpdateLocked());
    box->UnlockWindowUpdate();
    ProcessEvents();
    EXPECT_GT(box->PaintCount(), before);
}

}  // namespace
