#pragma once
// One HTTP GET on a thread of its own, so that the GUI thread's event loop goes on while
// the server takes its time: the mouse watch, snapping and painting do not wait for it,
// and neither does the end of the program. The thread has its own copy of the address
// and the settings and hands back only the reply or the failure; every window and every
// object of the program stays on the GUI thread.

#include "app/HttpClient.h"

#include <QObject>

#include <future>
#include <string>
#include <thread>

class QEventLoop;

class TBackgroundHttpGet {
public:
    // Sends the request at once.
    TBackgroundHttpGet(std::string url, THttpClientSettings settings);
    // Abandons a request that still runs and waits for its thread, which the cancel wakes
    // at once.
    ~TBackgroundHttpGet();
    TBackgroundHttpGet(const TBackgroundHttpGet&) = delete;
    TBackgroundHttpGet& operator=(const TBackgroundHttpGet&) = delete;

    // Runs the event loop until the request has ended and returns the reply, or throws its
    // failure (EHttpError). When the application ends its event loops meanwhile (a
    // termination signal, the display lost) the request is abandoned: EHttpAbandoned.
    std::string WaitForReply();

private:
    bool Ended() const;

    THttpCancel FCancel;
    std::future<std::string> FReply;
    QObject FGuiThreadReceiver; // where the request's thread posts that it has ended
    QEventLoop* FWaitLoop = nullptr;
    std::thread FThread;
};
