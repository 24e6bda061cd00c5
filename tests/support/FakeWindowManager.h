#pragma once
// A stand-in for a window manager, for display tests: it announces itself the way EWMH
// window managers do and carries out the requests a client may send it about activation,
// stacking state and restacking, on its own connection and thread, as a real one would
// in its own process. It records every request it receives.

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _XDisplay;

class TFakeWindowManager {
public:
    struct TRequest {
        std::string message; // "_NET_ACTIVE_WINDOW", "_NET_WM_STATE", "_NET_RESTACK_WINDOW"
        unsigned long window = 0;
        std::array<long, 5> data{};
    };

    // refuseActivation: receive activation requests but never carry them out, as a
    // manager with strict focus-stealing prevention would.
    explicit TFakeWindowManager(bool refuseActivation = false);
    ~TFakeWindowManager();
    TFakeWindowManager(const TFakeWindowManager&) = delete;
    TFakeWindowManager& operator=(const TFakeWindowManager&) = delete;

    std::vector<TRequest> Requests() const;

private:
    void Run();
    void Handle(const TRequest& request);

    _XDisplay* FDisplay = nullptr;
    unsigned long FCheckWindow = 0;
    bool FRefuseActivation = false;
    std::atomic<bool> FStop{false};
    mutable std::mutex FLock;
    std::vector<TRequest> FRequests;
    std::thread FThread;
};
