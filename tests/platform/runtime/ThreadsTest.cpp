#include "platform/runtime/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "ThreadTestSupport.h"

namespace {

// ---------------------------------------------------------------- TThread

TEST(Thread, CreatedSuspendedItRunsOnResume) {
    std::atomic<bool> ran{false};
    TFunctionThread thread([&](TFunctionThread& self) {
        ran = true;
        self.SetReturnValue(7);
    });
    EXPECT_TRUE(thread.Suspended());
    EXPECT_EQ(thread.ThreadID(), 0u);
    EXPECT_EQ(thread.Priority(), tpNormal);
    EXPECT_EQ(static_cast<int>(tpNormal), 3);
    thread.SetPriority(tpLowest);
    EXPECT_EQ(thread.Priority(), tpLowest);
    RealSleep(20);
    EXPECT_FALSE(ran);

    thread.Resume();
    EXPECT_FALSE(thread.Suspended());
    EXPECT_EQ(thread.WaitFor(), 7);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(thread.Finished());
    EXPECT_NE(thread.ThreadID(), 0u);
    EXPECT_NE(thread.ThreadID(), MainThreadID());
    EXPECT_EQ(thread.ReturnValue(), 7);
    EXPECT_FALSE(thread.FatalException());
    thread.Resume();  // nothing more
}

TEST(Thread, ExecuteRunsOnItsOwnThread) {
    EXPECT_TRUE(IsMainThread());
    EXPECT_EQ(GetCurrentThreadId(), MainThreadID());
    std::atomic<TThreadID> inside{0};
    std::atomic<bool> main{true};
    TFunctionThread thread([&](TFunctionThread& self) {
        inside = GetCurrentThreadId();
        main = IsMainThread();
        EXPECT_EQ(self.ThreadID(), GetCurrentThreadId());
    });
    thread.Resume();
    thread.WaitFor();
    EXPECT_EQ(inside.load(), thread.ThreadID());
    EXPECT_FALSE(main);
}

TEST(Thread, TerminatedBeforeResumeSkipsExecuteButStillEnds) {
    bool ran = false;
    TThreadID endedOn = 0;
    TFunctionThread thread([&](TFunctionThread&) { ran = true; });
    thread.OnTerminate = [&](TObject* sender) {
        EXPECT_EQ(sender, &thread);
        endedOn = GetCurrentThreadId();
    };
    thread.Terminate();
    thread.Resume();
    thread.WaitFor();
    EXPECT_FALSE(ran);
    EXPECT_EQ(endedOn, MainThreadID());
}

TEST(Thread, TerminateEndsAnExecuteThatLooksAtIt) {
    std::atomic<int> rounds{0};
    TFunctionThread thread([&](TFunctionThread& self) {
        while (!self.Terminated()) {
            ++rounds;
            Sleep(1);
        }
    });
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return rounds > 0; }));
    thread.Terminate();
    EXPECT_TRUE(thread.Terminated());
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
}

TEST(Thread, OnTerminateRunsOnTheMainThreadWhileWaitForWaits) {
    // WaitFor on the main thread runs the thread's last synchronised call
    // itself, else both would wait for ever.
    std::vector<std::string> order;
    TFunctionThread thread([&](TFunctionThread&) { order.push_back("execute"); });
    thread.OnTerminate = [&](TObject*) {
        EXPECT_TRUE(IsMainThread());
        EXPECT_TRUE(thread.Finished());
        order.push_back("terminate");
    };
    thread.Resume();
    thread.WaitFor();
    EXPECT_EQ(order, (std::vector<std::string>{"execute", "terminate"}));
}

