#pragma once
// How long ago the X server made an input event we are reading: the mouse watch puts
// moves on the instrument's edge as they come, but not moves read long after they were
// made (the program stopped by SIGSTOP or a debugger, or starved by a busy machine),
// which would drag the pointer back along a way the hand has left. For use inside
// platform/ only: it brings in Xlib.
//
// Events carry the server's time in milliseconds. On a remote display that is another
// machine's clock, so our own clock is compared with it through the smallest difference
// seen so far (an event read at once), and the server's clock is asked afresh, one round
// trip, only when an event looks old by ours: the two clocks may have drifted apart.

#include <cstdint>
#include <optional>

#include <X11/Xlib.h>

namespace platform {

class TInputAge {
public:
    // Older than this when read, a move is a stale one.
    static constexpr std::int32_t kStaleAfterMs = 250;

    explicit TInputAge(Display* display);
    ~TInputAge();
    TInputAge(const TInputAge&) = delete;
    TInputAge& operator=(const TInputAge&) = delete;

    // Called when a batch of events has been read from the connection.
    void BatchRead();
    // Whether the event of the batch made at eventTime (server time) is stale.
    bool IsStale(Time eventTime);

private:
    std::optional<std::uint32_t> ServerNow();

    Display* FDisplay;
    Window FWindow = None; // an unmapped window of ours, whose property changes tell the time
    Atom FProperty = None;
    std::optional<std::uint32_t> FOffset;       // our clock minus the server's, the smallest seen
    std::uint32_t FReadAt = 0;                  // our clock when the batch was read
    std::optional<std::uint32_t> FServerAtRead; // the server's, once asked during the batch
};

} // namespace platform
