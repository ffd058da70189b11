// The runtime's threads and the application's Qt event loop: synchronised
// calls run by the loop itself, without anyone calling CheckSynchronize;
// the runtime's message, quit and error queries reach the application.
#include <QEventLoop>
#include <QTimer>
#include <atomic>

#include "ControlsTestSupport.h"
#include "tests/platform/runtime/ThreadTestSupport.h"

namespace {

class ThreadHooks : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        Application->Initialize();
    }
    // Runs a Qt event loop until quit, or fails after limitMs.
    static bool RunLoop(QEventLoop& loop, int limitMs = 2000) {
        bool timedOut = false;
        QTimer::singleShot(limitMs, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        loop.exec();
        return !timedOut;
    }
};

TEST_F(ThreadHooks, TheEventLoopRunsAWorkersSynchronisedCalls) {
    QEventLoop loop;
    TThreadID ranOn = 0;
    std::string caught;
    TFunctionThread thread([&](TFunctionThread& self) {
        self.Synchronize([&] { ranOn = GetCurrentThreadId(); });
        // An error in the call goes back to the worker, not into the loop.
        try {
            self.Synchronize([] { throw EConvertError("'12x' is not a valid integer value"); });
        } catch (const EConvertError& e) {
            caught = e.Message();
        }
        self.Synchronize([&] { loop.quit(); });
    });
    thread.Resume();
    EXPECT_TRUE(RunLoop(loop));
    thread.WaitFor();
    EXPECT_EQ(ranOn, MainThreadID());
    EXPECT_EQ(caught, "'12x' is not a valid integer value");
}

TEST_F(ThreadHooks, AThreadThatFreesItselfEndsThroughTheLoop) {
    // OnTerminate on the user interface thread, and the fatal exception of
    // a thread that is gone reaches the application's error report.
    QEventLoop loop;
    std::vector<std::string> seen;
    Application->OnException = [&](TObject*, const Exception& e) {
        seen.push_back("error: " + e.Message());
        loop.quit();
    };
    auto* thread = new TFunctionThread([](TFunctionThread&) { throw EInvalidOperation("Canvas does not allow drawing"); });
    thread->SetFreeOnTerminate(true);
    thread->OnTerminate = [&](TObject*) { seen.push_back(IsMainThread() ? "terminate on the main thread" : "terminate"); };
    thread->Resume();
    EXPECT_TRUE(RunLoop(loop));
    Application->OnException = nullptr;
    EXPECT_EQ(seen, (std::vector<std::string>{"terminate on the main thread", "error: Canvas does not allow drawing"}));
}

TEST_F(ThreadHooks, TheRuntimesQueriesReachTheApplication) {
    bool timer = false;
    QTimer::singleShot(0, [&] { timer = true; });
    std::atomic<bool> synced{false};
    TFunctionThread thread([&](TFunctionThread& self) { self.Synchronize([&] { synced = true; }); });
    thread.Resume();
    EXPECT_TRUE(WaitUntil([&] {
        ApplicationProcessMessages();
        return timer && synced;
    }));
    thread.WaitFor();

    EXPECT_FALSE(ApplicationTerminated());

    std::string reported;
    Application->OnException = [&](TObject*, const Exception& e) { reported = e.Message(); };
    try {
        throw EOutOfMemory("Out of memory");
    } catch (...) {
        ApplicationHandleException(nullptr);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(reported, "Out of memory");
}

}  // namespace