TEST(Thread, AnExceptionEscapingExecuteEndsOnlyTheThread) {
    struct Case {
        const char* name;
        std::function<void()> raise;
        std::string message;
    };
    const Case cases[] = {
        {"platform exception", [] { throw EConvertError("'x' is not a valid integer value"); },
         "'x' is not a valid integer value"},
        {"standard exception", [] { throw std::runtime_error("disk gone"); }, "disk gone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool ended = false;
        TFunctionThread thread([&](TFunctionThread&) { c.raise(); });
        thread.OnTerminate = [&](TObject*) { ended = true; };
        thread.Resume();
        thread.WaitFor();
        EXPECT_TRUE(ended);
        ASSERT_TRUE(thread.FatalException());
        try {
            std::rethrow_exception(thread.FatalException());
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(Thread, AnExceptionInOnTerminateIsKeptToo) {
    TFunctionThread thread([](TFunctionThread&) {});
    thread.OnTerminate = [](TObject*) { throw EInvalidOperation("late"); };
    thread.Resume();
    thread.WaitFor();
    ASSERT_TRUE(thread.FatalException());
    EXPECT_THROW(std::rethrow_exception(thread.FatalException()), EInvalidOperation);
}

// Lines written by several threads.
class TTrace {
public:
    void Add(std::string line) {
        std::lock_guard<std::mutex> guard(FLock);
        FLines.push_back(std::move(line));
    }
    std::vector<std::string> Lines() {
        std::lock_guard<std::mutex> guard(FLock);
        return FLines;
    }
    size_t Size() { return Lines().size(); }

private:
    std::mutex FLock;
    std::vector<std::string> FLines;
};

// Tells when it is destroyed.
class TCountedThread : public TThread {
public:
    TCountedThread(TTrace& trace, std::function<void()> body) : FTrace(trace), FBody(std::move(body)) {}
    ~TCountedThread() override { FTrace.Add(IsMainThread() ? "freed on the main thread" : "freed"); }

protected:
    void Execute() override { FBody(); }

private:
    TTrace& FTrace;
    std::function<void()> FBody;
};

TEST(Thread, FreeOnTerminateFreesItselfAfterOnTerminate) {
    TTrace trace;
    std::atomic<bool> gone{false};
    auto* thread = new TCountedThread(trace, [] {});
    thread->SetFreeOnTerminate(true);
    thread->OnTerminate = [&](TObject*) {
        trace.Add("terminate");
        gone = true;
    };
    try {
        thread->WaitFor();
        FAIL() << "WaitFor on a thread that frees itself";
    } catch (const EThread& e) {
        EXPECT_EQ(e.Message(), ThreadsConst::SWaitFreeOnTerminate);
    }
    thread->Resume();
    ASSERT_TRUE(PumpUntil([&] { return gone.load(); }));
    // The thread frees itself once OnTerminate has returned.
    ASSERT_TRUE(WaitUntil([&] { return trace.Size() == 2; }));
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"terminate", "freed"}));
}

TEST(Thread, AThreadThatFreesItselfReportsItsFatalException) {
    TTrace trace;
    std::vector<std::string> reported;
    TMainThreadHooks hooks;
    hooks.HandleException = [&](TObject*) {
        EXPECT_TRUE(IsMainThread());
        try {
            throw;
        } catch (const Exception& e) {
            reported.push_back(std::string(e.ClassName()) + ": " + e.Message());
        }
    };
    SetMainThreadHooks(hooks);
    auto* thread = new TCountedThread(trace, [] { throw EOutOfMemory("Out of memory"); });
    thread->SetFreeOnTerminate(true);
    thread->Resume();
    EXPECT_TRUE(PumpUntil([&] { return !reported.empty(); }));
    EXPECT_TRUE(WaitUntil([&] { return trace.Size() == 1; }));
    SetMainThreadHooks({});
    EXPECT_EQ(reported, (std::vector<std::string>{"EOutOfMemory: Out of memory"}));
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"freed"}));
}

TEST(Thread, WaitForRefusesWhatCouldNeverEnd) {
    TFunctionThread never([](TFunctionThread&) {});
    try {
        never.WaitFor();
        FAIL();
    } catch (const EThread& e) {
        EXPECT_EQ(e.Message(), ThreadsConst::SWaitNotStarted);
    }
    std::string inside;
    TFunctionThread self([&](TFunctionThread& me) {
        try {
            me.WaitFor();
        } catch (const EThread& e) {
            inside = e.Message();
        }
    });
    self.Resume();
    self.WaitFor();
    EXPECT_EQ(inside, ThreadsConst::SWaitSelf);
}

TEST(Thread, DestroyingARunningThreadTerminatesAndWaitsForIt) {
    TTrace trace;
    std::atomic<bool> running{false};
    std::atomic<bool> sawTerminate{false};
    bool ran = false;
    auto* thread = new TCountedThread(trace, [&] { ran = true; });
    delete thread;  // never resumed: just freed
    EXPECT_FALSE(ran);
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"freed on the main thread"}));

    auto looping = std::make_unique<TFunctionThread>([&](TFunctionThread& self) {
        running = true;
        while (!self.Terminated()) Sleep(1);
        sawTerminate = true;
    });
    looping->Resume();
    ASSERT_TRUE(WaitUntil([&] { return running.load(); }));
    looping.reset();
    EXPECT_TRUE(sawTerminate);
}

