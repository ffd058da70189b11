// The timer service's test clock, and the window timers of a control on it.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "platform/controls/Timers.h"

namespace {

TEST(TestClock, TicksFallDueInTimeOrderAndStopWithTheirHandle) {
    TTestClock clock;
    std::vector<std::string> seen;
    auto slow = clock.Start(30, [&] { seen.push_back("slow@" + std::to_string(clock.Now())); });
    auto fast = clock.Start(20, [&] { seen.push_back("fast@" + std::to_string(clock.Now())); });
    clock.Advance(60);
    // 60 is due for both: the one started first ticks first.
    EXPECT_EQ(seen, (std::vector<std::string>{"fast@20", "slow@30", "fast@40", "slow@60", "fast@60"}));
    EXPECT_EQ(clock.Now(), 60u);
    EXPECT_EQ(clock.Intervals(), (std::vector<uint32_t>{30, 20}));
    fast.reset();
    seen.clear();
    clock.Advance(30);
    EXPECT_EQ(seen, std::vector<std::string>{"slow@90"});
    // A handle outliving its clock stops nothing.
    auto orphan = std::make_unique<TTestClock>();
    auto handle = orphan->Start(5, [] {});
    orphan.reset();
    handle.reset();
}

TEST(TestClock, ATickMayStopItselfAndStartAnother) {
    TTestClock clock;
    std::unique_ptr<TTimerHandle> first, second;
    std::vector<uint64_t> seconds;
    first = clock.Start(10, [&] {
        first.reset();
        second = clock.Start(5, [&] { seconds.push_back(clock.Now()); });
    });
    clock.Advance(25);
    EXPECT_EQ(seconds, (std::vector<uint64_t>{15, 20, 25}));
    EXPECT_EQ(clock.Intervals(), std::vector<uint32_t>{5});
}

// A control with window timers, as the grid's hover and pan timers.
class TTimedControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<std::pair<uint32_t, uint64_t>> Ticks;
    TTestClock* Clock = nullptr;
    std::function<void(uint32_t)> OnTick;

protected:
    void WMTimer(uint32_t id) override {
        Ticks.emplace_back(id, Clock->Now());
        if (OnTick) OnTick(id);
    }
};

// A timed control on a form, ticking on the fixture's clock.
class WindowTimers : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        grid = new TTimedControl(form.get());
        grid->Clock = clock;
        grid->SetParent(form.get());
    }
    std::unique_ptr<TForm> form;
    TTimedControl* grid = nullptr;
};

TEST_F(WindowTimers, EachIdTicksAtItsIntervalUntilKilled) {
    grid->SetTimer(111, 500);
    grid->SetTimer(999, 10);
    EXPECT_TRUE(grid->TimerRunning(111));
    clock->Advance(30);
    EXPECT_EQ(grid->Ticks, (std::vector<std::pair<uint32_t, uint64_t>>{{999, 10}, {999, 20}, {999, 30}}));
    EXPECT_TRUE(grid->KillTimer(999));
    EXPECT_FALSE(grid->KillTimer(999));
    grid->Ticks.clear();
    clock->Advance(970);
    EXPECT_EQ(grid->Ticks, (std::vector<std::pair<uint32_t, uint64_t>>{{111, 500}, {111, 1000}}));
    // Setting a running id again starts it afresh.
    grid->Ticks.clear();
    clock->Advance(200);
    grid->SetTimer(111, 500);
    clock->Advance(400);
    EXPECT_TRUE(grid->Ticks.empty());
    clock->Advance(100);
    EXPECT_EQ(grid->Ticks, (std::vector<std::pair<uint32_t, uint64_t>>{{111, 1700}}));
}

TEST_F(WindowTimers, AFailingTickIsReportedAndTheTimerGoesOn) {
    grid->OnTick = [](uint32_t) { throw EInvalidOperation("Grid index out of range"); };
    grid->SetTimer(111, 500);
    dialogs->AnswerMessageBox(IDOK).AnswerMessageBox(IDOK);
    clock->Advance(1000);
    EXPECT_EQ(grid->Ticks.size(), 2u);
    EXPECT_EQ(dialogs->Messages(), (std::vector<std::string>{"Grid index out of range.", "Grid index out of range."}));
}

TEST_F(WindowTimers, TheTimersGoWithTheControl) {
    grid->SetTimer(111, 500);
    grid->SetTimer(999, 10);
    EXPECT_EQ(clock->Intervals().size(), 2u);
    delete grid;
    EXPECT_TRUE(clock->Intervals().empty());
    clock->Advance(1000);
}

}  // namespace
