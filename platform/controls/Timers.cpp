#include "platform/controls/Timers.h"

#include <QTimer>
#include <algorithm>
#include <map>

#include "platform/controls/ServiceSlot.h"

// ---------------------------------------------------------------- the service

using TTimerSlot = TServiceSlot<TTimerService, TQtTimerService>;

TTimerService& TimerService() { return TTimerSlot::Get(); }

std::unique_ptr<TTimerService> InstallTimerService(std::unique_ptr<TTimerService> service) {
    return TTimerSlot::Install(std::move(service));
}

// ---------------------------------------------------------------- Qt

namespace {
class TQtTimerHandle : public TTimerHandle {
public:
    TQtTimerHandle(uint32_t interval, std::function<void()> tick) : FTick(std::move(tick)) {
        QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] { FTick(); });
        FTimer.start(static_cast<int>(std::clamp<uint32_t>(interval, 1, 0x7FFFFFFF)));
    }

private:
    QTimer FTimer;
    std::function<void()> FTick;
};
}  // namespace

std::unique_ptr<TTimerHandle> TQtTimerService::Start(uint32_t interval, std::function<void()> tick) {
    return std::make_unique<TQtTimerHandle>(interval, std::move(tick));
}

// ---------------------------------------------------------------- test clock

struct TTestClock::State {
    struct Timer {
        uint32_t Interval = 1;
        uint64_t Due = 0;
        // Shared so that a tick that stops its own timer runs to its end.
        std::shared_ptr<std::function<void()>> Tick;
    };
    uint64_t Now = 0;
    uint64_t NextId = 1;
    std::map<uint64_t, Timer> Timers;  // by id: the order they started
};

namespace {
class TTestTimerHandle : public TTimerHandle {
public:
    TTestTimerHandle(std::weak_ptr<void> state, std::function<void(uint64_t)> stop, uint64_t id)
        : FState(std::move(state)), FStop(std::move(stop)), FId(id) {}
    ~TTestTimerHandle() override {
        if (!FState.expired()) FStop(FId);
    }

private:
    std::weak_ptr<void> FState;
    std::function<void(uint64_t)> FStop;
    uint64_t FId;
};
}  // namespace

TTestClock::TTestClock() : FState(std::make_shared<State>()) {}
TTestClock::~TTestClock() = default;

std::unique_ptr<TTimerHandle> TTestClock::Start(uint32_t interval, std::function<void()> tick) {
    State& s = *FState;
    const uint64_t id = s.NextId++;
    State::Timer t;
    t.Interval = std::max<uint32_t>(interval, 1);
    t.Due = s.Now + t.Interval;
    t.Tick = std::make_shared<std::function<void()>>(std::move(tick));
    s.Timers.emplace(id, std::move(t));
    State* raw = FState.get();
    return std::make_unique<TTestTimerHandle>(FState, [raw](uint64_t stopped) { raw->Timers.erase(stopped); }, id);
}

void TTestClock::Advance(uint32_t ms) {
    std::shared_ptr<State> keep = FState;
    const uint64_t end = keep->Now + ms;
    for (;;) {
        auto next = keep->Timers.end();
        for (auto it = keep->Timers.begin(); it != keep->Timers.end(); ++it)
            if (it->second.Due <= end && (next == keep->Timers.end() || it->second.Due < next->second.Due)) next = it;
        if (next == keep->Timers.end()) break;
        keep->Now = next->second.Due;
        next->second.Due += next->second.Interval;
        std::shared_ptr<std::function<void()>> tick = next->second.Tick;
        (*tick)();
    }
    keep->Now = end;
}

uint64_t TTestClock::Now() const { return FState->Now; }

std::vector<uint32_t> TTestClock::Intervals() const {
    std::vector<uint32_t> out;
    for (const auto& [id, t] : FState->Timers) out.push_back(t.Interval);
    return out;
}
