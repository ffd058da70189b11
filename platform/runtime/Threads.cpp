#include "platform/runtime/Threads.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <deque>

namespace {

struct TSyncCall {
    const TThreadMethod* Method = nullptr;
    std::exception_ptr Error;
    bool Done = false;
    std::condition_variable Ran;
};

// The synchronised calls waiting for the main thread. Never freed: threads
// may still be queued while the program ends.
struct TSyncQueue {
    std::mutex Lock;
    std::condition_variable Work;  // a call was queued, or a thread ended
    std::deque<TSyncCall*> Calls;
};

TSyncQueue& Queue() {
    static TSyncQueue* queue = new TSyncQueue;
    return *queue;
}

struct THookStore {
    std::mutex Lock;
    std::shared_ptr<const TMainThreadHooks> Hooks;
};

THookStore& HookStore() {
    static THookStore* store = new THookStore;
    return *store;
}

std::shared_ptr<const TMainThreadHooks> Hooks() {
    std::lock_guard<std::mutex> guard(HookStore().Lock);
    return HookStore().Hooks;
}

// Taken while the program's statics are made, which is on the main thread.
[[maybe_unused]] const TThreadID gMainThread = MainThreadID();

}  // namespace

TThreadID GetCurrentThreadId() {
    thread_local const TThreadID id = static_cast<TThreadID>(::gettid());
    return id;
}

TThreadID MainThreadID() {
    static const TThreadID id = GetCurrentThreadId();
    return id;
}

bool IsMainThread() { return GetCurrentThreadId() == MainThreadID(); }

// ---------------------------------------------------------------- TThread

TThread::TThread() = default;

TThread::~TThread() {
    if (FSelfFreeing) return;
    {
        std::lock_guard<std::mutex> guard(FStartLock);
        if (!FResumed) return;
    }
    Terminate();
    WaitForEnd();
}

void TThread::Resume() {
    std::lock_guard<std::mutex> guard(FStartLock);
    if (FResumed) return;
    FResumed = true;
    FSuspended.store(false);
    FThread = std::thread([this] { Run(); });
}

