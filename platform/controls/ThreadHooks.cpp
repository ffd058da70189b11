#include "platform/controls/ThreadHooks.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>

#include "platform/controls/Forms.h"
#include "platform/runtime/Threads.h"

namespace {

// One drain event waiting is enough: it runs every call queued by then, and
// a call queued while it runs posts the next one.
std::atomic<bool> gDrainPosted{false};

void PostDrain(TObject*) {
    if (gDrainPosted.exchange(true)) return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        gDrainPosted.store(false);
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [] {
            gDrainPosted.store(false);
            GuardedCall(Application, [] { CheckSynchronize(); });
        },
        Qt::QueuedConnection);
}

}  // namespace

void InstallThreadHooks() {
    TMainThreadHooks hooks;
    hooks.WakeMainThread = PostDrain;
    hooks.ProcessMessages = [] { Application->ProcessMessages(); };
    hooks.Terminated = [] { return Application->Terminated(); };
    hooks.HandleException = [](TObject* sender) { Application->HandleException(sender); };
    SetMainThreadHooks(std::move(hooks));
}
