#pragma once
// One blocking HTTP GET, as the update check needs it: the reply body as text, every
// failure (address, connection, time-out, an error status) as an exception. Another
// thread may abandon a request that runs (THttpCancel).

#include "foundation/Exceptions.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

// What the request sends, how long it may take and how much it may receive. The defaults
// keep a dead, slow or hostile server from holding the update check's panel up for long or
// filling the program's memory: TotalTimeout bounds the whole request, connecting included.
struct THttpClientSettings {
    static constexpr std::size_t DefaultMaxBodyBytes = 64 * 1024;

    std::chrono::milliseconds ConnectTimeout{std::chrono::seconds(5)};
    std::chrono::milliseconds TotalTimeout{std::chrono::seconds(15)};
    // A longer reply body fails the request as soon as it is known to be longer.
    std::size_t MaxBodyBytes = DefaultMaxBodyBytes;
    // The update service has always been sent these two headers and may rely on them.
    std::string UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
    std::string Accept = "text/html, */*";
};

// A request that failed: no connection, a time-out, or a reply that is an error.
class EHttpError : public Exception {
public:
    using Exception::Exception;
};

// A request that was given up on before it ended (THttpCancel::Cancel).
class EHttpAbandoned : public EHttpError {
public:
    using EHttpError::EHttpError;
};

// Abandons a request from another thread: the request's own thread, however long the
// server takes, wakes at once and its Get throws EHttpAbandoned. A request that starts
// after the cancel is abandoned before it connects.
class THttpCancel {
public:
    THttpCancel();
    ~THttpCancel();
    THttpCancel(const THttpCancel&) = delete;
    THttpCancel& operator=(const THttpCancel&) = delete;

    // Safe from any thread, any number of times.
    void Cancel();
    bool Cancelled() const { return FCancelled; }
    // Becomes readable at the cancel: the request waits on it beside its connection.
    int WakeHandle() const { return FWakeHandle; }

private:
    std::atomic<bool> FCancelled{false};
    int FWakeHandle = -1; // an eventfd
};

class THttpClient {
public:
    explicit THttpClient(THttpClientSettings settings = {}) : FSettings(std::move(settings)) {}

    // GETs url (http:// or https:// only; redirects are followed within those two)
    // and returns the body as UTF-8. A body in another character set, named by the
    // reply or else taken to be the Chinese ANSI code page (GB18030 covers it), is
    // converted. Only a 2xx status counts as a reply; anything else, and a body longer than
    // MaxBodyBytes, throws EHttpError; a request abandoned through cancel throws
    // EHttpAbandoned.
    std::string Get(const std::string& url, const THttpCancel* cancel = nullptr) const;

    const THttpClientSettings& Settings() const { return FSettings; }

private:
    THttpClientSettings FSettings;
};
