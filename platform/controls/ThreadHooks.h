// Internal to the platform: connects the runtime's threads to the
// application's Qt event loop.
#pragma once

// Installs the runtime's main-thread hooks (Threads.h): a queued
// synchronised call posts an event that runs CheckSynchronize in whatever
// event loop the main thread is running, and the runtime's message, quit
// and error queries go to Application. Called once by the application.
void InstallThreadHooks();
