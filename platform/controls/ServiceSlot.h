// The one installed instance of a service that tests replace with a
// scripted twin (dialogs, timers, drags): a TDefault until another one is
// installed.
#pragma once

#include <memory>
#include <utility>

template <class TService, class TDefault>
class TServiceSlot {
public:
    static TService& Get() { return *Held(); }
    // Installs service (nullptr: a fresh TDefault) and returns the previous one.
    static std::unique_ptr<TService> Install(std::unique_ptr<TService> service) {
        if (!service) service = std::make_unique<TDefault>();
        std::swap(service, Held());
        return service;
    }

private:
    static std::unique_ptr<TService>& Held() {
        static std::unique_ptr<TService> service = std::make_unique<TDefault>();
        return service;
    }
};
