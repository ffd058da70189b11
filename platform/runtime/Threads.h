// Threads, synchronised calls to the main (user interface) thread, locked
// lists, and the runtime's side of the application's message loop. No Qt:
// the application installs the hooks that reach its loop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/runtime/Classes.h"
#include "platform/runtime/SyncObjs.h"

using TThreadID = uint32_t;

// The system's number of the calling thread.
TThreadID GetCurrentThreadId();
// The thread that started the program: the user interface thread.
TThreadID MainThreadID();
bool IsMainThread();

using TThreadMethod = std::function<void()>;

// Held in 8 bits; tpNormal (3) is the default.
enum TThreadPriority : uint8_t { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

VARSONA_DECLARE_EXCEPTION(EThread, Exception)

namespace ThreadsConst {
inline constexpr const char* SWaitFreeOnTerminate = "Cannot wait for a thread that frees itself";
inline constexpr const char* SWaitNotStarted = "Cannot wait for a thread that was never started";
inline constexpr const char* SWaitSelf = "A thread cannot wait for itself";
inline constexpr const char* SCheckSynchronize = "CheckSynchronize called outside the main thread";
inline constexpr const char* SDuplicateItem = "List does not allow duplicates";
}  // namespace ThreadsConst

// ---------------------------------------------------------------- TThread

// A thread whose body is Execute. It is created suspended: Resume (or
// Start) runs it; a thread terminated before that never runs Execute. After
// Execute, DoTerminate runs OnTerminate on the main thread through
// Synchronize; then a FreeOnTerminate thread deletes itself. An exception
// escaping Execute ends only the thread: it is kept as FatalException, or,
// for a FreeOnTerminate thread, reported through ApplicationHandleException
// on the main thread before the thread goes.
//
// Destroying a running thread terminates it and waits for its end, but by
// then the descendant's members are gone: a descendant whose Execute or
// OnTerminate uses them calls Terminate and WaitFor in its own destructor.
// Destroying a thread that was never resumed just frees it.
class TThread : public TObject {
public:
    TThread();
    ~TThread() override;

    // Starts the thread; later calls do nothing.
    void Resume();
    void Start() { Resume(); }
    // Asks Execute to end: it looks at Terminated.
    void Terminate() { FTerminated.store(true); }
    bool Terminated() const { return FTerminated.load(); }
    // Waits until the thread has ended (after OnTerminate) and returns
    // ReturnValue. On the main thread it runs the synchronised calls
    // meanwhile. EThread for a FreeOnTerminate thread, one never started,
    // or a wait of the thread for itself.
    int32_t WaitFor();

    bool Suspended() const { return FSuspended.load(); }
    // Execute has returned.
    bool Finished() const { return FFinished.load(); }
    bool FreeOnTerminate() const { return FFreeOnTerminate.load(); }
    void SetFreeOnTerminate(bool free) { FFreeOnTerminate.store(free); }
    // Kept for the program to read; the system's scheduling is not changed.
    TThreadPriority Priority() const { return FPriority.load(); }
    void SetPriority(TThreadPriority priority) { FPriority.store(priority); }
    int32_t ReturnValue() const { return FReturnValue; }
    // 0 until the thread runs.
    TThreadID ThreadID() const { return FThreadID.load(); }
    // What escaped Execute (or OnTerminate), or null.
    std::exception_ptr FatalException() const { return FFatalException; }

    // Runs method on the main thread and returns when it has run; an
    // exception it raises is raised again here. The calling thread waits
    // until the main thread runs CheckSynchronize (the application's message
    // loop does it by itself once the hooks below are installed). On the
    // main thread, method runs at once.
    void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
    static void Synchronize(TThread* thread, const TThreadMethod& method);

    // Runs on the main thread when the thread ends, the thread as Sender.
    TNotifyEvent OnTerminate;

protected:
    virtual void Execute() = 0;
    // After Execute, on the thread: OnTerminate through Synchronize.
    virtual void DoTerminate();
    void SetReturnValue(int32_t value) { FReturnValue = value; }

private:
    void Run();
    void WaitForEnd();

    std::mutex FStartLock;
    std::condition_variable FStarted;
    std::thread FThread;
    bool FResumed = false;
    bool FSelfFreeing = false;
    bool FEnded = false;  // guarded by the synchronised-call queue's lock
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FSuspended{true};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FFreeOnTerminate{false};
    std::atomic<TThreadPriority> FPriority{tpNormal};
    std::atomic<TThreadID> FThreadID{0};
    int32_t FReturnValue = 0;
    std::exception_ptr FFatalException;
};

// On the main thread: waits up to Timeout real milliseconds for a
// synchronised call when none is queued, then runs the calls queued at
// that moment, oldest first. True when one ran. Elsewhere EThread.
bool CheckSynchronize(uint32_t Timeout = 0);

// ---------------------------------------------------------------- TThreadList

// A list of pointers behind a re-entrant lock.
class TThreadList : public TObject {
public:
    // Adds under the lock; by Duplicates an item already there is ignored
    // (the default), added again, or refused with EListError SDuplicateItem.
    void Add(void* Item);
    void Remove(void* Item);
    void Clear();
    // Takes the lock and gives the list; UnlockList gives the lock back.
    TList* LockList();
    void UnlockList();
    TDuplicates Duplicates();
    void SetDuplicates(TDuplicates duplicates);

    // Holds the lock for its lifetime.
    class TLock {
    public:
        explicit TLock(TThreadList& list) : FOwner(list), FList(list.LockList()) {}
        ~TLock() { FOwner.UnlockList(); }
        TLock(const TLock&) = delete;
        TLock& operator=(const TLock&) = delete;
        TList* operator->() const { return FList; }
        TList& operator*() const { return *FList; }

    private:
        TThreadList& FOwner;
        TList* FList;
    };

private:
    TCriticalSection FLock;
    TList FList;
    TDuplicates FDuplicates = dupIgnore;
};

// ---------------------------------------------------------------- the application's loop

// How the runtime reaches the main thread's message loop. The application
// (platform/controls) installs the hooks; without them synchronised calls
// wait for CheckSynchronize, ApplicationProcessMessages only runs those
// calls, ApplicationTerminated stays false and errors go to stderr.
struct TMainThreadHooks {
    // Any thread: a synchronised call is queued; the main thread should run
    // CheckSynchronize soon.
    TNotifyEvent WakeMainThread;
    // Main thread: handle the waiting messages, then return.
    std::function<void()> ProcessMessages;
    // Main thread: the application was asked to quit.
    std::function<bool()> Terminated;
    // Main thread, inside a catch block: report the exception being handled.
    std::function<void(TObject* Sender)> HandleException;
};
void SetMainThreadHooks(TMainThreadHooks hooks);

// Main thread: the application's waiting messages and the synchronised calls.
void ApplicationProcessMessages();
// Main thread: the application was asked to quit.
bool ApplicationTerminated();
// Main thread, inside a catch block: the application's error report.
void ApplicationHandleException(TObject* Sender);