// ---------------------------------------------------------------- Synchronize

TEST(Synchronize, TheWorkerWaitsUntilTheMainThreadRunsTheCall) {
    std::atomic<bool> before{false};
    std::atomic<bool> after{false};
    TThreadID ranOn = 0;
    bool afterSeenInside = true;
    TFunctionThread thread([&](TFunctionThread& self) {
        before = true;
        self.Synchronize([&] {
            ranOn = GetCurrentThreadId();
            afterSeenInside = after;
        });
        after = true;
    });
    thread.Resume();
    ASSERT_TRUE(WaitUntil([&] { return before.load(); }));
    RealSleep(20);
    EXPECT_FALSE(after) << "the worker went on before its call ran";
    EXPECT_TRUE(CheckSynchronize(1000));
    thread.WaitFor();
    EXPECT_TRUE(after);
    EXPECT_EQ(ranOn, MainThreadID());
    EXPECT_FALSE(afterSeenInside);
}

TEST(Synchronize, AnExceptionInTheCallReachesTheCaller) {
    struct Case {
        const char* name;
        std::function<void()> raise;
        std::string caught;
    };
    const Case cases[] = {
        {"platform exception", [] { throw EConvertError("'1,5' is not a valid floating point value"); },
         "EConvertError: '1,5' is not a valid floating point value"},
        {"abort", [] { throw EAbort("Operation aborted"); }, "EAbort: Operation aborted"},
        {"standard exception", [] { throw std::out_of_range("row 9"); }, "std: row 9"},
        {"anything else", [] { throw 42; }, "other"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string caught;
        TFunctionThread thread([&](TFunctionThread& self) {
            try {
                self.Synchronize(c.raise);
                caught = "nothing";
            } catch (const Exception& e) {
                caught = std::string(e.ClassName()) + ": " + e.Message();
            } catch (const std::exception& e) {
                caught = std::string("std: ") + e.what();
            } catch (...) {
                caught = "other";
            }
        });
        thread.Resume();
        EXPECT_TRUE(PumpUntil([&] { return thread.Finished(); }));
        thread.WaitFor();
        EXPECT_EQ(caught, c.caught);
    }
}

TEST(Synchronize, OnTheMainThreadTheCallRunsAtOnce) {
    bool ran = false;
    TThread::Synchronize(nullptr, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_THROW(TThread::Synchronize(nullptr, [] { throw EListError("List index out of bounds (3)"); }), EListError);
    EXPECT_FALSE(CheckSynchronize());  // nothing was queued
}

TEST(Synchronize, EveryCallOfManyWorkersRunsOnceOnTheMainThread) {
    constexpr int kThreads = 4;
    constexpr int kCalls = 100;
    int total = 0;  // touched by the main thread only
    std::vector<std::unique_ptr<TFunctionThread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.push_back(std::make_unique<TFunctionThread>([&](TFunctionThread& self) {
            for (int n = 0; n < kCalls; ++n) self.Synchronize([&] { ++total; });
        }));
        threads.back()->Resume();
    }
    EXPECT_TRUE(PumpUntil([&] { return total == kThreads * kCalls; }, 5000));
    for (auto& t : threads) t->WaitFor();
    EXPECT_EQ(total, kThreads * kCalls);
}

TEST(CheckSynchronize, RunsOnlyTheCallsQueuedWhenItStarts) {
    // A worker that synchronises again at once must not hold the main
    // thread in one CheckSynchronize.
    std::atomic<int> calls{0};
    TFunctionThread thread([&](TFunctionThread& self) {
        while (!self.Terminated()) self.Synchronize([&] { ++calls; });
    });
    thread.Resume();
    EXPECT_TRUE(CheckSynchronize(1000));
    EXPECT_EQ(calls.load(), 1);
    thread.Terminate();
    thread.WaitFor();
}

TEST(CheckSynchronize, WaitsForACallOnlyAsLongAsAsked) {
    uint32_t start = timeGetTime();
    EXPECT_FALSE(CheckSynchronize(30));
    EXPECT_GE(timeGetTime() - start, 29u);

    std::string outside;
    TFunctionThread thread([&](TFunctionThread&) {
        try {
            CheckSynchronize();
        } catch (const EThread& e) {
            outside = e.Message();
        }
    });
    thread.Resume();
    thread.WaitFor();
    EXPECT_EQ(outside, ThreadsConst::SCheckSynchronize);
}

// ---------------------------------------------------------------- the application's hooks

TEST(MainThreadHooks, TheWakeUpComesFromTheQueuingThreadForEveryCall) {
    std::atomic<TObject*> wokenBy{nullptr};
    std::atomic<int> wakes{0};
    std::atomic<bool> wokenOnMain{false};
    TSimpleEvent woken;
    TMainThreadHooks hooks;
    hooks.WakeMainThread = [&](TObject* sender) {
        wokenBy = sender;
        wokenOnMain = IsMainThread();
        ++wakes;
        woken.SetEvent();
    };
    SetMainThreadHooks(hooks);
    TFunctionThread thread([](TFunctionThread& self) {
        self.Synchronize([] {});
        self.Synchronize([] {});
    });
    thread.Resume();
    EXPECT_EQ(woken.WaitFor(2000), wrSignaled);
    EXPECT_EQ(wokenBy.load(), &thread);
    EXPECT_FALSE(wokenOnMain);
    EXPECT_TRUE(PumpUntil([&] { return thread.Finished(); }));
    thread.WaitFor();
    SetMainThreadHooks({});
    EXPECT_EQ(wakes.load(), 2);
}

TEST(MainThreadHooks, TheApplicationAnswersThroughThem) {
    // Without hooks: no quit, messages are the synchronised calls, errors
    // go to stderr.
    SetMainThreadHooks({});
    EXPECT_FALSE(ApplicationTerminated());
    std::atomic<bool> ran{false};
    TFunctionThread thread([&](TFunctionThread& self) { self.Synchronize([&] { ran = true; }); });
    thread.Resume();
    EXPECT_TRUE(WaitUntil([&] {
        ApplicationProcessMessages();
        return ran.load();
    }));
    thread.WaitFor();
    try {
        throw EAbort("silent");
    } catch (...) {
        ApplicationHandleException(nullptr);
    }

    bool quit = false;
    int processed = 0;
    std::string reported;
    TObject sender;
    TMainThreadHooks hooks;
    hooks.Terminated = [&] { return quit; };
    hooks.ProcessMessages = [&] { ++processed; };
    hooks.HandleException = [&](TObject* s) {
        EXPECT_EQ(s, &sender);
        try {
            throw;
        } catch (const Exception& e) {
            reported = e.Message();
        }
    };
    SetMainThreadHooks(hooks);
    EXPECT_FALSE(ApplicationTerminated());
    quit = true;
    EXPECT_TRUE(ApplicationTerminated());
    ApplicationProcessMessages();
    EXPECT_EQ(processed, 1);
    try {
        throw EConvertError("'abc' is not a valid integer value");
    } catch (...) {
        ApplicationHandleException(&sender);
    }
    EXPECT_EQ(reported, "'abc' is not a valid integer value");
    SetMainThreadHooks({});
}

// ---------------------------------------------------------------- TThreadList

TEST(ThreadList, DuplicatesAsAsked) {
    int a = 0, b = 0;
    TThreadList list;
    EXPECT_EQ(list.Duplicates(), dupIgnore);
    list.Add(&a);
    list.Add(&a);
    list.Add(&b);
    EXPECT_EQ(TThreadList::TLock(list)->Count(), 2);
    list.SetDuplicates(dupAccept);
    list.Add(&a);
    EXPECT_EQ(TThreadList::TLock(list)->Count(), 3);
    list.SetDuplicates(dupError);
    try {
        list.Add(&b);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), ThreadsConst::SDuplicateItem);
    }
    list.Remove(&a);  // the first one
    {
        TThreadList::TLock locked(list);
        ASSERT_EQ(locked->Count(), 2);
        EXPECT_EQ(locked->Items(0), &b);
        EXPECT_EQ(locked->Items(1), &a);
    }
    list.Clear();
    EXPECT_EQ(TThreadList::TLock(list)->Count(), 0);
}

TEST(ThreadList, TheLockKeepsOtherThreadsOutAndIsReentrant) {
    int item = 0;
    TThreadList list;
    std::atomic<bool> added{false};
    TList* held = list.LockList();
    EXPECT_EQ(list.LockList(), held);  // the holder may lock again
    TFunctionThread thread([&](TFunctionThread&) {
        list.Add(&item);
        added = true;
    });
    thread.Resume();
    RealSleep(20);
    EXPECT_FALSE(added);
    list.UnlockList();
    RealSleep(10);
    EXPECT_FALSE(added);  // still held once
    list.UnlockList();
    thread.WaitFor();
    EXPECT_TRUE(added);
    EXPECT_EQ(TThreadList::TLock(list)->IndexOf(&item), 0);
}

}  // namespace
