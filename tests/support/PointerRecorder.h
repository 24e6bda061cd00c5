#pragma once
// Another program's window, as a drawing program below the instrument sees the pointer:
// a plain X window on a connection of its own that records every pointer event the
// server sends it (motion, presses, releases), like xev does. A thread reads the
// connection and stamps each event with the moment it arrived.
// Map it before the program under test starts, so that the program's window is above.

#include <QPoint>
#include <QRect>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

struct _XDisplay;

struct TPointerRecord {
    enum TKind { Motion, Press, Release };
    TKind Kind = Motion;
    QPoint At;           // screen pixels
    unsigned Button = 0; // presses and releases
    unsigned State = 0;  // the buttons and modifiers held, as X reports them
    std::chrono::steady_clock::time_point Received;
};

class TPointerRecorder {
public:
    // A window over 'area' (screen pixels), mapped and ready when this returns.
    explicit TPointerRecorder(QRect area);
    ~TPointerRecorder();
    TPointerRecorder(const TPointerRecorder&) = delete;
    TPointerRecorder& operator=(const TPointerRecorder&) = delete;

    std::vector<TPointerRecord> Records() const;
    size_t Count() const;
    void Clear();
    // Waits until 'done' holds for the records so far, or the time is up.
    bool WaitUntil(const std::function<bool(const std::vector<TPointerRecord>&)>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

private:
    void Read();

    _XDisplay* FDisplay = nullptr;
    unsigned long FWindow = 0;
    int FWakeRead = -1;
    int FWakeWrite = -1;
    std::atomic<bool> FStop{false};
    mutable std::mutex FMutex;
    std::vector<TPointerRecord> FRecords;
    std::thread FReader;
};