void TThread::Run() {
    {
        // Resume has stored the thread object and let go of it.
        std::lock_guard<std::mutex> guard(FStartLock);
    }
    FThreadID.store(GetCurrentThreadId());
    if (!Terminated()) {
        try {
            Execute();
        } catch (...) {
            FFatalException = std::current_exception();
        }
    }
    const bool freeThread = FreeOnTerminate();
    FFinished.store(true);
    try {
        DoTerminate();
    } catch (...) {
        if (!FFatalException) FFatalException = std::current_exception();
    }
    if (freeThread) {
        // Nobody can read the fatal exception of a thread that is gone:
        // the application reports it.
        if (FFatalException) {
            std::exception_ptr error = FFatalException;
            try {
                Synchronize([this, error] {
                    try {
                        std::rethrow_exception(error);
                    } catch (...) {
                        ApplicationHandleException(this);
                    }
                });
            } catch (...) {
            }
        }
        {
            std::lock_guard<std::mutex> guard(FStartLock);
            FThread.detach();
        }
        FSelfFreeing = true;
        delete this;
        return;
    }
    TSyncQueue& queue = Queue();
    std::lock_guard<std::mutex> guard(queue.Lock);
    FEnded = true;
    queue.Work.notify_all();
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

int32_t TThread::WaitFor() {
    if (FreeOnTerminate()) throw EThread(ThreadsConst::SWaitFreeOnTerminate);
    {
        std::lock_guard<std::mutex> guard(FStartLock);
        if (!FResumed) throw EThread(ThreadsConst::SWaitNotStarted);
    }
    if (FThreadID.load() == GetCurrentThreadId()) throw EThread(ThreadsConst::SWaitSelf);
    WaitForEnd();
    return FReturnValue;
}

void TThread::WaitForEnd() {
    TSyncQueue& queue = Queue();
    const bool main = IsMainThread();
    std::unique_lock<std::mutex> lock(queue.Lock);
    while (!FEnded) {
        // The thread may be waiting for the main thread (OnTerminate).
        if (main && !queue.Calls.empty()) {
            lock.unlock();
            CheckSynchronize();
            lock.lock();
            continue;
        }
        queue.Work.wait(lock, [&] { return FEnded || (main && !queue.Calls.empty()); });
    }
    lock.unlock();
    std::lock_guard<std::mutex> guard(FStartLock);
    if (FThread.joinable()) FThread.join();
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method) {
    if (IsMainThread()) {
        method();
        return;
    }
    TSyncQueue& queue = Queue();
    TSyncCall call;
    call.Method = &method;
    {
        std::lock_guard<std::mutex> guard(queue.Lock);
        queue.Calls.push_back(&call);
    }
    queue.Work.notify_all();
    if (auto hooks = Hooks(); hooks && hooks->WakeMainThread) {
        try {
            hooks->WakeMainThread(thread);
        } catch (...) {
            // The call stays queued for the next CheckSynchronize.
        }
    }
    {
        std::unique_lock<std::mutex> lock(queue.Lock);
        call.Ran.wait(lock, [&] { return call.Done; });
    }
    if (call.Error) std::rethrow_exception(call.Error);
}

bool CheckSynchronize(uint32_t Timeout) {
    if (!IsMainThread()) throw EThread(ThreadsConst::SCheckSynchronize);
    TSyncQueue& queue = Queue();
    std::unique_lock<std::mutex> lock(queue.Lock);
    if (queue.Calls.empty() && Timeout > 0) {
        auto queued = [&] { return !queue.Calls.empty(); };
        if (Timeout == INFINITE) queue.Work.wait(lock, queued);
        else queue.Work.wait_for(lock, std::chrono::milliseconds(Timeout), queued);
    }
    // Only the calls queued now: a thread that synchronises again at once
    // must not keep the caller here.
    size_t pending = queue.Calls.size();
    const bool ran = pending > 0;
    while (pending > 0 && !queue.Calls.empty()) {
        --pending;
        TSyncCall* call = queue.Calls.front();
        queue.Calls.pop_front();
        lock.unlock();
        try {
            (*call->Method)();
        } catch (...) {
            call->Error = std::current_exception();
        }
        lock.lock();
        call->Done = true;
        call->Ran.notify_one();
    }
    return ran;
}

// ---------------------------------------------------------------- TThreadList

void TThreadList::Add(void* Item) {
    TLock list(*this);
    if (FDuplicates != dupAccept && list->IndexOf(Item) >= 0) {
        if (FDuplicates == dupError) throw EListError(ThreadsConst::SDuplicateItem);
        return;
    }
    list->Add(Item);
}

void TThreadList::Remove(void* Item) {
    TLock list(*this);
    list->Remove(Item);
}

void TThreadList::Clear() {
    TLock list(*this);
    list->Clear();
}

TList* TThreadList::LockList() {
    FLock.Enter();
    return &FList;
}

void TThreadList::UnlockList() { FLock.Leave(); }

TDuplicates TThreadList::Duplicates() {
    std::lock_guard<TCriticalSection> guard(FLock);
    return FDuplicates;
}

void TThreadList::SetDuplicates(TDuplicates duplicates) {
    std::lock_guard<TCriticalSection> guard(FLock);
    FDuplicates = duplicates;
}

// ---------------------------------------------------------------- the application's loop

void SetMainThreadHooks(TMainThreadHooks hooks) {
    auto installed = std::make_shared<const TMainThreadHooks>(std::move(hooks));
    std::lock_guard<std::mutex> guard(HookStore().Lock);
    HookStore().Hooks = std::move(installed);
}

void ApplicationProcessMessages() {
    if (!IsMainThread()) return;
    if (auto hooks = Hooks(); hooks && hooks->ProcessMessages) hooks->ProcessMessages();
    CheckSynchronize();
}

bool ApplicationTerminated() {
    auto hooks = Hooks();
    return hooks && hooks->Terminated && hooks->Terminated();
}

void ApplicationHandleException(TObject* Sender) {
    if (auto hooks = Hooks(); hooks && hooks->HandleException) {
        hooks->HandleException(Sender);
        return;
    }
    std::exception_ptr error = std::current_exception();
    if (!error) return;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varsona: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "varsona: unknown exception\n");
    }
}
